#include "TextureFixture.h"

#include "engine/Config.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <cmath>
#include <thread>

using namespace texturetest;
using Quill::Rect;

namespace {

// A 4 x 2 texture with a different opaque colour in every pixel.
const std::vector<uint32_t> Checker = {0xFF100000, 0xFF200000, 0xFF300000, 0xFF400000,
                                       0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040};

class DrawSpriteTest : public TextureFixture {
protected:
    std::unique_ptr<Quill::MemoryImage> texture = MakeTexture(4, 2, Checker);
};

using TextureTableTest = TextureFixture;

} // namespace

// ------------------------------------------------------------- DrawSprite

TEST_F(DrawSpriteTest, PlacesSpritesByCentreAndSize) {
    const float huge = 3.0e38f, nan = std::nanf("");
    struct Case { const char* what; float x, y, w, h, su, sv, eu, ev; int flags; Rect painted; };
    const Case cases[] = {
        {"stretched, centred", 0.5f, 0.5f, 0.25f, 0.5f, 0, 0, 1, 1, 1, Rect(48, 16, 32, 32)},
        {"own pixel size ignores w and h", 0.5f, 0.5f, 0.9f, 0.9f, 0, 0, 1, 1, 9, Rect(62, 31, 4, 2)},
        {"own pixel size, right half", 0.5f, 0.5f, 0, 0, 0.5f, 0, 1, 1, 8, Rect(63, 31, 2, 2)},
        {"centre exactly on the bottom-right corner", 1.0f, 1.0f, 0.25f, 0.5f, 0, 0, 1, 1, 1, Rect(112, 48, 16, 16)},
        {"centre just past the right edge", 1.01f, 0.5f, 0.25f, 0.5f, 0, 0, 1, 1, 1, Rect()},
        {"off the edge at own pixel size still draws", 1.01f, 0.5f, 0, 0, 0, 0, 1, 1, 8, Rect(127, 31, 1, 2)},
        {"huge size", 0.5f, 0.5f, huge, huge, 0, 0, 1, 1, 1, Rect()},
        {"centre not a number", nan, 0.5f, 0.1f, 0.1f, 0, 0, 1, 1, 1, Rect()},
        {"huge texture rectangle", 0.5f, 0.5f, 0, 0, -huge, 0, huge, 1, 8, Rect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(Background);
        EXPECT_EQ(Textures().DrawSprite(texture.get(), c.x, c.y, c.w, c.h, c.su, c.sv, c.eu, c.ev, OWN_COLOURS,
                                        c.flags, 0.0f),
                  0);
        EXPECT_EQ(Painted(), c.painted);
    }
}

TEST_F(DrawSpriteTest, CopiesTexelsStraightStretchedAndRotated) {
    Quill::Graphics::SetSmoothRotation(false);
    // Texel (tx, ty) expected at screen (x, y); a half turn mirrors both ways and ignores w and h.
    struct Case { float w, angle; int flags; std::vector<std::array<int, 4>> texels; };
    const Case cases[] = {
        {0, 0.0f, 9, {{0, 0, 62, 31}, {3, 0, 65, 31}, {1, 1, 63, 32}}},
        {0.25f, 0.0f, 1, {{0, 0, 48, 24}, {3, 0, 79, 24}, {1, 1, 56, 32}}},
        {0.5f, 3.1415927f, 1, {{3, 1, 62, 31}, {0, 0, 65, 32}, {2, 0, 63, 32}}},
    };
    for (const Case& c : cases) {
        Clear(Background);
        Textures().DrawSprite(texture.get(), 0.5f, 0.5f, c.w, c.w, 0, 0, 1, 1, OWN_COLOURS, c.flags, c.angle);
        for (auto [tx, ty, x, y] : c.texels) EXPECT_EQ(Pixel(x, y), Checker[ty * 4 + tx]) << x << "," << y;
    }
    EXPECT_EQ(Painted(), Rect(62, 31, 4, 2));
    // Rotation draws even when the centre is off the client area.
    Clear(Background);
    Textures().DrawSprite(texture.get(), 1.01f, 0.5f, 0.5f, 0.5f, 0, 0, 1, 1, OWN_COLOURS, 1, 3.1415927f);
    Quill::Graphics::SetSmoothRotation(true);
    EXPECT_EQ(Painted(), Rect(127, 31, 1, 2));
}

TEST_F(DrawSpriteTest, ColourModesAndDimming) {
    auto white = MakeTexture(1, 1, {0xFFFFFFFF});
    auto grey = MakeTexture(1, 1, {0xFF808080});
    struct Case {
        const char* what;
        const Quill::Image* texture;
        uint32_t colour;
        int flags;
        float factor;
        uint32_t under, expected;
    };
    const Case cases[] = {
        {"own colours", grey.get(), OWN_COLOURS, 1, 0.8f, 0xFF202020, 0xFF808080},
        {"tinted red", white.get(), 0xFFFF0000, 1, 0.8f, 0xFF202020, 0xFFFF0000},
        {"alpha byte 0 is opaque", white.get(), 0x0000FF00, 1, 0.8f, 0xFF202020, 0xFF00FF00},
        // 255 x 0.8 = 204 per channel, alpha 204 + 1: 204 x 205 >> 8 over black.
        {"dimmed own colours", white.get(), OWN_COLOURS, 5, 0.8f, 0xFF000000, 0xFFA3A3A3},
        // Factor 1: the alpha wraps from 256 to 0, which is opaque again.
        {"dimmed by 1 stays opaque", white.get(), 0xFF808080, 5, 1.0f, 0xFF202020, 0xFF808080},
        // 0x20 + 128 x 255 / 256.
        {"additive", grey.get(), OWN_COLOURS, 2, 0.8f, 0xFF202020, 0xFF9F9F9F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(c.under);
        Textures().SetColourFactor(c.factor);
        Textures().DrawSprite(c.texture, 0.5f, 0.5f, 0, 0, 0, 0, 1, 1, c.colour, c.flags | 8, 0.0f);
        EXPECT_EQ(Pixel(63, 31), c.expected);
        EXPECT_EQ(Pixel(64, 31), c.under);
        EXPECT_EQ(graphics.GetDrawMode(), Quill::DRAWMODE_NORMAL);
        EXPECT_FALSE(graphics.GetTintImages());
    }
    // A tinted additive sprite that is skipped off screen still leaves normal, untinted drawing.
    Clear(0xFF202020);
    Textures().DrawSprite(grey.get(), 1.5f, 0.5f, 0.1f, 0.1f, 0, 0, 1, 1, 0xFFFF0000, 2, 0.0f);
    Textures().DrawSprite(grey.get(), 0.5f, 0.5f, 0, 0, 0, 0, 1, 1, OWN_COLOURS, 8, 0.0f);
    EXPECT_EQ(Pixel(63, 31), 0xFF808080u);
}

// A sheet of 4 x 2 cells of 2 x 2 pixels, cell n (1-based) in colour n, is
// played by phase or by the clock at `speed` sheets a second.
TEST_F(DrawSpriteTest, FrameFromPhaseOrClock) {
    std::vector<uint32_t> pixels(8 * 4);
    for (int i = 0; i < 32; ++i) pixels[i] = 0xFF000000u | uint32_t((i / 16) * 4 + i % 8 / 2 + 1);
    auto sheet = MakeTexture(8, 4, pixels);
    auto owned = std::make_unique<Quill::HeadlessPlatform>(true);
    Quill::HeadlessPlatform* clock = owned.get();
    auto previous = Quill::SetPlatform(std::move(owned));
    struct Case { uint32_t advance; int flags; float speed; uint32_t frame; }; // frame 0: nothing drawn
    const int byPhase = SPRITE_TIME_FREE;
    // The clock stands at 0, 250, 1250 (= 250 again), then at speed 2: 20 cells in -> 5.
    const Case cases[] = {{0, byPhase, 0.0f, 1},     {0, byPhase, 0.125f, 2}, {0, byPhase, 0.99f, 8},
                          {0, byPhase, 1.5f, 5},     {0, byPhase, -0.125f, 0}, {0, 0, 1.0f, 1},
                          {250, 0, 1.0f, 3},         {1000, 0, 1.0f, 3},      {0, 0, 2.0f, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.speed << " at " << clock->Ticks() + c.advance);
        clock->Advance(c.advance);
        Clear(Background);
        Textures().DrawSpriteFrame(sheet.get(), 0.5f, 0.5f, 0, 0, c.flags | SPRITE_PIXEL_SIZE, 4, 2, c.speed,
                                   OWN_COLOURS);
        EXPECT_EQ(Painted(), c.frame ? Rect(63, 31, 2, 2) : Rect());
        EXPECT_TRUE(!c.frame || Pixel(63, 31) == (0xFF000000u | c.frame));
    }
    EXPECT_EQ(Textures().DrawSpriteFrame(sheet.get(), 0.5f, 0.5f, 0, 0, byPhase, 0, 2, 0.5f, OWN_COLOURS), DRAW_FAILED);
    Quill::SetPlatform(std::move(previous));
}

TEST_F(DrawSpriteTest, DigitsAreCentredAndNonDigitsLeaveGaps) {
    // A strip of ten 4 x 4 digits, digit d in colour d + 1.
    std::vector<uint32_t> pixels(40 * 4);
    for (int i = 0; i < 160; ++i) pixels[i] = 0xFF000000u | uint32_t(i % 40 / 4 + 1);
    auto strip = MakeTexture(40, 4, pixels);
    // The last digit's left edge and colour, and a column left empty (or -1).
    struct Case { const char* text; float spacing, scale; Rect painted; int lastLeft; uint32_t last; int gap; };
    // Centring counts cells only, so wider spacing leans right.
    const Case cases[] = {
        {"12", 1, 1, Rect(60, 30, 8, 4), 64, 3, -1},
        {"12", 2, 1, Rect(60, 30, 12, 4), 68, 3, 64},
        {"7x9", 1, 1, Rect(58, 30, 12, 4), 66, 10, 63},
        {"0", 1, 2, Rect(60, 28, 8, 8), 60, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Clear(Background);
        Textures().DrawDigits(strip.get(), 0.5f, 0.5f, c.spacing, OWN_COLOURS, c.text, c.scale);
        EXPECT_EQ(Painted(), c.painted);
        EXPECT_EQ(Pixel(c.lastLeft, 31), 0xFF000000u | c.last);
        EXPECT_TRUE(c.gap < 0 || Pixel(c.gap, 31) == Background);
    }
}

TEST_F(DrawSpriteTest, ProgressBarFillsFromTheLeftOrFromBelow) {
    auto back = MakeTexture(1, 1, {0xFF0000FF});
    std::vector<uint32_t> fillPixels(16 * 16);
    for (int i = 0; i < 256; ++i) fillPixels[i] = 0xFF000080u | uint32_t((i % 16) << 16) | uint32_t((i / 16) << 8);
    auto fill = MakeTexture(16, 16, fillPixels);
    // The bar covers (48, 16)-(80, 48) on screen.
    struct Case { int percent, mode; Rect filled; }; // where the fill shows
    const Case cases[] = {
        {0, BAR_HORIZONTAL, Rect()},                 {100, BAR_HORIZONTAL, Rect(48, 16, 32, 32)},
        {50, BAR_HORIZONTAL, Rect(48, 16, 16, 32)},  {50, BAR_VERTICAL, Rect(48, 32, 32, 16)},
        {150, BAR_HORIZONTAL, Rect(48, 16, 32, 32)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << "% mode " << c.mode);
        Clear(Background);
        EXPECT_EQ(Textures().DrawProgressBar(back.get(), fill.get(), 0.5f, 0.5f, 0.25f, 0.5f, c.percent, c.mode), 0);
        EXPECT_EQ(Painted(), Rect(48, 16, 32, 32)) << "the background is always there";
        for (int y = 16; y < 48; ++y)
            for (int x = 48; x < 80; ++x)
                ASSERT_EQ(Pixel(x, y) != 0xFF0000FFu, c.filled.Contains(x, y)) << x << "," << y;
    }
    // Half a vertical bar shows the lower half of the fill texture.
    Textures().DrawProgressBar(back.get(), fill.get(), 0.5f, 0.5f, 0.25f, 0.5f, 50, BAR_VERTICAL);
    EXPECT_EQ(Pixel(48, 32), fillPixels[8 * 16]);
    // Pixel-size mode: the bar takes the fill picture's own size.
    Clear(Background);
    Textures().DrawProgressBar(back.get(), fill.get(), 0.5f, 0.5f, 0.9f, 0.9f, 50, BAR_HORIZONTAL | BAR_PIXEL_SIZE);
    EXPECT_EQ(Painted(), Rect(56, 24, 8, 16)) << "the 1 x 1 background at its own size lies under the fill";
    EXPECT_EQ(Pixel(63, 39), fillPixels[15 * 16 + 7]);
}

// ------------------------------------------------------------- the table

TEST_F(TextureTableTest, LoadsEachPathOnceByExactNameAndRetriesAFailureOnceItsFileChanged) {
    WriteSolidTga("pic.tga", 2, 2, 0xFF112233);
    WriteSolidTga("PIC.tga", 3, 1, 0xFF445566);
    WriteText("broken.png", "not a picture");
    // A picture drawn every frame that cannot be loaded is not read and logged every frame.
    for (const char* name : {"missing.png", "missing.png", "broken.png", "broken.png", "late.tga",
                             static_cast<const char*>(nullptr)})
        EXPECT_EQ(Textures().GetTexture(name), nullptr);
    WriteSolidTga("late.tga", 1, 1, 0xFF000000);
    ASSERT_NE(Textures().GetTexture("late.tga"), nullptr);
    EXPECT_EQ(Textures().GetTextureName(0), "late.tga");
    Textures().Reset();
    Quill::Image* first = Textures().GetTexture("pic.tga");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Textures().GetTextureName(0), "pic.tga") << "failed loads leave their slot free";
    EXPECT_EQ(Textures().GetTexture("pic.tga"), first);
    EXPECT_NE(Textures().GetTexture("PIC.tga"), first);
    // LoadTexture joins folder and file and skips a known path silently.
    Textures().LoadTexture("", "pic.tga");
    EXPECT_EQ(Textures().GetTextureCount(), 2);
    std::string log = Log();
    EXPECT_EQ(CountOf(log, "Loading image: 'pic.tga' ... OK (1 loaded) (32 bit)"), 1u) << log;
    EXPECT_EQ(CountOf(log, "Loading image: 'missing.png' ... FAILED"), 1u) << log;
    EXPECT_EQ(CountOf(log, "Loading image: 'broken.png' ... FAILED"), 1u) << log;
    EXPECT_EQ(CountOf(log, "Loading image: 'late.tga' ... FAILED"), 1u) << log;
    // An overlong path is recorded cut but matched whole: a path sharing its first 254 bytes is another texture.
    std::string longPath;
    for (int i = 0; i < 150; ++i) longPath += "./";
    Quill::Image* image = Textures().GetTexture((longPath + "pic.tga").c_str());
    EXPECT_EQ(Textures().GetTextureName(2), (longPath + "pic.tga").substr(0, TextureManager::NameSize - 1));
    EXPECT_EQ(Textures().GetTexture((longPath + "pic.tga").c_str()), image);
    EXPECT_NE(Textures().GetTexture((longPath + "./pic.tga").c_str()), image);
    EXPECT_EQ(Textures().GetTextureCount(), 4);
}

TEST_F(TextureTableTest, TableHoldsTwoHundredFiftyTextures) {
    std::vector<Quill::Image*> loaded;
    auto name = [](int i) { return "t" + std::to_string(i) + ".tga"; };
    for (int i = 0; i < 251; ++i) {
        WriteSolidTga(name(i), 1, 1, 0xFF000000u | uint32_t(i));
        loaded.push_back(Textures().GetTexture(name(i).c_str()));
    }
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), nullptr), 1);
    EXPECT_EQ(loaded[250], nullptr);
    // Known names still resolve; a new one keeps failing.
    EXPECT_EQ(Textures().GetTexture("t249.tga"), loaded[249]);
    EXPECT_EQ(Textures().GetTexture("t250.tga"), nullptr);

    Textures().DeleteAllTexturesMIPMAP();
    EXPECT_NE(Textures().GetTexture("t250.tga"), nullptr);
    EXPECT_EQ(Textures().GetTextureCount(), 1);
}

