#include "Sounds.h"

#include "Shapes.h"
#include "Synth.h"

#include <cmath>
#include <functional>
#include <string>

namespace Content {

namespace {

// Every effect is normalised to the same loudness, with the peak capped well
// below full scale (the Vorbis coder may overshoot a little).
const double EffectLoudness = 0.17; // about -15 dBFS over the loudest 50 ms
const double EffectPeak = 0.66;     // about -3.6 dBFS

// A few milliseconds of silence before and after each sound keep the coder's
// smearing of a sharp attack away from the first and last samples.
const double Lead = 0.008;

Samples Make(double seconds, const std::function<void(Samples&)>& draw)
{
    Samples s(size_t(seconds * SampleRate), 0.0f);
    draw(s);
    size_t pad = size_t(Lead * SampleRate);
    s.insert(s.begin(), pad, 0.0f);
    s.insert(s.end(), pad, 0.0f);
    return s;
}

double N(double midi) { return MidiToFrequency(midi); }

void NoiseBurst(Samples& s, double start, double length, double f0, double f1, double q, double amp, uint32_t seed,
                double attack = 0.004)
{
    Noise noise(seed);
    BandPass bp(q);
    long a = std::lround(start * SampleRate), n = std::lround(length * SampleRate);
    for (long i = 0; i < n && a + i < long(s.size()); ++i) {
        double t = double(i) / SampleRate;
        double centre = f0 * std::pow(f1 / f0, t / length);
        s[size_t(a + i)] += float(amp * Pluck(t, attack, length * 0.35, length) * bp.Process(noise.Next(), centre));
    }
}

void Arpeggio(Samples& s, double start, double step, const std::vector<double>& notes, double length, double amp,
              const std::vector<Partial>& voice)
{
    for (size_t i = 0; i < notes.size(); ++i)
        AddNote(s, start + step * double(i), length, N(notes[i]), amp, voice);
}

struct Effect {
    std::string name;
    Samples samples;
};

std::vector<Effect> Effects()
{
    std::vector<Effect> e;
    const auto& mallet = MalletPartials();
    const auto& bell = BellPartials();
    const auto& keys = KeysPartials();

    e.push_back({"take_shape", Make(0.2, [&](Samples& s) {
                     AddGlide(s, 0, 0.11, 520, 900, 0.6, 0.005, 0.05);
                     AddNote(s, 0.02, 0.16, N(84), 0.25, mallet);
                 })});
    e.push_back({"drop_shape", Make(0.4, [&](Samples& s) {
                     NoiseBurst(s, 0, 0.38, 2600, 300, 3, 0.9, 11u, 0.01);
                     AddGlide(s, 0, 0.3, 600, 180, 0.35, 0.01, 0.1);
                 })});
    e.push_back({"place_shape", Make(0.45, [&](Samples& s) {
                     AddNote(s, 0, 0.42, N(79), 0.8, mallet);
                     AddNote(s, 0.012, 0.3, N(91), 0.18, bell);
                 })});
    // A run of one class climbs the scale: each combo step sounds higher.
    static const int steps[7] = {2, 4, 5, 7, 9, 11, 12};
    for (int k = 0; k < 7; ++k) {
        double root = 79 + steps[k];
        e.push_back({"place_shape_bonus_" + std::to_string(k + 1), Make(0.6, [&](Samples& s) {
                         AddNote(s, 0, 0.5, N(root), 0.7, mallet);
                         AddNote(s, 0.06, 0.5, N(root + 7), 0.45, mallet);
                         AddNote(s, 0.06, 0.5, N(root + 12), 0.15, bell);
                     })});
    }
    e.push_back({"fill_area", Make(1.0, [&](Samples& s) {
                     NoiseBurst(s, 0, 0.6, 500, 4000, 2, 0.5, 23u, 0.05);
                     Arpeggio(s, 0.02, 0.035, {72, 76, 79, 84, 88, 91}, 0.6, 0.35, mallet);
                 })});
    e.push_back({"remove_line", Make(0.9, [&](Samples& s) {
                     AddGlide(s, 0, 0.55, 300, 1200, 0.45, 0.02, 0.2);
                     Arpeggio(s, 0.25, 0.07, {84, 88, 91, 96}, 0.6, 0.2, bell);
                 })});
    e.push_back({"transform_shape", Make(0.3, [&](Samples& s) {
                     double phase = 0;
                     for (size_t i = 0; i < s.size(); ++i) {
                         double t = double(i) / SampleRate;
                         double f = 660 * std::pow(1.5, t / 0.3) * (1 + 0.06 * std::sin(2 * M_PI * 28 * t));
                         phase += 2 * M_PI * f / SampleRate;
                         s[i] += float(0.5 * Swell(t, 0.01, 0.08, 0.3) * std::sin(phase + 0.8 * std::sin(phase * 2)));
                     }
                 })});
    e.push_back({"bug_alarm", Make(0.75, [&](Samples& s) {
                     for (int k = 0; k < 2; ++k) {
                         AddNote(s, k * 0.34, 0.15, 988, 0.5, {{1, 1, 0.2}, {3, 0.25, 0.1}}, 0.01);
                         AddNote(s, k * 0.34 + 0.16, 0.15, 740, 0.5, {{1, 1, 0.2}, {3, 0.25, 0.1}}, 0.01);
                     }
                 })});
    e.push_back({"shape_clear", Make(0.6, [&](Samples& s) {
                     for (int k = 0; k < 3; ++k) {
                         NoiseBurst(s, k * 0.16, 0.09, 1400, 500, 1.5, 1.0, 31u + uint32_t(k), 0.003);
                         AddGlide(s, k * 0.16, 0.08, 220, 90, 0.35, 0.003, 0.03);
                     }
                 })});
    e.push_back({"shape_chomp", Make(0.55, [&](Samples& s) {
                     NoiseBurst(s, 0, 0.09, 1500, 500, 1.5, 1.0, 41u, 0.003);
                     AddGlide(s, 0, 0.08, 220, 90, 0.35, 0.003, 0.03);
                     AddNote(s, 0.08, 0.45, N(84), 0.35, bell);
                 })});
    e.push_back({"timeout", Make(0.13, [&](Samples& s) {
                     NoiseBurst(s, 0, 0.02, 3200, 3000, 4, 0.6, 51u, 0.001);
                     AddNote(s, 0, 0.12, 1250, 0.5, {{1, 1, 0.03}, {2.1, 0.2, 0.01}}, 0.002);
                 })});
    e.push_back({"game_over", Make(2.1, [&](Samples& s) {
                     Arpeggio(s, 0, 0.3, {81, 77, 74, 69}, 1.2, 0.45, keys);
                     AddNote(s, 0.9, 1.2, N(50), 0.3, keys, 0.05);
                     AddNote(s, 0.9, 1.2, N(57), 0.2, keys, 0.05);
                 })});
    e.push_back({"level_complete", Make(2.3, [&](Samples& s) {
                     Arpeggio(s, 0, 0.13, {72, 76, 79, 84}, 0.5, 0.45, mallet);
                     for (double n : {72.0, 76.0, 79.0, 84.0})
                         AddNote(s, 0.55, 1.7, N(n), 0.22, keys, 0.02);
                     AddNote(s, 0.55, 1.7, N(88), 0.15, bell, 0.01);
                 })});
    e.push_back({"bonus_level_complete", Make(2.7, [&](Samples& s) {
                     Arpeggio(s, 0, 0.07, {72, 76, 79, 84, 88, 91, 96}, 0.45, 0.4, mallet);
                     for (double n : {72.0, 79.0, 84.0, 88.0})
                         AddNote(s, 0.55, 2.1, N(n), 0.2, keys, 0.02);
                     Arpeggio(s, 0.7, 0.09, {96, 100, 103, 108}, 0.8, 0.12, bell);
                 })});
    e.push_back({"no_bonus", Make(1.2, [&](Samples& s) {
                     AddGlide(s, 0, 0.45, N(67), N(66), 0.5, 0.02, 0.1);
                     AddGlide(s, 0.45, 0.7, N(65), N(62), 0.5, 0.02, 0.3);
                 })});
    e.push_back({"game_complete", Make(3.7, [&](Samples& s) {
                     const double chords[4][3] = {{60, 64, 67}, {65, 69, 72}, {67, 71, 74}, {72, 76, 79}};
                     for (int c = 0; c < 4; ++c)
                         for (double n : chords[c])
                             AddNote(s, c * 0.45, c == 3 ? 2.2 : 0.6, N(n), 0.2, keys, 0.02);
                     Arpeggio(s, 0, 0.225, {72, 76, 77, 81, 79, 83, 84}, 0.5, 0.35, mallet);
                     Arpeggio(s, 1.4, 0.1, {96, 100, 103, 108}, 1.2, 0.1, bell);
                 })});
    auto conveyor = [&](Samples& s, double f0, double f1) {
        AddGlide(s, 0, 0.85, f0, f1, 0.4, 0.1, 0.25);
        AddGlide(s, 0, 0.85, f0 * 2, f1 * 2, 0.15, 0.1, 0.25);
        for (int k = 0; k < 12; ++k)
            NoiseBurst(s, 0.05 + k * 0.06, 0.025, 2200, 1800, 3, 0.35 * Swell(k * 0.06, 0.15, 0.25, 0.75), 61u + uint32_t(k),
                       0.002);
    };
    e.push_back({"shape_panel_in", Make(0.9, [&](Samples& s) { conveyor(s, 90, 150); })});
    e.push_back({"shape_panel_out", Make(0.9, [&](Samples& s) { conveyor(s, 150, 90); })});
    e.push_back({"level_start", Make(1.0, [&](Samples& s) {
                     AddNote(s, 0, 0.9, N(88), 0.4, bell);
                     AddNote(s, 0.18, 0.8, N(93), 0.4, bell);
                 })});
    e.push_back({"emit_scores", Make(0.45, [&](Samples& s) {
                     Arpeggio(s, 0, 0.025, {84, 88, 91, 96, 100}, 0.3, 0.3, mallet);
                 })});
    e.push_back({"collect_scores", Make(0.55, [&](Samples& s) {
                     AddNote(s, 0, 0.1, N(83), 0.45, {{1, 1, 0.2}, {3, 0.3, 0.1}, {5, 0.1, 0.05}}, 0.002);
                     AddNote(s, 0.08, 0.45, N(88), 0.45, {{1, 1, 0.25}, {3, 0.3, 0.1}, {5, 0.1, 0.05}}, 0.002);
                 })});
    e.push_back({"click", Make(0.06, [&](Samples& s) { AddNote(s, 0, 0.055, 1200, 0.6, mallet, 0.002); })});
    e.push_back({"over", Make(0.07, [&](Samples& s) { AddNote(s, 0, 0.065, 660, 0.4, mallet, 0.003); })});

    // Each class has a little motif of its own on the pentatonic scale.
    static const int penta[10] = {60, 62, 64, 67, 69, 72, 74, 76, 79, 81};
    const auto& classes = ShapeClassTable();
    for (size_t i = 0; i < classes.size(); ++i) {
        int a = penta[i % 10], b = penta[(i * 3 + 2) % 10], c = penta[(i * 7 + 4) % 10] + 12;
        const auto& voice = (i % 3 == 0) ? bell : (i % 3 == 1) ? mallet : keys;
        e.push_back({"class_" + classes[i].name, Make(0.9, [&](Samples& s) {
                         AddNote(s, 0, 0.5, N(a), 0.4, voice);
                         AddNote(s, 0.12, 0.5, N(b), 0.4, voice);
                         AddNote(s, 0.24, 0.62, N(c), 0.35, voice);
                     })});
    }
    return e;
}

} // namespace

void MakeSounds(Output& out)
{
    int serial = 1000;
    for (Effect& e : Effects()) {
        FadeEdges(e.samples, Lead + 0.002, Lead + 0.01);
        // The menu's pointer sounds are deliberately quieter than play.
        double level = (e.name == "over" || e.name == "click") ? EffectLoudness * 0.6 : EffectLoudness;
        Normalise(e.samples, level, EffectPeak);
        out.WriteBytes("Sound/" + e.name + ".ogg", EncodeOgg(e.samples, 1, 0.5f, serial++));
    }
}

} // namespace Content
