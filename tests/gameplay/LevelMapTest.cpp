#include "gameplay/support/ScreenTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"
#include "gameplay/LevelMap.h"

#include <climits>
#include <cmath>
#include <vector>

namespace {

constexpr uint32_t kButton = 0x3060F0, kGrey = 0x909090, kStar = 0xFFFF40, kBackground = 0x40A040,
                   kHint1 = 0xE02020, kHint2 = 0x20E020, kHint3 = 0x2020E0, kTip = 0xF0F0F0, kTail = 0x804000;

// Button i is stage i's; button 0 is the start button.
const char* const kMapScreen = R"(<Screen>
  <Button name="btnStart" xc="0.5" yc="0.9" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procStart"/>
  <Button name="btnStage1" xc="0.2" yc="0.2" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procStage1"/>
  <Button name="btnStage2" xc="0.4" yc="0.2" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procStage2"/>
  <Button name="btnStage3" xc="0.6" yc="0.2" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procStage3"/>
  <Button name="btnStage4" xc="0.8" yc="0.2" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procStage4"/>
  <Button name="btnStage" xc="0.2" yc="0.6" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procNothing"/>
  <Button name="btnStage9x" xc="0.4" yc="0.6" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procStage9"/>
  <Button name="btnStageTop" xc="0.6" yc="0.6" width="0.05" height="0.0667" outImg="Graphics\btn.png" overImg="Graphics\btn.png" action="procNothing"/>
</Screen>
)";

const uint32_t kHints[] = {kHint1, kHint2, kHint3};

} // namespace

class LevelMapTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        WriteClasses(8, 3); // class c plays "class_c"
        ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
        Picture("Graphics\\btn.png", 10, 10, kButton);
        Picture("Graphics\\grey.png", 10, 10, kGrey);
        Picture("Graphics\\am_effect_star.png", 2, 2, kStar);
        WriteFile("Menu/menu-map.xml", kMapScreen);
        ASSERT_EQ(game().LoadMenuScreens(), 1);
    }

    MenuButton& Button(int i) { return game().menuMap.buttons[i]; }

    // One frame of the map state, 10 ms after the last.
    void Frame() {
        Advance(10);
        Clear();
        game().DrawLevelMap();
    }

    const char* Click(int button) {
        const MenuButton& b = Button(button);
        return game().menuMap.HandleMessage(
            MakeInputMessage(INPUT_BUTTON_DOWN, 0, static_cast<int32_t>(b.xc * W), static_cast<int32_t>(b.yc * H)));
    }
};

TEST_F(LevelMapTest, StagesBeyondTheLastOpenedOneAreGreyAndIgnoreClicks) {
    // enabled: buttons 0 to 7
    struct Case { int32_t lastOpened; std::vector<int> enabled; } cases[] = {
        {6, {1, 1, 0, 0, 0, 0, 0, 0}}, {7, {1, 1, 1, 0, 0, 0, 0, 0}},
        {49, {1, 1, 1, 1, 1, 0, 1, 0}}, {-20, {1, 0, 0, 0, 0, 0, 0, 0}},
    };
    game().phase = Phase::Map;
    for (const Case& c : cases) {
        // Buttons without a stage number keep whatever state they had.
        Button(0).enabled = 1;
        Button(5).enabled = 0;
        Button(7).enabled = 0;
        game().lastOpenedLevel = c.lastOpened;
        Frame();
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(Button(i).enabled, c.enabled[i]) << "last opened " << c.lastOpened << ", button " << i;
            if (i == 0 || i == 5 || i == 7) continue;
            EXPECT_EQ(At(Button(i).xc, Button(i).yc), c.enabled[i] ? kButton : kGrey) << c.lastOpened << " " << i;
            EXPECT_EQ(Click(i), std::string(c.enabled[i] ? Button(i).action : "")) << c.lastOpened << " " << i;
        }
    }
}

