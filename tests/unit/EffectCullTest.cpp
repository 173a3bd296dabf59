// Meshes out of the view volume a technique declares with "bounds" cost no GL work; draws use the values
// committed at BeginPass and CommitChanges.
#include <d3d9.h>
#include "effect_file.h"
#include "tests/unit/MeshTestScene.h"
#include "tests/unit/MeshTestUtil.h"
#include <d3d9debug.h>

#include <fstream>
#include <sstream>

namespace {

const char* kPass = "pass 0\nvertex {{\nvoid main() { gl_Position = vec4(0.0); }\n}}\n"
                    "fragment {{\nout vec4 c; void main() { c = vec4(1.0); }\n}}\n";

std::string ParseError(const std::string& text) {
    EffectFileSource src;
    std::string error;
    EXPECT_FALSE(ParseEffectFile(text, "t.fx", &src, &error));
    return error;
}

// The shipped effect with its "bounds" line taken out.
std::string EffectWithoutBounds(const std::string& dir) {
    std::ifstream in(BW_SOURCE_DIR "/data/shader.fx");
    std::ostringstream out;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("bounds ", 0) != 0) out << line << "\n";
    const std::string path = dir + "/nobounds.fx";
    std::ofstream(path) << out.str();
    return path;
}

D3DXMATRIX Moved(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

} // namespace

TEST(EffectBounds, ABoundsLineNamesTheTechniquesMatricesOnce) {
    EffectFileSource src;
    std::string error;
    ASSERT_TRUE(ParseEffectFile(std::string("technique A\nbounds W VP\n") + kPass + "technique B\n" + kPass,
                                "t.fx", &src, &error))
        << error;
    EXPECT_EQ(src.techniques[0].boundsWorld, "W");
    EXPECT_EQ(src.techniques[0].boundsViewProj, "VP");
    EXPECT_TRUE(src.techniques[1].boundsWorld.empty());

    EXPECT_NE(ParseError(std::string("bounds W VP\ntechnique A\n") + kPass).find("t.fx(1): error:"),
              std::string::npos);
    EXPECT_NE(ParseError(std::string("technique A\nbounds W\n") + kPass).find("t.fx(2): error:"),
              std::string::npos);
    EXPECT_NE(ParseError(std::string("technique A\nbounds W VP\n") + kPass + "bounds W VP\n")
                  .find("already has its bounds"),
              std::string::npos);
}

TEST(EffectSpecialise, BoolUniformsDeclaredAloneBecomeConstants) {
    EffectFileSource src;
    std::string error;
    ASSERT_TRUE(ParseEffectFile(std::string("common {{\nuniform bool flag;\n  uniform bool other;\n"
                                            "uniform bool a, b;\n}}\ntechnique A\n") +
                                    kPass,
                                "t.fx", &src, &error))
        << error;
    const std::vector<std::pair<std::string, bool>> bools = {{"flag", true}, {"other", false}, {"a", true}};
    const std::string stage =
        BuildStageSource(src, src.techniques[0].passes[0].fragment, false, {}, nullptr, &bools);
    EXPECT_NE(stage.find("const bool flag = true;\n"), std::string::npos);
    EXPECT_NE(stage.find("const bool other = false;\n"), std::string::npos);
    EXPECT_NE(stage.find("uniform bool a, b;\n"), std::string::npos) << "only lone declarations change";
    // The general program keeps them all uniform, and the built-ins too.
    const std::string general = BuildStageSource(src, src.techniques[0].passes[0].fragment, false, {});
    EXPECT_NE(general.find("uniform bool flag;\n"), std::string::npos);
    EXPECT_NE(general.find("uniform bool bw_FogEnable;"), std::string::npos);
    EXPECT_EQ(general.find("const bool"), std::string::npos);
}

class EffectCull : public GLScene {
  protected:
    // Triangles and batches the device counted for one mesh draw through pass 0.
    void Draw(TestRecord& mesh, const D3DXMATRIX& world, UINT* triangles, UINT* batches) {
        const UINT t0 = d3d9debug::TriangleCount(m_Device), b0 = d3d9debug::BatchCount(m_Device);
        DrawMesh(mesh.rec, world, 0);
        FlushScene();
        *triangles = d3d9debug::TriangleCount(m_Device) - t0;
        *batches = d3d9debug::BatchCount(m_Device) - b0;
    }
    void FlushScene() {
        m_Device->EndScene();
        m_Device->BeginScene();
    }
    void SetUp() override {
        GLScene::SetUp();
        if (m_Device) m_Device->BeginScene();
    }
};

