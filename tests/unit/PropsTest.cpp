// The seabed props: rock sizes and shadows, rocks swallowing shots, the seaweed's sway and strip, the props'
// meshes and passes, and the rising bubbles.
#include "tests/unit/StubEffectMesh.h"
#include "WorldTestSupport.h"

#include "app/Direct3D.h"
#include "app/Shader.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "player/Bullet.h"
#include "world/Props.h"
#include "tests/support/ScratchDir.h"
#include "tests/unit/TestDevice.h"
#include "world/Stage.h"
#include <d3d9debug.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One mesh draw as the effect saw it: which mesh, which pass, which world matrix.
struct MeshDraw {
    std::string mesh;
    UINT pass;
    D3DXMATRIX world;
};
std::vector<MeshDraw> g_MeshDraws;

struct RecordingEffect : public StubEffect {
    UINT pass = 0;
    D3DXMATRIX world{};
    HRESULT BeginPass(UINT p) override { return pass = p, D3D_OK; }
    HRESULT SetMatrix(D3DXHANDLE n, const D3DXMATRIX* m) override {
        if (!std::strcmp(n, "g_mWorld")) world = *m;
        return D3D_OK;
    }
};
RecordingEffect g_Effect;

// A one-subset mesh that tells the effect's state when it is drawn.
struct NamedMesh : public StubMesh {
    explicit NamedMesh(std::string n) : name(std::move(n)) {}
    std::string name;
    HRESULT DrawSubset(DWORD) override {
        g_MeshDraws.push_back({name, g_Effect.pass, g_Effect.world});
        return D3D_OK;
    }
};

struct MeshSlot {
    MeshData* record;
    const char* name;
};
const MeshSlot kSlots[] = {{&g_MeshPearl, "pearl"},         {&g_MeshStarfishA, "starfishA"},
                           {&g_MeshStarfishB, "starfishB"}, {&g_MeshCoralRed, "coral_red"},
                           {&g_MeshRock, "rock"},           {&g_MeshBubble, "bubble"}};

std::vector<Vertex3D> Vertices(const DeviceCall& c) {
    std::vector<Vertex3D> v(c.data.size() / sizeof(Vertex3D));
    if (!v.empty()) std::memcpy(v.data(), c.data.data(), v.size() * sizeof(Vertex3D));
    return v;
}

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-4f) << "row " << r << " column " << c;
}

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}
D3DXMATRIX Scaling(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, x, y, z);
    return m;
}

// The world lists and arenas are reset, a recording device is g_pDevice, the effect records which mesh is
// drawn on which pass, and the props' mesh records hold named stand-in meshes.
class Props : public WorldFixture {
  protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Recording));
        m_Dev = m_TestDevice->Device();
        ASSERT_NE(m_Dev, nullptr) << m_TestDevice->Why();
        g_pDevice = m_Dev;
        g_pEffect = &g_Effect;
        g_MeshDraws.clear();
        for (const MeshSlot& s : kSlots) {
            m_Meshes.emplace_back(new NamedMesh(s.name));
            s.record->pMesh = m_Meshes.back().get();
            s.record->NumMaterials = 1;
            s.record->pMaterials = &m_Material;
        }
        ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_Tex, nullptr),
                  D3D_OK);
    }
    void TearDown() override {
        for (const MeshSlot& s : kSlots)
            *s.record = MeshData{};
        g_pEffect = nullptr;
        g_pTexWakame = nullptr;
        g_pTexLight = nullptr;
        g_pDevice = nullptr;
        if (m_Tex) m_Tex->Release();
        m_TestDevice.reset();
        WorldFixture::TearDown();
    }

    // The recorded calls of one method.
    std::vector<DeviceCall> CallsOf(const char* method) const {
        std::vector<DeviceCall> out;
        for (const DeviceCall& c : d3d9debug::CallLog(m_Dev))
            if (c.method == method) out.push_back(c);
        return out;
    }

    // A player's shot of the given kind that stood at (x, y, z) after its last update.
    CBullet* AddShot(int kind, float x, float y, float z) {
        CBullet* shot = NewObject<CBullet>();
        shot->m_Kind = kind;
        shot->m_Pos = D3DXVECTOR3(x, y, z);
        shot->m_mTrans = Translation(x, y, z);
        ShotList.push_back(shot);
        return shot;
    }

    CRock* AddRock(int variant, float x, float z) {
        CRock* rock = NewObject<CRock>(variant);
        rock->m_Pos = D3DXVECTOR3(x, 7.0f, z);
        rock->Init();
        ObstacleList.push_back(rock);
        return rock;
    }

    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Dev = nullptr;
    IDirect3DTexture9* m_Tex = nullptr;
    D3DMATERIAL9 m_Material{};
    std::vector<std::unique_ptr<NamedMesh>> m_Meshes;
};

