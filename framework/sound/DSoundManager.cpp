#include "framework/sound/DSoundManager.h"

#include "framework/platform/Platform.h"

namespace Quill {

std::string CachePathFor(const std::string& fileName) {
    size_t split = fileName.find_last_of("/\\");
    std::string folder = split == std::string::npos ? "" : fileName.substr(0, split + 1);
    std::string base = split == std::string::npos ? fileName : fileName.substr(split + 1);
    return folder + "cached_" + base + ".wav";
}

bool IsSoundCacheFile(const std::string& fileName) {
    size_t split = fileName.find_last_of("/\\");
    std::string base = split == std::string::npos ? fileName : fileName.substr(split + 1);
    return base.size() > 11 && base.compare(0, 7, "cached_") == 0 && base.compare(base.size() - 4, 4, ".wav") == 0;
}

std::shared_ptr<const MixSound> ToMixSound(const PcmSound& pcm) {
    auto sound = std::make_shared<MixSound>();
    sound->channels = pcm.channels;
    sound->sampleRate = pcm.sampleRate;
    sound->frames = pcm.Frames();
    size_t count = static_cast<size_t>(sound->frames) * pcm.channels;
    sound->samples.resize(count);
    const uint8_t* p = pcm.data.data();
    for (size_t i = 0; i < count; ++i) {
        sound->samples[i] = pcm.bitsPerSample == 8
                                ? static_cast<int16_t>((p[i] - 128) * 256)
                                : static_cast<int16_t>(static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
    }
    return sound;
}

DSoundManager::DSoundManager(std::shared_ptr<Mixer> mixer_) : mixer(std::move(mixer_)) {
    lastSweep = GetPlatform().Ticks();
}

DSoundManager::~DSoundManager() {
    DeleteAllInstances(); // the channels stop reading before the samples go
    FreeAllSounds();
}

bool DSoundManager::LoadSound(uint32_t id, const std::string& fileName) {
    if (id >= SoundSlots) return false;
    FreeSound(id);
    PcmSound pcm;
    bool decoded = false; // from a source that is worth caching
    std::string cachePath = CachePathFor(fileName);
    bool loaded = ReadWav(cachePath, pcm) == WavResult::Ok || ReadWav(fileName + ".wav", pcm) == WavResult::Ok;
    std::string source;
    if (!loaded && ReadOgg(fileName + ".ogg", pcm)) {
        loaded = decoded = true;
        source = fileName + ".ogg";
    }
    if (!loaded && ReadAu(fileName + ".au", pcm)) {
        loaded = decoded = true;
        source = fileName + ".au";
    }
    if (!loaded) return false;
    // A read-only folder keeps the sound, just without a cache for next time.
    if (decoded) WriteCacheWav(cachePath, pcm, source);
    std::shared_ptr<const MixSound> sound = ToMixSound(pcm);
    std::lock_guard<std::mutex> guard(tableLock);
    sounds[id].sound = std::move(sound);
    return true;
}

void DSoundManager::FreeSound(uint32_t id) {
    if (id >= SoundSlots) return;
    std::shared_ptr<const MixSound> old;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        old = std::move(sounds[id].sound);
    }
    // A channel still playing it keeps its own reference.
}

bool DSoundManager::HasSound(uint32_t id) {
    if (id >= SoundSlots) return false;
    std::lock_guard<std::mutex> guard(tableLock);
    return sounds[id].sound != nullptr;
}

void DSoundManager::SetVolume(double volume) {
    masterVolume = volume;
    for (auto& instance : channels)
        if (instance) instance->Apply();
}

bool DSoundManager::SetSoundVolume(uint32_t id, double volume) {
    if (id >= SoundSlots) return false;
    std::lock_guard<std::mutex> guard(tableLock);
    sounds[id].baseVolume = volume;
    return true;
}

bool DSoundManager::SetSoundPan(uint32_t id, int32_t pan) {
    if (id >= SoundSlots) return false;
    std::lock_guard<std::mutex> guard(tableLock);
    sounds[id].basePan = pan;
    return true;
}

void DSoundManager::Sweep() {
    for (auto& instance : channels)
        if (instance && instance->IsFinished()) instance.reset();
}

SoundInstance* DSoundManager::AcquireInstance(uint32_t id) {
    if (id >= SoundSlots) return nullptr;
    uint32_t now = GetPlatform().Ticks();
    if (now - lastSweep >= 1000) {
        Sweep();
        lastSweep = now;
    }
    int free = -1;
    for (int i = 0; i < Mixer::ChannelCount && free < 0; ++i) {
        if (!channels[i]) {
            free = i;
        } else if (channels[i]->IsFinished()) {
            channels[i].reset();
            free = i;
        }
    }
    if (free < 0) return nullptr;
    SoundSlot slot;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        slot = sounds[id];
    }
    if (!slot.sound) return nullptr;
    channels[free] = std::make_unique<DSoundInstance>(*this, *mixer, free, std::move(slot.sound));
    channels[free]->SetInheritedPan(slot.basePan);
    channels[free]->SetInheritedVolume(slot.baseVolume);
    return channels[free].get();
}

void DSoundManager::FreeAllSounds() {
    for (uint32_t id = 0; id < SoundSlots; ++id) FreeSound(id);
}

void DSoundManager::DeleteAllInstances() {
    for (auto& instance : channels) instance.reset();
}

double DSoundManager::GetMasterVolume() { return mixer->OutputGain(); }

void DSoundManager::SetMasterVolume(double volume) { mixer->SetOutputGain(static_cast<float>(volume)); }

// Our device is not tied to a window, so there is nothing to re-bind.
void DSoundManager::RebindWindow(bool) {}

void DSoundManager::StopAllSounds() {
    for (auto& instance : channels)
        if (instance) instance->Halt();
}

int DSoundManager::BusyChannels() const {
    int busy = 0;
    for (const auto& instance : channels) busy += instance ? 1 : 0;
    return busy;
}

} // namespace Quill
