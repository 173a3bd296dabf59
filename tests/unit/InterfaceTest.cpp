// The stage's boards: the tutorial hints, the result boards and the back button picked through the
// drawn board.
#include "tests/unit/PlayerTestSupport.h"

#include "assets/Textures.h"
#include "ui/Interface.h"
#include <d3d9debug.h>

namespace {

class Interface : public PlayerSideFixture {
  protected:
    void SetUp() override {
        PlayerSideFixture::SetUp();
        m_Player = AddPlayer();
        SetupInterface();
        g_bTutorial = 1;
        // A camera behind and above the player, looking down at it.
        const D3DXVECTOR3 at = m_Player->m_Pos;
        const D3DXVECTOR3 eye = at + D3DXVECTOR3(0.0f, 60.0f, -50.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&g_mView, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&g_mProj, 0.785398f, 640.0f / 480.0f, 1.0f, 1000.0f);
    }
    void TearDown() override {
        D3DXMatrixIdentity(&g_mView);
        D3DXMatrixIdentity(&g_mProj);
        PlayerSideFixture::TearDown();
    }

    // Where a point of the back button (in the board's own frame) appears on the 640 x 480 screen.
    POINT OnScreen(float x, float z) {
        D3DXMATRIX base = m_Player->m_mTrans;
        base._42 = 0.01f;
        const D3DXMATRIX all = g_BackImage.m_mPlace * base * g_mView * g_mProj;
        const D3DXVECTOR3 local(x, 0.1f, z);
        D3DXVECTOR3 ndc;
        D3DXVec3TransformCoord(&ndc, &local, &all);
        return POINT{(LONG)((ndc.x + 1.0f) * 320.0f), (LONG)((1.0f - ndc.y) * 240.0f)};
    }

    CPlayer* m_Player = nullptr;
};

} // namespace

TEST_F(Interface, SetupLaysOutEveryBoardHiddenAroundThePlayer) {
    g_TutorialPage = 2;
    SetupInterface();
    EXPECT_EQ(g_TutorialPage, 0);
    for (UiBase* b : std::initializer_list<UiBase*>{&g_KeysHint, &g_MouseHint, &g_ClearImage, &g_DeadImage,
                                                    &g_BackImage}) {
        EXPECT_EQ(b->m_FadeState, 0);
        EXPECT_EQ(b->m_Alpha, 0);
        EXPECT_EQ(b->m_Quad[0].color, 0x00FFFFFFu);
        EXPECT_EQ(b->m_Quad[1].u, 1.0f);
        EXPECT_EQ(b->m_Quad[2].v, 1.0f);
    }
    EXPECT_EQ(g_KeysHint.m_Quad[0].x, -20.0f);
    EXPECT_EQ(g_KeysHint.m_Quad[0].z, 20.0f);
    EXPECT_EQ(g_KeysHint.m_Quad[0].y, 0.05f);
    EXPECT_EQ(g_KeysHint.m_mPlace._43, 30.0f);
    EXPECT_EQ(g_DeadImage.m_Quad[1].x, 30.0f);
    EXPECT_EQ(g_DeadImage.m_Quad[1].z, 15.0f);
    EXPECT_EQ(g_DeadImage.m_mPlace._43, 35.0f);
    EXPECT_EQ(g_BackImage.m_Quad[2].x, 15.0f);
    EXPECT_EQ(g_BackImage.m_Quad[2].z, -7.5f);
    EXPECT_EQ(g_BackImage.m_Quad[2].y, 0.1f);
    EXPECT_EQ(g_BackImage.m_mPlace._41, 30.0f);
    EXPECT_EQ(g_BackImage.m_mPlace._43, -20.0f);
}

