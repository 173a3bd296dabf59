// The update, shot and draw passes over the object lists, and the release of a stage's objects.
#include "WorldTestSupport.h"

#include "player/Bullet.h"
#include "world/Stage.h"

using Names = std::vector<std::string>;

namespace {
Names ListNames(const std::vector<CObjectBase*>& list) {
    Names names;
    for (CObjectBase* o : list)
        names.push_back(o ? static_cast<Probe*>(o)->m_Name : "null");
    return names;
}
} // namespace

using WorldPass = WorldFixture;

TEST_F(WorldPass, ObjectsAppendedDuringTheUpdateWalkAreUpdatedInTheSameWalk) {
    Probe* a = AddProbe(ActorList, "A");
    Probe* e = AddProbe(EffectList, "E");
    a->m_OnUpdate = [](Probe& self) {
        self.m_OnUpdate = nullptr;
        AddProbe(ActorList, "B");    // behind the current index of the list being walked
        AddProbe(ObstacleList, "D"); // a list walked later in this pass
    };
    e->m_OnUpdate = [](Probe& self) {
        self.m_OnUpdate = nullptr;
        AddProbe(ActorList, "F"); // ActorList has already been walked this frame
    };
    UpdateAll();
    EXPECT_EQ(Calls("update"), (Names{"A", "B", "D", "E"}));

    g_ProbeLog.clear();
    UpdateAll();
    EXPECT_EQ(Calls("update"), (Names{"A", "B", "F", "D", "E"}));
}

TEST_F(WorldPass, InitAllWalksTheListsInOrderAndInitialisesWhatInitAppends) {
    Probe* player = AddProbe(ActorList, "P");
    AddProbe(ActorList, "J");
    AddProbe(ObstacleList, "R");
    AddProbe(ShotList, "S");
    SceneryList.push_back(nullptr);
    AddProbe(SceneryList, "W");
    AddProbe(EffectList, "X");
    player->m_OnInit = [](Probe&) {
        AddProbe(EffectList, "Y");
        AddProbe(ActorList, "Z");
    };
    InitAll();
    EXPECT_EQ(Calls("init"), (Names{"P", "J", "Z", "R", "S", "W", "X", "Y"}));
}

TEST_F(WorldPass, TheSweepErasesConsecutiveDeadEntriesAndKeepsTheOrder) {
    AddProbe(ActorList, "A");
    AddProbe(ActorList, "B")->m_OnUpdate = [](Probe& self) { self.m_bDead = 1; };
    AddProbe(ActorList, "C")->m_OnUpdate = [](Probe& self) { self.m_bDead = 1; };
    AddProbe(ActorList, "D");
    AddProbe(ShotList, "S1")->m_bDead = 1;
    AddProbe(ShotList, "S2")->m_bDead = 1;
    AddProbe(EffectList, "X");
    AddProbe(EffectList, "Y")->m_bDead = 1;
    AddProbe(EffectList, "Z")->m_bDead = 1;
    ActorList.push_back(nullptr);

    UpdateAll();
    EXPECT_EQ(ListNames(ActorList), (Names{"A", "D", "null"}));
    EXPECT_TRUE(ShotList.empty());
    EXPECT_EQ(ListNames(EffectList), (Names{"X"}));
    // Dead objects were still updated in the frame they died, and are gone from the draw passes.
    EXPECT_EQ(Calls("update"), (Names{"A", "B", "C", "D", "S1", "S2", "X", "Y", "Z"}));
    DrawAll();
    EXPECT_EQ(Calls("draw"), (Names{"X", "D", "A"}));
}

TEST_F(WorldPass, DeadSceneryAndObstaclesStayUpdatedAndDrawn) {
    AddProbe(SceneryList, "W")->m_OnUpdate = [](Probe& self) { self.m_bDead = 1; };
    AddProbe(ObstacleList, "R")->m_OnUpdate = [](Probe& self) { self.m_bDead = 1; };
    AddProbe(ActorList, "A")->m_OnUpdate = [](Probe& self) { self.m_bDead = 1; };

    UpdateAll();
    EXPECT_EQ(ListNames(SceneryList), (Names{"W"}));
    EXPECT_EQ(ListNames(ObstacleList), (Names{"R"}));
    EXPECT_TRUE(ActorList.empty());
    DrawAll();
    DrawAlphaAll();
    EXPECT_EQ(Calls("draw"), (Names{"W", "R"}));
    EXPECT_EQ(Calls("alpha"), (Names{"W", "R"}));

    g_ProbeLog.clear();
    UpdateAll();
    EXPECT_EQ(Calls("update"), (Names{"R", "W"}));
}

