#include "app/PlaySession.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/MouseButtonEdges.h"
#include "engine/RandomInt.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"

#include "framework/platform/Files.h"
#include "framework/platform/Platform.h"

#include <cinttypes>
#include <cstring>

namespace {

constexpr uint32_t kStepMs = 10;
// Every session's game clock starts here, well clear of zero (the round flow
// takes a clock of 0 for "not started").
constexpr uint32_t kClockStart = 10000;
constexpr uint32_t kDigestEvery = 100;
// The attract demo shows how its level ended for three seconds.
constexpr uint32_t kAttractLinger = 300;
// After a lost level or the game's end the demo shows it for two seconds.
constexpr uint32_t kDemoLinger = 200;
// A level the autoplayer has not finished in 20 minutes of game time is
// counted as lost, so a stuck level cannot hold the demo for ever.
constexpr uint32_t kGiveUpSteps = 120000;
constexpr int32_t kLastDemoLevel = 40;

const char* const kModeNames[] = {"Classic", "Transformer", "Relax"};

const char* ModeName(int32_t mode) { return mode >= 0 && mode <= 2 ? kModeNames[mode] : "?"; }

int32_t& StartLevelOf(Game& g, int32_t mode) {
    return mode == Mode::Transformer ? g.levelTransformer : g.levelClassicRelax;
}

void DigestCell(uint32_t& hash, const ShapeCell& c) {
    const int32_t numbers[] = {c.classIndex, c.shape, c.shown, c.filled, c.bonus};
    const float place[] = {c.x, c.y};
    hash = DigestBytes(hash, numbers, sizeof numbers);
    hash = DigestBytes(hash, place, sizeof place);
}

bool EndsPlay(int32_t state) { return state == State::MainMenu || state == State::HighScores; }

} // namespace

PlaySession::PlaySession(Kind k) : kind(k) {}

PlaySession::~PlaySession() {
    if (file) EndRecording();
    if (stepping) EngineCalls::SetSteppedInput(nullptr);
}

std::unique_ptr<PlaySession> PlaySession::Record(const std::string& path, std::string& error) {
    std::unique_ptr<PlaySession> session(new PlaySession(Kind::Record));
    session->recordPath = path;
    session->file = Quill::OpenFile(path, "wb");
    if (!session->file) {
        error = "cannot write the recording '" + path + "'";
        return nullptr;
    }
    return session;
}

std::unique_ptr<PlaySession> PlaySession::Replay(const Recording& recording) {
    std::unique_ptr<PlaySession> session(new PlaySession(Kind::Replay));
    session->recording = recording;
    return session;
}

std::unique_ptr<PlaySession> PlaySession::Demo(Kind kind, int32_t mode, int32_t level, uint32_t seed,
                                               const std::string& recordPath) {
    std::unique_ptr<PlaySession> session(new PlaySession(kind));
    session->demoMode = mode;
    session->demoLevel = level;
    session->demoSeed = seed;
    if (!recordPath.empty()) {
        session->recordPath = recordPath;
        session->file = Quill::OpenFile(recordPath, "wb");
        if (!session->file) return nullptr;
    }
    return session;
}

PlaySummary PlaySession::Summarize() {
    const Game& g = TheGame();
    PlaySummary s;
    s.state = GameState;
    s.phase = g.phase;
    s.level = g.levelNumber;
    s.score = g.score;
    uint32_t hash = kDigestStart;
    for (int32_t i = 0; i < g.cellCount && i < kMaxCells; ++i) DigestCell(hash, g.cells[i]);
    for (int32_t i = 0; i < g.panelCount && i < kPanelSlots; ++i) DigestCell(hash, g.panel[i]);
    DigestCell(hash, g.heldShape);
    const int32_t counts[] = {g.cellCount, g.panelCount, g.linesLeft, g.comboCount};
    const float clocks[] = {g.timeLeft, g.scrollOffset};
    hash = DigestBytes(hash, counts, sizeof counts);
    s.board = DigestBytes(hash, clocks, sizeof clocks);
    return s;
}

