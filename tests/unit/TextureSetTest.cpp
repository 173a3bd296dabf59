// The texture sets of the game and DrawSprite.
#include "DeviceTestSupport.h"

#include "app/Direct3D.h"
#include "app/Scene.h"
#include "assets/Textures.h"
#include "tests/unit/MeshTestUtil.h"
#include <d3d9debug.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <stb_image_write.h>

namespace {

const char* const kAllFiles[] = {
    "image/effect/light.png",    "image/effect/black.png",   "image/game/cursor.png",
    "image/game/ground.bmp",     "image/title/logo.png",     "image/title/start.png",
    "image/title/exit.png",      "image/title/option.png",   "image/title/arrow.png",
    "image/title/star.png",      "image/title/click.png",    "image/game/anemone_tentacle.png",
    "image/gameover/result.png", "image/gameover/clear.png", "image/gameover/dead.png",
    "image/gameover/score.png",  "image/game/key.png",       "image/game/mouse.png",
    "image/game/tentacle.png",   "image/game/wakame.png",    "image/effect/dust.png",
    "image/game/esc.png",        "image/game/ivy.png",
};

// Runs in a scratch directory holding a 6 x 5 picture (opaque, texel (x, y) =
// (x * 40, y * 50, 7)) under every name the game loads, with a recording device
// in g_pDevice and a sprite in g_pSprite.
class TextureSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(m_Dir.Path().empty());
        m_Cwd.reset(new ScopedWorkingDir(m_Dir.Path()));
        ASSERT_TRUE(m_Cwd->Ok());
        for (const char* d : {"image", "image/effect", "image/game", "image/title", "image/gameover"})
            mkdir(d, 0755);
        uint8_t rgb[6 * 5 * 3];
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                rgb[(y * 6 + x) * 3 + 0] = uint8_t(x * 40);
                rgb[(y * 6 + x) * 3 + 1] = uint8_t(y * 50);
                rgb[(y * 6 + x) * 3 + 2] = 7;
            }
        for (const char* f : kAllFiles) {
            std::string name = f;
            bool bmp = name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0;
            ASSERT_NE(bmp ? stbi_write_bmp(f, 6, 5, 3, rgb) : stbi_write_png(f, 6, 5, 3, rgb, 6 * 3), 0) << f;
        }
        g_pDevice = m_Device.Device();
        ASSERT_NE(g_pDevice, nullptr) << m_Device.Why();
        ASSERT_EQ(D3DXCreateSprite(g_pDevice, &g_pSprite), D3D_OK);
    }
    void TearDown() override {
        ReleaseSharedTextures();
        ReleaseTitleTextures();
        ReleaseStageTextures();
        if (g_pSprite) g_pSprite->Release(), g_pSprite = nullptr;
        g_pDevice = nullptr;
        m_Cwd.reset();
    }
    static void ExpectSize(IDirect3DTexture9* t, UINT w, UINT h) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Width(), w);
        EXPECT_EQ(t->Height(), h);
    }
    ScratchDir m_Dir{"textures"};
    std::unique_ptr<ScopedWorkingDir> m_Cwd;
    TestDevice m_Device{TestDevice::Kind::Recording};
};

} // namespace

TEST_F(TextureSetTest, EachSetLoadsItsFilesAtTheirListedSizesUnscaled) {
    LoadSharedTextures();
    ExpectSize(g_pTexLight, 128, 128);
    ExpectSize(g_pTexBlack, 8, 4);
    ExpectSize(g_pTexCursor, 32, 32);
    ExpectSize(g_pTexGround, 1024, 1024);
    // The 6 x 5 picture sits unscaled in the top-left corner; the 8 x 4 black
    // texture crops it.
    const std::vector<uint8_t>& light = g_pTexLight->Pixels();
    EXPECT_EQ(light[(4 * 128 + 5) * 4 + 2], 200); // texel (5, 4): red 5 * 40
    EXPECT_EQ(light[(4 * 128 + 5) * 4 + 1], 200); // green 4 * 50
    EXPECT_EQ(light[(4 * 128 + 5) * 4 + 3], 255);
    EXPECT_EQ(light[(4 * 128 + 6) * 4 + 3], 0); // beyond the picture: transparent
    EXPECT_EQ(g_pTexBlack->Pixels()[(3 * 8 + 5) * 4 + 1], 150);
    EXPECT_EQ(g_pTexBlack->Pixels()[(3 * 8 + 7) * 4 + 3], 0);
    EXPECT_EQ(g_pTexGround->Pixels()[(1 * 1024 + 1) * 4 + 2], 40); // the BMP

    LoadTitleTextures();
    ExpectSize(g_pTexLogo, 256, 128);
    ExpectSize(g_pTexStart, 128, 64);
    ExpectSize(g_pTexExit, 128, 64);
    ExpectSize(g_pTexOption, 128, 64);
    ExpectSize(g_pTexArrow, 64, 64);
    ExpectSize(g_pTexStar, 256, 256);
    ExpectSize(g_pTexClick, 256, 64);
    ExpectSize(g_pTexAnemoneTentacle, 32, 64);

    LoadStageTextures();
    ExpectSize(g_pTexResult, 256, 128);
    ExpectSize(g_pTexClear, 256, 128);
    ExpectSize(g_pTexDead, 256, 128);
    ExpectSize(g_pTexScore, 256, 128);
    ExpectSize(g_pTexKey, 256, 256);
    ExpectSize(g_pTexMouse, 256, 256);
    ExpectSize(g_pTexTentacle, 16, 64);
    ExpectSize(g_pTexWakame, 64, 128);
    ExpectSize(g_pTexDust, 128, 128);
    ExpectSize(g_pTexEsc, 256, 128);
    ExpectSize(g_pTexIvy, 256, 64);
}

