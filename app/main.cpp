// Entry point: reads the command line, hands the run mode to the platform, starts the replay, then runs the
// game.
#include "app/Bench.h"
#include "app/Comfort.h"
#include "app/Direct3D.h"
#include "app/Options.h"
#include "app/Replay.h"
#include "app/Trace.h"
#include "app/WinMain.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    switch (ParseOptions(args, RunOptions(), error)) {
    case ParseOutcome::Help:
        std::fputs(OptionsUsage().c_str(), stdout);
        return 0;
    case ParseOutcome::Error:
        std::fprintf(stderr, "brinewisp: %s\n%s", error.c_str(), OptionsUsage().c_str());
        return 2;
    case ParseOutcome::Run:
        break;
    }
    const Options& opt = RunOptions();
    PlatformMode() = opt.mode;
    ComfortStart(); // the settings may answer the start-up question
    // Everything that can be refused is refused before any window opens.
    if (!ReplayStart(error)) {
        std::fprintf(stderr, "brinewisp: %s\n", error.c_str());
        return 2;
    }
    if (!opt.tracePath.empty() && !TraceOpen(opt.tracePath.c_str())) {
        std::fprintf(stderr, "brinewisp: %s: cannot write the trace file\n", opt.tracePath.c_str());
        return 2;
    }
    if (!opt.benchPath.empty() && !BenchOpen(opt.benchPath.c_str())) {
        std::fprintf(stderr, "brinewisp: %s: cannot write the bench file\n", opt.benchPath.c_str());
        return 2;
    }
    if (!opt.shotAt.empty() && !opt.shotDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(opt.shotDir, ec);
        if (ec) {
            std::fprintf(stderr, "brinewisp: %s: %s\n", opt.shotDir.c_str(), ec.message().c_str());
            return 2;
        }
    }
    std::string commandLine;
    for (const std::string& a : args)
        commandLine += (commandLine.empty() ? "" : " ") + a;
    const int code = WinMain(nullptr, nullptr, commandLine.data(), SW_SHOWDEFAULT);
    ReleaseDirect3D(); // the device lives until the process ends
    TraceClose();
    BenchClose();
    ReplayStop();
    return code;
}
