// Effects compiled under a headless GL context: the shipped effect, compiler messages, the effect log.
#include "tests/unit/MeshTestScene.h"
#include "tests/unit/MeshTestUtil.h"

#include <sys/stat.h>

namespace {

// Pass 0 draws, pass 1 has a GLSL error on line 20 of the file, pass 2 compiles with a warning.
const char* kFaultyEffect = R"(# test effect
common {{
uniform mat4 g_mWorld;
uniform mat4 g_mWorldViewProjection;
}}
technique RenderScene
pass 0
vertex {{
void main() { gl_Position = bw_ToClip(vec4(inPosition, 1.0) * g_mWorld * g_mWorldViewProjection); }
}}
fragment {{
out vec4 c; void main() { c = vec4(1.0); }
}}
pass 1
vertex {{
void main() { gl_Position = bw_ToClip(vec4(inPosition, 1.0) * g_mWorld * g_mWorldViewProjection); }
}}
fragment {{
out vec4 c;
void main() { int wrong = 1.5; c = vec4(1.0); }
}}
pass 2
vertex {{
void main() { gl_Position = bw_ToClip(vec4(inPosition, 1.0) * g_mWorld * g_mWorldViewProjection); }
}}
fragment {{
out vec4 c;
void main() { float unset; c = vec4(1.0); if (c.x < 0.0) c.y = unset; }
}}
)";

} // namespace

class EffectGL : public GLScene {};

TEST_F(EffectGL, ShippedEffectCompilesNinePassesWithoutMessages) {
    // The fixture has already failed the test if the compiler said anything.
    UINT passes = 0;
    ASSERT_EQ(g_pEffect->SetTechnique("RenderScene"), D3D_OK);
    ASSERT_EQ(g_pEffect->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(passes, 9u);
    for (UINT p = 0; p < passes; ++p) {
        EXPECT_EQ(g_pEffect->BeginPass(p), D3D_OK) << "pass " << p;
        EXPECT_EQ(g_pEffect->EndPass(), D3D_OK);
    }
    EXPECT_EQ(g_pEffect->End(), D3D_OK);
}

TEST_F(EffectGL, CompilerMessagesNameTheFileLineAndAFailedPassDrawsNothing) {
    ScratchDir dir("effect");
    std::string path = dir.File("faulty.fx");
    WriteTextFile(path, kFaultyEffect);
    ID3DXEffect* fx = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(m_Device, path.c_str(), nullptr, nullptr, 0, nullptr, &fx, &errors),
              D3D_OK);
    ASSERT_NE(errors, nullptr);
    std::string text = (const char*)errors->GetBufferPointer();
    errors->Release();
    EXPECT_NE(text.find(path + ": technique RenderScene, pass 1, fragment shader:"), std::string::npos)
        << text;
    EXPECT_NE(text.find("0:20("), std::string::npos) << text; // the file's line of the faulty statement
    EXPECT_NE(text.find("pass 2, fragment shader:"), std::string::npos) << text; // a warning is reported too
    EXPECT_EQ(text.find("pass 0"), std::string::npos) << text;

    std::swap(fx, g_pEffect);
    fx->Release();
    SetShaderCamera(m_View, m_Proj);
    TestRecord sphere(MakeSphere(m_Device, 2.0f));
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    for (int pass : {1, 0, 2}) {
        TestDeviceClear(m_Device, 0xFF000000);
        DrawMesh(sphere.rec, world, pass);
        Read();
        bool drawn = Distance(At(320, 240), Rgb{0, 0, 0}) > 0;
        EXPECT_EQ(drawn, pass != 1) << "pass " << pass;
    }
}

TEST_F(EffectGL, InitShaderWritesTheCompilerTextToStdoutAndTheLog) {
    ScratchDir dir("effect");
    ScopedWorkingDir cwd(dir.Path());
    ASSERT_TRUE(cwd.Ok());
    mkdir("data", 0755);

    // A clean effect writes no log.
    WriteTextFile("data/shader.fx", ReadTextFile(BW_SOURCE_DIR "/data/shader.fx"));
    InitShader();
    EXPECT_NE(g_pEffect, nullptr);
    EXPECT_TRUE(ReadTextFile("conpaile_log.txt").empty());

    WriteTextFile("data/shader.fx", kFaultyEffect);
    testing::internal::CaptureStdout();
    InitShader();
    std::string out = testing::internal::GetCapturedStdout();
    std::string log = ReadTextFile("conpaile_log.txt");
    EXPECT_NE(log.find("data/shader.fx: technique RenderScene, pass 1, fragment shader:"), std::string::npos)
        << log;
    EXPECT_NE(log.find("error"), std::string::npos) << log;
    EXPECT_EQ(out, log);
    EXPECT_NE(g_pEffect, nullptr); // the passes that compiled still draw

    // A file that breaks the format: no effect, the reason in the log, and drawing is skipped.
    WriteTextFile("data/shader.fx", "technique RenderScene\npass 0\nstate cull=sideways\n");
    testing::internal::CaptureStdout();
    InitShader();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(g_pEffect, nullptr);
    EXPECT_NE(ReadTextFile("conpaile_log.txt").find("data/shader.fx(3): error: bad value"),
              std::string::npos);
    TestRecord sphere(MakeSphere(m_Device, 2.0f));
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawMesh(sphere.rec, world, 0);
    DrawMeshColored(sphere.rec, world, D3DXCOLOR(1, 1, 1, 1), 1);
}

TEST_F(EffectGL, MeshesUploadAgainAfterAWritingLock) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f));
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    TestDeviceClear(m_Device, 0xFF000000);
    DrawMesh(sphere.rec, world, 0);
    Read();
    ASSERT_GT(Distance(At(320, 240), Rgb{0, 0, 0}), 0);
    // Move every vertex 3 units right through a lock: the next draw shows the new place.
    float* v = nullptr;
    sphere.rec.pMesh->LockVertexBuffer(0, (void**)&v);
    for (DWORD i = 0; i < sphere.rec.pMesh->GetNumVertices(); ++i)
        v[i * 8] += 3.0f;
    sphere.rec.pMesh->UnlockVertexBuffer();
    TestDeviceClear(m_Device, 0xFF000000);
    DrawMesh(sphere.rec, world, 0);
    Read();
    EXPECT_EQ(Distance(At(320, 240), Rgb{0, 0, 0}), 0);
    EXPECT_GT(Distance(AtWorld(D3DXVECTOR3(3, 0, 0)), Rgb{0, 0, 0}), 0);
}
