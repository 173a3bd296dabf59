// The anemone: its school and crown, being provoked, breeding, calling its fish home and being healed, its
// death, and who owns its fish and tentacles.
#include "CreatureTestSupport.h"

#include "creatures/Anemone.h"
#include "app/Trace.h"
#include "creatures/Percula.h"
#include "player/Effects.h"
#include "world/Props.h"

#include <cmath>
#include <set>

namespace {

class Anemone : public ReefFixture {
  protected:
    // An anemone created the way the stage loader does, in ActorList behind the player, initialised.
    static CAnemone* AddAnemone(const D3DXVECTOR3& pos) {
        CAnemone* anemone = NewObject<CAnemone>();
        anemone->m_Pos = pos;
        ActorList.push_back(anemone);
        anemone->Init();
        return anemone;
    }
    static std::vector<int> FishStates(const CAnemone& anemone) {
        std::vector<int> states;
        for (const CPercula* fish : anemone.m_Fish)
            states.push_back(fish->m_AiState);
        return states;
    }
};

constexpr float kDeg = 0.017453292f;

} // namespace

TEST_F(Anemone, InitMakesEightFishRoundItThenTheCrownOuterRingFirst) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    const D3DXVECTOR3 at(20.0f, 3.0f, -10.0f);
    CAnemone* anemone = AddAnemone(at);
    EXPECT_EQ(anemone->m_Type, 3);
    EXPECT_EQ(anemone->m_Hp, 600);
    EXPECT_FLOAT_EQ(anemone->m_Radius, 17.5f);
    EXPECT_EQ(anemone->m_Mode, 0);

    ASSERT_EQ(anemone->m_Fish.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const CPercula* fish = anemone->m_Fish[i];
        const float a = 45.0f * static_cast<float>(i) * kDeg;
        EXPECT_NEAR(fish->m_Pos.x, at.x + 40.0f * std::sin(a), 1e-4f) << i;
        EXPECT_FLOAT_EQ(fish->m_Pos.y, at.y) << i;
        EXPECT_NEAR(fish->m_Pos.z, at.z + 40.0f * std::cos(a), 1e-4f) << i;
        EXPECT_EQ(fish->m_Home, at) << i;
        EXPECT_EQ(fish->m_Hp, 20) << i;
    }

    ASSERT_EQ(anemone->m_Tentacles.size(), 72u);
    for (int i = 0; i < 72; ++i) {
        const CAnemoneTentacle* t = anemone->m_Tentacles[i];
        const bool outer = i < 36;
        const float a = (outer ? 10.0f * i : 10.0f * (i - 36) + 5.0f) * kDeg;
        const float r = outer ? 12.0f : 5.0f;
        EXPECT_NEAR(t->m_Pos.x, at.x + r * std::sin(a), 1e-4f) << i;
        EXPECT_FLOAT_EQ(t->m_Pos.y, at.y + 8.5f) << i;
        EXPECT_NEAR(t->m_Pos.z, at.z + r * std::cos(a) - 4.0f, 1e-4f) << i;
        EXPECT_FLOAT_EQ(t->m_Radius, 20.0f) << i;
        for (int k = 0; k < 5; ++k) {
            EXPECT_GE(t->m_Sway[k], 2.0f * k - 9.0f) << i;
            EXPECT_LE(t->m_Sway[k], 2.0f * k - 5.0f) << i;
        }
    }
    // Neither the fish nor the tentacles are in a global list.
    EXPECT_EQ(ActorList.size(), 2u);
    EXPECT_TRUE(EffectList.empty());
}

TEST_F(Anemone, TheFirstHitOnACalmAnemoneSendsEveryFishAndLaterHitsDoNotResend) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, 55.0f)); // out of its notice; every fish within 100 of the player
    CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    anemone->Update(); // unprovoked, only the fish near the player take up the chase themselves
    EXPECT_EQ(anemone->m_Mode, 0);
    const std::vector<int> before = FishStates(*anemone);
    EXPECT_NE(before, std::vector<int>(8, 1));

    AddShot(D3DXVECTOR3(5.0f, 0.0f, 5.0f));
    AddShot(D3DXVECTOR3(-5.0f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 3);
    EXPECT_EQ(anemone->m_Hp, 598);
    EXPECT_EQ(ShotRequestQueue.size(), 16u);
    EXPECT_EQ(FishStates(*anemone), std::vector<int>(8, 1));

    // While it stays provoked, hits do not send the fish again.
    for (CPercula* fish : anemone->m_Fish)
        fish->m_AiState = 4;
    AddShot(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Hp, 597);
    EXPECT_EQ(FishStates(*anemone), std::vector<int>(8, 4));

    // A shot of another kind, or one just outside the radius, does nothing.
    AddShot(D3DXVECTOR3(0.0f, 0.0f, 0.0f), 10);
    AddShot(D3DXVECTOR3(17.5f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Hp, 597);
}

TEST_F(Anemone, NoticedCalmedAndProvokedAgainAfterDeath) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(30.0f, 6.0f, 0.0f));
    CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 0); // exactly 30 away: not yet
    player->m_Pos.x = 29.9f;
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 1);

    AddShot(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 3);
    player->m_Pos.x = 150.0f;
    player->m_Hp = 0; // a dead player far away does not calm it
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 3);
    player->m_Hp = 100;
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 0);

    // Dead, it still takes shots, and is provoked by them.
    anemone->m_Hp = 1;
    AddShot(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 2);
    AddShot(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    anemone->Update();
    EXPECT_EQ(anemone->m_Hp, -1);
    EXPECT_EQ(anemone->m_Mode, 3);
    EXPECT_EQ(anemone->m_bDead, 0); // it stays in ActorList and keeps its fish
    EXPECT_EQ(anemone->m_Fish.size(), 8u);
}

