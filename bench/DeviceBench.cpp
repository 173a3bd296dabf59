// Frame cost of the device on a hidden window: a frame like the game's translucent pass (hundreds of small
// quads, each with its own world matrix, a few texture changes), batched and with a flush after every draw.
#include <d3d9.h>
#include <d3dx9.h>
#include "gl_device_internal.h"
#include "sdl_window.h"
#include <d3d9debug.h>

#include <SDL.h>

#include <chrono>
#include <cstdio>

namespace {

struct Vertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

double RunFrames(IDirect3DDevice9* dev, IDirect3DTexture9* const tex[3], int frames, int quads,
                 bool flushEach, UINT* batchesPerFrame) {
    Vertex q[4] = {{-1, 0, 1, 0xB4000000, 0, 0},
                   {1, 0, 1, 0xB4000000, 1, 0},
                   {1, 0, -1, 0xB4000000, 1, 1},
                   {-1, 0, -1, 0xB4000000, 0, 1}};
    std::vector<uint8_t> sink;
    UINT batches0 = d3d9debug::BatchCount(dev);
    auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        dev->BeginScene();
        dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3C3CFF, 1.0f, 0);
        for (int i = 0; i < quads; ++i) {
            if (i % (quads / 3) == 0) dev->SetTexture(0, tex[(i / (quads / 3)) % 3]);
            D3DXMATRIX world;
            D3DXMatrixTranslation(&world, float(i % 20) * 4 - 40, 0.1f, float(i / 20) * 4);
            dev->SetTransform(D3DTS_WORLD, &world);
            dev->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
            dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(Vertex));
            if (flushEach) gldevice::Flush(dev);
        }
        dev->EndScene();
        dev->Present(nullptr, nullptr, nullptr, nullptr);
    }
    d3d9debug::ReadBackBuffer(dev, sink); // wait for the GPU
    auto end = std::chrono::steady_clock::now();
    *batchesPerFrame = (d3d9debug::BatchCount(dev) - batches0) / UINT(frames);
    return std::chrono::duration<double, std::milli>(end - start).count() / frames;
}

} // namespace

int main() {
    HWND hwnd = PlatformCreateHiddenGlWindow(640, 480);
    if (!hwnd) {
        std::fprintf(stderr, "no window: %s\n", SDL_GetError());
        return 1;
    }
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640, pp.BackBufferHeight = 480, pp.Windowed = TRUE, pp.EnableAutoDepthStencil = TRUE;
    IDirect3DDevice9* dev = nullptr;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev))) {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(0, 40, -60), at(0, 0, 20), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 4.0f / 3.0f, 1.0f, 1000.0f);
    dev->SetTransform(D3DTS_VIEW, &view);
    dev->SetTransform(D3DTS_PROJECTION, &proj);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    dev->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    IDirect3DTexture9* tex[3] = {};
    for (auto& t : tex)
        dev->CreateTexture(128, 128, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);

    const int frames = 200, quads = 600;
    UINT batched = 0, separate = 0;
    RunFrames(dev, tex, 10, quads, false, &batched); // warm up
    double b = RunFrames(dev, tex, frames, quads, false, &batched);
    double s = RunFrames(dev, tex, frames, quads, true, &separate);
    std::printf("%d quads per frame, %d frames\n", quads, frames);
    std::printf("batched:      %7.3f ms/frame, %u draws/frame\n", b, batched);
    std::printf("one per draw: %7.3f ms/frame, %u draws/frame\n", s, separate);

    dev->SetTexture(0, nullptr);
    for (auto t : tex)
        t->Release();
    dev->Release();
    d3d->Release();
    PlatformDestroyHiddenGlWindow(hwnd);
    return 0;
}