TEST_F(TextureTableTest, PreloadsAFolderOneImagePerStep) {
    std::filesystem::create_directories("Graphics/Empty");
    WriteSolidTga("Graphics/b.tga", 1, 1, 0xFFFFFFFF);
    WriteSolidTga("Graphics/a.tga", 1, 1, 0xFFFFFFFF);
    for (const char* name : {"z.png", "c.jpg", "e.bmp", "g.txt", "h.PNG"})
        WriteText(std::string("Graphics/") + name, "x");
    EXPECT_EQ(Textures().CountImageFiles("Graphics\\"), 5);
    EXPECT_EQ(Textures().CountImageFiles("Nowhere\\"), 0);
    EXPECT_FALSE(Textures().PreloadFolderStep("Graphics\\", 2)) << "nothing listed yet";
    int steps = 0;
    for (int mode = 1; Textures().PreloadFolderStep("Graphics\\", mode); mode = 2) ++steps;
    EXPECT_EQ(steps, 5) << "a failed image still counts as a step";
    EXPECT_EQ(Textures().GetTextureCount(), 2);
    // Patterns in order (png first), names sorted within a pattern.
    std::string log = Log();
    size_t png = log.find("'Graphics\\z.png' ... FAILED"), a = log.find("'Graphics\\a.tga' ... OK (1 loaded)"),
           b = log.find("'Graphics\\b.tga' ... OK (2 loaded)");
    EXPECT_TRUE(png < a && a < b && b != std::string::npos) << log;
    // An empty folder is exhausted at once; preloading again loads nothing new.
    EXPECT_FALSE(Textures().PreloadFolderStep("Graphics\\Empty\\", 1));
    EXPECT_TRUE(Textures().PreloadFolderStep("Graphics\\", 1));
    EXPECT_EQ(Textures().GetTextureCount(), 2);
}

