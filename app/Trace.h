// The --trace file: one JSON object per line after every idle pass.
#pragma once

#include <string>

// Opens (truncates) the trace file. False when it cannot be written.
bool TraceOpen(const char* path);
// True while a trace file is open.
bool TraceActive();
// Writes the line of the idle pass that just ran procedure proc.
void TraceWritePass(long long pass, const char* proc);
void TraceClose();

// The line itself (without the newline), for tests.
std::string TraceLine(long long pass, const char* proc);

// The resident memory of this process in kilobytes (VmRSS of /proc/self/status), -1 when unknown.
long long ResidentMemoryKb();