TEST_F(Interface, AKeyDuringTheFadeInDoesNothingAndTheHintFadesOutAfterFullOpacityAndAKey) {
    Hold('W');
    for (int frame = 1; frame <= 50; ++frame) {
        TutorialStep();
        ASSERT_EQ(g_KeysHint.m_FadeState, 1) << frame;
        ASSERT_EQ(g_KeysHint.m_Alpha, 2 * frame);
    }
    EXPECT_EQ(g_KeysHint.m_Quad[3].color, 0x64FFFFFFu);
    Hold('W', false);
    for (int frame = 51; frame <= 140; ++frame)
        TutorialStep();
    EXPECT_EQ(g_KeysHint.m_FadeState, 2); // full since frame 128, waiting for a key
    EXPECT_EQ(g_KeysHint.m_Alpha, 255);
    EXPECT_EQ(g_KeysHint.m_Quad[0].color, 0xFFFFFFFFu);
    EXPECT_EQ(g_MouseHint.m_FadeState, 0);
    Hold('D');
    TutorialStep();
    Hold('D', false);
    EXPECT_EQ(g_KeysHint.m_FadeState, 3);
    EXPECT_EQ(g_KeysHint.m_Alpha, 255); // the fade starts with the next step
    int steps = 0;
    while (g_TutorialPage == 0 && steps < 500) {
        TutorialStep();
        ++steps;
    }
    EXPECT_EQ(steps, 128);
    EXPECT_EQ(g_KeysHint.m_FadeState, 4);
    EXPECT_EQ(g_KeysHint.m_Alpha, 0);
    // The mouse page started in the same step.
    EXPECT_EQ(g_TutorialPage, 1);
    EXPECT_EQ(g_MouseHint.m_FadeState, 1);
    EXPECT_EQ(g_MouseHint.m_Alpha, 2);
}

TEST_F(Interface, TheMousePageFollowsAndEndsTheTutorial) {
    g_TutorialPage = 1;
    // The button held from before the hint is fully shown: it fades out as soon as it is.
    Hold(VK_LBUTTON);
    int steps = 0;
    while (g_MouseHint.m_FadeState != 3 && steps < 500) {
        TutorialStep();
        ++steps;
    }
    EXPECT_EQ(steps, 128);
    EXPECT_EQ(g_MouseHint.m_Alpha, 255);
    Hold(VK_LBUTTON, false);
    steps = 0;
    while (g_bTutorial == 1 && steps < 500) {
        TutorialStep();
        ++steps;
    }
    EXPECT_EQ(steps, 128);
    EXPECT_EQ(g_TutorialPage, 2);
    EXPECT_EQ(g_MouseHint.m_FadeState, 4);
    EXPECT_EQ(g_KeysHint.m_FadeState, 0); // never touched on this page
}

TEST_F(Interface, TheHintsAreDrawnAtThePlayerOnTheSeabed) {
    IDirect3DTexture9** slots[5] = {&g_pTexKey, &g_pTexMouse, &g_pTexDead, &g_pTexClear, &g_pTexEsc};
    for (IDirect3DTexture9** slot : slots)
        ASSERT_EQ(g_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, slot, nullptr),
                  D3D_OK);
    d3d9debug::EnableCallLog(g_pDevice, true);
    DrawHints();
    std::vector<DeviceCall> draws = Draws();
    ASSERT_EQ(draws.size(), 2u);
    for (const DeviceCall& d : draws) {
        EXPECT_EQ(d.a, (DWORD)D3DPT_TRIANGLEFAN);
        EXPECT_EQ(d.b, 2u);
        EXPECT_EQ(d.c, 24u);
        EXPECT_EQ(d.matrix._41, 60.0f);
        EXPECT_NEAR(d.matrix._42, 0.11f, 1e-6f); // 0.1 of the placement on the base's 0.01
        EXPECT_EQ(d.matrix._43, -140.0f);
        EXPECT_EQ(DrawnVertex(d, 0).color, 0x00FFFFFFu);
    }
    EXPECT_EQ(draws[0].ptr, g_pTexKey);
    EXPECT_EQ(draws[1].ptr, g_pTexMouse);
    // Nothing of the result boards while playing.
    d3d9debug::ClearCallLog(g_pDevice);
    DrawInterface(0);
    EXPECT_TRUE(Draws().empty());
    DrawInterface(1);
    draws = Draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].matrix._43, -135.0f);
    EXPECT_EQ(draws[2].matrix._41, 90.0f);
    EXPECT_EQ(draws[2].matrix._43, -190.0f);
    EXPECT_EQ(draws[0].ptr, g_pTexDead);
    EXPECT_EQ(draws[1].ptr, g_pTexClear);
    EXPECT_EQ(draws[2].ptr, g_pTexEsc);
    g_pDevice->SetTexture(0, nullptr);
    for (IDirect3DTexture9** slot : slots) {
        (*slot)->Release();
        *slot = nullptr;
    }
}

