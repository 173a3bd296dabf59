#include "world/Flower.h"

#include "app/Direct3D.h"
#include "app/Shader.h"
#include "app/TraceSections.h"
#include "assets/Meshes.h"
#include "world/ObjectSteps.h"
#include "world/WorldMath.h"

#include <cmath>
#include <cstdlib>

namespace {

// Where the two blossoms stand, whatever the flower's own place.
const D3DXVECTOR3 kBlossomPos[2] = {D3DXVECTOR3(-320.0f, 0.0f, 125.0f), D3DXVECTOR3(265.0f, 0.0f, -38.0f)};
const float kRootHeight = 4.5f;

// A fallen blossom's petals and a wilting piece lose their colour a tenth per frame down to these floors.
void Fade(D3DXCOLOR& c, float greenFloor, float blueFloor) {
    if (c.r > 0.4f) c.r *= 0.9f;
    if (c.g > greenFloor) c.g *= 0.9f;
    if (c.b > blueFloor) c.b *= 0.9f;
}

// Device calls are skipped where there is no device (the world passes run without one in logic tests), as
// the mesh drawing does.
void SetWorld(const D3DXMATRIX& world) {
    if (g_pDevice) g_pDevice->SetTransform(D3DTS_WORLD, &world);
}

void SwitchLight(BOOL on) {
    if (g_pDevice) g_pDevice->LightEnable(1, on);
}

} // namespace

void CFlower::Init() {
    m_Type = 15;
    m_bDead = 0;
    m_bDone = 0;
    m_Radius = 28.0f;

    for (int i = 0; i < 2; ++i) {
        Blossom& b = m_Blossom[i];
        b.bFinished = 0;
        b.Hp = 5;
        b.PetalScale = D3DXVECTOR3(10.0f, 7.0f, 10.0f);
        b.PetalAngle = 0.0f;
        b.Color = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
        b.WiltIndex = 0;
        b.RootAngle = 0.0f;
        b.RootLife = 1.0f;
        b.RootScale = D3DXVECTOR3(6.0f, 6.0f, 6.0f);
        b.Pos = kBlossomPos[i];
        b.RootPos = D3DXVECTOR3(kBlossomPos[i].x, kRootHeight, kBlossomPos[i].z);
    }
    InitVine(m_Blossom[0]);
    InitVine(m_Blossom[1]);

    m_InnerPos = m_Pos;
    m_CenterPos = m_Pos;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixRotationX(&m_mRot, 0.0f);

    m_OuterScale = D3DXVECTOR3(7.5f, 6.5f, 7.5f);
    m_InnerScale = D3DXVECTOR3(7.5f, 6.5f, 7.5f);
    m_CenterScale = D3DXVECTOR3(7.5f, 4.5f, 7.5f);
    D3DXMatrixScaling(&m_mScale, m_OuterScale.x, m_OuterScale.y, m_OuterScale.z);
    m_OuterColor = D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.05f);
    m_InnerColor = D3DXCOLOR(1.0f, 1.0f, 1.0f, 0.05f);

    m_Light = D3DLIGHT9{};
    m_Light.Type = D3DLIGHT_POINT;
    m_Light.Diffuse = {0.0f, 0.7f, 0.0f, 1.0f};
    m_Light.Specular = {0.0f, 0.7f, 0.0f, 1.0f};
    m_Light.Ambient = {0.0f, 0.7f, 0.0f, 1.0f};
    m_Light.Position = {m_Pos.x, 0.0f, m_Pos.z};
    m_Light.Range = 60.0f;
    m_Light.Attenuation0 = 0.0f;
    m_Light.Attenuation1 = 0.05f;
    m_Light.Attenuation2 = 0.0f;
    if (g_pDevice) g_pDevice->SetLight(1, &m_Light);
    SwitchLight(TRUE);
}

