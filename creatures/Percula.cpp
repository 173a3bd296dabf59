#include "creatures/Percula.h"

#include "app/Scene.h"
#include "app/Shader.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "world/Collision.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {


// The player is always the first actor of a stage; elsewhere (the title) there is none.
const CObjectBase* Player() {
    return ActorList.empty() ? nullptr : ActorList[0];
}

void WrapAngle(float& angle) {
    if (angle > 360.0f) angle -= 360.0f;
    if (angle < 0.0f) angle += 360.0f;
}

// Eight sprays of kind 10 at pos, one every 45 degrees.
void PushSprays(CObjectBase& self, const D3DXVECTOR3& pos, float speed, int32_t life) {
    for (int i = 0; i < 8; ++i) {
        self.m_Shot.Angle = 45.0f * static_cast<float>(i);
        self.m_Shot.Pos = pos;
        self.m_Shot.Kind = 10;
        self.m_Shot.Speed = speed;
        self.m_Shot.Life = life;
        ShotRequestQueue.push_back(self.m_Shot);
    }
}

} // namespace

CPercula::CPercula() : m_bHomeFromStart(true) {}

CPercula::CPercula(const D3DXVECTOR3& home) : m_Home(home), m_bHomeFromStart(false) {}

void CPercula::Init() {
    if (m_bHomeFromStart) m_Home = m_Pos;
    m_Hp = 20;
    m_Angle = 0.0f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixRotationY(&m_mRot, 0.0f);
    D3DXMatrixScaling(&m_mScale, 3.0f, 3.0f, 3.0f);
    m_mWorld = m_mScale * m_mRot * m_mTrans;
    m_pMesh = &g_MeshPercula;
    m_AiState = 0;
    m_Count = 0;
    m_Speed = 0.5f;
    m_CircleDir = std::rand() % 2;
    m_StateTimer = 0;
    m_ChargePhase = 0;
    m_ShakeTime = 0;
    m_Radius = 10.0f;
    m_bOutOfAnemone = 0;
    m_bAtHome = 0;
}

void CPercula::Update() {
    // A lost or cleared stage sends the living fish back to circling their homes. A fish that has just been
    // killed still goes on to die.
    if ((g_StageState == 1 || g_StageState == 2) && m_Hp > 0) m_AiState = 0;

    switch (m_AiState) {
    case 0:
        Wander();
        break;
    case 1:
        Chase();
        break;
    case 2:
        Die();
        break;
    case 3:
        Charge();
        break;
    case 4:
        ReturnHome();
        break;
    default:
        break;
    }

    if (m_Hp > 0) TakeShots();
    if (m_Hp <= 0) m_AiState = 2;
    if (m_AiState != 2) Bite();

    // A fish born inside its anemone may swim out of it; once outside it is kept out of every anemone.
    if (m_bOutOfAnemone == 0) {
        D3DXVECTOR3 probe = m_Pos;
        if (!PushOutOfAnemones(probe, m_Radius)) m_bOutOfAnemone = 1;
    }
    // Outside, it sinks to the floor.
    if (m_bOutOfAnemone == 1 && m_Pos.y > 0.0f) m_Pos.y -= 0.05f;

    if (m_ShakeTime >= 1 && m_Hp >= 0) {
        const float r = static_cast<float>(std::rand() % 360) * kDegToRad;
        D3DXMatrixTranslation(&m_mShake, 0.5f * std::sin(r), 0.0f, 0.5f * std::cos(r));
        m_ShakeTime -= 1;
    } else {
        D3DXMatrixTranslation(&m_mShake, 0.0f, 0.0f, 0.0f);
    }
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
    const CObjectBase* player = Player();
    if (player && player->m_Hp > 0 && FlatDistanceSq(player->m_Pos, m_Pos) < 1600.0f) m_AiState = 1;

    if (FlatDistanceSq(m_Home, m_Pos) >= 3600.0f) {
        TurnToward(m_Home, 1.0f);
    } else if (m_CircleDir == 0) {
        m_Angle += 0.2f;
    } else if (m_CircleDir == 1) {
        m_Angle -= 0.2f;
    }
    if (m_Count % 450 == 0) m_CircleDir = std::rand() % 2;
    WrapAngle(m_Angle);

    Swim(m_Speed, 0.1f, false);
    Move(true);
}

void CPercula::Chase() {
    const CObjectBase* player = Player();
    if (m_Hp >= 1 && (!player || player->m_Hp <= 0)) m_AiState = 0;
    m_StateTimer += 1;
    if (m_StateTimer > 200) {
        m_AiState = 3;
        m_StateTimer = 0;
    }
    if (player && player->m_Hp > 0 && FlatDistanceSq(player->m_Pos, m_Pos) >= 10000.0f) m_AiState = 0;

    bool still = false;
    if (player) {
        TurnToward(player->m_Pos, 5.0f);
        const D3DXVECTOR3 toPlayer = player->m_Pos - m_Pos;
        still = D3DXVec3Length(&toPlayer) <= 1.0f;
    }
    Swim(m_Speed, 0.05f, still);
    Move(true);
}

