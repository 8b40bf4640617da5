#include "gameplay/support/GameTestSupport.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/EffectQueue.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kMaxTicks = 20000;

// The queued titles, sounds and particle bursts: kind, layer, delay from
// now, duration, place and text.
std::vector<std::string> QueuedShows(float now) {
    std::vector<std::string> shows;
    const EffectQueue& fx = TheEffectQueue();
    for (int i = 0; i < fx.Count(); ++i) {
        const EffectEntry& e = fx.Entry(i);
        if (e.kind != Effect::TitleSweep && e.kind != Effect::FadingTitle && e.kind != Effect::BurstTitle &&
            e.kind != Effect::Sound && e.kind != Effect::ParticleBurst)
            continue;
        char line[80];
        std::snprintf(line, sizeof line, "%d L%d +%.2f %.2f (%.2f,%.2f) ", e.kind, e.layer, e.start - now, e.duration,
                      e.x, e.y);
        shows.push_back(line + std::string(e.text));
    }
    return shows;
}

} // namespace

class RoundFlowTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        WriteClasses(8, 3);
        ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
        TheGameSeams().setGameSaved = [this](int32_t v) { savedFlags.push_back(v); };
    }
    void Level(int n, const std::string& time, const std::string& bonus = "false") {
        WriteLevel(n, {{"levelTime", time}, {"shapeClassCount", "4"}, {"lineSpeed", "0.03"},
                       {"lineShapeCount", "11"}, {"fBugAppearanceRange", "1000"}, {"bonusLevel", bonus}});
    }
    // Writes a level, starts it from the map and plays ticks until play proper begins.
    void StartPlaying(int level, int mode, const std::string& time = "60", const std::string& bonus = "false") {
        Level(level, time, bonus);
        StartFromMap(level, mode);
        ASSERT_EQ(game().phase, Phase::FadeIn);
        for (int i = 0; i < kMaxTicks && game().phase != Phase::Playing && GameState == State::Playing; ++i)
            PlayTick();
        ASSERT_EQ(game().phase, Phase::Playing);
    }
    // Plays the level from its start until the title comes up.
    std::vector<std::string> TitleOf(int level, const char* bonus) {
        Level(level, "60", bonus);
        game().levelNumber = level;
        SetGameState(State::LevelAdvance);
        game().StartLevel();
        for (int i = 0; i < kMaxTicks && game().phase != Phase::Title; ++i) PlayTick();
        return QueuedShows(Now());
    }
    void Ticks(int n) {
        for (int i = 0; i < n && GameState == State::Playing; ++i) PlayTick();
    }
    std::vector<int32_t> savedFlags;
};

TEST_F(RoundFlowTest, TheClockRunsOutDifferentlyInEachMode) {
    struct Case { int mode; const char* bonus; int warnings; bool gameOver; } cases[] = {
        {Mode::Classic, "false", 10, true}, {Mode::Transformer, "false", 10, true},
        {Mode::Relax, "false", 0, false},   {Mode::Classic, "true", 0, false}, // a bonus level
    };
    for (const Case& c : cases) {
        events.clear();
        savedFlags.clear();
        StartPlaying(2, c.mode, "12", c.bonus);
        Ticks(1600); // 16 s: four past the clock
        EXPECT_EQ(CountEvents("timeout"), c.warnings) << c.mode << c.bonus;
        EXPECT_EQ(GameState == State::GameOver, c.gameOver) << c.mode << c.bonus;
        EXPECT_EQ(CountEvents("game_over"), c.gameOver ? 1 : 0);
        EXPECT_EQ(savedFlags, c.gameOver ? std::vector<int32_t>{0} : std::vector<int32_t>{});
        EXPECT_TRUE(c.gameOver || game().timeLeft < -3.0f) << "the clock goes on below zero: " << game().timeLeft;
    }
}

