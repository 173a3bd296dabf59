// Temporary stand-ins for procedures and globals of units that are not built yet. Each section is
// removed by the unit it stands for when that unit lands (replace the section by an #include of the
// unit's header); the callers keep their code.
#pragma once

#include "platform/wintypes.h"

#include "app/Camera.h"
#include "app/Cursor.h"

// ---- Title: stand-in until the title screen lands (app/Title.h) ----
void TitleSetup();
void TitleStep();
void UpdateEffectList();
void DrawTitlePanels();
void DrawEffectListAlpha();
void DrawEffectList();
void DrawTitleCreatures();
