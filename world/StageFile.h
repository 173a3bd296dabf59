// The stage file format, on its own: the game's stage loader, the asset preview and the tests read stage
// files with it. A stage file is a header line, whatever it holds, then one record a line.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One record: what stands where. The type code says what (a jelly, a football, a rock ...).
struct StageRecord {
    int32_t code;
    float x, y, z;
};

// One record "%d,%f,%f,%f": type code, x, y, z. Whatever follows the fourth field is ignored, as the pattern
// does; a carriage return left by a CRLF file is such a tail. A number out of range, an infinity or a NaN
// makes the line no record. False when the line is no record.
bool ParseStageRecord(const std::string& line, StageRecord* record);

// What a stage file holds.
struct StageFileContents {
    bool opened = false;                                // the file could be read
    int openError = 0;                                  // errno of the failed open
    int lines = 0;                                      // lines read, the header included
    std::vector<StageRecord> records;                   // in file order
    std::vector<std::pair<int, std::string>> malformed; // line number (the header is 1) and text
};

// Reads a whole stage file; the header line is skipped.
StageFileContents ReadStageFile(const std::string& path);
