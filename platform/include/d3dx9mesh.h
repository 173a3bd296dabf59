// D3DX meshes: ID3DXMesh with CPU copies of its buffers, loading of DirectX .x files.
#pragma once

#include "com.h"
#include "d3dx9math.h"

struct IDirect3DDevice9;
struct IDirect3DTexture9;

#define D3DFVF_SPECULAR 0x080
#define D3DFVF_POSITION_MASK 0x00E
#define D3DFVF_TEXCOUNT_MASK 0xF00
#define D3DFVF_TEXCOUNT_SHIFT 8

// Mesh creation options (only the bits that matter here; the rest are accepted and kept).
#define D3DXMESH_32BIT 0x001
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_NPATCHES 0x4000

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename; // as written in the file, or null
};

struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

struct D3DXEFFECTDEFAULT;
struct D3DXEFFECTINSTANCE {
    LPSTR pEffectFilename; // always null: .x files here carry no effect instances
    DWORD NumDefaults;
    D3DXEFFECTDEFAULT* pDefaults;
};

// A triangle mesh: vertices in its FVF layout, three 16-bit indices per face and one attribute (subset id)
// per face. The buffers live in memory and can be locked at any time; the GL copies are made at the first
// draw and again after a lock that may have written.
struct ID3DXMesh : public IUnknown {
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetNumBytesPerVertex() = 0;
    virtual DWORD GetOptions() = 0;
    // Locks hand out the buffer itself; D3DLOCK_READONLY promises not to write.
    virtual HRESULT LockVertexBuffer(DWORD flags, LPVOID* data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, LPVOID* data) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;
    // Runs of faces with one attribute, in face order; count alone when table is null.
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* count) = 0;
    // A copy in another vertex layout: elements both layouts have are copied, new ones are zero
    // (a new diffuse colour is opaque white).
    virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** out) = 0;
    // Draws the faces whose attribute is attribId through the effect pass that is begun (nothing
    // outside a pass, or when the device has no GL).
    virtual HRESULT DrawSubset(DWORD attribId) = 0;
};
typedef ID3DXMesh* LPD3DXMESH;

// Size in bytes of one vertex of the given FVF (0 for layouts this layer does not support).
UINT D3DXGetFVFVertexSize(DWORD fvf);

// An empty mesh (zeroed buffers) of the given size and layout. Fails for 32-bit indices, for more than
// 65535 vertices and for unsupported layouts.
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* device, ID3DXMesh** out);

// Loads a DirectX .x file in the text format (binary and compressed ones are refused: they cannot be
// checked before the import). The frames' transforms are applied to the
// vertices; positions, normals, texture coordinates and face winding come out as written in the file.
// Every material of the file becomes a subset in the order the file defines them (subset i uses
// material i); materials come back in *materials as D3DXMATERIAL records. Polygons are split into fans.
// A missing, truncated or malformed file, or one with more than 65535 vertices, fails with one line on
// stderr naming the file, and leaves every output null.
HRESULT D3DXLoadMeshFromXA(LPCSTR path, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                           ID3DXBuffer** materials, ID3DXBuffer** effectInstances, DWORD* numMaterials,
                           ID3DXMesh** out);

// One ray hit of D3DXIntersect's all-hits list.
struct D3DXINTERSECTINFO {
    DWORD FaceIndex;
    float U, V;
    float Dist;
};

// A ray (in the mesh's own space) against every face of the mesh, both sides counting: the nearest hit
// in front of the origin, its face, barycentric weights and distance along rayDir (in units of its
// length). Any output may be null. allHits receives a buffer of every hit in face order when asked.
HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                      DWORD* faceIndex, float* u, float* v, float* dist, ID3DXBuffer** allHits,
                      DWORD* countOfHits);
