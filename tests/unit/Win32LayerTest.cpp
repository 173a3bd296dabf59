// The window, message and input layer without a screen: a --no-render window, replayed input, the
// --frames limit, the virtual clock and the cursor mapping the game uses.
#include "tests/support/ScratchDir.h"
#include "tests/unit/RunTestSupport.h"
#include "sdl_window.h"
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Seen {
    long long pass;
    UINT message;
    WPARAM wParam;
};
std::vector<Seen> g_Seen;
long long g_Pass = 0;

LRESULT CALLBACK_TestProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_Seen.push_back({g_Pass, msg, wParam});
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_KEYDOWN) return 0;
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

class Win32Layer : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().noRender = true;
        PlatformMode().fast = true;
        win32::ResetMessages();
        win32::ResetInput();
        win32::ResetVirtualClock();
        g_Seen.clear();
        g_Pass = 0;
        hwnd = CreateGameWindow(CALLBACK_TestProc);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override {
        PlatformDestroyHiddenGlWindow(hwnd);
        ResetRun();
        win32::ResetMessages();
        win32::ResetInput();
    }

    // The message loop of WinMain; onPass runs as the scene procedure. Returns the quit code.
    template <typename F> int RunLoop(F onPass, long long maxPasses = 1000) {
        MSG msg{};
        for (;;) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                if (!GetMessageA(&msg, nullptr, 0, 0)) return (int)msg.wParam;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            } else {
                onPass();
                ++g_Pass;
                if (g_Pass > maxPasses) return -1;
            }
        }
    }

    std::vector<ReplayEvent> Replay(const std::string& text) {
        std::istringstream in(text);
        std::vector<ReplayEvent> ev;
        std::string err;
        EXPECT_TRUE(ParseReplay(in, "test", ev, err)) << err;
        return ev;
    }

    HWND hwnd = nullptr;
};

// The design's mapping from the mouse to 640 x 480 space.
float MapX(POINT m, RECT win, RECT client) {
    return ((float)m.x - (float)(win.left - client.left) - (float)GetSystemMetrics(SM_CYFRAME)) /
           ((float)client.right / 640.0f);
}
float MapY(POINT m, RECT win, RECT client) {
    return ((float)m.y - (float)(win.top - client.top) - (float)GetSystemMetrics(SM_CYFRAME) -
            (float)GetSystemMetrics(SM_CYCAPTION)) /
           ((float)client.bottom / 480.0f);
}

} // namespace

TEST_F(Win32Layer, FramesLimitRunsExactlyThatManyPassesThenCloses) {
    RunOptions().frames = 5;
    int passes = 0;
    int code = RunLoop([&] { ++passes; });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(passes, 5);
    // Closing goes WM_CLOSE (default handling destroys the window), then WM_DESTROY.
    ASSERT_EQ(g_Seen.size(), 2u);
    EXPECT_EQ(g_Seen[0].message, WM_CLOSE);
    EXPECT_EQ(g_Seen[1].message, WM_DESTROY);
    EXPECT_EQ(g_Seen[1].pass, 5);
}

