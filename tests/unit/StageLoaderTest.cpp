// Stage files: records, type codes, target counting and identifiers, and lines that are not records.
#include "WorldTestSupport.h"
#include "tests/support/ScratchDir.h"

#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include "creatures/Percula.h"
#include "creatures/Squid.h"
#include "player/Jelly.h"
#include "world/Flower.h"
#include "world/Props.h"
#include "world/Stage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <typeinfo>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs each test in a fresh temporary working directory, where it writes its own data/stageN.csv.
class StageLoader : public WorldFixture {
  protected:
    void SetUp() override {
        WorldFixture::SetUp();
        ASSERT_FALSE(m_Scratch.Path().empty());
        m_Cwd.reset(new ScopedWorkingDir(m_Scratch.Path()));
        ASSERT_TRUE(m_Cwd->Ok());
        g_StageNo = 1;
        m_Player = AddProbe(ActorList, "player"); // GameInit appends the player before loading
    }
    void TearDown() override {
        m_Cwd.reset();
        g_StageNo = 1;
        WorldFixture::TearDown();
    }

    static void Write(int stage, const std::string& text) {
        fs::create_directories("data");
        std::ofstream out("data/stage" + std::to_string(stage) + ".csv", std::ios::binary);
        out << text;
    }

    // Loads while catching what the loader says on stderr.
    static std::string Load() {
        testing::internal::CaptureStderr();
        LoadStage();
        return testing::internal::GetCapturedStderr();
    }

    ScratchDir m_Scratch{"stageload"};
    std::unique_ptr<ScopedWorkingDir> m_Cwd;
    Probe* m_Player = nullptr;
};

template <class T> bool Is(const CObjectBase* o) {
    return o && typeid(*o) == typeid(T);
}

void ExpectPos(const CObjectBase* o, float x, float y, float z) {
    ASSERT_NE(o, nullptr);
    EXPECT_NEAR(o->m_Pos.x, x, 1e-4f);
    EXPECT_NEAR(o->m_Pos.y, y, 1e-4f);
    EXPECT_NEAR(o->m_Pos.z, z, 1e-4f);
}

std::vector<int32_t> Ids(std::size_t from) {
    std::vector<int32_t> ids;
    for (std::size_t i = from; i < ActorList.size(); ++i)
        ids.push_back(ActorList[i]->m_Id);
    return ids;
}

} // namespace

TEST_F(StageLoader, EveryTypeCodeCreatesItsObjectInItsList) {
    Write(1, "type,x,y,z\n"
             "0,1,2,3\n2,4,0,5\n3,6,0,7\n4,8,0,9\n5,10,1,11\n"
             "10,1,0,1\n11,2,0,2\n12,3,0,3\n13,4,0,4\n14,5,0,5\n"
             "30,6,7,6\n31,7,7,7\n32,8,7,8\n33,9,0,9\n"
             "6,0,0,0\n9,0,0,0\n15,0,0,0\n34,0,0,0\n-1,0,0,0\n99,0,0,0\n");
    EXPECT_EQ(Load(), ""); // unknown codes are skipped silently

    ASSERT_EQ(ActorList.size(), 6u);
    EXPECT_EQ(ActorList[0], m_Player);
    EXPECT_TRUE(Is<CJelly>(ActorList[1]));
    EXPECT_TRUE(Is<CFootball>(ActorList[2]));
    EXPECT_TRUE(Is<CAnemone>(ActorList[3]));
    EXPECT_TRUE(Is<CSquid>(ActorList[4]));
    EXPECT_TRUE(Is<CPercula>(ActorList[5]));
    ExpectPos(ActorList[1], 1, 2, 3);
    ExpectPos(ActorList[5], 10, 1, 11);

    ASSERT_EQ(SceneryList.size(), 5u);
    EXPECT_TRUE(Is<CPearl>(SceneryList[0]));
    EXPECT_TRUE(Is<CStarfish>(SceneryList[1]));
    EXPECT_EQ(SceneryList[1]->m_Type, 0);
    EXPECT_TRUE(Is<CStarfish>(SceneryList[2]));
    EXPECT_EQ(SceneryList[2]->m_Type, 1);
    EXPECT_TRUE(Is<CWakame>(SceneryList[3]));
    EXPECT_TRUE(Is<CCoral>(SceneryList[4]));
    ExpectPos(SceneryList[4], 5, 0, 5);

    ASSERT_EQ(ObstacleList.size(), 4u);
    for (int v = 0; v < 3; ++v) {
        ASSERT_TRUE(Is<CRock>(ObstacleList[v]));
        EXPECT_EQ(static_cast<CRock*>(ObstacleList[v])->m_Variant, v);
        ExpectPos(ObstacleList[v], 6.0f + v, 7, 6.0f + v); // the file's height; Init replaces it
    }
    EXPECT_TRUE(Is<CFlower>(ObstacleList[3]));

    EXPECT_TRUE(ShotList.empty());
    EXPECT_TRUE(EffectList.empty());
    EXPECT_EQ(g_TargetCount, 1); // the football of stage 1
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 1u + 5u + 5u + 4u);
}