// The loading thread preloads a folder and builds the font while the main
// thread asks for the same textures and draws; every path ends in one slot.
TEST_F(TextureTableTest, LoadingThreadAndMainThreadShareTheTable) {
    constexpr int Files = 40;
    std::filesystem::create_directory("Graphics");
    std::vector<std::string> names;
    for (int i = 0; i < Files; ++i) {
        WriteSolidTga("Graphics/p" + std::to_string(10 + i) + ".tga", 4, 4, 0xFF000000u | uint32_t(i + 1));
        names.push_back("Graphics\\p" + std::to_string(10 + i) + ".tga");
    }
    WriteSolidTga("font01.tga", 64, 32, 0xFFFFFFFF);
    WriteText("language.ini", "[ENGLISH]\nSymbolList=AB\nSYMBOLS_IN_ROW=4\nSYMBOLS_IN_COL=2\nLine01_Width=16,16\n");

    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int mode = 1; Textures().PreloadFolderStep("Graphics\\", mode); mode = 2) {
        }
        Textures().LoadSymbolFont("font01.tga");
        done = true;
    });
    for (int rounds = 0; !done && rounds < 1000; ++rounds) {
        for (int i = Files - 1; i >= 0; --i)
            Textures().DrawSprite(Textures().GetTexture(names[i].c_str()), 0.5f, 0.5f, 0.1f, 0.1f, 0, 0, 1, 1,
                                  OWN_COLOURS, 1, 0.0f);
        Textures().DrawText(0.5f, 0.5f, 0.25f, OWN_COLOURS, TEXT_CENTRE, "AB");
    }
    loader.join();
    EXPECT_EQ(CountOf(Log(), "DrawSprite(): pTexture == NULL"), 0u) << "no lookup ever failed";

    EXPECT_EQ(Textures().GetTextureCount(), Files + 1);
    for (const std::string& name : names) EXPECT_EQ(CountOf(Log(), "'" + name + "' ... OK"), 1u) << name;
    Clear(Background);
    Textures().DrawText(0.5f, 0.5f, 0.25f, OWN_COLOURS, TEXT_CENTRE, "AB");
    EXPECT_EQ(Painted(), Rect(48, 24, 32, 16));
}
