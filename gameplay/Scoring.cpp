// Points and the three bonus shapes: the placement score with its runs of one
// class, what the any-shape, band and area bonuses fill, and the rewards at
// the end of a level, most of them delivered through the effects queue so the
// player sees each number fly to the score before it is added.
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameSeams.h"

#include <cmath>
#include <cstdio>

namespace {

const char* const kStarSheet = "Graphics\\star-rotation.png";
constexpr float kCentreX = 0.59f;
constexpr float kCentreY = 0.45f;
constexpr float kTextLift = 0.059375f;

int32_t TruncSeconds(float seconds) {
    if (!(seconds > -1e9f)) return seconds != seconds ? 0 : -1000000000;
    if (seconds > 1e9f) return 1000000000;
    return static_cast<int32_t>(seconds);
}

} // namespace

const char* Game::BonusImagePath(int32_t bonus) {
    switch (bonus) {
    case Bonus::AnyShape: return "Graphics\\am_bonus01.png";
    case Bonus::Band: return "Graphics\\am_bonus02.png";
    case Bonus::Area: return "Graphics\\am_bonus03.png";
    default: return "";
    }
}

void Game::ApplyBonus(int32_t cellIndex, int32_t bonus) {
    if (cellIndex < 0 || cellIndex >= cellCount) return;
    EffectQueue& fx = TheEffectQueue();
    const ShapeCell& target = cells[cellIndex];
    const float x = target.x, y = target.y, w = target.width, h = target.height;
    if (bonus == Bonus::Band) {
        // Its whole line, the cells off screen included.
        for (int32_t i = 0; i < cellCount; ++i)
            if (std::fabs(cells[i].x - x) < w / 10) cells[i].filled = 1;
    }
    if (bonus == Bonus::AnyShape || bonus == Bonus::Band) {
        fx.AddParticleBurst(1, 0, 0.5f, x, y, 0.03f, 0.1f, EngineCalls::GetTexture("Graphics\\particleq.png"), true);
    } else if (bonus == Bonus::Area) {
        EngineCalls::PlayEvent("fill_area");
        // On the staggered board this takes in the six cells around the target.
        for (int32_t i = 0; i < cellCount; ++i) {
            ShapeCell& c = cells[i];
            if (i == cellIndex || c.filled || !(std::fabs(c.x - x) < w * 1.9f) || !(std::fabs(c.y - y) < h * 1.9f))
                continue;
            c.filled = 1;
            fx.AddPlacingGlow(1, 0, 1.0f, &c.x, &c.y, TextureOf(c.mainImage));
        }
        fx.AddParticleBurst(1, 0, 0.75f, x, y, 0.06f, 0.2f, EngineCalls::GetTexture("Graphics\\particleq2.png"),
                            true);
    }
}

void Game::ScorePlacement(int32_t cellIndex) {
    if (cellIndex < 0 || cellIndex >= cellCount) return;
    EffectQueue& fx = TheEffectQueue();
    const ShapeCell& c = cells[cellIndex];
    char text[32];
    if (lastPlaced.classIndex == c.classIndex) {
        ++comboCount;
        lastPlaced = c;
        int32_t points = comboCount * 50 + 50;
        fx.AddFloatingText(1, 0, 2.0f, c.x, c.y - kTextLift - 0.05f, "BonusScore", false);
        std::snprintf(text, sizeof text, "%d", static_cast<int>(points));
        fx.AddFloatingText(1, 0, 2.0f, c.x, c.y - kTextLift, text, true);
        score += points;
        std::snprintf(text, sizeof text, "place_shape_bonus_%d", static_cast<int>(comboCount < 7 ? comboCount : 7));
        EngineCalls::PlayEvent(text);
    } else {
        comboCount = 0;
        lastPlaced = c;
        fx.AddFloatingText(1, 0, 0.8f, c.x, c.y - kTextLift, "50", true);
        score += 50;
        EngineCalls::PlayEvent("place_shape");
    }
}

void Game::QueueRegularLevelRewards() {
    EffectQueue& fx = TheEffectQueue();
    float scoreX, scoreY, clockX, clockY;
    HudElementPosition("txtScoreNum", scoreX, scoreY);
    HudElementPosition("txtTimeNum", clockX, clockY);
    EngineCalls::Texture star = EngineCalls::GetTexture(kStarSheet);

    // A level finished after the clock passed 0 (Relax) earns no time bonus
    // rather than losing points.
    int32_t timeBonus = TruncSeconds(timeLeft);
    if (timeBonus < 0) timeBonus = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(timeBonus));
    fx.AddFlyingText(2, 1.75f, 1.0f, clockX, clockY, scoreX, scoreY, text, true);
    fx.AddSheetAnimation(1, 1.75f, 1.0f, clockX, clockY, star, 3, 3, 0);
    fx.AddDelayed(2.75f, timeBonus, &score);
    fx.AddTween(1.75f, 0.01f, 0, 0, &timeLeft);

    fx.AddFlyingText(2, 1.75f, 1.0f, kCentreX, kCentreY, scoreX, scoreY, "1500", true);
    fx.AddSheetAnimation(1, 1.75f, 1.0f, kCentreX, kCentreY, star, 3, 3, 0);
    fx.AddDelayed(2.75f, 1500, &score);

    fx.AddSoundEvent(1.75f, "emit_scores");
    fx.AddSoundEvent(2.75f, "collect_scores");
}

void Game::QueueBonusLevelRewards() {
    EffectQueue& fx = TheEffectQueue();
    float scoreX, scoreY;
    HudElementPosition("txtScoreNum", scoreX, scoreY);
    EngineCalls::Texture star = EngineCalls::GetTexture(kStarSheet);
    for (int k = 0; k < 5; ++k) {
        float t = 1.4f + 0.3f * static_cast<float>(k);
        fx.AddFlyingText(2, t, 0.6f, kCentreX, kCentreY, scoreX, scoreY, "750", true);
        fx.AddSheetAnimation(1, t, 1.0f, kCentreX, kCentreY, star, 3, 3, 0);
        fx.AddDelayed(t + 0.6f, 750, &score);
        fx.AddSoundEvent(t, "emit_scores");
        fx.AddSoundEvent(t + 0.6f, "collect_scores");
    }
    EngineCalls::PlayEvent("bonus_level_complete");
    score += 1000;
}
