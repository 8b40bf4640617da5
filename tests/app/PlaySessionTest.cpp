// The game playing itself: a demo's level recorded on one display schedule
// replays to the same board, score and phase on others, and the idle main
// menu starts a demo that a click ends, with the player's files untouched.
#include "app/GameApp.h"
#include "app/PlaySession.h"
#include "app/Recording.h"
#include "app/support/GameDriver.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kPasses = 400000;

// The files a demo must never write, as they stand.
struct PlayerFiles {
    std::string config, scores, saved;
    explicit PlayerFiles(const GameDriver& d)
        : config(d.ReadFile("config.ini")), scores(d.ReadFile("scores.ini")), saved(d.ReadFile("saved.ini")) {}
    void ExpectSameAs(const PlayerFiles& o) const {
        EXPECT_EQ(config, o.config) << "config.ini";
        EXPECT_EQ(scores, o.scores) << "scores.ini";
        EXPECT_EQ(saved, o.saved) << "saved.ini";
    }
};

// Files a player already has: options with progress, and a saved game that
// the game does not recognise (so it is only kept, never read).
void GiveThePlayerFiles(const GameDriver& d) {
    testfiles::WriteText(d.folder + "/config.ini",
                         "[LANGUAGE]\nName=ENGLISH\n[GAMEPLAY]\nLastOpenedLevel=2\n[VIDEO]\nBrightness=0.500000\n");
    testfiles::WriteText(d.folder + "/saved.ini", "; kept as it is\n");
}

// A new run of `d` that is to replay `recording` at `speed` times the pace of play.
DrivenGameApp& LaunchReplay(GameDriver& d, const Recording& recording, double speed) {
    DrivenGameApp& app = d.Launch();
    app.speedFactor = speed;
    app.replay = std::make_unique<Recording>(recording);
    return app;
}