void PlaySession::Begin() {
    Game& g = TheGame();
    if (kind == Kind::Record) return;
    // Demos and replays play the real game but leave the player's files alone.
    HoldPlayerFiles(true);
    if (kind == Kind::Replay) {
        StartGame(recording.mode, recording.level, recording.seed, recording.opened, recording.particles, true);
        AppLogf(LogTime, "Replaying a recorded %s game from level %d", ModeName(recording.mode),
                static_cast<int>(recording.level));
        return;
    }
    if (kind == Kind::Attract) {
        savedGame = std::make_unique<GameFields>(static_cast<const GameFields&>(g));
        savedState = GameState;
        savedPrevious = PreviousGameState();
        savedRandom = RandomState();
        savedParticles = TheEffectQueue().ParticleCount();
    }
    player = std::make_unique<AutoPlayer>(g);
    if (kind == Kind::Demo) {
        std::printf("demo: playing from %s level %d\n", ModeName(demoMode), static_cast<int>(demoLevel));
        std::fflush(stdout);
    }
    StartGame(demoMode, demoLevel, demoSeed, g.lastOpenedLevel, TheEffectQueue().ParticleCount(), true);
}

void PlaySession::NewGameStarting() {
    if (kind != Kind::Record || stepping || outcome != Outcome::Running || !file) return;
    Game& g = TheGame();
    const uint32_t seed = RandomState() ^ (Quill::GetPlatform().Ticks() * 2654435761u);
    StartGame(g.gameMode, StartLevelOf(g, g.gameMode), seed, g.lastOpenedLevel, TheEffectQueue().ParticleCount(),
              false);
    AppLogf(LogTime, "Recording this game to '%s'", recordPath.c_str());
}

void PlaySession::StartGame(int32_t mode, int32_t level, uint32_t seed, int32_t opened, int32_t particles,
                            bool callNewGame) {
    Game& g = TheGame();
    const bool first = !stepping;
    if (first) {
        input = EngineCalls::SteppedInput();
        input.clockMs = kClockStart;
        EngineCalls::SetSteppedInput(&input);
        stepping = true;
        tick = 0;
        // The butterflies take their random places now, not in the middle
        // of the game's sequence the first time a menu is drawn.
        g.EnsureButterflies();
        SeedRandom(seed);
    }
    input.buttons = 0;
    ResetMouseButtonEdges();
    EffectQueue& fx = TheEffectQueue();
    fx.Clear();
    fx.SetParticleCount(particles);
    // What earlier play may have left behind and a new game does not set.
    g.screenFade = 1.0f;
    g.pauseDepth = 0;
    g.previousTick = 0;
    g.comboCount = 0;
    g.heldShape = ShapeCell();
    g.ResetBug();
    g.lastOpenedLevel = opened;
    g.gameMode = mode;
    StartLevelOf(g, mode) = level;
    if (file && first) {
        Recording header;
        header.gameVersion = "2.1";
        header.mode = mode;
        header.level = level;
        header.seed = seed;
        header.opened = opened;
        header.particles = fx.ParticleCount();
        checksum = kDigestStart;
        Write(header.HeaderText());
    }
    if (callNewGame) {
        SetMusicVolume(g.menuOptions.GetSliderValue("MusicVolume"));
        g.NewGame();
    }
}

void PlaySession::Write(const std::string& line) {
    if (!file) return;
    std::fputs(line.c_str(), file);
    checksum = DigestBytes(checksum, line.data(), line.size());
}

void PlaySession::WriteInput(RecordedInput::Kind k, int32_t a, int32_t b, int32_t c) {
    if (!file || !stepping) return;
    RecordedInput in;
    in.tick = tick;
    in.kind = k;
    in.a = a;
    in.b = b;
    in.c = c;
    Write(Recording::InputLine(in));
}

