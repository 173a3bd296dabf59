// Following jellies: their places in the formation, the staggered fire with the cursor, hits by enemy shots
// and bites, the knock-out back to a stray, and drawing.
#include "tests/unit/JellyTestSupport.h"
#include <d3d9debug.h>

#include <cmath>

namespace {

class JellyFollower : public JellyFixture {
  protected:
    // One shot pass of the given followers: the frames in which each pushed a request.
    void ShootFrame(int frame, const std::vector<CJelly*>& jellies, std::vector<std::vector<int>>& fired) {
        fired.resize(jellies.size());
        for (std::size_t i = 0; i < jellies.size(); ++i) {
            const std::size_t before = ShotRequestQueue.size();
            jellies[i]->Shoot();
            if (ShotRequestQueue.size() > before) fired[i].push_back(frame);
        }
    }
};

D3DXVECTOR3 OnBearing(const D3DXVECTOR3& centre, float degrees, float distance) {
    const float a = degrees * 0.017453292f;
    return centre + D3DXVECTOR3(std::sin(a) * distance, 0.0f, std::cos(a) * distance);
}

void ExpectNear(const D3DXVECTOR3& got, const D3DXVECTOR3& want, const char* what) {
    EXPECT_NEAR(got.x, want.x, 1e-3f) << what;
    EXPECT_NEAR(got.y, want.y, 1e-3f) << what;
    EXPECT_NEAR(got.z, want.z, 1e-3f) << what;
}

} // namespace

TEST_F(JellyFollower, FollowersTakeTheBodyThenBearingsOf45DegreesThenTheRingOf22) {
    const D3DXVECTOR3 body(100.0f, 8.0f, 50.0f);
    AddPlayerAt(D3DXVECTOR3(100.0f, 6.0f, 50.0f))->m_BodyPos = body;
    std::vector<CJelly*> followers;
    for (int i = 0; i < 25; ++i)
        followers.push_back(AddFollower(D3DXVECTOR3(0.0f, 6.0f, (float)(-10 * i))));
    CountFollowers();
    ASSERT_EQ(g_FollowCount, 25);
    for (int k = 0; k < 25; ++k) {
        CJelly* j = followers[k];
        j->m_Jitter = k % 10;
        const float jitter = (float)j->m_Jitter;
        ASSERT_EQ(g_FollowSlot, k);
        j->Update();
        if (k == 0) {
            ExpectNear(j->m_Target, body, "slot 0 sits on the body");
        } else if (k <= 8) {
            ExpectNear(j->m_Target, OnBearing(body, 45.0f * (float)k, jitter + 2.0f), "inner bearings");
        } else if (k <= 22) {
            ExpectNear(j->m_Target, OnBearing(body, 16.363636f * (float)k, jitter + 4.0f), "ring of 22");
        } else {
            // The rest share an outer ring by the count of followers beyond the first eight.
            ExpectNear(j->m_Target, OnBearing(body, (float)k * 360.0f / 17.0f, jitter * 0.5f + 6.0f),
                       "outer");
        }
    }
    EXPECT_EQ(g_FollowSlot, 25);

    // Counters that disagree (a slot past 22, a count of 8) still give a place somewhere.
    g_FollowCount = 8;
    g_FollowSlot = 23;
    followers[0]->Update();
    EXPECT_TRUE(std::isfinite(followers[0]->m_Target.x) && std::isfinite(followers[0]->m_Target.z));
    EXPECT_TRUE(std::isfinite(followers[0]->m_Pos.x) && std::isfinite(followers[0]->m_Pos.z));
}

TEST_F(JellyFollower, AFollowerOutOfPlaceSetsOffInProportionToTheDistanceAndRestsInPlace) {
    AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    CJelly* j = AddFollower(D3DXVECTOR3(0.0f, 6.0f, 40.0f));
    j->m_Jitter = 0; // waits 1 frame: sets off in every frame it is out of place
    j->m_Angle = 180.0f;
    CountFollowers();
    j->Update();
    EXPECT_EQ(j->m_bMoving, 1);
    EXPECT_NEAR(j->m_Speed, 40.0f * 0.0008f, 1e-5f);
    // It swims to the player's body, at most 0.2 a frame, and rests there.
    int frames = 0;
    while (j->m_bMoving == 1 && frames < 2000) {
        CountFollowers();
        j->Update();
        ++frames;
        ASSERT_LE(D3DXVec3Length(&j->m_Vel), 0.2f + 1e-6f);
    }
    EXPECT_LT(frames, 2000);
    EXPECT_LT(j->m_Pos.x * j->m_Pos.x + j->m_Pos.z * j->m_Pos.z, 9.0f);
    EXPECT_EQ(j->m_Speed, 0.001f);
}