// Play time starts nine tenths of a second after the title; a pause of
// thirty seconds then leaves the time left alone.
TEST_F(RoundFlowTest, APauseOfThirtySecondsLeavesTheTimeLeftAlone) {
    StartPlaying(2, Mode::Classic);
    PlayTick();
    EXPECT_GT(game().timeLeft, 60.0f);
    EXPECT_LT(game().playTimeElapsed, 0.0f);
    Ticks(100);
    EXPECT_NEAR(game().timeLeft, 60.0f - 0.1f, 0.02f);
    Ticks(400);
    const float before = game().timeLeft;
    SetGameState(State::Paused);
    Advance(10000);
    SetGameState(State::Options); // the options screen from the pause screen counts too
    Advance(20000);
    SetGameState(State::Paused);
    SetGameState(State::Playing);
    PlayTick();
    EXPECT_NEAR(game().timeLeft, before - 0.01f, 0.005f);
    EXPECT_EQ(OptionsFromPause, 1);
}

// The first level's guide holds the clock, the board and the panel until its
// shape is placed. Shapes thrown away meanwhile (Space, the discard button,
// the guided shape taken and thrown away, many times) must not leave the
// guided shape off the screen's edge.
TEST_F(RoundFlowTest, TheTutorialHoldsTheClockAndTheBoardUntilItsShapeIsPlaced) {
    StartPlaying(1, Mode::Classic);
    ASSERT_EQ(game().tutorialOn, 1);
    Ticks(300);
    const float timeLeft = game().timeLeft;
    const float cellY = game().cells[0].y;
    SetGameState(State::Paused); // a pause inside the tutorial must not count twice
    Advance(5000);
    SetGameState(State::Playing);
    for (int i = 0; i < 40; ++i) {
        game().HandleKey(Quill::VK_SPACE);
        game().DiscardShape();
        if (game().panelCount > game().tutorialPanelIndex) {
            const ShapeCell& guided = game().panel[game().tutorialPanelIndex];
            Pointer(guided.x, guided.y, Quill::MOUSE_LEFT);
            PlayTick();
            Pointer(guided.x, guided.y, 0);
            PlayTick();
        }
        game().DiscardShape();
    }
    Pointer(0.5f, 0.5f, 0);
    Ticks(1000);
    EXPECT_EQ(game().timeLeft, timeLeft);
    EXPECT_EQ(game().cells[0].y, cellY);
    EXPECT_EQ(GameState, State::Playing);
    ASSERT_EQ(game().tutorialOn, 1);
    ASSERT_GT(game().panelCount, game().tutorialPanelIndex);
    const ShapeCell& guided = game().panel[game().tutorialPanelIndex];
    EXPECT_LT(guided.x + guided.width / 2, 1.0f) << "the guided shape is on the screen, where a player can take it";
    const float settled = guided.x;
    Ticks(100);
    EXPECT_EQ(guided.x, settled) << "and stays put under its hint";

    AutoPlayer player(game(), *platform);
    ASSERT_TRUE(player.RunUntil([&] { return game().tutorialOn == 0; }, 2000));
    EXPECT_EQ(game().cells[4].filled, 1);
    const float afterTutorial = game().timeLeft;
    EXPECT_NEAR(afterTutorial, 60.0f, 1.0f) << "the time spent in the tutorial is not charged";
    Ticks(200); // the 0.9 s before play time starts still lie ahead
    EXPECT_NEAR(game().timeLeft, afterTutorial + 0.9f - 2.0f, 0.05f);
    EXPECT_NE(game().cells[0].y, cellY);
}

TEST_F(RoundFlowTest, AfterLevelSixTheMapElseTheNextLevelWithItsIntro) {
    for (int n : {5, 6, 7}) Level(n, "60");
    struct Case { int from; int state; int phase; } cases[] = {{6, State::LevelMap, Phase::Leaving},
                                                               {5, State::Playing, Phase::Intro}};
    for (const Case& c : cases) {
        game().levelNumber = c.from;
        game().lastOpenedLevel = 1;
        TheEffectQueue().Clear();
        SetGameState(State::LevelAdvance);
        game().NextLevel();
        EXPECT_EQ(GameState, c.state) << c.from;
        EXPECT_EQ(game().phase, c.phase) << c.from;
        EXPECT_EQ(game().levelNumber, c.from + 1);
        EXPECT_EQ(game().lastOpenedLevel, c.from + 1);
    }
    // A level started after another begins with its intro, then the title.
    PlayTick();
    EXPECT_EQ(game().phase, Phase::Title);
    EXPECT_EQ(CountEvents("shape_panel_in"), 1);
    Ticks(400);
    EXPECT_EQ(game().phase, Phase::Playing);
    EXPECT_EQ(CountEvents("level_start"), 1);
}

