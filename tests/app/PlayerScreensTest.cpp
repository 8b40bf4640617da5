// What a player sees on the way through the game, driven headlessly through
// the real main loop: the info panel of each mode beside the main menu, the
// level title, the pause screen over a veiled board, a Relax level run past
// its time, and the end of the last level. The frames are saved beside the
// test programs (test-frames/); docs/screenshots/ holds copies of them.
#include "app/support/GameDriver.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr int kLoadingPasses = 200000;

std::string TextOf(const MenuScreen& screen, const char* name) {
    for (int i = 0; i < screen.textCount; ++i)
        if (std::strcmp(screen.texts[i].name, name) == 0) return screen.texts[i].text;
    return "(no text " + std::string(name) + ")";
}

// The mean brightness (0..255) of a rectangle of a 800 x 600 frame, in screen fractions.
double Brightness(const std::vector<uint32_t>& frame, float left, float top, float right, float bottom) {
    double sum = 0;
    int n = 0;
    for (int y = static_cast<int>(top * 600); y < static_cast<int>(bottom * 600); ++y)
        for (int x = static_cast<int>(left * 800); x < static_cast<int>(right * 800); ++x, ++n) {
            const uint32_t p = frame[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
            sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        }
    return n ? sum / n / 3.0 : 0;
}

class PlayerScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!driver.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
    }

    Game& game() { return TheGame(); }

    // A player who has reached `level` before, on a fresh run at the main menu.
    void LaunchWithLevelsOpen(int level) {
        testfiles::WriteText(driver.folder + "/config.ini",
                             "[LANGUAGE]\nName=ENGLISH\n[GAMEPLAY]\nLastOpenedLevel=" + std::to_string(level) + "\n");
        driver.Launch();
        ASSERT_TRUE(driver.RunUntil([] { return GameState == State::MainMenu; }, kLoadingPasses));
        ASSERT_TRUE(driver.RunUntil([this] { return game().screenFade == 1.0f; }, 5000));
    }

    // A mode's button, the stage on the map, and (through a test's shortcut)
    // `level` instead of the stage's first level; runs until the title shows.
    void StartLevel(const char* modeButton, const char* stageButton, int level) {
        ASSERT_TRUE(driver.Click(game().menuMain, modeButton));
        ASSERT_TRUE(driver.RunUntil([this] { return game().phase == Phase::Map && game().screenFade == 1.0f; }, 5000));
        ASSERT_TRUE(driver.Click(game().menuMap, stageButton));
        game().levelNumber = level;
        ASSERT_TRUE(driver.Click(game().menuMap, "btnStart"));
        ASSERT_EQ(GameState, State::Playing);
        ASSERT_TRUE(driver.RunUntil([this] { return game().phase == Phase::Title; }, 20000));
    }

    bool Play(const std::function<bool()>& done, int maxPasses) { return driver.Play(player, done, maxPasses); }

    void PointAt(const MenuScreen& screen, const char* button) {
        for (int i = 0; i < screen.buttonCount; ++i)
            if (std::strcmp(screen.buttons[i].name, button) == 0)
                driver.platform->MovePointer(static_cast<int>(screen.buttons[i].xc * 800),
                                             static_cast<int>(screen.buttons[i].yc * 600));
    }

    GameDriver driver{20}; // each frame stands for five updates
    AutoPlayer player{TheGame(), *driver.platform};
};

