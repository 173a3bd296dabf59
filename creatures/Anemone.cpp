#include "creatures/Anemone.h"

#include "app/Camera.h"
#include "app/Direct3D.h"
#include "app/Shader.h"
#include "app/TraceSections.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "creatures/Percula.h"
#include "player/Effects.h"
#include "world/ObjectSteps.h"
#include "world/Props.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

namespace {

// Creates objects in another arena for as long as it lives.
class ArenaScope {
  public:
    explicit ArenaScope(ObjectArena arena) : m_Previous(GetObjectArena()) { SetObjectArena(arena); }
    ~ArenaScope() { SetObjectArena(m_Previous); }
    ArenaScope(const ArenaScope&) = delete;
    ArenaScope& operator=(const ArenaScope&) = delete;

  private:
    ObjectArena m_Previous;
};

} // namespace

// ---- The anemone ----

CAnemone::CAnemone() : m_Arena(GetObjectArena()) {}

// The fish and tentacles themselves belong to the arena; only the storage of the two lists goes here.
CAnemone::~CAnemone() = default;

void CAnemone::Init() {
    m_Type = 3;
    m_Hp = 600;
    m_bDead = 0;
    m_Radius = 17.5f;
    m_Mode = ANEMONE_CALM;
    m_bDying = 0;
    m_Count = 0;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixRotationX(&m_mRot, 0.0f);
    D3DXMatrixScaling(&m_mScale, 10.0f, 5.0f, 10.0f);
    m_mWorld = m_mRot * m_mTrans;
    m_ShakeTime = 0;
    m_bHealCalled = 0;

    // The fish first, then the tentacles: both draw random numbers.
    {
        ArenaScope scope(m_Arena);
        for (int i = 0; i < 8; ++i) {
            const float a = 45.0f * static_cast<float>(i) * kDegToRad;
            CPercula* fish = NewObject<CPercula>(m_Pos);
            fish->m_Pos = D3DXVECTOR3(m_Pos.x + 40.0f * std::sin(a), m_Pos.y, m_Pos.z + 40.0f * std::cos(a));
            fish->Init();
            m_Fish.push_back(fish);
        }
    }
    BuildTentacles();
}

void CAnemone::BuildTentacles() {
    ArenaScope scope(m_Arena);
    constexpr std::size_t kRing = 36;
    m_Tentacles.resize(std::min(m_Tentacles.size(), 2 * kRing));
    for (std::size_t i = 0; i < 2 * kRing; ++i) {
        const bool outer = i < kRing;
        const float deg = 10.0f * static_cast<float>(outer ? i : i - kRing) + (outer ? 0.0f : 5.0f);
        const float radius = outer ? 12.0f : 5.0f;
        const float a = deg * kDegToRad;
        CAnemoneTentacle* tentacle;
        if (i < m_Tentacles.size()) {
            tentacle = m_Tentacles[i];
        } else {
            tentacle = NewObject<CAnemoneTentacle>();
            m_Tentacles.push_back(tentacle);
        }
        tentacle->m_bMove = 0;
        tentacle->m_bDead = 0;
        tentacle->m_Pos = D3DXVECTOR3(m_Pos.x + radius * std::sin(a), m_Pos.y + 8.5f,
                                      m_Pos.z + radius * std::cos(a) - 4.0f);
        tentacle->Init();
    }
}

