// The football's behaviour: waking, rising, shot hits and stuns, the charge, the bite and the death.
#include "FootballTestSupport.h"
#include "WaveTestWriter.h"
#include "tests/support/ScratchDir.h"

#include "assets/Sound.h"
#include "world/Collision.h"

namespace {

using FootballTest = CreatureFixture;

float FlatDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z));
}

// Runs updates until the charge has handed over to the hold (phase 2); returns the frames it took.
int RunBackOff(CFootball* f) {
    int frames = 0;
    while (f->m_ChargePhase != 2 && frames < 1000) {
        f->Update();
        ++frames;
    }
    return frames;
}

} // namespace

TEST_F(FootballTest, APlayer25AwayWakesItWithADustRingAndOneExactly30AwayDoesNot) {
    // Exactly 30 to the side: 900 is not below 900. Height does not count.
    CPlayer* player = AddPlayer(D3DXVECTOR3(130.0f, 40.0f, 100.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(100.0f, 0.0f, 100.0f));
    for (int i = 0; i < 5; ++i)
        f->Update();
    EXPECT_EQ(f->m_AiState, 0);
    EXPECT_TRUE(EffectList.empty());

    // 25 away (15 and 20 on the two axes); the player's hit points are not looked at.
    player->m_Pos = D3DXVECTOR3(115.0f, 40.0f, 120.0f);
    player->m_Hp = 0;
    f->Update();
    EXPECT_EQ(f->m_AiState, 1);
    ASSERT_EQ(EffectList.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        CDust* dust = dynamic_cast<CDust*>(EffectList[i]);
        ASSERT_NE(dust, nullptr);
        const float a = 45.0f * i * 0.017453292f;
        EXPECT_NEAR(dust->m_Pos.x, 100.0f + 10.0f * std::sin(a), 1e-4f) << i;
        EXPECT_EQ(dust->m_Pos.y, 10.0f) << i; // a fixed height
        EXPECT_NEAR(dust->m_Pos.z, 100.0f + 10.0f * std::cos(a), 1e-4f) << i;
        EXPECT_EQ(dust->m_bDead, 0);
    }
    // It does not wake twice.
    f->Update();
    EXPECT_EQ(EffectList.size(), 8u);
}

TEST_F(FootballTest, RisesUntil13ThenChases) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, 20.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    f->Update(); // wakes
    ASSERT_EQ(f->m_AiState, 1);
    int rising = 0;
    float last = f->m_Pos.y;
    while (f->m_AiState == 1 && rising < 100) {
        f->Update();
        if (f->m_AiState == 1) {
            EXPECT_NEAR(f->m_Pos.y - last, 0.7f, 1e-4f);
            last = f->m_Pos.y;
        }
        ++rising;
    }
    // 19 frames of 0.7 reach 13.3; the next frame finds 13 or more and starts the chase.
    EXPECT_EQ(rising, 20);
    EXPECT_EQ(f->m_AiState, 3);
    EXPECT_NEAR(f->m_Pos.y, 13.3f, 1e-3f);
}

TEST_F(FootballTest, AFarShotWakesItWithTheDustSound) {
    ScratchDir dir("football");
    ASSERT_FALSE(dir.Path().empty());
    const std::string dustWav = dir.File("dust.wav");
    ASSERT_TRUE(
        wavetest::WriteFile(dustWav, wavetest::PcmWave(2, 44100, 16, wavetest::Constant16(2 * 2000, -2000))));
    DirectSoundUseManualMixer(true);
    InitSound();
    ASSERT_NE(g_pDSound, nullptr);
    ASSERT_TRUE(LoadWave(&g_DustVoices[0], dustWav.c_str()));

    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, -300.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    f->Update();
    DWORD status = 0;
    g_DustVoices[0]->GetStatus(&status);
    EXPECT_FALSE(status & DSBSTATUS_PLAYING);
    EXPECT_EQ(f->m_AiState, 0);

    AddShot(D3DXVECTOR3(4.0f, 30.0f, -3.0f));
    f->Update();
    EXPECT_EQ(f->m_AiState, 1);
    EXPECT_EQ(f->m_Hp, 699);
    EXPECT_EQ(CountIn<CDust>(EffectList), 8);
    g_DustVoices[0]->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);
    LONG volume = 0;
    g_DustVoices[0]->GetVolume(&volume);
    EXPECT_EQ(volume, -1500);
    f->Update();
    EXPECT_GT(f->m_Pos.y, 0.0f); // rising

    UninitSound();
    DirectSoundUseManualMixer(false);
}

