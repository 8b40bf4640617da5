#include "framework/sound/DSoundInstance.h"

#include "framework/sound/DSoundManager.h"

#include <algorithm>
#include <cmath>

namespace Quill {

DSoundInstance::DSoundInstance(DSoundManager& owner_, Mixer& mixer_, int channel_,
                               std::shared_ptr<const MixSound> sound_)
    : owner(owner_), mixer(mixer_), channel(channel_), sound(std::move(sound_)) {
    if (sound && sound->sampleRate) baseFrequency = frequency = sound->sampleRate;
    mixer.Assign(channel, sound.get());
    Apply();
}

DSoundInstance::~DSoundInstance() { mixer.Clear(channel); }

void DSoundInstance::Release() {
    Stop();
    released = true;
}

void DSoundInstance::SetInheritedVolume(double value) {
    baseVolume = value;
    Apply();
}

void DSoundInstance::SetInheritedPan(int32_t value) {
    basePan = value;
    Apply();
}

void DSoundInstance::AdjustPitch(double semitones) {
    double hertz = baseFrequency * std::pow(1.0594630943592953, semitones);
    if (!(hertz >= Mixer::MinFrequency)) hertz = Mixer::MinFrequency; // NaN lands here too
    frequency = static_cast<uint32_t>(std::lround(std::min(hertz, static_cast<double>(Mixer::MaxFrequency))));
    mixer.SetFrequency(channel, frequency);
}

void DSoundInstance::SetVolume(double value) {
    volume = value;
    Apply();
}

void DSoundInstance::SetPan(int32_t value) {
    pan = value;
    Apply();
}

bool DSoundInstance::Play(bool looping, bool autoRelease_) {
    if (released) return false;
    Stop();
    hasPlayed = true;
    autoRelease = autoRelease_;
    mixer.Start(channel, looping);
    return true;
}

void DSoundInstance::Stop() {
    mixer.Stop(channel);
    autoRelease = false;
}

void DSoundInstance::Halt() { mixer.Stop(channel); }

bool DSoundInstance::IsPlaying() { return hasPlayed && mixer.IsPlaying(channel); }

bool DSoundInstance::IsFinished() {
    if (!released && autoRelease && hasPlayed && !mixer.IsPlaying(channel)) Release();
    return released;
}

int32_t DSoundInstance::Attenuation() const {
    return VolumeToAttenuation(owner.GetVolume() * volume * baseVolume);
}

int32_t DSoundInstance::DevicePan() const {
    int64_t sum = static_cast<int64_t>(basePan) + pan;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, -10000, 10000));
}

void DSoundInstance::Apply() {
    float gain = AttenuationToGain(Attenuation());
    float left = 1.0f, right = 1.0f;
    PanToGains(DevicePan(), left, right);
    mixer.SetGains(channel, gain * left, gain * right);
}

} // namespace Quill
