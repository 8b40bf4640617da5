// The guide of the first level: a picture over the shape to take, one over
// the hand when it is to be turned (Transformer), and one over the cell to
// fill, each with an arrow bobbing beside it. The pictures with words in them
// come from the language's own image folder.
#include "gameplay/EngineCalls.h"
#include "gameplay/Game.h"

#include "engine/Language.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr uint32_t kOwnColours = 0xFFFFFFFFu;
constexpr float kPi = 3.1415927f;
// Above this the cell is near the top edge, and its hint goes below it.
constexpr float kTopCellY = 0.3f;

// A picture of the language's image folder ("hint1.png" of "English\\").
EngineCalls::Texture HintPicture(const char* file) {
    char path[300];
    std::snprintf(path, sizeof path, "%s%s", GetLanguageString("English\\"), file);
    return EngineCalls::GetTexture(path);
}

void DrawPicture(EngineCalls::Texture texture, float x, float y, float w, float h, float rotation) {
    EngineCalls::DrawSprite(texture, x, y, w, h, 0, 0, 1, 1, kOwnColours, 9, rotation);
}

} // namespace

void Game::DrawHints() {
    if (!tutorialOn) return;
    using namespace EngineCalls;
    SetupTutorialShapes();
    const float bob = std::sin(3.0f * NowSeconds()) * 0.01f;
    Texture arrow = GetTexture("Graphics\\arrow.png");
    switch (tutorialStep) {
    case 1:
        if (tutorialPanelIndex < 0 || tutorialPanelIndex >= panelCount) break;
        {
            const ShapeCell& s = panel[tutorialPanelIndex];
            DrawPicture(HintPicture("hint1.png"), s.x, s.y - 0.25f, 0.2f, 0.2f, 0);
            DrawPicture(arrow, s.x, s.y - 0.13f + bob, 0, 0, 0);
        }
        break;
    case 2:
        DrawPicture(HintPicture("hint3.png"), heldShape.x, heldShape.y - 0.15f, 0.2f, 0.2f, 0);
        break;
    case 3:
        if (tutorialCellIndex < 0 || tutorialCellIndex >= cellCount) break;
        {
            const ShapeCell& c = cells[tutorialCellIndex];
            const bool nearTop = c.y < kTopCellY;
            const float hintY = nearTop ? c.y + 0.25f : c.y - 0.25f;
            const float arrowY = nearTop ? c.y + 0.13f - bob : c.y - 0.13f + bob;
            DrawPicture(HintPicture("hint2.png"), c.x, hintY, 0.1f, 0.1f, 0);
            DrawPicture(arrow, c.x, arrowY, 0.08f, 0.10666667f, nearTop ? kPi : 0.0f);
        }
        break;
    default: break;
    }
}