TEST_F(FootballTest, TwoShotsInOneFrameTakeTwoPointsAndMakeSixteenSprays) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, -300.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(50.0f, 0.0f, 50.0f));
    const D3DXVECTOR3 p1(55.0f, 8.0f, 55.0f), p2(47.0f, -2.0f, 58.0f);
    CBullet* a = AddShot(p1);
    CBullet* edge = AddShot(D3DXVECTOR3(63.0f, 0.0f, 50.0f)); // exactly 13 away: no hit
    CBullet* b = AddShot(p2);
    std::vector<CBullet*> others;
    for (int kind : {1, 10, 11, 13})
        others.push_back(AddShot(f->m_Pos, kind));
    CBullet* spent = AddShot(f->m_Pos);
    spent->m_bDead = 1;

    f->Update();
    EXPECT_EQ(f->m_Hp, 698);
    EXPECT_EQ(a->m_bDead, 1);
    EXPECT_EQ(b->m_bDead, 1);
    EXPECT_EQ(edge->m_bDead, 0);
    for (CBullet* o : others)
        EXPECT_EQ(o->m_bDead, 0) << o->m_Kind;
    EXPECT_EQ(f->m_StunCount, 2);
    EXPECT_EQ(f->m_ShakeTime, 14); // 15 after the hit, one frame of shaking already
    ASSERT_EQ(ShotRequestQueue.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        const ShotRequest& r = ShotRequestQueue[i];
        EXPECT_EQ(r.Kind, 10);
        EXPECT_EQ(r.Speed, 0.5f);
        EXPECT_EQ(r.Life, 10);
        EXPECT_EQ(r.Angle, 45.0f * (i % 8));
        EXPECT_TRUE(r.Pos == (i < 8 ? p1 : p2)) << i;
    }
}

TEST_F(FootballTest, StunsAtThe201stHitThenAtThe301stAfterTheStunEnded) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, -500.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    for (int hit = 1; hit <= 200; ++hit)
        HitOnce(f);
    EXPECT_NE(f->m_AiState, 6);
    EXPECT_EQ(f->m_StunCount, 200);
    HitOnce(f);
    EXPECT_EQ(f->m_AiState, 6);
    EXPECT_EQ(f->m_StunCount, 0);
    EXPECT_EQ(f->m_StunHits, 300.0f);

    // While stunned the count runs with the frames; hits still cost hit points but are not counted.
    for (int i = 0; i < 10; ++i)
        HitOnce(f);
    EXPECT_EQ(f->m_StunCount, 10);
    EXPECT_EQ(f->m_Hp, 700 - 211);
    const D3DXVECTOR3 still = f->m_Pos;
    int frames = 10;
    while (f->m_AiState == 6 && frames < 1000) {
        f->Update();
        ++frames;
    }
    EXPECT_EQ(frames, 301); // the stun ends when the count passes 300
    EXPECT_TRUE(f->m_Pos == still);
    EXPECT_EQ(f->m_AiState, 3);
    EXPECT_EQ(f->m_StunCount, 0);
    EXPECT_EQ(f->m_StarSpin, 0.0f);
    EXPECT_FLOAT_EQ(f->m_StunTime, 270.0f);

    for (int hit = 1; hit <= 300; ++hit)
        HitOnce(f);
    EXPECT_NE(f->m_AiState, 6);
    HitOnce(f);
    EXPECT_EQ(f->m_AiState, 6);
    EXPECT_EQ(f->m_StunHits, 450.0f);
}

TEST_F(FootballTest, ChaseTurnsAtMostFiveDegreesAndTurnsIntoAChargeAfter200Frames) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(10.0f, 13.0f, 50.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
    f->m_AiState = 3;
    // Heading 180 faces -z; the player lies at about 11 degrees: the short way round is downwards.
    f->Update();
    EXPECT_NEAR(f->m_Angle, 175.0f, 1e-3f);
    for (int i = 0; i < 60; ++i)
        f->Update();
    // Facing the player now; the acos of a dot product of about 1 gives no turn and no NaN.
    const float towards = std::atan2(player->m_Pos.x - f->m_Pos.x, player->m_Pos.z - f->m_Pos.z) * 57.295776f;
    EXPECT_TRUE(std::isfinite(f->m_Angle));
    EXPECT_NEAR(f->m_Angle, towards, 0.2f);
    f->m_StateTimer = 200;
    f->Update();
    EXPECT_EQ(f->m_AiState, 5);
    EXPECT_EQ(f->m_StateTimer, 0);

    // A charge chosen while the player is 70 or more away gives way to wandering.
    f->m_AiState = 3;
    f->m_StateTimer = 200;
    player->m_Pos = D3DXVECTOR3(0.0f, 13.0f, 100.0f);
    f->Update();
    EXPECT_EQ(f->m_AiState, 2);
}

