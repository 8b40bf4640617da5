#include "framework/sound/Mixer.h"

#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundTestFiles.h"
#include "framework/platform/HeadlessPlatform.h"

#include <gtest/gtest.h>

using namespace Quill;
using namespace soundtest;

namespace {

// A manager over an offline mixer, on a manual clock, with a few sounds.
class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto headless = std::make_unique<HeadlessPlatform>(true);
        clock = headless.get();
        previous = SetPlatform(std::move(headless));
        manager = std::make_unique<DSoundManager>(mixer); // reads the manual clock
    }
    void TearDown() override {
        manager.reset();
        SetPlatform(std::move(previous));
    }
    // Loads a WAV of the samples into the id.
    void Load(uint32_t id, const std::vector<int16_t>& samples, uint16_t channels = 1, uint32_t rate = 44100) {
        std::string name = dir / ("s" + std::to_string(id));
        WriteBytes(name + ".wav", Wav16(channels, rate, samples));
        ASSERT_TRUE(manager->LoadSound(id, name));
    }
    std::vector<int16_t> Render(int frames) {
        std::vector<int16_t> out(2 * static_cast<size_t>(frames));
        mixer->Render(out.data(), frames);
        return out;
    }

    std::unique_ptr<Platform> previous;
    HeadlessPlatform* clock = nullptr;
    std::shared_ptr<Mixer> mixer = std::make_shared<Mixer>();
    std::unique_ptr<DSoundManager> manager;
    TempFolder dir;
};

} // namespace

// The manager's volume, the sound's and the instance's multiply before they
// become one attenuation (silent below 0.045 and for nonsense); the sound's
// pan and the instance's add up. Changes reach a sound already playing.
TEST_F(MixerTest, VolumesAndPansReachTheRenderedSides) {
    Load(0, std::vector<int16_t>(1000, 10000));
    struct {
        double master, base, own;
        int32_t basePan, pan;
        int16_t left, right;
    } cases[] = {
        {1, 1, 1, 0, 0, 10000, 10000},  {0.8, 0.5, 0.9, 0, 0, 3677, 3677}, {1, 1, 0.045, 0, 0, 1014, 1014},
        {1, 1, 0.04, 0, 0, 0, 0},       {0, 1, 1, 0, 0, 0, 0},             {1, 1, std::nan(""), 0, 0, 0, 0},
        {2, 1, 1, 0, -2000, 10000, 1000}, {1, 1, 1, 1000, 1000, 1000, 10000}, {1, 1, 1, 0, -10000, 10000, 0},
        {1, 1, 1, 0, 50000, 0, 10000},  {0.5, 1, 1, 0, 2000, 498, 4983},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.master << " " << c.base << " " << c.own << " " << c.basePan << "+" << c.pan);
        manager->SetVolume(1.0);
        manager->SetSoundVolume(0, c.base);
        manager->SetSoundPan(0, c.basePan);
        SoundInstance* instance = manager->AcquireInstance(0);
        ASSERT_NE(instance, nullptr);
        instance->Play(false, false);
        Render(4);
        manager->SetVolume(c.master);
        instance->SetVolume(c.own);
        instance->SetPan(c.pan);
        std::vector<int16_t> out = Render(4);
        EXPECT_NEAR(out[2], c.left, 1);
        EXPECT_NEAR(out[3], c.right, 1);
        instance->Release();
    }
    manager->SetVolume(1.0);
    manager->SetMasterVolume(0.5); // the whole mix
    manager->AcquireInstance(0)->Play(false, false);
    EXPECT_EQ(Render(4)[0], 5000);
}

// 32 channels: the 33rd sound gets none, and of the finished sounds only the
// auto-release one gives its channel back.
TEST_F(MixerTest, ThirtyTwoChannelsAndOnlyAutoReleaseComesBack) {
    Load(0, std::vector<int16_t>(100, 100));
    Load(1, std::vector<int16_t>(44100, 100));
    manager->AcquireInstance(1)->Play(true, false);
    for (int i = 0; i < 30; ++i) manager->AcquireInstance(0)->Play(false, false);
    SoundInstance* shortSound = manager->AcquireInstance(0);
    ASSERT_NE(shortSound, nullptr);
    shortSound->Play(false, true);
    EXPECT_EQ(manager->AcquireInstance(0), nullptr);
    EXPECT_EQ(manager->BusyChannels(), 32);
    EXPECT_EQ(Render(4)[0], 3200); // 32 voices, not 33
    Render(200); // the short sounds play out
    EXPECT_FALSE(shortSound->IsPlaying());
    EXPECT_NE(manager->AcquireInstance(1), nullptr);
    EXPECT_EQ(manager->AcquireInstance(1), nullptr);
}

// What comes out of the mix, frame by frame (left, right), for one sound
// played by one or more voices.
TEST_F(MixerTest, RendersFrameByFrame) {
    struct {
        const char* name;
        std::vector<int16_t> samples;
        uint16_t channels;
        uint32_t rate;
        double pitch;
        int voices;
        bool loop;
        std::vector<int16_t> out;
    } cases[] = {
        {"stereo keeps its sides", {1000, -2000, 1000, -2000}, 2, 44100, 0, 1, false, {1000, -2000, 1000, -2000}},
        {"half the rate interpolates", {0, 1000, 2000, 3000}, 1, 22050, 0, 1, false,
         {0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2500, 2500}},
        {"an octave up at half the rate", {0, 1000, 2000}, 1, 22050, 12, 1, false, {0, 0, 1000, 1000, 2000, 2000, 0, 0}},
        {"a loop wraps without a gap", {100, 200, 300}, 1, 44100, 0, 1, true,
         {100, 100, 200, 200, 300, 300, 100, 100, 200, 200, 300, 300, 100, 100}},
        {"the mix saturates high", std::vector<int16_t>(100, 30000), 1, 44100, 0, 2, false, {32767, 32767}},
    };
    uint32_t id = 0;
    for (auto& c : cases) {
        Load(id, c.samples, c.channels, c.rate);
        for (int v = 0; v < c.voices; ++v) {
            auto* voice = static_cast<DSoundInstance*>(manager->AcquireInstance(id));
            voice->AdjustPitch(c.pitch);
            voice->Play(c.loop, true);
        }
        EXPECT_EQ(Render(int(c.out.size() / 2)), c.out) << c.name;
        manager->DeleteAllInstances();
        ++id;
    }
}
