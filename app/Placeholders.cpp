// Temporary stand-ins; see Placeholders.h. Each does the least its callers need and nothing more.
#include "app/Placeholders.h"

#include "app/Scene.h"

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
