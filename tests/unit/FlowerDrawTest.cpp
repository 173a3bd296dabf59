// How the flower draws itself: which mesh through which pass, in which colour and where.
#include "tests/unit/StubEffectMesh.h"
#include "tests/unit/FlowerTestSupport.h"

#include "app/Shader.h"
#include "assets/Meshes.h"
#include <d3d9debug.h>

#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct DrawCall {
    std::string mesh;
    int pass = -1;
    bool colored = false; // "g_FreeColor" was set for this draw
    D3DXCOLOR color{};
    D3DXMATRIX world{};
};

// An effect that remembers the state of the draw in progress.
struct NotingEffect : public StubEffect {
    int pass = -1;
    bool colored = false;
    D3DXCOLOR color{};
    D3DXMATRIX world{};

    HRESULT BeginPass(UINT p) override { return pass = (int)p, D3D_OK; }
    HRESULT End() override { return colored = false, D3D_OK; }
    HRESULT SetMatrix(D3DXHANDLE n, const D3DXMATRIX* m) override {
        if (std::string(n) == "g_mWorld") world = *m;
        return D3D_OK;
    }
    HRESULT SetFloatArray(D3DXHANDLE n, const FLOAT* v, UINT) override {
        if (std::string(n) == "g_FreeColor") color = D3DXCOLOR(v[0], v[1], v[2], v[3]), colored = true;
        return D3D_OK;
    }
};

std::vector<DrawCall>* g_Draws = nullptr;
NotingEffect* g_Noting = nullptr;

// A mesh that writes down each draw under its file's name.
struct NamedMesh : public StubMesh {
    explicit NamedMesh(std::string n) : name(std::move(n)) {}
    std::string name;
    HRESULT DrawSubset(DWORD) override {
        g_Draws->push_back({name, g_Noting->pass, g_Noting->colored, g_Noting->color, g_Noting->world});
        return D3D_OK;
    }
};

struct Slot {
    MeshData* record;
    const char* name;
};
const Slot kSlots[] = {{&g_MeshFlowerOutside, "flower_outside"},
                       {&g_MeshFlowerInside, "flower_inside"},
                       {&g_MeshFlowerCenter, "flower_center"},
                       {&g_MeshRootSoul, "rootsoul"},
                       {&g_MeshPetal, "petal"},
                       {&g_MeshMiniFlower, "miniflower"},
                       {&g_MeshIvy, "ivy"}};

D3DXVECTOR3 Apply(const D3DXMATRIX& m, const D3DXVECTOR3& p) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}
D3DXVECTOR3 Axis(const D3DXMATRIX& m, const D3DXVECTOR3& v) {
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &v, &m);
    return out;
}
void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tol = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
void ExpectColor(const D3DXCOLOR& c, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

class FlowerDraw : public FlowerFixture {
  protected:
    void SetUp() override {
        FlowerFixture::SetUp();
        g_Draws = &m_Draws;
        g_Noting = &m_Effect;
        g_pEffect = &m_Effect;
        for (size_t i = 0; i < std::size(kSlots); ++i) {
            m_Meshes.emplace_back(new NamedMesh(kSlots[i].name));
            MeshData& rec = *kSlots[i].record;
            rec.pMesh = m_Meshes.back().get();
            rec.NumMaterials = 1;
            rec.pMaterials = &m_Material;
            rec.ppTextures = &m_NoTexture;
        }
    }
    void TearDown() override {
        for (const Slot& s : kSlots)
            *s.record = MeshData{};
        g_pEffect = nullptr;
        g_Draws = nullptr;
        g_Noting = nullptr;
        FlowerFixture::TearDown();
    }
    std::vector<DrawCall> DrawOnce(CFlower* f) {
        m_Draws.clear();
        d3d9debug::EnableCallLog(m_Device, true);
        f->Draw();
        m_Transforms.clear();
        for (const DeviceCall& c : d3d9debug::CallLog(m_Device))
            if (c.method == "SetTransform" && c.a == (DWORD)D3DTS_WORLD) m_Transforms.push_back(c.matrix);
        d3d9debug::EnableCallLog(m_Device, false);
        return m_Draws;
    }

    NotingEffect m_Effect;
    std::vector<std::unique_ptr<NamedMesh>> m_Meshes;
    D3DMATERIAL9 m_Material{};
    IDirect3DTexture9* m_NoTexture = nullptr;
    std::vector<DrawCall> m_Draws;
    std::vector<D3DMATRIX> m_Transforms;
};

} // namespace

