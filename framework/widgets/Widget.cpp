#include "framework/widgets/Widget.h"

#include "framework/widgets/WidgetManager.h"
#include "framework/platform/Platform.h"

#include <algorithm>

namespace Quill {

void Widget::Attached(WidgetManager* m) { manager = m; }

void Widget::Detached(WidgetManager*) { manager = nullptr; }

void Widget::SetVisible(bool v) {
    if (visible == v) return;
    if (!v) InvalidateFull(); // what lay under it shows again
    visible = v;
    if (v) Invalidate();
    if (manager) manager->RehupMouse();
}

void Widget::SetColors(const int (*rgba)[4], int count) {
    colors.clear();
    for (int i = 0; i < count; ++i) colors.emplace_back(rgba[i][0], rgba[i][1], rgba[i][2], rgba[i][3]);
    Invalidate();
}

void Widget::SetColors(const int (*rgb)[3], int count) {
    colors.clear();
    for (int i = 0; i < count; ++i) colors.emplace_back(rgb[i][0], rgb[i][1], rgb[i][2], 255);
    Invalidate();
}

void Widget::SetColor(int index, const Color& color) {
    if (index < 0) return;
    if (static_cast<size_t>(index) >= colors.size()) colors.resize(static_cast<size_t>(index) + 1);
    colors[static_cast<size_t>(index)] = color;
    Invalidate();
}

Color Widget::GetColor(int index) {
    if (index < 0) return Color();
    if (static_cast<size_t>(index) >= colors.size()) colors.resize(static_cast<size_t>(index) + 1);
    return colors[static_cast<size_t>(index)];
}

void Widget::SetOverlay(bool on) {
    if (overlay == on) return;
    if (on) {
        InvalidateFull();
        overlay = true;
    } else {
        overlay = false;
        Invalidate();
    }
}

void Widget::SetInputBlocked(bool blocked) {
    if (inputBlocked == blocked) return;
    inputBlocked = blocked;
    if (!manager) return;
    if (blocked) {
        manager->DropWidget(this);
        Invalidate();
    } else if (Contains(manager->lastMouseX, manager->lastMouseY)) {
        manager->RehupMouse();
    }
}

void Widget::SetHandCursor(bool hand) { GetPlatform().SetCursor(hand ? CursorKind::Hand : CursorKind::Arrow); }

void Widget::Resize(const Rect& r) { Resize(r.x, r.y, r.width, r.height); }

void Widget::Resize(int32_t nx, int32_t ny, int32_t w, int32_t h) {
    if (x == nx && y == ny && width == w && height == h) return;
    InvalidateFull();
    x = nx;
    y = ny;
    width = w;
    height = h;
    Invalidate();
    if (manager) manager->RehupMouse();
}

void Widget::Move(int32_t nx, int32_t ny) { Resize(nx, ny, width, height); }

bool Widget::AcceptsFocus() { return false; }
void Widget::Draw(Graphics*) {}
void Widget::Update() { ++updateCount; }
void Widget::FractionalUpdate(float) {}
void Widget::GotFocus() { focused = true; }
void Widget::LostFocus() { focused = false; }
void Widget::KeyChar(char) {}

void Widget::KeyDown(uint32_t key) {
    if (key != VK_TAB || !manager) return;
    Widget* target = manager->IsKeyDown(VK_SHIFT) ? tabPrev : tabNext;
    if (target) manager->SetFocus(target);
}

void Widget::KeyUp(uint32_t) {}

void Widget::MouseEnter() {
    hovered = true;
    if (handCursorOnHover) SetHandCursor(true);
}

void Widget::MouseLeave() {
    hovered = false;
    if (handCursorOnHover) SetHandCursor(false);
}

void Widget::MouseMove(int32_t, int32_t) {}
void Widget::MouseDown(int32_t, int32_t, int, int) {}

namespace {
// Click counts map to buttons: 3 is the middle button, negative counts are the
// right button, the rest the left.
void ButtonOf(int clickCount, int& button, int& count) {
    button = clickCount == 3 ? 2 : clickCount < 0 ? 1 : 0;
    count = clickCount == 3 ? 1 : clickCount < 0 ? -clickCount : clickCount;
}
} // namespace

void Widget::MouseDown(int32_t px, int32_t py, int clickCount) {
    pressed = true;
    int button, count;
    ButtonOf(clickCount, button, count);
    MouseDown(px, py, button, count);
}

void Widget::MouseUp(int32_t, int32_t, int, int) {}

void Widget::MouseUp(int32_t px, int32_t py, int clickCount) {
    MouseUp(px, py);
    int button, count;
    ButtonOf(clickCount, button, count);
    MouseUp(px, py, button, count);
}

void Widget::MouseUp(int32_t, int32_t) { pressed = false; }
void Widget::MouseDrag(int32_t, int32_t) {}
void Widget::MouseWheel(int) {}
bool Widget::HitTest(int32_t, int32_t) { return true; }

int Widget::GetNumDigits(int n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

bool Widget::Contains(int32_t px, int32_t py) { return px >= x && px < x + width && py >= y && py < y + height; }

Rect Widget::GetContentRect() {
    return Rect(x + insetLeft, y + insetTop, width - insetLeft - insetRight, height - insetTop - insetBottom);
}

Rect Widget::GetRect() { return Rect(x, y, width, height); }

bool Widget::Intersects(Widget* other) { return other && GetRect().Intersects(other->GetRect()); }

void Widget::InvalidateFull() {
    if (manager)
        manager->InvalidateFull(this);
    else
        dirty = true;
}

void Widget::Invalidate() {
    if (manager)
        manager->Invalidate(this);
    else
        dirty = true;
}

} // namespace Quill
