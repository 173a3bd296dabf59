// The instruments and the effects of the background music.
#include "tools/assetgen/sounds_music.h"

#include <algorithm>
#include <cstdint>

namespace assetgen {
namespace music {
namespace {

// 0 before x = 0, 1 after x = 1, a half cosine between.
double RaisedCosine(double x) {
    return x <= 0 ? 0 : (x >= 1 ? 1 : 0.5 - 0.5 * std::cos(x * kTwoPi * 0.5));
}

Samples Blank(int rate, double seconds) {
    return Samples(static_cast<size_t>(seconds * rate), 0.0f);
}

// One partial of a struck instrument: frequency ratio, level and time constant of its decay.
struct Partial {
    double ratio, level, decay;
};

// A struck tone: partials decaying on their own from a quick attack; a damper after `held` seconds (when
// held > 0) and a short fade at the end so that nothing is cut.
Samples Struck(int rate, double hz, double velocity, const Partial* partials, int count, double held,
               double damp, double seconds, double attack) {
    Samples out = Blank(rate, seconds);
    const double nyquist = rate * 0.45;
    for (int k = 0; k < count; ++k) {
        const Partial& p = partials[k];
        if (hz * p.ratio >= nyquist) continue;
        Osc osc(hz * p.ratio, rate);
        Decay decay(p.decay, rate);
        for (float& v : out)
            v += static_cast<float>(velocity * p.level * decay.Next() * osc.Next());
    }
    const double dampStep = std::exp(-1.0 / (damp * rate));
    double damping = 1.0;
    const double fade = 0.25;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double env = 1.0 - std::exp(-t / attack);
        if (held > 0 && t > held) {
            damping *= dampStep;
            env *= damping;
        }
        env *= RaisedCosine((seconds - t) / fade);
        out[i] = static_cast<float>(out[i] * env);
    }
    return out;
}

// Runs step(k, keep) over the last `preroll` samples of a loop of `frames` and then over the whole loop,
// keeping only the second run: a filter started that way enters the loop with the state it leaves it with.
template <class Step> void RoundTheLoop(size_t frames, size_t preroll, Step step) {
    for (size_t k = frames - std::min(preroll, frames); k < frames; ++k)
        step(k, false);
    for (size_t k = 0; k < frames; ++k)
        step(k, true);
}

// A delay line of whole samples.
class Line {
  public:
    explicit Line(size_t n) : m_Buf(std::max<size_t>(n, 1), 0.0) {}
    double Out() const { return m_Buf[m_Pos]; }
    void In(double v) {
        m_Buf[m_Pos] = v;
        m_Pos = (m_Pos + 1) % m_Buf.size();
    }

  private:
    std::vector<double> m_Buf;
    size_t m_Pos = 0;
};

// One side of a small hall: eight damped feedback combs in parallel, then four all-passes.
class Reverb {
  public:
    Reverb(int rate, int spread) {
        const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        const int passes[4] = {556, 441, 341, 225};
        for (int d : combs)
            m_Combs.push_back({Line(static_cast<size_t>((d + spread) * rate / 44100)), 0.0});
        for (int d : passes)
            m_Passes.push_back(Line(static_cast<size_t>((d + spread) * rate / 44100)));
    }
    double operator()(double in) {
        double sum = 0;
        for (Comb& c : m_Combs) {
            const double y = c.line.Out();
            c.store = y * 0.7 + c.store * 0.3; // damping: high tones die sooner
            c.line.In(in + c.store * 0.84);
            sum += y;
        }
        double y = sum * 0.125;
        for (Line& a : m_Passes) {
            const double b = a.Out();
            a.In(y + b * 0.5);
            y = b - y;
        }
        return y;
    }