TEST_F(PlayerScreensTest, EachModeButtonFadesInItsOwnInfoPanel) {
    LaunchWithLevelsOpen(1);
    Game& g = game();
    MenuScreen* panels[] = {&g.menuInfoClassic, &g.menuInfoTransformer, &g.menuInfoRelax};
    const char* buttons[] = {"btnClassicGame", "btnTransformerGame", "btnRelaxGame"};
    // Cream pixels inside the panels' common place on the right.
    auto creamShare = [this] {
        const std::vector<uint32_t>& frame = driver.platform->LastFrame();
        int cream = 0, n = 0;
        for (int y = 200; y < 420; y += 4)
            for (int x = 420; x < 760; x += 4, ++n) {
                const uint32_t p = frame[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
                cream += ((p >> 16) & 0xFF) > 0xF0 && ((p >> 8) & 0xFF) > 0xD0 && (p & 0xFF) > 0x98;
            }
        return static_cast<double>(cream) / n;
    };
    driver.RunFrames(2);
    const double without = creamShare();
    for (int shown = 0; shown < 3; ++shown) {
        PointAt(g.menuMain, buttons[shown]);
        driver.RunFrames(10); // half a second: a quarter to fade in, with room to spare
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(panels[i]->fade, i == shown ? 1.0f : 0.0f) << buttons[shown] << " shows panel " << i;
        EXPECT_GT(creamShare(), without + 0.5) << buttons[shown];
        if (shown == 2) {
            EXPECT_TRUE(driver.SaveFrame("relax_info.png"));
        }
    }
    driver.platform->MovePointer(400, 40);
    driver.RunFrames(10);
    for (MenuScreen* panel : panels) EXPECT_EQ(panel->fade, 0.0f);
}

// The screens a player reads between games, one after the other from the
// main menu: each button leads where its caption says, and each screen's
// frame is kept to be looked at.
TEST_F(PlayerScreensTest, TheReadingScreensLeadFromOneToTheNext) {
    LaunchWithLevelsOpen(1);
    Game& g = game();
    struct Step { MenuScreen* screen; const char* button; int state; const char* frame; } steps[] = {
        {&g.menuMain, "btnInstructions", State::Instructions1, "instructions1.png"},
        {&g.menuInstructions, "btnNext", State::Instructions2, "instructions2.png"},
        {&g.menuInstructions2, "btnNext", State::Instructions3, "instructions3.png"},
        {&g.menuInstructions3, "btnClose", State::MainMenu, nullptr},
        {&g.menuMain, "btnOptions", State::Options, nullptr},
        {&g.menuOptions, "btnCredits", State::Credits, "credits.png"},
        {&g.menuCredits, "btnOk", State::Options, nullptr},
        {&g.menuOptions, "btnClose", State::MainMenu, nullptr},
        {&g.menuMain, "btnHighScores", State::HighScores, nullptr},
        {&g.menuHighScores, "btnClear", State::ClearScoresConfirm, "clear_scores.png"},
        {&g.menuClearConfirmation, "btnNo", State::HighScores, nullptr},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(driver.Click(*step.screen, step.button));
        ASSERT_EQ(GameState, step.state) << step.button;
        if (!step.frame) continue;
        driver.platform->MovePointer(5, 5);
        driver.RunFrames(2);
        EXPECT_TRUE(driver.SaveFrame(step.frame));
    }
}

// The title of a level in its full strength, then the pause screen: the
// board behind it is veiled, darker but still there.
TEST_F(PlayerScreensTest, TheLevelTitleAndThePauseScreenOverAVeiledBoard) {
    LaunchWithLevelsOpen(7);
    StartLevel("btnClassicGame", "btnStage2", 8);
    driver.RunFrames(40); // two seconds into the title: fully faded in
    ASSERT_EQ(game().phase, Phase::Title);
    EXPECT_TRUE(driver.SaveFrame("level_title.png"));

    ASSERT_TRUE(Play([this] { return game().phase == Phase::Playing && game().filledCount >= 3; }, 100000));
    driver.platform->SetPointerState(400, 300, 0);
    driver.RunFrames(2);
    const std::vector<uint32_t> playing = driver.platform->LastFrame();
    ASSERT_TRUE(driver.Click(game().menuInGame, "btnMenu"));
    ASSERT_EQ(GameState, State::Paused);
    driver.platform->MovePointer(400, 590);
    driver.RunFrames(2);
    EXPECT_TRUE(driver.SaveFrame("pause.png"));
    struct Area { const char* what; float left, top, right, bottom; } areas[] = {
        {"the board right of the pause panel", 0.89f, 0.1f, 0.99f, 0.8f},
        {"the score panel on the left", 0.01f, 0.1f, 0.15f, 0.6f}};
    for (const Area& a : areas) {
        const double before = Brightness(playing, a.left, a.top, a.right, a.bottom);
        const double after = Brightness(driver.platform->LastFrame(), a.left, a.top, a.right, a.bottom);
        EXPECT_LT(after, before * 0.6) << a.what << " is veiled";
        EXPECT_GT(after, before * 0.2) << a.what << " is still there";
    }
}

TEST_F(PlayerScreensTest, RelaxPlaysOnPastItsTimeWithoutAlarmOrNegativeClock) {
    LaunchWithLevelsOpen(7);
    StartLevel("btnRelaxGame", "btnStage2", 7);
    ASSERT_TRUE(Play([this] { return game().phase == Phase::Playing && game().filledCount >= 3; }, 100000));
    driver.platform->SetPointerState(400, 300, 0);
    driver.platform->Advance(static_cast<uint32_t>(game().timeLeft * 1000.0f) + 20000); // twenty seconds over
    driver.RunFrames(3);
    EXPECT_EQ(GameState, State::Playing) << "no game over in Relax";
    EXPECT_LT(game().timeLeft, -15.0f);
    EXPECT_EQ(TextOf(game().menuInGame, "txtTimeNum"), "0");
    EXPECT_TRUE(driver.SaveFrame("relax_after_time.png"));
}

// The last level won: the end screen names that level, the shapes are
// revealed, and a bug that was out when the level ended has gone.
TEST_F(PlayerScreensTest, TheLastLevelEndsOnTheGameCompleteScreen) {
    LaunchWithLevelsOpen(40);
    StartLevel("btnClassicGame", "btnStage7", 40);
    ASSERT_TRUE(Play([] { return GameState != State::Playing; }, 2000000));
    ASSERT_EQ(GameState, State::LevelAdvance);
    game().bug.active = 1; // caught on its way in as the level ended
    game().bug.state = 0;
    game().bug.x = game().bug.startX;
    game().bug.y = game().bug.startY;
    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::GameComplete; }, 100000));
    EXPECT_EQ(game().levelNumber, 40);
    ASSERT_TRUE(driver.RunUntil([] { return TheEffectQueue().Idle(); }, 100000));
    driver.RunFrames(2);
    EXPECT_EQ(TextOf(game().menuInGame, "txtLevelNum"), "40");
    EXPECT_EQ(game().revealedCount, 15);
    EXPECT_FALSE(game().bug.active) << "the bug walked off";
    EXPECT_TRUE(driver.SaveFrame("game_complete.png"));
}

} // namespace
