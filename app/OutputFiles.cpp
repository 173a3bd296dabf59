#include "app/OutputFiles.h"

#include <platform_hooks.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::set<std::string> s_Reported;

void Anchor(std::string& path, const fs::path& start) {
    if (!path.empty() && fs::path(path).is_relative()) path = (start / path).lexically_normal().string();
}

// Who a name stands for: a file's device and inode, or, for a name not yet made, its folder's device and
// inode and the file name. Devices and pipes are nobody: they may be named twice.
struct Identity {
    bool shared = false;
    dev_t dev = 0;
    ino_t ino = 0;
    std::string leaf;
    bool operator==(const Identity& o) const { return dev == o.dev && ino == o.ino && leaf == o.leaf; }
};

Identity IdentityOf(const std::string& path) {
    Identity id;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        id.shared = !S_ISREG(st.st_mode);
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        return id;
    }
    const fs::path p(path);
    const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
    if (stat(folder.c_str(), &st) == 0) {
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        id.leaf = p.filename().string();
    } else {
        id.leaf = fs::absolute(p).lexically_normal().string(); // no folder yet: compare the names
    }
    return id;
}

} // namespace

void AnchorPaths(Options& options, const std::string& startDir) {
    const fs::path start(startDir);
    for (std::string* path : {&options.replayPath, &options.recordPath, &options.tracePath,
                              &options.benchPath, &options.shotDir, &options.settingsPath})
        Anchor(*path, start);
    if (!options.shotAt.empty() && options.shotDir.empty()) options.shotDir = startDir;
}

bool CheckDistinctFiles(const Options& options, std::string& error) {
    const std::pair<const char*, const std::string*> files[] = {{"--replay", &options.replayPath},
                                                                {"--record", &options.recordPath},
                                                                {"--trace", &options.tracePath},
                                                                {"--bench", &options.benchPath}};
    std::vector<std::pair<const char*, Identity>> seen;
    for (const auto& f : files) {
        if (f.second->empty()) continue;
        const Identity id = IdentityOf(*f.second);
        for (const auto& earlier : seen)
            if (!id.shared && !earlier.second.shared && id == earlier.second) {
                error = std::string(earlier.first) + " and " + f.first + " name the same file " + *f.second;
                return false;
            }
        seen.emplace_back(f.first, id);
    }
    return true;
}

void ReportWriteError(const std::string& path, const char* what, int err) {
    if (!s_Reported.insert(path).second) return;
    if (err)
        std::fprintf(stderr, "brinewisp: %s: cannot write the %s (%s)\n", path.c_str(), what,
                     std::strerror(err));
    else
        std::fprintf(stderr, "brinewisp: %s: cannot write the %s\n", path.c_str(), what);
    PlatformRequestClose();
}

bool WriteErrorsReported() {
    return !s_Reported.empty();
}
