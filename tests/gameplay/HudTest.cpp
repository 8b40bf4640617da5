#include "gameplay/support/ScreenTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

namespace {

constexpr uint32_t kMask = 0x10E010, kPanel = 0xE01010, kBorder = 0x808080, kMenu = 0x20C0C0, kHeld = 0xF0F000,
                   kFx1 = 0xF000F0, kFx2 = 0xFFFFFF, kEmpty = 0x404040, kFull = 0x00FF40, kClock = 0xFF8000,
                   kMainMenu = 0x6060F0, kMap = 0x60F060;
constexpr uint32_t kBackground = 0x3050A0, kBottomBar = 0xA07030; // the JPEG fixtures

const char* const kInGameScreen = R"(<Screen>
  <Image img="Graphics\menuimg.png" stretch="no" xc="0.45" yc="0.5" width="0" height="0"/>
  <Text name="txtScoreNum" text="0" xc="0.2" yc="0.1" size="0.04"/>
  <Text name="txtLevelNum" text="0" xc="0.2" yc="0.2" size="0.04"/>
  <Text name="txtTimeNum" text="0" xc="0.2" yc="0.3" size="0.04"/>
  <Text name="txtMeterBar" text="" xc="0.2" yc="0.7" size="0.04"/>
</Screen>
)";

} // namespace

class HudTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        const std::filesystem::path fixtures = std::filesystem::path(VELMORA_FIXTURES) / "hud";
        for (const char* jpeg : {"back_game01.jpg", "am_bottom_bar.jpg"}) {
            std::filesystem::create_directories(std::filesystem::path(folder) / "Graphics");
            std::filesystem::copy_file(fixtures / jpeg, std::filesystem::path(folder) / "Graphics" / jpeg);
        }
        const struct { const char* name; int w, h; uint32_t colour; } pictures[] = {
            {"mask", 6, 6, kMask},         {"panel", 6, 6, kPanel},          {"menuimg", 12, 6, kMenu},
            {"am_bonus01", 8, 8, kHeld},   {"fx1", 4, 4, kFx1},              {"fx2", 4, 4, kFx2},
            {"progress-empty", 20, 4, kEmpty}, {"progress-full", 20, 4, kFull}, {"round_time", 6, 6, kClock},
            {"main", 10, 10, kMainMenu},   {"map", 10, 10, kMap}};
        for (const auto& p : pictures) Picture(std::string("Graphics\\") + p.name + ".png", p.w, p.h, p.colour);
        Picture("Lang\\status-border.png", 20, 20, kBorder);
        WriteFile("Menu/menu-ingame.xml", kInGameScreen);
        WriteFile("Menu/menu-main.xml", R"(<Screen><Image img="Graphics\main.png" stretch="no" xc="0.5" yc="0.5"/></Screen>)");
        WriteFile("Menu/menu-map.xml", R"(<Screen><Image img="Graphics\map.png" stretch="no" xc="0.5" yc="0.5"/></Screen>)");
        ASSERT_EQ(game().LoadMenuScreens(), 3);

        // A level in play: one cell, one panel shape, a bonus shape in hand.
        Game& g = game();
        g.phase = Phase::Playing;
        std::strcpy(g.backgroundImage, "Graphics\\back_game01.jpg");
        g.cellCount = g.panelCount = 1;
        g.cells[0] = Shape(0.3f, 0.3f);
        g.cells[0].maskImage = TextureIdOf(EngineCalls::GetTexture("Graphics\\mask.png"));
        g.panel[0] = Shape(0.7f, 0.915f); // on the bottom bar
        g.panel[0].mainImage = TextureIdOf(EngineCalls::GetTexture("Graphics\\panel.png"));
        g.heldShape = Shape(0.45f, 0.5f); // on the in-game screen
        g.heldShape.bonus = Bonus::AnyShape;
        g.timeLeft = 50;
        g.levelTime = 100;
        for (BoardLine& line : g.lines) line.fade = 0; // no line pictures in this scene
    }

    static ShapeCell Shape(float x, float y) {
        ShapeCell s;
        s.x = x, s.y = y, s.shown = 1;
        return s;
    }

    const char* Text(const char* name) {
        const MenuScreen& s = game().menuInGame;
        for (int i = 0; i < s.textCount; ++i)
            if (std::strcmp(s.texts[i].name, name) == 0) return s.texts[i].text;
        return "(none)";
    }

    void Draw() {
        Clear();
        game().DrawGameScreen();
    }
};

