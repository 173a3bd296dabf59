// The camera, the seabed and the cursor inside the stage's frame, on a recording device.
#include "app/Camera.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/WinMain.h"
#include "assets/Textures.h"
#include "world/ObjectBase.h"
#include "world/World.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"
#include <d3d9debug.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CameraScene : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().fast = true;
        ReplaySet({}, true);
        win32::ResetVirtualClock();
        win32::ResetMessages();
        win32::ResetInput();
        ResetSceneGlobals();
        ReleaseObjects();
        g_hWnd = nullptr;
        g_rcClient = RECT{0, 0, 640, 480};
        g_rcWindow = RECT{0, 0, 640, 480};
        ASSERT_NE(InitDirect3D(0), nullptr);
        AppInit();
        // Textures of our own where the image files are absent, so that their draws can be told apart.
        for (IDirect3DTexture9** slot : {&g_pTexGround, &g_pTexCursor}) {
            if (*slot) continue;
            ASSERT_EQ(g_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, slot, nullptr),
                      D3D_OK);
        }
        g_StageNo = 1;
        g_SceneId = 1;
        GameInit();
        g_TargetCount = 5; // keeps the stage running without a stage file
    }
    void TearDown() override {
        GameUninit();
        AppUninit();
        ReleaseDirect3D();
        ResetSceneGlobals();
        win32::ResetInput();
        win32::ResetMessages();
        ResetRun();
    }
    const D3DXVECTOR3& PlayerPos() const { return ActorList[0]->m_Pos; }
};

} // namespace

TEST_F(CameraScene, StageCameraStandsStillDuringTheFadeAndRisesAfterIt) {
    ASSERT_FALSE(ActorList.empty());
    const D3DXVECTOR3 start = PlayerPos();
    EXPECT_NEAR(g_CamEye.x, start.x, 1e-4f);
    EXPECT_NEAR(g_CamEye.y, start.y + 40.0f, 1e-4f);
    EXPECT_NEAR(g_CamEye.z, start.z - 10.0f, 1e-4f);
    win32::SetKey('W', true);
    int frames = 0;
    while (g_FadeMode != 0 && frames < 100) {
        GameUpdate();
        ++frames;
        ASSERT_EQ(g_CamRise, 0.0f) << "frame " << frames << " of the fade";
    }
    ASSERT_EQ(g_FadeMode, 0);
    for (int i = 0; i < 30; ++i)
        GameUpdate();
    win32::SetKey('W', false);
    EXPECT_NEAR(g_CamRise, 6.0f, 1e-4f);
    EXPECT_NEAR(g_CamEye.y - PlayerPos().y - 40.0f, 6.0f, 1e-4f);
    // The camera follows the player's translation of the frame before, one swim step behind at most.
    EXPECT_NEAR(g_CamEye.z, PlayerPos().z - 10.0f, 0.21f);
}

TEST_F(CameraScene, EveryStageFrameDrawsTheSeabedAndTheCursorLast) {
    win32::SetMouseScreen(200, 100);
    d3d9debug::EnableCallLog(g_pDevice, true);
    GameUpdate();
    const std::vector<DeviceCall> log = d3d9debug::CallLog(g_pDevice);
    d3d9debug::EnableCallLog(g_pDevice, false);
    int fans = 0;
    size_t firstFan = log.size(), view = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].method == "DrawPrimitiveUP" && log[i].a == (DWORD)D3DPT_TRIANGLEFAN && log[i].b == 2 &&
            log[i].ptr == g_pTexGround) {
            ++fans;
            if (firstFan == log.size()) firstFan = i;
        }
        if (log[i].method == "SetTransform" && log[i].a == (DWORD)D3DTS_VIEW && view == log.size()) view = i;
    }
    EXPECT_EQ(fans, 25);
    EXPECT_LT(view, firstFan) << "the view is set before anything is drawn";
    EXPECT_EQ(g_CursorX, 200.0f);
    EXPECT_EQ(g_CursorY, 100.0f);
    // The cursor and then the fade overlay are the last two sprites of the frame.
    std::vector<const DeviceCall*> sprites;
    for (const DeviceCall& c : log)
        if (c.method == "SpriteDraw") sprites.push_back(&c);
    ASSERT_GE(sprites.size(), 2u);
    EXPECT_EQ(sprites[sprites.size() - 2]->ptr, g_pTexCursor);
}
