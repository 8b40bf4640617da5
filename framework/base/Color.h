#pragma once
// A colour as four 0..255 components. Packed colours are laid out alpha, red,
// green, blue from the high byte; a packed alpha byte of 0 reads as opaque, so
// plain 0xRRGGBB constants mean what they say.
#include <cstdint>

namespace Quill {

struct Color {
    int32_t red = 0, green = 0, blue = 0, alpha = 255;

    constexpr Color() = default;
    constexpr Color(int r, int g, int b, int a = 255) : red(r), green(g), blue(b), alpha(a) {}
    // From a packed ARGB value; alpha byte 0 means opaque.
    static constexpr Color FromPacked(uint32_t argb) {
        int a = static_cast<int>(argb >> 24);
        return Color(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                     static_cast<int>(argb & 0xFF), a == 0 ? 255 : a);
    }
    // Components outside 0..255 are held to the nearest end rather than
    // wrapped, so a stray 256 stays white instead of turning black.
    constexpr uint32_t ToPacked() const {
        return (Byte(alpha) << 24) | (Byte(red) << 16) | (Byte(green) << 8) | Byte(blue);
    }
    constexpr bool operator==(const Color& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    constexpr bool operator!=(const Color& o) const { return !(*this == o); }

    static constexpr uint32_t Byte(int32_t v) { return v < 0 ? 0u : v > 255 ? 255u : uint32_t(v); }

    static constexpr Color White() { return Color(255, 255, 255, 255); }
    static constexpr Color Black() { return Color(0, 0, 0, 255); }
};

} // namespace Quill
