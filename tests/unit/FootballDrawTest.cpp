// What the football draws: body, jaw, stars and glow through the effect, and its shadow on the device.
#include "FootballTestSupport.h"

#include "app/Direct3D.h"
#include "assets/Textures.h"
#include "tests/unit/TestDevice.h"
#include <d3d9debug.h>

namespace {

using FootballDraw = CreatureFixture;

// The star chain of stun star i of n, ending in the body's world matrix.
D3DXMATRIX StarWorld(int i, int n, float spin, float heading, const D3DXMATRIX& body) {
    const int step = 360 / n;
    float a = (float)(i * step) + spin;
    if (a > 360.0f) a -= 360.0f;
    return RotX((float)step) * RotY(a + heading) * Translate(0.0f, 0.0f, 2.0f) * RotY(a) *
           Translate(0.0f, 5.0f, 3.0f) * body;
}

} // namespace

TEST_F(FootballDraw, ALiveFootballDrawsBodyJawAndAPulsingGlow) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(20.0f, 0.0f, 30.0f));
    f->Update();
    const D3DXMATRIX body = Scale(2.5f, 2.5f, 2.5f) * RotY(180.0f) * Translate(20.0f, 0.0f, 30.0f);
    ExpectMatrixNear(f->m_mWorld, body);

    MeshDrawRecorder rec;
    g_GlowPhase = 1.0f;
    f->Draw();
    ASSERT_EQ(rec.draws.size(), 3u);
    EXPECT_EQ(rec.draws[0].mesh, "football");
    EXPECT_EQ(rec.draws[0].pass, 0u);
    ExpectMatrixNear(rec.draws[0].world, body);
    EXPECT_EQ(rec.draws[1].mesh, "lowerjaw");
    EXPECT_EQ(rec.draws[1].pass, 0u);
    ExpectMatrixNear(rec.draws[1].world, Scale(1.0f, 1.0f, 1.2f) * RotX(10.0f) * body);
    EXPECT_EQ(rec.draws[2].mesh, "effect");
    EXPECT_EQ(rec.draws[2].pass, 4u);
    ExpectMatrixNear(rec.draws[2].world, Translate(0.0f, 5.0f, 5.0f) * body);
    ASSERT_EQ(rec.draws[2].color.size(), 4u);
    EXPECT_EQ(rec.draws[2].color[0], 1.0f);
    EXPECT_FLOAT_EQ(rec.draws[2].color[3], (std::sin(1.0f) + 1.0f) * 0.25f + 0.5f);
    EXPECT_FLOAT_EQ(g_GlowPhase, 1.03f);
}

TEST_F(FootballDraw, AllFootballsShareOneGlowPhaseAndAChargeQuickensIt) {
    CFootball* a = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    CFootball* b = AddCreature<CFootball>(D3DXVECTOR3(100.0f, 0.0f, 0.0f));
    b->m_PulseSpeed = 0.5f; // charging
    MeshDrawRecorder rec;
    a->Draw();
    b->Draw();
    a->Draw();
    std::vector<MeshDraw> glows = rec.Of("effect");
    ASSERT_EQ(glows.size(), 3u);
    EXPECT_FLOAT_EQ(glows[0].color[3], 0.75f);
    EXPECT_FLOAT_EQ(glows[1].color[3], (std::sin(0.03f) + 1.0f) * 0.25f + 0.5f);
    EXPECT_FLOAT_EQ(glows[2].color[3], (std::sin(0.53f) + 1.0f) * 0.25f + 0.5f);
    EXPECT_FLOAT_EQ(g_GlowPhase, 0.56f);
}

TEST_F(FootballDraw, ADeadFootballKeepsDrawingRolledOverWithItsJawOpenAndItsGlowAtHalf) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(20.0f, 13.0f, 30.0f));
    f->m_Hp = 1;
    HitOnce(f);
    for (int i = 0; i < 300; ++i)
        f->Update();
    ASSERT_EQ(f->m_AiState, 4);
    MeshDrawRecorder rec;
    g_GlowPhase = 1.5707964f; // the top of the pulse: a live glow would be at 1.0
    f->Draw();
    ASSERT_EQ(rec.draws.size(), 3u); // no stars
    const D3DXMATRIX body =
        Scale(2.5f, 2.5f, 2.5f) * RotZ(100.0f) * RotY(180.0f) * Translate(20.0f, f->m_Pos.y, 30.0f);
    EXPECT_EQ(rec.draws[0].mesh, "football");
    ExpectMatrixNear(rec.draws[0].world, body);
    EXPECT_EQ(rec.draws[1].mesh, "lowerjaw");
    ExpectMatrixNear(rec.draws[1].world, Scale(1.0f, 1.0f, 1.2f) * RotX(50.0f) * body);
    EXPECT_EQ(rec.draws[2].mesh, "effect");
    ExpectMatrixNear(rec.draws[2].world, Translate(0.0f, 5.0f, 5.0f) * body);
    EXPECT_EQ(rec.draws[2].color, (std::vector<float>{1.0f, 1.0f, 1.0f, 0.5f}));
    // The body lies near the seabed: the rolled mesh's up axis now points mostly sideways.
    EXPECT_NEAR(rec.draws[0].world._22, 2.5f * std::cos(100.0f * 0.017453292f), 1e-4f);
}

