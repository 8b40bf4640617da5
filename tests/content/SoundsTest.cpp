// sound.ini names a sound for every event the game plays, every sound decodes
// through the game's Ogg reader, and the levels are sound: no clipping, no
// click at either end, effects of like loudness, combos rising in pitch, and
// a music loop that is long, quieter than the effects and joins seamlessly.
#include "content/support/ContentFiles.h"

#include "framework/platform/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

using namespace ContentTest;

namespace {

const double MaxPeak = 0.8912; // -1 dBFS

const char* const GameEvents[] = {
    "shape_clear", "no_bonus", "remove_line", "fill_area", "place_shape", "take_shape", "transform_shape",
    "bug_alarm", "game_over", "bonus_level_complete", "level_complete", "timeout", "shape_panel_in",
    "game_complete", "drop_shape", "level_start", "emit_scores", "collect_scores", "shape_panel_out",
    "shape_chomp", "place_shape_bonus_1", "place_shape_bonus_2", "place_shape_bonus_3", "place_shape_bonus_4",
    "place_shape_bonus_5", "place_shape_bonus_6", "place_shape_bonus_7"};

std::string SoundIni(const std::string& section, const std::string& key)
{
    return Quill::IniReadString(GamePath("sound.ini"), section, key);
}

double Peak(const Sound& s)
{
    auto [low, high] = std::minmax_element(s.samples.begin(), s.samples.end());
    return s.samples.empty() ? 0.0 : std::max(-double(*low), double(*high));
}

// The largest RMS over 50 ms: how loud the sound is where it is loudest.
double Loudness(const Sound& s)
{
    size_t window = size_t(s.rate / 20) * size_t(s.channels);
    double best = 0, sum = 0;
    for (size_t i = 0; i < s.samples.size(); ++i) {
        sum += double(s.samples[i]) * s.samples[i];
        if (i >= window)
            sum -= double(s.samples[i - window]) * s.samples[i - window];
        best = std::max(best, sum);
    }
    return std::sqrt(best / double(std::min(window, s.samples.size())));
}

// Pitch of the first 50 ms by autocorrelation, 250 to 2000 Hz.
double Pitch(const Sound& s)
{
    size_t n = size_t(s.rate / 20);
    double bestScore = -1;
    int bestLag = 0;
    for (int lag = s.rate / 2000; lag <= s.rate / 250; ++lag) {
        double num = 0, den = 0;
        for (size_t i = 0; i + size_t(lag) < n && i + size_t(lag) < s.samples.size(); ++i) {
            num += double(s.samples[i]) * s.samples[i + size_t(lag)];
            den += double(s.samples[i]) * s.samples[i];
        }
        double score = den > 0 ? num / den : 0;
        if (score > bestScore)
            bestScore = score, bestLag = lag;
    }
    return bestLag ? double(s.rate) / bestLag : 0;
}

} // namespace

TEST(ContentSounds, EveryGameEventHasSoundsThatLoad)
{
    std::set<std::string> sections;
    for (const auto& [name, keys] : IniSections("sound.ini"))
        EXPECT_TRUE(sections.insert(name).second) << "section " << name << " twice";
    EXPECT_LE(sections.size(), 100u) << "the game keeps 100 events";
    for (const char* event : GameEvents)
        EXPECT_TRUE(sections.count(event)) << event << " is missing from sound.ini";
    for (const std::string& event : sections) {
        SCOPED_TRACE(event);
        EXPECT_LT(event.size(), 60u);
        std::string v = SoundIni(event, "volume");
        if (!v.empty()) {
            double vol = std::atof(v.c_str());
            EXPECT_GT(vol, 0.0);
            EXPECT_LE(vol, 1.0);
        }
        ASSERT_FALSE(SoundIni(event, "file0").empty());
        for (int k = 0; k < 10; ++k) {
            std::string file = SoundIni(event, "file" + std::to_string(k));
            if (file.empty())
                break;
            EXPECT_LT(file.size(), 60u);
            Sound s;
            EXPECT_TRUE(LoadSound(file, s)) << file;
        }
    }
    // The game loads the whole folder into a table of 100 sounds.
    EXPECT_LE(Quill::FindFiles(GamePath("Sound\\*.ogg")).size() + Quill::FindFiles(GamePath("Sound\\*.wav")).size(),
              100u);
}