void PlaySession::EndRecording() {
    if (!file) return;
    Write(Recording::EndLine(tick, Summarize()));
    const std::string check = Recording::CheckLine(checksum);
    std::fputs(check.c_str(), file);
    const bool written = std::fflush(file) == 0 && !std::ferror(file);
    std::fclose(file);
    file = nullptr;
    if (written) {
        AppLogf(LogTime, "Recording written to '%s' (%u steps)", recordPath.c_str(), static_cast<unsigned>(tick));
    } else {
        AppLogf(LogTime, "Recording to '%s' FAILED", recordPath.c_str());
        std::fprintf(stderr, "velmora: the recording '%s' could not be written\n", recordPath.c_str());
    }
}

void PlaySession::Deliver(const InputMessage& m) {
    switch (m.message) {
    case INPUT_KEY_DOWN: WriteInput(RecordedInput::Key, static_cast<int32_t>(m.wParam)); break;
    case INPUT_CHAR: WriteInput(RecordedInput::Char, static_cast<int32_t>(m.wParam)); break;
    case INPUT_MOUSE_MOVE: WriteInput(RecordedInput::Move, m.x, m.y); break;
    case INPUT_BUTTON_DOWN: WriteInput(RecordedInput::Click, m.x, m.y); break;
    case INPUT_BUTTON_UP: WriteInput(RecordedInput::Release, m.x, m.y); break;
    default: return;
    }
    const int32_t before = GameState;
    ProcessMessage(m);
    WatchLevelEnd(before);
    if (kind == Kind::Record && EndsPlay(GameState)) Finish();
}

bool PlaySession::Input(const InputMessage& m) {
    switch (kind) {
    case Kind::Record:
        if (!stepping) return false;
        Deliver(m);
        return true;
    case Kind::Attract:
        // Any key or click hands the game back; moving the mouse does not.
        if (m.message != INPUT_MOUSE_MOVE) Finish();
        return true;
    default: return true;
    }
}

bool PlaySession::Button(int32_t button, bool down) {
    if (kind == Kind::Record) {
        if (!stepping) return false;
        WriteInput(RecordedInput::Button, button, down ? 1 : 0);
        NoteMouseButton(static_cast<MouseButton>(button), down);
        return true;
    }
    return true;
}

bool PlaySession::FocusLost() {
    if (kind == Kind::Record) {
        if (!stepping) return false;
        WriteInput(RecordedInput::Focus, 0);
        if (GameState == State::Playing) SetGameState(State::Paused);
        return true;
    }
    return true;
}

void PlaySession::ReplayInputs() {
    const std::vector<RecordedInput>& inputs = recording.inputs;
    while (nextInput < inputs.size() && inputs[nextInput].tick == tick && outcome == Outcome::Running) {
        const RecordedInput& in = inputs[nextInput++];
        switch (in.kind) {
        case RecordedInput::Pointer:
            input.x = in.a;
            input.y = in.b;
            input.buttons = static_cast<uint32_t>(in.c);
            break;
        case RecordedInput::Key: Deliver(MakeInputMessage(INPUT_KEY_DOWN, static_cast<uint32_t>(in.a), 0, 0)); break;
        case RecordedInput::Char: Deliver(MakeInputMessage(INPUT_CHAR, static_cast<uint32_t>(in.a), 0, 0)); break;
        case RecordedInput::Move: Deliver(MakeInputMessage(INPUT_MOUSE_MOVE, 0, in.a, in.b)); break;
        case RecordedInput::Click: Deliver(MakeInputMessage(INPUT_BUTTON_DOWN, 0, in.a, in.b)); break;
        case RecordedInput::Release: Deliver(MakeInputMessage(INPUT_BUTTON_UP, 0, in.a, in.b)); break;
        case RecordedInput::Button: NoteMouseButton(static_cast<MouseButton>(in.a), in.b != 0); break;
        case RecordedInput::Focus:
            if (GameState == State::Playing) SetGameState(State::Paused);
            break;
        case RecordedInput::Digest:
            if (Summarize().board != static_cast<uint32_t>(in.a)) {
                char text[200];
                std::snprintf(text, sizeof text, "the replay went its own way at step %u (the board differs)",
                              static_cast<unsigned>(tick));
                report = text;
                outcome = Outcome::Diverged;
            }
            break;
        }
    }
    if (outcome != Outcome::Running || tick != recording.endTick) return;
    const PlaySummary now = Summarize();
    const PlaySummary& end = recording.end;
    char text[300];
    if (now == end) {
        std::snprintf(text, sizeof text,
                      "replayed %u steps: level %d, score %d, state %d, phase %d, board %08" PRIx32
                      ", as recorded",
                      static_cast<unsigned>(tick), static_cast<int>(now.level), static_cast<int>(now.score),
                      static_cast<int>(now.state), static_cast<int>(now.phase), now.board);
        outcome = Outcome::Done;
    } else {
        std::snprintf(text, sizeof text,
                      "the replay ended at level %d, score %d, state %d, phase %d; the recording at level %d, "
                      "score %d, state %d, phase %d",
                      static_cast<int>(now.level), static_cast<int>(now.score), static_cast<int>(now.state),
                      static_cast<int>(now.phase), static_cast<int>(end.level), static_cast<int>(end.score),
                      static_cast<int>(end.state), static_cast<int>(end.phase));
        outcome = Outcome::Diverged;
    }
    report = text;
}

