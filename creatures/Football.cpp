// The football: lies still until the player comes near or shoots it, then rises, wanders round its home or
// chases the player, backs off and lunges with its jaw open, and bites everything on the player's side that
// it touches. Shots wear it down, shake it and now and then stun it; at zero hit points it sinks, rolls over
// and bursts into bubbles.
#include "creatures/Football.h"

#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/Shader.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "assets/Textures.h"
#include "player/Effects.h"
#include "world/Collision.h"
#include "world/ObjectSteps.h"
#include "world/Props.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

float g_GlowPhase = 0.0f;

namespace {

constexpr float kWakeRangeSq = 900.0f;    // a dormant football wakes when the player comes within 30
constexpr float kRiseTop = 13.0f;         // height at which rising ends
constexpr float kRiseStep = 0.7f;         // rising per frame
constexpr float kNoticeRangeSq = 1600.0f; // a wandering football notices the player within 40
constexpr float kLoseRangeSq = 4900.0f;   // a chasing football gives up at 70
constexpr float kHomeRangeSq = 3600.0f;   // a wanderer 60 from home turns back
constexpr float kBiteRangeSq = 169.0f;    // the bite reaches 13, whatever the body's radius
constexpr int kChaseFrames = 200;         // chasing frames before a charge
constexpr int kBackOffFrames = 130;       // the back-off ends on the frame after this many
constexpr int kHoldFrames = 70;           // still frames at the start of the lunge
constexpr float kJawShut = 10.0f;         // jaw angle when closed
constexpr float kJawOpen = 50.0f;         // jaw angle when open
constexpr float kCalmPulse = 0.03f;       // glow phase step at rest
constexpr float kChargePulse = 0.5f;      // glow phase step while charging

// Once: above 360 take 360 away, below 0 add 360.
float WrapOnce(float degrees) {
    if (degrees > 360.0f) degrees -= 360.0f;
    if (degrees < 0.0f) degrees += 360.0f;
    return degrees;
}

} // namespace

CFootball::CFootball() {
    m_bMove = 0;
    m_Type = 1;
    m_bDead = 0;
    m_Speed = 0.03f;
    m_Radius = 13.0f;
    m_Count = 0;
    m_Jaw = 10.0f;
}

void CFootball::Init() {
    m_Angle = 180.0f;
    m_Hp = 700;
    m_State = STATE_WILD;
    m_StateTimer = 0;
    m_AiState = FOOTBALL_DORMANT;
    m_bBiting = 0;
    m_ChargePhase = CHARGE_START;
    m_ChargeVel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_CircleDir = 0;
    m_Speed = 0.03f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mRot = MatRotationY(180.0f);
    D3DXMatrixIdentity(&m_mRoll);
    D3DXMatrixIdentity(&m_mShake);
    D3DXMatrixScaling(&m_mScale, 2.5f, 2.5f, 2.5f);
    m_mWorld = m_mRot * m_mTrans;
    m_Home = m_Pos;
    m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Roll = 0.0f;
    m_bDying = 0;
    m_StarSpin = 0.0f;
    m_StunCount = 0;
    m_StunHits = 200.0f;
    m_StunTime = 300.0f;
    m_PulseSpeed = kCalmPulse;
    m_ShakeTime = 0;
    // The shadow: a 70 x 70 quad just above the seabed.
    const Vertex3D shadow[4] = {{-35.0f, 0.11f, 35.0f, 0xB4000000, 0.0f, 0.0f},
                                {35.0f, 0.11f, 35.0f, 0xB4000000, 1.0f, 0.0f},
                                {35.0f, 0.11f, -35.0f, 0xB4000000, 1.0f, 1.0f},
                                {-35.0f, 0.11f, -35.0f, 0xB4000000, 0.0f, 1.0f}};
    std::copy(shadow, shadow + 4, m_Shadow);
    m_BobPhase = (float)(rand() % 360); // never read, but the draw keeps the random sequence
}

