// The eighteen menu screens the game keeps: which file each one is read
// from, the order they are read in, and which of them answers the input of
// each screen state.
#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include <cstdio>

namespace {

struct ScreenFile {
    MenuScreen GameFields::*screen;
    const char* file;
};

// The load order is fixed: the log of every run lists the menus in it.
const ScreenFile kScreenFiles[] = {
    {&GameFields::menuMain, "menu-main.xml"},
    {&GameFields::menuGameOver, "menu-game-over.xml"},
    {&GameFields::menuHighScores, "menu-highscores.xml"},
    {&GameFields::menuInGame, "menu-ingame.xml"},
    {&GameFields::menuPause, "menu-pause.xml"},
    {&GameFields::menuOptions, "menu-options.xml"},
    {&GameFields::menuMap, "menu-map.xml"},
    {&GameFields::menuInfoClassic, "menu-info-classic.xml"},
    {&GameFields::menuInfoRelax, "menu-info-relax.xml"},
    {&GameFields::menuInfoTransformer, "menu-info-transformer.xml"},
    {&GameFields::menuClearConfirmation, "menu-clear-confirmation.xml"},
    {&GameFields::menuContinueConfirmation, "menu-continue-confirmation.xml"},
    {&GameFields::menuGameComplete, "menu-game-complete.xml"},
    {&GameFields::menuInstructions, "menu-instructions.xml"},
    {&GameFields::menuInstructions2, "menu-instructions2.xml"},
    {&GameFields::menuInstructions3, "menu-instructions3.xml"},
    {&GameFields::menuIntro, "menu-intro.xml"},
    {&GameFields::menuCredits, "menu-credits.xml"},
};
static_assert(sizeof kScreenFiles / sizeof kScreenFiles[0] == 18, "the game has eighteen menu screens");

} // namespace

int Game::LoadMenuScreens() {
    int loaded = 0;
    char path[64];
    for (const ScreenFile& s : kScreenFiles) {
        std::snprintf(path, sizeof path, "Menu\\%s", s.file);
        if ((this->*s.screen).LoadFromFile(path)) ++loaded;
    }
    return loaded;
}

MenuScreen* Game::StateScreen(int32_t state) {
    switch (state) {
    case State::MainMenu: return &menuMain;
    case State::LevelMap: return &menuMap;
    case State::Instructions1: return &menuInstructions;
    case State::Instructions2: return &menuInstructions2;
    case State::Instructions3: return &menuInstructions3;
    case State::Playing: return &menuInGame;
    case State::Paused: return &menuPause;
    case State::HighScores: return &menuHighScores;
    case State::Options: return &menuOptions;
    case State::GameComplete: return &menuGameComplete;
    case State::GameOver: return &menuGameOver;
    case State::ClearScoresConfirm: return &menuClearConfirmation;
    case State::ContinueConfirm: return &menuContinueConfirmation;
    case State::Credits: return &menuCredits;
    default: return nullptr;
    }
}
