// Stray jellies: their start, the rescue by one player shot and its animation, flocking with other groups,
// the home square, and firing at a near player.
#include "tests/unit/JellyTestSupport.h"

#include <cmath>

namespace {

class JellyStray : public JellyFixture {
  protected:
    // A stray that does not swim (no acceleration), so that ranges stay exact.
    CJelly* StillJelly(const D3DXVECTOR3& pos, int32_t id = 0) {
        CJelly* j = AddJelly(pos, id);
        j->m_Speed = 0.0f;
        return j;
    }
    // Puts a jelly at pos as if it had swum there last frame.
    static void Place(CJelly* j, const D3DXVECTOR3& pos) {
        j->m_Pos = pos;
        D3DXMatrixTranslation(&j->m_mTrans, pos.x, pos.y, pos.z);
    }
};

} // namespace

TEST_F(JellyStray, InitTakesJitterAngleAndPhaseFromRandInThatOrder) {
    srand(5);
    const int jitter = rand() % 10, angle = rand() % 360, phase = rand() % 360;
    srand(5);
    CJelly* j = AddJelly(D3DXVECTOR3(10.0f, 6.0f, 20.0f), 3);
    EXPECT_EQ(j->m_Jitter, jitter);
    EXPECT_EQ(j->m_Angle, (float)angle);
    EXPECT_EQ(j->m_BobPhase, (float)phase);
    EXPECT_EQ(j->m_Home, D3DXVECTOR3(10.0f, 6.0f, 20.0f));
    // The first matrices stand at height 4 whatever the loaded height.
    EXPECT_EQ(j->m_mTrans._41, 10.0f);
    EXPECT_EQ(j->m_mTrans._42, 4.0f);
    EXPECT_EQ(j->m_mTrans._43, 20.0f);
    EXPECT_EQ(j->m_Type, 1);
    EXPECT_EQ(j->m_State, 1);
    EXPECT_EQ(j->m_Hp, 100);
    EXPECT_EQ(j->m_Near, 1);
    EXPECT_EQ(j->m_Radius, 2.0f);
    EXPECT_EQ(j->m_LastFollowCount, -999);
    EXPECT_EQ(j->m_Id, 3);
    EXPECT_TRUE(ColorIs(j->m_Color, 1.0f, 0.1f, 1.0f, 0.8f));
    EXPECT_EQ(j->m_Shadow[0].color, 0xB4000000u);
    // Tentacle roots one unit from the centre, every 45 degrees, their history gathered at the start.
    EXPECT_NEAR(j->m_Tentacles[2].Root.x, 1.0f, 1e-6f);
    EXPECT_NEAR(j->m_Tentacles[4].Root.z, -1.0f, 1e-6f);
    EXPECT_EQ(j->m_Tentacles[7].History[19]._42, 4.0f);
}

TEST_F(JellyStray, OnePlayerShotRescuesAStrayAtFullOrHalfHealthAlike) {
    for (int hp : {100, 50}) {
        ReleaseObjects();
        ShotRequestQueue.clear();
        CJelly* j = StillJelly(D3DXVECTOR3(10.0f, 6.0f, 20.0f));
        j->m_Hp = hp;
        // An enemy shot and a player shot exactly 3 away pass; a player shot nearer is taken.
        CBullet* enemy = AddShotAt(1, 11.0f, 9.0f, 21.0f);
        CBullet* edge = AddShotAt(0, 13.0f, 9.0f, 20.0f);
        CBullet* near = AddShotAt(0, 12.0f, 9.0f, 22.0f);
        CBullet* second = AddShotAt(0, 11.0f, 9.0f, 20.0f);
        j->Update();
        EXPECT_EQ(enemy->m_bDead, 0);
        EXPECT_EQ(edge->m_bDead, 0);
        EXPECT_EQ(near->m_bDead, 1) << hp;
        EXPECT_EQ(second->m_bDead, 0); // one shot a frame
        EXPECT_LE(j->m_Hp, 0);
        EXPECT_EQ(j->m_bRescuing, 1) << hp;
        EXPECT_EQ(j->m_State, 1);
        // Eight sparks from the shot's own position, and a ring of eight bubbles.
        ASSERT_EQ(ShotRequestQueue.size(), 8u);
        for (int i = 0; i < 8; ++i) {
            const ShotRequest& r = ShotRequestQueue[i];
            EXPECT_EQ(r.Kind, 10);
            EXPECT_EQ(r.Angle, 45.0f * (float)i);
            EXPECT_EQ(r.Speed, 0.5f);
            EXPECT_EQ(r.Life, 30);
            EXPECT_EQ(r.Pos, D3DXVECTOR3(12.0f, 9.0f, 22.0f));
        }
        EXPECT_EQ(CountBubbles(), 8);
        // While the animation runs no shot is taken.
        j->Update();
        EXPECT_EQ(second->m_bDead, 0);
        EXPECT_EQ(ShotRequestQueue.size(), 8u);
        EXPECT_EQ(CountBubbles(), 8);
    }
}

