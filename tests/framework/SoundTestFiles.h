#pragma once
// Helpers of the sound tests: a fresh temporary folder per test, and WAV and
// Sun audio images built byte by byte so a test can break them on purpose.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

using Bytes = std::vector<uint8_t>;

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/velmora-sound-XXXXXX";
        char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        path = made ? made : "/tmp";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutBe32(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}
inline void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

inline void Chunk(Bytes& b, const char* tag, const Bytes& body, int64_t claimedSize = -1) {
    PutTag(b, tag);
    Put32(b, claimedSize < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(claimedSize));
    b.insert(b.end(), body.begin(), body.end());
}

inline Bytes FmtBody(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes f;
    Put16(f, format);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * channels * bits / 8);
    Put16(f, static_cast<uint32_t>(channels * bits / 8));
    Put16(f, bits);
    return f;
}

inline Bytes Riff(const Bytes& chunks) {
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, static_cast<uint32_t>(chunks.size() + 4));
    PutTag(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

inline Bytes Samples16(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
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

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline Bytes ReadBytes(const std::string& path) {
    Bytes out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return out;
}

inline double Rms(const int16_t* samples, size_t count, size_t stride = 1) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < count; i += stride, ++n) sum += double(samples[i]) * samples[i];
    return n ? std::sqrt(sum / n) : 0.0;
}

} // namespace soundtest
