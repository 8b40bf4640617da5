#include "framework/graphics/Image.h"

#include "framework/graphics/Blend.h"
#include "framework/graphics/Sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Quill {

namespace {

// Sources wider or taller than this are not stretched or turned: it keeps the
// fixed-point sample positions inside 64 bits whatever the rectangles say.
constexpr int32_t kMaxSampledSide = 1 << 20;

// Rows and tables the samplers fill, one set per thread, grown as needed and
// kept, so drawing does not allocate once the largest row has been seen.
struct Scratch {
    std::vector<uint32_t> row;
    std::vector<uint32_t> copy;
    std::vector<int32_t> cols;
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

template <class T> T* Grown(std::vector<T>& v, size_t n) {
    if (v.size() < n) v.resize(n);
    return v.data();
}

const uint32_t* Pixel(const Image& img, int32_t x, int32_t y) {
    return img.GetBits() + static_cast<size_t>(y) * static_cast<size_t>(img.GetWidth()) + static_cast<size_t>(x);
}
uint32_t* Pixel(Image& img, int32_t x, int32_t y) {
    return img.GetBits() + static_cast<size_t>(y) * static_cast<size_t>(img.GetWidth()) + static_cast<size_t>(x);
}

// Where a sampler reads the source rectangle: its top-left pixel and the
// pitch. Drawing an image into itself reads from a copy, or rows written
// first would be read again as source.
struct Source {
    const uint32_t* origin;
    ptrdiff_t pitch;
};

Source SourceOf(const Image& src, const Image& dest, const Rect& srcRect) {
    if (&src != &dest) return {Pixel(src, srcRect.x, srcRect.y), src.GetWidth()};
    uint32_t* copy = Grown(ThreadScratch().copy, size_t(srcRect.width) * size_t(srcRect.height));
    for (int32_t row = 0; row < srcRect.height; ++row)
        std::memcpy(copy + size_t(row) * size_t(srcRect.width), Pixel(src, srcRect.x, srcRect.y + row),
                    size_t(srcRect.width) * sizeof(uint32_t));
    return {copy, srcRect.width};
}

int64_t FloorDiv(int64_t a, int64_t b) { // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Where destination pixel i (of n covering `from` source pixels) samples,
// pixel centres at .5: the source pixel index for nearest sampling, or for
// bilinear the position of the left texel in 1/256 steps.
int64_t NearestIndex(int64_t i, int64_t n, int64_t from) { return ((2 * i + 1) * from) / (2 * n); }
int64_t BilinearPos(int64_t i, int64_t n, int64_t from) { return FloorDiv(((2 * i + 1) * from - n) * 256, 2 * n); }

} // namespace

bool Image::HoldsRect(const Rect& r) const {
    return !r.IsEmpty() && r.x >= 0 && r.y >= 0 && int64_t(r.x) + r.width <= width &&
           int64_t(r.y) + r.height <= height;
}

MemoryImage::MemoryImage(int32_t w, int32_t h) { Create(w, h); }

void MemoryImage::Create(int32_t w, int32_t h) {
    width = w > 0 ? w : 0;
    height = h > 0 ? h : 0;
    bits.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    BitsChanged();
}

void MemoryImage::BitsChanged() {
    hasAlpha = hasTrans = false;
    for (uint32_t p : bits) {
        uint32_t a = p >> 24;
        if (a != 255) hasAlpha = true;
        if (a != 255 && a != 0) {
            hasTrans = true;
            break;
        }
    }
}

void Image::FillRect(const Rect& rect, const Color& color, int drawMode) {
    Rect r = rect.Intersection(Rect(0, 0, width, height));
    if (!GetBits() || r.IsEmpty()) return;
    Blend::FillRows(Pixel(*this, r.x, r.y), width, r.width, r.height, color.ToPacked(), drawMode, KeepsAlpha());
}

void Image::Blt(const Image& src, int32_t x, int32_t y, const Rect& srcRect, const Color& color, int drawMode,
                const Rect& clip) {
    if (!GetBits() || !src.GetBits() || !src.HoldsRect(srcRect)) return;
    Rect target = Rect(x, y, srcRect.width, srcRect.height).Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;
    uint32_t mul = color.ToPacked();
    Rect fromRect(srcRect.x + (target.x - x), srcRect.y + (target.y - y), target.width, target.height);
    const Source source = SourceOf(src, *this, fromRect);
    Blend::BlitRows(Pixel(*this, target.x, target.y), width, source.origin, source.pitch, target.width,
                    target.height, mul, drawMode, KeepsAlpha());
}

void Image::StretchBlt(const Image& src, const Rect& destRect, const Rect& srcRect, const Color& color,
                       int drawMode, bool fast, const Rect& clip) {
    if (!GetBits() || !src.GetBits() || destRect.IsEmpty() || !src.HoldsRect(srcRect)) return;
    // A stretch to the same size gives exactly the pixels of a plain draw, and
    // full-screen backdrops are drawn that way every frame: take the short road.
    if (destRect.width == srcRect.width && destRect.height == srcRect.height) {
        Blt(src, destRect.x, destRect.y, srcRect, color, drawMode, clip);
        return;
    }
    if (srcRect.width > kMaxSampledSide || srcRect.height > kMaxSampledSide) return;
    Rect target = destRect.Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;
    const uint32_t mul = color.ToPacked();
    const int64_t dw = destRect.width, dh = destRect.height, sw = srcRect.width, sh = srcRect.height;
    const Source source = SourceOf(src, *this, srcRect);
    Scratch& scratch = ThreadScratch();
    uint32_t* samples = Grown(scratch.row, size_t(target.width));
    // Per column, the same for every row: the source column (nearest), or
    // the left and right texels and the weight towards the right one.
    const size_t n = size_t(target.width);
    int32_t* colA = Grown(scratch.cols, n * 3);
    int32_t* colB = colA + n;
    int32_t* colW = colB + n;
    for (int32_t i = 0; i < target.width; ++i) {
        int64_t dx = int64_t(target.x) + i - destRect.x;
        if (fast) {
            colA[i] = int32_t(NearestIndex(dx, dw, sw));
            continue;
        }
        int64_t pos = BilinearPos(dx, dw, sw);
        int64_t x0 = FloorDiv(pos, 256);
        // Clamped to the source rectangle's edge: a stretched picture keeps
        // solid borders instead of fading out at them.
        colA[i] = int32_t(std::clamp<int64_t>(x0, 0, sw - 1));
        colB[i] = int32_t(std::clamp<int64_t>(x0 + 1, 0, sw - 1));
        colW[i] = int32_t(pos - x0 * 256);
    }
    Sampler::StretchRow row;
    row.colA = colA;
    row.colB = colB;
    row.colW = colW;
    row.count = target.width;
    row.smooth = !fast;
    row.scratch = samples;
    auto line = [&](int64_t y) { return source.origin + y * source.pitch; };
    for (int32_t r = 0; r < target.height; ++r) {
        int64_t dy = int64_t(target.y) + r - destRect.y;
        if (fast) {
            row.line0 = line(NearestIndex(dy, dh, sh));
        } else {
            int64_t pos = BilinearPos(dy, dh, sh);
            int64_t y0 = FloorDiv(pos, 256);
            row.wy = uint32_t(pos - y0 * 256);
            row.line0 = line(std::clamp<int64_t>(y0, 0, sh - 1));
            row.line1 = line(std::clamp<int64_t>(y0 + 1, 0, sh - 1));
        }
        Blend::BlitStretchedRow(Pixel(*this, target.x, target.y + r), row, mul, drawMode, KeepsAlpha());
    }
}

void Image::BltRotated(const Image& src, int32_t x, int32_t y, const Rect& srcRect, double angle,
                       const Color& color, int drawMode, bool smooth, const Rect& clip) {
    if (!GetBits() || !src.GetBits() || !src.HoldsRect(srcRect) || !std::isfinite(angle)) return;
    if (srcRect.width > kMaxSampledSide || srcRect.height > kMaxSampledSide) return;
    const int32_t sw = srcRect.width, sh = srcRect.height;
    const int32_t hx = sw / 2, hy = sh / 2;
    // Centre of rotation in destination pixels (integer half sizes).
    const double cx = double(x) + hx, cy = double(y) + hy;
    const double c = std::cos(angle), s = std::sin(angle);
    // The turned source rectangle's bounding box, one pixel wider on every
    // side for the bilinear fringe. A source offset (u, v) lands at
    // (u cos + v sin, v cos - u sin).
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int corner = 0; corner < 4; ++corner) {
        double u = (corner & 1) ? sw - hx : -hx, v = (corner & 2) ? sh - hy : -hy;
        double X = u * c + v * s, Y = v * c - u * s;
        minX = corner ? std::min(minX, X) : X;
        maxX = corner ? std::max(maxX, X) : X;
        minY = corner ? std::min(minY, Y) : Y;
        maxY = corner ? std::max(maxY, Y) : Y;
    }
    auto toPixel = [](double v) { return int64_t(std::clamp(v, double(INT32_MIN) / 2, double(INT32_MAX) / 2)); };
    int64_t left = toPixel(std::floor(cx + minX)) - 1, right = toPixel(std::ceil(cx + maxX)) + 1;
    int64_t top = toPixel(std::floor(cy + minY)) - 1, bottom = toPixel(std::ceil(cy + maxY)) + 1;
    Rect box(int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top));
    Rect target = box.Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;

    const uint32_t mul = color.ToPacked();
    const Source source = SourceOf(src, *this, srcRect);
    Sampler::TurnRow row;
    row.texels = source.origin;
    row.pitch = source.pitch;
    row.width = sw;
    row.height = sh;
    row.count = target.width;
    row.smooth = smooth;
    row.scratch = Grown(ThreadScratch().row, size_t(target.width));
    // Source positions walk in 16.16 fixed point along each row; the drift
    // over a row is far below a pixel.
    const double one = 65536.0;
    row.du = std::llround(c * one);
    row.dv = std::llround(s * one);
    const double bias = smooth ? 0.5 : 0.0; // bilinear positions name the left/top texel
    for (int32_t r = 0; r < target.height; ++r) {
        // Invert the turn for the first pixel centre of the row.
        double X = target.x + 0.5 - cx, Y = target.y + r + 0.5 - cy;
        row.u = std::llround((X * c - Y * s + hx - bias) * one);
        row.v = std::llround((X * s + Y * c + hy - bias) * one);
        Blend::BlitTurnedRow(Pixel(*this, target.x, target.y + r), row, mul, drawMode, KeepsAlpha());
    }
}

} // namespace Quill