TEST_F(TextureSetTest, ReleasingClearsSlotsAndASecondReleaseDoesNothing) {
    ReleaseStageTextures(); // never loaded
    LoadStageTextures();
    ASSERT_NE(g_pTexDust, nullptr);
    IDirect3DTexture9* dust = g_pTexDust;
    dust->AddRef();
    ReleaseStageTextures();
    EXPECT_EQ(g_pTexDust, nullptr);
    EXPECT_EQ(g_pTexEsc, nullptr);
    EXPECT_EQ(g_pTexAnemoneTentacle, nullptr);
    ReleaseStageTextures();
    EXPECT_EQ(dust->Release(),
              0u); // the set let go of its one reference exactly once

    LoadSharedTextures();
    ReleaseSharedTextures();
    ReleaseSharedTextures();
    EXPECT_EQ(g_pTexLight, nullptr);
    EXPECT_EQ(g_pTexGround, nullptr);
}

TEST_F(TextureSetTest, TheSharedTentacleSlotIsReloadedNotLeaked) {
    LoadTitleTextures();
    IDirect3DTexture9* first = g_pTexAnemoneTentacle;
    ASSERT_NE(first, nullptr);
    first->AddRef();
    LoadStageTextures(); // without the title set released in between
    ASSERT_NE(g_pTexAnemoneTentacle, nullptr);
    EXPECT_EQ(first->Release(), 0u);
    ReleaseTitleTextures(); // the slot is shared: this releases the stage set's
                            // copy
    EXPECT_EQ(g_pTexAnemoneTentacle, nullptr);
    ReleaseStageTextures();
    EXPECT_EQ(g_pTexAnemoneTentacle, nullptr);
}

TEST_F(TextureSetTest, MissingFilesLeaveTheirSlotsNull) {
    std::remove("image/game/cursor.png");
    std::remove("image/game/ground.bmp");
    LoadSharedTextures();
    EXPECT_NE(g_pTexLight, nullptr);
    EXPECT_NE(g_pTexBlack, nullptr);
    EXPECT_EQ(g_pTexCursor, nullptr);
    EXPECT_EQ(g_pTexGround, nullptr);
    ReleaseSharedTextures();
}

TEST_F(TextureSetTest, DrawSpriteCentresTheImageOnThePointAndScalesAboutIt) {
    LoadSharedTextures();
    d3d9debug::EnableCallLog(g_pDevice, true);
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 2.0f, 2.0f, 1.0f);
    RECT src = {0, 0, 32, 32};
    DrawSprite(g_pTexCursor, 255, 320.0f, 240.0f, 16.0f, 16.0f, src, scale);
    ASSERT_EQ(d3d9debug::CallLog(g_pDevice).size(), 1u);
    const DeviceCall& c = d3d9debug::CallLog(g_pDevice)[0];
    EXPECT_EQ(c.method, "SpriteDraw");
    EXPECT_EQ(c.ptr, g_pTexCursor);
    EXPECT_EQ(c.b, 0xFFFFFFFFu);
    float corner[4][6];
    ASSERT_EQ(c.data.size(), sizeof corner);
    std::memcpy(corner, c.data.data(), sizeof corner);
    EXPECT_FLOAT_EQ(corner[0][0], 288.0f);
    EXPECT_FLOAT_EQ(corner[0][1], 208.0f);
    EXPECT_FLOAT_EQ(corner[2][0], 352.0f);
    EXPECT_FLOAT_EQ(corner[2][1], 272.0f);
}

TEST_F(TextureSetTest, TheFadeOverlayCoversTheScreenAndOpacityZeroStillDraws) {
    LoadSharedTextures();
    d3d9debug::EnableCallLog(g_pDevice, true);
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 640.0f, 480.0f, 0.0f);
    RECT texel = {1, 1, 2, 2};
    DrawSprite(g_pTexBlack, 0, 0.0f, 0.0f, 0.0f, 0.0f, texel, scale);
    DrawSprite(g_pTexBlack, 128, 0.0f, 0.0f, 0.0f, 0.0f, texel, scale);
    const auto& log = d3d9debug::CallLog(g_pDevice);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].b, 0x00FFFFFFu);
    EXPECT_EQ(log[1].b, 0x80FFFFFFu);
    float corner[4][6];
    std::memcpy(corner, log[1].data.data(), sizeof corner);
    EXPECT_FLOAT_EQ(corner[0][0], 0.0f);
    EXPECT_FLOAT_EQ(corner[0][1], 0.0f);
    EXPECT_FLOAT_EQ(corner[2][0], 640.0f);
    EXPECT_FLOAT_EQ(corner[2][1], 480.0f);
}
