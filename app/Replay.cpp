// Replay and record of the keyboard and mouse, and the --frames limit, through the platform's hooks.
#include "app/Replay.h"

#include "app/Options.h"
#include "app/OutputFiles.h"

#include <platform_hooks.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::vector<ReplayEvent> s_Replay;
size_t s_ReplayNext = 0;
std::FILE* s_Record = nullptr;
std::string s_RecordPath;
bool s_LimitClosed = false;

// A replay is a small text: anything longer is no replay (and /dev/zero is refused at once).
constexpr size_t kMaxReplayLine = 4096;
constexpr long long kMaxReplayBytes = 64LL << 20;

enum class LineRead { Line, End, TooLong, TooBig };

// The next line of in, without its line feed, read no further than the limits allow.
LineRead ReadBoundedLine(std::istream& in, std::string& line, long long& total) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    bool any = false;
    for (;;) {
        const int c = buf ? buf->sbumpc() : std::char_traits<char>::eof();
        if (c == std::char_traits<char>::eof()) return any ? LineRead::Line : LineRead::End;
        any = true;
        if (++total > kMaxReplayBytes) return LineRead::TooBig;
        if (c == '\n') return LineRead::Line;
        if (line.size() == kMaxReplayLine) return LineRead::TooLong;
        line.push_back((char)c);
    }
}

const struct {
    const char* name;
    int vk;
} kKeys[] = {{"W", 'W'},
             {"A", 'A'},
             {"S", 'S'},
             {"D", 'D'},
             {"P", 'P'},
             {"M", 'M'},
             {"MINUS", VK_OEM_MINUS},
             {"EQUALS", VK_OEM_PLUS},
             {"LEFT", VK_LEFT},
             {"RIGHT", VK_RIGHT},
             {"RETURN", VK_RETURN},
             {"ESCAPE", VK_ESCAPE},
             {"LBUTTON", VK_LBUTTON}};

// The event that the words after a line's pass number name, or the reason they name none.
std::string ParseEventWords(const std::vector<std::string>& w, ReplayEvent& e) {
    const std::string& verb = w[1];
    if (verb == "down" || verb == "up") {
        if (w.size() != 3) return "'" + verb + "' takes one key";
        e.kind = verb == "down" ? ReplayKind::Down : ReplayKind::Up;
        e.key = ReplayKeyCode(w[2]);
        if (e.key < 0) return "unknown key '" + w[2] + "'";
    } else if (verb == "mouse" || verb == "window-mouse") {
        long long x, y;
        if (w.size() != 4) return "'" + verb + "' takes x and y";
        if (!ParseWholeNumber(w[2], -100000, 100000, x) || !ParseWholeNumber(w[3], -100000, 100000, y))
            return "mouse position '" + w[2] + " " + w[3] + "' is not two whole numbers";
        e.kind = verb == "mouse" ? ReplayKind::Mouse : ReplayKind::WindowMouse;
        e.x = (int)x;
        e.y = (int)y;
    } else if (verb == "close") {
        if (w.size() != 2) return "'close' takes nothing";
        e.kind = ReplayKind::Close;
    } else if (verb == "focus") {
        if (w.size() != 3 || (w[2] != "out" && w[2] != "in")) return "'focus' takes 'out' or 'in'";
        e.kind = w[2] == "out" ? ReplayKind::FocusOut : ReplayKind::FocusIn;
    } else {
        return "unknown event '" + verb + "'";
    }
    return std::string();
}

// A live input event of the platform, recorded in the replay format.
void RecordLiveInput(const PlatformInputEvent& in) {
    ReplayEvent e;
    e.pass = in.pass;
    e.key = in.key;
    e.x = in.x;
    e.y = in.y;
    e.kind = in.kind == PlatformInputKind::KeyDown    ? ReplayKind::Down
             : in.kind == PlatformInputKind::KeyUp    ? ReplayKind::Up
             : in.kind == PlatformInputKind::Mouse    ? ReplayKind::Mouse
             : in.kind == PlatformInputKind::FocusOut ? ReplayKind::FocusOut
             : in.kind == PlatformInputKind::FocusIn  ? ReplayKind::FocusIn
                                                      : ReplayKind::Close;
    ReplayRecord(e);
}

// Puts one replay event into the platform as if the user made it.
void Apply(const ReplayEvent& e) {
    switch (e.kind) {
    case ReplayKind::Down:
        PlatformInjectKey(e.key, true);
        if (PlatformKeyPostsMessage(e.key)) PlatformInjectKeyMessage(e.key);
        break;
    case ReplayKind::Up:
        PlatformInjectKey(e.key, false);
        break;
    case ReplayKind::Mouse:
        PlatformInjectMouse(e.x, e.y);
        break;
    case ReplayKind::WindowMouse:
        PlatformInjectWindowMouse(e.x, e.y);
        break;
    case ReplayKind::Close:
        PlatformInjectClose();
        break;
    case ReplayKind::FocusOut:
    case ReplayKind::FocusIn:
        PlatformInjectFocus(e.kind == ReplayKind::FocusIn);
        break;
    }
}

