#pragma once
// Thin seams to the parts of the game that live above the round flow or
// that tests want to watch: where the in-game screen shows the score and the
// clock, the saved-game flag of the current mode, the pictures of the menu
// states that the level map fades in from, and the input messages as sent.
// Each has a default inside this layer; a hook installed here replaces it.
#include "engine/InputMessage.h"

#include <cstdint>
#include <functional>

struct GameSeams {
    // The centre of a named element of the in-game screen ("txtScoreNum",
    // "txtTimeNum"); false when the screen has no such element.
    std::function<bool(const char* element, float& x, float& y)> hudElementPosition;
    // Writes the "IsGameSaved" flag of the current mode.
    std::function<void(int32_t value)> setGameSaved;
    // Draws the whole picture of a menu state (MainMenu, ContinueConfirm)
    // with its backdrop; installed by the application, which owns them.
    std::function<void(int32_t state)> drawStatePicture;
    // Called as a new game begins, before anything of it is set up (a
    // recording starts there).
    std::function<void()> newGameStarting;
    // Sees every input message as it reaches the menu commands, before they act.
    std::function<void(const InputMessage& m)> messageSeen;
};

GameSeams& TheGameSeams();

// The element's position: the hook's answer, else the text of that name on
// the in-game screen, else a fixed place beside the board.
void HudElementPosition(const char* element, float& x, float& y);
// The hook, else the flag in saved.ini (Game::WriteSavedFlag).
void SetGameSaved(int32_t value);
// The hook, else just the state's menu screen.
void DrawStatePicture(int32_t state);
