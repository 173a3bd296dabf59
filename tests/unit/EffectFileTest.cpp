// The effect file format and effects without GL: parsing, errors, techniques, passes, parameters.
#include <d3d9types.h>
#include <d3dx9effect.h>
#include "effect_file.h"
#include "tests/unit/MeshTestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kShipped = std::string(BW_SOURCE_DIR) + "/data/shader.fx";

std::string ParseError(const std::string& text) {
    EffectFileSource src;
    std::string error;
    EXPECT_FALSE(ParseEffectFile(text, "fx.fx", &src, &error)) << text;
    return error;
}

const char* kMinimalPass = "vertex {{\nvoid main() { gl_Position = vec4(0.0); }\n}}\n"
                           "fragment {{\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n}}\n";

} // namespace

TEST(EffectFile, ShippedEffectHasNinePassesWithTheirStates) {
    EffectFileSource src;
    std::string error;
    ASSERT_TRUE(ParseEffectFile(ReadTextFile(kShipped), kShipped, &src, &error)) << error;
    ASSERT_EQ(src.techniques.size(), 1u);
    EXPECT_EQ(src.techniques[0].name, "RenderScene");
    ASSERT_EQ(src.techniques[0].passes.size(), 9u);
    const auto& passes = src.techniques[0].passes;
    EXPECT_EQ(passes[0].state.zwrite, 1);
    for (int translucent : {3, 4, 7}) {
        SCOPED_TRACE(translucent);
        EXPECT_EQ(passes[translucent].state.blend, 1);
        EXPECT_EQ(passes[translucent].state.zwrite, 0);
    }
    for (int glow : {3, 4}) { // premultiplied: a covering core and light added round it
        SCOPED_TRACE(glow);
        EXPECT_EQ(passes[glow].state.srcBlend, D3DBLEND_ONE);
        EXPECT_EQ(passes[glow].state.destBlend, D3DBLEND_INVSRCALPHA);
    }
    // The jellyfish blends over the seabed and writes depth, so that its shadow, drawn later, stays under it.
    EXPECT_EQ(passes[1].state.blend, 1);
    EXPECT_EQ(passes[1].state.zwrite, 1);
    EXPECT_EQ(passes[1].state.srcBlend, D3DBLEND_SRCALPHA);
    EXPECT_EQ(passes[1].state.destBlend, D3DBLEND_INVSRCALPHA);
    for (const auto& p : passes)
        EXPECT_EQ(p.state.cull, kEffectInherit); // the player's draw turns culling off
}

TEST(EffectFile, StatesAndCodeBlocksAreRead) {
    std::string text = "# comment\ncommon {{\nfloat Shared() { return 1.0; }\n}}\ntechnique T\n"
                       "pass 0\nstate blend=one,zero zwrite=off ztest=inherit cull=cw\n" +
                       std::string(kMinimalPass) + "// between passes\npass 1\n" + kMinimalPass;
    EffectFileSource src;
    std::string error;
    ASSERT_TRUE(ParseEffectFile(text, "fx.fx", &src, &error)) << error;
    ASSERT_EQ(src.common.size(), 1u);
    EXPECT_EQ(src.common[0].line, 3);
    EXPECT_EQ(src.common[0].text, "float Shared() { return 1.0; }\n");
    const EffectPassSource& p0 = src.techniques[0].passes[0];
    EXPECT_EQ(p0.state.blend, 1);
    EXPECT_EQ(p0.state.srcBlend, D3DBLEND_ONE);
    EXPECT_EQ(p0.state.destBlend, D3DBLEND_ZERO);
    EXPECT_EQ(p0.state.zwrite, 0);
    EXPECT_EQ(p0.state.ztest, kEffectInherit);
    EXPECT_EQ(p0.state.cull, D3DCULL_CW);
    EXPECT_EQ(p0.vertex.line, 9);
    EXPECT_EQ(src.techniques[0].passes[1].state.blend, kEffectInherit);

    // The built source maps compiler lines back to the file.
    std::string stage = BuildStageSource(src, p0.fragment, false, {{"FOO", "2"}});
    EXPECT_EQ(stage.rfind("#version 330 core\n", 0), 0u);
    EXPECT_NE(stage.find("#define FOO 2\n"), std::string::npos);
    EXPECT_NE(stage.find("#line 3 0\nfloat Shared()"), std::string::npos);
    EXPECT_NE(stage.find("#line 12 0\nout vec4 c;"), std::string::npos);
    EXPECT_EQ(stage.find("inPosition"), std::string::npos); // vertex inputs only in the vertex stage
}

