#pragma once
// Readers for the sound file formats the sound manager accepts, all decoding
// into PCM in memory: WAV (RIFF/WAVE, PCM only, with our "dep " chunk that ties
// a cache file to its source), Ogg Vorbis (through the integer decoder) and Sun
// audio (mu-law or 8-bit linear). Every reader checks sizes against the file it
// was given: a truncated file or a chunk that claims more than the file holds
// fails cleanly and leaves nothing behind. Also writes the decoded-sound cache,
// a WAV file with the source's name and time stamp.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quill {

// Sound files, and whole decoded sounds, above this size are refused: three
// minutes of 44.1 kHz 16-bit stereo, far beyond any effect of ours.
constexpr size_t kMaxSoundFileBytes = size_t(32) << 20;

// Decoded samples in their own PCM format: 8-bit samples are unsigned, 16-bit
// samples signed little-endian, channels interleaved.
struct PcmSound {
    uint16_t channels = 1;
    uint32_t sampleRate = 22050;
    uint16_t bitsPerSample = 16;
    std::vector<uint8_t> data;

    uint32_t BlockAlign() const { return channels * (bitsPerSample / 8u); }
    uint32_t Frames() const { return BlockAlign() ? static_cast<uint32_t>(data.size() / BlockAlign()) : 0; }
};

enum class WavResult {
    Ok,
    Missing,  // the file could not be opened
    Invalid,  // not a WAV file we can play, or truncated
    Stale,    // a cache file whose source has a different time stamp
};

// Reads a RIFF/WAVE file. A "dep " chunk makes it a cache file: its source's
// current time stamp must equal the stored one.
WavResult ReadWav(const std::string& path, PcmSound& out);
// Parses a WAV image in memory (same rules; the "dep " source is stat'ed).
WavResult ParseWav(const uint8_t* bytes, size_t size, PcmSound& out);
// A streaming Ogg Vorbis decoder over one file (for music and for ReadOgg).
class OggDecoder {
public:
    OggDecoder();
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;
    // Opens the file and reads its headers; false when it is not Ogg Vorbis.
    bool Open(const std::string& path);
    void Close();
    int Channels() const { return channels; }
    int SampleRate() const { return sampleRate; }
    // Total length in frames (-1 when unknown).
    int64_t TotalFrames();
    // Up to `bytes` bytes of interleaved 16-bit samples; 0 at the end, < 0 on error.
    long Read(int16_t* out, int bytes);
    // Back to the first sample (the file is opened anew); false, and closed,
    // when it no longer opens with the same channels and rate.
    bool Rewind();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
    int channels = 0;
    int sampleRate = 0;
};

// Decodes a whole Ogg Vorbis file; fails unless its full length decodes.
bool ReadOgg(const std::string& path, PcmSound& out);
// Reads a Sun audio file: mu-law becomes 16-bit, 8-bit linear stays 8-bit.
bool ReadAu(const std::string& path, PcmSound& out);
bool ParseAu(const uint8_t* bytes, size_t size, PcmSound& out);
// The WAV image of a decoded sound, with a "dep " chunk naming its source.
std::vector<uint8_t> BuildCacheWav(const PcmSound& sound, const std::string& sourceName, uint64_t sourceTime);
// Writes the cache file atomically; false when the folder is not writable.
bool WriteCacheWav(const std::string& cachePath, const PcmSound& sound, const std::string& sourceName);
// One mu-law byte as a 16-bit sample.
int16_t MuLawToLinear(uint8_t value);
// Sample formats the mixer plays: 1 or 2 channels, 8 or 16 bits, a sane rate.
bool IsPlayableFormat(uint32_t channels, uint32_t sampleRate, uint32_t bitsPerSample);

} // namespace Quill
