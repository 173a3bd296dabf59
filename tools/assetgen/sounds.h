// Shared pieces of the sound generator (internal to tools/assetgen).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kEffectRate = 44100; // sound effects: mono, 16-bit
constexpr int kMusicRate = 22050;  // music: mono, 16-bit, keeps the file small
constexpr double kMusicSeconds = 32.0;

// Writes mono samples (nominally -1..1, clipped) as a RIFF/WAVE file: a 16-byte PCM "fmt " chunk and a
// 16-bit "data" chunk. Throws std::runtime_error naming the path when the file cannot be written.
void WriteWav(const std::string& path, const std::vector<float>& samples, int rate);
// Scales the samples so that the largest magnitude is `peakDb` decibels below full scale.
void Normalise(std::vector<float>& samples, double peakDb);

// The sounds themselves.
std::vector<float> SynthShot(int rate);
std::vector<float> SynthBubble(int rate);
std::vector<float> SynthDust(int rate);
// A seamless loop: the last sample flows into the first, envelopes and echoes included.
std::vector<float> SynthMusic(int rate, double seconds);

// A small deterministic generator for noise and variations.
class Noise32 {
  public:
    explicit Noise32(uint32_t seed) : m_State(seed ? seed : 1u) {}
    uint32_t Next() {
        m_State ^= m_State << 13;
        m_State ^= m_State >> 17;
        m_State ^= m_State << 5;
        return m_State;
    }
    double Uniform() { return Next() * (1.0 / 4294967296.0); } // [0, 1)
    double Signed() { return Uniform() * 2.0 - 1.0; }          // [-1, 1)

  private:
    uint32_t m_State;
};

} // namespace assetgen
