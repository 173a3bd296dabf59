// The application's handle on the platform layer, beside the Win32 calls: how this run works, a hook
// before each pass handles its messages, a hook for every live input event, and input put in as if the
// user made it (a replay). Not a Win32 header: the application's start-up, its replay module, the scene
// chain (which leaves out drawing passes when nothing is drawn) and tests include it.
#pragma once

#include "wintypes.h"

// Auto: the scale of the picture on screen on a graphics card, adapted to the frame work on a software
// renderer; 4 samples on a graphics card, none on a software renderer.
constexpr int kRenderScaleAuto = 0;
constexpr int kMsaaAuto = -1;

// How this run works; set once at start-up (tests set it freely).
struct PlatformRunMode {
    bool headless = false;     // SDL's offscreen driver: no visible window, real rendering
    bool noRender = false;     // no SDL video and no OpenGL: a window without a screen, a recording device
    bool fast = false;         // virtual clock: timeGetTime starts at 0 and moves only by what Sleep asks
    int screenAnswer = 0;      // what a Yes/No MessageBoxA returns without asking (IDYES, IDNO), 0 ask
    bool replayActive = false; // live keyboard and mouse ignored: input only through PlatformInject*
    bool unattended = false;   // no one is there to answer a box (--frames): boxes are answered at once
    // The screen. The window's client size (0 x 0: the size the game asks for, which it stands in for);
    // the back buffer's scale over the picture (kRenderScaleAuto, or 1 to 4 pixels a pixel as far as the
    // picture's size on screen goes); multisampling (kMsaaAuto, or 0, 2, 4, 8 samples); whether the swap
    // waits for the display's refresh.
    int windowWidth = 0, windowHeight = 0;
    int renderScale = kRenderScaleAuto;
    int msaa = kMsaaAuto;
    bool vsync = false;
};
PlatformRunMode& PlatformMode();

// One live input event as the message layer takes it in. A mouse move is reported once per pass, before
// the next key event or when the pass's events are all read.
enum class PlatformInputKind { KeyDown, KeyUp, Mouse, Close, FocusOut, FocusIn };
struct PlatformInputEvent {
    long long pass = 0; // the idle pass whose messages are being handled
    PlatformInputKind kind = PlatformInputKind::Close;
    int key = 0;      // KeyDown, KeyUp: the virtual key
    int x = 0, y = 0; // Mouse: the position in the picture's client coordinates
};

typedef void (*PlatformPassHook)(long long pass);
typedef void (*PlatformInputHook)(const PlatformInputEvent& event);
// Called once for each idle pass, before that pass handles its messages (pass 0 is the first idle pass).
// Null removes it.
void PlatformSetBeforePassHook(PlatformPassHook hook);
// Called for each live input event (never while replayActive). Null removes it.
void PlatformSetInputHook(PlatformInputHook hook);
typedef void (*PlatformScreenModeHook)(bool fullScreen);
// Called after Alt+Enter has switched the window to full screen (true) or back to a window. Null removes it.
void PlatformSetScreenModeHook(PlatformScreenModeHook hook);

// Whether pressing the key vk also sends WM_KEYDOWN to the window (Escape, P, M, minus and plus), besides
// holding it.
bool PlatformKeyPostsMessage(int vk);

// ---- Input put in as if the user made it ----
// The held state of a virtual key, as GetAsyncKeyState reports it.
void PlatformInjectKey(int vk, bool down);
// A WM_KEYDOWN message for the game's window (the message the Escape key sends).
void PlatformInjectKeyMessage(int vk);
// The mouse at (x, y) of the picture's client coordinates.
void PlatformInjectMouse(int x, int y);
// The mouse at (x, y) of the window's own client area (window coordinates, over the picture or its bars),
// where a real mouse would be.
void PlatformInjectWindowMouse(int x, int y);
// The user closes the game's window: WM_CLOSE to it.
void PlatformInjectClose();
// The game's window loses (WM_KILLFOCUS) or regains (WM_SETFOCUS) the keyboard focus.
void PlatformInjectFocus(bool focused);
// True while the game's window exists and has not been destroyed.
bool PlatformWindowOpen();

// ---- Ending the run ----
// Ends the run as the user closing the window does: WM_CLOSE to the game's window while it is open, else
// the quit message.
void PlatformRequestClose();
// From now on SIGINT and SIGTERM end the run through PlatformRequestClose, seen before the next pass and
// inside every wait (a box, the frame pacing's Sleep, GetMessageA); a second one ends the process at once.
void PlatformCatchSignals();
// True once SIGINT or SIGTERM has arrived.
bool PlatformSignalled();

// ---- The start-up question ----
// Whether "Don't ask again" was ticked when the last Yes/No box was answered (false when none was shown).
bool PlatformDontAskAgain();
