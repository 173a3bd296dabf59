// Windows of other shapes and sizes, headless: the picture keeps its shape between black bars, the mouse
// maps through the bars into the picture, and a finer back buffer shows more detail without changing
// anything the game computes.
#include "tests/e2e/E2ESupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

class ScreenE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!MakeRuntimeDir("screen-e2e", {"image/title/start.png", "xfile/player.x", "xfile/football.x"}))
            GTEST_SKIP() << "the generated assets are missing (run build/assetgen .)";
    }

    static std::string Shot(const std::string& folder, long long pass) {
        char name[32];
        std::snprintf(name, sizeof name, "/pass-%06lld.png", pass);
        return folder + name;
    }
};

bool Black(const unsigned char* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

// Pixels of column x that are not black.
int LitInColumn(const RgbImage& img, int x) {
    int lit = 0;
    for (int y = 0; y < img.H(); ++y)
        lit += Black(img.At(x, y)) ? 0 : 1;
    return lit;
}

// The fine detail of an image: the mean absolute difference between horizontal and vertical neighbours.
double Detail(const RgbImage& img) {
    double sum = 0.0;
    long long n = 0;
    for (int y = 0; y + 1 < img.H(); ++y)
        for (int x = 0; x + 1 < img.W(); ++x)
            for (int c = 0; c < 3; ++c) {
                sum += std::abs(img.At(x + 1, y)[c] - img.At(x, y)[c]);
                sum += std::abs(img.At(x, y + 1)[c] - img.At(x, y)[c]);
                n += 2;
            }
    return sum / (double)n;
}

// The same detail measure of an image shown twice as large, every pixel doubled.
double DoubledDetail(const RgbImage& img) {
    double sum = 0.0;
    long long n = 0;
    for (int y = 0; y + 1 < img.H() * 2; ++y)
        for (int x = 0; x + 1 < img.W() * 2; ++x)
            for (int c = 0; c < 3; ++c) {
                const int here = img.At(x / 2, y / 2)[c];
                sum += std::abs(img.At((x + 1) / 2, y / 2)[c] - here);
                sum += std::abs(img.At(x / 2, (y + 1) / 2)[c] - here);
                n += 2;
            }
    return sum / (double)n;
}

// A trace without its "scale" key.
std::string WithoutScale(const std::string& trace) {
    std::string out;
    for (const std::string& line : TextLines(trace)) {
        const size_t at = line.find(",\"scale\":");
        out += at == std::string::npos ? line : line.substr(0, at) + line.substr(line.find('}', at));
        out += '\n';
    }
    return out;
}

} // namespace

// A 1280 x 720 window holds a 960 x 720 picture between bars 160 pixels wide (drawn at 1.5 pixels a
// picture pixel, the most that --render-scale 2 can have there). The mouse, where a player
// puts it in the window, reaches the game through the bars: over a bar it falls outside the picture, and a
// click where the title's start panel is drawn starts stage 1.
TEST_F(ScreenE2E, AWideWindowShowsThePictureBetweenBarsAndClicksReachItThroughThem) {
    const ScreenPoint start = ProjectOnTitle(0.0, 10.0, 0.0, 6.5, -5.0); // the panel over stage 1
    std::ostringstream replay;
    replay << "0 window-mouse 80 360\n"          // over the left bar
           << "70 window-mouse 640 450\n"        // the picture's (320, 300)
           << "80 down LBUTTON\n82 up LBUTTON\n" // the glide to the selector
           << "140 window-mouse " << 160 + start.x * 3 / 2 << " " << start.y * 3 / 2 << "\n"
           << "142 down LBUTTON\n143 up LBUTTON\n";
    std::ofstream(dir / "replay.txt") << replay.str();
    ASSERT_EQ(RunGame("--headless --fast --seed 5 --replay replay.txt --window 1280x720 --render-scale 2 "
                      "--frames 215 --trace t.jsonl --shot-at 60 --shot-window --shot-dir shots"),
              0)
        << Err();
    const std::vector<std::string> lines = FileLines(dir / "t.jsonl");
    ASSERT_EQ(lines.size(), 215u);

    RgbImage shot;
    ASSERT_TRUE(shot.Load(dir / Shot("shots", 60)));
    ASSERT_EQ(shot.W(), 1280);
    ASSERT_EQ(shot.H(), 720);
    for (int x : {0, 80, 159, 1120, 1200, 1279})
        EXPECT_EQ(LitInColumn(shot, x), 0) << "column " << x << " belongs to a bar";
    for (int x : {160, 400, 640, 880, 1119})
        EXPECT_GT(LitInColumn(shot, x), 700) << "column " << x << " belongs to the picture";
    EXPECT_EQ(Numbers(lines[60], "scale"), std::vector<double>{1.5});

    // Window (80, 360) is 80 points into the bar: (80 - 160) / 1.5 picture pixels left of the picture.
    const std::vector<double> overBar = Numbers(lines[10], "cursor");
    ASSERT_EQ(overBar.size(), 2u);
    EXPECT_NEAR(overBar[0], -53.333, 0.01);
    EXPECT_NEAR(overBar[1], 240.0, 0.01);
    EXPECT_EQ(Numbers(lines[75], "cursor"), (std::vector<double>{320, 300}));

    // The start click chose stage 1: menu 0 at the click, then the fade-out and stage 1's set-up.
    EXPECT_EQ(IntValue(lines[142], "menu"), 0);
    const int gameInit = FirstProc(lines, 142, "GameInit");
    ASSERT_GT(gameInit, 142);
    EXPECT_EQ(IntValue(lines[gameInit], "stage"), 1);
    EXPECT_EQ(IntValue(lines[gameInit], "scene"), 1);
}

