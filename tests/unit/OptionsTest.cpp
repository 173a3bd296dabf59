// Command-line flags and replay files.
#include "app/Options.h"
#include "app/Replay.h"
#include <windows.h>

#include <gtest/gtest.h>
#include <sstream>

namespace {

ParseOutcome Parse(std::vector<std::string> args, Options& o, std::string& err) {
    return ParseOptions(args, o, err);
}

bool ParseText(const std::string& text, std::vector<ReplayEvent>& out, std::string& err) {
    std::istringstream in(text);
    return ParseReplay(in, "r.txt", out, err);
}

// The error of a one-line-good, then-bad file, so that the line number is not always 1.
std::string ErrorOf(const std::string& badLine) {
    std::vector<ReplayEvent> ev;
    std::string err;
    EXPECT_FALSE(ParseText("# header\n0 down W\n" + badLine + "\n5 up W\n", ev, err)) << badLine;
    EXPECT_TRUE(ev.empty());
    return err;
}

} // namespace

TEST(CommandLine, EveryFlagIsRead) {
    Options o;
    std::string err;
    ASSERT_EQ(Parse({"--windowed", "--seed", "42", "--fast", "--frames", "200", "--stage", "2", "--replay",
                     "in.txt", "--record", "out.txt", "--trace", "t.jsonl", "--shot-at", "100,10",
                     "--shot-dir", "shots"},
                    o, err),
              ParseOutcome::Run)
        << err;
    EXPECT_EQ(o.mode.screenAnswer, IDNO);
    EXPECT_TRUE(o.seedGiven);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_TRUE(o.mode.fast);
    EXPECT_EQ(o.frames, 200);
    EXPECT_EQ(o.stage, 2);
    EXPECT_EQ(o.replayPath, "in.txt");
    EXPECT_EQ(o.recordPath, "out.txt");
    EXPECT_EQ(o.tracePath, "t.jsonl");
    EXPECT_EQ(o.shotDir, "shots");
    EXPECT_EQ(o.shotAt, (std::vector<long long>{10, 100}));
    EXPECT_FALSE(o.mode.headless);
    EXPECT_FALSE(o.mode.noRender);
}