TEST(PlaySessionTest, ADemoLevelRecordedOnOneScheduleReplaysAlikeOnOthers) {
    Recording recorded;
    int recordFrames = 0;
    {
        // A slow display: every frame stands for five steps.
        GameDriver d(20);
        if (!d.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
        GiveThePlayerFiles(d);
        DrivenGameApp& app = d.Launch();
        const PlayerFiles before(d);
        app.speedFactor = 4;
        app.demoLevel = 2;
        app.demoLevelLimit = 1;
        app.recordPath = d.folder + "/level2.rec";
        ASSERT_TRUE(d.RunToShutdown(kPasses));
        EXPECT_EQ(app.sessionReport.rfind("demo: 1 levels played", 0), 0u) << app.sessionReport;
        recordFrames = d.platform->PresentCount();
        std::string error;
        ASSERT_TRUE(Recording::Parse(d.ReadFile("level2.rec"), kGameVersion, recorded, error)) << error;
        EXPECT_TRUE(PlaySession::Summarize() == recorded.end);
        // The level was played to its end and the game moved on by itself.
        EXPECT_TRUE(recorded.end.state == State::LevelAdvance || recorded.end.state == State::GameOver)
            << recorded.end.state;
        EXPECT_EQ(recorded.level, 2);
        EXPECT_GT(recorded.endTick, 1000u);
        EXPECT_GT(recorded.inputs.size(), 20u);
        // Won or lost, the progress stays where the player left it.
        PlayerFiles(d).ExpectSameAs(before);
    }

    const struct Schedule {
        int hz;
        double speed;
    } schedules[] = {{75, 12}, {144, 40}, {30, 400}};
    for (const Schedule& s : schedules) {
        SCOPED_TRACE(s.hz);
        GameDriver d(s.hz);
        GiveThePlayerFiles(d);
        DrivenGameApp& app = LaunchReplay(d, recorded, s.speed);
        const PlayerFiles before(d);
        ASSERT_TRUE(d.RunToShutdown(kPasses));
        EXPECT_EQ(app.sessionExitCode, 0) << app.sessionReport;
        EXPECT_NE(app.sessionReport.find("as recorded"), std::string::npos) << app.sessionReport;
        const PlaySummary end = PlaySession::Summarize();
        EXPECT_TRUE(end == recorded.end) << s.hz << " Hz: level " << end.level << " score " << end.score << " state "
                                         << end.state << " board " << end.board;
        // Another schedule indeed: the frames drawn differ.
        EXPECT_NE(d.platform->PresentCount(), recordFrames);
        PlayerFiles(d).ExpectSameAs(before);
    }

    // The same input from another seed is not the same game: the replay
    // notices and says so.
    {
        GameDriver d(60);
        Recording other = recorded;
        other.seed ^= 1;
        DrivenGameApp& app = LaunchReplay(d, other, 20);
        ASSERT_TRUE(d.RunToShutdown(kPasses));
        EXPECT_EQ(app.sessionExitCode, 1) << app.sessionReport;
        EXPECT_NE(app.sessionReport.find("went its own way"), std::string::npos) << app.sessionReport;
    }
}

// A game played through the window's own events: the menus clicked, shapes
// carried with the mouse, Space pressed, the window's focus lost and the game
// ended from the pause screen. Its recording replays on another schedule.
TEST(PlaySessionTest, AGamePlayedByHandReplaysAlikeOnAnotherSchedule) {
    Recording recorded;
    {
        GameDriver d(20);
        if (!d.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
        DrivenGameApp& app = d.Launch();
        app.speedFactor = 3;
        app.recordPath = d.folder + "/hand.rec";
        std::string error;
        ASSERT_TRUE(app.PrepareRecording(error)) << error;
        ASSERT_TRUE(d.RunUntil([] { return GameState == State::MainMenu; }, kPasses));
        d.RunFrames(1);
        Game& game = TheGame();
        ASSERT_TRUE(d.Click(game.menuMain, "btnClassicGame"));
        ASSERT_TRUE(app.SessionStepping());
        ASSERT_TRUE(d.RunUntil([&] { return game.phase == Phase::Map && game.screenFade == 1.0f; }, kPasses));
        ASSERT_TRUE(d.Click(game.menuMap, "btnStart"));
        ASSERT_EQ(GameState, State::Playing);

        // The autoplayer's hand on the window's mouse and keyboard, once a pass.
        AutoPlayer hand(game);
        int spaces = 0;
        ASSERT_TRUE(d.RunUntil(
            [&] {
                if (game.filledCount >= 10 && spaces > 0) return true;
                const AutoPlayer::Move move = hand.Decide();
                d.platform->SetPointerState(move.x, move.y, move.buttons);
                if (move.space || (game.phase == Phase::Playing && !game.tutorialOn && spaces == 0)) {
                    d.platform->InjectMessage(Quill::MSG_KEYDOWN, Quill::VK_SPACE);
                    ++spaces;
                }
                return false;
            },
            kPasses));
        d.platform->SetPointerState(400, 300, 0);
        d.Activate(false);
        ASSERT_EQ(GameState, State::Paused);
        d.Activate(true);
        ASSERT_TRUE(d.Click(game.menuPause, "btnEnd"));
        EXPECT_FALSE(app.SessionStepping());
        ASSERT_TRUE(Recording::Parse(d.ReadFile("hand.rec"), kGameVersion, recorded, error)) << error;
        EXPECT_TRUE(recorded.end.state == State::HighScores || recorded.end.state == State::MainMenu);
        EXPECT_GT(recorded.end.score, 0);
        int kinds[RecordedInput::Digest + 1] = {};
        for (const RecordedInput& in : recorded.inputs) ++kinds[in.kind];
        EXPECT_GT(kinds[RecordedInput::Key], 0);
        EXPECT_GT(kinds[RecordedInput::Focus], 0);
        EXPECT_GT(kinds[RecordedInput::Click], 1);
        EXPECT_GT(kinds[RecordedInput::Pointer], 10);
    }
    GameDriver d(60);
    DrivenGameApp& app = LaunchReplay(d, recorded, 15);
    ASSERT_TRUE(d.RunToShutdown(kPasses));
    EXPECT_EQ(app.sessionExitCode, 0) << app.sessionReport;
    EXPECT_NE(app.sessionReport.find("as recorded"), std::string::npos) << app.sessionReport;
}

TEST(PlaySessionTest, TheIdleMainMenuStartsADemoThatAClickEnds) {
    const struct Case {
        const char* what;
        int moveAt; // steps after the menu showed; 0: the player never moves
        int startsAfter;
    } cases[] = {{"left alone", 0, 6000}, {"the mouse moved once", 3000, 9000}};
    for (const Case& c : cases) {
        GameDriver d(20);
        if (!d.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
        GiveThePlayerFiles(d);
        DrivenGameApp& app = d.Launch();
        app.speedFactor = 10;
        ASSERT_TRUE(d.RunUntil([] { return GameState == State::MainMenu; }, kPasses));
        const PlayerFiles before(d);
        Game& game = TheGame();
        const int32_t level = game.levelNumber, opened = game.lastOpenedLevel, start = game.levelClassicRelax;
        const int32_t shown = app.updateCount;
        if (c.moveAt > 0) {
            ASSERT_TRUE(d.RunUntil([&] { return app.updateCount - shown >= c.moveAt; }, kPasses));
            ASSERT_EQ(app.Session(), nullptr) << c.what;
            d.platform->MovePointer(10, 10);
        }
        ASSERT_TRUE(d.RunUntil([&] { return app.Session() != nullptr; }, kPasses)) << c.what;
        EXPECT_NEAR(app.updateCount - shown, c.startsAfter, 10) << c.what;
        EXPECT_EQ(app.Session()->GetKind(), PlaySession::Kind::Attract);
        EXPECT_STREQ(app.SessionCaption(), "Demo");

        // Through the real screens: the level map, then play, shapes placed.
        EXPECT_EQ(GameState, State::LevelMap) << c.what;
        ASSERT_TRUE(d.RunUntil([&] { return game.filledCount >= 3; }, kPasses)) << c.what;
        EXPECT_EQ(GameState, State::Playing);

        d.ClickAt(40, 40);
        EXPECT_EQ(app.Session(), nullptr) << c.what;
        EXPECT_EQ(GameState, State::MainMenu);
        EXPECT_EQ(game.levelNumber, level);
        EXPECT_EQ(game.lastOpenedLevel, opened);
        EXPECT_EQ(game.levelClassicRelax, start);
        EXPECT_EQ(game.score, 0);
        EXPECT_EQ(game.screenFade, 1.0f);
        d.RunFrames(3);
        PlayerFiles(d).ExpectSameAs(before);
    }
}

} // namespace
