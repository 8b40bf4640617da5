// saved.ini: the check the mode buttons make, then the full restore of the
// board, as "Continue" does.
#include "fuzz/GameFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    Game& game = fuzz::FreshGame();
    fuzz::WriteFile("saved.ini", data, size);
    for (int32_t mode = 0; mode < 3; ++mode) {
        game.gameMode = mode;
        if (!game.LoadSavedGame(true)) continue;
        game.LoadSavedGame(false);
        fuzz::CheckGameTables(game);
    }
    return 0;
}