TEST_F(HudTest, DrawsEachLayerOverTheOnesBeforeIt) {
    EffectQueue& fx = TheEffectQueue();
    fx.AddShrinkingImage(1, 0, 100, 0.59f, 0.915f, 0.02f, 0.02f, EngineCalls::GetTexture("Graphics\\fx1.png"));
    fx.AddShrinkingImage(1, 0, 100, 0.3f, 0.3f, 0.015f, 0.02f, EngineCalls::GetTexture("Graphics\\fx1.png"));
    fx.AddShrinkingImage(2, 0, 100, 0.45f, 0.5f, 0.02f, 0.0267f, EngineCalls::GetTexture("Graphics\\fx2.png"));
    fx.Update(); // starts them
    Draw();
    struct Case { const char* what; float x, y; uint32_t colour; int tolerance; } cases[] = {
        {"background", 0.9f, 0.2f, kBackground, 12},  {"nothing left of the background", 0.05f, 0.5f, 0, 0},
        {"effects of layer 1 over a cell", 0.3f, 0.3f, kFx1, 0}, {"the cell around them", 0.3125f, 0.3f, kMask, 0},
        {"bottom bar over effects of layer 1", 0.59f, 0.915f, kBottomBar, 12},
        {"panel shape over the bar", 0.7f, 0.915f, kPanel, 0}, {"frame", 0.54f, 0.5f, kBorder, 0},
        {"in-game screen over the frame", 0.47f, 0.5f, kMenu, 0},
        {"shape in hand over the screen", 0.4625f, 0.5f, kHeld, 0},
        {"effects of layer 2 over the hand", 0.45f, 0.5f, kFx2, 0}};
    for (const Case& c : cases)
        EXPECT_TRUE(Near(At(c.x, c.y), c.colour, c.tolerance))
            << c.what << ": " << std::hex << At(c.x, c.y) << " instead of " << c.colour;
}

// The clock blinks in the last ten seconds, following the platform clock
// (the opacity is that of the clock picture). Relax and bonus levels have no
// time-out: their clock neither blinks nor shows a time below zero.
TEST_F(HudTest, ShowsScoreClockAndLevelAndBlinksTheClockInTheLastTenSeconds) {
    std::strcpy(game().backgroundImage, ""); // black under the clock
    using namespace Mode;
    struct Case { int mode; const char* bonus; float timeLeft; uint32_t clockMs; const char* shown; float opacity; }
    cases[] = {
        {Classic, "false", 10.0f, 3000, "10", 0},  {Classic, "false", 9.99f, 3000, "9", 1},
        {Classic, "false", -3.5f, 3000, "-3", 1},  {Classic, "false", NAN, 3000, "0", 0},
        {Classic, "false", -1e20f, 3000, "-2000000000", 1}, {Classic, "false", -0.5f, 3000, "0", 1},
        {Relax, "false", 5.0f, 3000, "5", 0},      {Relax, "false", -3.5f, 3000, "0", 0},
        {Classic, "true", -7.0f, 3000, "0", 0},    {Transformer, "true", 3.0f, 3000, "3", 0},
        {Transformer, "false", 3.0f, 3000, "3", 1},
        {Classic, "false", 5.0f, 4000, "5", 0},    {Classic, "false", 5.0f, 4500, "5", 0.5f},
        {Classic, "false", 5.0f, 5500, "5", 0.5f},
    };
    uint32_t clock = 1000;
    game().score = 1234;
    game().levelNumber = 17;
    for (const Case& c : cases) {
        Advance(c.clockMs - clock);
        clock = c.clockMs;
        game().gameMode = c.mode;
        std::strcpy(game().bonusLevel, c.bonus);
        game().timeLeft = c.timeLeft;
        Draw();
        EXPECT_STREQ(Text("txtTimeNum"), c.shown) << c.mode << " " << c.bonus << " " << c.timeLeft;
        const int red = static_cast<int>(At(0.2f, 0.3f) >> 16);
        EXPECT_NEAR(red, 255.0f * c.opacity, 3.0f) << c.mode << " " << c.bonus << " " << c.timeLeft << " at "
                                                    << c.clockMs << " ms";
    }
    EXPECT_STREQ(Text("txtScoreNum"), "1234");
    EXPECT_STREQ(Text("txtLevelNum"), "17");
}