void PlaySession::WatchLevelEnd(int32_t before) {
    if (before != State::Playing || (GameState != State::LevelAdvance && GameState != State::GameOver)) return;
    if (kind != Kind::Demo && kind != Kind::Attract) return;
    const bool won = GameState == State::LevelAdvance;
    ++levels;
    if (won) ++wins;
    levelSteps = 0;
    levelOver = true;
    const Game& g = TheGame();
    if (kind == Kind::Demo) {
        std::printf("demo: %s level %d %s, score %d\n", ModeName(g.gameMode), static_cast<int>(g.levelNumber),
                    won ? "won" : "lost", static_cast<int>(g.score));
        std::fflush(stdout);
    }
    AppLogf(LogTime, "Demo: %s level %d %s", ModeName(g.gameMode), static_cast<int>(g.levelNumber),
            won ? "won" : "lost");
    if (levelLimit > 0 && levels >= levelLimit) outcome = Outcome::Done;
    else if (kind == Kind::Attract) waitSteps = kAttractLinger;
    else if (!won) waitSteps = kDemoLinger;
}

void PlaySession::NextDemoGame(bool nextMode) {
    Game& g = TheGame();
    int32_t level = g.levelNumber + 1;
    int32_t mode = g.gameMode;
    if (nextMode || level > kLastDemoLevel || !Game::LevelFileExists(level)) {
        mode = (mode + 1) % 3;
        level = 1;
    }
    // A recording holds one game: it ends where the demo starts another.
    if (file) EndRecording();
    levelOver = false;
    StartGame(mode, level, 0, g.lastOpenedLevel, TheEffectQueue().ParticleCount(), true);
}

void PlaySession::ClickMapStart() {
    const MenuScreen& map = TheGame().menuMap;
    int32_t w = 0, h = 0;
    Textures().GetClientSize(w, h);
    if (w <= 0 || h <= 0) {
        w = 800;
        h = 600;
    }
    for (int32_t i = 0; i < map.buttonCount && i < MenuScreen::MaxButtons; ++i) {
        const MenuButton& b = map.buttons[i];
        if (!b.enabled || std::strcmp(b.action, "procStart") != 0) continue;
        const int32_t x = static_cast<int32_t>(b.xc * static_cast<float>(w));
        const int32_t y = static_cast<int32_t>(b.yc * static_cast<float>(h));
        Deliver(MakeInputMessage(INPUT_MOUSE_MOVE, 0, x, y));
        Deliver(MakeInputMessage(INPUT_BUTTON_DOWN, 0, x, y));
        if (GameState == State::Playing) return;
    }
    // A map without a start button still plays on.
    TheGame().StartLevel();
}

