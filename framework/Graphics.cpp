#include "framework/Graphics.h"

#include <atomic>

namespace Quill {

namespace {
Image emptyImage;
std::atomic<bool> smoothRotation{true};

int32_t Trunc(float v) { return static_cast<int32_t>(v); }
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
    if (!image || srcRect.IsEmpty() || srcRect.x < 0 || srcRect.y < 0) return;
    if (srcRect.x + srcRect.width > image->GetWidth() || srcRect.y + srcRect.height > image->GetHeight()) return;
    destination->Blt(*image, Trunc(x + translateX), Trunc(y + translateY), srcRect, ImageMultiplier(), drawMode,
                     clip);
}

void Graphics::DrawImage(const Image* image, const Rect& destRect, const Rect& srcRect) {
    if (!image || srcRect.IsEmpty() || srcRect.x < 0 || srcRect.y < 0) return;
    if (srcRect.x + srcRect.width > image->GetWidth() || srcRect.y + srcRect.height > image->GetHeight()) return;
    Rect d(Trunc(destRect.x + translateX), Trunc(destRect.y + translateY), destRect.width, destRect.height);
    destination->StretchBlt(*image, d, srcRect, ImageMultiplier(), drawMode, fastStretch, clip);
}

void Graphics::DrawRotated(const Image* image, float x, float y, double angle, const Rect* srcRect) {
    if (!image) return;
    Rect src = srcRect ? *srcRect : Rect(0, 0, image->GetWidth(), image->GetHeight());
    if (src.IsEmpty() || src.x < 0 || src.y < 0 || src.x + src.width > image->GetWidth() ||
        src.y + src.height > image->GetHeight())
        return;
    destination->BltRotated(*image, Trunc(x + translateX), Trunc(y + translateY), src, angle, ImageMultiplier(),
                            drawMode, smoothRotation, clip);
}

} // namespace Quill