// ---- Rocks ----

TEST_F(Props, RocksFromTheStageFileTakeTheHeightRadiusAndShadowOfTheirVariant) {
    {
        const ScratchDir dir("props");
        ScopedWorkingDir cwd(dir.Path());
        ASSERT_TRUE(cwd.Ok());
        fs::create_directories("data");
        std::ofstream("data/stage1.csv") << "type,x,y,z\n30,10,7,20\n31,-5,7,3\n32,0,7,0\n";
        g_StageNo = 1;
        LoadStage();
        InitAll();
    }

    ASSERT_EQ(ObstacleList.size(), 3u);
    const float heights[3] = {-4.0f, -2.0f, 0.0f};
    const float radii[3] = {7.0f, 8.0f, 9.3f};
    const float widths[3] = {30.0f, 40.0f, 50.0f};
    for (int v = 0; v < 3; ++v) {
        CObjectBase* rock = ObstacleList[v];
        EXPECT_EQ(rock->m_Type, 14);
        EXPECT_FLOAT_EQ(rock->m_Pos.y, heights[v]) << "variant " << v;
        EXPECT_FLOAT_EQ(rock->m_Radius, radii[v]);
        EXPECT_FLOAT_EQ(rock->m_Shadow[1].x - rock->m_Shadow[0].x, widths[v]);
        EXPECT_FLOAT_EQ(rock->m_Shadow[0].z - rock->m_Shadow[3].z, widths[v]);
        ExpectMatrixNear(rock->m_mWorld,
                         Scaling(8, 4, 8) * Translation(rock->m_Pos.x, heights[v], rock->m_Pos.z));
    }
    // Variant 1: a 40 x 40 black shadow, the image once over it, corners in fan order.
    const CObjectBase* rock = ObstacleList[1];
    EXPECT_FLOAT_EQ(rock->m_Pos.x, -5.0f);
    EXPECT_FLOAT_EQ(rock->m_Pos.z, 3.0f);
    const float expected[4][5] = {
        {-20, 0.1f, 20, 0, 0}, {20, 0.1f, 20, 1, 0}, {20, 0.1f, -20, 1, 1}, {-20, 0.1f, -20, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        const Vertex3D& c = rock->m_Shadow[i];
        EXPECT_FLOAT_EQ(c.x, expected[i][0]) << "corner " << i;
        EXPECT_FLOAT_EQ(c.y, expected[i][1]);
        EXPECT_FLOAT_EQ(c.z, expected[i][2]);
        EXPECT_FLOAT_EQ(c.u, expected[i][3]);
        EXPECT_FLOAT_EQ(c.v, expected[i][4]);
        EXPECT_EQ(c.color, 0xFF000000u);
    }
}

TEST_F(Props, ShadowQuadSetsOnlyTheCornerPositions) {
    CPearl holder;
    for (int i = 0; i < 4; ++i)
        holder.m_Shadow[i] = {9, 9, 9, 0x12345678u + i, 0.5f + i, 0.25f * i};
    SetShadowQuad(&holder, 6.0f, 10.0f);
    const float xz[4][2] = {{-3, 5}, {3, 5}, {3, -5}, {-3, -5}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(holder.m_Shadow[i].x, xz[i][0]);
        EXPECT_FLOAT_EQ(holder.m_Shadow[i].y, 0.1f);
        EXPECT_FLOAT_EQ(holder.m_Shadow[i].z, xz[i][1]);
        EXPECT_EQ(holder.m_Shadow[i].color, 0x12345678u + i);
        EXPECT_FLOAT_EQ(holder.m_Shadow[i].u, 0.5f + i);
        EXPECT_FLOAT_EQ(holder.m_Shadow[i].v, 0.25f * i);
    }
}

TEST_F(Props, ShotAtTheRimLessOnePassesAndANearerOneIsSwallowedWithEightSparks) {
    CRock* rock = AddRock(1, 100.0f, 50.0f); // radius 8: shots nearer than 7 are swallowed
    CBullet* atEdge = AddShot(0, 107.0f, 3.0f, 50.0f);
    CBullet* otherAxisEdge = AddShot(0, 100.0f, 1.0f, 43.0f);
    CBullet* inside = AddShot(0, 100.0f, 3.0f, 56.99f);
    inside->m_Pos = D3DXVECTOR3(500.0f, 0.0f, 500.0f); // only the translation counts

    rock->Update();

    EXPECT_EQ(atEdge->m_bDead, 0);
    EXPECT_EQ(otherAxisEdge->m_bDead, 0);
    EXPECT_EQ(inside->m_bDead, 1);
    ASSERT_EQ(ShotRequestQueue.size(), 8u);
    for (int j = 0; j < 8; ++j) {
        const ShotRequest& r = ShotRequestQueue[j];
        EXPECT_EQ(r.Kind, 11);
        EXPECT_FLOAT_EQ(r.Speed, 0.5f);
        EXPECT_EQ(r.Life, 5);
        EXPECT_FLOAT_EQ(r.Angle, 45.0f * j);
        EXPECT_FLOAT_EQ(r.Pos.x, 100.0f);
        EXPECT_FLOAT_EQ(r.Pos.y, 3.0f);
        EXPECT_FLOAT_EQ(r.Pos.z, 56.99f);
    }
    // The rock is a rock, not a target: it never moves or dies of it.
    EXPECT_EQ(rock->m_bDead, 0);
    EXPECT_FLOAT_EQ(rock->m_Pos.y, -2.0f);
}

TEST_F(Props, OnlyLiveShotsOfBothSidesAreSwallowedAndEachOnlyOnce) {
    AddRock(2, 0.0f, 0.0f);
    AddRock(0, 1.0f, 1.0f); // overlaps the first: a shot it already took is skipped
    CBullet* enemy = AddShot(1, 0.5f, 0.0f, 0.5f);
    std::vector<CBullet*> passing;
    for (int kind : {10, 11, 13, 2})
        passing.push_back(AddShot(kind, 0.5f, 0.0f, 0.5f));
    CBullet* alreadyTaken = AddShot(0, 0.5f, 0.0f, 0.5f);
    alreadyTaken->m_bDead = 1;
    ShotList.push_back(nullptr);

    for (CObjectBase* rock : ObstacleList)
        rock->Update();

    EXPECT_EQ(enemy->m_bDead, 1);
    for (CBullet* shot : passing)
        EXPECT_EQ(shot->m_bDead, 0) << "kind " << shot->m_Kind;
    EXPECT_EQ(ShotRequestQueue.size(), 8u); // one burst, from the first rock only
}

TEST_F(Props, RockDrawsItsMeshAndAFlatShadowOnTheSeabed) {
    g_pTexLight = m_Tex;
    CRock* rock = AddRock(0, 12.0f, -8.0f);
    rock->Draw();
    ASSERT_EQ(g_MeshDraws.size(), 1u);
    EXPECT_EQ(g_MeshDraws[0].mesh, "rock");
    EXPECT_EQ(g_MeshDraws[0].pass, 0u);
    ExpectMatrixNear(g_MeshDraws[0].world, rock->m_mWorld);

    d3d9debug::EnableCallLog(m_Dev, true);
    rock->DrawAlpha();
    std::vector<std::string> methods;
    for (const DeviceCall& c : d3d9debug::CallLog(m_Dev))
        methods.push_back(c.method);
    EXPECT_EQ(methods, (std::vector<std::string>{"SetTexture", "SetTransform", "SetFVF", "DrawPrimitiveUP"}));
    const std::vector<DeviceCall> draws = CallsOf("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].a, (DWORD)D3DPT_TRIANGLEFAN);
    EXPECT_EQ(draws[0].b, 2u);
    EXPECT_EQ(draws[0].c, 24u);
    EXPECT_EQ(draws[0].ptr, m_Tex);
    ExpectMatrixNear(draws[0].matrix, Translation(12.0f, 0.1f, -8.0f)); // the rock itself stands at -4
    const std::vector<Vertex3D> v = Vertices(draws[0]);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[2].x, 15.0f);
    EXPECT_FLOAT_EQ(v[2].z, -15.0f);
    EXPECT_EQ(CallsOf("SetFVF")[0].a, 0x142u);
}

// ---- Seaweed ----

TEST_F(Props, WakameStartsWithNodesInTheirBandsAndWhiteCorners) {
    for (unsigned seed : {1u, 7u, 12345u}) {
        srand(seed);
        CWakame w;
        w.m_Pos = D3DXVECTOR3(3, 0, 4);
        w.Init();
        for (int k = 0; k < 5; ++k) {
            EXPECT_GE(w.m_Sway[k], -10.0f + 2 * k);
            EXPECT_LE(w.m_Sway[k], -6.0f + 2 * k);
            EXPECT_EQ(w.m_SwayDir[k], 0);
        }
        for (const Vertex3D& v : w.m_Strip)
            EXPECT_EQ(v.color, 0xFFFFFFFFu);
        ExpectMatrixNear(w.m_mWorld, Translation(3, 0, 4));
    }
}

TEST_F(Props, WakameNodeThatTurnsMovesBackInTheSameFrame) {
    CWakame w;
    w.Init();
    const float sway[5] = {3.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    std::memcpy(w.m_Sway, sway, sizeof sway);
    w.m_SwayDir[3] = 1;

    w.Update();
    // Node 0 went to 3.03, above node 1's value before node 1 stepped (0), turned and came back.
    EXPECT_EQ(w.m_SwayDir[0], 1);
    EXPECT_NEAR(w.m_Sway[0], 3.0f, 1e-5f);
    EXPECT_NEAR(w.m_Sway[1], 0.03f, 1e-6f);
    EXPECT_EQ(w.m_SwayDir[1], 0);
    EXPECT_NEAR(w.m_Sway[3], -0.03f, 1e-6f); // moving towards -x
    EXPECT_FLOAT_EQ(w.m_Sway[4], 1.0f);      // the root never moves

    w.Update();
    EXPECT_NEAR(w.m_Sway[0], 2.97f, 1e-5f);

    // Turning back at the lower bound does not step again in that frame.
    w.m_Sway[1] = 0.0f;
    w.m_Sway[2] = 0.0f;
    w.m_Sway[0] = -2.99f;
    w.m_SwayDir[0] = 1;
    w.Update();
    EXPECT_EQ(w.m_SwayDir[0], 0);
    EXPECT_NEAR(w.m_Sway[0], -3.02f, 1e-5f);
    w.Update();
    EXPECT_NEAR(w.m_Sway[0], -2.99f, 1e-5f);
}

TEST_F(Props, WakameSwaysWithinThreeUnitsOfTheNodeBelow) {
    srand(99);
    CWakame w;
    w.Init();
    // The nodes start up to 6 apart and close in first; after that a node overshoots its band by at most a
    // few steps of 0.03 (it turns against the value the node below had before that node stepped).
    for (int frame = 0; frame < 3000; ++frame)
        w.Update();
    for (int frame = 0; frame < 5000; ++frame) {
        w.Update();
        for (int k = 0; k < 4; ++k) {
            EXPECT_LE(w.m_Sway[k], w.m_Sway[k + 1] + 3.0f + 0.12f) << "frame " << frame << " node " << k;
            EXPECT_GE(w.m_Sway[k], w.m_Sway[k + 1] - 3.0f - 0.12f) << "frame " << frame << " node " << k;
        }
        if (HasFailure()) break;
    }
}

TEST_F(Props, WakameDrawsFourSegmentsDownTheStrip) {
    g_pTexWakame = m_Tex;
    CWakame w;
    w.m_Pos = D3DXVECTOR3(30, 0, -40);
    w.Init();
    const float sway[5] = {-8.0f, -5.0f, -3.0f, 0.5f, 2.0f};
    std::memcpy(w.m_Sway, sway, sizeof sway);
    d3d9debug::EnableCallLog(m_Dev, true);
    w.DrawAlpha();
    w.Draw(); // nothing on the opaque pass

    const auto& log = d3d9debug::CallLog(m_Dev);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].method, "SetTransform");
    EXPECT_EQ(log[0].a, (DWORD)D3DTS_WORLD);
    ExpectMatrixNear(log[0].matrix, Translation(30, 0, -40));
    EXPECT_EQ(log[1].method, "SetTexture");
    EXPECT_EQ(log[1].ptr, m_Tex);
    EXPECT_EQ(log[2].method, "SetFVF");
    EXPECT_EQ(log[2].a, 0x142u);
    const std::vector<DeviceCall> draws = CallsOf("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 4u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(draws[s].a, (DWORD)D3DPT_TRIANGLEFAN);
        EXPECT_EQ(draws[s].b, 2u);
        const std::vector<Vertex3D> v = Vertices(draws[s]);
        ASSERT_EQ(v.size(), 4u);
        const float top = 20.0f - 4 * s, bottom = 16.0f - 4 * s;
        const float expected[4][5] = {{sway[s] - 10, top, 0, s * 0.25f, 0},
                                      {sway[s] + 10, top, 1, s * 0.25f, 0},
                                      {sway[s + 1] + 10, bottom, 1, (s + 1) * 0.25f, 0},
                                      {sway[s + 1] - 10, bottom, 0, (s + 1) * 0.25f, 0}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << "segment " << s << " corner " << i;
            EXPECT_FLOAT_EQ(v[i].y, expected[i][1]);
            EXPECT_FLOAT_EQ(v[i].z, expected[i][1]);
            EXPECT_FLOAT_EQ(v[i].u, expected[i][2]);
            EXPECT_FLOAT_EQ(v[i].v, expected[i][3]);
            EXPECT_EQ(v[i].color, 0xFFFFFFFFu);
        }
    }
    EXPECT_TRUE(g_MeshDraws.empty());
}