TEST(CommandLine, ScreenModeAnswers) {
    Options o;
    std::string err;
    ASSERT_EQ(Parse({}, o, err), ParseOutcome::Run);
    EXPECT_EQ(o.mode.screenAnswer, 0); // the question is asked
    EXPECT_EQ(o.frames, -1);
    ASSERT_EQ(Parse({"--fullscreen"}, o, err), ParseOutcome::Run);
    EXPECT_EQ(o.mode.screenAnswer, IDYES);
    ASSERT_EQ(Parse({"--headless"}, o, err), ParseOutcome::Run);
    EXPECT_EQ(o.mode.screenAnswer, IDNO); // headless plays windowed
    EXPECT_TRUE(o.mode.headless);
    ASSERT_EQ(Parse({"--no-render", "--seed=7"}, o, err), ParseOutcome::Run);
    EXPECT_TRUE(o.mode.noRender);
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(Parse({"--headless", "--fullscreen"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--windowed", "--fullscreen"}, o, err), ParseOutcome::Error);
}

TEST(CommandLine, BadFlagsAreRefused) {
    Options o;
    std::string err;
    EXPECT_EQ(Parse({"--frobnicate"}, o, err), ParseOutcome::Error);
    EXPECT_NE(err.find("--frobnicate"), std::string::npos);
    EXPECT_EQ(Parse({"--frames"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--frames", "-1"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--frames", "12x"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--seed", "4294967296"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--stage", "0"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--stage", "5"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--shot-at", "1,,2"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--shot-at", "1,2,"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--fast=1"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"stray"}, o, err), ParseOutcome::Error);
    EXPECT_EQ(Parse({"--windowed", "--help"}, o, err), ParseOutcome::Help);
}

TEST(CommandLine, ScreenFlags) {
    Options o;
    std::string err;
    ASSERT_EQ(Parse({}, o, err), ParseOutcome::Run);
    EXPECT_EQ(o.mode.renderScale, kRenderScaleAuto);
    EXPECT_EQ(o.mode.msaa, kMsaaAuto);
    EXPECT_EQ(o.mode.windowWidth, 0);
    EXPECT_FALSE(o.mode.vsync);
    EXPECT_EQ(o.shotKind, d3d9debug::ShotKind::Picture);
    const std::vector<std::string> all = {"--window", "1280x720", "--render-scale", "3",
                                          "--msaa",   "8",        "--vsync",        "--shot-native"};
    ASSERT_EQ(Parse(all, o, err), ParseOutcome::Run) << err;
    EXPECT_EQ(o.mode.windowWidth, 1280);
    EXPECT_EQ(o.mode.windowHeight, 720);
    EXPECT_EQ(o.mode.renderScale, 3);
    EXPECT_EQ(o.mode.msaa, 8);
    EXPECT_TRUE(o.mode.vsync);
    EXPECT_EQ(o.shotKind, d3d9debug::ShotKind::Native);
    ASSERT_EQ(Parse({"--render-scale=auto", "--msaa=0", "--shot-window"}, o, err), ParseOutcome::Run);
    EXPECT_EQ(o.mode.renderScale, kRenderScaleAuto);
    EXPECT_EQ(o.mode.msaa, 0);
    EXPECT_EQ(o.shotKind, d3d9debug::ShotKind::Window);
    const std::vector<std::vector<std::string>> bad = {
        {"--render-scale", "5"},   {"--render-scale", "1.5"}, {"--msaa", "3"},
        {"--msaa", "16"},          {"--window", "1280"},      {"--window", "0x480"},
        {"--window", "640x480x2"}, {"--window", "x480"},      {"--shot-native", "--shot-window"}};
    for (const std::vector<std::string>& args : bad)
        EXPECT_EQ(Parse(args, o, err), ParseOutcome::Error) << args[0] << " " << args[1];
    // A replay's mouse in window coordinates, over the picture or its bars.
    std::vector<ReplayEvent> ev;
    ASSERT_TRUE(ParseText("7 window-mouse -30 700\n", ev, err)) << err;
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, ReplayKind::WindowMouse);
    EXPECT_EQ(FormatReplayEvent(ev[0]), "7 window-mouse -30 700");
    EXPECT_FALSE(ParseText("7 window-mouse 3\n", ev, err));
}

TEST(ReplayFile, GoodFileKeepsOrderAndValues) {
    std::vector<ReplayEvent> ev;
    std::string err;
    const char* text = "# a comment\n"
                       "\n"
                       "0 mouse 320 240\n"
                       "  3 down RETURN   # trailing comment\r\n"
                       "3 up RETURN\n"
                       "3 down LBUTTON\n"
                       "10 mouse -5 700\n"
                       "10 down ESCAPE\n"
                       "12 down W\n12 down A\n12 down S\n12 down D\n12 down LEFT\n12 down RIGHT\n"
                       "40 close\n";
    ASSERT_TRUE(ParseText(text, ev, err)) << err;
    ASSERT_EQ(ev.size(), 13u);
    EXPECT_EQ(ev[0].kind, ReplayKind::Mouse);
    EXPECT_EQ(ev[0].x, 320);
    EXPECT_EQ(ev[0].y, 240);
    EXPECT_EQ(ev[0].line, 3);
    EXPECT_EQ(ev[1].kind, ReplayKind::Down);
    EXPECT_EQ(ev[1].key, VK_RETURN);
    EXPECT_EQ(ev[1].pass, 3);
    EXPECT_EQ(ev[2].kind, ReplayKind::Up);
    EXPECT_EQ(ev[3].key, VK_LBUTTON);
    EXPECT_EQ(ev[4].x, -5);
    EXPECT_EQ(ev[4].y, 700);
    EXPECT_EQ(ev[5].key, VK_ESCAPE);
    EXPECT_EQ(ev[6].key, 'W');
    EXPECT_EQ(ev[9].key, 'D');
    EXPECT_EQ(ev[10].key, VK_LEFT);
    EXPECT_EQ(ev[11].key, VK_RIGHT);
    EXPECT_EQ(ev[12].kind, ReplayKind::Close);
    EXPECT_EQ(ev[12].pass, 40);
    // Each event prints back as the line it came from.
    EXPECT_EQ(FormatReplayEvent(ev[1]), "3 down RETURN");
    EXPECT_EQ(FormatReplayEvent(ev[4]), "10 mouse -5 700");
    EXPECT_EQ(FormatReplayEvent(ev[12]), "40 close");
}

TEST(ReplayFile, MalformedLinesAreNamedByNumber) {
    const char* bad[] = {
        "x down W",      // not a pass number
        "-1 down W",     // negative pass
        "3",             // no event
        "3 press W",     // unknown event
        "3 down",        // no key
        "3 down Q",      // unknown key
        "3 down w",      // keys are upper case
        "3 down W W",    // too many words
        "3 mouse 1",     // one coordinate
        "3 mouse 1 2 3", // three coordinates
        "3 mouse 1.5 2", // not whole
        "3 mouse a b",   // not numbers
        "3 close now",   // close takes nothing
        "3 up",          // no key
    };
    for (const char* line : bad) {
        std::string err = ErrorOf(line);
        EXPECT_EQ(err.rfind("r.txt:3: ", 0), 0u) << line << " -> " << err;
    }
    // Pass numbers must not decrease.
    std::vector<ReplayEvent> ev;
    std::string err;
    EXPECT_FALSE(ParseText("5 down W\n5 up W\n\n4 down A\n", ev, err));
    EXPECT_EQ(err.rfind("r.txt:4: ", 0), 0u) << err;
    // An empty file is a valid replay with no input.
    EXPECT_TRUE(ParseText("# nothing\n\n", ev, err));
    EXPECT_TRUE(ev.empty());
}

TEST(ReplayFile, KeyNamesRoundTrip) {
    for (const char* name : {"W", "A", "S", "D", "LEFT", "RIGHT", "RETURN", "ESCAPE", "LBUTTON"}) {
        int vk = ReplayKeyCode(name);
        ASSERT_GE(vk, 0) << name;
        EXPECT_STREQ(ReplayKeyName(vk), name);
    }
    EXPECT_EQ(ReplayKeyCode("SPACE"), -1);
    EXPECT_EQ(ReplayKeyName(0x20), nullptr);
}
