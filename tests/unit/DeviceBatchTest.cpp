// Batching: consecutive draws under the same state become one GL draw, and the picture does not change.
#include "DeviceTestSupport.h"

#include "gl_device_internal.h"
#include <d3d9debug.h>

namespace {

// Ten by ten small quads, each placed by its own world matrix, as the game's shadow quads are.
void DrawGrid(IDirect3DDevice9* dev, bool flushEach) {
    TestVertex q[4];
    MakeQuad(q, -0.04f, 0.04f, 0.04f, -0.04f, 0.5f, 0xC0FFFFFF);
    for (int i = 0; i < 100; ++i) {
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, -0.9f + 0.18f * float(i % 10), -0.9f + 0.18f * float(i / 10), 0.0f);
        dev->SetTransform(D3DTS_WORLD, &world);
        q[0].color = q[1].color = q[2].color = q[3].color = D3DCOLOR_ARGB(0xC0, 2 * i, 255 - 2 * i, 128);
        ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex)), D3D_OK);
        if (flushEach) gldevice::Flush(dev);
    }
}

} // namespace

TEST_F(GlDeviceTest, QuadsUnderOneStateAreOneDrawAndLookTheSameAsSeparateDraws) {
    IDirect3DTexture9* tex = SolidTexture(8, 8, 0xFFFFFFFF);
    m_Dev->SetTexture(0, tex);
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);

    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204060, 1.0f, 0);
    m_Dev->BeginScene();
    UINT before = d3d9debug::BatchCount(m_Dev);
    DrawGrid(m_Dev, false);
    EXPECT_EQ(d3d9debug::BatchCount(m_Dev), before); // still queued
    m_Dev->EndScene();
    EXPECT_EQ(d3d9debug::BatchCount(m_Dev), before + 1);
    Read();
    std::vector<uint8_t> batched = m_Pixels;

    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204060, 1.0f, 0);
    before = d3d9debug::BatchCount(m_Dev);
    DrawGrid(m_Dev, true);
    EXPECT_EQ(d3d9debug::BatchCount(m_Dev), before + 100);
    Read();
    EXPECT_TRUE(batched == m_Pixels);
    // And the quads are there: the first one's colour blended over the background.
    // Quad 0 is centred at clip (-0.9, -0.9): pixel (32, 456).
    ExpectPixel(32, 456, (0 * 192 + 0x20 * 63) / 255, (255 * 192 + 0x40 * 63) / 255,
                (128 * 192 + 0x60 * 63) / 255, 2);
    tex->Release();
}

TEST_F(GlDeviceTest, ChangingATexturesPixelsDoesNotReachQueuedDraws) {
    IDirect3DTexture9* tex = SolidTexture(4, 4, 0xFFFF0000);
    m_Dev->SetTexture(0, tex);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    TestVertex left[4], right[4];
    MakeQuad(left, -1, 1, 0, -1, 0.5f, 0xFFFFFFFF);
    MakeQuad(right, 0, 1, 1, -1, 0.5f, 0xFFFFFFFF);
    DrawQuad(left);
    FillTexture(tex, 0xFF00FF00);
    DrawQuad(right);
    Read();
    ExpectPixel(100, 240, 255, 0, 0, 0);
    ExpectPixel(500, 240, 0, 255, 0, 0);
    tex->Release();
}

TEST_F(GlDeviceTest, ATextureReleasedWhileQueuedIsStillDrawn) {
    IDirect3DTexture9* tex = SolidTexture(4, 4, 0xFF0000FF);
    m_Dev->SetTexture(0, tex);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
    DrawQuad(q);
    m_Dev->SetTexture(0, nullptr);
    tex->Release(); // the game's last reference; the queued draw keeps its own
    Read();
    ExpectPixel(320, 240, 0, 0, 255, 0);
}

TEST_F(GlDeviceTest, StripsListsAndLinesKeepTheirWinding) {
    m_Dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // Top-left, top-right, bottom-left, bottom-right: both triangles of the strip face the viewer.
    TestVertex strip[4] = {{-1, 1, 0.5f, 0xFFFFFF00, 0, 0},
                           {0, 1, 0.5f, 0xFFFFFF00, 0, 0},
                           {-1, 0, 0.5f, 0xFFFFFF00, 0, 0},
                           {0, 0, 0.5f, 0xFFFFFF00, 0, 0}};
    ASSERT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(TestVertex)), D3D_OK);
    TestVertex line[2] = {{0.1f, -0.5f, 0.5f, 0xFF00FFFF, 0, 0}, {0.9f, -0.5f, 0.5f, 0xFF00FFFF, 0, 0}};
    ASSERT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(TestVertex)), D3D_OK);
    Read();
    ExpectPixel(40, 40, 255, 255, 0, 0);   // first triangle (upper left)
    ExpectPixel(280, 110, 255, 255, 0, 0); // second triangle (lower right)
    // The line runs along row 360 (clip y -0.5) from x 352 to 608.
    bool lit = false;
    for (int y = 358; y <= 361; ++y)
        if (Px(480, y)[1] == 255 && Px(480, y)[2] == 255) lit = true;
    EXPECT_TRUE(lit);
}

