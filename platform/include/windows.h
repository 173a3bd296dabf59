// The Win32 and winmm calls the game makes: one window, its messages, the keyboard and mouse state,
// message boxes and the millisecond clock. Built on SDL2; texts are UTF-8.
#pragma once

#include "wintypes.h"

// ---- Handles and records ----
struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
typedef void* HGDIOBJ;
struct HMENU__;
typedef HMENU__* HMENU;
typedef WORD ATOM;
typedef DWORD MMRESULT;
typedef short SHORT;
typedef WORD LANGID;

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

// ---- Constants ----
#define MB_OK 0x00000000u
#define MB_YESNO 0x00000004u
#define MB_ICONERROR 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_DEFBUTTON2 0x00000100u
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

#define CS_DBLCLKS 0x0008u
#define WS_OVERLAPPEDWINDOW 0x00CF0000u
#define CW_USEDEFAULT ((int)0x80000000)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWDEFAULT 10

#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_SHOWWINDOW 0x0040u

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CYCAPTION 4
#define SM_CXFRAME 32
#define SM_CYFRAME 33

#define WM_DESTROY 0x0002u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u

#define VK_LBUTTON 0x01
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_LEFT 0x25
#define VK_RIGHT 0x27
#define VK_OEM_PLUS 0xBB
#define VK_OEM_MINUS 0xBD

#define IDI_APPLICATION ((LPCSTR)(uintptr_t)32512)
#define IDC_ARROW ((LPCSTR)(uintptr_t)32512)
#define WHITE_BRUSH 0

#define TIMERR_NOERROR 0

#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((WORD)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3FF)

// ---- Message boxes ----
// A box the layer draws itself with a TrueType font of the system, so that any script shows whatever the
// desktop's fonts and locale. MB_YESNO gives Yes and No buttons (No the default with MB_DEFBUTTON2; Escape
// and closing the box answer No) and a "Don't ask again" tick box (PlatformDontAskAgain); MB_ICONERROR an
// error box, whose text also goes to standard error as one line. No box is shown when no one can answer
// (no display, --headless, --no-render, --frames, a replay, after SIGINT or SIGTERM): IDNO (Yes/No boxes)
// or IDOK at once. Returns 0 when no font of the system can show the text: the caller may try another.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// ---- Language and files ----
// The language of the user's messages from the locale (LC_ALL, else LC_MESSAGES, else LANG, as POSIX
// orders them): MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT) for one starting with "ja", else English.
LANGID GetUserDefaultUILanguage();
// The full path of the running program (hModule null); its length, 0 on failure.
DWORD GetModuleFileNameA(HINSTANCE hModule, LPSTR lpFilename, DWORD nSize);

// ---- Window ----
ATOM RegisterClassA(const WNDCLASSA* lpWndClass);
// Creates the one SDL window (OpenGL, resizable, high-DPI drawable) with the given client size (the
// picture's 640 x 480 stands for the player's --window size, here and in SetWindowPos); with --headless on
// SDL's offscreen driver. With --no-render no SDL video is started and a window handle without a screen
// window is returned. Null on failure (no display, for one).
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                     LPVOID lpParam);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL UpdateWindow(HWND hWnd);
HWND SetFocus(HWND hWnd);
// Frames and captions are drawn by the desktop here: the rectangle is left as it is.
BOOL AdjustWindowRect(RECT* lpRect, DWORD dwStyle, BOOL bMenu);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
// The picture's part of the client area: the picture keeps its 4:3 shape at every window size, as large as
// fits, centred between black bars. (0, 0, its width, its height).
BOOL GetClientRect(HWND hWnd, RECT* lpRect);
// That part's rectangle in screen coordinates (there is no frame of our own). Mapped with GetClientRect by
// the game's cursor formula, a mouse over the bars falls outside 0..639 / 0..479.
BOOL GetWindowRect(HWND hWnd, RECT* lpRect);
// SM_CYFRAME, SM_CXFRAME and SM_CYCAPTION are 0; SM_CXSCREEN / SM_CYSCREEN give the desktop size.
int GetSystemMetrics(int nIndex);
BOOL DestroyWindow(HWND hWnd);

// ---- Cursor ----
BOOL SetCursorPos(int X, int Y);
// A point of the client area, given in the picture's 640 x 480 coordinates, in screen coordinates.
BOOL ClientToScreen(HWND hWnd, POINT* lpPoint);
int ShowCursor(BOOL bShow);
// The mouse in screen coordinates, consistent with GetWindowRect.
BOOL GetCursorPos(POINT* lpPoint);
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HGDIOBJ GetStockObject(int i);

// ---- Keyboard and mouse buttons ----
// High bit (0x8000) set while the key is held: 'W', 'A', 'S', 'D', 'P', 'M', VK_OEM_MINUS, VK_OEM_PLUS,
// VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE, VK_LBUTTON. Other keys report 0. Letters, minus and plus are
// the keys at those places of a US keyboard, whatever the layout prints on them; a gamepad holds some of
// them too.
SHORT GetAsyncKeyState(int vKey);

// ---- Messages ----
// Messages come from SDL events: closing the window gives WM_CLOSE (DefWindowProcA turns it into
// WM_DESTROY); Escape, P, M, minus and plus give WM_KEYDOWN when pressed; other keys are only polled. The
// window losing and regaining the keyboard focus gives WM_KILLFOCUS and WM_SETFOCUS.
BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Returns 0 for WM_QUIT. When nothing is queued it waits for the next SDL event.
BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL TranslateMessage(const MSG* lpMsg);
LRESULT DispatchMessageA(const MSG* lpMsg);
void PostQuitMessage(int nExitCode);
LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// ---- Time (winmm) ----
// Milliseconds. With --fast a virtual clock: it starts at 0 and moves only by what Sleep asks.
DWORD timeGetTime();
MMRESULT timeBeginPeriod(UINT uPeriod);
MMRESULT timeEndPeriod(UINT uPeriod);
void Sleep(DWORD dwMilliseconds);
