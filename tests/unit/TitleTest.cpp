// The title's menu on a recording device: the glide, the latches, the selector keys and clicks, the bubble
// rings, and leaving the title.
#include "TitleTestSupport.h"

#include "sdl_window.h"

#include <cmath>
#include <vector>

namespace {

using TitleMenu = TitleScreenFixture;

} // namespace

TEST_F(TitleMenu, AClickStartsTheGlideAndTheHeldButtonPressesThePanelUnderTheCursorOnArrival) {
    EnterTitle();
    PassFadeIn();
    Frames(10);
    EXPECT_EQ(g_TitlePhase, 0);
    EXPECT_FLOAT_EQ(g_CamAt.z, -100.0f);

    // The button is held from phase 0 through the whole glide, with the cursor where the start button will
    // stand on arrival. Its latch is 0 all the while: the glide handles the button, not the latch.
    Mouse(320.0f, 300.0f);
    Key(VK_LBUTTON, true);
    Frames(1);
    EXPECT_EQ(g_TitlePhase, 1);
    EXPECT_FLOAT_EQ(g_CamAt.z, -94.0f); // the first glide step runs in the frame of the click
    EXPECT_FLOAT_EQ(g_TitleSpeed, 6.0f * 0.948f);
    int frames = 1;
    while (g_TitlePhase == 1 && frames < 200) {
        EXPECT_EQ(g_bClickLatch, 0);
        Frames(1);
        ++frames;
    }
    EXPECT_EQ(frames, 58);
    EXPECT_EQ(g_TitlePhase, 2);
    EXPECT_FLOAT_EQ(g_CamAt.z, 10.0f);

    // The arrival frame pressed the start button, once.
    EXPECT_EQ(g_MenuChoice, 0);
    EXPECT_EQ(g_StageNo, 1);
    EXPECT_EQ(g_FadeMode, 2);
    EXPECT_EQ(g_bClickLatch, 1);
    EXPECT_EQ(Count<CCircleEff>(), 1);
    ASSERT_TRUE(TitlePanelHit(g_PanelStart)) << "the cursor must stand on the start button";
    Frames(20);
    EXPECT_EQ(Count<CCircleEff>(), 1) << "the held button presses nothing more";
}

TEST_F(TitleMenu, AButtonAlreadyHandledWhenTheGlideArrivesPressesNothing) {
    EnterTitle();
    PassFadeIn();
    // The latch as a click on an earlier visit of the title left it: set, because the button has not been
    // seen up in the selector since.
    g_bClickLatch = 1;
    Mouse(320.0f, 300.0f);
    Key(VK_LBUTTON, true);
    Frames(80);
    EXPECT_EQ(g_TitlePhase, 2);
    EXPECT_EQ(g_MenuChoice, -1);
    EXPECT_EQ(g_FadeMode, 0);
    EXPECT_EQ(Count<CCircleEff>(), 0);
    ASSERT_TRUE(TitlePanelHit(g_PanelStart)) << "the cursor must stand on the start button";

    // Let go and click again: now the start button is pressed.
    Key(VK_LBUTTON, false);
    Frames(1);
    EXPECT_EQ(g_bClickLatch, 0);
    Key(VK_LBUTTON, true);
    Frames(1);
    EXPECT_EQ(g_MenuChoice, 0);
    EXPECT_EQ(g_StageNo, 1);
    EXPECT_EQ(g_FadeMode, 2);
    EXPECT_EQ(Count<CCircleEff>(), 1);
}

TEST_F(TitleMenu, EnterHeldThroughTheGlideDoesNotStartTheStage) {
    EnterTitle();
    // Enter during the fade-in does nothing at all.
    Key(VK_RETURN, true);
    Frames(30);
    EXPECT_EQ(g_TitlePhase, 0);
    Frames(35);
    ASSERT_EQ(g_FadeMode, 0);
    Frames(1); // the first frame without a fade starts the glide
    EXPECT_EQ(g_TitlePhase, 1);
    Frames(80);
    EXPECT_EQ(g_TitlePhase, 2);
    EXPECT_EQ(g_MenuChoice, -1);
    EXPECT_EQ(g_FadeMode, 0);
    Key(VK_RETURN, false);
    Frames(1);
    EXPECT_EQ(g_MenuChoice, -1);
    Key(VK_RETURN, true);
    Frames(1);
    EXPECT_EQ(g_MenuChoice, 0);
    EXPECT_EQ(g_StageNo, 1);
    EXPECT_EQ(g_FadeMode, 2);
    EXPECT_EQ(Count<CCircleEff>(), 1);
}

