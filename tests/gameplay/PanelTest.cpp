#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/EngineCalls.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"

#include "engine/MouseButtonEdges.h"

using namespace Geometry;

namespace {

// A level in play with the board standing still.
void Freeze(Game& g) {
    g.lineSpeed = 0;
    g.phase = Phase::Playing;
    g.levelTime = 1000;
    g.playStartTime = EngineCalls::NowSeconds();
    GameState = State::Playing;
}

} // namespace

TEST_F(GameTest, AShapeTakenInATickIsPlacedOnlyInALaterTick) {
    LoadPlainLevel();
    Freeze(game());
    const int cell = 11 + 3;
    ShapeCell& shape = game().panel[0];
    shape = game().cells[cell]; // a panel shape lying right over its own cell
    shape.shown = shape.bonus = 0;
    shape.width = kCellWidth;
    shape.height = kCellHeight;
    game().panelCount = 1;
    game().cells[cell].x += 0.005f; // the panel slides left this tick; keep both under the pointer
    Pointer(shape.x, shape.y, 0);
    PlayTick();
    Pointer(shape.x, shape.y, Quill::MOUSE_LEFT);
    PlayTick();
    EXPECT_EQ(game().heldShape.shown, 1);
    EXPECT_EQ(game().cells[cell].filled, 0) << "taken and placed in one tick";
    Pointer(game().cells[cell].x, game().cells[cell].y, 0); // let go over the cell
    PlayTick();
    EXPECT_EQ(game().cells[cell].filled, 1);
    EXPECT_EQ(game().heldShape.shown, 0);
}

TEST_F(GameTest, AShapeHeldOverThePanelIsNeverPlaced) {
    LoadPlainLevel();
    struct Case { float y; bool placed; } cases[] = {{0.84f, true}, {0.85f, false}, {0.9f, false}};
    for (const Case& c : cases) {
        ShapeCell& cell = game().cells[11 + 2];
        cell.filled = 0;
        cell.y = c.y;
        PlaceOn(11 + 2);
        EXPECT_TRUE(cell.filled == c.placed && game().heldShape.shown != c.placed) << "y " << c.y;
    }
}

TEST_F(GameTest, TheFirstPanelShapeStopsAtTheLeftAndTheOthersQueueUpBehindIt) {
    LoadPlainLevel();
    Freeze(game());
    for (int i = 0; i < 600; ++i) PlayTick();
    // The queue fills until its last shape waits right of the spawn line.
    EXPECT_TRUE(game().panelCount == 7 && game().shapesSpawned == 7u) << game().panelCount;
    EXPECT_TRUE(game().panel[0].x <= kPanelStopX && game().panel[0].x > kPanelStopX - 0.0075f) << game().panel[0].x;
    for (int i = 1; i < game().panelCount; ++i)
        EXPECT_NEAR(game().panel[i].x - game().panel[i - 1].x, kPanelSpacing, 1e-5f);
}

TEST_F(GameTest, ANewPanelShapeTakesTheLastBonusDrawnAndNotThePreviousClass) {
    LoadPlainLevel();
    // Three draws in a row, each replacing the one before when it succeeds
    // (a chance of 2 always succeeds, 0 never).
    struct Case { float any, band, area; int bonus; } cases[] = {
        {0, 0, 0, Bonus::None}, {2, 0, 0, Bonus::AnyShape}, {2, 2, 0, Bonus::Band},
        {0, 2, 0, Bonus::Band}, {2, 0, 2, Bonus::Area},     {2, 2, 2, Bonus::Area}};
    for (const Case& c : cases) {
        game().bonusAnyShapeP = c.any, game().bonusBandP = c.band, game().bonusAreaP = c.area;
        game().panelCount = 0;
        game().SpawnPanelShape();
        EXPECT_EQ(game().panel[0].bonus, c.bonus) << c.any << " " << c.band << " " << c.area;
    }
    int repeats = 0, previous = -1;
    for (int i = 0; i < 300; ++i) {
        game().panelCount = 0;
        game().SpawnPanelShape();
        repeats += game().panel[0].classIndex == previous;
        previous = game().panel[0].classIndex;
    }
    EXPECT_EQ(repeats, 0) << "ten tries of four classes all but never give the previous one";
}

TEST_F(GameTest, ShapesAreTakenOnlyRightOfTheThrowAwayArea) {
    LoadPlainLevel();
    Freeze(game());
    struct Case { float shapeX, pointerX; bool taken; } cases[] = {
        {0.25f, 0.25f, true}, {0.21f, 0.20125f, true}, {0.21f, 0.2f, false}, {0.19f, 0.19f, false}};
    for (const Case& c : cases) {
        game().panel[0] = game().cells[0];
        game().panel[0].x = c.shapeX;
        game().panel[0].y = kPanelY;
        game().panelCount = 1;
        game().heldShape.shown = 0;
        Pointer(c.pointerX, kPanelY, Quill::MOUSE_LEFT);
        EngineCalls::PointerFraction(game().mouseX, game().mouseY);
        EXPECT_EQ(game().TakeShape(), c.taken) << "pointer at " << c.pointerX;
        EXPECT_EQ(game().panelCount, c.taken ? 0 : 1);
    }
}

