// A whole stage on a recording device: enemy shots wear the player down, it dies with its burst, the
// result board comes up, and a replayed click on the drawn back button fades back to the title.
#include "tests/unit/PlayerTestSupport.h"

#include "player/Bullet.h"
#include "ui/Interface.h"
#include <d3d9debug.h>

#include <sstream>

namespace {

class PlayerScene : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().fast = true;
        PlatformMode().noRender = true;
        win32::ResetVirtualClock();
        win32::ResetMessages();
        win32::ResetInput();
        ResetSceneGlobals();
        ReleaseObjects();
        ShotRequestQueue.clear();
        g_hWnd = nullptr;
        g_rcClient = RECT{0, 0, 640, 480};
        g_rcWindow = RECT{0, 0, 640, 480};
        ASSERT_NE(InitDirect3D(0), nullptr);
    }
    void TearDown() override {
        ReplaySet({}, false);
        AppUninit(); // sounds, textures, meshes, objects and the sprite
        ShotRequestQueue.clear();
        SetObjectArena(ObjectArena::Program);
        if (g_pEffect) g_pEffect->Release();
        g_pEffect = nullptr;
        ReleaseDirect3D();
        ResetSceneGlobals();
        D3DXMatrixIdentity(&g_mView);
        D3DXMatrixIdentity(&g_mProj);
        win32::ResetMessages();
        win32::ResetInput();
        g_rcClient = RECT{0, 0, 0, 0};
        g_rcWindow = RECT{0, 0, 0, 0};
        ResetRun();
    }

    // One idle pass: the replayed input of this pass, then the scene procedure.
    void Pass() {
        ReplayBeforePass(m_Pass++);
        g_SceneProc();
    }

    long long m_Pass = 0;
};

// The screen position of the middle of a recorded quad draw.
POINT DrawnCentre(const DeviceCall& draw) {
    D3DXVECTOR3 sum(0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        const Vertex3D v = DrawnVertex(draw, i);
        sum += D3DXVECTOR3(v.x, v.y, v.z);
    }
    sum *= 0.25f;
    const D3DXMATRIX all = D3DXMATRIX(draw.matrix) * g_mView * g_mProj;
    D3DXVECTOR3 ndc;
    D3DXVec3TransformCoord(&ndc, &sum, &all);
    return POINT{(LONG)((ndc.x + 1.0f) * 320.0f), (LONG)((1.0f - ndc.y) * 240.0f)};
}

} // namespace

TEST_F(PlayerScene, DeathShowsTheResultBoardAndItsBackButtonLeadsToTheTitle) {
    ReplaySet({}, true);
    AppInit();
    StartInStage(1);
    Pass(); // GameInit
    ASSERT_EQ(g_SceneProc, GameUpdate);
    g_TargetCount = 1; // a football far away keeps the stage going
    CObjectBase* player = ActorList[0];
    const D3DXVECTOR3 at = player->m_Pos;
    const D3DXVECTOR3 eye = at + D3DXVECTOR3(0.0f, 60.0f, -50.0f), up(0, 1, 0);
    D3DXMatrixLookAtLH(&g_mView, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&g_mProj, 0.785398f, 640.0f / 480.0f, 1.0f, 1000.0f);

    // Every frame of play an enemy shot lands on the player: 2 hit points each.
    int hits = 0;
    while (g_StageState == 0 && m_Pass < 400) {
        if (g_FadeMode == 0) {
            ShotRequestQueue.push_back(ShotRequest{0.0f, player->m_Pos, 1, 0.0f, 5});
            ++hits;
        }
        Pass();
    }
    ASSERT_EQ(g_StageState, 1);
    EXPECT_EQ(player->m_Hp, 0);
    EXPECT_EQ(hits, 51); // 50 land; the last is still in flight when the state turns
    Pass();              // the tutorial is switched off on the frame after the state left 0
    EXPECT_EQ(g_bTutorial, 0);
    int burst = 0;
    for (CObjectBase* s : ShotList)
        burst += s->m_Kind == 13;
    EXPECT_EQ(burst, 8);

    // The dead picture fades in, then the button.
    while (g_BackImage.m_FadeState == 0 && m_Pass < 800)
        Pass();
    ASSERT_EQ(g_BackImage.m_FadeState, 1);
    EXPECT_EQ(g_DeadImage.m_Alpha, 255);
    EXPECT_EQ(g_FadeMode, 0);

    // Find the button as drawn: the third board after the depth clear of the interface.
    d3d9debug::EnableCallLog(g_pDevice, true);
    Pass();
    std::vector<DeviceCall> boards;
    bool afterClear = false;
    for (const DeviceCall& c : d3d9debug::CallLog(g_pDevice)) {
        if (c.method == "Clear" && c.a == (DWORD)D3DCLEAR_ZBUFFER) afterClear = true;
        if (afterClear && c.method == "DrawPrimitiveUP") boards.push_back(c);
    }
    d3d9debug::EnableCallLog(g_pDevice, false);
    ASSERT_EQ(boards.size(), 3u);
    const POINT button = DrawnCentre(boards[2]);
    ASSERT_GE(button.x, 0);
    ASSERT_LT(button.x, 640);
    ASSERT_GE(button.y, 0);
    ASSERT_LT(button.y, 480);
    // A click beside it first, then on it.
    std::ostringstream replay;
    replay << m_Pass << " mouse " << (640 - button.x) / 2 << " " << button.y << "\n"
           << m_Pass << " down LBUTTON\n"
           << m_Pass + 1 << " up LBUTTON\n"
           << m_Pass + 5 << " mouse " << button.x << " " << button.y << "\n"
           << m_Pass + 5 << " down LBUTTON\n"
           << m_Pass + 6 << " up LBUTTON\n";
    std::istringstream in(replay.str());
    std::vector<ReplayEvent> events;
    std::string error;
    ASSERT_TRUE(ParseReplay(in, "click", events, error)) << error;
    ReplaySet(events, true);
    const long long clickPass = m_Pass + 5;
    while (m_Pass < clickPass)
        Pass();
    EXPECT_EQ(g_FadeMode, 0);
    Pass();
    EXPECT_EQ(g_FadeMode, 2);
    // The fade-out runs 64 frames, then the stage is left for the title.
    int frames = 0;
    while (g_SceneProc != TitleInit && frames < 200) {
        Pass();
        ++frames;
    }
    EXPECT_EQ(g_SceneProc, TitleInit);
    EXPECT_EQ(frames, 65);
    EXPECT_TRUE(ActorList.empty());
    EXPECT_EQ(g_SceneId, 0);
}
