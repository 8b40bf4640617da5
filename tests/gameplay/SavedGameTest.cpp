#include "gameplay/support/GameTestSupport.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/EffectQueue.h"
#include "gameplay/GameModes.h"
#include "gameplay/GameState.h"
#include "gameplay/SavedGame.h"

#include "engine/Config.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr int kTickLimit = 60000;

// Every field of a shape but the two texture ids (the last two), which are looked up again.
bool SameShapes(const ShapeCell* a, const ShapeCell* b, int count) {
    for (int i = 0; i < count; ++i)
        if (std::memcmp(&a[i], &b[i], offsetof(ShapeCell, maskImage)) != 0) return false;
    return true;
}

} // namespace

class SavedGameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_TRUE(UseContent());
    }

    // Starts `level` from the map and lets the player play until `done`.
    void PlayUntil(int level, int mode, const std::function<bool()>& done) {
        StartFromMap(level, mode);
        AutoPlayer player(game(), *platform);
        ASSERT_TRUE(player.RunUntil(done, kTickLimit));
    }
    // ... until `placements` cells are filled, lets `moreTicks` pass, then
    // pauses as the pause button does.
    void PlayAndPause(int level, int mode, int placements, int moreTicks = 0) {
        PlayUntil(level, mode, [&] {
            return game().phase == Phase::Playing && game().filledCount >= placements && !game().heldShape.shown;
        });
        for (int i = 0; i < moreTicks && GameState == State::Playing; ++i) PlayTick();
        SetGameState(State::Paused);
    }
    // "Continue" on the question the mode button asks.
    bool Continue() {
        SetGameState(State::ContinueConfirm);
        return game().LoadSavedGame(false);
    }

    bool ReadRecord(const char* section, SavedGameRecord& record) {
        return IniGetStruct(section, "Data", &record, sizeof record, "saved.ini");
    }
    bool Flag(const char* section, int32_t& value) {
        return IniGetStruct(section, "IsGameSaved", &value, sizeof value, "saved.ini");
    }
};

