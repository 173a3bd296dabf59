// The wall slide against a synthetic terrain, and whole-mesh picking.
#include "app/Camera.h"
#include "assets/Meshes.h"
#include <d3dx9mesh.h>
#include "world/Collision.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A mesh of vertical quads; each quad is given by its two bottom corners (x, z) in mesh units,
// from y = -1 to y = 2 (the terrain is scaled by 30, 20, 30).
ID3DXMesh* WallMesh(const std::vector<std::pair<D3DXVECTOR2, D3DXVECTOR2>>& walls) {
    ID3DXMesh* mesh = nullptr;
    DWORD faces = (DWORD)walls.size() * 2, verts = (DWORD)walls.size() * 4;
    EXPECT_EQ(D3DXCreateMeshFVF(faces, verts, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                                nullptr, &mesh),
              D3D_OK);
    float* v = nullptr;
    WORD* idx = nullptr;
    mesh->LockVertexBuffer(0, (LPVOID*)&v);
    mesh->LockIndexBuffer(0, (LPVOID*)&idx);
    for (size_t w = 0; w < walls.size(); ++w) {
        const D3DXVECTOR2 a = walls[w].first, b = walls[w].second;
        const float corners[4][3] = {{a.x, -1, a.y}, {a.x, 2, a.y}, {b.x, 2, b.y}, {b.x, -1, b.y}};
        for (int c = 0; c < 4; ++c) {
            float* out = v + (w * 4 + c) * 8;
            std::memset(out, 0, 8 * sizeof(float));
            std::memcpy(out, corners[c], 3 * sizeof(float));
        }
        const WORD base = (WORD)(w * 4);
        const WORD tri[6] = {base, WORD(base + 1), WORD(base + 2), base, WORD(base + 2), WORD(base + 3)};
        std::memcpy(idx + w * 6, tri, sizeof tri);
    }
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return mesh;
}

class WallSlideTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // One wall across the arena at z = 1 in mesh units, 30 in the world.
        m_Terrain.pMesh = WallMesh({{D3DXVECTOR2(-10, 1), D3DXVECTOR2(10, 1)}});
        g_pTerrain = &m_Terrain;
        D3DXMatrixScaling(&g_mTerrain, 30, 20, 30);
        g_TerrainScale = 30.0f;
    }
    void TearDown() override {
        g_pTerrain = nullptr;
        m_Terrain.pMesh->Release();
        m_Terrain.pMesh = nullptr;
    }
    MeshData m_Terrain{};
};

} // namespace

TEST_F(WallSlideTest, AWallNearerThanOneUnitPushesBackToOneUnit) {
    D3DXVECTOR3 p(3, 6, 29.5f);
    EXPECT_TRUE(WallSlide(p, 0.0f));
    EXPECT_NEAR(p.z, 29.0f, 1e-3f);
    EXPECT_NEAR(p.x, 3.0f, 1e-4f);
    EXPECT_NEAR(p.y, 6.0f, 1e-4f);
}

TEST_F(WallSlideTest, FarWallsAndWallsBehindDoNotMove) {
    D3DXVECTOR3 far(0, 6, 25);
    EXPECT_FALSE(WallSlide(far, 0.0f));
    EXPECT_EQ(far, D3DXVECTOR3(0, 6, 25));
    D3DXVECTOR3 away(0, 6, 29.5f);
    EXPECT_FALSE(WallSlide(away, 180.0f)); // nothing ahead
    EXPECT_EQ(away, D3DXVECTOR3(0, 6, 29.5f));
}

TEST_F(WallSlideTest, AnAngledApproachIsPushedAlongTheWallNormal) {
    // Heading 60 degrees towards the wall: the ray meets it 0.5 / cos 60 = 1 unit away, nearer than the
    // threshold of 1 / cos 60 = 2 measured along the ray, and the push is along the normal only.
    D3DXVECTOR3 p(0, 6, 29.5f);
    EXPECT_TRUE(WallSlide(p, 60.0f));
    EXPECT_NEAR(p.x, 0.0f, 1e-4f);
    EXPECT_NEAR(p.z, 29.0f, 1e-3f); // (D - t) k s = (1/15 - 1/30) x 0.5 x 30 = 0.5
}

TEST(WallSlideNoTerrain, ReturnsFalseAndKeepsThePosition) {
    g_pTerrain = nullptr;
    D3DXVECTOR3 p(1, 2, 3);
    EXPECT_FALSE(WallSlide(p, 0.0f));
    EXPECT_EQ(p, D3DXVECTOR3(1, 2, 3));
    MeshData empty{};
    g_pTerrain = &empty; // a stage whose collision mesh failed to load
    EXPECT_FALSE(WallSlide(p, 0.0f));
    g_pTerrain = nullptr;
}

TEST(MeshPicking, NearestFaceOfSeveralAndAllHits) {
    ID3DXMesh* mesh =
        WallMesh({{D3DXVECTOR2(-1, 5), D3DXVECTOR2(1, 5)}, {D3DXVECTOR2(-1, 3), D3DXVECTOR2(1, 3)}});
    D3DXVECTOR3 o(0, 0, 0), d(0, 0, 1);
    BOOL hit = FALSE;
    DWORD face = 99, count = 0;
    float u = -1, v = -1, dist = -1;
    ID3DXBuffer* all = nullptr;
    ASSERT_EQ(D3DXIntersect(mesh, &o, &d, &hit, &face, &u, &v, &dist, &all, &count), D3D_OK);
    EXPECT_TRUE(hit);
    EXPECT_NEAR(dist, 3.0f, 1e-5f);
    EXPECT_GE(face, 2u);  // the second quad's faces are 2 and 3
    EXPECT_EQ(count, 2u); // a ray along y = 0 crosses one triangle of each quad
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->GetBufferSize(), 2 * sizeof(D3DXINTERSECTINFO));
    all->Release();
    D3DXVECTOR3 back(0, 0, -1);
    ASSERT_EQ(D3DXIntersect(mesh, &o, &back, &hit, &face, &u, &v, &dist, nullptr, nullptr), D3D_OK);
    EXPECT_FALSE(hit);
    mesh->Release();
}