TEST_F(TitleMenu, RightOrDMovesToStageTwoOnceAndInputWaitsWhileTheCameraSlides) {
    EnterTitle();
    PassFadeIn();
    EXPECT_EQ(GlideToSelector(), 58);
    const int pairs[2][2] = {{VK_RIGHT, VK_LEFT}, {'D', 'A'}};
    for (const auto& pair : pairs) {
        const int right = pair[0], left = pair[1];
        ASSERT_EQ(g_StageSel, 0);
        Key(right, true);
        Frames(1);
        EXPECT_EQ(g_StageSel, 1);
        EXPECT_EQ(g_bSelMoving, 1);
        Frames(5); // held on: nothing more
        EXPECT_EQ(g_StageSel, 1);
        Key(right, false);
        // While sliding, keys, Enter and clicks on the visible left arrow are ignored.
        Tap(left);
        Tap(VK_RETURN);
        ClickOn(g_PanelLeft);
        EXPECT_EQ(g_StageSel, 1);
        EXPECT_EQ(g_MenuChoice, -1);
        EXPECT_EQ(g_FadeMode, 0);
        EXPECT_EQ(Count<CCircleEff>(), 0);
        // About 62 frames to slide 100 units from the frame of the key, and one more to stop.
        const int frames = 12 + WaitForSlide();
        EXPECT_GE(frames, 62);
        EXPECT_LE(frames, 64);
        EXPECT_FLOAT_EQ(g_CamAt.x, 100.0f);
        // Further presses of the right key do nothing: there is no third stage.
        Tap(right);
        Tap(right);
        EXPECT_EQ(g_StageSel, 1);
        EXPECT_EQ(g_bSelMoving, 0);
        // And back.
        Tap(left);
        EXPECT_EQ(g_StageSel, 0);
        WaitForSlide();
        EXPECT_FLOAT_EQ(g_CamAt.x, 0.0f);
        Tap(left);
        EXPECT_EQ(g_StageSel, 0);
        EXPECT_EQ(g_bSelMoving, 0);
    }
}

TEST_F(TitleMenu, TheDrawnButtonsAnswerClicks) {
    EnterTitle();
    PassFadeIn();
    GlideToSelector();
    // At the first item the left arrow has faded out, but it is still tested (and does nothing).
    Frames(60);
    EXPECT_EQ(g_PanelLeft.Alpha, 0);
    ClickOn(g_PanelLeft);
    EXPECT_EQ(g_StageSel, 0);
    EXPECT_EQ(Count<CCircleEff>(), 0);

    const D3DXVECTOR3 arrow = ScreenOf(g_PanelRight);
    ClickOn(g_PanelRight);
    EXPECT_EQ(g_StageSel, 1);
    ASSERT_EQ(Count<CCircleEff>(), 1);
    const CObjectBase* ring = EffectList.back();
    EXPECT_NEAR(ring->m_Pos.x, arrow.x, 0.5f); // the ring stands where the mouse clicked, in screen space
    EXPECT_NEAR(ring->m_Pos.y, arrow.y, 0.5f);
    EXPECT_EQ(ring->m_Pos.z, 0.0f);
    WaitForSlide();
    Frames(60);
    EXPECT_EQ(g_PanelRight.Alpha, 0);
    EXPECT_EQ(g_PanelLeft.Alpha, 255);
    ClickOn(g_PanelRight); // nowhere to go
    EXPECT_EQ(g_StageSel, 1);
    ClickOn(g_PanelLeft);
    EXPECT_EQ(g_StageSel, 0);
    WaitForSlide();

    // A click beside the buttons does nothing.
    Mouse(40.0f, 440.0f);
    Tap(VK_LBUTTON);
    EXPECT_EQ(g_MenuChoice, -1);

    ClickOn(g_PanelExit);
    EXPECT_EQ(g_MenuChoice, 1);
    EXPECT_EQ(g_FadeMode, 2);
    int frames = 0;
    while (g_SceneProc == TitleUpdate && frames < 100) {
        Frames(1);
        ++frames;
    }
    EXPECT_EQ(2 + frames, 65); // 64 frames of fade-out from the click, then the frame that leaves
    EXPECT_EQ(g_MenuChoice, 1);
    TitleUninit();
    EXPECT_EQ(g_SceneProc, QuitScene);
    EXPECT_TRUE(EffectList.empty());
}

