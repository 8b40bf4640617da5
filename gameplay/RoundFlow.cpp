// The life of a level: starting it, one gameplay tick in a fixed order, the
// clock and its pauses, the phases from the title to play, the end of a level
// and what follows it (the next level, the level map or the end of the game).
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr float kTitleX = 0.59f;

} // namespace

bool Game::IsBonusLevel() const { return std::strcmp(bonusLevel, "true") == 0; }

bool Game::ClockCanRunOut() const { return !IsBonusLevel() && gameMode != Mode::Relax; }

void Game::NewGame() {
    if (TheGameSeams().newGameStarting) TheGameSeams().newGameStarting();
    levelNumber = gameMode == Mode::Transformer ? levelTransformer : levelClassicRelax;
    score = 0;
    tutorialOn = 0;
    LeaveToMap();
}

void Game::StartLevel() {
    EngineCalls::Logf(6, "StartLevel(%d)", static_cast<int>(levelNumber));
    ResetLines();
    SetGameState(State::Playing);
    LoadLevel();

    // Backgrounds 1 to 5, each for six levels, repeating every 30 levels.
    int32_t cycle = (levelNumber - 1) % 30;
    if (cycle < 0) cycle += 30;
    std::snprintf(nextBackgroundImage, sizeof nextBackgroundImage, "Graphics\\back_game0%d.jpg",
                  static_cast<int>(cycle / 6 + 1));

    EffectQueue& fx = TheEffectQueue();
    fx.Clear();
    const int32_t previous = PreviousGameState();
    if (previous == State::MainMenu || previous == State::LevelMap) {
        fx.AddTween(0, 0.5f, 1.0f, 0, &screenFade);
        phase = Phase::FadeIn;
        std::memcpy(backgroundImage, nextBackgroundImage, sizeof backgroundImage);
        EngineCalls::GetTexture(backgroundImage);
        EngineCalls::GetTexture("Graphics\\status-border.png");
    } else {
        phase = Phase::Intro;
    }
    levelStartTime = EngineCalls::NowSeconds();
    resumed = 0;
    timeLeftAtResume = levelTime;
    // The guide belongs to one start of level 1 and holds its clock through
    // the pause count cleared here: a guide left on from a game the player
    // walked away from would freeze this level's clock and lines for good.
    pauseDepth = 0;
    tutorialOn = 0;
    tutorialStep = 0;
    ResolveImages();
}

void Game::SetPaused(bool on) {
    const float t = EngineCalls::NowSeconds();
    if (on) {
        if (pauseDepth++ == 0) pauseMoment = t;
        return;
    }
    if (pauseDepth == 0) return;
    if (--pauseDepth == 0) {
        const float away = t - pauseMoment;
        previousTick += away;
        levelStartTime += away;
        playStartTime += away;
    }
}

void Game::SetupTutorialShapes() {
    if (shapeClassCount < 1) return;
    tutorialCellIndex = 4;
    tutorialPanelIndex = 4;
    if (cellCount > tutorialCellIndex) {
        ShapeCell& c = cells[tutorialCellIndex];
        c.classIndex = 0;
        c.shape = gameMode == Mode::Transformer && levelClasses[0].shapeCount > 1 ? 1 : 0;
        const ShapeDef& def = levelClasses[0].shapes[c.shape];
        c.maskImage = TextureIdOf(EngineCalls::GetTexture(def.maskImage));
        c.mainImage = TextureIdOf(EngineCalls::GetTexture(def.mainImage));
    }
    if (panelCount > tutorialPanelIndex) {
        // A plain shape: a bonus here could be placed before the guided steps end.
        ShapeCell& s = panel[tutorialPanelIndex];
        s.classIndex = 0;
        s.shape = 0;
        s.bonus = Bonus::None;
        s.mainImage = TextureIdOf(EngineCalls::GetTexture(levelClasses[0].shapes[0].mainImage));
    }
}

bool Game::BonusDrift() {
    if (levelTime == 0 || cellCount <= 0) return false;
    bool allAbove = true;
    for (int32_t i = 0; i < cellCount; ++i) {
        cells[i].y -= dt * lineSpeed;
        if (!(cells[i].y + cells[i].height <= 0)) allAbove = false;
    }
    if (!allAbove) return false;
    EngineCalls::PlayEvent("no_bonus");
    TheEffectQueue().AddTitleSweep(1, 0, 2.5f, kTitleX, 0.45f, "No Bonus", 0);
    SetGameState(State::LevelAdvance);
    return true;
}

