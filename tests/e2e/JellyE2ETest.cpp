// A ring of stray jellies in front of the player's start in a hand-made stage 1: shot one by one while the
// button is held, they dip and rise, follow the player and fire with it. Read back from the trace.
#include "tests/e2e/E2ESupport.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// A top-level integer of a trace line ("key":123).
long long TraceInt(const std::string& line, const std::string& key) {
    const std::string needle = "\"" + key + "\":";
    const size_t at = line.find(needle);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << key << " in " << line;
        return -1;
    }
    return std::atoll(line.c_str() + at + needle.size());
}

// The cursor for a heading (degrees, 0 = up the screen, 90 = to the right), 100 pixels from the middle.
std::string MouseToward(long long pass, float degrees) {
    const float a = degrees * 0.017453292f;
    const int x = (int)std::lround(320.0f + 100.0f * std::sin(a));
    const int y = (int)std::lround(240.0f - 100.0f * std::cos(a));
    return std::to_string(pass) + " mouse " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

class JellyE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("jelly-e2e");
        LinkShaderOnly();
        // The ring's centre lies 5 ahead of the start (60, -170): one jelly 15 to the north, the other two
        // 8.66 to the east and to the west. A football far away keeps the stage from being cleared.
        std::ofstream(dir / "data" / "stage1.csv") << "type,x,y,z\n1,60,6,-165\n2,-200,0,250\n";
    }

    std::vector<std::string> Run(const std::string& replay, int frames) {
        std::ofstream(dir / "replay.txt") << replay;
        EXPECT_EQ(RunGame("--fast --windowed --no-render --seed 7 --stage 1 --replay replay.txt "
                          "--trace t.jsonl --frames " +
                          std::to_string(frames)),
                  0)
            << Err();
        return FileLines(dir / "t.jsonl");
    }
};

} // namespace

TEST_F(JellyE2E, ShotJelliesDipAndRiseThenFollowAndFireWhileTheButtonIsHeld) {
    // The button is held from the end of the fade-in on; the player fires every 30 frames: north, east and
    // west at the three jellies, then a few more shots round the east and west ones in case one swam out of
    // the line of fire, then north for the rest of the run.
    std::string replay =
        MouseToward(0, 0.0f) + "60 down LBUTTON\n" + MouseToward(80, 90.0f) + MouseToward(110, 270.0f);
    const float retries[] = {285, 255, 300, 240, 75, 105, 60, 120, 270, 90};
    long long pass = 140;
    for (float heading : retries) {
        replay += MouseToward(pass, heading);
        pass += 30;
    }
    replay += MouseToward(pass, 0.0f);
    const int frames = 900;
    const std::vector<std::string> lines = Run(replay, frames);
    ASSERT_EQ(lines.size(), (size_t)frames);
    EXPECT_EQ(TraceInt(lines[0], "strays"), 3);
    EXPECT_EQ(TraceInt(lines[0], "rescuing"), 0);

    // Each rescue starts as a stray (it still counts as one) and ends, after its animation, as a follower.
    int starts = 0, ends = 0;
    long long firstStart = -1, firstEnd = -1;
    for (size_t p = 1; p < lines.size(); ++p) {
        const long long rescuing = TraceInt(lines[p], "rescuing"),
                        before = TraceInt(lines[p - 1], "rescuing");
        const long long strays = TraceInt(lines[p], "strays"),
                        straysBefore = TraceInt(lines[p - 1], "strays");
        if (rescuing > before) {
            starts += (int)(rescuing - before);
            EXPECT_EQ(strays, straysBefore) << "pass " << p;
            if (firstStart < 0) firstStart = (long long)p;
        }
        if (rescuing < before) {
            ends += (int)(before - rescuing);
            EXPECT_EQ(straysBefore - strays, before - rescuing) << "pass " << p;
            if (firstEnd < 0) firstEnd = (long long)p;
        }
        EXPECT_GE(strays, rescuing);
    }
    EXPECT_EQ(starts, 3);
    EXPECT_EQ(ends, 3);
    ASSERT_GT(firstStart, 0);
    // Down for 90 frames, a pause of up to 61 (shortened when others pause with it), up for 90.
    EXPECT_GE(firstEnd - firstStart, 200);
    EXPECT_LE(firstEnd - firstStart, 300);

    // The last 300 frames: three followers and no strays. The player alone adds one shot every 30 frames
    // (10 in 300); with its followers the shot list grows faster.
    long long grown = 0, mostFollowers = 0;
    for (size_t p = frames - 300; p < lines.size(); ++p) {
        EXPECT_EQ(TraceInt(lines[p], "strays"), 0) << "pass " << p;
        const long long delta = TraceInt(lines[p], "shots") - TraceInt(lines[p - 1], "shots");
        if (delta > 0) grown += delta;
        mostFollowers = std::max(mostFollowers, TraceInt(lines[p], "followers"));
    }
    EXPECT_EQ(mostFollowers, 3);
    EXPECT_GT(grown, 10);
    EXPECT_GT(TraceInt(lines.back(), "targets"), 0);
}

TEST_F(JellyE2E, WithoutTheButtonNoJellyIsRescued) {
    const std::vector<std::string> lines = Run(MouseToward(0, 0.0f), 400);
    ASSERT_EQ(lines.size(), 400u);
    for (const std::string& line : lines) {
        ASSERT_EQ(TraceInt(line, "strays"), 3);
        ASSERT_EQ(TraceInt(line, "rescuing"), 0);
        ASSERT_EQ(TraceInt(line, "followers"), 0);
    }
    // The strays, near the player, fire at it: it loses two hit points a hit.
    const std::string& last = lines.back();
    const size_t at = last.find("\"player\":{\"hp\":");
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(std::atoi(last.c_str() + at + 15), 100);
}