TEST_F(SavedGameTest, EachModeSavesToItsOwnSectionAndContinuesWhereItStood) {
    const std::pair<int, const char*> modes[] = {
        {Mode::Classic, "Classic"}, {Mode::Transformer, "Relax"}, {Mode::Relax, "Transformer"}};
    for (const auto& [mode, section] : modes) {
        std::error_code ignored;
        fs::remove(fs::path(folder) / "saved.ini", ignored);
        PlayAndPause(2, mode, 6, 500);
        const auto s = std::make_unique<GameFields>(game());
        ASSERT_LT(s->timeLeft, s->levelTime - 4.0f) << "the clock has run a while, so a restart would show";
        ASSERT_TRUE(game().SaveGame());
        SavedGameRecord record;
        int32_t flag = 0;
        for (const char* other : {"Classic", "Relax", "Transformer"})
            EXPECT_EQ(ReadRecord(other, record) && Flag(other, flag), std::strcmp(other, section) == 0) << other;
        ASSERT_TRUE(ReadRecord(section, record) && Flag(section, flag));
        EXPECT_EQ(flag, 1);
        // The block as stored: the level at byte 10560, the score after it.
        int32_t levelAndScore[2];
        std::memcpy(levelAndScore, reinterpret_cast<const uint8_t*>(&record) + 10560, 8);
        EXPECT_EQ(levelAndScore[0], s->levelNumber);
        EXPECT_EQ(levelAndScore[1], s->score);

        Advance(60000); // a minute away, then a fresh game object as after a restart
        game().Reset();
        ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
        game().gameMode = mode;
        SetGameState(State::ContinueConfirm);
        ASSERT_TRUE(game().LoadSavedGame(true));
        EXPECT_EQ(game().cellCount, 0) << "a check reads level and score only";
        ASSERT_TRUE(game().LoadSavedGame(false));
        const Game& g = game();
        EXPECT_TRUE(Logged("Loading saved game..."));
        ASSERT_EQ(g.cellCount, s->cellCount);
        ASSERT_EQ(g.panelCount, s->panelCount);
        EXPECT_TRUE(SameShapes(g.cells, s->cells, s->cellCount));
        EXPECT_TRUE(SameShapes(g.panel, s->panel, s->panelCount));
        EXPECT_EQ(std::memcmp(g.lines, s->lines, sizeof s->lines), 0);
        EXPECT_EQ(g.levelNumber * 1000000 + g.score, s->levelNumber * 1000000 + s->score);
        EXPECT_EQ(g.linesLeft * 1000 + g.resumed, s->linesLeft * 1000 + 1);
        EXPECT_EQ(g.shapesSpawned, s->shapesSpawned);
        EXPECT_EQ(GameState, State::Playing);
        PlayTick();
        EXPECT_NEAR(g.timeLeft, s->timeLeft - 0.01f, 0.02f) << "time away does not count, mode " << mode;
        EXPECT_EQ(g.phase, Phase::Playing);
        // The board scrolls on from where it stood.
        const float span = static_cast<float>(g.lineShapeCount) * Geometry::kCellSpacing;
        for (int i = 0; i < s->cellCount; ++i) {
            const float moved = std::fabs(g.cells[i].y - s->cells[i].y);
            EXPECT_LT(std::fmin(moved, std::fabs(moved - span)), 0.002f) << "cell " << i << " mode " << mode;
        }
    }
    // The last continued level plays on to its end and into the next.
    const int before = game().score;
    AutoPlayer player(game(), *platform);
    ASSERT_TRUE(player.RunUntil([] { return GameState != State::Playing; }, kTickLimit));
    EXPECT_EQ(GameState, State::LevelAdvance);
    EXPECT_GT(game().score, before);
    ASSERT_TRUE(player.RunUntil([] { return GameState != State::LevelAdvance; }, 2000));
    EXPECT_EQ(game().levelNumber, 3);
}

TEST_F(SavedGameTest, LosingARestoredGameClearsOnlyItsOwnModesFlagAndTheModeButtonsFollowTheFlags) {
    PlayAndPause(2, Mode::Classic, 2);
    ASSERT_TRUE(game().SaveGame());
    game().gameMode = Mode::Transformer;
    ASSERT_TRUE(game().SaveGame());
    const int savedScore = game().score;

    game().gameMode = Mode::Classic;
    ASSERT_TRUE(Continue());
    Advance(static_cast<uint32_t>(game().levelTime * 1000.0f));
    PlayTick();
    ASSERT_EQ(GameState, State::GameOver);
    int32_t classic = -1, transformer = -1;
    ASSERT_TRUE(Flag("Classic", classic) && Flag("Relax", transformer));
    EXPECT_EQ(classic * 10 + transformer, 1) << "the Transformer game is still there";
    SavedGameRecord record;
    EXPECT_TRUE(ReadRecord("Classic", record)) << "the record stays, only the flag goes";

    const std::pair<int, int> buttons[] = {{Mode::Classic, State::LevelMap}, {Mode::Relax, State::LevelMap},
                                           {Mode::Transformer, State::ContinueConfirm}};
    for (const auto& [mode, state] : buttons) {
        game().levelNumber = 30;
        game().score = 0;
        SetGameState(State::MainMenu);
        game().StartMode(mode);
        EXPECT_EQ(GameState, state) << mode;
        EXPECT_EQ(game().gameMode, mode);
        const bool offered = state == State::ContinueConfirm;
        EXPECT_EQ(game().levelNumber, offered ? 2 : 1) << "a new game starts at the start level";
        EXPECT_EQ(game().score, offered ? savedScore : 0);
    }
    game().StartMode(7);
    EXPECT_EQ(game().gameMode, Mode::Transformer) << "no such mode: nothing changes";
}

