#include "framework/sound/Mixer.h"

#include "framework/sound/MusicStream.h"
#include "framework/platform/Platform.h"

#include <algorithm>
#include <cmath>

namespace Quill {

int32_t VolumeToAttenuation(double volume) {
    // Outside 0..1 (or NaN) the formula would go positive or take the log of a
    // negative number; the device range is 0 .. -10000.
    if (!(volume > 0.0)) return -10000;
    if (volume > 1.0) volume = 1.0;
    int32_t attenuation = static_cast<int32_t>((std::log10(9.0 * volume + 1.0) - 1.0) * 2333.0);
    return attenuation < -2000 ? -10000 : attenuation;
}

float AttenuationToGain(int32_t attenuation) {
    if (attenuation <= -10000) return 0.0f;
    if (attenuation >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, attenuation / 2000.0));
}

void PanToGains(int32_t pan, float& left, float& right) {
    pan = std::clamp(pan, -10000, 10000);
    left = pan > 0 ? AttenuationToGain(-pan) : 1.0f;
    right = pan < 0 ? AttenuationToGain(pan) : 1.0f;
}

AudioLock::AudioLock() { GetPlatform().LockAudio(); }
AudioLock::~AudioLock() { GetPlatform().UnlockAudio(); }

Mixer::Mixer() = default;

void Mixer::Assign(int channel, const MixSound* sound) {
    if (channel < 0 || channel >= ChannelCount) return;
    AudioLock lock;
    Channel& c = channels[channel];
    c.playing.store(false);
    c.samples = sound ? sound->samples.data() : nullptr;
    c.frames = sound ? sound->frames : 0;
    c.sourceChannels = sound ? sound->channels : 1;
    c.position = 0;
    uint32_t rate = sound ? std::clamp(sound->sampleRate, MinFrequency, MaxFrequency) : OutputRate;
    c.step = static_cast<uint32_t>((static_cast<uint64_t>(rate) << 16) / OutputRate);
}

void Mixer::Clear(int channel) { Assign(channel, nullptr); }

void Mixer::Start(int channel, bool looping) {
    if (channel < 0 || channel >= ChannelCount) return;
    AudioLock lock;
    Channel& c = channels[channel];
    c.position = 0;
    c.looping = looping;
    c.playing.store(c.samples != nullptr && c.frames > 0);
}

void Mixer::Stop(int channel) {
    if (channel < 0 || channel >= ChannelCount) return;
    AudioLock lock;
    channels[channel].playing.store(false);
    channels[channel].position = 0;
}

bool Mixer::IsPlaying(int channel) const {
    return channel >= 0 && channel < ChannelCount && channels[channel].playing.load();
}

void Mixer::SetGains(int channel, float left, float right) {
    if (channel < 0 || channel >= ChannelCount) return;
    AudioLock lock;
    channels[channel].left = left;
    channels[channel].right = right;
}

void Mixer::SetFrequency(int channel, uint32_t hertz) {
    if (channel < 0 || channel >= ChannelCount) return;
    hertz = std::clamp(hertz, MinFrequency, MaxFrequency);
    AudioLock lock;
    channels[channel].step = static_cast<uint32_t>((static_cast<uint64_t>(hertz) << 16) / OutputRate);
}

bool Mixer::AttachMusic(MusicStream* stream) {
    AudioLock lock;
    for (MusicStream*& slot : music)
        if (slot == stream) return true;
    for (MusicStream*& slot : music) {
        if (!slot) {
            slot = stream;
            return true;
        }
    }
    return false;
}

void Mixer::DetachMusic(MusicStream* stream) {
    AudioLock lock;
    for (MusicStream*& slot : music)
        if (slot == stream) slot = nullptr;
}

void Mixer::SetOutputGain(float gain) {
    if (!(gain > 0.0f)) gain = 0.0f;
    outputGain.store(std::min(gain, 1.0f), std::memory_order_relaxed);
}

void Mixer::MixChannel(Channel& c, float* acc, int frames) {
    const uint64_t end = static_cast<uint64_t>(c.frames) << 16;
    const int16_t* s = c.samples;
    const uint32_t last = c.frames - 1;
    const bool stereo = c.sourceChannels == 2;
    for (int i = 0; i < frames; ++i) {
        if (c.position >= end) {
            if (!c.looping) {
                c.playing.store(false);
                c.position = 0;
                return;
            }
            c.position %= end;
        }
        uint32_t index = static_cast<uint32_t>(c.position >> 16);
        float frac = static_cast<float>(c.position & 0xFFFF) * (1.0f / 65536.0f);
        uint32_t next = index < last ? index + 1 : (c.looping ? 0 : index);
        float l, r;
        if (stereo) {
            float l0 = s[2 * index], l1 = s[2 * next];
            float r0 = s[2 * index + 1], r1 = s[2 * next + 1];
            l = l0 + (l1 - l0) * frac;
            r = r0 + (r1 - r0) * frac;
        } else {
            float a = s[index], b = s[next];
            l = r = a + (b - a) * frac;
        }
        acc[2 * i] += l * c.left;
        acc[2 * i + 1] += r * c.right;
        c.position += c.step;
    }
}

void Mixer::Render(int16_t* out, int frames) {
    float acc[2 * Block];
    while (frames > 0) {
        int n = std::min(frames, Block);
        std::fill(acc, acc + 2 * n, 0.0f);
        for (Channel& c : channels)
            if (c.playing.load(std::memory_order_relaxed)) MixChannel(c, acc, n);
        for (MusicStream* stream : music)
            if (stream) stream->MixInto(acc, n);
        float gain = outputGain.load(std::memory_order_relaxed);
        for (int i = 0; i < 2 * n; ++i) {
            float v = acc[i] * gain;
            out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        }
        out += 2 * n;
        frames -= n;
    }
}

} // namespace Quill