TEST_F(GameTest, CompleteLinesGoAndTheOthersCloseUpTowardTheMiddle) {
    LoadPlainLevel();
    for (int line : {1, 4})
        for (int c = 0; c < 11; ++c) game().cells[line * 11 + c].filled = 1;
    game().RemoveCompleteLines();
    EXPECT_EQ(CountEvents("remove_line"), 2);
    EXPECT_EQ(game().linesLeft, 4);
    RunEffects(1100);
    const float expected[6] = {0.40875f, 0.40875f, 0.5275f, 0.64625f, 0.765f, 0.765f};
    for (int r = 0; r < 6; ++r) {
        EXPECT_NEAR(game().lines[r].x, expected[r], 1e-5f) << "line " << r;
        EXPECT_NEAR(game().cells[r * 11 + 5].x, expected[r], 1e-5f) << "line " << r;
        EXPECT_EQ(game().lines[r].removed, r == 1 || r == 4);
        EXPECT_EQ(game().cells[r * 11].shown, r == 1 || r == 4 ? 0 : 1);
    }
    EXPECT_FLOAT_EQ(game().lines[1].fade, 0.0f);
}

TEST_F(GameTest, TheRightButtonTurnsTheHeldShapeOnlyInTransformer) {
    WriteClasses(8, 3);
    WriteLevel(2, {{"levelTime", "100"}, {"shapeClassCount", "3"}, {"lineShapeCount", "11"}});
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    struct Case { int mode; int expected[4]; } cases[] = {
        {Mode::Transformer, {1, 2, 0, 1}}, {Mode::Classic, {0, 0, 0, 0}}, {Mode::Relax, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        game().gameMode = c.mode;
        game().levelNumber = 2;
        game().LoadLevel();
        game().heldShape = game().cells[0];
        game().heldShape.shape = 0;
        game().heldShape.shown = 1;
        events.clear();
        for (int turn = 0; turn < 4; ++turn) {
            Pointer(0.5f, 0.5f, Quill::MOUSE_RIGHT);
            MouseButtonEdges();
            game().TransformHeldShape();
            EXPECT_EQ(game().heldShape.shape, c.expected[turn]) << "mode " << c.mode << " turn " << turn;
            Pointer(0.5f, 0.5f, 0);
            MouseButtonEdges();
            game().TransformHeldShape(); // a release does nothing
        }
        EXPECT_EQ(CountEvents("transform_shape"), c.mode == Mode::Transformer ? 4 : 0);
    }
}

// Space in play throws the held shape away, else the first panel shape once
// it has come near the left; outside play the key means nothing to the game.
TEST_F(GameTest, SpaceThrowsAwayTheHeldShapeElseTheFirstPanelShape) {
    LoadPlainLevel();
    struct Case { const char* what; int32_t state; bool holding; float firstX; int panelAfter, takes, drops; } cases[] = {
        {"held shape goes, panel stays", State::Playing, true, 0.3f, 3, 0, 1},
        {"first panel shape goes", State::Playing, false, 0.3f, 2, 1, 1},
        {"first panel shape still far right", State::Playing, false, 0.6f, 3, 0, 0},
        {"paused", State::Paused, true, 0.3f, 3, 0, 0},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 3; ++i) {
            game().panel[i] = game().cells[i];
            game().panel[i].x = c.firstX + i * kPanelSpacing;
        }
        game().panelCount = 3;
        game().heldShape.shown = c.holding;
        events.clear();
        GameState = c.state;
        ProcessMessage(MakeInputMessage(INPUT_KEY_DOWN, Quill::VK_SPACE, 0, 0));
        EXPECT_EQ(game().panelCount, c.panelAfter) << c.what;
        EXPECT_EQ(game().heldShape.shown, c.state == State::Playing ? 0 : 1) << c.what;
        EXPECT_EQ(CountEvents("take_shape"), c.takes) << c.what;
        EXPECT_EQ(CountEvents("drop_shape"), c.drops) << c.what;
    }
}

// A second close-up while the first is under way ends exactly where two
// removals put the line; with the effects queue full, it sends the move
// already under way on to the new place.
TEST_F(GameTest, ACloseUpThatFindsTheQueueFullStillEndsInItsPlace) {
    for (bool full : {false, true}) {
        LoadPlainLevel();
        TheEffectQueue().Clear();
        for (int c = 0; c < 11; ++c) game().cells[2 * 11 + c].filled = 1;
        game().RemoveCompleteLines(); // lines 0 and 1 start moving right
        RunEffects(300);
        while (full && TheEffectQueue().AddSoundEvent(5.0f, "")) {
        }
        for (int c = 0; c < 11; ++c) game().cells[11 + c].filled = 1;
        game().RemoveCompleteLines(); // line 0 has another step to go
        RunEffects(1500);
        EXPECT_NEAR(game().lines[0].x, 0.29f + 2 * kLineSpacing, 1e-5f) << "queue full " << full;
        EXPECT_NEAR(game().cells[5].x, 0.29f + 2 * kLineSpacing, 1e-5f) << "queue full " << full;
        EXPECT_EQ(game().linesLeft, 4);
    }
}
