#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/platform/Platform.h"

#include <mutex>

namespace Quill {

namespace {

// The mixer that feeds the platform's audio device. The sound manager and the
// music interface share it; the device closes when the last of them goes.
struct DeviceMixer {
    Mixer mixer;
    bool open = false;
    ~DeviceMixer() {
        if (open) GetPlatform().CloseAudio();
    }
};

std::shared_ptr<Mixer> OpenDeviceMixer() {
    static std::mutex lock;
    static std::weak_ptr<Mixer> current;
    std::lock_guard<std::mutex> guard(lock);
    if (std::shared_ptr<Mixer> mixer = current.lock()) return mixer;
    auto device = std::make_shared<DeviceMixer>();
    Mixer* mixer = &device->mixer;
    device->open = GetPlatform().OpenAudio(Mixer::OutputRate, [mixer](int16_t* out, int frames) {
        mixer->Render(out, frames);
    });
    if (!device->open) return nullptr; // no device: the callers fall back to silence
    std::shared_ptr<Mixer> shared(device, mixer);
    current = shared;
    return shared;
}

} // namespace

std::unique_ptr<SoundManager> CreateSoundManager(bool noSound) {
    std::shared_ptr<Mixer> mixer = noSound ? nullptr : OpenDeviceMixer();
    if (!mixer) return std::make_unique<SoundManager>();
    return std::make_unique<DSoundManager>(std::move(mixer));
}

std::unique_ptr<MusicInterface> CreateMusicInterface(bool noSound) {
    std::shared_ptr<Mixer> mixer = noSound ? nullptr : OpenDeviceMixer();
    if (!mixer) return std::make_unique<MusicInterface>();
    return std::make_unique<BassMusicInterface>(std::move(mixer), true);
}

} // namespace Quill
