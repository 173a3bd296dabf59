// D3DX effects over OpenGL: an effect file of our own format (docs/effect-format.md) holding techniques
// of passes, each a GLSL program with its render state. Parameters are the GLSL uniforms, set by name.
#pragma once

#include "com.h"
#include "d3dx9math.h"

struct IDirect3DDevice9;
struct IDirect3DTexture9;

typedef const char* D3DXHANDLE;

// A preprocessor definition handed to every stage ("#define Name Definition"); arrays end with {null, null}.
struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
};
struct ID3DXInclude;    // not used: effect files here include nothing
struct ID3DXEffectPool; // not used: effects share no parameters
typedef ID3DXInclude* LPD3DXINCLUDE;
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;

#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXFX_DONOTSAVESTATE (1 << 0)

struct ID3DXEffect : public IUnknown {
    // Picks a technique by name (the first one is current at creation).
    virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
    // Starts the current technique; *passes gets its pass count. Flags are accepted and ignored: passes
    // never change the device's own state, so there is nothing to save or restore.
    virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
    // Applies a pass: its program, its render state (states it leaves out come from the device), every
    // parameter, and the device's fog and lights 0 and 1. Fails, and mesh draws do nothing until EndPass,
    // when the pass did not compile.
    virtual HRESULT BeginPass(UINT pass) = 0;
    // Applies parameters set since BeginPass, and the device's fog and lights again.
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;

    // Parameters persist in the effect until set again. A matrix is row-major as D3DX writes it; in GLSL
    // a point is transformed as a row vector: vec4(p, 1) * g_mWorld.
    virtual HRESULT SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix) = 0;
    virtual HRESULT SetTexture(D3DXHANDLE name,
                               IDirect3DTexture9* texture) = 0; // the effect holds a reference
    virtual HRESULT SetFloatArray(D3DXHANDLE name, const FLOAT* values, UINT count) = 0;
    virtual HRESULT SetBool(D3DXHANDLE name, BOOL value) = 0;

    // Read back what was set (D3DERR_INVALIDCALL for a parameter never set; GetTexture adds no reference).
    virtual HRESULT GetMatrix(D3DXHANDLE name, D3DXMATRIX* matrix) = 0;
    virtual HRESULT GetTexture(D3DXHANDLE name, IDirect3DTexture9** texture) = 0;
    virtual HRESULT GetFloatArray(D3DXHANDLE name, FLOAT* values, UINT count) = 0;
    virtual HRESULT GetBool(D3DXHANDLE name, BOOL* value) = 0;
};
typedef ID3DXEffect* LPD3DXEFFECT;

// Reads and compiles an effect file. Fails when the file is missing or breaks the format, with the reason
// in *errors. Otherwise succeeds; a pass whose GLSL does not compile or link is kept but cannot be begun.
// Every non-empty compiler or linker message (errors and warnings) is returned in *errors as one
// zero-terminated text, each message headed by "path: technique T, pass N, <stage>:".
// With a device that has no GL the file is read and checked but nothing is compiled.
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR path, const D3DXMACRO* defines,
                                  LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool,
                                  ID3DXEffect** effect, ID3DXBuffer** errors);
