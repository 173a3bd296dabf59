// The --bench writer.
#include "app/Bench.h"

#include "app/Direct3D.h"
#include "app/OutputFiles.h"
#include <d3d9debug.h>

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

bool g_BenchActive = false;

namespace {

using Clock = std::chrono::steady_clock;

// As early as this program can stamp: static initialisation, before main.
const Clock::time_point s_ProcessStart = Clock::now();

std::FILE* s_Bench = nullptr;
std::string s_BenchPath;
int64_t s_PassBegin = 0;
int64_t s_PaceAt = -1;
int64_t s_CpuAtBegin = 0;
int64_t s_CpuAtPace = -1;
unsigned s_BatchesAtBegin = 0;
unsigned s_TrianglesAtBegin = 0;
int64_t s_FirstPresent = -1;
long long s_FirstPresentEpochUs = -1;

// Processor time of the whole process (every thread, the rasteriser's too), in microseconds.
int64_t ProcessCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return int64_t(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

unsigned Batches() {
    return g_pDevice ? d3d9debug::BatchCount(g_pDevice) : 0;
}

unsigned Triangles() {
    return g_pDevice ? d3d9debug::TriangleCount(g_pDevice) : 0;
}

} // namespace

int64_t BenchNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - s_ProcessStart).count();
}

bool BenchOpen(const char* path) {
    BenchClose();
    s_Bench = std::fopen(path, "w");
    if (!s_Bench) return false;
    s_BenchPath = path;
    std::fputs("# brinewisp bench: microseconds since the process started\n"
               "# pass <n> <proc> <begin> <work> <paced> <batches> <triangles> <cpu>\n",
               s_Bench);
    s_FirstPresent = -1;
    s_FirstPresentEpochUs = -1;
    g_BenchActive = true;
    return true;
}

void BenchClose() {
    if (!s_Bench) return;
    if (s_FirstPresent >= 0)
        std::fprintf(s_Bench, "first-present %lld %lld\n", (long long)s_FirstPresent, s_FirstPresentEpochUs);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(s_Bench, "peak-rss-kb %ld\n", (long)usage.ru_maxrss);
    errno = 0;
    if (std::fclose(s_Bench) != 0) ReportWriteError(s_BenchPath, "bench file", errno);
    s_Bench = nullptr;
    g_BenchActive = false;
}

void BenchStampPassBegin() {
    s_PaceAt = -1;
    s_CpuAtPace = -1;
    s_BatchesAtBegin = Batches();
    s_TrianglesAtBegin = Triangles();
    s_CpuAtBegin = ProcessCpuUs();
    s_PassBegin = BenchNowUs();
}

void BenchStampPace() {
    s_PaceAt = BenchNowUs();
    s_CpuAtPace = ProcessCpuUs();
    // The pacing step follows the pass's Present: the first one marks the end of start-up.
    if (s_FirstPresent < 0 && g_pDevice && d3d9debug::PresentCount(g_pDevice) > 0) {
        s_FirstPresent = s_PaceAt;
        s_FirstPresentEpochUs = std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
    }
}

void BenchStampPassEnd(long long pass, const char* proc) {
    const int64_t end = BenchNowUs();
    const int64_t cpuEnd = ProcessCpuUs();
    if (!s_Bench) return;
    const bool paced = s_PaceAt >= 0;
    const int64_t work = (paced ? s_PaceAt : end) - s_PassBegin;
    const int64_t cpu = (paced ? s_CpuAtPace : cpuEnd) - s_CpuAtBegin;
    // Flushed after the pass's times were taken: the write is in no pass's figures, and a killed run
    // keeps its lines.
    errno = 0;
    if (std::fprintf(s_Bench, "pass %lld %s %lld %lld %d %u %u %lld\n", pass, proc, (long long)s_PassBegin,
                     (long long)work, paced ? 1 : 0, Batches() - s_BatchesAtBegin,
                     Triangles() - s_TrianglesAtBegin, (long long)cpu) < 0 ||
        std::fflush(s_Bench) != 0)
        ReportWriteError(s_BenchPath, "bench file", errno);
}
