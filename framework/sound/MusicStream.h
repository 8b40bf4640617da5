#pragma once
// One song being streamed into the mixer. A producer (the music interface's
// decode thread, or the main thread in tests) decodes the file ahead into a
// ring buffer of about three quarters of a second, converted to stereo at the
// output rate; the audio thread only copies from the ring, so it never decodes
// and a late producer costs silence, never a glitch of old samples. Looping
// rewinds the decoder and carries on without a gap; resampling runs across the
// seam as across any other frame.
//
// Ogg Vorbis files are decoded as they play; WAV files are read whole.
#include "framework/sound/SoundReaders.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Quill {

class MusicStream {
public:
    static constexpr uint32_t RingFrames = 1u << 15;
    static constexpr int OutputRate = 44100;

    // Opens an ".ogg" or ".wav" file (by its extension); null when it cannot be played.
    static std::unique_ptr<MusicStream> Open(const std::string& path);

    // --- producer: decodes ahead until the ring is full (bounded work per call) ---
    void Fill();

    // --- control (main thread) ---
    // Plays, from the start when `restart`, else from where it stopped.
    void Start(bool restart, bool looping);
    void Stop();
    void SetPaused(bool paused);
    // Linear gain 0..1.
    void SetGain(float gain);
    // Started and not stopped (a paused stream counts); false once a song that
    // does not loop has played out.
    bool IsActive() const { return active.load(); }
    bool IsPaused() const { return paused.load(); }
    float Gain() const { return gain.load(std::memory_order_relaxed); }
    // Frames buffered ahead (for tests).
    uint32_t Buffered() const { return writeIndex.load() - readIndex.load(); }

    // --- consumer (audio thread) ---
    // Adds `frames` stereo frames times the gain into `acc`.
    void MixInto(float* acc, int frames);

private:
    MusicStream() = default;
    // Up to `maxFrames` source frames as stereo 16-bit; 0 at the end, < 0 on error.
    long ReadSource(int16_t* out, uint32_t maxFrames);
    bool RewindSource();
    void Flush();

    // the source: an Ogg decoder, or a whole WAV in memory
    std::unique_ptr<OggDecoder> ogg;
    PcmSound wav;
    uint32_t wavFrame = 0;
    int sourceChannels = 2;
    uint32_t sourceRate = OutputRate;

    // producer state, under decodeLock
    std::mutex decodeLock;
    std::vector<int16_t> pending;    // stereo source frames not yet resampled
    uint64_t resamplePosition = 0;   // into pending, 16 fractional bits
    uint32_t step = 1u << 16;
    bool looping = true;
    std::vector<int16_t> scratch;

    // the ring: the producer owns writeIndex, the audio thread readIndex
    std::vector<int16_t> ring = std::vector<int16_t>(2 * RingFrames);
    std::atomic<uint32_t> readIndex{0}, writeIndex{0};
    std::atomic<bool> sourceEnded{false};
    std::atomic<bool> active{false};
    std::atomic<bool> paused{false};
    std::atomic<float> gain{0.0f};
};

} // namespace Quill
