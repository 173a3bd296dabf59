// The scene chain, the screen fade, the stage state and its fog, and the frame clock.
#include "app/Scene.h"

#include "app/Bench.h"
#include "app/Camera.h"
#include "app/Comfort.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Options.h"
#include "app/Pause.h"
#include "app/Shader.h"
#include "app/Title.h"
#include "app/TraceSections.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "assets/Textures.h"
#include "player/Player.h"
#include "ui/Interface.h"
#include "world/ObjectBase.h"
#include "world/Stage.h"
#include "world/World.h"
#include <d3d9debug.h>
#include <picture_size.h>
#include <platform_hooks.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

SceneProcType g_SceneProc = nullptr;
int g_SceneId = 0;
int g_StageState = STAGE_PLAYING;
int g_StageNo = 0;
int g_FadeMode = FADE_NONE;
int g_FadeAlpha = 255;
int g_bTutorial = 0;
int g_MenuChoice = MENU_NONE;
int g_FrameCount = 0;
DWORD g_FrameWindowStart = 0;
int g_DeathFadeCount = 70;
int g_DeathFadeBlue = 255;
float g_DeathFogStart = 30.0f;
float g_DeathFogEnd = 100.0f;
ID3DXSprite* g_pSprite = nullptr;

namespace {

// Float render states take the bits of the float.
DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

void SetLinearFog(D3DCOLOR color, float start, float end) {
    g_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
    g_pDevice->SetRenderState(D3DRS_FOGCOLOR, color);
    g_pDevice->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    g_pDevice->SetRenderState(D3DRS_FOGSTART, FloatBits(start));
    g_pDevice->SetRenderState(D3DRS_FOGEND, FloatBits(end));
}

// The seed of the random generator: the clock, or the command line's --seed.
unsigned RandomSeed() {
    DWORD now = timeGetTime();
    return RunOptions().seedGiven ? RunOptions().seed : (unsigned)now;
}

// Without a window (--no-render) nothing is seen, unless a test watches the device's calls: a stage's passes
// that only draw are then left out, which makes a pure simulation run several times faster. They change
// nothing but the picture, so the game plays the same. (The title's are kept: its panels take their places
// while they are drawn.)
bool SceneIsSeen() {
    return !PlatformMode().noRender || d3d9debug::CallLogEnabled(g_pDevice);
}

// A stage's picture: the world, the interface over it, the cursor and the fade, then what shows over the
// game (the pause board, the volume indicator).
void DrawStageFrame() {
    g_pDevice->BeginScene();
    g_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3C3CFF, 1.0f, 0);
    SetViewProjection(); // the picking of this frame reads the view and projection
    SetShaderCamera(g_mView, g_mProj);
    if (SceneIsSeen()) {
        g_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
        DrawGround();
        DrawAll();
        DrawAlphaAll();
        // The interface is drawn over the world without depth conflicts.
        g_pDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        DrawInterface(g_StageState);
        if (g_bTutorial == 1) DrawHints();
        g_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
        DrawCursor();
        DrawFadeOverlay();
        if (StagePaused()) DrawPauseBoard();
        DrawVolumeIndicator();
    }
    g_pDevice->EndScene();
    g_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

// A frame of a paused stage: nothing of the game moves, counts or sounds; the frame clock runs on, and the
// picture as it stood is drawn and presented under the board.
void GamePausedFrame() {
    FrameClockCount();
    DrawStageFrame();
    FrameClockPace();
}

} // namespace

void AppInit() {
    g_StageState = STAGE_PLAYING;
    g_bTutorial = 0;
    g_FrameWindowStart = timeGetTime();
    g_FrameCount = 0;
    InitSound();
    D3DXCreateSprite(g_pDevice, &g_pSprite);
    LoadSharedTextures();
    InitGround();
    g_FadeAlpha = 255;
    g_FadeMode = FADE_NONE;
    g_TargetCount = 0;
    srand(RandomSeed());
    InitShader();
    g_SceneProc = TitleInit;
    g_SceneId = 0;
}

void AppUninit() {
    ReleaseSharedTextures();
    UninitSound();
    ReleaseStageMeshes();
    ReleaseStageTextures();
    ReleaseObjects();
    ReleaseTitleObjects();
    ReleaseProgramObjects();
    ReleaseComfortTextures();
    g_pDevice->LightEnable(1, FALSE);
    g_SceneProc = TitleInit;
    g_SceneId = 0;
    if (g_pSprite) g_pSprite->Release();
    g_pSprite = nullptr;
}

