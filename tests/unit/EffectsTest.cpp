// The short effects: the menu ring, the sand puff and the heal ring, their lifetimes and what they draw.
#include "WorldTestSupport.h"

#include "app/Direct3D.h"
#include "app/Scene.h"
#include "assets/Textures.h"
#include "player/Effects.h"
#include "tests/unit/TestDevice.h"
#include <d3d9debug.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<Vertex3D> Vertices(const DeviceCall& c) {
    std::vector<Vertex3D> v(c.data.size() / sizeof(Vertex3D));
    if (!v.empty()) std::memcpy(v.data(), c.data.data(), v.size() * sizeof(Vertex3D));
    return v;
}

void ExpectMatrixNear(const D3DMATRIX& a, const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-4f) << "row " << r << " column " << c;
}

// Lists and arenas reset; a recording device is g_pDevice with the one sprite object; the cursor and dust
// textures are real (empty) textures so that draws can be told apart.
class Effects : public WorldFixture {
  protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Recording));
        m_Dev = m_TestDevice->Device();
        ASSERT_NE(m_Dev, nullptr) << m_TestDevice->Why();
        g_pDevice = m_Dev;
        ASSERT_EQ(D3DXCreateSprite(m_Dev, &g_pSprite), D3D_OK);
        ASSERT_EQ(
            m_Dev->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &g_pTexCursor, nullptr),
            D3D_OK);
        ASSERT_EQ(m_Dev->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &g_pTexDust, nullptr),
                  D3D_OK);
    }
    void TearDown() override {
        ReleaseObjects();
        for (IDirect3DTexture9** slot : {&g_pTexCursor, &g_pTexDust})
            if (*slot) (*slot)->Release(), *slot = nullptr;
        if (g_pSprite) g_pSprite->Release();
        g_pSprite = nullptr;
        g_pDevice = nullptr;
        m_TestDevice.reset();
        WorldFixture::TearDown();
    }

    std::vector<DeviceCall> CallsOf(const char* method) const {
        std::vector<DeviceCall> out;
        for (const DeviceCall& c : d3d9debug::CallLog(m_Dev))
            if (c.method == method) out.push_back(c);
        return out;
    }
    std::vector<std::string> Methods() const {
        std::vector<std::string> out;
        for (const DeviceCall& c : d3d9debug::CallLog(m_Dev))
            out.push_back(c.method);
        return out;
    }

    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Dev = nullptr;
};

// ---- Menu ring ----

TEST_F(Effects, RingFadesOverEightyFiveFramesAndIsNeverDrawnAtOpacityZero) {
    CCircleEff* ring = NewObject<CCircleEff>();
    ring->m_Pos = D3DXVECTOR3(200.0f, 150.0f, 0.0f);
    ring->m_bDead = 1;
    ring->Init();
    EXPECT_EQ(ring->m_bDead, 0);
    EffectList.push_back(ring);

    d3d9debug::EnableCallLog(m_Dev, true);
    int frames = 0;
    while (!EffectList.empty() && frames < 200) {
        UpdateAll();
        DrawAlphaAll();
        ++frames;
    }
    EXPECT_EQ(frames, 85);
    EXPECT_EQ(ring->m_Opacity, 0.0f);
    const std::vector<DeviceCall> draws = CallsOf("SpriteDraw");
    ASSERT_EQ(draws.size(), 84u);
    for (std::size_t i = 0; i < draws.size(); ++i) {
        EXPECT_EQ(draws[i].ptr, g_pTexCursor);
        EXPECT_EQ(draws[i].b, (DWORD(252 - 3 * i) << 24) | 0xFFFFFFu) << "draw " << i;
    }
    // The last draw: the 32 x 32 image grown 1.01^84 times about its centre, centred on the click.
    std::vector<Vertex3D> c = Vertices(draws.back());
    ASSERT_EQ(c.size(), 4u);
    const float half = 16.0f * std::pow(1.01f, 84.0f);
    EXPECT_NEAR(c[0].x, 200.0f - half, 1e-2f);
    EXPECT_NEAR(c[0].y, 150.0f - half, 1e-2f);
    EXPECT_NEAR(c[2].x, 200.0f + half, 1e-2f);
    EXPECT_NEAR(c[2].y, 150.0f + half, 1e-2f);
    EXPECT_NEAR(ring->m_Scale.x, std::pow(1.01f, 85.0f), 1e-3f);
    EXPECT_NEAR(ring->m_Scale.x, 2.33f, 0.01f);
    EXPECT_FLOAT_EQ(ring->m_Scale.y, ring->m_Scale.x);
}

