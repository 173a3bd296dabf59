#include "world/Collision.h"

#include "world/ObjectBase.h"

#include <cmath>

bool PushOutOfCircle(D3DXVECTOR3& p, float r, const D3DXVECTOR3& c, float R) {
    float dx = c.x - p.x, dz = c.z - p.z;
    // touching is no overlap
    if (!((R + r) * (R + r) > dz * dz + dx * dx)) return false;
    float phi = std::atan2(p.z - c.z, p.x - c.x) * 57.295776f;
    float a = 180.0f - phi + 270.0f;
    if (a >= 360.0f) a -= 360.0f;
    if (a < 0.0f) a += 360.0f;
    // (0, 0, R + r + 0.1) turned by a about Y, set down at the centre at the old height
    D3DXMATRIX rot, trans, m;
    D3DXMatrixRotationY(&rot, a * 0.017453292f);
    D3DXMatrixTranslation(&trans, c.x, p.y, c.z);
    D3DXMatrixMultiply(&m, &rot, &trans);
    D3DXVECTOR3 local(0.0f, 0.0f, R + r + 0.1f);
    D3DXVec3TransformCoord(&p, &local, &m);
    return true;
}

void PushOutOfRocks(D3DXVECTOR3& pos, float radius) {
    for (size_t i = 0; i < ObstacleList.size(); ++i) {
        CObjectBase* o = ObstacleList[i];
        if (o && o->m_Type == 14) PushOutOfCircle(pos, radius, o->m_Pos, o->m_Radius);
    }
}

void PushOutOfFlowers(D3DXVECTOR3& pos, float radius) {
    for (size_t i = 0; i < ObstacleList.size(); ++i) {
        CObjectBase* o = ObstacleList[i];
        if (o && o->m_Type == 15 && o->m_bDone == 0) PushOutOfCircle(pos, radius, o->m_Pos, o->m_Radius);
    }
}

bool PushOutOfAnemones(D3DXVECTOR3& pos, float radius) {
    for (size_t i = 0; i < ActorList.size(); ++i) {
        CObjectBase* o = ActorList[i];
        if (o && o->m_Type == 3 && PushOutOfCircle(pos, radius, o->m_Pos, o->m_Radius)) return true;
    }
    return false;
}
