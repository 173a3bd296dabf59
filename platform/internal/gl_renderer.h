// The OpenGL 3.3 core backend of the device: context, offscreen back buffer, the fixed-function emulation
// program, a streaming vertex buffer and a cache of GL state. Platform-internal.
//
// The back buffer holds the 640 x 480 picture drawn at an internal scale (the picture's size on screen, see
// screen_scale.h), multisampled or not. Everything the device is given stays in picture pixels (viewports,
// clear rectangles, sprite corners); only this backend multiplies.
#pragma once

#include "d3d9device.h"
#include "gl_shaders.h"
#include "screen_scale.h"

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

struct SDL_Window;

class GlRenderer {
  public:
    // Creates a GL 3.3 core context on window and the back buffer, with a depth buffer of depthBits (16 or
    // 24; 0 for none). Null (with a reason in error) on failure.
    static std::shared_ptr<GlRenderer> Create(SDL_Window* window, UINT width, UINT height, UINT depthBits,
                                              std::string* error);
    ~GlRenderer();
    GlRenderer(const GlRenderer&) = delete;
    GlRenderer& operator=(const GlRenderer&) = delete;

    // The picture's size (640 x 480), and the back buffer's: the picture at Scale() pixels per pixel.
    UINT Width() const { return m_Width; }
    UINT Height() const { return m_Height; }
    float Scale() const { return m_Scale; }
    UINT PixelWidth() const { return m_PixelWidth; }
    UINT PixelHeight() const { return m_PixelHeight; }
    // Samples per pixel of the back buffer (0: not multisampled), and whether GL rasterises on the processor.
    int Samples() const { return m_Samples; }
    bool Software() const { return m_Software; }

    void MakeCurrent();
    // Binds the back buffer as draw framebuffer and sets the viewport and depth range.
    void BindBackBuffer(const D3DVIEWPORT9& viewport);
    // Draws vertices with the fixed-function emulation under key. texture may be null.
    void Draw(const DrawKey& key, IDirect3DTexture9* texture, const GpuVertex* vertices, size_t count);
    void Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount,
               const D3DVIEWPORT9& viewport);
    // Before a frame is drawn: the back buffer takes this frame's scale (its pixels are lost when it
    // changes), and the frame's work starts counting.
    void BeginFrame();
    // Shows the back buffer as large as fits in the window's drawable, centred between black bars, and
    // swaps.
    void Present();
    // The back buffer as RGBA, top row first, alpha forced to 255 (the back buffer has no alpha channel):
    // the picture's 640 x 480 (scaled down when drawn finer), the back buffer's own pixels, or the window's
    // drawable as presenting fills it, bars and all. width and height receive the size.
    void ReadBackBuffer(std::vector<uint8_t>& rgba);
    void ReadNativeBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height);
    void ReadWindow(std::vector<uint8_t>& rgba, int& width, int& height);

    void ApplyRaster(const gldevice::RasterState& state);
    // Binds texture (or none) on unit 0 with a sampler for the given D3D filter and address modes.
    unsigned BindTexture0(IDirect3DTexture9* texture, DWORD magFilter, DWORD minFilter, DWORD mipFilter,
                          DWORD addressU, DWORD addressV);
    // Forget all cached GL state: bindings, framebuffer, viewport and raster state (after outside GL calls).
    void InvalidateBindings();

    // Texture objects (context made current by the callers).
    unsigned CreateTextureObject();
    void UploadTexture(unsigned name, UINT width, UINT height, const uint8_t* bgra);
    void DeleteTextureObject(unsigned name);

  private:
    static constexpr unsigned kUnknown = ~0u; // a cached binding that GL may have changed behind our back

    GlRenderer() = default;
    bool Init(SDL_Window* window, UINT width, UINT height, UINT depthBits, std::string* error);
    // The swap interval the run asks for: none (the frame clock paces), or the display's refresh.
    void ApplySwapInterval();
    // The picture's scale on the window's drawable as it is now.
    float DrawableScale() const;
    // (Re)makes the back buffer at scale; false when GL refuses the framebuffer.
    bool AllocateBackBuffer(float scale);
    void DeleteBackBuffer();
    // A picture coordinate (x along the width, y along the height) in back-buffer pixels.
    int PixelX(LONG x) const;
    int PixelY(LONG y) const;
    // The framebuffer that holds the finished picture: the multisampled one resolved first.
    unsigned ResolvedFramebuffer();
    // Clears target (width x height) to black where the picture leaves bars and puts the picture between.
    void Compose(unsigned target, int width, int height);
    // Reads width x height pixels of framebuffer as RGBA, top row first, alpha 255.
    void ReadPixels(unsigned framebuffer, int width, int height, std::vector<uint8_t>& rgba);
    struct Program;
    // The program of a variant, compiled on first use (name 0 when it does not compile; log gets why).
    Program* ProgramFor(const FixedFunctionVariant& variant, std::string* log);
    void UploadUniforms(Program& program, const DrawKey& key);
    void UseProgram(unsigned program);
    void BindVertexArray(unsigned vao);
    void BindArrayBuffer(unsigned vbo);

    SDL_Window* m_Window = nullptr;
    void* m_Context = nullptr;
    UINT m_Width = 0, m_Height = 0;
    UINT m_DepthBits = 0;
    float m_Scale = 0.0f;
    UINT m_PixelWidth = 0, m_PixelHeight = 0;
    int m_Samples = 0;
    bool m_Software = false;
    RenderScaleGovernor m_Governor;
    bool m_FrameBegun = false;
    std::chrono::steady_clock::time_point m_FrameStart;
    // m_Fbo is drawn into; with multisampling it has renderbuffers and is resolved into m_ResolveFbo (the
    // colour texture), without it the two are one.
    unsigned m_Fbo = 0, m_ResolveFbo = 0, m_ColorTex = 0, m_ColorRb = 0, m_DepthRb = 0;
    unsigned m_Vao = 0, m_Vbo = 0;
    size_t m_VboSize = 0, m_VboOffset = 0;

    // One fixed-function program per variant of the state that shapes its code, with its uniforms' locations
    // and the values last uploaded to it.
    struct Program {
        unsigned name = 0;
        struct Uniforms {
            int view, proj, matDiffuse, matAmbient, matEmissive, globalAmbient;
            int lightAmbient, lightPos, lightDir, lightAtt, lightCone;
            int textureFactor, alphaRef, fogColor, fogParams;
        } u{};
        DrawKey uploaded{};
        bool uploadedValid = false;
    };
    struct VariantLess {
        bool operator()(const FixedFunctionVariant& a, const FixedFunctionVariant& b) const {
            return std::memcmp(&a, &b, sizeof a) < 0;
        }
    };
    std::map<FixedFunctionVariant, std::unique_ptr<Program>, VariantLess> m_Programs;
    FixedFunctionVariant m_LastVariant{};
    Program* m_LastProgram = nullptr;

    // Cached GL state (~0u: unknown).
    struct Cache {
        unsigned program, vao, arrayBuffer, texture0, sampler0, drawFbo;
        int vpX, vpY, vpW, vpH;
        float depthNear, depthFar;
        bool rasterValid;
        gldevice::RasterState raster;
    } m_Cache{};
    std::map<std::tuple<DWORD, DWORD, DWORD, DWORD, DWORD>, unsigned> m_Samplers;
};
