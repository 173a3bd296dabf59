// The player: keys, drag and the speed cap, turning, bobbing, hits, death, firing and the tentacles.
#include "tests/unit/PlayerTestSupport.h"

#include "player/Bullet.h"
#include "world/Collision.h"
#include <d3d9debug.h>

#include <cmath>

namespace {

class Player : public PlayerSideFixture {
  protected:
    // A kind-k shot whose translation sits at (x, y, z).
    CBullet* AddShot(int kind, float x, float y, float z) {
        CBullet* s = NewObject<CBullet>();
        s->m_Kind = kind;
        s->m_Pos = D3DXVECTOR3(x, y, z);
        s->m_Life = 40;
        s->Init();
        ShotList.push_back(s);
        return s;
    }
};

} // namespace

TEST_F(Player, StartsAtTheStagesStartPointWithFullHealth) {
    const D3DXVECTOR3 starts[4] = {{60, 6, -170}, {0, 6, 80}, {100, 6, -120}, {0, 6, 0}};
    for (int stage = 1; stage <= 4; ++stage) {
        g_StageNo = stage;
        CPlayer p;
        p.Init();
        EXPECT_EQ(p.m_Pos, starts[stage - 1]) << stage;
        EXPECT_EQ(p.m_mTrans._41, starts[stage - 1].x);
        EXPECT_EQ(p.m_mTrans._43, starts[stage - 1].z);
        EXPECT_EQ(p.m_Hp, 100);
        EXPECT_EQ(p.m_State, 2);
        EXPECT_EQ(p.m_MaxSpeed, 0.2f);
        EXPECT_EQ(p.m_Shadow[0].color, 0xB4000000u);
        EXPECT_EQ(p.m_Shadow[2].u, 1.0f);
        EXPECT_EQ(p.m_Shadow[3].v, 1.0f);
    }
}

TEST_F(Player, SwimsWithTheNumbersOfAccelerationDragAndCap) {
    CPlayer* p = AddPlayer();
    Hold('W');
    float v = 0.0f, z = -170.0f;
    for (int frame = 0; frame < 60; ++frame) {
        p->Update();
        v = (v + 0.03f) * 0.95f;
        if (v > 0.2f) v = 0.2f;
        z += v;
        ASSERT_NEAR(p->m_Vel.z, v, 1e-6f) << frame;
        ASSERT_NEAR(p->m_Pos.z, z, 1e-4f) << frame;
        EXPECT_NEAR(p->m_Pos.x, 60.0f, 1e-5f);
    }
    EXPECT_NEAR(p->m_Vel.z, 0.2f, 1e-6f); // capped
    // Released: drag alone, down to a standstill below 0.00001.
    Hold('W', false);
    for (int frame = 0; frame < 400; ++frame)
        p->Update();
    EXPECT_EQ(p->m_Vel, D3DXVECTOR3(0, 0, 0));

    // The keys are turned by the camera's heading: W with the camera facing east swims east.
    g_CamYaw = 90.0f;
    Hold('W');
    p->Update();
    EXPECT_NEAR(p->m_Vel.x, 0.0285f, 1e-6f);
    EXPECT_NEAR(p->m_Vel.z, 0.0f, 1e-6f);
    // Two keys at once push along the diagonal with the same acceleration.
    g_CamYaw = 0.0f;
    Hold('W', false);
    p->m_Vel = D3DXVECTOR3(0, 0, 0);
    Hold('S');
    Hold('D');
    p->Update();
    EXPECT_NEAR(p->m_Vel.x, 0.03f * 0.95f / std::sqrt(2.0f), 1e-6f);
    EXPECT_NEAR(p->m_Vel.z, -0.03f * 0.95f / std::sqrt(2.0f), 1e-6f);
}

TEST_F(Player, WAndSTogetherGiveNoPushButZeroVerticalVelocity) {
    CPlayer* p = AddPlayer();
    p->m_Vel = D3DXVECTOR3(0.1f, 0.05f, 0.0f);
    Hold('W');
    Hold('S');
    p->Update();
    EXPECT_FLOAT_EQ(p->m_Vel.x, 0.1f * 0.95f); // drag only
    EXPECT_EQ(p->m_Vel.y, 0.0f);
    EXPECT_EQ(p->m_Vel.z, 0.0f);
    // Without keys the vertical velocity is left alone (and only dragged).
    Hold('W', false);
    Hold('S', false);
    p->m_Vel = D3DXVECTOR3(0.0f, 0.05f, 0.0f);
    p->Update();
    EXPECT_FLOAT_EQ(p->m_Vel.y, 0.05f * 0.95f);
}