TEST_F(RecordingDeviceTest, OnlyStateThatChangesTheLookSplitsABatch) {
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
    IDirect3DTexture9 *a = nullptr, *b = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &a, nullptr), D3D_OK);
    ASSERT_EQ(m_Dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
    m_Dev->SetFVF(kTestFvf);
    m_Dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    auto draw = [&] {
        ASSERT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex)), D3D_OK);
    };
    auto batchesAfterFlush = [&] {
        m_Dev->EndScene();
        m_Dev->BeginScene();
        return d3d9debug::BatchCount(m_Dev);
    };
    m_Dev->BeginScene();
    UINT base = d3d9debug::BatchCount(m_Dev);
    m_Dev->SetTexture(0, a);
    draw();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 3, 0, 0);
    m_Dev->SetTransform(D3DTS_WORLD, &world);           // world: applied on the CPU
    m_Dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW); // same value as before
    m_Dev->SetFVF(kTestFvf);
    m_Dev->SetTexture(0, a);
    draw();
    EXPECT_EQ(batchesAfterFlush(), base + 1);

    base = d3d9debug::BatchCount(m_Dev);
    m_Dev->SetTexture(0, a);
    draw();
    m_Dev->SetTexture(0, b); // another texture
    draw();
    m_Dev->SetRenderState(D3DRS_FOGENABLE, TRUE); // fog on, but both fog modes are none: no fog
    draw();
    m_Dev->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR); // now fog applies
    draw();
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 0, 0, 5);
    m_Dev->SetTransform(D3DTS_VIEW, &view); // another camera
    draw();
    m_Dev->SetRenderState(D3DRS_LIGHTING, TRUE);
    draw();
    D3DMATERIAL9 mat{};
    mat.Diffuse.a = 1.0f;
    m_Dev->SetMaterial(&mat); // lighting is on: the material counts
    draw();
    m_Dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    draw();
    D3DMATERIAL9 other{};
    m_Dev->SetMaterial(&other); // lighting off: the material does not count
    draw();
    EXPECT_EQ(batchesAfterFlush(), base + 7);

    // A sprite between two draws of the same state splits them, and the next draw resumes the device state.
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_Dev, &sprite), D3D_OK);
    base = d3d9debug::BatchCount(m_Dev);
    draw();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    RECT r = {0, 0, 4, 4};
    sprite->Draw(a, &r, nullptr, nullptr, 0xFFFFFFFF);
    sprite->Draw(a, &r, nullptr, nullptr, 0x80FFFFFF);
    sprite->End();
    draw();
    EXPECT_EQ(batchesAfterFlush(), base + 3);
    m_Dev->EndScene();
    sprite->Release();
    m_Dev->SetTexture(0, nullptr);
    a->Release();
    b->Release();
}

TEST_F(RecordingDeviceTest, DrawsAreLoggedWithTheirVerticesAndWorldMatrix) {
    TestVertex q[4];
    MakeQuad(q, -35, 35, 35, -35, 0.11f, 0xB4000000);
    m_Dev->SetFVF(kTestFvf);
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 10, 0.1f, 20);
    m_Dev->SetTransform(D3DTS_WORLD, &world);
    d3d9debug::EnableCallLog(m_Dev, true);
    ASSERT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex)), D3D_OK);
    ASSERT_EQ(d3d9debug::CallLog(m_Dev).size(), 1u);
    const DeviceCall& c = d3d9debug::CallLog(m_Dev)[0];
    EXPECT_EQ(c.method, "DrawPrimitiveUP");
    EXPECT_EQ(c.a, DWORD(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(c.b, 2u);
    EXPECT_EQ(c.c, 24u);
    EXPECT_EQ(c.ptr, nullptr);
    EXPECT_EQ(c.matrix._41, 10.0f);
    EXPECT_EQ(c.matrix._43, 20.0f);
    ASSERT_EQ(c.data.size(), 4 * sizeof(TestVertex));
    EXPECT_EQ(std::memcmp(c.data.data(), q, c.data.size()), 0);

    // Bad calls fail and draw nothing.
    UINT batches = d3d9debug::BatchCount(m_Dev);
    EXPECT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, 24), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 0, q, 24), D3DERR_INVALIDCALL);
    m_Dev->SetFVF(D3DFVF_DIFFUSE); // no position
    EXPECT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, 24), D3DERR_INVALIDCALL);
    m_Dev->SetFVF(kTestFvf);
    gldevice::Flush(m_Dev);
    EXPECT_EQ(d3d9debug::BatchCount(m_Dev), batches + 1); // only the good draw
}
