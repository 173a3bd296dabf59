// Loading textures from image files with D3DX.
#include "DeviceTestSupport.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include <stb_image_write.h>

namespace {

// A 3 x 2 picture: every texel different, with some translucency.
const uint8_t kRgba[3 * 2 * 4] = {
    255, 0,  0,  255, 0,   255, 0,  255, 0, 0, 255, 128, //
    10,  20, 30, 40,  200, 100, 50, 255, 1, 2, 3,   0,
};

class TextureLoadTest : public RecordingDeviceTest {
  protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        ASSERT_FALSE(m_Dir.Path().empty());
        m_Png = m_Dir.File("pic.png");
        ASSERT_NE(stbi_write_png(m_Png.c_str(), 3, 2, 4, kRgba, 3 * 4), 0);
    }
    std::string File(const std::string& name) { return m_Dir.File(name); }
    HRESULT LoadEx(const std::string& path, UINT w, UINT h, DWORD filter, IDirect3DTexture9** out,
                   D3DXIMAGE_INFO* info = nullptr) {
        return D3DXCreateTextureFromFileExA(m_Dev, path.c_str(), w, h, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                            filter, D3DX_DEFAULT, 0, info, nullptr, out);
    }
    // The texel (x, y) as R, G, B, A.
    static void ExpectTexel(IDirect3DTexture9* t, UINT x, UINT y, int r, int g, int b, int a) {
        const uint8_t* p = &t->Pixels()[(size_t(y) * t->Width() + x) * 4];
        EXPECT_EQ(p[2], r) << x << "," << y;
        EXPECT_EQ(p[1], g) << x << "," << y;
        EXPECT_EQ(p[0], b) << x << "," << y;
        EXPECT_EQ(p[3], a) << x << "," << y;
    }

    ScratchDir m_Dir{"texload"};
    std::string m_Png;
};

} // namespace

TEST_F(TextureLoadTest, FilterNoneCopiesTheImageUnscaledIntoTheTopLeft) {
    IDirect3DTexture9* t = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(LoadEx(m_Png, 8, 4, D3DX_FILTER_NONE, &t, &info), D3D_OK);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Width(), 8u);
    EXPECT_EQ(t->Height(), 4u);
    EXPECT_EQ(info.Width, 3u);
    EXPECT_EQ(info.Height, 2u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    for (UINT y = 0; y < 2; ++y)
        for (UINT x = 0; x < 3; ++x) {
            const uint8_t* s = &kRgba[(y * 3 + x) * 4];
            ExpectTexel(t, x, y, s[0], s[1], s[2], s[3]);
        }
    // Everything outside the picture is transparent black.
    for (UINT y = 0; y < 4; ++y)
        for (UINT x = 0; x < 8; ++x)
            if (x >= 3 || y >= 2) ExpectTexel(t, x, y, 0, 0, 0, 0);
    D3DSURFACE_DESC desc;
    t->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    t->Release();
}

TEST_F(TextureLoadTest, FilterNoneCropsAnImageLargerThanTheRequestedSize) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(LoadEx(m_Png, 2, 1, D3DX_FILTER_NONE, &t), D3D_OK);
    ASSERT_EQ(t->Width(), 2u);
    ASSERT_EQ(t->Height(), 1u);
    ExpectTexel(t, 0, 0, 255, 0, 0, 255);
    ExpectTexel(t, 1, 0, 0, 255, 0, 255);
    t->Release();
}

