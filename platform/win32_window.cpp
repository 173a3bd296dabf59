// The window, its rectangles, the system metrics and the message boxes, over SDL2.
#include "dialog.h"
#include "screen_scale.h"
#include "sdl_window.h"
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

bool s_VideoStarted = false;
HWND s_MainWindow = nullptr;
WNDPROC s_ClassProc = nullptr;
std::string s_ClassName;
int s_CursorShowCount = 0;
bool s_DontAskAgain = false;

const char* const kNoDisplay = "no display to open the window on (--headless runs without one)";

bool HaveDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// SDL_VIDEODRIVER asks for a driver nobody sees.
bool InvisibleDriverForced() {
    const char* forced = std::getenv("SDL_VIDEODRIVER");
    return forced && (std::strcmp(forced, "offscreen") == 0 || std::strcmp(forced, "dummy") == 0);
}

// A person may be there to answer a box: a display to show it on and a run that nobody drives.
bool SomeoneCanAnswer() {
    const PlatformRunMode& mode = PlatformMode();
    return !mode.headless && !mode.noRender && !mode.replayActive && !mode.unattended &&
           !PlatformSignalled() && HaveDisplay() && !InvisibleDriverForced();
}

bool PlainAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// The text on one line of the terminal.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

// A font for the box's texts with the words of its buttons in the user's language, else in English; null
// when no font of the system shows the texts.
std::unique_ptr<dialog::Font> BoxFont(const std::string& text, const std::string& caption,
                                      const dialog::Labels*& labels) {
    const std::u32string t = dialog::Utf8Decode(text), c = dialog::Utf8Decode(caption);
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    for (const dialog::Labels* l :
         {japanese ? &dialog::JapaneseLabels() : nullptr, &dialog::EnglishLabels()}) {
        if (!l) continue;
        std::vector<std::u32string> all = {t, c};
        for (const char* word : {l->yes, l->no, l->ok, l->dontAsk})
            all.push_back(dialog::Utf8Decode(word));
        if (std::unique_ptr<dialog::Font> font = dialog::FindFont(all)) {
            labels = l;
            return font;
        }
    }
    return nullptr;
}

// Yes/No or OK buttons; SDL's button ids are the Win32 results. 0 when no box could be shown.
int ShowBox(LPCSTR text, LPCSTR caption, UINT type) {
    const bool yesNo = (type & 0x0F) == MB_YESNO;
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo) {
        const bool noDefault = (type & MB_DEFBUTTON2) != 0;
        buttons[0] = {noDefault ? 0u : (Uint32)SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT |
                          (noDefault ? (Uint32)SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0u),
                      IDNO, "No"};
        count = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
                      "OK"};
        count = 1;
    }
    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    if (type & MB_ICONERROR)
        flags |= SDL_MESSAGEBOX_ERROR;
    else
        flags |= SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxData data{};
    data.flags = flags;
    data.window = nullptr; // no owner
    data.title = caption ? caption : "";
    data.message = text ? text : "";
    data.numbuttons = count;
    data.buttons = buttons;
    int hit = -1;
    if (SDL_ShowMessageBox(&data, &hit) != 0) return 0;
    return hit < 0 ? (yesNo ? IDNO : IDOK) : hit; // closed without a button: the Escape button
}

} // namespace

namespace win32 {

bool StartVideo(bool offscreenWithoutDisplay) {
    if (s_VideoStarted) return true;
    const PlatformRunMode& mode = PlatformMode();
    if (mode.noRender) return false;
    const char* forced = std::getenv("SDL_VIDEODRIVER");
    if (!mode.headless && !offscreenWithoutDisplay && !HaveDisplay() && !(forced && *forced)) {
        std::fprintf(stderr, "brinewisp: %s\n", kNoDisplay); // said before SDL probes and complains
        return false;
    }
    if (mode.headless || (offscreenWithoutDisplay && !HaveDisplay() && !(forced && *forced)))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "brinewisp: cannot start SDL video: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to an invisible driver; a game no one can see is refused.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (invisible && !mode.headless && !offscreenWithoutDisplay && !(forced && *forced)) {
        std::fprintf(stderr, "brinewisp: %s\n", kNoDisplay);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return false;
    }
    s_VideoStarted = true;
    return true;
}

bool VideoStarted() {
    return s_VideoStarted;
}
HWND MainWindow() {
    return s_MainWindow;
}

RECT ClientOnScreen(HWND hWnd) {
    if (!hWnd) return RECT{0, 0, kPictureWidth, kPictureHeight};
    int x = hWnd->x, y = hWnd->y, w = hWnd->width, h = hWnd->height;
    if (hWnd->sdl) {
        SDL_GetWindowPosition(hWnd->sdl, &x, &y);
        SDL_GetWindowSize(hWnd->sdl, &w, &h);
    }
    return RECT{x, y, x + w, y + h};
}

