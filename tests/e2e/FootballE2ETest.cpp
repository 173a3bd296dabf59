// Stage 1 with a football next to the player, run headless from a hand-made stage file: the football wakes,
// chases, charges and bites, the player dies and the fog turns red.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The raw text of the first value under key in a piece of JSON: a number, a string, null, [..] or {..}.
std::string Raw(const std::string& json, const std::string& key) {
    const std::string needle = "\"" + key + "\":";
    size_t at = json.find(needle);
    if (at == std::string::npos) return "<missing>";
    at += needle.size();
    size_t end = at;
    int depth = 0;
    bool inString = false;
    for (; end < json.size(); ++end) {
        const char c = json[end];
        if (inString) {
            if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '[' || c == '{') ++depth;
        if (c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        }
        if (c == ',' && depth == 0) break;
    }
    return json.substr(at, end - at);
}

long long Num(const std::string& json, const std::string& key) {
    return std::atoll(Raw(json, key).c_str());
}

class FootballE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/bw-football-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        fs::create_directories(dir / "data");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    int Run(const std::string& args) {
        const std::string cmd = "cd '" + dir.string() + "' && SDL_AUDIODRIVER=dummy '" BW_BINARY "' " + args +
                                " > stdout.txt 2> stderr.txt";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path dir;
};

constexpr long long kBlueFog = 0xFF4646FF; // the stage's fog
constexpr long long kRedFog = 0xFFFF4646;  // where the death fog ends, 185 frames after the death

} // namespace

TEST_F(FootballE2E, APlayerStandingNextToAFootballIsBittenAndDiesInARedFog) {
    // The player starts stage 1 at (60, 6, -170); the football lies 5 units in front of it.
    std::ofstream(dir / "data" / "stage1.csv") << "type,x,y,z\n2,60,0,-165\n";
    ASSERT_EQ(Run("--headless --fast --windowed --seed 1 --stage 1 --frames 720 --trace t.jsonl"), 0)
        << ReadAll(dir / "stderr.txt");
    const std::vector<std::string> lines = SplitLines(ReadAll(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 720u);

    long long death = -1;
    bool charged = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        const std::string creatures = Raw(l, "creatures");
        ASSERT_EQ(creatures.front(), '[') << l;
        EXPECT_NE(creatures.find("\"type\":\"football\""), std::string::npos) << l;
        EXPECT_EQ(Num(creatures, "hp"), 700) << l; // nobody shoots at it
        const long long ai = Num(creatures, "ai");
        if (ai == 5) charged = true;
        const long long hp = Num(Raw(l, "player"), "hp");
        if (death < 0) {
            if (hp > 0) {
                EXPECT_EQ(hp, 100) << l;
                EXPECT_EQ(Num(l, "state"), 0) << l;
                EXPECT_EQ(Num(l, "fog"), kBlueFog) << l;
                continue;
            }
            // The first bite takes all 100; it comes from the lunge of a charge.
            death = (long long)i;
            EXPECT_EQ(hp, 0) << l;
            EXPECT_TRUE(charged);
            EXPECT_EQ(ai, 5) << l;
            EXPECT_EQ(Num(l, "state"), 1) << l;
        } else {
            EXPECT_EQ(Num(l, "state"), 1) << l; // the death stands
        }
    }
    ASSERT_GT(death, 0) << "the player was never bitten";
    // The fog turns from blue to red, one step a frame, from the frame after the death on.
    ASSERT_LT(death + 185, (long long)lines.size());
    long long lastRed = -1;
    for (long long i = death + 1; i <= death + 185; ++i) {
        const long long fog = Num(lines[i], "fog");
        const long long red = (fog >> 16) & 0xFF;
        EXPECT_EQ(red, lastRed < 0 ? 0x47 : lastRed + 1) << lines[i];
        lastRed = red;
    }
    EXPECT_EQ(Num(lines[death + 185], "fog"), kRedFog);
    EXPECT_EQ(Num(lines.back(), "fog"), kRedFog);
    // The result board of a death comes with the interface screens; the stage state that calls it is set.
}