TEST_F(WorldPass, DrawPassesGoFromFarToNearByRadiusPlusDepth) {
    g_CamEye = D3DXVECTOR3(3.0f, 40.0f, -20.0f);
    AddProbe(ActorList, "A", 10.0f, 0.0f);    // key 30
    AddProbe(ActorList, "B", 0.0f, 15.0f);    // key 35: its radius puts it farthest
    AddProbe(EffectList, "C", 5.0f, 0.0f);    // key 25
    AddProbe(SceneryList, "D", -30.0f, 0.0f); // key -10, behind the eye
    DrawAll();
    DrawAlphaAll();
    EXPECT_EQ(Calls("draw"), (Names{"B", "A", "C", "D"}));
    EXPECT_EQ(Calls("alpha"), (Names{"B", "A", "C", "D"}));
}

TEST_F(WorldPass, EqualKeysDrawTheLaterListAndTheLaterEntryFirst) {
    g_CamEye = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
    // All at key 3; the obstacle reaches it through its radius.
    AddProbe(ActorList, "A1", 2.0f);
    AddProbe(ActorList, "A2", 2.0f);
    AddProbe(ObstacleList, "O", -1.0f, 3.0f);
    AddProbe(ShotList, "S", 2.0f);
    AddProbe(SceneryList, "W", 2.0f);
    AddProbe(EffectList, "E", 2.0f);
    // Farther and nearer objects frame the group.
    AddProbe(ActorList, "far", 50.0f);
    AddProbe(EffectList, "near", -5.0f);

    DrawAll();
    EXPECT_EQ(Calls("draw"), (Names{"far", "E", "W", "S", "O", "A2", "A1", "near"}));
    DrawAlphaAll();
    EXPECT_EQ(Calls("alpha"), (Names{"far", "E", "A2", "A1", "W", "S", "O", "near"}));
}

TEST_F(WorldPass, NullEntriesAndEmptyListsAreHarmless) {
    DrawAll();
    DrawAlphaAll();
    UpdateAll();
    ShootAll();
    EXPECT_TRUE(g_ProbeLog.empty());

    for (auto* list : {&ActorList, &ObstacleList, &ShotList, &SceneryList, &EffectList})
        list->push_back(nullptr);
    AddProbe(ActorList, "A");
    UpdateAll();
    ShootAll();
    DrawAll();
    DrawAlphaAll();
    EXPECT_EQ(g_ProbeLog, (Names{"A.update", "A.shoot", "A.draw", "A.alpha"}));
    EXPECT_EQ(ActorList.size(), 2u);
}

TEST_F(WorldPass, ThreeRequestsInOneFrameBecomeThreeShotsInRequestOrder) {
    Probe* shooter = AddProbe(ActorList, "P");
    AddProbe(EffectList, "X"); // effects are not asked to shoot
    shooter->m_OnShoot = [](Probe& self) {
        for (int k = 0; k < 3; ++k) {
            self.m_Shot.Angle = 45.0f * k;
            self.m_Shot.Pos = D3DXVECTOR3(1.0f * k, 2.0f, 3.0f);
            self.m_Shot.Kind = k == 2 ? 10 : 0;
            self.m_Shot.Speed = 1.0f + k;
            self.m_Shot.Life = 20 + k;
            ShotRequestQueue.push_back(self.m_Shot);
        }
    };
    ShootAll();
    EXPECT_EQ(Calls("shoot"), (Names{"P"}));
    EXPECT_TRUE(ShotRequestQueue.empty());
    ASSERT_EQ(ShotList.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        auto* shot = dynamic_cast<CBullet*>(ShotList[k]);
        ASSERT_NE(shot, nullptr);
        EXPECT_EQ(shot->m_Angle, 45.0f * k);
        EXPECT_EQ(shot->m_Pos, D3DXVECTOR3(1.0f * k, 2.0f, 3.0f));
        EXPECT_EQ(shot->m_Kind, k == 2 ? 10 : 0);
        EXPECT_EQ(shot->m_Speed, 1.0f + k);
        EXPECT_EQ(shot->m_Life, 20 + k); // the request's life, not the preset 60
        EXPECT_EQ(shot->m_bDead, 0);
    }
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 5u);
}

