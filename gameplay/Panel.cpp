// What the player's hands do: shapes arriving on the panel, taking one into
// the hand, placing it on a cell, turning it (Transformer), throwing it away,
// and the lines that go when they are full while the others close up toward
// the middle of the board.
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include "framework/platform/Platform.h"

using namespace Geometry;

namespace {

constexpr float kLastSpawnX = 0.940625f;
constexpr float kPanelLeftEdge = 0.140625f; // 0.2 - half a panel spacing
constexpr float kPlaceLimitY = 0.85f;

float Draw01() { return static_cast<float>(EngineCalls::RandomRaw()) / 32767.0f; }

// Moves *value to `to` in a second. With the effects queue full, a move of
// it already under way is sent on to the new place instead, or the value
// jumps there; an older move left running would end short of it and leave
// the next close-up to start from the wrong place.
void CloseUp(EffectQueue& fx, float* value, float to) {
    if (fx.AddTween(0, 1.0f, *value, to, value)) return;
    if (!fx.RetargetTweens(value, to)) *value = to;
}

void RemovePanelSlot(ShapeCell* panel, int32_t& count, int32_t index) {
    for (int32_t k = index; k + 1 < count; ++k) panel[k] = panel[k + 1];
    --count;
}

} // namespace

bool Game::PanelHasRoom() const {
    if (panelCount == 0) return true;
    return panelCount >= 1 && panelCount < kMaxPanelInPlay && panel[panelCount - 1].x < kLastSpawnX;
}

void Game::SpawnPanelShape() {
    if (shapeClassCount < 1 || panelCount >= kMaxPanelInPlay) return;
    ShapeCell& s = panel[panelCount];
    s = ShapeCell();
    s.x = kPanelEntryX;
    s.y = kPanelY;
    s.width = kCellWidth;
    s.height = kCellHeight;
    if (Draw01() < bonusAnyShapeP) s.bonus = Bonus::AnyShape;
    if (Draw01() < bonusBandP) s.bonus = Bonus::Band;
    if (Draw01() < bonusAreaP) s.bonus = Bonus::Area;

    // Classes come in proportion to the cells still waiting for them, and
    // (if ten tries allow) never twice in a row.
    int32_t waiting[kMaxClasses] = {};
    int32_t total = 0;
    for (int32_t i = 0; i < cellCount; ++i) {
        const ShapeCell& c = cells[i];
        if (!c.filled && c.classIndex >= 0 && c.classIndex < shapeClassCount) {
            ++waiting[c.classIndex];
            ++total;
        }
    }
    int32_t cls = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        cls = EngineCalls::RandomInt(0, shapeClassCount - 1);
        float r = Draw01();
        float sum = 0;
        for (int32_t k = 0; k < shapeClassCount && total > 0; ++k) {
            float share = static_cast<float>(waiting[k]) / static_cast<float>(total);
            if (r >= sum && r <= sum + share) cls = k;
            sum += share;
        }
        if (cls != previousPanelClass) break;
    }
    previousPanelClass = cls;
    s.classIndex = cls;
    s.shape = EngineCalls::RandomInt(0, levelClasses[cls].shapeCount - 1);
    s.mainImage = TextureIdOf(EngineCalls::GetTexture(ShapeImagePath(s)));
    ++panelCount;
    ++shapesSpawned;
}

void Game::MovePanel(float frameDt) {
    // The first level's guide holds the panel still so that its shape stays
    // put under the hint, but only while that shape is there and fully on
    // screen: shapes thrown away are never replaced while the panel stands,
    // and the guided shape could otherwise end up out of reach for good,
    // with the level's clock stopped.
    const bool guidedShapeInReach = panelCount > tutorialPanelIndex && tutorialPanelIndex >= 0 &&
                                    panel[tutorialPanelIndex].x < kLastSpawnX;
    if (tutorialOn && shapesSpawned >= 9 && guidedShapeInReach) return;
    const float step = -0.75f * frameDt;
    for (int32_t i = 0; i < panelCount; ++i) {
        ShapeCell& s = panel[i];
        if (i == 0) {
            if (s.x > kPanelStopX) s.x += step;
            continue;
        }
        if (s.x - panel[i - 1].x > kPanelSpacing) s.x += step;
        if (s.x - panel[i - 1].x < kPanelSpacing) s.x = panel[i - 1].x + kPanelSpacing;
    }
    if (panelCount > 0 && panel[0].x < kPanelLeftEdge) RemovePanelSlot(panel, panelCount, 0);
}

bool Game::TakeShape() {
    // A press seen this tick takes a shape even when the button is already
    // up again: a quick tap goes down and up between two ticks.
    const bool pressing = EngineCalls::LeftButtonDown() || EngineCalls::LeftPressed();
    if (!(phase == Phase::Playing || levelNumber > 1) || !pressing || heldShape.shown) return false;
    for (int32_t i = 0; i < panelCount; ++i) {
        if (!OnPanelShape(panel[i], mouseX, mouseY) || !(mouseX > 0.2f)) continue;
        if (tutorialOn && i != tutorialPanelIndex) continue;
        heldShape = panel[i];
        heldShape.shown = 1;
        EngineCalls::PlayEvent("take_shape");
        RemovePanelSlot(panel, panelCount, i);
        if (tutorialOn && tutorialStep == 1) tutorialStep = gameMode == Mode::Transformer ? 2 : 3;
        return true;
    }
    return false;
}

