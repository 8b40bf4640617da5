// Window events through the window procedure and the deferred queue to the
// widgets; focus and muting; screen-mode switches; placement of the window;
// a lost display.
#include "AppTestSupport.h"

#include "framework/platform/InstanceLock.h"
#include "framework/platform/SettingsStore.h"

using namespace Quill;
using namespace apptest;

namespace {

class WindowMessagesTest : public AppTest {};

TEST_F(WindowMessagesTest, MouseAndKeysReachTheWidgetWithClickCounts) {
    struct Case {
        uint32_t message;
        uint32_t wParam;
        const char* expected;
    } cases[] = {
        {MSG_LBUTTONDOWN, 0, "down 10,20 1"},  {MSG_LBUTTONUP, 0, "up 10,20 1"},
        {MSG_LBUTTONDBLCLK, 0, "down 10,20 2"}, {MSG_RBUTTONDOWN, 0, "down 10,20 -1"},
        {MSG_RBUTTONUP, 0, "up 10,20 -1"},      {MSG_RBUTTONDBLCLK, 0, "down 10,20 -2"},
        {MSG_MBUTTONDOWN, 0, "down 10,20 3"},   {MSG_MBUTTONUP, 0, "up 10,20 3"},
        {MSG_MOUSEWHEEL, uint32_t(uint16_t(-240)) << 16, "wheel -2"},
        {MSG_MOUSEWHEEL, 120u << 16, "wheel 1"},
        {MSG_KEYDOWN, VK_F1, "keydown 112"},     {MSG_KEYUP, 'A', "keyup 65"},
        {MSG_CHAR, 'q', "char q"},
    };
    TestApp& a = InitApp();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        widget.events.clear();
        platform->InjectMessage(c.message, c.wParam, PackPoint(10, 20));
        a.Pump();
        ASSERT_EQ(widget.events.size(), 1u);
        EXPECT_EQ(widget.events[0], c.expected);
    }
}

TEST_F(WindowMessagesTest, SystemKeysAndInputUnderASystemPopupStayAwayFromWidgets) {
    TestApp& a = InitApp();
    platform->InjectMessage(MSG_SYSKEYDOWN, 'X');
    platform->InjectMessage(MSG_SYSCHAR, 'r');
    platform->InjectMessage(MSG_SYSCHAR, 'x');
    a.Pump();
    a.inSystemPopup = true;
    platform->InjectMessage(MSG_LBUTTONDOWN, 0, PackPoint(1, 1));
    platform->InjectMessage(MSG_KEYDOWN, 'A');
    a.Pump();
    a.inSystemPopup = false;
    EXPECT_TRUE(widget.events.empty());
    EXPECT_FALSE(a.shutdown);
    // Alt+F4 is the system's close.
    platform->InjectMessage(MSG_SYSKEYDOWN, VK_F4);
    a.Pump();
    EXPECT_TRUE(a.shutdown);
}

TEST_F(WindowMessagesTest, AKeyLetGoWhileAltIsHeldStillComesUp) {
    TestApp& a = InitApp();
    platform->InjectMessage(MSG_KEYDOWN, VK_CONTROL);
    platform->InjectMessage(MSG_KEYDOWN, VK_MENU);
    platform->InjectMessage(MSG_SYSKEYUP, VK_CONTROL);
    platform->InjectMessage(MSG_SYSKEYUP, 'X'); // never went down: nothing
    platform->InjectMessage(MSG_KEYUP, VK_MENU);
    a.Pump();
    EXPECT_EQ(widget.events,
              (std::vector<std::string>{"keydown 17", "keydown 18", "keyup 17", "keyup 18"}));
    EXPECT_FALSE(a.GetWidgetManager()->IsKeyDown(VK_CONTROL));
    widget.events.clear();
    platform->InjectMessage(MSG_CHAR, '\t');
    a.Pump();
    EXPECT_EQ(widget.events, (std::vector<std::string>{"char \t"})); // a plain Tab, not Control+Tab
}

