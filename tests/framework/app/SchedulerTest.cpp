// The real scheduler on the manual clock: updates, draws and sleeps as the
// clock and the display dictate.
#include "framework/app/AppTestSupport.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Quill;
using namespace apptest;

namespace {

// A display of `hz` that either waits for its next refresh on every present,
// as a synchronised display does, or returns at once. It notes when each
// present happened.
class RefreshPlatform : public HeadlessPlatform {
public:
    RefreshPlatform(int rate, bool waits) : hz(rate), waitsForRefresh(waits) { SetRefreshRate(rate); }
    bool Present(const uint32_t* argb, int w, int h) override {
        uint32_t now = Ticks();
        presentTimes.push_back(now);
        if (waitsForRefresh) {
            uint64_t frame = now * static_cast<uint64_t>(hz) / 1000 + 1;
            Advance(static_cast<uint32_t>((frame * 1000 + hz - 1) / hz) - now);
        }
        return HeadlessPlatform::Present(argb, w, h);
    }
    // The most presents inside any one second.
    int MostPresentsInASecond() const {
        int most = 0;
        for (size_t i = 0, j = 0; i < presentTimes.size(); ++i) {
            while (presentTimes[i] - presentTimes[j] >= 1000) ++j;
            most = std::max(most, static_cast<int>(i - j + 1));
        }
        return most;
    }
    int hz;
    bool waitsForRefresh;
    std::vector<uint32_t> presentTimes;
};

// Counts how many updates ran between two draws.
class PacedWidget : public RecordingWidget {
public:
    void Update() override {
        RecordingWidget::Update();
        ++sinceDraw;
        Invalidate();
    }
    // What moves by the frame's time has to be drawn as well.
    void FractionalUpdate(float f) override {
        RecordingWidget::FractionalUpdate(f);
        movedMs += f * 10.0;
        Invalidate();
    }
    double movedMs = 0;
    void Draw(Graphics* g) override {
        RecordingWidget::Draw(g);
        maxBetweenDraws = std::max(maxBetweenDraws, sinceDraw);
        sinceDraw = 0;
    }
    int sinceDraw = 0, maxBetweenDraws = 0;
};

class SchedulerTest : public AppTest {
protected:
    RefreshPlatform& UseRefreshPlatform(int hz, bool waits) {
        auto owned = std::make_unique<RefreshPlatform>(hz, waits);
        RefreshPlatform& made = *owned;
        platform = owned.get();
        SetPlatform(std::move(owned));
        return made;
    }
    TestApp& StartPaced(bool fullscreen) {
        TestApp& a = MakeApp();
        a.vsyncPacing = true;
        a.windowed = !fullscreen;
        a.width = 64; // a small screen keeps every present cheap
        a.height = 48;
        a.Init();
        a.loadingHandled = true;
        a.running = true;
        paced.Resize(0, 0, 16, 16); // small, so drawing stays cheap
        paced.updates = paced.sinceDraw = paced.maxBetweenDraws = 0;
        paced.movedMs = 0;
        a.GetWidgetManager()->AddWidget(&paced);
        return a;
    }
    // Runs the scheduler until the clock has moved on by `ms`.
    void RunFor(TestApp& a, uint32_t ms) {
        uint32_t start = platform->Ticks();
        for (int i = 0; i < 100000 && platform->Ticks() - start < ms; ++i) a.ProcessFrame(true);
    }
    void EndApp() override {
        if (app && app->GetWidgetManager()) app->GetWidgetManager()->RemoveWidget(&paced);
        AppTest::EndApp();
    }
    PacedWidget paced;
};

// Whatever the display's rate, whether its presents wait for it or not, in a
// window or full screen, and with pacing by the display on or turned off:
// the fixed updates run 100 times a second, the frames' own time adds up to
// the real time, and no more pictures are presented than the display shows.
TEST_F(SchedulerTest, UpdatesStayAtOneHundredAndPresentsAtTheRefreshRate) {
    const int rates[] = {60, 75, 120, 144, 240};
    const int seconds = 3;
    struct Mode {
        bool fullscreen, pacingOff;
    } modes[] = {{true, false}, {true, true}, {false, false}};
    for (int hz : rates)
        for (bool waits : {true, false})
            for (const Mode& m : modes) {
                SCOPED_TRACE(testing::Message() << hz << " Hz, presents " << (waits ? "wait" : "return at once")
                                                << (m.fullscreen ? ", full screen" : ", windowed")
                                                << (m.pacingOff ? ", pacing turned off" : ""));
                RefreshPlatform& display = UseRefreshPlatform(hz, waits);
                TestApp& a = StartPaced(m.fullscreen);
                a.vsyncBroken = m.pacingOff;
                RunFor(a, seconds * 1000);
                EXPECT_NEAR(paced.updates, 100 * seconds, 2);
                EXPECT_NEAR(paced.movedMs, 1000.0 * seconds, 20.0);
                EXPECT_EQ(a.vsyncBroken, m.pacingOff) << "the too-fast detector tripped";
                EXPECT_LE(display.MostPresentsInASecond(), hz + 1);
                // ... and not fewer either: the limit costs no frames.
                EXPECT_GE(platform->PresentCount(), (hz - 1) * seconds);
                // Each picture follows at most the updates of one refresh, and
                // what moves by the frame's time moves by one refresh's worth.
                EXPECT_LE(paced.maxBetweenDraws, static_cast<int>(std::ceil(100.0 / hz)));
                EXPECT_NEAR(paced.lastFraction, 100.0 / hz, 1e-4);
                EXPECT_GE(a.updateFraction, 0.0);
                EXPECT_LT(a.updateFraction, 1.0);
                EndApp();
            }
}

// A stall is made up for by at most one second of updates, and not at all
// while time is being discarded.
TEST_F(SchedulerTest, AStallCatchesUpAtMostOneSecondUnlessDiscarding) {
    struct Case {
        uint32_t stallMs;
        int discardMs, extraUpdates;
    } cases[] = {{5000, 0, 100}, {800, 0, 80}, {800, 2000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stallMs << " ms stall, " << c.discardMs << " ms discarded");
        TestApp& a = StartPaced(false);
        RunFor(a, 500);
        a.discardTimeMs = c.discardMs;
        int before = paced.updates;
        platform->Advance(c.stallMs);
        RunFor(a, 500);
        EXPECT_NEAR(paced.updates - before, 50 + c.extraUpdates, 3);
        EndApp();
    }
}

TEST_F(SchedulerTest, UpdatesBetweenDrawsAreLimitedBySpeed) {
    const double speeds[] = {0.5, 1.0, 2.0, 3.3};
    for (double speed : speeds) {
        SCOPED_TRACE(speed);
        TestApp& a = StartPaced(false);
        a.speedFactor = speed;
        a.vsyncPacing = false; // one update per pass
        for (int i = 0; i < 20; ++i) a.ProcessFrame(true);
        paced.maxBetweenDraws = 0;
        platform->Advance(3000); // plenty to catch up on
        for (int i = 0; i < 400; ++i) a.ProcessFrame(true);
        int limit = static_cast<int>(std::ceil(speed * 10));
        EXPECT_LE(paced.maxBetweenDraws, limit);
        EXPECT_GE(paced.maxBetweenDraws, limit - 1);
        EndApp();
    }
}

TEST_F(SchedulerTest, LoadingCompletedRunsOnceOnTheMainThread) {
    TestApp& a = MakeApp();
    a.Init();
    std::thread::id loader;
    a.loadingBody = [&] { loader = std::this_thread::get_id(); };
    a.StartLoadingThread();
    while (!a.loadingFinished) std::this_thread::yield();
    EXPECT_EQ(a.completedCount, 0);
    for (int i = 0; i < 200; ++i) a.ProcessFrame(true);
    EXPECT_EQ(a.completedCount, 1);
    EXPECT_EQ(a.completedOn, std::this_thread::get_id());
    EXPECT_NE(loader, std::this_thread::get_id());
    EXPECT_TRUE(a.loadingHandled);
}

// While the loader works, the screen is presented about every 50 ms so
// that it gets the time; afterwards every redraw is presented.
TEST_F(SchedulerTest, DrawingIsThrottledWhileLoading) {
    for (bool loading : {true, false}) {
        TestApp& a = InitApp();
        a.loadingStarted = true;
        a.loadingFinished = !loading;
        const int before = platform->PresentCount();
        for (int ms = 0; ms < 1000; ms += 10) {
            platform->Advance(10);
            a.forceRedraw = true;
            a.RedrawIfDirty();
        }
        EXPECT_NEAR(platform->PresentCount() - before, loading ? 20 : 100, 1) << (loading ? "loading" : "loaded");
        EndApp();
    }
}

TEST_F(SchedulerTest, PausedRunsNothingAndCatchesNothingUp) {
    TestApp& a = StartPaced(false);
    a.paused = true;
    platform->Advance(500);
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(a.ProcessFrame(true));
    EXPECT_EQ(paced.updates, 0);
    a.paused = false;
    RunFor(a, 100);
    EXPECT_NEAR(paced.updates, 10, 2);
}

TEST_F(SchedulerTest, ShutdownFromAnUpdateEndsStartAndWritesSettings) {
    TestApp& a = MakeApp();
    a.Init();
    a.loadingBody = [&] {};
    struct Stopper : RecordingWidget {
        TestApp* app = nullptr;
        // The loading thread runs on the real clock: wait for its hand-over
        // rather than assuming it beats fifty updates.
        void Update() override {
            if (++updates >= 50 && app->loadingHandled && !app->shutdown) app->Shutdown();
        }
    } stopper;
    stopper.app = &a;
    stopper.Resize(0, 0, 800, 600);
    a.GetWidgetManager()->AddWidget(&stopper);
    a.Start();
    a.GetWidgetManager()->RemoveWidget(&stopper);
    EXPECT_GE(stopper.updates, 50);
    EXPECT_FALSE(a.running);
    EXPECT_EQ(a.completedCount, 1);
    EXPECT_EQ(Stored(a, "InProgress"), 0);
}

} // namespace

// The end-of-run frame rate holds for sessions of any length: ten hours at
// 100 frames a second is 3.6 million frames, times a thousand past 32 bits.
TEST(RunStatistics, AverageFrameRateOfLongSessions) {
    struct Case { int32_t frames, milliseconds, expected; } cases[] = {
        {600, 10000, 60}, {3600000, 36000000, 100}, {2147483647, 2147483647, 1000}, {5, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Quill::AverageFramesPerSecond(c.frames, c.milliseconds), c.expected) << c.frames;
}