TEST_F(Anemone, ItBreedsOnlyEverySixHundredFramesAtOrBelowFourHundredAndTwiceBelowTwoHundred) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 2.0f, 0.0f));
    anemone->m_bHealCalled = 1; // breeding alone

    auto bredAt = [&](int hp) {
        std::vector<int> counts;
        anemone->m_Count = 0;
        for (int frame = 0; frame < 1300; ++frame) {
            anemone->m_Hp = hp;
            const int count = anemone->m_Count;
            const size_t before = anemone->m_Fish.size();
            anemone->Update();
            if (anemone->m_Fish.size() == before + 1) counts.push_back(count);
            EXPECT_LE(anemone->m_Fish.size(), before + 1);
        }
        return counts;
    };
    EXPECT_EQ(bredAt(401), std::vector<int>{});
    EXPECT_EQ(bredAt(400), (std::vector<int>{0, 600, 1200}));
    EXPECT_EQ(bredAt(201), (std::vector<int>{0, 600, 1200}));
    EXPECT_EQ(bredAt(200), (std::vector<int>{0, 300, 600, 900, 1200}));

    // A bred fish starts at the centre, 9 higher, with the anemone as its home; inside it, it does not sink.
    const CPercula* young = anemone->m_Fish.back();
    EXPECT_EQ(young->m_Home, anemone->m_Pos);
    EXPECT_LT(ReefFixture::HorizontalDist(young->m_Pos, anemone->m_Pos), 27.5f);

    // Hit points below 0 breed no more.
    anemone->m_bDying = 1;
    EXPECT_EQ(bredAt(-1), std::vector<int>{});
}

TEST_F(Anemone, AtTwoHundredItCallsItsFishHomeOnceAndNotTheFishBredLater) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    anemone->m_Hp = 201;
    anemone->m_Count = 1;
    anemone->Update();
    EXPECT_EQ(anemone->m_bHealCalled, 0);
    EXPECT_EQ(FishStates(*anemone), std::vector<int>(8, 0));

    anemone->m_Hp = 200;
    anemone->Update();
    EXPECT_EQ(anemone->m_bHealCalled, 1);
    EXPECT_EQ(FishStates(*anemone), std::vector<int>(8, 4));

    anemone->m_Count = 300; // a new fish at the half-way frame
    anemone->Update();
    ASSERT_EQ(anemone->m_Fish.size(), 9u);
    CPercula* late = anemone->m_Fish.back();
    for (int i = 0; i < 50; ++i)
        anemone->Update();
    EXPECT_NE(late->m_AiState, 4);
    EXPECT_EQ(late->m_bDead, 0);
    EXPECT_EQ(anemone->m_Fish.back(), late);
}

TEST_F(Anemone, AFishWithinFifteenOfHomeDisappearsAndHealsTwentyWithARingAndAColumn) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    anemone->m_bHealCalled = 1;
    anemone->m_Hp = 300;
    anemone->m_Count = 1;
    CPercula* arriving = anemone->m_Fish[0];
    arriving->m_Pos = D3DXVECTOR3(0.0f, 1.0f, 15.1f);
    arriving->m_Angle = 180.0f; // facing home
    arriving->m_AiState = 4;
    CPercula* later = anemone->m_Fish[4];
    later->m_Pos = D3DXVECTOR3(0.0f, 1.0f, -15.3f);
    later->m_Angle = 0.0f;
    later->m_AiState = 4;

    anemone->Update();
    EXPECT_EQ(anemone->m_Hp, 320);
    EXPECT_EQ(arriving->m_bDead, 1);
    ASSERT_EQ(anemone->m_Fish.size(), 7u);
    for (const CPercula* fish : anemone->m_Fish)
        EXPECT_NE(fish, arriving);
    ASSERT_EQ(EffectList.size(), 2u);
    auto* ring = dynamic_cast<CHealEff*>(EffectList[0]);
    auto* column = dynamic_cast<CAnemoneHeal*>(EffectList[1]);
    ASSERT_NE(ring, nullptr);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(ring->m_Pos, arriving->m_Pos);
    EXPECT_EQ(column->m_Pos, anemone->m_Pos);
    EXPECT_EQ(later->m_bAtHome, 0); // 15.1 away after its move: not yet

    anemone->Update();
    EXPECT_EQ(anemone->m_Hp, 340);
    EXPECT_EQ(anemone->m_Fish.size(), 6u);
    EXPECT_EQ(CountOf<CHealEff>(EffectList), 2);
    EXPECT_EQ(CountOf<CAnemoneHeal>(EffectList), 2);
}

