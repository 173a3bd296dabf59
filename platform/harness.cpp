// Command-line options, replay and record of the keyboard and mouse.
#include "platform/harness.h"

#include "platform/win32_private.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

HarnessOptions s_Options;
std::vector<ReplayEvent> s_Replay;
size_t s_ReplayNext = 0;
bool s_ReplayActive = false;
std::FILE* s_Record = nullptr;

const struct {
    const char* name;
    int vk;
} kKeys[] = {{"W", 'W'},
             {"A", 'A'},
             {"S", 'S'},
             {"D", 'D'},
             {"LEFT", VK_LEFT},
             {"RIGHT", VK_RIGHT},
             {"RETURN", VK_RETURN},
             {"ESCAPE", VK_ESCAPE},
             {"LBUTTON", VK_LBUTTON}};

// A whole decimal integer in [lo, hi].
bool ParseInt(const std::string& s, long long lo, long long hi, long long& out) {
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

bool ParsePassList(const std::string& s, std::vector<long long>& out) {
    out.clear();
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, ',')) {
        long long v;
        if (!ParseInt(item, 0, 999999, v)) return false;
        out.push_back(v);
    }
    if (out.empty() || s.back() == ',') return false;
    std::sort(out.begin(), out.end());
    return true;
}

} // namespace

const char* HarnessUsage() {
    return "usage: brinewisp [options]\n"
           "  --windowed            play in a window (no start-up question)\n"
           "  --fullscreen          play full screen (no start-up question)\n"
           "  --seed N              seed the random generator with N\n"
           "  --fast                virtual clock: time moves only by what the frame pacing sleeps\n"
           "  --frames N            run exactly N idle passes, then close the window\n"
           "  --headless            no visible window (offscreen), real rendering; implies --windowed\n"
           "  --no-render           no window and no rendering at all\n"
           "  --stage N             start in stage N (1-4) instead of the title\n"
           "  --replay FILE         take the keyboard and mouse only from FILE\n"
           "  --record FILE         write the input to FILE in the replay format\n"
           "  --trace FILE          write one JSON line of game state after every pass\n"
           "  --trace-rss           add the process's resident memory to every trace line\n"
           "  --shot-at P1,P2,...   write the back buffer after these passes ...\n"
           "  --shot-dir DIR        ... as DIR/pass-NNNNNN.png (default: the working directory)\n"
           "  --bench FILE          write how long each pass worked to FILE (benchmarks)\n"
           "  --help                show this text\n"
           "Replay lines: <pass> down|up KEY, <pass> mouse X Y, <pass> close; KEY is one of\n"
           "W A S D LEFT RIGHT RETURN ESCAPE LBUTTON; X Y are 640 x 480 client coordinates.\n";
}

