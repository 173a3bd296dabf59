// The instruments and the mixing desk of the background music (internal to tools/assetgen).
//
// Every part of the music is a loop: a bus wraps what is added past its end round to its start, and the
// effects (echo, reverb, the water's filters) are run round the loop so that their state at its start is
// the state they have at its end. The last sample thus flows into the first as anywhere else.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "tools/assetgen/sounds.h"

namespace assetgen {
namespace music {

inline double MidiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

using Samples = std::vector<float>;

// A sine that turns a unit vector by a fixed angle each sample: one rotation instead of a sin() per sample.
class Osc {
  public:
    Osc(double hz, int rate, double phase = 0.0)
        : m_C(std::cos(phase)), m_S(std::sin(phase)), m_Dc(std::cos(kTwoPi * hz / rate)),
          m_Ds(std::sin(kTwoPi * hz / rate)) {}
    double Next() {
        const double v = m_S;
        const double c = m_C * m_Dc - m_S * m_Ds;
        m_S = m_S * m_Dc + m_C * m_Ds;
        m_C = c;
        return v;
    }

  private:
    double m_C, m_S, m_Dc, m_Ds;
};

// An exponential fall from 1 with a time constant of tau seconds.
class Decay {
  public:
    Decay(double tau, int rate) : m_K(std::exp(-1.0 / (tau * rate))) {}
    double Next() {
        const double v = m_V;
        m_V *= m_K;
        return v;
    }

  private:
    double m_V = 1.0, m_K;
};

// A loop of one channel (a send to an effect) or two (the mix).
class Bus {
  public:
    Bus(size_t frames, bool stereo) : m_L(frames, 0.0f), m_R(stereo ? frames : 0, 0.0f) {}
    size_t Frames() const { return m_L.size(); }
    Samples& Left() { return m_L; }
    Samples& Right() { return m_R; }
    // Adds s at `at` samples into the loop, scaled by gain; pan -1 (left) to 1 (right) at constant power.
    void Mix(size_t at, const Samples& s, double gain, double pan = 0.0);
    // Adds another bus (a mono one to both sides).
    void Add(const Bus& other, double gain);

  private:
    Samples m_L, m_R;
};

// The instruments. Each renders one note, mono, from its onset; `held` is how long it is held, in seconds.
Samples Bell(int rate, double note, double velocity);               // music-box bell, rings ~3 s
Samples Vibes(int rate, double note, double held, double velocity); // vibraphone with its tremolo
Samples Marimba(int rate, double note, double velocity);            // soft wooden mallet, short
Samples Flute(int rate, double note, double held, double velocity); // breathy, vibrato growing in
Samples Bass(int rate, double note, double held, double velocity);  // round sine bass
Samples Pad(int rate, const double* notes, int count, double held, double cents, double brightness);
Samples Bubble(int rate, double hz, double decay); // a small bubble rising: a quick upward chirp

// A ping-pong echo of a mono send into the stereo mix, run round the loop.
void PingPong(const Samples& send, Bus& mix, size_t delay, double feedback, double gain);
// A stereo hall of a mono send into the mix, run round the loop.
void Hall(const Samples& send, Bus& mix, int rate, double gain);
// Two decorrelated low washes of water, swelling `swells` times round the loop, into the mix.
void Water(Bus& mix, int rate, int swells, double gain);

} // namespace music
} // namespace assetgen
