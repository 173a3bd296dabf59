// The title as a player meets it, headless with the generated assets: click to glide, pick stage 2 with the
// keys, click the start button where it is drawn, play, Escape back to the title, and quit from its exit
// button. Screenshots of the logo, the selector on each item and the fade-out are checked on the way.
#include "tests/e2e/E2ESupport.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// The "title" object of a trace line, or "null".
std::string TitleOf(const std::string& line) {
    return RawValue(line, "title");
}

struct Rgb {
    int r = 0, g = 0, b = 0;
};

class TitleE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!MakeRuntimeDir("title-e2e",
                            {"image/title/logo.png", "image/title/start.png", "xfile/football.x"}))
            GTEST_SKIP() << "the generated assets are missing (run build/assetgen .)";
    }

    int Run(const std::string& replay, const std::string& args) {
        std::ofstream(dir / "replay.txt") << replay;
        return RunGame("--headless --fast --windowed --seed 5 --replay replay.txt " + args);
    }

    // Pixels of one screenshot.
    bool Load(long long pass) {
        char name[32];
        std::snprintf(name, sizeof name, "pass-%06lld.png", pass);
        if (!shot.Load(dir / "shots" / name)) return false;
        return shot.W() == 640 && shot.H() == 480;
    }
    Rgb At(int x, int y) const {
        const unsigned char* p = shot.At(x, y);
        return {p[0], p[1], p[2]};
    }
    double Mean() const {
        double sum = 0.0;
        for (unsigned char v : shot.Bytes())
            sum += v;
        return sum / (double)shot.Bytes().size();
    }

    RgbImage shot;
};

int Distance(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

} // namespace

