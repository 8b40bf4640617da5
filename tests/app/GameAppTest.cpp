// The whole game, driven headlessly through its real main loop on the
// manual clock, as a player would drive it: start-up, the menus and the
// screens read between games, a game of Classic from the level map through
// the first level into the second, pausing, saving and continuing, losing to
// the clock, the high-score name, the options and the way out.
#include "app/MainWidget.h"
#include "app/support/GameStory.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/GameSeams.h"
#include "gameplay/MenuCommands.h"

#include "engine/RandomInt.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kLoadingPasses = 200000;

class GameAppTest : public GameStory {
protected:
    // A player who reached stage 2 before: Classic from the main menu, level 7
    // (no tutorial) chosen on the map and started, a few shapes placed.
    void PlayLevelSevenABit() {
        ASSERT_TRUE(driver.LaunchToMainMenu(7));
        ASSERT_TRUE(driver.OpenLevelMap("btnClassicGame"));
        ASSERT_TRUE(driver.Click(game().menuMap, "btnStage2"));
        ASSERT_EQ(game().levelNumber, 7);
        StartLevel(nullptr);
        PlayABit(4);
        ASSERT_GT(game().score, 0);
    }
};

TEST_F(GameAppTest, StartsUpThroughTheLoadingScreenToTheMainMenu) {
    GameApp& app = driver.Launch();
    EXPECT_EQ(GameState, State::Loading);
    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::MainMenu; }, kLoadingPasses));
    EXPECT_GT(app.loadTotal.load(), 100);
    EXPECT_EQ(app.loadDone.load(), app.loadTotal.load()) << "the bar reaches its end";
    EXPECT_EQ(static_cast<DrivenGameApp&>(app).volumesSetElsewhere.load(), 0)
        << "the loading thread leaves the volumes to the main thread";
    EXPECT_DOUBLE_EQ(app.musicVolume, game().menuOptions.GetSliderValue("MusicVolume"));
    EXPECT_DOUBLE_EQ(app.sfxVolume, game().menuOptions.GetSliderValue("SfxVolume"));

    // The menu fades in from black over half a second.
    driver.RunFrames(2);
    EXPECT_LT(game().screenFade, 1.0f);
    ASSERT_TRUE(driver.RunUntil([this] { return game().screenFade == 1.0f; }, 5000));
    driver.RunFrames(2);
    EXPECT_TRUE(driver.SaveFrame("main_menu.png"));
    // The main menu in full: the Classic button's orange left of its caption.
    const uint32_t classic = driver.platform->LastFrame()[234 * 800 + 80];
    EXPECT_TRUE(((classic >> 16) & 0xFF) > 180 && (classic & 0xFF) < 120) << std::hex << classic;

    // F1 shows the frame rate in the corner.
    auto whiteInCorner = [this] {
        return MeanOver(0, 0, 90, 18, [](int r, int g, int b) { return r > 245 && g > 245 && b > 245; });
    };
    const double plain = whiteInCorner();
    driver.KeyDown(Quill::VK_F1);
    driver.RunFrames(1);
    EXPECT_EQ(ShowFps, 1);
    EXPECT_GT(whiteInCorner(), plain + 20.0 / (90 * 18)) << "white letters in the corner";
    EXPECT_TRUE(driver.SaveFrame("frame_rate.png"));
    // The high-score pages are titled by mode, Relax included.
    for (const auto& [mode, title] : {std::pair{Mode::Classic, "Classic"}, {Mode::Transformer, "Transformer"},
                                      {Mode::Relax, "Relax"}}) {
        game().gameMode = mode;
        SetGameState(State::HighScores);
        driver.RunFrames(1);
        EXPECT_EQ(TextOf(game().menuHighScores, "txtGameType"), title);
    }
    // An empty score table is written on the first start.
    EXPECT_FALSE(driver.ReadFile("scores.ini").empty());
}

TEST_F(GameAppTest, LoadingThatFailedEndsTheRunInsteadOfShowingTheMenu) {
    GameApp& app = driver.Launch();
    ASSERT_TRUE(driver.RunUntil([&] { return app.loadingFinished.load(); }, kLoadingPasses));
    app.loadingFailed = true;
    // The pass that sees the flag shuts down; whether an update (and with it
    // the hand-over) falls into that pass depends on the clock, so go on.
    for (int i = 0; i < 20 && !app.loadingHandled; ++i) {
        driver.platform->Advance(20);
        driver.Pump();
    }
    EXPECT_TRUE(app.shutdown && app.loadingHandled);
    EXPECT_EQ(GameState, State::Loading);
    driver.Close();
}

