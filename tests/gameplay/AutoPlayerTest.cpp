#include "gameplay/support/GameTestSupport.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/EffectQueue.h"
#include "gameplay/EngineCalls.h"
#include "gameplay/GameState.h"

namespace {

struct Outcome {
    int score = 0;
    int ticks = 0;
    int takes = 0;
    std::vector<int> phases;
};

} // namespace

class AutoPlayerTest : public GameTest {
protected:
    // Plays one level from the level map's Start to the end of the level.
    Outcome PlayLevel(int level, int mode, uint32_t seed) {
        Outcome out;
        game().Reset();
        TheEffectQueue().Clear();
        EngineCalls::SeedRandom(seed);
        EXPECT_TRUE(game().LoadShapeClasses("classes.xml"));
        StartFromMap(level, mode);
        AutoPlayer player(game(), *platform);
        const bool ended = player.RunUntil(
            [&] {
                if (out.phases.empty() || out.phases.back() != game().phase) out.phases.push_back(game().phase);
                return GameState != State::Playing;
            },
            60000); // ten minutes of play
        EXPECT_TRUE(ended) << "level " << level << " never ended";
        out.score = game().score;
        out.ticks = player.Ticks();
        out.takes = player.Takes();
        return out;
    }
};

TEST_F(AutoPlayerTest, WinsTheTestLevelsFromTheMapToTheLevelEndAndTheSameSeedPlaysTheSameGame) {
    ASSERT_TRUE(UseContent());
    struct Case {
        int level, mode;
    } cases[] = {{1, Mode::Classic}, {2, Mode::Classic}, {2, Mode::Transformer}, {3, Mode::Relax}};
    for (const Case& c : cases) {
        Outcome out = PlayLevel(c.level, c.mode, 7);
        EXPECT_EQ(GameState, State::LevelAdvance) << "level " << c.level;
        EXPECT_EQ(game().filledCount, game().cellCount);
        EXPECT_EQ(out.phases, (std::vector<int>{Phase::FadeIn, Phase::Title, Phase::Playing})) << "level " << c.level;
        EXPECT_GE(out.score, game().cellCount / 6 * 50) << "every placement scores at least 50";
        EXPECT_EQ(game().heldShape.shown, 0);
        if (c.level != 2) continue;
        Outcome again = PlayLevel(c.level, c.mode, 7);
        EXPECT_EQ(GameState, State::LevelAdvance);
        EXPECT_EQ(out.score, again.score) << "mode " << c.mode;
        EXPECT_EQ(out.ticks, again.ticks) << "mode " << c.mode;
        EXPECT_EQ(out.takes, again.takes) << "mode " << c.mode;
    }
}
