#include "gameplay/support/GameTestSupport.h"

#include "framework/imageio/PngWriter.h"

#include <algorithm>
#include <filesystem>
#include <string>

using namespace Geometry;

namespace {
constexpr float kTolerance = 1e-5f;
}

TEST_F(GameTest, BoardCellsSitOnTheirLinesAndEvenLinesSitLower) {
    LoadPlainLevel();
    ASSERT_EQ(game().cellCount, 66);
    struct Case {
        int line, cell;
        float x, y;
    } cases[] = {
        {0, 0, 0.29f, -0.079166666f + 0.08f},
        {1, 0, 0.40875f, -0.079166666f},
        {2, 3, 0.5275f, 3 * 0.15833333f - 0.079166666f + 0.08f},
        {5, 10, 0.88375f, 10 * 0.15833333f - 0.079166666f},
        {4, 10, 0.765f, 10 * 0.15833333f - 0.079166666f + 0.08f},
    };
    for (const Case& c : cases) {
        const ShapeCell& cell = game().cells[c.line * 11 + c.cell];
        EXPECT_NEAR(cell.x, c.x, kTolerance) << c.line << "/" << c.cell;
        EXPECT_NEAR(cell.y, c.y, kTolerance) << c.line << "/" << c.cell;
        EXPECT_EQ(cell.restY, cell.y);
        EXPECT_EQ(cell.shown, 1);
        EXPECT_EQ(cell.filled, 0);
    }
}

TEST_F(GameTest, TheTopCellOfALineComesBackAtTheBottom) {
    LoadPlainLevel();
    const float span = 11 * kCellSpacing;
    const float bottom = kFirstCellY + span;
    game().lineSpeed = 0.1f;
    game().dt = 0.5f; // 0.05 screen heights per scroll
    struct Case {
        float offsetBefore;
        int cell; // of line 1 (odd: no stagger)
        float y;
    } cases[] = {
        {0.2f, 0, 0.15f + kFirstCellY},
        {0.05f, 0, kFirstCellY},          // exactly at the top edge: still at the top
        {0.0f, 0, bottom},                // past it: back at the bottom
        {0.0f, 1, kFirstCellY + kCellSpacing},
        {0.3f, 10, 0.25f + 10 * kCellSpacing + kFirstCellY - span}, // below the bottom: back on top
    };
    for (const Case& c : cases) {
        game().scrollOffset = c.offsetBefore;
        game().ScrollLines();
        EXPECT_NEAR(game().cells[11 + c.cell].y, c.y, kTolerance) << "offset " << c.offsetBefore << " cell " << c.cell;
    }
}

TEST_F(GameTest, EachRemovedLineMakesTheBoardScrollFaster) {
    LoadPlainLevel();
    game().lineSpeed = 0.03f;
    game().dt = 1.0f;
    struct Case {
        int linesLeft;
        float speed;
    } cases[] = {{6, 0.03f}, {5, 0.05f}, {4, 0.07f}, {1, 0.13f}};
    for (const Case& c : cases) {
        game().linesLeft = c.linesLeft;
        game().scrollOffset = 1.0f;
        game().ScrollLines();
        EXPECT_NEAR(1.0f - game().scrollOffset, c.speed, kTolerance) << c.linesLeft << " lines left";
    }
}

TEST_F(GameTest, ResolvedImagesFollowTheClassAndAnInvalidShapeGetsNone) {
    LoadPlainLevel();
    ShapeCell* c = game().cells;
    c[0].classIndex = 99;
    c[1].shape = -3;
    c[2].classIndex = c[2].shape = 0;
    // The cell's picture decodes, its mask does not.
    const ShapeDef& def = game().levelClasses[0].shapes[0];
    std::string main = def.mainImage, mask = def.maskImage;
    std::replace(main.begin(), main.end(), '\\', '/');
    std::replace(mask.begin(), mask.end(), '\\', '/');
    const uint32_t pixel = 0xFF00FF00u;
    WriteFile(mask, "not an image");
    std::filesystem::create_directories(std::filesystem::path(folder + "/" + main).parent_path());
    ASSERT_TRUE(Quill::WritePng(folder + "/" + main, &pixel, 1, 1, true));
    game().ResolveImages();
    EXPECT_TRUE(c[0].mainImage == 0 && c[0].maskImage == 0 && c[1].mainImage == 0 && c[1].maskImage == 0);
    EXPECT_NE(c[2].mainImage, 0u);
    EXPECT_EQ(c[2].maskImage, 0u);
    EXPECT_STREQ(game().ShapeImagePath(c[0]), "");
    EXPECT_STREQ(game().ShapeImagePath(c[2]), def.mainImage);
    ShapeCell bonus;
    bonus.bonus = Bonus::Band;
    EXPECT_STREQ(game().ShapeImagePath(bonus), "Graphics\\am_bonus02.png");
}
