// classes.xml read the way the game reads it: enough classes, three shapes
// each, images that load, masks with exactly the outline of their shape,
// outlines that differ between classes and between the shapes of a class,
// and a sound event per class that sound.ini defines.
#include "content/support/ContentFiles.h"

#include <gtest/gtest.h>

#include <set>

using namespace ContentTest;

namespace {

// The inside of a picture's outline: the pixels as opaque as its most
// opaque one (within rounding). Soft edges and the drop shadow of a filled
// shape never reach that, so a shape and its mask can be compared exactly.
std::vector<bool> Body(const Quill::ImageLib::Image& img)
{
    uint32_t top = 0;
    for (uint32_t p : img.bits)
        top = std::max(top, p >> 24);
    std::vector<bool> body(img.bits.size());
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = (img.bits[i] >> 24) + 3 >= top;
    return body;
}

double Overlap(const std::vector<bool>& a, const std::vector<bool>& b)
{
    size_t both = 0, either = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        both += a[i] && b[i];
        either += a[i] || b[i];
    }
    return either ? double(both) / double(either) : 1.0;
}

} // namespace

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

TEST(ContentClasses, MasksHaveTheOutlineOfTheirShapeAndReadAsSilhouettes)
{
    for (const ClassEntry& c : ReadClasses())
        for (const ShapeFiles& s : c.shapes) {
            SCOPED_TRACE(s.main);
            auto main = LoadImage(s.main), mask = LoadImage(s.mask);
            ASSERT_TRUE(main);
            ASSERT_TRUE(mask);
            ASSERT_EQ(main->width, mask->width);
            ASSERT_EQ(main->height, mask->height);
            EXPECT_NEAR(main->width, 64, 8) << "about 64 pixels, within a 71-pixel cell";
            auto a = Body(*main), b = Body(*mask);
            EXPECT_GT(Overlap(a, b), 0.95) << "mask outline differs from the shape";
            // The shape is opaque; the mask is dark and translucent.
            double lum = 0, alpha = 0;
            size_t n = 0;
            uint32_t mainTop = 0;
            for (size_t i = 0; i < b.size(); ++i) {
                mainTop = std::max(mainTop, main->bits[i] >> 24);
                if (!b[i])
                    continue;
                uint32_t p = mask->bits[i];
                lum += (0.3 * ((p >> 16) & 255) + 0.59 * ((p >> 8) & 255) + 0.11 * (p & 255)) / 255.0;
                alpha += (p >> 24) / 255.0;
                ++n;
            }
            ASSERT_GT(n, 400u) << "the silhouette is too small to see";
            EXPECT_EQ(mainTop, 255u);
            EXPECT_LT(lum / double(n), 0.45);
            EXPECT_LT(alpha / double(n), 0.9);
            EXPECT_GT(alpha / double(n), 0.5);
        }
}

// A colour-blind player tells the classes apart by outline, and in
// Transformer the three shapes of a class must be told apart too.
TEST(ContentClasses, OutlinesDifferBetweenClassesAndWithinAClass)
{
    auto classes = ReadClasses();
    std::vector<std::vector<bool>> firsts;
    for (const ClassEntry& c : classes) {
        std::vector<std::vector<bool>> bodies;
        for (const ShapeFiles& s : c.shapes) {
            auto img = LoadImage(s.main);
            ASSERT_TRUE(img) << s.main;
            bodies.push_back(Body(*img));
        }
        for (size_t i = 0; i < bodies.size(); ++i)
            for (size_t j = i + 1; j < bodies.size(); ++j)
                EXPECT_LT(Overlap(bodies[i], bodies[j]), 0.9) << c.name << " shapes " << i + 1 << " and " << j + 1;
        firsts.push_back(bodies[0]);
    }
    for (size_t i = 0; i < firsts.size(); ++i)
        for (size_t j = i + 1; j < firsts.size(); ++j)
            EXPECT_LT(Overlap(firsts[i], firsts[j]), 0.85) << classes[i].name << " and " << classes[j].name;
}
