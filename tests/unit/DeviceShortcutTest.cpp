// The device's shortcuts that save the software rasteriser work without changing a pixel: batches kept
// across state that comes back, invisible sprites dropped, blending left off where alpha is 1 everywhere.
#include "DeviceTestSupport.h"

#include "gl_device_internal.h"
#include <d3d9debug.h>

#include <epoxy/gl.h>

namespace {

// One clip-space quad under the current state.
void DrawTestQuad(IDirect3DDevice9* dev, float x0, float x1, D3DCOLOR c) {
    TestVertex q[4];
    MakeQuad(q, x0, 0.5f, x1, -0.5f, 0.5f, c);
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex)), D3D_OK);
}

// Batches the device issued for what was queued, after a flush.
UINT BatchesOf(IDirect3DDevice9* dev, UINT before) {
    gldevice::Flush(dev);
    return d3d9debug::BatchCount(dev) - before;
}

} // namespace

class DeviceShortcuts : public RecordingDeviceTest {};

TEST_F(DeviceShortcuts, StateThatComesBackKeepsTheBatchAndARealChangeSplitsIt) {
    m_Dev->SetFVF(kTestFvf);
    m_Dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    UINT base = d3d9debug::BatchCount(m_Dev);
    DrawTestQuad(m_Dev, -1, 0, 0xFFFFFFFF);
    m_Dev->SetRenderState(D3DRS_ZWRITEENABLE, FALSE); // away and back before the next draw
    m_Dev->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    DrawTestQuad(m_Dev, 0, 1, 0xFFFFFFFF);
    EXPECT_EQ(BatchesOf(m_Dev, base), 1u);

    base = d3d9debug::BatchCount(m_Dev);
    DrawTestQuad(m_Dev, -1, 0, 0xFFFFFFFF);
    m_Dev->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawTestQuad(m_Dev, 0, 1, 0xFFFFFFFF);
    m_Dev->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    DrawTestQuad(m_Dev, -1, 0, 0xFFFFFFFF);
    EXPECT_EQ(BatchesOf(m_Dev, base), 3u);
}

TEST_F(DeviceShortcuts, EachTextureHasItsOwnBatchAndTheSameTextureAgainJoinsIt) {
    IDirect3DTexture9 *a = nullptr, *b = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &a, nullptr), D3D_OK);
    ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
    m_Dev->SetFVF(kTestFvf);
    UINT base = d3d9debug::BatchCount(m_Dev);
    m_Dev->SetTexture(0, a);
    DrawTestQuad(m_Dev, -1, 0, 0xFFFFFFFF);
    m_Dev->SetTexture(0, b);
    DrawTestQuad(m_Dev, 0, 1, 0xFFFFFFFF);
    m_Dev->SetTexture(0, b);
    DrawTestQuad(m_Dev, -1, 1, 0xFFFFFFFF);
    m_Dev->SetTexture(0, nullptr);
    DrawTestQuad(m_Dev, -1, 1, 0xFFFFFFFF);
    EXPECT_EQ(BatchesOf(m_Dev, base), 3u); // a; b twice; none
    a->Release();
    b->Release();
}

TEST_F(DeviceShortcuts, ABlendedSpriteOfAlphaZeroIsLoggedButMakesNoBatch) {
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_Dev, &sprite), D3D_OK);
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    d3d9debug::EnableCallLog(m_Dev, true);
    const UINT base = d3d9debug::BatchCount(m_Dev);
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->Draw(tex, nullptr, nullptr, nullptr, 0x00FFFFFF); // the fade overlay while no fade runs
    sprite->End();
    EXPECT_EQ(BatchesOf(m_Dev, base), 0u);
    size_t logged = 0;
    for (const DeviceCall& c : d3d9debug::CallLog(m_Dev))
        logged += c.method == "SpriteDraw";
    EXPECT_EQ(logged, 1u);

    // Any alpha at all draws; and without blending even alpha 0 does (the alpha test is off then).
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->Draw(tex, nullptr, nullptr, nullptr, 0x01FFFFFF);
    sprite->End();
    EXPECT_EQ(BatchesOf(m_Dev, base), 1u);
    sprite->Begin(0);
    sprite->Draw(tex, nullptr, nullptr, nullptr, 0x00FFFFFF);
    sprite->End();
    EXPECT_EQ(BatchesOf(m_Dev, base), 2u);
    tex->Release();
    sprite->Release();
}