void CAnemone::Update() {
    const CObjectBase* player = ThePlayer();
    if (player && m_Mode == ANEMONE_CALM && FlatDistanceSq(player->m_Pos, m_Pos) < 900.0f) {
        m_Mode = ANEMONE_NOTICED;
    } else if (player && m_Mode == ANEMONE_PROVOKED && player->m_Hp > 0 &&
               FlatDistanceSq(player->m_Pos, m_Pos) >= 22500.0f) {
        m_Mode = ANEMONE_CALM;
    }

    TakeShots();

    if (m_Hp <= 400 && m_Count % 600 == 0 && m_Hp >= 0) BreedFish();
    if (m_Hp <= 200 && m_Count % 600 == 300 && m_Hp >= 0) BreedFish();
    if (m_Hp <= 200 && m_bHealCalled == 0) {
        // Once: the fish bred after this are not called.
        for (CPercula* fish : m_Fish)
            fish->m_AiState = PERCULA_HOME;
        m_bHealCalled = 1;
    }
    if (m_bDying == 0 && m_Hp <= 0) {
        m_Mode = ANEMONE_DEAD;
        m_bDying = 1;
        Burst();
    }

    UpdateFish();
    UpdateTentacles();
    m_Fish.erase(std::remove_if(m_Fish.begin(), m_Fish.end(), [](CPercula* f) { return f->m_bDead == 1; }),
                 m_Fish.end());

    StepShake(m_mShake, m_ShakeTime, m_Hp >= 0);
    m_mWorld = m_mScale * m_mShake * m_mTrans;

    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

// Shots land even on a dead anemone; the first hit while not provoked sends every fish after the player.
void CAnemone::TakeShots() {
    TakePlayerShots(*this, m_Pos, m_Radius * m_Radius, [this] {
        m_Hp -= 1;
        m_ShakeTime = 15;
        if (m_Mode != ANEMONE_PROVOKED) {
            m_Mode = ANEMONE_PROVOKED;
            for (CPercula* fish : m_Fish)
                fish->m_AiState = PERCULA_CHASE;
        }
    });
}

void CAnemone::BreedFish() {
    ArenaScope scope(m_Arena);
    CPercula* fish = NewObject<CPercula>(m_Pos);
    fish->m_Pos = D3DXVECTOR3(m_Pos.x, m_Pos.y + 9.0f, m_Pos.z);
    fish->Init();
    m_Fish.push_back(fish);
}

// 36 bubbles, one every 10 degrees; each lowers the target count, whatever the stage.
void CAnemone::Burst() {
    for (int i = 0; i < 36; ++i) {
        const float a = 10.0f * static_cast<float>(i) * kDegToRad;
        const int r1 = std::rand() % 20;
        const int r2 = std::rand() % 10;
        CBubble* bubble = NewObject<CBubble>();
        bubble->m_Pos = D3DXVECTOR3(m_Pos.x + static_cast<float>(r1) * std::sin(a),
                                    m_Pos.y + static_cast<float>(r2) - 5.0f,
                                    m_Pos.z + static_cast<float>(r1) * std::cos(a));
        bubble->Init();
        EffectList.push_back(bubble);
        g_TargetCount -= 1;
    }
}

// Each fish that has come home heals the anemone by 20, with a ring where it arrived and a column over the
// anemone.
void CAnemone::UpdateFish() {
    for (std::size_t i = 0; i < m_Fish.size(); ++i) {
        CPercula* fish = m_Fish[i];
        fish->Update();
        if (fish->m_bAtHome != 1) continue;
        fish->m_bDead = 1;
        m_Hp += 20;
        CHealEff* ring = NewObject<CHealEff>();
        ring->m_Pos = fish->m_Pos;
        ring->Init();
        EffectList.push_back(ring);
        CAnemoneHeal* column = NewObject<CAnemoneHeal>();
        column->m_Pos = m_Pos;
        column->Init();
        EffectList.push_back(column);
    }
}

// The tentacles sway; those of a dead anemone sink into the ground until they are below -13.
void CAnemone::UpdateTentacles() {
    for (CAnemoneTentacle* tentacle : m_Tentacles) {
        tentacle->Update();
        if (m_Hp < 1 && tentacle->m_Pos.y > -13.0f) tentacle->m_Pos.y -= 0.5f;
    }
}

std::vector<CAnemoneTentacle*> CAnemone::TentaclesFarToNear() const {
    std::multimap<float, CAnemoneTentacle*> byDepth;
    for (CAnemoneTentacle* tentacle : m_Tentacles)
        byDepth.emplace(tentacle->m_Radius + tentacle->m_Pos.z - g_CamEye.z, tentacle); // after equal keys
    std::vector<CAnemoneTentacle*> order;
    order.reserve(byDepth.size());
    for (auto it = byDepth.rbegin(); it != byDepth.rend(); ++it)
        order.push_back(it->second);
    return order;
}

void CAnemone::Draw() {
    m_pMesh = &g_MeshAnemone;
    DrawMesh(g_MeshAnemone, m_mWorld, 6);
    for (CAnemoneTentacle* tentacle : TentaclesFarToNear())
        tentacle->Draw();
    for (CPercula* fish : m_Fish)
        fish->Draw();
}

void CAnemone::DrawAlpha() {
    for (CAnemoneTentacle* tentacle : TentaclesFarToNear())
        tentacle->DrawAlpha();
    for (CPercula* fish : m_Fish)
        fish->DrawAlpha();
}

int CAnemone::Shoot() {
    return 0;
}

// ---- A tentacle ----

CAnemoneTentacle::CAnemoneTentacle() {
    m_bMove = 0;
    m_bDead = 0;
}

void CAnemoneTentacle::Init() {
    m_Radius = 20.0f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mTrans;
    for (Vertex3D& v : m_Strip)
        v.color = 0xFFFFFFFF;
    // The rows start within -9..-5, -7..-3, -5..-1, -3..1 and -1..3, top row first.
    for (int k = 0; k < 5; ++k) {
        m_Sway[k] = static_cast<float>(std::rand() % 5 + (2 * k - 9));
        m_SwayDir[k] = 0.0f;
    }
    m_Count = std::rand() % 300;
}

// Each row swings within 2 of the row below it; the bottom row stays.
void CAnemoneTentacle::Update() {
    for (int k = 0; k < 4; ++k) {
        if (m_SwayDir[k] == 0.0f) {
            m_Sway[k] += 0.03f;
            if (m_Sway[k] > m_Sway[k + 1] + 2.0f) m_SwayDir[k] = 1.0f;
        }
        if (m_SwayDir[k] == 1.0f) {
            m_Sway[k] -= 0.03f;
            if (m_Sway[k] < m_Sway[k + 1] - 2.0f) m_SwayDir[k] = 0.0f;
        }
    }
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_mWorld = m_mTrans;
}

void CAnemoneTentacle::Draw() {}

// A ribbon 4 wide from height 10, depth 12.5 (row 0) down to height 2, depth 2.5 (row 4), bent at each row.
void CAnemoneTentacle::DrawAlpha() {
    if (!g_pDevice) return; // a world run without a device (logic only) draws nothing
    g_pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
    g_pDevice->SetTexture(0, g_pTexAnemoneTentacle);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    for (int j = 0; j < 4; ++j) {
        const float top = 10.0f - 2.0f * static_cast<float>(j);
        const float bottom = top - 2.0f;
        const float nearTop = 2.5f * static_cast<float>(5 - j);
        const float nearBottom = 2.5f * static_cast<float>(4 - j);
        const float vTop = 0.25f * static_cast<float>(j) + 0.01f;
        const float vBottom = 0.25f * static_cast<float>(j + 1) + 0.01f;
        m_Strip[0] = {m_Sway[j] - 2.0f, top, nearTop, m_Strip[0].color, 0.0f, vTop};
        m_Strip[1] = {m_Sway[j] + 2.0f, top, nearTop, m_Strip[1].color, 1.0f, vTop};
        m_Strip[2] = {m_Sway[j + 1] + 2.0f, bottom, nearBottom, m_Strip[2].color, 1.0f, vBottom};
        m_Strip[3] = {m_Sway[j + 1] - 2.0f, bottom, nearBottom, m_Strip[3].color, 0.0f, vBottom};
        g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Strip, sizeof(Vertex3D));
    }
}