RECT PictureOnScreen(HWND hWnd) {
    const RECT client = ClientOnScreen(hWnd);
    const PictureRect p = FitPicture(client.right - client.left, client.bottom - client.top);
    return RECT{client.left + p.x, client.top + p.y, client.left + p.x + p.w, client.top + p.y + p.h};
}

void WindowedClientSize(int& width, int& height) {
    const PlatformRunMode& mode = PlatformMode();
    if (width == kPictureWidth && height == kPictureHeight && mode.windowWidth > 0 && mode.windowHeight > 0) {
        width = mode.windowWidth;
        height = mode.windowHeight;
    }
}

} // namespace win32

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    (void)hWnd;
    const bool yesNo = (uType & 0x0F) == MB_YESNO;
    const PlatformRunMode& mode = PlatformMode();
    const std::string text = lpText ? lpText : "", caption = lpCaption ? lpCaption : "";
    if (yesNo) s_DontAskAgain = false; // an error box leaves the question's answer as it was
    if (yesNo && mode.screenAnswer != 0) return mode.screenAnswer;
    const bool someone = SomeoneCanAnswer();
    std::unique_ptr<dialog::Font> font;
    const dialog::Labels* labels = nullptr;
    if (someone) {
        font = BoxFont(text, caption, labels);
        if (!font && !PlainAscii(text + caption)) return 0; // the caller may offer another text
    }
    if (uType & MB_ICONERROR)
        std::fprintf(stderr, "brinewisp: %s: %s\n", caption.c_str(), OneLine(text).c_str());
    int answer = 0;
    if (someone && font && win32::StartVideo(false)) {
        dialog::Spec spec;
        spec.text = text;
        spec.caption = caption;
        spec.yesNo = yesNo;
        spec.defaultNo = (uType & MB_DEFBUTTON2) != 0;
        spec.error = (uType & MB_ICONERROR) != 0;
        answer = dialog::Show(spec, *labels, *font, yesNo ? &s_DontAskAgain : nullptr);
    }
    // Without a font or a window of our own, the system box of SDL, which shows plain ASCII well.
    if (answer == 0 && someone && PlainAscii(text + caption)) answer = ShowBox(lpText, lpCaption, uType);
    if (answer != 0) return answer;
    return yesNo ? IDNO : IDOK; // no answer possible: No
}

bool PlatformDontAskAgain() {
    return s_DontAskAgain;
}

ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName) return 0;
    s_ClassProc = lpWndClass->lpfnWndProc;
    s_ClassName = lpWndClass->lpszClassName;
    return 1;
}

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                     LPVOID lpParam) {
    (void)dwExStyle, (void)dwStyle, (void)hWndParent, (void)hMenu, (void)hInstance, (void)lpParam;
    if (!lpClassName || s_ClassName != lpClassName || !s_ClassProc) return nullptr;
    if (nWidth <= 0 || nWidth == CW_USEDEFAULT) nWidth = kPictureWidth;
    if (nHeight <= 0 || nHeight == CW_USEDEFAULT) nHeight = kPictureHeight;
    win32::WindowedClientSize(nWidth, nHeight);
    HWND hwnd = new HWND__;
    hwnd->proc = s_ClassProc;
    hwnd->width = nWidth;
    hwnd->height = nHeight;
    if (!PlatformMode().noRender) {
        if (!win32::StartVideo(false)) {
            delete hwnd;
            return nullptr;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        const int x = X == CW_USEDEFAULT ? (int)SDL_WINDOWPOS_UNDEFINED : X;
        const int y = Y == CW_USEDEFAULT ? (int)SDL_WINDOWPOS_UNDEFINED : Y;
        hwnd->sdl = SDL_CreateWindow(lpWindowName ? lpWindowName : "", x, y, nWidth, nHeight,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN |
                                         SDL_WINDOW_ALLOW_HIGHDPI);
        if (!hwnd->sdl) {
            std::fprintf(stderr, "brinewisp: cannot create the window: %s\n", SDL_GetError());
            delete hwnd;
            return nullptr;
        }
    }
    s_MainWindow = hwnd;
    return hwnd;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    if (!hWnd) return FALSE;
    if (hWnd->sdl) {
        if (nCmdShow == SW_HIDE)
            SDL_HideWindow(hWnd->sdl);
        else
            SDL_ShowWindow(hWnd->sdl);
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    return hWnd ? TRUE : FALSE;
}

HWND SetFocus(HWND hWnd) {
    if (hWnd && hWnd->sdl && !PlatformMode().headless) SDL_RaiseWindow(hWnd->sdl);
    return hWnd;
}

BOOL AdjustWindowRect(RECT* lpRect, DWORD dwStyle, BOOL bMenu) {
    (void)dwStyle, (void)bMenu;
    return lpRect ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    (void)hWndInsertAfter;
    if (!hWnd) return FALSE;
    if (!(uFlags & SWP_NOSIZE) && cx > 0 && cy > 0) {
        win32::WindowedClientSize(cx, cy);
        if (hWnd->sdl)
            SDL_SetWindowSize(hWnd->sdl, cx, cy);
        else
            hWnd->width = cx, hWnd->height = cy;
    }
    if (!(uFlags & SWP_NOMOVE)) {
        if (hWnd->sdl)
            SDL_SetWindowPosition(hWnd->sdl, X, Y);
        else
            hWnd->x = X, hWnd->y = Y;
    }
    if ((uFlags & SWP_SHOWWINDOW) && hWnd->sdl) SDL_ShowWindow(hWnd->sdl);
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, RECT* lpRect) {
    if (!hWnd || !lpRect) return FALSE;
    const RECT picture = win32::PictureOnScreen(hWnd);
    *lpRect = RECT{0, 0, picture.right - picture.left, picture.bottom - picture.top};
    return TRUE;
}

BOOL GetWindowRect(HWND hWnd, RECT* lpRect) {
    if (!hWnd || !lpRect) return FALSE;
    *lpRect = win32::PictureOnScreen(hWnd);
    return TRUE;
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        SDL_DisplayMode mode;
        if (win32::VideoStarted() && SDL_GetDesktopDisplayMode(0, &mode) == 0)
            return nIndex == SM_CXSCREEN ? mode.w : mode.h;
        return nIndex == SM_CXSCREEN ? kPictureWidth : kPictureHeight; // no desktop: the picture's size
    }
    default:
        return 0; // frames and captions belong to the desktop here
    }
}

