#include "app/AppIcon.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t Argb(int a, int r, int g, int b) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b);
}

// Coverage of a pixel by a shape whose signed distance (in pixels, negative
// inside) is d: a one-pixel soft edge keeps the small picture smooth.
float Coverage(float d) { return std::clamp(0.5f - d, 0.0f, 1.0f); }

} // namespace

std::vector<uint32_t> MakeAppIcon() {
    const int n = kAppIconSize;
    std::vector<uint32_t> pixels(static_cast<size_t>(n) * n);
    const float c = (n - 1) * 0.5f;
    const float radius = n * 0.5f - 1.0f;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const float dx = x - c, dy = y - c;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float disc = Coverage(r - radius);
            if (disc <= 0) continue;
            // Gold rim, then blue deepening toward the bottom.
            const float rim = Coverage(radius - 2.5f - r);
            float red = 230 - rim * (230 - 40), green = 180 - rim * (180 - (90 + 40 * (c - dy) / n)),
                  blue = 60 - rim * (60 - 200);
            // A four-pointed star: |dx|^(1/2) + |dy|^(1/2) below a bound.
            const float star = std::sqrt(std::fabs(dx)) + std::sqrt(std::fabs(dy)) - std::sqrt(radius * 0.8f);
            const float s = Coverage(star * 3.0f);
            red += s * (255 - red);
            green += s * (250 - green);
            blue += s * (235 - blue);
            pixels[static_cast<size_t>(y) * n + x] =
                Argb(static_cast<int>(disc * 255), static_cast<int>(red), static_cast<int>(green), static_cast<int>(blue));
        }
    }
    return pixels;
}
