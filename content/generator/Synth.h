#pragma once
// The small synthesiser behind the sound effects and the music: envelopes,
// a few voices built from sine partials, seeded noise with simple filters,
// level measurement, normalisation and the Ogg Vorbis writer (fixed stream
// serial numbers, so the bytes are the same on every build).
#include <cstdint>
#include <vector>

namespace Content {

constexpr int SampleRate = 44100;

using Samples = std::vector<float>;

// An attack/decay envelope: rises over `attack` s (half cosine), then
// decays exponentially with time constant `decay`; 0 outside [0, length].
double Pluck(double t, double attack, double decay, double length);
// Attack, hold at 1, release (half cosines); 0 outside [0, length].
double Swell(double t, double attack, double release, double length);

// Partials of a voice: frequency ratio, amplitude, decay time constant.
struct Partial {
    double ratio, amp, decay;
};
const std::vector<Partial>& MalletPartials();
const std::vector<Partial>& BellPartials();
const std::vector<Partial>& KeysPartials();

// Adds a note of `partials` at `freq` into `out` from sample `start`
// (indices wrap around when `wrap` is set, for seamless loops).
void AddNote(Samples& out, double startSeconds, double length, double freq, double amp,
             const std::vector<Partial>& partials, double attack = 0.004, bool wrap = false);
// A sine whose frequency glides exponentially from f0 to f1.
void AddGlide(Samples& out, double startSeconds, double length, double f0, double f1, double amp,
              double attack, double release);

// Seeded white noise and the filters we shape it with.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed) {}
    float Next();
private:
    uint32_t state;
};
// Resonant band-pass (state variable filter) with a per-sample centre.
class BandPass {
public:
    explicit BandPass(double q) : damping(1.0 / q) {}
    float Process(float in, double centre);
private:
    double damping, low = 0, band = 0;
};

double MidiToFrequency(double note);

// Peak magnitude and the largest RMS over 50 ms windows (loudness).
double Peak(const Samples& s);
double Loudness(const Samples& s, int channels = 1);
// Raised-cosine fades so the first and last samples are exactly 0.
void FadeEdges(Samples& s, double fadeIn, double fadeOut);
// Scales to `loudness` (RMS of the loudest 50 ms) unless that would push the
// peak above `peak`, in which case the peak decides.
void Normalise(Samples& s, double loudness, double peak, int channels = 1);

// Interleaved float samples (-1..1) as an Ogg Vorbis file.
std::vector<uint8_t> EncodeOgg(const Samples& interleaved, int channels, float quality, int serial);

} // namespace Content