  private:
    struct Comb {
        Line line;
        double store;
    };
    std::vector<Comb> m_Combs;
    std::vector<Line> m_Passes;
};

// White noise in [-1, 1) as a function of the sample's place, so that a filter run round the loop twice
// hears the same noise both times.
double NoiseAt(uint64_t k) {
    uint64_t z = k * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

} // namespace

void Bus::Mix(size_t at, const Samples& s, double gain, double pan) {
    const size_t n = m_L.size();
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kTwoPi / 8.0;
    const float gl = static_cast<float>(gain * (m_R.empty() ? 1.0 : std::cos(angle) * std::sqrt(2.0)));
    const float gr = static_cast<float>(gain * std::sin(angle) * std::sqrt(2.0));
    for (size_t i = 0; i < s.size(); ++i) {
        const size_t k = (at + i) % n;
        m_L[k] += s[i] * gl;
        if (!m_R.empty()) m_R[k] += s[i] * gr;
    }
}

void Bus::Add(const Bus& other, double gain) {
    const float g = static_cast<float>(gain);
    const Samples& r = other.m_R.empty() ? other.m_L : other.m_R;
    for (size_t k = 0; k < m_L.size(); ++k) {
        m_L[k] += other.m_L[k] * g;
        if (!m_R.empty()) m_R[k] += r[k] * g;
    }
}

Samples Bell(int rate, double note, double velocity) {
    static const Partial kBell[] = {
        {1.0, 1.0, 1.3}, {2.0, 0.3, 0.5}, {3.0, 0.1, 0.25}, {4.16, 0.08, 0.12}, {5.43, 0.05, 0.07}};
    return Struck(rate, MidiHz(note), velocity, kBell, 5, 0, 1, 3.2, 0.002);
}

Samples Vibes(int rate, double note, double held, double velocity) {
    static const Partial kBar[] = {{1.0, 1.0, 3.0}, {3.9, 0.18, 0.35}, {9.8, 0.06, 0.06}};
    Samples out = Struck(rate, MidiHz(note), velocity, kBar, 3, held, 0.12, held + 0.9, 0.0015);
    // The vibraphone's motor: a slow tremolo that the note starts on its crest.
    Osc motor(5.2, rate, kTwoPi / 4);
    for (float& v : out)
        v = static_cast<float>(v * (1.0 + 0.22 * motor.Next()));
    return out;
}

Samples Marimba(int rate, double note, double velocity) {
    static const Partial kBar[] = {{1.0, 1.0, 0.45}, {3.93, 0.35, 0.07}, {9.2, 0.08, 0.015}};
    return Struck(rate, MidiHz(note), velocity, kBar, 3, 0, 1, 1.4, 0.001);
}

Samples Flute(int rate, double note, double held, double velocity) {
    const double hz = MidiHz(note), release = 0.35, seconds = held + release;
    Samples out = Blank(rate, seconds);
    Noise32 breath(static_cast<uint32_t>(note * 131.0 + held * 977.0));
    OnePole hiss1(2400, rate), hiss2(2400, rate);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double env =
            RaisedCosine(t / 0.12) * (t < held ? 1.0 : RaisedCosine(1.0 - (t - held) / release));
        const double depth = 0.006 * RaisedCosine((t - 0.25) / 0.5);
        phase += kTwoPi * hz * (1.0 + depth * std::sin(kTwoPi * 4.8 * t)) / rate;
        const double tone = std::sin(phase) + 0.18 * std::sin(2 * phase) + 0.06 * std::sin(3 * phase);
        const double air = hiss2(hiss1(breath.Signed())) * (0.12 + 0.5 * std::exp(-t / 0.05));
        out[i] = static_cast<float>(velocity * env * (tone + air));
    }
    return out;
}

Samples Bass(int rate, double note, double held, double velocity) {
    const double hz = MidiHz(note), seconds = held + 0.8;
    Samples out = Blank(rate, seconds);
    Osc one(hz, rate), two(2 * hz, rate), three(3 * hz, rate);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double env = (1.0 - std::exp(-t / 0.025)) * (0.7 + 0.3 * std::exp(-t / 0.6));
        if (t > held) env *= std::exp(-(t - held) / 0.15);
        env *= RaisedCosine((seconds - t) / 0.2);
        out[i] = static_cast<float>(velocity * env * (one.Next() + 0.3 * two.Next() + 0.08 * three.Next()));
    }
    return out;
}

