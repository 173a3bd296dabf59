// Entry point: reads the harness flags, then runs the game.
#include "app/Bench.h"
#include "app/Direct3D.h"
#include "app/Trace.h"
#include "app/WinMain.h"
#include "platform/harness.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    switch (ParseHarnessArgs(args, Harness(), error)) {
    case ParseOutcome::Help:
        std::fputs(HarnessUsage(), stdout);
        return 0;
    case ParseOutcome::Error:
        std::fprintf(stderr, "brinewisp: %s\n%s", error.c_str(), HarnessUsage());
        return 2;
    case ParseOutcome::Run:
        break;
    }
    // Everything that can be refused is refused before any window opens.
    if (!HarnessStart(error)) {
        std::fprintf(stderr, "brinewisp: %s\n", error.c_str());
        return 2;
    }
    const HarnessOptions& opt = Harness();
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
    HarnessStop();
    return code;
}
