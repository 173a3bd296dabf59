// The picture's place in a window of any shape, and the back buffer's scale: fixed, from the picture's size
// on screen, or adapted to the frame work on a software renderer.
#include "screen_scale.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const PictureRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.w, w);
    EXPECT_EQ(r.h, h);
}

// Feeds a window of frames of one work to the governor, then asks for the next frame's scale.
float AfterWindow(RenderScaleGovernor& g, double workMs, float onScreen) {
    for (int i = 0; i < kRenderScaleWindow; ++i)
        g.AddFrame(workMs);
    return g.Target(onScreen);
}

} // namespace

TEST(PictureFit, FourThreeAsLargeAsFitsCentredBetweenBars) {
    ExpectRect(FitPicture(640, 480), 0, 0, 640, 480);
    ExpectRect(FitPicture(1280, 720), 160, 0, 960, 720);    // pillarbox
    ExpectRect(FitPicture(1920, 1080), 240, 0, 1440, 1080); // a 16:9 screen
    ExpectRect(FitPicture(800, 1000), 0, 200, 800, 600);    // letterbox
    ExpectRect(FitPicture(1000, 700), 33, 0, 933, 700);     // whole pixels, rounded
    ExpectRect(FitPicture(0, 0), 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(ScreenScale(FitPicture(1920, 1080)), 2.25f);
}

TEST(RenderScale, FixedAndHardwareScalesFollowThePictureOnScreen) {
    RenderScaleGovernor fixed;
    fixed.Configure(2, true);
    EXPECT_FALSE(fixed.Adaptive());
    EXPECT_EQ(fixed.Target(2.25f), 2.0f);
    EXPECT_EQ(fixed.Target(1.5f), 1.5f); // no finer than the drawable shows
    EXPECT_EQ(fixed.Target(0.5f), 1.0f); // never coarser than the picture
    RenderScaleGovernor hardware;
    hardware.Configure(0, false);
    EXPECT_EQ(hardware.Target(2.25f), 2.25f);
    EXPECT_EQ(hardware.Target(6.0f), 4.0f);
    EXPECT_EQ(AfterWindow(hardware, 50.0, 2.25f), 2.25f); // the work does not matter on a graphics card
    EXPECT_TRUE(IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(IsSoftwareRenderer("softpipe"));
    EXPECT_FALSE(IsSoftwareRenderer("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)"));
}

TEST(RenderScale, SoftwareScaleStepsWithTheMedianFrameWork) {
    RenderScaleGovernor g;
    g.Configure(0, true);
    ASSERT_TRUE(g.Adaptive());
    EXPECT_EQ(g.Target(2.25f), 1.0f); // starts at the picture's own size
    EXPECT_EQ(AfterWindow(g, 4.0, 2.25f), 1.25f);
    EXPECT_EQ(AfterWindow(g, 4.0, 2.25f), 1.5f);
    EXPECT_EQ(AfterWindow(g, 7.0, 2.25f), 1.5f); // between the bounds: it stays
    // A median over 10 ms steps down; the scale found too slow is not tried again.
    for (int i = 0; i < kRenderScaleWindow / 2 - 1; ++i)
        g.AddFrame(30.0);
    EXPECT_EQ(AfterWindow(g, 12.0, 2.25f), 1.25f);
    EXPECT_EQ(AfterWindow(g, 3.0, 2.25f), 1.25f);
    // Never above the picture's size on screen, never below 1.
    EXPECT_EQ(g.Target(1.0f), 1.0f);
    EXPECT_EQ(AfterWindow(g, 3.0, 1.0f), 1.0f);
    EXPECT_EQ(AfterWindow(g, 20.0, 1.0f), 1.0f);
    EXPECT_EQ(AfterWindow(g, 20.0, 1.0f), 1.0f);
}
