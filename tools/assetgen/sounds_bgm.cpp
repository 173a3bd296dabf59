// The background music: a calm underwater loop of 32 seconds at 60 beats a minute. Slow pad chords
// (D major 9, B minor 9, G major 9, A add 9, two bars each) over a soft bass, a music-box arpeggio, a simple
// flute-like tune, scattered bubbles and a low wash of water, all in a gentle reverb.
//
// Everything is rendered into a circular buffer: a note or echo that rings past the end of the loop continues
// at its start, and the reverb runs round the loop until it has settled, so the last sample flows into the
// first exactly as the music does anywhere else.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "tools/assetgen/sounds.h"

namespace assetgen {
namespace {

constexpr double kTwoPi = 6.283185307179586;

double MidiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

double RaisedCosine(double x) {
    return x <= 0 ? 0 : (x >= 1 ? 1 : 0.5 - 0.5 * std::cos(x * kTwoPi * 0.5));
}

class Loop {
  public:
    Loop(int rate, double seconds)
        : m_Rate(rate), m_Buf(static_cast<size_t>(std::lround(seconds * rate)), 0.0) {}
    int Rate() const { return m_Rate; }
    size_t Size() const { return m_Buf.size(); }
    std::vector<double>& Samples() { return m_Buf; }
    // Adds voice(t) for t from 0 to `seconds`, starting at `start` seconds into the loop and wrapping round.
    void Add(double start, double seconds, const std::function<double(double)>& voice) {
        const long n = static_cast<long>(m_Buf.size());
        const size_t first = static_cast<size_t>(((std::lround(start * m_Rate) % n) + n) % n);
        const size_t len = static_cast<size_t>(seconds * m_Rate);
        for (size_t i = 0; i < len; ++i)
            m_Buf[(first + i) % m_Buf.size()] += voice(static_cast<double>(i) / m_Rate);
    }