// The level title sits on a soft backing as wide as the title's words in the
// player's language, plus a margin.
TEST_F(HudTest, TheLevelTitleSitsOnABackingFittedToItsWords) {
    constexpr uint32_t kBacking = 0xC0FFEE, kLetters = 0xFFFFFF;
    Picture("Graphics\\title_backing.png", 8, 8, kBacking);
    Picture("Lang\\font.png", 64, 8, kLetters); // 8 cells of 8 x 8: 0.04 of the width each
    std::strcpy(game().backgroundImage, "");
    struct Case { const char* word; int span; } cases[] = {{"Level", 56}, {"Levelstufe", 96}};
    for (const Case& c : cases) {
        WriteFile("language.ini", std::string("[ENGLISH]\nEnglish\\=Lang\\\nSymbolList=Levlstuf\nSYMBOLS_IN_ROW=8\n"
                                              "SYMBOLS_IN_COL=1\nLine01_Width=16,16,16,16,16,16,16,16\nLevel N=") +
                                      c.word + "\n");
        Textures().LoadSymbolFont("Lang\\font.png");
        TheEffectQueue().Clear();
        TheEffectQueue().AddFadingTitle(1, 0, 10.0f, 0.5f, 0.39f, "Level N", false);
        RunEffects(5000); // half way: fully shown
        Draw();
        const int row = static_cast<int>(0.39f * H);
        int left = W, right = -1;
        for (int x = 0; x < W; ++x)
            if (Pixel(x, row) == kBacking) left = std::min(left, x), right = std::max(right, x);
        EXPECT_NEAR(right - left + 1, c.span, 2) << c.word;
        EXPECT_EQ(Pixel(100, row), kLetters) << c.word << ": the letters over it";
    }
}

TEST_F(HudTest, TheProgressBarFillsWithTheBoard) {
    struct Case { float progress; int full; } cases[] = {
        {0, 0}, {0.25f, 5}, {0.5f, 10}, {0.999f, 19}, {1.0f, 20}, {1.7f, 20}, {-1.0f, 0}, {NAN, 0}};
    const int row = static_cast<int>(0.7f * H);
    for (const Case& c : cases) {
        game().progress = c.progress;
        Draw();
        EXPECT_EQ(CountInRow(row, kFull), c.full) << c.progress;
        EXPECT_EQ(CountInRow(row, kFull) + CountInRow(row, kEmpty), 20) << c.progress;
    }
}

TEST_F(HudTest, WhileFadingInTheScreenThePlayerCameFromStays) {
    struct Case { int from; uint32_t colour; } cases[] = {{State::MainMenu, kMainMenu}, {State::LevelMap, kMap}};
    for (const Case& c : cases) {
        SetGameState(c.from);
        SetGameState(State::Playing);
        game().phase = Phase::FadeIn;
        Draw();
        EXPECT_EQ(At(0.5f, 0.5f), c.colour) << c.from;
        EXPECT_EQ(At(0.9f, 0.2f) | At(0.7f, 0.915f), 0u) << "no background or panel yet";
    }
}

