// The files a run names on its command line: anchored to the folder the user started in, refused when two
// of them are one file, and the write errors of the ones it writes.
#pragma once

#include "app/Options.h"

#include <string>

// Makes the names of --replay, --record, --trace, --bench and --shot-dir absolute against startDir, and
// makes startDir the screenshots' folder when --shot-at names none: they keep their meaning after the game
// has moved into its data tree.
void AnchorPaths(Options& options, const std::string& startDir);
// False, with error set, when the replay and an output, or two outputs, are one file: the same device and
// inode, or for a file not yet made the same name in the same folder. A device or a pipe (/dev/null) may be
// named twice.
bool CheckDistinctFiles(const Options& options, std::string& error);
// A write to path failed (err the errno, 0 unknown): says so on standard error, once for each file, and
// ends the run as closing the window does.
void ReportWriteError(const std::string& path, const char* what, int err);
// True once a write error was reported; the run then exits with 1.
bool WriteErrorsReported();
