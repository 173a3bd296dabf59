// The cameras of the title and the stages.
#pragma once

#include "platform/d3dx9math.h"

extern D3DXVECTOR3 g_CamEye; // eye position; its z is the depth reference of the sorted draw passes
extern D3DXVECTOR3 g_CamAt;  // look-at point
extern float g_CamYaw;       // heading of the stage camera in degrees
extern D3DXMATRIX g_mView;   // view matrix of the frame
extern D3DXMATRIX g_mProj;   // projection matrix of the frame
struct MeshData;
extern MeshData* g_pTerrain;    // collision mesh of the current stage; null until a stage chose one
extern D3DXMATRIX g_mTerrain;   // its world matrix, a scaling by (30, 20, 30)
extern float g_TerrainScale;    // 30, the horizontal scale of the terrain
