// Settings at start-up, the pause and volume keys, and the volume indicator.
#include "app/Comfort.h"

#include "app/Pause.h"
#include "app/Settings.h"
#include "assets/Sound.h"
#include "assets/Textures.h"
#include <picture_size.h>
#include <platform_hooks.h>

#include <algorithm>

namespace {

constexpr int kVolumeStep = 10;      // percent a press of minus or plus
constexpr int kIndicatorFrames = 60; // how long the indicator shows after a change
constexpr int kIndicatorFadeFrames = 15;
int s_IndicatorFrames = 0;

// The indicator's pieces in image/game/volume.png: a card with the speaker and ten empty slots, a lit
// slot, and the cross of mute laid over the speaker's waves.
const RECT kCardRect = {0, 0, 200, 48};
const RECT kLitSlotRect = {216, 12, 226, 36};
const RECT kCrossRect = {228, 12, 252, 36};
constexpr float kFirstSlotX = 52.0f, kSlotStep = 14.0f, kSlotY = 12.0f, kCrossX = 24.0f;
constexpr float kMargin = 12.0f; // from the picture's top right corner

void ApplySoundSettings() {
    const Settings& s = RunSettings();
    SoundLevels levels = CurrentSoundLevels();
    levels.master = s.volume;
    levels.music = s.music;
    levels.effects = s.effects;
    levels.muted = s.muted != 0;
    SetSoundLevels(levels);
}

void VolumeChanged() {
    ApplySoundSettings();
    SettingsSave();
    s_IndicatorFrames = kIndicatorFrames;
}

// Changing the volume also ends a mute: the player wants to hear the new level.
void StepVolume(int by) {
    Settings& s = RunSettings();
    s.volume = std::clamp(s.volume + by, 0, 100);
    s.muted = 0;
    VolumeChanged();
}

void DrawPiece(RECT src, float x, float y, int opacity) {
    D3DXMATRIX one;
    D3DXMatrixIdentity(&one);
    DrawSprite(g_pTexVolume, opacity, x, y, 0.0f, 0.0f, src, one);
}

} // namespace

void ComfortStart() {
    SettingsStart();
    ApplySoundSettings();
    PlatformSetScreenModeHook(SettingsNoteScreenMode);
}

void ComfortScreenAnswered(bool fullScreen) {
    if (PlatformDontAskAgain()) SettingsRememberDisplay(fullScreen);
}

void ComfortKeyDown(WPARAM key) {
    switch (key) {
    case 'P':
        TogglePause();
        break;
    case 'M':
        RunSettings().muted = RunSettings().muted ? 0 : 1;
        VolumeChanged();
        break;
    case VK_OEM_MINUS:
        StepVolume(-kVolumeStep);
        break;
    case VK_OEM_PLUS:
        StepVolume(kVolumeStep);
        break;
    case VK_ESCAPE:
        ResumeStage();
        break;
    default:
        break;
    }
}

void ComfortFocusLost() {
    if (RunSettings().pauseOnFocusLoss) PauseStage();
}

void DrawVolumeIndicator() {
    if (s_IndicatorFrames <= 0) return;
    const int opacity = std::min(255, s_IndicatorFrames * 255 / kIndicatorFadeFrames);
    --s_IndicatorFrames;
    LoadComfortTextures();
    if (!g_pTexVolume) return;
    const Settings& s = RunSettings();
    const float x = kPictureWidth - kMargin - (float)kCardRect.right, y = kMargin;
    DrawPiece(kCardRect, x, y, opacity);
    const int lit = (s.volume + kVolumeStep / 2) / kVolumeStep;
    for (int i = 0; i < lit; ++i)
        DrawPiece(kLitSlotRect, x + kFirstSlotX + kSlotStep * static_cast<float>(i), y + kSlotY,
                  s.muted ? opacity / 3 : opacity);
    if (s.muted) DrawPiece(kCrossRect, x + kCrossX, y + kSlotY, opacity);
}

int VolumeIndicatorFrames() {
    return s_IndicatorFrames;
}