TEST_F(Effects, FreshRingIsDrawnFullyOpaqueAtItsStartSize) {
    CCircleEff ring;
    ring.m_Pos = D3DXVECTOR3(320.0f, 240.0f, 0.0f);
    ring.Init();
    d3d9debug::EnableCallLog(m_Dev, true);
    ring.Draw(); // nothing on the opaque pass
    ring.DrawAlpha();
    const std::vector<DeviceCall> draws = CallsOf("SpriteDraw");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].b, 0xFFFFFFFFu);
    std::vector<Vertex3D> c = Vertices(draws[0]);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_FLOAT_EQ(c[0].x, 304.0f);
    EXPECT_FLOAT_EQ(c[0].y, 224.0f);
    EXPECT_FLOAT_EQ(c[2].x, 336.0f);
    EXPECT_FLOAT_EQ(c[2].y, 256.0f);
    EXPECT_FLOAT_EQ(c[2].u, 1.0f); // the whole 32 x 32 image
    EXPECT_FLOAT_EQ(c[2].v, 1.0f);
    EXPECT_EQ(ring.Shoot(), 0);
}

// ---- Sand puff ----

TEST_F(Effects, PuffOfLifetimeEightyPeaksAtItsFortyFirstUpdateAndGoesAfterItsEightyFirst) {
    CDust* dust = NewObject<CDust>();
    dust->m_Pos = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    dust->Init();
    dust->m_Lifetime = 80.0f;
    EffectList.push_back(dust);

    float last = -1.0f;
    for (int update = 1; update <= 80; ++update) {
        UpdateAll();
        ASSERT_EQ(EffectList.size(), 1u) << "update " << update;
        const int alpha = static_cast<int>(dust->m_Opacity);
        EXPECT_EQ(dust->m_Puff[0].color, (DWORD(alpha) << 24) | 0xFFFFFFu) << "update " << update;
        if (update <= 41) {
            EXPECT_GT(dust->m_Opacity, last) << "fading in at update " << update;
        } else {
            EXPECT_LT(dust->m_Opacity, last) << "fading out at update " << update;
        }
        if (update == 40) {
            EXPECT_LT(dust->m_Opacity, 255.0f);
        }
        if (update == 41) {
            EXPECT_EQ(dust->m_Count, 41);
            EXPECT_FLOAT_EQ(dust->m_Opacity, 255.0f);
            EXPECT_EQ(dust->m_Puff[3].color, 0xFFFFFFFFu);
        }
        last = dust->m_Opacity;
    }
    EXPECT_EQ(dust->m_bDead, 0);
    UpdateAll();
    EXPECT_TRUE(EffectList.empty());
    EXPECT_FLOAT_EQ(dust->m_Opacity, 0.0f);
    EXPECT_NEAR(dust->m_Pos.y, 1.0f + 81 * 0.4f, 1e-3f);
    EXPECT_NEAR(dust->m_Grow, 81 * 0.3f, 1e-3f);
}

TEST_F(Effects, PuffStartsTransparentBelowItsOriginWithALifetimeFromEightyTo119) {
    for (unsigned seed : {1u, 2u, 3u, 1000u, 4242u}) {
        srand(seed);
        CDust dust;
        dust.m_Pos = D3DXVECTOR3(4.0f, 5.0f, 6.0f);
        dust.Init();
        EXPECT_GE(dust.m_Lifetime, 80.0f);
        EXPECT_LE(dust.m_Lifetime, 119.0f);
        EXPECT_EQ(dust.m_Lifetime, std::floor(dust.m_Lifetime));
        EXPECT_FLOAT_EQ(dust.m_Radius, -100.0f);
        EXPECT_EQ(dust.m_Opacity, 0.0f);
        EXPECT_EQ(dust.m_Grow, 0.0f);
        const float corners[4][5] = {{-1, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, -2, 0, 1, 1}, {-1, -2, 0, 0, 1}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(dust.m_Puff[i].x, corners[i][0]);
            EXPECT_FLOAT_EQ(dust.m_Puff[i].y, corners[i][1]);
            EXPECT_FLOAT_EQ(dust.m_Puff[i].z, corners[i][2]);
            EXPECT_FLOAT_EQ(dust.m_Puff[i].u, corners[i][3]);
            EXPECT_FLOAT_EQ(dust.m_Puff[i].v, corners[i][4]);
            EXPECT_EQ(dust.m_Puff[i].color, 0x00FFFFFFu);
        }
    }
}