  private:
    int m_Rate;
    std::vector<double> m_Buf;
};

// Warm pad: three slightly detuned voices of a soft organ-like tone, slow swell in and out.
void AddPad(Loop& loop, double note, double start, double hold, double amp, double wobblePhase) {
    const double attack = 2.2, release = 3.0, f = MidiHz(note);
    const double cents[3] = {-6.0, 0.0, 5.0};
    loop.Add(start, hold + release, [=](double t) {
        double env = RaisedCosine(t / attack) * (t < hold ? 1.0 : std::exp(-(t - hold) / (release * 0.3)));
        double sum = 0;
        for (double c : cents) {
            double p = kTwoPi * f * std::pow(2.0, c / 1200.0) * t;
            sum += std::sin(p) + 0.28 * std::sin(2 * p) + 0.1 * std::sin(3 * p) + 0.04 * std::sin(4 * p);
        }
        double wobble = 1.0 + 0.12 * std::sin(kTwoPi * 0.23 * t + wobblePhase);
        return amp * env * wobble * sum / 3.0;
    });
}

// Round bass: sine with a little second harmonic, gentle attack, long decay.
void AddBass(Loop& loop, double note, double start, double hold, double amp) {
    const double f = MidiHz(note), release = 1.2;
    loop.Add(start, hold + release, [=](double t) {
        double env = (1.0 - std::exp(-t / 0.04)) * (0.65 + 0.35 * std::exp(-t / 0.8));
        if (t > hold) env *= std::exp(-(t - hold) / (release * 0.25));
        double p = kTwoPi * f * t;
        return amp * env * (std::sin(p) + 0.35 * std::sin(2 * p));
    });
}

// Music-box bell: a clear fundamental with quickly fading upper partials.
void AddBell(Loop& loop, double note, double start, double amp) {
    const double f = MidiHz(note);
    loop.Add(start, 4.0, [=](double t) {
        double p = kTwoPi * f * t;
        double attack = 1.0 - std::exp(-t / 0.003);
        double tail = t > 3.5 ? RaisedCosine((4.0 - t) / 0.5) : 1.0;
        double v = std::sin(p) * std::exp(-t / 1.1) + 0.25 * std::sin(2 * p) * std::exp(-t / 0.45) +
                   0.08 * std::sin(3 * p) * std::exp(-t / 0.22) +
                   0.05 * std::sin(4.2 * p) * std::exp(-t / 0.1);
        return amp * attack * tail * v;
    });
}

// Soft flute-like lead: sine with a touch of harmonics and a vibrato that grows in.
void AddFlute(Loop& loop, double note, double start, double hold, double amp) {
    const double f = MidiHz(note), release = 0.6;
    loop.Add(start, hold + release, [=](double t) {
        double env = RaisedCosine(t / 0.2) * (t < hold ? 1.0 : RaisedCosine(1.0 - (t - hold) / release));
        double depth = 0.004 * RaisedCosine((t - 0.3) / 0.6);
        double p = kTwoPi * f * t + depth * f / 5.0 * std::sin(kTwoPi * 5.0 * t);
        return amp * env * (std::sin(p) + 0.12 * std::sin(2 * p) + 0.04 * std::sin(3 * p));
    });
}

// A small bubble rising: a quick upward chirp.
void AddBubbleBlip(Loop& loop, double start, double freq, double decay, double amp) {
    loop.Add(start, decay * 7, [=](double t) {
        double phase = kTwoPi * freq * (t + 0.8 * (t - decay * 0.8 * (1.0 - std::exp(-t / (decay * 0.8)))));
        double env = (1.0 - std::exp(-t / 0.002)) * std::exp(-t / decay);
        return amp * env * std::sin(phase);
    });
}

// Runs a stateful filter round the loop three times and keeps the last pass, so that its state at the start
// is the state it had at the end.
void Circular(std::vector<double>& x, const std::function<double(double)>& filter) {
    const size_t n = x.size();
    std::vector<double> out(n);
    for (int pass = 0; pass < 3; ++pass)
        for (size_t i = 0; i < n; ++i)
            out[i] = filter(x[i]);
    x.swap(out);
}

// A small mono reverb: eight damped feedback combs in parallel, then four all-passes (the classic layout).
class Reverb {
  public:
    explicit Reverb(int rate) {
        const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        const int passes[4] = {556, 441, 341, 225};
        for (int d : combs)
            m_Comb.push_back(Line(static_cast<size_t>(d * rate / 44100)));
        for (int d : passes)
            m_Pass.push_back(Line(static_cast<size_t>(d * rate / 44100)));
    }
    double operator()(double in) {
        double sum = 0;
        for (Line& c : m_Comb) {
            double y = c.buf[c.pos];
            c.store = y * 0.75 + c.store * 0.25; // damping: high tones die sooner
            c.buf[c.pos] = in + c.store * 0.82;
            c.pos = (c.pos + 1) % c.buf.size();
            sum += y;
        }
        double y = sum * 0.125;
        for (Line& a : m_Pass) {
            double b = a.buf[a.pos];
            a.buf[a.pos] = y + b * 0.5;
            a.pos = (a.pos + 1) % a.buf.size();
            y = b - y;
        }
        return y;
    }

