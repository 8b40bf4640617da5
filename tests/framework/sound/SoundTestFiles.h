#pragma once
// Helpers of the sound tests: WAV images built byte by byte so a test can
// break them on purpose, test tones, and their loudness.
#include "framework/support/TestFiles.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace soundtest {

using testfiles::Bytes;
using testfiles::PutBe32;
using testfiles::PutLe16;
using testfiles::PutLe32;
using testfiles::ReadBytes;
using testfiles::TempFolder;
using testfiles::WriteBytes;

inline void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

inline void Chunk(Bytes& b, const char* tag, const Bytes& body, int64_t claimedSize = -1) {
    PutTag(b, tag);
    PutLe32(b, claimedSize < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(claimedSize));
    b.insert(b.end(), body.begin(), body.end());
}

inline Bytes FmtBody(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes f;
    PutLe16(f, format);
    PutLe16(f, channels);
    PutLe32(f, rate);
    PutLe32(f, rate * channels * bits / 8);
    PutLe16(f, static_cast<uint32_t>(channels * bits / 8));
    PutLe16(f, bits);
    return f;
}

inline Bytes Riff(const Bytes& chunks) {
    Bytes b;
    PutTag(b, "RIFF");
    PutLe32(b, static_cast<uint32_t>(chunks.size() + 4));
    PutTag(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

inline Bytes Samples16(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples) PutLe16(b, static_cast<uint16_t>(s));
    return b;
}

// A plain PCM WAV file of 16-bit samples.
inline Bytes Wav16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples) {
    Bytes chunks;
    Chunk(chunks, "fmt ", FmtBody(1, channels, rate, 16));
    Chunk(chunks, "data", Samples16(samples));
    return Riff(chunks);
}

inline std::vector<int16_t> Sine(int frames, double hertz, double rate, double amplitude) {
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        s[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hertz * i / rate)));
    return s;
}

inline double Rms(const int16_t* samples, size_t count, size_t stride = 1) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < count; i += stride, ++n) sum += double(samples[i]) * samples[i];
    return n ? std::sqrt(sum / n) : 0.0;
}

} // namespace soundtest
