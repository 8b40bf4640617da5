#include "gameplay/GameState.h"

#include "gameplay/Game.h"

int32_t GameState = State::Loading;
float FrameTime = 0;
int32_t OptionsFromPause = 0;

namespace {

int32_t previousGameState = State::Loading;
std::function<void(int32_t, int32_t)> stateChangedHook;

} // namespace

int32_t PreviousGameState() { return previousGameState; }

void SetGameState(int32_t state) {
    previousGameState = GameState;
    GameState = state;
    if (state == State::Options) {
        if (previousGameState == State::Paused) OptionsFromPause = 1;
        else if (previousGameState == State::MainMenu) OptionsFromPause = 0;
    }
    if (previousGameState == State::Playing && state == State::Paused) TheGame().SetPaused(true);
    else if (previousGameState == State::Paused && state == State::Playing) TheGame().SetPaused(false);
    if (stateChangedHook) stateChangedHook(state, previousGameState);
}

void SetStateChangedHook(std::function<void(int32_t, int32_t)> hook) { stateChangedHook = std::move(hook); }

void RestoreGameStates(int32_t state, int32_t previous) {
    GameState = state;
    previousGameState = previous;
}

void ResetGameState() {
    GameState = State::Loading;
    previousGameState = State::Loading;
    FrameTime = 0;
    OptionsFromPause = 0;
}