TEST_F(JellyStray, TheRescueDipsPausesAndRisesFor241FramesThenTheJellyFollowsInWhite) {
    CPlayer* player = AddPlayerAt(D3DXVECTOR3(10.0f, 6.0f, 40.0f)); // near: it would draw fire
    CJelly* j = StillJelly(D3DXVECTOR3(10.0f, 6.0f, 20.0f));
    j->Update(); // the first frame puts its matrices at its loaded height
    AddShotAt(0, 10.0f, 6.0f, 21.0f);
    const D3DXVECTOR3 at = j->m_Pos;
    int frames = 0;
    float lowest = 0.0f;
    while (j->m_State == 1 && frames < 400) {
        j->Update();
        ShotRequestQueue.clear();
        EXPECT_EQ(j->Shoot(), 0);
        EXPECT_TRUE(ShotRequestQueue.empty()) << "a rescuing jelly does not fire, frame " << frames;
        ++frames;
        lowest = std::min(lowest, j->m_Sink);
        ASSERT_EQ(j->m_Pos, at) << frames; // it does not swim meanwhile
        if (frames == 91) {
            EXPECT_EQ(j->m_RescuePhase, 1.0f); // down for 90 frames, and the pause starts
            EXPECT_EQ(g_RescueWait, 1);
            EXPECT_NEAR(j->m_Sink, -0.05f * 91, 1e-3f);
        }
        if (frames == 150) {
            EXPECT_EQ(j->m_RescuePhase, 1.0f);
        }
        if (frames == 151) {
            EXPECT_EQ(j->m_RescuePhase, 2.0f); // the pause lasts 61 frames
        }
        if (j->m_State == 1) {
            EXPECT_NEAR(j->m_mWorld._42, 6.0f + j->m_Bob + j->m_Sink, 1e-4f);
            EXPECT_NEAR(j->m_Shadow[1].x, j->m_Bob + 5.0f + j->m_Sink, 1e-4f);
            EXPECT_NEAR(j->m_Color.g, std::min(1.0f, 0.1f + 0.005f * (float)frames), 1e-4f);
        }
    }
    EXPECT_EQ(frames, 241);
    EXPECT_NEAR(lowest, -4.55f, 1e-3f);
    // Risen until the body stands at height 4 again (6 + sink, in steps of 0.05).
    EXPECT_GE(j->m_Sink, -2.0f - 1e-4f);
    EXPECT_LT(j->m_Sink, -1.95f + 1e-4f);
    EXPECT_EQ(j->m_State, 2);
    EXPECT_EQ(j->m_Hp, 50);
    EXPECT_EQ(j->m_bRescuing, 0);
    EXPECT_EQ(j->m_RescuePhase, 0.0f);
    EXPECT_TRUE(ColorIs(j->m_Color, 1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(g_FollowCount, 1);
    EXPECT_EQ(g_RescueWait, 0);
    EXPECT_EQ(player->m_Hp, 100);
}

TEST_F(JellyStray, JelliesPausingTogetherShortenTheFirstsPauseAndLengthenTheSeconds) {
    CJelly* a = StillJelly(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    CJelly* b = StillJelly(D3DXVECTOR3(50.0f, 6.0f, 0.0f));
    AddShotAt(0, 0.0f, 6.0f, 1.0f);
    AddShotAt(0, 50.0f, 6.0f, 1.0f);
    int doneA = 0, doneB = 0;
    for (int frame = 1; frame <= 300; ++frame) {
        a->Update();
        b->Update();
        if (!doneA && a->m_State == 2) doneA = frame;
        if (!doneB && b->m_State == 2) doneB = frame;
    }
    // Both count the one pause counter up from the same frame: the first leaves its pause after 31
    // frames, the second then needs 61 of its own.
    EXPECT_EQ(doneA, 241 - 30);
    EXPECT_EQ(doneB, 241 + 30);
}

TEST_F(JellyStray, StraysFlockOnlyWithStraysOfOtherGroupsWithinFiveUnits) {
    AddPlayerAt(D3DXVECTOR3(500.0f, 6.0f, 500.0f)); // far away
    // Two of one group side by side keep their headings.
    CJelly* a = StillJelly(D3DXVECTOR3(0.0f, 6.0f, 0.0f), 0);
    CJelly* b = StillJelly(D3DXVECTOR3(2.0f, 6.0f, 0.0f), 0);
    a->m_Angle = 10.0f;
    b->m_Angle = 80.0f;
    a->Update();
    b->Update();
    EXPECT_EQ(a->m_Angle, 10.0f);
    EXPECT_EQ(b->m_Angle, 80.0f);

    // Neighbours of two other groups: the plain mean of their headings; one exactly 5 away does not count.
    CJelly* c = StillJelly(D3DXVECTOR3(0.0f, 6.0f, 3.0f), 1);
    CJelly* d = StillJelly(D3DXVECTOR3(-3.0f, 6.0f, 0.0f), 2);
    CJelly* e = StillJelly(D3DXVECTOR3(3.0f, 6.0f, 4.0f), 3);
    c->m_Angle = 50.0f;
    d->m_Angle = 120.0f;
    e->m_Angle = -170.0f;
    b->m_Angle = 80.0f;
    a->Update();
    EXPECT_FLOAT_EQ(a->m_Angle, 85.0f);
    // A follower or a rescuing jelly of another group is no stray to flock with: only the rescuing one counts
    // (it is still astray).
    c->m_State = 2;
    d->m_bRescuing = 1;
    a->Update();
    EXPECT_FLOAT_EQ(a->m_Angle, 120.0f);
    // Headings across the back are averaged plainly, and the result is folded into -180..180.
    d->m_Angle = 170.0f;
    e->m_Angle = -170.0f;
    Place(e, D3DXVECTOR3(3.0f, 6.0f, 3.0f));
    a->Update();
    EXPECT_FLOAT_EQ(a->m_Angle, 0.0f);
}

TEST_F(JellyStray, AStrayReturnsHomeFrom43UnitsButNotFrom30) {
    AddPlayerAt(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    const D3DXVECTOR3 home(-10.7f, 6.0f, 40.2f);
    CJelly* j = StillJelly(home);
    j->m_Angle = 0.0f;

    j->m_Pos = home + D3DXVECTOR3(30.0f, 0.0f, 0.0f);
    j->Update();
    EXPECT_EQ(j->m_bReturning, 0);
    EXPECT_EQ(j->m_Angle, 0.0f);

    j->m_Pos = home + D3DXVECTOR3(0.0f, 0.0f, 43.0f);
    j->Update();
    EXPECT_EQ(j->m_bReturning, 1);
    // The square's corners are truncated toward zero: x -35..14, z 15..65.
    EXPECT_EQ(j->m_Target, D3DXVECTOR3(-10.5f, 4.0f, 40.0f));
    EXPECT_EQ(j->m_Angle, 3.0f); // 3 degrees toward the target (which lies behind, a little to the east)

    j->m_Pos = home + D3DXVECTOR3(43.0f, 0.0f, 0.0f);
    j->m_Angle = 0.0f;
    j->Update();
    EXPECT_EQ(j->m_bReturning, 1);
    EXPECT_EQ(j->m_Angle, -3.0f); // the target lies to the west

    // A returning stray stops returning once it is back within about 42 units.
    j->m_Pos = home + D3DXVECTOR3(41.0f, 0.0f, 0.0f);
    j->Update();
    EXPECT_EQ(j->m_bReturning, 0);

    // Swimming, it turns round and comes back on its own.
    j->m_Speed = 0.03f;
    j->m_Angle = 90.0f;
    j->m_Pos = home + D3DXVECTOR3(60.0f, 0.0f, 0.0f);
    int frames = 0;
    for (j->Update(); j->m_bReturning == 1 && frames < 3000; ++frames)
        j->Update();
    EXPECT_LT(frames, 3000);
    EXPECT_LT(std::fabs(j->m_Pos.x - home.x), 42.5f);
    EXPECT_LE(D3DXVec3Length(&j->m_Vel), 0.05f + 1e-6f); // a stray's speed cap
}

// A stage file may place a ring of jellies farther out than an int can count: the home square's corners are
// held at a bound instead of overflowing (the sanitizer build reports the overflow), and the stray still
// swims, heading back toward that bound.
TEST_F(JellyStray, AHomeBeyondWhatAnIntHoldsKeepsItsSquareAtABound) {
    AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    const D3DXVECTOR3 home(3.0e9f, 6.0f, -3.0e9f);
    CJelly* j = StillJelly(home);
    j->m_Pos = home;
    for (int i = 0; i < 5; ++i)
        j->Update();
    EXPECT_EQ(j->m_bReturning, 1);
    EXPECT_TRUE(std::isfinite(j->m_Angle));
    EXPECT_TRUE(std::isfinite(j->m_Pos.x) && std::isfinite(j->m_Pos.z));
}

TEST_F(JellyStray, ANearStrayFiresAtThePlayerEvery100FramesUntilThePlayerDies) {
    CPlayer* player = AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    CJelly* j = StillJelly(D3DXVECTOR3(0.0f, 6.0f, 35.0f));
    j->Update();
    j->Shoot();
    EXPECT_EQ(j->m_Near, 1); // 35 away: far
    EXPECT_TRUE(ShotRequestQueue.empty());

    Place(j, D3DXVECTOR3(0.0f, 6.0f, 20.0f));
    std::vector<int> fired;
    for (int frame = 0; frame < 250; ++frame) {
        j->Update();
        ShotRequestQueue.clear();
        j->Shoot();
        if (ShotRequestQueue.empty()) continue;
        fired.push_back(frame);
        ASSERT_EQ(ShotRequestQueue.size(), 1u);
        const ShotRequest& r = ShotRequestQueue[0];
        EXPECT_EQ(r.Kind, 1);
        EXPECT_EQ(r.Speed, 0.3f);
        EXPECT_EQ(r.Life, 200);
        EXPECT_EQ(r.Pos, D3DXVECTOR3(0.0f, 6.0f, 20.0f));
        // At the player (heading 180 from the north), give or take 5 degrees.
        EXPECT_GE(j->m_Spread, -5.0f);
        EXPECT_LE(j->m_Spread, 4.0f);
        EXPECT_NEAR(r.Angle, 180.0f + j->m_Spread, 1e-4f);
    }
    EXPECT_EQ(fired, (std::vector<int>{0, 100, 200}));

    // Near until beyond 45: at 44 it still fires.
    Place(j, D3DXVECTOR3(0.0f, 6.0f, 44.0f));
    for (int frame = 0; frame < 100; ++frame) {
        j->Update();
        j->Shoot();
    }
    EXPECT_EQ(j->m_Near, 2);
    Place(j, D3DXVECTOR3(0.0f, 6.0f, 45.0f));
    j->Update();
    EXPECT_EQ(j->m_Near, 1);
    EXPECT_EQ(j->m_bNear, 0);

    // The player dead: no stray is near any more, and none fires.
    Place(j, D3DXVECTOR3(0.0f, 6.0f, 10.0f));
    player->m_Hp = 0;
    ShotRequestQueue.clear();
    for (int frame = 0; frame < 200; ++frame) {
        j->Update();
        j->Shoot();
        ASSERT_EQ(j->m_Near, 1);
    }
    EXPECT_TRUE(ShotRequestQueue.empty());
}
