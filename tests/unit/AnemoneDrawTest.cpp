// The anemone's crown on screen: the tentacle ribbons, their sway, their depth order, and the heal column.
#include "CreatureTestSupport.h"

#include "app/Direct3D.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "creatures/Anemone.h"
#include "tests/unit/TestDevice.h"
#include <d3d9debug.h>

#include <cstring>
#include <memory>

namespace {

class AnemoneDraw : public ReefFixture {
  protected:
    void SetUp() override {
        ReefFixture::SetUp();
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Recording));
        m_Dev = m_TestDevice->Device();
        ASSERT_NE(m_Dev, nullptr) << m_TestDevice->Why();
        m_SavedDevice = g_pDevice;
        g_pDevice = m_Dev;
    }
    void TearDown() override {
        g_pDevice = m_SavedDevice;
        m_TestDevice.reset();
        ReefFixture::TearDown();
    }

    // A tentacle placed at pos and initialised, not yet in any crown.
    static CAnemoneTentacle* MakeTentacle(const D3DXVECTOR3& pos) {
        CAnemoneTentacle* t = NewObject<CAnemoneTentacle>();
        t->m_Pos = pos;
        t->Init();
        return t;
    }
    // The world translations of the DrawPrimitiveUP calls, one per ribbon (every fourth quad).
    std::vector<float> DrawnRibbonXs() const {
        std::vector<float> xs;
        int quads = 0;
        for (const DeviceCall& c : d3d9debug::CallLog(m_Dev))
            if (c.method == "DrawPrimitiveUP" && quads++ % 4 == 0) xs.push_back(c.matrix._41);
        return xs;
    }

    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Dev = nullptr;
    IDirect3DDevice9* m_SavedDevice = nullptr;
};

} // namespace

TEST_F(AnemoneDraw, EqualDepthKeysDrawTheLaterCreatedFirstAndFarBeforeNear) {
    g_CamEye = D3DXVECTOR3(0.0f, 50.0f, -100.0f);
    CAnemone* anemone = NewObject<CAnemone>(); // a bare crown, set by hand
    CAnemoneTentacle* near = MakeTentacle(D3DXVECTOR3(1.0f, 0.0f, -10.0f));
    CAnemoneTentacle* first = MakeTentacle(D3DXVECTOR3(2.0f, 0.0f, 5.0f));
    CAnemoneTentacle* far = MakeTentacle(D3DXVECTOR3(3.0f, 0.0f, 30.0f));
    CAnemoneTentacle* second = MakeTentacle(D3DXVECTOR3(4.0f, 0.0f, 5.0f));
    anemone->m_Tentacles = {near, first, far, second};

    const std::vector<CAnemoneTentacle*> order = anemone->TentaclesFarToNear();
    EXPECT_EQ(order, (std::vector<CAnemoneTentacle*>{far, second, first, near}));

    // Both draw passes keep that order, and the sort is made again at each call.
    d3d9debug::EnableCallLog(m_Dev, true);
    anemone->DrawAlpha();
    EXPECT_EQ(DrawnRibbonXs(), (std::vector<float>{3.0f, 4.0f, 2.0f, 1.0f}));
    near->m_Pos.z = 100.0f;
    d3d9debug::ClearCallLog(m_Dev);
    anemone->DrawAlpha();
    EXPECT_EQ(DrawnRibbonXs(), (std::vector<float>{1.0f, 3.0f, 4.0f, 2.0f}));
    d3d9debug::EnableCallLog(m_Dev, false);
}

