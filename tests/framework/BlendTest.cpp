// Every set of span loops against the per-pixel rule, bit for bit: random
// pixels, tints, modes, counts and alignments, plus exhaustive sweeps over
// the alpha pairs where the divisions live.
#include "framework/Blend.h"
#include "BlendTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace Quill;

namespace {

using blendtest::FastPaths;
using blendtest::PathScope;
using blendtest::RandomPixel;
using blendtest::RandomTint;

const char* Name(Blend::Path p) { return Blend::PathName(p); }

} // namespace

// The vector loops divide by 255 with a multiply and shifts; both forms must
// equal the truncating division for every product of two bytes.
TEST(BlendDivision, ShiftFormsEqualDivisionBy255) {
    for (uint32_t t = 0; t <= 255u * 255u; ++t) {
        ASSERT_EQ((t + 1 + (t >> 8)) >> 8, t / 255) << t;
        ASSERT_EQ((t * 0x8081u) >> 23, t / 255) << t;
    }
}

TEST(BlendPaths, PlainAlwaysThereAndBestIsSupported) {
    EXPECT_TRUE(Blend::PathSupported(Blend::Path::Plain));
    EXPECT_TRUE(Blend::PathSupported(Blend::BestPath()));
    EXPECT_EQ(Blend::GetPath(), Blend::BestPath());
#if defined(__x86_64__)
    EXPECT_TRUE(Blend::PathSupported(Blend::Path::Sse2));
    EXPECT_NE(Blend::BestPath(), Blend::Path::Plain);
#endif
    {
        PathScope plain(Blend::Path::Plain);
        ASSERT_TRUE(plain.ok);
        EXPECT_EQ(Blend::GetPath(), Blend::Path::Plain);
    }
    EXPECT_EQ(Blend::GetPath(), Blend::BestPath());
}

TEST(BlendPaths, RandomSpansMatchThePixelRule) {
    std::mt19937 rng(1234);
    const int modes[] = {0, 1, 7}; // anything but 1 draws normally
    for (Blend::Path path : FastPaths()) {
        PathScope scope(path);
        ASSERT_TRUE(scope.ok);
        for (int iter = 0; iter < 6000; ++iter) {
            int count = int(rng() % 71);
            int srcOff = int(rng() % 9), dstOff = int(rng() % 9);
            int mode = modes[rng() % 3];
            bool keeps = rng() & 1;
            int kind = int(rng() % 4);
            uint32_t mul = RandomTint(rng);
            std::vector<uint32_t> src(count + 16), dst(count + 16);
            for (auto& p : src) p = RandomPixel(rng, kind);
            for (auto& p : dst) p = RandomPixel(rng, int(rng() % 4));
            std::vector<uint32_t> expect = dst;
            bool fill = iter % 5 == 0;
            if (fill) {
                uint32_t color = RandomPixel(rng, kind);
                Blend::FillSpanPlain(expect.data() + dstOff, count, color, mode, keeps);
                Blend::FillSpan(dst.data() + dstOff, count, color, mode, keeps);
            } else {
                Blend::BlitSpanPlain(expect.data() + dstOff, src.data() + srcOff, count, mul, mode, keeps);
                Blend::BlitSpan(dst.data() + dstOff, src.data() + srcOff, count, mul, mode, keeps);
            }
            // Also checks that nothing before or after the span was touched.
            ASSERT_EQ(dst, expect) << Name(path) << " iter " << iter << " count " << count << " mode " << mode
                                   << " keeps " << keeps << " fill " << fill;
        }
    }
}

