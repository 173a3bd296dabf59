// Temporary stand-ins; see Placeholders.h. Each does the least its callers need and nothing more.
#include "app/Placeholders.h"

#include "app/Scene.h"

// ---- Camera and seabed: stand-in until the camera lands ----
D3DXVECTOR3 g_CamEye(0, 0, 0);
D3DXVECTOR3 g_CamAt(0, 0, 0);
float g_CamYaw = 0;
D3DXMATRIX g_mView(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
D3DXMATRIX g_mProj(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
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

// ---- Shader: stand-in until the effect drawing lands ----
void InitShader() {}                                          // stand-in until the effect drawing lands
void SetShaderCamera(const D3DXMATRIX&, const D3DXMATRIX&) {} // stand-in until the effect drawing lands

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

// ---- Meshes: stand-in until the mesh sets land ----
void LoadTitleMeshes() {}    // stand-in until the mesh sets land
void LoadStageMeshes() {}    // stand-in until the mesh sets land
void ReleaseStageMeshes() {} // stand-in until the mesh sets land
void ReleaseTitleMeshes() {} // stand-in until the mesh sets land

// ---- Sound: stand-in until the sound lands ----
// A silent music buffer that only remembers whether it was started.
HRESULT IDirectSoundBuffer8::GetStatus(DWORD* status) {
    if (status) *status = m_Status;
    return S_OK;
}
HRESULT IDirectSoundBuffer8::Play(DWORD reserved, DWORD priority, DWORD flags) {
    (void)reserved, (void)priority, (void)flags;
    m_Status |= DSBSTATUS_PLAYING;
    return S_OK;
}
IDirectSoundBuffer8* g_pBgm = nullptr;
void InitSound() {} // stand-in until the sound lands
void LoadSounds() { // stand-in until the sound lands
    if (!g_pBgm) g_pBgm = new IDirectSoundBuffer8;
}
void UninitSound() { // stand-in until the sound lands
    delete g_pBgm;
    g_pBgm = nullptr;
}

// ---- World: stand-in until the object model and world passes land ----
CPlayer::CPlayer() {
    D3DXMatrixIdentity(&m_mTrans);
}
void CPlayer::Init() { // stand-in until the player lands
    m_Hp = 100;
    m_Angle = 0;
    m_bDead = 0;
    m_Radius = 2.0f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
}
std::vector<CObjectBase*> ActorList;
std::vector<CObjectBase*> ObstacleList;
std::vector<CObjectBase*> ShotList;
std::vector<CObjectBase*> SceneryList;
std::vector<CObjectBase*> EffectList;
std::vector<ShotRequest> ShotRequestQueue;
int g_TargetCount = 0;
int g_FollowCount = 0;
int g_FollowSlot = 0;
void LoadStage() {} // stand-in until the stage files land: a stage without objects or targets
void InitAll() {    // stand-in until the stage files land
    for (CObjectBase* o : ActorList)
        if (o) o->Init();
}
void UpdateAll() {}     // stand-in until the world passes land
void ShootAll() {}      // stand-in until the world passes land
void DrawAll() {}       // stand-in until the world passes land
void DrawAlphaAll() {}  // stand-in until the world passes land
void ReleaseObjects() { // stand-in until the world passes land
    for (auto* list : {&ActorList, &ObstacleList, &ShotList, &SceneryList, &EffectList}) {
        for (CObjectBase* o : *list)
            delete o;
        list->clear();
    }
    ShotRequestQueue.clear();
    g_TargetCount = 0;
}

// ---- Interface: stand-in until the interface screens land ----
void SetupInterface() {}     // stand-in until the interface screens land
void UpdateInterface(int) {} // stand-in until the interface screens land
void TutorialStep() {}       // stand-in until the interface screens land
void DrawInterface(int) {}   // stand-in until the interface screens land
void DrawHints() {}          // stand-in until the interface screens land
