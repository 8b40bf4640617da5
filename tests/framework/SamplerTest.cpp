// Stretched and turned drawing on every set of wide loops against the scalar
// sampler, bit for bit: single rows with random column tables, weights and
// positions (the texel mixing, the clear fringe of turned pictures and the
// run of pixels that can reach the source), then whole draws with random
// images, scales, angles, clips, tints, modes and destinations.
#include "framework/Blend.h"
#include "framework/Image.h"
#include "framework/Sampler.h"

#include "BlendTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace Quill;
using blendtest::FastPaths;
using blendtest::PathScope;
using blendtest::RandomPixel;
using blendtest::RandomTint;

namespace {

int Pick(std::mt19937& rng, int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); }

// A weight that is often 0 (a texel centre), else any.
uint32_t RandomWeight(std::mt19937& rng) { return rng() % 4 == 0 ? 0u : rng() & 255u; }

std::vector<uint32_t> RandomPixels(std::mt19937& rng, size_t n, int kind) {
    std::vector<uint32_t> v(n);
    for (auto& p : v) p = RandomPixel(rng, kind);
    return v;
}

std::unique_ptr<MemoryImage> Picture(int w, int h, const std::vector<uint32_t>& pixels) {
    auto img = std::make_unique<MemoryImage>(w, h);
    std::copy(pixels.begin(), pixels.end(), img->GetBits());
    img->BitsChanged();
    return img;
}

// A random picture up to side x side and a random rectangle inside it.
std::unique_ptr<MemoryImage> RandomSource(std::mt19937& rng, int side, int kind, Rect& src) {
    const int w = Pick(rng, 1, side), h = Pick(rng, 1, side);
    auto image = Picture(w, h, RandomPixels(rng, size_t(w) * size_t(h), kind));
    src = Rect(Pick(rng, 0, w - 1), Pick(rng, 0, h - 1), 0, 0);
    src.width = Pick(rng, 1, w - src.x);
    src.height = Pick(rng, 1, h - src.y);
    return image;
}

// Mostly the whole destination, sometimes a part of it or a rectangle
// reaching past it.
Rect RandomClip(std::mt19937& rng, int w, int h) {
    if (rng() % 3) return Rect(0, 0, w, h);
    return Rect(Pick(rng, -5, w), Pick(rng, -5, h), Pick(rng, 0, w), Pick(rng, 0, h));
}

// Runs `draw` onto a copy of `start` with the plain loops and then with each
// wide set; every result must equal the plain one.
::testing::AssertionResult SameOnEveryPath(const std::vector<uint32_t>& start,
                                           const std::function<void(std::vector<uint32_t>&)>& draw) {
    std::vector<uint32_t> reference = start;
    {
        PathScope plain(Blend::Path::Plain);
        draw(reference);
    }
    for (Blend::Path path : FastPaths()) {
        PathScope scope(path);
        std::vector<uint32_t> out = start;
        draw(out);
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != reference[i])
                return ::testing::AssertionFailure() << Blend::PathName(path) << " differs at pixel " << i << ": "
                                                     << std::hex << out[i] << " instead of " << reference[i];
    }
    return ::testing::AssertionSuccess();
}

// A destination image over the given pixels: the screen (composing makes
// pixels opaque) or a memory image that keeps alpha.
std::unique_ptr<MemoryImage> Destination(int w, int h, bool screen, const std::vector<uint32_t>& pixels) {
    std::unique_ptr<MemoryImage> img;
    if (screen) {
        auto s = std::make_unique<DDImage>(nullptr, w, h);
        s->SetIsScreen(true);
        img = std::move(s);
    } else {
        img = std::make_unique<MemoryImage>(w, h);
    }
    std::copy(pixels.begin(), pixels.end(), img->GetBits());
    return img;
}

} // namespace

