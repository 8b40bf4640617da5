// The pixel rules of the renderer and the geometry of Graphics: colours,
// composition, clipping, source rectangles, translation, stretching and the
// turn direction of rotated drawing.
#include "framework/graphics/Blend.h"
#include "framework/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace Quill;

namespace {

// A w x h image filled with one pixel value.
std::unique_ptr<MemoryImage> Filled(int w, int h, uint32_t pixel) {
    auto img = std::make_unique<MemoryImage>(w, h);
    std::fill(img->GetBits(), img->GetBits() + w * h, pixel);
    img->BitsChanged();
    return img;
}

std::unique_ptr<MemoryImage> Random(int w, int h, uint32_t seed) {
    auto img = std::make_unique<MemoryImage>(w, h);
    std::mt19937 rng(seed);
    for (int i = 0; i < w * h; ++i) img->GetBits()[i] = rng();
    return img;
}

// The back buffer: composing into it makes pixels opaque.
std::unique_ptr<DDImage> Screen(int w, int h, uint32_t pixel) {
    auto img = std::make_unique<DDImage>(nullptr, w, h);
    img->SetIsScreen(true);
    std::fill(img->GetBits(), img->GetBits() + w * h, pixel);
    return img;
}

std::vector<uint32_t> Pixels(const Image& img) {
    return std::vector<uint32_t>(img.GetBits(), img.GetBits() + img.GetWidth() * img.GetHeight());
}

uint32_t At(const Image& img, int x, int y) { return img.GetBits()[y * img.GetWidth() + x]; }

constexpr uint32_t kBack = 0xFF102030u;
constexpr uint32_t kInk = 0xFFC08040u;

} // namespace

TEST(Blend, ComposeTable) {
    struct Case {
        const char* what;
        uint32_t d, s;
        int mode;
        bool keeps;
        uint32_t expect;
    } cases[] = {
        {"opaque copies", 0xFF112233u, 0xFF445566u, 0, false, 0xFF445566u},
        {"clear leaves, even a clear screen pixel", 0x00345678u, 0x00FFFFFFu, 0, false, 0x00345678u},
        {"half white on black screen", 0xFF000000u, 0x80FFFFFFu, 0, false, 0xFF7F7F7Fu},
        {"screen result is opaque", 0x00000000u, 0x40FF0000u, 0, false, 0xFF3F0000u},
        {"keeps alpha onto clear", 0x00000000u, 0x80FF0000u, 0, true, 0x80FE0000u},
        {"keeps alpha onto half", 0x80000000u, 0x80FFFFFFu, 0, true, 0xBFA9A9A9u},
        {"additive saturates", 0xFFF0F0F0u, 0xFFFFFFFFu, 1, false, 0xFFFFFFFFu},
        {"additive keeps destination alpha", 0x40102030u, 0xFF010203u, 1, true, 0x40102132u},
        {"other modes draw normally", 0xFF000000u, 0x80FFFFFFu, 5, false, 0xFF7F7F7Fu},
    };
    for (const Case& c : cases) EXPECT_EQ(Blend::ComposePixel(c.d, c.s, c.mode, c.keeps), c.expect) << c.what;
}

