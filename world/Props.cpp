#include "world/Props.h"

#include "app/Direct3D.h"
#include "app/Shader.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "world/ObjectSteps.h"

#include <cstdlib>

namespace {

// A quad's texture coordinates: the whole image once, corners in fan order.
void SetQuadUV(Vertex3D quad[4]) {
    const float u[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    const float v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        quad[i].u = u[i];
        quad[i].v = v[i];
    }
}

} // namespace

void SetShadowQuad(CObjectBase* object, float w, float d) {
    const float x[4] = {-w / 2, w / 2, w / 2, -w / 2};
    const float z[4] = {d / 2, d / 2, -d / 2, -d / 2};
    for (int i = 0; i < 4; ++i) {
        object->m_Shadow[i].x = x[i];
        object->m_Shadow[i].y = 0.1f;
        object->m_Shadow[i].z = z[i];
    }
}

// ---- Pearl ----

void CPearl::Init() {
    m_bDead = 0;
    m_pMesh = &g_MeshPearl;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixScaling(&m_mScale, 4.0f, 4.0f, 4.0f);
    m_mWorld = m_mScale * m_mTrans;
}
void CPearl::Update() {}
void CPearl::Draw() {
    DrawMesh(g_MeshPearl, m_mWorld, 0);
}
void CPearl::DrawAlpha() {}
int CPearl::Shoot() {
    return 0;
}

// ---- Starfish ----

CStarfish::CStarfish(int32_t variant) {
    m_Type = variant;
}
void CStarfish::Init() {
    m_bDead = 0;
    m_pMesh = m_Type == 1 ? &g_MeshStarfishB : &g_MeshStarfishA;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixScaling(&m_mScale, 2.0f, 2.0f, 2.0f);
    m_mWorld = m_mScale * m_mTrans;
}
void CStarfish::Update() {}
void CStarfish::Draw() {
    if (m_pMesh) DrawMesh(*m_pMesh, m_mWorld, 0);
}
void CStarfish::DrawAlpha() {}
int CStarfish::Shoot() {
    return 0;
}

// ---- Coral ----

void CCoral::Init() {
    m_bDead = 0;
    m_Radius = 10.0f;
    m_pMesh = &g_MeshCoralRed;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    // Any turn will do for a coral: the whole number is taken as radians as it stands.
    m_Angle = static_cast<float>(rand() % 360);
    D3DXMatrixRotationY(&m_mRot, m_Angle);
    D3DXMatrixScaling(&m_mScale, 4.0f, 4.0f, 4.0f);
    m_mWorld = m_mScale * m_mRot * m_mTrans;
}
void CCoral::Update() {}
void CCoral::Draw() {
    DrawMesh(g_MeshCoralRed, m_mWorld, 2);
}
void CCoral::DrawAlpha() {}
int CCoral::Shoot() {
    return 0;
}

// ---- Wakame ----

void CWakame::Init() {
    m_bDead = 0;
    m_Radius = 0.0f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mTrans;
    for (int k = 0; k < 5; ++k) {
        m_Sway[k] = static_cast<float>(rand() % 5 - 10 + 2 * k);
        m_SwayDir[k] = 0;
    }
    for (Vertex3D& v : m_Strip)
        v.color = 0xFFFFFFFF;
}

// Each node swings 3 units either side of the node below it; a node that turns moves back in the same frame.
void CWakame::Update() {
    for (int k = 0; k < 4; ++k) {
        if (m_SwayDir[k] == 0) {
            m_Sway[k] += 0.03f;
            if (m_Sway[k] > m_Sway[k + 1] + 3.0f) m_SwayDir[k] = 1;
        }
        if (m_SwayDir[k] == 1) {
            m_Sway[k] -= 0.03f;
            if (m_Sway[k] < m_Sway[k + 1] - 3.0f) m_SwayDir[k] = 0;
        }
    }
}
void CWakame::Draw() {}

