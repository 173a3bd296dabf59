// Our command-line harness: the options of the brinewisp binary, and the replay and record of input.
//
// A replay file holds one event a line; '#' starts a comment, blank lines are ignored:
//   <pass> down <KEY>     <pass> up <KEY>     <pass> mouse <x> <y>     <pass> close
// KEY is one of W A S D LEFT RIGHT RETURN ESCAPE LBUTTON; x and y are client coordinates of the 640 x 480
// client area; pass numbers do not decrease. The events of pass P apply in file order just before pass P
// handles its messages (pass 0 is the first scene procedure call). "down ESCAPE" also delivers the Escape
// key message and "close" closes the window.
#pragma once

#include <istream>
#include <string>
#include <vector>

struct HarnessOptions {
    int screenAnswer = 0; // answer to the start-up question: IDYES (--fullscreen), IDNO (--windowed), 0 ask
    bool seedGiven = false;
    unsigned seed = 0;
    bool fast = false;     // virtual clock
    long long frames = -1; // idle passes to run, -1 no limit
    bool headless = false; // offscreen SDL window, real rendering
    bool noRender = false; // no SDL video, no GL
    int stage = 0;         // start in this stage (1..4), 0 the title
    std::string replayPath;
    std::string recordPath;
    std::string tracePath;
    std::string shotDir;
    std::string benchPath; // per-pass timings for the benchmarks
    std::vector<long long> shotAt; // passes whose back buffer is written out
    bool traceRss = false;         // the trace also carries the resident memory of the process
};

enum class ParseOutcome { Run, Help, Error };

// Reads the arguments after the program name. On Error, error names the offending flag.
ParseOutcome ParseHarnessArgs(const std::vector<std::string>& args, HarnessOptions& out, std::string& error);
const char* HarnessUsage();

enum class ReplayKind { Down, Up, Mouse, Close };
struct ReplayEvent {
    long long pass = 0;
    ReplayKind kind = ReplayKind::Close;
    int key = 0; // virtual key for Down and Up
    int x = 0, y = 0;
    int line = 0; // line of the file it came from
};

// Parses a replay. On failure error reads "<name>:<line>: <reason>" and the result is false.
bool ParseReplay(std::istream& in, const std::string& name, std::vector<ReplayEvent>& out,
                 std::string& error);
// "12 down RETURN", "40 mouse 320 240", "99 close".
std::string FormatReplayEvent(const ReplayEvent& e);
// Virtual key of a replay key name, -1 when unknown; and back (null for keys a replay cannot name).
int ReplayKeyCode(const std::string& name);
const char* ReplayKeyName(int vk);

// The options of this run.
HarnessOptions& Harness();
// Reads the replay file and opens the record file named in Harness(). False (with error set) when the
// replay cannot be read or is malformed, or the record file cannot be written.
bool HarnessStart(std::string& error);
// Uses these events as the replay (tests); an empty list with active true still shuts out live input.
void HarnessSetReplay(const std::vector<ReplayEvent>& events, bool active);
bool HarnessReplayActive();
// Applies the replay events of pass (and of any earlier pass not yet applied): key and mouse state,
// the Escape key message, closing the window. Called by the message layer before pass handles its messages.
void HarnessApplyPass(long long pass);
// Writes one input event of pass to the record file, if one is open.
void HarnessRecord(const ReplayEvent& e);
// Flushes and closes the record file.
void HarnessStop();
// True when the back buffer is to be written out after pass.
bool HarnessShotAt(long long pass);
// The resident memory of this process in kilobytes (VmRSS of /proc/self/status), -1 when unknown.
long long ResidentMemoryKb();
