#include "Music.h"

#include "Synth.h"

#include <cmath>
#include <vector>

namespace Content {

namespace {

// 100 beats a minute, four beats a bar, forty bars: 96 s exactly.
const double Beat = 0.6;
const double Bar = 4 * Beat;
const int Bars = 40;
const size_t Length = size_t(Bars * Bar * SampleRate + 0.5);

struct Chord {
    double beat, beats; // start within the bar and length
    std::vector<int> notes; // pitch classes over the root, root first
    int root;               // MIDI root in the bass octave
};

// F major: the tune's chords bar by bar. Sections: A A B A C, and C ends on
// the dominant so the loop falls back into A.
const std::vector<std::vector<Chord>>& Progression()
{
    auto maj = [](int root) { return std::vector<Chord>{{0, 4, {0, 4, 7}, root}}; };
    auto min = [](int root) { return std::vector<Chord>{{0, 4, {0, 3, 7}, root}}; };
    const int F = 41, G = 43, A = 45, Bb = 46, C = 48, D = 50;
    static const std::vector<std::vector<Chord>> bars = [&] {
        std::vector<std::vector<Chord>> a = {maj(F), min(D), maj(Bb), maj(C), maj(F), min(A),
                                             {{0, 2, {0, 4, 7}, Bb}, {2, 2, {0, 4, 7}, C}}, maj(F)};
        std::vector<std::vector<Chord>> b = {min(D), maj(Bb), maj(F), maj(C), min(D), maj(Bb), min(G), maj(C)};
        std::vector<std::vector<Chord>> c = {maj(Bb), maj(C), min(A), min(D), min(G), maj(C), maj(F),
                                             {{0, 4, {0, 4, 7, 10}, C}}};
        std::vector<std::vector<Chord>> all;
        for (auto* section : {&a, &a, &b, &a, &c})
            all.insert(all.end(), section->begin(), section->end());
        return all;
    }();
    return bars;
}

struct Note {
    double beat, beats;
    int midi;
};

// The melody, eight bars per section.
std::vector<std::vector<Note>> Melody(int section)
{
    const int A4 = 69, Bb4 = 70, C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81;
    switch (section) {
    case 0:
    case 3:
        return {{{0, 1, A4}, {1, 1, C5}, {2, 1.5, F5}, {3.5, 0.5, E5}},
                {{0, 2, D5}, {2, 1, C5}, {3, 1, A4}},
                {{0, 1, Bb4}, {1, 1, D5}, {2, 1, F5}, {3, 1, D5}},
                {{0, 3, C5}},
                {{0, 1, A4}, {1, 1, C5}, {2, 1, F5}, {3, 1, G5}},
                {{0, 1.5, A5}, {1.5, 0.5, G5}, {2, 1, E5}, {3, 1, C5}},
                {{0, 1, D5}, {1, 1, Bb4}, {2, 1, E5}, {3, 1, G5}},
                {{0, 3, F5}}};
    case 1:
        return {{{0, 1, C5}, {1, 1, A4}, {2, 1.5, C5}, {3.5, 0.5, D5}},
                {{0, 2, F5}, {2, 1, E5}, {3, 1, D5}},
                {{0, 1, D5}, {1, 1, F5}, {2, 1, Bb4}, {3, 1, D5}},
                {{0, 2, E5}, {2, 1, G5}, {3, 1, E5}},
                {{0, 1, F5}, {1, 1, A5}, {2, 1, G5}, {3, 1, F5}},
                {{0, 1.5, E5}, {1.5, 0.5, D5}, {2, 1, C5}, {3, 1, A4}},
                {{0, 1, Bb4}, {1, 1, D5}, {2, 1, C5}, {3, 1, E5}},
                {{0, 3, F5}, {3, 1, C5}}};
    case 2:
        return {{{0, 1, F5}, {1, 1, E5}, {2, 2, D5}},
                {{0, 1, D5}, {1, 1, C5}, {2, 2, Bb4}},
                {{0, 1, A4}, {1, 1, C5}, {2, 1, F5}, {3, 1, A5}},
                {{0, 2, G5}, {2, 1, E5}, {3, 1, C5}},
                {{0, 1.5, F5}, {1.5, 0.5, E5}, {2, 1, D5}, {3, 1, A4}},
                {{0, 1, Bb4}, {1, 1, D5}, {2, 2, F5}},
                {{0, 1, G5}, {1, 1, F5}, {2, 1, D5}, {3, 1, Bb4}},
                {{0, 2, C5}, {2, 1, E5}, {3, 1, G5}}};
    default:
        return {{{0, 4, D5}},        {{0, 4, E5}},        {{0, 2, C5}, {2, 2, E5}}, {{0, 4, F5}},
                {{0, 2, D5}, {2, 2, G5}}, {{0, 2, E5}, {2, 2, C5}}, {{0, 4, A5}},
                {{0, 2, G5}, {2, 1, E5}, {3, 1, C5}}};
    }
}

// Soft flute: a sine with a touch of second harmonic, breathy swell and vibrato.
void AddFlute(Samples& out, double start, double length, double freq, double amp)
{
    long s0 = std::lround(start * SampleRate), n = std::lround(length * SampleRate);
    long size = long(out.size());
    double phase = 0;
    for (long i = 0; i < n; ++i) {
        double t = double(i) / SampleRate;
        double vib = 1 + 0.004 * std::sin(2 * M_PI * 5.2 * t) * std::min(1.0, t / 0.4);
        phase += 2 * M_PI * freq * vib / SampleRate;
        double env = Swell(t, 0.06, std::min(0.15, length * 0.4), length) * (1 - 0.25 * std::min(1.0, t / 2));
        long at = ((s0 + i) % size + size) % size;
        out[size_t(at)] += float(amp * env * (std::sin(phase) + 0.22 * std::sin(2 * phase) + 0.06 * std::sin(3 * phase)));
    }
}

void AddPad(Samples& out, double start, double length, double freq, double amp, double detune)
{
    long s0 = std::lround(start * SampleRate), n = std::lround(length * SampleRate);
    long size = long(out.size());
    double w1 = 2 * M_PI * freq * (1 + detune) / SampleRate, w2 = 2 * w1;
    for (long i = 0; i < n; ++i) {
        double t = double(i) / SampleRate;
        double env = Swell(t, 0.35, 0.45, length);
        long at = ((s0 + i) % size + size) % size;
        out[size_t(at)] += float(amp * env * (std::sin(w1 * double(i)) + 0.25 * std::sin(w2 * double(i))));
    }
}

void AddKick(Samples& out, double start, double amp)
{
    long s0 = std::lround(start * SampleRate), size = long(out.size());
    double phase = 0;
    for (long i = 0; i < long(0.3 * SampleRate); ++i) {
        double t = double(i) / SampleRate;
        phase += 2 * M_PI * (48 + 90 * std::exp(-t / 0.03)) / SampleRate;
        long at = ((s0 + i) % size + size) % size;
        out[size_t(at)] += float(amp * Pluck(t, 0.003, 0.09, 0.3) * std::sin(phase));
    }
}

void AddHit(Samples& out, double start, double length, double centre, double q, double amp, uint32_t seed)
{
    Noise noise(seed);
    BandPass bp(q);
    long s0 = std::lround(start * SampleRate), size = long(out.size());
    for (long i = 0; i < long(length * SampleRate); ++i) {
        double t = double(i) / SampleRate;
        long at = ((s0 + i) % size + size) % size;
        out[size_t(at)] += float(amp * Pluck(t, 0.002, length * 0.3, length) * bp.Process(noise.Next(), centre));
    }
}

// A feedback echo run twice around the loop, so that the echo of the end
// lands at the start exactly as it would in an endless repeat.
void CircularEcho(Samples& s, double delaySeconds, double feedback, double mix)
{
    size_t d = size_t(delaySeconds * SampleRate), n = s.size();
    Samples line(d, 0.0f), wet(n, 0.0f);
    size_t pos = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i) {
            float delayed = line[pos];
            line[pos] = s[i] + float(feedback) * delayed;
            pos = (pos + 1) % d;
            if (pass == 1)
                wet[i] = delayed;
        }
    for (size_t i = 0; i < n; ++i)
        s[i] += float(mix) * wet[i];
}

} // namespace