// A stalled frame makes several reveals due at once; none of their points is lost.
TEST_F(RoundFlowTest, TheLastLevelEndsInFifteenRevealsOfAThousand) {
    WriteClasses(16, 1);
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    Level(3, "60");
    game().levelNumber = 3;
    game().score = 500;
    SetGameState(State::LevelAdvance);
    game().NextLevel();
    ASSERT_EQ(GameState, State::GameComplete);
    EXPECT_EQ(savedFlags, std::vector<int32_t>{0});
    game().UpdateGameComplete();
    Advance(3000);
    game().UpdateGameComplete();
    Advance(10);
    game().UpdateGameComplete();
    EXPECT_EQ(game().revealedCount, 6);
    EXPECT_EQ(game().score, 500 + 6000);
    for (int frames = 0; frames < 2000 && !TheEffectQueue().Idle(); ++frames) {
        Advance(10);
        game().UpdateGameComplete();
    }
    EXPECT_EQ(game().score, 500 + 15 * 1000);
    EXPECT_EQ(game().revealedCount, 15);
    EXPECT_EQ(CountEvents("shape_chomp"), 15);
    EXPECT_EQ(CountEvents("game_complete"), 1);
}

// A bug caught on its way in, or at its meal, when the level ends turns round
// and walks off the screen, through the level-end screen and the end of the
// game alike, eating nothing on the way.
TEST_F(RoundFlowTest, ABugOutWhenTheLevelEndsWalksOff) {
    LoadPlainLevel(2);
    struct Case { int state; int bugState; } cases[] = {
        {State::LevelAdvance, 0}, {State::LevelAdvance, 1}, {State::GameComplete, 0}, {State::GameComplete, 1}};
    for (const Case& c : cases) {
        for (int i = 0; i < game().cellCount; ++i) game().cells[i].filled = 1;
        Bug& bug = game().bug;
        bug = Bug();
        bug.active = 1;
        bug.state = c.bugState;
        bug.targetCell = 3;
        bug.x = c.bugState == 0 ? bug.startX : game().cells[3].x;
        bug.y = c.bugState == 0 ? bug.startY : game().cells[3].y;
        bug.arrivedAt = Now();
        TheEffectQueue().Clear();
        if (c.state == State::GameComplete) {
            game().levelNumber = 4; // the next level's file is missing
            SetGameState(State::LevelAdvance);
            game().NextLevel();
            ASSERT_EQ(GameState, State::GameComplete);
        } else {
            SetGameState(State::LevelAdvance);
            TheEffectQueue().AddSoundEvent(100.0f, "later"); // the level-end screen stays
        }
        const float startX = bug.x;
        FrameTime = 0.01f;
        int frames = 0;
        for (; frames < 3000 && bug.active; ++frames) {
            Advance(10);
            if (c.state == State::GameComplete) game().UpdateGameComplete();
            else game().NextLevel();
            if (frames == 10) {
                EXPECT_GT(bug.x, startX) << "it moves on, to the right";
            }
        }
        EXPECT_FALSE(bug.active) << "state " << c.state << ", bug " << c.bugState << ": gone after " << frames;
        EXPECT_EQ(game().cells[3].filled, 1) << "it ate nothing on its way";
        EXPECT_EQ(CountEvents("shape_clear"), 0);
    }
}