// A typed character reaches the menus sign-extended from its 8 bits.
TEST(MainWidgetTest, TypedCharactersAreSignExtended) {
    std::vector<uint32_t> seen;
    TheGameSeams().messageSeen = [&](const InputMessage& m) { seen.push_back(m.wParam); };
    MainWidget widget(nullptr);
    for (char c : {'A', '\x7f', '\xe9', '\xff'}) widget.KeyChar(c);
    TheGameSeams().messageSeen = nullptr;
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x41u, 0x7Fu, 0xFFFFFFE9u, 0xFFFFFFFFu}));
}

TEST_F(GameAppTest, ClassicFromTheMapThroughTheTutorialIntoLevelTwo) {
    ASSERT_TRUE(driver.LaunchToMainMenu());
    ASSERT_TRUE(driver.OpenLevelMap("btnClassicGame"));
    EXPECT_EQ(game().gameMode, Mode::Classic);
    EXPECT_TRUE(driver.SaveFrame("level_map.png"));
    StartLevel(nullptr);
    EXPECT_EQ(game().levelNumber, 1);
    EXPECT_EQ(game().tutorialOn, 1);

    ASSERT_TRUE(Play([] { return GameState != State::Playing; }, 800000));
    EXPECT_EQ(GameState, State::LevelAdvance);
    const int scoreAfterLevel1 = game().score;
    EXPECT_GT(scoreAfterLevel1, 0);

    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::Playing; }, 100000));
    EXPECT_EQ(game().levelNumber, 2);
    EXPECT_GT(game().score, scoreAfterLevel1) << "the level's rewards were added";
    EXPECT_NE(driver.ReadFile("config.ini").find("LastOpenedLevel=2"), std::string::npos);
}

// The focus lost in play pauses it, and the paused time is not taken from
// the clock. Lost to the clock, the game goes to the high scores with its
// music back. (Ending from the pause screen, continuing and the name typed
// into the list are the menu-command, saved-game and score-list tests'.)
TEST_F(GameAppTest, PausedByTheFocusAndLostToTheClock) {
    PlayLevelSevenABit();
    const float timeLeft = game().timeLeft;
    driver.Activate(false);
    EXPECT_EQ(GameState, State::Paused);
    driver.RunFrames(200); // ten seconds away
    driver.Activate(true);
    EXPECT_EQ(GameState, State::Paused) << "back only when the player says so";
    ASSERT_TRUE(driver.Click(game().menuPause, "btnResume"));
    EXPECT_EQ(GameState, State::Playing);
    driver.RunFrames(1);
    EXPECT_GT(game().timeLeft, timeLeft - 1.0f) << "the paused time is not taken from the clock";
    EXPECT_LT(game().timeLeft, timeLeft);

    // The player walks away; the clock runs on.
    driver.platform->Advance(static_cast<uint32_t>(game().timeLeft * 1000.0f) + 1000);
    ASSERT_TRUE(driver.RunUntil([] { return GameState == State::GameOver; }, 100));
    driver.RunFrames(2);
    EXPECT_TRUE(driver.SaveFrame("game_over.png"));
    ASSERT_TRUE(driver.Click(game().menuGameOver, "btnExit"));
    ASSERT_EQ(GameState, State::HighScores);
    EXPECT_DOUBLE_EQ(driver.App()->musicVolume, game().menuOptions.GetSliderValue("MusicVolume"))
        << "the music is back after the silence of the lost round";
    driver.Type("Ada");
    driver.KeyDown(Quill::VK_RETURN);
    driver.RunFrames(1);
    EXPECT_TRUE(driver.SaveFrame("high_scores.png"));
}

