// Stage 1 played headless from a hand-made stage file: swimming, firing, the tutorial pages and Escape,
// read back from the trace (and, with the stage camera in, from screenshots).
#include "tests/e2e/E2ESupport.h"

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// A number of the "player" object of a trace line.
double PlayerNum(const std::string& line, const std::string& key) {
    return NumValue(RawValue(line, "player"), key);
}

// A cube of side 2 with one white material: the shot mesh of these runs.
const char* kCubeX = R"(xof 0303txt 0032
Mesh {
 8;
 -1.0;-1.0;-1.0;, 1.0;-1.0;-1.0;, 1.0;1.0;-1.0;, -1.0;1.0;-1.0;,
 -1.0;-1.0;1.0;, 1.0;-1.0;1.0;, 1.0;1.0;1.0;, -1.0;1.0;1.0;;
 12;
 3;0,2,1;, 3;0,3,2;, 3;4,5,6;, 3;4,6,7;, 3;0,1,5;, 3;0,5,4;,
 3;3,7,6;, 3;3,6,2;, 3;0,4,7;, 3;0,7,3;, 3;1,2,6;, 3;1,6,5;;
 MeshMaterialList {
  1;
  12;
  0,0,0,0,0,0,0,0,0,0,0,0;;
  Material White {
   1.0;1.0;1.0;1.0;;
   0.0;
   0.0;0.0;0.0;;
   0.0;0.0;0.0;;
  }
 }
}
)";

// A scratch working directory with the effect file, our cube as the shot mesh and a stage 1 holding one
// football far from the player's start (so that the stage is not cleared at once and nothing comes near).
class PlayerE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("player-e2e");
        LinkShaderOnly();
        fs::create_directories(dir / "xfile");
        std::ofstream(dir / "data" / "stage1.csv") << "type,x,y,z\n2,-200,0,250\n";
        std::ofstream(dir / "xfile" / "bullet.x") << kCubeX;
    }

    // Runs the game with a replay; returns the trace lines.
    std::vector<std::string> Run(const std::string& replay, const std::string& flags, int* code = nullptr) {
        std::ofstream(dir / "replay.txt") << replay;
        const int rc =
            RunGame("--fast --windowed --seed 7 --stage 1 --replay replay.txt --trace t.jsonl " + flags);
        if (code) *code = rc;
        EXPECT_EQ(rc, 0) << Err();
        return FileLines(dir / "t.jsonl");
    }
};

// Held keys by pass from a list of (pass, key, down) events.
struct KeyEvent {
    long long pass;
    char key;
    bool down;
};

} // namespace