TEST_F(FootballTest, AHomeInsideARockIsLeftOnTheFirstMove) {
    AddPlayer(D3DXVECTOR3(0.0f, 6.0f, 30.0f));
    CRock* rock = NewObject<CRock>(0);
    rock->m_Type = 14;
    rock->m_Radius = 10.0f;
    rock->m_Pos = D3DXVECTOR3(2.0f, 0.0f, 1.0f);
    ObstacleList.push_back(rock);
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
    f->m_AiState = 3;
    f->Update();
    EXPECT_GE(FlatDistance(f->m_Pos, rock->m_Pos), 23.0f);
    EXPECT_TRUE(f->m_Home == D3DXVECTOR3(0.0f, 13.0f, 0.0f));
}

TEST_F(FootballTest, ChargeBacksOff131FramesHolds70AndLungesUntilSlowerThan005) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
    f->m_Angle = 90.0f; // facing +x
    f->m_AiState = 5;
    const D3DXVECTOR3 start = f->m_Pos;
    for (int frame = 1; frame <= 80; ++frame) {
        f->Update();
        EXPECT_EQ(f->m_Jaw, 10.0f + 0.5f * frame) << frame;
        EXPECT_EQ(f->m_PulseSpeed, 0.5f);
        EXPECT_EQ(f->m_bBiting, 0);
    }
    EXPECT_EQ(f->m_Jaw, 50.0f); // open after 80 frames, and no further
    const int backOff = 80 + RunBackOff(f);
    EXPECT_EQ(backOff, 131);
    EXPECT_EQ(f->m_Jaw, 50.0f);
    EXPECT_NEAR(start.x - f->m_Pos.x, 26.2f, 1e-3f);
    EXPECT_EQ(f->m_bBiting, 1); // ready from the hand-over frame on
    EXPECT_EQ(f->m_StateTimer, 1);

    // 69 more still frames (70 with the hand-over frame).
    const D3DXVECTOR3 held = f->m_Pos;
    for (int i = 0; i < 69; ++i)
        f->Update();
    EXPECT_TRUE(f->m_Pos == held);
    EXPECT_EQ(f->m_bBiting, 1);

    // The lunge: as many frames as 4 x 0.94^n needs to fall below 0.05.
    float v = 4.0f;
    int expected = 0;
    do {
        v *= 0.94f;
        ++expected;
    } while (v >= 0.05f);
    EXPECT_EQ(expected, 71);
    int lunge = 0;
    while (f->m_AiState == 5 && lunge < 1000) {
        f->Update();
        ++lunge;
        if (lunge == 1) {
            EXPECT_NEAR(f->m_Pos.x - held.x, 3.76f, 1e-4f);
        }
        if (lunge <= 34) {
            EXPECT_EQ(f->m_bBiting, 1) << lunge;
            EXPECT_EQ(f->m_PulseSpeed, 0.5f) << lunge;
        } else {
            EXPECT_EQ(f->m_bBiting, 0) << lunge; // the jaw has shut
            EXPECT_EQ(f->m_PulseSpeed, 0.03f) << lunge;
        }
    }
    EXPECT_EQ(lunge, expected);
    EXPECT_LT(D3DXVec3Length(&f->m_ChargeVel), 0.05f);
    EXPECT_EQ(f->m_AiState, 3);
    EXPECT_EQ(f->m_ChargePhase, 0);
    EXPECT_EQ(f->m_StateTimer, 0);
    EXPECT_LE(f->m_Jaw, 10.0f);
}

