// Runs the game binary headless in a scratch copy of the runtime tree and reads its trace and screenshots.
#include "tests/e2e/E2ESupport.h"

#include <fstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

struct RunResult {
    int code = -1;
    std::string err;
};

// A scratch working directory: data/, xfile/, sound/ and image/ of the repository linked in, with our own
// all-black image/effect/black.png so that the fade overlay's colour does not depend on the assets.
class ShellE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("e2e");
        const fs::path src = BW_SOURCE_DIR;
        LinkRuntime({"data", "xfile", "sound"});
        fs::create_directories(dir / "image" / "effect");
        if (fs::exists(src / "image")) {
            for (const auto& e : fs::directory_iterator(src / "image"))
                if (e.path().filename() != "effect")
                    fs::create_directory_symlink(e.path(), dir / "image" / e.path().filename());
            if (fs::exists(src / "image" / "effect"))
                for (const auto& e : fs::directory_iterator(src / "image" / "effect"))
                    if (e.path().filename() != "black.png")
                        fs::create_symlink(e.path(), dir / "image" / "effect" / e.path().filename());
        }
        ASSERT_TRUE(WriteBlackPng(dir / "image/effect/black.png"));
    }

    RunResult Brinewisp(const std::string& args) {
        RunResult r;
        r.code = RunGame(args);
        r.err = Err();
        return r;
    }
};

const char* const kHeadless = "--headless --fast --windowed --seed 1";

// RGB of one pixel of a PNG.
bool Pixel(const fs::path& png, int x, int y, int rgb[3], int* w = nullptr, int* h = nullptr) {
    RgbImage img;
    if (!img.Load(png)) return false;
    if (w) *w = img.W();
    if (h) *h = img.H();
    for (int c = 0; c < 3; ++c)
        rgb[c] = img.At(x, y)[c];
    return true;
}

} // namespace

TEST_F(ShellE2E, HeadlessRunReachesTheTitleFadeAndQuits) {
    RunResult r =
        Brinewisp(std::string(kHeadless) + " --frames 200 --trace t.jsonl --shot-at 10,100 --shot-dir out");
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 200u);
    const char* keys[] = {"pass",     "proc",    "scene",     "stage",    "state",  "fade",   "alpha",
                          "tutorial", "targets", "followers", "menu",     "time",   "actors", "obstacles",
                          "shots",    "scenery", "effects",   "requests", "player", "cam"};
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        ASSERT_EQ(l.front(), '{');
        ASSERT_EQ(l.back(), '}');
        for (const char* k : keys)
            ASSERT_NE(RawValue(l, k), "<missing>") << k << " in " << l;
        EXPECT_EQ(IntValue(l, "pass"), (long long)i);
        EXPECT_EQ(RawValue(l, "proc"), i == 0 ? "\"TitleInit\"" : "\"TitleUpdate\"");
        EXPECT_EQ(IntValue(l, "scene"), 0);
        EXPECT_EQ(RawValue(l, "player"), "null");
        // The title fades in over 64 frames: 251, 247, ..., 3, then 0.
        const long long k = (long long)i;
        EXPECT_EQ(IntValue(l, "alpha"), k == 0 ? 255 : k < 64 ? 255 - 4 * k : 0) << l;
        EXPECT_EQ(IntValue(l, "fade"), k == 0 ? 1 : k < 64 ? 1 : k == 64 ? 3 : 0) << l;
    }
    // 60 frames a second on the virtual clock: frame 60 of the first window ends at 999 ms.
    EXPECT_EQ(IntValue(lines[60], "time"), 999);

    int rgb10[3], rgb100[3], w = 0, h = 0;
    ASSERT_TRUE(Pixel(dir / "out/pass-000010.png", 320, 240, rgb10, &w, &h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_TRUE(Pixel(dir / "out/pass-000100.png", 320, 240, rgb100));
    // Pass 100: the fade is over and the title still waits for its first input; the logo lies across the
    // centre of the view. Its letters are blue and cyan (green well above red, blue above green), unlike the
    // sandy seabed (red about green) and the fog (0xFF1E1EAA, red equal to green) around it.
    if (fs::exists(fs::path(BW_SOURCE_DIR) / "image/title/logo.png")) {
        EXPECT_GE(rgb100[1], rgb100[0] + 20) << rgb100[0] << "," << rgb100[1] << "," << rgb100[2];
        EXPECT_GE(rgb100[2], rgb100[1]);
    }
    // Pass 10: the black overlay at opacity 215 over the same scene: every channel x (255 - 215) / 255.
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(rgb10[c], rgb100[c] * (255 - 215) / 255.0, 2) << c;
    EXPECT_FALSE(fs::exists(dir / "out/pass-000011.png"));
}

TEST_F(ShellE2E, TwoRunsAreByteIdentical) {
    const std::string args = std::string(kHeadless) + " --frames 120 --shot-at 5,110";
    ASSERT_EQ(Brinewisp(args + " --trace a.jsonl --shot-dir a").code, 0);
    ASSERT_EQ(Brinewisp(args + " --trace b.jsonl --shot-dir b").code, 0);
    const std::string a = ReadText(dir / "a.jsonl");
    EXPECT_EQ(TextLines(a).size(), 120u);
    EXPECT_EQ(a, ReadText(dir / "b.jsonl"));
    for (const char* png : {"pass-000005.png", "pass-000110.png"}) {
        const std::string pa = ReadText(dir / "a" / png);
        EXPECT_FALSE(pa.empty()) << png;
        EXPECT_EQ(pa, ReadText(dir / "b" / png)) << png;
    }
}

TEST_F(ShellE2E, MalformedReplayIsRefusedWithItsLine) {
    std::ofstream(dir / "bad.txt") << "# fine so far\n0 down W\n3 jump\n";
    RunResult r = Brinewisp(std::string(kHeadless) + " --frames 10 --replay bad.txt --trace t.jsonl");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("bad.txt:3:"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "t.jsonl")); // refused before anything ran
    r = Brinewisp("--no-render --replay missing.txt");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("missing.txt"), std::string::npos) << r.err;
}

