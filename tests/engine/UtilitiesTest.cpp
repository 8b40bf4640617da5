#include "engine/FrameRateMeter.h"
#include "engine/MouseButtonEdges.h"
#include "engine/RandomInt.h"

#include "framework/platform/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <map>
#include <memory>
#include <vector>

using Quill::MOUSE_LEFT;
using Quill::MOUSE_MIDDLE;
using Quill::MOUSE_RIGHT;

namespace {

TEST(RandomIntTest, TheGeneratorIsTheClassic15BitOne) {
    SeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(RandomDraw(), value);
    SeedRandom(1);
    EXPECT_FLOAT_EQ(RandomUnit(), 41.0f / 32767.0f);
}

TEST(RandomIntTest, RangesAreCoveredEvenlyAndNeverLeft) {
    struct Case {
        int min, max;
        int draws;
    } cases[] = {{0, 0, 1000}, {1, 9, 9000}, {0, 15, 16000}, {0, 1, 2000}, {3, 5, 3000}};
    SeedRandom(20240601);
    for (const Case& c : cases) {
        std::map<int, int> seen;
        for (int i = 0; i < c.draws; ++i) {
            int v = RandomInt(c.min, c.max);
            ASSERT_GE(v, c.min);
            ASSERT_LE(v, c.max);
            ++seen[v];
        }
        int width = c.max - c.min + 1;
        double expected = static_cast<double>(c.draws) / width;
        EXPECT_EQ(static_cast<int>(seen.size()), width) << c.min << ".." << c.max;
        for (auto& [value, count] : seen)
            EXPECT_NEAR(count, expected, expected * 0.15) << c.min << ".." << c.max << " value " << value;
    }
}

TEST(RandomIntTest, EdgeRanges) {
    // A range holding -1 answers -1 without drawing.
    SeedRandom(99);
    int first = RandomDraw();
    SeedRandom(99);
    EXPECT_EQ(RandomInt(-5, 5), -1);
    EXPECT_EQ(RandomDraw(), first);
    // Wide, offset and negative ranges stay inside and end.
    for (int i = 0; i < 100; ++i) {
        EXPECT_GE(RandomInt(0, INT_MAX), 0);
        EXPECT_EQ(RandomInt(-10, -8), -10) << "below -1 the (max + 1) scale only ever lands on min";
    }
}

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<Quill::HeadlessPlatform>(true);
        platform = owned.get();
        previous = Quill::SetPlatform(std::move(owned));
        ResetFrameRateMeter();
        ResetMouseButtonEdges();
    }
    void TearDown() override { Quill::SetPlatform(std::move(previous)); }

    Quill::HeadlessPlatform* platform = nullptr;
    std::unique_ptr<Quill::Platform> previous;
};

// Each change of the buttons is one edge: from the state read at an update
// when no event told of it, else from the window's press and release events,
// in order, even when both come between two updates and the state read then
// shows nothing. A press made on another screen has no release in this one.
TEST_F(PlatformTest, MouseEdgesFromTheEventsSurviveAQuickTap) {
    using Event = std::pair<MouseButton, bool>;
    struct Step {
        const char* name;
        std::vector<Event> events;
        bool screenChanged;
        uint32_t buttons; // the state read at the update
        bool leftPressed, leftReleased, rightPressed;
    } steps[] = {
        {"a press the state shows", {}, false, MOUSE_LEFT, true, false, false},
        {"held: no new edge", {}, false, MOUSE_LEFT, false, false, false},
        {"the release the state shows", {}, false, 0, false, true, false},
        {"right pressed", {}, false, MOUSE_RIGHT, false, false, true},
        {"left pressed with it", {}, false, MOUSE_RIGHT | MOUSE_LEFT, true, false, false},
        {"only the middle one, which is not ours", {}, false, MOUSE_MIDDLE, false, true, false},
        {"both at once", {}, false, MOUSE_LEFT | MOUSE_RIGHT, true, false, true},
        {"both up", {}, false, 0, false, true, false},
        {"a tap within one update", {{MouseButton::Left, true}, {MouseButton::Left, false}}, false, 0, true, true, false},
        {"nothing", {}, false, 0, false, false, false},
        {"a press", {{MouseButton::Left, true}}, false, MOUSE_LEFT, true, false, false},
        {"held", {}, false, MOUSE_LEFT, false, false, false},
        {"the release", {{MouseButton::Left, false}}, false, 0, false, true, false},
        {"a right tap", {{MouseButton::Right, true}, {MouseButton::Right, false}}, false, 0, false, false, true},
        {"a middle tap", {{MouseButton::Middle, true}, {MouseButton::Middle, false}}, false, 0, false, false, false},
        {"a press that changed the screen", {{MouseButton::Left, true}}, true, MOUSE_LEFT, false, false, false},
        {"its release", {{MouseButton::Left, false}}, false, 0, false, false, false},
        {"a tap after it", {{MouseButton::Left, true}, {MouseButton::Left, false}}, false, 0, true, true, false},
    };
    for (const Step& s : steps) {
        for (const Event& e : s.events) NoteMouseButton(e.first, e.second);
        if (s.screenChanged) DropMouseButtonEdges();
        platform->SetPointerState(400, 300, s.buttons);
        MouseButtonEdges();
        EXPECT_EQ(LeftButtonPressed(), s.leftPressed) << s.name;
        EXPECT_EQ(LeftButtonReleased(), s.leftReleased) << s.name;
        EXPECT_EQ(RightButtonPressed(), s.rightPressed) << s.name;
    }
}

} // namespace
