// The settings file: one table of keys, read leniently and written back atomically, keeping whatever the
// player wrote besides our keys.
#include "app/Settings.h"

#include "app/Options.h"

#include <platform_hooks.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace {

Settings s_Settings;
SettingsFile s_File;
std::string s_Path; // empty: this run keeps its settings to itself

struct Key {
    const char* name;
    int Settings::*field;
    int lo, hi;
    const char* const* words; // the names of the values lo..hi, or null for numbers
};

// Every key of the file, in the order a new file lists them.
const Key kKeys[] = {
#define BW_SETTING_KEY(key, field, byDefault, lo, hi, words) {key, &Settings::field, lo, hi, words},
    BW_SETTINGS(BW_SETTING_KEY)
#undef BW_SETTING_KEY
};

const Key* FindKey(const std::string& name) {
    for (const Key& k : kKeys)
        if (name == k.name) return &k;
    return nullptr;
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string ValueText(const Key& k, int v) {
    return k.words ? k.words[v - k.lo] : std::to_string(v);
}

// The value a key's text names; false when it names none.
bool ParseValue(const Key& k, const std::string& text, int& out) {
    if (k.words) {
        for (int v = k.lo; v <= k.hi; ++v)
            if (text == k.words[v - k.lo]) {
                out = v;
                return true;
            }
        return false;
    }
    long long n = 0;
    if (!ParseWholeNumber(text, k.lo, k.hi, n)) return false;
    out = (int)n;
    return true;
}

// What a key takes: "0 to 100", "ask, window or fullscreen".
std::string Accepted(const Key& k) {
    if (!k.words) return std::to_string(k.lo) + " to " + std::to_string(k.hi);
    std::string s;
    for (int v = k.lo; v <= k.hi; ++v)
        s += (v == k.lo ? "" : v == k.hi ? " or " : ", ") + ValueText(k, v);
    return s;
}

// The key a line sets, and its value text; false for blank lines, comments and section headers.
bool SplitLine(const std::string& line, std::string& name, std::string& value) {
    const std::string t = Trimmed(line);
    if (t.empty() || t[0] == '#' || t[0] == ';' || t[0] == '[') return false;
    const size_t eq = t.find('=');
    name = Trimmed(t.substr(0, eq));
    value = eq == std::string::npos ? std::string() : Trimmed(t.substr(eq + 1));
    if (eq == std::string::npos || name.empty()) name.clear();
    return true;
}

std::string ConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/brinewisp";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config/brinewisp";
    return std::string();
}

} // namespace

void ParseSettings(std::istream& in, const std::string& name, SettingsFile& out, std::string& warnings) {
    out = SettingsFile();
    std::string line, key, value;
    for (int number = 1; std::getline(in, line); ++number) {
        out.lines.push_back(line);
        if (!SplitLine(line, key, value)) continue;
        const std::string where = name + ":" + std::to_string(number) + ": ";
        if (key.empty()) {
            warnings += where + "'" + Trimmed(line) + "' is not 'key = value'; ignored\n";
            continue;
        }
        const Key* k = FindKey(key);
        if (!k) continue; // kept for whoever wrote it
        int v = 0;
        if (ParseValue(*k, value, v)) {
            out.values.*k->field = v;
        } else {
            out.values.*k->field = Settings().*k->field;
            warnings.append(where).append(key).append(" takes ").append(Accepted(*k)).append(", not '");
            warnings.append(value)
                .append("'; using ")
                .append(ValueText(*k, out.values.*k->field))
                .append("\n");
        }
    }
    out.read = out.values;
}

std::string FormatSettings(const SettingsFile& file) {
    std::vector<std::string> lines = file.lines;
    if (lines.empty()) lines.push_back("# Brinewisp settings: key = value; lines of your own are kept.");
    const bool fresh = file.lines.empty();
    for (const Key& k : kKeys) {
        const int v = file.values.*k.field;
        if (!fresh && v == file.read.*k.field) continue;
        const std::string text = std::string(k.name) + " = " + ValueText(k, v);
        // The last line of the key is the one that counted; it takes the new value.
        size_t at = lines.size();
        std::string key, value;
        for (size_t i = 0; i < lines.size(); ++i)
            if (SplitLine(lines[i], key, value) && key == k.name) at = i;
        if (at < lines.size())
            lines[at] = text;
        else
            lines.push_back(text);
    }
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

std::string SettingsPathFor(const Options& o) {
    if (!o.settingsPath.empty()) return o.settingsPath;
    const bool harness = o.mode.headless || o.mode.noRender || !o.replayPath.empty() || o.frames >= 0;
    const std::string folder = harness ? std::string() : ConfigFolder();
    return folder.empty() ? std::string() : folder + "/settings.ini";
}

void SettingsStart() {
    s_Path = SettingsPathFor(RunOptions());
    s_File = SettingsFile();
    if (!s_Path.empty()) {
        std::ifstream in(s_Path);
        std::string warnings;
        if (in) ParseSettings(in, s_Path, s_File, warnings);
        std::istringstream lines(warnings);
        for (std::string w; std::getline(lines, w);)
            std::fprintf(stderr, "brinewisp: %s\n", w.c_str());
    }
    s_Settings = s_File.values;
    int& answer = PlatformMode().screenAnswer;
    if (answer == 0 && s_Settings.display != DISPLAY_ASK)
        answer = s_Settings.display == DISPLAY_FULLSCREEN ? IDYES : IDNO;
    if (!RunOptions().renderScaleGiven) PlatformMode().renderScale = s_Settings.renderScale;
}

Settings& RunSettings() {
    return s_Settings;
}

bool SettingsSave() {
    if (s_Path.empty()) return true;
    s_File.values = s_Settings;
    const std::filesystem::path path(s_Path);
    const std::filesystem::path temp = path.string() + ".tmp" + std::to_string((long)getpid());
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    bool ok = !ec;
    if (ok) { // on the disk before it takes the old file's place
        const std::string text = FormatSettings(s_File);
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0 &&
             fsync(fileno(f)) == 0;
        if (f && std::fclose(f) != 0) ok = false;
    }
    if (ok) std::filesystem::rename(temp, path, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        std::fprintf(stderr, "brinewisp: %s: cannot save the settings\n", s_Path.c_str());
        return false;
    }
    // What is on disk now is what the next save compares with.
    std::istringstream text(FormatSettings(s_File));
    std::string ignored;
    ParseSettings(text, s_Path, s_File, ignored);
    return true;
}

void SettingsRememberDisplay(bool fullScreen) {
    s_Settings.display = fullScreen ? DISPLAY_FULLSCREEN : DISPLAY_WINDOW;
    SettingsSave();
}

void SettingsNoteScreenMode(bool fullScreen) {
    if (s_Settings.display == DISPLAY_ASK) return;
    SettingsRememberDisplay(fullScreen);
}
