#include "framework/widgets/WidgetManager.h"

#include "framework/graphics/DDInterface.h"
#include "framework/platform/Platform.h"

#include <algorithm>
#include <cstring>

namespace Quill {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

uint32_t ButtonBit(int clickCount) {
    if (clickCount == 3) return MOUSE_MIDDLE;
    return clickCount < 0 ? MOUSE_RIGHT : MOUSE_LEFT;
}

int ClickButton(int clickCount) {
    if (clickCount == 3) return 2;
    return clickCount < 0 ? -1 : 1;
}

} // namespace

WidgetManager::WidgetManager(QuillAppBase* app) : application(app) {}

WidgetManager::~WidgetManager() = default;

int WidgetManager::IndexOf(const Widget* w) const {
    auto it = std::find(widgets.begin(), widgets.end(), w);
    return it == widgets.end() ? -1 : static_cast<int>(it - widgets.begin());
}

bool WidgetManager::HasWidget(Widget* w) const {
    Lock hold(lock);
    return IndexOf(w) >= 0;
}

void WidgetManager::AddWidget(Widget* w) {
    Lock hold(lock);
    if (!w) return;
    if (IndexOf(w) < 0) {
        widgets.push_back(w);
        w->Attached(this);
        Invalidate(w);
    }
    RehupMouse();
}

void WidgetManager::RemoveWidget(Widget* w) {
    Lock hold(lock);
    int index = IndexOf(w);
    if (index < 0) return;
    InvalidateFull(w);
    widgets.erase(widgets.begin() + index);
    if (index <= walkIndex) --walkIndex; // the pass in progress goes on with the next widget
    DropWidget(w);
    if (popupWidget == w) popupWidget = nullptr;
    if (defaultWidget == w) defaultWidget = nullptr;
    w->Detached(this);
}

void WidgetManager::DropWidget(Widget* w) {
    Lock hold(lock);
    if (!w) return;
    if (overWidget == w) {
        overWidget = nullptr;
        w->MouseLeave();
    }
    if (pressedWidget == w) ReleaseHeldButtons();
    if (focusWidget == w) {
        focusWidget = nullptr;
        w->LostFocus();
    }
    if (modalWidget == w) modalWidget = nullptr;
}

void WidgetManager::ReleaseHeldButtons() {
    Lock hold(lock);
    static const int clickCounts[3] = {1, -1, 3};
    static const uint32_t bits[3] = {MOUSE_LEFT, MOUSE_RIGHT, MOUSE_MIDDLE};
    for (int i = 0; i < 3; ++i) {
        Widget* w = pressedWidget;
        if (!w || !(pressedButtons & bits[i])) continue;
        pressedButtons &= ~bits[i];
        if (pressedButtons == 0) pressedWidget = nullptr;
        w->MouseUp(lastMouseX - w->x, lastMouseY - w->y, clickCounts[i]);
    }
}

void WidgetManager::SetFocus(Widget* w) {
    Lock hold(lock);
    if (w == focusWidget) return;
    Widget* old = focusWidget;
    focusWidget = nullptr;
    if (old) old->LostFocus();
    if (w && IndexOf(w) >= 0) {
        focusWidget = w;
        if (hasFocus) w->GotFocus();
    }
}

void WidgetManager::SetModalWidget(Widget* w) {
    Lock hold(lock);
    modalWidget = w;
    RehupMouse();
}

void WidgetManager::SetPopupWidget(Widget* w) {
    Lock hold(lock);
    popupWidget = w;
}

void WidgetManager::InvalidateAll() {
    Lock hold(lock);
    for (Widget* w : widgets) w->dirty = true;
}

void WidgetManager::SetScreenSize(int32_t w, int32_t h) {
    Lock hold(lock);
    if (w != width || h != height) overlayCache.reset();
    width = w;
    height = h;
}

void WidgetManager::SetDrawTarget(Image* target) {
    Lock hold(lock);
    drawTarget = target;
}

Widget* WidgetManager::GetWidgetAt(int32_t px, int32_t py) {
    Lock hold(lock);
    for (int i = static_cast<int>(widgets.size()) - 1; i >= 0; --i) {
        Widget* w = widgets[static_cast<size_t>(i)];
        if (w->visible && w->mouseVisible && w->GetContentRect().Contains(px, py)) {
            if (w->inputBlocked) return nullptr;
            if (w->HitTest(px - w->x, py - w->y)) return w;
        }
        if (w == modalWidget) break; // nothing below the modal boundary gets hits
    }
    return nullptr;
}

void WidgetManager::UpdateMouse(int32_t px, int32_t py) {
    bool moved = px != lastMouseX || py != lastMouseY;
    lastMouseX = px;
    lastMouseY = py;
    Widget* under = GetWidgetAt(px, py);
    if (under != overWidget) {
        Widget* old = overWidget;
        overWidget = under;
        if (old) old->MouseLeave();
        if (under) {
            under->MouseEnter();
            under->MouseMove(px - under->x, py - under->y);
        }
    } else if (under && moved) {
        under->MouseMove(px - under->x, py - under->y);
    }
}

