// Replay and record of the keyboard and mouse, and the --frames limit, through the platform's hooks.
#include "app/Replay.h"

#include "app/Options.h"

#include <platform_hooks.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::vector<ReplayEvent> s_Replay;
size_t s_ReplayNext = 0;
std::FILE* s_Record = nullptr;
bool s_LimitClosed = false;

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
    e.kind = in.kind == PlatformInputKind::KeyDown ? ReplayKind::Down
             : in.kind == PlatformInputKind::KeyUp ? ReplayKind::Up
             : in.kind == PlatformInputKind::Mouse ? ReplayKind::Mouse
                                                   : ReplayKind::Close;
    ReplayRecord(e);
}

// Puts one replay event into the platform as if the user made it.
void Apply(const ReplayEvent& e) {
    switch (e.kind) {
    case ReplayKind::Down:
        PlatformInjectKey(e.key, true);
        if (e.key == VK_ESCAPE) PlatformInjectKeyMessage(VK_ESCAPE);
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
    }
}

// --frames: once pass reaches the limit, end the run as if the window were closed: WM_CLOSE, then
// WM_DESTROY, then the quit message.
void ApplyPassLimit(long long pass) {
    const long long limit = RunOptions().frames;
    if (limit < 0 || pass < limit || s_LimitClosed) return;
    s_LimitClosed = true;
    if (PlatformWindowOpen())
        PlatformInjectClose();
    else
        PostQuitMessage(0);
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
    long long lastPass = 0;
    auto fail = [&](const std::string& why) {
        error = name + ":" + std::to_string(line) + ": " + why;
        out.clear();
        return false;
    };
    while (std::getline(in, text)) {
        ++line;
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
        std::fputs("# brinewisp input: <pass> down|up KEY, <pass> mouse X Y, <pass> close\n", s_Record);
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
    if (!s_Record) return;
    std::fprintf(s_Record, "%s\n", FormatReplayEvent(e).c_str());
}

void ReplayStop() {
    if (s_Record) std::fclose(s_Record);
    s_Record = nullptr;
}
