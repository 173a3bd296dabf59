// What the title draws: the panels and stars on the device, the creature displays through the effect, the
// depth-sorted passes over EffectList, and the title's trace key.
#include "FootballTestSupport.h"
#include "TitleTestSupport.h"

#include "app/Trace.h"
#include "assets/Textures.h"
#include <d3d9debug.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using TitleDraw = TitleScreenFixture;

std::vector<DeviceCall> CallsNamed(const char* method) {
    std::vector<DeviceCall> out;
    for (const DeviceCall& c : d3d9debug::CallLog(g_pDevice))
        if (c.method == method) out.push_back(c);
    return out;
}

D3DXMATRIX FromRecorded(const D3DMATRIX& m) {
    D3DXMATRIX out;
    std::memcpy(&out, &m, sizeof out);
    return out;
}

Vertex3D VertexOf(const DeviceCall& draw, int i) {
    Vertex3D v;
    std::memcpy(&v, draw.data.data() + i * sizeof(Vertex3D), sizeof v);
    return v;
}

// Title images of our own, so that each draw can be told apart by its texture.
IDirect3DTexture9* OwnTexture() {
    IDirect3DTexture9* t = nullptr;
    g_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
    return t;
}

} // namespace

TEST_F(TitleDraw, SetupStartsAFadeInOnlyWhenNoFadeRuns) {
    g_FadeMode = 2;
    TitleSetup();
    EXPECT_EQ(g_FadeMode, 2);
    g_FadeMode = 0;
    TitleSetup();
    EXPECT_EQ(g_FadeMode, 1);
    EXPECT_EQ(g_TitlePhase, 0);
    EXPECT_EQ(g_MenuChoice, -1);
    EXPECT_EQ(g_TitleFrame, 0);
}

TEST_F(TitleDraw, PanelsThenStarsInTheirOrderWithTheirImages) {
    EnterTitle();
    ReleaseTitleTextures();
    g_pTexLogo = OwnTexture();
    g_pTexClick = OwnTexture();
    g_pTexStart = OwnTexture();
    g_pTexExit = OwnTexture();
    g_pTexArrow = OwnTexture();
    g_pTexStar = OwnTexture();
    PassFadeIn();
    g_CamAt.x = 20.0f; // somewhere in a slide
    TitleStep();
    d3d9debug::EnableCallLog(g_pDevice, true);
    DrawTitlePanels();
    const std::vector<DeviceCall> draws = CallsNamed("DrawPrimitiveUP");
    d3d9debug::EnableCallLog(g_pDevice, false);
    ASSERT_EQ(draws.size(), 9u);
    const IDirect3DTexture9* images[9] = {g_pTexLogo,  g_pTexClick, g_pTexStart, g_pTexExit, g_pTexArrow,
                                          g_pTexArrow, g_pTexStar,  g_pTexStar,  g_pTexStar};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(draws[i].ptr, images[i]) << i;
        EXPECT_EQ(draws[i].a, (DWORD)D3DPT_TRIANGLEFAN);
        EXPECT_EQ(draws[i].b, 2u);
        EXPECT_EQ(draws[i].c, 24u);
        ASSERT_EQ(draws[i].data.size(), 4u * 24u);
    }
    ExpectMatrixNear(FromRecorded(draws[0].matrix),
                     Scale(1.5f, 1.5f, 1.5f) * RotX(-10.0f) * Translate(20.0f, 10.0f, -110.0f));
    ExpectMatrixNear(FromRecorded(draws[1].matrix),
                     Scale(1.0f, 0.5f, 0.5f) * RotX(-10.0f) * Translate(20.0f, 10.0f, -125.0f));
    ExpectMatrixNear(FromRecorded(draws[2].matrix), Translate(20.0f, 5.0f, -5.0f));
    ExpectMatrixNear(FromRecorded(draws[3].matrix), RotX(-30.0f) * Translate(50.0f, 5.0f, 20.0f));
    ExpectMatrixNear(FromRecorded(draws[4].matrix), Translate(50.0f, 5.0f, -5.0f));
    ExpectMatrixNear(FromRecorded(draws[5].matrix), Translate(-10.0f, 5.0f, -5.0f));
    // The right arrow is fully there, the left one has started to fade (the first item is selected).
    EXPECT_EQ(VertexOf(draws[4], 0).color, 0xFFFFFFFFu);
    EXPECT_EQ(VertexOf(draws[5], 0).color >> 24, 0u);
    EXPECT_EQ(VertexOf(draws[5], 0).u, 1.0f);
    // One star on stage 1, two side by side on stage 2, half size, leaning back, 10 further on.
    const D3DXMATRIX lean = Scale(0.5f, 0.5f, 0.5f) * RotX(-30.0f);
    const float starX[3] = {0.0f, 92.5f, 107.5f};
    for (int s = 0; s < 3; ++s) {
        D3DXMATRIX want = lean;
        want._41 = starX[s];
        want._42 = 5.0f;
        want._43 = 10.0f;
        ExpectMatrixNear(FromRecorded(draws[6 + s].matrix), want);
        EXPECT_EQ(VertexOf(draws[6 + s], 2).x, 10.0f); // the item's own 20 x 20 quad
        EXPECT_EQ(VertexOf(draws[6 + s], 2).z, -10.0f);
    }
    ReleaseTitleTextures();
}