ParseOutcome ParseHarnessArgs(const std::vector<std::string>& args, HarnessOptions& out, std::string& error) {
    HarnessOptions o;
    bool windowed = false, fullScreen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string flag = args[i], value;
        bool inlineValue = false;
        size_t eq = flag.find('=');
        if (flag.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = flag.substr(eq + 1);
            flag = flag.substr(0, eq);
            inlineValue = true;
        }
        auto needValue = [&](std::string& v) {
            if (inlineValue) {
                v = value;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = flag + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        auto noValue = [&]() {
            if (!inlineValue) return true;
            error = flag + " takes no value";
            return false;
        };
        long long n = 0;
        if (flag == "--help" || flag == "-h") {
            return ParseOutcome::Help;
        } else if (flag == "--windowed") {
            if (!noValue()) return ParseOutcome::Error;
            windowed = true;
        } else if (flag == "--fullscreen") {
            if (!noValue()) return ParseOutcome::Error;
            fullScreen = true;
        } else if (flag == "--fast") {
            if (!noValue()) return ParseOutcome::Error;
            o.fast = true;
        } else if (flag == "--headless") {
            if (!noValue()) return ParseOutcome::Error;
            o.headless = true;
        } else if (flag == "--no-render") {
            if (!noValue()) return ParseOutcome::Error;
            o.noRender = true;
        } else if (flag == "--trace-rss") {
            if (!noValue()) return ParseOutcome::Error;
            o.traceRss = true;
        } else if (flag == "--seed") {
            if (!needValue(value)) return ParseOutcome::Error;
            if (!ParseInt(value, 0, 4294967295LL, n)) {
                error = "--seed needs a number from 0 to 4294967295, not '" + value + "'";
                return ParseOutcome::Error;
            }
            o.seedGiven = true;
            o.seed = (unsigned)n;
        } else if (flag == "--frames") {
            if (!needValue(value)) return ParseOutcome::Error;
            if (!ParseInt(value, 0, 1000000000000LL, n)) {
                error = "--frames needs a number of passes (0 or more), not '" + value + "'";
                return ParseOutcome::Error;
            }
            o.frames = n;
        } else if (flag == "--stage") {
            if (!needValue(value)) return ParseOutcome::Error;
            if (!ParseInt(value, 1, 4, n)) {
                error = "--stage needs a stage number from 1 to 4, not '" + value + "'";
                return ParseOutcome::Error;
            }
            o.stage = (int)n;
        } else if (flag == "--replay" || flag == "--record" || flag == "--trace" || flag == "--shot-dir" ||
                   flag == "--bench") {
            if (!needValue(value)) return ParseOutcome::Error;
            if (value.empty()) {
                error = flag + " needs a file name";
                return ParseOutcome::Error;
            }
            (flag == "--replay"   ? o.replayPath
             : flag == "--record" ? o.recordPath
             : flag == "--trace"  ? o.tracePath
             : flag == "--bench"  ? o.benchPath
                                  : o.shotDir) = value;
        } else if (flag == "--shot-at") {
            if (!needValue(value)) return ParseOutcome::Error;
            if (!ParsePassList(value, o.shotAt)) {
                error = "--shot-at needs pass numbers separated by commas, not '" + value + "'";
                return ParseOutcome::Error;
            }
        } else {
            error = "unknown option '" + args[i] + "'";
            return ParseOutcome::Error;
        }
    }
    if (o.headless) windowed = true;
    if (windowed && fullScreen) {
        error = o.headless ? "--headless plays windowed and cannot be combined with --fullscreen"
                           : "--windowed and --fullscreen exclude each other";
        return ParseOutcome::Error;
    }
    o.screenAnswer = fullScreen ? IDYES : windowed ? IDNO : 0;
    out = o;
    return ParseOutcome::Run;
}

// ---- Replay files ----

int ReplayKeyCode(const std::string& name) {
    for (const auto& k : kKeys)
        if (name == k.name) return k.vk;
    return -1;
}

const char* ReplayKeyName(int vk) {
    for (const auto& k : kKeys)
        if (vk == k.vk) return k.name;
    return nullptr;
}

bool ParseReplay(std::istream& in, const std::string& name, std::vector<ReplayEvent>& out,
                 std::string& error) {
    out.clear();
    std::string text;
    int line = 0;
    long long lastPass = 0;
    auto fail = [&](const std::string& why) {
        error = name + ":" + std::to_string(line) + ": " + why;
        out.clear();
        return false;
    };
    while (std::getline(in, text)) {
        ++line;
        size_t hash = text.find('#');
        if (hash != std::string::npos) text.resize(hash);
        std::istringstream words(text);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty()) continue;
        ReplayEvent e;
        e.line = line;
        if (!ParseInt(w[0], 0, 1000000000000LL, e.pass) || w[0][0] == '+' || w[0][0] == '-')
            return fail("'" + w[0] + "' is not a pass number");
        if (e.pass < lastPass) return fail("pass " + w[0] + " comes after pass " + std::to_string(lastPass));
        if (w.size() < 2) return fail("an event is missing after the pass number");
        const std::string& verb = w[1];
        if (verb == "down" || verb == "up") {
            if (w.size() != 3) return fail("'" + verb + "' takes one key");
            e.kind = verb == "down" ? ReplayKind::Down : ReplayKind::Up;
            e.key = ReplayKeyCode(w[2]);
            if (e.key < 0) return fail("unknown key '" + w[2] + "'");
        } else if (verb == "mouse") {
            long long x, y;
            if (w.size() != 4) return fail("'mouse' takes x and y");
            if (!ParseInt(w[2], -100000, 100000, x) || !ParseInt(w[3], -100000, 100000, y))
                return fail("mouse position '" + w[2] + " " + w[3] + "' is not two whole numbers");
            e.kind = ReplayKind::Mouse;
            e.x = (int)x;
            e.y = (int)y;
        } else if (verb == "close") {
            if (w.size() != 2) return fail("'close' takes nothing");
            e.kind = ReplayKind::Close;
        } else {
            return fail("unknown event '" + verb + "'");
        }
        lastPass = e.pass;
        out.push_back(e);
    }
    if (in.bad()) return fail("read error");
    return true;
}

