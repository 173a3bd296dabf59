// The vertex of every shadow, glow and ribbon quad, the seabed and the boards.
#pragma once

#include <d3d9types.h>

// A vertex of every shadow, glow and ribbon quad: position, ARGB colour, texture coordinates.
struct Vertex3D {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(Vertex3D) == 24, "a quad vertex is 24 bytes");

// The vertex format of Vertex3D.
constexpr DWORD D3DFVF_VERTEX3D = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(D3DFVF_VERTEX3D == 0x142, "xyz, diffuse, one texture");
