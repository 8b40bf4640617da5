#include "framework/sound/MusicStream.h"

#include "framework/sound/Mixer.h"

#include <algorithm>
#include <cctype>

namespace Quill {

namespace {
constexpr uint32_t DecodeChunkFrames = 4096;
constexpr uint32_t RingMask = MusicStream::RingFrames - 1;
// Each loop of an Ogg song opens its file anew, so a song of a few frames
// would be reopened thousands of times to fill the ring once: a few loops per
// call, and the next call goes on.
constexpr int MaxLoopsPerFill = 4;

std::string LowerExtension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return "";
    std::string ext = path.substr(dot + 1);
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext;
}
} // namespace

std::unique_ptr<MusicStream> MusicStream::Open(const std::string& path) {
    std::unique_ptr<MusicStream> stream(new MusicStream());
    std::string ext = LowerExtension(path);
    if (ext == "ogg") {
        stream->ogg = std::make_unique<OggDecoder>();
        if (!stream->ogg->Open(path)) return nullptr;
        stream->sourceChannels = stream->ogg->Channels();
        stream->sourceRate = static_cast<uint32_t>(stream->ogg->SampleRate());
        if (!IsPlayableFormat(static_cast<uint32_t>(stream->sourceChannels), stream->sourceRate, 16)) return nullptr;
    } else if (ext == "wav") {
        if (ReadWav(path, stream->wav) != WavResult::Ok || stream->wav.Frames() == 0) return nullptr;
        stream->sourceChannels = stream->wav.channels;
        stream->sourceRate = stream->wav.sampleRate;
    } else {
        return nullptr;
    }
    stream->step = static_cast<uint32_t>((static_cast<uint64_t>(stream->sourceRate) << 16) / OutputRate);
    stream->scratch.resize(2 * DecodeChunkFrames);
    return stream;
}

long MusicStream::ReadSource(int16_t* out, uint32_t maxFrames) {
    uint32_t frames = 0;
    if (ogg) {
        long bytes = ogg->Read(out, static_cast<int>(maxFrames * static_cast<uint32_t>(sourceChannels) * 2));
        if (bytes <= 0) return bytes;
        frames = static_cast<uint32_t>(bytes) / (static_cast<uint32_t>(sourceChannels) * 2);
    } else {
        frames = std::min(maxFrames, wav.Frames() - wavFrame);
        const uint8_t* src = wav.data.data() + static_cast<size_t>(wavFrame) * wav.BlockAlign();
        size_t samples = static_cast<size_t>(frames) * wav.channels;
        for (size_t i = 0; i < samples; ++i) {
            out[i] = wav.bitsPerSample == 8
                         ? static_cast<int16_t>((src[i] - 128) * 256)
                         : static_cast<int16_t>(static_cast<uint16_t>(src[2 * i] | (src[2 * i + 1] << 8)));
        }
        wavFrame += frames;
    }
    if (sourceChannels == 1) {
        // widen to stereo in place, from the back
        for (uint32_t i = frames; i-- > 0;) out[2 * i] = out[2 * i + 1] = out[i];
    }
    return static_cast<long>(frames);
}

bool MusicStream::RewindSource() {
    if (ogg) return ogg->Rewind();
    wavFrame = 0;
    return true;
}

void MusicStream::Flush() {
    AudioLock lock;
    readIndex.store(writeIndex.load());
}

void MusicStream::Fill() {
    std::lock_guard<std::mutex> guard(decodeLock);
    if (!active.load() || sourceEnded.load()) return;
    uint32_t w = writeIndex.load(std::memory_order_relaxed);
    uint32_t space = RingFrames - (w - readIndex.load(std::memory_order_acquire));
    bool justRewound = false;
    int loops = 0;
    while (space > 0) {
        size_t pendingFrames = pending.size() / 2;
        while (space > 0 && (resamplePosition >> 16) + 1 < pendingFrames) {
            size_t i = static_cast<size_t>(resamplePosition >> 16);
            int32_t frac = static_cast<int32_t>(resamplePosition & 0xFFFF);
            int16_t* dst = &ring[2 * (w & RingMask)];
            for (int side = 0; side < 2; ++side) {
                // 64 bits: a full-scale step (65535) times a fraction near 1 overflows 32.
                int64_t a = pending[2 * i + side], b = pending[2 * i + 2 + side];
                dst[side] = static_cast<int16_t>(a + (((b - a) * frac) >> 16));
            }
            ++w;
            --space;
            resamplePosition += step;
        }
        writeIndex.store(w, std::memory_order_release);
        if (space == 0) break;
        size_t drop = std::min(static_cast<size_t>(resamplePosition >> 16), pendingFrames);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(2 * drop));
        resamplePosition -= static_cast<uint64_t>(drop) << 16;

        long n = ReadSource(scratch.data(), DecodeChunkFrames);
        if (n == 0 && looping && !justRewound) {
            // the seam of a loop: carry on from the first frame
            if (loops++ == MaxLoopsPerFill) break;
            justRewound = true;
            if (RewindSource()) continue;
        }
        if (n <= 0) {
            sourceEnded.store(true, std::memory_order_release);
            break;
        }
        justRewound = false;
        pending.insert(pending.end(), scratch.begin(), scratch.begin() + 2 * n);
    }
}

void MusicStream::Start(bool restart, bool loop) {
    std::lock_guard<std::mutex> guard(decodeLock);
    looping = loop;
    if (restart || sourceEnded.load()) {
        RewindSource();
        pending.clear();
        resamplePosition = 0;
        sourceEnded.store(false);
        Flush();
    }
    AudioLock lock;
    paused.store(false);
    active.store(true);
}

void MusicStream::Stop() { active.store(false); }

void MusicStream::SetPaused(bool pause) { paused.store(pause); }

void MusicStream::SetGain(float value) {
    if (!(value > 0.0f)) value = 0.0f;
    gain.store(std::min(value, 1.0f), std::memory_order_relaxed);
}

void MusicStream::MixInto(float* acc, int frames) {
    if (!active.load(std::memory_order_relaxed) || paused.load(std::memory_order_relaxed)) return;
    // Read the end flag before the write index: once the producer has said
    // "ended", the index we read next is its last.
    bool ended = sourceEnded.load(std::memory_order_acquire);
    uint32_t r = readIndex.load(std::memory_order_relaxed);
    uint32_t w = writeIndex.load(std::memory_order_acquire);
    uint32_t n = std::min(static_cast<uint32_t>(frames), w - r);
    float g = gain.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < n; ++i) {
        const int16_t* src = &ring[2 * ((r + i) & RingMask)];
        acc[2 * i] += src[0] * g;
        acc[2 * i + 1] += src[1] * g;
    }
    readIndex.store(r + n, std::memory_order_release);
    if (ended && r + n == w) active.store(false);
}

} // namespace Quill
