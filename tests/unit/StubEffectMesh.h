// Do-nothing bases for the effects and meshes that tests put in place of the real ones: a test derives from
// them and overrides only the calls it watches. Setters and draws succeed, getters fail, meshes are empty.
#pragma once

#include <d3dx9effect.h>
#include <d3dx9mesh.h>

struct StubEffect : public ID3DXEffect {
    HRESULT SetTechnique(D3DXHANDLE) override { return D3D_OK; }
    HRESULT Begin(UINT*, DWORD) override { return D3D_OK; }
    HRESULT BeginPass(UINT) override { return D3D_OK; }
    HRESULT CommitChanges() override { return D3D_OK; }
    HRESULT EndPass() override { return D3D_OK; }
    HRESULT End() override { return D3D_OK; }
    HRESULT SetMatrix(D3DXHANDLE, const D3DXMATRIX*) override { return D3D_OK; }
    HRESULT SetTexture(D3DXHANDLE, IDirect3DTexture9*) override { return D3D_OK; }
    HRESULT SetFloatArray(D3DXHANDLE, const FLOAT*, UINT) override { return D3D_OK; }
    HRESULT SetBool(D3DXHANDLE, BOOL) override { return D3D_OK; }
    HRESULT GetMatrix(D3DXHANDLE, D3DXMATRIX*) override { return E_FAIL; }
    HRESULT GetTexture(D3DXHANDLE, IDirect3DTexture9**) override { return E_FAIL; }
    HRESULT GetFloatArray(D3DXHANDLE, FLOAT*, UINT) override { return E_FAIL; }
    HRESULT GetBool(D3DXHANDLE, BOOL*) override { return E_FAIL; }
};

struct StubMesh : public ID3DXMesh {
    DWORD GetNumFaces() override { return 0; }
    DWORD GetNumVertices() override { return 0; }
    DWORD GetFVF() override { return 0x112; }
    DWORD GetNumBytesPerVertex() override { return 32; }
    DWORD GetOptions() override { return 0; }
    HRESULT LockVertexBuffer(DWORD, LPVOID*) override { return E_FAIL; }
    HRESULT UnlockVertexBuffer() override { return E_FAIL; }
    HRESULT LockIndexBuffer(DWORD, LPVOID*) override { return E_FAIL; }
    HRESULT UnlockIndexBuffer() override { return E_FAIL; }
    HRESULT LockAttributeBuffer(DWORD, DWORD**) override { return E_FAIL; }
    HRESULT UnlockAttributeBuffer() override { return E_FAIL; }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD*) override { return E_FAIL; }
    HRESULT CloneMeshFVF(DWORD, DWORD, IDirect3DDevice9*, ID3DXMesh**) override { return E_FAIL; }
    HRESULT DrawSubset(DWORD) override { return D3D_OK; }
};