// A damaged or hostile save is no saved game; one that reads well but no
// longer fits its level keeps its score and starts the level afresh.
TEST_F(SavedGameTest, ADamagedOrHostileSaveIsNoSavedGame) {
    PlayAndPause(2, Mode::Classic, 3);
    ASSERT_TRUE(game().SaveGame());
    SavedGameRecord good;
    ASSERT_TRUE(ReadRecord("Classic", good));
    std::ifstream in(fs::path(folder) / "saved.ini");
    const std::string goodFile((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    struct Change { const char* what; std::function<void(SavedGameRecord&)> change; bool afresh = false; } records[] = {
        {"seven lines left", [](SavedGameRecord& r) { r.linesLeft = 7; }},
        {"a level no one reaches", [](SavedGameRecord& r) { r.levelNumber = 0x7FFFFFFF; }},
        {"a score at the int's edge", [](SavedGameRecord& r) { r.score = 0x7FFFFFF0; }},
        {"NaN cell position", [](SavedGameRecord& r) { r.cells[3].x = std::nanf(""); }},
        {"huge clock", [](SavedGameRecord& r) { r.playTimeElapsed = 1e30f; }},
        {"unknown bonus", [](SavedGameRecord& r) { r.panel[0].bonus = 4; }},
        {"line fade above one", [](SavedGameRecord& r) { r.lines[2].fade = 2.0f; }},
        {"fewer cells than the level builds", [](SavedGameRecord& r) { r.cellCount = 60; }, true},
        {"a class the level does not use", [](SavedGameRecord& r) { r.cells[5].classIndex = 12; }, true},
    };
    const std::pair<const char*, std::function<std::string(std::string)>> texts[] = {
        {"no file", [](std::string) { return std::string(); }},
        {"one byte short", [](std::string s) { return s.erase(s.find("Data=") + 5, 2); }},
        {"bad checksum", [](std::string s) {
             const size_t end = s.find('\n', s.find("Data="));
             s[end - 1] = s[end - 1] == '0' ? '1' : '0';
             return s;
         }},
    };

    auto expectRefused = [&](const std::string& what) {
        logLines.clear();
        game().levelNumber = 17;
        game().score = 123;
        EXPECT_FALSE(game().LoadSavedGame(true)) << what;
        EXPECT_EQ(game().levelNumber * 1000 + game().score, 17123) << what;
        EXPECT_TRUE(Logged("File 'saved.ini' is corrupted!")) << what;
        // The mode button then starts a new game instead of offering this one.
        SetGameState(State::MainMenu);
        game().StartMode(Mode::Classic);
        EXPECT_FALSE(game().LoadSavedGame(false)) << what;
        EXPECT_EQ(GameState, State::LevelMap) << what;
    };
    for (const Change& c : records) {
        SavedGameRecord record = good;
        c.change(record);
        ASSERT_TRUE(IniSetStruct("Classic", "Data", &record, sizeof record, "saved.ini"));
        if (!c.afresh) {
            expectRefused(c.what);
            continue;
        }
        logLines.clear();
        ASSERT_TRUE(Continue()) << c.what;
        EXPECT_EQ(game().score, good.score) << "the score is kept";
        EXPECT_EQ(game().phase * 1000 + game().resumed, Phase::Intro * 1000) << "not resumed, " << c.what;
        const ShapeCell* cells = game().cells;
        EXPECT_EQ(std::count_if(cells, cells + game().cellCount, [](const ShapeCell& x) { return x.filled; }), 0);
        EXPECT_TRUE(Logged("Saved game does not fit level 2; the level starts afresh")) << c.what;
    }
    for (const auto& [what, change] : texts) {
        std::ofstream(fs::path(folder) / "saved.ini", std::ios::binary) << change(goodFile);
        int32_t flag = 1;
        IniSetStruct("Classic", "IsGameSaved", &flag, sizeof flag, "saved.ini");
        expectRefused(what);
    }
}

TEST_F(SavedGameTest, AGameSavedDuringTheFirstLevelsGuideKeepsItsClockAndPlaysOnWithoutTheGuide) {
    PlayUntil(1, Mode::Classic, [&] { return game().tutorialOn == 1; });
    Advance(20000); // the player reads the hint for a while
    PlayTick();
    const float shown = game().timeLeft;
    SetGameState(State::Paused);
    ASSERT_TRUE(game().SaveGame());
    SetGameState(State::MainMenu);

    // Continued in the same run, the guide's hold on the level must not linger.
    ASSERT_TRUE(Continue());
    EXPECT_EQ(game().tutorialOn, 0);
    const float cellY = game().cells[0].y;
    for (int i = 0; i < 100; ++i) PlayTick();
    EXPECT_NEAR(game().timeLeft, shown - 1.01f, 0.05f) << "the clock runs on from what it showed";
    EXPECT_NE(game().cells[0].y, cellY) << "the lines scroll";
}

TEST_F(SavedGameTest, LinesStillClosingUpAreRestoredWhereTheyComeToRest) {
    // The player pauses and ends the game in the second after a line went:
    // the line is still fading and its neighbour still on its way.
    PlayAndPause(2, Mode::Classic, 0);
    SetGameState(State::Playing);
    const int32_t n = static_cast<int32_t>(game().lineShapeCount);
    int32_t target = n;
    while (target < 2 * n - 1 && !(game().cells[target].y > 0.1f && game().cells[target].y < 0.8f)) ++target;
    game().cells[target].filled = 0;
    PlaceOn(target, Bonus::Band);
    ASSERT_EQ(game().lines[1].removed, 1);
    RunEffects(300);
    SetGameState(State::Paused);
    ASSERT_TRUE(game().SaveGame());

    ASSERT_TRUE(Continue());
    for (int i = 0; i < 150; ++i) PlayTick();
    const float settled = Geometry::kFirstLineX + Geometry::kLineSpacing;
    EXPECT_LT(game().lines[1].fade, 0.01f) << "the removed line is gone, not left half faded";
    for (int32_t c = 0; c < n; ++c) EXPECT_FLOAT_EQ(game().cells[c].x, settled) << "cell " << c;
    EXPECT_FLOAT_EQ(game().lines[2].x, Geometry::kFirstLineX + 2 * Geometry::kLineSpacing);
}

// A shape in the hand when the game is saved is back at the front of the
// panel on continuing, with the shapes behind it spaced as the panel spaces them.
TEST_F(SavedGameTest, TheShapeInTheHandIsSavedOnThePanel) {
    PlayUntil(2, Mode::Classic, [&] { return game().phase == Phase::Playing && game().panelCount >= 2; });
    game().heldShape = game().panel[--game().panelCount]; // the last one, taken
    game().heldShape.shown = 1;
    game().heldShape.x = 0.5f; // wherever the pointer carried it
    game().heldShape.y = 0.4f;
    const ShapeCell held = game().heldShape;
    const int panelCount = game().panelCount;
    SetGameState(State::Paused);
    ASSERT_TRUE(game().SaveGame());

    game().Reset();
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    ASSERT_TRUE(Continue());
    ASSERT_EQ(game().panelCount, panelCount + 1);
    EXPECT_EQ(game().heldShape.shown, 0);
    const ShapeCell& front = game().panel[0];
    EXPECT_EQ(front.classIndex * 1000 + front.shape * 10 + front.bonus,
              held.classIndex * 1000 + held.shape * 10 + held.bonus);
    EXPECT_FLOAT_EQ(front.x, Geometry::kPanelStopX);
    EXPECT_FLOAT_EQ(front.y, Geometry::kPanelY);
    for (int i = 1; i < game().panelCount; ++i)
        EXPECT_GE(game().panel[i].x - game().panel[i - 1].x, Geometry::kPanelSpacing - 1e-6f) << "shape " << i;
}
