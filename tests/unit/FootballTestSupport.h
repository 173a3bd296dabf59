// Shared pieces of the football and squid tests: a fixture with a clean world, helpers that place a player,
// followers, creatures and shots, and a recording effect that writes down every mesh drawn.
#pragma once

#include "tests/unit/StubEffectMesh.h"
#include "WorldTestSupport.h"

#include "app/Scene.h"
#include "app/Shader.h"
#include "assets/Meshes.h"
#include "creatures/Football.h"
#include "creatures/Squid.h"
#include "player/Bullet.h"
#include "player/Effects.h"
#include "player/Jelly.h"
#include "player/Player.h"
#include "world/Props.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// One mesh drawn: which record, the world matrix and pass handed to the effect, and the free colour it held.
struct MeshDraw {
    std::string mesh;
    D3DXMATRIX world;
    UINT pass;
    std::vector<float> color;
};

// An effect that keeps what the mesh drawing sets, so that a mesh can record it when drawn.
struct MeshRecordingEffect : public StubEffect {
    D3DXMATRIX world{};
    UINT pass = 0;
    std::vector<float> freeColor;

    HRESULT BeginPass(UINT p) override {
        pass = p;
        return D3D_OK;
    }
    HRESULT SetMatrix(D3DXHANDLE n, const D3DXMATRIX* m) override {
        if (!std::strcmp(n, "g_mWorld")) world = *m;
        return D3D_OK;
    }
    HRESULT SetFloatArray(D3DXHANDLE n, const FLOAT* v, UINT c) override {
        if (!std::strcmp(n, "g_FreeColor")) freeColor.assign(v, v + c);
        return D3D_OK;
    }
};

// A one-material mesh that logs each draw with the effect's state at that moment.
struct NamedRecordingMesh : public StubMesh {
    NamedRecordingMesh(std::string n, MeshRecordingEffect* e, std::vector<MeshDraw>* l)
        : name(std::move(n)), effect(e), log(l) {}
    HRESULT DrawSubset(DWORD) override {
        log->push_back({name, effect->world, effect->pass, effect->freeColor});
        return D3D_OK;
    }
    std::string name;
    MeshRecordingEffect* effect;
    std::vector<MeshDraw>* log;
};

// Puts recording meshes into the creature mesh records and a recording effect into g_pEffect for the
// lifetime of the object; everything is put back afterwards.
class MeshDrawRecorder {
  public:
    MeshDrawRecorder() {
        m_SavedEffect = g_pEffect;
        g_pEffect = &m_Effect;
        Hook(g_MeshFootball, "football");
        Hook(g_MeshLowerJaw, "lowerjaw");
        Hook(g_MeshStar, "star");
        Hook(g_MeshEffect, "effect");
        Hook(g_MeshSquid, "squid");
    }
    ~MeshDrawRecorder() {
        g_pEffect = m_SavedEffect;
        for (Slot& s : m_Slots)
            *s.record = s.saved;
        for (NamedRecordingMesh* m : m_Meshes)
            delete m;
    }
    MeshDrawRecorder(const MeshDrawRecorder&) = delete;
    MeshDrawRecorder& operator=(const MeshDrawRecorder&) = delete;

    std::vector<MeshDraw> draws;

    // The draws of one mesh, in order.
    std::vector<MeshDraw> Of(const std::string& mesh) const {
        std::vector<MeshDraw> out;
        for (const MeshDraw& d : draws)
            if (d.mesh == mesh) out.push_back(d);
        return out;
    }

  private:
    struct Slot {
        MeshData* record;
        MeshData saved;
    };
    void Hook(MeshData& record, const char* name) {
        m_Slots.push_back({&record, record});
        NamedRecordingMesh* mesh = new NamedRecordingMesh(name, &m_Effect, &draws);
        m_Meshes.push_back(mesh);
        record = MeshData{};
        record.pMesh = mesh;
        record.NumMaterials = 1;
        record.pMaterials = &m_Material;
    }
    MeshRecordingEffect m_Effect;
    ID3DXEffect* m_SavedEffect = nullptr;
    D3DMATERIAL9 m_Material{};
    std::vector<Slot> m_Slots;
    std::vector<NamedRecordingMesh*> m_Meshes;
};

inline D3DXMATRIX Translate(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}
inline D3DXMATRIX RotX(float deg) {
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, deg * 0.017453292f);
    return m;
}
inline D3DXMATRIX RotY(float deg) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, deg * 0.017453292f);
    return m;
}
inline D3DXMATRIX RotZ(float deg) {
    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, deg * 0.017453292f);
    return m;
}
inline D3DXMATRIX Scale(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, x, y, z);
    return m;
}

inline void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-4f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "element " << r << "," << c;
}

template <class T> int CountIn(const std::vector<CObjectBase*>& list) {
    int n = 0;
    for (CObjectBase* o : list)
        if (dynamic_cast<T*>(o)) ++n;
    return n;
}

// A clean world in the given stage with a fixed random sequence.
class CreatureFixture : public WorldFixture {
  protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_SavedStage = g_StageNo;
        g_StageNo = 1;
        g_TargetCount = 0;
        g_GlowPhase = 0.0f;
        srand(7);
    }
    void TearDown() override {
        g_StageNo = m_SavedStage;
        g_TargetCount = 0;
        g_GlowPhase = 0.0f;
        WorldFixture::TearDown();
    }

    // The player as ActorList[0], standing at pos with full health.
    CPlayer* AddPlayer(const D3DXVECTOR3& pos) {
        CPlayer* player = NewObject<CPlayer>();
        player->Init();
        player->m_State = 2;
        player->m_Hp = 100;
        player->m_Pos = pos;
        D3DXMatrixTranslation(&player->m_mTrans, pos.x, pos.y, pos.z);
        ActorList.insert(ActorList.begin(), player);
        return player;
    }
    // A jelly on the player's side (state 2) or a stray one (state 1).
    CJelly* AddJelly(const D3DXVECTOR3& pos, int32_t state) {
        CJelly* jelly = NewObject<CJelly>();
        jelly->m_Type = 1;
        jelly->m_State = state;
        jelly->m_Hp = 100;
        jelly->m_Pos = pos;
        ActorList.push_back(jelly);
        return jelly;
    }
    // A creature placed as the stage loader places it, then initialised.
    template <class T> T* AddCreature(const D3DXVECTOR3& pos) {
        T* creature = NewObject<T>();
        creature->m_Pos = pos;
        creature->m_Id = g_TargetCount;
        ActorList.push_back(creature);
        creature->Init();
        return creature;
    }
    // A shot standing at pos, as a shot stands after its last update.
    CBullet* AddShot(const D3DXVECTOR3& pos, int32_t kind = 0) {
        CBullet* shot = NewObject<CBullet>();
        shot->m_Pos = pos;
        shot->m_Kind = kind;
        shot->m_Speed = 0.0f;
        shot->m_Life = 40;
        shot->m_Angle = 0.0f;
        D3DXMatrixTranslation(&shot->m_mTrans, pos.x, pos.y, pos.z);
        ShotList.push_back(shot);
        return shot;
    }
    // One landing hit: a kind-0 shot on the creature's position, then one update; the spent shot and the
    // sprays are cleared away.
    void HitOnce(CFootball* f) {
        CBullet* shot = AddShot(f->m_Pos);
        f->Update();
        EXPECT_EQ(shot->m_bDead, 1);
        ShotList.clear();
        ShotRequestQueue.clear();
    }

    int m_SavedStage = 0;
};
