// The scene chain on a recording device: fades, the frame clock, Escape, the clear and death tests and
// the death fog.
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/Title.h"
#include "world/ObjectBase.h"
#include "world/World.h"
#include "app/WinMain.h"
#include "tests/unit/RunTestSupport.h"
#include "sdl_window.h"
#include "win32_private.h"
#include <d3d9debug.h>

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

float BitsToFloat(DWORD d) {
    float f;
    std::memcpy(&f, &d, sizeof f);
    return f;
}

class Scene : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().fast = true; // Sleep moves the virtual clock instead of waiting
        win32::ResetVirtualClock();
        win32::ResetMessages();
        ResetSceneGlobals();
        ReleaseObjects();
        g_hWnd = nullptr; // no window: the device records
        ASSERT_NE(InitDirect3D(0), nullptr);
        ASSERT_FALSE(d3d9debug::IsDrawing(g_pDevice));
    }
    void TearDown() override {
        ReleaseObjects();
        if (g_pSprite) g_pSprite->Release();
        g_pSprite = nullptr;
        ReleaseDirect3D();
        ResetSceneGlobals();
        win32::ResetMessages();
        ResetRun();
    }

    // The values a render state was set to, in order, in the recorded calls.
    std::vector<DWORD> RenderStates(D3DRENDERSTATETYPE state) {
        std::vector<DWORD> values;
        for (const DeviceCall& c : d3d9debug::CallLog(g_pDevice))
            if (c.method == "SetRenderState" && c.a == (DWORD)state) values.push_back(c.b);
        return values;
    }

    bool QuitPosted() {
        MSG msg{};
        return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message == WM_QUIT;
    }

    // A stage with a player and targets, after its set-up.
    void EnterStage(int stageNo, int targets) {
        AppInit();
        g_StageNo = stageNo;
        g_SceneId = 1;
        GameInit();
        g_TargetCount = targets;
    }
};

} // namespace

TEST_F(Scene, FadeInTakes64FramesAndMode3LastsOneFrame) {
    g_FadeMode = 1;
    g_FadeAlpha = 255;
    std::vector<int> alpha, mode;
    for (int i = 0; i < 70; ++i) {
        FadeStep();
        alpha.push_back(g_FadeAlpha);
        mode.push_back(g_FadeMode);
    }
    EXPECT_EQ(alpha[0], 251);
    EXPECT_EQ(alpha[62], 3);
    EXPECT_EQ(mode[62], 1);
    EXPECT_EQ(alpha[63], 0); // frame 64
    EXPECT_EQ(mode[63], 3);
    EXPECT_EQ(mode[64], 0);
    EXPECT_EQ(std::count(mode.begin(), mode.end(), 3), 1);
    EXPECT_EQ(alpha.back(), 0);
}

TEST_F(Scene, FadeOutTakes64FramesAndMode4LastsOneFrame) {
    g_FadeMode = 2;
    g_FadeAlpha = 0;
    std::vector<int> alpha, mode;
    for (int i = 0; i < 70; ++i) {
        FadeStep();
        alpha.push_back(g_FadeAlpha);
        mode.push_back(g_FadeMode);
    }
    EXPECT_EQ(alpha[0], 4);
    EXPECT_EQ(alpha[62], 252);
    EXPECT_EQ(mode[62], 2);
    EXPECT_EQ(alpha[63], 255);
    EXPECT_EQ(mode[63], 4);
    EXPECT_EQ(mode[64], 0);
    EXPECT_EQ(std::count(mode.begin(), mode.end(), 4), 1);
}

TEST_F(Scene, FadeOutThatReachesFullBlackExactlyStillEnds) {
    // A fade-out from an opacity that lands on 255 must not hang at mode 2.
    g_FadeMode = 2;
    g_FadeAlpha = 251;
    FadeStep();
    EXPECT_EQ(g_FadeAlpha, 255);
    EXPECT_EQ(g_FadeMode, 4);
    g_FadeMode = 2;
    g_FadeAlpha = 255;
    FadeStep();
    EXPECT_EQ(g_FadeMode, 4);
}

TEST_F(Scene, PacingKeepsSixtyFramesASecondWithSinglePrecisionTargets) {
    // No work in the frames: each frame ends at its due time in the window.
    std::vector<DWORD> ends;
    for (int i = 0; i < 61; ++i) {
        FrameClockCount();
        FrameClockPace();
        ends.push_back(timeGetTime());
    }
    EXPECT_EQ(ends[0], 16u);
    EXPECT_EQ(ends[1], 33u);
    EXPECT_EQ(ends[2], 50u);   // 3 x 16.666666 rounds to 50.0 in single precision
    EXPECT_EQ(ends[14], 249u); // 15 x 16.666666 stays below 250
    EXPECT_EQ(ends[59], 999u); // the 60th frame
    // The 61st frame starts a new window at the current time.
    EXPECT_EQ(g_FrameCount, 1);
    EXPECT_EQ(g_FrameWindowStart, 999u);
    EXPECT_EQ(ends[60], 999u + 16u);
}

