// GenerateSounds, the WAV writer and the three sound effects.
#include "tools/assetgen/sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "tools/assetgen/media.h"

namespace assetgen {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

// A short fade at both ends so that an effect starts and stops at silence.
void FadeEnds(std::vector<float>& s, int rate, double inSeconds, double outSeconds) {
    const size_t in = static_cast<size_t>(inSeconds * rate), out = static_cast<size_t>(outSeconds * rate);
    for (size_t i = 0; i < in && i < s.size(); ++i)
        s[i] *= static_cast<float>(i) / in;
    for (size_t i = 0; i < out && i < s.size(); ++i) {
        double t = static_cast<double>(i) / out; // 0 at the last sample
        s[s.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(t * kTwoPi * 0.5));
    }
}

} // namespace

void AddBlip(std::vector<float>& out, int rate, double start, double freq, double rise, double decay,
             double amp) {
    double phase = 0;
    const size_t first = static_cast<size_t>(start * rate);
    const size_t len = static_cast<size_t>(decay * 7 * rate);
    for (size_t i = 0; i < len && first + i < out.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double f = freq * (1.0 + rise * (1.0 - std::exp(-t / (decay * 0.8))));
        phase += kTwoPi * f / rate;
        double env = (1.0 - std::exp(-t / 0.0015)) * std::exp(-t / decay);
        out[first + i] += static_cast<float>(amp * env * std::sin(phase));
    }
}

void WriteWav(const std::string& path, const std::vector<float>& samples, int rate, int channels) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, static_cast<uint32_t>(channels));
    Put32(out, static_cast<uint32_t>(rate));
    Put32(out, static_cast<uint32_t>(rate * 2 * channels)); // bytes per second
    Put16(out, static_cast<uint32_t>(2 * channels));        // block align
    Put16(out, 16);                                         // bits per sample
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        Put16(out, static_cast<uint32_t>(static_cast<int16_t>(v)) & 0xFFFF);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) throw std::runtime_error("assetgen: cannot write " + path);
}

void Normalise(std::vector<float>& s, double peakDb) {
    float peak = 0;
    for (float v : s)
        peak = std::max(peak, std::fabs(v));
    if (peak <= 0) return;
    const float gain = static_cast<float>(std::pow(10.0, peakDb / 20.0) / peak);
    for (float& v : s)
        v *= gain;
}

// A soft watery plip: a rounded tone that slides up a fifth, a gentle low knock under it and only a breath of
// filtered noise at the start. Short and without sharp highs, so that the player and nine followers firing
// together patter rather than rattle. 0.18 s.
std::vector<float> SynthShot(int rate) {
    std::vector<float> s(static_cast<size_t>(0.18 * rate), 0.0f);
    Noise32 noise(17);
    OnePole splash(1400, rate), splash2(1400, rate);
    double phase = 0, knock = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double f = 560.0 + 300.0 * (1.0 - std::exp(-t / 0.03));
        phase += kTwoPi * f / rate;
        double body = std::sin(phase) + 0.12 * std::sin(2 * phase) * std::exp(-t / 0.015);
        double env = (1.0 - std::exp(-t / 0.0025)) * std::exp(-t / 0.04);
        knock += kTwoPi * (140.0 - 50.0 * t / 0.18) / rate;
        double low = 0.4 * std::sin(knock) * std::exp(-t / 0.022);
        double hiss = splash2(splash(noise.Signed())) * 0.5 * std::exp(-t / 0.004);
        s[i] = static_cast<float>(body * env + low * (1.0 - std::exp(-t / 0.002)) + hiss);
    }
    FadeEnds(s, rate, 0.0005, 0.03);
    Normalise(s, -3.0);
    return s;
}

// A bubbling burst: nine rising blips, crowded at first and thinning out, smaller (higher) bubbles later,
// over a faint fizz. 0.8 s.
std::vector<float> SynthBubble(int rate) {
    std::vector<float> s(static_cast<size_t>(0.8 * rate), 0.0f);
    Noise32 rnd(29);
    const double starts[] = {0.0, 0.045, 0.1, 0.16, 0.235, 0.31, 0.4, 0.5, 0.6};
    for (int k = 0; k < 9; ++k) {
        double f = 420.0 + 95.0 * k + 160.0 * rnd.Uniform();
        double amp = 1.0 - 0.07 * k;
        double decay = 0.022 + 0.012 * rnd.Uniform();
        AddBlip(s, rate, starts[k] + 0.012 * rnd.Uniform(), f, 0.7 + 0.4 * rnd.Uniform(), decay, amp);
    }
    OnePole lp(1800, rate), hp(400, rate);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double low = lp(rnd.Signed());
        double fizz = (low - hp(low)) * 0.12 * std::exp(-t / 0.25);
        s[i] += static_cast<float>(fizz);
    }
    FadeEnds(s, rate, 0.001, 0.08);
    Normalise(s, -3.0);
    return s;
}

// A sandy thump: a low body that drops in pitch, a muffled puff of sand and a sprinkle of grains settling
// after it. 0.5 s.
std::vector<float> SynthDust(int rate) {
    std::vector<float> s(static_cast<size_t>(0.5 * rate), 0.0f);
    Noise32 rnd(41);
    OnePole puffLow1(1100, rate), puffLow2(1100, rate), puffHigh(110, rate);
    OnePole grainLow1(5000, rate), grainLow2(5000, rate), grainHigh(1800, rate);
    double phase = 0, grain = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double f = 45.0 + 70.0 * std::exp(-t / 0.05);
        phase += kTwoPi * f / rate;
        double thud = 1.2 * std::sin(phase) * (1.0 - std::exp(-t / 0.003)) * std::exp(-t / 0.09);
        double low = puffLow2(puffLow1(rnd.Signed()));
        double puff = (low - puffHigh(low)) * 3.5 * (1.0 - std::exp(-t / 0.01)) * std::exp(-t / 0.12);
        // Grains: sparse ticks, most of them early.
        double ticksPerSecond = 700.0 * std::exp(-t / 0.12) + 30.0;
        if (rnd.Uniform() < ticksPerSecond / rate)
            grain = (rnd.Uniform() * 0.6 + 0.4) * (rnd.Next() & 1 ? 1 : -1);
        double g = grainLow2(grainLow1(grain));
        grain *= 0.5;
        double sand = (g - grainHigh(g)) * 1.2 * std::exp(-t / 0.25);
        s[i] = static_cast<float>(thud + puff + sand);
    }
    FadeEnds(s, rate, 0.0005, 0.08);
    Normalise(s, -3.0);
    return s;
}

void GenerateSounds(const std::string& root) {
    const std::string dir = root + "/sound";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) throw std::runtime_error("assetgen: cannot create " + dir + ": " + ec.message());
    WriteWav(dir + "/shot.wav", SynthShot(kEffectRate), kEffectRate);
    WriteWav(dir + "/bubble.wav", SynthBubble(kEffectRate), kEffectRate);
    WriteWav(dir + "/dust.wav", SynthDust(kEffectRate), kEffectRate);
    WriteWav(dir + "/bgm.wav", SynthMusic(kMusicRate), kMusicRate, 2);
}

} // namespace assetgen