BOOL DestroyWindow(HWND hWnd) {
    if (!hWnd || hWnd->destroyed) return FALSE;
    hWnd->destroyed = true;
    if (hWnd->proc) hWnd->proc(hWnd, WM_DESTROY, 0, 0);
    // The SDL window stays until the process ends: the device presents into it until then.
    return TRUE;
}

void PlatformSetFullScreen(HWND hWnd, BOOL bFullScreen) {
    if (!hWnd) return;
    const bool full = bFullScreen != 0;
    if (hWnd->sdl && full && !hWnd->fullScreen) {
        hWnd->windowed = win32::ClientOnScreen(hWnd);
        // Without a window manager nobody answers the request for full screen, and the window would keep
        // its size while SDL reports the display's: it is put over the whole display first, which a window
        // manager then takes over.
        SDL_Rect display;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(hWnd->sdl)), &display) == 0) {
            SDL_SetWindowPosition(hWnd->sdl, display.x, display.y);
            SDL_SetWindowSize(hWnd->sdl, display.w, display.h);
        }
        SDL_SetWindowFullscreen(hWnd->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else if (hWnd->sdl && !full && hWnd->fullScreen) {
        // Back to the window's size, centred (a window manager's frame would shift a restored position).
        SDL_SetWindowFullscreen(hWnd->sdl, 0);
        const RECT& was = hWnd->windowed;
        SDL_SetWindowSize(hWnd->sdl, was.right - was.left, was.bottom - was.top);
        const int display = std::max(0, SDL_GetWindowDisplayIndex(hWnd->sdl));
        SDL_SetWindowPosition(hWnd->sdl, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
    hWnd->fullScreen = full;
}

// ---- Cursor ----

BOOL SetCursorPos(int X, int Y) {
    win32::SetMouseScreen(X, Y);
    if (!win32::VideoStarted() || PlatformMode().headless || PlatformMode().replayActive) return TRUE;
    // Over the game's window the point is placed relative to the window itself: the desktop may not have
    // settled where the window lies yet, and the window's own corner is what the point was made from.
    const HWND hwnd = s_MainWindow;
    const RECT rc = win32::ClientOnScreen(hwnd);
    if (hwnd && hwnd->sdl && X >= rc.left && Y >= rc.top && X < rc.right && Y < rc.bottom)
        SDL_WarpMouseInWindow(hwnd->sdl, X - rc.left, Y - rc.top);
    else
        SDL_WarpMouseGlobal(X, Y);
    return TRUE;
}

int ShowCursor(BOOL bShow) {
    s_CursorShowCount += bShow ? 1 : -1;
    if (win32::VideoStarted()) SDL_ShowCursor(s_CursorShowCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return s_CursorShowCount;
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    (void)hInstance, (void)lpIconName;
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    (void)hInstance, (void)lpCursorName;
    return nullptr;
}

HGDIOBJ GetStockObject(int i) {
    (void)i;
    return nullptr;
}

// ---- The link to the device layer ----

SDL_Window* PlatformSdlWindow(HWND hwnd) {
    return hwnd ? hwnd->sdl : nullptr;
}

HWND PlatformCreateHiddenGlWindow(int width, int height) {
    if (!win32::StartVideo(true)) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* w = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w) return nullptr;
    HWND hwnd = new HWND__;
    hwnd->sdl = w;
    hwnd->width = width;
    hwnd->height = height;
    return hwnd;
}

void PlatformDestroyHiddenGlWindow(HWND hwnd) {
    if (!hwnd) return;
    if (hwnd->sdl) SDL_DestroyWindow(hwnd->sdl);
    if (s_MainWindow == hwnd) s_MainWindow = nullptr;
    delete hwnd;
}
