// The flower: its vines, the hits on its blossoms, their fall, the light and the way through.
#include "tests/unit/FlowerTestSupport.h"

#include "world/Collision.h"
#include <d3d9debug.h>

#include <cmath>

namespace {

const D3DXVECTOR3 kBlossom0(-320.0f, 0.0f, 125.0f);
const D3DXVECTOR3 kBlossom1(265.0f, 0.0f, -38.0f);

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tol = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

int LightEnableCalls(IDirect3DDevice9* dev, DWORD index, BOOL enable) {
    int n = 0;
    for (const DeviceCall& c : d3d9debug::CallLog(dev))
        if (c.method == "LightEnable" && c.a == index && (BOOL)c.b == enable) ++n;
    return n;
}

class Flower : public FlowerFixture {};

} // namespace

TEST_F(Flower, AtTheOriginSixPiecesTowardsBlossomZeroAndFiveTowardsBlossomOne) {
    CFlower* f = MakeFlower(0, 0, 0);
    const Blossom& b0 = f->m_Blossom[0];
    const Blossom& b1 = f->m_Blossom[1];
    EXPECT_EQ(b0.SegCount, 6); // 343.5 away
    EXPECT_EQ(b1.SegCount, 5); // 267.7 away
    ExpectNear(b0.Pos, kBlossom0);
    ExpectNear(b1.Pos, kBlossom1);
    ExpectNear(b0.RootPos, D3DXVECTOR3(-320.0f, 4.5f, 125.0f));
    ExpectNear(b1.RootPos, D3DXVECTOR3(265.0f, 4.5f, -38.0f));
    // Each piece in the middle of its stretch of the way from the blossom to the flower.
    for (int k = 0; k < 6; ++k)
        ExpectNear(b0.SegPos[k], kBlossom0 * (1.0f - ((float)k + 0.5f) / 6.0f));
    for (int k = 0; k < 5; ++k)
        ExpectNear(b1.SegPos[k], kBlossom1 * (1.0f - ((float)k + 0.5f) / 5.0f));

    // Three draws a piece, blossom 0 first: twist (negative on even pieces), spin, side.
    std::srand(7);
    for (const Blossom* b : {&b0, &b1}) {
        for (int k = 0; k < b->SegCount; ++k) {
            const int twist = std::rand() % 20;
            const int spin = std::rand() % 360;
            const int side = std::rand() % 3;
            EXPECT_EQ(b->SegTwist[k], (float)(k % 2 == 0 ? -twist : twist)) << k;
            EXPECT_EQ(b->SegSpin[k], (float)spin) << k;
            EXPECT_EQ(b->SegSide[k], side) << k;
            ExpectNear(b->SegScale[k], D3DXVECTOR3(1.0f, 1.5f, 1.0f));
            EXPECT_EQ(b->SegTilt[k], 0.0f);
            EXPECT_EQ(b->SegColor[k].r + b->SegColor[k].g + b->SegColor[k].b + b->SegColor[k].a, 4.0f);
        }
    }
    EXPECT_EQ(f->m_Type, 15);
    EXPECT_EQ(f->m_Radius, 28.0f);
    EXPECT_EQ(f->m_bDone, 0);
    EXPECT_EQ(b0.Hp, 5);
    EXPECT_EQ(b1.Hp, 5);
}

TEST_F(Flower, NearBlossomGetsNoVineAndAFarOneIsCappedAtTenPieces) {
    CFlower* near = MakeFlower(-300, 0, 125); // 20 from blossom 0
    EXPECT_EQ(near->m_Blossom[0].SegCount, 0);
    CFlower* onTop = MakeFlower(265, 0, -38); // right on blossom 1: no length to divide
    EXPECT_EQ(onTop->m_Blossom[1].SegCount, 0);
    CFlower* justUnder = MakeFlower(-320, 0, 125 + 549.5f); // 549 whole units: 10 pieces anyway
    EXPECT_EQ(justUnder->m_Blossom[0].SegCount, 10);

    // 550 units would ask for 11 pieces, far more for a flower across the sea.
    for (float away : {550.0f, 5000.0f}) {
        CFlower* far = MakeFlower(-320, 0, 125 + away);
        const Blossom& b = far->m_Blossom[0];
        ASSERT_EQ(b.SegCount, 10) << away;
        // The ten pieces still cover the whole way.
        ExpectNear(b.SegPos[0], kBlossom0 + D3DXVECTOR3(0, 0, away * 0.05f), away * 1e-5f);
        ExpectNear(b.SegPos[9], kBlossom0 + D3DXVECTOR3(0, 0, away * 0.95f), away * 1e-5f);
        // What follows the vine arrays is intact.
        EXPECT_EQ(b.PetalAngle, 0.0f);
        EXPECT_EQ(b.WiltIndex, 0);
        ExpectNear(b.RootPos, D3DXVECTOR3(-320.0f, 4.5f, 125.0f));
        EXPECT_EQ(b.RootLife, 1.0f);
        EXPECT_EQ(far->m_Blossom[1].Hp, 5);
    }
    // A far blossom that falls wilts its ten pieces and stops at the last.
    CFlower* far = MakeFlower(-320, 0, 5125);
    far->m_Blossom[0].Hp = 0;
    for (int i = 0; i < 1500; ++i)
        far->Update();
    EXPECT_EQ(far->m_Blossom[0].WiltIndex, 9);
    EXPECT_LE(far->m_Blossom[0].SegScale[9].x, 0.6f);
}

