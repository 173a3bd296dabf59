#include "player/Player.h"

#include "app/Camera.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/Shader.h"
#include "app/TraceSections.h"
#include "app/WinMain.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "assets/Textures.h"
#include <picture_size.h>
#include <windows.h>
#include "world/Collision.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

D3DXVECTOR3 CPlayer::s_MoveDir(0.0f, 0.0f, 1.0f);

namespace {

bool KeyHeld(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

void PushShot(ShotRequest& shot) {
    ShotRequestQueue.push_back(shot);
}

} // namespace

// Start of every stage: full health, standing still at the stage's start point, tentacles gathered at the
// root.
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
    D3DXMatrixIdentity(&m_mShake);
    if (g_StageNo == 1)
        m_Pos = D3DXVECTOR3(60.0f, 6.0f, -170.0f);
    else if (g_StageNo == 2)
        m_Pos = D3DXVECTOR3(0.0f, 6.0f, 80.0f);
    else if (g_StageNo == 3)
        m_Pos = D3DXVECTOR3(100.0f, 6.0f, -120.0f);
    else
        m_Pos = D3DXVECTOR3(0.0f, 6.0f, 0.0f); // stage 4: the middle of the seabed
    m_mTrans = MatTranslation(m_Pos);

    const float uv[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        m_Shadow[i] = Vertex3D{0.0f, 0.0f, 0.0f, 0xB4000000, uv[i][0], uv[i][1]};
    }

    ResetTentacles(m_Tentacles, 1.5f, m_mTrans);
}

// The first live enemy shot within reach costs two hit points and starts the shake; at most one a frame.
void CPlayer::HitByShots() {
    for (CObjectBase* shot : ShotList) {
        if (!shot || shot->m_bDead == 1 || shot->m_Kind != 1) continue;
        const float dx = shot->m_mTrans._41 - m_mTrans._41;
        const float dz = shot->m_mTrans._43 - m_mTrans._43;
        if (dx * dx + dz * dz < 10.0f) {
            m_Hp -= 1;
            m_ShakeTime = 15;
            shot->m_bDead = 1;
            m_Hp -= 1;
            break;
        }
    }
}

// Keys, speed cap, drag, collision, turning, bobbing and the shadow.
void CPlayer::Move() {
    m_bMove = 0;
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    const struct {
        int key;
        D3DXVECTOR3 local;
    } keys[4] = {{'W', D3DXVECTOR3(0.0f, 0.0f, 1.0f)},
                 {'S', D3DXVECTOR3(0.0f, 0.0f, -1.0f)},
                 {'D', D3DXVECTOR3(1.0f, 0.0f, 0.0f)},
                 {'A', D3DXVECTOR3(-1.0f, 0.0f, 0.0f)}};
    const D3DXMATRIX camRot = MatRotationY(g_CamYaw);
    for (const auto& k : keys) {
        if (!KeyHeld(k.key)) continue;
        D3DXVECTOR3 v;
        D3DXVec3TransformCoord(&v, &k.local, &camRot);
        sum += v;
        m_bMove = 1;
    }
    if (m_bMove == 1) {
        D3DXVec3Normalize(&sum, &sum); // a zero sum stays zero
        m_Vel.x += sum.x * m_Speed;
        m_Vel.z += sum.z * m_Speed;
        m_Vel.y = 0.0f;
    }

    // Holding the fire button slows the player from 0.2 to 0.08 over about 24 frames, and back.
    if (KeyHeld(VK_LBUTTON)) {
        if (m_MaxSpeed > 0.08f)
            m_MaxSpeed -= 0.005f;
        else
            m_MaxSpeed = 0.08f;
    } else {
        if (m_MaxSpeed < 0.2f)
            m_MaxSpeed += 0.005f;
        else
            m_MaxSpeed = 0.2f;
    }

    m_Vel *= 0.95f;
    if (D3DXVec3Length(&m_Vel) > m_MaxSpeed) {
        D3DXVec3Normalize(&m_Vel, &m_Vel);
        m_Vel *= m_MaxSpeed;
    }
    if (D3DXVec3Length(&m_Vel) <= 0.00001f) m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Pos += m_Vel;

    PushOutOfRocks(m_Pos, m_Radius);
    PushOutOfFlowers(m_Pos, m_Radius);
    PushOutOfAnemones(m_Pos, m_Radius);
    WallSlide(m_Pos, m_Angle);

    m_mTrans = MatTranslation(m_Pos);
    m_mRot = MatRotationY(m_Angle);

    // The body turns at most 10 degrees a frame toward the last steered direction, also after the keys
    // are released.
    const D3DXVECTOR3 ahead(0.0f, 0.0f, 1.0f);
    D3DXVECTOR3 facing;
    D3DXVec3TransformCoord(&facing, &ahead, &m_mRot);
    D3DXVec3Normalize(&facing, &facing);
    if (m_bMove == 1) {
        // Keys that cancel out leave no direction: the body keeps the one it had.
        if (D3DXVec3Length(&m_Vel) > 0.0f) D3DXVec3Normalize(&s_MoveDir, &m_Vel);
        m_bMove = 0;
    }
    // Rounding can lift the dot product of two equal unit vectors above 1.
    const float cosine = std::max(-1.0f, std::min(1.0f, D3DXVec3Dot(&facing, &s_MoveDir)));
    float turn = std::acos(cosine) * kRadToDeg;
    if (turn >= 0.1f) {
        turn = std::min(turn, 10.0f);
        if (facing.z * s_MoveDir.x - facing.x * s_MoveDir.z <= 0.0f)
            m_Angle -= turn;
        else
            m_Angle += turn;
    }
    if (m_Angle > 360.0f) m_Angle -= 360.0f;
    if (m_Angle < 0.0f) m_Angle += 360.0f;

    m_BobPhase += 0.03f;
    if (m_BobPhase > 360.0f) m_BobPhase = 0.0f;
    m_Bob = (std::sin(m_BobPhase) + 1.0f) * 3.0f;

    // The body is drawn unrotated, raised by the bob.
    m_mWorld = m_mTrans;
    m_mWorld._42 += m_Bob;
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&m_BodyPos, &origin, &m_mWorld);

    // The shadow grows as the body rises.
    const float s = m_Bob + 5.0f;
    const float corners[4][2] = {{-s, s}, {s, s}, {s, -s}, {-s, -s}};
    for (int i = 0; i < 4; ++i) {
        m_Shadow[i].x = corners[i][0];
        m_Shadow[i].y = 0.1f;
        m_Shadow[i].z = corners[i][1];
    }
}

