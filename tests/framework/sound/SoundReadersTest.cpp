#include "framework/sound/SoundReaders.h"

#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundTestFiles.h"
#include "framework/platform/Files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

using namespace Quill;
using namespace soundtest;

namespace {

// What a parser made of an image: "invalid", or the format and data size.
std::string Parsed(const Bytes& image) {
    PcmSound pcm;
    if (ParseWav(image.data(), image.size(), pcm) != WavResult::Ok) return "invalid";
    return std::to_string(pcm.channels) + " ch " + std::to_string(pcm.sampleRate) + " Hz " +
           std::to_string(pcm.bitsPerSample) + " bit " + std::to_string(pcm.data.size()) + " bytes";
}

Bytes WithChunks(std::initializer_list<std::pair<const char*, Bytes>> chunks) {
    Bytes all;
    for (auto& c : chunks) Chunk(all, c.first, c.second);
    return Riff(all);
}

Bytes Au(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t channels, const Bytes& data) {
    Bytes b{'.', 's', 'n', 'd'};
    for (uint32_t field : {offset, size, encoding, 8000u, channels}) PutBe32(b, field);
    while (b.size() < offset && b.size() < 64) b.push_back(0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// The sound manager loading from a folder of the test's own.
class SoundLoading : public ::testing::Test {
protected:
    // Writes the file with the given time stamp.
    void Write(const std::string& path, const Bytes& bytes, time_t seconds) {
        WriteBytes(path, bytes);
        struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimes(path.c_str(), times), 0);
    }
    TempFolder dir;
    DSoundManager manager{std::make_shared<Mixer>()};
    const Bytes tone = ReadBytes(VELMORA_FIXTURES "/sound/tone440.ogg");
};

} // namespace

TEST(SoundReaders, ParsesWavFilesAndRejectsBrokenOnes) {
    Bytes four = Samples16({1, 2, 3, 4});
    const char* const invalid = "invalid";
    struct {
        const char* name;
        Bytes image;
        std::string parsed;
    } cases[] = {
        {"stereo 8-bit", WithChunks({{"fmt ", FmtBody(1, 2, 11025, 8)}, {"data", Bytes{1, 2, 3, 4}}}),
         "2 ch 11025 Hz 8 bit 4 bytes"},
        {"unknown chunk skipped by its size",
         WithChunks({{"junk", Bytes(13, 0xEE)}, {"fmt ", FmtBody(1, 2, 44100, 16)}, {"data", four}}),
         "2 ch 44100 Hz 16 bit 8 bytes"},
        {"data before any format", WithChunks({{"data", four}}), "1 ch 22050 Hz 16 bit 8 bytes"},
        {"partial last frame cut", WithChunks({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"data", Bytes(10, 0)}}),
         "2 ch 44100 Hz 16 bit 8 bytes"},
        {"float samples", WithChunks({{"fmt ", FmtBody(3, 1, 44100, 32)}, {"data", four}}), invalid},
    };
    for (const auto& c : cases) EXPECT_EQ(Parsed(c.image), c.parsed) << c.name;
}

TEST(SoundReaders, ParsesSunAudio) {
    struct {
        int16_t code, sample; // mu-law expansion at the ends and the middle of each half
    } muLaw[] = {{0xFF, 0}, {0x7F, 0}, {0x80, 32124}, {0x00, -32124}, {0xF0, 120}, {0x70, -120}};
    for (auto& c : muLaw) EXPECT_EQ(MuLawToLinear(uint8_t(c.code)), c.sample) << c.code;
    struct {
        const char* name;
        Bytes image;
        uint16_t bits; // 0: refused
        Bytes data;
    } cases[] = {
        {"mu-law to 16-bit", Au(24, 2, 1, 1, {0xFF, 0x80}), 16, {0, 0, 0x7C, 0x7D}},
        {"8-bit linear, signed to unsigned", Au(28, 3, 2, 1, {0x00, 0x7F, 0x80}), 8, {0x80, 0xFF, 0x00}},
        {"unknown size takes the rest", Au(24, 0xFFFFFFFF, 2, 1, {1, 2}), 8, {0x81, 0x82}},
        {"stereo keeps whole frames", Au(24, 3, 2, 2, {1, 2, 3}), 8, {0x81, 0x82}},
        {"16-bit linear not supported", Au(24, 2, 3, 1, {1, 2}), 0, {}},
    };
    for (const auto& c : cases) {
        PcmSound pcm;
        ASSERT_EQ(ParseAu(c.image.data(), c.image.size(), pcm), c.bits != 0) << c.name;
        EXPECT_EQ(pcm.bitsPerSample, c.bits ? c.bits : pcm.bitsPerSample) << c.name;
        EXPECT_EQ(pcm.data, c.bits ? c.data : pcm.data) << c.name;
    }
}

TEST_F(SoundLoading, DecodesTheOggToneAndRefusesBrokenOnes) {
    PcmSound pcm;
    ASSERT_TRUE(ReadOgg(VELMORA_FIXTURES "/sound/tone440.ogg", pcm));
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(pcm.sampleRate, 22050u);
    ASSERT_EQ(pcm.Frames(), 11025u);
    std::vector<int16_t> expected = Sine(11025, 440, 22050, 0.5 * 32767);
    const int16_t* got = reinterpret_cast<const int16_t*>(pcm.data.data());
    double error = 0, signal = 0;
    for (size_t i = 1000; i < 10000; ++i) { // away from the encoder's edges
        error += std::pow(got[i] - expected[i], 2.0);
        signal += std::pow(double(expected[i]), 2.0);
    }
    EXPECT_LT(std::sqrt(error / signal), 0.05);

    WriteBytes(dir / "half.ogg", Bytes(tone.begin(), tone.begin() + static_cast<std::ptrdiff_t>(tone.size() / 2)));
    for (const char* name : {"half.ogg", "missing.ogg"})
        EXPECT_FALSE(ReadOgg(dir / name, pcm)) << name;
}

