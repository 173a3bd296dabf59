// The title and stage cameras, the view and projection, the seabed draw and the terrain choice, on a
// recording device.
#include "app/Camera.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/WinMain.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"
#include <d3d9debug.h>

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

void ExpectVec(const D3DXVECTOR3& v, float x, float y, float z, float tol = 1e-4f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

class Camera : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        ReplaySet({}, true); // input comes only from the test
        win32::ResetInput();
        g_hWnd = nullptr; // no window: the device records
        ASSERT_NE(InitDirect3D(0), nullptr);
        m_SavedTerrain = g_pTerrain;
        m_SavedStage = g_StageNo;
    }
    void TearDown() override {
        win32::ResetInput();
        ResetRun();
        g_pTerrain = m_SavedTerrain;
        g_StageNo = m_SavedStage;
        ReleaseDirect3D();
    }

    // One frame of the stage camera with the given key held (0: none).
    void Frame(const D3DXMATRIX& trans, int key = 0) {
        if (key) win32::SetKey(key, true);
        StageCameraUpdate(trans);
        if (key) win32::SetKey(key, false);
    }

    MeshData* m_SavedTerrain = nullptr;
    int m_SavedStage = 0;
};

} // namespace

TEST_F(Camera, TitleEyeSits60DegreesAboveTheLookAtPointAndFollowsIt) {
    g_CamYaw = 123.0f;
    TitleCameraInit();
    ExpectVec(g_CamAt, 0.0f, 0.0f, -100.0f);
    ExpectVec(g_CamEye, 0.0f, 43.30127f, -125.0f);
    EXPECT_EQ(g_CamYaw, 0.0f);
    // The title glides the look-at point; the eye keeps its offset.
    g_CamAt.x = 12.0f;
    g_CamAt.z = -40.0f;
    TitleCameraUpdate();
    ExpectVec(g_CamEye, 12.0f, 43.30127f, -65.0f);
}

