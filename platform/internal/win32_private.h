// Shared state of the window, message, input and time layer (platform sources and tests only).
#pragma once

#include "picture_size.h"
#include "platform_hooks.h"
#include "windows.h"

struct SDL_Window;

// What a window handle points at. The screen window is an SDL window; a window made with --no-render has
// none and keeps a client of the picture's size at the screen origin.
struct HWND__ {
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    int x = 0, y = 0; // client origin on the screen (windows without an SDL window)
    int width = kPictureWidth, height = kPictureHeight; // client size (windows without an SDL window)
    bool fullScreen = false;
    bool destroyed = false;
    RECT windowed = {0, 0, 0, 0}; // the client before full screen: its size is gone back to
};

namespace win32 {

// Starts SDL video once: the offscreen driver when headless, and also when offscreenWithoutDisplay is set
// and there is no display to use (hidden windows for tests). False when SDL video cannot be started.
bool StartVideo(bool offscreenWithoutDisplay);
bool VideoStarted();
// The game's window (the last one CreateWindowExA made), or null.
HWND MainWindow();

// The held state of a virtual key (only the keys GetAsyncKeyState reports are kept).
void SetKey(int vk, bool down);
bool KeyHeld(int vk);
// Where live input comes from. A key is held while any source holds it.
enum class InputSource { Keyboard, Mouse, Pad, Count };
// Sets what one source holds of vk; true when that changed whether the key is held.
bool SetSourceKey(InputSource source, int vk, bool down);
// Whether a source holds vk.
bool SourceHeld(InputSource source, int vk);
// Set while the game pad, not the mouse, placed the pointer last: GetCursorPos then reads the tracked
// position instead of the desktop's pointer.
void SetPadPointer(bool on);
bool PadPointer();
// The tracked mouse in screen coordinates.
void SetMouseScreen(int x, int y);
POINT MouseScreen();
// The window's client area in screen coordinates (window points), and the picture's place in it: the
// largest 4:3 rectangle, centred between black bars. GetWindowRect and GetClientRect report the picture's,
// so that the game's cursor formula maps window points through the bars into 640 x 480.
RECT ClientOnScreen(HWND hWnd);
RECT PictureOnScreen(HWND hWnd);
// The client size that the game's request for width x height stands for: the player's --window size in
// place of the picture's own.
void WindowedClientSize(int& width, int& height);
// The picture's coordinates (its client coordinates when the client has the picture's size) <-> screen
// coordinates, through the picture's place on the screen.
POINT PictureToScreen(HWND hWnd, int x, int y);
POINT ScreenToPicture(HWND hWnd, POINT screen);
// Forgets every held key and puts the mouse at the screen origin (tests).
void ResetInput();

// Appends a message to the queue (the way the system posts to a window).
void PostToQueue(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Empties the queue, drops a pending quit and restarts the pass count (tests).
void ResetMessages();
// Number of idle passes begun so far (PeekMessageA reported an empty queue this many times).
long long IdlePassesBegun();

// After SIGINT or SIGTERM: closes the window once, as the user would (PlatformRequestClose).
void CloseOnSignal();

// Takes the virtual clock back to 0 (tests).
void ResetVirtualClock();

// The application's hooks (platform_hooks.h): before pass handles its messages, for a live input event, and
// after Alt+Enter switched the screen mode.
void BeforePass(long long pass);
void ReportInput(const PlatformInputEvent& event);
void ReportScreenMode(bool fullScreen);

// Live input as the message layer takes it in (win32_messages.cpp): a source holds or lets go of vk; a
// change of the held state is reported, and a press of a key that posts a message posts WM_KEYDOWN.
void LiveKey(InputSource source, int vk, bool down);
// The game pad puts the pointer at (x, y) of the picture, reported like a mouse move; the desktop's
// pointer stays where it is.
void MovePadPointer(int x, int y);

// The game pad (win32_gamepad.cpp): reads the first connected pad once a pass and turns it into keys and
// pointer moves; lets go of everything it holds when its pad goes away.
void PollGamepad(long long pass);
// Closes the pad and lets go of its keys (tests).
void ResetGamepad();

} // namespace win32