void CPlayer::Update() {
    HitByShots();

    // Death: one burst of eight red shots.
    if (m_Hp < 1 && m_bDeathDone == 0) {
        m_bDeathDone = 1;
        m_Hp = 0;
        for (int i = 0; i < 8; ++i) {
            m_Shot.Angle = 45.0f * (float)i;
            m_Shot.Pos = m_Pos;
            m_Shot.Kind = 13;
            m_Shot.Speed = 0.6f;
            m_Shot.Life = 40;
            PushShot(m_Shot);
        }
    }

    Move();

    const D3DXMATRIX body = m_mRot * m_mWorld;
    for (Tentacle& t : m_Tentacles)
        UpdateTentacle(t, 2, body);

    if (m_bHit == 1) {
        m_ShakeTime = 15;
        m_bHit = 0;
    }

    // After a hit the body shakes and shows red; afterwards the colour comes back slowly.
    if (m_ShakeTime < 1) {
        m_mShake = MatIdentity();
        if (m_Color.g < 1.0f) m_Color.g += 0.01f;
        if (m_Color.b < 1.0f) m_Color.b += 0.01f;
    } else {
        const float a = (float)(rand() % 360);
        const D3DXVECTOR3 half(0.0f, 0.0f, 0.5f);
        const D3DXMATRIX rot = MatRotationY(a);
        D3DXVECTOR3 v;
        D3DXVec3TransformCoord(&v, &half, &rot);
        D3DXMatrixTranslation(&m_mShake, v.x, 0.0f, v.z);
        m_ShakeTime -= 1;
        m_Color.g = 0.0f;
        m_Color.b = 0.0f;
    }
    m_mWorld = m_mShake * m_mWorld;

    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

void CPlayer::Draw() {
    DrawMeshColored(g_MeshPlayer, m_mWorld, m_Color, 1);
}

void CPlayer::DrawAlpha() {
    D3DXMATRIX shadow = m_mTrans;
    shadow._42 = 0.1f;
    g_pDevice->SetTexture(0, g_pTexLight);
    g_pDevice->SetTransform(D3DTS_WORLD, &shadow);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Shadow, sizeof(Vertex3D));
    for (Tentacle& t : m_Tentacles)
        DrawTentacle(t);
}

