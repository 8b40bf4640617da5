#pragma once
// A sound manager that plays nothing and records what the engine asks of it:
// every load by file name (without its extension), every play with the
// volume set for that sound. With requireFile a load succeeds only when the
// .wav or .ogg file exists in the working folder.
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "framework/platform/Files.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class StubSoundManager : public Quill::SoundManager {
public:
    struct Play {
        uint32_t id;
        std::string name;
        double volume;
    };

    class Instance : public Quill::SoundInstance {
    public:
        Instance(StubSoundManager& o, uint32_t i) : owner(o), id(i) {}
        void Release() override {}
        void SetInheritedVolume(double) override {}
        void SetInheritedPan(int32_t) override {}
        void AdjustPitch(double) override {}
        void SetVolume(double) override {}
        void SetPan(int32_t) override {}
        bool Play(bool looping, bool autoRelease) override {
            EXPECT_FALSE(looping);
            EXPECT_TRUE(autoRelease);
            owner.plays.push_back({id, owner.loaded[id], owner.volumes.count(id) ? owner.volumes[id] : 1.0});
            return true;
        }
        void Stop() override {}
        bool IsPlaying() override { return false; }
        bool IsFinished() override { return true; }
        double GetVolume() override { return 1.0; }
        StubSoundManager& owner;
        uint32_t id;
    };

    bool Initialized() override { return initialized; }
    // False: a manager without a device (the silent stand-in).
    bool initialized = true;
    bool LoadSound(uint32_t id, const std::string& fileName) override {
        loads.push_back(fileName);
        if (requireFile && !Quill::FileExists(fileName + ".wav") && !Quill::FileExists(fileName + ".ogg")) return false;
        loaded[id] = fileName;
        return true;
    }
    bool SetSoundVolume(uint32_t id, double volume) override {
        volumes[id] = volume;
        return id < 256;
    }
    Quill::SoundInstance* AcquireInstance(uint32_t id) override {
        if (!loaded.count(id)) return nullptr;
        instance = std::make_unique<Instance>(*this, id);
        return instance.get();
    }
    void FreeAllSounds() override {
        ++freeAll;
        loaded.clear();
    }
    // How many times the sound loaded under `name` was played.
    size_t Count(const std::string& name) const {
        size_t n = 0;
        for (const Play& p : plays) n += p.name == name;
        return n;
    }

    bool requireFile = false;
    std::vector<std::string> loads;
    std::map<uint32_t, std::string> loaded;
    std::map<uint32_t, double> volumes;
    std::vector<Play> plays;
    std::unique_ptr<Instance> instance;
    int freeAll = 0;
};
