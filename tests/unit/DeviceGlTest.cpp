// Pixel tests of the drawing device on a hidden OpenGL window.
#include "DeviceTestSupport.h"

#include "gl_device_internal.h"
#include <d3d9debug.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

TEST_F(GlDeviceTest, ClearFillsTheBackBufferAndGetViewportIsTheWholeBuffer) {
    ASSERT_EQ(
        m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(30, 60, 90), 1.0f, 0),
        D3D_OK);
    Read();
    ExpectPixel(0, 0, 30, 60, 90, 0);
    ExpectPixel(639, 479, 30, 60, 90, 0);
    D3DVIEWPORT9 vp;
    ASSERT_EQ(m_Dev->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Y, 0u);
    EXPECT_EQ(vp.Width, 640u);
    EXPECT_EQ(vp.Height, 480u);
    EXPECT_EQ(vp.MinZ, 0.0f);
    EXPECT_EQ(vp.MaxZ, 1.0f);
}

TEST_F(GlDeviceTest, TexturedQuadIsModulatedByTheVertexColour) {
    IDirect3DTexture9* tex = SolidTexture(4, 4, D3DCOLOR_ARGB(255, 200, 100, 50));
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
    m_Dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_Dev->SetTexture(0, tex);
    TestVertex q[4];
    MakeQuad(q, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f, D3DCOLOR_ARGB(255, 128, 255, 64));
    m_Dev->BeginScene();
    DrawQuad(q);
    m_Dev->EndScene();
    Read();
    // 200 x 128/255, 100 x 1, 50 x 64/255
    ExpectPixel(320, 240, 100, 100, 13);
    ExpectPixel(170, 130, 100, 100, 13);
    ExpectPixel(150, 240, 0, 0, 0, 0); // outside: x < 160
    // Without a texture only the vertex colour remains.
    m_Dev->SetTexture(0, nullptr);
    DrawQuad(q);
    Read();
    ExpectPixel(320, 240, 128, 255, 64);
    tex->Release();
}

TEST_F(GlDeviceTest, AlphaBlendingUsesSourceAlpha) {
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f, D3DCOLOR_ARGB(128, 255, 0, 0));
    DrawQuad(q);
    Read();
    ExpectPixel(320, 240, 128, 0, 127);
    // Blending off: the colour replaces the background.
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    MakeQuad(q, -1, 1, 0, -1, 0.5f, D3DCOLOR_ARGB(128, 0, 255, 0));
    DrawQuad(q);
    Read();
    ExpectPixel(100, 240, 0, 255, 0);
    ExpectPixel(500, 240, 128, 0, 127);
}

TEST_F(GlDeviceTest, CullingFollowsTheOnScreenWindingAndScreenshotIsWritten) {
    // Left triangle: bottom-left, top, bottom-right = clockwise on screen.
    // Right triangle: bottom-left, bottom-right, top = counter-clockwise on screen.
    const D3DCOLOR white = 0xFFFFFFFF;
    TestVertex cw[3] = {{-0.8f, -0.5f, 0.5f, white, 0, 0},
                        {-0.5f, 0.5f, 0.5f, white, 0, 0},
                        {-0.2f, -0.5f, 0.5f, white, 0, 0}};
    TestVertex ccw[3] = {
        {0.2f, -0.5f, 0.5f, white, 0, 0}, {0.8f, -0.5f, 0.5f, white, 0, 0}, {0.5f, 0.5f, 0.5f, white, 0, 0}};
    auto drawBoth = [&](DWORD cull) {
        m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_Dev->SetRenderState(D3DRS_CULLMODE, cull);
        m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof(TestVertex));
        m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof(TestVertex));
        Read();
    };
    // Triangle centres: x = 0.35 and 0.65 of the width... in pixels (160, 270) and (480, 270).
    drawBoth(D3DCULL_NONE);
    ExpectPixel(160, 270, 255, 255, 255, 0);
    ExpectPixel(480, 270, 255, 255, 255, 0);
    drawBoth(D3DCULL_CW);
    ExpectPixel(160, 270, 0, 0, 0, 0);
    ExpectPixel(480, 270, 255, 255, 255, 0);
    drawBoth(D3DCULL_CCW);
    ExpectPixel(160, 270, 255, 255, 255, 0);
    ExpectPixel(480, 270, 0, 0, 0, 0);

    // The screenshot holds the same picture, top row first.
    ScratchDir dir("shot");
    ASSERT_FALSE(dir.Path().empty());
    std::string path = dir.File("cull_ccw.png");
    ASSERT_TRUE(d3d9debug::SaveBackBuffer(m_Dev, path.c_str()));
    IDirect3DTexture9* shot = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(m_Dev, path.c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1,
                                           0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT,
                                           0, nullptr, nullptr, &shot),
              D3D_OK);
    ASSERT_EQ(shot->Width(), 640u);
    ASSERT_EQ(shot->Height(), 480u);
    const std::vector<uint8_t>& bgra = shot->Pixels();
    size_t differing = 0;
    for (size_t i = 0; i < size_t(640) * 480; ++i)
        if (bgra[i * 4 + 2] != m_Pixels[i * 4] || bgra[i * 4 + 1] != m_Pixels[i * 4 + 1] ||
            bgra[i * 4] != m_Pixels[i * 4 + 2] || bgra[i * 4 + 3] != 255)
            ++differing;
    EXPECT_EQ(differing, 0u);
    shot->Release();
}