TEST_F(Scene, LateFramesAreFollowedByFramesWithoutSleep) {
    std::vector<DWORD> slept;
    for (int i = 0; i < 8; ++i) {
        FrameClockCount();
        Sleep(i == 0 ? 60 : 5); // the first frame's work takes 60 ms, later ones 5 ms
        DWORD before = timeGetTime();
        FrameClockPace();
        slept.push_back(timeGetTime() - before);
    }
    // Frame 1 is late (60 > 16); frames 2 and 3 are still behind (65 > 33, 70 > 50) and do not sleep;
    // frame 4 (due at 66) is reached at 75 -> no sleep either; frame 5 is due at 83, reached at 80;
    // from then on each frame sleeps the rest of its 16 or 17 ms.
    EXPECT_EQ(slept, (std::vector<DWORD>{0, 0, 0, 0, 3, 12, 11, 12}));
}

TEST_F(Scene, AnOverrunWindowIsNotMadeUp) {
    std::vector<DWORD> slept;
    for (int i = 0; i < 62; ++i) {
        FrameClockCount();
        if (i == 10) Sleep(1500); // one frame takes a second and a half
        DWORD before = timeGetTime();
        FrameClockPace();
        slept.push_back(timeGetTime() - before);
    }
    // The rest of the window after the long frame runs without sleep...
    for (int i = 10; i < 60; ++i)
        EXPECT_EQ(slept[i], 0u) << i;
    // ...and the next window starts at the current time: its first frame sleeps a normal 16 ms.
    EXPECT_EQ(slept[60], 16u);
    EXPECT_EQ(slept[61], 17u);
}

TEST_F(Scene, EscapeQuitsTheTitleAtOnceEvenDuringAFade) {
    for (int mode : {0, 1, 2, 3, 4}) {
        win32::ResetMessages();
        g_SceneId = 0;
        g_FadeMode = mode;
        EXPECT_EQ(WndProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0), 0);
        EXPECT_TRUE(QuitPosted()) << mode;
        EXPECT_EQ(g_FadeMode, mode);
    }
}

