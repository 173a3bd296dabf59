// The graphics device and its fixed render state.
#include "app/Direct3D.h"

#include "app/TraceSections.h"
#include "app/UserText.h"
#include "app/WinMain.h"
#include <d3d9debug.h>
#include <picture_size.h>
#include <windows.h>

#include <cstring>

IDirect3D9* g_pD3D = nullptr;
IDirect3DDevice9* g_pDevice = nullptr;
D3DPRESENT_PARAMETERS g_D3DPP;

const D3DVERTEXELEMENT9 g_Vertex3DElements[4] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

namespace {

// A 640 x 480 back buffer with a 16-bit depth buffer, full screen or in the window.
D3DPRESENT_PARAMETERS PresentParameters(BYTE bFullScreen) {
    D3DPRESENT_PARAMETERS pp;
    std::memset(&pp, 0, sizeof pp);
    pp.BackBufferWidth = kPictureWidth;
    pp.BackBufferHeight = kPictureHeight;
    if (bFullScreen) {
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    } else {
        // A windowed back buffer takes the desktop's format. If the mode cannot be read, the format stays
        // unknown, which a windowed device reads as "the current format".
        D3DDISPLAYMODE mode;
        std::memset(&mode, 0, sizeof mode);
        g_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
        pp.BackBufferFormat = mode.Format;
    }
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.hDeviceWindow = NULL;
    pp.Windowed = bFullScreen ? FALSE : TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return pp;
}

// Hardware vertex processing first, then software, then the reference device. Null when none is made.
IDirect3DDevice9* CreateDevice() {
    static const struct {
        D3DDEVTYPE type;
        DWORD flags;
    } kAttempts[3] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    for (const auto& a : kAttempts) {
        IDirect3DDevice9* device = NULL;
        if (SUCCEEDED(g_pD3D->CreateDevice(D3DADAPTER_DEFAULT, a.type, g_hWnd, a.flags, &g_D3DPP, &device)))
            return device;
    }
    return NULL;
}

void SetFixedRenderState() {
    // Depth test, and alpha blending with the source alpha.
    g_pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    g_pDevice->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    g_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    g_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    g_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

    // Texture colour and alpha modulated by the vertex colour.
    g_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    g_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    g_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    g_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);

    g_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);

    // Bilinear filtering with linear mip filtering.
    g_pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    g_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    g_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

    g_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    g_pDevice->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);

    g_pDevice->SetFVF(D3DFVF_VERTEX3D);

    // One white directional light, shining down and away from the camera.
    D3DLIGHT9 light;
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Ambient = {0.5f, 0.5f, 0.5f, 0.5f};
    light.Direction = {1.0f, -1.0f, 1.0f};
    g_pDevice->SetLight(0, &light);
    g_pDevice->LightEnable(0, TRUE);
}

} // namespace

IDirect3DDevice9* InitDirect3D(BYTE bFullScreen) {
    g_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!g_pD3D) {
        ShowUserBox(BOX_NO_DIRECT3D, MB_ICONERROR);
        return NULL;
    }
    g_D3DPP = PresentParameters(bFullScreen);
    g_pDevice = CreateDevice();
    if (!g_pDevice) {
        ShowUserBox(BOX_NO_DEVICE, MB_ICONERROR);
        g_pD3D->Release();
        g_pD3D = NULL;
        return NULL;
    }
    SetFixedRenderState();
    return g_pDevice;
}

void ReleaseDirect3D() {
    if (g_pDevice) {
        g_pDevice->Release();
        g_pDevice = NULL;
    }
    if (g_pD3D) {
        g_pD3D->Release();
        g_pD3D = NULL;
    }
}

// The fog colour the device holds (it turns red while the player dies).
void TraceFogKeys(JsonLine& j) {
    DWORD fog = 0;
    if (g_pDevice && g_pDevice->GetRenderState(D3DRS_FOGCOLOR, &fog) == D3D_OK)
        j.Int("fog", fog);
    else
        j.Null("fog");
}

// The back buffer's pixels per picture pixel in the frame this pass drew (1 without drawing).
void TraceScaleKeys(JsonLine& j) {
    j.Float("scale", d3d9debug::BackBufferScale(g_pDevice));
}