TEST_F(Player, CancellingKeysAtRestDoNotSetTheBodySpinning) {
    CPlayer* p = AddPlayer();
    Hold('A');
    Hold('D');
    for (int frame = 0; frame < 20; ++frame)
        p->Update();
    Hold('A', false);
    Hold('D', false);
    for (int frame = 0; frame < 20; ++frame)
        p->Update();
    EXPECT_EQ(p->m_Angle, 0.0f);
    EXPECT_EQ(CPlayer::s_MoveDir, D3DXVECTOR3(0, 0, 1));
}

TEST_F(Player, TheBodyKeepsTurningAfterReleaseUntilWithinATenthOfADegree) {
    CPlayer* p = AddPlayer();
    Hold('D'); // east: heading 90
    p->Update();
    Hold('D', false);
    EXPECT_NEAR(CPlayer::s_MoveDir.x, 1.0f, 1e-6f);
    std::vector<float> angles = {p->m_Angle};
    for (int frame = 0; frame < 20; ++frame) {
        p->Update();
        angles.push_back(p->m_Angle);
    }
    for (int k = 0; k < 9; ++k)
        EXPECT_NEAR(angles[k], 10.0f * (k + 1), 1e-3f) << k;
    for (size_t k = 9; k < angles.size(); ++k) {
        EXPECT_TRUE(std::isfinite(angles[k]));
        EXPECT_NEAR(angles[k], 90.0f, 0.1f) << k;
        EXPECT_EQ(angles[k], angles[8]) << "no turn once within 0.1 degree";
    }
    // West from north turns the short way, through 360.
    p->m_Angle = 0.0f;
    CPlayer::s_MoveDir = D3DXVECTOR3(-1, 0, 0);
    p->m_Vel = D3DXVECTOR3(0, 0, 0);
    p->Update();
    EXPECT_NEAR(p->m_Angle, 350.0f, 1e-3f);
    // A small gap is closed in one step.
    p->m_Angle = 85.0f;
    CPlayer::s_MoveDir = D3DXVECTOR3(1, 0, 0);
    p->Update();
    EXPECT_NEAR(p->m_Angle, 90.0f, 1e-3f);
}

TEST_F(Player, BobsAndTheShadowGrowsWithTheHeight) {
    CPlayer* p = AddPlayer();
    for (int frame = 1; frame <= 50; ++frame) {
        p->Update();
        const float bob = (std::sin(0.03f * frame) + 1.0f) * 3.0f;
        ASSERT_NEAR(p->m_Bob, bob, 1e-4f);
        EXPECT_NEAR(p->m_BodyPos.y, 6.0f + p->m_Bob, 1e-5f);
        EXPECT_EQ(p->m_BodyPos.x, 60.0f);
        EXPECT_NEAR(p->m_mWorld._42, 6.0f + p->m_Bob, 1e-5f);
        EXPECT_FLOAT_EQ(p->m_Shadow[1].x, p->m_Bob + 5.0f);
        EXPECT_FLOAT_EQ(p->m_Shadow[3].z, -(p->m_Bob + 5.0f));
        EXPECT_EQ(p->m_Shadow[0].y, 0.1f);
    }
    // The shadow lies under the player at height 0.1, drawn with the light texture.
    d3d9debug::EnableCallLog(g_pDevice, true);
    p->DrawAlpha();
    std::vector<DeviceCall> draws = Draws();
    ASSERT_EQ(draws.size(), 1u + 8u * 19u);
    EXPECT_EQ(draws[0].a, (DWORD)D3DPT_TRIANGLEFAN);
    EXPECT_EQ(draws[0].b, 2u);
    EXPECT_EQ(draws[0].c, 24u);
    EXPECT_EQ(draws[0].matrix._42, 0.1f);
    EXPECT_EQ(draws[0].matrix._41, 60.0f);
    EXPECT_EQ(DrawnVertex(draws[0], 0).color, 0xB4000000u);
    EXPECT_FLOAT_EQ(DrawnVertex(draws[0], 2).x, p->m_Bob + 5.0f);
    // The body: the player mesh through pass 1 in the body's colour.
    p->Draw();
    ASSERT_EQ(g_MeshDraws.size(), 1u);
    EXPECT_EQ(g_MeshDraws[0].mesh, "player");
    EXPECT_EQ(g_MeshDraws[0].pass, 1);
    EXPECT_TRUE(g_MeshDraws[0].world == p->m_mWorld);
    EXPECT_EQ(g_MeshDraws[0].color[1], 1.0f);
}

