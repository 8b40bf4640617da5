// Every picture the game and its menus ask for exists in the game folder,
// loads through the game's own image reader, and has the size its use needs.
#include "content/support/ContentFiles.h"

#include "framework/platform/Files.h"

#include <gtest/gtest.h>

using namespace ContentTest;

namespace {

struct ImageCase {
    std::string name;
    int width, height; // 0: any
    int columns, rows; // frames of a sheet
};

std::vector<ImageCase> GameImages()
{
    std::vector<ImageCase> all = {
        {"Graphics\\back_menu.jpg", 800, 600, 1, 1},     {"Graphics\\back_map.jpg", 800, 600, 1, 1},
        {"Graphics\\status-border.png", 800, 600, 1, 1}, {"English\\status-border.png", 800, 600, 1, 1},
        {"English\\font01.png", 640, 384, 16, 8},        {"Graphics\\star-rotation.png", 0, 0, 3, 3},
        {"Graphics\\bug_right.png", 0, 0, 6, 1},         {"Graphics\\digits.png", 0, 0, 10, 1},
    };
    for (int i = 1; i <= 5; ++i)
        all.push_back({"Graphics\\back_game0" + std::to_string(i) + ".jpg", 688, 516, 1, 1});
    for (int i = 1; i <= 3; ++i) {
        all.push_back({"Graphics\\am_bonus0" + std::to_string(i) + ".png", 64, 64, 1, 1});
        all.push_back({"English\\hint" + std::to_string(i) + ".png", 0, 0, 1, 1});
    }
    for (int i = 1; i <= 4; ++i)
        for (const char* side : {"left", "right"})
            all.push_back({"Graphics\\butterfly_anim" + std::to_string(i) + "_" + side + ".png", 0, 0, 6, 1});
    const char* const anySize[] = {
        "am_bottom_bar.jpg", "line1.png", "line2.png", "line3.png", "line4.png", "line5.png", "line6.png",
        "line_a.png", "particle1.png", "particle2.png", "particleq.png", "particleq2.png", "am_effect_chomp.png",
        "am_effect_star.png", "grey.png", "arrow.png", "progress-empty.png", "progress-full.png",
        "loading_empty.png", "loading_full.png", "round_time.png", "logo.png", "button_s.png", "button_s_hover.png",
        "button_m.png", "button_m_hover.png", "button_l.png", "button_l_hover.png", "checkbox.png",
        "checkbox_hover.png", "checkbox_checked.png", "checkbox_checked_hover.png", "slider_bar.png",
        "slider_bar_hover.png", "slider_thumb.png", "slider_thumb_hover.png", "panel_large.png", "panel_medium.png",
        "panel_small.png", "veil.png", "title_backing.png", "stage_button.png", "stage_button_hover.png"};
    for (const char* name : anySize)
        all.push_back({std::string("Graphics\\") + name, 0, 0, 1, 1});
    return all;
}

} // namespace

TEST(ContentImages, EveryImageLoadsWithItsSizeAndFrameGrid)
{
    for (const ImageCase& c : GameImages()) {
        SCOPED_TRACE(c.name);
        auto img = LoadImage(c.name);
        ASSERT_TRUE(img) << "does not load";
        EXPECT_EQ(c.width ? img->width : 0, c.width);
        EXPECT_EQ(c.height ? img->height : 0, c.height);
        EXPECT_EQ(img->width % c.columns, 0) << "frames are not whole pixels";
        EXPECT_EQ(img->height % c.rows, 0) << "frames are not whole pixels";
    }
}

// The frame leaves the board's window clear and covers the panel.
TEST(ContentImages, StatusBorderHasAClearWindowOverTheBoard)
{
    auto frame = LoadImage("English\\status-border.png");
    ASSERT_TRUE(frame);
    const struct {
        double x, y;
        bool clear;
    } probes[] = {{0.2, 0.05, true},   {0.59, 0.44, true}, {0.95, 0.5, true},  {0.3, 0.915, true},
                  {0.95, 0.95, true},  {0.05, 0.1, false}, {0.05, 0.5, false}, {0.1, 0.95, false},
                  {0.005, 0.5, false}};
    for (const auto& p : probes) {
        EXPECT_EQ(Alpha(*frame, int(p.x * 800), int(p.y * 600)), p.clear ? 0u : 255u) << "at " << p.x << ", " << p.y;
    }
}

// The game keeps at most 250 textures and preloads all three folders.
TEST(ContentImages, PreloadedFoldersFitTheTextureTable)
{
    size_t count = 0;
    for (const char* folder : {"Graphics\\", "Graphics\\Shapes\\", "English\\"})
        for (const char* pattern : {"*.png", "*.jpg", "*.tga", "*.bmp"})
            count += Quill::FindFiles(GamePath(std::string(folder) + pattern)).size();
    EXPECT_GT(count, 100u);
    // Leave room for pictures the menus or a later language may add.
    EXPECT_LE(count, 220u);
}
