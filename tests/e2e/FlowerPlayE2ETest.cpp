// The game binary without rendering, in a stage of our own: the player swims to each blossom of a flower,
// shoots it down, and then swims straight through the place where the flower stood.
#include "tests/e2e/E2ESupport.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// The player's numbers: 0.2 units a frame at most, reached within a few frames of holding a key
// (0.03 a frame gained, 5 % lost to drag), and after the key is let go it coasts 0.2 * 0.95 / 0.05 units.
const double kTopSpeed = 0.2;
const double kCoast = 0.2 * 0.95 / 0.05;
const int kRampFrames = 3;
// A shot leaves 5 units ahead of the player and flies 41 units more; it takes a blossom within 10.
// Five of them, one every 30 frames while the button is held.
const int kFireFrames = 5 * 30 + 10;
const int kSettle = 80; // frames of drifting to rest between legs

int HoldFrames(double distance) {
    return (int)std::ceil((distance - kCoast) / kTopSpeed) + kRampFrames;
}

struct PlayerAt {
    double x, z;
};
PlayerAt PlayerOf(const std::string& line) {
    const size_t p = line.find("\"player\":{");
    if (p == std::string::npos) return {NAN, NAN};
    return {NumberAfter(line, "x", p), NumberAfter(line, "z", p)};
}

// A replay written leg by leg: hold a key for a number of frames, or aim and hold the fire button.
struct ReplayWriter {
    std::ostringstream text;
    int pass = 100; // the stage has faded in by then
    void Hold(const char* key, int frames) {
        text << pass << " down " << key << "\n" << pass + frames << " up " << key << "\n";
        pass += frames + kSettle;
    }
    void Fire(int cursorX, int cursorY) {
        text << pass << " mouse " << cursorX << " " << cursorY << "\n" << pass << " down LBUTTON\n";
        text << pass + kFireFrames << " up LBUTTON\n";
        pass += kFireFrames + kSettle;
    }
};

class FlowerPlayE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!AssetsGenerated({"xfile/collision2.x"})) GTEST_SKIP() << "run build/assetgen . first";
        MakeDir("flowerplay");
        LinkShaderOnly();
        LinkRuntime({"image", "xfile", "sound"});
    }
};

} // namespace

TEST_F(FlowerPlayE2E, ShootingBothBlossomsOpensTheWayThroughTheFlower) {
    // Stage 2 starts the player at (0, 6, 80). The flower stands at (200, 0, -10); its blossoms are at
    // (-320, 0, 125) and (265, 0, -38) wherever it stands. A far anemone keeps the stage from being cleared.
    const double flowerX = 200.0, flowerZ = -10.0;
    std::ofstream(dir / "data" / "stage2.csv") << "code,x,y,z\n33,200,0,-10\n3,-420,0,-380\n";

    ReplayWriter r;
    r.Hold("W", HoldFrames(20.0));  // to z = 100
    r.Hold("A", HoldFrames(320.0)); // to x = -320, 25 below the first blossom
    const int firstFire = r.pass;
    r.Fire(320, 40);                // straight up on the screen: toward +z
    r.Hold("D", HoldFrames(585.0)); // to x = 265, far above the flower
    r.Hold("S", HoldFrames(110.0)); // to z = -10, 28 above the second blossom
    const int secondFire = r.pass;
    r.Fire(320, 440);               // straight down: toward -z
    r.Hold("A", HoldFrames(130.0)); // through the flower's middle to x = 135
    const int end = r.pass;
    std::ofstream(dir / "replay.txt") << r.text.str();

    ASSERT_EQ(
        RunGame(
            "--no-render --fast --windowed --seed 3 --stage 2 --replay replay.txt --trace t.jsonl --frames " +
            std::to_string(end)),
        0);
    const std::vector<std::string> lines = FileLines(dir / "t.jsonl");
    ASSERT_EQ(lines.size(), (size_t)end);

    // Where the legs ended, as planned.
    const PlayerAt atFirst = PlayerOf(lines[firstFire]), atSecond = PlayerOf(lines[secondFire]);
    EXPECT_NEAR(atFirst.x, -320.0, 4.0);
    EXPECT_NEAR(atFirst.z, 100.0, 4.0);
    EXPECT_NEAR(atSecond.x, 265.0, 4.0);
    EXPECT_NEAR(atSecond.z, -10.0, 4.0);

    int firstDown = -1, done = -1, inside = -1;
    double closest = 1e9;
    for (int i = 0; i < end; ++i) {
        const std::string& l = lines[i];
        EXPECT_NE(l.find("\"state\":0"), std::string::npos) << l; // nobody dies, nothing is cleared
        if (firstDown < 0 && l.find("\"flower\":{\"hp\":[0,5]") != std::string::npos) firstDown = i;
        if (done < 0 && l.find("\"flower\":{\"hp\":[0,0],\"done\":1}") != std::string::npos) done = i;
        const PlayerAt p = PlayerOf(l);
        const double d = std::hypot(p.x - flowerX, p.z - flowerZ);
        closest = std::min(closest, d);
        if (inside < 0 && d < 28.0) inside = i;
    }
    // The first blossom falls while the first volley flies, the second during the second.
    EXPECT_GT(firstDown, firstFire);
    EXPECT_LT(firstDown, secondFire);
    EXPECT_GT(done, secondFire);
    EXPECT_LT(done, secondFire + kFireFrames + 40);
    // Once finished it stays so, and only then does the player get within the flower's radius.
    ASSERT_GE(done, 0);
    for (int i = done; i < end; ++i)
        EXPECT_NE(lines[i].find("\"flower\":{\"hp\":[0,0],\"done\":1}"), std::string::npos) << lines[i];
    EXPECT_GT(inside, done);
    EXPECT_LT(closest, 4.0);
    EXPECT_LT(PlayerOf(lines[end - 1]).x, flowerX - 28.0);
}
