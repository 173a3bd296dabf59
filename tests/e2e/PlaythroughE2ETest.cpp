// Whole play-throughs from the replay files in tests/playthroughs, run without rendering (their traces are
// the same as with it) against the committed stages and the generated assets.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The raw text of the first value under key in a trace line: up to the next comma or closing bracket at
// its own depth.
std::string ValueOf(const std::string& line, const std::string& key) {
    const std::string needle = "\"" + key + "\":";
    size_t at = line.find(needle);
    if (at == std::string::npos) return "<missing>";
    at += needle.size();
    int depth = 0;
    size_t end = at;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (c == '[' || c == '{') ++depth;
        if ((c == ']' || c == '}') && depth-- == 0) break;
        if (c == ',' && depth == 0) break;
    }
    return line.substr(at, end - at);
}

int IntOf(const std::string& line, const std::string& key) {
    return std::atoi(ValueOf(line, key).c_str());
}

class PlaythroughE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path src = BW_SOURCE_DIR;
        if (!fs::exists(src / "xfile" / "football.x")) GTEST_SKIP() << "run build/assetgen . first";
        char tmpl[] = "/tmp/bw-playthrough-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        for (const char* sub : {"data", "image", "xfile", "sound"})
            fs::create_directory_symlink(src / sub, dir / sub);
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
    // Runs one replay file for a number of passes and returns the trace lines.
    std::vector<std::string> Play(const std::string& replay, int frames) {
        const std::string cmd =
            "cd '" + dir.string() +
            "' && SDL_AUDIODRIVER=dummy '" BW_BINARY
            "' --no-render --fast --windowed --seed 5 --replay '" BW_SOURCE_DIR "/tests/playthroughs/" +
            replay + "' --trace t.jsonl --frames " + std::to_string(frames) + " > stdout.txt 2> stderr.txt";
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::ifstream in(dir / "t.jsonl");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    fs::path dir;
};

int FirstPass(const std::vector<std::string>& lines, int from, const std::string& proc) {
    for (int i = from; i < (int)lines.size(); ++i)
        if (ValueOf(lines[i], "proc") == "\"" + proc + "\"") return i;
    return -1;
}

} // namespace

TEST_F(PlaythroughE2E, StageOneFromTheTitleToADeathAndBack) {
    const std::vector<std::string> lines = Play("stage1_death.replay", 5200);
    ASSERT_EQ(lines.size(), 5200u);

    // The title's start panel picked stage 1: one football to defeat, the tutorial on its first page.
    const int game = FirstPass(lines, 0, "GameInit");
    ASSERT_GT(game, 260);
    EXPECT_EQ(IntOf(lines[game], "stage"), 1);
    EXPECT_EQ(IntOf(lines[game], "targets"), 1);
    EXPECT_EQ(ValueOf(lines[game], "player"), "{\"hp\":100,\"x\":60,\"y\":6,\"z\":-170,\"angle\":0,\"vx\":0,"
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
    EXPECT_LE(IntOf(ValueOf(lines[dead], "player"), "hp"), 0);
    EXPECT_GT(IntOf(ValueOf(lines[dead - 1], "player"), "hp"), 0);
    EXPECT_NE(ValueOf(lines[dead], "creatures").find("\"type\":\"football\""), std::string::npos);
    EXPECT_EQ(IntOf(lines[dead], "targets"), 1);
    EXPECT_NE(ValueOf(lines[dead + 200], "fog"), ValueOf(lines[dead - 1], "fog"));
    for (int i = dead; i < 4900; ++i)
        ASSERT_EQ(IntOf(lines[i], "fade"), 0)
            << "nothing leaves the stage before the back button: " << lines[i];

    // The click on the back button (pass 4900) fades out and returns to the title from its start.
    EXPECT_EQ(IntOf(lines[4900], "fade"), 2);
    const int back = FirstPass(lines, dead, "TitleInit");
    ASSERT_GT(back, 4900);
    EXPECT_EQ(ValueOf(lines[back - 1], "proc"), "\"GameUninit\"");
    EXPECT_EQ(IntOf(lines[back], "scene"), 0);
    EXPECT_EQ(ValueOf(lines.back(), "proc"), "\"TitleUpdate\"");
    EXPECT_EQ(IntOf(ValueOf(lines.back(), "title"), "phase"), 0);
    EXPECT_EQ(ValueOf(lines.back(), "player"), "null");
}