TEST_F(JellyFollower, TwoFollowersFire39FramesApartAndAThirdRestartsTheStagger) {
    AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    CJelly* a = AddFollower(D3DXVECTOR3(5.0f, 6.0f, 0.0f));
    CJelly* b = AddFollower(D3DXVECTOR3(-5.0f, 6.0f, 0.0f));
    CJelly* c = AddJelly(D3DXVECTOR3(0.0f, 6.0f, 5.0f)); // still a stray
    Mouse(320, 100);                                     // straight up the screen: heading 0
    Hold(VK_LBUTTON);
    std::vector<std::vector<int>> fired;
    for (int frame = 0; frame < 100; ++frame) {
        ShotRequestQueue.clear();
        ShootFrame(frame, {a, b}, fired);
        if (frame == 0) {
            ASSERT_EQ(ShotRequestQueue.size(), 1u);
            const ShotRequest& r = ShotRequestQueue[0];
            EXPECT_EQ(r.Kind, 0);
            EXPECT_EQ(r.Speed, 1.0f);
            EXPECT_EQ(r.Life, 40);
            EXPECT_NEAR(r.Angle, 0.0f, 1e-4f);
            ExpectNear(r.Pos, D3DXVECTOR3(5.0f, 6.0f, 5.0f), "5 ahead along the aim");
        }
    }
    // The first at once, the second after its delay of 120 / 3; then each every 60 frames.
    EXPECT_EQ(fired[0], (std::vector<int>{0, 60}));
    EXPECT_EQ(fired[1], (std::vector<int>{39, 99}));
    EXPECT_EQ(g_FirePhase, 2);

    // A third joins: every follower starts its stagger again, from the phase where it stood.
    c->m_State = 2;
    D3DXMatrixTranslation(&c->m_mTrans, 0.0f, 6.0f, 5.0f);
    fired.clear();
    for (int frame = 100; frame < 200; ++frame)
        ShootFrame(frame, {a, b, c}, fired);
    EXPECT_EQ(fired[0], (std::vector<int>{100 + 60 - 1})); // 120 / 4 x 2
    EXPECT_EQ(fired[1], (std::vector<int>{100 + 90 - 1})); // 120 / 4 x 3
    EXPECT_EQ(fired[2], (std::vector<int>{100, 160}));     // 120 / 4 x 0
    EXPECT_EQ(a->m_LastFollowCount, 3);

    // Letting go resets the stagger.
    Hold(VK_LBUTTON, false);
    ShootFrame(200, {a, b, c}, fired);
    EXPECT_EQ(g_FirePhase, 0);
    for (CJelly* j : {a, b, c}) {
        EXPECT_EQ(j->m_FireState, 0);
        EXPECT_EQ(j->m_ShotDelay, 0.0f);
    }
}

TEST_F(JellyFollower, AFollowerBeyond15UnitsDoesNotFireButKeepsItsFireState) {
    CPlayer* player = AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    player->m_BodyPos = D3DXVECTOR3(0.0f, 30.0f, 0.0f);      // height does not count
    CJelly* j = AddFollower(D3DXVECTOR3(9.0f, 6.0f, 12.0f)); // exactly 15 away
    j->m_FireState = 3;
    j->m_ReloadTime = 10;
    j->m_LastFollowCount = 7;
    g_FirePhase = 1;
    Hold(VK_LBUTTON);
    for (int frame = 0; frame < 30; ++frame)
        j->Shoot();
    EXPECT_TRUE(ShotRequestQueue.empty());
    EXPECT_EQ(j->m_FireState, 3);
    EXPECT_EQ(j->m_ReloadTime, 10);
    EXPECT_EQ(j->m_LastFollowCount, 7);
    EXPECT_EQ(g_FirePhase, 1);
    // A little nearer it sees the count changed and starts its stagger: delay 120 / 2 x 1.
    j->m_Pos.z = 11.9f;
    j->Shoot();
    EXPECT_EQ(j->m_LastFollowCount, 1);
    EXPECT_EQ(j->m_FireState, 1);
    EXPECT_EQ(j->m_ShotDelay, 59.0f);
    EXPECT_EQ(g_FirePhase, 0);
}

