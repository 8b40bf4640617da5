// classes.xml read the way the game reads it: enough classes, three shapes
// each, pictures and masks that load at one size, and a sound event per class
// that sound.ini defines.
#include "content/support/ContentFiles.h"

#include <gtest/gtest.h>

#include <set>

using namespace ContentTest;

TEST(ContentClasses, ClassTableFitsTheGame)
{
    auto classes = ReadClasses();
    // The game-complete sequence shows classes 0..14; the level map plays
    // the sound of class stage + 3 for stages up to 7.
    ASSERT_GE(classes.size(), 18u);
    ASSERT_LE(classes.size(), 30u);
    std::set<std::string> names;
    for (const ClassEntry& c : classes) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.name.empty());
        EXPECT_TRUE(names.insert(c.name).second) << "class names must be distinct";
        EXPECT_EQ(c.shapes.size(), 3u);
        EXPECT_FALSE(c.soundEvent.empty());
        EXPECT_FALSE(Quill::IniReadString(GamePath("sound.ini"), c.soundEvent, "file0").empty())
            << "sound.ini has no sound for " << c.soundEvent;
        for (const ShapeFiles& s : c.shapes) {
            EXPECT_LT(s.main.size(), 255u);
            EXPECT_LT(s.mask.size(), 255u);
            EXPECT_EQ(s.main.rfind("Graphics\\Shapes\\", 0), 0u) << s.main << " is not preloaded";
        }
    }
}

TEST(ContentClasses, ShapesAndMasksLoadAtOneSize)
{
    for (const ClassEntry& c : ReadClasses())
        for (const ShapeFiles& s : c.shapes) {
            SCOPED_TRACE(s.main);
            auto main = LoadImage(s.main), mask = LoadImage(s.mask);
            ASSERT_TRUE(main);
            ASSERT_TRUE(mask);
            EXPECT_EQ(main->width, mask->width);
            EXPECT_EQ(main->height, mask->height);
        }
}
