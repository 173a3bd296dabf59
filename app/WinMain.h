// Program entry, the one window and the message loop.
#pragma once

#include <windows.h>

extern HWND g_hWnd;        // the window; null until it exists
extern BYTE g_bFullScreen; // 1 full screen, 0 windowed
extern RECT g_rcClient;    // the client rectangle, refreshed before every scene call
extern RECT g_rcWindow;    // the window's screen rectangle, refreshed at the same moment

// Asks the screen mode, opens the window, creates the device, sets up the application and runs the message
// loop until the quit message. Returns the quit message's wParam, or 0 when the window or the device
// cannot be created.
int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
LRESULT WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
