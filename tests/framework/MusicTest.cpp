#include "framework/BassMusicInterface.h"

#include "framework/SoundTestFiles.h"

#include <gtest/gtest.h>

using namespace Quill;
using namespace soundtest;

namespace {

// The music interface over an offline mixer, decoding on the test's thread.
class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        mixer = std::make_shared<Mixer>();
        music = std::make_unique<BassMusicInterface>(mixer, false);
    }
    // A stereo WAV song whose left side counts 1..frames and right side is the negation.
    std::string RampSong(const std::string& name, int frames) {
        std::vector<int16_t> samples;
        for (int i = 1; i <= frames; ++i) {
            samples.push_back(static_cast<int16_t>(i));
            samples.push_back(static_cast<int16_t>(-i));
        }
        std::string path = dir / name;
        WriteBytes(path, Wav16(2, 44100, samples));
        return path;
    }
    std::vector<int16_t> Render(int frames) {
        std::vector<int16_t> out(2 * static_cast<size_t>(frames));
        mixer->Render(out.data(), frames);
        return out;
    }
    // Updates (which also decode ahead) and renders one update's worth each time.
    std::vector<int16_t> Play(int updates) {
        std::vector<int16_t> all;
        for (int i = 0; i < updates; ++i) {
            music->Update();
            std::vector<int16_t> part = Render(441);
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }

    TempFolder dir;
    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<BassMusicInterface> music;
};

} // namespace

TEST_F(MusicTest, FadeInReachesTheCapAndStops) {
    struct {
        double speed, cap;
        int updatesToCap;
    } cases[] = {{0.002, 1.0, 500}, {0.002, 0.6, 300}, {0.01, 1.0, 100}, {0.003, 1.0, 334}};
    for (auto& c : cases) {
        ASSERT_TRUE(music->LoadMusic(0, RampSong("song.wav", 1000)));
        music->SetSongVolumeCap(0, c.cap);
        music->FadeIn(0, 0, c.speed, false);
        EXPECT_TRUE(music->IsPlaying(0));
        for (int i = 0; i < c.updatesToCap - 1; ++i) music->Update();
        EXPECT_LT(music->GetSongVolume(0), c.cap) << c.speed << " " << c.cap;
        EXPECT_GT(music->GetSongStep(0), 0.0);
        music->Update();
        EXPECT_DOUBLE_EQ(music->GetSongVolume(0), c.cap) << c.speed << " " << c.cap;
        EXPECT_EQ(music->GetSongStep(0), 0.0);
        music->Update();
        EXPECT_DOUBLE_EQ(music->GetSongVolume(0), c.cap);
        EXPECT_FLOAT_EQ(music->GetChannelGain(0), static_cast<float>(static_cast<int>(c.cap * 100)) / 100.0f);
        music->UnloadMusic(0);
    }
}

TEST_F(MusicTest, FadeOutStopsOnlyWhenAskedTo) {
    for (bool stop : {true, false}) {
        ASSERT_TRUE(music->LoadMusic(1, RampSong("song.wav", 1000)));
        music->PlayMusic(1, 0, false);
        EXPECT_DOUBLE_EQ(music->GetSongVolume(1), 1.0);
        music->FadeOut(1, stop, 0.004);
        for (int i = 0; i < 249; ++i) music->Update();
        EXPECT_GT(music->GetSongVolume(1), 0.0);
        EXPECT_TRUE(music->IsPlaying(1));
        music->Update();
        EXPECT_EQ(music->GetSongVolume(1), 0.0);
        EXPECT_EQ(music->GetSongStep(1), 0.0);
        EXPECT_EQ(music->IsPlaying(1), !stop);
        // A silent song does not start another fade.
        music->FadeOut(1, stop, 0.004);
        EXPECT_EQ(music->GetSongStep(1), 0.0);
    }
}

TEST_F(MusicTest, VolumeIsWholePercentOfTheGlobalVolume) {
    ASSERT_TRUE(music->LoadMusic(0, RampSong("song.wav", 100)));
    struct {
        double song, global;
        float gain;
    } cases[] = {{1.0, 1.0, 1.0f}, {0.5, 0.5, 0.25f}, {0.337, 1.0, 0.33f}, {1.0, 0.999, 0.99f},
                 {0.8, 0.0, 0.0f}, {1.5, 1.0, 1.0f}, {-1.0, 1.0, 0.0f}};
    for (auto& c : cases) {
        music->SetVolume(c.global);
        music->SetSongVolume(0, c.song);
        EXPECT_FLOAT_EQ(music->GetChannelGain(0), c.gain) << c.song << " " << c.global;
    }
    music->SetVolume(1.0);
    music->SetSongVolume(0, 0.9);
    music->SetSongVolumeCap(0, 0.4);
    EXPECT_DOUBLE_EQ(music->GetSongVolume(0), 0.4);
}

TEST_F(MusicTest, LoopsSeamlesslyAtTheSongVolume) {
    ASSERT_TRUE(music->LoadMusic(0, RampSong("song.wav", 1000)));
    music->PlayMusic(0, 0, false);
    std::vector<int16_t> out = Play(10); // 4410 frames: the song four times and more
    ASSERT_EQ(out.size(), 2u * 4410);
    // The ramp repeats without a gap or a repeated frame at the seam.
    for (size_t i = 0; i < 4000; ++i) {
        int16_t expected = static_cast<int16_t>(i % 1000 + 1);
        ASSERT_EQ(out[2 * i], expected) << i;
        ASSERT_EQ(out[2 * i + 1], -expected) << i;
    }
    music->SetSongVolume(0, 0.5);
    std::vector<int16_t> half = Play(1);
    EXPECT_EQ(std::abs(half[0] + half[1]), 0);
    EXPECT_LE(std::abs(half[0]), 500);
}

