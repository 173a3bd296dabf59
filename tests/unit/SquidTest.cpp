// The squid: a football with its own starting values, drawing and target rule.
#include "FootballTestSupport.h"

namespace {

using SquidTest = CreatureFixture;

// A creature killed with one last hit in the current stage; returns the change of the target count.
int TargetChangeOfADeath(CFootball* creature) {
    const int before = g_TargetCount;
    creature->m_Hp = 1;
    CBullet* shot = NewObject<CBullet>();
    shot->m_Kind = 0;
    D3DXMatrixTranslation(&shot->m_mTrans, creature->m_Pos.x, creature->m_Pos.y, creature->m_Pos.z);
    ShotList.push_back(shot);
    creature->Update();
    ShotList.clear();
    ShotRequestQueue.clear();
    EXPECT_EQ(creature->m_AiState, 4);
    return g_TargetCount - before;
}

} // namespace

TEST_F(SquidTest, StartsWith600HitPointsTwiceTheFootballsScaleAndQuickerStuns) {
    CSquid* s = AddCreature<CSquid>(D3DXVECTOR3(5.0f, 0.0f, 6.0f));
    EXPECT_EQ(s->m_Hp, 600);
    EXPECT_EQ(s->m_StunHits, 100.0f);
    EXPECT_EQ(s->m_StunTime, 300.0f);
    EXPECT_EQ(s->m_Angle, 180.0f);
    EXPECT_EQ(s->m_PulseSpeed, 0.03f);
    EXPECT_EQ(s->m_State, 1);
    EXPECT_EQ(s->m_Type, 1);
    EXPECT_EQ(s->m_Radius, 13.0f);
    EXPECT_TRUE(s->m_Home == D3DXVECTOR3(5.0f, 0.0f, 6.0f));
    ExpectMatrixNear(s->m_mScale, Scale(5.0f, 5.0f, 5.0f), 0.0f);
    // The same single random draw as a football's Init.
    srand(11);
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    const int afterFootball = rand();
    srand(11);
    CSquid* t = AddCreature<CSquid>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(rand(), afterFootball);
    EXPECT_EQ(t->m_BobPhase, f->m_BobPhase);
}

TEST_F(SquidTest, StunsAtThe101stHitThenAtThe151stAfterTheStunEnded) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, -500.0f));
    CSquid* s = AddCreature<CSquid>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    for (int hit = 1; hit <= 100; ++hit)
        HitOnce(s);
    EXPECT_NE(s->m_AiState, 6);
    HitOnce(s);
    EXPECT_EQ(s->m_AiState, 6);
    EXPECT_EQ(s->m_StunHits, 150.0f);
    int frames = 0;
    while (s->m_AiState == 6 && frames < 1000) {
        s->Update();
        ++frames;
    }
    EXPECT_EQ(frames, 301);
    for (int hit = 1; hit <= 150; ++hit)
        HitOnce(s);
    EXPECT_NE(s->m_AiState, 6);
    HitOnce(s);
    EXPECT_EQ(s->m_AiState, 6);
}

TEST_F(SquidTest, ASquidsDeathCountsInStage3AndStage1Only) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, -500.0f));
    for (int stage : {1, 3}) {
        g_StageNo = stage;
        g_TargetCount = 1;
        CSquid* s = AddCreature<CSquid>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(TargetChangeOfADeath(s), -36) << stage;
    }
    for (int stage : {0, 2, 4}) {
        g_StageNo = stage;
        g_TargetCount = 1;
        CSquid* s = AddCreature<CSquid>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(TargetChangeOfADeath(s), 0) << stage;
    }
    // A football in stage 3 is not one of its targets.
    g_StageNo = 3;
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(TargetChangeOfADeath(f), 0);
}

TEST_F(SquidTest, DrawsItsOwnMeshWithoutJawOrGlowAndLeavesTheGlowPhaseAlone) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, -500.0f));
    CSquid* s = AddCreature<CSquid>(D3DXVECTOR3(3.0f, 0.0f, 4.0f));
    s->Update();
    MeshDrawRecorder rec;
    g_GlowPhase = 2.0f;
    s->Draw();
    ASSERT_EQ(rec.draws.size(), 1u);
    EXPECT_EQ(rec.draws[0].mesh, "squid");
    EXPECT_EQ(rec.draws[0].pass, 0u);
    ExpectMatrixNear(rec.draws[0].world,
                     Scale(5.0f, 5.0f, 5.0f) * RotY(180.0f) * Translate(3.0f, 0.0f, 4.0f));
    EXPECT_EQ(g_GlowPhase, 2.0f);
}

TEST_F(SquidTest, ItsStarsCircleTwiceAsFarAsAFootballsThroughItsLargerWorld) {
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(10.0f, 13.0f, 10.0f));
    CSquid* s = AddCreature<CSquid>(D3DXVECTOR3(10.0f, 13.0f, 10.0f));
    for (CFootball* c : std::vector<CFootball*>{f, s}) {
        c->m_AiState = 6;
        c->Update();
        c->m_StarSpin = 25.0f;
    }
    MeshDrawRecorder rf;
    f->Draw();
    MeshDrawRecorder rs;
    s->Draw();
    std::vector<MeshDraw> fs = rf.Of("star"), ss = rs.Of("star");
    ASSERT_EQ(fs.size(), 4u);
    ASSERT_EQ(ss.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const float centre = axis == 1 ? 13.0f : 10.0f;
            const float fo = fs[i].world.m[3][axis] - centre;
            const float so = ss[i].world.m[3][axis] - centre;
            EXPECT_NEAR(so, 2.0f * fo, 1e-3f) << i << "," << axis;
        }
        // And the star itself is drawn twice as large.
        EXPECT_NEAR(ss[i].world._11 * ss[i].world._11 + ss[i].world._12 * ss[i].world._12 +
                        ss[i].world._13 * ss[i].world._13,
                    4.0f * (fs[i].world._11 * fs[i].world._11 + fs[i].world._12 * fs[i].world._12 +
                            fs[i].world._13 * fs[i].world._13),
                    1e-3f);
    }
    // Above the body: the stars ride 5 units up in the creature's frame.
    EXPECT_NEAR(ss[0].world._42 - 13.0f, 25.0f, 1e-3f);
}
