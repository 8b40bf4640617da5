#include "gameplay/support/GameTestSupport.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/EffectQueue.h"
#include "gameplay/GameModes.h"
#include "gameplay/GameState.h"
#include "gameplay/SavedGame.h"

#include "engine/Config.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <cstddef>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr int kTickLimit = 60000;

// Every field of a shape but the two texture ids (the last two), which are looked up again.
void ExpectSameShape(const ShapeCell& a, const ShapeCell& b, const std::string& where) {
    EXPECT_EQ(std::memcmp(&a, &b, offsetof(ShapeCell, maskImage)), 0) << where;
}

struct Snapshot {
    ShapeCell panel[kPanelSlots];
    ShapeCell cells[kMaxCells];
    BoardLine lines[kLineCount];
    int32_t panelCount, cellCount, linesLeft, level, score;
    uint32_t spawned;
    float timeLeft;
};

} // namespace

class SavedGameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::error_code error;
        const fs::path source = fs::path(VELMORA_FIXTURES) / "gameplay";
        fs::copy(source / "classes.xml", fs::path(folder) / "classes.xml", error);
        fs::copy(source / "Levels", fs::path(folder) / "Levels", fs::copy_options::recursive, error);
        ASSERT_FALSE(error);
        ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    }

    // Starts `level` from the map and lets the player fill `placements`
    // cells, then pauses as the pause button does.
    void PlayAndPause(int level, int mode, int placements) {
        game().gameMode = mode;
        game().levelNumber = level;
        game().score = 0;
        SetGameState(State::LevelMap);
        game().StartLevel();
        AutoPlayer player(game(), *platform);
        ASSERT_TRUE(player.RunUntil(
            [&] { return game().phase == Phase::Playing && game().filledCount >= placements && !game().heldShape.shown; },
            kTickLimit));
        ASSERT_EQ(GameState, State::Playing);
        SetGameState(State::Paused);
    }

    Snapshot Take() const {
        const Game& g = TheGame();
        Snapshot s;
        std::memcpy(s.panel, g.panel, sizeof s.panel);
        std::memcpy(s.cells, g.cells, sizeof s.cells);
        std::memcpy(s.lines, g.lines, sizeof s.lines);
        s.panelCount = g.panelCount;
        s.cellCount = g.cellCount;
        s.linesLeft = g.linesLeft;
        s.level = g.levelNumber;
        s.score = g.score;
        s.spawned = g.shapesSpawned;
        s.timeLeft = g.timeLeft;
        return s;
    }

    void ExpectRestored(const Snapshot& s) {
        const Game& g = game();
        ASSERT_EQ(g.cellCount, s.cellCount);
        ASSERT_EQ(g.panelCount, s.panelCount);
        for (int i = 0; i < s.cellCount; ++i) ExpectSameShape(g.cells[i], s.cells[i], "cell " + std::to_string(i));
        for (int i = 0; i < s.panelCount; ++i) ExpectSameShape(g.panel[i], s.panel[i], "panel " + std::to_string(i));
        EXPECT_EQ(std::memcmp(g.lines, s.lines, sizeof s.lines), 0);
        EXPECT_EQ(g.linesLeft, s.linesLeft);
        EXPECT_EQ(g.levelNumber, s.level);
        EXPECT_EQ(g.score, s.score);
        EXPECT_EQ(g.shapesSpawned, s.spawned);
        EXPECT_EQ(g.phase, Phase::Playing);
        EXPECT_EQ(g.resumed, 1);
        EXPECT_EQ(GameState, State::Playing);
    }

    // Starts level 1 of Classic from the map and plays until its guide is on.
    void StartGuidedFirstLevel() {
        game().gameMode = Mode::Classic;
        game().levelNumber = 1;
        SetGameState(State::LevelMap);
        game().StartLevel();
        AutoPlayer player(game(), *platform);
        ASSERT_TRUE(player.RunUntil([&] { return game().tutorialOn == 1; }, kTickLimit));
    }

    bool ReadRecord(const char* section, SavedGameRecord& record) {
        return IniGetStruct(section, "Data", &record, sizeof record, "saved.ini");
    }
    bool Flag(const char* section, int32_t& value) {
        return IniGetStruct(section, "IsGameSaved", &value, sizeof value, "saved.ini");
    }
    bool Logged(const std::string& line) const {
        for (const std::string& l : logLines)
            if (l == line) return true;
        return false;
    }
};

