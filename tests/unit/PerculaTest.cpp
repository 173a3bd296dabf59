// The fish: its start, leaving and sinking from its anemone, the chase and the lunge, the single bite, its
// death after twenty hits, and the stage's end.
#include "CreatureTestSupport.h"

#include "WaveTestWriter.h"
#include "tests/support/ScratchDir.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "creatures/Anemone.h"
#include "creatures/Percula.h"
#include "player/Jelly.h"
#include "world/Stage.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

class Percula : public ReefFixture {
  protected:
    // A fish with its own home, initialised, in no list (as an anemone keeps it).
    static CPercula* MakeFish(const D3DXVECTOR3& pos, const D3DXVECTOR3& home) {
        CPercula* fish = NewObject<CPercula>(home);
        fish->m_Pos = pos;
        fish->Init();
        return fish;
    }
    // An anemone in ActorList with the fields the fish read (no crown, no school of its own).
    static CObjectBase* AddBareAnemone(const D3DXVECTOR3& pos) {
        CAnemone* anemone = NewObject<CAnemone>();
        anemone->m_Pos = pos;
        anemone->m_Type = 3;
        anemone->m_Radius = 17.5f;
        anemone->m_Hp = 600;
        ActorList.push_back(anemone);
        return anemone;
    }
};

} // namespace

TEST_F(Percula, AFishOfTheStageFileHasItsStartAsHomeAndStartsQuiet) {
    namespace fs = std::filesystem;
    ScratchDir dir("percula");
    ASSERT_FALSE(dir.Path().empty());
    fs::create_directory(dir.File("data"));
    std::ofstream(dir.File("data/stage2.csv")) << "type,x,y,z\n5,10,6,-20\n3,100,0,100\n";
    {
        ScopedWorkingDir cwd(dir.Path());
        ASSERT_TRUE(cwd.Ok());
        AddPlayer(D3DXVECTOR3(0.0f, 6.0f, 300.0f));
        LoadStage();
        InitAll();
    }

    ASSERT_EQ(ActorList.size(), 3u);
    auto* fish = dynamic_cast<CPercula*>(ActorList[1]);
    ASSERT_NE(fish, nullptr);
    EXPECT_EQ(fish->m_Home, D3DXVECTOR3(10.0f, 6.0f, -20.0f));
    EXPECT_EQ(fish->m_Hp, 20);
    EXPECT_EQ(fish->m_AiState, 0);
    EXPECT_EQ(fish->m_State, 0); // not on the player's side: other creatures leave it alone
    EXPECT_EQ(fish->m_bBiting, 0);
    EXPECT_EQ(fish->m_bDead, 0);
    EXPECT_EQ(fish->m_Vel, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(fish->m_Radius, 10.0f);
    EXPECT_EQ(fish->m_pMesh, &g_MeshPercula);
    EXPECT_EQ(g_TargetCount, 1); // the anemone counts in stage 2, the fish never

    // An anemone's fish keeps the home it was given.
    CPercula* owned = MakeFish(D3DXVECTOR3(40.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(owned->m_Home, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}

TEST_F(Percula, AFishBredInsideItsAnemoneIsNotPushedOutUntilItHasSwumClear) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f)); // far away: the fish only circles
    const D3DXVECTOR3 centre(0.0f, 4.0f, 0.0f);
    AddBareAnemone(centre);
    CPercula* fish = MakeFish(D3DXVECTOR3(0.0f, 13.0f, 0.0f), centre);

    float lastDist = 0.0f;
    int frames = 0;
    while (fish->m_bOutOfAnemone == 0 && frames < 2000) {
        fish->Update();
        ++frames;
        const float dist = HorizontalDist(fish->m_Pos, centre);
        if (fish->m_bOutOfAnemone == 1) {
            EXPECT_GE(dist, 27.5f); // 17.5 + 10: no longer overlapping
            break;
        }
        ASSERT_LT(dist, 27.5f);
        ASSERT_LE(dist - lastDist, 0.1001f) << "pushed at frame " << frames;
        ASSERT_FLOAT_EQ(fish->m_Pos.y, 13.0f) << "sank while still inside";
        lastDist = dist;
    }
    ASSERT_EQ(fish->m_bOutOfAnemone, 1);
    EXPECT_GT(frames, 100);

    // From now on it is kept out and sinks to the floor.
    float y = fish->m_Pos.y;
    EXPECT_LT(y, 13.0f);
    for (int i = 0; i < 1200; ++i) {
        fish->Update();
        ASSERT_GE(HorizontalDist(fish->m_Pos, centre), 27.5f) << i;
        if (y > 0.0f) {
            ASSERT_NEAR(fish->m_Pos.y, y - 0.05f, 1e-4f);
        } else {
            ASSERT_EQ(fish->m_Pos.y, y);
        }
        y = fish->m_Pos.y;
    }
    EXPECT_LE(y, 0.0f);
    EXPECT_GT(y, -0.05f);
}

TEST_F(Percula, AFishFortyUnitsOutSinksAtOnceFromTheAnemonesHeight) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    const D3DXVECTOR3 centre(0.0f, 5.0f, 0.0f);
    AddBareAnemone(centre);
    CPercula* fish = MakeFish(D3DXVECTOR3(40.0f, 5.0f, 0.0f), centre);
    fish->Update();
    EXPECT_EQ(fish->m_bOutOfAnemone, 1);
    EXPECT_FLOAT_EQ(fish->m_Pos.y, 4.95f);
    int frames = 1;
    while (fish->m_Pos.y > 0.0f && frames < 1000) {
        fish->Update();
        ++frames;
    }
    EXPECT_NEAR(frames, 100, 1);
    EXPECT_GT(fish->m_Pos.y, -0.05f);
}

