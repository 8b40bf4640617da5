// sound.ini names a sound for every event the game plays, and every sound and
// the music decode through the game's Ogg reader.
#include "content/support/ContentFiles.h"

#include "framework/platform/Files.h"

#include <gtest/gtest.h>

#include <set>

using namespace ContentTest;

namespace {

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
            EXPECT_TRUE(SoundLoads(file)) << file;
        }
    }
    EXPECT_TRUE(SoundLoads("Music\\theme1.ogg"));
    // The game loads the whole folder into a table of 100 sounds.
    EXPECT_LE(Quill::FindFiles(GamePath("Sound\\*.ogg")).size() + Quill::FindFiles(GamePath("Sound\\*.wav")).size(),
              100u);
}
