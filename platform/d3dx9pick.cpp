// Ray picking against a whole mesh.
#include "d3dx9mesh.h"

#include <vector>

HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                      DWORD* faceIndex, float* u, float* v, float* dist, ID3DXBuffer** allHits,
                      DWORD* countOfHits) {
    if (hit) *hit = FALSE;
    if (allHits) *allHits = nullptr;
    if (countOfHits) *countOfHits = 0;
    if (!mesh || !rayPos || !rayDir) return D3DERR_INVALIDCALL;
    const DWORD stride = mesh->GetNumBytesPerVertex();
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    // Positions come first in every layout this layer supports.
    if (stride < sizeof(float) * 3 || (mesh->GetFVF() & D3DFVF_POSITION_MASK) != D3DFVF_XYZ)
        return D3DERR_INVALIDCALL;
    LPVOID vdata = nullptr, idata = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vdata))) return D3DERR_INVALIDCALL;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &idata))) {
        mesh->UnlockVertexBuffer();
        return D3DERR_INVALIDCALL;
    }
    const auto* bytes = static_cast<const unsigned char*>(vdata);
    const auto* indices = static_cast<const WORD*>(idata);
    auto position = [&](WORD i) {
        const float* p = reinterpret_cast<const float*>(bytes + (size_t)i * stride);
        return D3DXVECTOR3(p[0], p[1], p[2]);
    };
    std::vector<D3DXINTERSECTINFO> found;
    bool any = false;
    D3DXINTERSECTINFO best{};
    for (DWORD f = 0; f < faces; ++f) {
        WORD a = indices[static_cast<size_t>(f * 3)], b = indices[f * 3 + 1], c = indices[f * 3 + 2];
        if (a >= vertices || b >= vertices || c >= vertices) continue; // a broken face hits nothing
        D3DXVECTOR3 pa = position(a), pb = position(b), pc = position(c);
        D3DXINTERSECTINFO info{f, 0.0f, 0.0f, 0.0f};
        if (!D3DXIntersectTri(&pa, &pb, &pc, rayPos, rayDir, &info.U, &info.V, &info.Dist)) continue;
        if (allHits || countOfHits) found.push_back(info);
        if (!any || info.Dist < best.Dist) best = info, any = true;
    }
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    if (any) {
        if (hit) *hit = TRUE;
        if (faceIndex) *faceIndex = best.FaceIndex;
        if (u) *u = best.U;
        if (v) *v = best.V;
        if (dist) *dist = best.Dist;
    }
    if (countOfHits) *countOfHits = (DWORD)found.size();
    if (allHits && !found.empty())
        *allHits = CreateBufferFrom(found.data(), (DWORD)(found.size() * sizeof(D3DXINTERSECTINFO)));
    return D3D_OK;
}
