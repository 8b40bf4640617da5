#include "framework/Image.h"

#include "framework/Blend.h"

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

int64_t FloorDiv(int64_t a, int64_t b) { // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Two pixels' 0x00FF00FF lanes mixed by w / 256; no lane can carry into the next.
inline uint32_t LerpLanes(uint32_t a, uint32_t b, uint32_t w) { return ((a * (256 - w) + b * w) >> 8) & 0x00FF00FFu; }

// The four texels mixed by wx (towards p10/p11) and wy (towards p01/p11), two
// channels at a time.
inline uint32_t Mix4(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx, uint32_t wy) {
    const uint32_t m = 0x00FF00FFu;
    uint32_t rb = LerpLanes(LerpLanes(p00 & m, p10 & m, wx), LerpLanes(p01 & m, p11 & m, wx), wy);
    uint32_t ag = LerpLanes(LerpLanes((p00 >> 8) & m, (p10 >> 8) & m, wx), LerpLanes((p01 >> 8) & m, (p11 >> 8) & m, wx),
                            wy);
    return rb | (ag << 8);
}

// Colour channels times alpha / 255, rounded; alpha kept.
inline uint32_t Premultiply(uint32_t p) {
    uint32_t a = p >> 24;
    uint32_t rb = (p & 0x00FF00FFu) * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t g = (p & 0x0000FF00u) * a + 0x00008000u;
    g = ((g + (g >> 8)) >> 8) & 0x0000FF00u;
    return (p & 0xFF000000u) | rb | g;
}

// 255 * 65536 / a, rounded, for undoing Premultiply without dividing.
struct Reciprocals {
    uint32_t of[256] = {};
    Reciprocals() {
        for (uint32_t a = 1; a < 256; ++a) of[a] = (255u * 65536u + a / 2) / a;
    }
};
const Reciprocals reciprocals;

inline uint32_t Unpremultiply(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 0) return 0;
    if (a == 255) return p;
    uint32_t r = reciprocals.of[a], out = p & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t c = ((((p >> shift) & 0xFF) * r) + 32768) >> 16;
        out |= (c > 255 ? 255 : c) << shift;
    }
    return out;
}

// Bilinear mix of four texels. Where their alphas differ the colours are
// weighted by alpha, so fully transparent texels (whatever colour they hide)
// do not darken the edges they border.
inline uint32_t Bilerp(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx, uint32_t wy) {
    // On a texel centre the texel itself, exactly (the round trip through
    // premultiplied colours would lose bits).
    if ((wx | wy) == 0 || (p00 == p10 && p00 == p01 && p00 == p11)) return p00;
    uint32_t a = p00 >> 24;
    if (a == (p10 >> 24) && a == (p01 >> 24) && a == (p11 >> 24)) return a == 0 ? 0u : Mix4(p00, p10, p01, p11, wx, wy);
    return Unpremultiply(Mix4(Premultiply(p00), Premultiply(p10), Premultiply(p01), Premultiply(p11), wx, wy));
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
    if (&src == this) {
        // Drawing an image into itself: read from a copy, or rows written
        // first would be read again as source.
        uint32_t* copy = Grown(ThreadScratch().copy, size_t(target.width) * size_t(target.height));
        for (int32_t row = 0; row < target.height; ++row)
            std::memcpy(copy + size_t(row) * size_t(target.width), Pixel(src, fromRect.x, fromRect.y + row),
                        size_t(target.width) * sizeof(uint32_t));
        Blend::BlitRows(Pixel(*this, target.x, target.y), width, copy, target.width, target.width, target.height, mul,
                        drawMode, KeepsAlpha());
        return;
    }
    Blend::BlitRows(Pixel(*this, target.x, target.y), width, Pixel(src, fromRect.x, fromRect.y), src.GetWidth(),
                    target.width, target.height, mul, drawMode, KeepsAlpha());
}