// Every kind of effect halfway through its life, drawn where its motion has
// brought it by then (a picture's name stands in for a text).
TEST_F(ScreenTest, EveryKindOfEffectIsDrawnWhereItsMotionPutsIt) {
    Picture("Graphics\\fx.png", 12, 12, 0xF000F0);
    EngineCalls::Texture fx = EngineCalls::GetTexture("Graphics\\fx.png");
    const char* text = "Graphics\\fx.png";
    float cellX = 0.3f, cellY = 0.6f;
    struct Case { const char* what; std::function<bool(EffectQueue&)> add; float x, y; } cases[] = {
        {"floating text rises", [&](EffectQueue& q) { return q.AddFloatingText(1, 0, 1, 0.5f, 0.5f, text, false); },
         0.5f, 0.425f},
        {"growing image", [&](EffectQueue& q) { return q.AddGrowingImage(1, 0, 1, 0.3f, 0.3f, 0.2f, 0.2f, fx); },
         0.3f, 0.3f},
        {"title sweep", [&](EffectQueue& q) { return q.AddTitleSweep(1, 0, 1, 0.7f, 0.3f, text, 0.2f); }, 0.7f, 0.5f},
        {"shrinking image", [&](EffectQueue& q) { return q.AddShrinkingImage(1, 0, 1, 0.2f, 0.7f, 0.2f, 0.2f, fx); },
         0.2f, 0.7f},
        {"fading title", [&](EffectQueue& q) { return q.AddFadingTitle(1, 0, 1, 0.6f, 0.6f, text, false); }, 0.6f,
         0.6f},
        {"sheet animation drifts", [&](EffectQueue& q) { return q.AddSheetAnimation(1, 0, 1, 0.4f, 0.2f, fx, 3, 3, 0.4f); },
         0.4f, 0.4f},
        {"particle burst", [&](EffectQueue& q) { return q.AddParticleBurst(1, 0, 1, 0.8f, 0.8f, 0.1f, 0, fx, true); },
         0.8f, 0.8f},
        {"placing glow follows its cell", [&](EffectQueue& q) { return q.AddPlacingGlow(1, 0, 1, &cellX, &cellY, fx); },
         0.3f, 0.6f},
        {"flying text", [&](EffectQueue& q) { return q.AddFlyingText(1, 0, 1, 0.2f, 0.2f, 0.8f, 0.8f, text, false); },
         0.275f, 0.5f},
        {"burst title", [&](EffectQueue& q) { return q.AddBurstTitle(1, 0, 1, 0.5f, 0.8f, text); }, 0.5f, 0.8f},
    };
    for (const Case& c : cases) {
        TheEffectQueue().Clear();
        ASSERT_TRUE(c.add(TheEffectQueue())) << c.what;
        cellX = 0.3f, cellY = 0.2f;
        RunEffects(500);
        cellY = 0.6f; // the cell moved on after the glow began
        Clear();
        TheEffectQueue().Draw(2);
        EXPECT_EQ(At(c.x, c.y), 0u) << c.what << ": not on layer 2";
        TheEffectQueue().Draw(1);
        EXPECT_NE(At(c.x, c.y) & 0xFF0000u, 0u) << c.what;
    }
}

// A cell whose top edge is above the screen is drawn one pixel (of 600)
// higher; on a full-size screen its lowest row shows it.
TEST_F(ScreenTest, ACellReachingAboveTheScreenIsDrawnOnePixelHigher) {
    Quill::DDImage full;
    full.Create(800, 600);
    full.SetIsScreen(true);
    Quill::Graphics target(&full);
    Textures().SetTarget(1, &target);
    Picture("Graphics\\cell.png", 20, 20, 0x10E010);
    Game& g = game();
    for (BoardLine& line : g.lines) line.fade = 0;
    g.cellCount = 1;
    g.cells[0].x = 0.5f, g.cells[0].shown = 1;
    g.cells[0].maskImage = TextureIdOf(EngineCalls::GetTexture("Graphics\\cell.png"));
    auto lowestRow = [&](float y) {
        std::fill(full.GetBits(), full.GetBits() + 800 * 600, Black);
        g.cells[0].y = y;
        g.DrawBoard();
        int lowest = -1;
        for (int row = 0; row < 600; ++row)
            if ((full.GetBits()[row * 800 + 400] & 0xFFFFFFu) == 0x10E010u) lowest = row;
        return lowest;
    };
    // A 20-pixel cell centred 18.3, 12.3 or 10.2 pixels down ends on rows 27,
    // 21 and 19; centred 9.9 or 9.3 pixels down its top is above the screen,
    // and it ends on row 18 rather than 19.
    struct Case { float y; int lowest; } cases[] = {
        {0.0305f, 27}, {0.0205f, 21}, {0.017f, 19}, {0.0165f, 18}, {0.0155f, 18}};
    for (const Case& c : cases) EXPECT_EQ(lowestRow(c.y), c.lowest) << c.y;
}
