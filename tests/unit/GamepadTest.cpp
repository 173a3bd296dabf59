// Playing with a game pad: SDL's virtual joystick stands in for the pad on a live (offscreen) window, and the
// game runs on a recording device. Start leads from the title to the selector, the D-pad chooses the stage,
// the left stick swims, the right trigger fires, the right stick moves the cursor, B leaves the stage; the
// recording holds all of it as ordinary key and mouse events.
#include "app/Cursor.h"
#include "tests/support/ScratchDir.h"
#include "tests/unit/TitleTestSupport.h"
#include "sdl_window.h"

#include <SDL.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The title fixture's game on a recording device, with a live window for the pad's events.
class GamepadPlay : public TitleScreenFixture {
  protected:
    static constexpr Sint16 kTriggerOut = -32768; // a trigger let go, as the virtual joystick's raw axis
    void SetUp() override {
        TitleScreenFixture::SetUp();
        ASSERT_FALSE(m_Dir.Path().empty());
        RunOptions().recordPath = m_Dir.File("pad.replay");
        std::string err;
        ASSERT_TRUE(ReplayStart(err)) << err; // live input again, recorded
        PlatformMode().headless = true;       // the window on SDL's offscreen driver
        m_Wnd = CreateGameWindow(WndProc);
        if (!m_Wnd) GTEST_SKIP() << "no SDL video here";
        PlatformMode().headless = false; // a shown window: live input and the pad are read
        g_hWnd = m_Wnd;                  // the device made before it records
        // SDL drops pad input while none of its windows has the focus, and an offscreen window never has it.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        m_Index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                            SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(m_Index, 0) << SDL_GetError();
        m_Stick = SDL_JoystickOpen(m_Index);
        ASSERT_NE(m_Stick, nullptr) << SDL_GetError();
        // A virtual axis starts in the middle of its travel; for a trigger that is half pulled.
        Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kTriggerOut);
        Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kTriggerOut);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        ReplayStop();
        win32::ResetGamepad();
        if (m_Stick) SDL_JoystickClose(m_Stick);
        if (m_Index >= 0) SDL_JoystickDetachVirtual(m_Index);
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "0");
        g_hWnd = nullptr;
        TitleScreenFixture::TearDown();
        if (m_Wnd) PlatformDestroyHiddenGlWindow(m_Wnd);
    }

    // One pass of the message loop: the waiting messages, then the scene procedure.
    void Pass() {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return;
            DispatchMessageA(&msg);
        }
        GetClientRect(m_Wnd, &g_rcClient);
        GetWindowRect(m_Wnd, &g_rcWindow);
        g_SceneProc();
    }
    // Passes until done() holds, at most n; whether it came to hold.
    template <class F> bool PassUntil(F done, int n) {
        for (int i = 0; i < n && !done(); ++i)
            Pass();
        return done();
    }
    void Axis(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(m_Stick, axis, value); }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(m_Stick, button, down ? 1 : 0);
    }
    // A press of a button held for two passes, then let go for two.
    void Press(SDL_GameControllerButton button) {
        Button(button, true);
        Pass();
        Pass();
        Button(button, false);
        Pass();
        Pass();
    }
    std::string Recorded() {
        ReplayStop();
        std::ifstream in(RunOptions().recordPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    ScratchDir m_Dir{"pad"};
    HWND m_Wnd = nullptr;
    int m_Index = -1;
    SDL_Joystick* m_Stick = nullptr;
};

} // namespace

TEST_F(GamepadPlay, StartTheDPadTheSticksTheTriggerAndBPlayTheGame) {
    EnterTitle();
    ASSERT_TRUE(PassUntil([] { return g_FadeMode == FADE_NONE; }, 200));
    Press(SDL_CONTROLLER_BUTTON_START); // the title's first input: the glide to the selector
    ASSERT_TRUE(PassUntil([] { return g_TitlePhase == TITLE_SELECTOR && g_bSelMoving == 0; }, 2000));
    Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    ASSERT_TRUE(PassUntil([] { return g_bSelMoving == 0; }, 500));
    EXPECT_EQ(g_StageSel, 1);
    Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    ASSERT_TRUE(PassUntil([] { return g_bSelMoving == 0; }, 500));
    EXPECT_EQ(g_StageSel, 0);
    Press(SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(PassUntil([] { return g_SceneProc == GameUpdate && g_FadeMode == FADE_NONE; }, 500));
    ASSERT_EQ(g_StageNo, 1);

    // Within the dead zone the stick does nothing; pushed up, the player swims.
    const D3DXVECTOR3 start = ThePlayer()->m_Pos;
    Axis(SDL_CONTROLLER_AXIS_LEFTY, -6000);
    for (int i = 0; i < 10; ++i)
        Pass();
    EXPECT_FALSE(GetAsyncKeyState('W') & 0x8000);
    Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    Pass();
    EXPECT_TRUE(GetAsyncKeyState('W') & 0x8000);
    for (int i = 0; i < 40; ++i)
        Pass();
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    Pass();
    EXPECT_FALSE(GetAsyncKeyState('W') & 0x8000);
    const D3DXVECTOR3 moved = ThePlayer()->m_Pos - start;
    EXPECT_GT(D3DXVec3Length(&moved), 3.0f);

    // The right trigger fires.
    ASSERT_TRUE(ShotList.empty());
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    EXPECT_TRUE(PassUntil([] { return !ShotList.empty(); }, 10));
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kTriggerOut);
    Pass();
    EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);

    // The right stick moves the cursor, faster the further it leans, and keeps it on the picture. The
    // pointer comes onto the picture first (the desktop's may lie anywhere).
    Axis(SDL_CONTROLLER_AXIS_RIGHTY, -12000);
    Pass();
    Axis(SDL_CONTROLLER_AXIS_RIGHTY, 0);
    Pass();
    const float x0 = g_CursorX;
    EXPECT_GE(x0, 0.0f);
    EXPECT_GE(g_CursorY, 0.0f);
    Axis(SDL_CONTROLLER_AXIS_RIGHTX, 16000);
    for (int i = 0; i < 5; ++i)
        Pass();
    const float slow = g_CursorX - x0;
    Axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    for (int i = 0; i < 5; ++i)
        Pass();
    const float fast = g_CursorX - x0 - slow;
    EXPECT_GT(slow, 2.0f);
    EXPECT_GT(fast, slow * 2.0f);
    for (int i = 0; i < 100; ++i)
        Pass();
    EXPECT_EQ(g_CursorX, 639.0f);
    Axis(SDL_CONTROLLER_AXIS_RIGHTX, 0);

    // B leaves the stage as Escape does.
    Press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(g_FadeMode, FADE_OUT);

    // The recording is ordinary key and mouse events, and replays.
    const std::string rec = Recorded();
    for (const char* event : {" down RETURN\n", " up RETURN\n", " down D\n", " down A\n", " down W\n",
                              " up W\n", " down LBUTTON\n", " up LBUTTON\n", " mouse 639 ", " down ESCAPE\n"})
        EXPECT_NE(rec.find(event), std::string::npos) << event << " in\n" << rec;
    std::istringstream in(rec);
    std::vector<ReplayEvent> events;
    std::string err;
    EXPECT_TRUE(ParseReplay(in, "pad.replay", events, err)) << err;
}
