// The mouse mapping into 640 x 480 space and the cursor sprite.
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/WinMain.h"
#include "assets/Textures.h"
#include "tests/unit/RunTestSupport.h"
#include "win32_private.h"
#include <d3d9debug.h>

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

class Cursor : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRun();
        ReplaySet({}, true); // the mouse is the tracked one, never the desktop's
        win32::ResetInput();
        m_SavedClient = g_rcClient;
        m_SavedWindow = g_rcWindow;
    }
    void TearDown() override {
        g_rcClient = m_SavedClient;
        g_rcWindow = m_SavedWindow;
        win32::ResetInput();
        ResetRun();
    }

    // The rectangles as the message loop reads them: the client from (0, 0), the window on the screen.
    void Window(int left, int top, int width, int height) {
        g_rcClient = RECT{0, 0, width, height};
        g_rcWindow = RECT{left, top, left + width, top + height};
    }
    void Mouse(int x, int y) { win32::SetMouseScreen(x, y); }

    RECT m_SavedClient{}, m_SavedWindow{};
};

} // namespace

TEST_F(Cursor, NormalWindowMapsClientPixelsOneToOne) {
    Window(150, 90, 640, 480);
    Mouse(150, 90);
    EXPECT_EQ(GetCursorScreenX(), 0.0f);
    EXPECT_EQ(GetCursorScreenY(), 0.0f);
    Mouse(150 + 320, 90 + 240);
    EXPECT_EQ(GetCursorScreenX(), 320.0f);
    EXPECT_EQ(GetCursorScreenY(), 240.0f);
    Mouse(150 + 639, 90 + 479);
    EXPECT_EQ(GetCursorScreenX(), 639.0f);
    EXPECT_EQ(GetCursorScreenY(), 479.0f);
}

TEST_F(Cursor, PositionsOutsideTheClientAreNotClamped) {
    Window(150, 90, 640, 480);
    Mouse(100, 50);
    EXPECT_EQ(GetCursorScreenX(), -50.0f);
    EXPECT_EQ(GetCursorScreenY(), -40.0f);
    Mouse(150 + 700, 90 + 500);
    EXPECT_EQ(GetCursorScreenX(), 700.0f);
    EXPECT_EQ(GetCursorScreenY(), 500.0f);
}

TEST_F(Cursor, ResizedAndFullScreenClientsAreScaledTo640x480) {
    Window(10, 20, 1280, 960);
    Mouse(10 + 640, 20 + 480);
    EXPECT_EQ(GetCursorScreenX(), 320.0f);
    EXPECT_EQ(GetCursorScreenY(), 240.0f);
    Mouse(10 + 34, 20 + 6);
    EXPECT_EQ(GetCursorScreenX(), 17.0f);
    EXPECT_EQ(GetCursorScreenY(), 3.0f);
    // A client that is not a multiple of 640 x 480, each axis on its own scale.
    Window(0, 0, 1000, 700);
    Mouse(1, 1);
    EXPECT_FLOAT_EQ(GetCursorScreenX(), 0.64f);
    EXPECT_FLOAT_EQ(GetCursorScreenY(), 480.0f / 700.0f);
    Mouse(1000, 700);
    EXPECT_FLOAT_EQ(GetCursorScreenX(), 640.0f);
    EXPECT_FLOAT_EQ(GetCursorScreenY(), 480.0f);
    // Full screen on a 1920 x 1080 desktop.
    Window(0, 0, 1920, 1080);
    Mouse(960, 540);
    EXPECT_EQ(GetCursorScreenX(), 320.0f);
    EXPECT_EQ(GetCursorScreenY(), 240.0f);
    Mouse(1919, 0);
    EXPECT_FLOAT_EQ(GetCursorScreenX(), 1919.0f / 3.0f);
    EXPECT_EQ(GetCursorScreenY(), 0.0f);
}

TEST_F(Cursor, EmptyClientGivesFinitePositions) {
    // Before the first frame reads the rectangles, or with the window minimised.
    g_rcClient = RECT{0, 0, 0, 0};
    g_rcWindow = RECT{100, 100, 100, 100};
    Mouse(110, 120);
    EXPECT_TRUE(std::isfinite(GetCursorScreenX()));
    EXPECT_TRUE(std::isfinite(GetCursorScreenY()));
    EXPECT_EQ(GetCursorScreenX(), 10.0f);
    EXPECT_EQ(GetCursorScreenY(), 20.0f);
    Mouse(100, 100);
    EXPECT_EQ(GetCursorScreenX(), 0.0f);
    EXPECT_EQ(GetCursorScreenY(), 0.0f);
}

TEST_F(Cursor, ResetAndUpdateKeepThePositionOfTheirFrame) {
    Window(0, 0, 640, 480);
    Mouse(5, 6);
    ResetCursor();
    EXPECT_EQ(g_CursorX, 5.0f);
    EXPECT_EQ(g_CursorY, 6.0f);
    Mouse(400, 300);
    EXPECT_EQ(g_CursorX, 5.0f) << "held until the next update";
    UpdateCursor();
    EXPECT_EQ(g_CursorX, 400.0f);
    EXPECT_EQ(g_CursorY, 300.0f);
    Mouse(-30, 900);
    UpdateCursor();
    EXPECT_EQ(g_CursorX, -30.0f);
    EXPECT_EQ(g_CursorY, 900.0f);
}

TEST_F(Cursor, DrawIsOne24PixelSpriteCentredOnTheCursor) {
    g_hWnd = nullptr;
    ASSERT_NE(InitDirect3D(0), nullptr);
    ASSERT_EQ(D3DXCreateSprite(g_pDevice, &g_pSprite), D3D_OK);
    IDirect3DTexture9* cursor = nullptr;
    ASSERT_EQ(g_pDevice->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cursor, nullptr),
              D3D_OK);
    IDirect3DTexture9* saved = g_pTexCursor;
    g_pTexCursor = cursor;
    g_CursorX = 100.0f;
    g_CursorY = 50.0f;
    d3d9debug::EnableCallLog(g_pDevice, true);
    DrawCursor();
    const std::vector<DeviceCall> log = d3d9debug::CallLog(g_pDevice);
    d3d9debug::EnableCallLog(g_pDevice, false);
    g_pTexCursor = saved;
    cursor->Release();
    g_pSprite->Release();
    g_pSprite = nullptr;
    ReleaseDirect3D();

    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "SpriteDraw");
    EXPECT_EQ(log[0].ptr, cursor);
    EXPECT_EQ(log[0].b, 0xFFFFFFFFu);
    float corner[4][6];
    ASSERT_EQ(log[0].data.size(), sizeof corner);
    std::memcpy(corner, log[0].data.data(), sizeof corner);
    EXPECT_FLOAT_EQ(corner[0][0], 88.0f);
    EXPECT_FLOAT_EQ(corner[0][1], 38.0f);
    EXPECT_FLOAT_EQ(corner[2][0], 112.0f);
    EXPECT_FLOAT_EQ(corner[2][1], 62.0f);
    // The whole 32 x 32 image.
    EXPECT_FLOAT_EQ(corner[0][4], 0.0f);
    EXPECT_FLOAT_EQ(corner[2][4], 1.0f);
    EXPECT_FLOAT_EQ(corner[2][5], 1.0f);
}