void WidgetManager::RehupMouse() {
    Lock hold(lock);
    if (mouseIn && !pressedWidget) UpdateMouse(lastMouseX, lastMouseY);
}

void WidgetManager::Drag(int32_t px, int32_t py) {
    mouseIn = true;
    lastMouseX = px;
    lastMouseY = py;
    Widget* held = pressedWidget;
    if (overWidget && overWidget != held) {
        Widget* old = overWidget;
        overWidget = nullptr;
        old->MouseLeave();
    }
    held->MouseDrag(px - held->x, py - held->y);
    if (pressedWidget != held) return; // the drag handler let go of it
    if (GetWidgetAt(px, py) != held) {
        if (overWidget) {
            Widget* old = overWidget;
            overWidget = nullptr;
            old->MouseLeave();
        }
    } else if (!overWidget) {
        overWidget = held;
        held->MouseEnter();
    }
}

void WidgetManager::OnMouseMove(int32_t px, int32_t py) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    if (pressedWidget && pressedButtons) {
        Drag(px, py);
    } else {
        mouseIn = true;
        UpdateMouse(px, py);
    }
}

void WidgetManager::OnMouseDown(int32_t px, int32_t py, int clickCount) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    uint32_t bit = ButtonBit(clickCount);
    downButtons |= bit;
    UpdateMouse(px, py);
    if (popupWidget && !popupWidget->Contains(px, py)) RemoveWidget(popupWidget);
    Widget* target = (pressedWidget && pressedButtons) ? pressedWidget : GetWidgetAt(px, py);
    if (!target) return;
    pressedButtons |= bit;
    lastClickButton = ClickButton(clickCount);
    pressedWidget = target;
    if (target->AcceptsFocus()) SetFocus(target);
    target->MouseDown(px - target->x, py - target->y, clickCount);
}

void WidgetManager::OnMouseUp(int32_t px, int32_t py, int clickCount) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    uint32_t bit = ButtonBit(clickCount);
    downButtons &= ~bit;
    if (pressedWidget && (pressedButtons & bit)) {
        Widget* w = pressedWidget;
        pressedButtons &= ~bit;
        if (pressedButtons == 0) pressedWidget = nullptr;
        w->MouseUp(px - w->x, py - w->y, clickCount);
    }
    UpdateMouse(px, py);
}

void WidgetManager::OnMouseWheel(int notches) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    if (focusWidget) focusWidget->MouseWheel(notches);
}

void WidgetManager::OnMouseExit() {
    Lock hold(lock);
    mouseIn = false;
    if (Widget* old = overWidget) {
        overWidget = nullptr;
        old->MouseLeave();
    }
}

void WidgetManager::OnKeyDown(uint32_t key) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    if (key < 255) keyDown[key] = true;
    if (focusWidget) focusWidget->KeyDown(key);
}

void WidgetManager::OnKeyUp(uint32_t key) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    if (key < 255) keyDown[key] = false;
    if (key == VK_TAB && keyDown[VK_CONTROL]) return;
    if (focusWidget) focusWidget->KeyUp(key);
}

void WidgetManager::OnChar(char c) {
    Lock hold(lock);
    lastInputStamp = updateStamp;
    if (c == '\t' && keyDown[VK_CONTROL]) {
        if (defaultWidget) defaultWidget->KeyChar(c);
        return;
    }
    if (focusWidget) focusWidget->KeyChar(c);
}

void WidgetManager::OnGotFocus() {
    Lock hold(lock);
    if (hasFocus) return;
    hasFocus = true;
    if (focusWidget) focusWidget->GotFocus();
}

void WidgetManager::OnLostFocus() {
    Lock hold(lock);
    if (!hasFocus) return;
    downButtons = 0;
    for (uint32_t key = 0; key < 255; ++key) {
        if (!keyDown[key]) continue;
        keyDown[key] = false;
        if (focusWidget && !(key == VK_TAB && keyDown[VK_CONTROL])) focusWidget->KeyUp(key);
    }
    hasFocus = false;
    if (focusWidget) focusWidget->LostFocus();
}

void WidgetManager::ClearKeyDown() {
    Lock hold(lock);
    std::memset(keyDown, 0, sizeof keyDown);
}

bool WidgetManager::UpdateAll() {
    Lock hold(lock);
    ++updateStamp;
    invalidatedDuringUpdate = false;
    for (walkIndex = 0; walkIndex < static_cast<int>(widgets.size()); ++walkIndex) {
        Widget* w = widgets[static_cast<size_t>(walkIndex)];
        if (w->lastUpdateStamp == updateStamp) continue;
        w->lastUpdateStamp = updateStamp;
        w->Update();
    }
    walkIndex = -1;
    return invalidatedDuringUpdate;
}

