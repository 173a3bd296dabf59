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
#include "world/ObjectSteps.h"
#include "world/Props.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

D3DXVECTOR3 CPlayer::s_MoveDir(0.0f, 0.0f, 1.0f);

namespace {

constexpr int32_t kFullHp = 100;
constexpr float kRadius = 2.0f;
constexpr float kAccel = 0.03f;         // speed gained in a frame of a held swim key
constexpr float kDrag = 0.95f;          // the velocity kept from frame to frame
constexpr float kTopSpeed = 0.2f;       // the speed cap with the fire button up
constexpr float kFiringSpeed = 0.08f;   // the speed cap while it is held
constexpr float kCapStep = 0.005f;      // the cap moves toward either by this a frame
constexpr float kStillSpeed = 0.00001f; // a velocity no longer than this stops
constexpr float kMinTurn = 0.1f;        // degrees: a smaller turn is not made
constexpr float kMaxTurn = 10.0f;       // degrees a frame
constexpr float kBobStep = 0.03f;       // bobbing phase per frame
constexpr float kBobHeight = 3.0f;      // half the bobbing's rise
constexpr float kShadowHalf = 5.0f;     // half the shadow's side at the bottom of the bob
constexpr D3DCOLOR kShadowColor = 0xB4000000;
constexpr float kTentacleRoot = 1.5f;  // the tentacles' roots around the body centre
constexpr int32_t kTentaclePeriod = 2; // frames between two entries of a tentacle's history
constexpr float kEnemyReachSq = 10.0f; // an enemy shot within this (squared) hits
constexpr int32_t kShakeFrames = 15;
constexpr float kRecoverStep = 0.01f; // green and blue come back by this a frame after a hit
constexpr int32_t kShotLife = 40;
constexpr int32_t kShotPeriod = 30; // frames between two shots
constexpr float kBurstSpeed = 0.6f; // the death burst
constexpr int32_t kBurstLife = 40;

// Where the player starts in each stage; stage 4 has no start of its own: the middle of the seabed.
D3DXVECTOR3 StartOf(int stageNo) {
    switch (stageNo) {
    case 1:
        return D3DXVECTOR3(60.0f, 6.0f, -170.0f);
    case 2:
        return D3DXVECTOR3(0.0f, 6.0f, 80.0f);
    case 3:
        return D3DXVECTOR3(100.0f, 6.0f, -120.0f);
    default:
        return D3DXVECTOR3(0.0f, 6.0f, 0.0f);
    }
}

// The direction of the cursor seen from the middle of the 640 x 480 screen, as a heading: straight up aims
// along the camera's forward direction. The centre is that of the screen space the cursor is mapped into,
// so that a window of any size (or full screen) aims where the cursor points.
float CursorAim() {
    const float cursorX = GetCursorScreenX();
    const float cursorY = GetCursorScreenY();
    const float dx = kPictureWidth * 0.5f - cursorX;
    const float dy = kPictureHeight * 0.5f - cursorY;
    return std::atan2(dy, dx) * kRadToDeg - 90.0f + g_CamYaw;
}

} // namespace

// Start of every stage: full health, standing still at the stage's start point, tentacles gathered at the
// root.
void CPlayer::Init() {
    m_bDead = 0;
    m_bDeathDone = 0;
    m_State = STATE_PLAYER_SIDE;
    m_Type = 0;
    m_Hp = kFullHp;
    m_Radius = kRadius;
    m_Angle = 0.0f;
    m_Bob = 0.0f;
    m_BobPhase = 0.0f;
    m_Speed = kAccel;
    m_ShotSpeed = 1.0f;
    m_MaxSpeed = kTopSpeed;
    m_ShotWait = 0;
    m_bHit = 0;
    m_ShakeTime = 0;
    m_Color = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Count = 0;
    D3DXMatrixIdentity(&m_mWorld);
    D3DXMatrixIdentity(&m_mRot);
    D3DXMatrixIdentity(&m_mShake);
    m_Pos = StartOf(g_StageNo);
    m_mTrans = MatTranslation(m_Pos);

    const float uv[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        m_Shadow[i] = Vertex3D{0.0f, 0.0f, 0.0f, kShadowColor, uv[i][0], uv[i][1]};
    }

    ResetTentacles(m_Tentacles, kTentacleRoot, m_mTrans);
}

// The first live enemy shot within reach costs two hit points and starts the shake; at most one a frame.
void CPlayer::HitByShots() {
    for (CObjectBase* shot : ShotList) {
        if (!shot || shot->m_bDead == 1 || shot->m_Kind != SHOT_ENEMY) continue;
        const float dx = shot->m_mTrans._41 - m_mTrans._41;
        const float dz = shot->m_mTrans._43 - m_mTrans._43;
        if (dx * dx + dz * dz < kEnemyReachSq) {
            m_Hp -= 1;
            m_ShakeTime = kShakeFrames;
            shot->m_bDead = 1;
            m_Hp -= 1;
            break;
        }
    }
}

