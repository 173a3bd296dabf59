#include "app/DataTree.h"

#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

namespace fs = std::filesystem;

std::set<std::string> s_NotedFolders;

// What the game does without each folder.
const char* WithoutFolder(const std::string& folder) {
    if (folder == "image") return "the game runs without its pictures";
    if (folder == "xfile") return "the game runs without its models";
    if (folder == "sound") return "the game runs silently";
    return "the game runs without it";
}

fs::path StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state && fs::path(state).is_absolute()) return fs::path(state) / "brinewisp";
    const char* home = std::getenv("HOME");
    if (home && *home) return fs::path(home) / ".local" / "state" / "brinewisp";
    return fs::path();
}

} // namespace

std::vector<std::string> DataTreeCandidates(const std::string& startDir, const std::string& programPath) {
    std::vector<std::string> out;
    auto add = [&out](const fs::path& p) {
        const std::string s = p.lexically_normal().string();
        if (s.empty()) return;
        for (const std::string& seen : out)
            if (seen == s) return;
        out.push_back(s);
    };
    add(fs::path(startDir));
    if (!programPath.empty()) {
        const fs::path folder = fs::path(programPath).parent_path();
        add(folder);
        if (folder.has_parent_path() && folder != folder.root_path()) add(folder.parent_path());
    }
    return out;
}

std::string FindDataTree(const std::vector<std::string>& candidates) {
    for (const std::string& dir : candidates) {
        std::error_code ec;
        if (fs::is_directory(fs::path(dir) / "data", ec)) return dir;
    }
    return std::string();
}

void NoteAssetFolder(const char* folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec) || !s_NotedFolders.insert(folder).second) return;
    std::fprintf(stderr, "brinewisp: %s/: the folder is missing from %s; %s\n", folder,
                 fs::current_path(ec).c_str(), WithoutFolder(folder));
}

std::FILE* OpenLogFile(const char* name) {
    if (std::FILE* f = std::fopen(name, "w")) return f;
    const fs::path folder = StateFolder();
    if (folder.empty()) return nullptr;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return std::fopen((folder / name).c_str(), "w");
}