TEST_F(Player, AKindOneShotExactlyRootTenAwayDoesNotHitAndHeightNeverCounts) {
    CPlayer* p = AddPlayer();
    CBullet* edge = AddShot(1, 61.0f, 6.0f, -167.0f); // dx 1, dz 3: exactly 10
    CBullet* friendly = AddShot(0, 60.0f, 6.0f, -170.0f);
    p->Update();
    EXPECT_EQ(p->m_Hp, 100);
    EXPECT_EQ(edge->m_bDead, 0);
    EXPECT_EQ(friendly->m_bDead, 0);
    CBullet* above = AddShot(1, 62.9f, 80.0f, -170.5f); // 8.66: in reach, far above
    p->Update();
    EXPECT_EQ(p->m_Hp, 98);
    EXPECT_EQ(above->m_bDead, 1);
    EXPECT_EQ(edge->m_bDead, 0);
}

TEST_F(Player, TwoShotsInReachHitOnePerFrameInListOrder) {
    CPlayer* p = AddPlayer();
    CBullet* taken = AddShot(1, 60.0f, 6.0f, -170.0f);
    CBullet* first = AddShot(1, 61.0f, 6.0f, -170.0f);
    CBullet* second = AddShot(1, 59.0f, 6.0f, -170.0f);
    taken->m_bDead = 1; // already taken by someone else this frame
    p->Update();
    EXPECT_EQ(p->m_Hp, 98);
    EXPECT_EQ(first->m_bDead, 1);
    EXPECT_EQ(second->m_bDead, 0);
    // The shake starts: 15 frames, the first used at once; the body shows red.
    EXPECT_EQ(p->m_ShakeTime, 14);
    EXPECT_EQ(p->m_Color.g, 0.0f);
    EXPECT_EQ(p->m_Color.b, 0.0f);
    const float dx = p->m_mShake._41, dz = p->m_mShake._43;
    EXPECT_NEAR(dx * dx + dz * dz, 0.25f, 1e-5f);
    EXPECT_EQ(p->m_mShake._42, 0.0f);
    EXPECT_NEAR(p->m_mWorld._41, 60.0f + dx, 1e-4f);
    p->Update();
    EXPECT_EQ(p->m_Hp, 96);
    EXPECT_EQ(second->m_bDead, 1);
    EXPECT_EQ(p->m_ShakeTime, 14);
}

