#pragma once
// An integer rectangle in pixels: top-left corner and size.
#include <algorithm>
#include <cstdint>

namespace Quill {

struct Rect {
    int32_t x = 0, y = 0, width = 0, height = 0;

    constexpr Rect() = default;
    constexpr Rect(int32_t x_, int32_t y_, int32_t w, int32_t h) : x(x_), y(y_), width(w), height(h) {}

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Contains(int32_t px, int32_t py) const { return px >= x && px < x + width && py >= y && py < y + height; }
    // The overlap of two rectangles; empty (zero size) when they do not meet.
    Rect Intersection(const Rect& o) const {
        int32_t l = std::max(x, o.x), t = std::max(y, o.y);
        int32_t r = std::min(x + width, o.x + o.width), b = std::min(y + height, o.y + o.height);
        if (r <= l || b <= t) return Rect(l, t, 0, 0);
        return Rect(l, t, r - l, b - t);
    }
    bool Intersects(const Rect& o) const { return !Intersection(o).IsEmpty(); }
    bool operator==(const Rect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

} // namespace Quill