TEST_F(Win32Layer, ReplayAppliesBeforeThePassHandlesItsMessages) {
    ReplaySet(Replay("0 down W\n0 mouse 100 50\n2 up W\n2 down ESCAPE\n3 down LBUTTON\n4 close\n"), true);
    std::vector<bool> wHeld, escHeld, leftHeld;
    std::vector<POINT> mouse;
    int code = RunLoop([&] {
        wHeld.push_back(GetAsyncKeyState('W') & 0x8000);
        escHeld.push_back(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
        leftHeld.push_back(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
        POINT p;
        GetCursorPos(&p);
        mouse.push_back(p);
    });
    EXPECT_EQ(code, 0);
    ASSERT_EQ(wHeld.size(), 4u); // passes 0..3; the close of pass 4 ends the loop first
    EXPECT_EQ(wHeld, (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(escHeld, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(leftHeld, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(mouse[0].x, 100);
    EXPECT_EQ(mouse[0].y, 50);
    // The Escape key message reached the window procedure before pass 2 ran; nothing else did.
    ASSERT_EQ(g_Seen.size(), 3u);
    EXPECT_EQ(g_Seen[0].message, WM_KEYDOWN);
    EXPECT_EQ(g_Seen[0].wParam, (WPARAM)VK_ESCAPE);
    EXPECT_EQ(g_Seen[0].pass, 2);
    EXPECT_EQ(g_Seen[1].message, WM_CLOSE);
    EXPECT_EQ(g_Seen[2].message, WM_DESTROY);
    EXPECT_EQ(g_Seen[2].pass, 4);
}

TEST_F(Win32Layer, QuitMessageComesAfterQueuedMessagesAndCarriesItsCode) {
    PostQuitMessage(3);
    win32::PostToQueue(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    // Retrieved once; then the queue is empty and the next pass may run.
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(win32::IdlePassesBegun(), 1);
}

TEST_F(Win32Layer, OnlyTheNineGameKeysAreReported) {
    ReplaySet(Replay("0 down A\n0 down RIGHT\n0 down RETURN\n"), true);
    ReplayBeforePass(0);
    EXPECT_EQ((unsigned short)GetAsyncKeyState('A'), 0x8000u);
    EXPECT_EQ((unsigned short)GetAsyncKeyState(VK_RIGHT), 0x8000u);
    EXPECT_EQ((unsigned short)GetAsyncKeyState(VK_RETURN), 0x8000u);
    EXPECT_EQ(GetAsyncKeyState('S'), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
    EXPECT_EQ(GetAsyncKeyState(0x20), 0);
}

TEST_F(Win32Layer, VirtualClockMovesOnlyBySleep) {
    EXPECT_EQ(timeGetTime(), 0u);
    Sleep(17);
    Sleep(0);
    EXPECT_EQ(timeGetTime(), 17u);
    Sleep(983);
    EXPECT_EQ(timeGetTime(), 1000u);
}

TEST_F(Win32Layer, WindowedClientIs640x480AndFrameMetricsAreZero) {
    RECT r{0, 0, 640, 480};
    EXPECT_TRUE(AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 0);
}

TEST_F(Win32Layer, CursorFormulaGivesExactClientCoordinates) {
    // A window away from the screen origin, client 640 x 480.
    SetWindowPos(hwnd, nullptr, 150, 90, 640, 480, SWP_NOZORDER);
    ReplaySet(Replay("0 mouse 0 0\n1 mouse 320 240\n2 mouse 639 479\n3 mouse -20 500\n"), true);
    const int expect[4][2] = {{0, 0}, {320, 240}, {639, 479}, {-20, 500}};
    for (int pass = 0; pass < 4; ++pass) {
        ReplayBeforePass(pass);
        RECT win, client;
        GetWindowRect(hwnd, &win);
        GetClientRect(hwnd, &client);
        EXPECT_EQ(win.left, 150);
        EXPECT_EQ(win.top, 90);
        POINT m;
        ASSERT_TRUE(GetCursorPos(&m));
        EXPECT_EQ(MapX(m, win, client), (float)expect[pass][0]) << pass;
        EXPECT_EQ(MapY(m, win, client), (float)expect[pass][1]) << pass;
    }
}

TEST_F(Win32Layer, CursorFormulaScalesAResizedClient) {
    SetWindowPos(hwnd, nullptr, 10, 20, 1280, 960, SWP_NOZORDER);
    ReplaySet(Replay("0 mouse 320 240\n1 mouse 17 3\n"), true);
    RECT win, client;
    GetWindowRect(hwnd, &win);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 1280);
    EXPECT_EQ(win.right - win.left, 1280);
    POINT m;
    ReplayBeforePass(0);
    GetCursorPos(&m);
    EXPECT_EQ(m.x, 10 + 640);
    EXPECT_EQ(m.y, 20 + 480);
    EXPECT_EQ(MapX(m, win, client), 320.0f);
    EXPECT_EQ(MapY(m, win, client), 240.0f);
    ReplayBeforePass(1);
    GetCursorPos(&m);
    EXPECT_EQ(MapX(m, win, client), 17.0f);
    EXPECT_EQ(MapY(m, win, client), 3.0f);
}

// A 1280 x 720 client shows the picture 960 x 720 between bars 160 wide; the rectangles the game reads
// are the picture's, so the same formula maps window points through the bars, and a picture position put
// in by a replay lands where the window shows it.
TEST_F(Win32Layer, CursorFormulaMapsAWideClientThroughItsBars) {
    SetWindowPos(hwnd, nullptr, 10, 20, 1280, 720, SWP_NOZORDER);
    RECT win, client;
    GetWindowRect(hwnd, &win);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 960);
    EXPECT_EQ(client.bottom, 720);
    EXPECT_EQ(win.left, 10 + 160);
    EXPECT_EQ(win.top, 20);
    ReplaySet(Replay("0 window-mouse 640 360\n1 window-mouse 100 0\n2 mouse 320 240\n"), true);
    const float expect[3][2] = {{320.0f, 240.0f}, {-40.0f, 0.0f}, {320.0f, 240.0f}};
    for (int pass = 0; pass < 3; ++pass) {
        ReplayBeforePass(pass);
        POINT m;
        ASSERT_TRUE(GetCursorPos(&m));
        EXPECT_EQ(MapX(m, win, client), expect[pass][0]) << pass;
        EXPECT_EQ(MapY(m, win, client), expect[pass][1]) << pass;
    }
}

TEST_F(Win32Layer, SetCursorPosIsSeenByGetCursorPos) {
    SetCursorPos(320, 240);
    POINT m;
    ASSERT_TRUE(GetCursorPos(&m));
    EXPECT_EQ(m.x, 320);
    EXPECT_EQ(m.y, 240);
}

TEST_F(Win32Layer, NoRenderWindowHasNoSdlWindow) {
    EXPECT_EQ(PlatformSdlWindow(hwnd), nullptr);
    EXPECT_EQ(PlatformSdlWindow(nullptr), nullptr);
    EXPECT_EQ(win32::MainWindow(), hwnd);
}

TEST_F(Win32Layer, QuestionIsAnsweredByTheFlagsOrNoWithoutAScreen) {
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    PlatformMode().screenAnswer = IDYES;
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON2), IDYES);
    // The flags answer only the question, not error boxes.
    EXPECT_EQ(MessageBoxA(nullptr, "e", "ERROR", MB_OK | MB_ICONERROR), IDOK);
}

// Live input through SDL events on an offscreen window: polled state, the Escape message, closing, and
// the record file.
class Win32LiveInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().headless = true;
        PlatformMode().fast = true;
        win32::ResetMessages();
        win32::ResetInput();
        g_Seen.clear();
        g_Pass = 0;
        ASSERT_FALSE(m_Dir.Path().empty());
        recordPath = m_Dir.File("input.replay");
        RunOptions().recordPath = recordPath;
        std::string err;
        ASSERT_TRUE(ReplayStart(err)) << err;
        hwnd = CreateGameWindow(CALLBACK_TestProc);
        if (!hwnd) GTEST_SKIP() << "no SDL video here";
        ASSERT_NE(PlatformSdlWindow(hwnd), nullptr);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        ReplayStop();
        if (hwnd) PlatformDestroyHiddenGlWindow(hwnd);
        ResetRun();
        win32::ResetMessages();
        win32::ResetInput();
    }
    // A key event as SDL makes it: the key's meaning and its place on the keyboard (by default where a US
    // layout has that key).
    void PushKey(SDL_Keycode key, bool down, SDL_Scancode place = SDL_SCANCODE_UNKNOWN) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.sym = key;
        e.key.keysym.scancode = place != SDL_SCANCODE_UNKNOWN ? place : SDL_GetScancodeFromKey(key);
        e.key.windowID = SDL_GetWindowID(PlatformSdlWindow(hwnd));
        SDL_PushEvent(&e);
    }
    void PushButton(bool down, int x, int y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    // One pass of the message loop: dispatch what is waiting, then the idle pass.
    void Pass() {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                quit = true;
                return;
            }
            DispatchMessageA(&msg);
        }
        ++g_Pass;
    }

    ScratchDir m_Dir{"record"};
    HWND hwnd = nullptr;
    std::string recordPath;
    bool quit = false;
};

