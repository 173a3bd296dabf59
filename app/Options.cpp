// The command line: one table of flags, read by the parser and printed by --help.
#include "app/Options.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

Options s_Options;

// What the parser has read so far; the screen answer is settled once every flag is in.
struct ParseState {
    Options o;
    bool windowed = false;
    bool fullScreen = false;
};

// Takes in the value of flag (empty for a flag without one). False with error set when it is refused.
typedef bool (*FlagHandler)(ParseState& st, const char* flag, const std::string& value, std::string& error);

struct Flag {
    const char* name;
    const char* value; // what --help shows after the name ("N", "FILE"); null for a flag without a value
    const char* help;
    FlagHandler handle;                    // null when there is nothing to take in
    ParseOutcome ends = ParseOutcome::Run; // Run, or what the parse ends with as soon as it meets the flag
    const char* alias = nullptr;           // another spelling, not listed by --help
};

bool ParsePassList(const std::string& s, std::vector<long long>& out) {
    out.clear();
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, ',')) {
        long long v;
        if (!ParseWholeNumber(item, 0, 999999, v)) return false;
        out.push_back(v);
    }
    if (out.empty() || s.back() == ',') return false;
    std::sort(out.begin(), out.end());
    return true;
}

// A number in [lo, hi], or the refusal "<flag> needs <what>, not '<value>'".
bool NumberValue(const std::string& value, long long lo, long long hi, const char* flag, const char* what,
                 long long& out, std::string& error) {
    if (ParseWholeNumber(value, lo, hi, out)) return true;
    error = std::string(flag) + " needs " + what + ", not '" + value + "'";
    return false;
}

// The handlers of flags that set a field: a switch of the parse, of the options or of the run mode, and a
// file or folder name (anything but empty).
template <bool ParseState::*Field>
bool ParseSwitch(ParseState& st, const char*, const std::string&, std::string&) {
    st.*Field = true;
    return true;
}

template <bool Options::*Field>
bool OptionSwitch(ParseState& st, const char*, const std::string&, std::string&) {
    st.o.*Field = true;
    return true;
}

template <bool PlatformRunMode::*Field>
bool ModeSwitch(ParseState& st, const char*, const std::string&, std::string&) {
    st.o.mode.*Field = true;
    return true;
}

template <std::string Options::*Field>
bool PathFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    if (value.empty()) {
        error = std::string(flag) + " needs a file name";
        return false;
    }
    st.o.*Field = value;
    return true;
}

bool SeedFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    long long n = 0;
    if (!NumberValue(value, 0, 4294967295LL, flag, "a number from 0 to 4294967295", n, error)) return false;
    st.o.seedGiven = true;
    st.o.seed = (unsigned)n;
    return true;
}

bool FramesFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    return NumberValue(value, 0, 1000000000000LL, flag, "a number of passes (0 or more)", st.o.frames, error);
}

bool StageFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    long long n = 0;
    if (!NumberValue(value, 1, 4, flag, "a stage number from 1 to 4", n, error)) return false;
    st.o.stage = (int)n;
    return true;
}

bool ShotAtFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    if (ParsePassList(value, st.o.shotAt)) return true;
    error = std::string(flag) + " needs pass numbers separated by commas, not '" + value + "'";
    return false;
}

// --render-scale: auto (the platform's choice) or a whole scale.
bool RenderScaleFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    st.o.renderScaleGiven = true;
    if (value == "auto") {
        st.o.mode.renderScale = kRenderScaleAuto;
        return true;
    }
    long long n = 0;
    if (!NumberValue(value, 1, 4, flag, "auto or a scale from 1 to 4", n, error)) return false;
    st.o.mode.renderScale = (int)n;
    return true;
}

bool MsaaFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    long long n = 0;
    if (ParseWholeNumber(value, 0, 8, n) && (n == 0 || n == 2 || n == 4 || n == 8)) {
        st.o.mode.msaa = (int)n;
        return true;
    }
    error = std::string(flag) + " needs 0, 2, 4 or 8 samples, not '" + value + "'";
    return false;
}

bool WindowFlag(ParseState& st, const char* flag, const std::string& value, std::string& error) {
    if (ParseWindowSize(value, st.o.mode.windowWidth, st.o.mode.windowHeight)) return true;
    error = std::string(flag) + " needs a size WIDTHxHEIGHT (1 to 16384 each), not '" + value + "'";
    return false;
}

// --shot-native and --shot-window: what --shot-at writes instead of the 640 x 480 picture.
template <d3d9debug::ShotKind Kind>
bool ShotKindFlag(ParseState& st, const char*, const std::string&, std::string& error) {
    if (st.o.shotKind != d3d9debug::ShotKind::Picture && st.o.shotKind != Kind) {
        error = "--shot-native and --shot-window exclude each other";
        return false;
    }
    st.o.shotKind = Kind;
    return true;
}

