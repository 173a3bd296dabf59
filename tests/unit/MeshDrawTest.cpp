// DrawMesh, DrawMeshColored and SetShaderCamera: what they hand the effect, in which order.
#include "tests/unit/StubEffectMesh.h"
#include "app/Shader.h"
#include "assets/Meshes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string>* g_Calls = nullptr;

void Record(const std::string& call) {
    if (g_Calls) g_Calls->push_back(call);
}

// An effect that writes down every call.
struct RecordingEffect : public StubEffect {
    std::vector<float> freeColor, diffuse;
    D3DXMATRIX world{}, viewProj{};
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    BOOL textureFlag = 2;

    HRESULT SetTechnique(D3DXHANDLE t) override { return Record(std::string("SetTechnique ") + t), D3D_OK; }
    HRESULT Begin(UINT*, DWORD) override { return Record("Begin"), D3D_OK; }
    HRESULT BeginPass(UINT p) override { return Record("BeginPass " + std::to_string(p)), D3D_OK; }
    HRESULT CommitChanges() override { return Record("CommitChanges"), D3D_OK; }
    HRESULT EndPass() override { return Record("EndPass"), D3D_OK; }
    HRESULT End() override { return Record("End"), D3D_OK; }
    HRESULT SetMatrix(D3DXHANDLE n, const D3DXMATRIX* m) override {
        Record(std::string("SetMatrix ") + n);
        if (!std::strcmp(n, "g_mWorld")) world = *m;
        if (!std::strcmp(n, "g_mWorldViewProjection")) viewProj = *m;
        return D3D_OK;
    }
    HRESULT SetTexture(D3DXHANDLE n, IDirect3DTexture9* t) override {
        Record(std::string("SetTexture ") + n);
        texture = t;
        return D3D_OK;
    }
    HRESULT SetFloatArray(D3DXHANDLE n, const FLOAT* v, UINT c) override {
        Record(std::string("SetFloatArray ") + n);
        (!std::strcmp(n, "g_FreeColor") ? freeColor : diffuse).assign(v, v + c);
        return D3D_OK;
    }
    HRESULT SetBool(D3DXHANDLE n, BOOL b) override {
        Record(std::string("SetBool ") + n);
        textureFlag = b;
        return D3D_OK;
    }
};

// A mesh that writes down its draws.
struct RecordingMesh : public StubMesh {
    HRESULT DrawSubset(DWORD i) override { return Record("DrawSubset " + std::to_string(i)), D3D_OK; }
};

class MeshDraw : public ::testing::Test {
  protected:
    std::vector<std::string> m_Calls;
    RecordingEffect* m_Effect = new RecordingEffect;
    RecordingMesh m_Mesh;
    D3DMATERIAL9 m_Materials[2]{};
    IDirect3DTexture9* m_Textures[2] = {nullptr, reinterpret_cast<IDirect3DTexture9*>(0x1234)};
    MeshData m_Record;

    void SetUp() override {
        g_Calls = &m_Calls;
        g_pEffect = m_Effect;
        m_Materials[0].Diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
        m_Materials[1].Diffuse = {0.5f, 0.6f, 0.7f, 0.8f};
        m_Record.pMesh = &m_Mesh;
        m_Record.NumMaterials = 2;
        m_Record.pMaterials = m_Materials;
        m_Record.ppTextures = m_Textures;
    }
    void TearDown() override {
        g_Calls = nullptr;
        g_pEffect = nullptr;
        delete m_Effect;
    }
};

} // namespace

TEST_F(MeshDraw, EachMaterialIsSetCommittedAndDrawnInsideOneBeginEnd) {
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 1, 2, 3);
    DrawMesh(m_Record, world, 6);
    std::vector<std::string> perMaterial = {"SetMatrix g_mWorld", "SetTexture g_Texture",
                                            "SetFloatArray g_Diffuse", "SetBool texture_flg",
                                            "CommitChanges"};
    std::vector<std::string> expected = {"SetTechnique RenderScene", "Begin", "BeginPass 6"};
    for (int i = 0; i < 2; ++i) {
        expected.insert(expected.end(), perMaterial.begin(), perMaterial.end());
        expected.push_back("DrawSubset " + std::to_string(i));
    }
    expected.push_back("EndPass");
    expected.push_back("End");
    EXPECT_EQ(m_Calls, expected);
    EXPECT_TRUE(m_Effect->world == world);
    EXPECT_EQ(m_Effect->diffuse, (std::vector<float>{0.5f, 0.6f, 0.7f, 0.8f}));
    EXPECT_EQ(m_Effect->texture, m_Textures[1]);
    EXPECT_EQ(m_Effect->textureFlag, TRUE);
}

TEST_F(MeshDraw, UntexturedMaterialClearsTextureAndFlag) {
    m_Record.NumMaterials = 1;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawMesh(m_Record, world, 0);
    EXPECT_EQ(m_Effect->texture, nullptr);
    EXPECT_EQ(m_Effect->textureFlag, FALSE);
}

TEST_F(MeshDraw, EmptyRecordsAndMissingEffectDrawNothing) {
    MeshData empty;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawMesh(empty, world, 2);
    EXPECT_EQ(m_Calls, (std::vector<std::string>{"SetTechnique RenderScene", "Begin", "BeginPass 2",
                                                 "EndPass", "End"}));
    m_Calls.clear();
    g_pEffect = nullptr;
    DrawMesh(m_Record, world, 0);
    DrawMeshColored(m_Record, world, D3DXCOLOR(1, 1, 1, 1), 1);
    SetShaderCamera(world, world);
    EXPECT_TRUE(m_Calls.empty());
}

TEST_F(MeshDraw, ColoredDrawSetsFreeColorFirst) {
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawMeshColored(m_Record, world, D3DXCOLOR(1, 0.5f, 0.25f, 0.75f), 3);
    ASSERT_GE(m_Calls.size(), 2u);
    EXPECT_EQ(m_Calls[0], "SetFloatArray g_FreeColor");
    EXPECT_EQ(m_Calls[1], "SetTechnique RenderScene");
    EXPECT_EQ(m_Effect->freeColor, (std::vector<float>{1, 0.5f, 0.25f, 0.75f}));
}

TEST_F(MeshDraw, CameraHandsViewTimesProjection) {
    D3DXMATRIX view, proj, expected;
    D3DXVECTOR3 eye(3, 4, -20), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.8f, 4.0f / 3.0f, 1.0f, 1000.0f);
    SetShaderCamera(view, proj);
    EXPECT_EQ(m_Calls, (std::vector<std::string>{"SetMatrix g_mView", "SetMatrix g_mProj",
                                                 "SetMatrix g_mWorldViewProjection"}));
    D3DXMatrixMultiply(&expected, &view, &proj);
    EXPECT_TRUE(m_Effect->viewProj == expected);
}

TEST(MeshDrawState, FreeColorOutlivesTheColoredDraw) {
    ID3DXEffect* fx = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(nullptr, BW_SOURCE_DIR "/data/shader.fx", nullptr, nullptr, 0,
                                        nullptr, &fx, nullptr),
              D3D_OK);
    g_pEffect = fx;
    MeshData empty;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawMeshColored(empty, world, D3DXCOLOR(0.9f, 0.8f, 0.7f, 0.6f), 1);
    DrawMesh(empty, world, 0);
    float c[4] = {};
    ASSERT_EQ(fx->GetFloatArray("g_FreeColor", c, 4), D3D_OK);
    EXPECT_FLOAT_EQ(c[0], 0.9f);
    EXPECT_FLOAT_EQ(c[3], 0.6f);
    g_pEffect = nullptr;
    fx->Release();
}
