// What a player sees on the way through the game, driven headlessly through
// the real main loop: the info panel of each mode beside the main menu, the
// level title, the pause screen, a Relax level run past its time, and the end
// of the last level. The frames are saved beside the test programs
// (test-frames/); docs/screenshots/ holds copies of them. The screens read
// between games are walked in GameAppTest.
#include "app/support/GameStory.h"

#include "gameplay/EffectQueue.h"

#include <gtest/gtest.h>

namespace {

class PlayerScreensTest : public GameStory {};

TEST_F(PlayerScreensTest, EachModeButtonFadesInItsOwnInfoPanel) {
    ASSERT_TRUE(driver.LaunchToMainMenu());
    // The menu in full, not a frame of its fade-in from black.
    ASSERT_TRUE(driver.RunUntil([this] { return game().screenFade == 1.0f; }, 5000));
    Game& g = game();
    MenuScreen* panels[] = {&g.menuInfoClassic, &g.menuInfoTransformer, &g.menuInfoRelax};
    const char* buttons[] = {"btnClassicGame", "btnTransformerGame", "btnRelaxGame"};
    // Pixels of the panels' cream (lighter than the peach background behind
    // them) inside the panels' common place on the right.
    auto creamShare = [this] {
        return MeanOver(420, 200, 760, 420, [](int r, int g, int b) { return r > 0xF4 && g > 0xE4 && b > 0xB8; }, 4);
    };
    driver.RunFrames(2);
    const double without = creamShare();
    for (int shown = 0; shown < 3; ++shown) {
        driver.PointAt(g.menuMain, buttons[shown]);
        driver.RunFrames(10); // half a second: a quarter to fade in, with room to spare
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(panels[i]->fade, i == shown ? 1.0f : 0.0f) << buttons[shown] << " shows panel " << i;
        EXPECT_GT(creamShare(), without + 0.5) << buttons[shown];
    }
    EXPECT_TRUE(driver.SaveFrame("relax_info.png"));
    driver.platform->MovePointer(400, 40);
    driver.RunFrames(10);
    for (MenuScreen* panel : panels) EXPECT_EQ(panel->fade, 0.0f);
}

// The title of a level in its full strength, then the pause screen.
TEST_F(PlayerScreensTest, TheLevelTitleAndThePauseScreen) {
    ASSERT_TRUE(driver.LaunchToMainMenu(7));
    ASSERT_TRUE(driver.OpenLevelMap("btnClassicGame"));
    StartLevel("btnStage2", 8, Phase::Title);
    driver.RunFrames(40); // two seconds into the title: fully faded in
    ASSERT_EQ(game().phase, Phase::Title);
    EXPECT_TRUE(driver.SaveFrame("level_title.png"));

    PlayABit(3);
    ASSERT_TRUE(driver.Click(game().menuInGame, "btnMenu"));
    ASSERT_EQ(GameState, State::Paused);
    driver.platform->MovePointer(400, 590);
    driver.RunFrames(2);
    EXPECT_TRUE(driver.SaveFrame("pause.png"));
}

TEST_F(PlayerScreensTest, RelaxPlaysOnPastItsTimeWithoutAlarmOrNegativeClock) {
    ASSERT_TRUE(driver.LaunchToMainMenu(7));
    ASSERT_TRUE(driver.OpenLevelMap("btnRelaxGame"));
    StartLevel("btnStage2", 7, Phase::Title);
    PlayABit(3);
    driver.platform->Advance(static_cast<uint32_t>(game().timeLeft * 1000.0f) + 20000); // twenty seconds over
    driver.RunFrames(3);
    EXPECT_EQ(GameState, State::Playing) << "no game over in Relax";
    EXPECT_LT(game().timeLeft, -15.0f);
    EXPECT_EQ(TextOf(game().menuInGame, "txtTimeNum"), "0");
    EXPECT_TRUE(driver.SaveFrame("relax_after_time.png"));
}

// The last level won, on the end screen that names it. (The reveals and the
// bug walking off are RoundFlowTest's.)
TEST_F(PlayerScreensTest, TheLastLevelEndsOnTheGameCompleteScreen) {
    ASSERT_TRUE(driver.LaunchToMainMenu(40));
    ASSERT_TRUE(driver.OpenLevelMap("btnClassicGame"));
    StartLevel("btnStage7", 40, Phase::Title);
    ASSERT_TRUE(Play([] { return GameState != State::Playing; }, 2000000));
    ASSERT_EQ(GameState, State::LevelAdvance);
    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::GameComplete; }, 100000));
    ASSERT_TRUE(driver.RunUntil([] { return TheEffectQueue().Idle(); }, 100000));
    driver.RunFrames(2);
    EXPECT_EQ(TextOf(game().menuInGame, "txtLevelNum"), "40");
    EXPECT_TRUE(driver.SaveFrame("game_complete.png"));
}

} // namespace
