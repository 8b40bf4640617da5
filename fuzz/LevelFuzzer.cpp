// Level files: the probe that decides whether a level exists, and the load
// that builds the board from it.
#include "fuzz/GameFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    Game& game = fuzz::FreshGame();
    fuzz::WriteFile("Levels\\level_7.xml", data, size);
    game.LevelFileExists(7);
    game.levelNumber = 7;
    game.LoadLevel();
    fuzz::CheckGameTables(game);
    return 0;
}