void TitleInit() {
    SetObjectArena(ObjectArena::Title); // what the title makes lives until TitleUninit
    TitleSetup();
    LoadTitleTextures();
    TitleCameraInit();
    LoadTitleMeshes();
    ResetCursor();
    LoadSounds();
    StartMusic();
    for (size_t i = 0; i < EffectList.size(); ++i)
        if (EffectList[i]) EffectList[i]->Init();
    SetLinearFog(0xFF1E1EAA, 30.0f, 60.0f);
    g_SceneProc = TitleUpdate;
}

void TitleUpdate() {
    TitleStep();
    TitleCameraUpdate();
    UpdateEffectList();
    FrameClockCount();
    UpdateCursor();
    FadeStep();
    g_pDevice->BeginScene();
    g_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF1E1E1E, 1.0f, 0);
    SetViewProjection();
    SetShaderCamera(g_mView, g_mProj);
    g_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    DrawGround();
    DrawTitlePanels();
    DrawEffectListAlpha();
    g_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    DrawEffectList();
    DrawTitleCreatures();
    DrawCursor();
    DrawFadeOverlay();
    DrawVolumeIndicator();
    g_pDevice->EndScene();
    g_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    FrameClockPace();
}

void TitleUninit() {
    if (g_MenuChoice == MENU_START) {
        g_SceneId = 1;
        g_SceneProc = GameInit;
    } else if (g_MenuChoice == MENU_EXIT) {
        g_SceneId = 3;
        g_SceneProc = QuitScene;
    }
    // The title's bubbles and rings are not used again; nothing else refers to them.
    ReleaseTitleObjects();
    ReleaseTitleTextures();
    ReleaseMesh(g_MeshFootball);
    ReleaseMesh(g_MeshLowerJaw);
    ReleaseMesh(g_MeshLamp);
    ReleaseMesh(g_MeshStar);
    ReleaseMesh(g_MeshAnemone);
    ReleaseMesh(g_MeshSquid);
    ReleaseMesh(g_MeshEffect);
    ReleaseMesh(g_MeshBubble);
}

void GameInit() {
    SetObjectArena(ObjectArena::Stage); // what the stage makes lives until ReleaseObjects
    if (g_FadeMode == FADE_NONE) g_FadeMode = FADE_IN;
    LoadStageMeshes();
    LoadStageTextures();
    g_StageState = STAGE_PLAYING;
    g_DeathFadeCount = 70;
    g_DeathFadeBlue = 255;
    g_DeathFogEnd = 100.0f;
    SetupInterface();
    ResetCursor();
    SelectTerrain();
    ActorList.push_back(NewObject<CPlayer>());
    LoadStage();
    InitAll();
    UpdateAll();
    StageCameraInit(ThePlayer()->m_mTrans);
    SetLinearFog(0xFF4646FF, 30.0f, 100.0f);
    g_SceneProc = GameUpdate;
}

void GameUpdate() {
    if (StagePaused()) {
        GamePausedFrame();
        return;
    }
    // The death fade: the fog turns from blue to red and closes in.
    if (g_StageState == STAGE_DEAD && g_DeathFadeCount < 255) {
        g_DeathFadeBlue -= 1;
        g_DeathFadeCount += 1;
        g_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
        g_pDevice->SetRenderState(D3DRS_FOGCOLOR, 0xFF004600u | ((DWORD)g_DeathFadeCount << 16) |
                                                      ((DWORD)g_DeathFadeBlue & 0xFF));
        g_pDevice->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        g_DeathFogEnd -= 0.05f;
        g_pDevice->SetRenderState(D3DRS_FOGSTART, FloatBits(g_DeathFogStart));
        g_pDevice->SetRenderState(D3DRS_FOGEND, FloatBits(g_DeathFogEnd));
    }
    // While a fade runs the world stands still.
    if (g_FadeMode == FADE_IN_DONE && g_StageNo == 1) {
        g_bTutorial = 1;
    } else if (g_FadeMode == FADE_NONE) {
        if (CObjectBase* player = ThePlayer()) StageCameraUpdate(player->m_mTrans);
        UpdateAll();
    }
    // The clear test comes before the death test: dying on the clearing frame still clears.
    if (g_StageState == STAGE_PLAYING && g_TargetCount <= 0) g_StageState = STAGE_CLEARED;
    if (g_StageState != STAGE_PLAYING) g_bTutorial = 0;
    CObjectBase* player = ThePlayer();
    if (player && player->m_Hp <= 0 && g_StageState == STAGE_PLAYING) g_StageState = STAGE_DEAD;
    if (g_FadeMode == FADE_OUT_DONE) g_SceneProc = GameUninit;
    UpdateInterface(g_StageState);
    if (g_StageNo == 1 && g_bTutorial == 1) TutorialStep();
    FadeStep();
    FrameClockCount();
    UpdateCursor();
    if (g_FadeMode == FADE_NONE) ShootAll();
    DrawStageFrame();
    FrameClockPace();
}