// Back off, hold still with the bite ready, then lunge; the first bite ends the lunge's bite.
void CPercula::Charge() {
    const float h = m_Angle * kDegToRad;
    if (m_ChargePhase == 0) m_ChargePhase = 1;
    if (m_ChargePhase == 1) {
        m_StateTimer += 1;
        m_ChargeVel = D3DXVECTOR3(-std::sin(h), 0.0f, -std::cos(h)) * 0.2f;
        m_Pos += m_ChargeVel;
        D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
        m_mWorld = m_mRot * m_mTrans;
        if (m_StateTimer > 130) {
            m_StateTimer = 0;
            m_ChargePhase = 2;
            m_bBiting = 1;
            m_ChargeVel = D3DXVECTOR3(std::sin(h), 0.0f, std::cos(h)) * 4.0f;
        }
    }
    if (m_ChargePhase == 2) {
        m_StateTimer += 1;
        if (m_StateTimer > 70) {
            m_ChargeVel *= 0.94f;
            m_Pos += m_ChargeVel;
            PushOutOfRocks(m_Pos, m_Radius);
            if (m_bOutOfAnemone == 1) PushOutOfAnemones(m_Pos, m_Radius);
            D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
            if (D3DXVec3Length(&m_ChargeVel) < 0.05f) {
                m_ChargePhase = 3;
                m_bBiting = 0;
                m_StateTimer = 0;
            }
        }
    }
    if (m_ChargePhase == 3) {
        m_StateTimer = 0;
        m_ChargePhase = 0;
        m_bBiting = 0;
        m_AiState = 1;
    }
    D3DXMatrixRotationY(&m_mRot, h);
    m_mWorld = m_mRot * m_mTrans;
}

void CPercula::ReturnHome() {
    TurnToward(m_Home, 5.0f);
    WrapAngle(m_Angle);
    bool still = false;
    if (const CObjectBase* player = Player()) {
        const D3DXVECTOR3 toPlayer = player->m_Pos - m_Pos;
        still = D3DXVec3Length(&toPlayer) <= 1.0f;
    }
    Swim(1.0f, 0.2f, still);
    Move(false);
    if (FlatDistanceSq(m_Home, m_Pos) < 225.0f && m_bAtHome == 0) m_bAtHome = 1;
}

// Bursts into slow sprays with the bubble sound and leaves its list at the end of the frame.
void CPercula::Die() {
    PushSprays(*this, m_Pos, 0.1f, 70);
    for (int i = 0; i < 8; ++i)
        (void)std::rand();
    PlaySE(SE_BUBBLE);
    m_bDead = 1;
}

void CPercula::TakeShots() {
    for (std::size_t i = 0; i < ShotList.size(); ++i) {
        CObjectBase* shot = ShotList[i];
        if (!shot || shot->m_bDead == 1 || shot->m_Kind != 0) continue;
        const D3DXVECTOR3 at(shot->m_mTrans._41, shot->m_mTrans._42, shot->m_mTrans._43);
        if (FlatDistanceSq(at, m_Pos) < m_Radius * m_Radius) {
            PushSprays(*this, at, 0.5f, 10);
            if (m_AiState == 0) m_AiState = 1;
            m_Hp -= 1;
            shot->m_bDead = 1;
            m_ShakeTime = 15;
        }
    }
}

// Everyone on the player's side within reach in this frame is bitten once; then the bite is over.
void CPercula::Bite() {
    if (m_bBiting != 1) return;
    for (std::size_t i = 0; i < ActorList.size(); ++i) {
        CObjectBase* actor = ActorList[i];
        if (!actor || actor->m_State != 2 || actor->m_bDead == 1) continue;
        if (FlatDistanceSq(actor->m_Pos, m_Pos) < 100.0f) {
            m_bBiting = 0;
            actor->m_bHit = 1;
            actor->m_Hp -= 20;
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
        if (between >= 0.1f) {
            const float step = std::min(between, maxStep);
            m_Angle += (f.z * t.x - t.z * f.x > 0.0f) ? step : -step;
        }
    }
    WrapAngle(m_Angle);
}

void CPercula::Swim(float accel, float maxSpeed, bool still) {
    const D3DXVECTOR3 push = still ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : HeadingVector(m_Angle) * accel;
    m_Vel = m_Vel * 0.95f + push * 0.95f;
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
