// Entry point: reads the command line, anchors its file names to the folder the user started in, refuses
// what cannot work, finds the game's data and moves into it, hands the run mode to the platform, starts the
// replay, then runs the game.
#include "app/Bench.h"
#include "app/Comfort.h"
#include "app/DataTree.h"
#include "app/Direct3D.h"
#include "app/Options.h"
#include "app/OutputFiles.h"
#include "app/Replay.h"
#include "app/Trace.h"
#include "app/WinMain.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifndef BW_VERSION
#define BW_VERSION "unknown"
#endif

namespace {

namespace fs = std::filesystem;

// Exit codes besides the game's own 0.
constexpr int kExitCannotRun = 1; // no data, display or graphics device, or an output that failed
constexpr int kExitRefused = 2;   // the command line or the replay file

// The full path of this program: from the system, else from how it was started.
std::string ProgramPath(const char* argv0, const std::string& startDir) {
    char path[4096];
    if (GetModuleFileNameA(nullptr, path, sizeof path) > 0) return path;
    const std::string given = argv0 ? argv0 : "";
    if (given.find('/') == std::string::npos) return std::string();
    return (fs::path(startDir) / given).lexically_normal().string();
}

// Finds the data tree and makes it the working folder; false after saying why.
bool EnterDataTree(const std::string& startDir, const std::string& programPath) {
    const std::vector<std::string> candidates = DataTreeCandidates(startDir, programPath);
    const std::string tree = FindDataTree(candidates);
    if (tree.empty()) {
        std::string looked;
        for (const std::string& dir : candidates)
            looked += (looked.empty() ? "" : ", ") + dir;
        std::fprintf(stderr, "brinewisp: cannot find the game's data (looked in: %s)\n", looked.c_str());
        return false;
    }
    std::error_code ec;
    fs::current_path(tree, ec);
    if (ec) std::fprintf(stderr, "brinewisp: %s: %s\n", tree.c_str(), ec.message().c_str());
    return !ec;
}

// Opens the trace and bench files and makes the screenshots' folder; false after saying why.
bool OpenOutputs(const Options& opt) {
    if (!opt.tracePath.empty() && !TraceOpen(opt.tracePath.c_str())) {
        std::fprintf(stderr, "brinewisp: %s: cannot write the trace file\n", opt.tracePath.c_str());
        return false;
    }
    if (!opt.benchPath.empty() && !BenchOpen(opt.benchPath.c_str())) {
        std::fprintf(stderr, "brinewisp: %s: cannot write the bench file\n", opt.benchPath.c_str());
        return false;
    }
    if (!opt.shotAt.empty() && !opt.shotDir.empty()) {
        std::error_code ec;
        fs::create_directories(opt.shotDir, ec);
        if (ec) {
            std::fprintf(stderr, "brinewisp: %s: %s\n", opt.shotDir.c_str(), ec.message().c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    switch (ParseOptions(args, RunOptions(), error)) {
    case ParseOutcome::Help:
        std::fputs(OptionsUsage().c_str(), stdout);
        return 0;
    case ParseOutcome::Version:
        std::printf("brinewisp %s\n", BW_VERSION);
        return 0;
    case ParseOutcome::Error:
        std::fprintf(stderr, "brinewisp: %s (brinewisp --help lists the options)\n", error.c_str());
        return kExitRefused;
    case ParseOutcome::Run:
        break;
    }
    PlatformCatchSignals();
    Options& opt = RunOptions();
    std::error_code ec;
    const std::string startDir = fs::current_path(ec).string();
    AnchorPaths(opt, startDir);
    PlatformMode() = opt.mode;
    // Everything that can be refused is refused before anything is written or any window opens.
    if (!CheckDistinctFiles(opt, error)) {
        std::fprintf(stderr, "brinewisp: %s\n", error.c_str());
        return kExitRefused;
    }
    if (!EnterDataTree(startDir, ProgramPath(argc > 0 ? argv[0] : nullptr, startDir))) return kExitCannotRun;
    ComfortStart(); // the settings may answer the start-up question
    if (!ReplayStart(error)) {
        std::fprintf(stderr, "brinewisp: %s\n", error.c_str());
        return kExitRefused;
    }
    if (!OpenOutputs(opt)) return kExitRefused;
    std::string commandLine;
    for (const std::string& a : args)
        commandLine += (commandLine.empty() ? "" : " ") + a;
    const int code = WinMain(nullptr, nullptr, commandLine.data(), SW_SHOWDEFAULT);
    // Without the window or the device the game never ran; what was missing has been said.
    const bool ran = g_hWnd && g_pDevice;
    ReleaseDirect3D(); // the device lives until the process ends
    TraceClose();
    BenchClose();
    ReplayStop();
    if (!ran || WriteErrorsReported()) return kExitCannotRun;
    return code;
}
