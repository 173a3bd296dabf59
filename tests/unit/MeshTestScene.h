// A small GL scene for the effect tests: a test device, the shipped effect, a camera, meshes made in code.
#pragma once

#include "app/Shader.h"
#include "assets/Meshes.h"
#include "tests/unit/TestDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

extern IDirect3DDevice9* g_pDevice;

// A sphere of the given radius in the 0x112 layout, faces wound clockwise seen from outside (front).
inline ID3DXMesh* MakeSphere(IDirect3DDevice9* device, float radius, int slices = 32, int stacks = 20) {
    DWORD verts = (DWORD)((stacks + 1) * (slices + 1)), faces = (DWORD)(stacks * slices * 2);
    ID3DXMesh* mesh = nullptr;
    if (FAILED(D3DXCreateMeshFVF(faces, verts, D3DXMESH_MANAGED, 0x112, device, &mesh))) return nullptr;
    float* v = nullptr;
    mesh->LockVertexBuffer(0, (void**)&v);
    for (int i = 0; i <= stacks; ++i)
        for (int j = 0; j <= slices; ++j) {
            float t = D3DX_PI * (float)i / (float)stacks, p = 2 * D3DX_PI * (float)j / (float)slices;
            float n[3] = {std::sin(t) * std::cos(p), std::cos(t), std::sin(t) * std::sin(p)};
            float* o = v + (i * (slices + 1) + j) * 8;
            o[0] = n[0] * radius, o[1] = n[1] * radius, o[2] = n[2] * radius;
            o[3] = n[0], o[4] = n[1], o[5] = n[2];
            o[6] = (float)j / (float)slices, o[7] = (float)i / (float)stacks;
        }
    WORD* ib = nullptr;
    mesh->LockIndexBuffer(0, (void**)&ib);
    int k = 0;
    auto tri = [&](int a, int b, int c) {
        const float *A = v + a * 8, *B = v + b * 8, *C = v + c * 8;
        D3DXVECTOR3 ab(B[0] - A[0], B[1] - A[1], B[2] - A[2]), ac(C[0] - A[0], C[1] - A[1], C[2] - A[2]), n;
        D3DXVec3Cross(&n, &ab, &ac);
        D3DXVECTOR3 centre((A[0] + B[0] + C[0]) / 3, (A[1] + B[1] + C[1]) / 3, (A[2] + B[2] + C[2]) / 3);
        if (D3DXVec3Dot(&n, &centre) < 0) std::swap(b, c); // (B - A) x (C - A) faces out on a front face
        ib[k++] = (WORD)a, ib[k++] = (WORD)b, ib[k++] = (WORD)c;
    };
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            int a = i * (slices + 1) + j, b = a + slices + 1;
            tri(a, b, a + 1);
            tri(a + 1, b, b + 1);
        }
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return mesh;
}

// A mesh record of one untextured material.
struct TestRecord {
    MeshData rec;
    D3DMATERIAL9 material{};
    explicit TestRecord(ID3DXMesh* mesh, D3DCOLORVALUE diffuse = {1, 1, 1, 1}) {
        material.Diffuse = material.Ambient = diffuse;
        rec.pMesh = mesh;
        rec.NumMaterials = 1;
        rec.pMaterials = &material;
        rec.ppTextures = &m_Texture;
    }
    ~TestRecord() {
        if (rec.pMesh) rec.pMesh->Release();
    }
    TestRecord(const TestRecord&) = delete;
    TestRecord& operator=(const TestRecord&) = delete;

  private:
    IDirect3DTexture9* m_Texture = nullptr;
};

struct Rgb {
    int r, g, b;
};
inline int Distance(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// A GL test device with the shipped effect and a camera at (0, 0, -10) looking at the origin.
class GLScene : public ::testing::Test {
  protected:
    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Device = nullptr;
    D3DXMATRIX m_View, m_Proj;
    std::vector<unsigned char> m_Pixels;

    void SetUp() override {
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Drawing));
        m_Device = m_TestDevice->Device();
        if (!m_Device) GTEST_SKIP() << m_TestDevice->Why();
        m_TestDevice->SetGameStartState();
        g_pDevice = m_Device;
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(m_Device, BW_SOURCE_DIR "/data/shader.fx", nullptr, nullptr,
                                               D3DXSHADER_DEBUG, nullptr, &g_pEffect, &errors);
        ASSERT_EQ(hr, D3D_OK);
        if (errors) {
            ADD_FAILURE() << (const char*)errors->GetBufferPointer();
            errors->Release();
        }
        D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&m_View, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&m_Proj, D3DX_PI / 4, 640.0f / 480.0f, 1.0f, 1000.0f);
        SetShaderCamera(m_View, m_Proj);
    }

    void TearDown() override {
        if (g_pEffect) g_pEffect->Release();
        g_pEffect = nullptr;
        g_pDevice = nullptr;
        m_TestDevice.reset();
    }

    void Read() { ASSERT_TRUE(TestDeviceReadPixels(m_Device, &m_Pixels)); }
    Rgb At(int x, int y) const {
        const size_t at = ((size_t)y * 640 + (size_t)x) * 4;
        if (at + 3 >= m_Pixels.size()) return Rgb{0, 0, 0}; // Read() failed and said so
        const unsigned char* p = &m_Pixels[at];
        return Rgb{p[0], p[1], p[2]};
    }
    // Where a world point lands in the 640 x 480 back buffer (x right, y down).
    void Project(const D3DXVECTOR3& p, int* x, int* y) const {
        D3DXMATRIX vp = m_View * m_Proj;
        D3DXVECTOR3 ndc;
        D3DXVec3TransformCoord(&ndc, &p, &vp);
        *x = (int)((ndc.x + 1) * 320.0f);
        *y = (int)((1 - ndc.y) * 240.0f);
    }
    Rgb AtWorld(const D3DXVECTOR3& p) const {
        int x, y;
        Project(p, &x, &y);
        return At(x, y);
    }
};