TEST_F(AnemoneDraw, ATentacleIsFourQuadsOfARibbonBentAtItsRows) {
    CAnemoneTentacle* t = MakeTentacle(D3DXVECTOR3(5.0f, 8.5f, -4.0f));
    const float sway[5] = {-8.0f, -6.0f, -3.0f, -1.0f, 2.0f};
    std::memcpy(t->m_Sway, sway, sizeof sway);
    d3d9debug::EnableCallLog(m_Dev, true);
    t->DrawAlpha();
    const std::vector<DeviceCall> log = d3d9debug::CallLog(m_Dev);
    d3d9debug::EnableCallLog(m_Dev, false);

    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0].method, "SetTransform");
    EXPECT_EQ(log[0].a, DWORD(D3DTS_WORLD));
    EXPECT_EQ(D3DXMATRIX(log[0].matrix), t->m_mTrans);
    EXPECT_EQ(log[1].method, "SetTexture");
    EXPECT_EQ(log[1].ptr, g_pTexAnemoneTentacle);
    EXPECT_EQ(log[2].method, "SetFVF");
    EXPECT_EQ(log[2].a, 0x142u);
    for (int j = 0; j < 4; ++j) {
        const DeviceCall& c = log[3 + j];
        ASSERT_EQ(c.method, "DrawPrimitiveUP");
        EXPECT_EQ(c.a, DWORD(D3DPT_TRIANGLEFAN));
        EXPECT_EQ(c.b, 2u);
        EXPECT_EQ(c.c, 24u);
        ASSERT_EQ(c.data.size(), 4u * sizeof(Vertex3D));
        Vertex3D v[4];
        std::memcpy(v, c.data.data(), sizeof v);
        const float top = 10.0f - 2.0f * j, bottom = top - 2.0f;
        const float xs[4] = {sway[j] - 2.0f, sway[j] + 2.0f, sway[j + 1] + 2.0f, sway[j + 1] - 2.0f};
        const float ys[4] = {top, top, bottom, bottom};
        const float zs[4] = {2.5f * (5 - j), 2.5f * (5 - j), 2.5f * (4 - j), 2.5f * (4 - j)};
        const float us[4] = {0.0f, 1.0f, 1.0f, 0.0f};
        const float vs[4] = {0.25f * j + 0.01f, 0.25f * j + 0.01f, 0.25f * (j + 1) + 0.01f,
                             0.25f * (j + 1) + 0.01f};
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(v[k].x, xs[k]) << j << "," << k;
            EXPECT_FLOAT_EQ(v[k].y, ys[k]) << j << "," << k;
            EXPECT_FLOAT_EQ(v[k].z, zs[k]) << j << "," << k;
            EXPECT_EQ(v[k].color, 0xFFFFFFFFu);
            EXPECT_FLOAT_EQ(v[k].u, us[k]);
            EXPECT_FLOAT_EQ(v[k].v, vs[k]);
        }
    }
}

TEST_F(AnemoneDraw, EachRowSwingsWithinTwoOfTheRowBelowAndTheBottomRowStays) {
    CAnemoneTentacle* t = MakeTentacle(D3DXVECTOR3(0.0f, 8.5f, 0.0f));
    const float bottom = t->m_Sway[4];
    float low[4], high[4];
    for (int k = 0; k < 4; ++k)
        low[k] = high[k] = t->m_Sway[k];
    bool turned[4] = {};
    for (int frame = 0; frame < 3000; ++frame) {
        t->Update();
        ASSERT_EQ(t->m_Sway[4], bottom);
        for (int k = 0; k < 4; ++k) {
            // A row that has caught up with the row below stays within 2 (and one step) of it.
            if (turned[k]) {
                ASSERT_LE(t->m_Sway[k], t->m_Sway[k + 1] + 2.0f + 0.07f) << k;
                ASSERT_GE(t->m_Sway[k], t->m_Sway[k + 1] - 2.0f - 0.07f) << k;
            }
            if (t->m_SwayDir[k] == 1.0f) turned[k] = true;
            low[k] = std::min(low[k], t->m_Sway[k]);
            high[k] = std::max(high[k], t->m_Sway[k]);
        }
    }
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(turned[k]) << k;
        EXPECT_GT(high[k] - low[k], 1.0f) << k; // it really sways
    }
    EXPECT_EQ(D3DXMATRIX(t->m_mWorld), t->m_mTrans);
}

TEST_F(AnemoneDraw, AHealColumnGrowsAndFadesForOneHundredAndOneFrames) {
    CAnemoneHeal* column = NewObject<CAnemoneHeal>();
    column->m_Pos = D3DXVECTOR3(4.0f, 2.0f, 6.0f);
    column->Init();
    EXPECT_EQ(column->m_pMesh, &g_MeshHealEffect);
    EXPECT_EQ(column->m_Scale, D3DXVECTOR3(20.0f, 1.0f, 20.0f));
    int frames = 0;
    while (column->m_bDead == 0 && frames < 500) {
        column->Update();
        ++frames;
    }
    EXPECT_EQ(frames, 101);
    EXPECT_NEAR(column->m_Scale.y, 1.0f + 101 * 0.6f, 1e-3f);
    EXPECT_FLOAT_EQ(column->m_mWorld._22, column->m_Scale.y);
    EXPECT_FLOAT_EQ(column->m_mWorld._11, 20.0f);
    EXPECT_FLOAT_EQ(column->m_mWorld._42, 2.0f);
    EXPECT_LE(column->m_Color.a, 0.0f);
}