TEST_F(Camera, StageCameraStartsAbovePlayerAndResetsItsState) {
    g_CamRise = 7.0f;
    g_CamRiseHold = 99;
    g_CamYaw = 45.0f;
    StageCameraInit(Translation(60.0f, 6.0f, -170.0f));
    ExpectVec(g_CamEye, 60.0f, 46.0f, -180.0f);
    ExpectVec(g_CamAt, 60.0f, 9.0f, -170.0f);
    EXPECT_EQ(g_CamRise, 0.0f);
    EXPECT_EQ(g_CamRiseHold, 0);
    EXPECT_EQ(g_CamYaw, 0.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(std::memcmp(&g_mCamRot, &identity, sizeof identity), 0);
}

TEST_F(Camera, RiseClimbsHoldsThenSinks) {
    const D3DXMATRIX trans = Translation(60.0f, 6.0f, -170.0f);
    StageCameraInit(trans);
    // Climb at 0.2 per frame until the first value not below 15. In single precision 75 steps land a hair
    // under 15 (14.99999), so the 76th step is taken and the rise tops out at 15.19999.
    float expected = 0.0f;
    int frames = 0;
    while (expected < 15.0f) {
        expected += 0.2f;
        ++frames;
    }
    EXPECT_EQ(frames, 76);
    for (int i = 0; i < 200; ++i) {
        Frame(trans, 'W');
        if (i + 1 == 75) {
            EXPECT_NEAR(g_CamRise, 15.0f, 1e-4f);
            EXPECT_LT(g_CamRise, 15.0f);
        }
    }
    EXPECT_EQ(g_CamRise, expected);
    EXPECT_GE(g_CamRise, 15.0f);
    EXPECT_LT(g_CamRise, 15.2f);
    EXPECT_EQ(g_CamRiseHold, 250);
    ExpectVec(g_CamEye, 60.0f, 46.0f + expected, -180.0f);
    ExpectVec(g_CamAt, 60.0f, 9.0f, -170.0f);

    // Released: 249 frames at the top, the 250th starts the sink.
    for (int i = 0; i < 249; ++i) {
        Frame(trans);
        ASSERT_EQ(g_CamRise, expected) << "frame " << i + 1 << " after release";
    }
    EXPECT_EQ(g_CamRiseHold, 1);
    Frame(trans);
    EXPECT_EQ(g_CamRiseHold, 0);
    EXPECT_NEAR(g_CamRise, expected - 0.1f, 1e-5f);

    // Sinks 0.1 a frame while above 0 and stops at the first value not above 0 (possibly a hair below).
    int sinkFrames = 1;
    while (g_CamRise > 0.0f && sinkFrames < 1000) {
        Frame(trans);
        ++sinkFrames;
    }
    EXPECT_EQ(sinkFrames, 152); // 15.19999 down to just under 0
    EXPECT_LE(g_CamRise, 0.0f);
    EXPECT_GT(g_CamRise, -0.1f);
    const float bottom = g_CamRise;
    for (int i = 0; i < 10; ++i)
        Frame(trans);
    EXPECT_EQ(g_CamRise, bottom);
    EXPECT_EQ(g_CamRiseHold, 0);
    ExpectVec(g_CamEye, 60.0f, 46.0f + bottom, -180.0f);
}

TEST_F(Camera, EveryMovementKeyRaisesAndOneFrameRestartsTheHold) {
    const D3DXMATRIX trans = Translation(0.0f, 6.0f, 80.0f);
    StageCameraInit(trans);
    for (int key : {'D', 'A', 'W', 'S'}) {
        const float before = g_CamRise;
        Frame(trans, key);
        EXPECT_NEAR(g_CamRise, before + 0.2f, 1e-6f) << (char)key;
        EXPECT_EQ(g_CamRiseHold, 250);
    }
    // Half-way through a hold, one key frame sets it back to 250 and raises by 0.2.
    for (int i = 0; i < 100; ++i)
        Frame(trans);
    EXPECT_EQ(g_CamRiseHold, 150);
    const float held = g_CamRise;
    Frame(trans, 'A');
    EXPECT_NEAR(g_CamRise, held + 0.2f, 1e-6f);
    EXPECT_EQ(g_CamRiseHold, 250);
    // While sinking, a single key frame climbs again from where the rise stands.
    g_CamRise = 3.0f;
    g_CamRiseHold = 0;
    Frame(trans);
    EXPECT_NEAR(g_CamRise, 2.9f, 1e-6f);
    Frame(trans, 'S');
    EXPECT_NEAR(g_CamRise, 3.1f, 1e-6f);
    EXPECT_EQ(g_CamRiseHold, 250);
    Frame(trans);
    EXPECT_NEAR(g_CamRise, 3.1f, 1e-6f);
    EXPECT_EQ(g_CamRiseHold, 249);
    // Keys that are not movement keys do nothing to the rise.
    Frame(trans, VK_RETURN);
    EXPECT_EQ(g_CamRiseHold, 248);
}

TEST_F(Camera, StageCameraFollowsThePlayerAndKeepsItsYawInRange) {
    StageCameraInit(Translation(0.0f, 0.0f, 0.0f));
    Frame(Translation(-30.0f, 8.0f, 250.0f));
    ExpectVec(g_CamEye, -30.0f, 48.0f, 240.0f);
    ExpectVec(g_CamAt, -30.0f, 11.0f, 250.0f);
    g_CamYaw = 370.0f;
    Frame(Translation(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(g_CamYaw, 10.0f, 1e-4f);
    g_CamYaw = -90.0f;
    Frame(Translation(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(g_CamYaw, 270.0f, 1e-4f);
    // Turned to 270 degrees the eye's 10 units of "behind" point along +x.
    ExpectVec(g_CamEye, 10.0f, 40.0f, 0.0f);
}

TEST_F(Camera, ViewAndProjectionGoToTheDevice) {
    g_CamEye = D3DXVECTOR3(60.0f, 46.0f, -180.0f);
    g_CamAt = D3DXVECTOR3(60.0f, 9.0f, -170.0f);
    d3d9debug::EnableCallLog(g_pDevice, true);
    SetViewProjection();
    const std::vector<DeviceCall>& log = d3d9debug::CallLog(g_pDevice);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].method, "SetTransform");
    EXPECT_EQ(log[0].a, (DWORD)D3DTS_VIEW);
    EXPECT_EQ(std::memcmp(&log[0].matrix, &g_mView, sizeof g_mView), 0);
    EXPECT_EQ(log[1].method, "SetTransform");
    EXPECT_EQ(log[1].a, (DWORD)D3DTS_PROJECTION);
    EXPECT_EQ(std::memcmp(&log[1].matrix, &g_mProj, sizeof g_mProj), 0);
    // The eye lands at the view's origin and the look-at point straight ahead on +z.
    D3DXVECTOR3 eye, at;
    D3DXVec3TransformCoord(&eye, &g_CamEye, &g_mView);
    D3DXVec3TransformCoord(&at, &g_CamAt, &g_mView);
    ExpectVec(eye, 0.0f, 0.0f, 0.0f);
    ExpectVec(at, 0.0f, 0.0f, std::sqrt(37.0f * 37.0f + 10.0f * 10.0f));
    // 90 degrees vertically, 4:3, near 1, far 1000.
    EXPECT_NEAR(g_mProj._11, 0.75f, 1e-5f);
    EXPECT_NEAR(g_mProj._22, 1.0f, 1e-5f);
    EXPECT_NEAR(g_mProj._33, 1000.0f / 999.0f, 1e-5f);
    EXPECT_NEAR(g_mProj._43, -1000.0f / 999.0f, 1e-4f);
    EXPECT_EQ(g_mProj._34, 1.0f);
    d3d9debug::EnableCallLog(g_pDevice, false);
}

TEST_F(Camera, GroundIs25TilesZOuterXInnerWithTheGroundTexture) {
    InitGround();
    IDirect3DTexture9* ground = nullptr;
    ASSERT_EQ(g_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ground, nullptr),
              D3D_OK);
    IDirect3DTexture9* saved = g_pTexGround;
    g_pTexGround = ground;
    d3d9debug::EnableCallLog(g_pDevice, true);
    DrawGround();
    const std::vector<DeviceCall> log = d3d9debug::CallLog(g_pDevice);
    d3d9debug::EnableCallLog(g_pDevice, false);
    g_pTexGround = saved;
    ground->Release();

    ASSERT_EQ(log.size(), 2u + 25u * 2u);
    EXPECT_EQ(log[0].method, "SetTexture");
    EXPECT_EQ(log[0].a, 0u);
    EXPECT_EQ(log[0].ptr, ground);
    EXPECT_EQ(log[1].method, "SetFVF");
    EXPECT_EQ(log[1].a, 0x142u);
    const Vertex3D quad[4] = {{-100.0f, 0.0f, 100.0f, 0xFFFFFFFF, 0.0f, 0.0f},
                              {100.0f, 0.0f, 100.0f, 0xFFFFFFFF, 1.0f, 0.0f},
                              {100.0f, 0.0f, -100.0f, 0xFFFFFFFF, 1.0f, 1.0f},
                              {-100.0f, 0.0f, -100.0f, 0xFFFFFFFF, 0.0f, 1.0f}};
    int tile = 0;
    for (int z = -400; z <= 400; z += 200) {
        for (int x = -400; x <= 400; x += 200, ++tile) {
            const DeviceCall& set = log[2 + tile * 2];
            const DeviceCall& draw = log[3 + tile * 2];
            ASSERT_EQ(set.method, "SetTransform");
            EXPECT_EQ(set.a, (DWORD)D3DTS_WORLD);
            EXPECT_EQ(set.matrix._41, (float)x) << "tile " << tile;
            EXPECT_EQ(set.matrix._42, 0.0f);
            EXPECT_EQ(set.matrix._43, (float)z) << "tile " << tile;
            EXPECT_EQ(set.matrix._11, 1.0f);
            ASSERT_EQ(draw.method, "DrawPrimitiveUP");
            EXPECT_EQ(draw.a, (DWORD)D3DPT_TRIANGLEFAN);
            EXPECT_EQ(draw.b, 2u);
            EXPECT_EQ(draw.c, 24u);
            EXPECT_EQ(draw.ptr, ground);
            EXPECT_EQ(draw.matrix._41, (float)x);
            EXPECT_EQ(draw.matrix._43, (float)z);
            ASSERT_EQ(draw.data.size(), sizeof quad);
            EXPECT_EQ(std::memcmp(draw.data.data(), quad, sizeof quad), 0) << "tile " << tile;
        }
    }
}

TEST_F(Camera, TerrainFollowsStagesOneToThreeAndOtherStagesKeepIt) {
    InitGround();
    EXPECT_EQ(g_TerrainScale, 30.0f);
    EXPECT_EQ(g_mTerrain._11, 30.0f);
    EXPECT_EQ(g_mTerrain._22, 20.0f);
    EXPECT_EQ(g_mTerrain._33, 30.0f);
    EXPECT_EQ(g_mTerrain._41, 0.0f);
    EXPECT_EQ(g_mTerrain._44, 1.0f);

    // The first stage of a run outside 1..3 has no terrain at all.
    g_pTerrain = nullptr;
    g_StageNo = 4;
    SelectTerrain();
    EXPECT_EQ(g_pTerrain, nullptr);

    MeshData* const expected[] = {&g_MeshCollision1, &g_MeshCollision2, &g_MeshCollision3};
    for (int stage = 1; stage <= 3; ++stage) {
        g_StageNo = stage;
        g_mTerrain._11 = 0.0f;
        g_TerrainScale = 0.0f;
        SelectTerrain();
        EXPECT_EQ(g_pTerrain, expected[stage - 1]) << stage;
        EXPECT_EQ(g_TerrainScale, 30.0f);
        EXPECT_EQ(g_mTerrain._11, 30.0f);
    }
    for (int stage : {4, 0, -1, 5}) {
        g_StageNo = stage;
        g_TerrainScale = 12.0f;
        SelectTerrain();
        EXPECT_EQ(g_pTerrain, &g_MeshCollision3) << stage;
        EXPECT_EQ(g_TerrainScale, 12.0f) << "stage " << stage << " changes nothing";
    }
}
