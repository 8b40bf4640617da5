#include "app/StatePictures.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameModes.h"
#include "gameplay/GameState.h"

#include "engine/HighScoreList.h"
#include "engine/HighScoreTable.h"
#include "engine/Language.h"
#include "engine/TextureManager.h"

#include <cstdio>

namespace {

Game& G() { return TheGame(); }

// How fast an info panel fades in or out beside the main menu: a quarter second.
constexpr float kInfoFadeRate = 4.0f;

void DrawMenuOverBackdrop(MenuScreen& screen) {
    DrawBackdrop(SPRITE_PIXEL_SIZE);
    screen.DrawScreen();
}

// Each mode's button and the panel that explains the mode beside the main menu.
struct InfoPanel {
    const char* button;
    MenuScreen Game::*info;
};
constexpr InfoPanel kInfoPanels[] = {{"btnClassicGame", &Game::menuInfoClassic},
                                     {"btnTransformerGame", &Game::menuInfoTransformer},
                                     {"btnRelaxGame", &Game::menuInfoRelax}};

// The modes' panels beside the main menu, at their fades.
void DrawInfoPanels() {
    for (const InfoPanel& p : kInfoPanels) {
        MenuScreen& info = G().*p.info;
        if (info.fade > 0) info.DrawScreen();
    }
}

void DrawMainMenu() {
    Game& g = G();
    DrawMenuStill(State::MainMenu);
    for (const InfoPanel& p : kInfoPanels) {
        const float rate = g.menuMain.IsButtonHovered(p.button) ? kInfoFadeRate : -kInfoFadeRate;
        TextureManager::AdvanceClamped((g.*p.info).fade, rate, FrameTime);
    }
    EffectQueue& fx = TheEffectQueue();
    fx.Update();
    fx.Draw(1);
    fx.Draw(2);
}

void DrawHighScores() {
    Game& g = G();
    GetHighScores().SelectList(g.gameMode);
    // The title is set before the screen is drawn, so a page turn shows at once.
    g.menuHighScores.SetText("txtGameType", HighScorePageTitle(g.gameMode));
    DrawMenuOverBackdrop(g.menuHighScores);
    DrawScoreList(0.29f, 0.036f, 0.25f, 0.3f, 0.65f);
}

void DrawContinueConfirm() {
    Game& g = G();
    // The saved game's level and score, while the question is asked. Drawn
    // afterwards (the picture that fades out after "New"), the screen keeps
    // them: a new game has already put its own level and score in place.
    if (GameState != State::ContinueConfirm) {
        DrawMenuOverBackdrop(g.menuContinueConfirmation);
        return;
    }
    char text[300];
    std::snprintf(text, sizeof text, "%s  %d", GetLanguageString("LevelText"), static_cast<int>(g.levelNumber));
    g.menuContinueConfirmation.SetText("txtLevelNum", text);
    std::snprintf(text, sizeof text, "%s  %d", GetLanguageString("ScoreText"), static_cast<int>(g.score));
    g.menuContinueConfirmation.SetText("txtScoreNum", text);
    DrawMenuOverBackdrop(g.menuContinueConfirmation);
}

void DrawLoading(int32_t percent) {
    TextureManager& t = Textures();
    G().menuIntro.DrawScreen();
    t.DrawProgressBar(t.GetTexture("Graphics\\loading_empty.png"), t.GetTexture("Graphics\\loading_full.png"), 0.5f,
                      0.75f, 0.25f, 0.09f, percent, BAR_PIXEL_SIZE | BAR_HORIZONTAL);
}

} // namespace

int32_t LoadingPercent(int32_t done, int32_t total) {
    if (total <= 0) return 0;
    const int64_t percent = static_cast<int64_t>(done) * 100 / total;
    return static_cast<int32_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

const char* HighScorePageTitle(int32_t mode) { return mode == Mode::Relax ? "Relax" : ModeDisplayName(mode); }

void DrawBackdrop(int32_t flags) {
    TextureManager& t = Textures();
    t.DrawSprite(t.GetTexture("Graphics\\back_menu.jpg"), 0.5f, 0.5f, 1, 1, 0, 0, 1, 1, OWN_COLOURS, flags, 0);
    G().DrawButterflies();
}

void DrawMenuStill(int32_t state) {
    Game& g = G();
    if (state == State::MainMenu) {
        DrawBackdrop(0);
        g.menuMain.DrawScreen();
        DrawInfoPanels();
    } else if (state == State::ContinueConfirm) {
        DrawContinueConfirm();
    } else if (MenuScreen* screen = g.StateScreen(state)) {
        DrawMenuOverBackdrop(*screen);
    }
}

void DrawStatePicture(int32_t state, int32_t loadingPercent, bool withLogic) {
    Game& g = G();
    switch (state) {
    case State::Loading: DrawLoading(loadingPercent); break;
    case State::MainMenu: DrawMainMenu(); break;
    case State::LevelMap:
        if (withLogic) g.DrawLevelMap();
        else g.DrawLevelMapPicture();
        break;
    case State::Playing: g.DrawGameScreen(); break;
    case State::Paused:
        g.DrawGameScreen();
        g.menuPause.DrawScreen();
        break;
    case State::HighScores: DrawHighScores(); break;
    case State::Options: DrawMenuOverBackdrop(g.menuOptions); break;
    case State::Instructions1: DrawMenuOverBackdrop(g.menuInstructions); break;
    case State::Instructions2: DrawMenuOverBackdrop(g.menuInstructions2); break;
    case State::Instructions3: DrawMenuOverBackdrop(g.menuInstructions3); break;
    case State::LevelAdvance:
        if (withLogic) g.NextLevel();
        g.DrawGameScreen();
        break;
    case State::GameComplete:
        g.DrawGameScreen();
        g.menuGameComplete.DrawScreen();
        if (withLogic) g.UpdateGameComplete();
        else g.DrawGameCompleteReveals();
        break;
    case State::GameOver:
        g.DrawGameScreen();
        g.menuGameOver.DrawScreen();
        break;
    case State::ClearScoresConfirm: DrawMenuOverBackdrop(g.menuClearConfirmation); break;
    case State::ContinueConfirm: DrawContinueConfirm(); break;
    case State::Credits: DrawMenuOverBackdrop(g.menuCredits); break;
    default: break;
    }
}
