// Meshes drawn through the shipped effect under a headless GL context, read back pixel by pixel.
#include "tests/unit/MeshTestImage.h"
#include "tests/unit/MeshTestScene.h"
#include "tests/unit/MeshTestUtil.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const D3DCOLOR kBlack = 0xFF000000;
const D3DCOLOR kTitleFog = 0xFF1E1EAA;
const Rgb kFogRgb{0x1E, 0x1E, 0xAA};

D3DXMATRIX Place(float x, float y, float z, float scale = 1.0f) {
    D3DXMATRIX s, t;
    D3DXMatrixScaling(&s, scale, scale, scale);
    D3DXMatrixTranslation(&t, x, y, z);
    return s * t;
}

// Next to the test binary: <build>/tests/screenshots.
std::string ScreenshotDir() {
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    std::string dir = n > 0 ? std::string(exe, (size_t)n) : std::string(".");
    dir = dir.substr(0, dir.find_last_of('/')) + "/screenshots";
    mkdir(dir.c_str(), 0755);
    return dir;
}

} // namespace

class EffectPixels : public GLScene {};

TEST_F(EffectPixels, LitMeshStandsOutAndFogCoversItWithDistance) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f));
    TestDeviceSetFog(m_Device, TRUE, kTitleFog, 30.0f, 60.0f);
    Rgb colour[3];
    const float depth[3] = {0.0f, 35.0f, 90.0f}; // unfogged, partly fogged, beyond the fog's end
    for (int i = 0; i < 3; ++i) {
        TestDeviceClear(m_Device, kBlack);
        float scale = (10.0f + depth[i]) / 10.0f; // the same size on screen at every distance
        DrawMesh(sphere.rec, Place(0, 0, depth[i], scale), 0);
        Read();
        colour[i] = At(320, 240);
        if (i == 0) {
            EXPECT_EQ(Distance(At(10, 10), Rgb{0, 0, 0}), 0); // away from the mesh: the clear colour
        }
    }
    EXPECT_GT(Distance(colour[0], Rgb{0, 0, 0}), 300) << "the lit sphere is bright";
    EXPECT_GT(Distance(colour[0], kFogRgb), Distance(colour[1], kFogRgb));
    EXPECT_GT(Distance(colour[1], kFogRgb), Distance(colour[2], kFogRgb));
    EXPECT_LE(Distance(colour[2], kFogRgb), 6) << "beyond the end the mesh is fog coloured";

    // The red fog of a death covers meshes as well.
    TestDeviceSetFog(m_Device, TRUE, 0xFFFF4646, 30.0f, 90.0f);
    TestDeviceClear(m_Device, kBlack);
    DrawMeshColored(sphere.rec, Place(0, 0, 90.0f, 10.0f), D3DXCOLOR(1, 1, 1, 1), 1);
    Read();
    Rgb red = At(320, 240);
    EXPECT_GT(red.r, 100);
    EXPECT_GT(red.r, red.b + 60);
}

TEST_F(EffectPixels, GreenPointLightBrightensMeshesWithinItsRange) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f), D3DCOLORVALUE{0.3f, 0.3f, 0.3f, 1.0f});
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = light.Specular = light.Ambient = {0.0f, 0.7f, 0.0f, 1.0f};
    light.Position = {0.0f, 0.0f, -4.0f};
    light.Range = 60.0f;
    light.Attenuation1 = 0.05f;

    auto draw = [&](BOOL on) {
        TestDeviceSetLight(m_Device, 1, light, on);
        TestDeviceClear(m_Device, kBlack);
        DrawMesh(sphere.rec, Place(0, 0, 0), 0);
        Read();
        return At(320, 240);
    };
    Rgb off = draw(FALSE), on = draw(TRUE);
    EXPECT_GT(on.g, off.g + 40);
    EXPECT_LE(std::abs(on.r - off.r), 2);
    light.Position = {0.0f, 0.0f, 200.0f}; // out of range
    Rgb far = draw(TRUE);
    EXPECT_LE(std::abs(far.g - off.g), 2);
}

TEST_F(EffectPixels, WorldMatricesComposeAsRowVectors) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f));
    TestDeviceClear(m_Device, kBlack);
    // Scale, then move: the half-size sphere sits at (3, 2, 0). Moving first would put it at (1.5, 1, 0).
    D3DXMATRIX s, t;
    D3DXMatrixScaling(&s, 0.5f, 0.5f, 0.5f);
    D3DXMatrixTranslation(&t, 3, 2, 0);
    DrawMesh(sphere.rec, s * t, 0);
    Read();
    EXPECT_GT(Distance(AtWorld(D3DXVECTOR3(3, 2, 0)), Rgb{0, 0, 0}), 100);
    EXPECT_EQ(Distance(AtWorld(D3DXVECTOR3(1.5f, 1, 0)), Rgb{0, 0, 0}), 0);
    EXPECT_EQ(Distance(AtWorld(D3DXVECTOR3(-3, 2, 0)), Rgb{0, 0, 0}), 0);
    EXPECT_EQ(Distance(AtWorld(D3DXVECTOR3(3, -2, 0)), Rgb{0, 0, 0}), 0);
    int x, y;
    Project(D3DXVECTOR3(3, 2, 0), &x, &y);
    EXPECT_GT(x, 320); // right of centre
    EXPECT_LT(y, 240); // above centre
}

