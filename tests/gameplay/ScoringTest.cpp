#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/GameState.h"

// A run of one class scores 50 more with each shape, up to 450, and its
// sound rises up to the seventh; a shape of any other class starts a new run.
TEST_F(GameTest, RunsOfOneClassScoreMoreAndAnyOtherClassBreaksTheRun) {
    LoadPlainLevel();
    // Visible cells of lines 1, 3 and 5, above the panel.
    const int cells[] = {12, 13, 14, 15, 16, 34, 35, 36, 37, 56, 57, 58, 59};
    const int classes[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 2, 2, 1};
    const int points[] = {50, 100, 150, 200, 250, 300, 350, 400, 450, 50, 50, 100, 50};
    const char* sounds[] = {"place_shape", "place_shape_bonus_1", "place_shape_bonus_2", "place_shape_bonus_3",
                            "place_shape_bonus_4", "place_shape_bonus_5", "place_shape_bonus_6",
                            "place_shape_bonus_7", "place_shape_bonus_7", "place_shape", "place_shape",
                            "place_shape_bonus_1", "place_shape"};
    for (int i = 0; i < 13; ++i) game().cells[cells[i]].classIndex = classes[i];
    for (int i = 0; i < 13; ++i) {
        events.clear();
        EXPECT_EQ(PlaceOn(cells[i]), points[i]) << "placement " << i;
        EXPECT_EQ(game().cells[cells[i]].filled, 1);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0], sounds[i]) << "placement " << i;
    }
}

TEST_F(GameTest, ABandBonusFillsItsLineWhichGoesInTheSamePlacement) {
    LoadPlainLevel();
    const int target = 2 * 11 + 2; // line 2
    EXPECT_EQ(PlaceOn(target, Bonus::Band), 50); // the other cells of the line score nothing
    for (int c = 0; c < 11; ++c) {
        EXPECT_EQ(game().cells[22 + c].filled, 1);
        EXPECT_EQ(game().cells[22 + c].shown, 0);
    }
    EXPECT_EQ(game().cells[11 + 2].filled, 0);
    EXPECT_EQ(game().lines[2].removed, 1);
    EXPECT_EQ(game().linesLeft, 5);
    EXPECT_EQ(CountEvents("remove_line"), 1);
}

TEST_F(GameTest, AnAreaBonusFillsTheSixCellsAroundItsTarget) {
    LoadPlainLevel();
    const int target = 2 * 11 + 2;
    EXPECT_EQ(PlaceOn(target, Bonus::Area), 50);
    const int expected[] = {target, 2 * 11 + 1, 2 * 11 + 3, 11 + 2, 11 + 3, 3 * 11 + 2, 3 * 11 + 3};
    int filled = 0;
    for (int i = 0; i < game().cellCount; ++i) filled += game().cells[i].filled;
    EXPECT_EQ(filled, 7);
    for (int c : expected) EXPECT_EQ(game().cells[c].filled, 1) << c;
    EXPECT_EQ(CountEvents("fill_area"), 1);
}

// A regular level's rewards (the seconds left and 1500) arrive together
// 2.75 s after its end; the clock is emptied at 1.75 s.
TEST_F(GameTest, LevelRewardsArriveTogether2_75SecondsAfterTheEnd) {
    struct Case { const char* what; float timeLeft; int total; } cases[] = {
        {"37.9 s left", 37.9f, 37 + 1500}, {"finished late in Relax", -5.2f, 1500}};
    for (const Case& c : cases) {
        TheEffectQueue().Clear();
        game().score = 100;
        game().timeLeft = c.timeLeft;
        game().QueueRegularLevelRewards();
        RunEffects(2740);
        EXPECT_EQ(game().score, 100) << c.what;
        EXPECT_EQ(game().timeLeft, 0.0f) << c.what;
        RunEffects(1200);
        EXPECT_EQ(game().score, 100 + c.total) << c.what;
        RunEffects(3000); // each addition happens exactly once
        EXPECT_EQ(game().score, 100 + c.total) << c.what;
        EXPECT_TRUE(TheEffectQueue().Idle()) << c.what;
    }
}

TEST_F(GameTest, ABonusLevelsFiveRewardsLandOneAfterAnother) {
    game().score = 0;
    game().QueueBonusLevelRewards();
    // 1000 at once; each 750 leaves at 1.4 + 0.3 k seconds and is added 0.6 s later, once.
    struct Sample { int ms, score; } samples[] = {{0, 1000},    {1950, 1000}, {2050, 1750}, {2250, 1750},
                                                   {2350, 2500}, {2850, 3250}, {2950, 4000}, {3150, 4000},
                                                   {3250, 4750}};
    int at = 0;
    for (const Sample& s : samples) {
        RunEffects(s.ms - at);
        at = s.ms;
        EXPECT_EQ(game().score, s.score) << s.ms << " ms";
    }
    int flights = 0;
    for (int i = 0; i < TheEffectQueue().Count(); ++i) flights += TheEffectQueue().Entry(i).kind == Effect::FlyingText;
    EXPECT_EQ(flights, 0) << "every flight of 0.6 s has landed";
    RunEffects(4000);
    EXPECT_EQ(game().score, 4750);
    EXPECT_TRUE(TheEffectQueue().Idle());
}
