#include "Synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Content {

double Pluck(double t, double attack, double decay, double length)
{
    if (t < 0 || t > length)
        return 0;
    double a = t < attack ? 0.5 - 0.5 * std::cos(M_PI * t / attack) : 1.0;
    double d = std::exp(-std::max(0.0, t - attack) / decay);
    // A short release at the very end keeps the tail from being cut.
    double rel = std::min(0.02, length * 0.2);
    double r = t > length - rel ? 0.5 - 0.5 * std::cos(M_PI * (length - t) / rel) : 1.0;
    return a * d * r;
}

double Swell(double t, double attack, double release, double length)
{
    if (t < 0 || t > length)
        return 0;
    if (t < attack)
        return 0.5 - 0.5 * std::cos(M_PI * t / attack);
    if (t > length - release)
        return 0.5 - 0.5 * std::cos(M_PI * (length - t) / release);
    return 1;
}

const std::vector<Partial>& MalletPartials()
{
    static const std::vector<Partial> p = {{1.0, 1.0, 0.28}, {3.93, 0.28, 0.06}, {9.2, 0.08, 0.02}};
    return p;
}

const std::vector<Partial>& BellPartials()
{
    static const std::vector<Partial> p = {
        {1.0, 1.0, 0.9}, {2.0, 0.45, 0.6}, {2.76, 0.3, 0.35}, {4.07, 0.16, 0.2}, {5.4, 0.08, 0.12}};
    return p;
}

const std::vector<Partial>& KeysPartials()
{
    static const std::vector<Partial> p = {{1.0, 1.0, 0.9}, {2.0, 0.3, 0.4}, {3.0, 0.12, 0.2}, {4.0, 0.05, 0.1}};
    return p;
}

void AddNote(Samples& out, double startSeconds, double length, double freq, double amp,
             const std::vector<Partial>& partials, double attack, bool wrap)
{
    if (out.empty())
        return;
    long start = std::lround(startSeconds * SampleRate);
    long n = std::lround(length * SampleRate);
    long size = long(out.size());
    for (const Partial& p : partials) {
        double f = freq * p.ratio;
        if (f > SampleRate * 0.45)
            continue;
        double w = 2 * M_PI * f / SampleRate;
        for (long i = 0; i < n; ++i) {
            long at = start + i;
            if (wrap)
                at = ((at % size) + size) % size;
            else if (at < 0 || at >= size)
                continue;
            double t = double(i) / SampleRate;
            out[size_t(at)] += float(amp * p.amp * Pluck(t, attack, p.decay, length) * std::sin(w * double(i)));
        }
    }
}

void AddGlide(Samples& out, double startSeconds, double length, double f0, double f1, double amp, double attack,
              double release)
{
    long start = std::lround(startSeconds * SampleRate);
    long n = std::lround(length * SampleRate);
    double phase = 0;
    for (long i = 0; i < n; ++i) {
        long at = start + i;
        if (at < 0 || at >= long(out.size()))
            continue;
        double t = double(i) / SampleRate;
        double f = f0 * std::pow(f1 / f0, t / length);
        phase += 2 * M_PI * f / SampleRate;
        out[size_t(at)] += float(amp * Swell(t, attack, release, length) * std::sin(phase));
    }
}

float Noise::Next()
{
    state = state * 1664525u + 1013904223u;
    return float((state >> 8) / double(1u << 24) * 2.0 - 1.0);
}

float BandPass::Process(float in, double centre)
{
    double f = 2 * std::sin(M_PI * std::min(centre, SampleRate * 0.2) / SampleRate);
    low += f * band;
    double high = in - low - damping * band;
    band += f * high;
    return float(band);
}

double MidiToFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

double Peak(const Samples& s)
{
    double p = 0;
    for (float v : s)
        p = std::max(p, double(std::fabs(v)));
    return p;
}

double Loudness(const Samples& s, int channels)
{
    const size_t window = size_t(SampleRate / 20) * size_t(channels);
    double best = 0, sum = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        sum += double(s[i]) * s[i];
        if (i >= window)
            sum -= double(s[i - window]) * s[i - window];
        best = std::max(best, sum);
    }
    return std::sqrt(std::max(0.0, best) / double(std::min(window, std::max<size_t>(1, s.size()))));
}

void FadeEdges(Samples& s, double fadeIn, double fadeOut)
{
    size_t in = size_t(fadeIn * SampleRate), out = size_t(fadeOut * SampleRate), n = s.size();
    for (size_t i = 0; i < in && i < n; ++i)
        s[i] *= float(0.5 - 0.5 * std::cos(M_PI * double(i) / double(in)));
    for (size_t i = 0; i < out && i < n; ++i)
        s[n - 1 - i] *= float(0.5 - 0.5 * std::cos(M_PI * double(i) / double(out)));
}

void Normalise(Samples& s, double loudness, double peak, int channels)
{
    double l = Loudness(s, channels), p = Peak(s);
    if (l <= 0 || p <= 0)
        return;
    double gain = std::min(loudness / l, peak / p);
    for (float& v : s)
        v = float(v * gain);
}

std::vector<uint8_t> EncodeOgg(const Samples& interleaved, int channels, float quality, int serial)
{
    std::vector<uint8_t> bytes;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, SampleRate, quality) != 0) {
        vorbis_info_clear(&vi);
        return bytes;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    auto append = [&](const ogg_page& pg) {
        bytes.insert(bytes.end(), pg.header, pg.header + pg.header_len);
        bytes.insert(bytes.end(), pg.body, pg.body + pg.body_len);
    };
    while (ogg_stream_flush(&os, &page) != 0)
        append(page);

    const size_t frames = interleaved.size() / size_t(channels);
    size_t done = 0;
    bool eos = false, ended = false;
    while (!eos) {
        size_t chunk = std::min<size_t>(4096, frames - done);
        if (chunk == 0) {
            if (ended)
                break;
            vorbis_analysis_wrote(&vd, 0);
            ended = true;
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, int(chunk));
            for (size_t i = 0; i < chunk; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = interleaved[(done + i) * size_t(channels) + size_t(c)];
            vorbis_analysis_wrote(&vd, int(chunk));
            done += chunk;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    append(page);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return bytes;
}

} // namespace Content
