#include "world/ObjectSteps.h"

#include "app/Direct3D.h"
#include "assets/Textures.h"
#include "world/WorldMath.h"

#include <cstdlib>

void DrawShadow(const CObjectBase& object) {
    if (!g_pDevice) return;
    D3DXMATRIX world = object.m_mTrans;
    world._42 = 0.1f;
    g_pDevice->SetTexture(0, g_pTexLight);
    g_pDevice->SetTransform(D3DTS_WORLD, &world);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, object.m_Shadow, sizeof(Vertex3D));
}

bool StepShake(D3DXMATRIX& shake, int32_t& frames, bool mayShake) {
    if (frames < 1 || !mayShake) {
        shake = MatIdentity();
        return false;
    }
    const D3DXVECTOR3 offset = HeadingVector((float)(std::rand() % 360)) * 0.5f;
    D3DXMatrixTranslation(&shake, offset.x, 0.0f, offset.z);
    frames -= 1;
    return true;
}

bool EndCharge(int32_t& phase, int32_t& timer, int32_t& biting) {
    if (phase != CHARGE_OVER) return false;
    timer = 0;
    phase = CHARGE_START;
    biting = 0;
    return true;
}
