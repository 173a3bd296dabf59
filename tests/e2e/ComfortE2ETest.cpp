// The player's comforts in the real binary: P pauses a stage (nothing moves, the picture stands with its
// board, and the game goes on afterwards exactly as if the pause had not been), the window's focus, the
// volume keys with their indicator, and the settings file of --settings, which harness runs otherwise
// leave alone.
#include "tests/e2e/E2ESupport.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

class ComfortE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!MakeRuntimeDir("comfort", {"xfile/anemone.x", "image/game/paused.png"}))
            GTEST_SKIP() << "run build/assetgen . first";
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }
    // The trace of a stage 1 run without drawing.
    std::vector<std::string> StageTrace(const std::string& replay, const std::string& more = "") {
        Write("in.replay", replay);
        EXPECT_EQ(RunGame("--no-render --fast --seed 7 --stage 1 --replay in.replay --trace t.jsonl " + more),
                  0)
            << Err();
        return FileLines(dir / "t.jsonl");
    }
};

// A trace line without the keys that tell passes apart whatever happens: the pass, the clock and the pause.
std::string GameState(const std::string& line) {
    static const std::regex pass("^\\{\"pass\":[0-9]+,"), time(",\"time\":[0-9]+"),
        paused(",\"paused\":[01]");
    return std::regex_replace(std::regex_replace(std::regex_replace(line, pass, "{"), time, ""), paused, "");
}

// Swims forward, stops, fires, strafes: every event from pass 150 on comes `shift` passes later. The extra
// events ("<pass> <event>" lines) go in among them in pass order.
std::string Play(int shift, const std::string& extra = "") {
    std::vector<std::pair<long long, std::string>> events = {
        {0, "mouse 400 200"},   {80, "down W"},      {200, "up W"},   {230, "down LBUTTON"},
        {240, "mouse 250 180"}, {330, "up LBUTTON"}, {350, "down D"}, {420, "up D"}};
    for (auto& e : events)
        if (e.first >= 150) e.first += shift;
    std::istringstream lines(extra);
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.find(' ');
        events.emplace_back(std::stoll(line.substr(0, space)), line.substr(space + 1));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (const auto& e : events)
        out += std::to_string(e.first) + " " + e.second + "\n";
    return out;
}

} // namespace

// P at pass 150 and again at 270: the 120 passes between are paused. In them the player, every creature and
// the stage's state stay as they were at the end of pass 149 while the clock runs on; afterwards each pass
// is the unpaused run's pass 120 earlier.
TEST_F(ComfortE2E, PausedPassesStandStillAndThePlayGoesOnAsIfUnpaused) {
    const std::vector<std::string> plain = StageTrace(Play(0), "--frames 600");
    const std::vector<std::string> paused =
        StageTrace(Play(120, "150 down P\n151 up P\n270 down P\n271 up P\n"), "--frames 720");
    ASSERT_EQ(plain.size(), 600u);
    ASSERT_EQ(paused.size(), 720u);
    for (int p = 0; p < 150; ++p)
        ASSERT_EQ(paused[p], plain[p]) << "pass " << p;
    ASSERT_NE(GameState(plain[150]), GameState(plain[149])) << "the player should be swimming here";
    for (int p = 150; p < 270; ++p) {
        ASSERT_EQ(IntValue(paused[p], "paused"), 1) << "pass " << p;
        ASSERT_EQ(GameState(paused[p]), GameState(paused[149])) << "pass " << p;
        ASSERT_GT(IntValue(paused[p], "time"), IntValue(paused[p - 1], "time")) << "the frame pacing runs on";
    }
    for (int p = 150; p < 600; ++p) {
        ASSERT_EQ(IntValue(paused[p + 120], "paused"), 0);
        ASSERT_EQ(GameState(paused[p + 120]), GameState(plain[p])) << "pass " << p;
    }
    EXPECT_GT(IntValue(plain[300], "shots"), 0) << "the replay should have fired";
}

// Losing the focus pauses a stage, regaining it does not resume (P does); a settings file that turns
// pause_on_focus_loss off keeps the stage running; Escape leaves a paused stage; the title never pauses.
TEST_F(ComfortE2E, LosingTheFocusPausesAStageUnlessTheSettingsSayNo) {
    const std::string replay = Play(0, "100 focus out\n110 focus in\n160 down P\n161 up P\n");
    std::vector<std::string> t = StageTrace(replay, "--frames 200");
    ASSERT_EQ(t.size(), 200u);
    EXPECT_EQ(IntValue(t[99], "paused"), 0);
    for (int p = 100; p < 160; ++p)
        ASSERT_EQ(IntValue(t[p], "paused"), 1) << "pass " << p;
    EXPECT_EQ(IntValue(t[160], "paused"), 0);

    Write("settings.ini", "pause_on_focus_loss = 0\n");
    t = StageTrace(replay, "--frames 150 --settings settings.ini");
    ASSERT_EQ(t.size(), 150u);
    for (const std::string& line : t)
        ASSERT_EQ(IntValue(line, "paused"), 0) << line;

    // Escape from the pause leaves the stage: it resumes and fades out to the title.
    t = StageTrace(Play(0, "100 down P\n101 up P\n150 down ESCAPE\n151 up ESCAPE\n"), "--frames 160");
    ASSERT_EQ(t.size(), 160u);
    EXPECT_EQ(IntValue(t[149], "paused"), 1);
    EXPECT_EQ(IntValue(t[150], "paused"), 0);
    EXPECT_EQ(IntValue(t[150], "fade"), 2);

    // On the title neither the focus nor P pauses.
    Write("title.replay", "50 focus out\n60 down P\n61 up P\n");
    ASSERT_EQ(RunGame("--no-render --fast --seed 7 --replay title.replay --trace title.jsonl --frames 100"),
              0);
    for (const std::string& line : FileLines(dir / "title.jsonl"))
        ASSERT_EQ(IntValue(line, "paused"), 0) << line;
}