TEST_F(Interface, TheBackButtonIgnoresClicksBeforeItShowsAndBesideIt) {
    const POINT centre = OnScreen(0.0f, 0.0f);
    ASSERT_GT(centre.x, 320); // right of and below the player
    ASSERT_LT(centre.x, 640);
    ASSERT_GT(centre.y, 240);
    ASSERT_LT(centre.y, 480);
    Mouse(centre.x, centre.y);
    Hold(VK_LBUTTON);
    g_FadeMode = 0;
    for (int frame = 0; frame < 20; ++frame)
        UpdateInterface(0);
    EXPECT_EQ(g_FadeMode, 0);
    EXPECT_EQ(g_DeadImage.m_FadeState, 0);
    // Dead: the picture fades in over 128 frames; the button shows once it is full, and only then answers.
    for (int frame = 1; frame <= 128; ++frame) {
        UpdateInterface(1);
        ASSERT_EQ(g_FadeMode, 0) << frame;
        ASSERT_EQ(g_BackImage.m_FadeState, 0) << frame;
    }
    EXPECT_EQ(g_DeadImage.m_Alpha, 255);
    EXPECT_EQ(g_ClearImage.m_Alpha, 0);
    // Beside the button: nothing.
    const POINT edge = OnScreen(15.0f, 0.0f);
    const POINT beside = OnScreen(-17.0f, 0.0f);
    Mouse(2 * edge.x - centre.x + 4, centre.y);
    UpdateInterface(1);
    Mouse(beside.x, beside.y);
    UpdateInterface(1);
    EXPECT_EQ(g_BackImage.m_FadeState, 1);
    EXPECT_EQ(g_BackImage.m_Alpha, 4);
    EXPECT_EQ(g_FadeMode, 0);
    // On it, button up: nothing; button held: the fade-out to the title starts.
    Mouse(centre.x, centre.y);
    Hold(VK_LBUTTON, false);
    UpdateInterface(1);
    EXPECT_EQ(g_FadeMode, 0);
    const POINT corner = OnScreen(-13.0f, 6.0f); // near the far left corner, still on it
    Mouse(corner.x, corner.y);
    Hold(VK_LBUTTON);
    UpdateInterface(1);
    EXPECT_EQ(g_FadeMode, 2);
    // A fade already running is left alone.
    g_FadeMode = 1;
    UpdateInterface(1);
    EXPECT_EQ(g_FadeMode, 1);
}

TEST_F(Interface, TheClearBoardBringsUpTheButtonTooAndAHeldButtonAnswersAtOnce) {
    const POINT centre = OnScreen(0.0f, 0.0f);
    Mouse(centre.x, centre.y);
    Hold(VK_LBUTTON);
    int frames = 0;
    while (g_FadeMode == 0 && frames < 300) {
        UpdateInterface(2);
        ++frames;
    }
    EXPECT_EQ(frames, 129); // the picture's 128 frames, then the first frame of the button
    EXPECT_EQ(g_ClearImage.m_Alpha, 255);
    EXPECT_EQ(g_DeadImage.m_FadeState, 0);
    EXPECT_EQ(g_BackImage.m_Alpha, 2);
    EXPECT_EQ(g_BackImage.m_Quad[0].color, 0x02FFFFFFu);
}