std::string FormatReplayEvent(const ReplayEvent& e) {
    std::string s = std::to_string(e.pass);
    switch (e.kind) {
    case ReplayKind::Down:
    case ReplayKind::Up: {
        const char* key = ReplayKeyName(e.key);
        s += e.kind == ReplayKind::Down ? " down " : " up ";
        s += key ? key : "?";
        break;
    }
    case ReplayKind::Mouse:
        s += " mouse " + std::to_string(e.x) + " " + std::to_string(e.y);
        break;
    case ReplayKind::Close:
        s += " close";
        break;
    }
    return s;
}

// ---- The run's harness ----

HarnessOptions& Harness() {
    return s_Options;
}

bool HarnessStart(std::string& error) {
    s_Replay.clear();
    s_ReplayNext = 0;
    s_ReplayActive = false;
    if (!s_Options.replayPath.empty()) {
        std::ifstream in(s_Options.replayPath);
        if (!in) {
            error = s_Options.replayPath + ": cannot read the replay file";
            return false;
        }
        if (!ParseReplay(in, s_Options.replayPath, s_Replay, error)) return false;
        s_ReplayActive = true;
    }
    if (!s_Options.recordPath.empty()) {
        s_Record = std::fopen(s_Options.recordPath.c_str(), "w");
        if (!s_Record) {
            error = s_Options.recordPath + ": cannot write the record file";
            return false;
        }
        std::fputs("# brinewisp input: <pass> down|up KEY, <pass> mouse X Y, <pass> close\n", s_Record);
    }
    return true;
}

void HarnessSetReplay(const std::vector<ReplayEvent>& events, bool active) {
    s_Replay = events;
    s_ReplayNext = 0;
    s_ReplayActive = active;
}

bool HarnessReplayActive() {
    return s_ReplayActive;
}

void HarnessApplyPass(long long pass) {
    HWND hwnd = win32::MainWindow();
    while (s_ReplayNext < s_Replay.size() && s_Replay[s_ReplayNext].pass <= pass) {
        const ReplayEvent& e = s_Replay[s_ReplayNext++];
        switch (e.kind) {
        case ReplayKind::Down:
            win32::SetKey(e.key, true);
            if (e.key == VK_ESCAPE) win32::PostToQueue(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case ReplayKind::Up:
            win32::SetKey(e.key, false);
            break;
        case ReplayKind::Mouse: {
            POINT p = win32::ClientToScreen640(hwnd, e.x, e.y);
            win32::SetMouseScreen(p.x, p.y);
            break;
        }
        case ReplayKind::Close:
            win32::PostToQueue(hwnd, WM_CLOSE, 0, 0);
            break;
        }
        HarnessRecord(e);
    }
}

void HarnessRecord(const ReplayEvent& e) {
    if (!s_Record) return;
    std::fprintf(s_Record, "%s\n", FormatReplayEvent(e).c_str());
}

void HarnessStop() {
    if (s_Record) std::fclose(s_Record);
    s_Record = nullptr;
}

bool HarnessShotAt(long long pass) {
    return std::binary_search(s_Options.shotAt.begin(), s_Options.shotAt.end(), pass);
}

long long ResidentMemoryKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %lld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}
