#pragma once
// The fixture of the whole-game stories: a driver on a slow display (each
// frame stands for five updates, so a level of play takes few frames to
// draw), the autoplayer's hand, and the steps the stories share on the way
// into a level. Skips the test when the game folder has not been built.
#include "app/support/GameDriver.h"

#include "gameplay/AutoPlayer.h"
#include "gameplay/Game.h"
#include "gameplay/GameState.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class GameStory : public ::testing::Test {
protected:
    void SetUp() override {
        if (!driver.HaveContent()) GTEST_SKIP() << "the game folder has not been built";
    }

    Game& game() { return TheGame(); }
    static std::string TextOf(const MenuScreen& screen, const char* name) { return GameDriver::TextOf(screen, name); }
    bool Play(const std::function<bool()>& done, int maxPasses) { return driver.Play(player, done, maxPasses); }

    // On the map: a stage's button (when given) and, through a test's
    // shortcut, `level` instead of the stage's first level (when not 0); then
    // the map's Start, and the level runs until it reaches `phase`.
    void StartLevel(const char* stage, int level = 0, int32_t phase = Phase::Playing) {
        if (stage) {
            ASSERT_TRUE(driver.Click(game().menuMap, stage));
        }
        if (level) game().levelNumber = level;
        ASSERT_TRUE(driver.Click(game().menuMap, "btnStart"));
        ASSERT_EQ(GameState, State::Playing);
        ASSERT_TRUE(driver.RunUntil([&] { return game().phase == phase; }, 20000));
    }

    // Plays until `filled` cells are filled, then takes the hand off (the
    // last placement's button comes up).
    void PlayABit(int filled) {
        ASSERT_TRUE(Play([&] { return game().phase == Phase::Playing && game().filledCount >= filled; }, 100000));
        driver.platform->SetPointerState(400, 300, 0);
        driver.RunFrames(2);
        ASSERT_EQ(GameState, State::Playing);
    }

    // The mean of `value(r, g, b)` over a rectangle of the last 800 x 600
    // frame, every `step`th pixel each way.
    template <class F>
    double MeanOver(int left, int top, int right, int bottom, F value, int step = 1) const {
        const std::vector<uint32_t>& frame = driver.platform->LastFrame();
        double sum = 0;
        int n = 0;
        for (int y = top; y < bottom; y += step)
            for (int x = left; x < right; x += step, ++n) {
                const uint32_t p = frame[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
                sum += value(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                             static_cast<int>(p & 0xFF));
            }
        return n ? sum / n : 0;
    }

    GameDriver driver{20};
    AutoPlayer player{TheGame(), *driver.platform};
};
