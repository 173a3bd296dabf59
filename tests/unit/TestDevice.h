// A graphics device for the mesh and effect tests.
//
// They run over the real device: a hidden OpenGL window for the drawing kind, none for the recording kind.
#pragma once

#include <d3d9types.h>

#include <vector>

struct IDirect3DDevice9;

// withGL: a device drawing with GL into its 640 x 480 back buffer (null when no GL context can be made
// here); otherwise a device in its no-GL recording mode. Render state as the game sets it at start-up:
// depth test and write on, alpha blending (source alpha, inverse source alpha), culling of
// counter-clockwise faces, light 0 white directional towards (1, -1, 1) with ambient 0.5, fog off.
IDirect3DDevice9* TestDeviceCreate(bool withGL);
void TestDeviceDestroy(IDirect3DDevice9* device);

// Clears the back buffer to color and the depth buffer to 1.
void TestDeviceClear(IDirect3DDevice9* device, D3DCOLOR color);
// Linear table fog.
void TestDeviceSetFog(IDirect3DDevice9* device, BOOL enable, D3DCOLOR color, float start, float end);
void TestDeviceSetLight(IDirect3DDevice9* device, DWORD index, const D3DLIGHT9& light, BOOL enable);
void TestDeviceSetCull(IDirect3DDevice9* device, DWORD cullMode);
// The back buffer as RGBA bytes, top row first, 640 x 480.
bool TestDeviceReadPixels(IDirect3DDevice9* device, std::vector<unsigned char>* rgba);
