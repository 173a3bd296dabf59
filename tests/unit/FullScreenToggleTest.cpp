// Alt+Enter on a live window switches between window and full screen without reaching the game as an
// Enter press; a resized window shows the 640 x 480 picture as large as fits, between black bars where the
// window is not 4:3.
#include "DeviceTestSupport.h"

#include "tests/unit/RunTestSupport.h"
#include "sdl_window.h"
#include "win32_private.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

int g_ToggleMessages = 0;

LRESULT CALLBACK_ToggleProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ++g_ToggleMessages;
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// A live (not replayed) window on SDL's offscreen driver. The window is made headless, then the run
// is treated as a shown one, the only kind in which Alt+Enter switches the screen mode.
class FullScreenToggle : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().headless = true;
        PlatformMode().fast = true;
        win32::ResetMessages();
        win32::ResetInput();
        g_ToggleMessages = 0;
        m_Wnd = CreateGameWindow(CALLBACK_ToggleProc);
        if (!m_Wnd) GTEST_SKIP() << "no SDL video here";
        ASSERT_NE(PlatformSdlWindow(m_Wnd), nullptr);
        PlatformMode().headless = false;
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        if (m_Wnd) {
            PlatformSetFullScreen(m_Wnd, FALSE);
            PlatformDestroyHiddenGlWindow(m_Wnd);
        }
        ResetRun();
        win32::ResetMessages();
        win32::ResetInput();
    }
    void PushReturn(bool down, Uint16 mod, bool repeat = false) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.sym = SDLK_RETURN;
        e.key.keysym.mod = mod;
        e.key.repeat = repeat ? 1 : 0;
        e.key.windowID = SDL_GetWindowID(PlatformSdlWindow(m_Wnd));
        SDL_PushEvent(&e);
    }
    void Pass() {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return;
            DispatchMessageA(&msg);
        }
    }
    bool SdlFullScreen() {
        return (SDL_GetWindowFlags(PlatformSdlWindow(m_Wnd)) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    }

    HWND m_Wnd = nullptr;
};

// One pixel of a window's own framebuffer (y counted from the top) and the colour it should have.
struct WindowPixel {
    int x, y;
    unsigned char r, g, b;
};

// Reads the presented window (width x height drawable pixels) and checks the pixels.
void ExpectWindowPixels(HWND wnd, int width, int height, const std::vector<WindowPixel>& expect) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(PlatformSdlWindow(wnd), &w, &h);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    std::vector<unsigned char> px((size_t)w * h * 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    for (const WindowPixel& e : expect) {
        const unsigned char* p = &px[((size_t)(h - 1 - e.y) * w + e.x) * 4]; // GL rows run bottom-up
        EXPECT_EQ(p[0], e.r) << e.x << "," << e.y;
        EXPECT_EQ(p[1], e.g) << e.x << "," << e.y;
        EXPECT_EQ(p[2], e.b) << e.x << "," << e.y;
    }
}

} // namespace

TEST_F(FullScreenToggle, AltEnterSwitchesTheScreenModeAndIsNoEnterForTheGame) {
    ASSERT_FALSE(m_Wnd->fullScreen);
    PushReturn(true, KMOD_LALT);
    Pass();
    EXPECT_TRUE(m_Wnd->fullScreen);
    EXPECT_TRUE(SdlFullScreen());
    EXPECT_FALSE(GetAsyncKeyState(VK_RETURN) & 0x8000); // the title does not see an Enter press
    // Held down, the key repeats: no further switch.
    PushReturn(true, KMOD_LALT, true);
    PushReturn(false, KMOD_LALT);
    Pass();
    EXPECT_TRUE(m_Wnd->fullScreen);
    EXPECT_FALSE(GetAsyncKeyState(VK_RETURN) & 0x8000);

    PushReturn(true, KMOD_RALT);
    Pass();
    EXPECT_FALSE(m_Wnd->fullScreen);
    EXPECT_FALSE(SdlFullScreen());
    int w = 0, h = 0;
    SDL_GetWindowSize(PlatformSdlWindow(m_Wnd), &w, &h);
    EXPECT_EQ(w, 640); // back in a window of the game's size
    EXPECT_EQ(h, 480);
    PushReturn(false, KMOD_RALT);
    Pass();

    // Enter without Alt is the game's key.
    PushReturn(true, KMOD_NONE);
    Pass();
    EXPECT_FALSE(m_Wnd->fullScreen);
    EXPECT_TRUE(GetAsyncKeyState(VK_RETURN) & 0x8000);
    EXPECT_EQ(g_ToggleMessages, 0); // neither reaches the window procedure
}