TEST_F(EffectCull, MeshesWhollyOutOfViewCostNoGlWorkAndTouchingOnesAreDrawn) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f, 16, 8));
    const UINT faces = sphere.rec.pMesh->GetNumFaces();
    UINT tris = 0, batches = 0;
    Draw(sphere, Moved(0, 0, 0), &tris, &batches);
    EXPECT_EQ(tris, faces);
    EXPECT_GE(batches, 1u);

    // Far to the side, behind the camera (at z = -10), beyond the far plane (1000): nothing at all.
    for (const D3DXMATRIX& away :
         {Moved(1000, 0, 0), Moved(0, -300, 0), Moved(0, 0, -20), Moved(0, 0, 1200)}) {
        Draw(sphere, away, &tris, &batches);
        EXPECT_EQ(tris, 0u);
        EXPECT_EQ(batches, 0u);
    }
    // The view is 5.52 wide either side at depth 10: a sphere of radius 1 centred at x = 6.2 reaches in.
    Draw(sphere, Moved(6.2f, 0, 0), &tris, &batches);
    EXPECT_EQ(tris, faces);
    // Scaled up, a far sphere reaches into view again.
    D3DXMATRIX big;
    D3DXMatrixScaling(&big, 10, 10, 10);
    Draw(sphere, big * Moved(12, 0, 0), &tris, &batches);
    EXPECT_EQ(tris, faces);
}

TEST_F(EffectCull, WithoutBoundsEveryMeshIsDrawn) {
    g_pEffect->Release();
    g_pEffect = nullptr;
    const ScratchDir dir("cull");
    ASSERT_EQ(D3DXCreateEffectFromFileA(m_Device, EffectWithoutBounds(dir.Path()).c_str(), nullptr, nullptr,
                                        0, nullptr, &g_pEffect, nullptr),
              D3D_OK);
    SetShaderCamera(m_View, m_Proj);
    TestRecord sphere(MakeSphere(m_Device, 1.0f, 16, 8));
    UINT tris = 0, batches = 0;
    Draw(sphere, Moved(1000, 0, 0), &tris, &batches);
    EXPECT_EQ(tris, sphere.rec.pMesh->GetNumFaces());
}

TEST_F(EffectCull, DrawsUseTheCommittedValuesUntilTheNextCommit) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f, 16, 8));
    const UINT faces = sphere.rec.pMesh->GetNumFaces();
    TestDeviceClear(m_Device, 0xFF000000);
    const D3DXMATRIX here = Moved(0, 0, 0), away = Moved(1000, 0, 0);
    float white[4] = {1, 1, 1, 1};
    ASSERT_EQ(g_pEffect->SetTechnique("RenderScene"), D3D_OK);
    g_pEffect->Begin(nullptr, 0);
    g_pEffect->SetMatrix("g_mWorld", &here);
    g_pEffect->SetFloatArray("g_Diffuse", white, 4);
    g_pEffect->SetBool("texture_flg", FALSE);
    ASSERT_EQ(g_pEffect->BeginPass(0), D3D_OK);
    // Set but not committed: the draw still places the sphere at the origin, and draws it.
    g_pEffect->SetMatrix("g_mWorld", &away);
    UINT t0 = d3d9debug::TriangleCount(m_Device);
    sphere.rec.pMesh->DrawSubset(0);
    EXPECT_EQ(d3d9debug::TriangleCount(m_Device) - t0, faces);
    // Committed: now it is out of view.
    g_pEffect->CommitChanges();
    t0 = d3d9debug::TriangleCount(m_Device);
    sphere.rec.pMesh->DrawSubset(0);
    EXPECT_EQ(d3d9debug::TriangleCount(m_Device) - t0, 0u);
    g_pEffect->EndPass();
    g_pEffect->End();
    m_Device->EndScene();
    Read();
    EXPECT_GT(Distance(At(320, 240), Rgb{0, 0, 0}), 100) << "the sphere was drawn at the origin";
    // What was set is what reads back.
    D3DXMATRIX back;
    ASSERT_EQ(g_pEffect->GetMatrix("g_mWorld", &back), D3D_OK);
    EXPECT_TRUE(back == away);
}
