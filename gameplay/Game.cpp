#include "gameplay/Game.h"

void Game::Reset() {
    static const GameFields startValues;
    static_cast<GameFields&>(*this) = startValues;
}

Game& TheGame() {
    static Game game;
    return game;
}
