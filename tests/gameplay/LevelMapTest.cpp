#include "gameplay/support/ScreenTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"
#include "gameplay/LevelMap.h"

#include <vector>

namespace {

constexpr uint32_t kButton = 0x3060F0, kGrey = 0x909090, kBackground = 0x40A040;

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

} // namespace

class LevelMapTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        WriteClasses(8, 3); // class c plays "class_c"
        ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
        Picture("Graphics\\btn.png", 10, 10, kButton);
        Picture("Graphics\\grey.png", 10, 10, kGrey);
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

TEST_F(LevelMapTest, TheLastOpenedLevelIsReadFromTheSettings) {
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
    struct Case { int from; std::vector<int32_t> pictures; uint32_t centre; } cases[] = {
        {State::MainMenu, {State::MainMenu}, 0},
        {State::LevelAdvance, {}, kBackground},
    };
    for (const Case& c : cases) {
        drawn.clear();
        TheGameSeams().drawStatePicture = [&](int32_t state) { drawn.push_back(state); };
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
