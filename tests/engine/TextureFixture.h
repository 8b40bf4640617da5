#pragma once
// Shared by the texture manager and symbol font tests: each test runs in a
// fresh temporary working folder (its own app.log, config.ini and
// language.ini) and draws into a small screen of 128 x 64 pixels, a size at
// which the fractions the tests use are exact in binary floating point.
#include "engine/AppLog.h"
#include "engine/Language.h"
#include "engine/TextureManager.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace texturetest {

constexpr int ScreenW = 128;
constexpr int ScreenH = 64;
constexpr uint32_t Background = 0xFF000000u;

// Writes a 32-bit top-down TGA of w x h ARGB pixels.
inline void WriteTga(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    std::string bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, char(w & 0xFF), char(w >> 8), char(h & 0xFF), char(h >> 8),
                         32, 0x28};
    for (uint32_t p : argb)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(p >> shift));
    WriteText(path, bytes);
}

inline void WriteSolidTga(const std::string& path, int w, int h, uint32_t argb) {
    WriteTga(path, w, h, std::vector<uint32_t>(size_t(w) * size_t(h), argb));
}

// A memory texture whose pixels are given row by row.
inline std::unique_ptr<Quill::MemoryImage> MakeTexture(int w, int h, const std::vector<uint32_t>& argb) {
    auto image = std::make_unique<Quill::MemoryImage>(w, h);
    std::copy(argb.begin(), argb.end(), image->GetBits());
    image->BitsChanged();
    return image;
}

class TextureFixture : public ::testing::Test {
protected:
    void SetUp() override {
        AppLogResetForTests();
        std::snprintf(LanguageName, sizeof LanguageName, "%s", "ENGLISH");
        Textures().Reset();
        screen.Create(ScreenW, ScreenH);
        screen.SetIsScreen(true);
        Clear(Background);
        graphics = Quill::Graphics(&screen);
        graphics.SetFastStretch(true);
        Textures().SetTarget(1, &graphics);
    }

    void TearDown() override {
        Textures().Reset();
        AppLogResetForTests();
    }

    void Clear(uint32_t argb) { std::fill(screen.GetBits(), screen.GetBits() + ScreenW * ScreenH, argb); }
    uint32_t Pixel(int x, int y) { return screen.GetBits()[y * ScreenW + x]; }
    std::string Log() { return ReadText("app.log"); }

    // The smallest rectangle holding every pixel that is not the background
    // (with `only`, every pixel of that colour).
    Quill::Rect Painted(uint32_t only = Background) {
        int l = ScreenW, t = ScreenH, r = -1, b = -1;
        for (int y = 0; y < ScreenH; ++y)
            for (int x = 0; x < ScreenW; ++x)
                if (only == Background ? Pixel(x, y) != Background : Pixel(x, y) == only) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = y;
        return r < 0 ? Quill::Rect() : Quill::Rect(l, t, r - l + 1, b - t + 1);
    }

    TempWorkFolder work;
    Quill::DDImage screen;
    Quill::Graphics graphics;
};

} // namespace texturetest

// Rects print as (x, y, w, h) in failure messages.
namespace Quill {
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}
} // namespace Quill