// Every source alpha against every destination alpha (the keeps-alpha
// divisions) and every channel against every multiplier, for each mode.
TEST(BlendPaths, AllAlphaAndMultiplierPairsMatchThePixelRule) {
    struct Case {
        int mode;
        bool keeps;
        bool tint;
    };
    const Case cases[] = {{0, false, false}, {0, true, false}, {1, false, false}, {1, true, false},
                          {0, false, true},  {0, true, true},  {1, true, true}};
    std::vector<uint32_t> src(256), dst(256), expect(256);
    for (Blend::Path path : FastPaths()) {
        PathScope scope(path);
        for (const Case& c : cases) {
            for (uint32_t outer = 0; outer < 256; ++outer) {
                // The tint sweeps the multiplier; the source sweeps the value.
                uint32_t mul = c.tint ? outer * 0x01010101u : 0xFFFFFFFFu;
                for (uint32_t i = 0; i < 256; ++i) {
                    uint32_t inner = (i * 37u + 11u) & 0xFF;
                    src[i] = c.tint ? i * 0x01010101u : (i << 24) | (inner << 16) | ((255 - inner) << 8) | (i ^ 0x5A);
                    dst[i] = c.tint ? 0x80336699u : (outer << 24) | (inner << 8) | (255 - i);
                }
                expect = dst;
                Blend::BlitSpanPlain(expect.data(), src.data(), 256, mul, c.mode, c.keeps);
                Blend::BlitSpan(dst.data(), src.data(), 256, mul, c.mode, c.keeps);
                ASSERT_EQ(dst, expect) << Name(path) << " mode " << c.mode << " keeps " << c.keeps << " tint "
                                       << c.tint << " outer " << outer;
                if (c.tint) continue;
                // Fills with each alpha over the destination row.
                for (uint32_t i = 0; i < 256; ++i) dst[i] = (i << 24) | (i * 0x010101u ^ 0x00A5C3u);
                expect = dst;
                uint32_t color = (outer << 24) | 0x40C080u;
                Blend::FillSpanPlain(expect.data(), 256, color, c.mode, c.keeps);
                Blend::FillSpan(dst.data(), 256, color, c.mode, c.keeps);
                ASSERT_EQ(dst, expect) << Name(path) << " fill mode " << c.mode << " keeps " << c.keeps << " alpha "
                                       << outer;
            }
        }
    }
}

// Whole rectangles in one call: row pitches differ, rows are independent and
// the pixels between them stay untouched.
TEST(BlendPaths, RowsMatchThePixelRule) {
    std::mt19937 rng(99);
    for (Blend::Path path : FastPaths()) {
        PathScope scope(path);
        for (int iter = 0; iter < 400; ++iter) {
            int count = int(rng() % 40), rows = int(rng() % 6);
            int dstPitch = count + int(rng() % 5), srcPitch = count + int(rng() % 5);
            int mode = int(rng() % 2);
            bool keeps = rng() & 1;
            uint32_t mul = RandomTint(rng);
            std::vector<uint32_t> src(size_t(srcPitch) * rows + 1), dst(size_t(dstPitch) * rows + 1);
            for (auto& p : src) p = RandomPixel(rng, 1);
            for (auto& p : dst) p = rng();
            std::vector<uint32_t> expect = dst;
            if (iter % 3 == 0) {
                for (int r = 0; r < rows; ++r)
                    Blend::FillSpanPlain(expect.data() + r * dstPitch, count, mul, mode, keeps);
                Blend::FillRows(dst.data(), dstPitch, count, rows, mul, mode, keeps);
            } else {
                for (int r = 0; r < rows; ++r)
                    Blend::BlitSpanPlain(expect.data() + r * dstPitch, src.data() + r * srcPitch, count, mul, mode,
                                         keeps);
                Blend::BlitRows(dst.data(), dstPitch, src.data(), srcPitch, count, rows, mul, mode, keeps);
            }
            ASSERT_EQ(dst, expect) << Name(path) << " iter " << iter;
        }
    }
}

TEST(BlendPaths, UnsupportedPathIsRefusedAndChangesNothing) {
    Blend::Path before = Blend::GetPath();
    for (Blend::Path p : {Blend::Path::Sse2, Blend::Path::Avx2, Blend::Path::Avx512}) {
        if (Blend::PathSupported(p)) continue;
        EXPECT_FALSE(Blend::SetPath(p));
        EXPECT_EQ(Blend::GetPath(), before);
    }
}