Samples Pad(int rate, const double* notes, int count, double held, double cents, double brightness) {
    const double attack = 1.4, release = 2.2, seconds = held + release;
    Samples out = Blank(rate, seconds);
    const double levels[4] = {1.0, 0.32 * brightness, 0.14 * brightness, 0.06 * brightness};
    for (int n = 0; n < count; ++n) {
        const double hz = MidiHz(notes[n]) * std::pow(2.0, cents / 1200.0);
        for (int h = 0; h < 4; ++h) {
            Osc osc(hz * (h + 1), rate, 0.7 * n + 1.3 * h);
            for (float& v : out)
                v += static_cast<float>(levels[h] * osc.Next() / count);
        }
    }
    Osc wobble(0.2, rate, cents);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double env =
            RaisedCosine(t / attack) * (t < held ? 1.0 : RaisedCosine(1.0 - (t - held) / release));
        out[i] = static_cast<float>(out[i] * env * (1.0 + 0.1 * wobble.Next()));
    }
    return out;
}

Samples Bubble(int rate, double hz, double decay) {
    Samples out = Blank(rate, decay * 7);
    AddBlip(out, rate, 0.0, hz, 0.8, decay, 1.0);
    return out;
}

void PingPong(const Samples& send, Bus& mix, size_t delay, double feedback, double gain) {
    Line left(delay), right(delay);
    Samples& l = mix.Left();
    Samples& r = mix.Right();
    RoundTheLoop(send.size(), delay * 24, [&](size_t k, bool keep) {
        const double outL = left.Out(), outR = right.Out();
        left.In(send[k] + outR * feedback);
        right.In(outL);
        if (keep) {
            l[k] += static_cast<float>(outL * gain);
            r[k] += static_cast<float>(outR * gain);
        }
    });
}

void Hall(const Samples& send, Bus& mix, int rate, double gain) {
    Reverb left(rate, 0), right(rate, 23);
    Samples& l = mix.Left();
    Samples& r = mix.Right();
    RoundTheLoop(send.size(), static_cast<size_t>(rate) * 8, [&](size_t k, bool keep) {
        const double in = send[k];
        const double yl = left(in), yr = right(in);
        if (keep) {
            l[k] += static_cast<float>(yl * gain);
            r[k] += static_cast<float>(yr * gain);
        }
    });
}

void Water(Bus& mix, int rate, int swells, double gain) {
    const size_t n = mix.Frames();
    OnePole lowL1(300, rate), lowL2(300, rate), lowR1(300, rate), lowR2(300, rate);
    OnePole fizzL(6500, rate), fizzR(6500, rate), fizzBaseL(2500, rate), fizzBaseR(2500, rate);
    Samples& l = mix.Left();
    Samples& r = mix.Right();
    RoundTheLoop(n, static_cast<size_t>(rate), [&](size_t k, bool keep) {
        const double a = NoiseAt(2 * k), b = NoiseAt(2 * k + 1);
        const double washL = lowL2(lowL1(a)), washR = lowR2(lowR1(b));
        const double hl = fizzL(a), hr = fizzR(b);
        const double airL = hl - fizzBaseL(hl), airR = hr - fizzBaseR(hr);
        if (!keep) return;
        const double swell = 0.6 + 0.4 * std::sin(kTwoPi * swells * static_cast<double>(k) / n);
        l[k] += static_cast<float>(gain * swell * (washL + 0.05 * airL));
        r[k] += static_cast<float>(gain * swell * (washR + 0.05 * airR));
    });
}

} // namespace music
} // namespace assetgen
