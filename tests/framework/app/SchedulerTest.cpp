// The real scheduler on the manual clock: updates, draws and sleeps as the
// clock and the display dictate.
#include "framework/app/AppTestSupport.h"

#include <atomic>
#include <cmath>

using namespace Quill;
using namespace apptest;

namespace {

// A display that waits for its next refresh on every present, as a
// synchronised display does.
class VsyncPlatform : public HeadlessPlatform {
public:
    bool Present(const uint32_t* argb, int w, int h) override {
        uint32_t now = Ticks();
        uint32_t frame = static_cast<uint32_t>(now * 60ull / 1000) + 1;
        uint32_t next = static_cast<uint32_t>((frame * 1000ull + 59) / 60);
        Advance(next - now);
        return HeadlessPlatform::Present(argb, w, h);
    }
};

// Counts how many updates ran between two draws.
class PacedWidget : public RecordingWidget {
public:
    void Update() override {
        RecordingWidget::Update();
        ++sinceDraw;
        Invalidate();
    }
    void Draw(Graphics* g) override {
        RecordingWidget::Draw(g);
        maxBetweenDraws = std::max(maxBetweenDraws, sinceDraw);
        sinceDraw = 0;
    }
    int sinceDraw = 0, maxBetweenDraws = 0;
};

class SchedulerTest : public AppTest {
protected:
    void UseVsyncPlatform() {
        auto owned = std::make_unique<VsyncPlatform>();
        platform = owned.get();
        SetPlatform(std::move(owned));
    }
    TestApp& StartPaced(bool fullscreen) {
        TestApp& a = MakeApp();
        a.vsyncPacing = true;
        a.windowed = !fullscreen;
        a.Init();
        a.loadingHandled = true;
        a.running = true;
        paced.Resize(0, 0, 16, 16); // small, so drawing stays cheap
        a.GetWidgetManager()->AddWidget(&paced);
        return a;
    }
    void EndApp() override {
        if (app && app->GetWidgetManager()) app->GetWidgetManager()->RemoveWidget(&paced);
        AppTest::EndApp();
    }
    PacedWidget paced;
};

TEST_F(SchedulerTest, VsyncPacingAt60HzRunsFiveUpdatesEveryThreeFrames) {
    UseVsyncPlatform();
    platform->SetRefreshRate(60);
    TestApp& a = StartPaced(true);
    ASSERT_EQ(a.refreshRate, 60);
    for (int i = 0; i < 20000 && platform->PresentCount() < 300; ++i) a.ProcessFrame(true);
    ASSERT_EQ(platform->PresentCount(), 300);
    EXPECT_FALSE(a.vsyncBroken);
    // 1000 / (10 x 60) = 1.67 updates per frame: 500 in 300 frames.
    EXPECT_NEAR(paced.updates, 500, 3);
    EXPECT_GE(a.updateFraction, 0.0);
    EXPECT_LT(a.updateFraction, 1.0);
    EXPECT_NEAR(paced.lastFraction, 1000.0 / 600.0, 1e-4);
    EXPECT_LE(paced.maxBetweenDraws, 2);
}

TEST_F(SchedulerTest, AStallCatchesUpAtMostOneSecond) {
    TestApp& a = StartPaced(false);
    for (int i = 0; i < 200; ++i) a.ProcessFrame(true);
    int before = paced.updates;
    int sleepsBefore = a.sleepCount;
    platform->Advance(5000);
    // Run until the scheduler has caught up and sleeps again.
    for (int i = 0; i < 5000 && a.sleepCount == sleepsBefore; ++i) a.ProcessFrame(true);
    int caughtUp = paced.updates - before;
    EXPECT_GE(caughtUp, 100);
    EXPECT_LE(caughtUp, 102);
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

TEST_F(SchedulerTest, TooFastDetectorTurnsPacingOffOnlyWhenPresentsDoNotWait) {
    struct Case {
        bool presentWaits;
        double speed;
        bool broken;
    } cases[] = {
        {false, 1.0, true},  // presents return at once: three fast seconds
        {true, 1.0, false},  // a real display paces 100 updates over a second
        {false, 2.0, false}, // the detector only watches normal speed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.presentWaits);
        if (c.presentWaits)
            UseVsyncPlatform();
        else
            SetUp();
        TestApp& a = StartPaced(true);
        a.speedFactor = c.speed;
        for (int i = 0; i < 1500; ++i) a.ProcessFrame(true);
        EXPECT_EQ(a.vsyncBroken, c.broken);
        if (c.broken) {
            // From then on the scheduler paces itself by the clock and sleeps.
            int sleeps = a.sleepCount;
            for (int i = 0; i < 100; ++i) a.ProcessFrame(true);
            EXPECT_GT(a.sleepCount, sleeps);
        }
        EndApp();
    }
}

TEST_F(SchedulerTest, LoadingCompletedRunsOnceOnTheMainThread) {
    TestApp& a = MakeApp();
    a.Init();
    std::thread::id loader;
    a.loadingBody = [&] {
        loader = std::this_thread::get_id();
        a.loadingTaskCount = 4;
        a.loadingTasksDone = 1;
    };
    EXPECT_EQ(a.GetLoadingProgress(), 0.0);
    a.StartLoadingThread();
    while (!a.loadingFinished) std::this_thread::yield();
    EXPECT_EQ(a.GetLoadingProgress(), 0.25);
    a.loadingTasksDone = 9;
    EXPECT_EQ(a.GetLoadingProgress(), 1.0);
    EXPECT_EQ(a.completedCount, 0);
    for (int i = 0; i < 200; ++i) a.ProcessFrame(true);
    EXPECT_EQ(a.completedCount, 1);
    EXPECT_EQ(a.completedOn, std::this_thread::get_id());
    EXPECT_NE(loader, std::this_thread::get_id());
    EXPECT_TRUE(a.loadingHandled);
    EXPECT_EQ(a.GetLoadingProgress(), 1.0);
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

TEST_F(SchedulerTest, PausedOrDiscardingRunsNoCatchUp) {
    TestApp& a = StartPaced(false);
    a.paused = true;
    platform->Advance(500);
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(a.ProcessFrame(true));
    EXPECT_EQ(paced.updates, 0);
    a.paused = false;

    // After a stall the scheduler catches up without sleeping, unless the
    // time is being discarded.
    for (int discard : {0, 2000}) {
        SCOPED_TRACE(discard);
        for (int i = 0; i < 50; ++i) a.ProcessFrame(true);
        a.discardTimeMs = discard;
        platform->Advance(800);
        int sleeps = a.sleepCount;
        for (int i = 0; i < 30; ++i) a.ProcessFrame(true);
        EXPECT_EQ(a.sleepCount > sleeps, discard > 0);
    }
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
    int32_t inProgress = -1;
    EXPECT_TRUE(a.RegistryReadInteger("InProgress", inProgress));
    EXPECT_EQ(inProgress, 0);
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
