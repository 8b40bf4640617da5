#include "framework/Mixer.h"

#include "framework/DSoundManager.h"
#include "framework/MusicInterface.h"
#include "framework/SoundTestFiles.h"
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
        mixer = std::make_shared<Mixer>();
        manager = std::make_unique<DSoundManager>(mixer);
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
    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<DSoundManager> manager;
    TempFolder dir;
};

} // namespace

TEST(MixerRules, VolumeToAttenuation) {
    struct {
        double volume;
        int32_t attenuation;
    } cases[] = {{1.0, 0},      {0.5, -605},   {0.1, -1682},  {0.05, -1956},      {0.045, -1988},
                 {0.04, -10000}, {0.0, -10000}, {-0.5, -10000}, {2.0, 0}, {std::nan(""), -10000}};
    for (auto& c : cases) EXPECT_EQ(VolumeToAttenuation(c.volume), c.attenuation) << c.volume;
    EXPECT_FLOAT_EQ(AttenuationToGain(0), 1.0f);
    EXPECT_NEAR(AttenuationToGain(-2000), 0.1f, 1e-6);
    EXPECT_EQ(AttenuationToGain(-10000), 0.0f);
}

// The manager's volume, the sound's and the instance's multiply before they
// become one attenuation; the sound's pan and the instance's add up.
TEST_F(MixerTest, VolumesAndPansReachTheRenderedSides) {
    Load(0, std::vector<int16_t>(1000, 10000));
    struct {
        double master, base, own;
        int32_t basePan, pan;
        int16_t left, right;
    } cases[] = {
        {1, 1, 1, 0, 0, 10000, 10000},          {0.5, 1, 1, 0, 0, 4983, 4983},      {1, 0.5, 1, 0, 0, 4983, 4983},
        {1, 1, 0.5, 0, 0, 4983, 4983},          {0.8, 0.5, 0.9, 0, 0, 3677, 3677},  {0, 1, 1, 0, 0, 0, 0},
        {1, 1, 0.01, 0, 0, 0, 0},               {1, 1, 1, 0, 2000, 1000, 10000},    {1, 1, 1, 0, -2000, 10000, 1000},
        {1, 1, 1, 1000, 1000, 1000, 10000},     {1, 1, 1, 0, -10000, 10000, 0},     {1, 1, 1, 8000, 8000, 0, 10000},
        {1, 1, 1, 0, -4000, 10000, 100},         {1, 1, 1, 0, 50000, 0, 10000},      {0.5, 1, 1, 0, 2000, 498, 4983},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.master << " " << c.base << " " << c.own << " " << c.basePan << "+" << c.pan);
        manager->SetVolume(c.master);
        manager->SetSoundVolume(0, c.base);
        manager->SetSoundPan(0, c.basePan);
        SoundInstance* instance = manager->AcquireInstance(0);
        ASSERT_NE(instance, nullptr);
        instance->SetVolume(c.own);
        instance->SetPan(c.pan);
        instance->Play(false, false);
        std::vector<int16_t> out = Render(4);
        EXPECT_NEAR(out[2], c.left, 1);
        EXPECT_NEAR(out[3], c.right, 1);
        instance->Release();
    }
}

TEST_F(MixerTest, MasterVolumeChangesReachPlayingSounds) {
    Load(0, std::vector<int16_t>(44100, 8000));
    SoundInstance* instance = manager->AcquireInstance(0);
    instance->Play(true, false);
    EXPECT_EQ(Render(8)[0], 8000);
    manager->SetVolume(0.0); // a muted application
    std::vector<int16_t> silent = Render(512);
    EXPECT_EQ(Rms(silent.data(), silent.size()), 0.0);
    manager->SetVolume(1.0);
    manager->SetMasterVolume(0.5);
    EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), 0.5);
    EXPECT_EQ(Render(8)[0], 4000);
}

