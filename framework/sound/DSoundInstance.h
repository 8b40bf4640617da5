#pragma once
// One sound playing on one of the mixer's channels. The manager creates it in
// AcquireInstance with the sound's base volume and pan, and deletes it when it
// has finished (auto-release) or been released. Its loudness is the manager's
// master volume times its own volume times its base volume, turned into an
// attenuation like a classic sound device's; its pan is its base pan plus its
// own pan.
#include "framework/sound/Mixer.h"
#include "framework/sound/SoundInstance.h"

#include <memory>

namespace Quill {

class DSoundManager;

class DSoundInstance : public SoundInstance {
public:
    DSoundInstance(DSoundManager& owner, Mixer& mixer, int channel, std::shared_ptr<const MixSound> sound);
    // Frees the mixer channel.
    ~DSoundInstance() override;

    void Release() override;
    // The base volume: stored, then the volume is applied again.
    void SetInheritedVolume(double volume) override;
    // The base pan.
    void SetInheritedPan(int32_t pan) override;
    void AdjustPitch(double semitones) override;
    void SetVolume(double volume) override;
    void SetPan(int32_t pan) override;
    // Restarts from the beginning; false once released.
    bool Play(bool looping, bool autoRelease) override;
    // Stops, rewinds and clears auto-release.
    void Stop() override;
    bool IsPlaying() override;
    bool IsFinished() override;
    double GetVolume() override { return volume; }

    // Stops without touching auto-release (the manager's StopAllSounds).
    void Halt();
    // Sends the current gains to the mixer (after a master volume change too).
    void Apply();
    int32_t Attenuation() const;
    int32_t DevicePan() const;
    uint32_t Frequency() const { return frequency; }
    bool IsReleased() const { return released; }

private:
    DSoundManager& owner;
    Mixer& mixer;
    int channel;
    std::shared_ptr<const MixSound> sound; // keeps the samples alive while the channel reads them
    bool autoRelease = false;
    bool hasPlayed = false;
    bool released = false;
    int32_t basePan = 0;
    int32_t pan = 0;
    double baseVolume = 1.0;
    double volume = 1.0;
    uint32_t baseFrequency = 44100;
    uint32_t frequency = 44100;
};

} // namespace Quill