// --frames: once pass reaches the limit, end the run as if the window were closed: WM_CLOSE, then
// WM_DESTROY, then the quit message.
void ApplyPassLimit(long long pass) {
    const long long limit = RunOptions().frames;
    if (limit < 0 || pass < limit || s_LimitClosed) return;
    s_LimitClosed = true;
    PlatformRequestClose();
}

// A line of the record file, flushed at once: a run that is killed keeps the input it had.
void WriteRecordLine(const std::string& text) {
    errno = 0;
    if (std::fprintf(s_Record, "%s\n", text.c_str()) < 0 || std::fflush(s_Record) != 0)
        ReportWriteError(s_RecordPath, "record file", errno);
}

void HookIntoPlatform() {
    PlatformSetBeforePassHook(ReplayBeforePass);
    PlatformSetInputHook(RecordLiveInput);
}

} // namespace

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
    long long lastPass = 0, total = 0;
    auto fail = [&](const std::string& why) {
        error = name + ":" + std::to_string(line) + ": " + why;
        out.clear();
        return false;
    };
    for (;;) {
        const LineRead read = ReadBoundedLine(in, text, total);
        if (read == LineRead::End) break;
        ++line;
        if (read == LineRead::TooLong) return fail("the line is longer than 4 KiB");
        if (read == LineRead::TooBig) return fail("the file is larger than 64 MiB");
        const size_t hash = text.find('#');
        if (hash != std::string::npos) text.resize(hash);
        std::istringstream words(text);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty()) continue;
        ReplayEvent e;
        e.line = line;
        if (!ParseWholeNumber(w[0], 0, 1000000000000LL, e.pass) || w[0][0] == '+' || w[0][0] == '-')
            return fail("'" + w[0] + "' is not a pass number");
        if (e.pass < lastPass) return fail("pass " + w[0] + " comes after pass " + std::to_string(lastPass));
        if (w.size() < 2) return fail("an event is missing after the pass number");
        const std::string why = ParseEventWords(w, e);
        if (!why.empty()) return fail(why);
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
    case ReplayKind::WindowMouse:
        s += e.kind == ReplayKind::Mouse ? " mouse " : " window-mouse ";
        s += std::to_string(e.x) + " " + std::to_string(e.y);
        break;
    case ReplayKind::Close:
        s += " close";
        break;
    case ReplayKind::FocusOut:
        s += " focus out";
        break;
    case ReplayKind::FocusIn:
        s += " focus in";
        break;
    }
    return s;
}

bool ReplayStart(std::string& error) {
    const Options& options = RunOptions();
    s_Replay.clear();
    s_ReplayNext = 0;
    s_LimitClosed = false;
    PlatformMode().replayActive = false;
    HookIntoPlatform();
    if (!options.replayPath.empty()) {
        std::ifstream in(options.replayPath);
        if (!in) {
            error = options.replayPath + ": cannot read the replay file";
            return false;
        }
        if (!ParseReplay(in, options.replayPath, s_Replay, error)) return false;
        PlatformMode().replayActive = true;
    }
    if (!options.recordPath.empty()) {
        s_Record = std::fopen(options.recordPath.c_str(), "w");
        if (!s_Record) {
            error = options.recordPath + ": cannot write the record file";
            return false;
        }
        s_RecordPath = options.recordPath;
        WriteRecordLine(
            "# brinewisp input: <pass> down|up KEY, <pass> mouse X Y, <pass> close, <pass> focus out|in");
    }
    return true;
}

void ReplaySet(const std::vector<ReplayEvent>& events, bool active) {
    s_Replay = events;
    s_ReplayNext = 0;
    s_LimitClosed = false;
    PlatformMode().replayActive = active;
    HookIntoPlatform();
}

void ReplayBeforePass(long long pass) {
    while (s_ReplayNext < s_Replay.size() && s_Replay[s_ReplayNext].pass <= pass) {
        const ReplayEvent& e = s_Replay[s_ReplayNext++];
        Apply(e);
        ReplayRecord(e);
    }
    ApplyPassLimit(pass);
}

void ReplayRecord(const ReplayEvent& e) {
    if (s_Record) WriteRecordLine(FormatReplayEvent(e));
}

void ReplayStop() {
    if (s_Record) {
        errno = 0;
        if (std::fclose(s_Record) != 0) ReportWriteError(s_RecordPath, "record file", errno);
    }
    s_Record = nullptr;
}
