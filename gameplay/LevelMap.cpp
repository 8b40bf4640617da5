// The level map between stages: it fades in once the previous picture has
// faded out, shows one button per stage with the locked ones greyed, and a
// ring of ten stars that travels from the last stage's button to the
// current one. Picking a stage moves the ring there at once.
#include "gameplay/LevelMap.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float kTwoPi = 2.0f * 3.1415927f;
constexpr int kStars = 10;
constexpr float kRingRadius = 0.08f;
constexpr float kRingAspect = 0.75f; // the ring is an ellipse 0.06 wide, 0.08 high
constexpr float kMarkerDelay = 0.5f;
constexpr float kMarkerTravel = 2.5f;

} // namespace

int32_t StageOf(int32_t level) {
    return static_cast<int32_t>((static_cast<int64_t>(level) - 1) / kLevelsPerStage + 1);
}

bool NumberAfterPrefix(const char* text, const char* prefix, int32_t& number) {
    if (!text || !prefix) return false;
    const size_t length = std::strlen(prefix);
    if (std::strncmp(text, prefix, length) != 0) return false;
    const char* digits = text + length;
    while (std::isspace(static_cast<unsigned char>(*digits))) ++digits;
    if (*digits == '+' || *digits == '-') ++digits;
    if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
    errno = 0;
    const long value = std::strtol(text + length, nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return false;
    number = static_cast<int32_t>(value);
    return true;
}

void Game::ReadLastOpenedLevel() {
    int value = lastOpenedLevel;
    EngineCalls::GetConfigInt("GAMEPLAY", "LastOpenedLevel", value);
    lastOpenedLevel = value < 1 ? 1 : value;
}

bool Game::MapButtonCentre(int32_t index, float& x, float& y) const {
    if (index < 0 || index >= menuMap.buttonCount || index >= MenuScreen::MaxButtons) return false;
    x = menuMap.buttons[index].xc;
    y = menuMap.buttons[index].yc;
    return true;
}

void Game::DrawLevelMap() {
    UpdateLevelMap();
    DrawLevelMapPicture();
}

void Game::UpdateLevelMap() {
    EffectQueue& fx = TheEffectQueue();
    fx.Update();
    const int32_t current = StageOf(levelNumber);

    if (phase == Phase::Leaving && fx.Idle()) {
        phase = Phase::Map;
        fx.AddTween(0, 0.5f, screenFade, 1.0f, &screenFade);
        float fromX = 0, fromY = 0, toX = 0, toY = 0;
        const bool haveTo = MapButtonCentre(current, toX, toY);
        if (current > 1) {
            if (MapButtonCentre(current - 1, fromX, fromY) && haveTo) {
                stageMarkerX = fromX;
                stageMarkerY = fromY;
                fx.AddTween(kMarkerDelay, kMarkerTravel, fromX, toX, &stageMarkerX);
                fx.AddTween(kMarkerDelay, kMarkerTravel, fromY, toY, &stageMarkerY);
            }
            const int32_t soundClass = current + 3;
            if (soundClass < classCount && classTable[soundClass].soundEvent[0])
                fx.AddSoundEvent(kMarkerTravel, classTable[soundClass].soundEvent);
        } else if (haveTo) {
            stageMarkerX = toX;
            stageMarkerY = toY;
        }
    }

    UpdateMapLocks();
}

void Game::DrawLevelMapPicture() {
    EffectQueue& fx = TheEffectQueue();
    if (phase != Phase::Leaving) {
        DrawMapPicture();
    } else {
        const int32_t previous = PreviousGameState();
        if (previous == State::MainMenu || previous == State::ContinueConfirm) DrawStatePicture(previous);
        else DrawGameScreen();
    }
    fx.Draw(1);
    fx.Draw(2);
}

void Game::UpdateMapLocks() {
    const int32_t open = StageOf(lastOpenedLevel);
    for (int32_t i = 0; i < menuMap.buttonCount && i < MenuScreen::MaxButtons; ++i) {
        MenuButton& b = menuMap.buttons[i];
        int32_t stage = 0;
        if (NumberAfterPrefix(b.name, "btnStage", stage)) b.enabled = stage <= open ? 1 : 0;
    }
}

void Game::DrawMapPicture() {
    using namespace EngineCalls;
    menuMap.DrawScreen();
    Texture grey = GetTexture("Graphics\\grey.png");
    for (int32_t i = 0; i < menuMap.buttonCount && i < MenuScreen::MaxButtons; ++i) {
        const MenuButton& b = menuMap.buttons[i];
        if (!b.enabled) DrawSprite(grey, b.xc, b.yc, b.width, b.height, 0, 0, 1, 1, 0xFFFFFFFFu, 9, 0);
    }
    Texture star = GetTexture("Graphics\\am_effect_star.png");
    const float now = NowSeconds();
    for (int j = 0; j < kStars; ++j) {
        const float t = now + static_cast<float>(j) / static_cast<float>(kStars) * kTwoPi;
        DrawSprite(star, stageMarkerX + std::cos(t) * kRingRadius * kRingAspect,
                   stageMarkerY + std::sin(t) * kRingRadius, 0.036f, 0.048f, 0, 0, 1, 1, 0xFFFFFFFFu, 9, 0);
    }
}

bool Game::SelectStage(const char* action) {
    int32_t stage = 0;
    if (!NumberAfterPrefix(action, "procStage", stage) || stage < 1 || stage > kMaxStage) return false;
    levelNumber = (stage - 1) * kLevelsPerStage + 1;
    const int32_t s = StageOf(levelNumber);
    MapButtonCentre(s, stageMarkerX, stageMarkerY);
    const int32_t soundClass = s + 3;
    if (soundClass < classCount && classTable[soundClass].soundEvent[0])
        EngineCalls::PlayEvent(classTable[soundClass].soundEvent);
    return true;
}
