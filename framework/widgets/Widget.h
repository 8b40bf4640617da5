#pragma once
// The base of every widget: bounds, flags, a colour table and the virtual
// operations the widget manager calls. Mouse coordinates given to a widget are
// relative to its top-left corner. Click counts: 1 left, 2 left double,
// -1 right, -2 right double, 3 middle; button numbers 0 left, 1 right, 2 middle.
#include "framework/base/Color.h"
#include "framework/base/Rect.h"

#include <cstdint>
#include <vector>

namespace Quill {

class Graphics;
class WidgetManager;

class Widget {
public:
    Widget() = default;
    virtual ~Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    virtual void Attached(WidgetManager* manager);
    virtual void Detached(WidgetManager* manager);
    virtual void SetVisible(bool visible);
    virtual void SetColors(const int (*rgba)[4], int count);
    virtual void SetColors(const int (*rgb)[3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual Color GetColor(int index);
    virtual void SetOverlay(bool overlay);
    virtual void SetInputBlocked(bool blocked);
    virtual void SetHandCursor(bool hand);
    virtual void Resize(const Rect& rect);
    virtual void Resize(int32_t x, int32_t y, int32_t w, int32_t h);
    virtual void Move(int32_t x, int32_t y);
    virtual bool AcceptsFocus();
    virtual void Draw(Graphics* g);
    virtual void Update();
    virtual void FractionalUpdate(float fraction);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(char c);
    virtual void KeyDown(uint32_t key);
    virtual void KeyUp(uint32_t key);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(int32_t x, int32_t y);
    virtual void MouseDown(int32_t x, int32_t y, int button, int clickCount);
    virtual void MouseDown(int32_t x, int32_t y, int clickCount);
    virtual void MouseUp(int32_t x, int32_t y, int button, int clickCount);
    virtual void MouseUp(int32_t x, int32_t y, int clickCount);
    virtual void MouseUp(int32_t x, int32_t y);
    virtual void MouseDrag(int32_t x, int32_t y);
    virtual void MouseWheel(int delta);
    virtual bool HitTest(int32_t x, int32_t y);
    virtual int GetNumDigits(int n);
    virtual bool Contains(int32_t px, int32_t py);
    virtual Rect GetContentRect();
    virtual Rect GetRect();
    virtual bool Intersects(Widget* other);
    virtual void InvalidateFull();
    virtual void Invalidate();

    uint32_t lastUpdateStamp = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool dirty = true;
    bool visible = true;
    bool mouseVisible = true;
    bool clipped = true;
    bool overlay = false;
    bool inputBlocked = false;
    bool focused = false;
    bool pressed = false;
    bool hovered = false;
    bool opaqueFlag1 = false, opaqueFlag2 = false;
    WidgetManager* manager = nullptr;
    std::vector<Color> colors;
    int32_t insetLeft = 0, insetTop = 0, insetRight = 0, insetBottom = 0;
    bool handCursorOnHover = false;
    int32_t updateCount = 0;
    Widget* tabPrev = nullptr;
    Widget* tabNext = nullptr;
};

} // namespace Quill
