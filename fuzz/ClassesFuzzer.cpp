// classes.xml as the game reads it at start, then a level played with it.
#include "fuzz/GameFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    Game& game = fuzz::FreshGame();
    fuzz::WriteFile("fuzz-classes.xml", data, size);
    game.LoadShapeClasses("fuzz-classes.xml");
    fuzz::CheckGameTables(game);
    game.levelNumber = 3; // a level that takes its classes at random
    game.LoadLevel();
    fuzz::CheckGameTables(game);
    return 0;
}