TEST_F(TitleE2E, ClickToGlidePickStageTwoPlayComeBackAndQuitFromExit) {
    // The buttons where they are drawn: start over the selected item (bobbing 0 to 3 above 5), exit to the
    // right and behind, both with the camera resting on its item.
    const ScreenPoint start = ProjectOnTitle(100.0, 10.0, 100.0, 6.5, -5.0);
    const ScreenPoint exit = ProjectOnTitle(0.0, 10.0, 30.0, 5.0, 20.0);
    std::ostringstream replay;
    replay << "0 mouse 320 300\n"
           << "80 down LBUTTON\n82 up LBUTTON\n"                // the glide to the selector
           << "160 down D\n161 up D\n"                          // to stage 2
           << "258 mouse " << start.x << " " << start.y << "\n" // start
           << "260 down LBUTTON\n261 up LBUTTON\n"              // stage 2 from about pass 326
           << "500 down ESCAPE\n501 up ESCAPE\n"                // back to the title
           << "650 down LBUTTON\n652 up LBUTTON\n"              // the glide again
           << "720 mouse " << exit.x << " " << exit.y << "\n"   // exit
           << "730 down LBUTTON\n731 up LBUTTON\n";
    ASSERT_EQ(Run(replay.str(), "--frames 1200 --trace t.jsonl --shot-at 75,150,255,292 --shot-dir shots"), 0)
        << Err();
    const std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_GT(lines.size(), 732u);
    ASSERT_LT(lines.size(), 1200u) << "the program must end by itself";

    // The first visit: waiting, gliding from the click, the selector, the slide to stage 2.
    EXPECT_EQ(TitleOf(lines[79]), "{\"phase\":0,\"sel\":0,\"moving\":0,\"speed\":0,\"at\":[0,-100]}");
    EXPECT_EQ(IntValue(TitleOf(lines[80]), "phase"), 1);
    EXPECT_EQ(RawValue(TitleOf(lines[150]), "at"), "[0,10]");
    EXPECT_EQ(IntValue(TitleOf(lines[150]), "phase"), 2);
    EXPECT_EQ(IntValue(lines[150], "menu"), -1); // the click that started the glide pressed nothing
    EXPECT_EQ(IntValue(TitleOf(lines[160]), "sel"), 1);
    EXPECT_EQ(IntValue(TitleOf(lines[160]), "moving"), 1);
    EXPECT_NE(TitleOf(lines[255]).find("\"sel\":1,\"moving\":0"), std::string::npos) << lines[255];
    EXPECT_EQ(RawValue(TitleOf(lines[255]), "at"), "[100,10]");

    // The start click chose stage 2: the fade-out, TitleUninit, then GameInit of stage 2.
    EXPECT_EQ(IntValue(lines[260], "menu"), 0);
    EXPECT_EQ(IntValue(lines[260], "stage"), 2);
    size_t gameInit = 0;
    for (size_t i = 0; i < lines.size() && !gameInit; ++i)
        if (RawValue(lines[i], "proc") == "\"GameInit\"") gameInit = i;
    ASSERT_GT(gameInit, 260u);
    EXPECT_EQ(gameInit, 326u);
    EXPECT_EQ(RawValue(lines[gameInit - 1], "proc"), "\"TitleUninit\"");
    EXPECT_EQ(IntValue(lines[gameInit], "stage"), 2);
    EXPECT_EQ(IntValue(lines[gameInit], "scene"), 1);
    EXPECT_EQ(TitleOf(lines[gameInit]), "null");
    EXPECT_EQ(RawValue(lines[gameInit + 100], "proc"), "\"GameUpdate\"");
    EXPECT_NE(RawValue(lines[gameInit + 100], "player"), "null");

    // Escape in the stage: the fade-out, then the title again from its start.
    size_t back = 0;
    for (size_t i = gameInit; i < lines.size() && !back; ++i)
        if (RawValue(lines[i], "proc") == "\"TitleInit\"") back = i;
    ASSERT_GT(back, 500u);
    EXPECT_EQ(RawValue(lines[back - 1], "proc"), "\"GameUninit\"");
    EXPECT_EQ(IntValue(TitleOf(lines[back]), "phase"), 0);
    EXPECT_EQ(RawValue(TitleOf(lines[back]), "at"), "[0,-100]");
    EXPECT_EQ(IntValue(TitleOf(lines[720]), "phase"), 2);
    EXPECT_EQ(IntValue(TitleOf(lines[720]), "sel"), 0);

    // The exit click: menu 1, the fade-out, TitleUninit, and QuitScene ends the program.
    EXPECT_EQ(IntValue(lines[730], "menu"), 1);
    EXPECT_EQ(IntValue(lines[730], "fade"), 2);
    EXPECT_EQ(RawValue(lines.back(), "proc"), "\"QuitScene\"");
    EXPECT_EQ(IntValue(lines.back(), "scene"), 3);
    EXPECT_EQ(RawValue(lines[lines.size() - 2], "proc"), "\"TitleUninit\"");
    EXPECT_EQ(lines.size(), 730u + 65u + 2u);

    // Pass 75, the logo: bright blue and cyan letters across the middle, over sand below and fog above.
    ASSERT_TRUE(Load(75));
    const Rgb letter = At(320, 250), sand = At(320, 440), fog = At(320, 60);
    EXPECT_GE(letter.b, 200) << letter.r << "," << letter.g << "," << letter.b;
    EXPECT_GE(letter.g, letter.r + 25);
    EXPECT_GE(sand.r, sand.b);
    EXPECT_GE(fog.b, fog.r + 100);

    // Passes 150 and 255, the selector on each item: the buttons stand at the same place on the screen, but
    // the stars and the arrows change. A star is orange through the fog (red above green); the seabed and
    // the fog are not.
    const ScreenPoint oneStar = ProjectOnTitle(0.0, 10.0, 0.0, 5.0, 10.0);
    const ScreenPoint leftStar = ProjectOnTitle(100.0, 10.0, 92.5, 5.0, 10.0);
    const ScreenPoint rightArrow = ProjectOnTitle(0.0, 10.0, 30.0, 5.0, -5.0);
    const ScreenPoint leftArrow = ProjectOnTitle(0.0, 10.0, -30.0, 5.0, -5.0);
    ASSERT_TRUE(Load(150));
    const Rgb star1 = At(oneStar.x, oneStar.y), noStar1 = At(leftStar.x, leftStar.y);
    const Rgb right1 = At(rightArrow.x, rightArrow.y), left1 = At(leftArrow.x, leftArrow.y);
    const Rgb start1 = At(start.x, start.y + 25), exit1 = At(exit.x, exit.y);
    ASSERT_TRUE(Load(255));
    const Rgb star2 = At(leftStar.x, leftStar.y), noStar2 = At(oneStar.x, oneStar.y);
    const Rgb right2 = At(rightArrow.x, rightArrow.y), left2 = At(leftArrow.x, leftArrow.y);
    const Rgb start2 = At(start.x, start.y + 25), exit2 = At(exit.x, exit.y);
    EXPECT_GE(star1.r, star1.g + 15) << "one star in the middle over stage 1";
    EXPECT_GE(star2.r, star2.g + 15) << "the left one of two stars over stage 2";
    EXPECT_LT(noStar1.r, noStar1.g + 5) << "no star left of the middle over stage 1";
    EXPECT_LT(noStar2.r, noStar2.g + 5) << "no star in the middle over stage 2";
    // An arrow is light blue (green well above red); where it has faded the seabed shows (red about green).
    EXPECT_GE(right1.g, right1.r + 40) << "the right arrow leads to stage 2";
    EXPECT_LT(std::abs(right2.g - right2.r), 10) << "and fades out there";
    EXPECT_LT(std::abs(left1.g - left1.r), 10) << "the left arrow is faded out on stage 1";
    EXPECT_GE(left2.g, left2.r + 40) << "and shows on stage 2";
    EXPECT_GE(start1.b, start1.r + 60) << "the start button is blue";
    EXPECT_LT(Distance(start1, start2), 40) << "and follows the camera";
    EXPECT_LT(Distance(exit1, exit2), 20) << "so does the exit button";

    // Pass 292, half-way through the fade-out: the same view darkened by the overlay's opacity.
    ASSERT_TRUE(Load(255));
    const double bright = Mean();
    ASSERT_TRUE(Load(292));
    const long long alpha = IntValue(lines[292], "alpha");
    EXPECT_GT(alpha, 100);
    EXPECT_LT(alpha, 160);
    EXPECT_NEAR(Mean(), bright * (255.0 - (double)alpha) / 255.0, 4.0);
}