TEST(EffectFile, FormatErrorsNameTheirLine) {
    EXPECT_NE(ParseError("").find("fx.fx(0): error: the file declares no technique"), std::string::npos);
    EXPECT_NE(ParseError("technique T\npass 1\n").find("fx.fx(2): error: passes are numbered in order"),
              std::string::npos);
    EXPECT_NE(ParseError("technique T\npass 0\nstate blend=sideways\n").find("fx.fx(3): error: bad value"),
              std::string::npos);
    EXPECT_NE(ParseError("technique T\npass 0\nstate shading=flat\n").find("fx.fx(3): error: unknown state"),
              std::string::npos);
    EXPECT_NE(ParseError("technique T\npass 0\nvertex {{\nvoid main() {}\n")
                  .find("fx.fx(3): error: the code block"),
              std::string::npos);
    EXPECT_NE(
        ParseError("technique T\npass 0\nvertex {{\n}}\npass 1\n").find("fx.fx(5): error: the previous pass"),
        std::string::npos);
    EXPECT_NE(ParseError("technique T\nwobble\n").find("fx.fx(2): error: unknown line 'wobble'"),
              std::string::npos);
    EXPECT_NE(ParseError("pass 0\n").find("fx.fx(1): error: a pass belongs inside a technique"),
              std::string::npos);
    EXPECT_NE(ParseError(std::string("technique T\npass 0\n") + kMinimalPass + "technique T\n")
                  .find("declared twice"),
              std::string::npos);
}

TEST(EffectFile, EffectWithoutGLKeepsParametersAndPasses) {
    ID3DXEffect* fx = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(nullptr, kShipped.c_str(), nullptr, nullptr, D3DXSHADER_DEBUG,
                                        nullptr, &fx, &errors),
              D3D_OK);
    EXPECT_EQ(errors, nullptr);
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->SetTechnique("RenderScene"), D3D_OK);
    EXPECT_TRUE(FAILED(fx->SetTechnique("NoSuchTechnique")));
    UINT passes = 0;
    EXPECT_TRUE(FAILED(fx->BeginPass(0))); // not begun
    ASSERT_EQ(fx->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 9u);
    EXPECT_TRUE(FAILED(fx->BeginPass(9)));
    EXPECT_EQ(fx->BeginPass(8), D3D_OK);
    EXPECT_EQ(fx->CommitChanges(), D3D_OK);
    EXPECT_EQ(fx->EndPass(), D3D_OK);
    EXPECT_EQ(fx->End(), D3D_OK);

    float color[4] = {0.25f, 0.5f, 0.75f, 0.125f}, back[4] = {};
    EXPECT_TRUE(FAILED(fx->GetFloatArray("g_FreeColor", back, 4))); // never set
    fx->SetFloatArray("g_FreeColor", color, 4);
    ASSERT_EQ(fx->GetFloatArray("g_FreeColor", back, 4), D3D_OK);
    EXPECT_FLOAT_EQ(back[3], 0.125f);
    fx->SetBool("texture_flg", 5);
    BOOL b = FALSE;
    ASSERT_EQ(fx->GetBool("texture_flg", &b), D3D_OK);
    EXPECT_EQ(b, TRUE);
    D3DXMATRIX m, out;
    D3DXMatrixTranslation(&m, 1, 2, 3);
    fx->SetMatrix("g_mWorld", &m);
    ASSERT_EQ(fx->GetMatrix("g_mWorld", &out), D3D_OK);
    EXPECT_TRUE(out == m);
    fx->Release();
}

TEST(EffectFile, MissingOrBrokenFilesFailWithADescription) {
    ScratchDir dir("effect");
    std::string broken = dir.File("broken.fx");
    WriteTextFile(broken, "technique RenderScene\npass 0\nstate blend=maybe\n");
    struct Case {
        std::string path, expect;
    } cases[] = {{dir.File("missing.fx"), "cannot open"}, {broken, "broken.fx(3): error: bad value"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ID3DXEffect* fx = reinterpret_cast<ID3DXEffect*>(1);
        ID3DXBuffer* errors = nullptr;
        EXPECT_TRUE(FAILED(
            D3DXCreateEffectFromFileA(nullptr, c.path.c_str(), nullptr, nullptr, 0, nullptr, &fx, &errors)));
        EXPECT_EQ(fx, nullptr);
        ASSERT_NE(errors, nullptr);
        std::string text = (const char*)errors->GetBufferPointer();
        EXPECT_NE(text.find(c.expect), std::string::npos) << text;
        errors->Release();
    }
}
