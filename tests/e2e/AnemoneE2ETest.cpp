// Stage 2 from a hand-made stage file: an anemone with its school and a fish of the stage file load, run, and
// appear in the trace; the fish near the player chase it, lunge and bite it, 20 hit points a bite, and go
// back to circling when the player has died.
#include "tests/e2e/E2ESupport.h"

#include <cmath>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// The elements of the "creatures" array, without the brackets.
std::string Creatures(const std::string& line) {
    const std::string key = "\"creatures\":[";
    const size_t at = line.find(key);
    if (at == std::string::npos) return "<missing>";
    const size_t begin = at + key.size();
    return line.substr(begin, line.find(']', begin) - begin);
}

const char* const kCalmAnemone = "{\"type\":\"anemone\",\"mode\":0,\"hp\":600,\"fish\":8},";

long long PlayerHp(const std::string& line) {
    const double hp = NumberAfter(line, "hp", line.find("\"player\":"));
    return std::isnan(hp) ? -999999 : (long long)hp;
}

// The behaviour state of the stage file's fish.
long long FishAi(const std::string& line) {
    static const std::regex fish("\\{\"type\":\"percula\",\"ai\":(-?\\d+),\"hp\":(-?\\d+)\\}");
    std::smatch m;
    const std::string creatures = Creatures(line);
    if (!std::regex_search(creatures, m, fish)) return -1;
    return std::atoll(m[1].str().c_str());
}

class AnemoneE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("anemone");
        fs::create_directories(dir / "data");
        // The player starts at (0, 6, 80) in stage 2. The anemone's fish at 180 degrees and the stage's own
        // fish both start 20 from it.
        std::ofstream(dir / "data" / "stage2.csv") << "type,x,y,z\n3,0,0,140\n5,0,6,100\n";
    }
};

} // namespace

TEST_F(AnemoneE2E, TheSchoolChasesLungesAndBitesThePlayerTwentyABite) {
    ASSERT_EQ(RunGame("--no-render --fast --seed 1 --stage 2 --frames 1600 --trace t.jsonl"), 0)
        << ReadText(dir / "stderr.txt");
    const std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 1600u);

    // Loaded: the anemone with its eight fish, then the stage's fish; the anemone is the one target.
    EXPECT_NE(lines[0].find("\"proc\":\"GameInit\""), std::string::npos);
    EXPECT_EQ(NumberAfter(lines[0], "targets"), 1);
    EXPECT_EQ(NumberAfter(lines[0], "actors"), 3); // the player, the anemone, the stage's fish
    EXPECT_EQ(Creatures(lines[0]).find(kCalmAnemone), 0u) << lines[0];
    EXPECT_EQ(FishAi(lines[0]), 1); // GameInit's first update found the player within 40

    long long hp = 100;
    int bites = 0, firstBite = -1, deathPass = -1;
    bool chased = false, charged = false, charging = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        const long long ai = FishAi(l);
        chased = chased || ai == 1;
        charged = charged || ai == 3;
        // Nothing shoots the anemone here: it stays calm and whole, with its whole school.
        ASSERT_EQ(Creatures(l).find(kCalmAnemone), 0u) << "pass " << i << ": " << l;
        if (hp <= 0) continue; // the death itself is the player's business
        const long long now = PlayerHp(l);
        ASSERT_LE(now, hp) << "pass " << i;
        ASSERT_EQ((hp - now) % 20, 0) << "pass " << i << ": " << l;
        if (now < hp) {
            bites += static_cast<int>((hp - now) / 20);
            if (firstBite < 0) {
                firstBite = static_cast<int>(i);
                charging = ai == 3; // the stage's fish was lunging
            }
        }
        hp = now;
        if (deathPass < 0 && NumberAfter(l, "state") == 1) deathPass = static_cast<int>(i);
    }
    EXPECT_TRUE(chased);
    EXPECT_TRUE(charged);
    ASSERT_GE(firstBite, 0) << "no bite in 1600 frames";
    EXPECT_GT(firstBite, 64 + 200 + 131 + 70); // the fade-in, a chase, the back-off and the still frames
    EXPECT_TRUE(charging);
    EXPECT_GE(bites, 2);

    // A dead player is left alone: the fish circle their homes again.
    if (deathPass >= 0) {
        ASSERT_LT(static_cast<size_t>(deathPass + 2), lines.size());
        EXPECT_EQ(FishAi(lines[deathPass + 2]), 0);
    }
}

TEST_F(AnemoneE2E, DrawingTheCrownAndSchoolOnAnOffscreenWindowChangesNothingOfThePlay) {
    ASSERT_EQ(RunGame("--no-render --fast --seed 1 --stage 2 --frames 120 --trace plain.jsonl"), 0);
    ASSERT_EQ(RunGame("--headless --fast --windowed --seed 1 --stage 2 --frames 120 --trace drawn.jsonl"), 0)
        << ReadText(dir / "stderr.txt");
    const std::vector<std::string> plain = TextLines(ReadText(dir / "plain.jsonl"));
    const std::vector<std::string> drawn = TextLines(ReadText(dir / "drawn.jsonl"));
    ASSERT_EQ(plain.size(), 120u);
    ASSERT_EQ(drawn.size(), 120u);
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(Creatures(drawn[i]), Creatures(plain[i])) << "pass " << i;
        EXPECT_EQ(PlayerHp(drawn[i]), PlayerHp(plain[i])) << "pass " << i;
    }
}