TEST_F(MusicTest, ASongThatDoesNotLoopEnds) {
    ASSERT_TRUE(music->LoadMusic(0, RampSong("song.wav", 500)));
    music->PlayMusic(0, 0, true);
    std::vector<int16_t> out = Play(3);
    EXPECT_FALSE(music->IsPlaying(0));
    EXPECT_EQ(out[2 * 498], 499);
    EXPECT_EQ(out[2 * 600], 0);
    // Played again it starts over.
    music->PlayMusic(0, -1, true);
    EXPECT_TRUE(music->IsPlaying(0));
    EXPECT_EQ(Play(1)[0], 1);
}

TEST_F(MusicTest, PauseHoldsThePlaceAndStopSilences) {
    ASSERT_TRUE(music->LoadMusic(0, RampSong("song.wav", 1000)));
    music->PlayMusic(0, 0, false);
    std::vector<int16_t> before = Play(1);
    music->PauseMusic(0);
    std::vector<int16_t> paused = Play(2);
    EXPECT_EQ(Rms(paused.data(), paused.size()), 0.0);
    EXPECT_TRUE(music->IsPlaying(0));
    music->ResumeMusic(0);
    std::vector<int16_t> after = Play(1);
    EXPECT_EQ(after[0], before[2 * 440] + 1);
    music->StopAllMusic();
    EXPECT_FALSE(music->IsPlaying(0));
    EXPECT_EQ(music->GetSongVolume(0), 0.0);
    std::vector<int16_t> stopped = Play(1);
    EXPECT_EQ(Rms(stopped.data(), stopped.size()), 0.0);
}

TEST_F(MusicTest, StreamsTheOggToneResampled) {
    ASSERT_TRUE(music->LoadMusic(7, VELMORA_FIXTURES "/sound/tone440.ogg"));
    music->PlayMusic(7, 0, false);
    std::vector<int16_t> out = Play(100); // a second: the half-second tone twice
    EXPECT_TRUE(music->IsPlaying(7));
    double rms = Rms(out.data(), out.size(), 2);
    EXPECT_NEAR(rms, 0.5 * 32767 / std::sqrt(2.0), 800.0);
    EXPECT_EQ(out[1000], out[1001]); // mono on both sides
    music->SetVolume(0.0); // muted
    std::vector<int16_t> muted = Play(5);
    EXPECT_EQ(Rms(muted.data(), muted.size()), 0.0);
}

// Between a full-scale peak and a full-scale trough the step is 65535; at
// another rate than the output's it is weighted by a fraction of up to 65535.
TEST_F(MusicTest, AFullScaleSongAtAnotherRateResamplesWithinRange) {
    std::vector<int16_t> samples;
    for (int i = 0; i < 3000; ++i)
        for (int side = 0; side < 2; ++side) samples.push_back(i % 2 ? -32768 : 32767);
    WriteBytes(dir / "loud.wav", Wav16(2, 30000, samples));
    ASSERT_TRUE(music->LoadMusic(0, dir / "loud.wav"));
    music->PlayMusic(0, 0, false);
    std::vector<int16_t> out = Play(10);
    EXPECT_GT(Rms(out.data(), out.size()), 15000.0);
    // Each output sample lies on the line between two neighbouring source samples.
    int extremes = 0;
    for (int16_t v : out) extremes += (v == 32767 || v == -32768) ? 1 : 0;
    EXPECT_LT(extremes, static_cast<int>(out.size()));
}

TEST_F(MusicTest, BadSongsAreRefused) {
    std::string noise = dir / "noise.ogg";
    WriteBytes(noise, Bytes(5000, 0x33));
    WriteBytes(dir / "tune.mid", Bytes(10, 0));
    WriteBytes(dir / "empty.wav", Wav16(2, 44100, {}));
    for (std::string path : {noise, dir / "tune.mid", dir / "missing.ogg", dir / "empty.wav", dir / "noext"})
        EXPECT_FALSE(music->LoadMusic(0, path)) << path;
    EXPECT_FALSE(music->IsPlaying(0));
    music->PlayMusic(0);
    music->FadeOut(0);
    music->Update();
    EXPECT_EQ(music->GetSongVolume(0), -1.0);
}

TEST_F(MusicTest, SeveralSongsAndTheDecodeThread) {
    auto threaded = std::make_unique<BassMusicInterface>(mixer, true);
    for (int id = 0; id < Mixer::MusicSlots; ++id)
        EXPECT_TRUE(threaded->LoadMusic(id, RampSong("s" + std::to_string(id) + ".wav", 100))) << id;
    EXPECT_FALSE(threaded->LoadMusic(99, RampSong("extra.wav", 100))); // no slot left
    EXPECT_TRUE(threaded->LoadMusic(0, RampSong("again.wav", 100)));  // replacing keeps the slot
    threaded->FadeIn(3, 0, 0.5, false);
    threaded->Update();
    EXPECT_DOUBLE_EQ(threaded->GetSongVolume(3), 0.5);
    threaded->UnloadAllMusic();
    EXPECT_FALSE(threaded->IsPlaying(3));
}
