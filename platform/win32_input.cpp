// Keyboard and mouse state: held keys, the mouse position in screen coordinates.
// The message layer feeds it from SDL events, or the application from a replay (platform_hooks.h).
#include "picture_size.h"
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <cmath>

namespace {

bool s_Keys[256] = {};
bool s_SourceKeys[(int)win32::InputSource::Count][256] = {};
POINT s_Mouse = {0, 0};
bool s_PadPointer = false;

// The live mouse of a visible window is read from the desktop (unless the game pad moved the pointer);
// everything else uses the tracked position.
bool UseDesktopMouse() {
    const PlatformRunMode& mode = PlatformMode();
    return win32::VideoStarted() && !mode.headless && !mode.noRender && !mode.replayActive && !s_PadPointer;
}

} // namespace

namespace win32 {

void SetKey(int vk, bool down) {
    if (vk >= 0 && vk < 256) s_Keys[vk] = down;
}

bool KeyHeld(int vk) {
    return vk >= 0 && vk < 256 && s_Keys[vk];
}

bool SetSourceKey(InputSource source, int vk, bool down) {
    if (vk < 0 || vk >= 256) return false;
    s_SourceKeys[(int)source][vk] = down;
    bool any = false;
    for (const auto& keys : s_SourceKeys)
        any = any || keys[vk];
    if (s_Keys[vk] == any) return false;
    s_Keys[vk] = any;
    return true;
}

bool SourceHeld(InputSource source, int vk) {
    return vk >= 0 && vk < 256 && s_SourceKeys[(int)source][vk];
}

void SetPadPointer(bool on) {
    s_PadPointer = on;
}

bool PadPointer() {
    return s_PadPointer;
}

void SetMouseScreen(int x, int y) {
    s_Mouse = POINT{x, y};
}

POINT MouseScreen() {
    return s_Mouse;
}

POINT PictureToScreen(HWND hWnd, int x, int y) {
    RECT client{0, 0, kPictureWidth, kPictureHeight}, window{0, 0, kPictureWidth, kPictureHeight};
    if (hWnd) {
        GetClientRect(hWnd, &client);
        GetWindowRect(hWnd, &window);
    }
    // Whole pixels, rounded towards minus infinity; exact when the client has the picture's size.
    const long long w = client.right > 0 ? client.right : kPictureWidth;
    const long long h = client.bottom > 0 ? client.bottom : kPictureHeight;
    const long long sx = (long long)x * w, sy = (long long)y * h;
    return POINT{
        window.left + (LONG)(sx >= 0 ? sx / kPictureWidth : -((-sx + kPictureWidth - 1) / kPictureWidth)),
        window.top + (LONG)(sy >= 0 ? sy / kPictureHeight : -((-sy + kPictureHeight - 1) / kPictureHeight))};
}

POINT ScreenToPicture(HWND hWnd, POINT screen) {
    RECT client{0, 0, kPictureWidth, kPictureHeight}, window{0, 0, kPictureWidth, kPictureHeight};
    if (hWnd) {
        GetClientRect(hWnd, &client);
        GetWindowRect(hWnd, &window);
    }
    const double w = client.right > 0 ? client.right : kPictureWidth;
    const double h = client.bottom > 0 ? client.bottom : kPictureHeight;
    return POINT{(LONG)std::lround((screen.x - window.left) * double(kPictureWidth) / w),
                 (LONG)std::lround((screen.y - window.top) * double(kPictureHeight) / h)};
}

void ResetInput() {
    for (bool& k : s_Keys)
        k = false;
    for (auto& keys : s_SourceKeys)
        for (bool& k : keys)
            k = false;
    s_Mouse = POINT{0, 0};
    s_PadPointer = false;
}

} // namespace win32

SHORT GetAsyncKeyState(int vKey) {
    return win32::KeyHeld(vKey) ? (SHORT)0x8000 : (SHORT)0;
}

BOOL ClientToScreen(HWND hWnd, POINT* lpPoint) {
    if (!hWnd || !lpPoint) return FALSE;
    *lpPoint = win32::PictureToScreen(hWnd, lpPoint->x, lpPoint->y);
    return TRUE;
}

BOOL GetCursorPos(POINT* lpPoint) {
    if (!lpPoint) return FALSE;
    if (UseDesktopMouse()) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        *lpPoint = POINT{x, y};
        return TRUE;
    }
    *lpPoint = s_Mouse;
    return TRUE;
}
