// Alt+Enter on a live window switches between window and full screen without reaching the game as an
// Enter press; a resized window shows the 640 x 480 picture stretched over its whole client area.
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

// The back buffer stays 640 x 480 whatever the window's size; presenting stretches it over the client.
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
    // The window's own framebuffer: 1280 x 960, bottom-up.
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(PlatformSdlWindow(wnd), &w, &h);
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 960);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    std::vector<unsigned char> px((size_t)w * h * 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    auto at = [&](int x, int yTop) { return &px[((size_t)(h - 1 - yTop) * w + x) * 4]; };
    const struct {
        int x, y;
        unsigned char r, g, b;
    } expect[] = {
        {10, 10, 255, 0, 0},   {620, 10, 255, 0, 0},   // the left half spans 640 window pixels
        {660, 10, 0, 0, 255},  {1270, 700, 0, 0, 255}, // the right half the other 640
        {10, 730, 0, 255, 0},  {1270, 950, 0, 255, 0}, // the bottom quarter is 240 rows high
        {320, 700, 255, 0, 0},
    };
    for (const auto& e : expect) {
        const unsigned char* p = at(e.x, e.y);
        EXPECT_EQ(p[0], e.r) << e.x << "," << e.y;
        EXPECT_EQ(p[1], e.g) << e.x << "," << e.y;
        EXPECT_EQ(p[2], e.b) << e.x << "," << e.y;
    }
}
