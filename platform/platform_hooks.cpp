// The application's run mode, its hooks, and input put in as if the user made it (a replay).
#include "platform_hooks.h"

#include "win32_private.h"

namespace {

PlatformRunMode s_Mode;
PlatformPassHook s_BeforePass = nullptr;
PlatformInputHook s_Input = nullptr;
PlatformScreenModeHook s_ScreenMode = nullptr;

} // namespace

PlatformRunMode& PlatformMode() {
    return s_Mode;
}

void PlatformSetBeforePassHook(PlatformPassHook hook) {
    s_BeforePass = hook;
}

void PlatformSetInputHook(PlatformInputHook hook) {
    s_Input = hook;
}

void PlatformSetScreenModeHook(PlatformScreenModeHook hook) {
    s_ScreenMode = hook;
}

bool PlatformKeyPostsMessage(int vk) {
    return vk == VK_ESCAPE || vk == 'P' || vk == 'M' || vk == VK_OEM_MINUS || vk == VK_OEM_PLUS;
}

void PlatformInjectKey(int vk, bool down) {
    win32::SetKey(vk, down);
}

void PlatformInjectKeyMessage(int vk) {
    win32::PostToQueue(win32::MainWindow(), WM_KEYDOWN, (WPARAM)vk, 0);
}

void PlatformInjectMouse(int x, int y) {
    const POINT p = win32::PictureToScreen(win32::MainWindow(), x, y);
    win32::SetMouseScreen(p.x, p.y);
}

void PlatformInjectWindowMouse(int x, int y) {
    const RECT client = win32::ClientOnScreen(win32::MainWindow());
    win32::SetMouseScreen(client.left + x, client.top + y);
}

void PlatformInjectClose() {
    win32::PostToQueue(win32::MainWindow(), WM_CLOSE, 0, 0);
}

void PlatformInjectFocus(bool focused) {
    win32::PostToQueue(win32::MainWindow(), focused ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

bool PlatformWindowOpen() {
    const HWND hwnd = win32::MainWindow();
    return hwnd && !hwnd->destroyed;
}

void PlatformRequestClose() {
    if (PlatformWindowOpen())
        PlatformInjectClose();
    else
        PostQuitMessage(0);
}

namespace win32 {

void BeforePass(long long pass) {
    if (s_BeforePass) s_BeforePass(pass);
}

void ReportInput(const PlatformInputEvent& event) {
    if (s_Input) s_Input(event);
}

void ReportScreenMode(bool fullScreen) {
    if (s_ScreenMode) s_ScreenMode(fullScreen);
}

} // namespace win32