TEST_F(FootballTest, BiteTakes100FromEachOfThePlayersSideEveryFrameOfContactFromTheStillFramesOn) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CJelly* follower = AddJelly(D3DXVECTOR3(500.0f, 6.0f, 520.0f), 2);
    CJelly* stray = AddJelly(D3DXVECTOR3(500.0f, 6.0f, 540.0f), 1);
    CJelly* swept = AddJelly(D3DXVECTOR3(500.0f, 6.0f, 560.0f), 2);
    CJelly* edge = AddJelly(D3DXVECTOR3(500.0f, 6.0f, 580.0f), 2);
    swept->m_bDead = 1;
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
    f->m_Angle = 0.0f; // facing +z exactly: it backs off along z only
    f->m_AiState = 5;
    ASSERT_EQ(RunBackOff(f), 131);
    for (CObjectBase* a : std::vector<CObjectBase*>{player, follower, stray, swept, edge})
        a->m_Hp = 1000;
    const D3DXVECTOR3 c = f->m_Pos;
    player->m_Pos = c + D3DXVECTOR3(5.0f, -7.0f, 5.0f);
    follower->m_Pos = c + D3DXVECTOR3(0.0f, 0.0f, -12.9f);
    stray->m_Pos = c;
    swept->m_Pos = c;
    edge->m_Pos = c + D3DXVECTOR3(13.0f, 0.0f, 0.0f); // 169 is not below 169

    f->Update(); // a still frame
    EXPECT_TRUE(f->m_Pos == c);
    EXPECT_EQ(player->m_Hp, 900);
    EXPECT_EQ(follower->m_Hp, 900);
    EXPECT_EQ(stray->m_Hp, 1000);
    EXPECT_EQ(swept->m_Hp, 1000);
    EXPECT_EQ(edge->m_Hp, 1000);
    EXPECT_NEAR(D3DXVec3Length(&f->m_ChargeVel), 4.0f * 0.7f * 0.7f, 1e-4f);
    f->Update();
    EXPECT_EQ(player->m_Hp, 800);
    EXPECT_EQ(follower->m_Hp, 800);

    // No bite outside the charge, even in full contact.
    f->m_AiState = 3;
    f->m_ChargePhase = 0;
    f->m_bBiting = 0;
    player->m_Hp = 100;
    player->m_Pos = c;
    f->Update();
    EXPECT_EQ(player->m_Hp, 100);
}

TEST_F(FootballTest, AHundredHitPointPlayerDiesOnTheFirstFrameOfContact) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
    f->m_Angle = 90.0f;
    f->m_AiState = 5;
    RunBackOff(f);
    player->m_Pos = f->m_Pos;
    f->Update();
    EXPECT_EQ(player->m_Hp, 0);
}

TEST_F(FootballTest, DeathInStage1LowersTheTargetsBy36AndBursts36Bubbles) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    g_TargetCount = 1;
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(10.0f, 13.0f, 20.0f));
    f->m_AiState = 2;
    f->m_Hp = 1;
    HitOnce(f);
    EXPECT_EQ(f->m_AiState, 4);
    EXPECT_EQ(f->m_bDying, 1);
    EXPECT_EQ(g_TargetCount, 1 - 36);
    ASSERT_EQ(CountIn<CBubble>(EffectList), 36);
    for (CObjectBase* b : EffectList) {
        EXPECT_LT(FlatDistance(b->m_Pos, D3DXVECTOR3(10.0f, 0.0f, 20.0f)), 19.01f);
        EXPECT_GE(b->m_Pos.y, 13.0f - 5.0f);
        EXPECT_LE(b->m_Pos.y, 13.0f + 4.0f);
    }
    // Once dead: no more bubbles, no more hits taken, never leaves its list.
    CBullet* shot = AddShot(f->m_Pos);
    for (int i = 0; i < 10; ++i)
        f->Update();
    EXPECT_EQ(shot->m_bDead, 0);
    EXPECT_EQ(CountIn<CBubble>(EffectList), 36);
    EXPECT_EQ(g_TargetCount, -35);
    EXPECT_EQ(f->m_AiState, 4);
    EXPECT_EQ(f->m_bDead, 0);
}

TEST_F(FootballTest, DeathInOtherStagesLeavesTheTargetsAlone) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    for (int stage : {0, 2, 3, 4}) {
        g_StageNo = stage;
        g_TargetCount = 3;
        EffectList.clear();
        CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        f->m_Hp = 1;
        HitOnce(f);
        EXPECT_EQ(f->m_AiState, 4) << stage;
        EXPECT_EQ(g_TargetCount, 3) << stage;
        EXPECT_EQ(CountIn<CBubble>(EffectList), 36) << stage;
    }
}

TEST_F(FootballTest, AStunnedOrChargingFootballDiesAtOnce) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    for (int state : {5, 6}) {
        CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
        f->m_AiState = state;
        f->m_Hp = 1;
        HitOnce(f);
        EXPECT_EQ(f->m_AiState, 4) << state;
    }
}

TEST_F(FootballTest, TheDeadBodySinksRollsOverAndOpensItsJaw) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    CFootball* f = AddCreature<CFootball>(D3DXVECTOR3(0.0f, 13.0f, 0.0f));
    f->m_Hp = 1;
    HitOnce(f);
    for (int i = 0; i < 300; ++i)
        f->Update();
    EXPECT_EQ(f->m_Roll, 100.0f);
    EXPECT_EQ(f->m_Jaw, 50.0f);
    EXPECT_LE(f->m_Pos.y, 2.5f);
    EXPECT_GT(f->m_Pos.y, 2.39f);
    EXPECT_EQ(f->m_ShakeTime, 0);
}