int CAnemoneTentacle::Shoot() {
    return 0;
}

// ---- The heal column ----

void CAnemoneHeal::Init() {
    m_bDead = 0;
    m_Count = 0;
    m_Radius = 0.0f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    m_Scale = D3DXVECTOR3(20.0f, 1.0f, 20.0f);
    m_pMesh = &g_MeshHealEffect;
    m_Color = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    // Until the first Update the column stands at its start size.
    D3DXMatrixScaling(&m_mScale, m_Scale.x, m_Scale.y, m_Scale.z);
    m_mWorld = m_mScale * m_mTrans;
}

// Grows 0.6 mesh heights a frame and fades out over about 100 frames.
void CAnemoneHeal::Update() {
    m_Scale.y += 0.6f;
    D3DXMatrixTranslation(&m_mTrans, m_Pos.x, m_Pos.y, m_Pos.z);
    D3DXMatrixScaling(&m_mScale, m_Scale.x, m_Scale.y, m_Scale.z);
    m_mWorld = m_mScale * m_mTrans;
    m_Color.a -= 0.01f;
    if (m_Color.a <= 0.0f) m_bDead = 1;
}

void CAnemoneHeal::Draw() {}

void CAnemoneHeal::DrawAlpha() {
    DrawMeshColored(g_MeshHealEffect, m_mWorld, m_Color, 3);
}

int CAnemoneHeal::Shoot() {
    return 0;
}

// The fish of every anemone, anemone by anemone in ActorList order and each school in its own order:
// behaviour state, hit points and where they swim.
void TraceSchoolKeys(JsonLine& j) {
    j.OpenList("school");
    for (const CObjectBase* actor : ActorList) {
        const CAnemone* anemone = dynamic_cast<const CAnemone*>(actor);
        if (!anemone) continue;
        for (const CPercula* fish : anemone->m_Fish) {
            if (!fish) continue;
            j.OpenItem();
            j.Int("ai", fish->m_AiState);
            j.Int("hp", fish->m_Hp);
            j.Float("x", fish->m_Pos.x);
            j.Float("z", fish->m_Pos.z);
            j.Close();
        }
    }
    j.CloseList();
}
