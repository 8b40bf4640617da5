// The widget manager as the window input drives it: hit tests, hover, drag,
// clicks per button, keys and focus, removal while buttons are held, update
// passes and the redraw of dirty widgets.
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/platform/Platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Quill;

namespace {

class Recorder : public Widget {
public:
    Recorder(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    bool AcceptsFocus() override { return true; }
    void Draw(Graphics* g) override {
        Say("Draw");
        g->SetColor(fill);
        g->FillRect(0, 0, width, height);
        if (onDraw) onDraw();
    }
    void Update() override {
        Widget::Update();
        if (removeOnUpdate) manager->RemoveWidget(removeOnUpdate);
    }
    void LostFocus() override { Widget::LostFocus(); Say("LostFocus"); }
    void KeyDown(uint32_t k) override { Widget::KeyDown(k); Say("KeyDown " + std::to_string(k)); }
    void KeyUp(uint32_t k) override { Say("KeyUp " + std::to_string(k)); }
    void KeyChar(char c) override { Say(std::string("Char ") + c); }
    void MouseEnter() override { Widget::MouseEnter(); Say("Enter"); }
    void MouseLeave() override { Widget::MouseLeave(); Say("Leave"); }
    void MouseMove(int32_t x, int32_t y) override { Say("Move " + Pt(x, y)); }
    void MouseDrag(int32_t x, int32_t y) override { Say("Drag " + Pt(x, y)); }
    void MouseDown(int32_t x, int32_t y, int count) override {
        Say("Down " + Pt(x, y) + " " + std::to_string(count));
        Widget::MouseDown(x, y, count);
    }
    void MouseDown(int32_t, int32_t, int button, int count) override {
        Say("DownButton " + std::to_string(button) + " " + std::to_string(count));
    }
    void MouseUp(int32_t x, int32_t y, int count) override {
        Say("Up " + Pt(x, y) + " " + std::to_string(count));
        Widget::MouseUp(x, y, count);
    }
    void MouseUp(int32_t, int32_t, int button, int count) override {
        Say("UpButton " + std::to_string(button) + " " + std::to_string(count));
    }

    std::string name;
    std::vector<std::string>* log;
    Widget* removeOnUpdate = nullptr;
    std::function<void()> onDraw;
    Color fill{255, 0, 0, 255};

private:
    static std::string Pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Say(const std::string& s) { log->push_back(name + ": " + s); }
};

struct Fixture : ::testing::Test {
    Fixture() : manager(nullptr), a("a", &log), b("b", &log) {
        manager.SetScreenSize(100, 100);
        a.Resize(0, 0, 50, 50);
        b.Resize(50, 0, 50, 50);
        manager.AddWidget(&a);
        manager.AddWidget(&b);
        log.clear();
    }
    ~Fixture() override {
        for (auto& w : added) manager.RemoveWidget(w.get());
        manager.RemoveWidget(&a);
        manager.RemoveWidget(&b);
    }
    // Another widget on the manager at (x, y), taken off when the test ends.
    Recorder& Add(const std::string& name, int x, int y, int w, int h) {
        added.push_back(std::make_unique<Recorder>(name, &log));
        added.back()->Resize(x, y, w, h);
        manager.AddWidget(added.back().get());
        return *added.back();
    }
    // Draws into a fresh 100 x 100 screen.
    void UseScreen() { manager.SetDrawTarget(&screen); }
    std::vector<std::string> log;
    MemoryImage screen{100, 100};
    WidgetManager manager;
    Recorder a, b;
    std::vector<std::unique_ptr<Recorder>> added;
};

using WidgetInput = Fixture;

TEST_F(WidgetInput, DragOutsideKeepsTheWidgetAndReleaseOutsideReachesIt) {
    manager.OnMouseMove(10, 10);
    manager.OnMouseDown(10, 10, 1);
    log.clear();
    manager.OnMouseMove(70, 10); // over b, but a holds the button
    manager.OnMouseMove(20, 10); // back inside
    manager.OnMouseMove(80, 30);
    manager.OnMouseUp(80, 30, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a: Drag 70,10", "a: Leave", "a: Drag 20,10", "a: Enter", "a: Drag 80,30",
                                             "a: Leave", "a: Up 80,30 1", "a: UpButton 0 1", "b: Enter", "b: Move 30,30"}));
    EXPECT_FALSE(a.pressed);
    EXPECT_FALSE(a.hovered);
}

TEST_F(WidgetInput, RemovingTheWidgetThatHoldsButtonsReleasesEachFirst) {
    manager.OnMouseMove(10, 10);
    manager.OnMouseDown(10, 10, 1);
    manager.OnMouseDown(10, 10, -1);
    manager.OnMouseDown(10, 10, 3);
    log.clear();
    manager.RemoveWidget(&a);
    EXPECT_EQ(log, (std::vector<std::string>{"a: Leave", "a: Up 10,10 1", "a: UpButton 0 1", "a: Up 10,10 -1",
                                             "a: UpButton 1 1", "a: Up 10,10 3", "a: UpButton 2 1", "a: LostFocus"}));
    EXPECT_EQ(manager.pressedWidget, nullptr);
    EXPECT_EQ(a.manager, nullptr);
}

