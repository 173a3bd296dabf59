// The seabed, the cursor and the stage camera as the game binary shows them, headless in a scratch runtime
// tree with images of our own.
#include "stb_image_write.h"
#include "tests/e2e/E2ESupport.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb Mean(const std::vector<Rgb>& colours) {
    Rgb m;
    for (const Rgb& c : colours)
        m.r += c.r, m.g += c.g, m.b += c.b;
    const double n = colours.empty() ? 1.0 : (double)colours.size();
    m.r /= n, m.g /= n, m.b /= n;
    return m;
}

class Image {
  public:
    bool Load(const fs::path& png) { return m_Img.Load(png); }
    int W() const { return m_Img.W(); }
    int H() const { return m_Img.H(); }
    Rgb At(int x, int y) const {
        const unsigned char* p = m_Img.At(x, y);
        return Rgb{(double)p[0], (double)p[1], (double)p[2]};
    }
    // The mean colour of row y from column x0 up to (not including) x1.
    Rgb StripMean(int y, int x0, int x1) const {
        std::vector<Rgb> strip;
        for (int x = x0; x < x1; ++x)
            strip.push_back(At(x, y));
        return Mean(strip);
    }

  private:
    RgbImage m_Img;
};

double Distance(const Rgb& a, const Rgb& b) {
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b));
}

const Rgb kClear{60, 60, 255};      // the stage's clear colour 0xFF3C3CFF
const Rgb kFog{70, 70, 255};        // the stage's fog colour 0xFF4646FF
const Rgb kSandTop{200, 110, 40};   // top half of the seabed image (v < 0.5)
const Rgb kSandBottom{60, 180, 60}; // bottom half

// A scratch working directory holding only the effect file of the repository and files of ours: a
// 1024 x 1024 seabed image whose top half is orange and bottom half green (so that the floor shows where the
// texture repeats), an opaque magenta 32 x 32 cursor, an all-black fade image, and stage files 1 and 2 that
// hold one target each far out in a corner (so the stage is played, not cleared at once). No meshes:
// nothing covers the floor around the player.
class CameraE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("cam");
        const fs::path src = BW_SOURCE_DIR;
        fs::create_directories(dir / "data");
        std::ofstream(dir / "data/stage1.csv") << "type,x,y,z\n2,-450,0,450\n"; // a football
        std::ofstream(dir / "data/stage2.csv") << "type,x,y,z\n3,-450,0,450\n"; // an anemone
        fs::create_directories(dir / "image" / "game");
        fs::create_directories(dir / "image" / "effect");
        if (fs::exists(src / "data" / "shader.fx"))
            fs::create_symlink(src / "data" / "shader.fx", dir / "data/shader.fx");

        const int n = 1024;
        std::vector<unsigned char> ground((size_t)n * n * 3);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const Rgb& c = y < n / 2 ? kSandTop : kSandBottom;
                unsigned char* p = &ground[((size_t)y * n + x) * 3];
                p[0] = (unsigned char)c.r, p[1] = (unsigned char)c.g, p[2] = (unsigned char)c.b;
            }
        ASSERT_TRUE(stbi_write_bmp((dir / "image/game/ground.bmp").c_str(), n, n, 3, ground.data()));

        std::vector<unsigned char> cursor(32 * 32 * 4);
        for (size_t i = 0; i < cursor.size(); i += 4)
            cursor[i] = 255, cursor[i + 1] = 0, cursor[i + 2] = 255, cursor[i + 3] = 255;
        ASSERT_TRUE(
            stbi_write_png((dir / "image/game/cursor.png").c_str(), 32, 32, 4, cursor.data(), 32 * 4));

        ASSERT_TRUE(WriteBlackPng(dir / "image/effect/black.png"));
    }

    int Run(const std::string& args) { return RunGame("--headless --fast --windowed --seed 1 " + args); }
    void WriteReplay(const std::string& text) { std::ofstream(dir / "replay.txt") << text; }
};

} // namespace