TEST_F(Flower, InitSwitchesOnTheGreenPointLightOne) {
    ASSERT_NE(LightOn(1), TRUE);
    CFlower* f = MakeFlower(40, 7, -30);
    EXPECT_EQ(LightOn(1), TRUE);
    D3DLIGHT9 l{};
    m_Device->GetLight(1, &l);
    EXPECT_EQ(l.Type, D3DLIGHT_POINT);
    for (const D3DCOLORVALUE& c : {l.Diffuse, l.Specular, l.Ambient}) {
        EXPECT_EQ(c.r, 0.0f);
        EXPECT_EQ(c.g, 0.7f);
        EXPECT_EQ(c.b, 0.0f);
        EXPECT_EQ(c.a, 1.0f);
    }
    EXPECT_EQ(l.Position.x, 40.0f);
    EXPECT_EQ(l.Position.y, 0.0f); // on the seabed whatever the flower's height
    EXPECT_EQ(l.Position.z, -30.0f);
    EXPECT_EQ(l.Range, 60.0f);
    EXPECT_EQ(l.Attenuation0, 0.0f);
    EXPECT_EQ(l.Attenuation1, 0.05f);
    EXPECT_EQ(l.Attenuation2, 0.0f);
    EXPECT_EQ(f->m_Light.Range, 60.0f);
    EXPECT_EQ(LightOn(0), TRUE) << "light 0 is left alone";
}

TEST_F(Flower, OtherKindsAndShotsAtTheEdgeOfReachDoNoHarm) {
    CFlower* f = MakeFlower(0, 0, 0);
    std::vector<Probe*> harmless;
    for (int kind : {1, 10, 11, 13})
        harmless.push_back(ShotAt(kind, kBlossom0));
    harmless.push_back(Shot(0, kBlossom0.x + 10.0f, kBlossom0.z)); // exactly 10 away: no hit
    harmless.push_back(Shot(0, kBlossom0.x, kBlossom0.z - 10.0f));
    Probe* dead = ShotAt(0, kBlossom0);
    dead->m_bDead = 1;
    Probe* elsewhere = Shot(0, 0.0f, 0.0f);
    elsewhere->m_Pos = kBlossom0; // its m_Pos is on the blossom, its translation is not
    ShotList.push_back(nullptr);
    f->Update();
    EXPECT_EQ(f->m_Blossom[0].Hp, 5);
    EXPECT_EQ(f->m_Blossom[1].Hp, 5);
    for (Probe* p : harmless)
        EXPECT_EQ(p->m_bDead, 0) << p->m_Kind;
    EXPECT_EQ(elsewhere->m_bDead, 0);
    EXPECT_TRUE(ShotRequestQueue.empty());

    // Just inside, and high above: height does not count.
    Probe* inside = Shot(0, kBlossom0.x + 6.0f, kBlossom0.z + 7.9f, 40.0f);
    f->Update();
    EXPECT_EQ(inside->m_bDead, 1);
    EXPECT_EQ(f->m_Blossom[0].Hp, 4);
    EXPECT_EQ(ShotRequestQueue.size(), 8u);
}

TEST_F(Flower, TwoShotsInOneFrameTakeTwoHitPointsAndMakeSixteenSprays) {
    CFlower* f = MakeFlower(0, 0, 0);
    const D3DXVECTOR3 p1(kBlossom1.x + 3.0f, 2.0f, kBlossom1.z - 4.0f);
    const D3DXVECTOR3 p2(kBlossom1.x - 1.0f, 6.0f, kBlossom1.z + 2.0f);
    Probe* s1 = ShotAt(0, p1);
    Probe* s2 = ShotAt(0, p2);
    f->Update();
    EXPECT_EQ(f->m_Blossom[1].Hp, 3);
    EXPECT_EQ(f->m_Blossom[0].Hp, 5);
    EXPECT_EQ(s1->m_bDead, 1);
    EXPECT_EQ(s2->m_bDead, 1);
    ASSERT_EQ(ShotRequestQueue.size(), 16u);
    for (size_t i = 0; i < 16; ++i) {
        const ShotRequest& r = ShotRequestQueue[i];
        EXPECT_EQ(r.Kind, 10);
        EXPECT_EQ(r.Speed, 0.5f);
        EXPECT_EQ(r.Life, 10);
        EXPECT_EQ(r.Angle, (float)((i % 8) * 45)) << i;
        ExpectNear(r.Pos, i < 8 ? p1 : p2); // from where each shot was taken
    }
    EXPECT_EQ(f->m_Blossom[1].bFinished, 0);
}

