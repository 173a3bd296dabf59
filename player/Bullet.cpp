#include "player/Bullet.h"

#include "app/Shader.h"
#include "assets/Meshes.h"
#include "world/WorldMath.h"

CBullet::CBullet() {
    m_Life = 60;
    m_bDead = 0;
}

void CBullet::Init() {
    D3DXMatrixIdentity(&m_mWorld);
    D3DXMatrixIdentity(&m_mScale);
    D3DXMatrixRotationY(&m_mRot, m_Angle * kDegToRad);
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mRot * m_mTrans;
    m_Remain = m_Life;
    // A new shot is drawn once before its first move: at full strength.
    m_Fade = 1.0f;
}

// Straight ahead at m_Speed; a shot of life L moves L + 1 times and is dead after the last of them.
void CBullet::Update() {
    D3DXMatrixRotationY(&m_mRot, m_Angle * kDegToRad);
    const D3DXVECTOR3 ahead(0.0f, 0.0f, m_Speed);
    D3DXVECTOR3 step;
    D3DXVec3TransformCoord(&step, &ahead, &m_mRot);
    m_Pos += step;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mRot * m_mTrans;
    m_Remain -= 1;
    if (m_Remain < 0) m_bDead = 1;
    m_Fade = m_Life != 0 ? (float)m_Remain / (float)m_Life : 0.0f;
}

// At most about 35 % opaque, fading out with the life left.
void CBullet::Draw() {
    m_Fade = m_Fade * 90.0f / 255.0f;
    MeshData* mesh = nullptr;
    D3DXCOLOR color(1.0f, 1.0f, 0.0f, m_Fade);
    switch (m_Kind) {
    case SHOT_PLAYER:
    case SHOT_ENEMY:
        mesh = &g_MeshBullet;
        break;
    case SHOT_SPRAY:
        mesh = &g_MeshEffect;
        break;
    case SHOT_SPARK:
        mesh = &g_MeshDull;
        color = D3DXCOLOR(1.0f, 0.5f, 0.0f, m_Fade);
        break;
    case SHOT_BURST:
        mesh = &g_MeshEffect;
        color = D3DXCOLOR(1.0f, 0.0f, 0.0f, m_Fade);
        D3DXMatrixScaling(&m_mScale, 3.0f, 3.0f, 3.0f);
        m_mWorld = m_mScale * m_mWorld;
        break;
    default:
        return; // moved and aged, never drawn
    }
    DrawMeshColored(*mesh, m_mWorld, color, 3);
}

void CBullet::DrawAlpha() {}

int CBullet::Shoot() {
    return 0;
}
