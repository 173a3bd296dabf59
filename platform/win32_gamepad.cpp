// The game pad: the first connected SDL game controller, read once a pass and turned into the keys and the
// pointer the game already polls, so that a recording holds pad play as ordinary key and mouse events.
// Left stick and D-pad hold W A S D, the right stick moves the pointer, the right trigger or A holds the
// left mouse button, Start holds Enter, B and Back hold Escape. Pads come and go at any time.
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cmath>

namespace {

constexpr float kDeadZone = 0.25f;     // of a stick's or trigger's travel, ignored
constexpr float kPointerSpeed = 14.0f; // picture pixels a pass at full deflection of the right stick

SDL_GameController* s_Pad = nullptr;
bool s_Started = false;
long long s_PolledPass = -1;
float s_PointerX = 0.0f, s_PointerY = 0.0f; // where the pad's pointer is, in picture pixels

// The keys the pad can hold.
const int kPadKeys[] = {'W', 'A', 'S', 'D', VK_LBUTTON, VK_RETURN, VK_ESCAPE};

float Axis(SDL_GameControllerAxis axis) {
    return std::max(-1.0f, static_cast<float>(SDL_GameControllerGetAxis(s_Pad, axis)) / 32767.0f);
}

bool Button(SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(s_Pad, button) != 0;
}

void LetGoOfEverything() {
    for (int vk : kPadKeys)
        if (win32::SourceHeld(win32::InputSource::Pad, vk))
            win32::LiveKey(win32::InputSource::Pad, vk, false);
}

// Keeps the first connected pad open: drops one that went away, opens the first one there is.
bool FindPad() {
    if (s_Pad && !SDL_GameControllerGetAttached(s_Pad)) {
        SDL_GameControllerClose(s_Pad);
        s_Pad = nullptr;
        LetGoOfEverything();
    }
    for (int i = 0; !s_Pad && i < SDL_NumJoysticks(); ++i)
        if (SDL_IsGameController(i)) s_Pad = SDL_GameControllerOpen(i);
    return s_Pad != nullptr;
}

// The right stick moves the pointer at a speed that grows with the square of its deflection beyond the
// dead zone; the pointer stays on the picture.
void MovePointer() {
    const float x = Axis(SDL_CONTROLLER_AXIS_RIGHTX), y = Axis(SDL_CONTROLLER_AXIS_RIGHTY);
    const float length = std::sqrt(x * x + y * y);
    if (length <= kDeadZone) return;
    if (!win32::PadPointer()) { // start from wherever the mouse left the pointer
        POINT screen{0, 0};
        GetCursorPos(&screen);
        const POINT p = win32::ScreenToPicture(win32::MainWindow(), screen);
        s_PointerX = (float)p.x;
        s_PointerY = (float)p.y;
    }
    const float t = std::min(1.0f, (length - kDeadZone) / (1.0f - kDeadZone));
    const float step = kPointerSpeed * t * t / length;
    s_PointerX = std::clamp(s_PointerX + x * step, 0.0f, (float)(kPictureWidth - 1));
    s_PointerY = std::clamp(s_PointerY + y * step, 0.0f, (float)(kPictureHeight - 1));
    win32::MovePadPointer((int)std::lround(s_PointerX), (int)std::lround(s_PointerY));
}

} // namespace

namespace win32 {

void PollGamepad(long long pass) {
    if (pass == s_PolledPass) return;
    s_PolledPass = pass;
    if (!s_Started) {
        s_Started = true;
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
    }
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER) || !FindPad()) return;
    const float lx = Axis(SDL_CONTROLLER_AXIS_LEFTX), ly = Axis(SDL_CONTROLLER_AXIS_LEFTY);
    const bool held[] = {
        ly < -kDeadZone || Button(SDL_CONTROLLER_BUTTON_DPAD_UP),
        lx < -kDeadZone || Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT),
        ly > kDeadZone || Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
        lx > kDeadZone || Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
        Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kDeadZone || Button(SDL_CONTROLLER_BUTTON_A),
        Button(SDL_CONTROLLER_BUTTON_START),
        Button(SDL_CONTROLLER_BUTTON_B) || Button(SDL_CONTROLLER_BUTTON_BACK),
    };
    for (size_t i = 0; i < sizeof(kPadKeys) / sizeof(kPadKeys[0]); ++i)
        if (SourceHeld(InputSource::Pad, kPadKeys[i]) != held[i])
            LiveKey(InputSource::Pad, kPadKeys[i], held[i]);
    MovePointer();
}

void ResetGamepad() {
    if (s_Pad) SDL_GameControllerClose(s_Pad);
    s_Pad = nullptr;
    LetGoOfEverything();
    s_PolledPass = -1;
}

} // namespace win32
