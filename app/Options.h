// The command line of the brinewisp binary: its options, and the one table of flags that both the parser
// and --help are made from.
#pragma once

#include <d3d9debug.h>
#include <platform_hooks.h>

#include <string>
#include <vector>

struct Options {
    // How the platform runs: headless, no-render, fast clock and the start-up question's answer (IDYES for
    // --fullscreen, IDNO for --windowed, 0 ask). main hands it to PlatformMode(), which the rest of the run
    // reads; replayActive is left to the replay.
    PlatformRunMode mode;
    bool seedGiven = false;
    unsigned seed = 0;
    long long frames = -1; // idle passes to run, -1 no limit
    int stage = 0;         // start in this stage (1..4), 0 the title
    std::string replayPath;
    std::string recordPath;
    std::string tracePath;
    std::string shotDir;
    std::string benchPath;         // per-pass timings for the benchmarks
    std::vector<long long> shotAt; // passes whose back buffer is written out, sorted
    bool traceRss = false;         // the trace also carries the resident memory of the process
    std::string settingsPath;      // --settings: the settings file of this run, whatever the run
    d3d9debug::ShotKind shotKind = d3d9debug::ShotKind::Picture; // what --shot-at writes
    bool renderScaleGiven = false; // --render-scale was given: it overrides the setting
};

enum class ParseOutcome { Run, Help, Error, Version };

// The "WxH" of --window: two whole numbers from 1 to 16384 joined by an 'x'.
bool ParseWindowSize(const std::string& s, int& width, int& height);

// Reads the arguments after the program name ("--flag value" or "--flag=value"). On Error, error names
// the offending flag.
ParseOutcome ParseOptions(const std::vector<std::string>& args, Options& out, std::string& error);
// The --help text: every flag of the table, then the replay line format.
std::string OptionsUsage();

// A whole decimal number in [lo, hi]: an optional sign and at most 18 digits, nothing else. The numbers of
// the command line and of replay files.
bool ParseWholeNumber(const std::string& s, long long lo, long long hi, long long& out);

// The options of this run.
Options& RunOptions();
// True when the back buffer is to be written out after pass.
bool ShotAtPass(long long pass);