  private:
    struct Line {
        explicit Line(size_t n) : buf(n, 0.0) {}
        std::vector<double> buf;
        size_t pos = 0;
        double store = 0;
    };
    std::vector<Line> m_Comb, m_Pass;
};

struct Chord {
    double bass[2]; // on the first and the fifth beat of the two bars
    double pad[4];  // the pad's voices
    double arp[5];  // tones of the arpeggio, low to high
};

} // namespace

std::vector<float> SynthMusic(int rate, double seconds) {
    const double beat = seconds / 32.0; // 32 beats: four chords of two 4/4 bars
    const Chord chords[4] = {
        {{38, 33}, {54, 57, 61, 64}, {62, 66, 69, 73, 76}}, // D major 9
        {{35, 30}, {54, 57, 61, 62}, {59, 62, 66, 69, 73}}, // B minor 9
        {{31, 38}, {54, 57, 59, 62}, {62, 66, 67, 71, 74}}, // G major 9
        {{33, 40}, {52, 57, 59, 61}, {61, 64, 69, 71, 73}}, // A add 9
    };
    Loop dry(rate, seconds), wet(rate, seconds), echo(rate, seconds);
    Noise32 rnd(2718);
    for (int c = 0; c < 4; ++c) {
        const double t0 = c * 8 * beat;
        for (int v = 0; v < 4; ++v)
            AddPad(wet, chords[c].pad[v], t0 - 0.4, 8 * beat + 0.2, 0.055, v * 1.7 + c);
        AddBass(dry, chords[c].bass[0], t0, 3.6 * beat, 0.15);
        AddBass(dry, chords[c].bass[1], t0 + 4 * beat, 3.6 * beat, 0.11);
        // Arpeggio in eighths, an octave up, with rests; the pattern answers itself in the second bar.
        const int pattern[16] = {0, 2, 4, 2, 3, -1, 1, -1, 0, 2, 4, 3, 4, -1, 2, -1};
        for (int e = 0; e < 16; ++e) {
            if (pattern[e] < 0) continue;
            double vel = (e % 2 == 0 ? 1.0 : 0.7) * (0.85 + 0.15 * rnd.Uniform());
            AddBell(echo, chords[c].arp[pattern[e]] + 12, t0 + e * 0.5 * beat, 0.05 * vel);
        }
    }
    // The tune: start beat, length in beats, note.
    const double tune[][3] = {{1, 1.5, 74},  {2.5, 1.5, 76}, {4, 3.5, 78},    {9, 1.5, 76}, {10.5, 1.5, 74},
                              {12, 3.5, 73}, {17, 1.5, 71},  {18.5, 1.5, 74}, {20, 2, 78},  {22, 1.5, 76},
                              {25, 3, 73},   {28, 1, 71},    {29, 2.5, 69}};
    for (const auto& n : tune)
        AddFlute(wet, n[2], n[0] * beat, n[1] * beat, 0.06);
    // Bubbles, in little clusters.
    for (int k = 0; k < 7; ++k) {
        double at = (k * 4.6 + 1.3 + rnd.Uniform() * 2.0) * beat;
        int count = 2 + static_cast<int>(rnd.Uniform() * 3);
        for (int j = 0; j < count; ++j)
            AddBubbleBlip(wet, at + j * (0.05 + 0.07 * rnd.Uniform()), 650 + 900 * rnd.Uniform(),
                          0.018 + 0.015 * rnd.Uniform(), 0.03);
    }
    // The bells' echo: a dotted-eighth delay, fed back softly.
    {
        std::vector<double>& e = echo.Samples();
        std::vector<double> line(static_cast<size_t>(0.75 * beat * rate), 0.0);
        size_t pos = 0;
        Circular(e, [&](double in) {
            double out = in + line[pos] * 0.45;
            line[pos] = in + line[pos] * 0.3;
            pos = (pos + 1) % line.size();
            return out;
        });
    }
    // A low wash of water, swelling four times round the loop.
    {
        std::vector<double> water(dry.Size());
        for (double& v : water)
            v = rnd.Signed();
        double y1 = 0, y2 = 0;
        const double a = 1.0 - std::exp(-kTwoPi * 320.0 / rate);
        Circular(water, [&](double in) {
            y1 += a * (in - y1);
            y2 += a * (y1 - y2);
            return y2;
        });
        for (size_t i = 0; i < water.size(); ++i) {
            double t = static_cast<double>(i) / rate;
            dry.Samples()[i] += water[i] * 0.05 * (0.6 + 0.4 * std::sin(kTwoPi * 4.0 * t / seconds));
        }
    }
    std::vector<double> send(dry.Size());
    for (size_t i = 0; i < send.size(); ++i)
        send[i] = wet.Samples()[i] + echo.Samples()[i];
    std::vector<double> hall = send;
    Reverb reverb(rate);
    Circular(hall, [&](double in) { return reverb(in); });
    std::vector<float> out(dry.Size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(dry.Samples()[i] + send[i] + 0.45 * hall[i]);
    Normalise(out, -10.0);
    return out;
}

} // namespace assetgen
