#pragma once
// Thin seams to the parts of the game that live above or beside the round
// flow: the in-game menu screen (where the score and clock are shown) and the
// saved game of the current mode. The application installs them; without
// them, play still runs (fallback positions, no saved-game flag written).
#include <cstdint>
#include <functional>

struct GameSeams {
    // The centre of a named element of the in-game screen ("txtScoreNum",
    // "txtTimeNum"); false when the screen has no such element.
    std::function<bool(const char* element, float& x, float& y)> hudElementPosition;
    // Writes the "IsGameSaved" flag of the current mode.
    std::function<void(int32_t value)> setGameSaved;
};

GameSeams& TheGameSeams();

// The element's position from the seam, or a fixed place beside the board.
void HudElementPosition(const char* element, float& x, float& y);
void SetGameSaved(int32_t value);