TEST_F(FlowerDraw, EveryPartThroughItsPassInItsColourAtItsPlace) {
    CFlower* f = MakeFlower(10, 2, -5);
    const int n0 = f->m_Blossom[0].SegCount, n1 = f->m_Blossom[1].SegCount;
    ASSERT_GT(n0, 0);
    ASSERT_GT(n1, 0);
    std::vector<DrawCall> d = DrawOnce(f);
    ASSERT_EQ(d.size(), (size_t)(2 * n0 + 2 * n1 + 3 + 2 * 6));
    // The device gets the same world matrix before each draw.
    ASSERT_EQ(m_Transforms.size(), d.size());
    for (size_t i = 0; i < d.size(); ++i)
        EXPECT_TRUE(D3DXMATRIX(m_Transforms[i]) == d[i].world) << i;

    size_t i = 0;
    for (int bi = 0; bi < 2; ++bi) {
        const Blossom& b = f->m_Blossom[bi];
        D3DXVECTOR3 along(b.Pos.x - f->m_Pos.x, 0.0f, b.Pos.z - f->m_Pos.z); // from the flower to the blossom
        D3DXVec3Normalize(&along, &along);
        for (int k = 0; k < b.SegCount; ++k, ++i) {
            SCOPED_TRACE("ivy " + std::to_string(bi) + "." + std::to_string(k));
            EXPECT_EQ(d[i].mesh, "ivy");
            EXPECT_EQ(d[i].pass, 5);
            EXPECT_TRUE(d[i].colored);
            ExpectColor(d[i].color, 1, 1, 1, 1);
            ExpectNear(Apply(d[i].world, D3DXVECTOR3(0, 0, 0)), D3DXVECTOR3(b.SegPos[k].x, 0, b.SegPos[k].z));
            // Laid along the vine, turned by the piece's twist.
            D3DXVECTOR3 x = Axis(d[i].world, D3DXVECTOR3(1, 0, 0));
            EXPECT_NEAR(D3DXVec3Length(&x), 4.5f, 1e-4f);
            EXPECT_NEAR(D3DXVec3Dot(&x, &along) / 4.5f, std::cos(b.SegTwist[k] * 0.017453292f), 1e-4f);
            EXPECT_NEAR(Axis(d[i].world, D3DXVECTOR3(0, 1, 0)).y, 1.5f, 1e-4f);
        }
        for (int k = 0; k < b.SegCount; ++k, ++i) {
            SCOPED_TRACE("small flower " + std::to_string(bi) + "." + std::to_string(k));
            EXPECT_EQ(d[i].mesh, "miniflower");
            EXPECT_EQ(d[i].pass, 8);
            EXPECT_TRUE(d[i].colored);
            D3DXVECTOR3 at = Apply(d[i].world, D3DXVECTOR3(0, 0, 0));
            EXPECT_NEAR(at.y, 2.0f, 1e-4f);
            D3DXVECTOR3 offset(at.x - b.SegPos[k].x, 0.0f, at.z - b.SegPos[k].z);
            const float side = b.SegSide[k] == 0 ? 10.0f : b.SegSide[k] == 1 ? 0.0f : -10.0f;
            EXPECT_NEAR(D3DXVec3Length(&offset), std::fabs(side), 1e-3f);
            EXPECT_NEAR(D3DXVec3Dot(&offset, &along), side * std::cos(b.SegTwist[k] * 0.017453292f), 1e-3f);
            EXPECT_NEAR(Axis(d[i].world, D3DXVECTOR3(0, 1, 0)).y, 1.5f, 1e-4f);
        }
    }
    EXPECT_EQ(d[i].mesh, "flower_outside");
    EXPECT_EQ(d[i].pass, 7);
    ExpectColor(d[i].color, 1, 1, 1, 0.05f);
    ExpectNear(Apply(d[i].world, D3DXVECTOR3(1, 1, 1)), D3DXVECTOR3(17.5f, 8.5f, 2.5f));
    ++i;
    EXPECT_EQ(d[i].mesh, "flower_inside");
    EXPECT_EQ(d[i].pass, 7);
    ExpectColor(d[i].color, 1, 1, 1, 0.05f);
    ExpectNear(Apply(d[i].world, D3DXVECTOR3(1, 1, 1)), D3DXVECTOR3(17.5f, 8.5f, 2.5f));
    ++i;
    EXPECT_EQ(d[i].mesh, "flower_center");
    EXPECT_EQ(d[i].pass, 0);
    EXPECT_FALSE(d[i].colored);
    ExpectNear(Apply(d[i].world, D3DXVECTOR3(1, 1, 1)), D3DXVECTOR3(17.5f, 6.5f, 2.5f));
    ++i;
    for (int bi = 0; bi < 2; ++bi) {
        const Blossom& b = f->m_Blossom[bi];
        EXPECT_EQ(d[i].mesh, "rootsoul");
        EXPECT_EQ(d[i].pass, 0);
        EXPECT_FALSE(d[i].colored);
        ExpectNear(Apply(d[i].world, D3DXVECTOR3(0, 0, 0)), b.RootPos);
        ExpectNear(Apply(d[i].world, D3DXVECTOR3(0, 1, 0)), b.RootPos + D3DXVECTOR3(0, 6, 0));
        ++i;
        for (int p = 0; p < 5; ++p, ++i) {
            EXPECT_EQ(d[i].mesh, "petal");
            EXPECT_EQ(d[i].pass, 8);
            ExpectColor(d[i].color, 1, 1, 1, 1);
            ExpectNear(Apply(d[i].world, D3DXVECTOR3(0, 0, 0)), b.Pos);
            // Five petals round the blossom, 72 degrees apart, each 10 long.
            const float turn = (float)(p * 72) * 0.017453292f;
            ExpectNear(Apply(d[i].world, D3DXVECTOR3(0, 0, 1)) - b.Pos,
                       D3DXVECTOR3(10 * std::sin(turn), 0, 10 * std::cos(turn)));
        }
    }
    EXPECT_EQ(i, d.size());
}

