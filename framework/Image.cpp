#include "framework/Image.h"

#include "framework/Blend.h"

#include <cmath>

namespace Quill {

namespace {

uint32_t Multiplier(const Color& c) {
    return c == Color::White() ? 0xFFFFFFFFu : c.ToPacked();
}

// Nearest source pixel, or 0 (transparent) outside the source rectangle.
uint32_t SampleNearest(const Image& src, const Rect& sr, int sx, int sy) {
    if (sx < 0 || sy < 0 || sx >= sr.width || sy >= sr.height) return 0;
    return src.GetBits()[(sr.y + sy) * src.GetWidth() + sr.x + sx];
}

// Bilinear sample at a fractional source position (pixel centres at .5);
// texels outside the source rectangle count as transparent.
uint32_t SampleBilinear(const Image& src, const Rect& sr, double fx, double fy) {
    fx -= 0.5;
    fy -= 0.5;
    int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    int wx = static_cast<int>((fx - x0) * 256.0), wy = static_cast<int>((fy - y0) * 256.0);
    uint32_t p[4] = {SampleNearest(src, sr, x0, y0), SampleNearest(src, sr, x0 + 1, y0),
                     SampleNearest(src, sr, x0, y0 + 1), SampleNearest(src, sr, x0 + 1, y0 + 1)};
    int w[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t acc = 0;
        for (int i = 0; i < 4; ++i) acc += ((p[i] >> shift) & 0xFF) * static_cast<uint32_t>(w[i]);
        out |= ((acc + 32768) >> 16) << shift;
    }
    return out;
}

} // namespace

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
    uint32_t* dst = GetBits();
    Rect r = rect.Intersection(Rect(0, 0, width, height));
    if (!dst || r.IsEmpty()) return;
    for (int y = r.y; y < r.y + r.height; ++y)
        Blend::FillSpan(dst + y * width + r.x, r.width, color.ToPacked(), drawMode, KeepsAlpha());
}

void Image::Blt(const Image& src, int32_t x, int32_t y, const Rect& srcRect, const Color& color, int drawMode,
                const Rect& clip) {
    uint32_t* dst = GetBits();
    const uint32_t* s = src.GetBits();
    if (!dst || !s) return;
    Rect target = Rect(x, y, srcRect.width, srcRect.height).Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;
    uint32_t mul = Multiplier(color);
    for (int row = target.y; row < target.y + target.height; ++row) {
        const uint32_t* from = s + (srcRect.y + row - y) * src.GetWidth() + srcRect.x + (target.x - x);
        Blend::BlitSpan(dst + row * width + target.x, from, target.width, mul, drawMode, KeepsAlpha());
    }
}

void Image::StretchBlt(const Image& src, const Rect& destRect, const Rect& srcRect, const Color& color,
                       int drawMode, bool fast, const Rect& clip) {
    uint32_t* dst = GetBits();
    if (!dst || !src.GetBits() || destRect.IsEmpty() || srcRect.IsEmpty()) return;
    Rect target = destRect.Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;
    uint32_t mul = Multiplier(color);
    std::vector<uint32_t> row(static_cast<size_t>(target.width));
    double sx = double(srcRect.width) / destRect.width, sy = double(srcRect.height) / destRect.height;
    for (int y = target.y; y < target.y + target.height; ++y) {
        double fy = (y - destRect.y + 0.5) * sy;
        for (int x = target.x; x < target.x + target.width; ++x) {
            double fx = (x - destRect.x + 0.5) * sx;
            row[x - target.x] = fast ? SampleNearest(src, srcRect, static_cast<int>(fx), static_cast<int>(fy))
                                     : SampleBilinear(src, srcRect, fx, fy);
        }
        Blend::BlitSpan(dst + y * width + target.x, row.data(), target.width, mul, drawMode, KeepsAlpha());
    }
}

void Image::BltRotated(const Image& src, int32_t x, int32_t y, const Rect& srcRect, double angle,
                       const Color& color, int drawMode, bool smooth, const Rect& clip) {
    uint32_t* dst = GetBits();
    if (!dst || !src.GetBits() || srcRect.IsEmpty()) return;
    // Centre of rotation in destination pixels (integer half sizes).
    double cx = x + srcRect.width / 2, cy = y + srcRect.height / 2;
    double c = std::cos(angle), s = std::sin(angle);
    double ext = std::ceil(std::sqrt(double(srcRect.width) * srcRect.width + double(srcRect.height) * srcRect.height));
    Rect box(static_cast<int32_t>(cx - ext), static_cast<int32_t>(cy - ext), static_cast<int32_t>(2 * ext + 2),
             static_cast<int32_t>(2 * ext + 2));
    Rect target = box.Intersection(clip).Intersection(Rect(0, 0, width, height));
    if (target.IsEmpty()) return;
    uint32_t mul = Multiplier(color);
    std::vector<uint32_t> row(static_cast<size_t>(target.width));
    double hx = srcRect.width / 2, hy = srcRect.height / 2;
    for (int py = target.y; py < target.y + target.height; ++py) {
        for (int px = target.x; px < target.x + target.width; ++px) {
            // A source offset (u, v) lands at (u cos + v sin, v cos - u sin): invert that.
            double X = px + 0.5 - cx, Y = py + 0.5 - cy;
            double u = X * c - Y * s, v = X * s + Y * c;
            double fx = u + hx, fy = v + hy;
            row[px - target.x] = smooth ? SampleBilinear(src, srcRect, fx, fy)
                                        : SampleNearest(src, srcRect, static_cast<int>(std::floor(fx)),
                                                        static_cast<int>(std::floor(fy)));
        }
        Blend::BlitSpan(dst + py * width + target.x, row.data(), target.width, mul, drawMode, KeepsAlpha());
    }
}

} // namespace Quill
