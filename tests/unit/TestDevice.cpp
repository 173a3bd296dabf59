// The mesh and effect tests' device, over the real device.
#include "tests/unit/TestDevice.h"

#include <d3d9.h>
#include "sdl_window.h"
#include <d3d9debug.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace {
// The hidden window behind each drawing test device, destroyed after the device.
std::map<IDirect3DDevice9*, std::pair<IDirect3D9*, HWND>> g_Owners;

DWORD Bits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}
} // namespace

IDirect3DDevice9* TestDeviceCreate(bool withGL) {
    HWND window = nullptr;
    if (withGL) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        // Mesa's shader cache skips compiling, and so drops the warnings, of shaders it has seen before.
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
        window = PlatformCreateHiddenGlWindow(640, 480);
        if (!window) return nullptr;
    }
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice9* dev = nullptr;
    if (!d3d ||
        FAILED(
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev)) ||
        (withGL && !d3d9debug::IsDrawing(dev))) {
        if (dev) dev->Release();
        if (d3d) d3d->Release();
        if (window) PlatformDestroyHiddenGlWindow(window);
        return nullptr;
    }
    // The start-up state of the game.
    dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    dev->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Specular = {1, 1, 1, 1};
    light.Ambient = {0.5f, 0.5f, 0.5f, 0.5f};
    light.Direction = {1.0f, -1.0f, 1.0f};
    dev->SetLight(0, &light);
    dev->LightEnable(0, TRUE);
    g_Owners[dev] = {d3d, window};
    return dev;
}

void TestDeviceDestroy(IDirect3DDevice9* device) {
    if (!device) return;
    auto it = g_Owners.find(device);
    device->Release();
    if (it == g_Owners.end()) return;
    if (it->second.first) it->second.first->Release();
    if (it->second.second) PlatformDestroyHiddenGlWindow(it->second.second);
    g_Owners.erase(it);
}

void TestDeviceClear(IDirect3DDevice9* device, D3DCOLOR color) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
}

void TestDeviceSetFog(IDirect3DDevice9* device, BOOL enable, D3DCOLOR color, float start, float end) {
    device->SetRenderState(D3DRS_FOGENABLE, enable);
    device->SetRenderState(D3DRS_FOGCOLOR, color);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGSTART, Bits(start));
    device->SetRenderState(D3DRS_FOGEND, Bits(end));
}

void TestDeviceSetLight(IDirect3DDevice9* device, DWORD index, const D3DLIGHT9& light, BOOL enable) {
    device->SetLight(index, &light);
    device->LightEnable(index, enable);
}

void TestDeviceSetCull(IDirect3DDevice9* device, DWORD cullMode) { device->SetRenderState(D3DRS_CULLMODE, cullMode); }

bool TestDeviceReadPixels(IDirect3DDevice9* device, std::vector<unsigned char>* rgba) {
    return d3d9debug::ReadBackBuffer(device, *rgba);
}
