// The device's CPU-side state, the call log and device creation, on a recording device.
#include "DeviceTestSupport.h"

#include "gl_device_internal.h"
#include <d3d9debug.h>

TEST_F(RecordingDeviceTest, StartsWithDirect3DDefaults) {
    auto rs = [&](D3DRENDERSTATETYPE s) {
        DWORD v = 0xDEADBEEF;
        EXPECT_EQ(m_Dev->GetRenderState(s, &v), D3D_OK);
        return v;
    };
    EXPECT_EQ(rs(D3DRS_ZENABLE), DWORD(TRUE)); // automatic depth buffer
    EXPECT_EQ(rs(D3DRS_ZWRITEENABLE), DWORD(TRUE));
    EXPECT_EQ(rs(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(rs(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(rs(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
    EXPECT_EQ(rs(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
    EXPECT_EQ(rs(D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
    EXPECT_EQ(rs(D3DRS_LIGHTING), DWORD(TRUE));
    EXPECT_EQ(rs(D3DRS_FOGENABLE), DWORD(FALSE));
    EXPECT_EQ(rs(D3DRS_FOGEND), FloatBits(1.0f));
    EXPECT_EQ(rs(D3DRS_DIFFUSEMATERIALSOURCE), DWORD(D3DMCS_COLOR1));
    EXPECT_EQ(rs(D3DRS_COLORWRITEENABLE), 0xFu);
    DWORD v = 0;
    m_Dev->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, DWORD(D3DTOP_MODULATE));
    m_Dev->GetTextureStageState(0, D3DTSS_ALPHAOP, &v);
    EXPECT_EQ(v, DWORD(D3DTOP_SELECTARG1));
    m_Dev->GetTextureStageState(1, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, DWORD(D3DTOP_DISABLE));
    m_Dev->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, DWORD(D3DTEXF_POINT));
    m_Dev->GetSamplerState(0, D3DSAMP_ADDRESSU, &v);
    EXPECT_EQ(v, DWORD(D3DTADDRESS_WRAP));
    D3DMATRIX m;
    ASSERT_EQ(m_Dev->GetTransform(D3DTS_WORLD, &m), D3D_OK);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    EXPECT_TRUE(D3DXMATRIX(m) == id);
    D3DVIEWPORT9 vp;
    m_Dev->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 640u);
    EXPECT_EQ(vp.Height, 480u);
    EXPECT_EQ(vp.MaxZ, 1.0f);
}

TEST_F(RecordingDeviceTest, GettersReturnWhatWasSetAndBadIndicesFail) {
    EXPECT_EQ(m_Dev->SetRenderState(D3DRS_FOGCOLOR, 0xFF1E1EAA), D3D_OK);
    DWORD v = 0;
    m_Dev->GetRenderState(D3DRS_FOGCOLOR, &v);
    EXPECT_EQ(v, 0xFF1E1EAAu);
    EXPECT_EQ(m_Dev->SetRenderState(D3DRENDERSTATETYPE(100000), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Dev->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    m_Dev->GetSamplerState(0, D3DSAMP_MAGFILTER, &v);
    EXPECT_EQ(v, DWORD(D3DTEXF_LINEAR));

    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    m_Dev->SetTransform(D3DTS_VIEW, &t);
    D3DMATRIX got;
    m_Dev->GetTransform(D3DTS_VIEW, &got);
    EXPECT_TRUE(D3DXMATRIX(got) == t);
    EXPECT_TRUE(D3DXMATRIX(gldevice::CurrentTransform(m_Dev, D3DTS_VIEW)) == t);

    // Lights: unset lights cannot be read; enabling one gives it the default light.
    D3DLIGHT9 l{};
    BOOL on = TRUE;
    EXPECT_EQ(m_Dev->GetLight(1, &l), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Dev->GetLightEnable(1, &on), D3DERR_INVALIDCALL);
    EXPECT_FALSE(gldevice::CurrentLight(m_Dev, 1).enabled);
    ASSERT_EQ(m_Dev->LightEnable(3, TRUE), D3D_OK);
    ASSERT_EQ(m_Dev->GetLight(3, &l), D3D_OK);
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(l.Direction.z, 1.0f);
    D3DLIGHT9 point{};
    point.Type = D3DLIGHT_POINT;
    point.Position = {1, 2, 3};
    point.Range = 50;
    ASSERT_EQ(m_Dev->SetLight(1, &point), D3D_OK);
    m_Dev->LightEnable(1, TRUE);
    m_Dev->GetLightEnable(1, &on);
    EXPECT_EQ(on, TRUE);
    m_Dev->LightEnable(1, FALSE);
    m_Dev->GetLightEnable(1, &on);
    EXPECT_EQ(on, FALSE);
    ASSERT_EQ(m_Dev->GetLight(1, &l), D3D_OK);
    EXPECT_EQ(l.Position.y, 2.0f);
    D3DLIGHT9 bad{};
    EXPECT_EQ(m_Dev->SetLight(2, &bad), D3DERR_INVALIDCALL); // type 0

    // The light reader normalises directions and the fog reader decodes float states.
    D3DLIGHT9 dir{};
    dir.Type = D3DLIGHT_DIRECTIONAL;
    dir.Direction = {1, -1, 1};
    m_Dev->SetLight(0, &dir);
    m_Dev->LightEnable(0, TRUE);
    gldevice::LightParams lp = gldevice::CurrentLight(m_Dev, 0);
    EXPECT_TRUE(lp.enabled);
    EXPECT_NEAR(lp.light.Direction.y, -0.57735f, 1e-5f);
    m_Dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_Dev->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    m_Dev->SetRenderState(D3DRS_FOGSTART, FloatBits(30.0f));
    m_Dev->SetRenderState(D3DRS_FOGEND, FloatBits(60.0f));
    gldevice::FogParams fog = gldevice::CurrentFog(m_Dev);
    EXPECT_TRUE(fog.enabled);
    EXPECT_EQ(fog.mode, D3DFOG_LINEAR);
    EXPECT_EQ(fog.start, 30.0f);
    EXPECT_EQ(fog.end, 60.0f);
    EXPECT_NEAR(fog.color[2], 0xAA / 255.0f, 1e-6f);
    m_Dev->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    EXPECT_FALSE(gldevice::CurrentFog(m_Dev).enabled);
}

TEST_F(RecordingDeviceTest, TexturesAreHeldWhileBoundAndVertexDeclarationsReplaceTheFvf) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(m_Dev->CreateTexture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(t->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(t->GetLevelDesc(1, &desc), D3DERR_INVALIDCALL);
    m_Dev->SetTexture(0, t);
    EXPECT_EQ(t->Release(), 1u); // the device's reference remains
    IDirect3DTexture9* got = nullptr;
    m_Dev->GetTexture(0, &got);
    EXPECT_EQ(got, t);
    got->Release();
    EXPECT_EQ(m_Dev->SetTexture(8, t), D3DERR_INVALIDCALL);
    m_Dev->SetTexture(0, nullptr); // frees it

    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(m_Dev->CreateVertexDeclaration(elements, &decl), D3D_OK);
    UINT count = 0;
    decl->GetDeclaration(nullptr, &count);
    EXPECT_EQ(count, 4u);
    m_Dev->SetFVF(kTestFvf);
    m_Dev->SetVertexDeclaration(decl);
    DWORD fvf = 1;
    m_Dev->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0u);
    // Drawing through the declaration works like the FVF.
    TestVertex q[4];
    MakeQuad(q, 0, 1, 1, 0, 0.5f, 0xFFFFFFFF);
    EXPECT_EQ(m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex)), D3D_OK);
    decl->Release();
}

TEST_F(RecordingDeviceTest, CallLogIsOffUntilAskedAndRecordsArguments) {
    m_Dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    EXPECT_TRUE(d3d9debug::CallLog(m_Dev).empty());
    d3d9debug::EnableCallLog(m_Dev, true);
    m_Dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_Dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_Dev->LightEnable(1, FALSE);
    m_Dev->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const auto& log = d3d9debug::CallLog(m_Dev);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].method, "SetRenderState");
    EXPECT_EQ(log[0].a, DWORD(D3DRS_CULLMODE));
    EXPECT_EQ(log[0].b, DWORD(D3DCULL_NONE));
    EXPECT_EQ(log[1].method, "SetTextureStageState");
    EXPECT_EQ(log[1].b, DWORD(D3DTSS_ALPHAARG1));
    EXPECT_EQ(log[1].c, DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(log[2].method, "LightEnable");
    EXPECT_EQ(log[2].a, 1u);
    EXPECT_EQ(log[3].method, "Clear");
    EXPECT_EQ(log[3].a, DWORD(D3DCLEAR_ZBUFFER));
    d3d9debug::EnableCallLog(m_Dev, false);
    m_Dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    EXPECT_TRUE(d3d9debug::CallLog(m_Dev).empty());
}

TEST_F(RecordingDeviceTest, HasNoBackBufferToRead) {
    std::vector<uint8_t> rgba;
    EXPECT_FALSE(d3d9debug::ReadBackBuffer(m_Dev, rgba));
    EXPECT_FALSE(d3d9debug::SaveBackBuffer(m_Dev, "/tmp/never_written.png"));
    EXPECT_FALSE(gldevice::BeginExternalDraw(m_Dev));
    EXPECT_EQ(gldevice::BindTexture0(m_Dev, nullptr), 0u);
    // Presenting still counts frames.
    UINT n = d3d9debug::PresentCount(m_Dev);
    m_Dev->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(d3d9debug::PresentCount(m_Dev), n + 1);
}

TEST(Direct3DCreate, RejectsBadArgumentsAndHonoursTheTestHooks) {
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    D3DPRESENT_PARAMETERS pp = TestPresentParams();
    IDirect3DDevice9* dev = reinterpret_cast<IDirect3DDevice9*>(&pp); // must be overwritten
    EXPECT_EQ(d3d->CreateDevice(1, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev, nullptr);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, nullptr, &dev), D3DERR_INVALIDCALL);

    Direct3DTestHooks& hooks = Direct3DTestHooksForTest();
    hooks.attempts.clear();
    hooks.failDeviceAttempts = 1;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev),
              D3DERR_NOTAVAILABLE);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
              D3D_OK);
    ASSERT_EQ(hooks.attempts.size(), 2u);
    EXPECT_EQ(hooks.attempts[1].first, D3DDEVTYPE_REF);
    EXPECT_EQ(hooks.attempts[1].second, DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    dev->Release();
    hooks.failCreate = true;
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    hooks = Direct3DTestHooks();
    d3d->Release();
}
