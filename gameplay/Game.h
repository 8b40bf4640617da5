#pragma once
// The one game-state object: clocks, the shape panel, the board's cells, the
// held shape, the shape classes, the level's parameters, level number, score,
// mode and round phase, the tutorial, the board lines and the critters. It
// exists once per process (TheGame()), is never copied, and can be put back to
// its start-up state with Reset() so that every test starts clean.
//
// The operations are spread over one source file per topic: Board.cpp (board
// building, scrolling, drawing, hit tests), LevelFiles.cpp (classes.xml and
// the level files), Panel.cpp (the panel and the hand), Scoring.cpp (points and
// the bonus shapes), Critters.cpp (the bug and the butterflies) and
// RoundFlow.cpp (the life of a level, tick by tick), MenuScreens.cpp (the
// eighteen menu screens), GameModes.cpp (the modes and their start levels),
// SavedGame.cpp (one interrupted game per mode in saved.ini), Hud.cpp (the
// picture of play), LevelMap.cpp (the map between stages) and Hints.cpp (the
// pictures that guide the first level).
#include "gameplay/GameRecords.h"

#include "engine/MenuScreen.h"

#include <cstdint>

struct SavedGameRecord;

namespace Phase {
enum : int32_t { FadeIn = 0, Intro = 1, Title = 2, Playing = 3, Leaving = 6, Map = 7 };
}

namespace Mode {
enum : int32_t { Classic = 0, Transformer = 1, Relax = 2 };
}

// Levels come in stages of six; stage numbers above this are refused.
constexpr int32_t kLevelsPerStage = 6;
constexpr int32_t kMaxStage = 10000;

namespace Bonus {
enum : int32_t { None = 0, AnyShape = 1, Band = 2, Area = 3 };
}

// Board geometry, in fractions of the client area.
namespace Geometry {
constexpr float kFirstLineX = 0.29f;
constexpr float kLineSpacing = 0.11875f;
constexpr float kCellSpacing = 0.15833333f;
constexpr float kFirstCellY = -0.079166666f;
constexpr float kStagger = 0.08f;
constexpr float kCellWidth = 0.0890625f;
constexpr float kCellHeight = 0.11875f;
constexpr float kPanelEntryX = 1.059375f;
constexpr float kPanelY = 0.915f;
constexpr float kPanelStopX = 0.3f;
constexpr float kPanelSpacing = 0.11875f;
constexpr float kMiddleX = 0.59f;
constexpr int kMaxPanelInPlay = 10;
} // namespace Geometry

// The plain data of the game, kept apart from the class so that Reset() can
// put all of it back at once.
struct GameFields {
    // Clock (seconds of the platform clock).
    float now = 0;
    float previousTick = 0;
    float dt = 0;
    float levelStartTime = 0;
    float playStartTime = 0;
    float timeSinceLevelStart = 0;
    float playTimeElapsed = 0;
    float timeLeft = 0;
    float levelTime = 100.0f;

    ShapeCell panel[kPanelSlots];
    ShapeCell cells[kMaxCells];
    ShapeCell heldShape; // shown = holding

    int32_t panelCount = 0;
    int32_t cellCount = 0;
    float boardAlpha = 1.0f;

    ShapeClass classTable[kMaxClasses]; // from classes.xml
    int32_t classCount = 0;
    ShapeClass levelClasses[kMaxClasses]; // copies of the level's chosen classes

    int32_t shapeClassCount = 0;
    int32_t levelNumber = 1;
    int32_t score = 0;
    int32_t filledCount = 0;
    float newShapeTime = 0.1f;

    // The menu screens, in the order they are loaded (MenuScreens.cpp).
    MenuScreen menuMain, menuGameOver, menuHighScores, menuInGame, menuPause, menuOptions, menuMap;
    MenuScreen menuInfoClassic, menuInfoRelax, menuInfoTransformer, menuClearConfirmation;
    MenuScreen menuContinueConfirmation, menuGameComplete, menuInstructions, menuInstructions2;
    MenuScreen menuInstructions3, menuIntro, menuCredits;