TEST_F(WorldPass, ARequestPushedWhileTheQueueIsDrainedIsTurnedIntoAShotInTheSameDrain) {
    static std::vector<int32_t> kinds;
    kinds.clear();
    ShotRequestQueue.push_back(ShotRequest{0.0f, D3DXVECTOR3(0.0f, 0.0f, 0.0f), 0, 1.0f, 60});
    ShotRequestQueue.shrink_to_fit(); // so that the pushes below move the queue's storage
    DrainShotRequests([](const ShotRequest& request) {
        kinds.push_back(request.Kind);
        if (request.Kind == 0) {
            for (int32_t k = 1; k <= 8; ++k)
                ShotRequestQueue.push_back(ShotRequest{0.0f, request.Pos, k, 0.5f, 5});
        }
    });
    EXPECT_EQ(kinds, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(ShotRequestQueue.empty());
}

TEST_F(WorldPass, RequestsLeftAtReleaseBecomeShotsInTheNextStage) {
    ShotRequestQueue.push_back(ShotRequest{90.0f, D3DXVECTOR3(1.0f, 0.0f, 0.0f), 1, 0.3f, 100});
    ShotRequestQueue.push_back(ShotRequest{180.0f, D3DXVECTOR3(2.0f, 0.0f, 0.0f), 0, 1.0f, 60});
    AddProbe(ActorList, "P");
    ReleaseObjects();
    EXPECT_EQ(ShotRequestQueue.size(), 2u);

    AddProbe(ActorList, "P2");
    ShootAll();
    ASSERT_EQ(ShotList.size(), 2u);
    EXPECT_EQ(ShotList[0]->m_Kind, 1);
    EXPECT_EQ(ShotList[0]->m_Life, 100);
    EXPECT_EQ(ShotList[1]->m_Angle, 180.0f);
    EXPECT_TRUE(ShotRequestQueue.empty());
}

TEST_F(WorldPass, FollowersAreRecountedBeforeTheUpdates) {
    Probe* player = AddProbe(ActorList, "P");
    player->m_State = 2; // the player is on its own side but is not a jelly
    auto jelly = [](const char* name, int32_t state) {
        Probe* p = AddProbe(ActorList, name);
        p->m_Type = 1;
        p->m_State = state;
        return p;
    };
    jelly("J1", 2);
    jelly("J2", 1);
    ActorList.push_back(nullptr);
    jelly("J3", 2);
    AddProbe(EffectList, "X")->m_Type = 1; // only actors count
    EffectList.back()->m_State = 2;

    int32_t seen = -1;
    player->m_OnUpdate = [&seen](Probe&) { seen = g_FollowCount; };
    g_FollowCount = 7;
    g_FollowSlot = 4;
    UpdateAll();
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(g_FollowSlot, 0);

    ActorList.clear();
    g_FollowCount = 3;
    g_FollowSlot = 3;
    CountFollowers();
    EXPECT_EQ(g_FollowCount, 0);
    EXPECT_EQ(g_FollowSlot, 0);
}

TEST_F(WorldPass, SweptObjectsLiveUntilTheStageIsReleased) {
    Probe* prey = AddProbe(ActorList, "prey", 7.0f);
    Probe* hunter = AddProbe(ActorList, "hunter");
    CObjectBase* target = prey;
    float seenZ = 0.0f;
    hunter->m_OnUpdate = [&](Probe&) { seenZ = target->m_Pos.z; };
    prey->m_bDead = 1;
    UpdateAll();
    UpdateAll(); // the hunter still reads its swept prey
    EXPECT_EQ(seenZ, 7.0f);
    EXPECT_EQ(ActorList.size(), 1u);
    EXPECT_EQ(g_ProbesDestroyed, 0);

    g_TargetCount = 3;
    ReleaseObjects();
    EXPECT_EQ(g_ProbesDestroyed, 2);
    EXPECT_EQ(g_TargetCount, 0);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 0u);
}

TEST_F(WorldPass, EachSceneReleasesOnlyItsOwnArena) {
    SetObjectArena(ObjectArena::Program);
    Probe* display = NewObject<Probe>("display");
    SetObjectArena(ObjectArena::Title);
    AddProbe(EffectList, "bubble");
    Probe* tentacle = NewObject<Probe>("tentacle"); // in no list, owned by the title all the same
    (void)tentacle;
    SetObjectArena(ObjectArena::Stage);
    AddProbe(ActorList, "player");
    AddProbe(ObstacleList, "rock");
    AddProbe(ShotList, "shot");
    AddProbe(SceneryList, "pearl");
    AddProbe(EffectList, "dust");
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 2u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 5u);

    ReleaseObjects();
    for (auto* list : {&ActorList, &ObstacleList, &ShotList, &SceneryList, &EffectList})
        EXPECT_TRUE(list->empty());
    EXPECT_EQ(g_ProbesDestroyed, 5);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 2u);

    SetObjectArena(ObjectArena::Title);
    AddProbe(EffectList, "ring");
    ReleaseTitleObjects();
    EXPECT_TRUE(EffectList.empty());
    EXPECT_EQ(g_ProbesDestroyed, 8);
    EXPECT_EQ(display->m_Name, "display"); // the program's objects outlive both scenes
    ReleaseProgramObjects();
    EXPECT_EQ(g_ProbesDestroyed, 9);
}