void Game::QueueTitle() {
    EffectQueue& fx = TheEffectQueue();
    if (IsBonusLevel()) {
        fx.AddTitleSweep(1, 1.0f, 2.5f, kTitleX, 0.45f, "Bonus Level", 0);
        return;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(levelNumber));
    fx.AddFadingTitle(1, 1.0f, 2.5f, kTitleX, 0.39f, "Level N", false); // the language key
    fx.AddFadingTitle(1, 1.0f, 2.5f, kTitleX, 0.51f, number, true);
    fx.AddSoundEvent(1.0f, "level_start");
}

void Game::CompleteLevel() {
    EffectQueue& fx = TheEffectQueue();
    if (IsBonusLevel()) {
        fx.AddBurstTitle(1, 0, 4.5f, kTitleX, 0.45f, "Bonus!");
        QueueBonusLevelRewards(); // plays "bonus_level_complete" and adds the 1000 at once
    } else {
        fx.AddFadingTitle(1, 0.5f, 3.0f, kTitleX, 0.45f, "Level Complete", false);
        EngineCalls::PlayEvent("level_complete");
        EngineCalls::Texture first = EngineCalls::GetTexture("Graphics\\particle1.png");
        EngineCalls::Texture second = EngineCalls::GetTexture("Graphics\\particle2.png");
        for (int k = 0; k < 4; ++k) {
            float x = 0.45f + 0.1f * static_cast<float>(k);
            fx.AddParticleBurst(1, 3.0f, 1.2f, x, 0.45f, 0.12f, 0.5f, first, false);
            fx.AddParticleBurst(1, 3.0f, 1.2f, x, 0.45f, 0.12f, 0.5f, second, false);
        }
        QueueRegularLevelRewards();
    }
    fx.AddSoundEvent(3.4f, "shape_panel_out");
    for (int32_t i = 0; i < panelCount; ++i) {
        fx.AddTween(0, 0.5f, panel[i].width, 0, &panel[i].width);
        fx.AddTween(0, 0.5f, panel[i].height, 0, &panel[i].height);
    }
    fx.AddTween(0, 0.5f, progress, 0, &progress);
    SetGameState(State::LevelAdvance);
}

void Game::UpdateRound(float frameTime) {
    // 1. Clock.
    now = EngineCalls::NowSeconds();
    if (previousTick <= 0) previousTick = now;
    previousTick = now;
    dt = frameTime;
    timeSinceLevelStart = now - levelStartTime;
    playTimeElapsed = phase == Phase::Playing ? now - playStartTime : levelTime - timeLeftAtResume;
    if (!tutorialOn) timeLeft = levelTime - playTimeElapsed;

    // 2. Input.
    EngineCalls::UpdateButtonEdges();
    EngineCalls::PointerFraction(mouseX, mouseY);

    // 3.-9. The panel and the hand.
    if ((phase == Phase::Title || phase == Phase::Playing) && PanelHasRoom()) SpawnPanelShape();
    if (tutorialOn) SetupTutorialShapes();
    else ScrollLines();
    MovePanel(dt);
    const bool taken = TakeShape();
    heldShape.x = mouseX;
    heldShape.y = mouseY;
    PlaceHeldShape(taken);
    TransformHeldShape();

    // 10. The bug may come.
    BugArrivalCheck();

    // 11. Level kind.
    const bool bonusLevelNow = IsBonusLevel();
    if (bonusLevelNow) {
        if (BonusDrift()) return;
    } else if (ClockCanRunOut() && timeLeft <= 0) {
        EngineCalls::SetMusicVolume(0);
        EngineCalls::PlayEvent("game_over");
        SetGameState(State::GameOver);
        SetGameSaved(0);
        return;
    }

    // 12. Progress; a full board ends the level.
    filledCount = 0;
    for (int32_t i = 0; i < cellCount; ++i)
        if (cells[i].filled) ++filledCount;
    progress = cellCount > 0 ? static_cast<float>(filledCount) / static_cast<float>(cellCount) : 1.0f;
    if (filledCount == cellCount) {
        CompleteLevel();
        return;
    }

    // 13. One warning as time left drops below each of 10, 9, ..., 1 seconds.
    if (ClockCanRunOut() && timeLeft < static_cast<float>(10 - timeoutWarnings)) {
        EngineCalls::PlayEvent("timeout");
        ++timeoutWarnings;
    }

    // 14. The bug and the effects.
    UpdateBug(dt);
    EffectQueue& fx = TheEffectQueue();
    fx.Update();

    // 15. Phase changes.
    if ((phase == Phase::FadeIn || phase == Phase::Intro) && fx.Idle()) {
        phase = Phase::Title;
        fx.AddTween(0, 0.5f, screenFade, 1.0f, &screenFade);
        if (!bonusLevelNow) EngineCalls::PlayEvent("shape_panel_in");
        QueueTitle();
        std::memcpy(backgroundImage, nextBackgroundImage, sizeof backgroundImage);
    }
    if (phase == Phase::Title && fx.Idle()) {
        phase = Phase::Playing;
        if (!resumed) playStartTime = now + 0.9f;
        if (levelNumber == 1) {
            tutorialOn = 1;
            tutorialStep = 1;
            SetPaused(true);
            SetupTutorialShapes();
        }
    }
}

