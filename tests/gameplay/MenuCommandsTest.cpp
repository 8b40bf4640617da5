// The menu commands: which action does what in which screen state, the
// global keys, and the end of a game into the high scores.
#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/GameModes.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"

#include "engine/HighScoreTable.h"

#include <string>
#include <vector>

namespace {

class MenuCommandsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        GetHighScores().Reset();
        ShowFps = 0;
    }

    // Puts the game in `state` as the screens would have reached it from `from`.
    void Enter(int32_t from, int32_t state) {
        ResetGameState();
        GameState = from;
        SetGameState(state);
    }

    // ... and runs `action` there.
    void Run(int32_t from, int32_t state, const char* action) {
        Enter(from, state);
        RunMenuCommand(state, action);
    }
};

TEST_F(MenuCommandsTest, EachStateMapsItsActionsToTheirScreens) {
    using namespace State;
    struct Case { int32_t from, state; const char* action; int32_t expected; } cases[] = {
        {Loading, MainMenu, "procInstructions", Instructions1}, {Loading, MainMenu, "procHighScores", HighScores},
        {Loading, MainMenu, "procResume", MainMenu}, // not a main-menu action
        {Loading, MainMenu, "procoptions", MainMenu}, // compared byte-wise
        {LevelMap, Playing, "procMenu", Paused}, {Playing, Paused, "procResume", Playing},
        {MainMenu, HighScores, "procClear", ClearScoresConfirm}, {MainMenu, Options, "procCredits", Credits},
        {Paused, Options, "procClose", Paused}, {MainMenu, Options, "procClose", MainMenu},
        {MainMenu, Instructions1, "procPrevious", Instructions1},
        {Instructions1, Instructions2, "procNext", Instructions3},
        {Instructions2, Instructions3, "procPrevious", Instructions2},
        {Instructions2, Instructions3, "procClose", MainMenu}, {MainMenu, ContinueConfirm, "procCancel", MainMenu},
        {HighScores, ClearScoresConfirm, "procNo", HighScores}, {MainMenu, ContinueConfirm, "procNew", LevelMap},
        {Options, Credits, "procOk", Options}
    };
    for (const Case& c : cases) {
        Run(c.from, c.state, c.action);
        EXPECT_EQ(GameState, c.expected) << "state " << c.state << " action '" << c.action << "'";
    }
}

// Escape is each screen's back, close or cancel button; typing a name it
// cancels. Pausing and resuming play, leaving the map, the options, the first
// instructions, the credits and the score list are GameAppTest's
// EscapeIsEachScreensWayBack, played through the real screens.
TEST_F(MenuCommandsTest, EscapeIsTheWayBack) {
    using namespace State;
    struct Case { int32_t from, state; bool typing; int32_t expected; } cases[] = {
        {Paused, Options, false, Paused},          {Instructions1, Instructions2, false, MainMenu},
        {Instructions2, Instructions3, false, MainMenu}, {GameOver, HighScores, true, HighScores},
        {MainMenu, ContinueConfirm, false, MainMenu}, {HighScores, ClearScoresConfirm, false, HighScores},
        {Loading, MainMenu, false, MainMenu},
    };
    for (const Case& c : cases) {
        GetHighScores().Reset();
        if (c.typing) {
            ASSERT_TRUE(GetHighScores().InsertScore(500, ""));
        }
        Enter(c.from, c.state);
        ProcessMessage(MakeInputMessage(INPUT_KEY_DOWN, Quill::VK_ESCAPE, 0, 0));
        EXPECT_EQ(GameState, c.expected) << "state " << c.state;
        EXPECT_EQ(GetHighScores().needName, 0) << "state " << c.state;
        EXPECT_EQ(GetHighScores().lists[0][0].score, 0u) << "a typed entry is cancelled";
    }
}