// The application hears of each switch (the settings remember the mode the player chose last).
TEST_F(FullScreenToggle, EachSwitchIsReportedToTheApplication) {
    static std::vector<bool> s_Modes;
    s_Modes.clear();
    PlatformSetScreenModeHook([](bool fullScreen) { s_Modes.push_back(fullScreen); });
    PushReturn(true, KMOD_LALT);
    PushReturn(false, KMOD_LALT);
    PushReturn(true, KMOD_LALT);
    Pass();
    PlatformSetScreenModeHook(nullptr);
    EXPECT_EQ(s_Modes, (std::vector<bool>{true, false}));
}

TEST_F(FullScreenToggle, HeadlessRunsKeepTheirWindow) {
    PlatformMode().headless = true;
    PushReturn(true, KMOD_LALT);
    Pass();
    EXPECT_FALSE(m_Wnd->fullScreen);
    EXPECT_FALSE(SdlFullScreen());
}

// Presenting scales the picture over a larger 4:3 client, whatever the back buffer's scale.
TEST(PresentStretch, ALargerWindowShowsThePictureStretched) {
    TestDevice device(TestDevice::Kind::Drawing, 1280, 960);
    if (!device.Window()) GTEST_SKIP() << device.Why();
    IDirect3DDevice9* dev = device.Device();
    ASSERT_NE(dev, nullptr) << device.Why();
    HWND wnd = device.Window();
    // Left half red, right half blue, a green band over the bottom quarter.
    RECT leftHalf = {0, 0, 320, 480}, rightHalf = {320, 0, 640, 480}, bottomBand = {0, 360, 640, 480};
    dev->Clear(1, &leftHalf, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    dev->Clear(1, &rightHalf, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    dev->Clear(1, &bottomBand, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    ASSERT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // The left half spans 640 window pixels, the right half the other 640, the bottom quarter 240 rows.
    ExpectWindowPixels(wnd, 1280, 960,
                       {{10, 10, 255, 0, 0},
                        {620, 10, 255, 0, 0},
                        {660, 10, 0, 0, 255},
                        {1270, 700, 0, 0, 255},
                        {10, 730, 0, 255, 0},
                        {1270, 950, 0, 255, 0},
                        {320, 700, 255, 0, 0}});
}

// A 16:9 window shows the picture 4:3 between black bars; with multisampling the picture's edges (read back
// resolved) are smoothed.
TEST(PresentStretch, AWideWindowShowsTheMultisampledPictureBetweenBars) {
    ResetRun();
    PlatformMode().msaa = 4;
    PlatformMode().renderScale = 1;
    TestDevice device(TestDevice::Kind::Drawing, 1280, 720);
    IDirect3DDevice9* dev = device.Device();
    if (!dev) {
        ResetRun();
        GTEST_SKIP() << device.Why();
    }
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetFVF(kTestFvf);
    // Red, and a white triangle under the diagonal from the bottom-left to the top-right corner.
    const TestVertex tri[3] = {
        {-1, -1, 0.5f, 0xFFFFFFFF, 0, 0}, {1, 1, 0.5f, 0xFFFFFFFF, 0, 0}, {1, -1, 0.5f, 0xFFFFFFFF, 0, 0}};
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(TestVertex)), D3D_OK);
    dev->EndScene();
    ASSERT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // The bars, then either side of the picture's diagonal.
    ExpectWindowPixels(device.Window(), 1280, 720,
                       {{0, 0, 0, 0, 0},
                        {159, 700, 0, 0, 0},
                        {1120, 10, 0, 0, 0},
                        {1279, 719, 0, 0, 0},
                        {300, 100, 255, 0, 0},
                        {1000, 650, 255, 255, 255}});

    std::vector<uint8_t> picture;
    ASSERT_TRUE(d3d9debug::ReadBackBuffer(dev, picture));
    ASSERT_EQ(picture.size(), size_t(640) * 480 * 4);
    int blended = 0; // pixels the diagonal edge shares between red and white
    for (size_t i = 0; i < picture.size(); i += 4)
        blended += picture[i + 1] > 20 && picture[i + 1] < 235 ? 1 : 0;
    EXPECT_GT(blended, 300);
    ResetRun();
}
