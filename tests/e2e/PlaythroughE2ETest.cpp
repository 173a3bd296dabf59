// Whole play-throughs from the replay files in tests/playthroughs, run without rendering (their traces are
// the same as with it) against the committed stages and the generated assets.
#include "tests/e2e/E2ESupport.h"

#include <string>
#include <vector>

using namespace e2e;

namespace {

int IntOf(const std::string& line, const std::string& key) {
    return (int)IntValue(line, key);
}

class PlaythroughE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!AssetsGenerated({"xfile/football.x"})) GTEST_SKIP() << "run build/assetgen . first";
        MakeDir("playthrough");
        LinkRuntime({"data", "image", "xfile", "sound"});
    }
    // Runs one replay file for a number of passes and returns the trace lines.
    std::vector<std::string> Play(const std::string& replay, int frames) {
        EXPECT_EQ(RunGame("--no-render --fast --windowed --seed 5 --replay '" BW_SOURCE_DIR
                          "/tests/playthroughs/" +
                          replay + "' --trace t.jsonl --frames " + std::to_string(frames)),
                  0);
        return FileLines(dir / "t.jsonl");
    }
};

} // namespace

TEST_F(PlaythroughE2E, StageOneFromTheTitleToADeathAndBack) {
    const std::vector<std::string> lines = Play("stage1_death.replay", 5200);
    ASSERT_EQ(lines.size(), 5200u);

    // The title's start panel picked stage 1: one football to defeat, the tutorial on its first page.
    const int game = FirstProc(lines, 0, "GameInit");
    ASSERT_GT(game, 260);
    EXPECT_EQ(IntOf(lines[game], "stage"), 1);
    EXPECT_EQ(IntOf(lines[game], "targets"), 1);
    EXPECT_EQ(RawValue(lines[game], "player"), "{\"hp\":100,\"x\":60,\"y\":6,\"z\":-170,\"angle\":0,\"vx\":0,"
                                               "\"vz\":0,\"maxspeed\":0.2,\"shotwait\":0}");
    // The swim key and then the fire button turn the tutorial's pages.
    EXPECT_EQ(IntOf(lines[game + 100], "tutorial"), 1);
    EXPECT_EQ(IntOf(lines[800], "page"), 1);
    EXPECT_EQ(IntOf(lines[1100], "page"), 2);
    EXPECT_EQ(IntOf(lines[1100], "tutorial"), 0);

    // The football wakes as the player comes near, and its bite ends the stage: state 1, the fog reddens.
    int dead = -1;
    for (int i = game; i < (int)lines.size() && dead < 0; ++i)
        if (IntOf(lines[i], "state") == 1) dead = i;
    ASSERT_GT(dead, 4000);
    EXPECT_LE(IntOf(RawValue(lines[dead], "player"), "hp"), 0);
    EXPECT_GT(IntOf(RawValue(lines[dead - 1], "player"), "hp"), 0);
    EXPECT_NE(RawValue(lines[dead], "creatures").find("\"type\":\"football\""), std::string::npos);
    EXPECT_EQ(IntOf(lines[dead], "targets"), 1);
    EXPECT_NE(RawValue(lines[dead + 200], "fog"), RawValue(lines[dead - 1], "fog"));
    for (int i = dead; i < 4900; ++i)
        ASSERT_EQ(IntOf(lines[i], "fade"), 0)
            << "nothing leaves the stage before the back button: " << lines[i];

    // The click on the back button (pass 4900) fades out and returns to the title from its start.
    EXPECT_EQ(IntOf(lines[4900], "fade"), 2);
    const int back = FirstProc(lines, dead, "TitleInit");
    ASSERT_GT(back, 4900);
    EXPECT_EQ(RawValue(lines[back - 1], "proc"), "\"GameUninit\"");
    EXPECT_EQ(IntOf(lines[back], "scene"), 0);
    EXPECT_EQ(RawValue(lines.back(), "proc"), "\"TitleUpdate\"");
    EXPECT_EQ(IntOf(RawValue(lines.back(), "title"), "phase"), 0);
    EXPECT_EQ(RawValue(lines.back(), "player"), "null");
}
