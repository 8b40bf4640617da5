#pragma once
// framework/widgets/: widgets and the manager that routes input to them and
// draws them. It may use base/, platform/ and graphics/.
//
// The flat, z-ordered list of widgets (first = bottom). It turns the queued
// window input into calls on widgets, runs their fixed-rate updates and redraws
// the dirty ones into the back buffer. The manager never deletes widgets.
// The game's loading thread may add, focus, resize and invalidate widgets
// while the main thread updates and draws, so list changes and passes over
// the list are serialised by one lock.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Quill {

class QuillAppBase;

class WidgetManager {
public:
    explicit WidgetManager(QuillAppBase* application);
    ~WidgetManager();

    void AddWidget(Widget* w);
    void RemoveWidget(Widget* w);
    bool HasWidget(Widget* w) const;
    void SetFocus(Widget* w);
    void SetModalWidget(Widget* w);
    void SetPopupWidget(Widget* w);
    void InvalidateAll();
    void SetScreenSize(int32_t w, int32_t h);
    // The back buffer widgets draw into; null while the display is rebuilt.
    void SetDrawTarget(Image* target);
    Image* GetDrawTarget() const { return drawTarget; }
    Widget* GetWidgetAt(int32_t x, int32_t y);

    // Input entry points, called by the application's message processing.
    void OnMouseMove(int32_t x, int32_t y);
    void OnMouseDown(int32_t x, int32_t y, int clickCount);
    void OnMouseUp(int32_t x, int32_t y, int clickCount);
    void OnMouseWheel(int notches);
    void OnMouseExit();
    void OnKeyDown(uint32_t key);
    void OnKeyUp(uint32_t key);
    void OnChar(char c);
    void OnGotFocus();
    void OnLostFocus();
    // Forgets every held key without telling widgets (after a system popup).
    void ClearKeyDown();
    // Sends MouseUp for every held button (left, right, middle) to the widget
    // that holds them, at the last mouse position.
    void ReleaseHeldButtons();
    // Finds the widget under the last mouse position again (after a widget
    // moved, appeared or disappeared).
    void RehupMouse();
    // Forgets `w` as hovered, pressed (its buttons are released), focused and
    // modal boundary.
    void DropWidget(Widget* w);

    // Called by the scheduler.
    bool UpdateAll();
    void FractionalUpdateAll(float fraction);
    bool DrawDirtyWidgets();

    // Invalidation, as Widget::Invalidate and InvalidateFull route it.
    void Invalidate(Widget* w);
    void InvalidateFull(Widget* w);

    bool IsKeyDown(uint32_t key) const { return key < 255 && keyDown[key]; }
    uint32_t GetPressedButtons() const { return pressedButtons; }
    uint32_t GetDownButtons() const { return downButtons; }

    QuillAppBase* application;
    Image* drawTarget = nullptr;
    std::unique_ptr<MemoryImage> overlayCache;
    int32_t width = 0, height = 0;
    Widget* popupWidget = nullptr;
    Widget* defaultWidget = nullptr;
    std::vector<Widget*> widgets;
    bool hasFocus = true;
    Widget* focusWidget = nullptr;
    Widget* pressedWidget = nullptr;
    Widget* overWidget = nullptr;
    Widget* modalWidget = nullptr;
    bool mouseIn = false;
    int32_t lastMouseX = 0, lastMouseY = 0;
    uint32_t pressedButtons = 0, downButtons = 0;
    uint32_t lastInputStamp = 0;
    bool keyDown[255] = {};
    int lastClickButton = 0;
    uint32_t updateStamp = 0;
    bool invalidatedDuringUpdate = false;

private:
    int IndexOf(const Widget* w) const;
    void UpdateMouse(int32_t x, int32_t y);
    void Drag(int32_t x, int32_t y);
    void DrawWidget(Widget* w, const Graphics& base);

    mutable std::recursive_mutex lock;
    // Index of the widget an update or draw pass is at, kept right when
    // widgets are removed, so that the pass goes on with the next one.
    int walkIndex = -1;
    bool hadOverlay = false;
};

} // namespace Quill