// The texel mixing itself: random quads of every alpha structure, weights
// and multipliers, in rows of every length the loops split into.
TEST(SamplerRows, StretchedRowsMatchTheScalarSampler) {
    std::mt19937 rng(2024);
    for (int iter = 0; iter < 3000; ++iter) {
        const int sw = Pick(rng, 1, 40), count = Pick(rng, 1, 70);
        const int kind = iter % 4;
        const std::vector<uint32_t> line0 = RandomPixels(rng, size_t(sw), kind);
        const std::vector<uint32_t> line1 = RandomPixels(rng, size_t(sw), kind);
        const size_t n = static_cast<size_t>(count);
        std::vector<int32_t> colA(n), colB(n), colW(n);
        for (int i = 0; i < count; ++i) {
            colA[i] = Pick(rng, 0, sw - 1);
            colB[i] = rng() % 3 ? std::min(colA[i] + 1, sw - 1) : Pick(rng, 0, sw - 1);
            colW[i] = int32_t(RandomWeight(rng));
        }
        std::vector<uint32_t> scratch(n);
        Sampler::StretchRow row;
        row.line0 = line0.data();
        row.line1 = line1.data();
        row.colA = colA.data();
        row.colB = colB.data();
        row.colW = colW.data();
        row.wy = RandomWeight(rng);
        row.count = count;
        row.smooth = iter % 5 != 0;
        row.scratch = scratch.data();
        const uint32_t mul = RandomTint(rng);
        const int mode = int(rng() % 2);
        const bool keeps = rng() & 1;
        const int offset = Pick(rng, 0, 5);
        ASSERT_TRUE(SameOnEveryPath(RandomPixels(rng, size_t(count + 10), 0), [&](std::vector<uint32_t>& dst) {
            Blend::BlitStretchedRow(dst.data() + offset, row, mul, mode, keeps);
        })) << "iter " << iter << " smooth " << row.smooth << " mode " << mode << " keeps " << keeps;
    }
}

// Turned rows: positions start anywhere (far off the source too) and walk
// in any direction, so the run of pixels that can reach a texel may be
// empty, cut at either end or the whole row; sources too large for the
// vector positions take the row-at-a-time road.
TEST(SamplerRows, TurnedRowsMatchTheScalarSampler) {
    std::mt19937 rng(77);
    std::vector<uint32_t> wide = RandomPixels(rng, 16500 * 2, 1);
    for (int iter = 0; iter < 4000; ++iter) {
        const bool huge = iter % 97 == 0;
        const int sw = huge ? 16500 : Pick(rng, 1, 24), sh = huge ? 2 : Pick(rng, 1, 24);
        const int pitch = sw + (huge ? 0 : Pick(rng, 0, 3));
        std::vector<uint32_t> texels = huge ? wide : RandomPixels(rng, size_t(pitch) * size_t(sh), iter % 4);
        const int count = Pick(rng, 1, 90);
        std::vector<uint32_t> scratch(static_cast<size_t>(count));
        Sampler::TurnRow row;
        row.texels = texels.data();
        row.pitch = pitch;
        row.width = sw;
        row.height = sh;
        auto start = [&](int side) {
            switch (rng() % 6) {
            case 0: // far away on either side
                return int64_t(rng() % 2 ? 1 : -1) * (int64_t(1) << Pick(rng, 20, 52));
            case 1: // on an edge of the fringe
                return int64_t(rng() % 2 ? -65536 : int64_t(side) * 65536 + Pick(rng, -2, 2));
            default:
                return int64_t(Pick(rng, -40 * 65536, (side + 40) * 65536));
            }
        };
        auto step = [&] {
            switch (rng() % 6) {
            case 0:
                return int64_t(0);
            case 1:
                return int64_t(rng() % 2 ? 65536 : -65536);
            case 2: // steeper than any turn makes, for the row-at-a-time road
                return int64_t(Pick(rng, -200000, 200000));
            default:
                return int64_t(Pick(rng, -65536, 65536));
            }
        };
        row.u = start(sw);
        row.v = start(sh);
        row.du = step();
        row.dv = step();
        row.count = count;
        row.smooth = rng() % 4 != 0;
        row.scratch = scratch.data();
        const uint32_t mul = RandomTint(rng);
        const int mode = int(rng() % 2);
        const bool keeps = rng() & 1;
        ASSERT_TRUE(SameOnEveryPath(RandomPixels(rng, size_t(count), 0), [&](std::vector<uint32_t>& dst) {
            Blend::BlitTurnedRow(dst.data(), row, mul, mode, keeps);
        })) << "iter " << iter << " u " << row.u << " v " << row.v << " du " << row.du << " dv " << row.dv << " size "
            << sw << "x" << sh << " smooth " << row.smooth;
    }
}

