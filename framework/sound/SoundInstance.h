#pragma once
// One playing sound on one of the sound manager's channels. Instances belong
// to the manager; callers never delete them.
#include <cstdint>

namespace Quill {

class SoundInstance {
public:
    virtual ~SoundInstance() = default;
    // Stops and frees the channel.
    virtual void Release() = 0;
    virtual void SetInheritedVolume(double volume) = 0;
    virtual void SetInheritedPan(int32_t pan) = 0;
    virtual void AdjustPitch(double semitones) = 0;
    virtual void SetVolume(double volume) = 0;
    // Pan in hundredths of a decibel, -10000 (left) .. 10000 (right).
    virtual void SetPan(int32_t pan) = 0;
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    // An auto-release instance that has played and stopped releases itself here.
    virtual bool IsFinished() = 0;
    virtual double GetVolume() = 0;
};

} // namespace Quill