// The paused picture stands still: two paused frames are the same image, the board darkens the stage and
// lies over its middle. A volume step while paused shows the indicator in the top right corner for about a
// second and changes nothing else of the picture.
TEST_F(ComfortE2E, ThePausedPictureStandsUnderItsBoardAndTheVolumeIndicatorComesAndGoes) {
    Write("in.replay", "0 mouse 400 200\n80 down W\n100 down P\n101 up P\n130 down MINUS\n131 up MINUS\n");
    ASSERT_EQ(RunGame("--headless --fast --seed 7 --stage 1 --replay in.replay --frames 230 "
                      "--shot-at 99,110,125,140,220 --shot-dir shots"),
              0)
        << Err();
    RgbImage before, paused, later, indicator, gone;
    ASSERT_TRUE(before.Load(dir / "shots/pass-000099.png"));
    ASSERT_TRUE(paused.Load(dir / "shots/pass-000110.png"));
    ASSERT_TRUE(later.Load(dir / "shots/pass-000125.png"));
    ASSERT_TRUE(indicator.Load(dir / "shots/pass-000140.png"));
    ASSERT_TRUE(gone.Load(dir / "shots/pass-000220.png"));
    EXPECT_TRUE(paused.Bytes() == later.Bytes()) << "a paused stage is drawn the same every frame";
    EXPECT_TRUE(paused.Bytes() == gone.Bytes()) << "the indicator is gone after a second";
    // Outside the board the paused picture is the stage darkened; the board's middle is its dark card.
    auto brightness = [](const RgbImage& img, int x0, int y0, int x1, int y1) {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += img.At(x, y)[0] + img.At(x, y)[1] + img.At(x, y)[2];
        return sum / ((x1 - x0) * (y1 - y0));
    };
    EXPECT_LT(brightness(paused, 0, 400, 640, 480), brightness(before, 0, 400, 640, 480) * 0.8);
    EXPECT_NE(brightness(paused, 200, 150, 440, 280), brightness(before, 200, 150, 440, 280));
    // The indicator changes the top right corner only.
    int inside = 0, outside = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const bool same = std::equal(paused.At(x, y), paused.At(x, y) + 3, indicator.At(x, y));
            const bool corner = x >= 640 - 12 - 200 && x < 640 - 12 && y >= 12 && y < 12 + 48;
            if (!same) ++(corner ? inside : outside);
        }
    EXPECT_GT(inside, 2000);
    EXPECT_EQ(outside, 0);
}

// --settings: a file read at start and written back after each change of the volume, keeping the
// player's comments, unknown keys and a line it cannot read (which is reported once).
TEST_F(ComfortE2E, VolumeKeysAreSavedToTheSettingsFileWhichKeepsWhatItDoesNotKnow) {
    Write("settings.ini", "# my settings\nvolume = 100\nthis line is wrong\nfuture_key = 3\nmusic = 40\n");
    Write("keys.replay", "10 down MINUS\n11 up MINUS\n20 down MINUS\n21 up MINUS\n30 down M\n31 up M\n");
    ASSERT_EQ(RunGame("--no-render --fast --replay keys.replay --frames 40 --settings settings.ini"), 0)
        << Err();
    EXPECT_EQ(ReadText(dir / "settings.ini"),
              "# my settings\nvolume = 80\nthis line is wrong\nfuture_key = 3\nmusic = 40\nmuted = 1\n");
    const std::vector<std::string> err = TextLines(Err());
    ASSERT_EQ(err.size(), 1u) << Err();
    EXPECT_NE(err[0].find("settings.ini:3:"), std::string::npos) << err[0];
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().find("settings.ini.tmp") == 0) left.push_back(e.path());
    EXPECT_TRUE(left.empty()) << "the temporary file is renamed, not left behind";
}

// Harness runs without --settings neither read nor write the user's settings.
TEST_F(ComfortE2E, HarnessRunsLeaveTheUsersSettingsAlone) {
    fs::create_directories(dir / "home/.config/brinewisp");
    const std::string mine = "display = fullscreen\nvolume = 30\n";
    Write("home/.config/brinewisp/settings.ini", mine);
    Write("keys.replay", "10 down M\n11 up M\n12 down EQUALS\n13 up EQUALS\n");
    for (const char* mode : {"--headless", "--no-render"}) {
        const int code = Shell("cd '" + dir.string() + "' && env -u XDG_CONFIG_HOME HOME='" +
                               (dir / "home").string() + "' SDL_AUDIODRIVER=dummy '" BW_BINARY "' " + mode +
                               " --fast --replay keys.replay --frames 20 > stdout.txt 2> stderr.txt");
        EXPECT_EQ(code, 0) << mode << " " << Err();
        EXPECT_EQ(ReadText(dir / "home/.config/brinewisp/settings.ini"), mine) << mode;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "home/.config/brinewisp"), fs::directory_iterator()),
              1);
}
