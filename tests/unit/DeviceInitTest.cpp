// InitDirect3D: present parameters, the three device-type attempts, the fixed
// render state in order, and the "ERROR" boxes.
#include "DeviceTestSupport.h"

#include "app/Direct3D.h"
#include "app/WinMain.h"
#include "sdl_window.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>
#include <d3d9debug.h>
#include <platform_hooks.h>

namespace {

class InitDirect3DTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Direct3DTestHooksForTest() = Direct3DTestHooks();
        Direct3DTestHooksForTest().logNewDevices = true;
        m_SavedHwnd = g_hWnd;
        m_SavedHeadless = PlatformMode().headless;
        g_hWnd = nullptr;               // a recording device
        PlatformMode().headless = true; // error boxes go to the terminal
    }
    void TearDown() override {
        ReleaseDirect3D();
        Direct3DTestHooksForTest() = Direct3DTestHooks();
        g_hWnd = m_SavedHwnd;
        PlatformMode().headless = m_SavedHeadless;
    }
    HWND m_SavedHwnd = nullptr;
    bool m_SavedHeadless = false;
};

struct Expected {
    const char* method;
    DWORD a, b, c;
};

} // namespace

TEST_F(InitDirect3DTest, SetsTheFixedRenderStateInOrder) {
    ASSERT_NE(InitDirect3D(0), nullptr);
    ASSERT_NE(g_pDevice, nullptr);
    ASSERT_NE(g_pD3D, nullptr);
    const Expected expected[] = {
        {"SetRenderState", D3DRS_ZENABLE, TRUE, 0},
        {"SetRenderState", D3DRS_ZWRITEENABLE, TRUE, 0},
        {"SetRenderState", D3DRS_ALPHABLENDENABLE, TRUE, 0},
        {"SetRenderState", D3DRS_SRCBLEND, D3DBLEND_SRCALPHA, 0},
        {"SetRenderState", D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA, 0},
        {"SetTextureStageState", 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
        {"SetTextureStageState", 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
        {"SetTextureStageState", 0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {"SetTextureStageState", 0, D3DTSS_COLOROP, D3DTOP_MODULATE},
        {"SetRenderState", D3DRS_CULLMODE, D3DCULL_CCW, 0},
        {"SetSamplerState", 0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR},
        {"SetSamplerState", 0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
        {"SetSamplerState", 0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
        {"SetRenderState", D3DRS_LIGHTING, TRUE, 0},
        {"SetRenderState", D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL, 0},
        {"SetFVF", 0x142, 0, 0},
        {"SetLight", 0, 0, 0},
        {"LightEnable", 0, TRUE, 0},
    };
    const std::vector<DeviceCall>& log = d3d9debug::CallLog(g_pDevice);
    ASSERT_EQ(log.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].method, expected[i].method) << "call " << i;
        EXPECT_EQ(log[i].a, expected[i].a) << "call " << i;
        EXPECT_EQ(log[i].b, expected[i].b) << "call " << i;
        EXPECT_EQ(log[i].c, expected[i].c) << "call " << i;
    }
    const D3DLIGHT9& l = log[16].light;
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(l.Diffuse.r, 1.0f);
    EXPECT_EQ(l.Diffuse.a, 1.0f);
    EXPECT_EQ(l.Specular.g, 1.0f);
    EXPECT_EQ(l.Ambient.b, 0.5f);
    EXPECT_EQ(l.Ambient.a, 0.5f);
    EXPECT_EQ(l.Direction.x, 1.0f);
    EXPECT_EQ(l.Direction.y, -1.0f);
    EXPECT_EQ(l.Direction.z, 1.0f);
    EXPECT_EQ(l.Range, 0.0f);
    EXPECT_EQ(l.Attenuation0, 0.0f);

    // The first attempt (hardware vertex processing on the HAL) succeeded.
    const auto& attempts = Direct3DTestHooksForTest().attempts;
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_EQ(attempts[0].first, D3DDEVTYPE_HAL);
    EXPECT_EQ(attempts[0].second, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING));
}

TEST_F(InitDirect3DTest, WindowedAndFullScreenPresentParameters) {
    ASSERT_NE(InitDirect3D(0), nullptr);
    D3DDISPLAYMODE desktop{};
    g_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
    EXPECT_EQ(g_D3DPP.BackBufferWidth, 640u);
    EXPECT_EQ(g_D3DPP.BackBufferHeight, 480u);
    EXPECT_EQ(g_D3DPP.BackBufferFormat,
              desktop.Format); // windowed: the desktop's format
    EXPECT_EQ(g_D3DPP.BackBufferCount, 0u);
    EXPECT_EQ(g_D3DPP.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(g_D3DPP.SwapEffect, D3DSWAPEFFECT_FLIP);
    EXPECT_EQ(g_D3DPP.hDeviceWindow, nullptr);
    EXPECT_EQ(g_D3DPP.Windowed, TRUE);
    EXPECT_EQ(g_D3DPP.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(g_D3DPP.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(g_D3DPP.Flags, DWORD(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER));
    EXPECT_EQ(g_D3DPP.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(g_D3DPP.PresentationInterval, 0u);
    ReleaseDirect3D();
    EXPECT_EQ(g_pDevice, nullptr);
    EXPECT_EQ(g_pD3D, nullptr);

    ASSERT_NE(InitDirect3D(1), nullptr);
    EXPECT_EQ(g_D3DPP.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(g_D3DPP.Windowed, FALSE);
}

TEST_F(InitDirect3DTest, FallsBackToSoftwareVertexProcessingAndThenTheReferenceDevice) {
    Direct3DTestHooksForTest().failDeviceAttempts = 1;
    ASSERT_NE(InitDirect3D(0), nullptr);
    auto attempts = Direct3DTestHooksForTest().attempts;
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[1].first, D3DDEVTYPE_HAL);
    EXPECT_EQ(attempts[1].second, DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    ReleaseDirect3D();

    Direct3DTestHooksForTest().attempts.clear();
    Direct3DTestHooksForTest().failDeviceAttempts = 2;
    ASSERT_NE(InitDirect3D(0), nullptr);
    attempts = Direct3DTestHooksForTest().attempts;
    ASSERT_EQ(attempts.size(), 3u);
    EXPECT_EQ(attempts[2].first, D3DDEVTYPE_REF);
    EXPECT_EQ(attempts[2].second, DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    // The fallback device gets the same fixed state.
    DWORD v = 0;
    g_pDevice->GetRenderState(D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, DWORD(D3DCULL_CCW));
}

TEST_F(InitDirect3DTest, FailuresShowAnErrorBoxAndReturnNull) {
    // The boxes' words in Japanese (an English desktop reads them in English).
    ScopedEnv lang("LANG", "ja_JP.UTF-8"), all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
    Direct3DTestHooksForTest().failDeviceAttempts = 3;
    testing::internal::CaptureStderr();
    EXPECT_EQ(InitDirect3D(0), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_pDevice, nullptr);
    EXPECT_EQ(g_pD3D, nullptr); // released, not left dangling
    EXPECT_EQ(Direct3DTestHooksForTest().attempts.size(), 3u);
    EXPECT_NE(err.find("ERROR"), std::string::npos);
    EXPECT_NE(err.find("DirectX9が初期化できません。 未対応のパソコンと思われます。"),
              std::string::npos); // one line

    Direct3DTestHooksForTest().failCreate = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(InitDirect3D(0), nullptr);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_pD3D, nullptr);
    EXPECT_NE(err.find("Direct3D の作成に失敗しました。"), std::string::npos);
}

TEST(InitDirect3DGl, GivesADrawingDeviceOnTheGameWindow) {
    HWND hwnd = PlatformCreateHiddenGlWindow(640, 480);
    if (!hwnd) GTEST_SKIP() << "no hidden OpenGL window: " << SDL_GetError();
    HWND saved = g_hWnd;
    g_hWnd = hwnd;
    IDirect3DDevice9* dev = InitDirect3D(0);
    g_hWnd = saved;
    ASSERT_NE(dev, nullptr);
    EXPECT_TRUE(d3d9debug::IsDrawing(dev));
    // Lit, untextured quads with the default material are transparent black:
    // nothing shows.
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3C3CFF, 1.0f, 0);
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
    dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex));
    std::vector<uint8_t> px;
    ASSERT_TRUE(d3d9debug::ReadBackBuffer(dev, px));
    EXPECT_EQ(px[(240 * 640 + 320) * 4 + 0], 0x3C);
    EXPECT_EQ(px[(240 * 640 + 320) * 4 + 2], 0xFF);
    // With lighting off the same quad is white.
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex));
    ASSERT_TRUE(d3d9debug::ReadBackBuffer(dev, px));
    EXPECT_EQ(px[(240 * 640 + 320) * 4 + 0], 0xFF);
    ReleaseDirect3D();
    PlatformDestroyHiddenGlWindow(hwnd);
}
