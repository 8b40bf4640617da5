#include "gameplay/GameSeams.h"

#include "gameplay/Game.h"

#include <cstring>

GameSeams& TheGameSeams() {
    static GameSeams seams;
    return seams;
}

void HudElementPosition(const char* element, float& x, float& y) {
    const GameSeams& seams = TheGameSeams();
    if (seams.hudElementPosition && seams.hudElementPosition(element, x, y)) return;
    const MenuScreen& screen = TheGame().menuInGame;
    for (int32_t i = 0; i < screen.textCount && i < MenuScreen::MaxTexts; ++i) {
        if (std::strcmp(screen.texts[i].name, element) != 0) continue;
        x = screen.texts[i].xc;
        y = screen.texts[i].yc;
        return;
    }
    x = 0.09f;
    y = std::strcmp(element, "txtTimeNum") == 0 ? 0.33f : 0.2f;
}

void SetGameSaved(int32_t value) {
    const GameSeams& seams = TheGameSeams();
    if (seams.setGameSaved) seams.setGameSaved(value);
    else TheGame().WriteSavedFlag(value);
}

void DrawStatePicture(int32_t state) {
    const GameSeams& seams = TheGameSeams();
    if (seams.drawStatePicture) {
        seams.drawStatePicture(state);
        return;
    }
    if (MenuScreen* screen = TheGame().StateScreen(state)) screen->DrawScreen();
}