TEST_F(TitleMenu, OneClickOnOverlappingPanelsActsInTheOrderStartExitRightLeft) {
    EnterTitle();
    PassFadeIn();
    GlideToSelector();
    // All four buttons laid on top of each other under the cursor, as they stood in the last frame.
    g_PanelExit.World = g_PanelStart.World;
    g_PanelRight.World = g_PanelStart.World;
    g_PanelLeft.World = g_PanelStart.World;
    PointAt(g_PanelStart);
    Key(VK_LBUTTON, true);
    TitleStep();
    // start (stage 1), then exit overrides the choice, then right moves to item 1 and left back to 0.
    EXPECT_EQ(g_StageNo, 1);
    EXPECT_EQ(g_MenuChoice, 1);
    EXPECT_EQ(g_StageSel, 0);
    EXPECT_FLOAT_EQ(g_TitleSpeed, 6.0f * 0.945f); // a slide was started (and found itself home at once)
    EXPECT_EQ(g_FadeMode, 2);
    EXPECT_EQ(Count<CCircleEff>(), 4); // one ring for each action
}

TEST_F(TitleMenu, BubbleRingsFromTheFirstFrameAlternatingSidesAndThroughTheFadeOut) {
    EnterTitle();
    EXPECT_TRUE(EffectList.empty());
    Frames(1);
    ASSERT_EQ(Count<CBubble>(), 8);
    // Eight bubbles on a circle of radius 3 about (40, -90), each risen once already.
    for (int i = 0; i < 8; ++i) {
        const CObjectBase* b = EffectList[i];
        const float a = 45.0f * (float)i * 0.017453292f;
        EXPECT_NEAR(b->m_Pos.x, 40.0f + 3.0f * std::sin(a), 1e-4f) << i;
        EXPECT_NEAR(b->m_Pos.z, -90.0f + 3.0f * std::cos(a), 1e-4f) << i;
        const float y = b->m_Pos.y - 0.3f;
        EXPECT_GE(y, -10.0f - 1e-4f);
        EXPECT_LE(y, 9.0f + 1e-4f);
        EXPECT_NEAR(y, std::round(y), 1e-4f);
        EXPECT_EQ(b->m_Speed, 2.0f);
    }
    Frames(179);
    EXPECT_EQ(Count<CBubble>(), 8);
    Frames(1); // the 181st update bursts them
    EXPECT_EQ(Count<CBubble>(), 0);
    Frames(29);
    EXPECT_EQ(Count<CBubble>(), 0);
    Frames(1); // frame 210: the left side
    ASSERT_EQ(Count<CBubble>(), 8);
    EXPECT_NEAR(EffectList.back()->m_Pos.x, -40.0f + 3.0f * std::sin(315.0f * 0.017453292f), 1e-4f);

    // The stage is chosen at frame 418 and the fade-out runs over frame 420.
    GlideToSelector();
    Frames(420 - 2 - g_TitleFrame);
    ASSERT_EQ(g_TitleFrame, 418);
    Tap(VK_RETURN);
    ASSERT_EQ(g_FadeMode, 2);
    const int before = Count<CBubble>();
    Frames(1);
    EXPECT_EQ(g_FadeMode, 2);
    EXPECT_EQ(Count<CBubble>(), before + 8);
    EXPECT_NEAR(EffectList.back()->m_Pos.x, 40.0f + 3.0f * std::sin(315.0f * 0.017453292f), 1e-4f);
}

TEST_F(TitleMenu, OnlyStagesOneAndTwoCanBeChosen) {
    for (int want : {1, 2}) {
        EnterTitle();
        PassFadeIn();
        GlideToSelector();
        for (int i = 0; i < 3; ++i) { // more presses than there are stages
            Tap(want == 2 ? 'D' : 'A');
            WaitForSlide();
        }
        ClickOn(g_PanelStart);
        EXPECT_EQ(g_MenuChoice, 0);
        EXPECT_EQ(g_StageNo, want);
        Frames(100);
        ASSERT_EQ(g_SceneProc, TitleUninit);
        TitleUninit();
        EXPECT_EQ(g_SceneProc, GameInit);
        AppUninit();
        m_AppStarted = false;
        g_FadeMode = 0;
    }
}

