// How fast the software renderer draws typical frames, against pixman on the
// same pictures in the same process. Three scenes into an 800 x 600 screen:
//   A         an opaque background, 90 alpha sprites (57 x 71), 10 additive
//             glows (64 x 64) and 20 glyphs (24 x 32) from a sheet;
//   B         the background and four full-screen layers of partial alpha;
//   A-tinted  A with every sprite multiplied by a colour of alpha 160;
//   C         the background, 30 sprites stretched by 1.5 and 30 turned by
//             0.5 radians, both bilinear (pixman: a transform, with edge
//             padding for the stretch and none for the turn).
// pixman draws premultiplied a8r8g8b8 copies: OVER for normal drawing, ADD
// for additive, a solid mask for the tint. After a warm-up the frames of
// both renderers are interleaved; the medians are printed, and as the last
// lines the ratio ours / pixman per scene (at most 1.0 is the goal).
//
// bench_RendererBench [--path plain|sse2|avx2|avx512] [--frames N]
#include "framework/graphics/Blend.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"

#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Quill;

namespace {

constexpr int kW = 800, kH = 600;

std::unique_ptr<DDImage> MakeImage(int w, int h, const std::function<uint32_t(int, int)>& pixel) {
    auto img = std::make_unique<DDImage>(nullptr, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img->GetBits()[y * w + x] = pixel(x, y);
    img->BitsChanged();
    return img;
}

uint32_t Argb(int a, int r, int g, int b) {
    auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

// Alpha of a disc of radius r around (cx, cy), soft over one pixel.
int Disc(double x, double y, double cx, double cy, double r) {
    double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
    return int(std::clamp((r - d) * 255.0 + 128.0, 0.0, 255.0));
}

struct PixmanImage {
    std::vector<uint32_t> bits;
    pixman_image_t* image = nullptr;
    PixmanImage() = default;
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
    ~PixmanImage() {
        if (image) pixman_image_unref(image);
    }
};

// A premultiplied copy of an image for pixman; opaque images become x8r8g8b8.
std::unique_ptr<PixmanImage> ToPixman(const Image& img, bool opaque) {
    auto p = std::make_unique<PixmanImage>();
    int w = img.GetWidth(), h = img.GetHeight();
    p->bits.resize(size_t(w) * h);
    for (size_t i = 0; i < p->bits.size(); ++i) {
        uint32_t s = img.GetBits()[i], a = s >> 24;
        auto pm = [&](int shift) { return ((((s >> shift) & 0xFF) * a + 127) / 255) << shift; };
        p->bits[i] = (a << 24) | pm(16) | pm(8) | pm(0);
    }
    p->image = pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, w, h, p->bits.data(), w * 4);
    return p;
}

struct Placement {
    int image, x, y;
};

struct Scenes {
    std::unique_ptr<DDImage> screen, background, glow, glyphSheet;
    std::vector<std::unique_ptr<DDImage>> sprites, layers;
    std::vector<Placement> spriteAt, glowAt, glyphAt, stretchAt, turnAt;
    static constexpr double kTurn = 0.5;

    std::unique_ptr<PixmanImage> pScreen, pBackground, pGlow, pGlyphSheet;
    std::vector<std::unique_ptr<PixmanImage>> pSprites, pLayers;
    pixman_image_t* tintMask = nullptr;
    pixman_image_t* pStretched = nullptr; // sprite 0 with a scaling transform
    pixman_image_t* pTurned = nullptr;    // sprite 1 with a turning transform
    int turnW = 0, turnH = 0, turnDx = 0, turnDy = 0;

    Scenes() {
        std::mt19937 rng(7);
        screen = std::make_unique<DDImage>(nullptr, kW, kH);
        screen->SetIsScreen(true);
        background = MakeImage(kW, kH, [](int x, int y) { return Argb(255, x * 255 / kW, y * 255 / kH, (x ^ y) & 255); });
        for (int k = 0; k < 6; ++k) {
            int hue = k * 40;
            sprites.push_back(MakeImage(57, 71, [&](int x, int y) {
                int a = std::max(Disc(x, y, 28.5, 30, 26), Disc(x, y, 28.5, 60, 10));
                return Argb(a, 255 - hue, 100 + x * 2, hue + y);
            }));
        }
        glow = MakeImage(64, 64, [](int x, int y) {
            double d = std::hypot(x + 0.5 - 32, y + 0.5 - 32) / 32.0;
            return Argb(int(std::max(0.0, 1.0 - d) * 255), 255, 220, 140);
        });
        // A sheet of 10 x 4 glyphs: antialiased strokes in white.
        glyphSheet = MakeImage(240, 128, [](int x, int y) {
            int gx = x % 24, gy = y % 32, k = (x / 24) + 10 * (y / 32);
            double d1 = std::fabs(gx - 4 - (k % 7) - gy * 0.3), d2 = std::fabs(gy - 16 - (k % 5));
            int a = int(std::clamp((2.0 - std::min(d1, d2)) * 128.0, 0.0, 255.0));
            return Argb(a, 255, 255, 255);
        });
        for (int k = 0; k < 4; ++k) {
            layers.push_back(MakeImage(kW, kH, [&](int x, int y) {
                int a = 40 + (x * 3 + y * 5 + k * 50) % 180; // 40..219: partial everywhere
                return Argb(a, (x + k * 60) & 255, (y + k * 30) & 255, (x * y + k) & 255);
            }));
        }
        for (int i = 0; i < 90; ++i)
            spriteAt.push_back({int(rng() % 6), int(rng() % (kW - 57)), int(rng() % (kH - 71))});
        for (int i = 0; i < 10; ++i) glowAt.push_back({0, int(rng() % (kW - 64)), int(rng() % (kH - 64))});
        for (int i = 0; i < 20; ++i) glyphAt.push_back({int(rng() % 40), 100 + i * 26, 500});

        pScreen = ToPixman(*screen, true);
        pBackground = ToPixman(*background, true);
        pGlow = ToPixman(*glow, false);
        pGlyphSheet = ToPixman(*glyphSheet, false);
        for (auto& s : sprites) pSprites.push_back(ToPixman(*s, false));
        for (auto& l : layers) pLayers.push_back(ToPixman(*l, false));
        pixman_color_t tint = {0xFFFF, 0xFFFF, 0xFFFF, 160 * 257};
        tintMask = pixman_image_create_solid_fill(&tint);

        for (int i = 0; i < 30; ++i) {
            stretchAt.push_back({0, int(rng() % (kW - 86)), int(rng() % (kH - 107))});
            turnAt.push_back({1, int(rng() % (kW - 100)) + 10, int(rng() % (kH - 100)) + 10});
        }
        // Destination to source: scale by 57/86 and 71/107.
        pStretched = pixman_image_create_bits(PIXMAN_a8r8g8b8, 57, 71, pSprites[0]->bits.data(), 57 * 4);
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(57.0 / 86), pixman_double_to_fixed(71.0 / 107));
        pixman_image_set_transform(pStretched, &t);
        pixman_image_set_filter(pStretched, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_set_repeat(pStretched, PIXMAN_REPEAT_PAD);
        // Turned about the sprite's centre (28, 35), drawn over its bounding box.
        pTurned = pixman_image_create_bits(PIXMAN_a8r8g8b8, 57, 71, pSprites[1]->bits.data(), 57 * 4);
        double c = std::cos(kTurn), sn = std::sin(kTurn);
        turnW = int(std::ceil(57 * std::fabs(c) + 71 * std::fabs(sn))) + 2;
        turnH = int(std::ceil(57 * std::fabs(sn) + 71 * std::fabs(c))) + 2;
        turnDx = 28 - turnW / 2;
        turnDy = 35 - turnH / 2;
        // Box pixel (X, Y) relative to the centre maps back to (X c - Y s, X s + Y c).
        pixman_transform_t r;
        pixman_transform_init_identity(&r);
        pixman_transform_translate(&r, nullptr, pixman_double_to_fixed(-turnW / 2), pixman_double_to_fixed(-turnH / 2));
        pixman_transform_rotate(&r, nullptr, pixman_double_to_fixed(c), pixman_double_to_fixed(-sn));
        pixman_transform_translate(&r, nullptr, pixman_double_to_fixed(28), pixman_double_to_fixed(35));
        pixman_image_set_transform(pTurned, &r);
        pixman_image_set_filter(pTurned, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    ~Scenes() {
        pixman_image_unref(tintMask);
        pixman_image_unref(pStretched);
        pixman_image_unref(pTurned);
    }

    // --- ours ---
    void OursA(bool tinted) {
        Graphics g(screen.get());
        g.DrawImage(background.get(), 0, 0);
        g.SetColor(Color(255, 255, 255, 160));
        g.SetTintImages(tinted);
        for (const auto& p : spriteAt) g.DrawImage(sprites[p.image].get(), float(p.x), float(p.y));
        g.SetTintImages(false);
        g.SetDrawMode(DRAWMODE_ADDITIVE);
        for (const auto& p : glowAt) g.DrawImage(glow.get(), float(p.x), float(p.y));
        g.SetDrawMode(DRAWMODE_NORMAL);
        for (const auto& p : glyphAt)
            g.DrawImage(glyphSheet.get(), float(p.x), float(p.y), Rect((p.image % 10) * 24, (p.image / 10) * 32, 24, 32));
    }
    void OursB() {
        Graphics g(screen.get());
        g.DrawImage(background.get(), 0, 0);
        for (auto& l : layers) g.DrawImage(l.get(), 0, 0);
    }

    void OursC() {
        Graphics g(screen.get());
        g.DrawImage(background.get(), 0, 0);
        for (const auto& p : stretchAt) g.DrawImage(sprites[0].get(), Rect(p.x, p.y, 86, 107), Rect(0, 0, 57, 71));
        for (const auto& p : turnAt) g.DrawRotated(sprites[1].get(), float(p.x), float(p.y), kTurn);
    }

    // --- pixman ---
    void Composite(pixman_op_t op, pixman_image_t* src, pixman_image_t* mask, int sx, int sy, int dx, int dy, int w,
                   int h) {
        pixman_image_composite32(op, src, mask, pScreen->image, sx, sy, 0, 0, dx, dy, w, h);
    }
    void PixmanA(bool tinted) {
        Composite(PIXMAN_OP_OVER, pBackground->image, nullptr, 0, 0, 0, 0, kW, kH);
        for (const auto& p : spriteAt)
            Composite(PIXMAN_OP_OVER, pSprites[p.image]->image, tinted ? tintMask : nullptr, 0, 0, p.x, p.y, 57, 71);
        for (const auto& p : glowAt) Composite(PIXMAN_OP_ADD, pGlow->image, nullptr, 0, 0, p.x, p.y, 64, 64);
        for (const auto& p : glyphAt)
            Composite(PIXMAN_OP_OVER, pGlyphSheet->image, nullptr, (p.image % 10) * 24, (p.image / 10) * 32, p.x, p.y,
                      24, 32);
    }
    void PixmanB() {
        Composite(PIXMAN_OP_OVER, pBackground->image, nullptr, 0, 0, 0, 0, kW, kH);
        for (auto& l : pLayers) Composite(PIXMAN_OP_OVER, l->image, nullptr, 0, 0, 0, 0, kW, kH);
    }
    void PixmanC() {
        Composite(PIXMAN_OP_OVER, pBackground->image, nullptr, 0, 0, 0, 0, kW, kH);
        for (const auto& p : stretchAt) Composite(PIXMAN_OP_OVER, pStretched, nullptr, 0, 0, p.x, p.y, 86, 107);
        for (const auto& p : turnAt)
            Composite(PIXMAN_OP_OVER, pTurned, nullptr, 0, 0, p.x + turnDx, p.y + turnDy, turnW, turnH);
    }
};

double TimeMs(const std::function<void()>& draw) {
    auto t0 = std::chrono::steady_clock::now();
    draw();
    auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int frames = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opt = argv[i], val = argv[i + 1];
        if (opt == "--frames") {
            frames = std::max(1, std::atoi(val.c_str()));
        } else if (opt == "--path") {
            Blend::Path p = val == "plain"  ? Blend::Path::Plain
                            : val == "sse2" ? Blend::Path::Sse2
                            : val == "avx2" ? Blend::Path::Avx2
                                            : Blend::Path::Avx512;
            if (!Blend::SetPath(p)) {
                std::fprintf(stderr, "path %s is not supported here\n", val.c_str());
                return 1;
            }
        }
    }
    std::printf("instruction set: %s (widest supported: %s)\n", Blend::PathName(Blend::GetPath()),
                Blend::PathName(Blend::BestPath()));

    Scenes s;
    struct Scene {
        const char* name;
        std::function<void()> ours, pixman;
        std::vector<double> ourTimes, pixmanTimes;
    };
    std::vector<Scene> scenes;
    scenes.push_back({"A", [&] { s.OursA(false); }, [&] { s.PixmanA(false); }, {}, {}});
    scenes.push_back({"B", [&] { s.OursB(); }, [&] { s.PixmanB(); }, {}, {}});
    scenes.push_back({"A-tinted", [&] { s.OursA(true); }, [&] { s.PixmanA(true); }, {}, {}});
    scenes.push_back({"C", [&] { s.OursC(); }, [&] { s.PixmanC(); }, {}, {}});

    for (int i = 0; i < 20; ++i)
        for (auto& sc : scenes) {
            sc.ours();
            sc.pixman();
        }
    for (int i = 0; i < frames; ++i)
        for (auto& sc : scenes) {
            // Alternate which renderer goes first so neither always finds
            // the caches warmed by the other.
            if (i & 1) {
                sc.ourTimes.push_back(TimeMs(sc.ours));
                sc.pixmanTimes.push_back(TimeMs(sc.pixman));
            } else {
                sc.pixmanTimes.push_back(TimeMs(sc.pixman));
                sc.ourTimes.push_back(TimeMs(sc.ours));
            }
        }
    for (auto& sc : scenes)
        std::printf("scene %-9s ours %.3f ms  pixman %.3f ms (median of %d frames)\n", sc.name, Median(sc.ourTimes),
                    Median(sc.pixmanTimes), frames);
    for (auto& sc : scenes)
        std::printf("ratio %-9s %.2f\n", sc.name, Median(sc.ourTimes) / std::max(1e-9, Median(sc.pixmanTimes)));
    return 0;
}
