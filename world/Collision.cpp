#include "world/Collision.h"

#include "app/Camera.h"
#include "assets/Meshes.h"
#include <d3dx9mesh.h>
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

bool WallSlide(D3DXVECTOR3& p, float headingDeg) {
    // Without a terrain (a stage that chose none) there is no wall to slide along.
    if (!g_pTerrain || !g_pTerrain->pMesh) return false;
    ID3DXMesh* mesh = g_pTerrain->pMesh;
    const float h = headingDeg * 0.017453292f;
    D3DXMATRIX rot;
    D3DXMatrixRotationY(&rot, h);
    D3DXVECTOR3 forward(0.0f, 0.0f, 1.0f), worldDir;
    D3DXVec3TransformNormal(&worldDir, &forward, &rot);

    // The ray in the terrain's own space.
    D3DXMATRIX inv;
    if (!D3DXMatrixInverse(&inv, nullptr, &g_mTerrain)) return false;
    D3DXVECTOR3 origin, dir;
    D3DXVec3TransformCoord(&origin, &p, &inv);
    D3DXVec3TransformNormal(&dir, &worldDir, &inv);
    D3DXVec3Normalize(&dir, &dir);

    BOOL hit = FALSE;
    DWORD face = 0;
    float t = -1.0f;
    D3DXIntersect(mesh, &origin, &dir, &hit, &face, nullptr, nullptr, &t, nullptr, nullptr);
    if (!hit) return false;

    // The hit face's corners, in index order.
    LPVOID idata = nullptr, vdata = nullptr;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &idata))) return false;
    const WORD* idx = static_cast<const WORD*>(idata);
    WORD i0 = idx[static_cast<size_t>(face * 3)], i1 = idx[face * 3 + 1], i2 = idx[face * 3 + 2];
    mesh->UnlockIndexBuffer();
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vdata))) return false;
    const DWORD stride = mesh->GetNumBytesPerVertex();
    const auto* bytes = static_cast<const unsigned char*>(vdata);
    auto corner = [&](WORD i) {
        const float* f = reinterpret_cast<const float*>(bytes + (size_t)i * stride);
        return D3DXVECTOR3(f[0], f[1], f[2]);
    };
    D3DXVECTOR3 a = corner(i0), b = corner(i1), c = corner(i2);
    mesh->UnlockVertexBuffer();

    D3DXVECTOR3 ab = b - a, ac = c - a, n;
    D3DXVec3Cross(&n, &ab, &ac);
    D3DXVec3TransformNormal(&n, &n, &g_mTerrain);
    D3DXVec3Normalize(&n, &n);

    const float k = -D3DXVec3Dot(&dir, &n);
    if (k == 0.0f) return false; // a ray along the face's plane cannot have hit it
    const float s = g_TerrainScale;
    float d = 1.0f / s / k;
    if (d < 0.0f) d = -d;
    // A wall ahead nearer than about one unit pushes the position back out along its normal.
    if (d > t) {
        p = p + n * ((d - t) * k * s);
        return true;
    }
    return false;
}