// The back buffer at twice the picture's size (a 1280 x 960 window): the frame is 1280 x 960 pixels and
// holds finer detail than the same frame drawn at 640 x 480 (the default window, scale 1) and doubled, and
// the play-through's trace is the one of scale 1 but for the "scale" key.
TEST_F(ScreenE2E, ScaleTwoDrawsFinerDetailAndChangesNothingTheGameComputes) {
    // Stage 1 from its start: the player swims and fires after the fade-in.
    std::ofstream(dir / "replay.txt") << "0 mouse 420 200\n70 down W\n70 down D\n90 down LBUTTON\n";
    const std::string common =
        "--headless --fast --seed 5 --stage 1 --frames 130 --shot-at 120 --shot-native "
        "--replay replay.txt";
    ASSERT_EQ(RunGame(common + " --trace t1.jsonl --shot-dir s1"), 0) << Err();
    ASSERT_EQ(RunGame(common + " --window 1280x960 --render-scale 2 --trace t2.jsonl --shot-dir s2"), 0)
        << Err();

    const std::string t1 = ReadText(dir / "t1.jsonl"), t2 = ReadText(dir / "t2.jsonl");
    const std::vector<std::string> lines1 = TextLines(t1), lines2 = TextLines(t2);
    ASSERT_EQ(lines1.size(), 130u);
    ASSERT_EQ(lines2.size(), 130u);
    EXPECT_EQ(Numbers(lines1[120], "scale"), std::vector<double>{1});
    EXPECT_EQ(Numbers(lines2[120], "scale"), std::vector<double>{2});
    EXPECT_NE(RawValue(lines2[120], "player"), "null"); // the frame is one of play
    EXPECT_GT(IntValue(lines2[129], "shots"), 0);
    EXPECT_TRUE(WithoutScale(t1) == WithoutScale(t2)) << "drawing finer changed what the game computes";

    RgbImage coarse, fine;
    ASSERT_TRUE(coarse.Load(dir / Shot("s1", 120)));
    ASSERT_TRUE(fine.Load(dir / Shot("s2", 120)));
    ASSERT_EQ(coarse.W(), 640);
    ASSERT_EQ(coarse.H(), 480);
    ASSERT_EQ(fine.W(), 1280);
    ASSERT_EQ(fine.H(), 960);
    const double doubled = DoubledDetail(coarse), drawn = Detail(fine);
    EXPECT_GT(drawn, doubled * 1.1) << "scale 2 " << drawn << ", scale 1 doubled " << doubled;
}

// The settings file's render_scale is the scale of every run that does not give --render-scale.
TEST_F(ScreenE2E, TheSettingsChooseTheScaleUnlessTheCommandLineDoes) {
    std::ofstream(dir / "s.ini") << "render_scale = 2\n";
    const std::string common = "--headless --fast --seed 5 --window 1280x960 --settings s.ini --frames 3";
    ASSERT_EQ(RunGame(common + " --trace set.jsonl"), 0) << Err();
    ASSERT_EQ(RunGame(common + " --render-scale 1 --trace flag.jsonl"), 0) << Err();
    EXPECT_EQ(Numbers(FileLines(dir / "set.jsonl").at(2), "scale"), std::vector<double>{2});
    EXPECT_EQ(Numbers(FileLines(dir / "flag.jsonl").at(2), "scale"), std::vector<double>{1});
}
