// The settings file: read leniently, written back with the player's own lines kept, and found in the
// configuration folder only for runs that are not the test harness's.
#include "app/Options.h"
#include "app/Settings.h"
#include "tests/support/ScratchDir.h"
#include "tests/unit/RunTestSupport.h"
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

SettingsFile Read(const std::string& text, std::string* warnings = nullptr) {
    std::istringstream in(text);
    SettingsFile f;
    std::string w;
    ParseSettings(in, "s.ini", f, w);
    if (warnings) *warnings = w;
    return f;
}

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_Name(name) {
        const char* old = std::getenv(name);
        m_Had = old != nullptr;
        if (old) m_Old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_Had)
            setenv(m_Name, m_Old.c_str(), 1);
        else
            unsetenv(m_Name);
    }

  private:
    const char* m_Name;
    bool m_Had = false;
    std::string m_Old;
};

} // namespace

TEST(SettingsFileTest, ARoundTripKeepsCommentsUnknownKeysAndBadLines) {
    std::string warnings;
    SettingsFile f = Read("# mine\n"
                          "[brinewisp]\n"
                          "display = window\n"
                          "volume=55\n"
                          "not a setting\n"
                          "muted = perhaps\n"
                          "colour = teal\n"
                          "  music = 30  \n"
                          "volume = 60\n",
                          &warnings);
    EXPECT_EQ(f.values.display, DISPLAY_WINDOW);
    EXPECT_EQ(f.values.volume, 60); // the last line of a key counts
    EXPECT_EQ(f.values.music, 30);
    EXPECT_EQ(f.values.muted, 0); // the default for a value it cannot read
    EXPECT_EQ(f.values.effects, 100);
    EXPECT_EQ(f.values.pauseOnFocusLoss, 1);
    EXPECT_EQ(warnings, "s.ini:5: 'not a setting' is not 'key = value'; ignored\n"
                        "s.ini:6: muted takes 0 to 1, not 'perhaps'; using 0\n");

    // Nothing changed: the file comes back as it was.
    EXPECT_EQ(FormatSettings(f), "# mine\n[brinewisp]\ndisplay = window\nvolume=55\nnot a setting\n"
                                 "muted = perhaps\ncolour = teal\n  music = 30  \nvolume = 60\n");
    // Changed values take the key's last line, or a new one at the end.
    f.values.volume = 70;
    f.values.display = DISPLAY_FULLSCREEN;
    f.values.pauseOnFocusLoss = 0;
    const std::string written = FormatSettings(f);
    EXPECT_EQ(written,
              "# mine\n[brinewisp]\ndisplay = fullscreen\nvolume=55\nnot a setting\nmuted = perhaps\n"
              "colour = teal\n  music = 30  \nvolume = 70\npause_on_focus_loss = 0\n");
    const SettingsFile again = Read(written);
    EXPECT_EQ(again.values.volume, 70);
    EXPECT_EQ(again.values.display, DISPLAY_FULLSCREEN);
    EXPECT_EQ(again.values.pauseOnFocusLoss, 0);
    EXPECT_EQ(again.values.music, 30);
}

TEST(SettingsFileTest, AFileMadeFromNothingListsEveryKey) {
    SettingsFile f = Read("");
    f.values.muted = 1;
    const SettingsFile again = Read(FormatSettings(f));
    EXPECT_EQ(again.lines.size(), 8u); // a comment and seven keys
    EXPECT_EQ(again.values.muted, 1);
    EXPECT_EQ(again.values.display, DISPLAY_ASK);
    EXPECT_EQ(again.values.volume, 100);
    std::string warnings;
    Read("volume = 101\ndisplay = huge\n", &warnings);
    EXPECT_EQ(warnings, "s.ini:1: volume takes 0 to 100, not '101'; using 100\n"
                        "s.ini:2: display takes ask, window or fullscreen, not 'huge'; using ask\n");
}

TEST(SettingsFileTest, OnlyPlayersRunsUseTheConfigurationFolder) {
    ScopedEnv home("HOME", "/home/someone");
    Options o;
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(SettingsPathFor(o), "/home/someone/.config/brinewisp/settings.ini");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(SettingsPathFor(o), "/cfg/brinewisp/settings.ini");
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "cfg"); // not absolute: ignored, as the XDG rules say
        EXPECT_EQ(SettingsPathFor(o), "/home/someone/.config/brinewisp/settings.ini");
    }
    Options headless, noRender, replay, frames;
    headless.mode.headless = true;
    noRender.mode.noRender = true;
    replay.replayPath = "r.replay";
    frames.frames = 10;
    for (Options* harness : {&headless, &noRender, &replay, &frames}) {
        EXPECT_EQ(SettingsPathFor(*harness), "");
        harness->settingsPath = "mine.ini";
        EXPECT_EQ(SettingsPathFor(*harness), "mine.ini");
    }
}

// The start-up question's "don't ask again" stores the mode; from then on Alt+Enter's choice is stored too,
// and the next start answers the question from the file unless the command line did.
TEST(SettingsFileTest, TheRememberedScreenModeFollowsAltEnterAndAnswersTheQuestion) {
    ScratchDir dir("settings");
    ResetRun();
    RunOptions().settingsPath = dir.File("cfg/settings.ini");
    SettingsStart();
    EXPECT_EQ(PlatformMode().screenAnswer, 0);
    SettingsNoteScreenMode(true); // "ask" stays "ask"
    EXPECT_FALSE(std::ifstream(RunOptions().settingsPath).good());
    SettingsRememberDisplay(false);
    EXPECT_EQ(RunSettings().display, DISPLAY_WINDOW);
    SettingsNoteScreenMode(true);
    SettingsStart();
    EXPECT_EQ(RunSettings().display, DISPLAY_FULLSCREEN);
    EXPECT_EQ(PlatformMode().screenAnswer, IDYES);
    PlatformMode().screenAnswer = IDNO; // --windowed
    SettingsStart();
    EXPECT_EQ(PlatformMode().screenAnswer, IDNO);
    ResetRun();
    SettingsStart(); // back to a run without a file
}
