// Stage 1 with a football next to the player, run headless from a hand-made stage file: the football wakes,
// chases, charges and bites, the player dies and the fog turns red.
#include "tests/e2e/E2ESupport.h"

#include <fstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

class FootballE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("football");
        fs::create_directories(dir / "data");
    }
};

constexpr long long kBlueFog = 0xFF4646FF; // the stage's fog
constexpr long long kRedFog = 0xFFFF4646;  // where the death fog ends, 185 frames after the death

} // namespace

TEST_F(FootballE2E, APlayerStandingNextToAFootballIsBittenAndDiesInARedFog) {
    // The player starts stage 1 at (60, 6, -170); the football lies 5 units in front of it.
    std::ofstream(dir / "data" / "stage1.csv") << "type,x,y,z\n2,60,0,-165\n";
    ASSERT_EQ(RunGame("--headless --fast --windowed --seed 1 --stage 1 --frames 720 --trace t.jsonl"), 0)
        << Err();
    const std::vector<std::string> lines = FileLines(dir / "t.jsonl");
    ASSERT_EQ(lines.size(), 720u);

    long long death = -1;
    bool charged = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        const std::string creatures = RawValue(l, "creatures");
        ASSERT_EQ(creatures.front(), '[') << l;
        EXPECT_NE(creatures.find("\"type\":\"football\""), std::string::npos) << l;
        EXPECT_EQ(IntValue(creatures, "hp"), 700) << l; // nobody shoots at it
        const long long ai = IntValue(creatures, "ai");
        if (ai == 5) charged = true;
        const long long hp = IntValue(RawValue(l, "player"), "hp");
        if (death < 0) {
            if (hp > 0) {
                EXPECT_EQ(hp, 100) << l;
                EXPECT_EQ(IntValue(l, "state"), 0) << l;
                EXPECT_EQ(IntValue(l, "fog"), kBlueFog) << l;
                continue;
            }
            // The first bite takes all 100; it comes from the lunge of a charge.
            death = (long long)i;
            EXPECT_EQ(hp, 0) << l;
            EXPECT_TRUE(charged);
            EXPECT_EQ(ai, 5) << l;
            EXPECT_EQ(IntValue(l, "state"), 1) << l;
        } else {
            EXPECT_EQ(IntValue(l, "state"), 1) << l; // the death stands
        }
    }
    ASSERT_GT(death, 0) << "the player was never bitten";
    // The fog turns from blue to red, one step a frame, from the frame after the death on.
    ASSERT_LT(death + 185, (long long)lines.size());
    long long lastRed = -1;
    for (long long i = death + 1; i <= death + 185; ++i) {
        const long long fog = IntValue(lines[i], "fog");
        const long long red = (fog >> 16) & 0xFF;
        EXPECT_EQ(red, lastRed < 0 ? 0x47 : lastRed + 1) << lines[i];
        lastRed = red;
    }
    EXPECT_EQ(IntValue(lines[death + 185], "fog"), kRedFog);
    EXPECT_EQ(IntValue(lines.back(), "fog"), kRedFog);
    // The result board of a death comes with the interface screens; the stage state that calls it is set.
}