    int32_t gameMode = Mode::Classic;
    int32_t levelClassicRelax = 1;
    int32_t levelTransformer = 1;
    int32_t phase = Phase::FadeIn;
    char backgroundImage[kNameSize] = {};
    char nextBackgroundImage[kNameSize] = {};
    char bonusLevel[kNameSize] = {};
    char shapeClassList[kNameSize] = {};

    float bonusAnyShapeP = 0.05f;
    float bonusBandP = 0.25f;
    float bonusAreaP = 0.25f;
    float progress = 0;
    float screenFade = 1.0f; // 1 fully shown, 0 black
    int32_t comboCount = 0;
    ShapeCell lastPlaced;
    int32_t timeoutWarnings = 0;
    float reveal[15] = {};
    int32_t revealedCount = 0;
    int32_t lastOpenedLevel = 1;
    // The star ring of the level map: where it stands or is travelling.
    float stageMarkerX = 0, stageMarkerY = 0;
    uint32_t shapesSpawned = 0;
    int32_t resumed = 0;
    float timeLeftAtResume = 0;
    int32_t tutorialOn = 0;
    int32_t tutorialStep = 0;
    int32_t tutorialPanelIndex = 4;
    int32_t tutorialCellIndex = 4;

    float lineSpeed = 0.03f;
    uint32_t lineShapeCount = 11;
    int32_t lineCount = kLineCount;
    float mouseX = 0, mouseY = 0;

    Butterfly butterflies[kButterflyCount];
    Bug bug;

    // Beside the board: the lines and their scroll values.
    BoardLine lines[kLineCount];
    int32_t linesLeft = kLineCount;
    int32_t boardReserved = 0;
    float scrollOffset = 0;
    int32_t previousPanelClass = 0;
    // Where each line is heading while lines close up (x once the tweens end).
    float lineTargetX[kLineCount] = {};

    // Pause bookkeeping: pauses nest (the tutorial and the pause screen).
    float pauseMoment = 0;
    int32_t pauseDepth = 0;
    int32_t butterfliesCreated = 0;
};

class Game : public GameFields {
public:
    Game() = default;
    virtual ~Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Everything back to its start-up value (tests, and nothing else).
    void Reset();

    // --- board (Board.cpp) ---
    // Replaces the cell table with 6 lines of lineShapeCount generated cells.
    void BuildBoard();
    // The six lines at their start places, linesLeft 6.
    void ResetLines();
    // Texture ids of every cell and panel shape from their class and shape.
    void ResolveImages();
    void ScrollLines();
    // The lines, then the cells.
    void DrawBoard();
    static bool OnPanelShape(const ShapeCell& s, float mx, float my);
    static bool OnCell(const ShapeCell& c, float mx, float my);
    // The image path a panel or held shape shows: its bonus image or its main image.
    const char* ShapeImagePath(const ShapeCell& s) const;

    // --- level files (LevelFiles.cpp) ---
    bool LoadShapeClasses(const char* fileName);
    void LoadLevel();
    // Whether the level's file loads as a level document.
    static bool LevelFileExists(int32_t level);

    // --- panel and placing (Panel.cpp) ---
    void SpawnPanelShape();
    bool PanelHasRoom() const;
    void MovePanel(float dt);
    bool TakeShape();
    void PlaceHeldShape(bool justTaken);
    void TransformHeldShape();
    void RemoveCompleteLines();
    void DiscardShape();
    // A key-down while playing (Space throws a shape away).
    void HandleKey(uint32_t key);

    // --- scoring (Scoring.cpp) ---
    void ApplyBonus(int32_t cellIndex, int32_t bonus);
    void ScorePlacement(int32_t cellIndex);
    void QueueRegularLevelRewards();
    void QueueBonusLevelRewards();
    static const char* BonusImagePath(int32_t bonus);