TEST_F(PlayerE2E, SwimmingWithWASDFollowsAccelerationDragAndTheCap) {
    const std::vector<KeyEvent> events = {{70, 'W', true},   {130, 'W', false}, {130, 'D', true},
                                          {190, 'D', false}, {190, 'S', true},  {250, 'S', false},
                                          {250, 'A', true},  {310, 'A', false}};
    std::string replay;
    for (const KeyEvent& e : events)
        replay += std::to_string(e.pass) + (e.down ? " down " : " up ") + e.key + "\n";
    const std::vector<std::string> lines = Run(replay, "--no-render --frames 360");
    ASSERT_EQ(lines.size(), 360u);
    ASSERT_EQ(RawValue(lines[0], "proc"), "\"GameInit\"");

    // The design's numbers, frame by frame: push 0.03 along the key, drag 0.95, cap 0.2, rest below 1e-5.
    float px = (float)PlayerNum(lines[0], "x"), pz = (float)PlayerNum(lines[0], "z");
    EXPECT_EQ(px, 60.0f);
    EXPECT_EQ(pz, -170.0f);
    float vx = 0.0f, vz = 0.0f;
    int updates = 0;
    for (size_t p = 1; p < lines.size(); ++p) {
        // The world moves in the passes that begin without a fade.
        if (NumValue(lines[p - 1], "fade") != 0) {
            EXPECT_EQ(PlayerNum(lines[p], "z"), PlayerNum(lines[p - 1], "z")) << p;
            continue;
        }
        ++updates;
        float kx = 0.0f, kz = 0.0f;
        // The keys held during pass p: each key's last event at or before p.
        bool held[256] = {};
        for (const KeyEvent& e : events)
            if (e.pass <= (long long)p) held[(int)e.key] = e.down;
        if (held['W']) kz += 1.0f;
        if (held['S']) kz -= 1.0f;
        if (held['D']) kx += 1.0f;
        if (held['A']) kx -= 1.0f;
        vx += kx * 0.03f;
        vz += kz * 0.03f;
        vx *= 0.95f;
        vz *= 0.95f;
        const float len = std::sqrt(vx * vx + vz * vz);
        if (len > 0.2f) {
            vx = vx / len * 0.2f;
            vz = vz / len * 0.2f;
        }
        if (std::sqrt(vx * vx + vz * vz) <= 0.00001f) vx = vz = 0.0f;
        px += vx;
        pz += vz;
        ASSERT_NEAR(PlayerNum(lines[p], "vx"), vx, 1e-5) << lines[p];
        ASSERT_NEAR(PlayerNum(lines[p], "vz"), vz, 1e-5) << lines[p];
        ASSERT_NEAR(PlayerNum(lines[p], "x"), px, 2e-3) << lines[p];
        ASSERT_NEAR(PlayerNum(lines[p], "z"), pz, 2e-3) << lines[p];
        EXPECT_FLOAT_EQ((float)PlayerNum(lines[p], "maxspeed"), 0.2f);
    }
    EXPECT_EQ(updates, 360 - 66); // 64 frames of fade-in and the frame that ends it stand still
    // Sixty frames north at up to 0.2 a frame, then east, south, west: back near the start, a little
    // north-east of it, body turned toward the last direction (west).
    EXPECT_GT(PlayerNum(lines[129], "z"), -170.0 + 9.0);
    EXPECT_GT(PlayerNum(lines[189], "x"), 60.0 + 9.0);
    EXPECT_NEAR(PlayerNum(lines[359], "angle"), 270.0, 0.1);
}

TEST_F(PlayerE2E, HoldingTheButtonFiresEvery30FramesAndSlowsThePlayer) {
    const std::string replay = "0 mouse 320 100\n100 down LBUTTON\n220 up LBUTTON\n";
    const std::vector<std::string> lines = Run(replay, "--no-render --frames 300");
    ASSERT_EQ(lines.size(), 300u);
    for (size_t p = 1; p < 100; ++p)
        ASSERT_EQ(NumValue(lines[p], "shots"), 0) << p;
    // The first shot leaves in the press's frame, the next 30 frames later; each lives 41 updates.
    EXPECT_EQ(NumValue(lines[100], "shots"), 1);
    EXPECT_EQ(PlayerNum(lines[100], "shotwait"), 29);
    EXPECT_EQ(NumValue(lines[129], "shots"), 1);
    EXPECT_EQ(NumValue(lines[130], "shots"), 2);
    EXPECT_EQ(NumValue(lines[141], "shots"), 1); // the first shot's 41st update took it away
    EXPECT_EQ(NumValue(lines[100], "requests"), 0);
    EXPECT_NEAR(PlayerNum(lines[100], "maxspeed"), 0.195, 1e-6);
    EXPECT_FLOAT_EQ((float)PlayerNum(lines[200], "maxspeed"), 0.08f);
    // Shots leave at 100, 130, 160, 190; the last is gone 41 frames later.
    EXPECT_GT(NumValue(lines[219], "shots"), 0);
    EXPECT_EQ(NumValue(lines[232], "shots"), 0);
    EXPECT_FLOAT_EQ((float)PlayerNum(lines[299], "maxspeed"), 0.2f);
    EXPECT_EQ(PlayerNum(lines[299], "hp"), 100);
}