TEST_F(Percula, ChaseBackOffStillFramesAndLungeRunOnTheirTimers) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    player->m_Hp = 1000; // survives every bite
    CPercula* fish = MakeFish(D3DXVECTOR3(0.0f, 0.0f, 35.0f), D3DXVECTOR3(0.0f, 0.0f, 35.0f));

    fish->Update(); // wandering, finds the player within 40
    EXPECT_EQ(fish->m_AiState, 1);
    int chaseFrames = 0;
    while (fish->m_AiState == 1 && chaseFrames < 500) {
        fish->Update();
        ++chaseFrames;
    }
    EXPECT_EQ(chaseFrames, 201);
    EXPECT_EQ(fish->m_AiState, 3);
    // Facing the player after the chase; it swam at most 0.05 a frame.
    EXPECT_NEAR(fish->m_Angle, 180.0f, 5.0f);
    const D3DXVECTOR3 start = fish->m_Pos;
    EXPECT_GT(HorizontalDist(start, player->m_Pos), 35.0f - 202 * 0.05f - 0.01f);

    // Backing off: 131 frames of 0.2, the bite not yet ready.
    for (int i = 0; i < 130; ++i) {
        fish->Update();
        ASSERT_EQ(fish->m_bBiting, 0) << i;
        ASSERT_EQ(fish->m_ChargePhase, 1) << i;
    }
    fish->Update();
    EXPECT_EQ(fish->m_ChargePhase, 2);
    EXPECT_EQ(fish->m_bBiting, 1);
    EXPECT_NEAR(HorizontalDist(fish->m_Pos, start), 131 * 0.2f, 0.05f);

    // Seventy still frames with the bite ready, then the lunge carries it toward the player and past.
    const D3DXVECTOR3 backed = fish->m_Pos;
    for (int i = 0; i < 69; ++i)
        fish->Update();
    EXPECT_EQ(fish->m_Pos, backed);
    int hpBefore = player->m_Hp;
    int lungeFrames = 0;
    while (fish->m_AiState == 3 && lungeFrames < 200) {
        fish->Update();
        ++lungeFrames;
    }
    EXPECT_NEAR(lungeFrames, 71, 1);
    EXPECT_EQ(fish->m_AiState, 1);
    EXPECT_EQ(fish->m_bBiting, 0);
    EXPECT_EQ(player->m_Hp, hpBefore - 20); // one bite for the whole lunge
    EXPECT_EQ(player->m_bHit, 1);
}