// Keys, speed cap, drag, collision, turning, bobbing and the shadow.
void CPlayer::Move() {
    SteerByKeys();
    LimitSpeed();
    m_Pos += m_Vel;

    PushOutOfRocks(m_Pos, m_Radius);
    PushOutOfFlowers(m_Pos, m_Radius);
    PushOutOfAnemones(m_Pos, m_Radius);
    WallSlide(m_Pos, m_Angle);

    m_mTrans = MatTranslation(m_Pos);
    m_mRot = MatRotationY(m_Angle);
    TurnToMoveDir();
    BobAndShadow();
}

// W, A, S and D push along the camera's axes; several keys at once push along their sum.
void CPlayer::SteerByKeys() {
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
}

// Holding the fire button slows the player from 0.2 to 0.08 over about 24 frames, and back; then the drag
// and the cap.
void CPlayer::LimitSpeed() {
    if (KeyHeld(VK_LBUTTON)) {
        if (m_MaxSpeed > kFiringSpeed)
            m_MaxSpeed -= kCapStep;
        else
            m_MaxSpeed = kFiringSpeed;
    } else {
        if (m_MaxSpeed < kTopSpeed)
            m_MaxSpeed += kCapStep;
        else
            m_MaxSpeed = kTopSpeed;
    }

    m_Vel *= kDrag;
    if (D3DXVec3Length(&m_Vel) > m_MaxSpeed) {
        D3DXVec3Normalize(&m_Vel, &m_Vel);
        m_Vel *= m_MaxSpeed;
    }
    if (D3DXVec3Length(&m_Vel) <= kStillSpeed) m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

// The body turns at most 10 degrees a frame toward the last steered direction, also after the keys are
// released.
void CPlayer::TurnToMoveDir() {
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
    if (turn >= kMinTurn) {
        turn = std::min(turn, kMaxTurn);
        if (facing.z * s_MoveDir.x - facing.x * s_MoveDir.z <= 0.0f)
            m_Angle -= turn;
        else
            m_Angle += turn;
    }
    if (m_Angle > 360.0f) m_Angle -= 360.0f;
    if (m_Angle < 0.0f) m_Angle += 360.0f;
}

// The body bobs up to 6 above its position and is drawn unrotated there; the shadow grows as it rises.
void CPlayer::BobAndShadow() {
    m_BobPhase += kBobStep;
    if (m_BobPhase > 360.0f) m_BobPhase = 0.0f;
    m_Bob = (std::sin(m_BobPhase) + 1.0f) * kBobHeight;

    m_mWorld = m_mTrans;
    m_mWorld._42 += m_Bob;
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&m_BodyPos, &origin, &m_mWorld);

    const float half = m_Bob + kShadowHalf;
    SetShadowQuad(this, 2.0f * half, 2.0f * half);
}

void CPlayer::Update() {
    HitByShots();

    // Death: one burst of eight red shots.
    if (m_Hp < 1 && m_bDeathDone == 0) {
        m_bDeathDone = 1;
        m_Hp = 0;
        PushShotRing(m_Shot, m_Pos, SHOT_BURST, kBurstSpeed, kBurstLife);
    }

    Move();

    const D3DXMATRIX body = m_mRot * m_mWorld;
    for (Tentacle& t : m_Tentacles)
        UpdateTentacle(t, kTentaclePeriod, body);

    if (m_bHit == 1) {
        m_ShakeTime = kShakeFrames;
        m_bHit = 0;
    }

    // After a hit the body shakes and shows red; afterwards the colour comes back slowly.
    if (StepShake(m_mShake, m_ShakeTime)) {
        m_Color.g = 0.0f;
        m_Color.b = 0.0f;
    } else {
        if (m_Color.g < 1.0f) m_Color.g += kRecoverStep;
        if (m_Color.b < 1.0f) m_Color.b += kRecoverStep;
    }
    m_mWorld = m_mShake * m_mWorld;

    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

void CPlayer::Draw() {
    DrawMeshColored(g_MeshPlayer, m_mWorld, m_Color, 1);
}

void CPlayer::DrawAlpha() {
    DrawShadow(*this);
    for (Tentacle& t : m_Tentacles)
        DrawTentacle(t);
}

// While the fire button is held: a shot toward the cursor at once, then every 30 frames. The player's side
// shoots; a dead player's shots hurt its own side.
int CPlayer::Shoot() {
    const float aim = CursorAim();
    if (KeyHeld(VK_LBUTTON) && m_ShotWait < 1) {
        const D3DXVECTOR3 muzzleLocal(0.0f, 4.0f, 5.0f);
        const D3DXMATRIX m = MatRotationY(aim) * m_mTrans;
        D3DXVECTOR3 muzzle;
        D3DXVec3TransformCoord(&muzzle, &muzzleLocal, &m);
        m_Shot.Angle = aim;
        m_Shot.Pos = muzzle;
        m_Shot.Speed = m_ShotSpeed;
        m_Shot.Kind = m_Hp > 0 ? SHOT_PLAYER : SHOT_ENEMY;
        m_Shot.Life = kShotLife;
        ShotRequestQueue.push_back(m_Shot);
        PlaySE(SE_SHOT);
        m_ShotWait = kShotPeriod;
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
    const CObjectBase* player = ThePlayer();
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