TEST_F(LevelMapTest, TheRingTravelsFromThePreviousStageOnceTheFadeOutHasEnded) {
    // from, to: buttons
    struct Case { int stage; int from, to; const char* sound; } cases[] = {{1, 1, 1, nullptr}, {3, 2, 3, "class_6"}};
    for (const Case& c : cases) {
        TheEffectQueue().Clear();
        events.clear();
        game().lastOpenedLevel = c.stage * 6;
        game().levelNumber = (c.stage - 1) * 6 + 1;
        game().stageMarkerX = game().stageMarkerY = 0;
        SetGameState(State::LevelAdvance);
        game().LeaveToMap();
        ASSERT_EQ(GameState, State::LevelMap);
        int frames = 0;
        while (game().phase == Phase::Leaving && frames++ < 200) Frame();
        ASSERT_EQ(game().phase, Phase::Map) << c.stage;
        EXPECT_GE(frames, 49) << "the old picture fades out first";
        for (int i = 0; i < 40; ++i) Frame(); // within the half second before it moves
        EXPECT_TRUE(game().stageMarkerX == Button(c.from).xc && game().stageMarkerY == Button(c.from).yc) << c.stage;
        for (int i = 0; i < 150; ++i) Frame();
        EXPECT_FLOAT_EQ(game().screenFade, 1.0f) << "the map has faded in";
        const float halfWay = (Button(c.from).xc + Button(c.to).xc) / 2;
        EXPECT_NEAR(game().stageMarkerX, halfWay, 0.02f) << c.stage;
        EXPECT_TRUE(events.empty()) << "the stage's sound comes as the ring arrives";
        for (int i = 0; i < 200 && !TheEffectQueue().Idle(); ++i) Frame();
        EXPECT_TRUE(game().stageMarkerX == Button(c.to).xc && game().stageMarkerY == Button(c.to).yc) << c.stage;
        EXPECT_EQ(events, c.sound ? std::vector<std::string>{c.sound} : std::vector<std::string>{}) << c.stage;
    }
}

TEST_F(LevelMapTest, TenStarsCircleTheMarker) {
    game().phase = Phase::Map;
    game().lastOpenedLevel = 100;
    game().stageMarkerX = 0.5f;
    game().stageMarkerY = 0.5f;
    for (uint32_t ms : {0u, 777u}) {
        Advance(ms);
        Clear();
        game().DrawLevelMap();
        const float now = EngineCalls::NowSeconds();
        for (int j = 0; j < 10; ++j) {
            const float t = now + static_cast<float>(j) / 10.0f * 2.0f * 3.1415927f;
            const float x = 0.5f + std::cos(t) * 0.06f, y = 0.5f + std::sin(t) * 0.08f;
            EXPECT_EQ(At(x, y), kStar) << "star " << j << " at " << ms;
        }
        EXPECT_EQ(At(0.5f, 0.5f), 0u) << "the ring is empty in the middle";
    }
}

TEST_F(LevelMapTest, PickingAStageMovesTheRingAndPlaysTheStagesSound) {
    // button -1: the marker stays
    struct Case { const char* action; bool taken; int32_t level; int button; const char* sound; } cases[] = {
        {"procStage 3", true, 13, 3, "class_6"},
        {"procStage5", true, 25, 5, nullptr},  // the button at index 5; no class 8
        {"procStage9", true, 49, -1, nullptr}, // no button at index 9
        {"procStage", false, 99, -1, nullptr},   {"procStage-2", false, 99, -1, nullptr},
        {"procStage99999999999", false, 99, -1, nullptr}, {nullptr, false, 99, -1, nullptr},
    };
    for (const Case& c : cases) {
        events.clear();
        game().levelNumber = 99;
        game().stageMarkerX = game().stageMarkerY = -1;
        const char* what = c.action ? c.action : "null";
        EXPECT_EQ(game().SelectStage(c.action), c.taken) << what;
        EXPECT_EQ(game().levelNumber, c.level) << what;
        EXPECT_FLOAT_EQ(game().stageMarkerX + game().stageMarkerY,
                        c.button < 0 ? -2.0f : Button(c.button).xc + Button(c.button).yc) << what;
        EXPECT_EQ(events, c.sound ? std::vector<std::string>{c.sound} : std::vector<std::string>{});
    }
}

TEST_F(LevelMapTest, StagesHoldSixLevels) {
    struct Case { int32_t level, stage; } cases[] = {{6, 1}, {7, 2}, {240, 40}, {0, 1}, {INT_MIN, -357913940}};
    for (const Case& c : cases) EXPECT_EQ(StageOf(c.level), c.stage) << c.level;

    struct Config { const char* text; int32_t level; } configs[] = {
        {"", 1}, {"[GAMEPLAY]\nLastOpenedLevel=13\n", 13}, {"[GAMEPLAY]\nLastOpenedLevel=-4\n", 1}};
    for (const Config& c : configs) {
        WriteFile("config.ini", c.text);
        game().lastOpenedLevel = 1;
        game().ReadLastOpenedLevel();
        EXPECT_EQ(game().lastOpenedLevel, c.level) << c.text;
    }
}

