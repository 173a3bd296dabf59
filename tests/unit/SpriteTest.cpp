// ID3DXSprite: quad placement, texture coordinates, state isolation and the full-screen fade.
#include "DeviceTestSupport.h"
#include <d3d9debug.h>

namespace {

struct Corner {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

std::vector<Corner> CornersOf(const DeviceCall& c) {
    std::vector<Corner> out(c.data.size() / sizeof(Corner));
    if (!out.empty()) std::memcpy(out.data(), c.data.data(), out.size() * sizeof(Corner));
    return out;
}

// The one-texel fade overlay: source (1, 1)-(2, 2), scaled 640 x 480 x 0 at (0, 0) with centre (0, 0).
void DrawFade(ID3DXSprite* sprite, IDirect3DTexture9* tex, int opacity) {
    D3DXMATRIX scale, trans, m;
    D3DXMatrixScaling(&scale, 640.0f, 480.0f, 0.0f);
    D3DXMatrixTranslation(&trans, 0.0f, 0.0f, 0.0f);
    m = scale * trans;
    RECT src = {1, 1, 2, 2};
    D3DXVECTOR3 centre(0, 0, 0);
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->SetTransform(&m);
    sprite->Draw(tex, &src, &centre, nullptr, D3DCOLOR(opacity << 24) | 0xFFFFFF);
    sprite->End();
}

} // namespace

TEST_F(RecordingDeviceTest, SpriteQuadIsTheSourceRectangleMovedByCentreTransformAndPosition) {
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_Dev, &sprite), D3D_OK);
    d3d9debug::EnableCallLog(m_Dev, true);

    DrawFade(sprite, tex, 128);
    ASSERT_EQ(d3d9debug::CallLog(m_Dev).size(), 1u);
    const DeviceCall& fade = d3d9debug::CallLog(m_Dev)[0];
    EXPECT_EQ(fade.method, "SpriteDraw");
    EXPECT_EQ(fade.ptr, tex);
    EXPECT_EQ(fade.b, 0x80FFFFFFu);
    std::vector<Corner> c = CornersOf(fade);
    ASSERT_EQ(c.size(), 4u);
    const float expected[4][4] = {{0, 0, 1 / 8.0f, 1 / 4.0f},
                                  {640, 0, 2 / 8.0f, 1 / 4.0f},
                                  {640, 480, 2 / 8.0f, 2 / 4.0f},
                                  {0, 480, 1 / 8.0f, 2 / 4.0f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(c[i].x, expected[i][0]);
        EXPECT_FLOAT_EQ(c[i].y, expected[i][1]);
        EXPECT_FLOAT_EQ(c[i].u, expected[i][2]);
        EXPECT_FLOAT_EQ(c[i].v, expected[i][3]);
        EXPECT_EQ(c[i].color, 0x80FFFFFFu);
    }

    // A 32 x 32 cursor centred on (16, 16), scaled by 2 about its centre, placed at (100, 50) by the
    // transform and moved by a further (10, 0, 0) position.
    d3d9debug::ClearCallLog(m_Dev);
    D3DXMATRIX scale, trans, m;
    D3DXMatrixScaling(&scale, 2, 2, 1);
    D3DXMatrixTranslation(&trans, 100, 50, 0);
    m = scale * trans;
    RECT src = {0, 0, 32, 32};
    D3DXVECTOR3 centre(16, 16, 0), pos(10, 0, 0);
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->SetTransform(&m);
    sprite->Draw(nullptr, &src, &centre, &pos, 0xFF00FF00);
    sprite->End();
    c = CornersOf(d3d9debug::CallLog(m_Dev).at(0));
    EXPECT_FLOAT_EQ(c[0].x, 78);
    EXPECT_FLOAT_EQ(c[0].y, 18);
    EXPECT_FLOAT_EQ(c[2].x, 142);
    EXPECT_FLOAT_EQ(c[2].y, 82);
    EXPECT_EQ(c[0].u, 0.0f); // no texture: no texture coordinates

    // Calls outside Begin/End fail; Begin twice fails.
    EXPECT_EQ(sprite->Draw(tex, &src, nullptr, nullptr, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Begin(0), D3D_OK);
    EXPECT_EQ(sprite->Begin(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->End(), D3D_OK);
    sprite->Release();
    tex->Release();
}

TEST_F(RecordingDeviceTest, SpritesLeaveTheDeviceStateAsItWas) {
    m_Dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_Dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 5, 6, 7);
    m_Dev->SetTransform(D3DTS_WORLD, &world);
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_Dev, &sprite), D3D_OK);
    DrawFade(sprite, tex, 255);
    DWORD v = 0;
    m_Dev->GetRenderState(D3DRS_FOGENABLE, &v);
    EXPECT_EQ(v, DWORD(TRUE));
    m_Dev->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, DWORD(FALSE));
    m_Dev->GetRenderState(D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, DWORD(D3DCULL_CCW));
    D3DMATRIX m;
    m_Dev->GetTransform(D3DTS_WORLD, &m);
    EXPECT_TRUE(D3DXMATRIX(m) == world);
    IDirect3DTexture9* bound = tex;
    m_Dev->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    sprite->Release();
    tex->Release();
}