// ---- Pearls, starfish, coral ----

TEST_F(Props, DecorationsDrawTheirOwnMeshesOnTheirPasses) {
    CPearl pearl;
    pearl.m_Pos = D3DXVECTOR3(1, 2, 3);
    CStarfish starA(0), starB(1);
    starA.m_Pos = starB.m_Pos = D3DXVECTOR3(-4, 0, 9);
    CCoral coral;
    coral.m_Pos = D3DXVECTOR3(7, 0, -7);
    for (CObjectBase* o : std::vector<CObjectBase*>{&pearl, &starA, &starB, &coral}) {
        o->m_bDead = 1;
        o->Init();
        EXPECT_EQ(o->m_bDead, 0);
        o->Update();
        o->Draw();
        o->DrawAlpha();
        EXPECT_EQ(o->Shoot(), 0);
    }
    EXPECT_EQ(starB.m_pMesh, &g_MeshStarfishB);
    EXPECT_EQ(starB.m_Type, 1);

    ASSERT_EQ(g_MeshDraws.size(), 4u);
    EXPECT_EQ(g_MeshDraws[0].mesh, "pearl");
    EXPECT_EQ(g_MeshDraws[0].pass, 0u);
    ExpectMatrixNear(g_MeshDraws[0].world, Scaling(4, 4, 4) * Translation(1, 2, 3));
    EXPECT_EQ(g_MeshDraws[1].mesh, "starfishA");
    EXPECT_EQ(g_MeshDraws[2].mesh, "starfishB");
    EXPECT_EQ(g_MeshDraws[2].pass, 0u);
    ExpectMatrixNear(g_MeshDraws[2].world, Scaling(2, 2, 2) * Translation(-4, 0, 9));
    EXPECT_EQ(g_MeshDraws[3].mesh, "coral_red");
    EXPECT_EQ(g_MeshDraws[3].pass, 2u);

    // The coral turns by a whole number taken as radians.
    EXPECT_FLOAT_EQ(coral.m_Radius, 10.0f);
    EXPECT_EQ(coral.m_Angle, static_cast<float>(static_cast<int>(coral.m_Angle)));
    EXPECT_GE(coral.m_Angle, 0.0f);
    EXPECT_LT(coral.m_Angle, 360.0f);
    D3DXMATRIX rot;
    D3DXMatrixRotationY(&rot, coral.m_Angle);
    ExpectMatrixNear(g_MeshDraws[3].world, Scaling(4, 4, 4) * rot * Translation(7, 0, -7));
}