TEST_F(Effects, PuffIsDrawnGrownAndTippedBackFiftyDegrees) {
    CDust dust;
    dust.m_Pos = D3DXVECTOR3(10.0f, 2.0f, -3.0f);
    dust.Init();
    dust.Update();
    dust.Update();
    d3d9debug::EnableCallLog(m_Dev, true);
    dust.Draw();
    dust.DrawAlpha();
    EXPECT_EQ(Methods(),
              (std::vector<std::string>{"SetTexture", "SetTransform", "SetFVF", "DrawPrimitiveUP"}));
    const std::vector<DeviceCall> draws = CallsOf("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].ptr, g_pTexDust);
    EXPECT_EQ(draws[0].a, (DWORD)D3DPT_TRIANGLEFAN);
    EXPECT_EQ(draws[0].b, 2u);
    EXPECT_EQ(CallsOf("SetFVF")[0].a, 0x142u);
    D3DXMATRIX scale, rot, trans;
    D3DXMatrixScaling(&scale, 0.6f, 0.6f, 0.6f);
    D3DXMatrixRotationX(&rot, 50.0f * 0.017453292f);
    D3DXMatrixTranslation(&trans, 10.0f, 2.8f, -3.0f);
    ExpectMatrixNear(draws[0].matrix, scale * rot * trans);
    const std::vector<Vertex3D> v = Vertices(draws[0]);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].color >> 24, static_cast<DWORD>(2.0f / dust.m_Lifetime * 255.0f));
}

// ---- Heal ring ----

TEST_F(Effects, HealRingSpreadsTwelvefoldInGreenAndEndsAfterEightyFiveFrames) {
    CHealEff* heal = NewObject<CHealEff>();
    heal->m_Pos = D3DXVECTOR3(7.0f, 30.0f, -2.0f);
    heal->m_bDead = 1;
    heal->Init();
    EXPECT_EQ(heal->m_bDead, 0);
    const float corners[4][5] = {
        {-5, 0.1f, 5, 0, 0}, {5, 0.1f, 5, 1, 0}, {5, 0.1f, -5, 1, 1}, {-5, 0.1f, -5, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(heal->m_Ring[i].x, corners[i][0]);
        EXPECT_FLOAT_EQ(heal->m_Ring[i].y, corners[i][1]);
        EXPECT_FLOAT_EQ(heal->m_Ring[i].z, corners[i][2]);
        EXPECT_FLOAT_EQ(heal->m_Ring[i].u, corners[i][3]);
        EXPECT_FLOAT_EQ(heal->m_Ring[i].v, corners[i][4]);
        EXPECT_EQ(heal->m_Ring[i].color, 0xFFFFFFFFu);
    }
    EffectList.push_back(heal);

    UpdateAll();
    EXPECT_FLOAT_EQ(heal->m_Scale.x, 1.03f);
    EXPECT_FLOAT_EQ(heal->m_Scale.y, 1.0f);
    EXPECT_FLOAT_EQ(heal->m_Scale.z, 1.03f);
    EXPECT_EQ(heal->m_Ring[2].color, 0xFC64FF64u);

    // Drawn flat on the seabed under wherever the fish came home.
    d3d9debug::EnableCallLog(m_Dev, true);
    heal->Draw();
    heal->DrawAlpha();
    EXPECT_EQ(Methods(),
              (std::vector<std::string>{"SetTexture", "SetFVF", "SetTransform", "DrawPrimitiveUP"}));
    const std::vector<DeviceCall> draws = CallsOf("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].ptr, g_pTexCursor);
    D3DXMATRIX scale, trans;
    D3DXMatrixScaling(&scale, 1.03f, 1.0f, 1.03f);
    D3DXMatrixTranslation(&trans, 7.0f, 0.1f, -2.0f);
    ExpectMatrixNear(draws[0].matrix, scale * trans);
    const std::vector<Vertex3D> v = Vertices(draws[0]);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].color, 0xFC64FF64u);
    d3d9debug::EnableCallLog(m_Dev, false);

    for (int frame = 2; frame <= 84; ++frame)
        UpdateAll();
    ASSERT_EQ(EffectList.size(), 1u);
    EXPECT_EQ(heal->m_Ring[0].color, 0x0364FF64u);
    UpdateAll();
    EXPECT_TRUE(EffectList.empty());
    EXPECT_NEAR(heal->m_Scale.x, std::pow(1.03f, 85.0f), 1e-2f);
    EXPECT_GT(heal->m_Scale.x, 12.0f);
    EXPECT_FLOAT_EQ(heal->m_Scale.y, 1.0f);
}

} // namespace