TEST_F(StageLoader, CodeOnePlacesThreeJelliesOnARing) {
    Write(1, "h\n1,0,0,0\n1,100,3,-50\n");
    Load();
    ASSERT_EQ(ActorList.size(), 7u);
    for (std::size_t i = 1; i < 7; ++i)
        EXPECT_TRUE(Is<CJelly>(ActorList[i]));
    ExpectPos(ActorList[1], 0.0f, 0.0f, 10.0f);
    ExpectPos(ActorList[2], 8.660254f, 0.0f, -5.0f);
    ExpectPos(ActorList[3], -8.660254f, 0.0f, -5.0f);
    ExpectPos(ActorList[4], 100.0f, 3.0f, -40.0f);
    ExpectPos(ActorList[6], 91.339746f, 3.0f, -55.0f);
}

TEST_F(StageLoader, TheFirstLineIsNeverARecordAndTheLastNeedsNoLineFeed) {
    Write(1, "2,1,2,3");
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(ActorList.size(), 1u);
    EXPECT_EQ(g_TargetCount, 0);

    Write(1, "2,1,2,3\n10,4,5,6\n14,7,8,9");
    Load();
    EXPECT_EQ(ActorList.size(), 1u);
    ASSERT_EQ(SceneryList.size(), 2u);
    EXPECT_TRUE(Is<CCoral>(SceneryList[1]));
    ExpectPos(SceneryList[1], 7, 8, 9);
}

TEST_F(StageLoader, OnlyTheTargetsOfTheCurrentStageCountAndNumberTheObjectsAfterThem) {
    g_StageNo = 2;
    Write(2, "h\n0,0,0,0\n3,0,0,0\n2,0,0,0\n0,0,0,0\n3,0,0,0\n1,0,0,0\n5,0,0,0\n4,0,0,0\n3,0,0,0\n");
    Load();
    EXPECT_EQ(g_TargetCount, 3); // the anemones; the football and the squid are not targets here
    EXPECT_EQ(Ids(1), (std::vector<int32_t>{0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2}));
    EXPECT_TRUE(Is<CFootball>(ActorList[3]));
    EXPECT_EQ(m_Player->m_Id, 0); // the loader never touches what was there before

    ReleaseObjects();
    g_StageNo = 1;
    Write(1, "h\n2,0,0,0\n0,0,0,0\n2,0,0,0\n2,0,0,0\n3,0,0,0\n");
    Load();
    EXPECT_EQ(g_TargetCount, 3);
    EXPECT_EQ(Ids(0), (std::vector<int32_t>{0, 1, 1, 2, 3}));

    ReleaseObjects();
    g_StageNo = 3;
    Write(3, "h\n4,0,0,0\n2,0,0,0\n4,0,0,0\n");
    Load();
    EXPECT_EQ(g_TargetCount, 2);

    ReleaseObjects();
    g_StageNo = 4;
    Write(4, "h\n2,0,0,0\n3,0,0,0\n4,0,0,0\n");
    Load();
    EXPECT_EQ(g_TargetCount, 0);
    EXPECT_EQ(ActorList.size(), 3u);
}

TEST_F(StageLoader, TheStageNumberChoosesTheFile) {
    for (int n = 1; n <= 4; ++n)
        Write(n, "h\n10," + std::to_string(n) + ",0,0\n");
    const std::pair<int32_t, float> cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {0, 1}, {5, 1}, {-2, 1}};
    for (auto [stage, x] : cases) {
        ReleaseObjects();
        g_StageNo = stage;
        LoadStage();
        ASSERT_EQ(SceneryList.size(), 1u) << "stage " << stage;
        EXPECT_EQ(SceneryList[0]->m_Pos.x, x) << "stage " << stage;
    }
    EXPECT_STREQ(StageFilePath(3), "data/stage3.csv");
    EXPECT_STREQ(StageFilePath(7), "data/stage1.csv");
}

TEST_F(StageLoader, LoadingTheSameStageTwiceGivesTheSameObjectsInTheSameOrder) {
    Write(1, "h\n1,5,0,5\n2,-20,0,30\n31,0,0,0\n13,1,0,1\n2,40,0,0\n0,3,3,3\n33,50,0,50\n");
    auto snapshot = [] {
        std::vector<std::tuple<std::string, float, float, float, int32_t>> all;
        for (auto* list : {&ActorList, &ObstacleList, &SceneryList})
            for (CObjectBase* o : *list)
                all.emplace_back(typeid(*o).name(), o->m_Pos.x, o->m_Pos.y, o->m_Pos.z, o->m_Id);
        return all;
    };
    ActorList.clear(); // without the probe player, so that the whole list comes from the file
    LoadStage();
    InitAll();
    auto first = snapshot();
    int32_t firstTargets = g_TargetCount;
    UpdateAll(); // the jellies swim off and out of the rock: nothing of that may reach the next load
    ReleaseObjects();
    LoadStage();
    InitAll(); // as the first load: Init sets what the file leaves (a rock's height)
    EXPECT_EQ(snapshot(), first);
    EXPECT_EQ(g_TargetCount, firstTargets);
    EXPECT_EQ(first.size(), 9u);
}

