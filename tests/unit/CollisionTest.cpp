#include "world/Collision.h"

#include "WorldTestSupport.h"

#include <cmath>

namespace {
class CollisionTest : public WorldFixture {
  protected:
    // An obstacle of the given type code at (x, 0, z) with radius R.
    Probe* Obstacle(std::vector<CObjectBase*>& list, int type, float x, float z, float R) {
        Probe* p = AddProbe(list, "o", z, R);
        p->m_Pos.x = x;
        p->m_Type = type;
        return p;
    }
};

float HorizontalDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z));
}
} // namespace

TEST_F(CollisionTest, RockPushesAlongTheLineFromItsCentreAtTheOldHeight) {
    Obstacle(ObstacleList, 14, 10, 20, 8);
    D3DXVECTOR3 p(13, 4, 24); // 5 away, direction (0.6, 0.8)
    PushOutOfRocks(p, 2);
    EXPECT_NEAR(HorizontalDistance(p, D3DXVECTOR3(10, 0, 20)), 10.1f, 1e-4f);
    EXPECT_NEAR(p.x, 10 + 10.1f * 0.6f, 1e-4f);
    EXPECT_NEAR(p.z, 20 + 10.1f * 0.8f, 1e-4f);
    EXPECT_EQ(p.y, 4.0f);
}

TEST_F(CollisionTest, CentreGoesTowardsPlusXAndTouchingDoesNotMove) {
    Obstacle(ObstacleList, 14, 0, 0, 8);
    D3DXVECTOR3 centre(0, 0, 0);
    PushOutOfRocks(centre, 1);
    EXPECT_NEAR(centre.x, 9.1f, 1e-4f);
    EXPECT_NEAR(centre.z, 0.0f, 1e-4f);
    D3DXVECTOR3 touching(0, 0, 9); // exactly R + r away
    PushOutOfRocks(touching, 1);
    EXPECT_EQ(touching, D3DXVECTOR3(0, 0, 9));
    D3DXVECTOR3 above(1, 500, 1); // height does not count
    PushOutOfRocks(above, 1);
    EXPECT_NEAR(HorizontalDistance(above, D3DXVECTOR3(0, 0, 0)), 9.1f, 1e-4f);
    EXPECT_EQ(above.y, 500.0f);
}

TEST_F(CollisionTest, TwoRocksInListOrderAndOtherTypesIgnored) {
    Obstacle(ObstacleList, 14, 0, 0, 5);
    Obstacle(ObstacleList, 14, 6, 0, 5);
    Obstacle(ObstacleList, 15, 0, 0, 100); // a flower is no rock
    D3DXVECTOR3 p(1, 0, 0);
    PushOutOfRocks(p, 1);
    // out of the first to x = 6.1, which lies inside the second, which pushes it out to 12.1
    EXPECT_NEAR(p.x, 12.1f, 1e-4f);
}

TEST_F(CollisionTest, FinishedFlowerIsPassedThrough) {
    Probe* f = Obstacle(ObstacleList, 15, 0, 0, 28);
    D3DXVECTOR3 p(5, 0, 0);
    PushOutOfFlowers(p, 1);
    EXPECT_NEAR(p.x, 29.1f, 1e-4f);
    f->m_bDone = 1;
    D3DXVECTOR3 q(5, 0, 0);
    PushOutOfFlowers(q, 1);
    EXPECT_EQ(q, D3DXVECTOR3(5, 0, 0));
}

TEST_F(CollisionTest, OnlyTheFirstOverlappingAnemone) {
    EXPECT_FALSE([] {
        D3DXVECTOR3 p(0, 0, 0);
        return PushOutOfAnemones(p, 1);
    }());
    Obstacle(ActorList, 3, 0, 0, 10);
    Obstacle(ActorList, 3, 12, 0, 10);
    D3DXVECTOR3 p(1, 0, 0);
    EXPECT_TRUE(PushOutOfAnemones(p, 1));
    EXPECT_NEAR(p.x, 11.1f, 1e-4f); // now inside the second, which is not tested
    D3DXVECTOR3 far(100, 0, 0);
    EXPECT_FALSE(PushOutOfAnemones(far, 1));
}
