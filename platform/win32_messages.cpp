// The message queue over SDL events. Closing the window posts WM_CLOSE, Escape, P, M, minus and plus a
// WM_KEYDOWN, the focus WM_KILLFOCUS / WM_SETFOCUS; every other key, the mouse and the game pad only change
// the polled state. The application's hook runs at the start of
// each pass's message handling (a replay's events, a limit on the passes); live input is reported to it.
#include "sdl_window.h"
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <deque>

namespace {

std::deque<MSG> s_Queue;
bool s_QuitPosted = false;
int s_QuitCode = 0;
long long s_PassesBegun = 0;   // idle passes announced by PeekMessageA
long long s_PreparedPass = -1; // the pass whose hook last ran
PlatformInputEvent s_PendingMouse;
bool s_MousePending = false;
POINT s_LastRecordedMouse = {-1000000, -1000000};
bool s_Focused = true; // the window has the keyboard focus, as far as the events told
// A key or button is polled once a pass, so a press and its release within one pass (a touchpad's tap, a
// quick click) would go unseen: the release, and every event after it, waits for the next pass.
std::deque<SDL_Event> s_HeldBack;
long long s_PressPass[256]; // 1 + the pass each key's last press came in (0: none yet)

// Letters, minus and plus by their place on the keyboard (the scancode), so that W A S D lie under the left
// hand on any layout; arrows, Enter and Escape by what the key is.
int VirtualKeyOf(const SDL_Keysym& key) {
    switch (key.scancode) {
    case SDL_SCANCODE_W:
        return 'W';
    case SDL_SCANCODE_A:
        return 'A';
    case SDL_SCANCODE_S:
        return 'S';
    case SDL_SCANCODE_D:
        return 'D';
    case SDL_SCANCODE_P:
        return 'P';
    case SDL_SCANCODE_M:
        return 'M';
    case SDL_SCANCODE_MINUS:
    case SDL_SCANCODE_KP_MINUS:
        return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS:
    case SDL_SCANCODE_KP_PLUS:
        return VK_OEM_PLUS;
    default:
        break;
    }
    switch (key.sym) {
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

// The mouse move of this pass, if one is waiting to be reported.
void ReportPendingMouse() {
    if (!s_MousePending) return;
    win32::ReportInput(s_PendingMouse);
    s_MousePending = false;
}

void ReportLiveInput(PlatformInputKind kind, int key) {
    ReportPendingMouse();
    PlatformInputEvent e;
    e.pass = s_PassesBegun;
    e.kind = kind;
    e.key = key;
    win32::ReportInput(e);
}

// A mouse move to c (the picture's coordinates) waits to be reported, unless it goes nowhere new.
void NotePictureMouse(POINT c) {
    if (c.x == s_LastRecordedMouse.x && c.y == s_LastRecordedMouse.y) return;
    s_LastRecordedMouse = c;
    s_PendingMouse.pass = s_PassesBegun;
    s_PendingMouse.kind = PlatformInputKind::Mouse;
    s_PendingMouse.x = c.x;
    s_PendingMouse.y = c.y;
    s_MousePending = true;
}

void NoteMouse(HWND hwnd, int windowX, int windowY) {
    const RECT client = win32::ClientOnScreen(hwnd);
    POINT screen{client.left + windowX, client.top + windowY};
    win32::SetMouseScreen(screen.x, screen.y);
    win32::SetPadPointer(false);
    NotePictureMouse(win32::ScreenToPicture(hwnd, screen));
}

// The window lost or regained the keyboard focus: WM_KILLFOCUS or WM_SETFOCUS, reported when it changed.
void NoteFocus(HWND hwnd, bool focused) {
    if (focused == s_Focused || !hwnd || hwnd->destroyed) return;
    s_Focused = focused;
    win32::PostToQueue(hwnd, focused ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
    ReportLiveInput(focused ? PlatformInputKind::FocusIn : PlatformInputKind::FocusOut, 0);
}

void ToggleFullScreen(HWND hwnd) {
    if (hwnd && hwnd->sdl && !PlatformMode().headless) {
        PlatformSetFullScreen(hwnd, hwnd->fullScreen ? FALSE : TRUE);
        win32::ReportScreenMode(hwnd->fullScreen);
    }
}

// Alt+Enter switches between the window and full screen; it is no Enter for the game.
bool IsScreenToggle(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_RETURN && (key.keysym.mod & KMOD_ALT);
}

// The key an event presses or releases (0: none of the game's), and whether it presses it.
int EventKey(const SDL_Event& ev, bool& down) {
    down = ev.type == SDL_KEYDOWN || ev.type == SDL_MOUSEBUTTONDOWN;
    if (ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP)
        return ev.key.repeat || (down && IsScreenToggle(ev.key)) ? 0 : VirtualKeyOf(ev.key.keysym);
    if (ev.type == SDL_MOUSEBUTTONDOWN || ev.type == SDL_MOUSEBUTTONUP)
        return ev.button.button == SDL_BUTTON_LEFT ? VK_LBUTTON : 0;
    return 0;
}

// Whether ev waits for the next pass: it releases a key pressed in this one, or comes after one that waits.
bool HoldBack(const SDL_Event& ev, std::deque<SDL_Event>& held) {
    bool down = false;
    const int vk = EventKey(ev, down);
    if (vk && down) s_PressPass[vk] = s_PassesBegun + 1;
    if (held.empty() && !(vk && !down && s_PressPass[vk] == s_PassesBegun + 1)) return false;
    held.push_back(ev);
    return true;
}

// Turns the waiting SDL events (those held back from the last pass first) into messages and input state.
void PumpEvents() {
    if (!win32::VideoStarted()) return;
    HWND hwnd = win32::MainWindow();
    const bool live = !PlatformMode().replayActive;
    std::deque<SDL_Event> waiting, held;
    waiting.swap(s_HeldBack);
    SDL_Event ev;
    for (;;) {
        if (!waiting.empty()) {
            ev = waiting.front();
            waiting.pop_front();
        } else if (!SDL_PollEvent(&ev)) {
            break;
        }
        if (live && HoldBack(ev, held)) continue;
        switch (ev.type) {
        case SDL_QUIT:
            if (hwnd && !hwnd->destroyed) {
                win32::PostToQueue(hwnd, WM_CLOSE, 0, 0);
                if (live) ReportLiveInput(PlatformInputKind::Close, 0);
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const bool down = ev.type == SDL_KEYDOWN;
            if (down && IsScreenToggle(ev.key)) {
                if (!ev.key.repeat) ToggleFullScreen(hwnd);
                break;
            }
            const int vk = VirtualKeyOf(ev.key.keysym);
            if (!live || vk == 0 || ev.key.repeat) break;
            win32::LiveKey(win32::InputSource::Keyboard, vk, down);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (!live || ev.button.button != SDL_BUTTON_LEFT) break;
            const bool down = ev.type == SDL_MOUSEBUTTONDOWN;
            NoteMouse(hwnd, ev.button.x, ev.button.y);
            win32::LiveKey(win32::InputSource::Mouse, VK_LBUTTON, down);
            break;
        }
        case SDL_MOUSEMOTION:
            if (live) NoteMouse(hwnd, ev.motion.x, ev.motion.y);
            break;
        case SDL_WINDOWEVENT:
            // A window no one sees (headless) has no focus to lose.
            if (!live || PlatformMode().headless) break;
            if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) NoteFocus(hwnd, false);
            if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) NoteFocus(hwnd, true);
            break;
        default:
            break;
        }
    }
    s_HeldBack.swap(held);
    if (live && !PlatformMode().headless) win32::PollGamepad(s_PassesBegun);
    ReportPendingMouse();
}

// Once for each pass, before it handles its messages: the application's hook.
void PreparePass() {
    if (s_PreparedPass == s_PassesBegun) return;
    s_PreparedPass = s_PassesBegun;
    win32::BeforePass(s_PassesBegun);
}

bool TakeQuit(MSG* msg) {
    if (!s_QuitPosted) return false;
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = (WPARAM)s_QuitCode;
    msg->time = timeGetTime();
    return true;
}

} // namespace

namespace win32 {

void PostToQueue(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = hWnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = timeGetTime();
    m.pt = MouseScreen();
    s_Queue.push_back(m);
}

void LiveKey(InputSource source, int vk, bool down) {
    if (!SetSourceKey(source, vk, down)) return;
    ReportLiveInput(down ? PlatformInputKind::KeyDown : PlatformInputKind::KeyUp, vk);
    if (down && PlatformKeyPostsMessage(vk)) PostToQueue(MainWindow(), WM_KEYDOWN, (WPARAM)vk, 0);
}

void MovePadPointer(int x, int y) {
    const POINT screen = PictureToScreen(MainWindow(), x, y);
    SetMouseScreen(screen.x, screen.y);
    SetPadPointer(true);
    NotePictureMouse(POINT{x, y});
}

void ResetMessages() {
    s_Queue.clear();
    s_QuitPosted = false;
    s_QuitCode = 0;
    s_PassesBegun = 0;
    s_PreparedPass = -1;
    s_MousePending = false;
    s_LastRecordedMouse = POINT{-1000000, -1000000};
    s_Focused = true;
    s_HeldBack.clear();
    for (long long& pass : s_PressPass)
        pass = 0;
}

long long IdlePassesBegun() {
    return s_PassesBegun;
}

} // namespace win32

BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    (void)hWnd, (void)wMsgFilterMin, (void)wMsgFilterMax;
    if (!lpMsg) return FALSE;
    PreparePass();
    win32::CloseOnSignal();
    PumpEvents();
    if (!s_Queue.empty()) {
        *lpMsg = s_Queue.front();
        if (wRemoveMsg & PM_REMOVE) s_Queue.pop_front();
        return TRUE;
    }
    if (TakeQuit(lpMsg)) {
        if (wRemoveMsg & PM_REMOVE) s_QuitPosted = false;
        return TRUE;
    }
    // Nothing waiting: the caller runs an idle pass now.
    ++s_PassesBegun;
    return FALSE;
}

BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    (void)hWnd, (void)wMsgFilterMin, (void)wMsgFilterMax;
    if (!lpMsg) return FALSE;
    for (;;) {
        PreparePass();
        win32::CloseOnSignal();
        PumpEvents();
        if (!s_Queue.empty()) {
            *lpMsg = s_Queue.front();
            s_Queue.pop_front();
            return TRUE;
        }
        if (TakeQuit(lpMsg)) {
            s_QuitPosted = false;
            return FALSE;
        }
        // Wait for input; with no screen window nothing can come, so hand back an empty message.
        if (!win32::VideoStarted()) {
            *lpMsg = MSG{};
            return TRUE;
        }
        SDL_WaitEventTimeout(nullptr, 100);
    }
}

BOOL TranslateMessage(const MSG* lpMsg) {
    (void)lpMsg;
    return FALSE; // no character messages are made
}

LRESULT DispatchMessageA(const MSG* lpMsg) {
    if (!lpMsg || !lpMsg->hwnd || !lpMsg->hwnd->proc) return 0;
    return lpMsg->hwnd->proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void PostQuitMessage(int nExitCode) {
    s_QuitPosted = true;
    s_QuitCode = nExitCode;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    (void)wParam, (void)lParam;
    if (Msg == WM_CLOSE) DestroyWindow(hWnd);
    return 0;
}