TEST_F(LevelMapTest, WhileTheOldPictureFadesOutItIsStillDrawn) {
    Picture("Graphics\\back_game01.png", 20, 20, kBackground);
    std::snprintf(game().backgroundImage, sizeof game().backgroundImage, "%s", "Graphics\\back_game01.png");
    std::vector<int32_t> drawn;
    struct Case { int from; bool seam; std::vector<int32_t> pictures; uint32_t centre; } cases[] = {
        {State::MainMenu, true, {State::MainMenu}, 0},
        {State::LevelAdvance, true, {}, kBackground},
        {State::MainMenu, false, {}, 0},
    };
    for (const Case& c : cases) {
        drawn.clear();
        TheGameSeams().drawStatePicture = nullptr;
        if (c.seam) TheGameSeams().drawStatePicture = [&](int32_t state) { drawn.push_back(state); };
        TheEffectQueue().Clear();
        SetGameState(c.from);
        game().LeaveToMap();
        Frame();
        EXPECT_EQ(game().phase, Phase::Leaving);
        EXPECT_EQ(drawn, c.pictures) << c.from;
        EXPECT_EQ(At(0.59f, 0.44f), c.centre) << c.from;
        const uint32_t stage1 = At(Button(1).xc, Button(1).yc);
        EXPECT_TRUE(stage1 != kButton && stage1 != kGrey) << "the map is not drawn yet";
    }
}

class HintsTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        Prepare(Mode::Classic);
        for (int i : {1, 2, 3}) Picture("Lang\\hint" + std::to_string(i) + ".png", 6, 6, kHints[i - 1]);
        Picture("Graphics\\arrow.png", 6, 12, kTip, kTail);
    }
    // Level 1 as the mode loads it, six shapes on the panel and one in hand.
    void Prepare(int mode) {
        game().gameMode = mode;
        LoadPlainLevel(1);
        Game& g = game();
        g.panelCount = 6;
        for (int i = 0; i < 6; ++i) {
            g.panel[i].x = 0.3f + 0.1f * static_cast<float>(i);
            g.panel[i].y = 0.9f;
        }
        g.heldShape.x = 0.5f;
        g.heldShape.y = 0.6f;
    }
};

TEST_F(HintsTest, EachStepPointsAtWhatToDoNext) {
    // arrowX 0: no arrow
    struct Case { int step; float cellY; uint32_t hint; float hintX, hintY, arrowX, arrowY; bool pointsUp; } cases[] = {
        {1, 0.5f, kHint1, 0.7f, 0.65f, 0.7f, 0.77f, false},   // over panel shape 4
        {2, 0.5f, kHint3, 0.5f, 0.45f, 0, 0, false},          // over the hand
        {3, 0.5f, kHint2, 0.29f, 0.25f, 0.29f, 0.37f, false}, // over cell 4
        {3, 0.29f, kHint2, 0.29f, 0.54f, 0.29f, 0.42f, true}, // under a cell near the top
    };
    for (const Case& c : cases) {
        game().tutorialOn = 1;
        game().tutorialStep = c.step;
        game().cells[4].y = c.cellY;
        Clear();
        game().DrawHints();
        EXPECT_EQ(At(c.hintX, c.hintY), c.hint) << "step " << c.step << " cell y " << c.cellY;
        if (c.arrowX == 0) continue;
        // Three pixels above and below the arrow's middle: the tip is its top half.
        const int x = static_cast<int>(c.arrowX * W), y = static_cast<int>(c.arrowY * H);
        EXPECT_EQ(Pixel(x, y - 3), c.pointsUp ? kTail : kTip) << "step " << c.step << " cell y " << c.cellY;
        EXPECT_EQ(Pixel(x, y + 3), c.pointsUp ? kTip : kTail) << "step " << c.step << " cell y " << c.cellY;
    }
}

TEST_F(HintsTest, TheGuidedShapesAreSetUpAndNothingShowsOnceTheTutorialEnds) {
    for (int mode : {Mode::Classic, Mode::Transformer}) {
        Prepare(mode);
        game().tutorialOn = 1;
        game().tutorialStep = 1;
        game().cells[4].classIndex = 3;
        game().panel[4].classIndex = 2;
        game().panel[4].bonus = Bonus::Area;
        Clear();
        game().DrawHints();
        EXPECT_EQ(game().cells[4].classIndex, 0);
        EXPECT_EQ(game().cells[4].shape, mode == Mode::Transformer ? 1 : 0);
        EXPECT_EQ(game().panel[4].classIndex + game().panel[4].shape + game().panel[4].bonus, 0);
    }
    // Once the tutorial ends, or while the guided shape has not reached the panel.
    for (int panelCount : {6, 4}) {
        game().tutorialOn = panelCount == 4;
        game().panelCount = panelCount;
        game().cells[4].classIndex = 3;
        Clear();
        game().DrawHints();
        EXPECT_EQ(game().cells[4].classIndex, game().tutorialOn ? 0 : 3);
        for (int y = 0; y < H; ++y) ASSERT_EQ(CountInRow(y, Black & 0xFFFFFFu), W) << "row " << y;
    }
}
