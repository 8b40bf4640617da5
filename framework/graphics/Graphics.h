#pragma once
// framework/graphics/: images in memory, the drawing context, the software
// renderer's blending and sampling kernels with their CPU dispatch, and the
// display that presents the back buffer. It may use base/ and platform/.
//
// The drawing context: a destination image, a float translation, a clip
// rectangle, a colour, a draw mode and whether images are tinted. It is a cheap
// value type; the widget manager hands each widget a translated, clipped copy.
// All positions are truncated to whole pixels after adding the translation.
#include "framework/base/Color.h"
#include "framework/graphics/Image.h"
#include "framework/base/Rect.h"

namespace Quill {

class Graphics {
public:
    // Draws into `dest`, or into a process-wide empty image when it is null.
    explicit Graphics(Image* dest = nullptr);

    void SetColor(const Color& c) { color = c; }
    const Color& GetColor() const { return color; }
    void SetDrawMode(int mode) { drawMode = mode; }
    int GetDrawMode() const { return drawMode; }
    void SetTintImages(bool tint) { tintImages = tint; }
    bool GetTintImages() const { return tintImages; }
    void SetFastStretch(bool fast) { fastStretch = fast; }
    // Process-wide quality of rotated drawing (smooth by default).
    static void SetSmoothRotation(bool smooth);

    void Translate(float dx, float dy) {
        translateX += dx;
        translateY += dy;
    }
    float GetTranslateX() const { return translateX; }
    float GetTranslateY() const { return translateY; }
    void IntersectClip(float x, float y, int32_t w, int32_t h);
    const Rect& GetClip() const { return clip; }
    Image* GetDestination() const { return destination; }

    // Fills with the colour in the draw mode; a colour of alpha 0 draws nothing.
    void FillRect(float x, float y, int32_t w, int32_t h);
    // The whole image with its top-left at (x, y).
    void DrawImage(const Image* image, float x, float y);
    // Part of the image; nothing when srcRect reaches past the image.
    void DrawImage(const Image* image, float x, float y, const Rect& srcRect);
    // srcRect scaled to destRect.
    void DrawImage(const Image* image, const Rect& destRect, const Rect& srcRect);
    // srcRect (or the whole image when null) with its top-left at (x, y), turned by
    // `angle` radians about its centre; positive angles turn counter-clockwise.
    void DrawRotated(const Image* image, float x, float y, double angle, const Rect* srcRect = nullptr);

private:
    Color ImageMultiplier() const { return tintImages ? color : Color::White(); }

    Image* destination;
    float translateX = 0.0f, translateY = 0.0f;
    Rect clip;
    Color color{0, 0, 0, 255};
    int drawMode = DRAWMODE_NORMAL;
    bool tintImages = false;
    bool fastStretch = false;
};

} // namespace Quill