// While the fire button is held: a shot toward the cursor at once, then every 30 frames.
int CPlayer::Shoot() {
    // Seen from the middle of the 640 x 480 screen, straight up aims along the camera's forward direction.
    // The centre is that of the screen space the cursor is mapped into, so that a window of any size (or
    // full screen) aims where the cursor points.
    const float cursorX = GetCursorScreenX();
    const float cursorY = GetCursorScreenY();
    const float dx = kPictureWidth * 0.5f - cursorX;
    const float dy = kPictureHeight * 0.5f - cursorY;
    const float aim = std::atan2(dy, dx) * kRadToDeg - 90.0f + g_CamYaw;

    if (KeyHeld(VK_LBUTTON) && m_ShotWait < 1) {
        const D3DXVECTOR3 muzzleLocal(0.0f, 4.0f, 5.0f);
        const D3DXMATRIX m = MatRotationY(aim) * m_mTrans;
        D3DXVECTOR3 muzzle;
        D3DXVec3TransformCoord(&muzzle, &muzzleLocal, &m);
        m_Shot.Angle = aim;
        m_Shot.Pos = muzzle;
        m_Shot.Speed = m_ShotSpeed;
        m_Shot.Kind = m_Hp > 0 ? 0 : 1;
        m_Shot.Life = 40;
        PushShot(m_Shot);
        PlaySE(SE_SHOT);
        m_ShotWait = 30;
    }
    if (m_ShotWait > 0) m_ShotWait -= 1;
    return 0;
}

void ResetTentacles(Tentacle (&tentacles)[8], float rootRadius, const D3DXMATRIX& body) {
    for (int i = 0; i < 8; ++i) {
        Tentacle& t = tentacles[i];
        const D3DXVECTOR3 front(0.0f, 0.0f, rootRadius);
        const D3DXMATRIX rot = MatRotationY(45.0f * (float)i);
        D3DXVec3TransformCoord(&t.Root, &front, &rot);
        for (D3DXMATRIX& h : t.History)
            h = body;
        for (Vertex3D& v : t.Quad)
            v.color = 0xFFFFFFFF;
        t.Counter = 0;
    }
}

void UpdateTentacle(Tentacle& t, int32_t period, D3DXMATRIX body) {
    const D3DXMATRIX root = MatTranslation(t.Root);
    if (period != 0 && t.Counter % period == 0) {
        for (int i = 19; i > 0; --i)
            t.History[i] = t.History[i - 1];
        t.History[0] = root * body;
    }
    t.Counter += 1;
    if (t.Counter >= 3601) t.Counter = 0;
}

void DrawTentacle(Tentacle& t) {
    const D3DXMATRIX identity = MatIdentity();
    g_pDevice->SetTransform(D3DTS_WORLD, &identity);
    g_pDevice->SetTexture(0, g_pTexTentacle);
    g_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    const D3DXVECTOR3 left(-1.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 right(1.0f, 0.0f, 0.0f);
    for (int i = 0; i < 19; ++i) {
        D3DXVECTOR3 p[4];
        D3DXVec3TransformCoord(&p[0], &left, &t.History[i]);
        D3DXVec3TransformCoord(&p[1], &right, &t.History[i]);
        D3DXVec3TransformCoord(&p[2], &right, &t.History[i + 1]);
        D3DXVec3TransformCoord(&p[3], &left, &t.History[i + 1]);
        const float v0 = (float)i / 20.0f;
        const float v1 = (float)(i + 1) / 20.0f;
        const float uv[4][2] = {{0.0f, v0}, {1.0f, v0}, {1.0f, v1}, {0.0f, v1}};
        for (int k = 0; k < 4; ++k) {
            t.Quad[k].x = p[k].x;
            t.Quad[k].y = p[k].y;
            t.Quad[k].z = p[k].z;
            t.Quad[k].u = uv[k][0];
            t.Quad[k].v = uv[k][1];
        }
        g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, t.Quad, sizeof(Vertex3D));
    }
    g_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

// The player (element 0 of ActorList), or null when there is none.
void TracePlayerKeys(JsonLine& j) {
    const CObjectBase* player = ActorList.empty() ? nullptr : ActorList[0];
    if (!player) {
        j.Null("player");
        return;
    }
    j.Open("player");
    j.Int("hp", player->m_Hp);
    j.Float("x", player->m_Pos.x);
    j.Float("y", player->m_Pos.y);
    j.Float("z", player->m_Pos.z);
    j.Float("angle", player->m_Angle);
    j.Float("vx", player->m_Vel.x);
    j.Float("vz", player->m_Vel.z);
    j.Float("maxspeed", player->m_MaxSpeed);
    const CPlayer* cplayer = dynamic_cast<const CPlayer*>(player);
    j.Int("shotwait", cplayer ? cplayer->m_ShotWait : 0);
    j.Close();
}