// Every flag, in the order --help lists them.
const Flag kFlags[] = {
    {"--windowed", nullptr, "play in a window (no start-up question)", ParseSwitch<&ParseState::windowed>},
    {"--fullscreen", nullptr, "play full screen (no start-up question)",
     ParseSwitch<&ParseState::fullScreen>},
    {"--seed", "N", "seed the random generator with N", SeedFlag},
    {"--fast", nullptr, "virtual clock: time moves only by what the frame pacing sleeps",
     ModeSwitch<&PlatformRunMode::fast>},
    {"--frames", "N", "run exactly N idle passes, then close the window", FramesFlag},
    {"--headless", nullptr, "no visible window (offscreen), real rendering; implies --windowed",
     ModeSwitch<&PlatformRunMode::headless>},
    {"--no-render", nullptr, "no window and no rendering at all", ModeSwitch<&PlatformRunMode::noRender>},
    {"--stage", "N", "start in stage N (1-4) instead of the title", StageFlag},
    {"--replay", "FILE", "take the keyboard and mouse only from FILE", PathFlag<&Options::replayPath>},
    {"--record", "FILE", "write the input to FILE in the replay format", PathFlag<&Options::recordPath>},
    {"--trace", "FILE", "write one JSON line of game state after every pass", PathFlag<&Options::tracePath>},
    {"--trace-rss", nullptr, "add the process's resident memory to every trace line",
     OptionSwitch<&Options::traceRss>},
    {"--shot-at", "P1,P2,...", "write the back buffer after these passes ...", ShotAtFlag},
    {"--shot-dir", "DIR", "... as DIR/pass-NNNNNN.png (default: the working directory)",
     PathFlag<&Options::shotDir>},
    {"--bench", "FILE", "write how long each pass worked to FILE (benchmarks)",
     PathFlag<&Options::benchPath>},
    {"--settings", "FILE", "read and save the settings in FILE (harness runs use none without it)",
     PathFlag<&Options::settingsPath>},
    {"--window", "WxH", "open the window with a client area of W x H (default 640x480)", WindowFlag},
    {"--render-scale", "S", "draw the picture S times finer: auto (default), 1, 2, 3, 4", RenderScaleFlag},
    {"--msaa", "N", "multisample the picture: 0, 2, 4, 8 (default 4 on a graphics card, 0 without)",
     MsaaFlag},
    {"--vsync", nullptr, "let the swap wait for the display's refresh", ModeSwitch<&PlatformRunMode::vsync>},
    {"--shot-native", nullptr, "--shot-at writes the back buffer at its own size",
     ShotKindFlag<d3d9debug::ShotKind::Native>},
    {"--shot-window", nullptr, "--shot-at writes the whole window, bars included",
     ShotKindFlag<d3d9debug::ShotKind::Window>},
    {"--help", nullptr, "show this text", nullptr, ParseOutcome::Help, "-h"},
    {"--version", nullptr, "print the version", nullptr, ParseOutcome::Version},
};

const Flag* FindFlag(const std::string& name) {
    for (const Flag& f : kFlags)
        if (name == f.name || (f.alias && name == f.alias)) return &f;
    return nullptr;
}

// The flags that only make sense together, and the start-up question's answer.
ParseOutcome Settle(ParseState& st, Options& out, std::string& error) {
    if (st.o.mode.headless) st.windowed = true;
    if (st.windowed && st.fullScreen) {
        error = st.o.mode.headless ? "--headless plays windowed and cannot be combined with --fullscreen"
                                   : "--windowed and --fullscreen exclude each other";
        return ParseOutcome::Error;
    }
    if (!st.o.shotAt.empty() && st.o.mode.noRender) {
        error = "--shot-at needs drawing and cannot be combined with --no-render";
        return ParseOutcome::Error;
    }
    st.o.mode.screenAnswer = st.fullScreen ? IDYES : st.windowed ? IDNO : 0;
    st.o.mode.unattended = st.o.frames >= 0; // a run that ends by itself waits for nobody
    out = st.o;
    return ParseOutcome::Run;
}

} // namespace

bool ParseWholeNumber(const std::string& s, long long lo, long long hi, long long& out) {
    if (s.empty()) return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size() || s.size() - i > 18) return false;
    for (size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseWindowSize(const std::string& s, int& width, int& height) {
    const size_t x = s.find('x');
    long long w = 0, h = 0;
    if (x == std::string::npos || !ParseWholeNumber(s.substr(0, x), 1, 16384, w) ||
        !ParseWholeNumber(s.substr(x + 1), 1, 16384, h) || s[0] == '+' || s[x + 1] == '+')
        return false;
    width = (int)w;
    height = (int)h;
    return true;
}

std::string OptionsUsage() {
    std::string text = "usage: brinewisp [options]\n";
    for (const Flag& f : kFlags) {
        std::string left = f.name;
        if (f.value) left.append(" ").append(f.value);
        left.resize(std::max<size_t>(left.size() + 1, 22), ' ');
        text += "  " + left + f.help + "\n";
    }
    return text +
           "Replay lines: <pass> down|up KEY, <pass> mouse X Y, <pass> window-mouse X Y, <pass> close,\n"
           "<pass> focus out|in; KEY is one of W A S D P M MINUS EQUALS LEFT RIGHT RETURN ESCAPE\n"
           "LBUTTON; X Y are 640 x 480 client coordinates (window-mouse: of the window's whole\n"
           "client area, bars included).\n";
}

ParseOutcome ParseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
    ParseState st;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        const size_t eq = name.find('=');
        const bool inlineValue = name.rfind("--", 0) == 0 && eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const Flag* flag = FindFlag(name);
        if (!flag) {
            error = "unknown option '" + args[i] + "'";
            return ParseOutcome::Error;
        }
        if (flag->ends != ParseOutcome::Run) return flag->ends; // whatever stands beside it
        if (!flag->value && inlineValue) {
            error = name + " takes no value";
            return ParseOutcome::Error;
        }
        if (flag->value && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return ParseOutcome::Error;
            }
            value = args[++i];
        }
        if (flag->handle && !flag->handle(st, flag->name, value, error)) return ParseOutcome::Error;
    }
    return Settle(st, out, error);
}

Options& RunOptions() {
    return s_Options;
}

bool ShotAtPass(long long pass) {
    return std::binary_search(s_Options.shotAt.begin(), s_Options.shotAt.end(), pass);
}