// However the program is closed in the middle of a level (its window closed,
// Alt+F4, a termination signal), the next start offers that level and score;
// "New" then fades out the question with the saved values still on it.
TEST_F(GameAppTest, ClosedInPlayTheNextStartOffersToContinue) {
    struct Way {
        const char* name;
        std::function<void(GameDriver&)> close;
    } ways[] = {
        {"window closed", [](GameDriver& d) { d.platform->InjectMessage(Quill::MSG_CLOSE); }},
        {"Alt+F4", [](GameDriver& d) { d.platform->InjectMessage(Quill::MSG_SYSKEYDOWN, Quill::VK_F4); }},
        {"SIGTERM", [](GameDriver&) { std::raise(SIGTERM); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        std::remove((driver.folder + "/saved.ini").c_str());
        PlayLevelSevenABit();
        const int score = game().score;
        way.close(driver);
        ASSERT_TRUE(driver.RunToShutdown(10));
        driver.Close();

        ASSERT_TRUE(driver.LaunchToMainMenu());
        ASSERT_TRUE(driver.Click(game().menuMain, "btnClassicGame"));
        ASSERT_EQ(GameState, State::ContinueConfirm);
        driver.RunFrames(1);
        EXPECT_EQ(TextOf(game().menuContinueConfirmation, "txtLevelNum"), "Level  7");
        EXPECT_EQ(TextOf(game().menuContinueConfirmation, "txtScoreNum"), "Score  " + std::to_string(score));
        ASSERT_TRUE(driver.Click(game().menuContinueConfirmation, "btnNew"));
        EXPECT_EQ(GameState, State::LevelMap);
        EXPECT_EQ(TextOf(game().menuContinueConfirmation, "txtLevelNum"), "Level  7") << "while it fades out";
        EXPECT_EQ(TextOf(game().menuContinueConfirmation, "txtScoreNum"), "Score  " + std::to_string(score));
        driver.Close();
    }
}

// A tap on a touchpad goes down and up between two frames; each one still
// takes the shape under it.
TEST_F(GameAppTest, InstantClicksTakeShapesFromThePanel) {
    PlayLevelSevenABit();
    int taken = 0;
    for (int click = 0; click < 10; ++click) {
        game().heldShape.shown = 0;
        // The first shape at rest at the left end of the panel.
        ASSERT_TRUE(driver.RunUntil([this] { return game().panelCount > 0 && game().panel[0].x < 0.31f; }, 2000));
        const ShapeCell& shape = game().panel[0];
        driver.platform->MovePointer(static_cast<int>(shape.x * 800.0f), static_cast<int>(shape.y * 600.0f));
        driver.platform->PressButton(Quill::MOUSE_LEFT);
        driver.platform->ReleaseButton(Quill::MOUSE_LEFT);
        MainWidget* widget = driver.App()->GetMainWidget();
        const uint32_t ticks = widget->RoundTicks();
        ASSERT_TRUE(driver.RunUntil([&] { return widget->RoundTicks() > ticks; }, 100));
        taken += game().heldShape.shown;
    }
    EXPECT_EQ(taken, 10);
}

// The screens a player reads between games, one after the other from the
// main menu: each button leads where its caption says, Escape is the way
// back on every screen that has one, and each screen's frame is kept to be
// looked at. Then into a level: Escape resumes play and pauses it.
TEST_F(GameAppTest, EscapeIsEachScreensWayBack) {
    ASSERT_TRUE(driver.LaunchToMainMenu());
    driver.Activate(false); // outside play a lost focus changes nothing
    EXPECT_EQ(GameState, State::MainMenu);
    driver.Activate(true);
    Game& g = game();
    struct Step {
        MenuScreen* screen;
        const char* button;
        int32_t state;
        const char* frame;    // saved when set
        int32_t escapeTo = 0; // Escape pressed then, when set
    } steps[] = {
        {&g.menuMain, "btnInstructions", State::Instructions1, "instructions1.png", State::MainMenu},
        {&g.menuMain, "btnOptions", State::Options, nullptr, State::MainMenu},
        {&g.menuMain, "btnOptions", State::Options, nullptr},
        // The credits close back to the options.
        {&g.menuOptions, "btnCredits", State::Credits, "credits.png", State::Options},
        {&g.menuOptions, "btnClose", State::MainMenu, nullptr},
        {&g.menuMain, "btnHighScores", State::HighScores, nullptr, State::MainMenu},
        {&g.menuMain, "btnClassicGame", State::LevelMap, nullptr, State::MainMenu},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.button);
        ASSERT_TRUE(driver.Click(*step.screen, step.button));
        ASSERT_EQ(GameState, step.state);
        if (step.frame) {
            driver.platform->MovePointer(5, 5);
            driver.RunFrames(2);
            EXPECT_TRUE(driver.SaveFrame(step.frame));
        }
        if (!step.escapeTo) continue;
        driver.KeyDown(Quill::VK_ESCAPE);
        EXPECT_EQ(GameState, step.escapeTo);
        driver.RunFrames(20);
        EXPECT_EQ(game().screenFade, 1.0f) << "the screen shows whole";
    }

    // Paused (by the lost focus) while the level fades in, the pause screen
    // shows whole, and so does the menu after the game is ended from it.
    ASSERT_TRUE(driver.OpenLevelMap("btnClassicGame"));
    ASSERT_TRUE(driver.Click(game().menuMap, "btnStart"));
    ASSERT_EQ(GameState, State::Playing);
    ASSERT_LT(game().screenFade, 1.0f);
    driver.Activate(false);
    ASSERT_EQ(GameState, State::Paused);
    driver.Activate(true);
    driver.RunFrames(1);
    EXPECT_EQ(game().screenFade, 1.0f);
    driver.KeyDown(Quill::VK_ESCAPE);
    EXPECT_EQ(GameState, State::Playing);
    driver.KeyDown(Quill::VK_ESCAPE);
    EXPECT_EQ(GameState, State::Paused);
    ASSERT_TRUE(driver.Click(game().menuPause, "btnEnd"));
    driver.RunFrames(30);
    EXPECT_NE(GameState, State::Paused);
    EXPECT_EQ(game().screenFade, 1.0f);
}

// The options act at once and are there in the next run. Alt+Enter switches
// the screen mode; the option box, config.ini and the settings follow the
// real mode each time.
TEST_F(GameAppTest, OptionsAndAltEnterActAtOnceAndAreThereInTheNextRun) {
    ASSERT_TRUE(driver.LaunchToMainMenu());
    GameApp* app = driver.App();
    EXPECT_FALSE(app->windowIsWindowed) << "full screen without a config.ini";
    EXPECT_TRUE(app->Is3DActive());
    ASSERT_TRUE(driver.Click(game().menuMain, "btnOptions"));
    ASSERT_EQ(GameState, State::Options);

    EXPECT_TRUE(game().menuOptions.IsButtonChecked("btnFullScreen")) << "the boxes show how the game runs";
    EXPECT_TRUE(game().menuOptions.IsButtonChecked("btn3DHardware"));
    ASSERT_TRUE(driver.Click(game().menuOptions, "btnFullScreen"));
    EXPECT_TRUE(app->windowIsWindowed);
    EXPECT_FALSE(driver.platform->IsFullscreen());
    for (const bool fullScreen : {true, false}) {
        driver.platform->InjectMessage(Quill::MSG_SYSKEYDOWN, Quill::VK_RETURN);
        driver.RunFrames(1);
        EXPECT_EQ(!app->windowIsWindowed, fullScreen);
        EXPECT_EQ(game().menuOptions.IsButtonChecked("btnFullScreen"), fullScreen);
        EXPECT_EQ(ReadOptionInt("OPTIONS", "btnFullScreen", -1), fullScreen ? 1 : 0);
        int32_t stored = -1;
        EXPECT_TRUE(app->RegistryReadInteger("ScreenMode", stored));
        EXPECT_EQ(stored, fullScreen ? 1 : 0);
    }
    ASSERT_TRUE(driver.Click(game().menuOptions, "btn3DHardware"));
    EXPECT_FALSE(app->Is3DActive());
    EXPECT_EQ(TheEffectQueue().ParticleCount(), 5);
    // The music slider's left end: the volume follows at once.
    const MenuSlider& music = game().menuOptions.sliders[0];
    ASSERT_STREQ(music.name, "MusicVolume");
    driver.ClickAt(static_cast<int>((music.xc - music.width * 0.45f) * 800), static_cast<int>(music.yc * 600));
    const float musicVolume = game().menuOptions.GetSliderValue("MusicVolume");
    EXPECT_LT(musicVolume, 0.2f);
    EXPECT_NEAR(app->musicVolume, musicVolume, 1e-6);
    EXPECT_TRUE(driver.SaveFrame("options.png"));
    ASSERT_TRUE(driver.Click(game().menuOptions, "btnClose"));
    ASSERT_TRUE(driver.Click(game().menuMain, "btnExit"));
    ASSERT_TRUE(driver.RunToShutdown(10));
    driver.Close();

    ASSERT_TRUE(driver.LaunchToMainMenu());
    EXPECT_TRUE(driver.App()->windowIsWindowed);
    EXPECT_FALSE(driver.App()->Is3DActive());
    EXPECT_EQ(TheEffectQueue().ParticleCount(), 5);
    EXPECT_NEAR(driver.App()->musicVolume, musicVolume, 1e-5);
    EXPECT_FALSE(game().menuOptions.IsButtonChecked("btnFullScreen"));
}

// Two starts of the program deal different games: the seed is not the
// platform clock, which counts from each start alike.
TEST(GameAppSeed, TwoStartsDealDifferentGames) {
    std::vector<int> deals[2];
    for (std::vector<int>& deal : deals) {
        GameDriver driver;
        if (!driver.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
        driver.Launch(true);
        for (int i = 0; i < 8; ++i) deal.push_back(RandomDraw());
        driver.Close();
    }
    EXPECT_NE(deals[0], deals[1]);
}

} // namespace
