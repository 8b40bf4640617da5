#pragma once
// Which screen is showing, and the one function that changes it. The state
// numbers are shared with the menus and the application; SetGameState keeps
// the previous state, the Options-from-pause flag and the round's pause clock
// right, then hands over to the application (which sits above this layer) for
// the rest of a screen change, through a hook it installs.
#include <cstdint>
#include <functional>

namespace State {
enum : int32_t {
    Loading = 0,
    MainMenu = 1,
    LevelMap = 2,
    Instructions1 = 3,
    Instructions2 = 4,
    Instructions3 = 5,
    Playing = 6,
    Paused = 7,
    HighScores = 8,
    Options = 9,
    LevelAdvance = 11,
    GameComplete = 12,
    GameOver = 13,
    ClearScoresConfirm = 14,
    ContinueConfirm = 15,
    Credits = 16,
};
}

// The current state; change it only through SetGameState.
extern int32_t GameState;
// Seconds covered by the current frame, set before each gameplay tick.
extern float FrameTime;
// The Options screen was opened from the pause screen.
extern int32_t OptionsFromPause;

int32_t PreviousGameState();
// Switches the screen: remembers the previous state, keeps OptionsFromPause,
// pauses or resumes the round clock between Playing and Paused, then calls the
// application's hook (the pointer nudge and whatever else a screen change needs).
void SetGameState(int32_t state);
// Installed by the application; called at the end of every SetGameState.
void SetStateChangedHook(std::function<void(int32_t state, int32_t previous)> hook);
// Puts the state and the previous state back as they were, without the
// hook: the end of a demo returns to the very menu it interrupted.
void RestoreGameStates(int32_t state, int32_t previous);
// Back to the start-up values (tests).
void ResetGameState();