TEST_F(GlDeviceTest, GroundQuadSeenFromAboveIsFrontFacingUnderCcwCulling) {
    // The shadow quads of the world run (-x, +z), (+x, +z), (+x, -z), (-x, -z) and are seen from above.
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(0, 50, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 4.0f / 3.0f, 1.0f, 1000.0f);
    m_Dev->SetTransform(D3DTS_VIEW, &view);
    m_Dev->SetTransform(D3DTS_PROJECTION, &proj);
    m_Dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    TestVertex q[4] = {{-10, 0, 10, 0xFFFF0000, 0, 0},
                       {10, 0, 10, 0xFFFF0000, 1, 0},
                       {10, 0, -10, 0xFFFF0000, 1, 1},
                       {-10, 0, -10, 0xFFFF0000, 0, 1}};
    DrawQuad(q);
    Read();
    ExpectPixel(320, 240, 255, 0, 0, 0);
    // Seen from below it is culled.
    D3DXVECTOR3 below(0, -50, -10);
    D3DXMatrixLookAtLH(&view, &below, &at, &up);
    m_Dev->SetTransform(D3DTS_VIEW, &view);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawQuad(q);
    Read();
    ExpectPixel(320, 240, 0, 0, 0, 0);
}

TEST_F(GlDeviceTest, DepthTestKeepsTheNearerQuadAndZWriteOffLetsLaterQuadsThrough) {
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    TestVertex nearQ[4], farQ[4];
    MakeQuad(nearQ, -1, 1, 1, -1, 0.2f, 0xFF00FF00);
    MakeQuad(farQ, -1, 1, 1, -1, 0.8f, 0xFFFF0000);
    DrawQuad(nearQ);
    DrawQuad(farQ);
    Read();
    ExpectPixel(320, 240, 0, 255, 0, 0);
    // With depth writes off, the near quad leaves no depth and the far one shows.
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    m_Dev->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawQuad(nearQ);
    DrawQuad(farQ);
    Read();
    ExpectPixel(320, 240, 255, 0, 0, 0);
    // With the depth test off the last quad wins.
    m_Dev->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawQuad(farQ);
    DrawQuad(nearQ);
    DrawQuad(farQ);
    Read();
    ExpectPixel(320, 240, 255, 0, 0, 0);
}

TEST_F(GlDeviceTest, LinearTableFogUsesEyeDepth) {
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 4.0f / 3.0f, 1.0f, 100.0f);
    m_Dev->SetTransform(D3DTS_PROJECTION, &proj);
    m_Dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_FOGCOLOR, 0xFF0000FF);
    m_Dev->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    m_Dev->SetRenderState(D3DRS_FOGSTART, FloatBits(10.0f));
    m_Dev->SetRenderState(D3DRS_FOGEND, FloatBits(30.0f));
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // A white wall at eye depth 20 (halfway): half fog colour. Another at depth 25: a quarter of white.
    TestVertex q[4];
    MakeQuad(q, -100, 100, 0, -100, 20.0f, 0xFFFFFFFF);
    DrawQuad(q);
    MakeQuad(q, 0, 100, 100, -100, 25.0f, 0xFFFFFFFF);
    DrawQuad(q);
    Read();
    ExpectPixel(160, 240, 128, 128, 255);
    ExpectPixel(480, 240, 64, 64, 255);
    // Nearer than the start: no fog; farther than the end: all fog. Alpha is left alone (the quad stays
    // opaque).
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    MakeQuad(q, -100, 100, 0, -100, 5.0f, 0xFFFFFFFF);
    DrawQuad(q);
    MakeQuad(q, 0, 100, 100, -100, 50.0f, 0xFFFFFFFF);
    DrawQuad(q);
    Read();
    ExpectPixel(160, 240, 255, 255, 255, 0);
    ExpectPixel(480, 240, 0, 0, 255, 0);
    // Fog off: plain white.
    m_Dev->SetRenderState(D3DRS_FOGENABLE, FALSE);
    DrawQuad(q);
    Read();
    ExpectPixel(480, 240, 255, 255, 255, 0);
}