void Game::BugWalksOff(float frameDt) {
    // The level is over: a bug on its way in or at its meal turns round.
    if (bug.active) bug.state = 2;
    UpdateBug(frameDt);
}

void Game::NextLevel() {
    BugWalksOff(FrameTime);
    EffectQueue& fx = TheEffectQueue();
    fx.Update();
    if (!fx.Idle()) return;
    ++levelNumber;
    if (levelNumber > lastOpenedLevel) {
        lastOpenedLevel = levelNumber;
        EngineCalls::SetConfigInt("GAMEPLAY", "LastOpenedLevel", lastOpenedLevel);
    }
    if (!LevelFileExists(levelNumber)) {
        // There is no such level: the end screens go on naming the last one played.
        --levelNumber;
        FinishGame();
    } else if (levelNumber % 6 == 1) LeaveToMap();
    else StartLevel();
}

void Game::LeaveToMap() {
    SetGameState(State::LevelMap);
    TheEffectQueue().AddTween(0, 0.5f, 1.0f, 0, &screenFade);
    phase = Phase::Leaving;
}

void Game::FinishGame() {
    EngineCalls::SetMusicVolume(0);
    EngineCalls::PlayEvent("game_complete");
    SetGameState(State::GameComplete);
    SetGameSaved(0);
    EffectQueue& fx = TheEffectQueue();
    EngineCalls::Texture chomp = EngineCalls::GetTexture("Graphics\\am_effect_chomp.png");
    for (int i = 0; i < 15; ++i) {
        const float x = 0.31f + static_cast<float>(i % 5) * Geometry::kCellWidth;
        const float y = 0.44f + static_cast<float>(i / 5) * Geometry::kCellHeight;
        const float delay = 0.5f * static_cast<float>(i);
        fx.AddGrowingImage(2, delay, 0.5f, x, y, Geometry::kCellWidth, Geometry::kCellHeight, chomp);
        fx.AddSoundEvent(delay, "shape_chomp");
        fx.AddFloatingText(1, delay + 0.5f, 0.8f, x, y, "1000", true);
        fx.AddTween(delay + 0.5f, 0.01f, 0, 1.0f, &reveal[i]);
        reveal[i] = 0;
    }
    revealedCount = 0;
}

void Game::UpdateGameComplete() {
    StepGameComplete();
    DrawGameCompleteReveals();
}

void Game::StepGameComplete() {
    BugWalksOff(FrameTime);
    TheEffectQueue().Update();
    int32_t k = 0;
    for (int i = 0; i < 15; ++i)
        if (reveal[i] > 0) k = i + 1;
    // Every reveal counts, even when a long frame brings two at once.
    if (k > revealedCount) score += 1000 * (k - revealedCount);
    revealedCount = k;
}

void Game::DrawGameCompleteReveals() const {
    for (int i = 0; i < 15 && i < classCount; ++i) {
        if (!(reveal[i] > 0) || classTable[i].shapeCount <= 0) continue;
        const float x = 0.31f + static_cast<float>(i % 5) * Geometry::kCellWidth;
        const float y = 0.44f + static_cast<float>(i / 5) * Geometry::kCellHeight;
        EngineCalls::DrawSprite(EngineCalls::GetTexture(classTable[i].shapes[0].mainImage), x, y, 0, 0, 0, 0, 1, 1,
                                0xFFFFFFFFu, 9, 0);
    }
    TheEffectQueue().Draw(2);
}
