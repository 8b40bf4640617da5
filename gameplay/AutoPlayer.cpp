#include "gameplay/AutoPlayer.h"

#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include "framework/platform/HeadlessPlatform.h"

namespace {

constexpr int kPatienceTicks = 150;
// Cells are aimed at only well inside the screen, above the panel.
constexpr float kTopY = 0.08f;
constexpr float kBottomY = 0.8f;

} // namespace

AutoPlayer::AutoPlayer(Game& g, Quill::HeadlessPlatform& p) : game(g), platform(&p) {}

AutoPlayer::AutoPlayer(Game& g) : game(g) {}

// Space throws a shape away: pressed at once on the test platform, or handed
// back with the move for the demo to send as a key.
void AutoPlayer::Discard() {
    if (platform) game.HandleKey(Quill::VK_SPACE);
    else spaceWanted = true;
    waitingTicks = 0;
    ++discards;
}

AutoPlayer::Move AutoPlayer::Decide() {
    spaceWanted = false;
    if (GameState == State::Playing) ChooseInput();
    else buttons = 0;
    Move move;
    move.x = pointerX;
    move.y = pointerY;
    move.buttons = buttons;
    move.space = spaceWanted;
    return move;
}

void AutoPlayer::Point(float x, float y) {
    pointerX = static_cast<int>(x * 800.0f + 0.5f);
    pointerY = static_cast<int>(y * 600.0f + 0.5f);
}

int AutoPlayer::FindCell(const ShapeCell& shape, bool anyShapeOfClass) const {
    for (int i = 0; i < game.cellCount; ++i) {
        const ShapeCell& c = game.cells[i];
        if (c.filled || !c.shown || !(c.y > kTopY && c.y < kBottomY) || !(c.x > 0.05f && c.x < 0.95f)) continue;
        if (game.tutorialOn && i != game.tutorialCellIndex) continue;
        if (shape.bonus != Bonus::None) return i;
        if (c.classIndex == shape.classIndex && (anyShapeOfClass || c.shape == shape.shape)) return i;
    }
    return -1;
}

void AutoPlayer::ChooseInput() {
    const bool transformer = game.gameMode == Mode::Transformer;
    if (!game.heldShape.shown) {
        buttons &= ~Quill::MOUSE_RIGHT;
        if (buttons & Quill::MOUSE_LEFT) { // let go after the last placement
            buttons &= ~Quill::MOUSE_LEFT;
            return;
        }
        if (!(game.phase == Phase::Playing || game.levelNumber > 1)) return;
        for (int i = 0; i < game.panelCount; ++i) {
            const ShapeCell& s = game.panel[i];
            if (game.tutorialOn && i != game.tutorialPanelIndex) continue;
            if (!(s.x > 0.25f && s.x < 0.95f) || FindCell(s, transformer) < 0) continue;
            Point(s.x, s.y);
            buttons |= Quill::MOUSE_LEFT;
            waitingTicks = 0;
            ++takes;
            return;
        }
        // Nothing on the panel fits anything on screen: throw the first away.
        if (++waitingTicks > kPatienceTicks && game.panelCount > 0 && !game.tutorialOn) Discard();
        return;
    }

    const int cell = FindCell(game.heldShape, transformer);
    if (cell < 0) {
        if (++waitingTicks > kPatienceTicks && !game.tutorialOn) Discard();
        return;
    }
    const ShapeCell& target = game.cells[cell];
    if (transformer && game.heldShape.bonus == Bonus::None && game.heldShape.shape != target.shape) {
        buttons ^= Quill::MOUSE_RIGHT; // a press turns it, the next tick lets go
        return;
    }
    buttons &= ~Quill::MOUSE_RIGHT;
    Point(target.x, target.y);
    buttons ^= Quill::MOUSE_LEFT; // a release (drag and drop) or a press (click, click) places it
}

void AutoPlayer::Steer() {
    if (GameState == State::Playing) ChooseInput();
    if (platform) platform->SetPointerState(pointerX, pointerY, buttons);
}

void AutoPlayer::Tick() {
    if (platform) platform->Advance(10);
    FrameTime = 0.01f;
    Steer();
    ++ticks;
    switch (GameState) {
    case State::Playing: game.UpdateRound(FrameTime); break;
    case State::LevelAdvance: game.NextLevel(); break;
    case State::GameComplete: game.UpdateGameComplete(); break;
    default: break;
    }
}

bool AutoPlayer::RunUntil(const std::function<bool()>& done, int maxTicks) {
    for (int i = 0; i < maxTicks; ++i) {
        if (done()) return true;
        Tick();
    }
    return done();
}
