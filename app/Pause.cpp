// The pause of a stage and its board.
#include "app/Pause.h"

#include "app/Scene.h"
#include "app/TraceSections.h"
#include "assets/Sound.h"
#include "assets/Textures.h"
#include <picture_size.h>

namespace {

bool s_Paused = false;

constexpr int kDimOpacity = 110;     // the black laid over the paused picture
constexpr float kBoardScale = 1.25f; // the 256 x 128 board drawn 320 x 160

// The music plays on, quieter, while the stage is paused.
void SetPaused(bool paused) {
    s_Paused = paused;
    SoundLevels levels = CurrentSoundLevels();
    levels.musicDucked = paused;
    SetSoundLevels(levels);
}

} // namespace

bool StagePaused() {
    return s_Paused;
}

void TogglePause() {
    if (s_Paused)
        ResumeStage();
    else
        PauseStage();
}

void PauseStage() {
    if (!s_Paused && g_SceneProc == GameUpdate) SetPaused(true);
}

void ResumeStage() {
    if (s_Paused) SetPaused(false);
}

void DrawPauseBoard() {
    LoadComfortTextures();
    DrawBlackOverlay(kDimOpacity);
    if (!g_pTexPaused) return;
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, kBoardScale, kBoardScale, 1.0f);
    DrawSprite(g_pTexPaused, 255, kPictureWidth * 0.5f, kPictureHeight * 0.45f, 128.0f, 64.0f,
               RECT{0, 0, 256, 128}, scale);
}

// 1 while the stage is paused.
void TracePauseKeys(JsonLine& j) {
    j.Int("paused", s_Paused ? 1 : 0);
}