TEST_F(GlDeviceTest, FadeOverlayAtOpacity128DarkensTheWholeFrame) {
    IDirect3DTexture9* black = SolidTexture(8, 4, 0xFF000000);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_Dev, &sprite), D3D_OK);
    // World state the sprite must ignore: fog, depth test, culling, lighting.
    m_Dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    m_Dev->SetRenderState(D3DRS_FOGCOLOR, 0xFFFF0000);
    m_Dev->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_Dev->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);

    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
    m_Dev->BeginScene();
    DrawFade(sprite, black, 128);
    m_Dev->EndScene();
    Read();
    size_t wrong = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint8_t* p = Px(x, y);
            for (int k = 0; k < 3; ++k)
                if (p[k] < 125 || p[k] > 129) ++wrong;
        }
    EXPECT_EQ(wrong, 0u);
    ExpectPixel(0, 0, 127, 127, 127);
    ExpectPixel(639, 479, 127, 127, 127);

    // At opacity 0 the draw changes nothing; at 255 the frame is black.
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    DrawFade(sprite, black, 0);
    Read();
    ExpectPixel(320, 240, 255, 255, 255, 0);
    DrawFade(sprite, black, 255);
    Read();
    ExpectPixel(320, 240, 0, 0, 0, 0);
    ExpectPixel(639, 0, 0, 0, 0, 0);
    sprite->Release();
    black->Release();
}

TEST_F(GlDeviceTest, SpriteTexelsLandOnScreenPixels) {
    // A 4 x 4 texture, left half red, right half blue, drawn 1:1 at (100, 200) and scaled.
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    D3DCOLOR* px = static_cast<D3DCOLOR*>(lr.pBits);
    for (int i = 0; i < 16; ++i)
        px[i] = (i % 4) < 2 ? 0xFFFF0000 : 0xFF0000FF;
    tex->UnlockRect(0);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_Dev, &sprite), D3D_OK);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, 20, 20, 1);
    D3DXVECTOR3 pos(100, 200, 0);
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->SetTransform(&m);
    sprite->Draw(tex, nullptr, nullptr, &pos, 0xFFFFFFFF);
    sprite->End();
    Read();
    // The picture covers x 100..180, y 200..280: red on the left, blue on the right.
    ExpectPixel(110, 210, 255, 0, 0, 0);
    ExpectPixel(170, 270, 0, 0, 255, 0);
    ExpectPixel(95, 240, 0, 0, 0, 0);
    ExpectPixel(140, 285, 0, 0, 0, 0);
    sprite->Release();
    tex->Release();
}
