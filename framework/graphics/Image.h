#pragma once
// Images: the base with its size and drawing operations, MemoryImage with
// 32-bit ARGB pixels in memory, and DDImage, a memory image that belongs to
// the display (loaded textures and the back buffer). The renderer is software
// only, so every image keeps its pixels in memory and nothing is ever lost on
// a display change.
#include "framework/base/Color.h"
#include "framework/base/Rect.h"

#include <cstdint>
#include <vector>

namespace Quill {

enum DrawMode : int32_t { DRAWMODE_NORMAL = 0, DRAWMODE_ADDITIVE = 1 };

class Image {
public:
    Image() = default;
    Image(int32_t w, int32_t h) : width(w), height(h) {}
    virtual ~Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    // Whether r is non-empty and lies wholly inside the image (a source
    // rectangle ending exactly at an edge does).
    bool HoldsRect(const Rect& r) const;

    // Pixels row by row from the top, or null for an image without pixels.
    virtual uint32_t* GetBits() { return nullptr; }
    const uint32_t* GetBits() const { return const_cast<Image*>(this)->GetBits(); }
    // Whether composing into this image keeps an alpha channel (memory images)
    // or makes every touched pixel opaque (the screen).
    virtual bool KeepsAlpha() const { return true; }

    // The drawing operations Graphics uses. `color` is the multiplier (white =
    // own colours); `clip` limits the destination pixels. A source rectangle
    // that does not lie inside `src` draws nothing. Drawing reuses per-thread
    // scratch rows, so it does not allocate once warm.
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    virtual void Blt(const Image& src, int32_t x, int32_t y, const Rect& srcRect, const Color& color,
                     int drawMode, const Rect& clip);
    virtual void BltRotated(const Image& src, int32_t x, int32_t y, const Rect& srcRect, double angle,
                            const Color& color, int drawMode, bool smooth, const Rect& clip);
    virtual void StretchBlt(const Image& src, const Rect& destRect, const Rect& srcRect, const Color& color,
                            int drawMode, bool fast, const Rect& clip);

protected:
    int32_t width = 0;
    int32_t height = 0;
};

class MemoryImage : public Image {
public:
    MemoryImage() = default;
    MemoryImage(int32_t w, int32_t h);

    // Allocates w x h pixels, all transparent black.
    void Create(int32_t w, int32_t h);
    uint32_t* GetBits() override { return bits.empty() ? nullptr : bits.data(); }
    // Call after changing the pixels: recomputes the alpha flags.
    void BitsChanged();
    bool HasAlpha() const { return hasAlpha; }
    bool HasTrans() const { return hasTrans; }

protected:
    std::vector<uint32_t> bits;
    bool hasAlpha = false; // some pixel is not fully opaque
    bool hasTrans = false; // some pixel is partly transparent (neither 0 nor 255)
};

class DDInterface;

class DDImage : public MemoryImage {
public:
    explicit DDImage(DDInterface* display = nullptr) : display(display) {}
    DDImage(DDInterface* display, int32_t w, int32_t h) : MemoryImage(w, h), display(display) {}

    // The back buffer is a display image that does not keep alpha.
    bool KeepsAlpha() const override { return !isScreen; }
    void SetIsScreen(bool screen) { isScreen = screen; }
    bool IsScreen() const { return isScreen; }
    DDInterface* GetDisplay() const { return display; }

private:
    DDInterface* display;
    bool isScreen = false;
};

} // namespace Quill
