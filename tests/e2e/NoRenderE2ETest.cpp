// --no-render leaves out a stage's drawing passes. The game must play exactly the same without them: the
// same input gives the same trace, line for line, as a headless run that draws everything.
#include "tests/e2e/E2ESupport.h"

#include <algorithm>
#include <fstream>
#include <string>

namespace {

class NoRenderE2E : public e2e::GameDirTest {
  protected:
    void SetUp() override {
        if (!AssetsGenerated({"xfile/anemone.x"})) GTEST_SKIP() << "run build/assetgen . first";
        MakeDir("norender");
        LinkRuntime({"data", "image", "xfile", "sound"});
    }
    // The whole trace of one run with the given drawing flag.
    std::string Trace(const std::string& mode, const std::string& args) {
        const std::string trace = mode.substr(2) + ".jsonl";
        EXPECT_EQ(RunGame(mode + " " + args + " --trace " + trace), 0) << mode << " " << Err();
        return e2e::ReadText(dir / trace);
    }
    void WriteReplay(const std::string& text) { std::ofstream(dir / "replay.txt") << text; }
};

// From the title through real clicks on its panels into stage 1 and its tutorial, then Escape back to the
// title: the picking of the title's panels and the stage's aiming must not depend on drawing.
TEST_F(NoRenderE2E, TheTitleAndTheTutorialPlayTheSameWithAndWithoutDrawing) {
    WriteReplay("0 mouse 320 300\n80 down LBUTTON\n82 up LBUTTON\n258 mouse 320 283\n260 down LBUTTON\n"
                "261 up LBUTTON\n420 down W\n421 up W\n480 down W\n480 down A\n500 mouse 400 150\n"
                "520 down LBUTTON\n600 up LBUTTON\n640 up W\n640 up A\n660 down ESCAPE\n661 up ESCAPE\n"
                "820 close\n");
    const std::string args = "--fast --windowed --seed 5 --replay replay.txt";
    const std::string drawn = Trace("--headless", args);
    const std::string bare = Trace("--no-render", args);
    ASSERT_NE(drawn.find("\"proc\":\"GameUpdate\",\"scene\":1,\"stage\":1,"), std::string::npos)
        << "the start panel was not picked";
    ASSERT_NE(drawn.rfind("\"proc\":\"TitleUpdate\""), drawn.find("\"proc\":\"TitleUpdate\""));
    EXPECT_TRUE(drawn == bare) << "the traces part at byte "
                               << std::mismatch(drawn.begin(), drawn.end(), bare.begin(), bare.end()).first -
                                      drawn.begin();
}

// Stage 4 holds one of every creature and prop and the flower: swim through it firing, turn, leave by
// Escape and close on the title, so that the stage's fade, the way back and the title all run.
TEST_F(NoRenderE2E, AStageAndTheWayBackPlayTheSameWithAndWithoutDrawing) {
    WriteReplay("0 mouse 320 120\n70 down W\n70 down LBUTTON\n100 mouse 420 200\n400 up W\n400 down A\n"
                "600 up A\n600 down W\n800 up LBUTTON\n820 down ESCAPE\n821 up ESCAPE\n1000 close\n");
    const std::string args = "--fast --seed 2 --stage 4 --replay replay.txt";
    const std::string drawn = Trace("--headless", args);
    const std::string bare = Trace("--no-render", args);
    ASSERT_NE(drawn.find("\"proc\":\"GameUpdate\",\"scene\":1,\"stage\":4,"), std::string::npos);
    ASSERT_NE(drawn.find("\"proc\":\"TitleUpdate\""), std::string::npos) << "the run never came back";
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\n'), 1000);
    EXPECT_TRUE(drawn == bare) << "the traces part at byte "
                               << std::mismatch(drawn.begin(), drawn.end(), bare.begin(), bare.end()).first -
                                      drawn.begin();
}

} // namespace
