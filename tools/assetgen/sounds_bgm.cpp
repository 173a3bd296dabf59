// The background music: a calm underwater piece of 48 bars at 80 beats a minute (2 minutes 24 seconds), in
// stereo, that loops without a seam.
//
//   bars  0 -  7  the bay:    pads, a slow music-box arpeggio with its echo, the bass, bubbles
//   bars  8 - 23  the theme:  a vibraphone tune over the arpeggio, D major (D, Bm, G, A, F#m, Em)
//   bars 24 - 39  the deep:   the relative minor (Em, C, Am, B7), a breathy flute over a marimba ostinato,
//                             darker pads, more bubbles, the bells only now and then
//   bars 40 - 47  the return: the tune's first phrase again, its last bar leading back to the bay
//
// A low wash of water runs under everything, and a stereo hall joins the voices.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/sounds.h"
#include "tools/assetgen/sounds_music.h"

namespace assetgen {
namespace {

using namespace music;

constexpr double kBeat = 0.75; // seconds: 80 beats a minute
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 48;
constexpr double kBar = kBeat * kBeatsPerBar;

enum Section { kBay, kTheme, kDeep, kReturn };

Section SectionOf(int bar) {
    return bar < 8 ? kBay : (bar < 24 ? kTheme : (bar < 40 ? kDeep : kReturn));
}

struct Chord {
    double bass;   // root, low
    double pad[4]; // the pad's voicing
    double arp[5]; // tones of the arpeggio, low to high
};

const Chord kD = {38, {54, 57, 61, 64}, {62, 66, 69, 73, 76}};    // D major 9
const Chord kDfs = {42, {54, 57, 62, 64}, {62, 66, 69, 74, 76}};  // D over F#
const Chord kBm = {35, {54, 57, 61, 62}, {59, 62, 66, 69, 73}};   // B minor 9
const Chord kG = {31, {54, 57, 59, 62}, {62, 66, 67, 71, 74}};    // G major 9
const Chord kA = {33, {52, 57, 59, 61}, {61, 64, 69, 71, 73}};    // A add 9
const Chord kAsus = {33, {52, 57, 62, 64}, {62, 64, 69, 71, 74}}; // A sus 4
const Chord kFsm = {42, {54, 57, 61, 64}, {61, 64, 66, 69, 73}};  // F# minor 7
const Chord kEm = {40, {55, 59, 62, 66}, {59, 64, 66, 67, 71}};   // E minor 9
const Chord kC = {36, {52, 55, 59, 62}, {60, 64, 67, 71, 74}};    // C major 9
const Chord kAm = {33, {55, 59, 60, 64}, {57, 60, 64, 67, 71}};   // A minor 9
const Chord kB7 = {35, {51, 54, 57, 59}, {59, 63, 66, 69, 71}};   // B 7

// One chord a bar.
const Chord* const kProgression[kBars] = {
    &kD,  &kBm,  &kG, &kA, &kD,  &kBm,  &kG,    &kAsus, // the bay
    &kD,  &kBm,  &kG, &kA, &kD,  &kFsm, &kG,    &kA,    // the theme
    &kBm, &kFsm, &kG, &kD, &kEm, &kG,   &kAsus, &kA,    //
    &kEm, &kEm,  &kC, &kC, &kAm, &kAm,  &kB7,   &kB7,   // the deep
    &kEm, &kEm,  &kC, &kC, &kG,  &kDfs, &kAsus, &kA,    //
    &kD,  &kBm,  &kG, &kA, &kD,  &kFsm, &kG,    &kA,    // the return
};

// A note of a tune: bar, beat within it, length in beats, pitch.
struct TuneNote {
    int bar;
    double beat, beats, pitch;
};

// The theme's two phrases (bars 0 to 7 of each), the deep's tune (bars 0 to 15) and the return's last bar.
const TuneNote kPhrase1[] = {
    {0, 0, 1.5, 81}, {0, 1.5, 0.5, 78}, {0, 2, 1, 76},   {0, 3, 1, 74},     {1, 0, 1, 74},
    {1, 1, 1, 78},   {1, 2, 2, 83},     {2, 0, 1.5, 81}, {2, 1.5, 0.5, 79}, {2, 2, 1, 78},
    {2, 3, 1, 74},   {3, 0, 3, 76},     {3, 3, 1, 73},   {4, 0, 1, 74},     {4, 1, 1, 78},
    {4, 2, 1.5, 81}, {4, 3.5, 0.5, 86}, {5, 0, 2, 85},   {5, 2, 1, 81},     {5, 3, 1, 78},
    {6, 0, 1.5, 83}, {6, 1.5, 0.5, 81}, {6, 2, 1, 79},   {6, 3, 1, 76},     {7, 0, 2, 76},
    {7, 2, 2, 81},
};
const TuneNote kPhrase2[] = {
    {0, 0, 1.5, 78},   {0, 1.5, 0.5, 74}, {0, 2, 2, 71}, {1, 0, 1, 73}, {1, 1, 1, 76}, {1, 2, 2, 81},
    {2, 0, 1, 83},     {2, 1, 1, 81},     {2, 2, 1, 79}, {2, 3, 1, 74}, {3, 0, 3, 78}, {4, 0, 1.5, 79},
    {4, 1.5, 0.5, 78}, {4, 2, 1, 76},     {4, 3, 1, 71}, {5, 0, 1, 74}, {5, 1, 1, 79}, {5, 2, 2, 83},
    {6, 0, 2, 81},     {6, 2, 1, 76},     {6, 3, 1, 74}, {7, 0, 2, 73}, {7, 2, 1, 76}, {7, 3, 1, 69},
};
const TuneNote kDeepTune[] = {
    {0, 0, 3, 71},  {0, 3, 1, 67},  {1, 0, 2, 76},  {1, 2, 1, 74},  {1, 3, 1, 71},   {2, 0, 3, 72},
    {2, 3, 1, 76},  {3, 0, 2, 79},  {3, 2, 2, 76},  {4, 0, 2, 69},  {4, 2, 1, 72},   {4, 3, 1, 76},
    {5, 0, 3, 74},  {5, 3, 1, 72},  {6, 0, 2, 71},  {6, 2, 2, 75},  {7, 0, 3.5, 78}, {8, 0, 2, 79},
    {8, 2, 1, 78},  {8, 3, 1, 76},  {9, 0, 4, 71},  {10, 0, 1, 72}, {10, 1, 1, 76},  {10, 2, 2, 79},
    {11, 0, 2, 83}, {11, 2, 2, 79}, {12, 0, 2, 74}, {12, 2, 2, 79}, {13, 0, 2, 78},  {13, 2, 2, 81},
    {14, 0, 2, 81}, {14, 2, 1, 79}, {14, 3, 1, 76}, {15, 0, 2, 73}, {15, 2, 2, 76},
};
const TuneNote kReturnEnd[] = {{7, 0, 2, 76}, {7, 2, 1, 73}, {7, 3, 1, 69}};

// Where the arpeggio's eighths go in a bar: tone index, or -1 for a rest.
const int kArpPattern[8] = {0, 2, 4, 2, 3, -1, 1, -1};

size_t At(int rate, double seconds) {
    return static_cast<size_t>(std::lround(seconds * rate));
}

class Score {
  public:
    explicit Score(int rate)
        : m_Rate(rate), m_Frames(At(rate, kBars * kBar)), m_Mix(m_Frames, true), m_Hall(m_Frames, false),
          m_Echo(m_Frames, false), m_Rnd(4099) {}

