#pragma once
// Our software mixer: 32 sound channels and a few music streams mixed into
// 44.1 kHz 16-bit stereo. Each channel plays one decoded sound at its own
// frequency, resampled with linear interpolation, with a left and a right
// gain; the music streams are read from their ring buffers, already at the
// output rate. The sum saturates at the 16-bit limits.
//
// Render runs on the audio thread (or in a test, offline). The channel and
// stream tables change on the main thread under the platform's audio lock,
// which holds the callback off only for the few instructions of the change;
// Render itself never allocates, decodes or waits.
//
// Also here: the volume rules shared by the sound manager - a volume 0..1
// becomes an attenuation in hundredths of a decibel, and a pan attenuates the
// opposite side, as the classic sound devices did.
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace Quill {

class MusicStream;

// A decoded sound in the mixer's format: signed 16-bit, 1 or 2 channels interleaved.
struct MixSound {
    std::vector<int16_t> samples;
    int channels = 1;
    uint32_t sampleRate = 44100;
    uint32_t frames = 0;
};

// Attenuation (hundredths of a dB, 0 .. -10000) for a linear volume 0..1:
// trunc((log10(9x + 1) - 1) * 2333), with anything below -2000 silent.
int32_t VolumeToAttenuation(double volume);
// The linear gain of an attenuation; -10000 and below is exactly 0.
float AttenuationToGain(int32_t attenuation);
// Gains of the two sides for a pan (-10000 left .. 10000 right): the side
// opposite the pan is attenuated by |pan| hundredths of a dB.
void PanToGains(int32_t pan, float& left, float& right);

// Holds the audio callback off while it lives (the platform's audio lock).
class AudioLock {
public:
    AudioLock();
    ~AudioLock();
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;
};

class Mixer {
public:
    static constexpr int ChannelCount = 32;
    static constexpr int MusicSlots = 8;
    static constexpr int OutputRate = 44100;
    static constexpr uint32_t MinFrequency = 100;
    static constexpr uint32_t MaxFrequency = 100000;

    Mixer();

    // --- channels (main thread) ---
    // Puts a sound on the channel, stopped, at the sound's own frequency. The
    // sound must outlive its use here: Clear the channel before freeing it.
    void Assign(int channel, const MixSound* sound);
    void Clear(int channel);
    // Starts from the first frame, once or looping.
    void Start(int channel, bool looping);
    // Stops and rewinds.
    void Stop(int channel);
    bool IsPlaying(int channel) const;
    void SetGains(int channel, float left, float right);
    // Playback frequency in Hz, kept to 100 .. 100000.
    void SetFrequency(int channel, uint32_t hertz);

    // --- music (main thread) ---
    // False when every music slot is taken.
    bool AttachMusic(MusicStream* stream);
    void DetachMusic(MusicStream* stream);

    // Gain applied to the whole mix (our master volume), 0..1.
    void SetOutputGain(float gain);
    float OutputGain() const { return outputGain.load(std::memory_order_relaxed); }

    // --- audio thread ---
    // Mixes `frames` stereo frames into `out`.
    void Render(int16_t* out, int frames);

private:
    struct Channel {
        const int16_t* samples = nullptr;
        uint32_t frames = 0;
        int sourceChannels = 1;
        uint64_t position = 0; // in frames, 16 fractional bits
        uint32_t step = 1u << 16;
        float left = 1.0f, right = 1.0f;
        bool looping = false;
        std::atomic<bool> playing{false};
    };
    static constexpr int Block = 256;

    void MixChannel(Channel& c, float* acc, int frames);

    std::array<Channel, ChannelCount> channels;
    std::array<MusicStream*, MusicSlots> music{};
    std::atomic<float> outputGain{1.0f};
};

} // namespace Quill