TEST_F(TextureLoadTest, BmpFilesLoadOpaque) {
    std::string bmp = File("pic.bmp");
    const uint8_t rgb[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7};
    ASSERT_NE(stbi_write_bmp(bmp.c_str(), 2, 2, 3, rgb), 0);
    IDirect3DTexture9* t = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(LoadEx(bmp, 4, 4, D3DX_FILTER_NONE, &t, &info), D3D_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    ExpectTexel(t, 0, 0, 255, 0, 0, 255);
    ExpectTexel(t, 1, 1, 9, 8, 7, 255);
    ExpectTexel(t, 3, 3, 0, 0, 0, 0);
    t->Release();
}

TEST_F(TextureLoadTest, DefaultSizesFollowD3DX) {
    IDirect3DTexture9* t = nullptr;
    // 0 and D3DX_DEFAULT: the file's size rounded up to powers of two.
    ASSERT_EQ(LoadEx(m_Png, 0, D3DX_DEFAULT, D3DX_FILTER_NONE, &t), D3D_OK);
    EXPECT_EQ(t->Width(), 4u);
    EXPECT_EQ(t->Height(), 2u);
    ExpectTexel(t, 2, 1, 1, 2, 3, 0);
    ExpectTexel(t, 3, 0, 0, 0, 0, 0);
    t->Release();
    // D3DX_DEFAULT_NONPOW2: exactly the file's size.
    ASSERT_EQ(LoadEx(m_Png, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, D3DX_FILTER_NONE, &t), D3D_OK);
    EXPECT_EQ(t->Width(), 3u);
    EXPECT_EQ(t->Height(), 2u);
    t->Release();
    // The plain loader scales the picture to the rounded size.
    ASSERT_EQ(D3DXCreateTextureFromFileA(m_Dev, m_Png.c_str(), &t), D3D_OK);
    EXPECT_EQ(t->Width(), 4u);
    EXPECT_EQ(t->Height(), 2u);
    EXPECT_GT(t->Pixels()[3 * 4 + 3], 0); // the right column is picture, not padding
    EXPECT_GT(t->GetLevelCount(), 1u);    // and it has a full mip chain
    t->Release();
}

TEST_F(TextureLoadTest, ColourKeyTurnsThatColourTransparent) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(m_Dev, m_Png.c_str(), 4, 2, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_DEFAULT, 0xFF00FF00, nullptr, nullptr, &t),
              D3D_OK);
    ExpectTexel(t, 0, 0, 255, 0, 0, 255);
    ExpectTexel(t, 1, 0, 0, 0, 0, 0);
    t->Release();
}

TEST_F(TextureLoadTest, MissingAndBrokenFilesFailWithoutATexture) {
    IDirect3DTexture9* t = reinterpret_cast<IDirect3DTexture9*>(this); // must be cleared
    EXPECT_TRUE(FAILED(LoadEx(m_Dir.File("nothing.png"), 8, 8, D3DX_FILTER_NONE, &t)));
    EXPECT_EQ(t, nullptr);

    std::string junk = File("junk.png");
    std::ofstream(junk, std::ios::binary) << "\x89PNG\r\n\x1a\n this is not an image at all";
    t = reinterpret_cast<IDirect3DTexture9*>(this);
    EXPECT_TRUE(FAILED(LoadEx(junk, 8, 8, D3DX_FILTER_NONE, &t)));
    EXPECT_EQ(t, nullptr);

    std::string empty = File("empty.bmp");
    std::ofstream(empty, std::ios::binary).flush();
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(m_Dev, empty.c_str(), &t)));
    EXPECT_EQ(t, nullptr);

    EXPECT_EQ(D3DXCreateTextureFromFileA(m_Dev, nullptr, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, m_Png.c_str(), &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(m_Dev, m_Png.c_str(), nullptr), D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, LoadedTexturesDrawWithTheirPixels) {
    ScratchDir dir("texdraw");
    std::string png = dir.File("two.png");
    const uint8_t rgba[2 * 1 * 4] = {255, 0, 0, 255, 0, 0, 255, 255};
    ASSERT_NE(stbi_write_png(png.c_str(), 2, 1, 4, rgba, 8), 0);
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(m_Dev, png.c_str(), 2, 1, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
              D3D_OK);
    m_Dev->SetTexture(0, t);
    m_Dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
    DrawQuad(q);
    Read();
    ExpectPixel(100, 240, 255, 0, 0, 0);
    ExpectPixel(540, 240, 0, 0, 255, 0);
    m_Dev->SetTexture(0, nullptr);
    t->Release();
}
