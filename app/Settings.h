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

// Every setting and its default. A new setting is a field here and a row of the key table in Settings.cpp.
struct Settings {
    int display = DISPLAY_ASK;
    int volume = 100;  // master volume, percent
    int music = 100;   // percent, relative to the master
    int effects = 100; // percent, relative to the master
    int muted = 0;
    int pauseOnFocusLoss = 1;
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