TEST_F(StageLoader, LinesThatAreNotRecordsAreSkippedWithANote) {
    Write(1, "type,x,y,z\n"
             "2,1,2,3\n"           // 2: a football
             "\n"                  // 3: blank
             "14,5\n"              // 4: too few fields: must not become a coral at (5, 2, 3)
             "abc,1,2,3\n"         // 5: not a number
             "13,1,x,3\n"          // 6
             "10,1,2,nan\n"        // 7: no object stands at NaN
             "99999999999,1,2,3\n" // 8: out of range
             "2 ,1,2,3\n"          // 9: the comma must follow the code
             "0,4,5,6\n"           // 10: a jelly
             "77,1,2,3\n");        // 11: unknown code, silently
    std::string note = Load();
    EXPECT_EQ(note, "data/stage1.csv:3: malformed record skipped\n"
                    "data/stage1.csv:4: malformed record skipped\n"
                    "data/stage1.csv:5: malformed record skipped\n"
                    "data/stage1.csv:6: malformed record skipped\n"
                    "data/stage1.csv:7: malformed record skipped\n"
                    "data/stage1.csv:8: malformed record skipped\n"
                    "data/stage1.csv:9: malformed record skipped\n");
    ASSERT_EQ(ActorList.size(), 3u);
    EXPECT_TRUE(Is<CFootball>(ActorList[1]));
    ExpectPos(ActorList[1], 1, 2, 3);
    EXPECT_TRUE(Is<CJelly>(ActorList[2]));
    ExpectPos(ActorList[2], 4, 5, 6);
    EXPECT_EQ(ActorList[2]->m_Id, 1);
    EXPECT_TRUE(SceneryList.empty());
    EXPECT_EQ(g_TargetCount, 1);
}

TEST_F(StageLoader, CarriageReturnsAndSpacesAroundNumbersAreHarmless) {
    Write(1, "type,x,y,z\r\n2,1.5,2,3\r\n 10, -4, +5.25,6e1\r\n33,7,8,9,\r\n14,1,1,1");
    EXPECT_EQ(Load(), "");
    ASSERT_EQ(ActorList.size(), 2u);
    ExpectPos(ActorList[1], 1.5f, 2.0f, 3.0f);
    ASSERT_EQ(SceneryList.size(), 2u);
    ExpectPos(SceneryList[0], -4.0f, 5.25f, 60.0f);
    ASSERT_EQ(ObstacleList.size(), 1u);
    ExpectPos(ObstacleList[0], 7, 8, 9);
}

TEST_F(StageLoader, AMissingFileLeavesOnlyThePlayer) {
    // One line says why the stage is empty.
    EXPECT_EQ(Load(), "brinewisp: data/stage1.csv: cannot read the stage file (No such file or directory); "
                      "the stage starts empty\n");
    EXPECT_EQ(ActorList.size(), 1u);
    EXPECT_TRUE(ObstacleList.empty());
    EXPECT_TRUE(SceneryList.empty());
    EXPECT_EQ(g_TargetCount, 0);

    Write(1, ""); // an empty file holds not even the header
    EXPECT_EQ(Load(), "brinewisp: data/stage1.csv: the stage file is empty; the stage starts empty\n");
    EXPECT_EQ(ActorList.size(), 1u);
}

TEST_F(StageLoader, StageCyclesLeaveNoObjectBehind) {
    // The football lies beyond the waking reach of the player at the origin, so it makes no dust.
    Write(1, "h\n1,0,0,0\n2,60,0,60\n3,20,0,20\n30,0,0,30\n33,0,0,40\n13,5,0,5\n");
    ReleaseObjects();
    for (int cycle = 0; cycle < 20; ++cycle) {
        AddProbe(ActorList, "player");
        LoadStage();
        InitAll();
        UpdateAll();
        ShotRequestQueue.push_back(ShotRequest{0.0f, D3DXVECTOR3(0, 0, 0), 0, 1.0f, 60});
        ShootAll();
        DrawAll();
        DrawAlphaAll();
        // the player, three jellies, football, anemone (with its 8 fish and 72 tentacles), rock, flower,
        // seaweed, the shot
        EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 10u + 8u + 72u);
        ReleaseObjects();
        EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 0u);
    }
}