class DeviceShortcutPixels : public GlDeviceTest {
  protected:
    // Whether GL blending was on for the batch just flushed.
    bool BlendWasOn() {
        gldevice::Flush(m_Dev);
        gldevice::MakeCurrent(m_Dev);
        return glIsEnabled(GL_BLEND) == GL_TRUE;
    }
};

TEST_F(DeviceShortcutPixels, OpaqueBatchesDrawWithBlendingOffAndLookTheSame) {
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    IDirect3DTexture9* opaque = SolidTexture(4, 4, D3DCOLOR_ARGB(255, 200, 100, 50));
    IDirect3DTexture9* clear = SolidTexture(4, 4, D3DCOLOR_ARGB(128, 200, 100, 50));
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);

    // Opaque texture, opaque vertices: the texture's colour, exactly as blending would give.
    m_Dev->SetTexture(0, opaque);
    DrawTestQuad(m_Dev, -1, 0, 0xFFFFFFFF);
    EXPECT_FALSE(BlendWasOn());
    // The same texture under translucent vertices blends.
    DrawTestQuad(m_Dev, 0, 1, D3DCOLOR_ARGB(128, 255, 255, 255));
    EXPECT_TRUE(BlendWasOn());
    Read();
    ExpectPixel(160, 240, 200, 100, 50, 0);
    ExpectPixel(480, 240, 100, 50, 152); // half texture, half blue background

    // A translucent texture under opaque vertices blends too.
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);
    m_Dev->SetTexture(0, clear);
    DrawTestQuad(m_Dev, -1, 0, 0xFFFFFFFF);
    EXPECT_TRUE(BlendWasOn());
    Read();
    ExpectPixel(160, 240, 100, 50, 152);

    // Pixels written after locking make a texture translucent: it is looked at again.
    m_Dev->SetTexture(0, opaque);
    DrawTestQuad(m_Dev, 0, 1, 0xFFFFFFFF);
    EXPECT_FALSE(BlendWasOn());
    FillTexture(opaque, D3DCOLOR_ARGB(0, 200, 100, 50));
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);
    DrawTestQuad(m_Dev, 0, 1, 0xFFFFFFFF);
    EXPECT_TRUE(BlendWasOn());
    Read();
    ExpectPixel(480, 240, 0, 0, 255, 0);
    opaque->Release();
    clear->Release();
}

TEST_F(DeviceShortcutPixels, OtherBlendFactorsAndAlphaOperationsKeepBlending) {
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE); // additive: the background stays
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 200), 1.0f, 0);
    DrawTestQuad(m_Dev, -1, 1, D3DCOLOR_ARGB(255, 100, 0, 0));
    EXPECT_TRUE(BlendWasOn());
    Read();
    ExpectPixel(320, 240, 100, 0, 200);

    // Alpha from the texture factor, which is translucent.
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Dev->SetRenderState(D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(0, 255, 255, 255));
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 200), 1.0f, 0);
    DrawTestQuad(m_Dev, -1, 1, D3DCOLOR_ARGB(255, 100, 0, 0));
    EXPECT_TRUE(BlendWasOn());
    Read();
    ExpectPixel(320, 240, 0, 0, 200, 0);
    // An opaque texture factor makes the same batch opaque.
    m_Dev->SetRenderState(D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(255, 255, 255, 255));
    DrawTestQuad(m_Dev, -1, 1, D3DCOLOR_ARGB(255, 100, 0, 0));
    EXPECT_FALSE(BlendWasOn());
    Read();
    ExpectPixel(320, 240, 100, 0, 0, 0);
}
