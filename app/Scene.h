// The scene chain: application set-up and tear-down, the title and stage procedures, the screen fade,
// the stage state, the fog of each scene and the frame clock that holds the updates to 60 per second.
#pragma once

#include <d3dx9core.h>
#include <wintypes.h>

typedef void (*SceneProcType)();

// The values of g_FadeMode. The done modes last exactly one frame.
enum FadeMode {
    FADE_NONE = 0,
    FADE_IN = 1,
    FADE_OUT = 2,
    FADE_IN_DONE = 3,
    FADE_OUT_DONE = 4,
};

// The values of g_MenuChoice: what the title's menu chose.
enum MenuChoice {
    MENU_NONE = -1,
    MENU_START = 0,
    MENU_EXIT = 1,
};

// The values of g_StageState. A stage never returns to playing once it has been lost or cleared.
enum StageState {
    STAGE_PLAYING = 0,
    STAGE_DEAD = 1,
    STAGE_CLEARED = 2,
};

extern SceneProcType g_SceneProc; // what the next idle pass calls
extern int g_SceneId;             // 0 title, 1 stage, 3 quitting
extern int g_StageState;          // 0 playing, 1 player dead, 2 stage cleared
extern int g_StageNo;             // the stage to load (1 or 2 from the title; files exist for 1 to 4)
extern int g_FadeMode;           // 0 none, 1 fading in, 2 fading out, 3 fade-in finished, 4 fade-out finished
extern int g_FadeAlpha;          // 0..255, opacity of the black overlay
extern int g_bTutorial;          // the tutorial of stage 1 is running
extern int g_MenuChoice;         // -1 none, 0 start, 1 exit
extern int g_FrameCount;         // frames in the current pacing window, 1..60 after counting
extern DWORD g_FrameWindowStart; // timeGetTime at the start of the pacing window
extern int g_DeathFadeCount;     // 70..255, red of the death fog; the fade runs while below 255
extern int g_DeathFadeBlue;      // 255 down to 70, blue of the death fog (low 8 bits used)
extern float g_DeathFogStart;    // 30.0
extern float g_DeathFogEnd;      // 100.0, falls by 0.05 a frame during the death fade
extern ID3DXSprite* g_pSprite;   // the one sprite object

void AppInit();
void AppUninit();
void TitleInit();
void TitleUpdate();
void TitleUninit();
void GameInit();
void GameUpdate();
void GameUninit();
void QuitScene();
void FadeStep();
void DrawFadeOverlay();
// The black overlay of the fade at any opacity (0..255).
void DrawBlackOverlay(int opacity);

// The frame clock: the counting step (before the frame is drawn) and the pacing step (after Present).
void FrameClockCount();
void FrameClockPace();

// The name of a scene procedure ("TitleInit" ...), or "?" for anything else.
const char* SceneProcName(SceneProcType proc);

// Starts in stage stageNo instead of the title: the sounds and the music start as on the title, then
// the next pass runs GameInit.
void StartInStage(int stageNo);

// Puts every scene global back to its start value (tests).
void ResetSceneGlobals();
