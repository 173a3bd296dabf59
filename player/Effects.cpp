#include "player/Effects.h"

#include "app/Direct3D.h"
#include "assets/Textures.h"

#include <cstdlib>

namespace {

// The alpha byte of an opacity 0..255, truncated, in the top byte of an ARGB colour.
D3DCOLOR AlphaBits(float opacity) {
    int a = static_cast<int>(opacity);
    if (a < 0) a = 0;
    if (a > 255) a = 255;
    return static_cast<D3DCOLOR>(a) << 24;
}

// Corners of a quad in fan order with the whole image once and one colour.
void SetQuad(Vertex3D quad[4], const float xyz[4][3], D3DCOLOR color) {
    const float u[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    const float v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i)
        quad[i] = {xyz[i][0], xyz[i][1], xyz[i][2], color, u[i], v[i]};
}

} // namespace

// ---- The menu ring: grows by 1 % a frame and fades out over 85 frames ----

void CCircleEff::Init() {
    m_Scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    m_Opacity = 255.0f;
    m_bDead = 0;
}
void CCircleEff::Update() {
    m_Scale *= 1.01f;
    m_Opacity -= 3.0f;
    if (m_Opacity <= 0.0f) m_bDead = 1;
}
void CCircleEff::Draw() {}

// m_Pos is in 640 x 480 screen space.
void CCircleEff::DrawAlpha() {
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, m_Scale.x, m_Scale.y, 1.0f);
    const RECT src = {0, 0, 32, 32};
    DrawSprite(g_pTexCursor, static_cast<int>(m_Opacity), m_Pos.x, m_Pos.y, 16.0f, 16.0f, src, scale);
}
int CCircleEff::Shoot() {
    return 0;
}

// ---- The sand puff: rises, grows, fades in over half its life and out over the other half ----

void CDust::Init() {
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    const float corners[4][3] = {
        {-1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, -2.0f, 0.0f}, {-1.0f, -2.0f, 0.0f}};
    SetQuad(m_Puff, corners, 0x00FFFFFF);
    m_Radius = -100.0f; // sorts the puff after the objects around it
    m_Opacity = 0.0f;
    m_Grow = 0.0f;
    m_Lifetime = static_cast<float>(rand() % 40 + 80);
}

void CDust::Update() {
    m_Grow += 0.3f;
    m_Pos.y += 0.4f;

    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixScaling(&m_mScale, m_Grow, m_Grow, m_Grow);
    D3DXMatrixRotationX(&m_mRot, 0.87266463f); // tipped back 50 degrees
    m_mWorld = m_mScale * m_mRot * m_mTrans;

    const float life = m_Lifetime;
    const float c = static_cast<float>(m_Count);
    if (life * 0.5f > c)
        m_Opacity = (2.0f * c / life) * 255.0f;
    else
        m_Opacity = ((2.0f * life - 2.0f * c) / life) * 255.0f;

    const D3DCOLOR color = AlphaBits(m_Opacity) | 0xFFFFFF;
    for (Vertex3D& v : m_Puff)
        v.color = color;

    m_Count += 1;
    if (static_cast<float>(m_Count) > life) m_bDead = 1;
}
void CDust::Draw() {}

void CDust::DrawAlpha() {
    if (!g_pDevice) return;
    g_pDevice->SetTexture(0, g_pTexDust);
    g_pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Puff, sizeof(Vertex3D));
}
int CDust::Shoot() {
    return 0;
}

// ---- The heal ring: a light green ring spreading flat on the seabed over 85 frames ----

void CHealEff::Init() {
    m_bDead = 0;
    m_Opacity = 255.0f;
    m_Scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    const float corners[4][3] = {
        {-5.0f, 0.1f, 5.0f}, {5.0f, 0.1f, 5.0f}, {5.0f, 0.1f, -5.0f}, {-5.0f, 0.1f, -5.0f}};
    SetQuad(m_Ring, corners, 0xFFFFFFFF);
}

void CHealEff::Update() {
    m_Scale.x *= 1.03f;
    m_Scale.z *= 1.03f;
    m_Scale.y = 1.0f;
    m_Opacity -= 3.0f;
    if (m_Opacity <= 0.0f) m_bDead = 1;
    const D3DCOLOR color = AlphaBits(m_Opacity) | 0x64FF64;
    for (Vertex3D& v : m_Ring)
        v.color = color;
}
void CHealEff::Draw() {}

// The ring lies on the seabed whatever the height it was placed at.
void CHealEff::DrawAlpha() {
    if (!g_pDevice) return;
    g_pDevice->SetTexture(0, g_pTexCursor);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    D3DXMATRIX scale, trans;
    D3DXMatrixScaling(&scale, m_Scale.x, m_Scale.y, m_Scale.z);
    D3DXMatrixTranslation(&trans, m_Pos.x, 0.1f, m_Pos.z);
    const D3DXMATRIX world = scale * trans;
    g_pDevice->SetTransform(D3DTS_WORLD, &world);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Ring, sizeof(Vertex3D));
}
int CHealEff::Shoot() {
    return 0;
}
