// Shared pieces of the player, shot and board tests: a recording device, held keys and the mouse, and an
// effect and meshes that write down every mesh draw.
#pragma once

#include "app/Camera.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/Shader.h"
#include "app/WinMain.h"
#include "assets/Meshes.h"
#include "player/Player.h"
#include "world/ObjectBase.h"
#include "world/World.h"
#include "tests/unit/StubEffectMesh.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"
#include <d3d9debug.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// One mesh draw as the effect saw it.
struct PlayerMeshDraw {
    std::string mesh; // the name of the fake mesh drawn
    int pass = -1;
    D3DXMATRIX world{};
    float color[4] = {};
};

inline std::vector<PlayerMeshDraw> g_MeshDraws;

// An effect that remembers the world matrix, the free colour and the pass of each draw.
struct DrawRecordingEffect : public StubEffect {
    D3DXMATRIX world{};
    float color[4] = {};
    int pass = -1;
    HRESULT BeginPass(UINT p) override { return pass = (int)p, D3D_OK; }
    HRESULT SetMatrix(D3DXHANDLE n, const D3DXMATRIX* m) override {
        if (!std::strcmp(n, "g_mWorld")) world = *m;
        return D3D_OK;
    }
    HRESULT SetFloatArray(D3DXHANDLE n, const FLOAT* v, UINT c) override {
        if (!std::strcmp(n, "g_FreeColor") && c == 4) std::memcpy(color, v, sizeof color);
        return D3D_OK;
    }
};

// A one-subset mesh whose draw is written down under its name.
struct NamedMesh : public StubMesh {
    explicit NamedMesh(std::string n) : name(std::move(n)) {}
    std::string name;
    DrawRecordingEffect* effect = nullptr;
    HRESULT DrawSubset(DWORD) override {
        PlayerMeshDraw d;
        d.mesh = name;
        d.pass = effect->pass;
        d.world = effect->world;
        std::memcpy(d.color, effect->color, sizeof d.color);
        g_MeshDraws.push_back(d);
        return D3D_OK;
    }
};

// The fixture of the player-side tests: empty lists, no keys, the mouse in the middle of a 640 x 480
// client at the screen origin, the camera looking north, stage 1, a recording device, and the effect and
// the player, bullet, effect and dull meshes replaced by recording ones.
class PlayerSideFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().noRender = true; // the mouse is ours, never the desktop's
        win32::ResetInput();
        ResetSceneGlobals();
        ResetWorld();
        g_rcClient = RECT{0, 0, 640, 480};
        g_rcWindow = RECT{0, 0, 640, 480};
        g_CamYaw = 0.0f;
        g_StageNo = 1;
        CPlayer::s_MoveDir = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
        g_hWnd = nullptr; // no window: the device records
        ASSERT_NE(InitDirect3D(0), nullptr);
        g_MeshDraws.clear();
        m_Effect = new DrawRecordingEffect;
        g_pEffect = m_Effect;
        Fake(g_MeshPlayer, m_Player);
        Fake(g_MeshBullet, m_Bullet);
        Fake(g_MeshEffect, m_EffectMesh);
        Fake(g_MeshDull, m_Dull);
    }
    void TearDown() override {
        for (MeshData* m : {&g_MeshPlayer, &g_MeshBullet, &g_MeshEffect, &g_MeshDull})
            *m = MeshData{};
        g_pEffect = nullptr;
        delete m_Effect;
        ResetWorld();
        SetObjectArena(ObjectArena::Program);
        ReleaseDirect3D();
        ResetSceneGlobals();
        win32::ResetInput();
        g_rcClient = RECT{0, 0, 0, 0};
        g_rcWindow = RECT{0, 0, 0, 0};
        ResetRun();
    }
    static void ResetWorld() {
        ReleaseObjects();
        ShotRequestQueue.clear();
        g_CamEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        SetObjectArena(ObjectArena::Stage);
    }

    // A player of stage g_StageNo, initialised, as element 0 of ActorList.
    CPlayer* AddPlayer() {
        CPlayer* p = NewObject<CPlayer>();
        ActorList.push_back(p);
        p->Init();
        return p;
    }

    static void Hold(int vk, bool down = true) { win32::SetKey(vk, down); }
    static void Mouse(int x, int y) { win32::SetMouseScreen(x, y); }

    DrawRecordingEffect* m_Effect = nullptr;
    NamedMesh m_Player{"player"}, m_Bullet{"bullet"}, m_EffectMesh{"effect"}, m_Dull{"dull"};
    D3DMATERIAL9 m_Material{};
    IDirect3DTexture9* m_NoTexture[1] = {nullptr};

  private:
    void Fake(MeshData& record, NamedMesh& mesh) {
        mesh.effect = m_Effect;
        record.pMesh = &mesh;
        record.NumMaterials = 1;
        record.pMaterials = &m_Material;
        record.ppTextures = m_NoTexture;
    }
};

// The recorded DrawPrimitiveUP calls.
inline std::vector<DeviceCall> Draws() {
    std::vector<DeviceCall> out;
    for (const DeviceCall& c : d3d9debug::CallLog(g_pDevice))
        if (c.method == "DrawPrimitiveUP") out.push_back(c);
    return out;
}

// The i-th vertex of a recorded quad draw.
inline Vertex3D DrawnVertex(const DeviceCall& c, int i) {
    Vertex3D v{};
    if (c.data.size() >= sizeof(Vertex3D) * (size_t)(i + 1))
        std::memcpy(&v, c.data.data() + sizeof(Vertex3D) * (size_t)i, sizeof v);
    return v;
}
