// Stretched and turned drawing on every set of wide loops against the scalar
// sampler, bit for bit: turned rows with random positions (the clear fringe
// and the run of pixels that can reach the source), then whole draws with
// random images, scales, angles, clips, tints, modes and destinations.
#include "framework/graphics/Blend.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Sampler.h"

#include "framework/graphics/BlendTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

using namespace Quill;
using blendtest::FastPaths;
using blendtest::PathScope;
using blendtest::RandomPixel;
using blendtest::RandomTint;

namespace {

int Pick(std::mt19937& rng, int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); }

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

} // namespace

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
        // Still, one texel a pixel, steeper than any turn makes, or anything.
        auto step = [&] {
            const int64_t kinds[] = {0, rng() % 2 ? 65536 : -65536, Pick(rng, -200000, 200000)};
            uint32_t k = rng() % 6;
            return k < 3 ? kinds[k] : int64_t(Pick(rng, -65536, 65536));
        };
        Sampler::TurnRow row;
        row.texels = texels.data();
        row.pitch = pitch;
        row.width = sw;
        row.height = sh;
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

// Whole draws, stretched (up, down, one axis kept, single pixels, nearest
// and bilinear) and turned (right angles, tiny and huge angles), partly off
// the destination, clipped, tinted, both modes, onto the screen (composing
// makes pixels opaque) and onto images that keep alpha.
TEST(SamplerDraws, StretchedAndTurnedDrawsMatchTheScalarSampler) {
    std::mt19937 rng(31337);
    const double pi = std::acos(-1.0);
    const double angles[] = {0.0, pi / 2, pi, -pi / 2, 0.5, 1e-3, -2.9, 100.0};
    const int W = 64, H = 48;
    for (int iter = 0; iter < 1100; ++iter) {
        const int w = Pick(rng, 1, 48), h = Pick(rng, 1, 48);
        auto image = Picture(w, h, RandomPixels(rng, size_t(w) * size_t(h), iter % 4));
        Rect src(Pick(rng, 0, w - 1), Pick(rng, 0, h - 1), 0, 0);
        src.width = Pick(rng, 1, w - src.x);
        src.height = Pick(rng, 1, h - src.y);
        auto size = [&](int from) {
            const int kinds[] = {from, 1, std::max(1, from / Pick(rng, 2, 5)), from * Pick(rng, 2, 4) + Pick(rng, 0, 3)};
            uint32_t k = rng() % 6;
            return k < 4 ? kinds[k] : Pick(rng, 1, 90);
        };
        const bool turned = iter % 2;
        const double angle = rng() % 2 ? angles[rng() % 8] : (double(rng()) / 4294967296.0 - 0.5) * 20.0;
        const Rect dest(Pick(rng, -40, W), Pick(rng, -40, H), size(src.width), size(src.height));
        const Rect clip = rng() % 3 ? Rect(0, 0, W, H)
                                    : Rect(Pick(rng, -5, W), Pick(rng, -5, H), Pick(rng, 0, W), Pick(rng, 0, H));
        const Color color = Color::FromPacked(RandomTint(rng));
        const int mode = int(rng() % 2);
        const bool smooth = rng() % 3 != 0, screen = rng() & 1;
        ASSERT_TRUE(SameOnEveryPath(RandomPixels(rng, size_t(W) * H, 0), [&](std::vector<uint32_t>& pixels) {
            auto dst = std::make_unique<DDImage>(nullptr, W, H);
            dst->SetIsScreen(screen);
            std::copy(pixels.begin(), pixels.end(), dst->GetBits());
            if (turned)
                dst->BltRotated(*image, dest.x, dest.y, src, angle, color, mode, smooth, clip);
            else
                dst->StretchBlt(*image, dest, src, color, mode, !smooth, clip);
            pixels.assign(dst->GetBits(), dst->GetBits() + W * H);
        })) << "iter " << iter << (turned ? " turned " : " stretched ") << angle << " src " << src.x << "," << src.y
            << " " << src.width << "x" << src.height << " dest " << dest.x << "," << dest.y << " " << dest.width
            << "x" << dest.height << " smooth " << smooth << " mode " << mode << " screen " << screen;
    }
}

// Drawing, stretching or turning an image into itself samples the picture as
// it was before the draw, on every path, whichever way the rows overlap.
TEST(SamplerDraws, DrawingIntoItselfReadsTheOriginal) {
    std::mt19937 rng(5);
    const std::vector<uint32_t> start = RandomPixels(rng, 30 * 30, 1);
    static const Color white = Color::White();
    static const Rect all(0, 0, 30, 30);
    using Draw = void (*)(Image& dst, const Image& src);
    const Draw cases[] = {
        [](Image& d, const Image& s) { d.Blt(s, 1, 1, all, white, 0, all); },
        [](Image& d, const Image& s) { d.StretchBlt(s, Rect(2, 1, 27, 28), Rect(3, 4, 17, 13), white, 0, false, all); },
        [](Image& d, const Image& s) { d.StretchBlt(s, Rect(5, 9, 11, 7), Rect(0, 0, 30, 30), white, 0, false, all); },
        [](Image& d, const Image& s) { d.StretchBlt(s, Rect(0, 3, 30, 20), Rect(4, 0, 13, 30), white, 1, true, all); },
        [](Image& d, const Image& s) { d.BltRotated(s, 4, 6, Rect(1, 2, 20, 18), 0.8, white, 0, true, all); },
    };
    for (size_t c = 0; c < std::size(cases); ++c) {
        auto viaCopy = Picture(30, 30, start), original = Picture(30, 30, start);
        cases[c](*viaCopy, *original);
        const std::vector<uint32_t> expect(viaCopy->GetBits(), viaCopy->GetBits() + 900);
        for (Blend::Path path : FastPaths()) {
            PathScope scope(path);
            auto self = Picture(30, 30, start);
            cases[c](*self, *self);
            EXPECT_EQ(std::vector<uint32_t>(self->GetBits(), self->GetBits() + 900), expect)
                << "case " << c << " on " << Blend::PathName(path);
        }
    }
}
