// Shared pieces of the title tests: a fixture that runs the title on a recording device with keys and the
// mouse under the test's control, and helpers that glide to the selector and point at a drawn panel.
#pragma once

#include "app/Camera.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/Title.h"
#include "app/WinMain.h"
#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"
#include "player/Effects.h"
#include "world/ObjectBase.h"
#include "world/Props.h"
#include "world/World.h"

#include <cstdlib>
#include <gtest/gtest.h>

class TitleScreenFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        PlatformMode().fast = true;
        ReplaySet({}, true); // keys and mouse are the tracked ones, never the desktop's
        win32::ResetVirtualClock();
        win32::ResetMessages();
        win32::ResetInput();
        ResetSceneGlobals();
        ResetTitleGlobals();
        ReleaseObjects();
        ReleaseTitleObjects();
        m_SavedClient = g_rcClient;
        m_SavedWindow = g_rcWindow;
        g_rcClient = RECT{0, 0, 640, 480}; // no frame, no caption: screen = 640 x 480 space
        g_rcWindow = RECT{0, 0, 640, 480};
        g_hWnd = nullptr; // no window: the device records
        ASSERT_NE(InitDirect3D(0), nullptr);
        std::srand(11);
    }
    void TearDown() override {
        if (m_AppStarted) AppUninit();
        ReleaseObjects();
        ReleaseTitleObjects();
        ReleaseProgramObjects(); // the creature displays too (their pointers go back to null)
        SetObjectArena(ObjectArena::Program);
        if (g_pSprite) g_pSprite->Release();
        g_pSprite = nullptr;
        ReleaseDirect3D();
        ResetSceneGlobals();
        ResetTitleGlobals();
        win32::ResetInput();
        win32::ResetMessages();
        ResetRun();
        g_rcClient = m_SavedClient;
        g_rcWindow = m_SavedWindow;
    }

    // AppInit, then the title's set-up; the next call is the title's first frame.
    void EnterTitle() {
        AppInit();
        m_AppStarted = true;
        TitleInit();
        ASSERT_EQ(g_SceneProc, TitleUpdate);
    }
    // Up to n title frames; none once the title has handed over to TitleUninit.
    void Frames(int n) {
        for (int i = 0; i < n && g_SceneProc == TitleUpdate; ++i)
            TitleUpdate();
    }
    // The title's fade-in: 64 frames, then the frame of mode 3.
    void PassFadeIn() {
        Frames(65);
        ASSERT_EQ(g_FadeMode, 0);
        ASSERT_EQ(g_FadeAlpha, 0);
    }
    void Key(int vk, bool down) { win32::SetKey(vk, down); }
    // One press of a key: held for one frame, then let go for one.
    void Tap(int vk) {
        Key(vk, true);
        Frames(1);
        Key(vk, false);
        Frames(1);
    }
    void Mouse(float x, float y) { win32::SetMouseScreen((int)(x + 0.5f), (int)(y + 0.5f)); }
    // Enter for the glide, let go on arrival; returns the frames the glide took.
    int GlideToSelector() {
        Key(VK_RETURN, true);
        int frames = 0;
        while (g_TitlePhase != 2 && frames < 200) {
            Frames(1);
            ++frames;
        }
        Key(VK_RETURN, false);
        Frames(1);
        return frames;
    }
    // Frames until the sideways slide has stopped; returns how many.
    int WaitForSlide() {
        int frames = 0;
        while (g_bSelMoving == 1 && frames < 500) {
            Frames(1);
            ++frames;
        }
        return frames;
    }
    // Where the centre of a panel was drawn in the last frame, in 640 x 480 space.
    static D3DXVECTOR3 ScreenOf(const TitlePanel& panel) {
        const D3DXMATRIX m = panel.World * g_mView * g_mProj;
        const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
        D3DXVECTOR3 ndc;
        D3DXVec3TransformCoord(&ndc, &origin, &m);
        return D3DXVECTOR3((ndc.x + 1.0f) * 320.0f, (1.0f - ndc.y) * 240.0f, ndc.z);
    }
    void PointAt(const TitlePanel& panel) {
        const D3DXVECTOR3 at = ScreenOf(panel);
        Mouse(at.x, at.y);
    }
    // A click on a panel where it is drawn: pressed for one frame, then let go for one.
    void ClickOn(const TitlePanel& panel) {
        PointAt(panel);
        Tap(VK_LBUTTON);
    }
    template <class T> static int Count() {
        int n = 0;
        for (CObjectBase* o : EffectList)
            if (dynamic_cast<T*>(o)) ++n;
        return n;
    }

    bool m_AppStarted = false;
    RECT m_SavedClient{}, m_SavedWindow{};
};
