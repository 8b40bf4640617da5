#include "framework/graphics/Graphics.h"

#include <atomic>
#include <cmath>

namespace Quill {

namespace {
Image emptyImage;
std::atomic<bool> smoothRotation{true};

// Float positions become pixels by truncating toward zero. Values beyond any
// image (or not a number) are held far off-screen instead of overflowing.
int32_t Trunc(float v) {
    constexpr float kFar = 1 << 30;
    if (std::isnan(v)) return -(1 << 30);
    if (v >= kFar) return 1 << 30;
    if (v <= -kFar) return -(1 << 30);
    return static_cast<int32_t>(v);
}
} // namespace

Graphics::Graphics(Image* dest) : destination(dest ? dest : &emptyImage) {
    clip = Rect(0, 0, destination->GetWidth(), destination->GetHeight());
}

void Graphics::SetSmoothRotation(bool smooth) { smoothRotation = smooth; }

void Graphics::IntersectClip(float x, float y, int32_t w, int32_t h) {
    clip = clip.Intersection(Rect(Trunc(x + translateX), Trunc(y + translateY), w, h));
}

void Graphics::FillRect(float x, float y, int32_t w, int32_t h) {
    if (color.alpha == 0) return;
    Rect r = Rect(Trunc(x + translateX), Trunc(y + translateY), w, h).Intersection(clip);
    if (r.IsEmpty()) return;
    destination->FillRect(r, color, drawMode);
}

void Graphics::DrawImage(const Image* image, float x, float y) {
    if (!image) return;
    DrawImage(image, x, y, Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

void Graphics::DrawImage(const Image* image, float x, float y, const Rect& srcRect) {
    if (!image || !image->HoldsRect(srcRect)) return;
    destination->Blt(*image, Trunc(x + translateX), Trunc(y + translateY), srcRect, ImageMultiplier(), drawMode,
                     clip);
}

void Graphics::DrawImage(const Image* image, const Rect& destRect, const Rect& srcRect) {
    if (!image || !image->HoldsRect(srcRect)) return;
    Rect d(Trunc(float(destRect.x) + translateX), Trunc(float(destRect.y) + translateY), destRect.width,
           destRect.height);
    destination->StretchBlt(*image, d, srcRect, ImageMultiplier(), drawMode, fastStretch, clip);
}

void Graphics::DrawRotated(const Image* image, float x, float y, double angle, const Rect* srcRect) {
    if (!image) return;
    Rect src = srcRect ? *srcRect : Rect(0, 0, image->GetWidth(), image->GetHeight());
    if (!image->HoldsRect(src)) return;
    destination->BltRotated(*image, Trunc(x + translateX), Trunc(y + translateY), src, angle, ImageMultiplier(),
                            drawMode, smoothRotation, clip);
}

} // namespace Quill
