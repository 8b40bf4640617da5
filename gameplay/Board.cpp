// The board: generating the six lines of cells, scrolling them, drawing them,
// and the hit boxes of cells and panel shapes.
#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"

#include "framework/graphics/Image.h"

#include <cmath>
#include <cstdio>

using namespace Geometry;

namespace {

constexpr float kCellTopLimit = -0.079166666f;
constexpr float kCellBottomLimit = 1.0791667f;
constexpr float kOnePixel = 0.0016666667f;

bool ValidShape(const ShapeClass* classes, int32_t count, int32_t c, int32_t s) {
    return c >= 0 && c < count && s >= 0 && s < classes[c].shapeCount && s < kMaxShapesPerClass;
}

} // namespace

void Game::BuildBoard() {
    boardReserved = 0;
    cellCount = 0;
    // A new board starts unscrolled, so the cells stay where they were built.
    scrollOffset = 0;
    const int32_t n = static_cast<int32_t>(lineShapeCount);
    if (shapeClassCount < 1 || n < 1 || n * lineCount > kMaxCells) return;
    int32_t k = 0;
    for (int32_t r = 0; r < lineCount; ++r) {
        for (int32_t c = 0; c < n; ++c) {
            ShapeCell& cell = cells[k++];
            cell = ShapeCell();
            cell.x = static_cast<float>(r) * kLineSpacing + kFirstLineX;
            cell.y = static_cast<float>(c) * kCellSpacing + kFirstCellY + (r % 2 == 0 ? kStagger : 0.0f);
            cell.restY = cell.y;
            cell.width = kCellWidth;
            cell.height = kCellHeight;
            cell.shown = 1;
            cell.classIndex = EngineCalls::RandomInt(0, shapeClassCount - 1);
            cell.shape = EngineCalls::RandomInt(0, levelClasses[cell.classIndex].shapeCount - 1);
            cell.speed = -lineSpeed;
        }
    }
    cellCount = lineCount * n;
}

void Game::ResetLines() {
    for (int32_t r = 0; r < kLineCount; ++r) {
        BoardLine& line = lines[r];
        line = BoardLine();
        line.x = static_cast<float>(r) * kLineSpacing + kFirstLineX;
        lineTargetX[r] = line.x;
    }
    linesLeft = kLineCount;
}

const char* Game::ShapeImagePath(const ShapeCell& s) const {
    if (s.bonus >= Bonus::AnyShape && s.bonus <= Bonus::Area) return BonusImagePath(s.bonus);
    if (!ValidShape(levelClasses, shapeClassCount, s.classIndex, s.shape)) return "";
    return levelClasses[s.classIndex].shapes[s.shape].mainImage;
}

void Game::ResolveImages() {
    for (int32_t i = 0; i < cellCount && i < kMaxCells; ++i) {
        ShapeCell& c = cells[i];
        if (ValidShape(levelClasses, shapeClassCount, c.classIndex, c.shape)) {
            const ShapeDef& def = levelClasses[c.classIndex].shapes[c.shape];
            c.maskImage = TextureIdOf(EngineCalls::GetTexture(def.maskImage));
            c.mainImage = TextureIdOf(EngineCalls::GetTexture(def.mainImage));
        } else {
            c.maskImage = c.mainImage = 0;
        }
    }
    for (int32_t i = 0; i < panelCount && i < kPanelSlots; ++i)
        panel[i].mainImage = TextureIdOf(EngineCalls::GetTexture(ShapeImagePath(panel[i])));
}

void Game::ScrollLines() {
    if (cellCount <= 0 || lineShapeCount == 0) return;
    const float speed = static_cast<float>(kLineCount - linesLeft) * 0.02f + lineSpeed;
    const float span = static_cast<float>(lineShapeCount) * kCellSpacing;
    const float bottom = kFirstCellY + span;
    scrollOffset -= speed * dt;
    if (scrollOffset < 0) scrollOffset = span;
    if (scrollOffset > span) scrollOffset = 0;
    for (int32_t i = 0; i < cellCount; ++i) {
        ShapeCell& c = cells[i];
        c.y = scrollOffset + c.restY;
        if (c.y < kFirstCellY) c.y += span;
        if (c.y > bottom) c.y -= span;
    }
}

bool Game::OnPanelShape(const ShapeCell& s, float mx, float my) {
    return std::fabs(s.x - mx) < s.width / 2 && std::fabs(s.y - my) < s.height / 2;
}

bool Game::OnCell(const ShapeCell& c, float mx, float my) {
    return std::fabs(c.x - mx) < c.width * 0.45f && std::fabs(c.y - my) < c.height * 0.45f;
}

void Game::DrawBoard() {
    using namespace EngineCalls;
    char path[64];
    Texture lineGlow = GetTexture("Graphics\\line_a.png");
    for (int32_t r = 0; r < kLineCount; ++r) {
        BoardLine& line = lines[r];
        line.tint = FadeColour(line.fade);
        if (!(line.fade >= 0.01f)) continue;
        std::snprintf(path, sizeof path, "Graphics\\line%d.png", static_cast<int>(r + 1));
        Texture image = GetTexture(path);
        for (int k = 0; k < 6; ++k) {
            float y = (static_cast<float>(k) + 0.65f) * kCellSpacing;
            DrawSprite(image, line.x, y, 0, 0, 0, 0, 1, 1, line.tint, 9, 0);
            if (line.removed) DrawSprite(lineGlow, line.x, y, 0, 0, 0, 0, 1, 1, line.tint, 10, 0);
        }
    }
    const uint32_t tint = FadeColour(boardAlpha);
    for (int32_t i = 0; i < cellCount; ++i) {
        const ShapeCell& c = cells[i];
        if (!c.shown || !(c.y > kCellTopLimit && c.y <= kCellBottomLimit)) continue;
        Quill::Image* image = TextureOf(c.filled ? c.mainImage : c.maskImage);
        if (!image) continue;
        float y = c.y;
        // A cell whose top edge is above the screen is drawn one pixel higher.
        if (y * 600.0f - static_cast<float>(image->GetHeight()) / 2.0f < 0) y -= kOnePixel;
        DrawSprite(image, c.x, y, 0, 0, 0, 0, 1, 1, tint, 9, 0);
    }
}