// A mode button starts a new game at the map, or offers the saved one; a
// saved game that no longer reads when continued starts afresh.
TEST_F(MenuCommandsTest, EndingFromThePauseSavesAndTheModeButtonOffersTheSavedGame) {
    // Ending a game from the pause screen saves it and enters the score.
    LoadPlainLevel(2);
    game().gameMode = Mode::Transformer;
    game().score = 1234;
    Run(State::Playing, State::Paused, "procEnd");
    EXPECT_TRUE(game().HasSavedGame());
    EXPECT_EQ(GameState, State::HighScores) << "1234 enters the empty list";
    EXPECT_EQ(GetHighScores().insertList, Mode::Transformer);
    EXPECT_EQ(GetHighScores().lists[Mode::Transformer][0].score, 1234u);

    Run(State::Loading, State::MainMenu, "procTransformerGame");
    ASSERT_EQ(GameState, State::ContinueConfirm);
    WriteFile("saved.ini", "[Relax]\nData=0102\nIsGameSaved=01000000F0\n"); // the Transformer game's section
    RunMenuCommand(State::ContinueConfirm, "procLoad");
    EXPECT_EQ(GameState, State::LevelMap) << "not stuck on a question with no answer";
    EXPECT_EQ(game().score, 0);
}

// Answers that keep or drop what the player has: the score of a game played
// on after a game over, and the high scores on the clearing question.
TEST_F(MenuCommandsTest, ContinuingKeepsTheScoreAndOnlyYesClearsTheScores) {
    LoadPlainLevel(5);
    game().score = 4321;
    Run(State::Playing, State::GameOver, "procContinue");
    EXPECT_EQ(GameState, State::Playing);
    EXPECT_EQ(game().levelNumber * 100000 + game().score, 5 * 100000 + 4321) << "the same level, the score kept";

    for (const char* answer : {"procNo", "procYes"}) {
        GetHighScores().Reset();
        ASSERT_TRUE(GetHighScores().InsertScore(800, "Ada"));
        Run(State::HighScores, State::ClearScoresConfirm, answer);
        EXPECT_EQ(GameState, State::HighScores);
        EXPECT_EQ(GetHighScores().lists[Mode::Classic][0].score, std::string(answer) == "procYes" ? 0u : 800u)
            << answer;
    }
}

TEST_F(MenuCommandsTest, TheEndOfAGameEntersTheScoreWhenItQualifies) {
    struct Case { int32_t score; int32_t expected; uint32_t topScore; } cases[] = {
        {700, State::HighScores, 700u}, {-50, State::MainMenu, 0u}, // never a huge unsigned number at the top
    };
    for (const Case& c : cases) {
        GetHighScores().Reset();
        game().gameMode = Mode::Classic;
        game().score = c.score;
        TheEffectQueue().AddSoundEvent(5.0f, "late");
        Run(State::Playing, State::GameOver, "procExit");
        EXPECT_EQ(GameState, c.expected) << c.score;
        EXPECT_EQ(GetHighScores().lists[Mode::Classic][0].score, c.topScore) << c.score;
        EXPECT_TRUE(TheEffectQueue().Idle());
    }
}

TEST_F(MenuCommandsTest, LeavingTheHighScoresKeepsTheEntryUnderItsTypedOrALastName) {
    struct Case { const char* typed; const char* expectedName; uint32_t expectedScore; } cases[] = {
        {"", "Player", 900u}, {"Ada", "Ada", 900u}};
    for (const Case& c : cases) {
        GetHighScores().Reset();
        GetHighScores().SaveScores();
        game().score = 900;
        Run(State::Playing, State::GameComplete, "procMenu");
        ASSERT_EQ(GameState, State::HighScores);
        for (const char* p = c.typed; *p; ++p)
            ProcessMessage(MakeInputMessage(INPUT_CHAR, static_cast<uint32_t>(*p), 0, 0));
        RunMenuCommand(State::HighScores, "procClose");
        EXPECT_EQ(GameState, State::MainMenu);
        HighScoreTable& scores = GetHighScores();
        EXPECT_EQ(scores.needName, 0);
        ASSERT_TRUE(scores.LoadScores());
        EXPECT_STREQ(scores.lists[Mode::Classic][0].name, c.expectedName);
        EXPECT_EQ(scores.lists[Mode::Classic][0].score, c.expectedScore);
    }
}

} // namespace
