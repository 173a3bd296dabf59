// The camera globals. The camera procedures (title and stage cameras, seabed) come with the camera unit.
#include "app/Camera.h"

D3DXVECTOR3 g_CamEye{};
D3DXVECTOR3 g_CamAt{};
float g_CamYaw = 0.0f;
D3DXMATRIX g_mView(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
D3DXMATRIX g_mProj(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
MeshData* g_pTerrain = nullptr;
D3DXMATRIX g_mTerrain(30, 0, 0, 0, 0, 20, 0, 0, 0, 0, 30, 0, 0, 0, 0, 1);
float g_TerrainScale = 30.0f;
