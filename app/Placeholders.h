// Temporary stand-ins for procedures and globals of units that are not built yet. Each section is
// removed by the unit it stands for when that unit lands (replace the section by an #include of the
// unit's header); the callers keep their code.
#pragma once

#include "platform/d3dx9math.h"
#include "platform/wintypes.h"

#include <vector>

// ---- Camera and seabed: stand-in until the camera lands (app/Camera.h) ----
extern D3DXVECTOR3 g_CamEye;
extern D3DXVECTOR3 g_CamAt;
extern float g_CamYaw;
extern D3DXMATRIX g_mView;
extern D3DXMATRIX g_mProj;
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

// ---- Shader: stand-in until the effect drawing lands (app/Shader.h) ----
void InitShader();
void SetShaderCamera(const D3DXMATRIX& view, const D3DXMATRIX& projection);

// ---- Title: stand-in until the title screen lands (app/Title.h) ----
void TitleSetup();
void TitleStep();
void UpdateEffectList();
void DrawTitlePanels();
void DrawEffectListAlpha();
void DrawEffectList();
void DrawTitleCreatures();

// ---- Meshes: stand-in until the mesh sets land (assets/Meshes.h) ----
void LoadTitleMeshes();
void LoadStageMeshes();
void ReleaseStageMeshes();
// The eight ReleaseMesh calls of the title set (football, lowerjaw, lamp, star, anemone, squid, effect,
// bubble), in that order.
void ReleaseTitleMeshes();

// ---- Sound: stand-in until the sound lands (assets/Sound.h, platform/dsound.h) ----
#define DSBSTATUS_PLAYING 0x00000001
#define DSBPLAY_LOOPING 0x00000001
struct IDirectSoundBuffer8 {
    HRESULT GetStatus(DWORD* status);
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
    DWORD m_Status = 0;
};
extern IDirectSoundBuffer8* g_pBgm;
void InitSound();
void LoadSounds();
void UninitSound();

// ---- World: stand-in until the object model and world passes land (world/ObjectBase.h, world/Stage.h,
// world/World.h) ----
struct ShotRequest {
    float Angle;
    D3DXVECTOR3 Pos;
    int Kind;
    float Speed;
    int Life;
};
class CObjectBase {
  public:
    virtual ~CObjectBase() = default;
    virtual void Init() = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
    virtual void DrawAlpha() = 0;
    virtual int Shoot() = 0;

    D3DXVECTOR3 m_Pos{0, 0, 0};
    D3DXMATRIX m_mTrans;
    float m_Angle = 0;
    int m_Hp = 0;
    BYTE m_bDead = 0;
    float m_Radius = 0;
};
// A player that stands still with its 100 hit points.
class CPlayer : public CObjectBase {
  public:
    CPlayer();
    void Init() override;
    void Update() override {}
    void Draw() override {}
    void DrawAlpha() override {}
    int Shoot() override { return 0; }
};
extern std::vector<CObjectBase*> ActorList;
extern std::vector<CObjectBase*> ObstacleList;
extern std::vector<CObjectBase*> ShotList;
extern std::vector<CObjectBase*> SceneryList;
extern std::vector<CObjectBase*> EffectList;
extern std::vector<ShotRequest> ShotRequestQueue;
extern int g_TargetCount;
extern int g_FollowCount;
extern int g_FollowSlot;
void LoadStage();
void InitAll();
void UpdateAll();
void ShootAll();
void DrawAll();
void DrawAlphaAll();
void ReleaseObjects();

// ---- Interface: stand-in until the interface screens land (ui/Interface.h) ----
void SetupInterface();
void UpdateInterface(int stageState);
void TutorialStep();
void DrawInterface(int stageState);
void DrawHints();