void Image::StretchBlt(const Image& src, const Rect& destRect, const Rect& srcRect, const Color& color,
                       int drawMode, bool fast, const Rect& clip) {
    if (!GetBits() || !src.GetBits() || destRect.IsEmpty() || !src.HoldsRect(srcRect)) return;
    if (srcRect.width > kMaxSampledSide || srcRect.height > kMaxSampledSide) return;
    Rect target = destRect.Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;
    const uint32_t mul = color.ToPacked();
    const int64_t dw = destRect.width, dh = destRect.height, sw = srcRect.width, sh = srcRect.height;
    Scratch& scratch = ThreadScratch();
    uint32_t* row = Grown(scratch.row, size_t(target.width));
    // Per column: the source column (nearest) or the left texel and its weight
    // packed as index * 256 + weight (bilinear); the same for every row.
    int32_t* cols = Grown(scratch.cols, size_t(target.width) * 2);
    for (int32_t i = 0; i < target.width; ++i) {
        int64_t dx = int64_t(target.x) + i - destRect.x;
        if (fast) {
            cols[i] = int32_t(NearestIndex(dx, dw, sw));
            continue;
        }
        int64_t pos = BilinearPos(dx, dw, sw);
        int64_t x0 = FloorDiv(pos, 256);
        // Clamped to the source rectangle's edge: a stretched picture keeps
        // solid borders instead of fading out at them.
        cols[2 * i] = int32_t(std::clamp<int64_t>(x0, 0, sw - 1));
        cols[2 * i + 1] = int32_t(std::clamp<int64_t>(x0 + 1, 0, sw - 1)) * 256 + int32_t(pos - x0 * 256);
    }
    for (int32_t r = 0; r < target.height; ++r) {
        int64_t dy = int64_t(target.y) + r - destRect.y;
        if (fast) {
            const uint32_t* line = Pixel(src, srcRect.x, srcRect.y + int32_t(NearestIndex(dy, dh, sh)));
            for (int32_t i = 0; i < target.width; ++i) row[i] = line[cols[i]];
        } else {
            int64_t pos = BilinearPos(dy, dh, sh);
            int64_t y0 = FloorDiv(pos, 256);
            uint32_t wy = uint32_t(pos - y0 * 256);
            const uint32_t* l0 = Pixel(src, srcRect.x, srcRect.y + int32_t(std::clamp<int64_t>(y0, 0, sh - 1)));
            const uint32_t* l1 = Pixel(src, srcRect.x, srcRect.y + int32_t(std::clamp<int64_t>(y0 + 1, 0, sh - 1)));
            for (int32_t i = 0; i < target.width; ++i) {
                int32_t xa = cols[2 * i], xb = cols[2 * i + 1] >> 8;
                uint32_t wx = uint32_t(cols[2 * i + 1] & 255);
                row[i] = Bilerp(l0[xa], l0[xb], l1[xa], l1[xb], wx, wy);
            }
        }
        Blend::BlitSpan(Pixel(*this, target.x, target.y + r), row, target.width, mul, drawMode, KeepsAlpha());
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
    uint32_t* row = Grown(ThreadScratch().row, size_t(target.width));
    // Texel (tx, ty) of the source rectangle, no virtual call per pixel.
    const uint32_t* texels = Pixel(src, srcRect.x, srcRect.y);
    const ptrdiff_t pitch = src.GetWidth();
    auto texel = [&](int64_t tx, int64_t ty) { return texels + ty * pitch + tx; };
    // Source positions walk in 16.16 fixed point along each row; the drift
    // over a row is far below a pixel.
    const double one = 65536.0;
    const int64_t du = std::llround(c * one), dv = std::llround(s * one);
    const double bias = smooth ? 0.5 : 0.0; // bilinear positions name the left/top texel
    for (int32_t r = 0; r < target.height; ++r) {
        // Invert the turn for the first pixel centre of the row.
        double X = target.x + 0.5 - cx, Y = target.y + r + 0.5 - cy;
        int64_t U = std::llround((X * c - Y * s + hx - bias) * one);
        int64_t W = std::llround((X * s + Y * c + hy - bias) * one);
        for (int32_t i = 0; i < target.width; ++i, U += du, W += dv) {
            int64_t sx = U >> 16, sy = W >> 16; // floor
            if (!smooth) {
                row[i] = (sx >= 0 && sx < sw && sy >= 0 && sy < sh) ? *texel(sx, sy) : 0u;
                continue;
            }
            if (sx < -1 || sx >= sw || sy < -1 || sy >= sh) {
                row[i] = 0;
                continue;
            }
            uint32_t wx = uint32_t(U >> 8) & 255, wy = uint32_t(W >> 8) & 255;
            if (sx >= 0 && sx + 1 < sw && sy >= 0 && sy + 1 < sh) {
                const uint32_t* t0 = texel(sx, sy);
                const uint32_t* t1 = t0 + pitch;
                row[i] = Bilerp(t0[0], t0[1], t1[0], t1[1], wx, wy);
                continue;
            }
            // Texels outside the source rectangle are transparent: the turned
            // picture's edges fade out over one pixel.
            auto at = [&](int64_t tx, int64_t ty) -> uint32_t {
                if (tx < 0 || tx >= sw || ty < 0 || ty >= sh) return 0;
                return *texel(tx, ty);
            };
            row[i] = Bilerp(at(sx, sy), at(sx + 1, sy), at(sx, sy + 1), at(sx + 1, sy + 1), wx, wy);
        }
        Blend::BlitSpan(Pixel(*this, target.x, target.y + r), row, target.width, mul, drawMode, KeepsAlpha());
    }
}

} // namespace Quill
