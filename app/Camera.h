// The cameras of the title and the stages.
#pragma once

#include "platform/d3dx9math.h"

extern D3DXVECTOR3 g_CamEye; // eye position; its z is the depth reference of the sorted draw passes
extern D3DXVECTOR3 g_CamAt;  // look-at point
extern float g_CamYaw;       // heading of the stage camera in degrees
extern D3DXMATRIX g_mView;   // view matrix of the frame
extern D3DXMATRIX g_mProj;   // projection matrix of the frame
