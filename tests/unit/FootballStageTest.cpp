// A football in a whole stage on a recording device: loaded from the stage file, shot down frame after
// frame by shots of the player's side, and the stage cleared by the scene's own clear test. Also the
// creatures in the trace.
#include "FootballTestSupport.h"

#include "app/Direct3D.h"
#include "app/Trace.h"
#include "app/WinMain.h"
#include "tests/support/ScratchDir.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

class FootballStage : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().fast = true;
        win32::ResetVirtualClock();
        win32::ResetMessages();
        ResetSceneGlobals();
        ReleaseObjects();
        ShotRequestQueue.clear();
        ASSERT_FALSE(m_Scratch.Path().empty());
        m_Dir = m_Scratch.Path();
        std::filesystem::create_directory(m_Dir / "data");
        m_Cwd.reset(new ScopedWorkingDir(m_Scratch.Path()));
        ASSERT_TRUE(m_Cwd->Ok());
        g_hWnd = nullptr; // no window: the device records
        ASSERT_NE(InitDirect3D(0), nullptr);
        srand(5);
    }
    void TearDown() override {
        ReleaseObjects();
        ShotRequestQueue.clear();
        if (g_pSprite) g_pSprite->Release();
        g_pSprite = nullptr;
        ReleaseDirect3D();
        ResetSceneGlobals();
        win32::ResetMessages();
        ResetRun();
        g_GlowPhase = 0.0f;
        m_Cwd.reset();
        SetObjectArena(ObjectArena::Program);
    }
    void EnterStage(int stageNo, const std::string& records) {
        std::ofstream(m_Dir / "data" / ("stage" + std::to_string(stageNo) + ".csv")) << "type,x,y,z\n"
                                                                                     << records;
        AppInit();
        g_StageNo = stageNo;
        g_SceneId = 1;
        GameInit();
    }
    CFootball* FirstCreature() {
        for (CObjectBase* a : ActorList)
            if (CFootball* f = dynamic_cast<CFootball*>(a)) return f;
        return nullptr;
    }
    // Frames of the stage until its state leaves 0 (at most limit), with `perFrame` shots of the player's
    // side laid over the creature before every frame in which the world moves.
    int ShootUntilTheStageEnds(int perFrame, int limit) {
        CFootball* f = FirstCreature();
        int frames = 0;
        while (g_StageState == 0 && frames < limit) {
            if (g_FadeMode == 0) {
                for (int i = 0; i < perFrame; ++i) {
                    CBullet* shot = NewObject<CBullet>();
                    shot->m_Kind = 0;
                    shot->m_Pos = f->m_Pos + D3DXVECTOR3((float)i, 0.0f, 0.0f);
                    D3DXMatrixTranslation(&shot->m_mTrans, shot->m_Pos.x, shot->m_Pos.y, shot->m_Pos.z);
                    ShotList.push_back(shot);
                }
            }
            GameUpdate();
            ++frames;
        }
        return frames;
    }

    ScratchDir m_Scratch{"stage"};
    std::unique_ptr<ScopedWorkingDir> m_Cwd;
    std::filesystem::path m_Dir;
};

} // namespace

TEST_F(FootballStage, ShootingTheFootballOfStage1DownClearsTheStage) {
    EnterStage(1, "2,60,0,-100\n");
    ASSERT_EQ(g_TargetCount, 1);
    CFootball* f = FirstCreature();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->m_Hp, 700); // initialised by the stage set-up
    const int frames = ShootUntilTheStageEnds(8, 2000);
    EXPECT_LT(frames, 2000);
    EXPECT_EQ(g_StageState, 2);
    EXPECT_LE(g_TargetCount, 0);
    EXPECT_EQ(g_TargetCount, 1 - 36);
    EXPECT_EQ(f->m_AiState, 4);
    EXPECT_GT(ActorList[0]->m_Hp, 0); // the player never came to harm
    EXPECT_EQ(CountIn<CBubble>(EffectList), 36);
    // The hit sprays went through the shot pass: eight kind-10 shots for every hit.
    int sprays = 0;
    for (CObjectBase* s : ShotList)
        if (s->m_Kind == 10) ++sprays;
    EXPECT_GT(sprays, 0);
    EXPECT_EQ(sprays % 8, 0);
}

TEST_F(FootballStage, ShootingTheSquidOfStage3DownClearsTheStage) {
    EnterStage(3, "4,20,0,40\n");
    ASSERT_EQ(g_TargetCount, 1);
    ShootUntilTheStageEnds(8, 2000);
    EXPECT_EQ(g_StageState, 2);
    EXPECT_EQ(g_TargetCount, 1 - 36);
}

TEST_F(FootballStage, TheTraceListsEveryFootballAndSquid) {
    EnterStage(2, "2,10,0,20\n0,0,0,0\n4,-30.5,0,44.25\n");
    const std::string line = TraceLine(1, "GameUpdate");
    EXPECT_NE(line.find("\"creatures\":[{\"type\":\"football\",\"ai\":0,\"hp\":700,\"x\":10,\"z\":20},"
                        "{\"type\":\"squid\",\"ai\":0,\"hp\":600,\"x\":-30.5,\"z\":44.25}]"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"fog\":"), std::string::npos) << line;
    ReleaseObjects();
    EXPECT_NE(TraceLine(2, "GameUpdate").find("\"creatures\":[]"), std::string::npos);
}
