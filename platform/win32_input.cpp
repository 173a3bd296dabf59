// Keyboard and mouse state: held keys, the mouse position in screen coordinates.
// The message layer feeds it from SDL events, or the application from a replay (platform_hooks.h).
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <cmath>

namespace {

bool s_Keys[256] = {};
POINT s_Mouse = {0, 0};

// The live mouse of a visible window is read from the desktop; everything else uses the tracked position.
bool UseDesktopMouse() {
    const PlatformRunMode& mode = PlatformMode();
    return win32::VideoStarted() && !mode.headless && !mode.noRender && !mode.replayActive;
}

} // namespace

namespace win32 {

void SetKey(int vk, bool down) {
    if (vk >= 0 && vk < 256) s_Keys[vk] = down;
}

bool KeyHeld(int vk) {
    return vk >= 0 && vk < 256 && s_Keys[vk];
}

void SetMouseScreen(int x, int y) {
    s_Mouse = POINT{x, y};
}

POINT MouseScreen() {
    return s_Mouse;
}

POINT ClientToScreen640(HWND hWnd, int x, int y) {
    RECT client{0, 0, 640, 480}, window{0, 0, 640, 480};
    if (hWnd) {
        GetClientRect(hWnd, &client);
        GetWindowRect(hWnd, &window);
    }
    // Whole pixels; exact when the client is 640 x 480.
    const long long w = client.right > 0 ? client.right : 640, h = client.bottom > 0 ? client.bottom : 480;
    const long long sx = (long long)x * w, sy = (long long)y * h;
    return POINT{window.left + (LONG)(sx >= 0 ? sx / 640 : -((-sx + 639) / 640)),
                 window.top + (LONG)(sy >= 0 ? sy / 480 : -((-sy + 479) / 480))};
}

POINT ScreenToClient640(HWND hWnd, POINT screen) {
    RECT client{0, 0, 640, 480}, window{0, 0, 640, 480};
    if (hWnd) {
        GetClientRect(hWnd, &client);
        GetWindowRect(hWnd, &window);
    }
    const double w = client.right > 0 ? client.right : 640, h = client.bottom > 0 ? client.bottom : 480;
    return POINT{(LONG)std::lround((screen.x - window.left) * 640.0 / w),
                 (LONG)std::lround((screen.y - window.top) * 480.0 / h)};
}

void ResetInput() {
    for (bool& k : s_Keys)
        k = false;
    s_Mouse = POINT{0, 0};
}

} // namespace win32

SHORT GetAsyncKeyState(int vKey) {
    return win32::KeyHeld(vKey) ? (SHORT)0x8000 : (SHORT)0;
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