TEST_F(Percula, ALungeThatReachesThePlayerAndAFollowerInOneFrameBitesBothOnce) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(-3.0f, 6.0f, 0.0f));
    auto* follower = NewObject<CJelly>();
    follower->m_Pos = D3DXVECTOR3(3.0f, 6.0f, 0.0f);
    follower->m_State = 2;
    follower->m_Type = 1;
    follower->m_Hp = 50;
    ActorList.push_back(follower);
    auto* stray = NewObject<CJelly>(); // not on the player's side
    stray->m_Pos = D3DXVECTOR3(0.0f, 6.0f, 2.0f);
    stray->m_State = 1;
    stray->m_Hp = 100;
    ActorList.push_back(stray);
    auto* gone = NewObject<CJelly>(); // a follower already marked dead
    gone->m_Pos = D3DXVECTOR3(0.0f, 6.0f, -2.0f);
    gone->m_State = 2;
    gone->m_Hp = 50;
    gone->m_bDead = 1;
    ActorList.push_back(gone);

    // Lunging along +z from 40 away, the still frames already over.
    CPercula* fish = MakeFish(D3DXVECTOR3(0.0f, 6.0f, -40.0f), D3DXVECTOR3(0.0f, 6.0f, -40.0f));
    fish->m_AiState = 3;
    fish->m_ChargePhase = 2;
    fish->m_StateTimer = 70;
    fish->m_bBiting = 1;
    fish->m_ChargeVel = D3DXVECTOR3(0.0f, 0.0f, 4.0f);

    int frame = 0;
    while (player->m_Hp == 100 && frame < 100) {
        fish->Update();
        ++frame;
        // Out of reach until the frame that reaches both.
        if (player->m_Hp == 100) {
            ASSERT_EQ(follower->m_Hp, 50) << frame;
        }
    }
    EXPECT_EQ(player->m_Hp, 80);
    EXPECT_EQ(follower->m_Hp, 30);
    EXPECT_EQ(player->m_bHit, 1);
    EXPECT_EQ(follower->m_bHit, 1);
    EXPECT_EQ(stray->m_Hp, 100);
    EXPECT_EQ(gone->m_Hp, 50);
    EXPECT_EQ(fish->m_bBiting, 0);

    // The lunge goes on through them without biting again.
    for (int i = 0; i < 60; ++i)
        fish->Update();
    EXPECT_EQ(player->m_Hp, 80);
    EXPECT_EQ(follower->m_Hp, 30);
}

namespace {

// The sound device with a mixer the test drives, and the three effect pools loaded from small files.
class PerculaSound : public Percula {
  protected:
    void SetUp() override {
        Percula::SetUp();
        std::filesystem::create_directory(m_Dir.File("sound"));
        m_Cwd.reset(new ScopedWorkingDir(m_Dir.Path()));
        ASSERT_TRUE(m_Cwd->Ok());
        const wavetest::Bytes wave = wavetest::PcmWave(1, 11025, 8, wavetest::Bytes(1100, 0xA0));
        for (const char* name : {"sound/shot.wav", "sound/bubble.wav", "sound/dust.wav"})
            ASSERT_TRUE(wavetest::WriteFile(name, wave));
        DirectSoundUseManualMixer(true);
        InitSound();
        LoadSounds();
    }
    void TearDown() override {
        UninitSound();
        DirectSoundUseManualMixer(false);
        m_Cwd.reset();
        Percula::TearDown();
    }
    static bool Playing(IDirectSoundBuffer8* voice) {
        DWORD status = 0;
        if (voice) voice->GetStatus(&status);
        return (status & DSBSTATUS_PLAYING) != 0;
    }

    ScratchDir m_Dir{"percula"};
    std::unique_ptr<ScopedWorkingDir> m_Cwd;
};

} // namespace