TEST_F(Win32LiveInput, KeysAreHeldEscapeIsAMessageAndEverythingIsRecorded) {
    PushKey(SDLK_w, true);
    PushKey(SDLK_ESCAPE, true);
    PushKey(SDLK_SPACE, true); // not a game key: neither held nor recorded
    Pass();
    EXPECT_TRUE(GetAsyncKeyState('W') & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
    ASSERT_EQ(g_Seen.size(), 1u); // only Escape reaches the window procedure
    EXPECT_EQ(g_Seen[0].message, WM_KEYDOWN);
    EXPECT_EQ(g_Seen[0].wParam, (WPARAM)VK_ESCAPE);
    PushKey(SDLK_w, false);
    PushButton(true, 64, 48);
    Pass();
    EXPECT_FALSE(GetAsyncKeyState('W') & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    RECT win;
    GetWindowRect(hwnd, &win);
    POINT m;
    GetCursorPos(&m);
    EXPECT_EQ(m.x - win.left, 64);
    EXPECT_EQ(m.y - win.top, 48);
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    Pass();
    EXPECT_TRUE(quit);
    ReplayStop();
    std::ifstream in(recordPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "# brinewisp input: <pass> down|up KEY, <pass> mouse X Y, <pass> close, <pass> focus "
              "out|in\n"
              "0 down W\n0 down ESCAPE\n1 up W\n1 mouse 64 48\n1 down LBUTTON\n2 close\n");
    // The recording replays.
    std::vector<ReplayEvent> ev;
    std::string err;
    std::istringstream again(text.str());
    EXPECT_TRUE(ParseReplay(again, "rec", ev, err)) << err;
    EXPECT_EQ(ev.size(), 6u);
}

TEST_F(Win32LiveInput, ReplayShutsOutTheLiveKeyboard) {
    ReplaySet({}, true);
    PushKey(SDLK_ESCAPE, true);
    PushKey(SDLK_d, true);
    Pass();
    EXPECT_FALSE(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState('D') & 0x8000);
    EXPECT_TRUE(g_Seen.empty());
}

// Letters, minus and plus are read by their place on the keyboard: on AZERTY the key printed Z stands where
// QWERTY has W, and it swims forward; the key printed A (QWERTY's Q) does nothing. Arrows, Enter and Escape
// keep their meaning wherever they are.
TEST_F(Win32LiveInput, LettersAreReadByTheirPlaceOnAnyLayout) {
    PushKey(SDLK_z, true, SDL_SCANCODE_W); // AZERTY
    PushKey(SDLK_q, true, SDL_SCANCODE_A); // AZERTY
    PushKey(SDLK_a, true, SDL_SCANCODE_Q); // AZERTY: not a game key where it stands
    PushKey(SDLK_z, true, SDL_SCANCODE_Y); // QWERTZ: not a game key where it stands
    PushKey(SDLK_RETURN, true, SDL_SCANCODE_KP_ENTER);
    Pass();
    EXPECT_TRUE(GetAsyncKeyState('W') & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState('A') & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState(VK_RETURN) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState('S') & 0x8000);
    EXPECT_TRUE(g_Seen.empty()); // none of these is a message
    // P, M, minus and plus by place too, and each press is a message for the window.
    PushKey(SDLK_p, true, SDL_SCANCODE_P);
    PushKey(SDLK_COMMA, true, SDL_SCANCODE_M);          // AZERTY prints a comma where QWERTY has M
    PushKey(SDLK_RIGHTPAREN, true, SDL_SCANCODE_MINUS); // AZERTY
    PushKey(SDLK_EQUALS, true, SDL_SCANCODE_EQUALS);
    PushKey(SDLK_m, true, SDL_SCANCODE_SEMICOLON); // AZERTY's M: not where M is read
    Pass();
    std::vector<WPARAM> keys;
    for (const Seen& s : g_Seen) {
        EXPECT_EQ(s.message, WM_KEYDOWN);
        keys.push_back(s.wParam);
    }
    EXPECT_EQ(keys, (std::vector<WPARAM>{'P', 'M', VK_OEM_MINUS, VK_OEM_PLUS}));
    ReplayStop();
    std::ifstream in(recordPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(
                  "0 down W\n0 down A\n0 down RETURN\n1 down P\n1 down M\n1 down MINUS\n1 down EQUALS\n"),
              std::string::npos)
        << text.str();
}

// A click or a tap whose press and release both come within one pass is seen: the press holds the button for
// that pass and the release (with what follows it) waits for the next, which is also what is recorded.
TEST_F(Win32LiveInput, APressAndItsReleaseInOnePassAreSeenInTurn) {
    PushButton(true, 64, 48);
    PushButton(false, 64, 48);
    PushKey(SDLK_d, true); // after the release: waits with it
    Pass();
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState('D') & 0x8000);
    Pass();
    EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState('D') & 0x8000);
    ReplayStop();
    std::ifstream in(recordPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("0 down LBUTTON\n1 up LBUTTON\n1 down D\n"), std::string::npos) << text.str();
}

