// The device side of the seam between the fixed-function device and the mesh and effect layer.
#include "effect_bridge.h"

#include "d3d9debug.h"
#include "gl_device_internal.h"

#include <cstring>

bool BridgeHasGL(IDirect3DDevice9* device) {
    return d3d9debug::IsDrawing(device);
}

void BridgeBeginExternalDraw(IDirect3DDevice9* device) {
    if (!gldevice::BeginExternalDraw(device)) return;
    // The effect's own GL calls follow: the device must re-apply its state before its next draw.
    gldevice::EndExternalDraw(device);
    gldevice::CountExternalDraw(device);
}

void BridgeCountTriangles(IDirect3DDevice9* device, unsigned triangles) {
    gldevice::CountExternalTriangles(device, triangles);
}

BridgeFixedState BridgeQueryState(IDirect3DDevice9* device) {
    BridgeFixedState s{};
    if (!device) return s;
    DWORD v = 0;
    auto state = [&](D3DRENDERSTATETYPE rs) {
        device->GetRenderState(rs, &v);
        return v;
    };
    auto floatState = [&](D3DRENDERSTATETYPE rs) {
        DWORD bits = state(rs);
        float f;
        static_assert(sizeof f == sizeof bits, "float render states hold the bits of a float");
        std::memcpy(&f, &bits, sizeof f);
        return f;
    };
    s.FogEnable = (BOOL)state(D3DRS_FOGENABLE);
    s.FogColor = state(D3DRS_FOGCOLOR);
    s.FogTableMode = state(D3DRS_FOGTABLEMODE);
    s.FogStart = floatState(D3DRS_FOGSTART);
    s.FogEnd = floatState(D3DRS_FOGEND);
    s.FogDensity = floatState(D3DRS_FOGDENSITY);
    s.Ambient = state(D3DRS_AMBIENT);
    for (DWORD i = 0; i < 2; ++i) {
        device->GetLight(i, &s.Lights[i]);
        BOOL on = FALSE;
        device->GetLightEnable(i, &on);
        s.LightEnabled[i] = on;
    }
    s.ZEnable = (BOOL)state(D3DRS_ZENABLE);
    s.ZWriteEnable = (BOOL)state(D3DRS_ZWRITEENABLE);
    s.AlphaBlendEnable = (BOOL)state(D3DRS_ALPHABLENDENABLE);
    s.SrcBlend = state(D3DRS_SRCBLEND);
    s.DestBlend = state(D3DRS_DESTBLEND);
    s.CullMode = state(D3DRS_CULLMODE);
    s.YFlip = FALSE; // the device draws top row first
    return s;
}

unsigned BridgeTextureName(IDirect3DTexture9* texture) {
    if (!texture) return 0;
    IDirect3DDevice9* device = nullptr;
    if (FAILED(texture->GetDevice(&device)) || !device) return 0;
    // Uploads the pixels if needed; the binding itself is the effect's business afterwards.
    unsigned name = gldevice::BindTexture0(device, texture);
    gldevice::EndExternalDraw(device);
    device->Release();
    return name;
}

void BridgeAddRefTexture(IDirect3DTexture9* texture) {
    if (texture) texture->AddRef();
}

void BridgeReleaseTexture(IDirect3DTexture9* texture) {
    if (texture) texture->Release();
}