// Control+Tab belongs to the manager's default widget: its character goes
// there, and its key-up (also one sent for a focus loss) never reaches the
// focus widget. Other keys and characters go on as usual, and a focus loss
// lets go of every other held key with a key-up.
TEST_F(WidgetInput, ControlTabBypassesTheFocusWidgetAndFocusLossLetsGoOfKeys) {
    manager.SetFocus(&a);
    manager.defaultWidget = &b;
    manager.OnKeyDown(VK_CONTROL);
    manager.OnKeyDown(VK_TAB);
    log.clear();
    manager.OnChar('\t');
    manager.OnChar('x');
    manager.OnKeyUp(VK_TAB);
    EXPECT_EQ(log, (std::vector<std::string>{"b: Char \t", "a: Char x"}));
    manager.OnKeyDown(VK_TAB);
    manager.OnKeyDown('Q');
    log.clear();
    manager.OnLostFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"a: KeyUp 17", "a: KeyUp 81", "a: LostFocus"}));
    EXPECT_FALSE(manager.IsKeyDown('Q') || manager.IsKeyDown(VK_TAB));
    manager.OnGotFocus();
    manager.OnKeyDown(VK_TAB);
    log.clear();
    manager.OnChar('\t');
    manager.OnKeyUp(VK_TAB);
    EXPECT_EQ(log, (std::vector<std::string>{"a: Char \t", "a: KeyUp 9"})) << "without Control, Tab is the focus widget's";
    manager.defaultWidget = nullptr;
}

TEST_F(WidgetInput, ModalBoundaryAndBlockedInputStopHits) {
    Recorder& top = Add("top", 0, 0, 10, 10);
    manager.SetModalWidget(&top);
    EXPECT_EQ(manager.GetWidgetAt(5, 5), &top);
    EXPECT_EQ(manager.GetWidgetAt(30, 30), nullptr); // a lies below the modal boundary
    manager.SetModalWidget(nullptr);
    EXPECT_EQ(manager.GetWidgetAt(30, 30), &a);
    top.SetInputBlocked(true);
    EXPECT_EQ(manager.GetWidgetAt(5, 5), nullptr);
    top.mouseVisible = false;
    EXPECT_EQ(manager.GetWidgetAt(5, 5), &a);
}

TEST_F(WidgetInput, UpdatePassSurvivesRemovalAndUpdatesEachWidgetOnce) {
    Recorder& c = Add("c", 0, 0, 0, 0);
    a.removeOnUpdate = &b;
    manager.UpdateAll();
    EXPECT_EQ(a.updateCount, 1);
    EXPECT_EQ(b.updateCount, 0);
    EXPECT_EQ(c.updateCount, 1);
    a.removeOnUpdate = nullptr;
}

TEST_F(WidgetInput, OnlyDirtyWidgetsAreDrawnAndInvalidationSpreadsUpward) {
    UseScreen();
    EXPECT_TRUE(manager.DrawDirtyWidgets());
    EXPECT_EQ(screen.GetBits()[0], 0xFFFF0000u);
    log.clear();
    EXPECT_FALSE(manager.DrawDirtyWidgets());
    EXPECT_TRUE(log.empty());

    Add("over", 40, 0, 20, 20);
    manager.DrawDirtyWidgets();
    log.clear();
    a.Invalidate(); // `over` overlaps a, so it is drawn again too
    manager.DrawDirtyWidgets();
    EXPECT_EQ(log, (std::vector<std::string>{"a: Draw", "over: Draw"}));
}

// A widget may remove (and then delete) another one from its Draw, as it may
// from its Update: the pass goes on with the widgets still in the list.
TEST_F(WidgetInput, RemovingWidgetsWhileDrawingNeverDrawsThem) {
    UseScreen();
    Recorder* doomed = &Add("doomed", 0, 50, 10, 10);
    b.onDraw = [&] {
        manager.RemoveWidget(doomed);
        added.clear();
    };
    log.clear();
    manager.DrawDirtyWidgets();
    b.onDraw = nullptr;
    EXPECT_EQ(log, (std::vector<std::string>{"a: Draw", "b: Draw"}));

    // In the overlay pass, removing a widget below the walk skips no overlay widget.
    Recorder &first = Add("first", 0, 50, 10, 10), &second = Add("second", 20, 50, 10, 10);
    first.SetOverlay(true);
    second.SetOverlay(true);
    first.onDraw = [&] { manager.RemoveWidget(&a); };
    log.clear();
    manager.DrawDirtyWidgets();
    EXPECT_EQ(log, (std::vector<std::string>{"a: Draw", "b: Draw", "first: Draw", "second: Draw"}));
    first.onDraw = nullptr;
}

TEST_F(WidgetInput, OverlayWidgetsAreDrawnEveryFrameOverACleanCopy) {
    UseScreen();
    Recorder& cursor = Add("cursor", 0, 0, 5, 5);
    cursor.fill = Color(0, 0, 255, 255);
    cursor.SetOverlay(true);
    manager.DrawDirtyWidgets();
    EXPECT_EQ(screen.GetBits()[0], 0xFF0000FFu);
    cursor.Move(10, 0);
    log.clear();
    manager.DrawDirtyWidgets();
    EXPECT_EQ(log, (std::vector<std::string>{"cursor: Draw"}));
    EXPECT_EQ(screen.GetBits()[0], 0xFFFF0000u) << "the old overlay place is restored from the cache";
    EXPECT_EQ(screen.GetBits()[10], 0xFF0000FFu);

    // A new screen size drops the cache: the next frame fills a new one from
    // the widgets below, although none of them is dirty.
    manager.SetScreenSize(200, 100);
    log.clear();
    EXPECT_TRUE(manager.DrawDirtyWidgets());
    EXPECT_EQ(log, (std::vector<std::string>{"a: Draw", "b: Draw", "cursor: Draw"}));
    EXPECT_EQ(screen.GetBits()[0], 0xFFFF0000u);
}

} // namespace
