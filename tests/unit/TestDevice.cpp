// The tests' devices, over the real device.
#include "tests/unit/TestDevice.h"

#include "sdl_window.h"

#include <d3d9debug.h>

#include <SDL.h>

#include <cstdlib>

D3DPRESENT_PARAMETERS TestPresentParams() {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kPictureWidth;
    pp.BackBufferHeight = kPictureHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    return pp;
}

TestDevice::TestDevice(Kind kind, int windowWidth, int windowHeight) {
    if (kind == Kind::Drawing) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        // Mesa's shader cache skips compiling, and so drops the warnings, of shaders it has seen before.
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
        m_Hwnd = PlatformCreateHiddenGlWindow(windowWidth, windowHeight);
        if (!m_Hwnd) {
            m_Why = std::string("no hidden OpenGL window: ") + SDL_GetError();
            return;
        }
    }
    m_D3D = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = TestPresentParams();
    if (!m_D3D || FAILED(m_D3D->CreateDevice(0, D3DDEVTYPE_HAL, m_Hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                             &pp, &m_Dev))) {
        m_Why = "no OpenGL 3.3 core context on this machine";
        m_Dev = nullptr;
    }
}

TestDevice::~TestDevice() {
    if (m_Dev) m_Dev->Release();
    if (m_D3D) m_D3D->Release();
    if (m_Hwnd) PlatformDestroyHiddenGlWindow(m_Hwnd);
}

void TestDevice::SetGameStartState() {
    IDirect3DDevice9* dev = m_Dev;
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
}

void TestDeviceClear(IDirect3DDevice9* device, D3DCOLOR color) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
}

void TestDeviceSetFog(IDirect3DDevice9* device, BOOL enable, D3DCOLOR color, float start, float end) {
    device->SetRenderState(D3DRS_FOGENABLE, enable);
    device->SetRenderState(D3DRS_FOGCOLOR, color);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGSTART, FloatBits(start));
    device->SetRenderState(D3DRS_FOGEND, FloatBits(end));
}

void TestDeviceSetLight(IDirect3DDevice9* device, DWORD index, const D3DLIGHT9& light, BOOL enable) {
    device->SetLight(index, &light);
    device->LightEnable(index, enable);
}

void TestDeviceSetCull(IDirect3DDevice9* device, DWORD cullMode) {
    device->SetRenderState(D3DRS_CULLMODE, cullMode);
}

bool TestDeviceReadPixels(IDirect3DDevice9* device, std::vector<unsigned char>* rgba) {
    return d3d9debug::ReadBackBuffer(device, *rgba);
}