TEST_F(Anemone, ItsDeathReleasesThirtySixBubblesAndLowersTheTargetsByThirtySixInAnyStage) {
    g_StageNo = 1;
    g_TargetCount = 3;
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    const D3DXVECTOR3 at(10.0f, 2.0f, 10.0f);
    CAnemone* anemone = AddAnemone(at);
    anemone->m_Hp = 1;
    anemone->m_Count = 1; // not a breeding frame
    AddShot(at);
    anemone->Update();
    EXPECT_EQ(anemone->m_Mode, 2);
    EXPECT_EQ(anemone->m_bDying, 1);
    EXPECT_EQ(g_TargetCount, 3 - 36);
    ASSERT_EQ(CountOf<CBubble>(EffectList), 36);
    ASSERT_EQ(EffectList.size(), 36u);
    for (CObjectBase* bubble : EffectList) {
        EXPECT_LT(ReefFixture::HorizontalDist(bubble->m_Pos, at), 19.0f + 1e-3f);
        EXPECT_GE(bubble->m_Pos.y, at.y - 5.0f);
        EXPECT_LE(bubble->m_Pos.y, at.y + 4.0f);
    }
    anemone->Update();
    EXPECT_EQ(CountOf<CBubble>(EffectList), 36);
    EXPECT_EQ(g_TargetCount, 3 - 36);
}

TEST_F(Anemone, ADeadAnemonesTentaclesSinkBelowMinusThirteenAndStop) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 0.2f, 0.0f));
    anemone->m_Hp = 0;
    anemone->m_bHealCalled = 1; // no fish comes home to heal it
    anemone->Update();
    for (const CAnemoneTentacle* t : anemone->m_Tentacles)
        ASSERT_FLOAT_EQ(t->m_Pos.y, 8.7f - 0.5f);
    // A fish coming home after the death heals it: while it has hit points the tentacles hold.
    anemone->m_Hp = 20;
    for (int i = 0; i < 5; ++i)
        anemone->Update();
    EXPECT_FLOAT_EQ(anemone->m_Tentacles[0]->m_Pos.y, 8.2f);
    EXPECT_EQ(anemone->m_bDying, 1);
    anemone->m_Hp = 0;
    for (int i = 0; i < 100; ++i)
        anemone->Update();
    for (const CAnemoneTentacle* t : anemone->m_Tentacles) {
        EXPECT_LE(t->m_Pos.y, -13.0f);
        EXPECT_GT(t->m_Pos.y, -13.5f);
    }

    // A living anemone's tentacles stay where they are.
    CAnemone* other = AddAnemone(D3DXVECTOR3(100.0f, 0.0f, 0.0f));
    for (int i = 0; i < 10; ++i)
        other->Update();
    for (const CAnemoneTentacle* t : other->m_Tentacles)
        EXPECT_FLOAT_EQ(t->m_Pos.y, 8.5f);
}