TEST_F(GlDeviceTest, LightingWithoutNormalsGivesEmissivePlusAmbientAndMaterialAlpha) {
    m_Dev->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_Dev->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    m_Dev->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_XRGB(51, 51, 51)); // 0.2
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Ambient = {0.5f, 0.5f, 0.5f, 0.5f};
    light.Direction = {1, -1, 1};
    m_Dev->SetLight(0, &light);
    m_Dev->LightEnable(0, TRUE);
    D3DMATERIAL9 mat{};
    mat.Diffuse = {1.0f, 1.0f, 1.0f, 0.5f};
    mat.Ambient = {1.0f, 0.0f, 0.5f, 1.0f};
    mat.Emissive = {0.0f, 0.25f, 0.0f, 1.0f};
    m_Dev->SetMaterial(&mat);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f,
             0xFF00FF00); // the vertex colour is not used: every source is the material
    DrawQuad(q);
    Read();
    // rgb = emissive + ambient x (0.2 + 0.5) = (0.7, 0.25, 0.35), blended at alpha 0.5 over black.
    ExpectPixel(320, 240, 89, 32, 45, 3);
    // The default material (all zero) gives black at alpha 0: nothing shows.
    D3DMATERIAL9 zero{};
    m_Dev->SetMaterial(&zero);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    DrawQuad(q);
    Read();
    ExpectPixel(320, 240, 255, 255, 255, 0);
}

TEST_F(GlDeviceTest, PresentShowsTheFrameAndCounts) {
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    ASSERT_EQ(m_Dev->BeginScene(), D3D_OK);
    EXPECT_EQ(m_Dev->BeginScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_Dev->EndScene(), D3D_OK);
    EXPECT_EQ(m_Dev->EndScene(), D3DERR_INVALIDCALL);
    UINT before = d3d9debug::PresentCount(m_Dev);
    EXPECT_EQ(m_Dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(d3d9debug::PresentCount(m_Dev), before + 1);
    // The back buffer survives presenting.
    Read();
    ExpectPixel(5, 5, 0x10, 0x20, 0x30, 0);
}

TEST_F(GlDeviceTest, ExternalDrawingSharesTheBackBufferAndStateCache) {
    TestVertex q[4];
    MakeQuad(q, -1, 1, 1, -1, 0.5f, 0xFFFF0000);
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawQuad(q);                                     // queued
    ASSERT_TRUE(gldevice::BeginExternalDraw(m_Dev)); // draws the queued quad first
    gldevice::RasterState rs = gldevice::CurrentRasterState(m_Dev);
    EXPECT_EQ(rs.cullMode, DWORD(D3DCULL_CCW));
    rs.blendEnable = 0;
    gldevice::ApplyRasterState(m_Dev, rs);
    gldevice::EndExternalDraw(m_Dev);
    Read();
    ExpectPixel(320, 240, 255, 0, 0, 0);
    // After an external draw the device rebinds its own objects.
    MakeQuad(q, -1, 1, 0, -1, 0.5f, 0xFF0000FF);
    m_Dev->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    DrawQuad(q);
    Read();
    ExpectPixel(100, 240, 0, 0, 255, 0);
    ExpectPixel(500, 240, 255, 0, 0, 0);
}

// Two translucent quads that overlap in one slanted plane, as two creatures' shadows on the seabed do. The
// 16-bit depth buffer the game asks for stores the same depth for both, so the second passes LESSEQUAL
// (almost) everywhere in the overlap and darkens it evenly; a finer buffer would keep the rounding
// differences of the two planes and stripe the overlap.
TEST_F(GlDeviceTest, OverlappingQuadsInOnePlaneBlendEvenlyWithTheSixteenBitDepthBuffer) {
    m_Dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(200, 200, 200), 1.0f, 0);
    m_Dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    // The plane z = 0.5 + 0.03 y + 0.01 x; each quad is cut from it with its own corners.
    auto quad = [](TestVertex q[4], float x0, float y0, float x1, float y1) {
        const D3DCOLOR shadow = D3DCOLOR_ARGB(180, 0, 0, 0);
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        for (int i = 0; i < 4; ++i)
            q[i] = {xs[i], ys[i], 0.5f + 0.03f * ys[i] + 0.01f * xs[i], shadow, 0.0f, 0.0f};
    };
    TestVertex a[4], b[4];
    quad(a, -0.83f, 0.71f, 0.37f, -0.64f);
    quad(b, -0.29f, 0.93f, 0.91f, -0.87f);
    DrawQuad(a);
    DrawQuad(b);
    Read();
    // The overlap runs from x -0.29 to 0.37 and y 0.71 to -0.64: pixels 227 to 438, 93 to 393.
    const uint8_t* first = Px(240, 110);
    EXPECT_LT(first[0], 40) << "darkened twice";
    int uneven = 0, pixels = 0;
    for (int y = 100; y <= 385; ++y)
        for (int x = 235; x <= 430; ++x, ++pixels)
            if (std::abs(int(Px(x, y)[0]) - int(first[0])) > 1) ++uneven;
    // A few pixels on the quads' diagonals may round apart; stripes would be some hundreds (about 4 % of
    // the overlap with a 24-bit buffer).
    EXPECT_LT(uneven, pixels / 1000) << "pixels of the overlap darkened only once";
    // Outside the overlap each quad darkens once.
    ExpectPixel(180, 240, 59, 59, 59);
    ExpectPixel(500, 240, 59, 59, 59);
}