void CFootball::Update() {
    switch (m_AiState) {
    case FOOTBALL_DORMANT:
        StepDormant();
        break;
    case FOOTBALL_RISING:
        StepRising();
        break;
    case FOOTBALL_WANDER:
        StepWander();
        break;
    case FOOTBALL_CHASE:
        StepChase();
        break;
    case FOOTBALL_DEAD:
        StepDead();
        break;
    case FOOTBALL_CHARGE:
        StepCharge();
        break;
    case FOOTBALL_STUNNED:
        StepStunned();
        break;
    default:
        BuildWorld();
        break;
    }
    if (m_Hp > 0) StepShotHits();
    if (m_AiState != FOOTBALL_DEAD) StepBite();
    StepDeath();
    StepShake(m_mShake, m_ShakeTime, m_Hp >= 0);
    m_mWorld = m_mScale * m_mRoll * m_mShake * m_mWorld;
    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

void CFootball::StepDormant() {
    const CObjectBase* player = ThePlayer();
    if (player && FlatDistanceSq(player->m_Pos, m_Pos) < kWakeRangeSq) Wake();
    BuildWorld();
}

void CFootball::StepRising() {
    if (m_Pos.y < kRiseTop)
        m_Pos.y += kRiseStep;
    else
        m_AiState = FOOTBALL_CHASE;
    BuildWorld();
}

void CFootball::StepWander() {
    const CObjectBase* player = ThePlayer();
    if (player && player->m_Hp > 0 && FlatDistanceSq(player->m_Pos, m_Pos) < kNoticeRangeSq)
        m_AiState = FOOTBALL_CHASE;
    if (FlatDistanceSq(m_Home, m_Pos) >= kHomeRangeSq) {
        TurnToward(m_Home);
    } else if (m_CircleDir == 0) {
        m_Angle += 0.2f;
    } else if (m_CircleDir == 1) {
        m_Angle -= 0.2f;
    }
    if (m_Count % 450 == 0) m_CircleDir = rand() % 2;
    m_Angle = WrapOnce(m_Angle);
    SwimForward(false);
    WallSlide(m_Pos, m_Angle);
    BuildWorld();
}

// The state changes below take effect next frame; a later one overrides an earlier one.
void CFootball::StepChase() {
    const CObjectBase* player = ThePlayer();
    if (!player) { // nobody to chase
        m_AiState = FOOTBALL_WANDER;
        BuildWorld();
        return;
    }
    if (m_Hp >= 1 && player->m_Hp <= 0) m_AiState = FOOTBALL_WANDER;
    m_StateTimer += 1;
    if (m_StateTimer > kChaseFrames) {
        m_AiState = FOOTBALL_CHARGE;
        m_StateTimer = 0;
    }
    if (player->m_Hp > 0 && FlatDistanceSq(player->m_Pos, m_Pos) >= kLoseRangeSq) m_AiState = FOOTBALL_WANDER;
    TurnToward(player->m_Pos);
    const D3DXVECTOR3 apart = player->m_Pos - m_Pos;
    SwimForward(D3DXVec3Length(&apart) <= 1.0f);
    BuildWorld();
}

void CFootball::StepDead() {
    if (m_Pos.y > 2.5f) m_Pos.y -= 0.1f;
    if (m_Roll < 100.0f) m_Roll += 0.5f;
    if (m_Jaw < kJawOpen) m_Jaw += 0.5f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixRotationZ(&m_mRoll, m_Roll * kDegToRad);
    m_mWorld = m_mRot * m_mTrans; // the heading of the moment it died
}

// Backing off with the jaw opening, holding still with the bite ready, then the lunge. The phases run in
// order, so one may hand over to the next within the same frame.
void CFootball::StepCharge() {
    if (m_ChargePhase == CHARGE_START) {
        m_ChargePhase = CHARGE_BACK_OFF;
        m_PulseSpeed = kChargePulse;
    }
    if (m_ChargePhase == CHARGE_BACK_OFF) {
        m_StateTimer += 1;
        m_ChargeVel = HeadingVector(m_Angle) * -0.2f;
        m_Pos += m_ChargeVel;
        PushOutOfRocks(m_Pos, m_Radius);
        if (m_Jaw < kJawOpen) m_Jaw += 0.5f;
        if (m_StateTimer > kBackOffFrames) {
            m_StateTimer = 0;
            m_ChargePhase = CHARGE_LUNGE;
            m_bBiting = 1;
            m_ChargeVel = HeadingVector(m_Angle) * 4.0f;
        }
    }
    if (m_ChargePhase == CHARGE_LUNGE) {
        m_StateTimer += 1;
        if (m_StateTimer > kHoldFrames) {
            m_bBiting = 1;
            m_ChargeVel *= 0.94f;
            m_Pos += m_ChargeVel;
            PushOutOfRocks(m_Pos, m_Radius);
            if (m_Jaw > kJawShut) {
                m_Jaw -= 1.2f;
            } else {
                m_bBiting = 0;
                m_PulseSpeed = kCalmPulse;
            }
            if (D3DXVec3Length(&m_ChargeVel) < kLungeEndSpeed) m_ChargePhase = CHARGE_OVER;
        }
    }
    if (EndCharge(m_ChargePhase, m_StateTimer, m_bBiting)) m_AiState = FOOTBALL_CHASE;
    BuildWorld();
}

void CFootball::StepStunned() {
    m_StateTimer = 0;
    m_bBiting = 0;
    m_ChargeVel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_StarSpin += 1.0f;
    m_StunCount += 1;
    if (m_Jaw > kJawShut) m_Jaw -= 2.0f;
    if ((float)m_StunCount > m_StunTime) {
        m_StunTime *= 0.9f;
        m_StunCount = 0;
        m_StarSpin = 0.0f;
        m_AiState = FOOTBALL_CHASE;
    }
    BuildWorld();
}

// Every shot of the player's side over the body counts, several in one frame too.
void CFootball::StepShotHits() {
    TakePlayerShots(*this, m_Pos, m_Radius * m_Radius, [this] {
        m_Hp -= 1;
        m_ShakeTime = 15;
        if (m_AiState != FOOTBALL_STUNNED) {
            m_StunCount += 1;
            if ((float)m_StunCount > m_StunHits) {
                m_StunHits *= 1.5f;
                m_AiState = FOOTBALL_STUNNED;
                m_StunCount = 0;
            }
        }
        if (m_AiState == FOOTBALL_DORMANT) Wake();
    });
}

// Each frame of contact takes 100 from everyone on the player's side within reach.
void CFootball::StepBite() {
    if (m_bBiting != 1) return;
    for (std::size_t i = 0; i < ActorList.size(); ++i) {
        CObjectBase* actor = ActorList[i];
        if (!actor || actor->m_State != STATE_PLAYER_SIDE || actor->m_bDead) continue;
        if (FlatDistanceSq(actor->m_Pos, m_Pos) < kBiteRangeSq) {
            m_ChargeVel *= 0.7f;
            actor->m_Hp -= 100;
        }
    }
}

void CFootball::StepDeath() {
    if (m_bDying != 0 || m_Hp > 0) return;
    m_AiState = FOOTBALL_DEAD;
    m_bDying = 1;
    const bool target = IsTargetOfStage();
    for (int a = 0; a < 360; a += 10) {
        const float r1 = (float)(rand() % 20);
        const float r2 = (float)(rand() % 10);
        const D3DXVECTOR3 dir = HeadingVector((float)a);
        CBubble* bubble = NewObject<CBubble>();
        bubble->m_Pos = D3DXVECTOR3(m_Pos.x + r1 * dir.x, m_Pos.y + r2 - 5.0f, m_Pos.z + r1 * dir.z);
        bubble->Init();
        EffectList.push_back(bubble);
        if (target) g_TargetCount -= 1;
    }
}

bool CFootball::IsTargetOfStage() const {
    return g_StageNo == 1;
}

void CFootball::Wake() {
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 dir = HeadingVector(45.0f * (float)i);
        CDust* dust = NewObject<CDust>();
        dust->m_Pos = D3DXVECTOR3(m_Pos.x + 10.0f * dir.x, 10.0f, m_Pos.z + 10.0f * dir.z);
        dust->m_bDead = 0;
        dust->m_Count = 0;
        dust->Init();
        EffectList.push_back(dust);
    }
    PlaySE(SE_DUST);
    m_AiState = FOOTBALL_RISING;
}