TEST_F(Scene, EscapeInAStageFadesOutOnlyWhenNoFadeRuns) {
    for (int scene : {1, 2, 3}) {
        for (int mode : {0, 1, 2, 3, 4}) {
            win32::ResetMessages();
            g_SceneId = scene;
            g_FadeMode = mode;
            WndProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_EQ(g_FadeMode, mode == 0 ? 2 : mode) << scene << " " << mode;
            EXPECT_FALSE(QuitPosted());
        }
    }
    // Scene ids outside 0 to 3 and other keys do nothing.
    g_FadeMode = 0;
    for (int scene : {-1, 4}) {
        g_SceneId = scene;
        WndProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    g_SceneId = 1;
    WndProc(nullptr, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(g_FadeMode, 0);
    EXPECT_FALSE(QuitPosted());
    // Destroying the window quits from any scene.
    WndProc(nullptr, WM_DESTROY, 0, 0);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(Scene, ClearingComesBeforeDyingInTheSameFrame) {
    EnterStage(1, 0);
    ActorList[0]->m_Hp = 0; // the player dies in the frame the last target falls
    g_bTutorial = 1;
    GameUpdate();
    EXPECT_EQ(g_StageState, 2);
    EXPECT_EQ(g_bTutorial, 0);
    // A later death does not turn a clear into a loss.
    GameUpdate();
    EXPECT_EQ(g_StageState, 2);
}

TEST_F(Scene, DeathEndsTheTutorialAndANewStageStartsPlaying) {
    EnterStage(1, 3);
    g_bTutorial = 1;
    ActorList[0]->m_Hp = -4;
    GameUpdate();
    EXPECT_EQ(g_StageState, 1);
    GameUpdate(); // the tutorial goes off once the state has left 0
    EXPECT_EQ(g_bTutorial, 0);
    g_TargetCount = 0; // no clear after a death
    GameUpdate();
    EXPECT_EQ(g_StageState, 1);
    GameUninit();
    EXPECT_EQ(g_TargetCount, 0);
    EXPECT_TRUE(ActorList.empty());
    GameInit();
    EXPECT_EQ(g_StageState, 0);
    ASSERT_FALSE(ActorList.empty()); // whatever the stage file holds, a fresh player leads the list
    EXPECT_EQ(ActorList[0]->m_Hp, 100);
}

TEST_F(Scene, DeathFogTurnsFromBlueToRedOver185Frames) {
    for (int round = 0; round < 2; ++round) { // on every death, also in a later stage
        EnterStage(2, 5);
        ActorList[0]->m_Hp = 0;
        GameUpdate(); // the death is found here; the fog starts next frame
        ASSERT_EQ(g_StageState, 1);
        d3d9debug::EnableCallLog(g_pDevice, true);
        for (int i = 0; i < 200; ++i)
            GameUpdate();
        std::vector<DWORD> colours = RenderStates(D3DRS_FOGCOLOR);
        std::vector<DWORD> ends = RenderStates(D3DRS_FOGEND);
        std::vector<DWORD> starts = RenderStates(D3DRS_FOGSTART);
        d3d9debug::EnableCallLog(g_pDevice, false);
        ASSERT_EQ(colours.size(), 185u);
        ASSERT_EQ(ends.size(), 185u);
        EXPECT_EQ(colours[0], 0xFF4746FEu);   // red 71, green 70, blue 254
        EXPECT_EQ(colours[92], 0xFFA346A2u);  // halfway: red 163, blue 162
        EXPECT_EQ(colours[184], 0xFFFF4646u); // red 255, green 70, blue 70
        for (size_t i = 0; i < colours.size(); ++i) {
            EXPECT_EQ((colours[i] >> 16) & 0xFF, 71 + i);
            EXPECT_EQ((colours[i] >> 8) & 0xFF, 70u);
            EXPECT_EQ(colours[i] & 0xFF, 254 - i);
            EXPECT_EQ(BitsToFloat(starts[i]), 30.0f);
        }
        EXPECT_NEAR(BitsToFloat(ends[0]), 99.95f, 1e-4f);
        EXPECT_NEAR(BitsToFloat(ends[184]), 90.75f, 0.01f);
        EXPECT_EQ(g_DeathFadeCount, 255);
        GameUninit();
        AppUninit();
    }
}

TEST_F(Scene, ScenesSetTheirFog) {
    d3d9debug::EnableCallLog(g_pDevice, true);
    AppInit();
    TitleInit();
    EXPECT_EQ(RenderStates(D3DRS_FOGCOLOR), (std::vector<DWORD>{0xFF1E1EAAu}));
    EXPECT_EQ(RenderStates(D3DRS_FOGTABLEMODE), (std::vector<DWORD>{D3DFOG_LINEAR}));
    EXPECT_EQ(BitsToFloat(RenderStates(D3DRS_FOGSTART).at(0)), 30.0f);
    EXPECT_EQ(BitsToFloat(RenderStates(D3DRS_FOGEND).at(0)), 60.0f);
    d3d9debug::ClearCallLog(g_pDevice);
    g_StageNo = 1;
    GameInit();
    EXPECT_EQ(RenderStates(D3DRS_FOGCOLOR), (std::vector<DWORD>{0xFF4646FFu}));
    EXPECT_EQ(BitsToFloat(RenderStates(D3DRS_FOGEND).at(0)), 100.0f);
    d3d9debug::EnableCallLog(g_pDevice, false);
}

TEST_F(Scene, TitleToStageAndBackGoesThroughTheFades) {
    AppInit();
    EXPECT_EQ(g_SceneProc, TitleInit);
    EXPECT_EQ(g_FadeAlpha, 255);
    g_SceneProc();
    EXPECT_EQ(g_SceneProc, TitleUpdate);
    EXPECT_EQ(g_FadeMode, 1); // the title fades in from black
    std::vector<int> modes;
    for (int i = 0; i < 70; ++i) {
        g_SceneProc();
        modes.push_back(g_FadeMode);
    }
    EXPECT_EQ(std::count(modes.begin(), modes.end(), 3), 1);
    EXPECT_EQ(modes[63], 3);
    EXPECT_EQ(g_FadeAlpha, 0);
    // "Start" chosen: the fade-out runs, then the frame after mode 4 leaves the title.
    g_MenuChoice = 0;
    g_StageNo = 1;
    g_FadeMode = 2;
    int frames = 0;
    while (g_SceneProc == TitleUpdate && frames < 100) {
        g_SceneProc();
        ++frames;
    }
    EXPECT_EQ(frames, 65);
    EXPECT_EQ(g_SceneProc, TitleUninit);
    EXPECT_EQ(g_FadeMode, 0);
    EXPECT_EQ(g_FadeAlpha, 255);
    g_SceneProc();
    EXPECT_EQ(g_SceneProc, GameInit);
    EXPECT_EQ(g_SceneId, 1);
    g_SceneProc();
    EXPECT_EQ(g_SceneProc, GameUpdate);
    EXPECT_EQ(g_FadeMode, 1);
    g_TargetCount = 2;
    // The tutorial of stage 1 starts on the frame after the fade-in ends.
    for (int i = 0; i < 64; ++i)
        g_SceneProc();
    EXPECT_EQ(g_FadeMode, 3);
    EXPECT_EQ(g_bTutorial, 0);
    g_SceneProc();
    EXPECT_EQ(g_bTutorial, 1);
    EXPECT_EQ(g_FadeMode, 0);
    // Escape while playing: fade out, then back to the title.
    WndProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
    frames = 0;
    while (g_SceneProc == GameUpdate && frames < 100) {
        g_SceneProc();
        ++frames;
    }
    EXPECT_EQ(frames, 65);
    EXPECT_EQ(g_SceneProc, GameUninit);
    g_SceneProc();
    EXPECT_EQ(g_SceneProc, TitleInit);
    EXPECT_EQ(g_SceneId, 0);
    AppUninit();
}

TEST_F(Scene, ExitChoiceQuitsThroughQuitScene) {
    AppInit();
    TitleInit();
    g_MenuChoice = 1;
    TitleUninit();
    EXPECT_EQ(g_SceneProc, QuitScene);
    EXPECT_EQ(g_SceneId, 3);
    EXPECT_FALSE(QuitPosted());
    QuitScene();
    EXPECT_TRUE(QuitPosted());
    AppUninit();
}

TEST_F(Scene, FadeOverlayCoversTheScreenAtTheFadeOpacity) {
    AppInit();
    d3d9debug::EnableCallLog(g_pDevice, true);
    for (int alpha : {0, 215, 255}) {
        d3d9debug::ClearCallLog(g_pDevice);
        g_FadeAlpha = alpha;
        DrawFadeOverlay();
        const DeviceCall* draw = nullptr;
        for (const DeviceCall& c : d3d9debug::CallLog(g_pDevice))
            if (c.method == "SpriteDraw") draw = &c;
        ASSERT_NE(draw, nullptr) << alpha; // drawn also at opacity 0
        EXPECT_EQ(draw->b, ((DWORD)alpha << 24) | 0xFFFFFFu);
        ASSERT_EQ(draw->data.size(), 4u * 24u);
        float corners[4][2];
        for (int v = 0; v < 4; ++v)
            std::memcpy(corners[v], draw->data.data() + v * 24, 8);
        EXPECT_FLOAT_EQ(corners[0][0], 0.0f);
        EXPECT_FLOAT_EQ(corners[0][1], 0.0f);
        EXPECT_FLOAT_EQ(corners[2][0], 640.0f);
        EXPECT_FLOAT_EQ(corners[2][1], 480.0f);
    }
    d3d9debug::EnableCallLog(g_pDevice, false);
    AppUninit();
}

TEST_F(Scene, ProcedureNamesForTheTrace) {
    EXPECT_STREQ(SceneProcName(TitleInit), "TitleInit");
    EXPECT_STREQ(SceneProcName(TitleUpdate), "TitleUpdate");
    EXPECT_STREQ(SceneProcName(TitleUninit), "TitleUninit");
    EXPECT_STREQ(SceneProcName(GameInit), "GameInit");
    EXPECT_STREQ(SceneProcName(GameUpdate), "GameUpdate");
    EXPECT_STREQ(SceneProcName(GameUninit), "GameUninit");
    EXPECT_STREQ(SceneProcName(QuitScene), "QuitScene");
    EXPECT_STREQ(SceneProcName(FadeStep), "?");
}

TEST_F(Scene, DeviceFailureEndsTheProgramWithoutTouchingTheDevice) {
    ReleaseDirect3D();
    PlatformMode().noRender = true;
    PlatformMode().screenAnswer = IDNO;
    for (bool failCreate : {true, false}) {
        Direct3DTestHooksForTest().failCreate = failCreate;
        Direct3DTestHooksForTest().failDeviceAttempts = failCreate ? 0 : 3; // all three device kinds fail
        g_SceneProc = nullptr;
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT), 0);
        EXPECT_EQ(g_pDevice, nullptr);
        EXPECT_EQ(g_SceneProc, nullptr); // the application was never set up
        EXPECT_NE(g_hWnd, nullptr);
        EXPECT_EQ(g_bFullScreen, 0);
        PlatformDestroyHiddenGlWindow(g_hWnd);
        g_hWnd = nullptr;
    }
    Direct3DTestHooksForTest() = Direct3DTestHooks{};
    ASSERT_NE(InitDirect3D(0), nullptr); // for TearDown
}