TEST_F(MixerTest, TheThirtyThirdSoundGetsNoInstance) {
    Load(0, std::vector<int16_t>(44100, 100));
    for (int i = 0; i < 32; ++i) {
        SoundInstance* instance = manager->AcquireInstance(0);
        ASSERT_NE(instance, nullptr) << i;
        instance->Play(false, true);
    }
    EXPECT_EQ(manager->AcquireInstance(0), nullptr);
    EXPECT_EQ(manager->BusyChannels(), 32);
    std::vector<int16_t> out = Render(4);
    EXPECT_EQ(out[0], 3200); // 32 voices, not 33
}

TEST_F(MixerTest, AFinishedAutoReleaseInstanceFreesItsChannel) {
    Load(0, std::vector<int16_t>(100, 100));
    Load(1, std::vector<int16_t>(44100, 100));
    // 31 channels held: by a looping sound, by stopped sounds without auto-release.
    manager->AcquireInstance(1)->Play(true, false);
    for (int i = 0; i < 30; ++i) manager->AcquireInstance(0)->Play(false, false);
    SoundInstance* shortSound = manager->AcquireInstance(0);
    ASSERT_NE(shortSound, nullptr);
    shortSound->Play(false, true);
    EXPECT_EQ(manager->AcquireInstance(0), nullptr);
    Render(200); // the short sounds play out
    EXPECT_FALSE(shortSound->IsPlaying());
    SoundInstance* next = manager->AcquireInstance(1);
    EXPECT_NE(next, nullptr); // only the auto-release channel came back
    EXPECT_EQ(manager->AcquireInstance(1), nullptr);
}

TEST_F(MixerTest, TheSweepRunsAtMostOncePerSecond) {
    Load(0, std::vector<int16_t>(10, 100));
    for (int i = 0; i < 5; ++i) manager->AcquireInstance(0)->Play(false, true);
    Render(64);
    EXPECT_EQ(manager->BusyChannels(), 5);
    manager->AcquireInstance(0); // no sweep yet: reuses the first finished channel only
    EXPECT_EQ(manager->BusyChannels(), 5);
    clock->Advance(1000);
    manager->AcquireInstance(0); // sweeps the four others first (the unplayed one stays)
    EXPECT_EQ(manager->BusyChannels(), 2);
}

TEST_F(MixerTest, InstanceLifecycle) {
    Load(0, std::vector<int16_t>(1000, 100));
    SoundInstance* instance = manager->AcquireInstance(0);
    EXPECT_FALSE(instance->IsPlaying()); // before the first Play
    EXPECT_FALSE(instance->IsFinished());
    instance->Play(false, true);
    EXPECT_TRUE(instance->IsPlaying());
    instance->Stop(); // clears auto-release: the channel stays taken
    EXPECT_FALSE(instance->IsFinished());
    instance->Play(false, true);
    manager->StopAllSounds(); // keeps auto-release: the channel comes back
    EXPECT_FALSE(instance->IsPlaying());
    EXPECT_TRUE(instance->IsFinished());
    SoundInstance* other = manager->AcquireInstance(0);
    other->Release();
    EXPECT_TRUE(other->IsFinished());
    EXPECT_FALSE(other->Play(false, false));
    manager->DeleteAllInstances();
    EXPECT_EQ(manager->BusyChannels(), 0);
}

TEST_F(MixerTest, ResamplesAndAdjustsPitch) {
    Load(0, std::vector<int16_t>(100, 1000), 1, 22050);
    struct {
        double semitones;
        int frames;
        uint32_t frequency;
    } cases[] = {{0, 200, 22050}, {12, 100, 44100}, {-12, 400, 11025}, {200, 0, 100000}, {-200, 0, 100}};
    for (auto& c : cases) {
        auto* instance = static_cast<DSoundInstance*>(manager->AcquireInstance(0));
        instance->AdjustPitch(c.semitones);
        EXPECT_EQ(instance->Frequency(), c.frequency) << c.semitones;
        instance->Play(false, false);
        if (c.frames > 0) {
            std::vector<int16_t> out = Render(c.frames + 8);
            int heard = 0;
            for (size_t i = 0; i < out.size(); i += 2) heard += out[i] != 0;
            EXPECT_NEAR(heard, c.frames, 2) << c.semitones;
        }
        instance->Release();
        Render(1000);
    }
}