TEST_F(WindowMessagesTest, ASecondCopyBringsTheMinimisedFirstForward) {
    setenv("XDG_RUNTIME_DIR", folder.path.c_str(), 1);
    TestApp& a = MakeApp();
    a.singleInstance = true;
    a.productName = "Velmora Window Test";
    InitApp();
    platform->MinimizeWindow();
    a.Pump();
    ASSERT_TRUE(a.minimized);
    InstanceLock second(a.productName);
    ASSERT_EQ(second.Acquire(), InstanceLock::Result::HeldElsewhere);
    ASSERT_TRUE(second.NotifyHolder());
    platform->Advance(500);
    a.Pump(); // notices the request and restores the window
    a.Pump(); // the restore arrives as a window message
    EXPECT_FALSE(platform->IsMinimized());
    EXPECT_FALSE(a.minimized);
    EXPECT_FALSE(a.IsMuted());
}

TEST_F(WindowMessagesTest, AltEnterTogglesTheScreenModeUnlessForcedOrFailed) {
    struct Case {
        bool forced, failed;
        bool fullscreenAfterOne, fullscreenAfterTwo;
    } cases[] = {
        {false, false, true, false},
        {true, false, false, false}, // forced: nothing changes
        {false, true, false, false}, // full screen failed before
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.forced << c.failed);
        TestApp& a = InitApp();
        a.forceFullscreen = c.forced;
        a.fullscreenFailed = c.failed;
        platform->InjectMessage(MSG_SYSKEYDOWN, VK_RETURN);
        a.Pump();
        EXPECT_EQ(platform->IsFullscreen(), c.fullscreenAfterOne);
        EXPECT_EQ(!a.windowIsWindowed, c.fullscreenAfterOne);
        EXPECT_TRUE(widget.events.empty()); // Return never reached the widget
        platform->InjectMessage(MSG_SYSKEYDOWN, VK_RETURN);
        a.Pump();
        EXPECT_EQ(platform->IsFullscreen(), c.fullscreenAfterTwo);
        // The back buffer survives the switch and is drawn again.
        EXPECT_EQ(a.GetWidgetManager()->GetDrawTarget(), a.GetDisplay()->GetScreenImage());
        EXPECT_TRUE(widget.dirty);
        EndApp();
    }
}

TEST_F(WindowMessagesTest, MinimisingMutesAndRestoringUnmutesAndRedraws) {
    TestApp& a = InitApp();
    a.RedrawIfDirty();
    ASSERT_FALSE(widget.dirty);
    platform->MinimizeWindow();
    a.Pump();
    EXPECT_TRUE(a.minimized);
    EXPECT_TRUE(a.IsMuted());
    EXPECT_FALSE(a.hasFocus);
    // No widget updates while minimised.
    int updates = widget.updates;
    a.UpdateFrames();
    EXPECT_EQ(widget.updates, updates);

    platform->RestoreWindow();
    a.Pump();
    EXPECT_FALSE(a.minimized);
    EXPECT_FALSE(a.IsMuted());
    EXPECT_EQ(a.muteCount, 0);
    EXPECT_EQ(a.autoMuteCount, 0);
    EXPECT_TRUE(a.hasFocus);
    EXPECT_TRUE(widget.dirty);
}

TEST_F(WindowMessagesTest, FocusLossMutesOnlyWhenAutoMuteIsOn) {
    for (bool autoMute : {true, false}) {
        SCOPED_TRACE(autoMute);
        TestApp& a = InitApp();
        a.autoMuteOnFocusLoss = autoMute;
        platform->InjectMessage(MSG_ACTIVATE, 0);
        a.Pump();
        EXPECT_FALSE(a.active);
        EXPECT_FALSE(a.hasFocus);
        EXPECT_EQ(a.IsMuted(), autoMute);
        EXPECT_FALSE(widget.focused);
        platform->InjectMessage(MSG_ACTIVATE, 1);
        a.Pump();
        EXPECT_TRUE(a.hasFocus);
        EXPECT_FALSE(a.IsMuted());
        EXPECT_TRUE(widget.focused);
        EndApp();
    }
}

