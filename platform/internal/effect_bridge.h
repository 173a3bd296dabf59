// What meshes and effects need from the graphics device, and nothing more.
//
// The device (d3d9.h) implements these over its OpenGL backend. Meshes and effects draw with
// OpenGL directly, into the device's back buffer, between the device's own batched draws.
//
// Conventions the device and this layer share:
// - Clip space: shaders receive D3D clip coordinates (p x World x View x Proj, depth 0..1) and hand GL
//   (x, y * (YFlip ? -1 : 1), 2z - w, w), so that meshes and the device's own quads agree on depth with
//   glDepthRange(0, 1).
// - Culling: a D3D cull mode names the winding, as seen on screen, that is dropped; that is the same GL
//   winding with YFlip FALSE and the opposite one with YFlip TRUE (the picture is mirrored in the buffer).
// - The device's state-setting calls (SetRenderState, SetTexture, SetLight...) only record; the device
//   touches GL only when it draws, clears or presents.
#pragma once

#include "d3d9types.h"

struct IDirect3DDevice9;
struct IDirect3DTexture9;

// The device's fixed-function state as an effect pass reads it (values exactly as set on the device).
struct BridgeFixedState {
    // D3DRS_FOGENABLE, D3DRS_FOGCOLOR (ARGB), D3DRS_FOGTABLEMODE (D3DFOGMODE), D3DRS_FOGSTART,
    // D3DRS_FOGEND, D3DRS_FOGDENSITY. Fog distance is eye-space depth, as D3D table fog.
    BOOL FogEnable;
    D3DCOLOR FogColor;
    DWORD FogTableMode;
    float FogStart, FogEnd, FogDensity;
    // D3DRS_AMBIENT (ARGB), the global ambient colour.
    D3DCOLOR Ambient;
    // Lights 0 and 1 as last given to SetLight (all zero when never set), and LightEnable.
    D3DLIGHT9 Lights[2];
    BOOL LightEnabled[2];
    // D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND (D3DBLEND),
    // D3DRS_CULLMODE (D3DCULL). A pass that does not set one of these inherits it from here.
    BOOL ZEnable, ZWriteEnable;
    BOOL AlphaBlendEnable;
    DWORD SrcBlend, DestBlend;
    DWORD CullMode;
    // TRUE when the device draws upside down (the back buffer's top row is GL row 0), FALSE otherwise.
    BOOL YFlip;
};

// True when the device draws with OpenGL; false in its no-GL recording mode (and for a null device):
// meshes and effects then keep their CPU data, compile nothing and draw nothing.
bool BridgeHasGL(IDirect3DDevice9* device);

// Called before every external GL draw sequence: the device draws what it has batched, makes its
// context and its back-buffer framebuffer (with its viewport) current, and from then on treats the GL
// state as unknown, re-applying its own state before its next draw.
void BridgeBeginExternalDraw(IDirect3DDevice9* device);

// Counts triangles a mesh drew in the device's TriangleCount.
void BridgeCountTriangles(IDirect3DDevice9* device, unsigned triangles);

// The device's current fog, light and render states (see BridgeFixedState).
BridgeFixedState BridgeQueryState(IDirect3DDevice9* device);

// The GL texture name (GL_TEXTURE_2D) of a texture; 0 for null or a texture without GL storage.
unsigned BridgeTextureName(IDirect3DTexture9* texture);

// AddRef and Release of a texture (both do nothing for null).
void BridgeAddRefTexture(IDirect3DTexture9* texture);
void BridgeReleaseTexture(IDirect3DTexture9* texture);
