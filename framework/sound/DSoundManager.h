#pragma once
// The sound manager over our mixer: up to 256 short sounds decoded into memory
// under ids 0..255, each with a base volume and pan, played on the mixer's 32
// channels. Sounds load from a decoded-sound cache ("cached_" + name + ".wav"
// beside the source), a WAV file, an Ogg Vorbis file or a Sun audio file; the
// decoded Ogg and Sun files are written back as the cache so later starts skip
// the decoding. A channel is taken by AcquireInstance and comes back when its
// instance has finished: at the next allocation, or in the sweep run at most
// once a second. With all 32 busy the next sound simply is not heard.
//
// The loading thread loads sounds while the main thread already plays others,
// so the sound table is guarded; the channels belong to the main thread.
#include "framework/sound/DSoundInstance.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/SoundManager.h"
#include "framework/sound/SoundReaders.h"

#include <array>
#include <memory>
#include <mutex>

namespace Quill {

class DSoundManager : public SoundManager {
public:
    static constexpr uint32_t SoundSlots = 256;

    explicit DSoundManager(std::shared_ptr<Mixer> mixer);
    ~DSoundManager() override;

    bool Initialized() override { return true; }
    bool LoadSound(uint32_t id, const std::string& fileName) override;
    void FreeSound(uint32_t id) override;
    void SetVolume(double volume) override;
    bool SetSoundVolume(uint32_t id, double volume) override;
    bool SetSoundPan(uint32_t id, int32_t pan) override;
    SoundInstance* AcquireInstance(uint32_t id) override;
    void FreeAllSounds() override;
    void DeleteAllInstances() override;
    // Our own master gain on the whole mix; the system's mixer is never touched.
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void RebindWindow(bool windowed) override;
    void StopAllSounds() override;

    // The volume set by SetVolume (the effects volume of the application).
    double GetVolume() const { return masterVolume; }
    bool HasSound(uint32_t id);
    // Channels that hold an instance (finished ones included until swept).
    int BusyChannels() const;
    Mixer& GetMixer() { return *mixer; }

private:
    struct SoundSlot {
        std::shared_ptr<const MixSound> sound;
        double baseVolume = 1.0;
        int32_t basePan = 0;
    };
    void Sweep();

    std::shared_ptr<Mixer> mixer;
    std::mutex tableLock;
    std::array<SoundSlot, SoundSlots> sounds;
    std::array<std::unique_ptr<DSoundInstance>, Mixer::ChannelCount> channels;
    double masterVolume = 1.0;
    uint32_t lastSweep = 0;
};

// The decoded-sound cache path for a file name without extension:
// "Sound\click" gives "Sound\cached_click.wav".
std::string CachePathFor(const std::string& fileName);
// Whether a file name (with or without its folder) is such a cache file.
bool IsSoundCacheFile(const std::string& fileName);
// A sound as the mixer plays it (8-bit samples widened to 16).
std::shared_ptr<const MixSound> ToMixSound(const PcmSound& pcm);

} // namespace Quill
