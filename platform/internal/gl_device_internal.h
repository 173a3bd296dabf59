// For the platform's own mesh and effect code, which draws with its own GL programs on the device's
// context and back buffer. Game code never includes this.
//
// A typical draw:
//     if (!gldevice::BeginExternalDraw(dev)) return;      // recording device: nothing to draw
//     gldevice::ApplyRasterState(dev, gldevice::CurrentRasterState(dev));
//     gldevice::BindTexture0(dev, texture);              // unit 0, sampler 0's filters
//     glUseProgram(...); glBindVertexArray(...); ... glDrawElements(...);
//     gldevice::EndExternalDraw(dev);
//
// Conventions shared with the device's own drawing:
// - Matrices are D3D row-vector matrices. Uploaded to a GLSL mat4 as 16 floats in D3D order WITHOUT
//   transposing, the shader applies them as `M * v` (p x W x V x P becomes P * V * W * p).
// - D3D clip space has z in [0, w]; GL wants [-w, w]: finish the vertex shader with
//   `gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;`.
// - Front faces: D3DCULL_CCW culls triangles whose vertices appear counter-clockwise on screen, which is
//   what ApplyRasterState sets up; no y flip is needed anywhere (the back buffer is read top-down).
// - Colours in vertices are D3DCOLOR (bytes B, G, R, A in memory): read them with
//   glVertexAttribPointer(loc, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, ...) to get rgba in the shader.
#pragma once

#include "d3d9.h"

#include <string>

namespace gldevice {

// The 24-byte vertex every fixed-function quad of the game uses: x, y, z floats; D3DCOLOR; u, v floats.
constexpr DWORD kVertex3DFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kVertex3DStride = 24;
constexpr UINT kVertex3DPositionOffset = 0;
constexpr UINT kVertex3DColorOffset = 12;
constexpr UINT kVertex3DTexCoordOffset = 16;

// Blend, depth, cull and write-mask state, as D3D render state values.
struct RasterState {
    DWORD blendEnable, srcBlend, dstBlend, blendOp;
    DWORD separateAlpha, srcBlendAlpha, dstBlendAlpha, blendOpAlpha;
    DWORD zEnable, zWrite, zFunc;
    DWORD cullMode;   // D3DCULL
    DWORD colorWrite; // D3DCOLORWRITEENABLE_* bits
    DWORD fillMode;   // D3DFILLMODE
};

// The fog the fixed-function pipeline would apply. enabled is false when D3DRS_FOGENABLE is off or both fog
// modes are D3DFOG_NONE. Depth is eye-space z (the view-space distance along the view axis).
// Linear: factor = clamp((end - depth) / (end - start), 0, 1); exp: exp(-density * depth);
// exp2: exp(-(density * depth)^2); colour = mix(fog colour, colour, factor) on rgb only.
struct FogParams {
    bool enabled;
    D3DFOGMODE mode; // the table mode, or the vertex mode when the table mode is none
    float color[4];  // r, g, b, a in 0..1
    float start, end, density;
};

// One light slot. A light that was never set reads as disabled with a zero record.
// For directional and spot lights, direction is normalised.
struct LightParams {
    bool enabled;
    D3DLIGHT9 light;
};

// Draws the device's pending batches (quads queued by DrawPrimitiveUP and sprites).
void Flush(IDirect3DDevice9* device);
// Makes the device's GL context current (no-op on a recording device or when already current).
void MakeCurrent(IDirect3DDevice9* device);
// Flush, MakeCurrent, and bind the back buffer framebuffer with the device's viewport.
// Returns false on a recording device: draw nothing then.
bool BeginExternalDraw(IDirect3DDevice9* device);
// Call after your own GL calls: the device stops trusting its cached GL state (program, vertex array,
// buffers, texture and sampler bindings, framebuffer, viewport, blend / depth / cull) and sets its own again
// before its next draw.
void EndExternalDraw(IDirect3DDevice9* device);

// The render states' current raster state, and a way to put any raster state into GL through the device's
// state cache (between BeginExternalDraw and EndExternalDraw).
RasterState CurrentRasterState(IDirect3DDevice9* device);
void ApplyRasterState(IDirect3DDevice9* device, const RasterState& state);
// Binds texture (null: none) to texture unit 0, uploading its pixels first if needed, with the filter and
// address modes of sampler 0. Returns its GL name (0 for none or on a recording device).
unsigned BindTexture0(IDirect3DDevice9* device, IDirect3DTexture9* texture);

FogParams CurrentFog(IDirect3DDevice9* device);
LightParams CurrentLight(IDirect3DDevice9* device, DWORD index);
D3DMATRIX CurrentTransform(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE which);

// Compiles and links a "#version 330 core" vertex and fragment shader pair with the context current.
// Returns the program name, or 0 with the compiler's text in log.
unsigned CompileProgram(const char* vertexSource, const char* fragmentSource, std::string* log);
// Counts one external draw in the device's BatchCount, and triangles it drew in its TriangleCount.
void CountExternalDraw(IDirect3DDevice9* device);
void CountExternalTriangles(IDirect3DDevice9* device, UINT triangles);

} // namespace gldevice