TEST_F(FootballDraw, AStunnedFootballShowsFourStarsAndLosesOneEachQuarterOfTheStun) {
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(-40.0f, 13.0f, 10.0f));
    f->m_Angle = 30.0f;
    f->m_AiState = 6;
    f->m_StunCount = 0;
    f->Update(); // one stunned frame: count 1, spin 1
    ASSERT_EQ(f->m_AiState, 6);
    for (int count : {1, 74, 75, 149, 150, 225, 299}) {
        f->m_StunCount = count;
        f->m_StarSpin = 40.0f;
        MeshDrawRecorder rec;
        f->Draw();
        std::vector<MeshDraw> stars = rec.Of("star");
        const int n = 4 - count / 75;
        ASSERT_EQ((int)stars.size(), n) << count;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(stars[i].pass, 0u);
            ExpectMatrixNear(stars[i].world, StarWorld(i, n, 40.0f, 30.0f, f->m_mWorld));
        }
    }
    // A star pushed past 360 by the spin comes round again.
    f->m_StunCount = 0;
    f->m_StarSpin = 300.0f;
    MeshDrawRecorder rec;
    f->Draw();
    std::vector<MeshDraw> stars = rec.Of("star");
    ASSERT_EQ(stars.size(), 4u);
    ExpectMatrixNear(stars[1].world, StarWorld(1, 4, 300.0f, 30.0f, f->m_mWorld));
    // Not stunned: no stars.
    f->m_AiState = 3;
    MeshDrawRecorder none;
    f->Draw();
    EXPECT_TRUE(none.Of("star").empty());
}

TEST_F(FootballDraw, TheShadowIsA70By70QuadFlatOnTheSeabedUnderTheBody) {
    TestDevice device(TestDevice::Kind::Recording);
    IDirect3DDevice9* dev = device.Device();
    ASSERT_NE(dev, nullptr) << device.Why();
    IDirect3DDevice9* savedDevice = g_pDevice;
    IDirect3DTexture9* savedLight = g_pTexLight;
    g_pDevice = dev;
    ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &g_pTexLight, nullptr),
              D3D_OK);

    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(7.0f, 13.0f, -9.0f));
    f->m_ShakeTime = 15; // the shadow does not shake
    f->m_Hp = 5;
    f->m_AiState = 1;
    f->Update();
    d3d9debug::EnableCallLog(dev, true);
    f->DrawAlpha();
    const std::vector<DeviceCall> log = d3d9debug::CallLog(dev);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].method, "SetTexture");
    EXPECT_EQ(log[0].a, 0u);
    EXPECT_EQ(log[0].ptr, g_pTexLight);
    EXPECT_EQ(log[1].method, "SetTransform");
    EXPECT_EQ(log[1].a, DWORD(D3DTS_WORLD));
    ExpectMatrixNear(log[1].matrix, Translate(7.0f, 0.1f, -9.0f), 0.0f);
    EXPECT_EQ(log[2].method, "SetFVF");
    EXPECT_EQ(log[2].a, 0x142u);
    EXPECT_EQ(log[3].method, "DrawPrimitiveUP");
    EXPECT_EQ(log[3].a, DWORD(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(log[3].b, 2u);
    EXPECT_EQ(log[3].c, 24u);
    ASSERT_EQ(log[3].data.size(), 4 * sizeof(Vertex3D));
    Vertex3D v[4];
    std::memcpy(v, log[3].data.data(), sizeof v);
    const float corners[4][4] = {{-35, 35, 0, 0}, {35, 35, 1, 0}, {35, -35, 1, 1}, {-35, -35, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, corners[i][0]) << i;
        EXPECT_EQ(v[i].y, 0.11f) << i;
        EXPECT_EQ(v[i].z, corners[i][1]) << i;
        EXPECT_EQ(v[i].u, corners[i][2]) << i;
        EXPECT_EQ(v[i].v, corners[i][3]) << i;
        EXPECT_EQ(v[i].color, 0xB4000000u) << i;
    }

    d3d9debug::EnableCallLog(dev, false);
    g_pTexLight->Release();
    g_pTexLight = savedLight;
    g_pDevice = savedDevice;
}
