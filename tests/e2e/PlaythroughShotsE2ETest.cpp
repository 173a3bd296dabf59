// The clear replays of tests/playthroughs drawn headless, with screenshots at their key moments: each
// replay is first played without drawing to find the moments in its trace, then drawn up to the last of
// them. Drawing costs about 15 ms a frame on the software renderer, so the drawn runs stop at the early
// moments (the whole stages are drawn by scripts/screenshots). A screenshot must exist, be 640 x 480 and
// show a scene: many colours, hardly any black, and not the same picture as the moment before.
#include "tests/e2e/E2ESupport.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace e2e;

namespace {

class PlaythroughShotsE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!MakeRuntimeDir("shots", {"xfile/football.x", "image/title/logo.png"}))
            GTEST_SKIP() << "run build/assetgen . first";
    }
    std::string Replay(const std::string& name) const {
        return std::string("--replay '" BW_SOURCE_DIR "/tests/playthroughs/") + name + "'";
    }
    // The trace of the replay without drawing, for `frames` passes.
    std::vector<std::string> Trace(const std::string& replay, const std::string& flags, int frames) {
        EXPECT_EQ(RunGame("--no-render --fast --windowed --seed 5 " + flags + " " + Replay(replay) +
                          " --trace plain.jsonl --frames " + std::to_string(frames)),
                  0)
            << Err();
        return FileLines(dir / "plain.jsonl");
    }
    // The replay drawn up to the last of `passes`, a screenshot at each; the drawn run's trace is returned.
    std::vector<std::string> Draw(const std::string& replay, const std::string& flags,
                                  const std::vector<int>& passes) {
        std::string list;
        int last = 0;
        for (int p : passes) {
            list += (list.empty() ? "" : ",") + std::to_string(p);
            last = std::max(last, p);
        }
        EXPECT_EQ(RunGame("--headless --fast --windowed --seed 5 " + flags + " " + Replay(replay) +
                          " --trace drawn.jsonl --shot-dir shots --shot-at " + list + " --frames " +
                          std::to_string(last + 1)),
                  0)
            << Err();
        return FileLines(dir / "drawn.jsonl");
    }
    // The checks every screenshot passes; the picture is kept in `img`.
    void CheckShot(int pass, RgbImage& img) {
        char name[32];
        std::snprintf(name, sizeof name, "pass-%06d.png", pass);
        ASSERT_TRUE(img.Load(dir / "shots" / name)) << name;
        EXPECT_EQ(img.W(), 640) << name;
        EXPECT_EQ(img.H(), 480) << name;
        EXPECT_GT(img.DistinctColours(), 200u) << name;
        EXPECT_GT(img.LitPixels(), 640u * 480u * 95 / 100) << name;
    }
    // Checks the screenshots of `passes` and that each differs from the one before in many pixels.
    void CheckShots(const std::vector<int>& passes) {
        RgbImage before;
        for (size_t k = 0; k < passes.size(); ++k) {
            RgbImage img;
            CheckShot(passes[k], img);
            if (k > 0 && img.Bytes().size() == before.Bytes().size()) {
                size_t changed = 0;
                for (size_t i = 0; i < img.Bytes().size(); i += 3)
                    if (img.Bytes()[i] != before.Bytes()[i] || img.Bytes()[i + 1] != before.Bytes()[i + 1] ||
                        img.Bytes()[i + 2] != before.Bytes()[i + 2])
                        ++changed;
                EXPECT_GT(changed, 640u * 480u / 10) << "pass " << passes[k] << " against " << passes[k - 1];
            }
            before = img;
        }
    }
};

// The first line from `from` on that holds `text`; -1 when there is none.
int FirstWith(const std::vector<std::string>& lines, const std::string& text, int from = 0) {
    for (int i = std::max(from, 0); i < (int)lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return i;
    return -1;
}

// The first line from `from` on whose rescuing count is above 0.
int FirstRescue(const std::vector<std::string>& lines, int from) {
    for (int i = std::max(from, 0); i < (int)lines.size(); ++i)
        if (IntValue(lines[i], "rescuing") > 0) return i;
    return -1;
}

} // namespace

