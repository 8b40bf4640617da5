#pragma once
// For the gameplay tests that look at what was drawn: a small screen of
// 200 x 150 pixels as the texture manager's target, pictures of one solid
// colour written as PNG files into the working folder, a language.ini whose
// image folder is "Lang\", and the colour found at a screen fraction.
#include "gameplay/support/GameTestSupport.h"

#include "engine/Language.h"
#include "engine/TextureManager.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/imageio/PngWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class ScreenTest : public GameTest {
protected:
    static constexpr int W = 200;
    static constexpr int H = 150;
    static constexpr uint32_t Black = 0xFF000000u;

    void SetUp() override {
        GameTest::SetUp();
        screen.Create(W, H);
        screen.SetIsScreen(true);
        Clear();
        graphics = Quill::Graphics(&screen);
        Textures().SetTarget(1, &graphics);
        std::snprintf(LanguageName, sizeof LanguageName, "%s", "ENGLISH");
        WriteFile("language.ini", "[ENGLISH]\nEnglish\\=Lang\\\n");
    }

    void Clear() { std::fill(screen.GetBits(), screen.GetBits() + W * H, Black); }

    // A w x h opaque picture of one colour at a game path ("Graphics\\x.png").
    void Picture(const std::string& gamePath, int w, int h, uint32_t colour) {
        std::string path = gamePath;
        std::replace(path.begin(), path.end(), '\\', '/');
        std::filesystem::path full = std::filesystem::path(folder) / path;
        std::filesystem::create_directories(full.parent_path());
        const std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u | colour);
        ASSERT_TRUE(Quill::WritePng(full.string(), pixels.data(), w, h, true)) << gamePath;
    }

    uint32_t Pixel(int x, int y) {
        if (x < 0 || y < 0 || x >= W || y >= H) return 0;
        return screen.GetBits()[y * W + x] & 0xFFFFFFu;
    }
    // The colour at a screen fraction.
    uint32_t At(float fx, float fy) { return Pixel(static_cast<int>(fx * W), static_cast<int>(fy * H)); }

    // Colours equal within `tolerance` per channel (JPEG pictures are near, not exact).
    static bool Near(uint32_t a, uint32_t b, int tolerance = 0) {
        for (int shift : {0, 8, 16}) {
            int ca = static_cast<int>((a >> shift) & 0xFFu), cb = static_cast<int>((b >> shift) & 0xFFu);
            if (std::abs(ca - cb) > tolerance) return false;
        }
        return true;
    }

    // How many pixels of row `y` have colour `rgb`.
    int CountInRow(int y, uint32_t rgb) {
        int n = 0;
        for (int x = 0; x < W; ++x) n += Pixel(x, y) == rgb;
        return n;
    }

    Quill::DDImage screen;
    Quill::Graphics graphics;
};
