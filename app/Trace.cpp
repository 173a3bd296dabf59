// The --trace writer: "pass" and "proc", then the sections of the units that own the other keys.
#include "app/Trace.h"

#include "app/Options.h"
#include "app/OutputFiles.h"
#include "app/TraceSections.h"

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

std::FILE* s_Trace = nullptr;
std::string s_TracePath;
// Every line leaves in one write: a run killed at any moment leaves whole lines.
constexpr size_t kTraceBuffer = 1 << 16;

typedef void (*TraceSection)(JsonLine& j);

// The sections of a line after "pass" and "proc", in their order. Keys keep their place once written:
// a unit with new keys appends its section here.
const TraceSection kSections[] = {
    TraceSceneKeys,      // scene, stage, state, fade, alpha, tutorial, targets, followers, menu, time
    TraceObjectListKeys, // actors, obstacles, shots, scenery, effects, requests
    TracePlayerKeys,     // player
    TraceCameraKeys,     // cam
    TraceCursorKeys,     // cursor
    TraceFlowerKeys,     // flower
    TraceFogKeys,        // fog
    TraceCreatureKeys,   // creatures
    TraceTutorialKeys,   // page
    TraceTitleKeys,      // title
    TraceJellyKeys,      // strays, rescuing, jellies
    TraceSchoolKeys,     // school
    TraceMemoryKeys,     // rss_kb
    TracePauseKeys,      // paused
    TraceScaleKeys,      // scale
};

} // namespace

std::string TraceLine(long long pass, const char* proc) {
    JsonLine j;
    j.Int("pass", pass);
    j.Str("proc", proc);
    for (TraceSection section : kSections)
        section(j);
    return j.Done();
}

// The process's resident memory, only with --trace-rss.
void TraceMemoryKeys(JsonLine& j) {
    if (RunOptions().traceRss) j.Int("rss_kb", ResidentMemoryKb());
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

bool TraceOpen(const char* path) {
    TraceClose();
    s_Trace = std::fopen(path, "w");
    if (!s_Trace) return false;
    std::setvbuf(s_Trace, nullptr, _IOFBF, kTraceBuffer);
    s_TracePath = path;
    return true;
}

bool TraceActive() {
    return s_Trace != nullptr;
}

void TraceWritePass(long long pass, const char* proc) {
    if (!s_Trace) return;
    const std::string line = TraceLine(pass, proc) + "\n";
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), s_Trace) != line.size() || std::fflush(s_Trace) != 0)
        ReportWriteError(s_TracePath, "trace file", errno);
}

void TraceClose() {
    if (s_Trace) {
        errno = 0;
        if (std::fclose(s_Trace) != 0) ReportWriteError(s_TracePath, "trace file", errno);
    }
    s_Trace = nullptr;
}
