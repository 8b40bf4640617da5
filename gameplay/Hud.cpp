// The picture of play, back to front: background, board, bug, effects, the
// bottom bar with the panel, the frame, the in-game screen with the score,
// clock and level and the progress bar, the shape in hand, the top effects
// and the first level's hints. The labels, fonts and places of the numbers
// are the in-game screen's ("menu-ingame.xml"); the game only fills them in.
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include "engine/Language.h"
#include "engine/TextureManager.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr uint32_t kOwnColours = 0xFFFFFFFFu;
constexpr float kClockWarningSeconds = 10.0f;

// trunc(v) held to what the HUD can show; NaN shows as 0.
int32_t ShownNumber(float v) {
    if (!(v == v)) return 0;
    if (v >= 2e9f) return 2000000000;
    if (v <= -2e9f) return -2000000000;
    return static_cast<int32_t>(v);
}

void SetNumber(MenuScreen& screen, const char* name, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    screen.SetText(name, text);
}

// The clock image fades in and out once every two seconds.
float BlinkAlpha(float seconds) {
    const float t = std::fmod(seconds, 2.0f);
    return t < 1.0f ? t : 2.0f - t;
}

void DrawAtOwnSize(EngineCalls::Texture texture, float x, float y) {
    EngineCalls::DrawSprite(texture, x, y, 0, 0, 0, 0, 1, 1, kOwnColours, 9, 0);
}

} // namespace

void Game::DrawGameScreen() {
    using namespace EngineCalls;
    EffectQueue& fx = TheEffectQueue();
    if (phase == Phase::FadeIn) {
        // The screen the player came from stays until it has faded out.
        if (PreviousGameState() == State::MainMenu) menuMain.DrawScreen();
        else DrawMapPicture();
        fx.Draw(-1);
        return;
    }

    DrawSprite(GetTexture(backgroundImage), 0.59f, 0.44f, 0.86f, 0.86f, 0, 0, 1, 1, kOwnColours, 0, 0);
    DrawBoard();
    DrawBug();
    fx.Draw(1);
    DrawSprite(GetTexture("Graphics\\am_bottom_bar.jpg"), 0.59f, 0.915f, 0, 0, 0, 0, 1, 1, kOwnColours, 8, 0);
    for (int32_t i = 0; i < panelCount && i < kPanelSlots; ++i)
        DrawAtOwnSize(TextureOf(panel[i].mainImage), panel[i].x, panel[i].y);
    char border[300];
    std::snprintf(border, sizeof border, "%sstatus-border.png", GetLanguageString("English\\"));
    DrawAtOwnSize(GetTexture(border), 0.5f, 0.5f);
    // The numbers are set before the screen is drawn, so they are never a frame late.
    SetHudTexts();
    menuInGame.DrawScreen();
    DrawHudValues();
    if (heldShape.shown) DrawAtOwnSize(GetTexture(ShapeImagePath(heldShape)), heldShape.x, heldShape.y);
    fx.Draw(2);
    DrawHints();
}

void Game::SetHudTexts() {
    SetNumber(menuInGame, "txtScoreNum", score);
    // A clock that cannot run out (Relax, bonus levels) stops at 0 instead of
    // counting on below it: there is nothing to be late for.
    const float shownTime = !ClockCanRunOut() && timeLeft < 0 ? 0.0f : timeLeft;
    SetNumber(menuInGame, "txtTimeNum", ShownNumber(shownTime));
    SetNumber(menuInGame, "txtLevelNum", levelNumber);
}

void Game::DrawHudValues() {
    using namespace EngineCalls;
    MenuScreen& screen = menuInGame;
    Textures().DrawProgressBar(GetTexture("Graphics\\progress-empty.png"), GetTexture("Graphics\\progress-full.png"),
                               screen.GetTextX("txtMeterBar"), screen.GetTextY("txtMeterBar"), 0, 0,
                               ShownNumber(progress * 100.0f), BAR_HORIZONTAL | BAR_PIXEL_SIZE);
    // The blinking clock is a time-out warning, shown only where time can run out.
    if (ClockCanRunOut() && timeLeft < kClockWarningSeconds) {
        DrawSprite(GetTexture("Graphics\\round_time.png"), screen.GetTextX("txtTimeNum"), screen.GetTextY("txtTimeNum"),
                   0, 0, 0, 0, 1, 1, FadeColour(BlinkAlpha(NowSeconds())), 9, 0);
    }
}