TEST(ContentSounds, EffectsAreCleanAndOfLikeLoudness)
{
    std::map<std::string, double> loudness;
    for (const std::string& name : Quill::FindFiles(GamePath("Sound\\*.ogg"))) {
        SCOPED_TRACE(name);
        Sound s;
        ASSERT_TRUE(LoadSound("Sound\\" + name, s));
        EXPECT_EQ(s.rate, 44100);
        ASSERT_GT(s.Frames(), size_t(s.rate / 50));
        EXPECT_LT(s.Frames(), size_t(s.rate * 5));
        EXPECT_LT(Peak(s), MaxPeak);
        for (size_t c = 0; c < size_t(s.channels); ++c) {
            EXPECT_LT(std::fabs(s.samples[c]), 0.01) << "click at the start";
            EXPECT_LT(std::fabs(s.samples[s.samples.size() - size_t(s.channels) + c]), 0.01) << "click at the end";
        }
        loudness[name] = Loudness(s);
    }
    ASSERT_GT(loudness.size(), 20u);
    std::vector<double> levels;
    for (auto& [name, l] : loudness)
        levels.push_back(l);
    std::sort(levels.begin(), levels.end());
    double median = levels[levels.size() / 2];
    for (auto& [name, l] : loudness) {
        EXPECT_LT(l, median * 2.0) << name << " is much louder than the others";
        EXPECT_GT(l, median / 4.0) << name << " is much quieter than the others";
    }
}

TEST(ContentSounds, ComboSoundsRiseInPitch)
{
    double previous = 0;
    for (int k = 0; k <= 7; ++k) {
        std::string event = k ? "place_shape_bonus_" + std::to_string(k) : "place_shape";
        Sound s;
        ASSERT_TRUE(LoadSound(SoundIni(event, "file0"), s)) << event;
        double pitch = Pitch(s);
        EXPECT_GT(pitch, previous * 1.03) << event << " does not rise above the one before";
        previous = pitch;
    }
}

TEST(ContentSounds, MusicIsALongQuietSeamlessLoop)
{
    Sound music;
    ASSERT_TRUE(LoadSound("Music\\theme1.ogg", music));
    EXPECT_EQ(music.rate, 44100);
    EXPECT_EQ(music.channels, 2);
    EXPECT_GE(music.Frames(), size_t(90 * music.rate));
    EXPECT_LT(Peak(music), MaxPeak);

    Sound effect;
    ASSERT_TRUE(LoadSound(SoundIni("place_shape", "file0"), effect));
    EXPECT_LT(Loudness(music), Loudness(effect) * 0.7) << "the music must sit below the effects";

    // At the loop point the last frame runs into the first like any other
    // pair of neighbouring frames does.
    std::vector<float> steps;
    size_t ch = size_t(music.channels), frames = music.Frames();
    for (size_t i = 0; i + 1 < frames; ++i)
        for (size_t c = 0; c < ch; ++c)
            steps.push_back(std::fabs(music.samples[(i + 1) * ch + c] - music.samples[i * ch + c]));
    auto at = steps.begin() + std::ptrdiff_t(steps.size() * 99 / 100);
    std::nth_element(steps.begin(), at, steps.end());
    float typical = *at;
    for (size_t c = 0; c < ch; ++c) {
        float jump = std::fabs(music.samples[c] - music.samples[(frames - 1) * ch + c]);
        EXPECT_LE(jump, typical) << "click at the loop point, channel " << c;
    }
}