TEST_F(PlayerE2E, ShotsShowOnTheScreenshot) {
    const std::string base = "--headless --frames 112 --shot-at 110 ";
    const std::vector<std::string> quiet = Run("0 mouse 320 100\n", base + "--shot-dir quiet");
    ASSERT_EQ(quiet.size(), 112u);
    const std::string cam = RawValue(quiet[110], "cam");
    if (cam == "[0,0,0]") GTEST_SKIP() << "the stage camera is not in this build: the stage is out of view";
    const std::vector<std::string> firing =
        Run("0 mouse 320 100\n100 down LBUTTON\n", base + "--shot-dir firing");
    ASSERT_EQ(NumValue(firing[110], "shots"), 1);
    ASSERT_EQ(RawValue(firing[110], "cam"), cam); // the player stood still in both runs
    RgbImage quietShot, firingShot;
    ASSERT_TRUE(quietShot.Load(dir / "quiet" / "pass-000110.png"));
    ASSERT_TRUE(firingShot.Load(dir / "firing" / "pass-000110.png"));
    const int w = quietShot.W(), h = quietShot.H();
    ASSERT_EQ(w, firingShot.W());
    ASSERT_EQ(h, firingShot.H());
    // The shot glows yellow: brighter in red and green, not in blue, somewhere in the upper half
    // (it flies up the screen, toward the cursor).
    long long brighter = 0, brighterBelow = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* pa = quietShot.At(x, y);
            const unsigned char* pb = firingShot.At(x, y);
            if (pb[0] > pa[0] + 8 && pb[1] > pa[1] + 8) (y < h / 2 ? brighter : brighterBelow) += 1;
        }
    EXPECT_GT(brighter, 10);
    EXPECT_GT(brighter, brighterBelow);
}

TEST_F(PlayerE2E, TheTutorialPagesAdvanceWithTheKeysAndTheButton) {
    // W during the fade-in of the keys hint does nothing; D once it is fully shown turns the page; the
    // button, held before the mouse hint is full, ends the tutorial as soon as it is.
    const std::string replay = "70 down W\n100 up W\n240 down D\n241 up D\n400 down LBUTTON\n";
    const std::vector<std::string> lines = Run(replay, "--no-render --frames 700");
    ASSERT_EQ(lines.size(), 700u);
    long long tutorialStart = -1, pageOne = -1, pageTwo = -1;
    for (size_t p = 0; p < lines.size(); ++p) {
        if (tutorialStart < 0 && NumValue(lines[p], "tutorial") == 1) tutorialStart = (long long)p;
        if (pageOne < 0 && NumValue(lines[p], "page") == 1) pageOne = (long long)p;
        if (pageTwo < 0 && NumValue(lines[p], "page") == 2) pageTwo = (long long)p;
    }
    EXPECT_EQ(tutorialStart, 65); // the frame that ends the stage's fade-in
    EXPECT_EQ(NumValue(lines[239], "page"), 0);
    EXPECT_EQ(pageOne, 240 + 128); // 128 frames of fading out after the key
    // The mouse hint fades in for 128 frames (from pageOne), out for 128: the button was held all along.
    EXPECT_EQ(pageTwo, pageOne + 127 + 128);
    EXPECT_EQ(NumValue(lines[pageTwo], "tutorial"), 0);
    EXPECT_EQ(NumValue(lines[699], "page"), 2);
    EXPECT_EQ(NumValue(lines[699], "state"), 0);
}

TEST_F(PlayerE2E, EscapeFadesBackToTheTitle) {
    const std::string replay = "120 down W\n150 down ESCAPE\n151 up ESCAPE\n";
    const std::vector<std::string> lines = Run(replay, "--no-render --frames 260");
    ASSERT_EQ(lines.size(), 260u);
    EXPECT_EQ(NumValue(lines[149], "fade"), 0);
    EXPECT_EQ(NumValue(lines[150], "fade"), 2);
    // The world stands still while the screen fades out.
    EXPECT_EQ(PlayerNum(lines[151], "z"), PlayerNum(lines[180], "z"));
    size_t title = 0;
    for (size_t p = 150; p < lines.size() && !title; ++p)
        if (RawValue(lines[p], "proc") == "\"TitleInit\"") title = p;
    ASSERT_GT(title, 0u);
    // 64 frames of fade, the frame that sees it finished, the leave procedure, then the title.
    EXPECT_EQ(title, 150u + 66u);
    EXPECT_EQ(RawValue(lines[title - 1], "proc"), "\"GameUninit\"");
    EXPECT_EQ(RawValue(lines[title], "player"), "null");
    EXPECT_EQ(NumValue(lines[title], "scene"), 0);
}