TEST_F(SoundLoading, CacheIsWrittenReusedAndRejectedWhenTheSourceChanges) {
    const std::string source = dir / "tone.ogg", cache = dir / "cached_tone.wav";
    Write(source, tone, 1000000000);
    ASSERT_TRUE(manager.LoadSound(3, dir / "tone"));
    PcmSound cached;
    ASSERT_EQ(ReadWav(cache, cached), WavResult::Ok);
    EXPECT_EQ(cached.Frames(), 11025u);
    // Reused: the source is now garbage with the same time stamp, yet the load works.
    Write(source, Bytes(100, 1), 1000000000);
    EXPECT_TRUE(manager.LoadSound(3, dir / "tone"));
    // A new time stamp makes the cache stale; the source is decoded and the cache rewritten.
    Write(source, tone, 1100000000);
    EXPECT_EQ(ReadWav(cache, cached), WavResult::Stale);
    EXPECT_TRUE(manager.LoadSound(4, dir / "tone"));
    EXPECT_EQ(ReadWav(cache, cached), WavResult::Ok);
    // A stale cache whose source is broken: no sound.
    Write(source, Bytes(100, 1), 1200000000);
    EXPECT_FALSE(manager.LoadSound(5, dir / "tone"));
    EXPECT_FALSE(manager.HasSound(5));
    // A folder where the cache file should go: the write fails even for root, the load works.
    Write(dir / "other.ogg", tone, 1000000000);
    ASSERT_TRUE(MakeFolder(dir / "cached_other.wav"));
    EXPECT_TRUE(manager.LoadSound(6, dir / "other"));
}

TEST_F(SoundLoading, LoadOrderPrefersWavAndFallsBackToSunAudio) {
    WriteBytes(dir / "a.wav", Wav16(1, 44100, {5, 6, 7}));
    WriteBytes(dir / "a.au", Au(24, 2, 2, 1, {1, 2}));
    WriteBytes(dir / "b.au", Au(24, 2, 2, 1, {1, 2}));
    WriteBytes(dir / "c.wav", Bytes(20, 0)); // broken, and nothing else to fall back to
    EXPECT_TRUE(manager.LoadSound(0, dir / "a"));
    EXPECT_FALSE(FileExists(dir / "cached_a.wav")); // a WAV is never cached
    EXPECT_TRUE(manager.LoadSound(1, dir / "b"));
    PcmSound cached;
    EXPECT_EQ(ReadWav(dir / "cached_b.wav", cached), WavResult::Ok);
    EXPECT_EQ(cached.bitsPerSample, 8);
    EXPECT_FALSE(manager.LoadSound(2, dir / "c"));
    EXPECT_FALSE(manager.LoadSound(256, dir / "a"));
    EXPECT_EQ(CachePathFor("Sound\\click"), "Sound\\cached_click.wav");
}

// A song restarts by opening its file anew, never by seeking in it: the
// second pass gives the same samples, and a file that is gone or now has
// another layout ends the song instead of playing something else.
TEST_F(SoundLoading, RewindingAnOggOpensItAnew) {
    WriteBytes(dir / "song.ogg", tone);
    auto readAll = [](OggDecoder& decoder) {
        std::vector<int16_t> all, chunk(4096);
        long n;
        while ((n = decoder.Read(chunk.data(), 8192)) > 0) all.insert(all.end(), chunk.begin(), chunk.begin() + n / 2);
        return all;
    };
    OggDecoder decoder;
    ASSERT_TRUE(decoder.Open(dir / "song.ogg"));
    const std::vector<int16_t> first = readAll(decoder);
    EXPECT_EQ(first.size(), 11025u);
    ASSERT_TRUE(decoder.Rewind());
    EXPECT_EQ(readAll(decoder), first);

    struct Case {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"file removed", [&] { std::remove((dir / "song.ogg").c_str()); }},
        {"file now damaged", [&] { WriteBytes(dir / "song.ogg", Bytes(3000, 0x5A)); }},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / "song.ogg", tone);
        ASSERT_TRUE(decoder.Open(dir / "song.ogg"));
        c.change();
        EXPECT_FALSE(decoder.Rewind()) << c.what;
        EXPECT_LT(decoder.Read(std::vector<int16_t>(64).data(), 128), 0) << c.what;
    }
    // A file that failed is not tried again until it changes; once it has, it opens.
    Write(dir / "song.ogg", Bytes(3000, 0x5A), 1000);
    EXPECT_FALSE(decoder.Open(dir / "song.ogg"));
    Write(dir / "song.ogg", tone, 1000);
    EXPECT_FALSE(decoder.Open(dir / "song.ogg")) << "same time stamp: still the failed file";
    Write(dir / "song.ogg", tone, 2000);
    EXPECT_TRUE(decoder.Open(dir / "song.ogg"));
}

// Sound files are read whole, so one beyond the cap is refused unread; a
// sound padded to exactly the cap still loads.
TEST_F(SoundLoading, RefusesFilesLargerThanTheCap) {
    for (size_t size : {kMaxSoundFileBytes, kMaxSoundFileBytes + 1}) {
        WriteBytes(dir / "big.wav", Wav16(1, 22050, {1, 2, 3, 4}));
        ASSERT_EQ(truncate((dir / "big.wav").c_str(), static_cast<off_t>(size)), 0);
        PcmSound pcm;
        EXPECT_EQ(ReadWav(dir / "big.wav", pcm) == WavResult::Ok, size == kMaxSoundFileBytes) << size;
    }
}
