#include "framework/sound/SoundReaders.h"

#include "framework/platform/Files.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/types.h>

namespace Quill {

namespace {

// Whole decoded sounds above this are refused rather than allocated: our
// longest effect is a few seconds, and this is three minutes of CD-quality
// stereo, so a hostile header cannot make us reserve gigabytes.
constexpr uint64_t MaxDecodedBytes = kMaxSoundFileBytes;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const uint8_t* p) { return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }
uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// The whole data block, cut to whole frames.
void TakeFrames(PcmSound& out, const uint8_t* data, size_t size) {
    size_t block = out.BlockAlign();
    size_t usable = block ? size - size % block : 0;
    out.data.assign(data, data + usable);
}

// --- stdio callbacks for the Ogg decoder ---
size_t OggRead(void* ptr, size_t size, size_t count, void* source) {
    return std::fread(ptr, size, count, static_cast<std::FILE*>(source));
}
int OggSeek(void* source, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<std::FILE*>(source), static_cast<off_t>(offset), whence);
}
int OggClose(void* source) { return std::fclose(static_cast<std::FILE*>(source)); }
long OggTell(void* source) { return static_cast<long>(ftello(static_cast<std::FILE*>(source))); }

// The decoder library leaks a few bytes on some damaged files it fails to
// open. The game would open such a file again at every play of its sound
// event and at every loop of a song, so the files that failed are remembered
// with their time stamps and not handed to the library again until they
// change: the leak stays one per damaged file and run.
std::mutex failedOggLock;
std::map<std::string, uint64_t> failedOggFiles;

bool KnownToFail(const std::string& path) {
    std::lock_guard<std::mutex> hold(failedOggLock);
    auto known = failedOggFiles.find(path);
    return known != failedOggFiles.end() && known->second == LastWriteTime(path);
}

void RememberFailure(const std::string& path) {
    std::lock_guard<std::mutex> hold(failedOggLock);
    failedOggFiles[path] = LastWriteTime(path);
}

} // namespace

bool IsPlayableFormat(uint32_t channels, uint32_t sampleRate, uint32_t bitsPerSample) {
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) && sampleRate >= 1000 &&
           sampleRate <= 200000;
}

WavResult ParseWav(const uint8_t* bytes, size_t size, PcmSound& out) {
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return WavResult::Invalid;
    PcmSound sound; // 1 channel, 22050 Hz, 16 bits until a format chunk says otherwise
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint8_t* tag = bytes + pos;
        uint32_t chunkSize = Le32(bytes + pos + 4);
        size_t body = pos + 8;
        if (chunkSize > size - body) return WavResult::Invalid; // claims more than the file holds
        const uint8_t* p = bytes + body;
        if (std::memcmp(tag, "fmt ", 4) == 0) {
            if (chunkSize < 16 || Le16(p) != 1) return WavResult::Invalid; // PCM only
            sound.channels = Le16(p + 2);
            sound.sampleRate = Le32(p + 4);
            sound.bitsPerSample = Le16(p + 14);
        } else if (std::memcmp(tag, "dep ", 4) == 0) {
            if (chunkSize < 2) return WavResult::Invalid;
            uint32_t nameLength = Le16(p);
            if (2ull + nameLength + 8 > chunkSize) return WavResult::Invalid;
            std::string source(reinterpret_cast<const char*>(p + 2), std::min<uint32_t>(nameLength, 255));
            uint64_t stamp = Le64(p + 2 + nameLength);
            if (LastWriteTime(source) != stamp) return WavResult::Stale;
        } else if (std::memcmp(tag, "data", 4) == 0) {
            if (!IsPlayableFormat(sound.channels, sound.sampleRate, sound.bitsPerSample)) return WavResult::Invalid;
            TakeFrames(sound, p, chunkSize);
            out = std::move(sound);
            return WavResult::Ok;
        }
        pos = body + chunkSize; // unknown chunks are skipped by their size
    }
    return WavResult::Invalid; // no data chunk
}