// At most 5 degrees a frame, the short way round.
void CFootball::TurnToward(const D3DXVECTOR3& point) {
    const D3DXVECTOR3 f = HeadingVector(m_Angle);
    D3DXVECTOR3 t = point - m_Pos;
    t.y = 0.0f;
    D3DXVec3Normalize(&t, &t);
    // Rounding can carry the dot product of two unit vectors a little past 1.
    const float cosine = std::min(1.0f, std::max(-1.0f, D3DXVec3Dot(&f, &t)));
    const float angle = std::acos(cosine) * kRadToDeg;
    if (angle >= 0.1f) {
        const float turn = std::min(angle, 5.0f);
        if (f.z * t.x - t.z * f.x > 0.0f)
            m_Angle += turn;
        else
            m_Angle -= turn;
    }
    m_Angle = WrapOnce(m_Angle);
}

void CFootball::SwimForward(bool still) {
    const D3DXVECTOR3 d = still ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : HeadingVector(m_Angle);
    const D3DXVECTOR3 a = d * m_Speed;
    m_Vel = m_Vel * 0.95f + a * 0.95f;
    m_MaxSpeed = 0.05f;
    const float length = D3DXVec3Length(&m_Vel);
    if (length > 0.05f) m_Vel *= m_MaxSpeed / length;
    m_Pos += m_Vel;
    PushOutOfRocks(m_Pos, m_Radius);
}

