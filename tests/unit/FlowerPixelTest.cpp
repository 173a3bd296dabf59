// The flower's green light under a headless GL context, through the shipped effect: it lights what stands
// near the flower while the flower stands, and no more once it is finished.
#include "tests/unit/FlowerTestSupport.h"
#include "tests/unit/MeshTestImage.h"
#include "tests/unit/MeshTestScene.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const D3DCOLOR kSea = 0xFF101030;

std::string ScreenshotPath(const char* name) {
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    std::string dir = n > 0 ? std::string(exe, (size_t)n) : std::string(".");
    dir = dir.substr(0, dir.find_last_of('/')) + "/screenshots";
    mkdir(dir.c_str(), 0755);
    return dir + "/" + name;
}

D3DXMATRIX Place(const D3DXVECTOR3& at, float scale) {
    D3DXMATRIX s, t;
    D3DXMatrixScaling(&s, scale, scale, scale);
    D3DXMatrixTranslation(&t, at.x, at.y, at.z);
    return s * t;
}

class FlowerPixels : public GLScene {
  protected:
    void SetUp() override {
        GLScene::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        WorldReset::Reset();
        std::srand(3);
        // Looking down at the flower's place from the front.
        D3DXVECTOR3 eye(30, 35, -110), at(30, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&m_View, &eye, &at, &up);
        SetShaderCamera(m_View, m_Proj);
    }
    void TearDown() override {
        g_MeshFlowerCenter = MeshData{};
        WorldReset::Reset();
        SetObjectArena(ObjectArena::Program);
        GLScene::TearDown();
    }

    // Mean colour of the screen box around a sphere of the given radius.
    Rgb Mean(const D3DXVECTOR3& centre, float radius) {
        int x0, y0, x1, y1;
        Project(centre + D3DXVECTOR3(-radius * 0.7f, radius * 0.7f, 0), &x0, &y0);
        Project(centre + D3DXVECTOR3(radius * 0.7f, -radius * 0.7f, 0), &x1, &y1);
        long r = 0, g = 0, b = 0, n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x, ++n) {
                Rgb c = At(x, y);
                r += c.r, g += c.g, b += c.b;
            }
        if (n == 0) return Rgb{0, 0, 0};
        return Rgb{(int)(r / n), (int)(g / n), (int)(b / n)};
    }
};

} // namespace

TEST_F(FlowerPixels, TheGreenLightLightsARockNextToTheFlowerUntilTheFlowerIsFinished) {
    TestRecord ball(MakeSphere(m_Device, 1.0f), D3DCOLORVALUE{0.3f, 0.3f, 0.3f, 1.0f});
    TestRecord centre(MakeSphere(m_Device, 1.0f), D3DCOLORVALUE{0.9f, 0.6f, 0.9f, 1.0f});
    g_MeshFlowerCenter = centre.rec;
    const D3DXVECTOR3 nearRock(-20, 6, 0),
        farRock(85, 6, 0); // 20 and 85 from the flower: in and out of reach

    CFlower* flower = NewObject<CFlower>();
    flower->m_Pos = D3DXVECTOR3(0, 0, 0);
    ObstacleList.push_back(flower);
    auto frame = [&](const char* shot, bool withFlower) {
        TestDeviceClear(m_Device, kSea);
        if (withFlower) flower->Draw();
        DrawMesh(ball.rec, Place(nearRock, 6.0f), 0);
        DrawMesh(ball.rec, Place(farRock, 6.0f), 0);
        Read();
        std::vector<unsigned char> px = m_Pixels;
        EXPECT_TRUE(WritePng(ScreenshotPath(shot), 640, 480, px));
    };

    frame("flower_none.png", false); // no flower yet: light 1 is off
    const Rgb nearDark = Mean(nearRock, 6), farDark = Mean(farRock, 6);
    EXPECT_GT(Distance(nearDark, Rgb{0x10, 0x10, 0x30}), 30) << "the rocks are drawn";

    flower->Init();
    frame("flower_lit.png", true);
    EXPECT_GT(Distance(AtWorld(D3DXVECTOR3(0, 2, 0)), Rgb{0x10, 0x10, 0x30}), 30) << "the centre is drawn";
    const Rgb nearLit = Mean(nearRock, 6), farLit = Mean(farRock, 6);
    EXPECT_GT(nearLit.g, nearDark.g + 30) << "the rock next to the flower turns green";
    EXPECT_LE(std::abs(nearLit.r - nearDark.r), 2);
    EXPECT_LE(std::abs(nearLit.b - nearDark.b), 2);
    EXPECT_LE(Distance(farLit, farDark), 3) << "out of the light's range";

    for (int i = 0; i < 5; ++i) {
        AddShot(0, flower->m_Blossom[0].Pos);
        AddShot(0, flower->m_Blossom[1].Pos);
    }
    flower->Update();
    ASSERT_EQ(flower->m_bDone, 1);
    frame("flower_finished.png", true);
    const Rgb nearAfter = Mean(nearRock, 6);
    EXPECT_LE(Distance(nearAfter, nearDark), 3) << "the light is out";
    EXPECT_EQ(Distance(AtWorld(D3DXVECTOR3(0, 2, 0)), Rgb{0x10, 0x10, 0x30}), 0) << "the centre is gone";
}