TEST_F(WindowMessagesTest, AUserMuteOutlastsFocusChanges) {
    TestApp& a = InitApp();
    a.Mute(false);
    platform->InjectMessage(MSG_ACTIVATE, 0);
    platform->InjectMessage(MSG_ACTIVATE, 1);
    a.Pump();
    EXPECT_TRUE(a.IsMuted());
    a.Unmute(false);
    EXPECT_FALSE(a.IsMuted());
    a.Unmute(false); // never below zero
    EXPECT_EQ(a.muteCount, 0);
}

TEST_F(WindowMessagesTest, FocusLossReleasesHeldButtonsToTheirWidget) {
    TestApp& a = InitApp();
    platform->InjectMessage(MSG_LBUTTONDOWN, 0, PackPoint(30, 40));
    a.Pump();
    EXPECT_TRUE(platform->Captured());
    widget.events.clear();
    platform->InjectMessage(MSG_ACTIVATE, 0);
    a.Pump();
    ASSERT_EQ(widget.events.size(), 1u);
    EXPECT_EQ(widget.events[0], "up 30,40 1");
    EXPECT_FALSE(platform->Captured());
}

TEST_F(WindowMessagesTest, AFramePressRestartsTheTimeBase) {
    TestApp& a = InitApp();
    for (int i = 0; i < 20; ++i) a.ProcessFrame(true);
    platform->Advance(3000); // the user holds the window frame
    platform->InjectMessage(MSG_NCLBUTTONDOWN);
    a.Pump();
    EXPECT_EQ(a.lastTimeStamp, platform->Ticks());
    EXPECT_EQ(a.timeAccumulator, 0.0);
    int updates = widget.updates;
    for (int i = 0; i < 10; ++i) a.ProcessFrame(true);
    EXPECT_LE(widget.updates - updates, 5); // no catching up on the drag
}

TEST_F(WindowMessagesTest, CloseEndsTheApplicationAndMovesAreRemembered) {
    TestApp& a = InitApp();
    platform->MoveWindow(120, 140);
    a.Pump();
    EXPECT_EQ(a.preferredX, 120);
    EXPECT_EQ(a.preferredY, 140);
    platform->InjectMessage(MSG_CLOSE);
    a.Pump();
    EXPECT_TRUE(a.shutdown);
    int32_t x = 0;
    EXPECT_TRUE(a.RegistryReadInteger("PreferredX", x));
    EXPECT_EQ(x, 120);
}

TEST_F(WindowMessagesTest, TheTimerNoticesThePointerLeaving) {
    TestApp& a = InitApp();
    platform->MovePointer(50, 50);
    a.Pump();
    EXPECT_TRUE(a.mouseInWindow);
    platform->SetPointerState(-5, 50, 0);
    platform->Advance(10);
    a.Pump();
    EXPECT_FALSE(a.mouseInWindow);
    EXPECT_FALSE(widget.hovered);
}

TEST_F(WindowMessagesTest, ALostDisplayRecoversAndRedrawsEverything) {
    TestApp& a = InitApp();
    platform->SetPresentFails(true);
    a.RedrawIfDirty();
    EXPECT_TRUE(a.displayLost);
    int presents = platform->PresentCount();
    a.drawPending = true;
    EXPECT_FALSE(a.RedrawIfDirty()); // still lost: only tries to present
    EXPECT_EQ(platform->PresentCount(), presents);

    platform->SetPresentFails(false);
    a.RedrawIfDirty();
    EXPECT_FALSE(a.displayLost);
    EXPECT_EQ(platform->PresentCount(), presents + 1);
    EXPECT_TRUE(widget.dirty);
    EXPECT_EQ(a.GetWidgetManager()->GetDrawTarget(), a.GetDisplay()->GetScreenImage());
    a.forceRedraw = true;
    EXPECT_TRUE(a.RedrawIfDirty());
    EXPECT_FALSE(widget.dirty);
}

