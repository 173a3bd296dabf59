// The player's settings, kept between runs in settings.ini in the user's configuration folder
// ($XDG_CONFIG_HOME/brinewisp/, else ~/.config/brinewisp/), or in the file --settings names. One
// "key = value" a line; '#' and ';' start comment lines. Runs of the test harness (--headless, --no-render,
// --replay, --frames) neither read nor write a file unless --settings names one.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct Options;

// The values of Settings::display.
enum DisplayChoice {
    DISPLAY_ASK = 0,        // the start-up question
    DISPLAY_WINDOW = 1,     // a window, without asking
    DISPLAY_FULLSCREEN = 2, // full screen, without asking
};

// The names of the values of a setting that is a choice, lowest value first.
inline const char* const kDisplayWords[] = {"ask", "window", "fullscreen"}; // by DisplayChoice
// render_scale: 0 is auto (the platform's choice), else the back buffer's pixels per picture pixel.
inline const char* const kRenderScaleWords[] = {"auto", "1", "2", "3", "4"};

// Every setting, one line each: its key in the file, its field in Settings, its default, its lowest and
// highest value, and the names of its values (null for a number). Adding a setting is adding a line.
#define BW_SETTINGS(X)                                                                                       \
    X("display", display, DISPLAY_ASK, DISPLAY_ASK, DISPLAY_FULLSCREEN, kDisplayWords)                       \
    X("volume", volume, 100, 0, 100, nullptr)   /* master volume, percent */                                 \
    X("music", music, 100, 0, 100, nullptr)     /* percent, relative to the master */                        \
    X("effects", effects, 100, 0, 100, nullptr) /* percent, relative to the master */                        \
    X("muted", muted, 0, 0, 1, nullptr)                                                                      \
    X("pause_on_focus_loss", pauseOnFocusLoss, 1, 0, 1, nullptr)                                             \
    X("render_scale", renderScale, 0, 0, 4, kRenderScaleWords) /* --render-scale overrides it */

struct Settings {
#define BW_SETTING_FIELD(key, field, byDefault, lo, hi, words) int field = byDefault;
    BW_SETTINGS(BW_SETTING_FIELD)
#undef BW_SETTING_FIELD
};

// A settings file as read: its lines as they stand, the values they give, and those values as they were
// read (a value is written back only once it differs from them).
struct SettingsFile {
    std::vector<std::string> lines;
    Settings values;
    Settings read;
};

// Reads a settings file. A line that is not "key = value", or a known key with a value out of its range,
// gets one warning line in warnings ("<name>:<line>: ...") and leaves the default; unknown keys, comments and
// bad lines stay in lines.
void ParseSettings(std::istream& in, const std::string& name, SettingsFile& out, std::string& warnings);
// The text of the file with the current values: the lines as read, with the line of each changed key
// rewritten (or the key appended); a file read from nothing lists every key.
std::string FormatSettings(const SettingsFile& file);

// The file of this run: --settings, else the user's settings.ini; empty for a harness run without
// --settings, or when no configuration folder is known.
std::string SettingsPathFor(const Options& options);

// Reads the settings of this run (defaults when there is no file, silently) and applies display to the
// start-up question unless --windowed or --fullscreen answered it.
void SettingsStart();
// The settings of this run.
Settings& RunSettings();
// Writes the settings back (a temporary file, then renamed over the old one); false, with one line on
// stderr, when it cannot. Nothing is written, and true returned, in a run without a settings file.
bool SettingsSave();

// The start-up question's "don't ask again": from now on start full screen or in a window, and save it.
void SettingsRememberDisplay(bool fullScreen);
// Alt+Enter switched the screen mode: a remembered mode follows it (and is saved); "ask" stays.
void SettingsNoteScreenMode(bool fullScreen);
