#pragma once
// Play on fixed steps, for the game's demos, recordings and replays. While a
// session runs, the game moves on in steps of exactly 10 ms of game time, one
// per framework update, whatever the display's rate or the machine's speed:
// the game's clock is the step count, its pointer and buttons are what the
// session hands it for the step, and every key or click it acts on is taken
// in between two steps. The same seed and the same input on the same steps
// then give the same game, step for step.
//
// Four kinds:
// - Record: the player plays; the next new game the player starts is written
//   to a file (Recording) as it is played, until it ends.
// - Replay: a recorded game is played back from its file; the window's own
//   input is ignored.
// - Demo: the autoplayer plays every level of every mode, one after another,
//   through the real screens (level map, level start, play).
// - Attract: a demo of one level of the current mode, started by the idle
//   main menu; any key or click ends it and the menu comes back as it was.
// Demos and replays never write the player's files.
#include "app/Recording.h"

#include "gameplay/EngineCalls.h"

#include "engine/InputMessage.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class AutoPlayer;
struct GameFields;

class PlaySession {
public:
    enum class Kind { Record, Replay, Demo, Attract };
    // How a session ended.
    enum class Outcome { Running, Done, Diverged };

    // A session that writes the next new game to `path`. Null (with a
    // message) when the file cannot be written.
    static std::unique_ptr<PlaySession> Record(const std::string& path, std::string& error);
    // Plays `recording` back from the main menu.
    static std::unique_ptr<PlaySession> Replay(const Recording& recording);
    // A demo from `level` of `mode` (Demo or Attract), its random numbers
    // from `seed`. `recordPath`, when given, also records the demo's first game.
    static std::unique_ptr<PlaySession> Demo(Kind kind, int32_t mode, int32_t level, uint32_t seed,
                                             const std::string& recordPath = "");
    ~PlaySession();
    PlaySession(const PlaySession&) = delete;
    PlaySession& operator=(const PlaySession&) = delete;

    Kind GetKind() const { return kind; }
    // The game is on fixed steps (a Record session waits for its game first).
    bool Stepping() const { return stepping; }
    Outcome GetOutcome() const { return outcome; }
    // Steps run since the session's game began.
    uint32_t Tick() const { return tick; }

    // Starts the demo or the replay (from the main menu, loading done).
    void Begin();
    // A new game is about to start (Record begins its recording here).
    void NewGameStarting();
    // One step of 10 ms.
    void Step();
    // A key or mouse event from the window. True when the session took it
    // (the game must not see it); a Record session passes it on itself.
    bool Input(const InputMessage& m);
    // A press or release of the window for the hand in play (MouseButton as
    // a number); true when the session took care of it.
    bool Button(int32_t button, bool down);
    // The window lost the focus; true when the session took care of it.
    bool FocusLost();
    // Ends the session: a recording gets its end line; an attract demo
    // puts the main menu back as it was.
    void Finish();

    // After a demo: levels ended, levels won. After a replay: the line that
    // tells how it went.
    int Levels() const { return levels; }
    int Wins() const { return wins; }
    const std::string& Report() const { return report; }
    // Demo only: stop (Done) after this many levels have ended; 0 = never.
    void SetLevelLimit(int n) { levelLimit = n; }

    // Where the game stands now.
    static PlaySummary Summarize();

private:
    explicit PlaySession(Kind kind);
    // Fixed steps from here: clock, input, random numbers and the game's
    // leftovers from earlier play put in a known state, then a new game.
    void StartGame(int32_t mode, int32_t level, uint32_t seed, int32_t opened, int32_t particles, bool callNewGame);
    void Deliver(const InputMessage& m);
    void Write(const std::string& line);
    void WriteInput(RecordedInput::Kind kind, int32_t a, int32_t b = 0, int32_t c = 0);
    void EndRecording();
    void ReplayInputs();
    void DemoDirector();
    void ClickMapStart();
    void NextDemoGame(bool nextMode);
    void WatchLevelEnd(int32_t before);
    void RunStateLogic();
    void Restore();

    Kind kind;
    bool stepping = false;
    Outcome outcome = Outcome::Running;
    uint32_t tick = 0;
    EngineCalls::SteppedInput input;

    // Recording (Record, or a demo asked to record its first game).
    std::FILE* file = nullptr;
    std::string recordPath;
    uint32_t checksum = 0;
    uint32_t lastButtons = ~0u;
    int32_t lastX = -1000000, lastY = -1000000;

    // Replay.
    Recording recording;
    size_t nextInput = 0;

    // Demo.
    std::unique_ptr<AutoPlayer> player;
    int32_t demoMode = 0;
    int32_t demoLevel = 1;
    uint32_t demoSeed = 0;
    int levels = 0;
    int wins = 0;
    int levelLimit = 0;
    uint32_t waitSteps = 0;  // steps left before the demo moves on
    uint32_t levelSteps = 0; // steps in the current level
    bool levelOver = false;

    // Attract: the menu as it was.
    std::unique_ptr<GameFields> savedGame;
    int32_t savedState = 0, savedPrevious = 0;
    unsigned savedRandom = 0;
    int savedParticles = 10;

    std::string report;
};