// Where a 2 x 2 opaque image lands for a given source rectangle, translation
// and clip: each case lists the pixels of a 6 x 4 screen that change.
TEST(Graphics, PlacementTable) {
    struct Case {
        const char* what;
        float tx, ty, x, y;
        Rect src;
        Rect clip; // empty: no clip
        std::vector<std::pair<int, int>> inked;
    } cases[] = {
        {"whole image", 0, 0, 1, 1, Rect(0, 0, 2, 2), Rect(), {{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
        {"translation truncates", 2.7f, 0, 0, 0, Rect(0, 0, 2, 2), Rect(), {{2, 0}, {3, 0}, {2, 1}, {3, 1}}},
        {"source ending at the right edge draws", 0, 0, 0, 0, Rect(1, 0, 1, 2), Rect(), {{0, 0}, {0, 1}}},
        {"source one past the right edge draws nothing", 0, 0, 0, 0, Rect(1, 0, 2, 2), Rect(), {}},
        {"clip cuts", 0, 0, 4, 2, Rect(0, 0, 2, 2), Rect(0, 0, 5, 3), {{4, 2}}},
        {"far off the screen", 0, 0, -1e9f, 1e9f, Rect(0, 0, 2, 2), Rect(), {}},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, Rect(0, 0, 2, 2), Rect(), {}},
    };
    auto image = Filled(2, 2, kInk);
    for (const Case& c : cases) {
        auto screen = Screen(6, 4, kBack);
        Graphics g(screen.get());
        g.Translate(c.tx, c.ty);
        if (!c.clip.IsEmpty()) g.IntersectClip(c.clip.x - c.tx, c.clip.y - c.ty, c.clip.width, c.clip.height);
        g.DrawImage(image.get(), c.x, c.y, c.src);
        std::vector<uint32_t> expect(6 * 4, kBack);
        for (auto [x, y] : c.inked) expect[y * 6 + x] = kInk;
        EXPECT_EQ(Pixels(*screen), expect) << c.what;
    }
}

TEST(Graphics, FillTable) {
    struct Case {
        const char* what;
        Color color;
        int mode;
        Rect rect;
        uint32_t inside;
        int insideCount;
    } cases[] = {
        {"opaque replaces", Color(255, 0, 0), 0, Rect(1, 1, 2, 2), 0xFFFF0000u, 4},
        {"alpha 0 draws nothing", Color(255, 0, 0, 0), 0, Rect(0, 0, 4, 4), kBack, 16},
        {"partial blends", Color(255, 255, 255, 128), 0, Rect(0, 0, 1, 1), 0xFF878F97u, 1},
        {"clipped to the image", Color(0, 0, 255), 0, Rect(-5, -5, 1000000, 1000000), 0xFF0000FFu, 16},
        {"negative size draws nothing", Color(0, 0, 255), 0, Rect(2, 2, -3, 1), kBack, 16},
    };
    for (const Case& c : cases) {
        auto screen = Screen(4, 4, kBack);
        Graphics g(screen.get());
        g.SetColor(c.color);
        g.SetDrawMode(c.mode);
        g.FillRect(float(c.rect.x), float(c.rect.y), c.rect.width, c.rect.height);
        int count = 0;
        for (uint32_t p : Pixels(*screen)) count += p == c.inside;
        EXPECT_EQ(count, c.insideCount) << c.what << std::hex << " got " << At(*screen, 0, 0);
    }
}

TEST(Graphics, TintMultipliesOnlyWhenSet) {
    auto image = Filled(1, 1, 0xFFFFFFFFu);
    for (bool tint : {false, true}) {
        auto screen = Screen(1, 1, 0xFF000000u);
        Graphics g(screen.get());
        g.SetColor(Color(255, 128, 0, 255));
        g.SetTintImages(tint);
        g.DrawImage(image.get(), 0, 0);
        EXPECT_EQ(At(*screen, 0, 0), tint ? 0xFFFF8000u : 0xFFFFFFFFu);
    }
}

// A marked source pixel lands where the turn rule puts its centre:
// (u cos a + v sin a, v cos a - u sin a) from the centre of rotation, so a
// positive angle turns counter-clockwise.
TEST(Graphics, RotationDirectionTable) {
    const double pi = std::acos(-1.0);
    const int sx = 3, sy = 1; // the marked pixel of a 4 x 4 image
    for (double angle : {0.0, pi / 2, pi, -pi / 2, pi / 4}) {
        auto image = Filled(4, 4, 0x00000000u);
        image->GetBits()[sy * 4 + sx] = kInk;
        auto screen = Screen(20, 20, kBack);
        Graphics g(screen.get());
        Graphics::SetSmoothRotation(false);
        g.DrawRotated(image.get(), 8, 8, angle);
        Graphics::SetSmoothRotation(true);
        double u = sx + 0.5 - 2, v = sy + 0.5 - 2; // centre at (4 / 2, 4 / 2)
        double X = u * std::cos(angle) + v * std::sin(angle), Y = v * std::cos(angle) - u * std::sin(angle);
        int ex = int(std::floor(8 + 2 + X)), ey = int(std::floor(8 + 2 + Y));
        EXPECT_EQ(At(*screen, ex, ey), kInk) << "angle " << angle;
        int inked = 0;
        for (uint32_t p : Pixels(*screen)) inked += p == kInk;
        EXPECT_EQ(inked, 1) << "angle " << angle;
    }
}

// Drawing without scaling or turning through the samplers equals a plain
// draw, for smooth and nearest sampling, normal and additive.
TEST(Graphics, IdentityStretchAndTurnEqualPlainDraw) {
    auto image = Random(13, 7, 5);
    for (int mode : {0, 1}) {
        for (bool fast : {false, true}) {
            auto plain = Random(30, 20, 9), stretched = Random(30, 20, 9), turned = Random(30, 20, 9);
            Graphics gp(plain.get()), gs(stretched.get()), gt(turned.get());
            for (Graphics* g : {&gp, &gs, &gt}) {
                g->SetDrawMode(mode);
                g->SetFastStretch(fast);
            }
            gp.DrawImage(image.get(), 3, 4);
            gs.DrawImage(image.get(), Rect(3, 4, 13, 7), Rect(0, 0, 13, 7));
            Graphics::SetSmoothRotation(!fast);
            gt.DrawRotated(image.get(), 3, 4, 0.0);
            Graphics::SetSmoothRotation(true);
            EXPECT_EQ(Pixels(*stretched), Pixels(*plain)) << "mode " << mode << " fast " << fast;
            EXPECT_EQ(Pixels(*turned), Pixels(*plain)) << "mode " << mode << " fast " << fast;
        }
    }
}

TEST(Graphics, StretchTable) {
    // Two opaque pixels, A and B, stretched to four.
    const uint32_t a = 0xFF000000u, b = 0xFFFC0000u;
    auto image = std::make_unique<MemoryImage>(2, 1);
    image->GetBits()[0] = a;
    image->GetBits()[1] = b;
    struct Case {
        bool fast;
        std::vector<uint32_t> expect;
    } cases[] = {
        {true, {a, a, b, b}},
        // Bilinear at 1/4 steps; the edges keep the edge colour and stay opaque.
        {false, {a, 0xFF3F0000u, 0xFFBD0000u, b}},
    };
    for (const Case& c : cases) {
        auto screen = Screen(4, 1, kBack);
        Graphics g(screen.get());
        g.SetFastStretch(c.fast);
        g.DrawImage(image.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1));
        EXPECT_EQ(Pixels(*screen), c.expect) << "fast " << c.fast;
    }
}

TEST(Graphics, HostileDrawsDrawNothingAndDoNotCrash) {
    auto image = Random(8, 8, 3);
    auto screen = Screen(10, 10, kBack);
    const auto before = Pixels(*screen);
    Graphics g(screen.get());
    g.DrawImage(nullptr, 0, 0);
    g.DrawRotated(image.get(), 1, 1, std::numeric_limits<double>::quiet_NaN());
    g.DrawRotated(image.get(), 1, 1, 1.0, nullptr);
    g.DrawImage(image.get(), 2e9f, -2e9f);
    g.DrawImage(image.get(), Rect(INT32_MAX - 1, 0, INT32_MAX, 5), Rect(0, 0, 8, 8));
    g.DrawImage(image.get(), Rect(0, 0, 10, 10), Rect(INT32_MAX, 0, 8, 8));
    g.DrawImage(image.get(), 0, 0, Rect(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX));
    Graphics none(nullptr);
    none.FillRect(0, 0, 100, 100);
    none.DrawImage(image.get(), 0, 0);
    // Only the one sane rotated draw changed anything.
    auto screen2 = Screen(10, 10, kBack);
    Graphics g2(screen2.get());
    g2.DrawRotated(image.get(), 1, 1, 1.0, nullptr);
    EXPECT_EQ(Pixels(*screen), Pixels(*screen2));
    EXPECT_NE(Pixels(*screen), before);
}
