// Temporary stand-ins for procedures and globals of units that are not built yet. Each section is
// removed by the unit it stands for when that unit lands (replace the section by an #include of the
// unit's header); the callers keep their code.
#pragma once

#include "platform/d3dx9math.h"
#include "platform/wintypes.h"

#include "app/Camera.h"

// ---- Camera and seabed: stand-in until the camera lands (app/Camera.h) ----
void InitGround();
void SelectTerrain();
void DrawGround();
void TitleCameraInit();
void TitleCameraUpdate();
void StageCameraInit(const D3DXMATRIX& trans);
void StageCameraUpdate(const D3DXMATRIX& trans);
void SetViewProjection();

// ---- Cursor: stand-in until the cursor lands (app/Cursor.h) ----
void ResetCursor();
void UpdateCursor();
void DrawCursor();

// ---- Title: stand-in until the title screen lands (app/Title.h) ----
void TitleSetup();
void TitleStep();
void UpdateEffectList();
void DrawTitlePanels();
void DrawEffectListAlpha();
void DrawEffectList();
void DrawTitleCreatures();
