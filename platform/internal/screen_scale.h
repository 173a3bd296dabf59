// Where the 640 x 480 picture sits in a window of any size, and how finely the back buffer is drawn.
// Platform-internal; the window layer maps the mouse with the first, the renderer sizes its back buffer
// with both.
#pragma once

#include <vector>

// A rectangle of whole pixels (or window points): its left and top edges and its size.
struct PictureRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The largest 4:3 rectangle that fits in a width x height area, centred: bars left and right (pillarbox) or
// above and below (letterbox), never a stretched picture. Empty for an empty area.
PictureRect FitPicture(int width, int height);
// How many pixels of the area one row of the picture takes: its height over 480.
float ScreenScale(const PictureRect& picture);

// Whether a GL_RENDERER string names a renderer that rasterises on the processor (Mesa's llvmpipe,
// softpipe, swrast).
bool IsSoftwareRenderer(const char* glRenderer);
// Multisampling where the run leaves it to us: a graphics card smooths edges for almost nothing, a software
// renderer would pay for every sample.
constexpr int kDefaultHardwareMsaa = 4;

// The back buffer's scale limits: never coarser than the picture itself, never finer than 4 pixels a pixel.
constexpr float kMinRenderScale = 1.0f;
constexpr float kMaxRenderScale = 4.0f;
// The adaptive scale: one step up or down after each window of frames whose median work crosses a bound.
constexpr float kRenderScaleStep = 0.25f;
constexpr int kRenderScaleWindow = 60;
constexpr double kRenderScaleDownAboveMs = 10.0;
constexpr double kRenderScaleUpBelowMs = 5.0;

// Chooses the back buffer's scale for each frame. A fixed request (1 to 4) is used as far as the picture's
// size on screen goes; auto takes the on-screen size on a hardware renderer, and on a software one adapts to
// the frame work, from 1 upwards, so that a machine without a graphics card keeps its 60 frames a second.
class RenderScaleGovernor {
  public:
    // requested: 0 auto, or 1 to 4. software: the renderer rasterises on the processor.
    void Configure(int requested, bool software);
    bool Adaptive() const { return m_Adaptive; }
    // Whether a frame's work can change the scale: adaptive, with room above the picture's own size.
    bool Measuring() const { return m_Adaptive && m_OnScreen > kMinRenderScale; }
    // The scale of the next frame, with the picture onScreen times its own size on the screen.
    float Target(float onScreen);
    // The work of one frame drawn at the last target (kept only while Measuring).
    void AddFrame(double workMs);

  private:
    int m_Requested = 0;
    bool m_Adaptive = false;
    // The adaptive scale before the on-screen cap, and the lowest scale found too slow (never tried again).
    float m_Level = kMinRenderScale;
    float m_Ceiling = kMaxRenderScale + kRenderScaleStep;
    float m_OnScreen = kMinRenderScale;
    float m_Last = 0.0f; // the last target; the frames measured belong to it
    std::vector<double> m_Work;
};