// ---- Bubbles ----

TEST_F(Props, BubbleRisesAndBurstsAfterItsHundredAndEightyFirstUpdate) {
    CBubble* bubble = NewObject<CBubble>();
    bubble->m_Pos = D3DXVECTOR3(5, 2, -1);
    bubble->m_bDead = 1;
    bubble->Init();
    EXPECT_EQ(bubble->m_bDead, 0);
    EXPECT_EQ(bubble->m_pMesh, &g_MeshBubble);
    EXPECT_FLOAT_EQ(bubble->m_Scale, 0.5f);
    EffectList.push_back(bubble);

    for (int frame = 1; frame <= 180; ++frame)
        UpdateAll();
    ASSERT_EQ(EffectList.size(), 1u);
    EXPECT_NEAR(bubble->m_Pos.y, 2.0f + 54.0f, 1e-3f);
    ExpectMatrixNear(bubble->m_mWorld, Scaling(0.5f, 0.5f, 0.5f) * Translation(5, bubble->m_Pos.y, -1));
    bubble->Draw();
    ASSERT_EQ(g_MeshDraws.size(), 1u);
    EXPECT_EQ(g_MeshDraws[0].mesh, "bubble");
    EXPECT_EQ(g_MeshDraws[0].pass, 0u);
    ExpectMatrixNear(g_MeshDraws[0].world, bubble->m_mWorld);

    UpdateAll();
    EXPECT_TRUE(EffectList.empty());
    EXPECT_NEAR(bubble->m_Pos.y, 2.0f + 54.3f, 1e-3f);
}

} // namespace