    std::vector<float> Render() {
        for (int bar = 0; bar < kBars; ++bar) {
            PadAndBass(bar);
            if (SectionOf(bar) == kDeep)
                Ostinato(bar);
            else
                Arpeggio(bar);
            Bubbles(bar);
        }
        Tune(kPhrase1, std::size(kPhrase1), 8, false);
        Tune(kPhrase2, std::size(kPhrase2), 16, false);
        Tune(kDeepTune, std::size(kDeepTune), 24, true);
        for (const TuneNote& n : kPhrase1)
            if (n.bar < 7) Play(n, 40, false);
        Tune(kReturnEnd, std::size(kReturnEnd), 40, false);

        PingPong(m_Echo.Left(), m_Mix, At(m_Rate, kBeat * 0.75), 0.45, 0.5);
        Hall(m_Hall.Left(), m_Mix, m_Rate, 0.55);
        Water(m_Mix, m_Rate, 6, 0.05);

        std::vector<float> out(m_Frames * 2);
        for (size_t k = 0; k < m_Frames; ++k) {
            out[2 * k] = m_Mix.Left()[k];
            out[2 * k + 1] = m_Mix.Right()[k];
        }
        return out;
    }

  private:
    double Start(int bar, double beat) const { return bar * kBar + beat * kBeat; }
    // Places a note in the mix and in the sends; a start before the loop's beginning wraps to its end.
    void Place(double start, const Samples& s, double gain, double pan, double hall, double echo = 0) {
        const double length = static_cast<double>(m_Frames) / m_Rate;
        const size_t at = At(m_Rate, std::fmod(start + length, length)) % m_Frames;
        m_Mix.Mix(at, s, gain, pan);
        if (hall > 0) m_Hall.Mix(at, s, gain * hall);
        if (echo > 0) m_Echo.Mix(at, s, gain * echo);
    }
    double Humanise(double spread) { return 1.0 - spread + spread * m_Rnd.Uniform(); }

