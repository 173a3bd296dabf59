// Temporary stand-ins; see Placeholders.h. Each does the least its callers need and nothing more.
#include "app/Placeholders.h"

#include "app/Scene.h"

// ---- Camera and seabed: stand-in until the camera lands ----
void InitGround() {}                         // stand-in until the camera lands
void SelectTerrain() {}                      // stand-in until the camera lands
void DrawGround() {}                         // stand-in until the camera lands
void TitleCameraInit() {}                    // stand-in until the camera lands
void TitleCameraUpdate() {}                  // stand-in until the camera lands
void StageCameraInit(const D3DXMATRIX&) {}   // stand-in until the camera lands
void StageCameraUpdate(const D3DXMATRIX&) {} // stand-in until the camera lands
void SetViewProjection() {}                  // stand-in until the camera lands

// ---- Cursor: stand-in until the cursor lands ----
void ResetCursor() {}  // stand-in until the cursor lands
void UpdateCursor() {} // stand-in until the cursor lands
void DrawCursor() {}   // stand-in until the cursor lands

// ---- Title: stand-in until the title screen lands ----
// The title's set-up starts the fade-in from black, as the real one does.
void TitleSetup() { // stand-in until the title screen lands
    if (g_FadeMode == 0) g_FadeMode = 1;
}
// Only the end of the title's fade-out is handled: nothing here can choose a menu item yet.
void TitleStep() { // stand-in until the title screen lands
    if (g_FadeMode == 4) g_SceneProc = TitleUninit;
}
void UpdateEffectList() {}    // stand-in until the title screen lands
void DrawTitlePanels() {}     // stand-in until the title screen lands
void DrawEffectListAlpha() {} // stand-in until the title screen lands
void DrawEffectList() {}      // stand-in until the title screen lands
void DrawTitleCreatures() {}  // stand-in until the title screen lands