void MakeMusic(Output& out)
{
    Samples padL(Length), padR(Length), keys(Length), bass(Length), lead(Length), drums(Length), shaker(Length);
    const auto& bars = Progression();
    for (int b = 0; b < Bars; ++b) {
        double t0 = b * Bar;
        int section = b / 8;
        for (const Chord& c : bars[size_t(b)]) {
            double start = t0 + c.beat * Beat, len = c.beats * Beat;
            for (int pc : c.notes) {
                double f = MidiToFrequency(c.root + 12 + pc + (pc < 5 && c.root < 46 ? 12 : 0));
                AddPad(padL, start, len + 0.3, f, 0.05, -0.0015);
                AddPad(padR, start, len + 0.3, f, 0.05, 0.0015);
            }
            // Keys: chord tones in eighths, up and down.
            static const int order[8] = {0, 1, 2, 1, 0, 2, 1, 2};
            int eighths = int(c.beats * 2);
            for (int k = 0; k < eighths; ++k) {
                int pc = c.notes[size_t(order[k % 8]) % c.notes.size()];
                double amp = (k % 2 ? 0.035 : 0.05) * (section == 4 ? 0.7 : 1.0);
                AddNote(keys, start + k * Beat / 2, 0.55, MidiToFrequency(c.root + 24 + pc), amp, KeysPartials(),
                        0.004, true);
            }
            // Bass: root, root, fifth, root on the beats.
            static const int bassStep[4] = {0, 0, 7, 12};
            for (int k = 0; k < int(c.beats); ++k)
                AddNote(bass, start + k * Beat, Beat * 0.95, MidiToFrequency(c.root + bassStep[(int(c.beat) + k) % 4]),
                        0.2, {{1, 1, 0.5}, {2, 0.35, 0.2}, {3, 0.1, 0.1}}, 0.006, true);
        }
        const auto melody = Melody(section);
        for (const Note& n : melody[size_t(b % 8)]) {
            double f = MidiToFrequency(n.midi), start = t0 + n.beat * Beat, len = n.beats * Beat;
            if (section == 2)
                AddFlute(lead, start, len, f, 0.09);
            else if (section == 4)
                AddNote(lead, start, len + 1.0, f, 0.12, BellPartials(), 0.004, true);
            else {
                AddNote(lead, start, len + 0.3, f, 0.13, MalletPartials(), 0.004, true);
                AddFlute(lead, start, len, f, section == 1 ? 0.05 : 0.03);
            }
        }
        for (int beat = 0; beat < 4; ++beat) {
            double t = t0 + beat * Beat;
            if (section != 4 && beat % 2 == 0)
                AddKick(drums, t, 0.35);
            if (beat % 2 == 1)
                AddHit(drums, t, 0.09, 1800, 2, section == 4 ? 0.05 : 0.12, 700u + uint32_t(b * 4 + beat));
            for (int half = 0; half < 2; ++half)
                AddHit(shaker, t + half * Beat / 2, 0.05, 7000, 1.2, half ? 0.07 : 0.04,
                       900u + uint32_t(b * 8 + beat * 2 + half));
        }
    }
    CircularEcho(lead, Beat * 0.75, 0.35, 0.3);

    Samples mix(Length * 2);
    for (size_t i = 0; i < Length; ++i) {
        float centre = bass[i] + lead[i] + drums[i];
        mix[2 * i] = centre + padL[i] + keys[i] * 0.65f + shaker[i] * 0.35f;
        mix[2 * i + 1] = centre + padR[i] + keys[i] * 0.35f + shaker[i] * 0.65f;
    }
    // Well below the effects: about -21 dBFS at its loudest, peaks at -6 dBFS.
    Normalise(mix, 0.09, 0.5, 2);
    out.WriteBytes("Music/theme1.ogg", EncodeOgg(mix, 2, 0.3f, 4242));
}

} // namespace Content
