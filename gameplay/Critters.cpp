// The two creatures: the bug that walks in, eats a placed shape and walks
// out again, and the eight butterflies that drift over the menu screens.
// Their clocks are the platform clock, which a pause does not stop.
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kNear = 0.025f;

// Moves (x, y) toward (tx, ty) by speed x dt; no step when already there.
void StepToward(float& x, float& y, float tx, float ty, float speed, float dt) {
    float dx = tx - x, dy = ty - y;
    float d = std::sqrt(dx * dx + dy * dy);
    if (!(d > 0)) return;
    x += dt * speed * dx / d;
    y += dt * speed * dy / d;
}

bool Near(float x, float y, float tx, float ty) { return std::fabs(x - tx) < kNear && std::fabs(y - ty) < kNear; }

float Wrap(float v) {
    if (v < -0.3f) return -0.05f;
    if (v > 1.3f) return 1.05f;
    return v;
}

} // namespace

void Game::ResetBug() {
    bug = Bug();
    bug.lastLeave = EngineCalls::NowSeconds();
}

void Game::BugArrivalCheck() {
    if (bug.active || cellCount <= 0) return;
    if (!(EngineCalls::NowSeconds() - bug.lastLeave > bug.interval)) return;
    int32_t i = EngineCalls::RandomInt(0, cellCount - 1);
    const ShapeCell& c = cells[i];
    if (!c.filled || !c.shown || !(c.y > 0.55f && c.y < 1.05f)) return;
    EngineCalls::PlayEvent("bug_alarm");
    bug.active = 1;
    bug.state = 0;
    bug.x = bug.startX;
    bug.y = bug.startY;
    bug.targetCell = i;
}

void Game::UpdateBug(float frameDt) {
    if (!bug.active) return;
    if (bug.targetCell < 0 || bug.targetCell >= cellCount) {
        bug.active = 0;
        return;
    }
    ShapeCell& target = cells[bug.targetCell];
    const float now = EngineCalls::NowSeconds();
    if (bug.state == 0) {
        if (!target.shown) bug.state = 2; // its line went: turn round
        if (Near(bug.x, bug.y, target.x, target.y)) {
            bug.state = 1;
            bug.arrivedAt = now;
        }
        StepToward(bug.x, bug.y, target.x, target.y, bug.speed, frameDt);
    }
    if (bug.state == 1) {
        bug.x = target.x;
        bug.y = target.y;
        if (now - bug.arrivedAt > bug.eatTime) {
            bug.state = 2;
            if (target.shown) {
                target.filled = 0;
                EngineCalls::PlayEvent("shape_clear");
                TheEffectQueue().AddSheetAnimation(1, 0, 0.5f, bug.x, bug.y,
                                                   EngineCalls::GetTexture("Graphics\\star-rotation.png"), 3, 3, 0);
            }
        }
    }
    if (bug.state == 2) {
        if (Near(bug.x, bug.y, bug.exitX, bug.exitY)) {
            bug.active = 0;
            bug.lastLeave = now;
        }
        StepToward(bug.x, bug.y, bug.exitX, bug.exitY, bug.speed, frameDt);
    }
}

void Game::DrawBug() const {
    if (!bug.active) return;
    EngineCalls::DrawSpriteFrame(EngineCalls::GetTexture("Graphics\\bug_right.png"), bug.x, bug.y, 0.072f, 0.096f, 9,
                                 6, 1, 1.6f, 0xFFFFFFFFu);
}

void Game::UpdateButterflies(float frameDt) {
    const float now = EngineCalls::NowSeconds();
    for (Butterfly& b : butterflies) {
        if (b.wandering && now - b.lastTurn > 3.0f) {
            b.lastTurn = now;
            b.heading = static_cast<float>(EngineCalls::RandomInt(0, 15)) / 16.0f * 2.0f * kPi;
            b.speed = static_cast<float>(EngineCalls::RandomInt(0, 10)) * 0.003f + 0.02f;
        }
        b.x = Wrap(b.x + std::cos(b.heading) * frameDt * b.speed);
        b.y = Wrap(b.y + std::sin(b.heading) * frameDt * b.speed);
    }
}

void Game::EnsureButterflies() {
    if (!butterfliesCreated) {
        butterfliesCreated = 1;
        char path[64];
        for (int i = 0; i < kButterflyCount; ++i) {
            Butterfly& b = butterflies[i];
            b = Butterfly();
            b.x = b.homeX = static_cast<float>(EngineCalls::RandomInt(1, 9)) / 10.0f;
            b.y = b.homeY = static_cast<float>(EngineCalls::RandomInt(1, 9)) / 10.0f;
            int n = i % 4 + 1;
            std::snprintf(path, sizeof path, "Graphics\\butterfly_anim%d_left.png", n);
            b.leftImage = TextureIdOf(EngineCalls::GetTexture(path));
            std::snprintf(path, sizeof path, "Graphics\\butterfly_anim%d_right.png", n);
            b.rightImage = TextureIdOf(EngineCalls::GetTexture(path));
        }
    }
}

void Game::DrawButterflies() {
    EnsureButterflies();
    for (const Butterfly& b : butterflies) {
        bool left = b.heading > kPi / 2 && b.heading < 3 * kPi / 2;
        EngineCalls::DrawSpriteFrame(TextureOf(left ? b.leftImage : b.rightImage), b.x, b.y, 0.048f, 0.064f, 9, 6, 1,
                                     b.speed * 50.0f, 0xFFFFFFFFu);
    }
}