    // --- critters (Critters.cpp) ---
    void ResetBug();
    void BugArrivalCheck();
    void UpdateBug(float dt);
    void DrawBug() const;
    void UpdateButterflies(float dt);
    // The butterflies take their places (random) the first time they are needed.
    void EnsureButterflies();
    void DrawButterflies();

    // --- round flow (RoundFlow.cpp) ---
    void NewGame();
    void StartLevel();
    void UpdateRound(float frameTime);
    void NextLevel();
    void LeaveToMap();
    void FinishGame();
    // Each frame in GameComplete: the reveals and their points, then effects layer 2.
    void UpdateGameComplete();
    // Its two halves: the effects and the points of the reveals; the
    // revealed shapes and effects layer 2.
    void StepGameComplete();
    void DrawGameCompleteReveals() const;
    void SetPaused(bool on);
    bool IsBonusLevel() const;
    // Whether running out of time loses the level: a regular level outside
    // Relax. Only then does the player hear and see the time-out warnings.
    bool ClockCanRunOut() const;
    // The tutorial's guided shapes: cell and panel shape 4 of class 0.
    void SetupTutorialShapes();

    // --- menu screens (MenuScreens.cpp) ---
    // Loads the eighteen screens from "Menu\" in their fixed order; one that
    // fails stays empty (logged by the screen). Returns how many loaded.
    int LoadMenuScreens();
    // The screen that takes the input of a state; null for Loading and
    // LevelAdvance, which have none, and for unknown states.
    MenuScreen* StateScreen(int32_t state);

    // --- modes (GameModes.cpp) ---
    // A mode button: offers the mode's saved game (ContinueConfirm) when there
    // is one that reads back, else starts a new game of that mode.
    void StartMode(int32_t mode);
    // The start level the mode uses, one higher; above 40 it wraps to 1.
    void RaiseStartLevel(int32_t mode);

    // --- saved game (SavedGame.cpp) ---
    // Writes the running game to the current mode's section, then flags it.
    bool SaveGame();
    // Reads the mode's saved game. checkOnly takes its level and score only;
    // otherwise the level is started and the saved board put back. False
    // (logged) for a missing, damaged or implausible record.
    bool LoadSavedGame(bool checkOnly);
    // The mode's "IsGameSaved" flag reads back and is not 0.
    bool HasSavedGame() const;
    // Writes the mode's "IsGameSaved" flag (SetGameSaved without its seam).
    void WriteSavedFlag(int32_t value) const;

    // --- the picture of play (Hud.cpp) ---
    // Background, board, bug, effects, bottom bar, panel, frame, the in-game
    // screen with score, clock, level and progress, the hand and the hints.
    void DrawGameScreen();

    // --- level map and hints (LevelMap.cpp, Hints.cpp) ---
    // The last opened level from config.ini, when the key is there.
    void ReadLastOpenedLevel();
    // One frame of the LevelMap state: its logic and its picture.
    void DrawLevelMap();
    // Its two halves: the effects, the fade to the map, the marker's travel
    // and the stage locks; then the picture alone.
    void UpdateLevelMap();
    void DrawLevelMapPicture();
    // A "procStage<n>" action: the level becomes stage n's first, the marker
    // jumps to its button and the stage's sound plays. False (nothing done)
    // without a stage number in 1..kMaxStage.
    bool SelectStage(const char* action);
    // The first level's guide pictures, while the tutorial is on.
    void DrawHints();

private:
    void UpdateMapLocks();
    void DrawMapPicture();
    bool MapButtonCentre(int32_t index, float& x, float& y) const;
    void SetHudTexts();
    void DrawHudValues();
    bool RestoreBoard(const SavedGameRecord& record);
    void CompleteLevel();
    bool BonusDrift();
    void QueueTitle();
    // After the level's end: the bug, if out, heads for its exit and on.
    void BugWalksOff(float frameDt);
};

// The process-wide game.
Game& TheGame();