TEST_F(JellyFollower, EnemyShotsAndBitesShakeAFollowerRed) {
    AddPlayerAt(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CJelly* j = AddFollower(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    j->m_Speed = 0.0f;
    j->m_Jitter = 9;
    j->m_Count = 1; // not a frame in which it sets off
    CBullet* mine = AddShotAt(0, 1.0f, 6.0f, 1.0f);
    CBullet* enemy = AddShotAt(1, 1.0f, 20.0f, -2.0f);
    CountFollowers();
    j->Update();
    EXPECT_EQ(mine->m_bDead, 0); // a follower is no stray to rescue
    EXPECT_EQ(enemy->m_bDead, 1);
    EXPECT_EQ(j->m_Hp, 35);
    EXPECT_EQ(j->m_ShakeTime, 14); // 15, less this frame's shake
    EXPECT_EQ(j->m_Color.g, 0.0f);
    EXPECT_EQ(j->m_Color.b, 0.0f);
    ASSERT_EQ(ShotRequestQueue.size(), 8u);
    EXPECT_EQ(ShotRequestQueue[3].Kind, 10);
    EXPECT_EQ(ShotRequestQueue[3].Life, 10);
    EXPECT_EQ(ShotRequestQueue[3].Angle, 135.0f);
    EXPECT_EQ(ShotRequestQueue[3].Pos, D3DXVECTOR3(1.0f, 20.0f, -2.0f));
    // The body shakes half a unit sideways.
    const float dx = j->m_mWorld._41 - j->m_mTrans._41, dz = j->m_mWorld._43 - j->m_mTrans._43;
    EXPECT_NEAR(dx * dx + dz * dz, 0.25f, 1e-4f);
    // After the shake the white comes back by 0.01 a frame.
    for (int frame = 0; frame < 14; ++frame)
        j->Update();
    EXPECT_EQ(j->m_ShakeTime, 0);
    j->Update();
    EXPECT_NEAR(j->m_Color.g, 0.01f, 1e-6f);
    for (int frame = 0; frame < 150; ++frame)
        j->Update();
    EXPECT_TRUE(ColorIs(j->m_Color, 1.0f, 1.0f, 1.0f, 1.0f));
    // A creature's bite flag does the same.
    j->m_bHit = 1;
    j->Update();
    EXPECT_EQ(j->m_bHit, 0);
    EXPECT_EQ(j->m_ShakeTime, 14);
    EXPECT_EQ(j->m_Color.b, 0.0f);
}

TEST_F(JellyFollower, KnockedOutAFollowerBecomesAStrayFarAwayAndCanBeRescuedAgain) {
    AddPlayerAt(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CJelly* j = AddFollower(D3DXVECTOR3(20.0f, 7.0f, 30.0f));
    j->m_Home = D3DXVECTOR3(40.0f, 7.0f, 40.0f);
    j->m_Speed = 0.0f;
    j->m_Jitter = 4;
    j->m_Count = 1;
    j->m_Hp = 10;
    AddShotAt(1, 20.0f, 7.0f, 31.0f);
    CountFollowers();
    j->Update();
    EXPECT_EQ(j->m_State, 1);
    EXPECT_EQ(j->m_Hp, 50);
    EXPECT_EQ(j->m_Pos, D3DXVECTOR3(0.0f, 7.0f, 500.0f));
    EXPECT_EQ(j->m_Home, D3DXVECTOR3(40.0f, 7.0f, 40.0f));
    EXPECT_EQ(j->m_HideTime, 199);
    EXPECT_EQ(j->m_bRescuing, 0);
    EXPECT_TRUE(ColorIs(j->m_Color, 1.0f, 0.1f, 1.0f, 0.8f)); // magenta, also while it shakes
    // Eight bubbles round where it was hit.
    ASSERT_EQ(CountBubbles(), 8);
    for (int i = 0; i < 8; ++i) {
        const CObjectBase* bubble = EffectList[i];
        const D3DXVECTOR3 want = OnBearing(D3DXVECTOR3(20.0f, 7.0f, 30.0f), 45.0f * (float)i, 3.0f);
        EXPECT_NEAR(bubble->m_Pos.x, want.x, 0.01f); // it swam a thousandth before the hit
        EXPECT_NEAR(bubble->m_Pos.z, want.z, 0.01f);
        EXPECT_GE(bubble->m_Pos.y, 7.0f - 5.0f);
        EXPECT_LE(bubble->m_Pos.y, 7.0f + 4.0f);
        EXPECT_EQ(bubble->m_Speed, 3.0f);
    }
    CountFollowers();
    EXPECT_EQ(g_FollowCount, 0);

    // Far from home it heads back; its tentacles stay hidden for 200 frames, its shadow does not.
    j->Update();
    EXPECT_EQ(j->m_bReturning, 1);
    d3d9debug::EnableCallLog(g_pDevice, true);
    j->DrawAlpha();
    EXPECT_EQ(Draws().size(), 1u);
    j->m_HideTime = 0;
    d3d9debug::ClearCallLog(g_pDevice);
    j->DrawAlpha();
    EXPECT_EQ(Draws().size(), 1u + 8u * 19u);

    // At 50 hit points one player shot rescues it again.
    AddShotAt(0, j->m_Pos.x, 7.0f, j->m_Pos.z);
    j->Update();
    EXPECT_EQ(j->m_bRescuing, 1);
}

TEST_F(JellyFollower, StraysAndFollowersAreDrawnWithThePlayersMeshInPass1) {
    CJelly* j = AddJelly(D3DXVECTOR3(5.0f, 6.0f, 5.0f));
    j->Update();
    j->Draw();
    ASSERT_EQ(g_MeshDraws.size(), 1u);
    EXPECT_EQ(g_MeshDraws[0].mesh, "player");
    EXPECT_EQ(g_MeshDraws[0].pass, 1);
    EXPECT_EQ(g_MeshDraws[0].color[1], 0.1f);
    EXPECT_EQ(g_MeshDraws[0].color[3], 0.8f);
    EXPECT_NEAR(g_MeshDraws[0].world._42, j->m_mTrans._42 + j->m_Bob, 1e-5f);
    j->m_State = 2;
    j->m_Color = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    j->Draw();
    ASSERT_EQ(g_MeshDraws.size(), 2u);
    EXPECT_EQ(g_MeshDraws[1].mesh, "player");
    EXPECT_EQ(g_MeshDraws[1].color[1], 1.0f);
}