// Four segments from height 20 down to 4, each 20 wide, slanting towards -z; the image spans all four.
void CWakame::DrawAlpha() {
    if (!g_pDevice) return;
    g_pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
    g_pDevice->SetTexture(0, g_pTexWakame);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    for (int s = 0; s < 4; ++s) {
        const float top = 20.0f - 4.0f * static_cast<float>(s);
        const float bottom = 16.0f - 4.0f * static_cast<float>(s);
        const float vTop = static_cast<float>(s) * 0.25f;
        const float vBottom = static_cast<float>(s + 1) * 0.25f;
        m_Strip[0].x = m_Sway[s] - 10.0f;
        m_Strip[1].x = m_Sway[s] + 10.0f;
        m_Strip[2].x = m_Sway[s + 1] + 10.0f;
        m_Strip[3].x = m_Sway[s + 1] - 10.0f;
        m_Strip[0].y = m_Strip[0].z = m_Strip[1].y = m_Strip[1].z = top;
        m_Strip[2].y = m_Strip[2].z = m_Strip[3].y = m_Strip[3].z = bottom;
        m_Strip[0].u = 0.0f;
        m_Strip[1].u = 1.0f;
        m_Strip[2].u = 1.0f;
        m_Strip[3].u = 0.0f;
        m_Strip[0].v = m_Strip[1].v = vTop;
        m_Strip[2].v = m_Strip[3].v = vBottom;
        g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Strip, sizeof(Vertex3D));
    }
}
int CWakame::Shoot() {
    return 0;
}

// ---- Rock ----

CRock::CRock(int32_t variant) {
    m_Variant = variant;
}

void CRock::Init() {
    m_Type = 14;
    m_bDead = 0;
    switch (m_Variant) {
    case 0:
        m_Pos.y = -4.0f;
        m_Radius = 7.0f;
        SetShadowQuad(this, 30.0f, 30.0f);
        break;
    case 1:
        m_Pos.y = -2.0f;
        m_Radius = 8.0f;
        SetShadowQuad(this, 40.0f, 40.0f);
        break;
    case 2:
        m_Pos.y = 0.0f;
        m_Radius = 9.3f;
        SetShadowQuad(this, 50.0f, 50.0f);
        break;
    default:
        break;
    }
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixScaling(&m_mScale, 8.0f, 4.0f, 8.0f);
    m_mWorld = m_mScale * m_mTrans;
    SetQuadUV(m_Shadow);
    for (Vertex3D& v : m_Shadow)
        v.color = 0xFF000000;
}

// Swallows the player's and the jellies' shots (kinds 0 and 1) that came within a unit of the rim, with a
// burst of eight sparks. Shots update after obstacles, so a shot's translation is where it stood last frame.
void CRock::Update() {
    const float reach = m_Radius - 1.0f;
    for (std::size_t i = 0; i < ShotList.size(); ++i) {
        CObjectBase* shot = ShotList[i];
        if (!shot || (shot->m_Kind != SHOT_PLAYER && shot->m_Kind != SHOT_ENEMY) || shot->m_bDead == 1)
            continue;
        const D3DXVECTOR3 at(shot->m_mTrans._41, shot->m_mTrans._42, shot->m_mTrans._43);
        const float dz = m_Pos.z - at.z;
        const float dx = m_Pos.x - at.x;
        if (reach * reach > dz * dz + dx * dx) {
            PushShotRing(m_Shot, at, SHOT_SPARK, 0.5f, 5);
            shot->m_bDead = 1;
        }
    }
}
void CRock::Draw() {
    DrawMesh(g_MeshRock, m_mWorld, 0);
}

// The shadow lies flat on the seabed under the rock, whatever the rock's height.
void CRock::DrawAlpha() {
    DrawShadow(*this);
}
int CRock::Shoot() {
    return 0;
}

// ---- Bubble ----

void CBubble::Init() {
    m_bDead = 0;
    m_Count = 0;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_pMesh = &g_MeshBubble;
    m_Scale = 0.5f;
}

// Rises 0.3 a frame and bursts after 181 updates.
void CBubble::Update() {
    m_Pos.y += 0.3f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixScaling(&m_mScale, m_Scale, m_Scale, m_Scale);
    m_mWorld = m_mScale * m_mTrans;
    m_Count += 1;
    if (m_Count > 180) m_bDead = 1;
}
void CBubble::Draw() {
    DrawMesh(g_MeshBubble, m_mWorld, 0);
}
void CBubble::DrawAlpha() {}
int CBubble::Shoot() {
    return 0;
}