void WidgetManager::FractionalUpdateAll(float fraction) {
    Lock hold(lock);
    for (walkIndex = 0; walkIndex < static_cast<int>(widgets.size()); ++walkIndex)
        widgets[static_cast<size_t>(walkIndex)]->FractionalUpdate(fraction);
    walkIndex = -1;
}

void WidgetManager::Invalidate(Widget* w) {
    Lock hold(lock);
    invalidatedDuringUpdate = true;
    if (w->dirty) return;
    w->dirty = true;
    if (w->overlay) return;
    if (w->opaqueFlag2) {
        InvalidateFull(w);
        return;
    }
    int index = IndexOf(w);
    if (index < 0) return;
    // Everything drawn over it must be drawn again.
    for (size_t i = static_cast<size_t>(index) + 1; i < widgets.size(); ++i) {
        Widget* above = widgets[i];
        if (above->visible && above->Intersects(w)) Invalidate(above);
    }
}

void WidgetManager::InvalidateFull(Widget* w) {
    Lock hold(lock);
    invalidatedDuringUpdate = true;
    w->dirty = true;
    if (w->overlay) return;
    int index = IndexOf(w);
    if (index < 0) return;
    Rect area = w->GetRect().Intersection(Rect(0, 0, width, height));
    // What lies below shows through while w changes: redraw down to the first
    // widget that covers it completely.
    for (int i = index - 1; i >= 0; --i) {
        Widget* below = widgets[static_cast<size_t>(i)];
        if (!below->visible) continue;
        bool covers = !below->opaqueFlag1 && below->Contains(area.x, area.y) &&
                      below->Contains(area.x + area.width - 1, area.y + area.height - 1);
        if (covers) {
            Invalidate(below);
            break;
        }
        if (below->GetRect().Intersects(area)) Invalidate(below);
    }
}

void WidgetManager::DrawWidget(Widget* w, const Graphics& base) {
    Graphics g(base);
    g.Translate(static_cast<float>(w->x), static_cast<float>(w->y));
    if (w->clipped) g.IntersectClip(0, 0, w->width, w->height);
    w->Draw(&g);
    w->dirty = false;
}

bool WidgetManager::DrawDirtyWidgets() {
    Lock hold(lock);
    if (!drawTarget) return false;
    int dirtyCount = 0;
    bool hasOverlay = false;
    for (Widget* w : widgets) {
        if (w->dirty) ++dirtyCount;
        hasOverlay |= w->overlay;
    }
    bool overlayChanged = hasOverlay != hadOverlay;
    // A cache that is missing (dropped by a new screen size) or of another
    // size is made anew and must first receive everything below the overlays.
    if (hasOverlay && (!overlayCache || overlayCache->GetWidth() != drawTarget->GetWidth() ||
                       overlayCache->GetHeight() != drawTarget->GetHeight())) {
        overlayCache = std::make_unique<MemoryImage>(drawTarget->GetWidth(), drawTarget->GetHeight());
        overlayChanged = true;
    }

    std::unique_lock<std::recursive_mutex> displayLock;
    if (auto* dd = dynamic_cast<DDImage*>(drawTarget); dd && dd->GetDisplay())
        displayLock = std::unique_lock<std::recursive_mutex>(dd->GetDisplay()->lock);

    // A Draw may remove widgets: the walks index the list afresh at every
    // step, and the widgets below the overlays end at the first overlay widget.
    auto walkAt = [this]() -> Widget* {
        size_t at = static_cast<size_t>(walkIndex);
        return at < widgets.size() ? widgets[at] : nullptr;
    };
    bool drew = false;
    if (dirtyCount > 0 || overlayChanged) {
        Graphics base(hasOverlay ? overlayCache.get() : drawTarget);
        for (walkIndex = 0; Widget* w = walkAt(); ++walkIndex) {
            if (w->overlay) break;
            if (!w->visible || !(w->dirty || overlayChanged)) continue;
            DrawWidget(w, base);
            drew = true;
        }
    }
    if (hasOverlay) {
        // The overlay widgets are drawn over a clean copy of the screen every frame.
        const uint32_t* from = overlayCache->GetBits();
        uint32_t* to = drawTarget->GetBits();
        if (from && to)
            std::memcpy(to, from, sizeof(uint32_t) * static_cast<size_t>(drawTarget->GetWidth()) *
                                      static_cast<size_t>(drawTarget->GetHeight()));
        Graphics base(drawTarget);
        walkIndex = 0;
        while (walkAt() && !walkAt()->overlay) ++walkIndex;
        for (; Widget* w = walkAt(); ++walkIndex)
            if (w->visible) DrawWidget(w, base);
        drew = true;
    }
    walkIndex = -1;
    hadOverlay = hasOverlay;
    return drew;
}

} // namespace Quill
