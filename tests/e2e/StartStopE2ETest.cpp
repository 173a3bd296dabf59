// Starting and stopping as a user does: from any folder, without a display, by SIGTERM; and the files a run
// writes, which are never overwritten by mistake and whose failures are never silent.
#include "tests/e2e/E2ESupport.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

using namespace e2e;

namespace {

class StartStopE2E : public GameDirTest {
  protected:
    void SetUp() override { MakeDir("startstop"); }

    // The build folder lies in the source tree, so the binary finds the tree from any folder.
    static bool BuiltInTheSourceTree() {
        return fs::equivalent(fs::path(BW_BUILD_DIR).parent_path(), fs::path(BW_SOURCE_DIR));
    }
};

} // namespace

TEST_F(StartStopE2E, SigtermClosesTheRunAsClosingTheWindowDoes) {
    LinkRuntime({"data", "image", "xfile", "sound"});
    const pid_t pid = StartGame("--no-render --fast --seed 1 --trace t.jsonl");
    ASSERT_GT(pid, 0);
    // Let it run a few thousand passes.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::error_code ec;
    while ((fs::file_size(dir / "t.jsonl", ec) < 1000000 || ec) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(WaitExit(pid, 1000), 0) << Err();
    const auto took = std::chrono::steady_clock::now() - sent;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 1000);

    // Every line is whole, the last one too, and the passes follow each other.
    const std::string text = ReadText(dir / "t.jsonl");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const std::vector<std::string> lines = TextLines(text);
    ASSERT_GT(lines.size(), 100u);
    EXPECT_EQ(lines.back().front(), '{');
    EXPECT_EQ(lines.back().back(), '}');
    EXPECT_EQ(IntValue(lines.back(), "pass"), (long long)lines.size() - 1);
}

TEST_F(StartStopE2E, OutputFilesAreNeverOverwrittenByMistakeNorLostSilently) {
    LinkRuntime({"data"});
    const std::string replay = "0 mouse 10 10\n5 down RETURN\n6 up RETURN\n";
    std::ofstream(dir / "r.txt") << replay;
    fs::create_directory(dir / "sub");

    // The replay given again as an output, spelt otherwise: refused before anything is written.
    EXPECT_EQ(RunGame("--no-render --fast --frames 50 --replay r.txt --trace sub/../r.txt"), 2);
    EXPECT_NE(Err().find("same file"), std::string::npos) << Err();
    EXPECT_EQ(RunGame("--no-render --fast --frames 50 --replay ./r.txt --record r.txt"), 2);
    EXPECT_EQ(ReadText(dir / "r.txt"), replay);
    // Two outputs that are one file, not yet made.
    EXPECT_EQ(RunGame("--no-render --fast --frames 50 --trace o.txt --bench ./o.txt"), 2);
    EXPECT_FALSE(fs::exists(dir / "o.txt"));

    // A trace that cannot be written ends the run with a failure.
    EXPECT_EQ(RunGame("--no-render --fast --frames 50 --trace /dev/full"), 1);
    EXPECT_NE(Err().find("/dev/full: cannot write the trace file"), std::string::npos) << Err();

    // Reading a replay is bounded; screenshots need drawing.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunGame("--no-render --fast --replay /dev/zero"), 2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_NE(Err().find("longer than 4 KiB"), std::string::npos) << Err();
    EXPECT_EQ(RunGame("--no-render --shot-at 5"), 2);
}

TEST_F(StartStopE2E, StartedFromAnEmptyFolderTheGameFindsItsTreeAndPlays) {
    if (!BuiltInTheSourceTree()) GTEST_SKIP() << "the build folder is not inside the source tree";
    ASSERT_EQ(RunGame("--no-render --fast --seed 1 --stage 1 --frames 60 --trace t.jsonl"), 0) << Err();
    const std::vector<std::string> lines = FileLines(dir / "t.jsonl"); // relative to the start folder
    ASSERT_EQ(lines.size(), 60u);
    EXPECT_EQ(RawValue(lines.back(), "proc"), "\"GameUpdate\"");
    EXPECT_GT(IntValue(lines.back(), "obstacles"), 0) << "stage 1 has its rocks";
    EXPECT_GT(IntValue(lines.back(), "targets"), 0);
    if (AssetsGenerated({"image/title/logo.png", "xfile/player.x", "sound/bgm.wav"})) {
        EXPECT_EQ(Err(), "");
    }
    EXPECT_FALSE(fs::exists(dir / "conpaile_log.txt"));

    // Without a display a windowed game cannot run: one line says so, and the exit code says it failed.
    EXPECT_EQ(RunGame("--windowed --frames 5", "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER"), 1);
    EXPECT_EQ(TextLines(Err()).size(), 1u) << Err();
    EXPECT_NE(Err().find("no display"), std::string::npos) << Err();
}

TEST_F(StartStopE2E, MissingPiecesOfTheTreeAreNamedAndTheGameRunsOn) {
    fs::create_directories(dir / "data"); // a tree, but an empty one
    ASSERT_EQ(RunGame("--no-render --fast --seed 1 --stage 1 --frames 20 --trace t.jsonl"), 0) << Err();
    const std::string err = Err();
    for (const char* piece : {"image/: the folder is missing", "xfile/: the folder is missing",
                              "sound/: the folder is missing", "data/stage1.csv: cannot read the stage file"})
        EXPECT_NE(err.find(piece), std::string::npos) << piece << " in\n" << err;
    EXPECT_EQ(FileLines(dir / "t.jsonl").size(), 20u);
    EXPECT_TRUE(fs::exists(dir / "conpaile_log.txt")); // the missing effect file, logged in the tree
}
