// The whole game, driven headlessly through its real main loop on the
// manual clock, as a player would drive it: start-up, the menus, a game of
// Classic from the level map through the first level into the second,
// pausing, saving and continuing, losing to the clock, the high-score name,
// the options and the way out.
#include "app/MainWidget.h"
#include "app/support/GameDriver.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"

#include "engine/HighScoreTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kLoadingPasses = 200000;

class GameAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!driver.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
    }

    Game& game() { return TheGame(); }

    // A new run up to the main menu with its fade finished.
    void LaunchToMainMenu() {
        driver.Launch();
        ASSERT_TRUE(driver.RunUntil([] { return GameState == State::MainMenu; }, kLoadingPasses));
        ASSERT_TRUE(driver.RunUntil([this] { return game().screenFade == 1.0f; }, 5000));
    }

    // From the main menu: a mode's button, then the level map once it has faded in.
    void StartModeToMap(const char* button) {
        ASSERT_TRUE(driver.Click(game().menuMain, button));
        ASSERT_EQ(GameState, State::LevelMap);
        ASSERT_TRUE(driver.RunUntil([this] { return game().phase == Phase::Map && game().screenFade == 1.0f; }, 5000));
    }

    // The map's Start, then play until the round is under way.
    void StartLevelFromMap() {
        ASSERT_TRUE(driver.Click(game().menuMap, "btnStart"));
        ASSERT_EQ(GameState, State::Playing);
        ASSERT_TRUE(driver.RunUntil([this] { return game().phase == Phase::Playing; }, 20000));
    }

    // Lets the autoplayer steer once before every gameplay tick until `done`.
    bool Play(AutoPlayer& player, const std::function<bool()>& done, int maxPasses) {
        uint32_t steeredAt = ~0u;
        return driver.RunUntil(
            [&] {
                if (done()) return true;
                MainWidget* widget = driver.App()->GetMainWidget();
                if (GameState == State::Playing && widget->RoundTicks() != steeredAt) {
                    player.Steer();
                    steeredAt = widget->RoundTicks();
                }
                return false;
            },
            maxPasses);
    }

    // A slow display: each frame stands for five updates, so a level of play
    // takes few frames to draw.
    GameDriver driver{20};
};

TEST_F(GameAppTest, StartsUpThroughTheLoadingScreenToTheMainMenu) {
    GameApp& app = driver.Launch();
    EXPECT_EQ(GameState, State::Loading);
    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::MainMenu; }, kLoadingPasses));
    EXPECT_GT(app.loadTotal.load(), 100);
    EXPECT_EQ(app.loadDone.load(), app.loadTotal.load()) << "the bar reaches its end";

    // The menu fades in from black over half a second.
    driver.RunFrames(2);
    EXPECT_LT(game().screenFade, 1.0f);
    ASSERT_TRUE(driver.RunUntil([this] { return game().screenFade == 1.0f; }, 5000));
    driver.RunFrames(2);
    EXPECT_TRUE(driver.SaveFrame("main_menu.png"));

    const std::string log = driver.ReadFile("app.log");
    EXPECT_NE(log.find("*** SESSION STARTED ***"), std::string::npos);
    EXPECT_NE(log.find("Init()"), std::string::npos);
    EXPECT_EQ(log.find("Loading XML menu:  'Menu\\menu-credits.xml' ... FAILED"), std::string::npos);
    EXPECT_EQ(log.find("... FAILED"), std::string::npos) << log;
    // Defaults written on the first start: the language and an empty score table.
    EXPECT_NE(driver.ReadFile("config.ini").find("Name=ENGLISH"), std::string::npos);
    EXPECT_FALSE(driver.ReadFile("scores.ini").empty());
}

TEST_F(GameAppTest, ClassicFromTheMapThroughTheTutorialIntoLevelTwo) {
    LaunchToMainMenu();
    StartModeToMap("btnClassicGame");
    EXPECT_EQ(game().gameMode, Mode::Classic);
    EXPECT_TRUE(driver.SaveFrame("level_map.png"));
    StartLevelFromMap();
    EXPECT_EQ(game().levelNumber, 1);
    EXPECT_EQ(game().tutorialOn, 1);

    AutoPlayer player(game(), *driver.platform);
    ASSERT_TRUE(Play(player, [this] { return game().filledCount >= game().cellCount / 3; }, 400000));
    EXPECT_TRUE(driver.SaveFrame("level_1_in_play.png"));
    ASSERT_TRUE(Play(player, [] { return GameState != State::Playing; }, 800000));
    EXPECT_EQ(GameState, State::LevelAdvance);
    const int scoreAfterLevel1 = game().score;
    EXPECT_GT(scoreAfterLevel1, 0);

    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::Playing; }, 100000));
    EXPECT_EQ(game().levelNumber, 2);
    EXPECT_GT(game().score, scoreAfterLevel1) << "the level's rewards were added";
    EXPECT_NE(driver.ReadFile("config.ini").find("LastOpenedLevel=2"), std::string::npos);
}

} // namespace
