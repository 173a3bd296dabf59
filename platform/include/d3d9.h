// Direct3D 9: the device object, its textures and vertex declarations, drawn with OpenGL 3.3 underneath.
//
// A device made on a window that has an SDL OpenGL window behind it draws for real into a 640 x 480
// offscreen back buffer that Present stretches onto the window. A device made on a window without one
// (a null HWND in logic tests) keeps every state but draws nothing. Both can record their calls
// (d3d9debug.h).
#pragma once

#include "com.h"
#include "d3d9types.h"

#include <cstdint>
#include <vector>

enum D3DSWAPEFFECT { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum D3DMULTISAMPLE_TYPE { D3DMULTISAMPLE_NONE = 0 };
enum D3DRESOURCETYPE { D3DRTYPE_SURFACE = 1, D3DRTYPE_TEXTURE = 3 };

#define D3DPRESENTFLAG_LOCKABLE_BACKBUFFER 0x00000001
#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000
#define D3DPRESENT_INTERVAL_ONE 0x00000001
#define D3DPRESENT_INTERVAL_IMMEDIATE 0x80000000

#define D3DUSAGE_RENDERTARGET 0x00000001
#define D3DUSAGE_DYNAMIC 0x00000200

#define D3DLOCK_DISCARD 0x00002000
#define D3DLOCK_NOOVERWRITE 0x00001000

#define D3DTADDRESS_WRAP 1
#define D3DTADDRESS_MIRROR 2
#define D3DTADDRESS_CLAMP 3

#define D3DZB_FALSE 0
#define D3DZB_TRUE 1

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    UINT Width;
    UINT Height;
};

struct D3DLOCKED_RECT {
    INT Pitch;
    void* pBits;
};

struct IDirect3DDevice9;

// A 2D texture. Pixels are kept on the CPU as 32-bit A8R8G8B8 (bytes B, G, R, A in memory, rows top-down)
// and, on a drawing device, uploaded to a GL texture with generated mipmaps.
struct IDirect3DTexture9 : public IUnknown {
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual DWORD GetLevelCount() = 0;
    // Level 0 only. The rectangle argument is ignored (the whole level is locked).
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;

    // Our extensions: the size of level 0 and its pixels (B, G, R, A per texel, top row first).
    virtual UINT Width() const = 0;
    virtual UINT Height() const = 0;
    virtual const std::vector<uint8_t>& Pixels() const = 0;
};

// A vertex layout made by CreateVertexDeclaration; the elements are kept as given (up to D3DDECL_END).
struct IDirect3DVertexDeclaration9 : public IUnknown {
    virtual HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) = 0;
};

struct IDirect3DDevice9 : public IUnknown {
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) = 0;

    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;

    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT9* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL9* material) = 0;

    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT GetFVF(DWORD* fvf) = 0;
    virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** decl) = 0;
    virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) = 0;
    virtual HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** decl) = 0;

    // Stages 0..7. The device holds a reference to each bound texture.
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) = 0;
    virtual HRESULT GetTexture(DWORD stage, IDirect3DTexture9** texture) = 0;
    // Pool and shared handle are accepted and ignored; textures are always CPU-backed and managed.
    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture9** texture, void* sharedHandle) = 0;

    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride) = 0;

    virtual HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    // Source and destination rectangles, override window and dirty region are accepted and ignored.
    virtual HRESULT Present(const RECT* src, const RECT* dst, HWND overrideWindow, const void* dirty) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
};

struct IDirect3D9 : public IUnknown {
    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    // Any adapter other than 0 and any device type other than HAL/REF fail with D3DERR_INVALIDCALL.
    // The focus window decides the mode: a window with an SDL OpenGL window behind it gets a drawing
    // device (D3DERR_NOTAVAILABLE when no GL 3.3 context can be made); any other window, including
    // null, gets a recording device.
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) = 0;
};

IDirect3D9* Direct3DCreate9(UINT sdkVersion);
