#pragma once
// framework/sound/: the sound manager and its instances, the sound file
// readers, our mixer and the streamed music. It may use base/ and platform/
// (the audio device, files), never graphics or widgets.
//
// Short sounds decoded into memory under ids 0..255, played on 32 channels.
// The base class is the silent stand-in used when there is no audio device:
// every load fails and no instance is ever handed out.
#include "framework/sound/SoundInstance.h"

#include <memory>
#include <string>

namespace Quill {

class SoundManager {
public:
    virtual ~SoundManager() = default;
    virtual bool Initialized() { return false; }
    // fileName without extension; tries the cache, .wav, .ogg and .au.
    virtual bool LoadSound(uint32_t /*id*/, const std::string& /*fileName*/) { return false; }
    virtual void FreeSound(uint32_t /*id*/) {}
    // Master volume 0..1; re-applies the volume of every playing channel.
    virtual void SetVolume(double /*volume*/) {}
    virtual bool SetSoundVolume(uint32_t id, double /*volume*/) { return id < 256; }
    virtual bool SetSoundPan(uint32_t id, int32_t /*pan*/) { return id < 256; }
    // A new instance on a free channel, or null.
    virtual SoundInstance* AcquireInstance(uint32_t /*id*/) { return nullptr; }
    virtual void FreeAllSounds() {}
    virtual void DeleteAllInstances() {}
    virtual double GetMasterVolume() { return 1.0; }
    virtual void SetMasterVolume(double /*volume*/) {}
    virtual void RebindWindow(bool /*windowed*/) {}
    virtual void StopAllSounds() {}
};

class MusicInterface;

// Creates the sound manager over the platform's audio device; the silent base
// when noSound is set or there is no device.
std::unique_ptr<SoundManager> CreateSoundManager(bool noSound);
// Creates the music interface; the silent base when noSound is set.
std::unique_ptr<MusicInterface> CreateMusicInterface(bool noSound);

} // namespace Quill
