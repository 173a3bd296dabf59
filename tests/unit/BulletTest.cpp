// Shots: straight flight, the fade, L + 1 moves and draws, every kind's mesh and colour.
#include "tests/unit/PlayerTestSupport.h"

#include "player/Bullet.h"

#include <cmath>

namespace {

class Bullet : public PlayerSideFixture {
  protected:
    // A shot made by the shot pass from one request.
    CBullet* Spawn(int kind, float angle, float speed, int life, D3DXVECTOR3 pos = D3DXVECTOR3(1, 2, 3)) {
        ShotRequestQueue.push_back(ShotRequest{angle, pos, kind, speed, life});
        DrainShotRequests(SpawnShot);
        return static_cast<CBullet*>(ShotList.back());
    }
};

} // namespace

TEST_F(Bullet, APlayerShotIsDrawnFortyOneTimesAndCoversFortyOneUnits) {
    CBullet* shot = Spawn(0, 90.0f, 1.0f, 40, D3DXVECTOR3(0, 4, 0));
    std::vector<float> alphas;
    float lastX = 0.0f;
    // One frame: the draw passes, then (next frame) the update pass with its sweep.
    for (int frame = 0; frame < 100 && !ShotList.empty(); ++frame) {
        g_MeshDraws.clear();
        DrawAll();
        ASSERT_EQ(g_MeshDraws.size(), 1u);
        alphas.push_back(g_MeshDraws[0].color[3]);
        UpdateAll();
        lastX = shot->m_Pos.x; // the arena keeps the swept shot
    }
    ASSERT_EQ(alphas.size(), 41u);
    for (int k = 0; k <= 40; ++k)
        EXPECT_NEAR(alphas[k], (40 - k) / 40.0f * 90.0f / 255.0f, 1e-6f) << k;
    EXPECT_NEAR(lastX, 41.0f, 1e-4f);
    EXPECT_EQ(shot->m_bDead, 1);
    EXPECT_EQ(shot->m_Remain, -1);
}

TEST_F(Bullet, RockSparksFadeFromEightTenthsToNothing) {
    CBullet* spark = Spawn(11, 0.0f, 0.5f, 5);
    EXPECT_EQ(spark->m_Fade, 1.0f); // the first draw, before any update
    std::vector<float> fades;
    while (!ShotList.empty()) {
        UpdateAll();
        fades.push_back(spark->m_Fade);
    }
    ASSERT_EQ(fades.size(), 6u);
    const float expected[5] = {0.8f, 0.6f, 0.4f, 0.2f, 0.0f};
    for (int k = 0; k < 5; ++k)
        EXPECT_FLOAT_EQ(fades[k], expected[k]) << k;
    EXPECT_NEAR(spark->m_Pos.z, 3.0f + 6 * 0.5f, 1e-5f);
}

TEST_F(Bullet, EachKindHasItsMeshAndColourThroughPassThree) {
    struct Case {
        int kind;
        const char* mesh;
        float r, g, b;
    } cases[] = {{0, "bullet", 1, 1, 0},
                 {1, "bullet", 1, 1, 0},
                 {10, "effect", 1, 1, 0},
                 {11, "dull", 1, 0.5f, 0},
                 {13, "effect", 1, 0, 0}};
    for (const Case& c : cases) {
        CBullet* shot = Spawn(c.kind, 30.0f, 0.6f, 40);
        shot->Update();
        g_MeshDraws.clear();
        shot->Draw();
        ASSERT_EQ(g_MeshDraws.size(), 1u) << c.kind;
        const PlayerMeshDraw& d = g_MeshDraws[0];
        EXPECT_EQ(d.mesh, c.mesh) << c.kind;
        EXPECT_EQ(d.pass, 3);
        EXPECT_EQ(d.color[0], c.r);
        EXPECT_EQ(d.color[1], c.g) << c.kind;
        EXPECT_EQ(d.color[2], c.b) << c.kind;
        EXPECT_NEAR(d.color[3], 39.0f / 40.0f * 90.0f / 255.0f, 1e-6f);
        EXPECT_EQ(shot->m_Fade, d.color[3]); // stored back
        D3DXMATRIX rot, trans, expected;
        D3DXMatrixRotationY(&rot, 30.0f * 0.017453292f);
        D3DXMatrixTranslation(&trans, shot->m_Pos.x, shot->m_Pos.y, shot->m_Pos.z);
        expected = rot * trans;
        if (c.kind == 13) {
            // Three times larger; the position is not scaled.
            D3DXMATRIX scale;
            D3DXMatrixScaling(&scale, 3, 3, 3);
            expected = scale * expected;
            EXPECT_EQ(d.world._41, shot->m_Pos.x);
        }
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                EXPECT_NEAR(d.world.m[i][j], expected.m[i][j], 1e-5f) << c.kind << " " << i << j;
    }
}

TEST_F(Bullet, AKindOutsideTheTableFliesButIsNeverDrawn) {
    CBullet* odd = Spawn(5, 180.0f, 2.0f, 3);
    odd->Draw();
    odd->Update();
    odd->Draw();
    EXPECT_TRUE(g_MeshDraws.empty());
    EXPECT_NEAR(odd->m_Pos.z, 1.0f, 1e-5f);
    EXPECT_NEAR(odd->m_Pos.x, 1.0f, 1e-5f);
    EXPECT_NEAR(odd->m_mTrans._43, 1.0f, 1e-5f); // where targets look for it
}
