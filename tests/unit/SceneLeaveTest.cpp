// Leaving a stage with Escape in the middle of its tutorial, then playing another stage: the tutorial
// ends with the stage it belongs to. On a recording device, in a scratch folder with small stage files.
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/WinMain.h"
#include "tests/support/ScratchDir.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"
#include "world/ObjectBase.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

class SceneLeave : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().fast = true;
        win32::ResetVirtualClock();
        win32::ResetMessages();
        ResetSceneGlobals();
        ReleaseObjects();
        ASSERT_FALSE(m_Scratch.Path().empty());
        m_Dir = m_Scratch.Path();
        std::filesystem::create_directory(m_Dir / "data");
        // Each stage has one far-away target, so that neither is cleared while the test runs.
        std::ofstream(m_Dir / "data" / "stage1.csv") << "type,x,y,z\n2,300,0,300\n";
        std::ofstream(m_Dir / "data" / "stage2.csv") << "type,x,y,z\n3,300,0,300\n";
        m_Cwd.reset(new ScopedWorkingDir(m_Scratch.Path()));
        ASSERT_TRUE(m_Cwd->Ok());
        g_hWnd = nullptr; // no window: the device records
        ASSERT_NE(InitDirect3D(0), nullptr);
        AppInit();
    }
    void TearDown() override {
        AppUninit();
        ReleaseDirect3D();
        ResetSceneGlobals();
        win32::ResetMessages();
        ResetRun();
        m_Cwd.reset();
        SetObjectArena(ObjectArena::Program);
    }
    // Runs scene procedures until proc is the next one (at most limit calls); false if it never came.
    bool RunUntil(SceneProcType proc, int limit) {
        for (int i = 0; i < limit && g_SceneProc != proc; ++i)
            g_SceneProc();
        return g_SceneProc == proc;
    }
    // The title's set-up, then its choice of a stage as the title screen makes it (its fade-out has just
    // ended), then the stage's set-up.
    void EnterStageFromTheTitle(int stageNo) {
        ASSERT_EQ(g_SceneProc, TitleInit);
        g_SceneProc();
        g_StageNo = stageNo;
        g_MenuChoice = 0;
        g_FadeMode = 0;
        g_FadeAlpha = 255;
        TitleUninit();
        ASSERT_EQ(g_SceneProc, GameInit);
        g_SceneProc();
        ASSERT_EQ(g_SceneProc, GameUpdate);
    }

    ScratchDir m_Scratch{"leave"};
    std::unique_ptr<ScopedWorkingDir> m_Cwd;
    std::filesystem::path m_Dir;
};

} // namespace

TEST_F(SceneLeave, EscapeDuringTheTutorialEndsItAndTheNextStageStartsWithoutHints) {
    EnterStageFromTheTitle(1);
    for (int i = 0; i < 80 && g_bTutorial == 0; ++i)
        GameUpdate();
    ASSERT_EQ(g_bTutorial, 1); // the stage's fade-in has ended and the tutorial runs
    ASSERT_EQ(g_FadeMode, 0);
    WndProc(g_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_EQ(g_FadeMode, 2);
    ASSERT_TRUE(RunUntil(GameUninit, 80));
    g_SceneProc(); // GameUninit
    EXPECT_EQ(g_SceneProc, TitleInit);
    EXPECT_EQ(g_bTutorial, 0);

    // Stage 2 straight from the title: no hints during its fade-in or its play.
    EnterStageFromTheTitle(2);
    for (int i = 0; i < 100; ++i) {
        GameUpdate();
        ASSERT_EQ(g_bTutorial, 0) << "frame " << i;
    }
    EXPECT_EQ(g_StageState, 0);

    // Stage 1 again: its tutorial starts afresh when its fade-in ends, not before.
    WndProc(g_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(RunUntil(TitleInit, 80));
    EnterStageFromTheTitle(1);
    int firstTutorialFrame = -1;
    for (int i = 0; i < 80 && firstTutorialFrame < 0; ++i) {
        const int fadeBefore = g_FadeMode;
        GameUpdate();
        if (g_bTutorial == 1) {
            firstTutorialFrame = i;
            EXPECT_EQ(fadeBefore, 3); // the frame that sees the fade-in's end
        }
    }
    EXPECT_GT(firstTutorialFrame, 60);
}
