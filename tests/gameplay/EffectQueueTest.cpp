#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EffectQueue.h"

TEST_F(GameTest, AFullQueueRefusesAndAZeroDurationEntryNeverLeaves) {
    EffectQueue& fx = TheEffectQueue();
    int32_t score = 0;
    ASSERT_TRUE(fx.AddFloatingText(1, 0, 0, 0.5f, 0.5f, "stuck", false));
    for (int i = 1; i < EffectQueue::kCapacity; ++i) ASSERT_TRUE(fx.AddSoundEvent(0, "x")) << i;
    EXPECT_FALSE(fx.AddDelayed(0, 100, &score));
    EXPECT_EQ(fx.Count(), EffectQueue::kCapacity);
    RunEffects(3000);
    EXPECT_EQ(score, 0) << "an addition that did not fit is lost";
    EXPECT_EQ(fx.Count(), 1);
    EXPECT_EQ(fx.Entry(0).pending, 1);
    EXPECT_FALSE(fx.Idle());
}

TEST_F(GameTest, FinishedEntriesLeaveAndTheRestKeepTheirOrder) {
    EffectQueue& fx = TheEffectQueue();
    fx.AddFloatingText(1, 0, 0.1f, 0, 0, "a", false);
    fx.AddFloatingText(1, 0, 2.0f, 0, 0, "b", false);
    fx.AddFloatingText(1, 0, 0.1f, 0, 0, "c", false);
    fx.AddFloatingText(1, 0, 2.0f, 0, 0, "d", false);
    RunEffects(300);
    ASSERT_EQ(fx.Count(), 2);
    EXPECT_STREQ(fx.Entry(0).text, "b");
    EXPECT_STREQ(fx.Entry(1).text, "d");
}