TEST_F(Player, TheShakeEndsAfterFifteenFramesAndTheColourComesBack) {
    CPlayer* p = AddPlayer();
    p->m_bHit = 1; // a bite
    for (int frame = 0; frame < 15; ++frame) {
        p->Update();
        EXPECT_EQ(p->m_ShakeTime, 14 - frame);
        EXPECT_EQ(p->m_Color.g, 0.0f);
    }
    EXPECT_EQ(p->m_bHit, 0);
    p->Update();
    EXPECT_TRUE(p->m_mShake == D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    EXPECT_FLOAT_EQ(p->m_Color.g, 0.01f);
    EXPECT_FLOAT_EQ(p->m_Color.b, 0.01f);
    EXPECT_EQ(p->m_Color.r, 1.0f);
    EXPECT_EQ(p->m_Hp, 100); // a bite's damage is the biter's business
}

TEST_F(Player, TwoHitPointsAndOneHitDieWithTheBurstInTheSameUpdate) {
    CPlayer* p = AddPlayer();
    p->m_Hp = 2;
    AddShot(1, 60.0f, 6.0f, -170.0f);
    p->Update();
    EXPECT_EQ(p->m_Hp, 0);
    EXPECT_EQ(p->m_bDeathDone, 1);
    ASSERT_EQ(ShotRequestQueue.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const ShotRequest& r = ShotRequestQueue[i];
        EXPECT_EQ(r.Angle, 45.0f * i);
        EXPECT_EQ(r.Pos, D3DXVECTOR3(60, 6, -170));
        EXPECT_EQ(r.Kind, 13);
        EXPECT_EQ(r.Speed, 0.6f);
        EXPECT_EQ(r.Life, 40);
    }
    // Hit again after death: the hit points go below 0, no second burst; the player is never removed.
    ShotRequestQueue.clear();
    AddShot(1, 60.0f, 6.0f, -170.0f);
    p->Update();
    EXPECT_EQ(p->m_Hp, -2);
    EXPECT_TRUE(ShotRequestQueue.empty());
    EXPECT_EQ(p->m_bDead, 0);
    // A dead player's shots are of the kind that hurts the player's side.
    Hold(VK_LBUTTON);
    p->Shoot();
    ASSERT_EQ(ShotRequestQueue.size(), 1u);
    EXPECT_EQ(ShotRequestQueue[0].Kind, 1);
}

TEST_F(Player, HoldingFireShootsAtOnceThenEvery30FramesWhileTheCapFalls) {
    CPlayer* p = AddPlayer();
    Mouse(320, 100); // straight above the centre
    Hold(VK_LBUTTON);
    std::vector<int> shotFrames;
    std::vector<float> caps;
    for (int frame = 0; frame < 70; ++frame) {
        p->Update();
        caps.push_back(p->m_MaxSpeed);
        p->Shoot();
        if (!ShotRequestQueue.empty()) shotFrames.push_back(frame);
        if (frame == 0) {
            ASSERT_EQ(ShotRequestQueue.size(), 1u);
            const ShotRequest& r = ShotRequestQueue[0];
            EXPECT_NEAR(r.Angle, 0.0f, 1e-4f);
            EXPECT_NEAR(r.Pos.x, 60.0f, 1e-4f);
            EXPECT_NEAR(r.Pos.y, 10.0f, 1e-4f);
            EXPECT_NEAR(r.Pos.z, -165.0f, 1e-4f);
            EXPECT_EQ(r.Kind, 0);
            EXPECT_EQ(r.Speed, 1.0f);
            EXPECT_EQ(r.Life, 40);
            EXPECT_EQ(p->m_ShotWait, 29);
        }
        ShotRequestQueue.clear();
    }
    EXPECT_EQ(shotFrames, (std::vector<int>{0, 30, 60}));
    for (int k = 0; k < 20; ++k)
        EXPECT_NEAR(caps[k], 0.2f - 0.005f * (k + 1), 1e-5f) << k;
    EXPECT_EQ(caps.back(), 0.08f);
    for (float c : caps)
        EXPECT_GT(c, 0.0749f);
    // Released: the cap comes back as fast, and the wait runs out without shooting.
    Hold(VK_LBUTTON, false);
    for (int frame = 0; frame < 30; ++frame) {
        p->Update();
        p->Shoot();
    }
    EXPECT_TRUE(ShotRequestQueue.empty());
    EXPECT_EQ(p->m_MaxSpeed, 0.2f);
    EXPECT_EQ(p->m_ShotWait, 0);
}

TEST_F(Player, AimsFromTheScreenCentreTowardTheCursor) {
    CPlayer* p = AddPlayer();
    Hold(VK_LBUTTON);
    struct Case {
        int x, y;
        float yaw, angle, dx, dz;
    } cases[] = {
        {500, 240, 0.0f, 90.0f, 5.0f, 0.0f},      // right: east
        {100, 240, 0.0f, -90.0f, -5.0f, 0.0f},    // left: west
        {320, 400, 0.0f, 180.0f, 0.0f, -5.0f},    // below: south
        {320, 10, 30.0f, 30.0f, 2.5f, 4.330127f}, // up, with the camera turned
    };
    for (const Case& c : cases) {
        Mouse(c.x, c.y);
        g_CamYaw = c.yaw;
        p->m_ShotWait = 0;
        ShotRequestQueue.clear();
        p->Shoot();
        ASSERT_EQ(ShotRequestQueue.size(), 1u);
        const ShotRequest& r = ShotRequestQueue[0];
        EXPECT_NEAR(std::fmod(r.Angle + 360.0f, 360.0f), std::fmod(c.angle + 360.0f, 360.0f), 1e-3f) << c.x;
        EXPECT_NEAR(r.Pos.x - p->m_Pos.x, c.dx, 1e-4f) << c.x;
        EXPECT_NEAR(r.Pos.z - p->m_Pos.z, c.dz, 1e-4f) << c.x;
        EXPECT_NEAR(r.Pos.y - p->m_Pos.y, 4.0f, 1e-4f);
    }
    // A window twice the size (or full screen) aims the same way: the cursor is mapped to 640 x 480 first.
    g_rcClient = RECT{0, 0, 1280, 960};
    g_rcWindow = RECT{0, 0, 1280, 960};
    g_CamYaw = 0.0f;
    Mouse(1000, 480); // right of the centre
    p->m_ShotWait = 0;
    ShotRequestQueue.clear();
    p->Shoot();
    ASSERT_EQ(ShotRequestQueue.size(), 1u);
    EXPECT_NEAR(ShotRequestQueue[0].Angle, 90.0f, 1e-3f);
}

TEST_F(Player, TentaclesStartAsPointsAndGrowOutAsThePlayerSwims) {
    CPlayer* p = AddPlayer();
    for (const Tentacle& t : p->m_Tentacles) {
        for (const D3DXMATRIX& h : t.History)
            EXPECT_TRUE(h == p->m_mTrans);
        EXPECT_EQ(t.Counter, 0);
        EXPECT_NEAR(D3DXVec3Length(&t.Root), 1.5f, 1e-6f);
    }
    EXPECT_NEAR(p->m_Tentacles[2].Root.x, 1.5f, 1e-6f); // 90 degrees: east of the centre
    d3d9debug::EnableCallLog(g_pDevice, true);
    DrawTentacle(p->m_Tentacles[0]);
    std::vector<DeviceCall> draws = Draws();
    ASSERT_EQ(draws.size(), 19u);
    for (const DeviceCall& d : draws) {
        // Each segment joins two equal frames: a quad without area.
        EXPECT_EQ(DrawnVertex(d, 0).x, DrawnVertex(d, 3).x);
        EXPECT_EQ(DrawnVertex(d, 1).z, DrawnVertex(d, 2).z);
        EXPECT_EQ(DrawnVertex(d, 0).color, 0xFFFFFFFFu);
    }
    EXPECT_FLOAT_EQ(DrawnVertex(draws[18], 3).v, 0.95f);
    EXPECT_FLOAT_EQ(DrawnVertex(draws[18], 1).u, 1.0f);
    // Culling is off for the ribbon and back on afterwards.
    std::vector<DWORD> cull;
    for (const DeviceCall& c : d3d9debug::CallLog(g_pDevice))
        if (c.method == "SetRenderState" && c.a == (DWORD)D3DRS_CULLMODE) cull.push_back(c.b);
    EXPECT_EQ(cull, (std::vector<DWORD>{D3DCULL_NONE, D3DCULL_CCW}));

    Hold('W');
    for (int frame = 0; frame < 80; ++frame)
        p->Update();
    const Tentacle& t = p->m_Tentacles[0];
    EXPECT_GT(t.History[0]._43 - t.History[19]._43, 2.0f); // stretched out behind
    EXPECT_EQ(t.Counter, 80);
}

TEST(Tentacle, RecordsTheRootFrameEveryPeriodFrames) {
    Tentacle t;
    t.Root = D3DXVECTOR3(0, 0, 1.5f);
    D3DXMatrixIdentity(&t.History[0]);
    for (D3DXMATRIX& h : t.History)
        D3DXMatrixIdentity(&h);
    D3DXMATRIX body;
    std::vector<float> newest;
    for (int frame = 0; frame < 6; ++frame) {
        D3DXMatrixTranslation(&body, 10.0f * frame, 0, 0);
        UpdateTentacle(t, 2, body);
        newest.push_back(t.History[0]._41);
    }
    // Frames 0, 2 and 4 push; the root sits 1.5 ahead of the body.
    EXPECT_EQ(newest, (std::vector<float>{0, 0, 20, 20, 40, 40}));
    EXPECT_EQ(t.History[0]._43, 1.5f);
    EXPECT_EQ(t.History[1]._41, 20.0f);
    EXPECT_EQ(t.History[2]._41, 0.0f);
    EXPECT_EQ(t.History[3]._41, 0.0f);
    EXPECT_EQ(t.History[3]._43, 0.0f); // still the start frame
    t.Counter = 3600;
    UpdateTentacle(t, 2, body);
    EXPECT_EQ(t.Counter, 0);
}

TEST_F(Player, RocksKeepTheSwimmerOut) {
    CPlayer* p = AddPlayer();
    // A rock just north of the start.
    struct Rock : public CObjectBase {
        void Init() override {}
        void Update() override {}
        void Draw() override {}
        void DrawAlpha() override {}
        int Shoot() override { return 0; }
    };
    Rock* rock = NewObject<Rock>();
    rock->m_Type = 14;
    rock->m_Radius = 3.0f;
    rock->m_Pos = D3DXVECTOR3(60.0f, 0.0f, -160.0f);
    ObstacleList.push_back(rock);
    Hold('W');
    for (int frame = 0; frame < 200; ++frame) {
        p->Update();
        const float dx = p->m_Pos.x - 60.0f, dz = p->m_Pos.z + 160.0f;
        ASSERT_GE(dx * dx + dz * dz, 25.0f - 1e-3f) << frame;
    }
    EXPECT_LT(p->m_Pos.z, -160.0f + 1e-3f); // it never got through
}