    void PadAndBass(int bar) {
        const Chord& c = *kProgression[bar];
        const Section s = SectionOf(bar);
        const double brightness = s == kDeep ? 0.55 : (s == kBay ? 0.8 : 1.0);
        const double start = Start(bar, 0) - 0.3, held = kBar + 0.2;
        Place(start, Pad(m_Rate, c.pad, 4, held, -7, brightness), 0.06, -0.7, 0.6);
        Place(start, Pad(m_Rate, c.pad, 4, held, 7, brightness), 0.06, 0.7, 0.6);
        if (s == kDeep) {
            Place(Start(bar, 0), Bass(m_Rate, c.bass, 3.6 * kBeat, Humanise(0.1)), 0.17, 0, 0.05);
            return;
        }
        Place(Start(bar, 0), Bass(m_Rate, c.bass, 1.8 * kBeat, Humanise(0.1)), 0.16, 0, 0.05);
        const double second = bar % 2 == 0 ? c.bass + 7 : c.bass + 12;
        Place(Start(bar, 2), Bass(m_Rate, second, 1.6 * kBeat, 0.8 * Humanise(0.1)), 0.16, 0, 0.05);
    }

    // Eighths of the music box, softer in the bay, panned from side to side and echoed.
    void Arpeggio(int bar) {
        const Chord& c = *kProgression[bar];
        const double level = SectionOf(bar) == kBay ? 0.8 : 1.0;
        for (int e = 0; e < 8; ++e) {
            if (kArpPattern[e] < 0) continue;
            const double accent = e % 2 == 0 ? 1.0 : 0.7;
            const double pitch = c.arp[kArpPattern[e]] + 12;
            Place(Start(bar, e * 0.5), Bell(m_Rate, pitch, accent * level * Humanise(0.15)), 0.045,
                  e % 4 < 2 ? -0.5 : 0.5, 0.5, 0.5);
        }
    }

    // The deep: quarter notes of a marimba an octave under the arpeggio's tones, and a bell now and then.
    void Ostinato(int bar) {
        const Chord& c = *kProgression[bar];
        const int tones[4] = {0, 1, 2, 1};
        for (int q = 0; q < 4; ++q)
            Place(Start(bar, q),
                  Marimba(m_Rate, c.arp[tones[q]] - 12, (q == 0 ? 1.0 : 0.75) * Humanise(0.15)), 0.075,
                  q % 2 == 0 ? 0.3 : -0.3, 0.3);
        if (bar % 2 == 1) Place(Start(bar, 2.5), Bell(m_Rate, c.arp[4] + 12, 0.6), 0.045, 0.6, 0.6, 0.7);
    }

    // Little clusters of rising bubbles, more of them in the bay and in the deep.
    void Bubbles(int bar) {
        const Section s = SectionOf(bar);
        const double chance = (s == kBay || s == kDeep) ? 0.55 : 0.3;
        if (m_Rnd.Uniform() >= chance) return;
        double at = Start(bar, m_Rnd.Uniform() * 3.0);
        const int count = 2 + static_cast<int>(m_Rnd.Uniform() * 3);
        const double pan = m_Rnd.Signed() * 0.8;
        for (int j = 0; j < count; ++j) {
            const double hz = 700 + 1700 * m_Rnd.Uniform(), decay = 0.015 + 0.02 * m_Rnd.Uniform();
            Place(at, Bubble(m_Rate, hz, decay), 0.03, pan + 0.15 * m_Rnd.Signed(), 0.4);
            at += 0.05 + 0.08 * m_Rnd.Uniform();
        }
    }

    void Play(const TuneNote& n, int firstBar, bool flute) {
        const double start = Start(firstBar + n.bar, n.beat), held = n.beats * kBeat;
        const double velocity = (n.beat == 0 ? 1.0 : 0.85) * Humanise(0.1);
        if (flute)
            Place(start, Flute(m_Rate, n.pitch, held, velocity), 0.075, 0.15, 0.45);
        else
            Place(start, Vibes(m_Rate, n.pitch, held, velocity), 0.1, -0.15, 0.35);
    }
    void Tune(const TuneNote* notes, size_t count, int firstBar, bool flute) {
        for (size_t i = 0; i < count; ++i)
            Play(notes[i], firstBar, flute);
    }

    int m_Rate;
    size_t m_Frames;
    Bus m_Mix, m_Hall, m_Echo;
    Noise32 m_Rnd;
};

} // namespace

std::vector<float> SynthMusic(int rate) {
    std::vector<float> out = Score(rate).Render();
    Normalise(out, -9.5); // a bed of about -22 dBFS RMS that the effects, played 15 to 19 dB down, rise over
    return out;
}

} // namespace assetgen
