// A stage with a flower, played through the world passes: shots fly at both blossoms until the flower is
// finished, the trace tells its state, and a swimmer that was held off then passes through its place.
#include "tests/unit/FlowerTestSupport.h"
#include "tests/unit/MeshTestUtil.h"

#include "app/Trace.h"
#include "world/Collision.h"
#include "world/Stage.h"

#include <cmath>
#include <sys/stat.h>

namespace {

// A player's shot as the shot pass will make it: speed 1, life 40, flying along its heading from where it
// starts. Its m_mTrans follows its position.
Probe* FlyingShot(const D3DXVECTOR3& from, const D3DXVECTOR3& to) {
    Probe* shot = AddShot(0, from);
    shot->m_Pos = from;
    D3DXVECTOR3 step = to - from;
    step.y = 0.0f;
    D3DXVec3Normalize(&step, &step);
    shot->m_Vel = step;
    shot->m_Life = 40;
    shot->m_OnUpdate = [](Probe& p) {
        p.m_Pos += p.m_Vel;
        D3DXMatrixTranslation(&p.m_mTrans, p.m_Pos.x, p.m_Pos.y, p.m_Pos.z);
        if (--p.m_Life < 0) p.m_bDead = 1;
    };
    return shot;
}

// The closest a swimmer of radius 3 gets to the flower's centre on a straight swim across its place, held off
// by PushOutOfFlowers after every step.
float ClosestApproach(const D3DXVECTOR3& centre) {
    D3DXVECTOR3 pos = centre + D3DXVECTOR3(0.5f, 0.0f, -80.0f);
    float closest = 1e9f;
    for (int step = 0; step < 160; ++step) {
        pos.z += 1.0f;
        PushOutOfFlowers(pos, 3.0f);
        closest = std::fmin(closest, std::hypot(pos.x - centre.x, pos.z - centre.z));
    }
    return closest;
}

class FlowerScenario : public FlowerFixture {
  protected:
    void TearDown() override {
        g_StageNo = 0;
        FlowerFixture::TearDown();
    }
};

} // namespace

TEST_F(FlowerScenario, ShootingBothBlossomsDownOpensTheWay) {
    const ScratchDir dir("flower");
    ASSERT_FALSE(dir.Path().empty());
    ASSERT_EQ(mkdir(dir.File("data").c_str(), 0755), 0);
    WriteTextFile(dir.File("data/stage2.csv"), "type,x,y,z\n33,0,0,60\n30,200,0,200\n");
    {
        ScopedWorkingDir cwd(dir.Path());
        ASSERT_TRUE(cwd.Ok());
        g_StageNo = 2;
        LoadStage();
    }
    ASSERT_EQ(ObstacleList.size(), 2u);
    InitAll();
    CFlower* flower = dynamic_cast<CFlower*>(ObstacleList[0]);
    ASSERT_NE(flower, nullptr);
    EXPECT_EQ(LightOn(1), TRUE);
    const std::string standing = TraceLine(0, "GameUpdate");
    EXPECT_NE(standing.find(",\"flower\":{\"hp\":[5,5],\"done\":0}"), std::string::npos) << standing;
    const D3DXVECTOR3 centre = flower->m_Pos;
    EXPECT_GT(ClosestApproach(centre), 30.9f) << "held off at 28 + 3";

    int sprays = 0, doneAt = -1;
    for (int frame = 1; frame <= 600 && doneAt < 0; ++frame) {
        // Every 20 frames a shot from 30 units off towards each blossom still standing.
        if (frame % 20 == 1)
            for (const Blossom& b : flower->m_Blossom)
                if (b.Hp > 0) FlyingShot(b.Pos + D3DXVECTOR3(-30.0f, 3.0f, 0.0f), b.Pos);
        UpdateAll();
        for (const ShotRequest& r : ShotRequestQueue)
            sprays += r.Kind == 10 ? 1 : 0;
        ShootAll();
        if (flower->m_bDone) doneAt = frame;
    }
    // The flower looks before the shots move: a shot 30 units off is taken in the 22nd frame of its flight,
    // and the fifth pair, sent in frame 81, in frame 102.
    EXPECT_EQ(doneAt, 102);
    EXPECT_EQ(sprays, 80);
    EXPECT_EQ(flower->m_Blossom[0].Hp, 0);
    EXPECT_EQ(flower->m_Blossom[1].Hp, 0);
    const std::string finished = TraceLine(102, "GameUpdate");
    EXPECT_NE(finished.find(",\"flower\":{\"hp\":[0,0],\"done\":1}"), std::string::npos) << finished;
    EXPECT_EQ(LightOn(1), FALSE);
    EXPECT_LT(ClosestApproach(centre), 1.0f) << "the swimmer passes through the flower's place";

    // Another stretch of frames: still finished, still dark, still in its list.
    for (int frame = 0; frame < 30; ++frame) {
        m_Device->LightEnable(1, TRUE);
        UpdateAll();
        ShootAll();
        EXPECT_EQ(LightOn(1), FALSE);
    }
    EXPECT_EQ(ObstacleList[0], flower);
}

TEST_F(FlowerScenario, TheTraceShowsTheFirstFlowerOnly) {
    EXPECT_EQ(TraceLine(0, "GameUpdate").find("\"flower\""), std::string::npos);
    AddProbe(ObstacleList, "rock")->m_Type = 14;
    EXPECT_EQ(TraceLine(0, "GameUpdate").find("\"flower\""), std::string::npos);
    CFlower* first = MakeFlower(0, 0, 0);
    CFlower* second = MakeFlower(50, 0, 0);
    first->m_Blossom[0].Hp = -2;
    second->m_Blossom[0].Hp = 1;
    second->m_bDone = 1;
    const std::string line = TraceLine(3, "GameUpdate");
    EXPECT_NE(line.find(",\"flower\":{\"hp\":[-2,5],\"done\":0}"), std::string::npos) << line;
}
