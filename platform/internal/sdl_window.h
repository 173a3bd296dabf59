// The link between the window layer's HWND handles and the SDL windows behind them.
#pragma once

#include "wintypes.h"

struct SDL_Window;

// Implemented by the window layer: the SDL window (created with SDL_WINDOW_OPENGL) behind hwnd, or null
// when hwnd is null or not one of its windows.
SDL_Window* PlatformSdlWindow(HWND hwnd);

// Puts the window on the whole desktop (or back to its 640 x 480 client), as a full-screen device does and
// as Alt+Enter asks.
void PlatformSetFullScreen(HWND hWnd, BOOL bFullScreen);

// For tests: creates a hidden width x height OpenGL SDL window and returns a handle that CreateDevice
// accepts as a focus window (null when SDL video or the window cannot be started; the reason is then in
// SDL_GetError). Destroy it after the device on it has been released.
HWND PlatformCreateHiddenGlWindow(int width, int height);
void PlatformDestroyHiddenGlWindow(HWND hwnd);