void GameUninit() {
    ReleaseStageMeshes();
    ReleaseStageTextures();
    ReleaseObjects();
    // A stage left by Escape while its tutorial runs ends the tutorial too; otherwise the next stage,
    // whichever it is, would show the hints from its first frame.
    g_bTutorial = 0;
    g_pDevice->LightEnable(1, FALSE);
    g_SceneProc = TitleInit;
    g_SceneId = 0;
}

void QuitScene() {
    PostQuitMessage(0);
}

// A fade takes 64 frames each way: 255, 251, ..., 3, then 0 in; 4, 8, ..., 252, then 255 out.
// Modes 3 and 4 last exactly one frame.
void FadeStep() {
    switch (g_FadeMode) {
    case FADE_IN:
        if (g_FadeAlpha > 0) {
            g_FadeAlpha -= 4;
            if (g_FadeAlpha > 0) break;
        }
        g_FadeAlpha = 0;
        g_FadeMode = FADE_IN_DONE;
        break;
    case FADE_OUT:
        if (g_FadeAlpha < 255) g_FadeAlpha += 4;
        // A fade-out that reaches full black ends, even one that did not start from a multiple of 4.
        if (g_FadeAlpha >= 255) {
            g_FadeAlpha = 255;
            g_FadeMode = FADE_OUT_DONE;
        }
        break;
    case FADE_IN_DONE:
    case FADE_OUT_DONE:
        g_FadeMode = FADE_NONE;
        break;
    default:
        break;
    }
}

// Drawn every frame (also at opacity 0).
void DrawFadeOverlay() {
    DrawBlackOverlay(g_FadeAlpha);
}

// One black texel stretched over the whole back buffer.
void DrawBlackOverlay(int opacity) {
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, kPictureWidth, kPictureHeight, 0.0f);
    RECT src = {1, 1, 2, 2};
    DrawSprite(g_pTexBlack, opacity, 0.0f, 0.0f, 0.0f, 0.0f, src, scale);
}

void FrameClockCount() {
    if (g_FrameCount == 0) g_FrameWindowStart = timeGetTime();
    if (g_FrameCount == 60) {
        g_FrameWindowStart = timeGetTime();
        g_FrameCount = 0;
    }
    g_FrameCount += 1;
}

// Frame k of a window may not end before k x 16.67 ms after the window's start; a late frame is followed
// by frames without sleep, and a window that overruns is not made up (the next one starts afresh).
void FrameClockPace() {
    BenchPace(); // the frame's work ends here, before the sleep
    const float product = (float)g_FrameCount * 16.666666f;
    const int32_t target = (int32_t)product;
    const uint32_t elapsed = timeGetTime() - g_FrameWindowStart;
    const int32_t wait = (int32_t)((uint32_t)target - elapsed);
    if (wait > 0) Sleep((DWORD)wait);
}

const char* SceneProcName(SceneProcType proc) {
    if (proc == TitleInit) return "TitleInit";
    if (proc == TitleUpdate) return "TitleUpdate";
    if (proc == TitleUninit) return "TitleUninit";
    if (proc == GameInit) return "GameInit";
    if (proc == GameUpdate) return "GameUpdate";
    if (proc == GameUninit) return "GameUninit";
    if (proc == QuitScene) return "QuitScene";
    return "?";
}

void StartInStage(int stageNo) {
    LoadSounds();
    StartMusic();
    g_StageNo = stageNo;
    g_SceneId = 1;
    g_SceneProc = GameInit;
}

void ResetSceneGlobals() {
    g_SceneProc = nullptr;
    g_SceneId = 0;
    g_StageState = STAGE_PLAYING;
    g_StageNo = 0;
    g_FadeMode = FADE_NONE;
    g_FadeAlpha = 255;
    g_bTutorial = 0;
    g_MenuChoice = MENU_NONE;
    g_FrameCount = 0;
    g_FrameWindowStart = 0;
    g_DeathFadeCount = 70;
    g_DeathFadeBlue = 255;
    g_DeathFogStart = 30.0f;
    g_DeathFogEnd = 100.0f;
}

// The scene, stage and fade state, the stage's target and follower counts, the title menu's choice and the
// millisecond clock at the end of the pass.
void TraceSceneKeys(JsonLine& j) {
    j.Int("scene", g_SceneId);
    j.Int("stage", g_StageNo);
    j.Int("state", g_StageState);
    j.Int("fade", g_FadeMode);
    j.Int("alpha", g_FadeAlpha);
    j.Int("tutorial", g_bTutorial);
    j.Int("targets", g_TargetCount);
    j.Int("followers", g_FollowCount);
    j.Int("menu", g_MenuChoice);
    j.Int("time", (long long)timeGetTime());
}