// One piece every 50 units of the way from the blossom to the flower, each in the middle of its stretch.
// A blossom 550 or more units away still gets ten pieces, spread over the whole way.
void CFlower::InitVine(Blossom& blossom) {
    const D3DXVECTOR3 d = m_Pos - blossom.Pos;
    // The distance is capped before it becomes an integer: a flower placed far out in its stage file may
    // be farther away than an int can count (or overflow to infinity).
    const float length = D3DXVec3Length(&d);
    int32_t count = length < 50.0f * (float)kMaxVinePieces ? (int32_t)length / 50 : kMaxVinePieces;
    blossom.SegCount = count;
    for (int32_t k = 0; k < count; ++k) {
        const int twist = rand() % 20;
        blossom.SegTwist[k] = (float)(k % 2 == 0 ? -twist : twist);
        blossom.SegPos[k] = blossom.Pos + d * ((float)k + 0.5f) / (float)count;
        blossom.SegScale[k] = D3DXVECTOR3(1.0f, 1.5f, 1.0f);
        blossom.SegTilt[k] = 0.0f;
        blossom.SegSpin[k] = (float)(rand() % 360);
        blossom.SegColor[k] = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
        blossom.SegSide[k] = rand() % 3;
    }
}

void CFlower::CheckHits(Blossom& blossom) {
    TakePlayerShots(*this, blossom.Pos, 100.0f, [&blossom] { blossom.Hp -= 1; });
}

// The piece at WiltIndex shrinks, tips over and darkens until its flower is thin enough; then the next one.
void CFlower::Wilt(Blossom& blossom) {
    if (blossom.SegCount <= 0) return;
    const int32_t c = blossom.WiltIndex;
    if (blossom.SegScale[c].x > 0.6f) {
        blossom.SegScale[c].x *= 0.994f;
        blossom.SegScale[c].y *= 1.01f;
        blossom.SegScale[c].z *= 0.994f;
        blossom.SegTilt[c] -= 1.0f;
        Fade(blossom.SegColor[c], 0.15f, 0.0f);
    } else if (c < blossom.SegCount - 1) {
        blossom.WiltIndex = c + 1;
    }
}

void CFlower::Update() {
    for (Blossom& b : m_Blossom) {
        // A fallen blossom no longer takes shots.
        bool fallen = b.Hp < 1;
        if (!fallen) {
            CheckHits(b);
            fallen = b.Hp < 1;
        }
        if (fallen) {
            b.bFinished = 1;
            Fade(b.Color, 0.2f, 0.1f);
        }
    }

    if (m_Blossom[0].bFinished || m_Blossom[1].bFinished) {
        m_OuterScale.y = 0.0f;
        m_InnerScale.y = 3.0f;
        m_OuterColor = D3DXCOLOR(0.2f, 0.1f, 0.0f, 1.0f);
        for (Blossom& b : m_Blossom) {
            if (!b.bFinished) continue;
            if (b.PetalAngle < 45.0f) b.PetalAngle += 0.5f;
            Wilt(b);
        }
    }

    if (m_Blossom[0].bFinished && m_Blossom[1].bFinished) m_bDone = 1;

    // Finished: kept flat, dark and unlit every frame from now on.
    if (m_bDone == 1) {
        m_InnerScale.y = 0.0f;
        m_InnerColor = D3DXCOLOR(0.2f, 0.1f, 0.0f, 1.0f);
        SwitchLight(FALSE);
    }

    for (Blossom& b : m_Blossom) {
        if (b.Hp > 0) {
            b.RootAngle += 1.0f;
            if (b.RootAngle >= 360.0f) b.RootAngle = 0.0f;
        } else if (b.RootLife >= 0.0f) {
            // the root spirit rises and stretches for 101 frames, then it is gone
            b.RootLife -= 0.01f;
            b.RootPos.y += 0.1f;
            b.RootScale.x -= 0.06f;
            b.RootScale.z -= 0.06f;
            b.RootScale.y += 0.2f;
        }
    }
}

