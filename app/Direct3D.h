// The graphics device: the Direct3D object, the one device and the render state the game assumes.
#pragma once

#include <d3d9.h>
#include "world/Vertex3D.h"

extern IDirect3D9* g_pD3D;
extern IDirect3DDevice9* g_pDevice;
// The present parameters of the device, kept after creation and never changed.
extern D3DPRESENT_PARAMETERS g_D3DPP;
// The Vertex3D layout as a vertex declaration (stream 0: position, colour, texture coordinate).
extern const D3DVERTEXELEMENT9 g_Vertex3DElements[4];

// Creates g_pD3D and g_pDevice (640 x 480 back buffer) for the window g_hWnd and sets the fixed render
// states. Returns the device, or null after an "ERROR" message box.
IDirect3DDevice9* InitDirect3D(BYTE bFullScreen);
// Releases the device and the Direct3D object (at exit). Safe to call when they were never made.
void ReleaseDirect3D();