TEST_F(ShellE2E, UnknownFlagsAreRefused) {
    RunResult r = Brinewisp("--no-render --frobnicate");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--frobnicate"), std::string::npos) << r.err;
    // One line with a hint, not the whole usage.
    EXPECT_EQ(TextLines(r.err).size(), 1u) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    EXPECT_EQ(Brinewisp("--help").code, 0);
    EXPECT_NE(ReadText(dir / "stdout.txt").find("--replay"), std::string::npos);
    EXPECT_EQ(Brinewisp("--version").code, 0);
    const std::string version = ReadText(dir / "stdout.txt");
    EXPECT_EQ(version.rfind("brinewisp 1.", 0), 0u) << version;
    EXPECT_EQ(TextLines(version).size(), 1u);
}

TEST_F(ShellE2E, ReplayedEscapeOnTheTitleQuitsAtOnce) {
    std::ofstream(dir / "esc.txt") << "2 mouse 100 100\n5 down ESCAPE\n6 up ESCAPE\n";
    RunResult r = Brinewisp(
        "--no-render --fast --seed 3 --frames 100 --replay esc.txt --record rec.txt --trace t.jsonl");
    ASSERT_EQ(r.code, 0) << r.err;
    // Escape reaches the window before pass 5, so passes 0 to 4 ran.
    EXPECT_EQ(TextLines(ReadText(dir / "t.jsonl")).size(), 5u);
    // The recording holds the input that was applied.
    const std::string rec = ReadText(dir / "rec.txt");
    EXPECT_NE(rec.find("2 mouse 100 100\n"), std::string::npos) << rec;
    EXPECT_NE(rec.find("5 down ESCAPE\n"), std::string::npos) << rec;
}

TEST_F(ShellE2E, ReplayedCloseEndsTheRun) {
    std::ofstream(dir / "close.txt") << "30 close\n";
    RunResult r = Brinewisp("--no-render --fast --seed 3 --replay close.txt --trace t.jsonl");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(TextLines(ReadText(dir / "t.jsonl")).size(), 30u);
}

TEST_F(ShellE2E, NoRenderRunsTheStageFromTheCommandLine) {
    RunResult r = Brinewisp("--no-render --fast --seed 1 --stage 1 --frames 80 --trace t.jsonl");
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 80u);
    EXPECT_EQ(RawValue(lines[0], "proc"), "\"GameInit\"");
    EXPECT_EQ(IntValue(lines[0], "scene"), 1);
    EXPECT_EQ(IntValue(lines[0], "stage"), 1);
    EXPECT_EQ(RawValue(lines[1], "proc"), "\"GameUpdate\"");
    const std::string player = RawValue(lines[1], "player");
    EXPECT_NE(player.find("\"hp\":100"), std::string::npos) << player;
    EXPECT_EQ(RawValue(lines[79], "proc"), "\"GameUpdate\"");
}