void CFlower::DrawVine(const Blossom& blossom) {
    const float a = std::atan2(m_Pos.z - blossom.Pos.z, blossom.Pos.x - m_Pos.x) * kRadToDeg;
    const D3DXVECTOR3 ivyScale(4.5f, 1.5f, 4.5f);
    for (int32_t k = 0; k < blossom.SegCount; ++k) {
        const D3DXVECTOR3& at = blossom.SegPos[k];
        const D3DXMATRIX world =
            MatScaling(ivyScale) * MatRotationY(a + blossom.SegTwist[k]) * MatTranslation(at.x, 0.0f, at.z);
        SetWorld(world);
        DrawMeshColored(g_MeshIvy, world, blossom.SegColor[k], 5);
    }
    for (int32_t k = 0; k < blossom.SegCount; ++k) {
        const float side = blossom.SegSide[k] == 0 ? 10.0f : blossom.SegSide[k] == 1 ? 0.0f : -10.0f;
        const D3DXVECTOR3 across(side, 0.0f, 0.0f);
        const D3DXMATRIX turn = MatRotationY(a + blossom.SegTwist[k]);
        D3DXVECTOR3 offset;
        D3DXVec3TransformCoord(&offset, &across, &turn);
        const D3DXVECTOR3& at = blossom.SegPos[k];
        const D3DXMATRIX world = MatScaling(blossom.SegScale[k]) * MatRotationX(blossom.SegTilt[k]) *
                                 MatRotationY(blossom.SegSpin[k]) *
                                 MatTranslation(at.x + offset.x, 2.0f, at.z + offset.z);
        SetWorld(world);
        DrawMeshColored(g_MeshMiniFlower, world, blossom.SegColor[k], 8);
    }
}

void CFlower::DrawPart(MeshData& mesh, const D3DXVECTOR3& pos, const D3DXVECTOR3& scale,
                       const D3DXCOLOR* color, int pass) {
    D3DXMatrixTranslation(&m_mTrans, pos.x, pos.y, pos.z);
    D3DXMatrixScaling(&m_mScale, scale.x, scale.y, scale.z);
    m_mWorld = m_mScale * m_mRot * m_mTrans;
    SetWorld(m_mWorld);
    if (color)
        DrawMeshColored(mesh, m_mWorld, *color, pass);
    else
        DrawMesh(mesh, m_mWorld, pass);
}

void CFlower::Draw() {
    DrawVine(m_Blossom[0]);
    DrawVine(m_Blossom[1]);

    DrawPart(g_MeshFlowerOutside, m_Pos, m_OuterScale, &m_OuterColor, 7);
    DrawPart(g_MeshFlowerInside, m_InnerPos, m_InnerScale, &m_InnerColor, 7);
    if (m_bDone == 0) DrawPart(g_MeshFlowerCenter, m_CenterPos, m_CenterScale, nullptr, 0);

    static const float kPetalTurns[5] = {0.0f, 72.0f, 144.0f, 216.0f, 288.0f};
    for (const Blossom& b : m_Blossom) {
        if (b.RootLife >= 0.0f) {
            const D3DXMATRIX world = MatScaling(b.RootScale) * MatRotationY(b.RootAngle) *
                                     MatTranslation(b.RootPos.x, b.RootPos.y, b.RootPos.z);
            SetWorld(world);
            DrawMesh(g_MeshRootSoul, world, 0);
        }
        for (float turn : kPetalTurns) {
            const D3DXMATRIX world = MatScaling(b.PetalScale) * MatRotationX(b.PetalAngle) *
                                     MatRotationY(turn) * MatTranslation(b.Pos.x, b.Pos.y, b.Pos.z);
            SetWorld(world);
            DrawMeshColored(g_MeshPetal, world, b.Color, 8);
        }
    }
}

void CFlower::DrawAlpha() {}

int CFlower::Shoot() {
    return 0;
}

// The first flower of the stage, if it has one: its blossoms' hit points and whether it is finished.
void TraceFlowerKeys(JsonLine& j) {
    for (const CObjectBase* o : ObstacleList) {
        const CFlower* flower = dynamic_cast<const CFlower*>(o);
        if (!flower) continue;
        const long long hp[2] = {flower->m_Blossom[0].Hp, flower->m_Blossom[1].Hp};
        j.Open("flower");
        j.Ints("hp", hp, 2);
        j.Int("done", flower->m_bDone);
        j.Close();
        return;
    }
}
