// Window events through the window procedure and the deferred queue to the
// widgets; focus and muting; screen-mode switches; placement of the window;
// a lost display.
#include "framework/app/AppTestSupport.h"

#include "framework/platform/InstanceLock.h"

using namespace Quill;
using namespace apptest;

namespace {

class WindowMessagesTest : public AppTest {
protected:
    // Injects one message and lets the application handle it.
    void Send(uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0) {
        platform->InjectMessage(message, wParam, lParam);
        app->Pump();
    }
};

TEST_F(WindowMessagesTest, MouseAndKeysReachTheWidgetWithClickCountsAndSystemKeysDoNot) {
    struct Case {
        uint32_t message, wParam;
        const char* expected; // null: nothing
    } cases[] = {
        {MSG_LBUTTONDOWN, 0, "down 10,20 1"}, {MSG_LBUTTONUP, 0, "up 10,20 1"}, {MSG_LBUTTONDBLCLK, 0, "down 10,20 2"},
        {MSG_RBUTTONDOWN, 0, "down 10,20 -1"}, {MSG_RBUTTONUP, 0, "up 10,20 -1"}, {MSG_RBUTTONDBLCLK, 0, "down 10,20 -2"},
        {MSG_MBUTTONDOWN, 0, "down 10,20 3"}, {MSG_MOUSEWHEEL, uint32_t(uint16_t(-240)) << 16, "wheel -2"},
        {MSG_KEYDOWN, VK_F1, "keydown 112"}, {MSG_KEYUP, 'A', "keyup 65"}, {MSG_CHAR, 'q', "char q"},
        {MSG_SYSKEYDOWN, 'X', nullptr}, {MSG_SYSCHAR, 'r', nullptr},
    };
    TestApp& a = InitApp();
    for (const Case& c : cases) {
        widget.events.clear();
        Send(c.message, c.wParam, PackPoint(10, 20));
        EXPECT_EQ(widget.events, c.expected ? std::vector<std::string>{c.expected} : std::vector<std::string>{});
    }
    a.inSystemPopup = true; // input under a system popup stays away too
    Send(MSG_LBUTTONDOWN, 0, PackPoint(1, 1));
    a.inSystemPopup = false;
    EXPECT_TRUE(widget.events.empty());
    // The timer notices the pointer leaving.
    EXPECT_TRUE(a.mouseInWindow);
    platform->SetPointerState(-5, 50, 0);
    platform->Advance(10);
    a.Pump();
    EXPECT_FALSE(a.mouseInWindow || widget.hovered);
}

TEST_F(WindowMessagesTest, AKeyLetGoWhileAltIsHeldStillComesUp) {
    TestApp& a = InitApp();
    platform->InjectMessage(MSG_KEYDOWN, VK_CONTROL);
    platform->InjectMessage(MSG_KEYDOWN, VK_MENU);
    platform->InjectMessage(MSG_SYSKEYUP, VK_CONTROL);
    platform->InjectMessage(MSG_SYSKEYUP, 'X'); // never went down: nothing
    Send(MSG_KEYUP, VK_MENU);
    EXPECT_EQ(widget.events, (std::vector<std::string>{"keydown 17", "keydown 18", "keyup 17", "keyup 18"}));
    EXPECT_FALSE(a.GetWidgetManager()->IsKeyDown(VK_CONTROL));
    EXPECT_FALSE(a.shutdown);
    Send(MSG_SYSKEYDOWN, VK_F4); // Alt+F4 is the system's close
    EXPECT_TRUE(a.shutdown);
}

TEST_F(WindowMessagesTest, ASecondCopyBringsTheMinimisedFirstForward) {
    setenv("XDG_RUNTIME_DIR", folder.path.c_str(), 1);
    TestApp& a = MakeApp();
    a.singleInstance = true;
    a.productName = "Velmora Window Test";
    InitApp();
    platform->MinimizeWindow();
    a.Pump();
    InstanceLock second(a.productName);
    ASSERT_EQ(second.Acquire(), InstanceLock::Result::HeldElsewhere);
    ASSERT_TRUE(second.NotifyHolder());
    platform->Advance(500);
    a.Pump(); // notices the request and restores the window
    a.Pump(); // the restore arrives as a window message
    EXPECT_FALSE(a.minimized || a.IsMuted());
}

TEST_F(WindowMessagesTest, AltEnterTogglesTheScreenModeUnlessForcedOrFailed) {
    struct Case {
        bool forced, failsAtStart, fullscreenAfterOne;
    } cases[] = {
        {false, true, false}, // full screen failed at the start: a window, and it stays one
        {false, false, true},
        {true, false, false}, // forced: nothing changes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.forced << c.failsAtStart);
        platform->SetFullscreenFails(c.failsAtStart);
        TestApp& a = MakeApp();
        a.windowed = !c.failsAtStart;
        InitApp();
        a.forceFullscreen = c.forced;
        EXPECT_EQ(a.fullscreenFailed, c.failsAtStart);
        Send(MSG_SYSKEYDOWN, VK_RETURN);
        EXPECT_EQ(platform->IsFullscreen(), c.fullscreenAfterOne);
        EXPECT_EQ(!a.windowIsWindowed, c.fullscreenAfterOne);
        EXPECT_TRUE(widget.events.empty()); // Return never reached the widget
        Send(MSG_SYSKEYDOWN, VK_RETURN);
        EXPECT_FALSE(platform->IsFullscreen());
        // The back buffer survives the switch and is drawn again.
        EXPECT_EQ(a.GetWidgetManager()->GetDrawTarget(), a.GetDisplay()->GetScreenImage());
        EXPECT_TRUE(widget.dirty);
        EndApp();
    }
}

// Minimising, or losing the focus, releases held buttons to their widget and
// mutes (losing the focus only with auto-mute on); coming back unmutes unless
// the player muted, and redraws.
TEST_F(WindowMessagesTest, LeavingAndComingBack) {
    struct Case {
        bool minimise, autoMute, userMute, mutedAway, mutedBack;
    } cases[] = {{true, true, false, true, false}, {false, true, false, true, false},
                 {false, false, false, false, false}, {false, true, true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minimise << c.autoMute << c.userMute);
        TestApp& a = InitApp();
        a.autoMuteOnFocusLoss = c.autoMute;
        if (c.userMute) a.Mute(false);
        Send(MSG_LBUTTONDOWN, 0, PackPoint(30, 40));
        a.RedrawIfDirty();
        widget.events.clear();
        c.minimise ? platform->MinimizeWindow() : platform->InjectMessage(MSG_ACTIVATE, 0);
        a.Pump();
        EXPECT_EQ(widget.events, std::vector<std::string>{"up 30,40 1"});
        EXPECT_FALSE(platform->Captured() || widget.focused || a.hasFocus);
        EXPECT_EQ(a.IsMuted(), c.mutedAway);
        int updates = widget.updates;
        a.UpdateFrames();
        EXPECT_TRUE(!c.minimise || widget.updates == updates); // no updates while minimised
        c.minimise ? platform->RestoreWindow() : platform->InjectMessage(MSG_ACTIVATE, 1);
        a.Pump();
        EXPECT_TRUE(a.hasFocus && widget.focused && (widget.dirty || !c.minimise));
        EXPECT_EQ(a.IsMuted(), c.mutedBack);
        a.Unmute(false); // ends a player's mute, and never goes below zero
        EXPECT_EQ(a.muteCount, 0);
        EndApp();
    }
}

// The left button takes the mouse (so a drag may leave the window); the
// others do not. The mouse is given back once no button is held.
TEST_F(WindowMessagesTest, TheLeftButtonCapturesTheMouseUntilNoButtonIsHeld) {
    struct Step { uint32_t message; bool captured; } steps[] = {
        {MSG_RBUTTONDOWN, false}, {MSG_MBUTTONDOWN, false}, {MSG_RBUTTONUP, false}, {MSG_MBUTTONUP, false},
        {MSG_LBUTTONDOWN, true},  {MSG_RBUTTONDOWN, true},  {MSG_LBUTTONUP, true},  {MSG_RBUTTONUP, false},
        {MSG_LBUTTONDBLCLK, true}, {MSG_LBUTTONUP, false}};
    InitApp();
    for (const Step& s : steps) {
        Send(s.message, 0, PackPoint(30, 40));
        EXPECT_EQ(platform->Captured(), s.captured) << "after message " << s.message;
    }
}

// A system box over full screen swallows the key releases: when it ends, no
// key counts as held any more, and the time spent under it is not caught up.
TEST_F(WindowMessagesTest, TheEndOfASystemPopupLetsGoOfTheKeys) {
    TestApp& a = InitApp();
    Send(MSG_KEYDOWN, 'A');
    Send(MSG_KEYDOWN, VK_SHIFT);
    ASSERT_TRUE(a.GetWidgetManager()->IsKeyDown('A'));
    a.BeginSystemPopup();
    platform->Advance(3000);
    a.timeAccumulator = 500;
    a.EndSystemPopup();
    EXPECT_FALSE(a.GetWidgetManager()->IsKeyDown('A') || a.GetWidgetManager()->IsKeyDown(VK_SHIFT));
    EXPECT_FALSE(a.inSystemPopup);
    EXPECT_EQ(a.lastTimeStamp, platform->Ticks());
    EXPECT_EQ(a.timeAccumulator, 0.0);
}

// Another window may have drawn over a full screen: coming back redraws all.
TEST_F(WindowMessagesTest, BecomingActiveInFullScreenRedrawsEverything) {
    for (bool windowed : {false, true}) {
        TestApp& a = InitApp();
        a.SetWindowed(windowed);
        ASSERT_EQ(a.windowIsWindowed, windowed);
        Send(MSG_ACTIVATE, 0);
        a.RedrawIfDirty();
        ASSERT_FALSE(widget.dirty);
        Send(MSG_ACTIVATE, 1);
        EXPECT_EQ(widget.dirty, !windowed) << (windowed ? "windowed" : "full screen");
        EndApp();
    }
}

TEST_F(WindowMessagesTest, AFramePressRestartsTheTimeBase) {
    TestApp& a = InitApp();
    for (int i = 0; i < 20; ++i) a.ProcessFrame(true);
    platform->Advance(3000); // the user holds the window frame
    Send(MSG_NCLBUTTONDOWN);
    int updates = widget.updates;
    for (int i = 0; i < 10; ++i) a.ProcessFrame(true);
    EXPECT_LE(widget.updates - updates, 5); // no catching up on the drag
}

TEST_F(WindowMessagesTest, ALostDisplayRecoversAndRedrawsEverything) {
    TestApp& a = InitApp();
    platform->SetPresentFails(true);
    a.RedrawIfDirty();
    EXPECT_TRUE(a.displayLost);
    int presents = platform->PresentCount();
    a.drawPending = true;
    EXPECT_FALSE(a.RedrawIfDirty()); // still lost: only tries to present
    platform->SetPresentFails(false);
    a.RedrawIfDirty();
    EXPECT_EQ(platform->PresentCount(), presents + 1);
    EXPECT_TRUE(widget.dirty);
    EXPECT_EQ(a.GetWidgetManager()->GetDrawTarget(), a.GetDisplay()->GetScreenImage());
}

// Where and how large the window opens: centred at 38.2 % of the desktop's
// work area, or at the place and size the player left it, kept inside the
// work area; full screen when not even the smallest window fits.
TEST_F(WindowMessagesTest, WindowPlacementAndSize) {
    const Rect desktop(0, 0, 1920, 1050);
    struct Case {
        Rect work;
        int storedX, storedY, storedW, storedH; // -1: none stored
        int x, y; // outer top-left (the headless frame adds 8 x 31); -1: full screen
        int w, h; // client size
    } cases[] = {
        {desktop, -1, -1, -1, -1, 556, 160, 800, 600}, // centred at 38.2 %
        {Rect(100, 50, 1920, 1050), -1, -1, -1, -1, 656, 210, 800, 600},
        {desktop, -100, -100, -1, -1, 4, 4, 800, 600},     // stored off the top left
        {desktop, 5000, 5000, -1, -1, 1108, 415, 800, 600}, // stored off the bottom right
        {Rect(0, 0, 808, 631), -1, -1, -1, -1, -1, -1, 0, 0}, // one pixel short of a window
        {Rect(0, 0, 809, 632), -1, -1, -1, -1, 0, 0, 800, 600},
        {desktop, -1, -1, 1200, 900, 356, 45, 1200, 900},
        {desktop, -1, -1, 3000, 2000, 4, 3, 1904, 1011}, // from a larger desktop: inside the work area
        {desktop, -1, -1, 100, 100, 556, 160, 800, 600},     // too small to play in
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.work.width << " " << c.storedX << " " << c.storedW << "x" << c.storedH);
        platform->SetWorkArea(c.work);
        TestApp& a = MakeApp();
        a.RegistryWriteInteger("PreferredX", c.storedX);
        a.RegistryWriteInteger("PreferredY", c.storedY);
        a.RegistryWriteInteger("PreferredWidth", c.storedW);
        a.RegistryWriteInteger("PreferredHeight", c.storedH);
        a.RegistryEraseValue("ScreenMode"); // the last case wrote its own
        a.Init();
        EXPECT_EQ(a.forceFullscreen && platform->IsFullscreen(), c.x < 0);
        EXPECT_TRUE(c.x < 0 || (platform->WindowX() == c.x && platform->WindowY() == c.y))
            << platform->WindowX() << "," << platform->WindowY();
        EXPECT_TRUE(c.x < 0 || (platform->ClientWidth() == c.w && platform->ClientHeight() == c.h))
            << platform->ClientWidth() << "x" << platform->ClientHeight();
        app.reset();
    }
}

// The player sizes the window, and the size is remembered; a full-screen
// run leaves it alone. Closing ends the application and remembers the
// window's size and place.
TEST_F(WindowMessagesTest, TheWindowSizeAndPlaceAreThePlayersAndAreRemembered) {
    TestApp& a = MakeApp();
    a.Init();
    platform->SetWindowSize(1024, 700); // the player drags an edge
    a.Pump();
    a.SetWindowed(false);
    platform->SetWindowSize(1920, 1080); // full screen: not a size to keep
    a.Pump();
    a.SetWindowed(true);
    EXPECT_EQ(platform->ClientWidth(), 1024);
    EXPECT_EQ(platform->ClientHeight(), 700);
    platform->MoveWindow(120, 140);
    a.Pump();
    Send(MSG_CLOSE);
    EXPECT_TRUE(a.shutdown);
    EXPECT_EQ(Stored(a, "PreferredWidth") * 10000 + Stored(a, "PreferredHeight"), 10240700);
    EXPECT_EQ(Stored(a, "PreferredX") * 1000 + Stored(a, "PreferredY"), 120140);
}

} // namespace