WavResult ReadWav(const std::string& path, PcmSound& out) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxSoundFileBytes)) return WavResult::Missing;
    return ParseWav(bytes.data(), bytes.size(), out);
}

int16_t MuLawToLinear(uint8_t value) {
    uint8_t u = static_cast<uint8_t>(~value);
    int exponent = (u >> 4) & 7;
    int mantissa = u & 0x0F;
    int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((u & 0x80) ? -magnitude : magnitude);
}

bool ParseAu(const uint8_t* bytes, size_t size, PcmSound& out) {
    if (size < 24 || std::memcmp(bytes, ".snd", 4) != 0) return false;
    uint32_t offset = Be32(bytes + 4);
    uint32_t dataSize = Be32(bytes + 8);
    uint32_t encoding = Be32(bytes + 12);
    uint32_t rate = Be32(bytes + 16);
    uint32_t channels = Be32(bytes + 20);
    if (offset < 24 || offset > size) return false;
    size_t available = size - offset;
    if (dataSize == 0xFFFFFFFFu) dataSize = static_cast<uint32_t>(std::min<size_t>(available, 0xFFFFFFFEu));
    if (dataSize > available) return false; // truncated
    const uint8_t* p = bytes + offset;
    PcmSound sound;
    sound.channels = static_cast<uint16_t>(channels);
    sound.sampleRate = rate;
    if (encoding == 1) {
        sound.bitsPerSample = 16;
        if (!IsPlayableFormat(channels, rate, 16)) return false;
        size_t samples = dataSize - dataSize % channels;
        sound.data.resize(samples * 2);
        for (size_t i = 0; i < samples; ++i) {
            uint16_t s = static_cast<uint16_t>(MuLawToLinear(p[i]));
            sound.data[2 * i] = static_cast<uint8_t>(s);
            sound.data[2 * i + 1] = static_cast<uint8_t>(s >> 8);
        }
    } else if (encoding == 2) {
        sound.bitsPerSample = 8;
        if (!IsPlayableFormat(channels, rate, 8)) return false;
        TakeFrames(sound, p, dataSize);
        // Sun's 8-bit samples are signed, ours (as in WAV) unsigned.
        for (uint8_t& b : sound.data) b ^= 0x80;
    } else {
        return false;
    }
    out = std::move(sound);
    return true;
}

bool ReadAu(const std::string& path, PcmSound& out) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxSoundFileBytes)) return false;
    return ParseAu(bytes.data(), bytes.size(), out);
}

// --- Ogg Vorbis ---

struct OggDecoder::Impl {
    OggVorbis_File file;
    bool open = false;
    std::string path;
};

OggDecoder::OggDecoder() : impl(std::make_unique<Impl>()) {}
OggDecoder::~OggDecoder() { Close(); }

bool OggDecoder::Open(const std::string& path) {
    Close();
    impl->path = path;
    if (KnownToFail(path)) return false;
    std::FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    ov_callbacks callbacks{OggRead, OggSeek, OggClose, OggTell};
    if (ov_open_callbacks(f, &impl->file, nullptr, 0, callbacks) != 0) {
        std::fclose(f); // a failed open leaves the file to us
        RememberFailure(path);
        return false;
    }
    impl->open = true;
    vorbis_info* info = ov_info(&impl->file, -1);
    channels = info ? info->channels : 0;
    sampleRate = info ? static_cast<int>(info->rate) : 0;
    return true;
}

void OggDecoder::Close() {
    if (impl->open) ov_clear(&impl->file);
    impl->open = false;
    channels = sampleRate = 0;
}

int64_t OggDecoder::TotalFrames() { return impl->open ? ov_pcm_total(&impl->file, -1) : -1; }