TEST_F(FlowerDraw, AFinishedFlowerShowsItsCollapseWithoutCentreOrRootSpirits) {
    CFlower* f = MakeFlower(0, 0, 0);
    for (int k = 0; k < 5; ++k) {
        ShotAt(0, f->m_Blossom[0].Pos);
        ShotAt(0, f->m_Blossom[1].Pos);
    }
    f->Update();
    std::vector<DrawCall> d = DrawOnce(f);
    ASSERT_EQ(d.size(), 22u + 2u + 2u + 10u); // no centre any more; the root spirits are still rising
    const DrawCall& outer = d[22];
    const DrawCall& inner = d[23];
    EXPECT_EQ(outer.mesh, "flower_outside");
    ExpectColor(outer.color, 0.2f, 0.1f, 0.0f, 1.0f);
    EXPECT_NEAR(Axis(outer.world, D3DXVECTOR3(0, 1, 0)).y, 0.0f, 1e-6f); // flat
    EXPECT_EQ(inner.mesh, "flower_inside");
    ExpectColor(inner.color, 0.2f, 0.1f, 0.0f, 1.0f);
    EXPECT_NEAR(Axis(inner.world, D3DXVECTOR3(0, 1, 0)).y, 0.0f, 1e-6f);
    EXPECT_EQ(d[24].mesh, "rootsoul");
    ExpectColor(d[25].color, 0.9f, 0.9f, 0.9f, 1.0f); // the petals fade

    for (int frame = 0; frame < 120; ++frame)
        f->Update();
    d = DrawOnce(f);
    ASSERT_EQ(d.size(), 22u + 2u + 10u);
    for (const DrawCall& c : d) {
        EXPECT_NE(c.mesh, "rootsoul");
        EXPECT_NE(c.mesh, "flower_center");
    }
    // The petals hang at 45 degrees: a petal's tip sinks below the blossom.
    EXPECT_LT(Apply(d[24].world, D3DXVECTOR3(0, 0, 1)).y, -6.0f);
}

TEST_F(FlowerDraw, AfterTheFirstBlossomTheInnerPartSinksToThreeAndTheCentreStays) {
    CFlower* f = MakeFlower(0, 0, 0);
    f->m_Blossom[1].Hp = 0;
    f->Update();
    std::vector<DrawCall> d = DrawOnce(f);
    ASSERT_EQ(d.size(), 37u);
    EXPECT_NEAR(Axis(d[22].world, D3DXVECTOR3(0, 1, 0)).y, 0.0f, 1e-6f);
    EXPECT_NEAR(Axis(d[23].world, D3DXVECTOR3(0, 1, 0)).y, 3.0f, 1e-6f);
    ExpectColor(d[23].color, 1, 1, 1, 0.05f);
    EXPECT_EQ(d[24].mesh, "flower_center");
    // DrawAlpha draws nothing and Shoot asks for nothing.
    m_Draws.clear();
    f->DrawAlpha();
    EXPECT_TRUE(m_Draws.empty());
    EXPECT_EQ(f->Shoot(), 0);
}