// Whole stretched draws: up, down, one axis kept, odd sizes and single
// pixels, partly off the destination, clipped, tinted, both modes, onto the
// screen and onto images that keep alpha, nearest and bilinear.
TEST(SamplerDraws, StretchedDrawsMatchTheScalarSampler) {
    std::mt19937 rng(31337);
    const int W = 64, H = 48;
    for (int iter = 0; iter < 600; ++iter) {
        Rect src;
        auto image = RandomSource(rng, 48, iter % 4, src);
        auto size = [&](int from) {
            switch (rng() % 6) {
            case 0:
                return from; // kept on this axis
            case 1:
                return 1;
            case 2:
                return std::max(1, from / Pick(rng, 2, 5)); // down
            case 3:
                return from * Pick(rng, 2, 4) + Pick(rng, 0, 3); // up
            default:
                return Pick(rng, 1, 90);
            }
        };
        Rect dest(Pick(rng, -30, W), Pick(rng, -30, H), size(src.width), size(src.height));
        const Rect clip = RandomClip(rng, W, H);
        const Color color = Color::FromPacked(RandomTint(rng));
        const int mode = int(rng() % 2);
        const bool fast = rng() % 3 == 0, screen = rng() & 1;
        std::ostringstream what;
        what << "iter " << iter << " src " << src.x << "," << src.y << " " << src.width << "x" << src.height << " dest "
             << dest.x << "," << dest.y << " " << dest.width << "x" << dest.height << " fast " << fast << " mode "
             << mode << " screen " << screen;
        ASSERT_TRUE(SameOnEveryPath(RandomPixels(rng, size_t(W) * H, 0), [&](std::vector<uint32_t>& pixels) {
            auto dst = Destination(W, H, screen, pixels);
            dst->StretchBlt(*image, dest, src, color, mode, fast, clip);
            pixels.assign(dst->GetBits(), dst->GetBits() + W * H);
        })) << what.str();
    }
}

// Whole turned draws at right angles, small and large angles and anywhere
// in between, partly off the destination and clipped.
TEST(SamplerDraws, TurnedDrawsMatchTheScalarSampler) {
    std::mt19937 rng(4242);
    const double pi = std::acos(-1.0);
    const double angles[] = {0.0, pi / 2, pi, -pi / 2, 0.5, 1e-3, -2.9, 100.0};
    const int W = 64, H = 48;
    for (int iter = 0; iter < 500; ++iter) {
        Rect src;
        auto image = RandomSource(rng, 40, iter % 4, src);
        const double angle = rng() % 2 ? angles[rng() % 8] : (double(rng()) / 4294967296.0 - 0.5) * 20.0;
        const int x = Pick(rng, -40, W), y = Pick(rng, -40, H);
        const Rect clip = RandomClip(rng, W, H);
        const Color color = Color::FromPacked(RandomTint(rng));
        const int mode = int(rng() % 2);
        const bool smooth = rng() % 4 != 0, screen = rng() & 1;
        ASSERT_TRUE(SameOnEveryPath(RandomPixels(rng, size_t(W) * H, 0), [&](std::vector<uint32_t>& pixels) {
            auto dst = Destination(W, H, screen, pixels);
            dst->BltRotated(*image, x, y, src, angle, color, mode, smooth, clip);
            pixels.assign(dst->GetBits(), dst->GetBits() + W * H);
        })) << "iter " << iter << " angle " << angle << " at " << x << "," << y << " src " << src.width << "x"
            << src.height << " smooth " << smooth << " mode " << mode << " screen " << screen;
    }
}

// Stretching or turning an image into itself samples the picture as it was
// before the draw, on every path, whichever way the rows overlap.
TEST(SamplerDraws, DrawingIntoItselfReadsTheOriginal) {
    std::mt19937 rng(5);
    const std::vector<uint32_t> start = RandomPixels(rng, 30 * 30, 1);
    static const Color white = Color::White();
    static const Rect all(0, 0, 30, 30);
    struct Case {
        const char* what;
        std::function<void(Image& dst, const Image& src)> draw;
    } cases[] = {
        {"stretched up", [](Image& d, const Image& s) {
             d.StretchBlt(s, Rect(2, 1, 27, 28), Rect(3, 4, 17, 13), white, 0, false, all);
         }},
        {"stretched down", [](Image& d, const Image& s) {
             d.StretchBlt(s, Rect(5, 9, 11, 7), Rect(0, 0, 30, 30), white, 0, false, all);
         }},
        {"nearest", [](Image& d, const Image& s) {
             d.StretchBlt(s, Rect(0, 3, 30, 20), Rect(4, 0, 13, 30), white, 1, true, all);
         }},
        {"turned", [](Image& d, const Image& s) {
             d.BltRotated(s, 4, 6, Rect(1, 2, 20, 18), 0.8, white, 0, true, all);
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> expect;
        for (Blend::Path path : FastPaths()) {
            PathScope scope(path);
            auto self = Picture(30, 30, start), original = Picture(30, 30, start);
            c.draw(*self, *self);
            if (expect.empty()) {
                auto viaCopy = Picture(30, 30, start);
                c.draw(*viaCopy, *original);
                expect.assign(viaCopy->GetBits(), viaCopy->GetBits() + 900);
            }
            EXPECT_EQ(std::vector<uint32_t>(self->GetBits(), self->GetBits() + 900), expect)
                << c.what << " on " << Blend::PathName(path);
        }
    }
}
