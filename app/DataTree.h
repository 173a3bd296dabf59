// The game's runtime tree (data/, image/, xfile/, sound/), which it reads relative to its working folder:
// finding it from wherever the game was started, naming the folders missing from it, and where the log goes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The folders that may hold the tree, in the order they are tried: the start folder, the program's own
// folder (an installed tree) and that folder's parent (the build folder inside the source tree).
std::vector<std::string> DataTreeCandidates(const std::string& startDir, const std::string& programPath);
// The first candidate that holds a data/ folder; empty when none does.
std::string FindDataTree(const std::vector<std::string>& candidates);
// Says once on standard error that folder ("image", "xfile", "sound") is missing from the tree, when it is;
// the game then runs on without it.
void NoteAssetFolder(const char* folder);
// A log file opened for writing in the working folder, or under the user's state folder
// ($XDG_STATE_HOME, else ~/.local/state, then brinewisp/) when the working folder cannot be written; null
// when neither can.
std::FILE* OpenLogFile(const char* name);
