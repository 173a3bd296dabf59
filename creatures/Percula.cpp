#include "creatures/Percula.h"

#include "app/Scene.h"
#include "app/Shader.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "world/Collision.h"
#include "world/ObjectSteps.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t kFullHp = 20;
constexpr float kScale = 3.0f;
constexpr float kRadius = 10.0f;
constexpr float kAccel = 0.5f;       // the push while wandering and chasing
constexpr float kHomeAccel = 1.0f;   // the push on the way home
constexpr float kDrag = 0.95f;       // the velocity kept, and the share of the push taken, each frame
constexpr float kWanderSpeed = 0.1f; // the speed caps
constexpr float kChaseSpeed = 0.05f;
constexpr float kHomeSpeed = 0.2f;
constexpr float kCircleStep = 0.2f;       // degrees a frame while circling
constexpr int32_t kCirclePeriod = 450;    // frames between two draws of the circling direction
constexpr float kWanderTurn = 1.0f;       // degrees a frame at most, back toward home
constexpr float kChaseTurn = 5.0f;        // degrees a frame at most, toward the player or home
constexpr float kMinTurn = 0.1f;          // a smaller turn is not made
constexpr float kNoticeRangeSq = 1600.0f; // a wandering fish notices the player within 40
constexpr float kStrayRangeSq = 3600.0f;  // a wanderer 60 from home turns back
constexpr float kLoseRangeSq = 10000.0f;  // a chasing fish gives up at 100
constexpr float kArrivedSq = 225.0f;      // a returning fish within 15 of home has arrived
constexpr float kStillRange = 1.0f;       // within this of the player the fish does not push on
constexpr int kChaseFrames = 200;         // chasing frames before a charge
constexpr int kBackOffFrames = 130;       // the back-off ends on the frame after this many
constexpr int kHoldFrames = 70;           // still frames at the start of the lunge
constexpr float kBackOffSpeed = 0.2f;
constexpr float kLungeSpeed = 4.0f;
constexpr float kLungeFriction = 0.94f;
constexpr float kBiteRangeSq = 100.0f; // the bite reaches 10
constexpr int32_t kBiteDamage = 20;
constexpr float kSinkStep = 0.05f;       // outside its anemone the fish sinks to the floor
constexpr float kDeathSpraySpeed = 0.1f; // the slow sprays of the death
constexpr int32_t kDeathSprayLife = 70;
constexpr int32_t kShakeFrames = 15;

void WrapAngle(float& angle) {
    if (angle > 360.0f) angle -= 360.0f;
    if (angle < 0.0f) angle += 360.0f;
}

} // namespace

CPercula::CPercula() : m_bHomeFromStart(true) {}

CPercula::CPercula(const D3DXVECTOR3& home) : m_Home(home), m_bHomeFromStart(false) {}

void CPercula::Init() {
    if (m_bHomeFromStart) m_Home = m_Pos;
    m_Hp = kFullHp;
    m_Angle = 0.0f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixRotationY(&m_mRot, 0.0f);
    D3DXMatrixScaling(&m_mScale, kScale, kScale, kScale);
    m_mWorld = m_mScale * m_mRot * m_mTrans;
    m_pMesh = &g_MeshPercula;
    m_AiState = PERCULA_WANDER;
    m_Count = 0;
    m_Speed = kAccel;
    m_CircleDir = std::rand() % 2;
    m_StateTimer = 0;
    m_ChargePhase = CHARGE_START;
    m_ShakeTime = 0;
    m_Radius = kRadius;
    m_bOutOfAnemone = 0;
    m_bAtHome = 0;
}