void CFootball::BuildWorld() {
    m_mRot = MatRotationY(m_Angle);
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mRot * m_mTrans;
}

void CFootball::Draw() {
    DrawMesh(g_MeshFootball, m_mWorld, 0);
    D3DXMATRIX jawScale;
    D3DXMatrixScaling(&jawScale, 1.0f, 1.0f, 1.2f);
    DrawMesh(g_MeshLowerJaw, jawScale * MatRotationX(m_Jaw) * m_mWorld, 0);
    DrawStars();
    // The glow pulses between 0.5 and 1.0, in step with every other football; a dead one stays at 0.5.
    float pulse = (std::sin(g_GlowPhase) + 1.0f) * 0.25f;
    g_GlowPhase += m_PulseSpeed;
    if (m_bDying == 1) pulse = 0.0f;
    DrawMeshColored(g_MeshEffect, MatTranslation(0.0f, 5.0f, 5.0f) * m_mWorld,
                    D3DXCOLOR(1.0f, 1.0f, 1.0f, pulse + 0.5f), 4);
}

// Four stars when the stun begins; one goes at each quarter of the stun.
void CFootball::DrawStars() {
    if (m_AiState != FOOTBALL_STUNNED) return;
    // A quarter of the stun in whole frames; never 0, however short the stuns have become.
    const int quarter = std::max(1, (int)(m_StunTime * 0.25f));
    const int n = 4 - m_StunCount / quarter;
    if (n <= 0) return;
    const int step = 360 / n;
    for (int i = 0; i < n; ++i) {
        float a = (float)(i * step) + m_StarSpin;
        if (a > 360.0f) a -= 360.0f;
        const D3DXMATRIX world = MatRotationX((float)step) * MatRotationY(a + m_Angle) *
                                 MatTranslation(0.0f, 0.0f, 2.0f) * MatRotationY(a) *
                                 MatTranslation(0.0f, 5.0f, 3.0f) * m_mWorld;
        DrawMesh(g_MeshStar, world, 0);
    }
}

// The shadow lies flat just above the seabed under the body, whatever its height, roll or shake.
void CFootball::DrawAlpha() {
    DrawShadow(*this);
}

int CFootball::Shoot() {
    return 0;
}
