#include "gameplay/GameSeams.h"

#include <cstring>

GameSeams& TheGameSeams() {
    static GameSeams seams;
    return seams;
}

void HudElementPosition(const char* element, float& x, float& y) {
    const GameSeams& seams = TheGameSeams();
    if (seams.hudElementPosition && seams.hudElementPosition(element, x, y)) return;
    x = 0.09f;
    y = std::strcmp(element, "txtTimeNum") == 0 ? 0.33f : 0.2f;
}

void SetGameSaved(int32_t value) {
    const GameSeams& seams = TheGameSeams();
    if (seams.setGameSaved) seams.setGameSaved(value);
}