TEST_F(TitleDraw, CreatureDisplaysFootballWithItsOwnPulseAndAnemoneWithSwayingTentacles) {
    EnterTitle();
    MeshDrawRecorder rec;
    // The anemone mesh is recorded too, with the recorder's effect.
    MeshRecordingEffect* effect = static_cast<MeshRecordingEffect*>(g_pEffect);
    const MeshData savedAnemone = g_MeshAnemone;
    NamedRecordingMesh anemoneMesh("anemone", effect, &rec.draws);
    D3DMATERIAL9 material{};
    g_MeshAnemone = MeshData{};
    g_MeshAnemone.pMesh = &anemoneMesh;
    g_MeshAnemone.NumMaterials = 1;
    g_MeshAnemone.pMaterials = &material;

    g_TitleGlowPhase = 1.0f;
    g_GlowPhase = 0.25f;
    CAnemoneTentacle* first = g_pTitleAnemone->m_Tentacles[0];
    const float sway = first->m_Sway[0];
    const std::vector<CAnemoneTentacle*> order = g_pTitleAnemone->TentaclesFarToNear();
    d3d9debug::EnableCallLog(g_pDevice, true);
    DrawTitleCreatures();
    const std::vector<DeviceCall> strips = CallsNamed("DrawPrimitiveUP");
    const std::vector<DeviceCall> states = CallsNamed("SetRenderState");
    d3d9debug::EnableCallLog(g_pDevice, false);
    g_MeshAnemone = savedAnemone;

    const D3DXMATRIX body = Scale(2.5f, 2.5f, 2.5f) * RotY(180.0f) * Translate(0.0f, 10.0f, 60.0f);
    ASSERT_EQ(rec.draws.size(), 5u);
    const char* meshes[5] = {"anemone", "football", "lowerjaw", "effect", "anemone"};
    const unsigned passes[5] = {0, 0, 0, 4, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rec.draws[i].mesh, meshes[i]) << i;
        EXPECT_EQ(rec.draws[i].pass, passes[i]) << i;
    }
    ExpectMatrixNear(rec.draws[0].world, body);
    ExpectMatrixNear(rec.draws[1].world, body);
    ExpectMatrixNear(g_pTitleFootball->m_mWorld, body);
    ExpectMatrixNear(rec.draws[2].world, Scale(1.0f, 1.0f, 1.2f) * RotX(10.0f) * body);
    ExpectMatrixNear(rec.draws[3].world, Translate(0.0f, 5.0f, 5.0f) * body);
    ASSERT_EQ(rec.draws[3].color.size(), 4u);
    EXPECT_FLOAT_EQ(rec.draws[3].color[3], (std::sin(1.0f) + 1.0f) * 0.25f + 0.5f);
    EXPECT_FLOAT_EQ(g_TitleGlowPhase, 1.03f);
    EXPECT_EQ(g_GlowPhase, 0.25f); // the stage footballs' pulse is not the display's
    ExpectMatrixNear(rec.draws[4].world, Scale(10.0f, 5.0f, 10.0f) * Translate(100.0f, 5.0f, 60.0f));

    // 72 tentacles of four strips each, far to near, unlit, each swayed once before it is drawn.
    ASSERT_EQ(strips.size(), 72u * 4u);
    for (const DeviceCall& s : strips)
        EXPECT_EQ(s.ptr, g_pTexAnemoneTentacle);
    ExpectMatrixNear(FromRecorded(strips[0].matrix), order[0]->m_mWorld);
    ExpectMatrixNear(FromRecorded(strips.back().matrix), order.back()->m_mWorld);
    EXPECT_NEAR(std::fabs(first->m_Sway[0] - sway), 0.03f, 1e-5f);
    std::vector<DWORD> lighting;
    for (const DeviceCall& c : states)
        if (c.a == (DWORD)D3DRS_LIGHTING) lighting.push_back(c.b);
    EXPECT_EQ(lighting, (std::vector<DWORD>{FALSE, TRUE}));
}