void CPercula::Update() {
    // A lost or cleared stage sends the living fish back to circling their homes. A fish that has just been
    // killed still goes on to die.
    if ((g_StageState == STAGE_DEAD || g_StageState == STAGE_CLEARED) && m_Hp > 0) m_AiState = PERCULA_WANDER;

    switch (m_AiState) {
    case PERCULA_WANDER:
        Wander();
        break;
    case PERCULA_CHASE:
        Chase();
        break;
    case PERCULA_DEAD:
        Die();
        break;
    case PERCULA_CHARGE:
        Charge();
        break;
    case PERCULA_HOME:
        ReturnHome();
        break;
    default:
        break;
    }

    if (m_Hp > 0) TakeShots();
    if (m_Hp <= 0) m_AiState = PERCULA_DEAD;
    if (m_AiState != PERCULA_DEAD) Bite();

    // A fish born inside its anemone may swim out of it; once outside it is kept out of every anemone.
    if (m_bOutOfAnemone == 0) {
        D3DXVECTOR3 probe = m_Pos;
        if (!PushOutOfAnemones(probe, m_Radius)) m_bOutOfAnemone = 1;
    }
    // Outside, it sinks to the floor.
    if (m_bOutOfAnemone == 1 && m_Pos.y > 0.0f) m_Pos.y -= kSinkStep;

    StepShake(m_mShake, m_ShakeTime, m_Hp >= 0);
    m_mWorld = m_mScale * m_mShake * m_mWorld;

    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

void CPercula::Draw() {
    DrawMesh(g_MeshPercula, m_mWorld, 0);
}

void CPercula::DrawAlpha() {}

int CPercula::Shoot() {
    return 0;
}

void CPercula::Wander() {
    const CObjectBase* player = ThePlayer();
    if (player && player->m_Hp > 0 && FlatDistanceSq(player->m_Pos, m_Pos) < kNoticeRangeSq)
        m_AiState = PERCULA_CHASE;

    if (FlatDistanceSq(m_Home, m_Pos) >= kStrayRangeSq) {
        TurnToward(m_Home, kWanderTurn);
    } else if (m_CircleDir == 0) {
        m_Angle += kCircleStep;
    } else if (m_CircleDir == 1) {
        m_Angle -= kCircleStep;
    }
    if (m_Count % kCirclePeriod == 0) m_CircleDir = std::rand() % 2;
    WrapAngle(m_Angle);

    Swim(m_Speed, kWanderSpeed, false);
    Move(true);
}

void CPercula::Chase() {
    const CObjectBase* player = ThePlayer();
    if (m_Hp >= 1 && (!player || player->m_Hp <= 0)) m_AiState = PERCULA_WANDER;
    m_StateTimer += 1;
    if (m_StateTimer > kChaseFrames) {
        m_AiState = PERCULA_CHARGE;
        m_StateTimer = 0;
    }
    if (player && player->m_Hp > 0 && FlatDistanceSq(player->m_Pos, m_Pos) >= kLoseRangeSq)
        m_AiState = PERCULA_WANDER;

    bool still = false;
    if (player) {
        TurnToward(player->m_Pos, kChaseTurn);
        const D3DXVECTOR3 toPlayer = player->m_Pos - m_Pos;
        still = D3DXVec3Length(&toPlayer) <= kStillRange;
    }
    Swim(m_Speed, kChaseSpeed, still);
    Move(true);
}

// Back off, hold still with the bite ready, then lunge; the first bite ends the lunge's bite.
void CPercula::Charge() {
    const float h = m_Angle * kDegToRad;
    if (m_ChargePhase == CHARGE_START) m_ChargePhase = CHARGE_BACK_OFF;
    if (m_ChargePhase == CHARGE_BACK_OFF) {
        m_StateTimer += 1;
        m_ChargeVel = D3DXVECTOR3(-std::sin(h), 0.0f, -std::cos(h)) * kBackOffSpeed;
        m_Pos += m_ChargeVel;
        D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
        m_mWorld = m_mRot * m_mTrans;
        if (m_StateTimer > kBackOffFrames) {
            m_StateTimer = 0;
            m_ChargePhase = CHARGE_LUNGE;
            m_bBiting = 1;
            m_ChargeVel = D3DXVECTOR3(std::sin(h), 0.0f, std::cos(h)) * kLungeSpeed;
        }
    }
    if (m_ChargePhase == CHARGE_LUNGE) {
        m_StateTimer += 1;
        if (m_StateTimer > kHoldFrames) {
            m_ChargeVel *= kLungeFriction;
            m_Pos += m_ChargeVel;
            PushOutOfRocks(m_Pos, m_Radius);
            if (m_bOutOfAnemone == 1) PushOutOfAnemones(m_Pos, m_Radius);
            D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
            if (D3DXVec3Length(&m_ChargeVel) < kLungeEndSpeed) m_ChargePhase = CHARGE_OVER;
        }
    }
    if (EndCharge(m_ChargePhase, m_StateTimer, m_bBiting)) m_AiState = PERCULA_CHASE;
    D3DXMatrixRotationY(&m_mRot, h);
    m_mWorld = m_mRot * m_mTrans;
}

void CPercula::ReturnHome() {
    TurnToward(m_Home, kChaseTurn);
    WrapAngle(m_Angle);
    bool still = false;
    if (const CObjectBase* player = ThePlayer()) {
        const D3DXVECTOR3 toPlayer = player->m_Pos - m_Pos;
        still = D3DXVec3Length(&toPlayer) <= kStillRange;
    }
    Swim(kHomeAccel, kHomeSpeed, still);
    Move(false);
    if (FlatDistanceSq(m_Home, m_Pos) < kArrivedSq && m_bAtHome == 0) m_bAtHome = 1;
}

// Bursts into slow sprays with the bubble sound and leaves its list at the end of the frame.
void CPercula::Die() {
    PushShotRing(m_Shot, m_Pos, SHOT_SPRAY, kDeathSpraySpeed, kDeathSprayLife);
    for (int i = 0; i < 8; ++i)
        (void)std::rand(); // eight draws thrown away: later draws depend on them
    PlaySE(SE_BUBBLE);
    m_bDead = 1;
}

void CPercula::TakeShots() {
    TakePlayerShots(*this, m_Pos, m_Radius * m_Radius, [this] {
        if (m_AiState == PERCULA_WANDER) m_AiState = PERCULA_CHASE;
        m_Hp -= 1;
        m_ShakeTime = kShakeFrames;
    });
}

// Everyone on the player's side within reach in this frame is bitten once; then the bite is over.
void CPercula::Bite() {
    if (m_bBiting != 1) return;
    for (std::size_t i = 0; i < ActorList.size(); ++i) {
        CObjectBase* actor = ActorList[i];
        if (!actor || actor->m_State != STATE_PLAYER_SIDE || actor->m_bDead == 1) continue;
        if (FlatDistanceSq(actor->m_Pos, m_Pos) < kBiteRangeSq) {
            m_bBiting = 0;
            actor->m_bHit = 1;
            actor->m_Hp -= kBiteDamage;
        }
    }
}

void CPercula::TurnToward(const D3DXVECTOR3& point, float maxStep) {
    D3DXVECTOR3 t(point.x - m_Pos.x, 0.0f, point.z - m_Pos.z);
    if (t.x != 0.0f || t.z != 0.0f) { // right on the point there is no way to face
        const D3DXVECTOR3 f = HeadingVector(m_Angle);
        D3DXVec3Normalize(&t, &t);
        const float dot = std::max(-1.0f, std::min(1.0f, D3DXVec3Dot(&f, &t)));
        const float between = std::acos(dot) * kRadToDeg;
        if (between >= kMinTurn) {
            const float step = std::min(between, maxStep);
            m_Angle += (f.z * t.x - t.z * f.x > 0.0f) ? step : -step;
        }
    }
    WrapAngle(m_Angle);
}

void CPercula::Swim(float accel, float maxSpeed, bool still) {
    const D3DXVECTOR3 push = still ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : HeadingVector(m_Angle) * accel;
    m_Vel = m_Vel * kDrag + push * kDrag;
    m_MaxSpeed = maxSpeed;
    const float length = D3DXVec3Length(&m_Vel);
    if (length > m_MaxSpeed) m_Vel *= m_MaxSpeed / length;
}

void CPercula::Move(bool pushOutOfAnemones) {
    m_Pos += m_Vel;
    if (pushOutOfAnemones && m_bOutOfAnemone == 1) PushOutOfAnemones(m_Pos, m_Radius);
    PushOutOfRocks(m_Pos, m_Radius);
    Place();
}

void CPercula::Place() {
    D3DXMatrixRotationY(&m_mRot, m_Angle * kDegToRad);
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mRot * m_mTrans;
}