// The button held from the first screen through the whole glide, with the cursor on the right arrow: on
// arrival the button has not been handled yet, so the arrow under the cursor is pressed in that very pass;
// held on, it presses nothing more.
TEST_F(TitleE2E, AButtonHeldThroughTheGlidePressesTheArrowUnderTheCursorOnArrival) {
    const ScreenPoint right = ProjectOnTitle(0.0, 10.0, 30.0, 5.0, -5.0);
    std::ostringstream replay;
    replay << "0 mouse " << right.x << " " << right.y << "\n80 down LBUTTON\n";
    ASSERT_EQ(Run(replay.str(), "--frames 300 --trace t.jsonl"), 0) << Err();
    const std::vector<std::string> lines = TextLines(ReadText(dir / "t.jsonl"));
    ASSERT_EQ(lines.size(), 300u);

    size_t arrival = 0;
    for (size_t i = 80; i < lines.size() && !arrival; ++i)
        if (IntValue(TitleOf(lines[i]), "phase") == 2) arrival = i;
    ASSERT_EQ(arrival, 137u) << "the glide takes 58 passes from the click";
    EXPECT_EQ(IntValue(TitleOf(lines[arrival - 1]), "phase"), 1);
    EXPECT_EQ(IntValue(TitleOf(lines[arrival - 1]), "sel"), 0);
    EXPECT_EQ(IntValue(TitleOf(lines[arrival]), "sel"), 1) << lines[arrival];
    EXPECT_EQ(IntValue(TitleOf(lines[arrival]), "moving"), 1);

    // The slide to stage 2 ends with the button still held: nothing else has been chosen.
    EXPECT_NE(TitleOf(lines.back()).find("\"sel\":1,\"moving\":0"), std::string::npos) << lines.back();
    EXPECT_EQ(RawValue(TitleOf(lines.back()), "at"), "[100,10]");
    for (size_t i = arrival; i < lines.size(); ++i) {
        ASSERT_EQ(IntValue(lines[i], "menu"), -1) << i;
        ASSERT_EQ(IntValue(lines[i], "fade"), 0) << i;
    }
}
