// What the player sees: the player's jellyfish, standing still on the open sand of stage 3 after the
// fade-in, stands out from the seabed in a headless screenshot, and its shadow still lies beneath it.
#include "tests/e2e/E2ESupport.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace e2e;

namespace {

struct V3 {
    double x, y, z;
};
V3 Sub(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V3 Unit(V3 a) {
    const double l = std::sqrt(Dot(a, a));
    return {a.x / l, a.y / l, a.z / l};
}

// The stage camera: a left-handed look from `eye` at `at` with y up, a 90-degree vertical field of view
// at 4:3 over the 640 x 480 screen.
class StageView {
  public:
    StageView(V3 eye, V3 at) : m_Eye(eye) {
        m_Z = Unit(Sub(at, eye));
        m_X = Unit(Cross({0, 1, 0}, m_Z));
        m_Y = Cross(m_Z, m_X);
    }
    // Screen position of a world point and its depth along the view.
    void Project(V3 p, double* sx, double* sy, double* depth) const {
        const V3 d = Sub(p, m_Eye);
        *depth = Dot(d, m_Z);
        *sx = 320.0 + 240.0 * Dot(d, m_X) / *depth; // 320 / (4/3 tan 45)
        *sy = 240.0 - 240.0 * Dot(d, m_Y) / *depth;
    }

  private:
    V3 m_Eye, m_X, m_Y, m_Z;
};

double Luminance(const unsigned char* px) {
    return (0.2126 * px[0] + 0.7152 * px[1] + 0.0722 * px[2]) / 255.0;
}

// A scratch directory with the whole generated runtime.
using LookE2E = GameDirTest;

} // namespace

TEST_F(LookE2E, ThePlayerGlowsOverOpenSandAndItsShadowStaysBeneathIt) {
    if (!MakeRuntimeDir("look-e2e", {"xfile/player.x", "image/effect/light.png", "image/game/ground.bmp"}))
        GTEST_SKIP() << "the generated assets are missing (run build/assetgen .)";
    const int shot = 150;
    ASSERT_EQ(RunGame("--headless --fast --seed 5 --stage 3 --frames 152 --shot-at 150 --trace t.jsonl"), 0)
        << Err();
    const std::vector<std::string> lines = FileLines(dir / "t.jsonl");
    ASSERT_GT(lines.size(), (size_t)shot);
    const std::string& line = lines[shot];
    ASSERT_EQ(IntValue(line, "fade"), 0) << "the fade-in is over";
    ASSERT_EQ(PlayerField(line, "vx"), 0.0) << "the player stands still";
    RgbImage img;
    ASSERT_TRUE(img.Load(dir / "pass-000150.png"));

    // The body bobs: its phase has grown by 0.03 at every update of the world, once as the stage is set up
    // and then in every pass that began with no fade running.
    int updates = 1;
    for (int p = 1; p <= shot; ++p)
        if (RawValue(lines[p], "proc") == "\"GameUpdate\"" && IntValue(lines[p - 1], "fade") == 0) ++updates;
    const double bob = (std::sin(0.03 * updates) + 1.0) * 3.0;
    const V3 pos{PlayerField(line, "x"), PlayerField(line, "y"), PlayerField(line, "z")};
    const std::vector<double> cam = Numbers(line, "cam");
    ASSERT_EQ(cam.size(), 3u);
    const StageView view({cam[0], cam[1], cam[2]}, {pos.x, pos.y + 3.0, pos.z});

    // The sand round the player: the seabed 13 to 18 units from the point under it, beyond the shadow.
    std::vector<double> sand;
    for (double r = 13.0; r <= 18.0; r += 1.0)
        for (int a = 0; a < 360; a += 2) {
            double sx, sy, depth;
            view.Project({pos.x + r * std::cos(a * 0.0174533), 0.0, pos.z + r * std::sin(a * 0.0174533)}, &sx,
                         &sy, &depth);
            if (sx >= 0 && sy >= 0 && sx < img.W() && sy < img.H())
                sand.push_back(Luminance(img.At((int)sx, (int)sy)));
        }
    ASSERT_GT(sand.size(), 500u);
    std::nth_element(sand.begin(), sand.begin() + sand.size() / 2, sand.end());
    const double sandLevel = sand[sand.size() / 2];

    // Within the collision circle (radius 2) round the body's centre on screen, most pixels are clearly
    // brighter than that sand.
    double cx, cy, depth;
    view.Project({pos.x, pos.y + bob, pos.z}, &cx, &cy, &depth);
    const double radius = 2.0 * 240.0 / depth;
    int inside = 0, brighter = 0;
    for (int y = (int)(cy - radius); y <= (int)(cy + radius) + 1; ++y)
        for (int x = (int)(cx - radius); x <= (int)(cx + radius) + 1; ++x) {
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > radius) continue;
            ++inside;
            if (Luminance(img.At(x, y)) > sandLevel + 0.1) ++brighter;
        }
    ASSERT_GT(inside, 200) << "the circle is about " << radius << " pixels wide";
    EXPECT_GT(brighter, inside * 6 / 10)
        << brighter << " of " << inside << " pixels brighter than sand at " << sandLevel << " (circle of "
        << radius << " px at " << cx << ", " << cy << ")";

    // The shadow: the seabed within 3 units of the point under the player, where the body does not cover
    // it, is clearly darker than the sand.
    double gx, gy, groundDepth;
    view.Project({pos.x, 0.0, pos.z}, &gx, &gy, &groundDepth);
    const double shadowRadius = 3.0 * 240.0 / groundDepth;
    int ground = 0, darker = 0;
    for (int y = (int)(gy - shadowRadius); y <= (int)(gy + shadowRadius) + 1; ++y)
        for (int x = (int)(gx - shadowRadius); x <= (int)(gx + shadowRadius) + 1; ++x) {
            if (std::hypot(x + 0.5 - gx, y + 0.5 - gy) > shadowRadius) continue;
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) < radius + 3.0) continue;
            ++ground;
            if (Luminance(img.At(x, y)) < sandLevel - 0.08) ++darker;
        }
    ASSERT_GT(ground, 50);
    EXPECT_GT(darker, ground / 2) << darker << " of " << ground << " pixels of the shadow darker than sand";
}