// What comes out of the mix, frame by frame (left, right), for one sound
// played by one or more voices.
TEST_F(MixerTest, RendersFrameByFrame) {
    struct {
        const char* name;
        std::vector<int16_t> samples;
        uint16_t channels;
        uint32_t rate;
        int voices;
        bool loop;
        std::vector<int16_t> out;
    } cases[] = {
        {"stereo keeps its sides", {1000, -2000, 1000, -2000}, 2, 44100, 1, false, {1000, -2000, 1000, -2000}},
        {"half the rate interpolates", {0, 1000, 2000, 3000}, 1, 22050, 1, false,
         {0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2500, 2500}},
        {"a loop wraps without a gap", {100, 200, 300}, 1, 44100, 1, true,
         {100, 100, 200, 200, 300, 300, 100, 100, 200, 200, 300, 300, 100, 100}},
        {"the mix saturates high", std::vector<int16_t>(100, 30000), 1, 44100, 2, false, {32767, 32767}},
        {"and low", std::vector<int16_t>(100, -30000), 1, 44100, 2, false, {-32768, -32768}},
    };
    uint32_t id = 0;
    for (auto& c : cases) {
        Load(id, c.samples, c.channels, c.rate);
        for (int v = 0; v < c.voices; ++v) manager->AcquireInstance(id)->Play(c.loop, true);
        EXPECT_EQ(Render(int(c.out.size() / 2)), c.out) << c.name;
        manager->DeleteAllInstances();
        ++id;
    }
}

TEST_F(MixerTest, FreeingASoundWhilePlayingIsSafe) {
    Load(0, std::vector<int16_t>(1000, 500));
    SoundInstance* instance = manager->AcquireInstance(0);
    instance->Play(false, true);
    manager->FreeAllSounds();
    EXPECT_FALSE(manager->HasSound(0));
    EXPECT_EQ(Render(4)[0], 500); // still playing its own copy
    EXPECT_EQ(manager->AcquireInstance(0), nullptr);
}

TEST_F(MixerTest, IdsOutsideTheTableAreRefused) {
    EXPECT_EQ(manager->AcquireInstance(256), nullptr);
    EXPECT_EQ(manager->AcquireInstance(5), nullptr); // nothing loaded
    EXPECT_FALSE(manager->SetSoundVolume(256, 1.0));
    EXPECT_FALSE(manager->SetSoundPan(300, 0));
    EXPECT_TRUE(manager->SetSoundVolume(255, 0.5));
    EXPECT_FALSE(manager->LoadSound(0, dir / "missing"));
}

TEST(SoundFactory, WithoutADeviceEverythingIsSilentSuccess) {
    auto previous = SetPlatform(std::make_unique<HeadlessPlatform>(true));
    for (bool noSound : {false, true}) {
        std::unique_ptr<SoundManager> sounds = CreateSoundManager(noSound);
        ASSERT_NE(sounds, nullptr);
        EXPECT_FALSE(sounds->Initialized());
        EXPECT_EQ(sounds->AcquireInstance(0), nullptr);
        std::unique_ptr<MusicInterface> music = CreateMusicInterface(noSound);
        ASSERT_NE(music, nullptr);
        EXPECT_FALSE(music->LoadMusic(0, VELMORA_FIXTURES "/sound/tone440.ogg"));
        music->FadeIn(0);
        music->Update();
        EXPECT_FALSE(music->IsPlaying(0));
    }
    SetPlatform(std::move(previous));
}
