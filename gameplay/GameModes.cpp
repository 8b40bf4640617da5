// The modes' names and start levels, and what a mode button does.
#include "gameplay/GameModes.h"

#include "gameplay/Game.h"
#include "gameplay/GameState.h"

namespace {

// Indexed by mode. Relax and Transformer are crossed on purpose (see the header).
const char* const kSectionNames[] = {"Classic", "Relax", "Transformer"};
const char* const kDisplayNames[] = {"Classic", "Transformer"};

} // namespace

bool IsGameMode(int32_t mode) { return mode >= Mode::Classic && mode <= Mode::Relax; }

const char* ModeSectionName(int32_t mode) { return IsGameMode(mode) ? kSectionNames[mode] : nullptr; }

const char* ModeDisplayName(int32_t mode) {
    return mode == Mode::Classic || mode == Mode::Transformer ? kDisplayNames[mode] : "";
}

void Game::StartMode(int32_t mode) {
    if (!IsGameMode(mode)) return;
    gameMode = mode;
    if (HasSavedGame() && LoadSavedGame(true)) SetGameState(State::ContinueConfirm);
    else NewGame();
}

void Game::RaiseStartLevel(int32_t mode) {
    if (!IsGameMode(mode)) return;
    int32_t& level = mode == Mode::Transformer ? levelTransformer : levelClassicRelax;
    level = level >= 1 && level < kMaxStartLevel ? level + 1 : 1;
}