TEST_F(SavedGameTest, EachModeKeepsItsGameInItsOwnSection) {
    struct Case {
        int mode;
        const char* section;
    } cases[] = {{Mode::Classic, "Classic"}, {Mode::Transformer, "Relax"}, {Mode::Relax, "Transformer"}};
    for (const Case& c : cases) {
        std::error_code ignored;
        fs::remove(fs::path(folder) / "saved.ini", ignored);
        PlayAndPause(2, c.mode, 4);
        ASSERT_TRUE(game().SaveGame());
        SavedGameRecord record;
        int32_t flag = 0;
        for (const char* section : {"Classic", "Relax", "Transformer"}) {
            const bool mine = std::strcmp(section, c.section) == 0;
            EXPECT_EQ(ReadRecord(section, record), mine) << c.mode << " " << section;
            EXPECT_EQ(Flag(section, flag), mine) << c.mode << " " << section;
        }
        EXPECT_EQ(flag, 1);
        ASSERT_TRUE(ReadRecord(c.section, record));
        // The block as stored: the level at byte 10560, the score after it.
        const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
        int32_t level = 0, score = 0;
        std::memcpy(&level, bytes + 10560, 4);
        std::memcpy(&score, bytes + 10564, 4);
        EXPECT_EQ(level, 2);
        EXPECT_EQ(score, game().score);
        EXPECT_TRUE(game().HasSavedGame());
    }
}

TEST_F(SavedGameTest, ContinuingRestoresTheBoardAndTheTimeLeftOfEveryMode) {
    for (int mode : {Mode::Classic, Mode::Transformer, Mode::Relax}) {
        PlayAndPause(2, mode, 6);
        const Snapshot saved = Take();
        ASSERT_TRUE(game().SaveGame());

        // A minute away, a fresh game object, then the continue screen.
        Advance(60000);
        game().Reset();
        ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
        game().gameMode = mode;
        SetGameState(State::ContinueConfirm);
        ASSERT_TRUE(game().HasSavedGame());
        ASSERT_TRUE(game().LoadSavedGame(true));
        EXPECT_EQ(game().levelNumber, saved.level);
        EXPECT_EQ(game().score, saved.score);
        EXPECT_EQ(game().cellCount, 0) << "a check reads level and score only";

        ASSERT_TRUE(game().LoadSavedGame(false));
        EXPECT_TRUE(Logged("Loading saved game..."));
        ExpectRestored(saved);
        PlayTick();
        EXPECT_NEAR(game().timeLeft, saved.timeLeft - 0.01f, 0.02f) << "time away does not count, mode " << mode;
        EXPECT_EQ(game().phase, Phase::Playing);
        // The board scrolls on from where it stood.
        const float span = static_cast<float>(game().lineShapeCount) * Geometry::kCellSpacing;
        for (int i = 0; i < saved.cellCount; ++i) {
            float moved = std::fabs(game().cells[i].y - saved.cells[i].y);
            moved = std::fmin(moved, std::fabs(moved - span));
            EXPECT_LT(moved, 0.002f) << "cell " << i << " mode " << mode;
        }
    }
    // The last continued level plays on to its end and into the next.
    const int before = game().score;
    AutoPlayer player(game(), *platform);
    ASSERT_TRUE(player.RunUntil([] { return GameState != State::Playing; }, kTickLimit));
    EXPECT_EQ(GameState, State::LevelAdvance);
    EXPECT_EQ(game().filledCount, game().cellCount);
    EXPECT_GT(game().score, before);
    ASSERT_TRUE(player.RunUntil([] { return GameState != State::LevelAdvance; }, 2000));
    EXPECT_EQ(game().levelNumber, 3);
}

TEST_F(SavedGameTest, LosingARestoredGameClearsOnlyItsOwnMode) {
    PlayAndPause(2, Mode::Classic, 2);
    ASSERT_TRUE(game().SaveGame());
    game().gameMode = Mode::Transformer;
    ASSERT_TRUE(game().SaveGame());

    game().gameMode = Mode::Classic;
    SetGameState(State::ContinueConfirm);
    ASSERT_TRUE(game().LoadSavedGame(false));
    Advance(static_cast<uint32_t>(game().levelTime * 1000.0f));
    PlayTick();
    ASSERT_EQ(GameState, State::GameOver);

    int32_t flag = -1;
    ASSERT_TRUE(Flag("Classic", flag));
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(game().HasSavedGame());
    ASSERT_TRUE(Flag("Relax", flag));
    EXPECT_EQ(flag, 1) << "the Transformer game is still there";
    SavedGameRecord record;
    EXPECT_TRUE(ReadRecord("Classic", record)) << "the record stays, only the flag goes";
}