TEST_F(WindowMessagesTest, WindowPlacement) {
    struct Case {
        const char* name;
        Rect work;
        int preferredX, preferredY;
        int x, y; // outer top-left (the headless frame adds 8 x 31)
        bool fullscreen;
    } cases[] = {
        {"centred at 38.2%", Rect(0, 0, 1920, 1050), -1, -1, 556, 160, false},
        {"offset work area", Rect(100, 50, 1920, 1050), -1, -1, 656, 210, false},
        {"stored position", Rect(0, 0, 1920, 1050), 300, 200, 300, 200, false},
        {"stored off the top left", Rect(0, 0, 1920, 1050), -100, -100, 4, 4, false},
        {"stored off the bottom right", Rect(0, 0, 1920, 1050), 5000, 5000, 1108, 415, false},
        {"desktop as small as the game", Rect(0, 0, 800, 600), -1, -1, 0, 0, true},
        {"one pixel short", Rect(0, 0, 808, 631), -1, -1, 0, 0, true},
        {"just large enough", Rect(0, 0, 809, 632), -1, -1, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform->SetWorkArea(c.work);
        TestApp& a = MakeApp();
        a.RegistryWriteInteger("PreferredX", c.preferredX);
        a.RegistryWriteInteger("PreferredY", c.preferredY);
        a.RegistryEraseValue("ScreenMode"); // the last case wrote its own
        a.Init();
        EXPECT_EQ(platform->IsFullscreen(), c.fullscreen);
        EXPECT_EQ(a.forceFullscreen, c.fullscreen);
        if (!c.fullscreen) {
            EXPECT_EQ(platform->WindowX(), c.x);
            EXPECT_EQ(platform->WindowY(), c.y);
        }
        app.reset();
    }
}

TEST_F(WindowMessagesTest, AFailedFullScreenFallsBackToAWindow) {
    platform->SetFullscreenFails(true);
    TestApp& a = MakeApp();
    a.windowed = false;
    a.Init();
    EXPECT_TRUE(a.fullscreenFailed);
    EXPECT_TRUE(a.windowIsWindowed);
    EXPECT_TRUE(platform->HasWindow());
    EXPECT_NE(a.GetDisplay()->GetScreenImage(), nullptr);
    // Alt+Enter no longer tries full screen.
    platform->InjectMessage(MSG_SYSKEYDOWN, VK_RETURN);
    a.Pump();
    EXPECT_TRUE(a.windowIsWindowed);
}

// When the application ends, a 3D choice changed during the run is kept, or
// the player is asked about it; 3D trouble asks whether to keep 3D at all.
TEST_F(WindowMessagesTest, TheEndAsksAboutHardwareAcceleration) {
    struct Case {
        const char* name;
        int stored; // "Is3D" before the run, -1 none
        bool switchOn, trouble;
        int answer;
        int storedAfter; // -1 none
        const char* box; // the start of the question, or none
    } cases[] = {
        {"a stored choice follows the switch", 0, true, false, ID_YES, 1, nullptr},
        {"switched on, kept", -1, true, false, ID_YES, 1, "Hardware Acceleration was switched on"},
        {"switched on, refused", -1, true, false, ID_NO, -1, "Hardware Acceleration was switched on"},
        {"trouble, refused", -1, false, true, ID_NO, 0, "Hardware Acceleration may not have been"},
        {"trouble, kept", -1, false, true, ID_YES, -1, "Hardware Acceleration may not have been"},
        {"nothing happened", -1, false, false, ID_NO, -1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsStore("VelmoraTest").Erase("Is3D");
        TestApp& a = MakeApp();
        a.titlePrefix = "Velmora";
        if (c.stored >= 0) a.RegistryWriteInteger("Is3D", c.stored);
        a.Init();
        if (c.switchOn) a.Set3D(true, true);
        a.GetDisplay()->had3DTrouble = c.trouble;
        platform->SetMessageBoxAnswer(c.answer);
        size_t boxes = platform->MessageBoxes().size();
        app.reset();

        uint32_t type = 0;
        std::string data;
        bool stored = SettingsStore("VelmoraTest").Read("Is3D", type, data);
        EXPECT_EQ(stored ? static_cast<int>(static_cast<uint8_t>(data[0])) : -1, c.storedAfter);
        const auto& shown = platform->MessageBoxes();
        if (!c.box) {
            EXPECT_EQ(shown.size(), boxes);
            continue;
        }
        ASSERT_EQ(shown.size(), boxes + 1);
        EXPECT_EQ(shown.back().rfind(std::string("Velmora Hardware Acceleration Confirmation: ") + c.box, 0), 0u)
            << shown.back();
    }
}

} // namespace
