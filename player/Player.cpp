#include "player/Player.h"

#include "app/Scene.h"

// Start of every stage: full health, standing still at the stage's start point.
void CPlayer::Init() {
    m_bDead = 0;
    m_bDeathDone = 0;
    m_State = 2;
    m_Type = 0;
    m_Hp = 100;
    m_Radius = 2.0f;
    m_Angle = 0.0f;
    m_Bob = 0.0f;
    m_BobPhase = 0.0f;
    m_Speed = 0.03f;
    m_ShotSpeed = 1.0f;
    m_MaxSpeed = 0.2f;
    m_ShotWait = 0;
    m_bHit = 0;
    m_ShakeTime = 0;
    m_Color = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Count = 0;
    D3DXMatrixIdentity(&m_mWorld);
    D3DXMatrixIdentity(&m_mRot);
    if (g_StageNo == 1)
        m_Pos = D3DXVECTOR3(60.0f, 6.0f, -170.0f);
    else if (g_StageNo == 2)
        m_Pos = D3DXVECTOR3(0.0f, 6.0f, 80.0f);
    else if (g_StageNo == 3)
        m_Pos = D3DXVECTOR3(100.0f, 6.0f, -120.0f);
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
}

void CPlayer::Update() {}
void CPlayer::Draw() {}
void CPlayer::DrawAlpha() {}
int CPlayer::Shoot() {
    return 0;
}
