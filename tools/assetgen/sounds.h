// Shared pieces of the sound generator (internal to tools/assetgen).
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kEffectRate = 44100; // sound effects: mono, 16-bit
constexpr int kMusicRate = 32000;  // music: stereo, 16-bit; the tones reach no higher than its 16 kHz

// Writes samples (nominally -1..1, clipped; interleaved left, right when there are two channels) as a
// RIFF/WAVE file: a 16-byte PCM "fmt " chunk and a 16-bit "data" chunk. Throws std::runtime_error naming
// the path when the file cannot be written.
void WriteWav(const std::string& path, const std::vector<float>& samples, int rate, int channels = 1);
// Scales the samples so that the largest magnitude is `peakDb` decibels below full scale.
void Normalise(std::vector<float>& samples, double peakDb);

// The sounds themselves.
std::vector<float> SynthShot(int rate);
std::vector<float> SynthBubble(int rate);
std::vector<float> SynthDust(int rate);
// The music, interleaved stereo: a seamless loop whose last sample flows into the first, envelopes, echoes
// and reverb included.
std::vector<float> SynthMusic(int rate);

// One-pole low-pass, coefficient from a cutoff in Hz.
struct OnePole {
    double a = 0, y = 0;
    OnePole(double cutoff, int rate) : a(1.0 - std::exp(-kTwoPi * cutoff / rate)) {}
    double operator()(double x) { return y += a * (x - y); }
};

// A bubble's ring: a sine whose pitch rises by `rise` (a fraction of freq) as the bubble shrinks and nears
// the surface, with a quick attack and an exponential decay. Added into `out` from `start` seconds.
void AddBlip(std::vector<float>& out, int rate, double start, double freq, double rise, double decay,
             double amp);

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