TEST_F(Flower, TheFallComesInTheFrameOfTheLastHitAndThenShotsFlyOn) {
    CFlower* f = MakeFlower(0, 0, 0);
    for (int hit = 1; hit <= 4; ++hit) {
        ShotAt(0, kBlossom0);
        f->Update();
        EXPECT_EQ(f->m_Blossom[0].Hp, 5 - hit);
        EXPECT_EQ(f->m_Blossom[0].bFinished, 0);
        EXPECT_EQ(f->m_OuterScale.y, 6.5f);
    }
    ShotAt(0, kBlossom0);
    f->Update();
    const Blossom& b = f->m_Blossom[0];
    EXPECT_EQ(b.Hp, 0);
    EXPECT_EQ(b.bFinished, 1);
    EXPECT_FLOAT_EQ(b.Color.r, 0.9f);
    EXPECT_FLOAT_EQ(b.Color.g, 0.9f);
    EXPECT_FLOAT_EQ(b.Color.b, 0.9f);
    EXPECT_EQ(b.PetalAngle, 0.5f);
    EXPECT_FLOAT_EQ(b.RootLife, 0.99f);
    // The outer shell collapses with the first blossom; the inner part only sinks.
    EXPECT_EQ(f->m_OuterScale.y, 0.0f);
    EXPECT_EQ(f->m_InnerScale.y, 3.0f);
    EXPECT_EQ(f->m_OuterColor.r, 0.2f);
    EXPECT_EQ(f->m_OuterColor.g, 0.1f);
    EXPECT_EQ(f->m_OuterColor.b, 0.0f);
    EXPECT_EQ(f->m_OuterColor.a, 1.0f);
    EXPECT_EQ(f->m_InnerColor.a, 0.05f);
    EXPECT_EQ(f->m_bDone, 0);
    EXPECT_EQ(LightOn(1), TRUE);

    // A fallen blossom no longer stops shots.
    ShotRequestQueue.clear();
    Probe* through = ShotAt(0, kBlossom0);
    f->Update();
    EXPECT_EQ(through->m_bDead, 0);
    EXPECT_EQ(f->m_Blossom[0].Hp, 0);
    EXPECT_TRUE(ShotRequestQueue.empty());

    // Every shot of a frame is tested: hit points may go below zero.
    std::vector<Probe*> volley;
    for (int i = 0; i < 7; ++i)
        volley.push_back(Shot(0, kBlossom1.x + (float)i, kBlossom1.z));
    f->Update();
    EXPECT_EQ(f->m_Blossom[1].Hp, -2);
    EXPECT_EQ(ShotRequestQueue.size(), 56u);
    for (Probe* p : volley)
        EXPECT_EQ(p->m_bDead, 1);
    EXPECT_EQ(f->m_bDone, 1); // in the same frame
}

TEST_F(Flower, FinishedFlowerKeepsItsLightOffEveryFrameAndLetsEveryoneThrough) {
    CFlower* f = MakeFlower(100, 0, 50);
    D3DXVECTOR3 blocked(105, 3, 50);
    PushOutOfFlowers(blocked, 2.0f);
    EXPECT_NEAR(blocked.x, 100 + 30.1f, 1e-3f);

    for (int i = 0; i < 5; ++i) {
        ShotAt(0, kBlossom0);
        ShotAt(0, kBlossom1);
    }
    d3d9debug::EnableCallLog(m_Device, true);
    f->Update();
    EXPECT_EQ(f->m_bDone, 1);
    EXPECT_EQ(f->m_InnerScale.y, 0.0f);
    EXPECT_EQ(f->m_InnerColor.r, 0.2f);
    EXPECT_EQ(f->m_InnerColor.g, 0.1f);
    EXPECT_EQ(f->m_InnerColor.a, 1.0f);
    EXPECT_EQ(LightOn(1), FALSE);
    EXPECT_EQ(LightEnableCalls(m_Device, 1, FALSE), 1);
    for (int frame = 2; frame <= 4; ++frame) {
        m_Device->LightEnable(1, TRUE); // whoever turns it back on
        f->Update();
        EXPECT_EQ(LightOn(1), FALSE) << frame;
        EXPECT_EQ(LightEnableCalls(m_Device, 1, FALSE), frame);
    }

    D3DXVECTOR3 free(105, 3, 50);
    PushOutOfFlowers(free, 2.0f);
    EXPECT_EQ(free, D3DXVECTOR3(105, 3, 50));
    UpdateAll();
    ASSERT_EQ(ObstacleList.size(), 1u); // never removed
    EXPECT_EQ(ObstacleList[0], f);
}