TEST_F(CameraE2E, StageShowsTheTiledFoggedSeabedAndTheCursor) {
    WriteReplay("0 mouse 320 420\n");
    ASSERT_EQ(Run("--stage 2 --frames 101 --replay replay.txt --trace t.jsonl --shot-at 100 --shot-dir out"),
              0)
        << ReadText(dir / "stderr.txt");
    const std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(Numbers(lines[100], "fade"), std::vector<double>{0.0}) << "the fade-in is over";
    EXPECT_EQ(Numbers(lines[100], "state"), std::vector<double>{0.0}) << "the stage is still being played";
    EXPECT_EQ(Numbers(lines[100], "cursor"), (std::vector<double>{320.0, 420.0}));

    Image img;
    ASSERT_TRUE(img.Load(dir / "out" / "pass-000100.png"));
    ASSERT_EQ(img.W(), 640);
    ASSERT_EQ(img.H(), 480);

    // The player stands at (0, 6, 80) in the middle of the screen and the cursor below it; the strips beside
    // them show only the floor.
    auto strips = [&img](int y) { return Mean({img.StripMean(y, 0, 200), img.StripMean(y, 440, 640)}); };

    // Near the bottom the floor is close: its own colour, little fog, nothing like the clear colour.
    const Rgb bottom = strips(470);
    EXPECT_GT(Distance(bottom, kClear), 100.0) << bottom.r << "," << bottom.g << "," << bottom.b;
    EXPECT_LT(bottom.b, 150.0);
    // Further away the fog takes over: the top of the frame is nearer the fog colour than the bottom, and
    // every row is at least as near as the rows below it.
    const Rgb top = strips(5);
    EXPECT_LT(Distance(top, kFog) + 40.0, Distance(bottom, kFog));
    EXPECT_GT(top.b, bottom.b + 40.0);
    for (int y = 5; y < 470; y += 15)
        EXPECT_LE(Distance(strips(y), kFog), Distance(strips(y + 15), kFog) + 1.0) << "row " << y;

    // The tile under the player ends at z 100: up to there the floor shows the orange top half of the image
    // (v from 0.28 down to 0), beyond it the next tile starts again at its green bottom half (v 1 to 0.75).
    for (int x : {20, 100, 540, 620}) {
        for (int y : {5, 60, 120}) {
            const Rgb far = img.At(x, y);
            EXPECT_GT(far.g, far.r + 20) << x << "," << y;
        }
        for (int y : {220, 350, 470}) {
            const Rgb near = img.At(x, y);
            EXPECT_GT(near.r, near.g + 20) << x << "," << y;
        }
    }

    // The cursor: 24 x 24 magenta pixels centred on (320, 420).
    for (int dy : {-10, 0, 10})
        for (int dx : {-10, 0, 10}) {
            const Rgb c = img.At(320 + dx, 420 + dy);
            EXPECT_GT(c.r, 230) << dx << "," << dy;
            EXPECT_LT(c.g, 30) << dx << "," << dy;
            EXPECT_GT(c.b, 230) << dx << "," << dy;
        }
    const int outside[4][2] = {{-14, 0}, {14, 0}, {0, -14}, {0, 14}};
    for (const auto& d : outside) {
        const Rgb c = img.At(320 + d[0], 420 + d[1]);
        EXPECT_GT(c.g, 40) << "outside the cursor at " << d[0] << "," << d[1];
    }
}

TEST_F(CameraE2E, HoldingWRaisesTheCameraWhileItStaysBehindThePlayer) {
    // The fade-in ends after pass 64; W is held from pass 70 for 120 frames.
    WriteReplay("70 down W\n190 up W\n");
    ASSERT_EQ(Run("--stage 1 --frames 200 --replay replay.txt --trace t.jsonl"), 0)
        << ReadText(dir / "stderr.txt");
    const std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 200u);
    double topRise = -1.0;
    for (size_t pass = 1; pass < lines.size(); ++pass) {
        const std::string& l = lines[pass];
        const std::vector<double> cam = Numbers(l, "cam");
        ASSERT_EQ(cam.size(), 3u) << l;
        const double px = PlayerField(l, "x"), py = PlayerField(l, "y"), pz = PlayerField(l, "z");
        ASSERT_FALSE(std::isnan(px)) << l;
        // The camera follows the player's translation of the frame before; it swims at most 0.2 a frame.
        EXPECT_NEAR(cam[0], px, 0.5) << "pass " << pass;
        EXPECT_NEAR(cam[2], pz - 10.0, 0.5) << "pass " << pass;
        const double rise = cam[1] - py - 40.0;
        if (pass < 70) {
            EXPECT_NEAR(rise, 0.0, 0.5) << "pass " << pass;
        } else if (pass == 100) {
            EXPECT_NEAR(rise, 6.0, 0.5) << "climbing 0.2 a frame";
        }
        if (pass >= 150) topRise = std::max(topRise, rise);
        ASSERT_EQ(Numbers(l, "cursor").size(), 2u) << l;
    }
    EXPECT_NEAR(topRise, 15.0, 0.5);
    // After the key is let go the camera holds its height.
    const std::string& last = lines.back();
    EXPECT_NEAR(Numbers(last, "cam")[1] - PlayerField(last, "y") - 40.0, topRise, 0.05);
}