TEST_F(Anemone, AShotQueuedIntoItProvokesItsFishWhichChaseAndBiteThePlayer) {
    // The player 110 from the anemone: no wandering fish ever comes within 40 of it by itself, but three
    // fish are within 100 when the anemone sends them.
    auto scene = [this]() {
        CPlayer* player = AddPlayer(D3DXVECTOR3(0.0f, 6.0f, 110.0f));
        CAnemone* anemone = AddAnemone(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        return std::make_pair(player, anemone);
    };
    auto frame = []() {
        UpdateAll();
        const size_t first = ShotList.size();
        ShootAll();
        // Each new shot stands where its Init puts it: at its start position.
        for (size_t i = first; i < ShotList.size(); ++i) {
            CObjectBase* shot = ShotList[i];
            D3DXMatrixTranslation(&shot->m_mTrans, shot->m_Pos.x, shot->m_Pos.y, shot->m_Pos.z);
        }
    };

    auto [calmPlayer, calm] = scene();
    for (int i = 0; i < 1500; ++i)
        frame();
    EXPECT_EQ(calmPlayer->m_Hp, 100);
    EXPECT_EQ(calm->m_Mode, 0);
    EXPECT_EQ(FishStates(*calm), std::vector<int>(8, 0));

    Reset();
    std::srand(1);
    auto [player, anemone] = scene();
    ShotRequest shot{};
    shot.Angle = 180.0f;
    shot.Pos = D3DXVECTOR3(0.0f, 6.0f, 10.0f);
    shot.Kind = 0;
    shot.Speed = 1.0f;
    shot.Life = 40;
    ShotRequestQueue.push_back(shot);
    frame(); // the shot appears
    frame(); // and lands
    EXPECT_EQ(anemone->m_Mode, 3);
    EXPECT_EQ(anemone->m_Hp, 599);
    int chasing = 0;
    for (int state : FishStates(*anemone))
        chasing += state == 1;
    EXPECT_EQ(chasing, 3);

    int frames = 0;
    while (player->m_Hp == 100 && frames < 3000) {
        frame();
        ++frames;
    }
    ASSERT_LT(player->m_Hp, 100) << "no fish bit within " << frames << " frames";
    EXPECT_EQ((100 - player->m_Hp) % 20, 0);
    EXPECT_GT(frames, 400); // a chase of 200 frames, a back-off of 131 and 70 still frames come first
}

TEST_F(Anemone, ItsFishAndTentaclesLiveInItsOwnArenaAndARebuiltCrownKeepsItsObjects) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    SetObjectArena(ObjectArena::Program);
    CAnemone* display = NewObject<CAnemone>();
    SetObjectArena(ObjectArena::Stage);
    display->m_Pos = D3DXVECTOR3(100.0f, 5.0f, 60.0f);
    ActorList.push_back(display);
    const size_t stageBefore = ArenaObjectCount(ObjectArena::Stage);
    display->Init();
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), 1u + 8u + 72u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), stageBefore);
    EXPECT_EQ(GetObjectArena(), ObjectArena::Stage);

    display->m_Hp = 400;
    display->m_Count = 0;
    display->m_bHealCalled = 1;
    display->Update();
    EXPECT_EQ(display->m_Fish.size(), 9u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), 1u + 9u + 72u);

    // The title builds the crown again at every visit: still 72, the same objects, set up afresh.
    const std::vector<CAnemoneTentacle*> before = display->m_Tentacles;
    display->m_Tentacles[3]->m_Pos.y = -50.0f;
    display->m_Pos = D3DXVECTOR3(0.0f, 5.0f, 0.0f);
    display->BuildTentacles();
    EXPECT_EQ(display->m_Tentacles, before);
    EXPECT_FLOAT_EQ(display->m_Tentacles[3]->m_Pos.y, 13.5f);
    EXPECT_NEAR(display->m_Tentacles[0]->m_Pos.z, 12.0f - 4.0f, 1e-5f);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), 1u + 9u + 72u);

    // Releasing the stage leaves them all alone.
    ReleaseObjects();
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), 1u + 9u + 72u);
    EXPECT_EQ(display->m_Tentacles.size(), 72u);
}

TEST_F(Anemone, TheTraceListsTheFishOfEveryAnemoneWithStateHitPointsAndPlace) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CAnemone* first = AddAnemone(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    CAnemone* second = AddAnemone(D3DXVECTOR3(200.0f, 0.0f, 0.0f));
    first->m_Fish.resize(2);
    second->m_Fish.resize(1);
    first->m_Fish[0]->m_AiState = 1;
    first->m_Fish[1]->m_Hp = 7;
    first->m_Fish[1]->m_Pos = D3DXVECTOR3(-2.5f, 0.0f, 3.25f);
    const std::string line = TraceLine(4, "GameUpdate");
    EXPECT_NE(line.find("\"school\":[{\"ai\":1,\"hp\":20,\"x\":0,\"z\":40},{\"ai\":0,\"hp\":7,\"x\":-2.5,"
                        "\"z\":3.25},{\"ai\":0,\"hp\":20,\"x\":200,\"z\":40}]"),
              std::string::npos)
        << line;
    // The anemones themselves still count their fish in the creatures list.
    EXPECT_NE(
        line.find("{\"type\":\"anemone\",\"mode\":0,\"hp\":600,\"fish\":2},{\"type\":\"anemone\",\"mode\":0,"
                  "\"hp\":600,\"fish\":1}"),
        std::string::npos)
        << line;
    ReleaseObjects();
    EXPECT_NE(TraceLine(5, "GameUpdate").find("\"school\":[]"), std::string::npos);
}
