#include "world/StageFile.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {

// A decimal integer of the record, as "%d" reads it: leading blanks, a sign, digits. Out of range fails.
bool ReadInt(const char*& p, int32_t* out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    p = end;
    return true;
}

// A decimal float of the record, as "%f" reads it. Infinities and NaN are refused: no object may stand there.
bool ReadFloat(const char*& p, float* out) {
    char* end = nullptr;
    float v = std::strtof(p, &end);
    if (end == p || !std::isfinite(v)) return false;
    *out = v;
    p = end;
    return true;
}

bool ReadComma(const char*& p) {
    if (*p != ',') return false;
    ++p;
    return true;
}

} // namespace

bool ParseStageRecord(const std::string& line, StageRecord* record) {
    const char* p = line.c_str();
    return ReadInt(p, &record->code) && ReadComma(p) && ReadFloat(p, &record->x) && ReadComma(p) &&
           ReadFloat(p, &record->y) && ReadComma(p) && ReadFloat(p, &record->z);
}

StageFileContents ReadStageFile(const std::string& path) {
    StageFileContents contents;
    errno = 0;
    std::ifstream file(path);
    if (!file.good()) {
        contents.openError = errno;
        return contents;
    }
    contents.opened = true;
    std::string line;
    while (std::getline(file, line)) {
        ++contents.lines;
        if (contents.lines == 1) continue; // the header, whatever it holds
        StageRecord record{};
        if (ParseStageRecord(line, &record))
            contents.records.push_back(record);
        else
            contents.malformed.emplace_back(contents.lines, line);
    }
    return contents;
}
