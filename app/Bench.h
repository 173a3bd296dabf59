// The --bench file: how long each idle pass worked, for the benchmarks in bench/.
//
// One line per pass, fields separated by single spaces, times in microseconds of a monotonic clock counted
// from the start of the process (its static initialisation):
//   pass <n> <proc> <begin> <work> <paced> <batches> <triangles> <cpu>
//     begin    when the scene procedure was called
//     work     from begin to the pacing step before its sleep (paced 1), or to the end of the pass when the
//              procedure does not pace (paced 0: set-up and leave steps)
//     batches  draw batches the device issued during the pass (mesh draws included)
//     triangles  triangles those batches handed to GL (0 without rendering)
//     cpu      processor time the whole process (the GL rasteriser's threads included) spent during work
// and at the end of the run:
//   first-present <us since the process started> <us of the system's real-time clock>
//   peak-rss-kb <kilobytes>
// Nothing changes in the game's behaviour; while no file is open every hook is one test of a flag.
#pragma once

#include <cstdint>

extern bool g_BenchActive;

// Opens (truncates) the bench file and writes its header. False when it cannot be written.
bool BenchOpen(const char* path);
// Writes the closing lines (first present, peak memory) and closes the file.
void BenchClose();

void BenchStampPassBegin();
void BenchStampPace();
void BenchStampPassEnd(long long pass, const char* proc);

// The message loop calls these around each idle pass; FrameClockPace calls BenchPace before its sleep.
inline void BenchPassBegin() {
    if (g_BenchActive) BenchStampPassBegin();
}
inline void BenchPace() {
    if (g_BenchActive) BenchStampPace();
}
inline void BenchPassEnd(long long pass, const char* proc) {
    if (g_BenchActive) BenchStampPassEnd(pass, proc);
}

// Microseconds since the process started (monotonic).
int64_t BenchNowUs();