TEST_F(TitleDraw, EffectPassesGoFarToNearAndTheDeadLeaveTheList) {
    SetObjectArena(ObjectArena::Title);
    g_ProbeLog.clear();
    g_ProbesDestroyed = 0;
    g_CamEye = D3DXVECTOR3(0.0f, 43.0f, 5.0f);
    Probe* nearer = AddProbe(EffectList, "near", 10.0f);
    AddProbe(EffectList, "far", 20.0f, 15.0f); // radius counts: key 30
    EffectList.push_back(nullptr);
    Probe* twin = AddProbe(EffectList, "twin", 10.0f);
    AddProbe(EffectList, "behind", -40.0f);
    DrawEffectList();
    EXPECT_EQ(Calls("draw"), (std::vector<std::string>{"far", "twin", "near", "behind"}));
    DrawEffectListAlpha();
    EXPECT_EQ(Calls("alpha"), (std::vector<std::string>{"far", "twin", "near", "behind"}));

    nearer->m_OnUpdate = [](Probe& p) { p.m_bDead = 1; };
    twin->m_OnUpdate = [](Probe& p) { p.m_bDead = 1; };
    UpdateEffectList();
    EXPECT_EQ(Calls("update"), (std::vector<std::string>{"near", "far", "twin", "behind"}));
    ASSERT_EQ(EffectList.size(), 3u);
    EXPECT_EQ(static_cast<Probe*>(EffectList[0])->m_Name, "far");
    EXPECT_EQ(EffectList[1], nullptr);
    EXPECT_EQ(static_cast<Probe*>(EffectList[2])->m_Name, "behind");
    EXPECT_EQ(g_ProbesDestroyed, 0); // still the title's until it ends
    ReleaseTitleObjects();
    EXPECT_EQ(g_ProbesDestroyed, 4);
    g_ProbeLog.clear();
}

TEST_F(TitleDraw, TheTraceShowsTheMenuOnTheTitleOnly) {
    EnterTitle();
    std::string line = TraceLine(0, "TitleInit");
    EXPECT_NE(line.find("\"title\":{\"phase\":0,\"sel\":0,\"moving\":0,\"speed\":0,\"at\":[0,-100]}"),
              std::string::npos)
        << line;
    PassFadeIn();
    GlideToSelector();
    Key('D', true);
    Frames(1);
    line = TraceLine(1, "TitleUpdate");
    EXPECT_NE(line.find("\"title\":{\"phase\":2,\"sel\":1,\"moving\":1,\"speed\":5.67,\"at\":[5.67,10]}"),
              std::string::npos)
        << line;
    g_SceneId = 1;
    line = TraceLine(2, "GameUpdate");
    EXPECT_NE(line.find("\"title\":null"), std::string::npos) << line;
}
