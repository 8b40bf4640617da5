#pragma once
// Shared by the texture manager and symbol font tests: each test runs in a
// fresh temporary working folder (its own app.log, config.ini and
// language.ini) and draws into a small screen of 128 x 64 pixels, a size at
// which the fractions the tests use are exact in binary floating point.
#include "engine/AppLog.h"
#include "engine/Language.h"
#include "engine/TextureManager.h"
#include "framework/Graphics.h"
#include "framework/Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace texturetest {

constexpr int ScreenW = 128;
constexpr int ScreenH = 64;
constexpr uint32_t Background = 0xFF000000u;

// Writes a 32-bit top-down TGA of w x h ARGB pixels.
inline void WriteTga(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = uint8_t(w & 0xFF);
    bytes[13] = uint8_t(w >> 8);
    bytes[14] = uint8_t(h & 0xFF);
    bytes[15] = uint8_t(h >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (uint32_t p : argb) {
        bytes.push_back(uint8_t(p));
        bytes.push_back(uint8_t(p >> 8));
        bytes.push_back(uint8_t(p >> 16));
        bytes.push_back(uint8_t(p >> 24));
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

inline void WriteSolidTga(const std::string& path, int w, int h, uint32_t argb) {
    WriteTga(path, w, h, std::vector<uint32_t>(size_t(w) * size_t(h), argb));
}

inline void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
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
        previousFolder = std::filesystem::current_path();
        char pattern[] = "/tmp/velmora-textures-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        std::filesystem::current_path(folder);
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
        std::filesystem::current_path(previousFolder);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Clear(uint32_t argb) { std::fill(screen.GetBits(), screen.GetBits() + ScreenW * ScreenH, argb); }
    uint32_t Pixel(int x, int y) { return screen.GetBits()[y * ScreenW + x]; }
    std::string Log() { return ReadText("app.log"); }

    // The smallest rectangle holding every pixel that is not the background.
    Quill::Rect Painted() {
        int left = ScreenW, top = ScreenH, right = -1, bottom = -1;
        for (int y = 0; y < ScreenH; ++y)
            for (int x = 0; x < ScreenW; ++x)
                if (Pixel(x, y) != Background) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
        if (right < 0) return Quill::Rect();
        return Quill::Rect(left, top, right - left + 1, bottom - top + 1);
    }

    std::filesystem::path previousFolder;
    std::string folder;
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