TEST_F(SavedGameTest, ADamagedOrHostileSaveIsNoSavedGame) {
    PlayAndPause(2, Mode::Classic, 2);
    ASSERT_TRUE(game().SaveGame());
    SavedGameRecord good;
    ASSERT_TRUE(ReadRecord("Classic", good));
    std::ifstream in(fs::path(folder) / "saved.ini");
    const std::string goodFile((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    using Change = std::function<void(SavedGameRecord&)>;
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        Change change;
    } records[] = {
        {"panel count above the panel", [](SavedGameRecord& r) { r.panelCount = 11; }},
        {"negative panel count", [](SavedGameRecord& r) { r.panelCount = -1; }},
        {"cell count above the table", [](SavedGameRecord& r) { r.cellCount = 181; }},
        {"negative cell count", [](SavedGameRecord& r) { r.cellCount = -66; }},
        {"seven lines left", [](SavedGameRecord& r) { r.linesLeft = 7; }},
        {"level 0", [](SavedGameRecord& r) { r.levelNumber = 0; }},
        {"a level no one reaches", [](SavedGameRecord& r) { r.levelNumber = 0x7FFFFFFF; }},
        {"negative score", [](SavedGameRecord& r) { r.score = -5; }},
        {"a score at the int's edge", [](SavedGameRecord& r) { r.score = 0x7FFFFFF0; }},
        {"NaN cell position", [nan](SavedGameRecord& r) { r.cells[3].x = nan; }},
        {"huge panel position", [](SavedGameRecord& r) { r.panel[0].y = 1e30f; }},
        {"infinite clock", [](SavedGameRecord& r) { r.playTimeElapsed = INFINITY; }},
        {"NaN clock", [nan](SavedGameRecord& r) { r.timeSinceLevelStart = nan; }},
        {"class beyond the table", [](SavedGameRecord& r) { r.cells[0].classIndex = kMaxClasses; }},
        {"negative shape", [](SavedGameRecord& r) { r.panel[0].shape = -1; }},
        {"unknown bonus", [](SavedGameRecord& r) { r.panel[0].bonus = 4; }},
        {"line fade above one", [](SavedGameRecord& r) { r.lines[2].fade = 2.0f; }},
        {"NaN line position", [nan](SavedGameRecord& r) { r.lines[5].x = nan; }},
    };
    using Text = std::function<std::string(std::string)>;
    struct TextCase {
        const char* what;
        Text change;
    } texts[] = {
        {"no file", [](std::string) { return std::string(); }},
        {"one byte short", [](std::string s) { return s.erase(s.find("Data=") + 5, 2); }},
        {"bad checksum", [](std::string s) {
             size_t end = s.find('\n', s.find("Data="));
             s[end - 1] = s[end - 1] == '0' ? '1' : '0';
             return s;
         }},
        {"not hexadecimal", [](std::string s) { return s.replace(s.find("Data=") + 9, 1, "Z"); }},
        {"no Data key", [](std::string s) { return s.replace(s.find("Data="), 4, "Date"); }},
    };

    auto expectRefused = [&](const std::string& what) {
        logLines.clear();
        game().levelNumber = 17;
        game().score = 123;
        EXPECT_FALSE(game().LoadSavedGame(true)) << what;
        EXPECT_EQ(game().levelNumber, 17) << what;
        EXPECT_EQ(game().score, 123) << what;
        EXPECT_TRUE(Logged("File 'saved.ini' is corrupted!")) << what;
        // The mode button then starts a new game instead of offering this one.
        SetGameState(State::MainMenu);
        game().StartMode(Mode::Classic);
        EXPECT_EQ(GameState, State::LevelMap) << what;
        EXPECT_FALSE(game().LoadSavedGame(false)) << what;
        EXPECT_EQ(GameState, State::LevelMap) << what;
    };
    for (const Case& c : records) {
        SavedGameRecord record = good;
        c.change(record);
        ASSERT_TRUE(IniSetStruct("Classic", "Data", &record, sizeof record, "saved.ini"));
        expectRefused(c.what);
    }
    for (const TextCase& c : texts) {
        std::ofstream(fs::path(folder) / "saved.ini", std::ios::binary) << c.change(goodFile);
        int32_t flag = 1;
        IniSetStruct("Classic", "IsGameSaved", &flag, sizeof flag, "saved.ini");
        expectRefused(c.what);
    }
}

TEST_F(SavedGameTest, ASaveThatNoLongerFitsItsLevelStartsTheLevelAfresh) {
    PlayAndPause(2, Mode::Classic, 3);
    ASSERT_TRUE(game().SaveGame());
    SavedGameRecord good;
    ASSERT_TRUE(ReadRecord("Classic", good));
    struct Case {
        const char* what;
        std::function<void(SavedGameRecord&)> change;
    } cases[] = {
        {"fewer cells than the level builds", [](SavedGameRecord& r) { r.cellCount = 60; }},
        {"a class the level does not use", [](SavedGameRecord& r) { r.cells[5].classIndex = 12; }},
        {"a shape its class lacks", [](SavedGameRecord& r) { r.panel[1].shape = 9; }},
    };
    for (const Case& c : cases) {
        SavedGameRecord record = good;
        c.change(record);
        ASSERT_TRUE(IniSetStruct("Classic", "Data", &record, sizeof record, "saved.ini"));
        logLines.clear();
        SetGameState(State::ContinueConfirm);
        ASSERT_TRUE(game().LoadSavedGame(false)) << c.what;
        EXPECT_EQ(GameState, State::Playing) << c.what;
        EXPECT_EQ(game().levelNumber, 2);
        EXPECT_EQ(game().score, good.score) << "the score is kept";
        EXPECT_EQ(game().resumed, 0) << c.what;
        EXPECT_EQ(game().phase, Phase::Intro) << c.what;
        EXPECT_EQ(game().cellCount, 66);
        for (int i = 0; i < game().cellCount; ++i) EXPECT_EQ(game().cells[i].filled, 0) << c.what;
        EXPECT_TRUE(Logged("Saved game does not fit level 2; the level starts afresh")) << c.what;
    }
}

TEST_F(SavedGameTest, ModeButtonsOfferTheSavedGameOnlyWhileItsFlagIsSet) {
    PlayAndPause(2, Mode::Transformer, 2);
    const int savedScore = game().score;
    ASSERT_TRUE(game().SaveGame());
    struct Case {
        int mode;
        int32_t flag;
        int state;
    } cases[] = {
        {Mode::Transformer, 1, State::ContinueConfirm},
        {Mode::Transformer, 0, State::LevelMap},
        {Mode::Classic, 1, State::LevelMap},
        {Mode::Relax, 1, State::LevelMap},
    };
    for (const Case& c : cases) {
        game().gameMode = Mode::Transformer;
        game().WriteSavedFlag(c.flag);
        game().levelNumber = 30;
        game().score = 0;
        SetGameState(State::MainMenu);
        game().StartMode(c.mode);
        EXPECT_EQ(GameState, c.state) << c.mode << " flag " << c.flag;
        EXPECT_EQ(game().gameMode, c.mode);
        if (c.state == State::ContinueConfirm) {
            EXPECT_EQ(game().levelNumber, 2);
            EXPECT_EQ(game().score, savedScore);
        } else {
            EXPECT_EQ(game().levelNumber, 1) << "a new game at the start level";
            EXPECT_EQ(game().score, 0);
        }
    }
    game().StartMode(7);
    EXPECT_EQ(game().gameMode, Mode::Relax) << "no such mode: nothing changes";
}

TEST_F(SavedGameTest, AGameSavedDuringTheFirstLevelsGuideKeepsTheClockItShowed) {
    StartGuidedFirstLevel();
    Advance(20000); // the player reads the hint for a while
    PlayTick();
    const float shown = game().timeLeft;
    SetGameState(State::Paused);
    ASSERT_TRUE(game().SaveGame());

    game().Reset();
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    SetGameState(State::ContinueConfirm);
    ASSERT_TRUE(game().LoadSavedGame(false));
    PlayTick();
    EXPECT_NEAR(game().timeLeft, shown - 0.01f, 0.02f);
}

TEST_F(SavedGameTest, AGameContinuedAfterLeavingTheFirstLevelsGuideIsNotHeldByIt) {
    // The player leaves level 1 from the pause screen while its guide is on,
    // then, in the same run, continues that saved game.
    StartGuidedFirstLevel();
    SetGameState(State::Paused);
    ASSERT_TRUE(game().SaveGame());
    SetGameState(State::MainMenu);

    SetGameState(State::ContinueConfirm);
    ASSERT_TRUE(game().LoadSavedGame(false));
    EXPECT_EQ(game().tutorialOn, 0) << "a restored game starts in play, without the guide";
    const float timeLeft = game().timeLeft;
    const float cellY = game().cells[0].y;
    for (int i = 0; i < 100; ++i) PlayTick();
    EXPECT_NEAR(game().timeLeft, timeLeft - 1.0f, 0.05f) << "the clock runs";
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

    SetGameState(State::ContinueConfirm);
    ASSERT_TRUE(game().LoadSavedGame(false));
    for (int i = 0; i < 150; ++i) PlayTick();
    const float settled = Geometry::kFirstLineX + Geometry::kLineSpacing;
    EXPECT_LT(game().lines[1].fade, 0.01f) << "the removed line is gone, not left half faded";
    EXPECT_FLOAT_EQ(game().lines[0].x, settled);
    for (int32_t c = 0; c < n; ++c) EXPECT_FLOAT_EQ(game().cells[c].x, settled) << "cell " << c;
    EXPECT_FLOAT_EQ(game().lines[2].x, Geometry::kFirstLineX + 2 * Geometry::kLineSpacing);
}