TEST_F(EffectPixels, ClockwiseFacesAreFrontAndTheDeviceCullModeIsInherited) {
    auto triangle = [&](bool clockwise) {
        ID3DXMesh* mesh = nullptr;
        D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, 0x112, m_Device, &mesh);
        float* v = nullptr;
        mesh->LockVertexBuffer(0, (void**)&v);
        const float corners[3][3] = {{-2, -2, 0}, {0, 2, 0}, {2, -2, 0}}; // bottom left, top, bottom right
        for (int i = 0; i < 3; ++i) {
            v[i * 8 + 0] = corners[i][0], v[i * 8 + 1] = corners[i][1], v[i * 8 + 2] = corners[i][2];
            v[i * 8 + 5] = -1.0f; // facing the camera
        }
        mesh->UnlockVertexBuffer();
        WORD* ib = nullptr;
        mesh->LockIndexBuffer(0, (void**)&ib);
        ib[0] = 0, ib[1] = clockwise ? 1 : 2, ib[2] = clockwise ? 2 : 1;
        mesh->UnlockIndexBuffer();
        return mesh;
    };
    TestRecord cw(triangle(true)), ccw(triangle(false));
    auto visible = [&](TestRecord& rec) {
        TestDeviceClear(m_Device, kBlack);
        DrawMesh(rec.rec, Place(0, 0, 0), 0);
        Read();
        return Distance(At(320, 250), Rgb{0, 0, 0}) > 0;
    };
    EXPECT_TRUE(visible(cw));
    EXPECT_FALSE(visible(ccw));
    TestDeviceSetCull(m_Device, D3DCULL_NONE); // as the player's draw does
    EXPECT_TRUE(visible(ccw));
    TestDeviceSetCull(m_Device, D3DCULL_CW);
    EXPECT_FALSE(visible(cw));
}

TEST_F(EffectPixels, MaterialTexturesFromAnXFileAreSampledTheRightWayUp) {
    ScratchDir dir("effect");
    ScopedWorkingDir cwd(dir.Path());
    ASSERT_TRUE(WriteCheckerPng("checker.png"));
    WriteTextFile("quad.x", R"(xof 0303txt 0032
Mesh {
 4;
 -2.0;2.0;0.0;, 2.0;2.0;0.0;, 2.0;-2.0;0.0;, -2.0;-2.0;0.0;;
 1;
 4;0,1,2,3;;
 MeshNormals { 1; 0.0;0.0;-1.0;; 1; 4;0,0,0,0;; }
 MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }
 MeshMaterialList { 1; 1; 0;;
  Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "checker.png"; } }
 }
}
)");
    MeshData quad;
    LoadMesh(quad, "quad.x");
    ASSERT_NE(quad.pMesh, nullptr);
    ASSERT_NE(quad.ppTextures[0], nullptr);
    TestDeviceClear(m_Device, kBlack);
    DrawMesh(quad, Place(0, 0, 0), 0);
    Read();
    // Texel centres: red top left, green top right, blue bottom left, white bottom right.
    Rgb tl = AtWorld(D3DXVECTOR3(-1, 1, 0)), tr = AtWorld(D3DXVECTOR3(1, 1, 0));
    Rgb bl = AtWorld(D3DXVECTOR3(-1, -1, 0)), br = AtWorld(D3DXVECTOR3(1, -1, 0));
    EXPECT_LE(Distance(tl, Rgb{255, 0, 0}), 12);
    EXPECT_LE(Distance(tr, Rgb{0, 255, 0}), 12);
    EXPECT_LE(Distance(bl, Rgb{0, 0, 255}), 12);
    EXPECT_LE(Distance(br, Rgb{255, 255, 255}), 12);
    ReleaseMesh(quad);
}

TEST_F(EffectPixels, ScreenshotOfAMeshThroughEveryPass) {
    TestRecord sphere(MakeSphere(m_Device, 1.0f), D3DCOLORVALUE{0.9f, 0.75f, 0.6f, 1.0f});
    D3DLIGHT9 green{};
    green.Type = D3DLIGHT_POINT;
    green.Diffuse = green.Ambient = green.Specular = {0.0f, 0.7f, 0.0f, 1.0f};
    green.Position = {4.0f, 0.0f, -2.0f};
    green.Range = 60.0f;
    green.Attenuation1 = 0.05f;
    TestDeviceSetLight(m_Device, 1, green, TRUE);
    TestDeviceSetFog(m_Device, TRUE, kTitleFog, 30.0f, 60.0f);
    TestDeviceClear(m_Device, kTitleFog);
    const D3DXCOLOR tints[9] = {{1, 1, 1, 1},
                                {0.6f, 0.9f, 1.0f, 0.8f},
                                {1, 1, 1, 1},
                                {1.0f, 0.9f, 0.3f, 0.9f},
                                {1, 1, 1, 0.75f},
                                {0.4f, 0.9f, 0.4f, 1.0f},
                                {1, 1, 1, 1},
                                {1.0f, 0.8f, 1.0f, 0.05f},
                                {1.0f, 0.5f, 0.7f, 1.0f}};
    D3DXVECTOR3 centres[9];
    for (int pass = 0; pass < 9; ++pass) {
        centres[pass] = D3DXVECTOR3(-2.8f + 2.8f * (float)(pass % 3), 2.1f - 2.1f * (float)(pass / 3), 0.0f);
        D3DXMATRIX world = Place(centres[pass].x, centres[pass].y, centres[pass].z, 0.9f);
        if (pass == 0 || pass == 2 || pass == 6)
            DrawMesh(sphere.rec, world, pass);
        else
            DrawMeshColored(sphere.rec, world, tints[pass], pass);
    }
    Read();
    std::string path = ScreenshotDir() + "/effect_passes.png";
    EXPECT_TRUE(WritePng(path, 640, 480, m_Pixels)) << path;
    for (int pass = 0; pass < 9; ++pass)
        EXPECT_GT(Distance(AtWorld(centres[pass]), kFogRgb), 20) << "pass " << pass << " drew nothing";
    EXPECT_EQ(Distance(At(5, 5), kFogRgb), 0);
}
