// The mesh effect: loaded once at start-up from "data/shader.fx"; every mesh is drawn through it.
#pragma once

#include <d3dx9effect.h>
#include <d3dx9math.h>

struct MeshData;

// The effect; null when it could not be created (mesh draws are then skipped).
extern ID3DXEffect* g_pEffect;

// Creates g_pEffect. Compiler messages (errors and warnings) go to standard output and "conpaile_log.txt".
void InitShader();
// Hands the effect this frame's camera: "g_mView", "g_mProj" and "g_mWorldViewProjection" (view x proj).
void SetShaderCamera(const D3DXMATRIX& view, const D3DXMATRIX& proj);
// Draws every material of a mesh through one pass of "RenderScene", each draw its own Begin/End.
void DrawMesh(MeshData& mesh, const D3DXMATRIX& world, int pass);
// As DrawMesh, after setting "g_FreeColor" (which keeps that value for later draws).
void DrawMeshColored(MeshData& mesh, const D3DXMATRIX& world, D3DXCOLOR color, int pass);