TEST_F(RoundFlowTest, TitlesAndTheLevelsEndComeOnCue) {
    EXPECT_EQ(TitleOf(4, "false"), (std::vector<std::string>{"8 L1 +1.00 2.50 (0.59,0.39) Level N",
                                                            "8 L1 +1.00 2.50 (0.59,0.51) 4",
                                                            "7 L-1 +1.00 1.00 (0.00,0.00) level_start"}));
    EXPECT_EQ(TitleOf(5, "true"), std::vector<std::string>{"5 L1 +1.00 2.50 (0.59,0.45) Bonus Level"});

    struct Case { const char* bonus; std::vector<std::string> shows; } cases[] = {
        {"false", {"8 L1 +0.50 3.00 (0.59,0.45) Level Complete", "10 L1 +3.00 1.20 (0.45,0.45) ",
                   "10 L1 +3.00 1.20 (0.45,0.45) ", "10 L1 +3.00 1.20 (0.55,0.45) ", "10 L1 +3.00 1.20 (0.55,0.45) ",
                   "10 L1 +3.00 1.20 (0.65,0.45) ", "10 L1 +3.00 1.20 (0.65,0.45) ", "10 L1 +3.00 1.20 (0.75,0.45) ",
                   "10 L1 +3.00 1.20 (0.75,0.45) ", "7 L-1 +1.75 1.00 (0.00,0.00) emit_scores",
                   "7 L-1 +2.75 1.00 (0.00,0.00) collect_scores", "7 L-1 +3.40 1.00 (0.00,0.00) shape_panel_out"}},
        {"true", {"13 L1 +0.00 4.50 (0.59,0.45) Bonus!"}},
    };
    for (Case& c : cases) {
        StartPlaying(2, Mode::Classic, "60", c.bonus);
        for (int i = 0; i < game().cellCount; ++i) game().cells[i].filled = 1;
        TheEffectQueue().Clear();
        PlayTick();
        ASSERT_EQ(GameState, State::LevelAdvance);
        std::vector<std::string> shows = QueuedShows(Now());
        if (std::string(c.bonus) == "true") { // the rewards' own sounds are another test's
            shows.resize(1);
        }
        EXPECT_EQ(shows, c.shows) << c.bonus;
    }
}

TEST_F(RoundFlowTest, BackgroundsChangeEverySixLevelsAndRepeatEveryThirty) {
    struct Case { int level; const char* background; } cases[] = {
        {1, "01"}, {6, "01"}, {7, "02"}, {24, "04"}, {25, "05"}, {30, "05"}, {31, "01"}, {37, "02"}};
    for (const Case& c : cases) {
        game().levelNumber = c.level;
        game().StartLevel();
        EXPECT_EQ(std::string(game().nextBackgroundImage), std::string("Graphics\\back_game") + c.background + ".jpg")
            << c.level;
    }
}

// Bonus levels rise: every tick their cells sit one tick's worth of the line
// speed above where the scrolling puts them; a board that has risen away
// entirely is a lost bonus.
TEST_F(RoundFlowTest, BonusLevelsRiseAndEndWhenTheBoardHasRisenAway) {
    struct Case { const char* bonus; const char* time; float lift; } cases[] = {
        {"true", "60", 0.03f * 0.01f}, {"false", "60", 0}, {"true", "0", 0}};
    for (const Case& c : cases) {
        StartPlaying(2, Mode::Classic, c.time, c.bonus);
        PlayTick();
        const ShapeCell& cell = game().cells[11 + 3];
        float scrolled = game().scrollOffset + cell.restY;
        if (scrolled < Geometry::kFirstCellY) scrolled += 11 * Geometry::kCellSpacing;
        if (scrolled > Geometry::kFirstCellY + 11 * Geometry::kCellSpacing) scrolled -= 11 * Geometry::kCellSpacing;
        EXPECT_NEAR(scrolled - cell.y, c.lift, 1e-6f) << c.bonus << " " << c.time;
    }
    StartPlaying(2, Mode::Classic, "60", "true");
    game().lineShapeCount = 0; // the board stops scrolling: the rise adds up
    events.clear();
    for (int i = 0; i < kMaxTicks && GameState == State::Playing; ++i) PlayTick();
    EXPECT_EQ(GameState, State::LevelAdvance);
    EXPECT_EQ(CountEvents("no_bonus"), 1);
    EXPECT_EQ(QueuedShows(Now()).back(), "5 L1 +0.00 2.50 (0.59,0.45) No Bonus");
    for (int i = 0; i < game().cellCount; ++i) EXPECT_LE(game().cells[i].y + game().cells[i].height, 0) << i;
}
