// Builds small RIFF/WAVE files for the sound tests (and the fuzzer's seeds).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace wavetest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutTag(Bytes& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}
inline void Append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

// A chunk with the given id and body; the declared size may be overridden; odd bodies get a pad byte.
inline Bytes Chunk(const char* id, const Bytes& body, int64_t declaredSize = -1) {
    Bytes b;
    PutTag(b, id);
    Put32(b, declaredSize >= 0 ? (uint32_t)declaredSize : (uint32_t)body.size());
    Append(b, body);
    if (body.size() & 1) b.push_back(0);
    return b;
}

// The 16 bytes every format starts with.
inline Bytes FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    uint16_t align = (uint16_t)(channels * bits / 8);
    Bytes b;
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    return b;
}

// RIFF/WAVE around the given chunks; the RIFF size may be overridden.
inline Bytes Riff(const std::vector<Bytes>& chunks, int64_t declaredSize = -1) {
    Bytes body;
    PutTag(body, "WAVE");
    for (const Bytes& c : chunks)
        Append(body, c);
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, declaredSize >= 0 ? (uint32_t)declaredSize : (uint32_t)body.size());
    Append(b, body);
    return b;
}

inline Bytes PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& samples) {
    return Riff({Chunk("fmt ", FormatBody(1, channels, rate, bits)), Chunk("data", samples)});
}

inline Bytes Samples16(const std::vector<int16_t>& values) {
    Bytes b;
    for (int16_t v : values)
        Put16(b, (uint16_t)v);
    return b;
}

// n 16-bit samples of one value.
inline Bytes Constant16(size_t n, int16_t value) {
    return Samples16(std::vector<int16_t>(n, value));
}

inline bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // An empty vector may hold no buffer at all, and fwrite must not be handed a null one.
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace wavetest
