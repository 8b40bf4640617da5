#include "gameplay/support/GameTestSupport.h"

#include <cmath>

namespace {
constexpr int kTarget = 11 + 4; // line 1, y about 0.55..0.6 at the start
}

TEST_F(GameTest, TheBugComesForAFilledCellLowOnTheScreen) {
    LoadPlainLevel();
    game().bug.interval = 0;
    for (int i = 0; i < game().cellCount; ++i) game().cells[i].filled = 1;
    Advance(10);
    for (int i = 0; i < 1000 && !game().bug.active; ++i) game().BugArrivalCheck();
    ASSERT_EQ(game().bug.active, 1);
    const ShapeCell& c = game().cells[game().bug.targetCell];
    EXPECT_GT(c.y, 0.55f);
    EXPECT_LT(c.y, 1.05f);
    EXPECT_EQ(CountEvents("bug_alarm"), 1);
    EXPECT_FLOAT_EQ(game().bug.x, -0.1f);
}

// The bug walks to its cell at its speed, sits there two seconds and eats
// the shape, unless the cell's line went first (while it walked in or ate).
TEST_F(GameTest, TheBugWalksAtItsSpeedAndSitsTwoSecondsBeforeEating) {
    // hideAtState -1: the line stays
    struct Case { const char* what; int hideAtState; bool eaten; } cases[] = {
        {"eats", -1, true}, {"line goes while walking in", 0, false}, {"line goes while eating", 1, false}};
    for (const Case& c : cases) {
        LoadPlainLevel();
        events.clear();
        ShapeCell& target = game().cells[kTarget];
        target.filled = 1;
        Bug& bug = game().bug;
        bug.active = 1, bug.state = 0, bug.x = bug.startX, bug.y = bug.startY, bug.targetCell = kTarget;
        const float distance = std::hypot(target.x - bug.startX, target.y - bug.startY);
        const float start = Now();
        float arrived = 0, eaten = 0;
        for (int i = 0; i < 3000 && bug.active; ++i) {
            if (bug.state == c.hideAtState) target.shown = 0;
            Advance(10);
            game().UpdateBug(0.01f);
            if (!arrived && bug.state == 1) arrived = Now() - start;
            if (!eaten && !target.filled) eaten = Now() - start;
        }
        EXPECT_EQ(bug.active, 0) << c.what << ": it left";
        EXPECT_EQ(target.filled, c.eaten ? 0 : 1) << c.what;
        EXPECT_EQ(CountEvents("shape_clear"), c.eaten ? 1 : 0) << c.what;
        EXPECT_EQ(arrived > 0, c.hideAtState != 0) << c.what;
        if (!c.eaten) continue;
        // At 0.2 screen units a second it stops within 0.025 of the cell.
        EXPECT_GT(arrived, (distance - 0.036f) / 0.2f);
        EXPECT_LE(arrived, distance / 0.2f + 0.01f);
        EXPECT_GT(eaten - arrived, 2.0f);
        EXPECT_LE(eaten - arrived, 2.0f + 0.0105f);
    }
}

TEST_F(GameTest, ButterfliesTurnEveryThreeSeconds) {
    game().DrawButterflies();
    Butterfly& b = game().butterflies[0];
    b.lastTurn = Now();
    std::vector<float> turns;
    for (int i = 0; i < 1000; ++i) {
        Advance(10);
        game().UpdateButterflies(0.01f);
        if (b.lastTurn == Now()) turns.push_back(Now());
    }
    ASSERT_EQ(turns.size(), 3u);
    EXPECT_NEAR(turns[1] - turns[0], 3.01f, 0.001f);
    EXPECT_NEAR(turns[2] - turns[1], 3.01f, 0.001f);
    EXPECT_GT(b.speed, 0.0199f);
    EXPECT_LT(b.speed, 0.0501f);
}