TEST_F(TitleMenu, ArrowsFadeWhereTheyLeadNowhereAndTheItemsBob) {
    EnterTitle();
    EXPECT_EQ(g_PanelLeft.Alpha, 255);
    EXPECT_EQ(g_PanelLeft.Verts[0].color, 0xFFFFFFFFu);
    Frames(1);
    EXPECT_EQ(g_PanelLeft.Alpha, 250);
    EXPECT_EQ(g_PanelRight.Alpha, 255);
    for (const Vertex3D& v : g_PanelLeft.Verts)
        EXPECT_EQ(v.color, 0xFAFFFFFFu);
    Frames(60);
    EXPECT_EQ(g_PanelLeft.Alpha, 0);

    PassFadeIn();
    GlideToSelector();
    // The items bob between 0 and 3 at 0.05 a frame, sharing one step: the first item turns the step at
    // the top, the second (a step behind from then on) at the bottom. The start button rides on the
    // selected item.
    float low = 10.0f, high = -10.0f, low1 = 10.0f;
    for (int i = 0; i < 200; ++i) {
        Frames(1);
        low = std::min(low, g_PanelItem[0].Bob);
        high = std::max(high, g_PanelItem[0].Bob);
        low1 = std::min(low1, g_PanelItem[1].Bob);
        EXPECT_GE(g_PanelItem[1].Bob, 0.0f);
        EXPECT_LE(g_PanelItem[1].Bob, 3.0f);
        EXPECT_NEAR(g_PanelStart.World._42, 5.0f + g_PanelItem[0].Bob, 1e-5f);
        EXPECT_FLOAT_EQ(g_PanelStart.World._41, g_CamAt.x);
    }
    EXPECT_NEAR(low, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(high, 3.0f);
    EXPECT_FLOAT_EQ(low1, 0.0f);
    EXPECT_NEAR(std::fabs(g_BobStep), 0.05f, 1e-7f);

    Tap('D');
    Frames(10);
    EXPECT_GT(g_PanelLeft.Alpha, 0);
    EXPECT_NEAR(g_PanelStart.World._42, 5.0f + g_PanelItem[1].Bob, 1e-5f);
    EXPECT_FLOAT_EQ(g_PanelRight.World._41, g_CamAt.x + 30.0f);
    EXPECT_FLOAT_EQ(g_PanelLeft.World._41, g_CamAt.x - 30.0f);
    EXPECT_FLOAT_EQ(g_PanelExit.World._41, g_CamAt.x + 30.0f);
}

TEST_F(TitleMenu, EveryVisitRebuildsTheDisplaysCrownAndKeepsTheDisplays) {
    EnterTitle();
    CFootball* football = g_pTitleFootball;
    CAnemone* anemone = g_pTitleAnemone;
    ASSERT_NE(football, nullptr);
    ASSERT_NE(anemone, nullptr);
    ASSERT_EQ(anemone->m_Tentacles.size(), 72u);
    const size_t programObjects = ArenaObjectCount(ObjectArena::Program);
    EXPECT_GE(programObjects, 2u + 72u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 0u); // the displays are not the title's
    Frames(1);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 8u);

    anemone->m_Tentacles[5]->m_Pos.y = -40.0f;
    g_MenuChoice = 1;
    TitleUninit();
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 0u); // the bubbles went with the title
    TitleInit();
    EXPECT_EQ(g_pTitleFootball, football);
    EXPECT_EQ(g_pTitleAnemone, anemone);
    EXPECT_EQ(anemone->m_Tentacles.size(), 72u);
    EXPECT_FLOAT_EQ(anemone->m_Tentacles[5]->m_Pos.y, 13.5f);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), programObjects);
    EXPECT_FLOAT_EQ(football->m_Radius, 17.5f);
    EXPECT_FLOAT_EQ(football->m_PulseSpeed, 0.03f);
    EXPECT_EQ(anemone->m_Pos, D3DXVECTOR3(100.0f, 5.0f, 60.0f));
    EXPECT_EQ(anemone->m_Fish.size(), 0u);

    // At exit the displays go with the program's objects, and nothing points at them any more.
    AppUninit();
    m_AppStarted = false;
    EXPECT_EQ(g_pTitleFootball, nullptr);
    EXPECT_EQ(g_pTitleAnemone, nullptr);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), 0u);
}

TEST_F(TitleMenu, EscapeOnTheTitleQuitsAtOnceAndAppUninitStillRuns) {
    ReleaseDirect3D();
    PlatformMode().noRender = true;
    PlatformMode().screenAnswer = IDNO;
    ReplayEvent escape;
    escape.pass = 30;
    escape.kind = ReplayKind::Down;
    escape.key = VK_ESCAPE;
    ReplaySet({escape}, true);
    g_SceneProc = nullptr;
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT), 0);
    // Passes 0 to 29 ran; the Escape of pass 30 quit before another scene call.
    EXPECT_EQ(win32::IdlePassesBegun(), 30);
    EXPECT_EQ(g_TitleFrame, 29); // TitleInit and 29 title frames
    // AppUninit ran: the scene chain is back at its start, the sprite and the title's objects are gone.
    EXPECT_EQ(g_SceneProc, TitleInit);
    EXPECT_EQ(g_SceneId, 0);
    EXPECT_EQ(g_pSprite, nullptr);
    EXPECT_TRUE(EffectList.empty());
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 0u);
    EXPECT_EQ(g_pTitleFootball, nullptr);
    PlatformDestroyHiddenGlWindow(g_hWnd);
    g_hWnd = nullptr;
}