// A shown window that loses and regains the focus gets WM_KILLFOCUS and WM_SETFOCUS, and the recording keeps
// both; a headless window has no focus to lose.
TEST_F(Win32LiveInput, FocusChangesAreMessagesAndRecorded) {
    auto pushFocus = [&](Uint8 what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        e.window.windowID = SDL_GetWindowID(PlatformSdlWindow(hwnd));
        SDL_PushEvent(&e);
    };
    pushFocus(SDL_WINDOWEVENT_FOCUS_LOST);
    Pass();
    EXPECT_TRUE(g_Seen.empty());
    PlatformMode().headless = false;         // the window is now treated as a shown one
    pushFocus(SDL_WINDOWEVENT_FOCUS_GAINED); // it had the focus already: nothing new
    pushFocus(SDL_WINDOWEVENT_FOCUS_LOST);
    Pass();
    pushFocus(SDL_WINDOWEVENT_FOCUS_GAINED);
    Pass();
    ASSERT_EQ(g_Seen.size(), 2u);
    EXPECT_EQ(g_Seen[0].message, WM_KILLFOCUS);
    EXPECT_EQ(g_Seen[1].message, WM_SETFOCUS);
    ReplayStop();
    std::ifstream in(recordPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\n1 focus out\n2 focus in\n"), std::string::npos) << text.str();
    std::vector<ReplayEvent> ev;
    std::string err;
    std::istringstream again(text.str());
    ASSERT_TRUE(ParseReplay(again, "rec", ev, err)) << err;
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, ReplayKind::FocusOut);
    EXPECT_EQ(FormatReplayEvent(ev[1]), "2 focus in");
}
