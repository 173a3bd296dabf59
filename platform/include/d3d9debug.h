// What the device offers beyond Direct3D 9, for screenshots, benchmarks and tests: whether it draws, its
// call log, the back buffer's pixels and its counters; and hooks into device creation for tests. Not a
// Direct3D header: the game's own drawing never includes it.
#pragma once

#include "d3d9.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One recorded device call. Which fields are filled depends on the method:
//   SetRenderState: a = state, b = value.   SetTextureStageState / SetSamplerState: a = stage, b = type,
//   c = value.   SetTransform: a = transform type, matrix = the matrix.   SetFVF: a = fvf.
//   SetTexture: a = stage, ptr = texture.   SetLight: a = index, light = the light.
//   LightEnable: a = index, b = enable.   SetMaterial: material.   SetVertexDeclaration: ptr.
//   Clear: a = flags, b = colour, z = depth.   SetViewport: a, b, c = X, Y, Width.
//   DrawPrimitiveUP: a = primitive type, b = primitive count, c = stride, ptr = texture of stage 0,
//     matrix = world matrix at draw time, data = copy of the vertices.
//   SpriteDraw (one ID3DXSprite::Draw): ptr = texture, b = colour, data = the four corners as 24-byte
//     vertices (x, y in back-buffer pixels, z, ARGB colour, u, v) in the order top-left, top-right,
//     bottom-right, bottom-left of the source rectangle.
//   BeginScene, EndScene, Present: no arguments.
struct DeviceCall {
    std::string method;
    DWORD a = 0, b = 0, c = 0;
    float z = 0.0f;
    const void* ptr = nullptr;
    D3DMATRIX matrix{};
    D3DLIGHT9 light{};
    D3DMATERIAL9 material{};
    std::vector<uint8_t> data;
};

// Every function takes a device made by IDirect3D9::CreateDevice; a null device reads as a recording one
// with nothing logged or counted.
namespace d3d9debug {

// True when the device draws with OpenGL; false for a recording-only device.
bool IsDrawing(IDirect3DDevice9* device);
// Turns the call log on or off (off by default). Turning it on clears the log.
void EnableCallLog(IDirect3DDevice9* device, bool enable);
bool CallLogEnabled(IDirect3DDevice9* device);
const std::vector<DeviceCall>& CallLog(IDirect3DDevice9* device);
void ClearCallLog(IDirect3DDevice9* device);
// Reads the back buffer as the 640 x 480 picture's RGBA bytes, top row first. False on a recording device.
bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint8_t>& rgba);
// What a screenshot holds: the 640 x 480 picture (scaled down from the back buffer when that is drawn
// finer), the back buffer at its own size, or the window as presenting fills it, the bars included.
enum class ShotKind { Picture, Native, Window };
// Writes the back buffer to a PNG file. False on a recording device or when the file cannot be written.
bool SaveBackBuffer(IDirect3DDevice9* device, const char* pngPath, ShotKind kind = ShotKind::Picture);
// The back buffer's pixels per picture pixel in the frame last drawn (1 on a recording device).
float BackBufferScale(IDirect3DDevice9* device);
// Counters for tests and benchmarks: batches drawn (one GL draw call each on a drawing device; counted on a
// recording device too) and frames presented.
UINT BatchCount(IDirect3DDevice9* device);
UINT PresentCount(IDirect3DDevice9* device);
// Triangles handed to GL by those draws (device batches and mesh subsets; 0 on a recording device).
UINT TriangleCount(IDirect3DDevice9* device);

} // namespace d3d9debug

// Test hooks for the creation paths: Direct3DCreate9 returns null while failCreate is set; the next
// failDeviceAttempts calls of CreateDevice fail with D3DERR_NOTAVAILABLE; devices are created with their
// call log on while logNewDevices is set. Every CreateDevice call appends its device type and behaviour
// flags to attempts.
struct Direct3DTestHooks {
    bool failCreate = false;
    int failDeviceAttempts = 0;
    bool logNewDevices = false;
    std::vector<std::pair<D3DDEVTYPE, DWORD>> attempts;
};
Direct3DTestHooks& Direct3DTestHooksForTest();