void Game::PlaceHeldShape(bool justTaken) {
    if (justTaken || !(EngineCalls::LeftPressed() || EngineCalls::LeftReleased()) || !heldShape.shown ||
        mouseY >= kPlaceLimitY)
        return;
    int32_t target = -1;
    for (int32_t i = 0; i < cellCount && target < 0; ++i) {
        const ShapeCell& c = cells[i];
        if (!OnCell(c, mouseX, mouseY) || c.filled) continue;
        if (tutorialOn && i != tutorialCellIndex) continue;
        if (heldShape.bonus != Bonus::None || (c.classIndex == heldShape.classIndex && c.shape == heldShape.shape))
            target = i;
    }
    if (target < 0) return; // released over nothing that fits: the shape stays in hand
    ShapeCell& cell = cells[target];
    cell.filled = 1;
    heldShape.shown = 0;
    TheEffectQueue().AddPlacingGlow(1, 0, 1.0f, &cell.x, &cell.y, TextureOf(cell.mainImage));
    ApplyBonus(target, heldShape.bonus);
    RemoveCompleteLines();
    ScorePlacement(target);
    if (tutorialOn && tutorialStep == 3) {
        tutorialOn = 0;
        SetPaused(false);
    }
}

void Game::TransformHeldShape() {
    if (gameMode != Mode::Transformer || !EngineCalls::RightPressed() || !heldShape.shown) return;
    EngineCalls::PlayEvent("transform_shape");
    int32_t count = 1;
    if (heldShape.classIndex >= 0 && heldShape.classIndex < shapeClassCount)
        count = levelClasses[heldShape.classIndex].shapeCount;
    heldShape.shape = heldShape.shape + 1 < count ? heldShape.shape + 1 : 0;
    if (tutorialOn && tutorialStep == 2) tutorialStep = 3;
}

void Game::RemoveCompleteLines() {
    const int32_t n = static_cast<int32_t>(lineShapeCount);
    if (n < 1 || n * kLineCount > cellCount) return;
    int32_t middle = 0;
    for (int32_t r = 0; r < kLineCount; ++r)
        if (lines[r].x < kMiddleX) middle = r;

    bool complete[kLineCount];
    for (int32_t r = 0; r < kLineCount; ++r) {
        complete[r] = true;
        for (int32_t c = 0; c < n; ++c) {
            const ShapeCell& cell = cells[r * n + c];
            if (!cell.filled || !cell.shown) complete[r] = false;
        }
    }
    // Lines left of the middle move right, lines right of it move left, each
    // by the number of complete lines between it and the middle.
    int32_t shift[kLineCount] = {};
    int32_t met = 0;
    for (int32_t r = middle; r >= 0; --r) {
        if (complete[r]) ++met;
        else shift[r] = met;
    }
    met = 0;
    for (int32_t r = middle + 1; r < kLineCount; ++r) {
        if (complete[r]) ++met;
        else shift[r] = -met;
    }

    EffectQueue& fx = TheEffectQueue();
    for (int32_t r = 0; r < kLineCount; ++r) {
        BoardLine& line = lines[r];
        if (complete[r]) {
            EngineCalls::PlayEvent("remove_line");
            for (int32_t c = 0; c < n; ++c) cells[r * n + c].shown = 0;
            if (!fx.AddTween(0, 1.0f, 1.0f, 0, &line.fade)) line.fade = 0;
            line.removed = 1;
            --linesLeft;
        } else if (shift[r] != 0) {
            // Head for where the line will be once every running move has
            // ended, so two removals within a second still close up exactly.
            const float to = lineTargetX[r] + static_cast<float>(shift[r]) * kLineSpacing;
            lineTargetX[r] = to;
            CloseUp(fx, &line.x, to);
            for (int32_t c = 0; c < n; ++c) CloseUp(fx, &cells[r * n + c].x, to);
        }
    }
}

void Game::DiscardShape() {
    if (!heldShape.shown && panelCount > 0) {
        heldShape = panel[0];
        heldShape.shown = 1;
        EngineCalls::PlayEvent("take_shape");
        RemovePanelSlot(panel, panelCount, 0);
    }
    if (heldShape.shown) {
        heldShape.shown = 0;
        EngineCalls::PlayEvent("drop_shape");
        TheEffectQueue().AddShrinkingImage(2, 0, 1.0f, 0.1f, kPanelY, kCellWidth, kCellHeight,
                                           EngineCalls::GetTexture(ShapeImagePath(heldShape)));
    }
}

void Game::HandleKey(uint32_t key) {
    if (key != Quill::VK_SPACE || GameState != State::Playing) return;
    // An empty panel has no first shape to ask about; a held shape still goes.
    if (panelCount == 0 || panel[0].x < 0.5f) DiscardShape();
}
