#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EffectQueue.h"

// Each kind of entry keeps the queue busy until it is done; a delayed
// addition happens once, in the first update at or after its start.
TEST_F(GameTest, TheQueueStaysBusyWhileAnyEntryIsLeft) {
    float value = 0;
    int32_t number = 10;
    int addedAt = -1;
    struct Case {
        const char* what;
        std::function<bool(EffectQueue&)> add;
        int idleAfterMs; // about: start tick + the duration + the removal tick
    } cases[] = {
        {"tween", [&](EffectQueue& q) { return q.AddTween(0, 0.5f, 0, 1, &value); }, 530},
        {"sound event", [](EffectQueue& q) { return q.AddSoundEvent(0.2f, "level_start"); }, 1230},
        {"addition", [&](EffectQueue& q) { return q.AddDelayed(2.75f, 5, &number); }, 3780},
        {"text", [](EffectQueue& q) { return q.AddFloatingText(1, 0, 0.8f, 0.5f, 0.5f, "50", true); }, 830},
    };
    for (const Case& c : cases) {
        EffectQueue& fx = TheEffectQueue();
        fx.Clear();
        ASSERT_TRUE(c.add(fx)) << c.what;
        int ms = 0;
        while (!fx.Idle() && ms < 10000) {
            Advance(10);
            ms += 10;
            const int32_t before = number;
            fx.Update();
            if (number != before && addedAt < 0) addedAt = ms;
        }
        EXPECT_NEAR(ms, c.idleAfterMs, 20) << c.what;
    }
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(number, 15);
    EXPECT_TRUE(addedAt >= 2750 && addedAt <= 2760) << addedAt;
    EXPECT_EQ(CountEvents("level_start"), 1);
}

TEST_F(GameTest, ATweenWritesItsStartItsBlendAndItsEnd) {
    EffectQueue& fx = TheEffectQueue();
    float value = -1;
    ASSERT_TRUE(fx.AddTween(0.1f, 1.0f, 2.0f, 4.0f, &value));
    RunEffects(50);
    EXPECT_EQ(value, -1.0f) << "untouched before its start";
    RunEffects(60);
    EXPECT_NEAR(value, 2.0f, 0.025f) << "from, at the start";
    RunEffects(500);
    EXPECT_NEAR(value, 3.0f, 0.03f);
    RunEffects(600);
    EXPECT_EQ(value, 4.0f);
}

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

TEST_F(GameTest, FadeColoursFollowTheAlphaRule) {
    struct Case {
        float a;
        uint32_t colour;
    } cases[] = {{1.0f, 0x00FFFFFFu}, {0.0f, 0x01FFFFFFu}, {0.5f, 0x80FFFFFFu}, {2.0f, 0xFFFFFFFFu}};
    for (const Case& c : cases) EXPECT_EQ(FadeColour(c.a), c.colour) << c.a;
}
