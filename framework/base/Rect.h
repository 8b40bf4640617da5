#pragma once
// framework/base/: plain value types (rectangles, colours) that every other
// framework folder may use. It includes nothing of ours.
//
// An integer rectangle in pixels: top-left corner and size.
#include <algorithm>
#include <cstdint>

namespace Quill {

struct Rect {
    int32_t x = 0, y = 0, width = 0, height = 0;

    constexpr Rect() = default;
    constexpr Rect(int32_t x_, int32_t y_, int32_t w, int32_t h) : x(x_), y(y_), width(w), height(h) {}

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Contains(int32_t px, int32_t py) const {
        return px >= x && py >= y && int64_t(px) < int64_t(x) + width && int64_t(py) < int64_t(y) + height;
    }
    // The overlap of two rectangles; empty (zero size) when they do not meet.
    // Edges are summed in 64 bits, so far-off positions and huge sizes cannot
    // wrap around into a bogus overlap.
    Rect Intersection(const Rect& o) const {
        int64_t l = std::max(x, o.x), t = std::max(y, o.y);
        int64_t r = std::min(int64_t(x) + width, int64_t(o.x) + o.width);
        int64_t b = std::min(int64_t(y) + height, int64_t(o.y) + o.height);
        if (r <= l || b <= t) return Rect(int32_t(l), int32_t(t), 0, 0);
        // Both edges lie within one of the rectangles' spans, so the size fits.
        return Rect(int32_t(l), int32_t(t), int32_t(std::min<int64_t>(r - l, INT32_MAX)),
                    int32_t(std::min<int64_t>(b - t, INT32_MAX)));
    }
    bool Intersects(const Rect& o) const { return !Intersection(o).IsEmpty(); }
    bool operator==(const Rect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

} // namespace Quill