long OggDecoder::Read(int16_t* out, int bytes) {
    if (!impl->open) return -1;
    for (;;) {
        int link = 0;
        // little-endian, 16-bit, signed
        long n = ov_read(&impl->file, reinterpret_cast<char*>(out), bytes, 0, 2, 1, &link);
        if (n == OV_HOLE) continue; // a gap in the data: the decoder resynchronises
        if (n > 0) {
            // A chained file whose later part has another layout cannot be
            // played as one sound.
            vorbis_info* info = ov_info(&impl->file, link);
            if (!info || info->channels != channels || info->rate != sampleRate) return -1;
        }
        return n;
    }
}

// Reopened rather than seeked: seeking within a damaged file is the decoder's
// least trodden path, while opening is what every load does.
bool OggDecoder::Rewind() {
    if (!impl->open) return false;
    const std::string path = impl->path;
    const int wasChannels = channels, wasRate = sampleRate;
    // The file may have been replaced meanwhile: carry on only with the same layout.
    if (!Open(path) || channels != wasChannels || sampleRate != wasRate) {
        Close();
        return false;
    }
    return true;
}

bool ReadOgg(const std::string& path, PcmSound& out) {
    OggDecoder decoder;
    if (!decoder.Open(path)) return false;
    if (!IsPlayableFormat(static_cast<uint32_t>(decoder.Channels()), static_cast<uint32_t>(decoder.SampleRate()), 16))
        return false;
    int64_t frames = decoder.TotalFrames();
    if (frames <= 0) return false;
    uint64_t bytes = static_cast<uint64_t>(frames) * static_cast<uint64_t>(decoder.Channels()) * 2;
    if (bytes > MaxDecodedBytes) return false;
    PcmSound sound;
    sound.channels = static_cast<uint16_t>(decoder.Channels());
    sound.sampleRate = static_cast<uint32_t>(decoder.SampleRate());
    sound.bitsPerSample = 16;
    sound.data.resize(bytes);
    uint64_t filled = 0;
    while (filled < bytes) {
        int chunk = static_cast<int>(std::min<uint64_t>(bytes - filled, 1 << 16));
        long n = decoder.Read(reinterpret_cast<int16_t*>(sound.data.data() + filled), chunk);
        if (n <= 0) return false; // ended early or broken: the full length must decode
        filled += static_cast<uint64_t>(n);
    }
    out = std::move(sound);
    return true;
}

// --- the decoded-sound cache ---

std::vector<uint8_t> BuildCacheWav(const PcmSound& sound, const std::string& sourceName, uint64_t sourceTime) {
    std::string name = sourceName.substr(0, 255);
    uint32_t dataSize = static_cast<uint32_t>(sound.data.size());
    uint32_t depSize = static_cast<uint32_t>(name.size()) + 10;
    std::vector<uint8_t> out;
    out.reserve(dataSize + depSize + 64);
    PutTag(out, "RIFF");
    Put32(out, dataSize + 36);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, sound.channels);
    Put32(out, sound.sampleRate);
    Put32(out, sound.sampleRate * sound.BlockAlign());
    Put16(out, sound.BlockAlign());
    Put16(out, sound.bitsPerSample);
    PutTag(out, "dep ");
    Put32(out, depSize);
    Put16(out, static_cast<uint32_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    Put32(out, static_cast<uint32_t>(sourceTime));
    Put32(out, static_cast<uint32_t>(sourceTime >> 32));
    PutTag(out, "data");
    Put32(out, dataSize);
    out.insert(out.end(), sound.data.begin(), sound.data.end());
    return out;
}

bool WriteCacheWav(const std::string& cachePath, const PcmSound& sound, const std::string& sourceName) {
    uint64_t stamp = LastWriteTime(sourceName);
    if (stamp == 0) return false;
    std::vector<uint8_t> image = BuildCacheWav(sound, sourceName, stamp);
    return WriteFileAtomic(cachePath, image.data(), image.size());
}

} // namespace Quill