TEST_F(Flower, AFallenBlossomDroopsFadesLosesItsRootSpiritAndWiltsPieceByPiece) {
    CFlower* f = MakeFlower(0, 0, 0);
    Blossom& b = f->m_Blossom[0];
    const Blossom& standing = f->m_Blossom[1];
    b.Hp = 0;
    for (int frame = 1; frame <= 99; ++frame)
        f->Update();
    EXPECT_GE(b.RootLife, 0.0f);
    EXPECT_NEAR(b.RootPos.y, 4.5f + 9.9f, 1e-3f);
    EXPECT_NEAR(b.RootScale.x, 6.0f - 99 * 0.06f, 1e-3f);
    EXPECT_NEAR(b.RootScale.y, 6.0f + 99 * 0.2f, 1e-3f);
    EXPECT_EQ(b.PetalAngle, 45.0f); // 0.5 a frame up to 45, then no further
    EXPECT_EQ(standing.RootAngle, 99.0f);
    EXPECT_EQ(standing.PetalAngle, 0.0f);
    f->Update();
    f->Update();
    EXPECT_LT(b.RootLife, 0.0f); // gone after 101 frames
    const float lastHeight = b.RootPos.y;
    for (int i = 0; i < 10; ++i)
        f->Update();
    EXPECT_EQ(b.RootPos.y, lastHeight);
    // The petals' colour fades to its floors and stays there.
    EXPECT_LE(b.Color.r, 0.4f);
    EXPECT_GT(b.Color.r, 0.36f);
    EXPECT_LE(b.Color.g, 0.2f);
    EXPECT_GT(b.Color.g, 0.18f);
    EXPECT_LE(b.Color.b, 0.1f);
    EXPECT_GT(b.Color.b, 0.09f);

    // 111 frames in: the first piece has shrunk to 0.6 (85 frames) and the second is on its way.
    EXPECT_EQ(b.WiltIndex, 1);
    EXPECT_LE(b.SegScale[0].x, 0.6f);
    EXPECT_GT(b.SegScale[0].x, 0.59f);
    EXPECT_EQ(b.SegTilt[0], -85.0f);
    EXPECT_LE(b.SegColor[0].r, 0.4f);
    EXPECT_LE(b.SegColor[0].g, 0.15f);
    EXPECT_LT(b.SegColor[0].b, 0.001f);
    EXPECT_EQ(b.SegTilt[1], -25.0f);
    EXPECT_EQ(b.SegScale[2].x, 1.0f);
    // The standing blossom's vine is untouched.
    for (int k = 0; k < standing.SegCount; ++k)
        EXPECT_EQ(standing.SegScale[k].x, 1.0f);

    for (int i = 0; i < 600; ++i)
        f->Update();
    EXPECT_EQ(b.WiltIndex, 5); // the last of six, where the wilting ends
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(b.SegTilt[k], -85.0f) << k;

    // The standing blossom's root spirit spins and wraps at 360.
    CFlower* g = MakeFlower(0, 0, 0);
    for (int i = 0; i < 359; ++i)
        g->Update();
    EXPECT_EQ(g->m_Blossom[0].RootAngle, 359.0f);
    g->Update();
    EXPECT_EQ(g->m_Blossom[0].RootAngle, 0.0f);
}

TEST_F(Flower, ABlossomWithoutAVineFallsAllTheSame) {
    CFlower* f = MakeFlower(-300, 0, 125);
    ASSERT_EQ(f->m_Blossom[0].SegCount, 0);
    f->m_Blossom[0].Hp = 0;
    for (int i = 0; i < 200; ++i)
        f->Update();
    EXPECT_EQ(f->m_Blossom[0].bFinished, 1);
    EXPECT_EQ(f->m_Blossom[0].WiltIndex, 0);
    EXPECT_EQ(f->m_Blossom[0].PetalAngle, 45.0f);
}

TEST_F(Flower, WithoutADeviceTheFlowerStillStandsFallsAndDraws) {
    g_pDevice = nullptr; // as the world passes run in logic tests
    CFlower* f = MakeFlower(0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        ShotAt(0, kBlossom0);
        ShotAt(0, kBlossom1);
    }
    f->Update();
    f->Draw();
    EXPECT_EQ(f->m_bDone, 1);
    g_pDevice = m_Device;
    EXPECT_NE(LightOn(1), TRUE);
}