void PlaySession::DemoDirector() {
    Game& g = TheGame();
    if (waitSteps > 0) {
        if (--waitSteps > 0) return;
        if (kind == Kind::Attract) {
            Finish();
            return;
        }
        NextDemoGame(GameState == State::GameComplete);
        return;
    }
    switch (GameState) {
    case State::LevelMap:
        if (g.phase == Phase::Map && TheEffectQueue().Idle()) ClickMapStart();
        break;
    case State::Playing:
        levelOver = false;
        if (++levelSteps > kGiveUpSteps) {
            std::printf("demo: %s level %d given up\n", ModeName(g.gameMode), static_cast<int>(g.levelNumber));
            std::fflush(stdout);
            ++levels;
            levelSteps = 0;
            if (levelLimit > 0 && levels >= levelLimit) outcome = Outcome::Done;
            else NextDemoGame(false);
        }
        break;
    case State::GameComplete:
        if (kind == Kind::Demo && TheEffectQueue().Idle()) waitSteps = kDemoLinger;
        break;
    default: break;
    }
}

void PlaySession::RunStateLogic() {
    Game& g = TheGame();
    FrameTime = static_cast<float>(kStepMs) / 1000.0f;
    const int32_t before = GameState;
    switch (GameState) {
    case State::Playing: g.UpdateRound(FrameTime); break;
    case State::LevelMap: g.UpdateLevelMap(); break;
    case State::LevelAdvance: g.NextLevel(); break;
    case State::GameComplete: g.StepGameComplete(); break;
    default: break; // the other screens wait for input
    }
    WatchLevelEnd(before);
}

void PlaySession::Step() {
    if (!stepping || outcome != Outcome::Running) return;
    switch (kind) {
    case Kind::Replay:
        ReplayInputs();
        if (outcome != Outcome::Running) return;
        break;
    case Kind::Record: {
        int x = input.x, y = input.y;
        Quill::Platform& platform = Quill::GetPlatform();
        platform.GetPointer(x, y);
        input.x = x;
        input.y = y;
        input.buttons = platform.MouseButtons();
        break;
    }
    case Kind::Demo:
    case Kind::Attract: {
        DemoDirector();
        if (outcome != Outcome::Running) return;
        const AutoPlayer::Move move = player->Decide();
        if (move.space) Deliver(MakeInputMessage(INPUT_KEY_DOWN, Quill::VK_SPACE, 0, 0));
        input.x = move.x;
        input.y = move.y;
        input.buttons = move.buttons;
        break;
    }
    }
    if (input.x != lastX || input.y != lastY || input.buttons != lastButtons) {
        WriteInput(RecordedInput::Pointer, input.x, input.y, static_cast<int32_t>(input.buttons));
        lastX = input.x;
        lastY = input.y;
        lastButtons = input.buttons;
    }

    input.clockMs += kStepMs;
    RunStateLogic();
    ++tick;
    if (file) {
        if (tick % kDigestEvery == 0) WriteInput(RecordedInput::Digest, static_cast<int32_t>(Summarize().board));
        std::fflush(file);
    }
    if (kind == Kind::Record && EndsPlay(GameState)) Finish();
}

void PlaySession::Finish() {
    if (kind == Kind::Record) {
        if (file) EndRecording();
        if (stepping) {
            EngineCalls::SetSteppedInput(nullptr);
            stepping = false;
            // Back on the platform's clock: nothing queued on the game's clock may linger.
            TheEffectQueue().Clear();
        }
        outcome = Outcome::Done;
        return;
    }
    if (kind == Kind::Attract && savedGame) Restore();
    outcome = Outcome::Done;
}

void PlaySession::Restore() {
    EngineCalls::SetSteppedInput(nullptr);
    stepping = false;
    ResetMouseButtonEdges();
    Game& g = TheGame();
    static_cast<GameFields&>(g) = *savedGame;
    savedGame.reset();
    RestoreGameStates(savedState, savedPrevious);
    EffectQueue& fx = TheEffectQueue();
    fx.Clear();
    fx.SetParticleCount(savedParticles);
    SeedRandom(savedRandom);
    SetMusicVolume(g.menuOptions.GetSliderValue("MusicVolume"));
    HoldPlayerFiles(false);
}