TEST_F(PlaythroughShotsE2E, StageOneDrawnFromTheTitleThroughTheTutorialToTheFirstRescue) {
    const std::vector<std::string> plain = Trace("stage1_clear.replay", "", 1500);
    const int tutorial = FirstWith(plain, "\"tutorial\":1");
    ASSERT_GT(tutorial, 300);
    const int rescue = FirstRescue(plain, tutorial);
    ASSERT_GT(rescue, tutorial);
    // The logo, the selector, the keys hint fully shown, a jelly dipping in its rescue.
    const std::vector<int> passes = {75, 200, tutorial + 140, rescue + 50};
    const std::vector<std::string> drawn = Draw("stage1_clear.replay", "", passes);
    ASSERT_EQ(drawn.size(), (size_t)passes.back() + 1);
    // Drawing changes nothing of the play.
    for (size_t i = 0; i < drawn.size(); i += 50)
        EXPECT_EQ(drawn[i], plain[i]) << "pass " << i;
    EXPECT_EQ(IntValue(RawValue(drawn[75], "title"), "phase"), 0);
    EXPECT_EQ(IntValue(RawValue(drawn[200], "title"), "phase"), 2);
    EXPECT_EQ(IntValue(drawn[tutorial + 140], "page"), 0);
    EXPECT_GT(IntValue(drawn[rescue + 50], "rescuing"), 0);
    CheckShots(passes);
}

TEST_F(PlaythroughShotsE2E, StageTwoDrawnFromTheSelectorToTheFlowerInTheCanyonMouth) {
    const std::vector<std::string> plain = Trace("stage2_clear.replay", "", 2000);
    const int game = FirstProc(plain, 0, "GameInit");
    ASSERT_GT(game, 260);
    EXPECT_EQ(IntValue(plain[game], "stage"), 2);
    // The first pass with the player standing 50 units south of the flower (z 212 of 262).
    int flower = -1;
    for (int i = game; i < (int)plain.size() && flower < 0; ++i)
        if (PlayerField(plain[i], "z") > 205.0) flower = i;
    ASSERT_GT(flower, game);
    // The selector slid to stage 2, the stage faded in, the flower standing with both blossoms up.
    const std::vector<int> passes = {255, game + 70, flower + 40};
    const std::vector<std::string> drawn = Draw("stage2_clear.replay", "", passes);
    ASSERT_EQ(drawn.size(), (size_t)passes.back() + 1);
    EXPECT_EQ(IntValue(RawValue(drawn[255], "title"), "sel"), 1);
    EXPECT_EQ(RawValue(drawn[flower + 40], "flower"), "{\"hp\":[5,5],\"done\":0}");
    CheckShots(passes);
}

TEST_F(PlaythroughShotsE2E, StageThreeDrawnFromItsStartToTheFirstRescue) {
    const std::vector<std::string> plain = Trace("stage3_clear.replay", "--stage 3", 1500);
    EXPECT_EQ(IntValue(plain[0], "stage"), 3);
    const int rescue = FirstRescue(plain, 0);
    ASSERT_GT(rescue, 64);
    const std::vector<int> passes = {20, 100, rescue + 50};
    const std::vector<std::string> drawn = Draw("stage3_clear.replay", "--stage 3", passes);
    ASSERT_EQ(drawn.size(), (size_t)passes.back() + 1);
    EXPECT_GT(IntValue(drawn[20], "alpha"), 100) << "still fading in";
    EXPECT_EQ(IntValue(drawn[100], "alpha"), 0);
    EXPECT_GT(IntValue(drawn[rescue + 50], "rescuing"), 0);
    CheckShots(passes);
}
