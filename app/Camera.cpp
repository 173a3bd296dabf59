// The camera globals. The camera procedures (title and stage cameras, seabed) come with the camera unit.
#include "app/Camera.h"

D3DXVECTOR3 g_CamEye{};
D3DXVECTOR3 g_CamAt{};
float g_CamYaw = 0.0f;