TEST_F(PerculaSound, TwentyShotsKillAFishWithEightSlowSpraysAndABubbleOneFrameLater) {
    ASSERT_NE(g_BubbleVoices[0], nullptr) << "the bubble pool did not load";
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    const D3DXVECTOR3 at(10.0f, 0.0f, 10.0f);
    CPercula* fish = MakeFish(at, at);

    // Nineteen hits in one frame: each counts, each makes eight quick sprays at the shot.
    for (int i = 0; i < 19; ++i)
        AddShot(at + D3DXVECTOR3(0.5f * static_cast<float>(i % 5), 0.0f, 0.0f));
    AddShot(at, 1);                               // an enemy shot passes through
    AddShot(at + D3DXVECTOR3(10.0f, 0.0f, 0.0f)); // exactly at the radius: a miss
    fish->Update();
    EXPECT_EQ(fish->m_Hp, 1);
    EXPECT_EQ(fish->m_AiState, 1); // a hit wakes a wandering fish
    EXPECT_EQ(fish->m_ShakeTime, 14);
    ASSERT_EQ(ShotRequestQueue.size(), 19u * 8u);
    EXPECT_FLOAT_EQ(ShotRequestQueue[0].Speed, 0.5f);
    EXPECT_EQ(ShotRequestQueue[0].Life, 10);
    EXPECT_EQ(ShotRequestQueue[0].Kind, 10);
    EXPECT_EQ(ShotList[19]->m_bDead, 0);
    EXPECT_EQ(ShotList[20]->m_bDead, 0);
    ShotRequestQueue.clear();
    ShotList.clear(); // the shots that missed fly on elsewhere

    // The twentieth hit kills it; it bursts on its next frame.
    AddShot(fish->m_Pos);
    fish->Update();
    EXPECT_EQ(fish->m_Hp, 0);
    EXPECT_EQ(fish->m_AiState, 2);
    EXPECT_EQ(fish->m_bDead, 0);
    EXPECT_FALSE(Playing(g_BubbleVoices[0]));
    ShotRequestQueue.clear();

    const D3DXVECTOR3 where = fish->m_Pos;
    fish->Update();
    EXPECT_EQ(fish->m_bDead, 1);
    ASSERT_EQ(ShotRequestQueue.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(ShotRequestQueue[i].Angle, 45.0f * static_cast<float>(i));
        EXPECT_EQ(ShotRequestQueue[i].Pos, where);
        EXPECT_EQ(ShotRequestQueue[i].Kind, 10);
        EXPECT_FLOAT_EQ(ShotRequestQueue[i].Speed, 0.1f);
        EXPECT_EQ(ShotRequestQueue[i].Life, 70);
    }
    EXPECT_TRUE(Playing(g_BubbleVoices[0]));
    LONG volume = 0;
    g_BubbleVoices[0]->GetVolume(&volume);
    EXPECT_EQ(volume, -1900);
    EXPECT_FALSE(Playing(g_BubbleVoices[1]));
}

TEST_F(Percula, WhenTheStageIsOverFishCircleTheirHomesButAKilledFishStillBursts) {
    CPlayer* player = AddPlayer(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    CPercula* chaser = MakeFish(D3DXVECTOR3(0.0f, 0.0f, 30.0f), D3DXVECTOR3(0.0f, 0.0f, 30.0f));
    chaser->Update();
    ASSERT_EQ(chaser->m_AiState, 1);

    // The player dies: the chase ends and the fish circle (and the chase step alone would say so too).
    player->m_Hp = 0;
    g_StageState = 1;
    for (int i = 0; i < 5; ++i) {
        chaser->Update();
        EXPECT_EQ(chaser->m_AiState, 0);
    }

    // A fish killed after the stage ended is not kept alive at zero hit points.
    CPercula* victim = MakeFish(D3DXVECTOR3(50.0f, 0.0f, 0.0f), D3DXVECTOR3(50.0f, 0.0f, 0.0f));
    victim->m_Hp = 1;
    AddShot(victim->m_Pos);
    victim->Update();
    EXPECT_EQ(victim->m_AiState, 2);
    victim->Update();
    EXPECT_EQ(victim->m_bDead, 1);
}

TEST_F(Percula, AReturningFishSwimsHomeAndSaysSoWithinFifteen) {
    AddPlayer(D3DXVECTOR3(500.0f, 6.0f, 500.0f));
    const D3DXVECTOR3 home(0.0f, 0.0f, 0.0f);
    CPercula* fish = MakeFish(D3DXVECTOR3(0.0f, 0.0f, 50.0f), home);
    fish->m_AiState = 4;
    int frames = 0;
    while (fish->m_bAtHome == 0 && frames < 1000) {
        fish->Update();
        ++frames;
        if (fish->m_bAtHome == 0) {
            ASSERT_GE(HorizontalDist(fish->m_Pos, home), 15.0f);
        }
    }
    EXPECT_EQ(fish->m_bAtHome, 1);
    EXPECT_LT(HorizontalDist(fish->m_Pos, home), 15.0f);
    EXPECT_FLOAT_EQ(fish->m_MaxSpeed, 0.2f);
    // It turned round (36 frames at 5 degrees) and then came at 0.2 a frame.
    EXPECT_GT(frames, 35 / 0.2);
    EXPECT_LT(frames, 36 + 40 / 0.2);
    EXPECT_EQ(fish->m_bDead, 0); // only its anemone takes it away
}
