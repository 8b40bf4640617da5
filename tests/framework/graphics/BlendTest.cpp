// Every set of span loops against the per-pixel rule, bit for bit: random
// pixels, tints, modes, counts, alignments and row pitches, plus exhaustive
// sweeps over the alpha pairs where the divisions live.
#include "framework/graphics/Blend.h"
#include "framework/graphics/BlendTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace Quill;
using blendtest::FastPaths;
using blendtest::PathScope;
using blendtest::RandomPixel;
using blendtest::RandomTint;

// Single spans and whole rectangles: nothing before, after or between the
// rows is touched, and rows with different pitches stay independent.
TEST(BlendPaths, RandomSpansAndRowsMatchThePixelRule) {
    std::mt19937 rng(1234);
    const int modes[] = {0, 1, 7}; // anything but 1 draws normally
    for (Blend::Path path : FastPaths()) {
        PathScope scope(path);
        ASSERT_TRUE(scope.ok);
        for (int iter = 0; iter < 6000; ++iter) {
            const int count = int(rng() % 71), rows = iter % 4 ? 1 : int(rng() % 6);
            const int srcPitch = count + int(rng() % 9), dstPitch = count + int(rng() % 9);
            const int mode = modes[rng() % 3], kind = int(rng() % 4);
            const bool keeps = rng() & 1, fill = iter % 5 == 0;
            const uint32_t mul = RandomTint(rng), color = RandomPixel(rng, kind);
            std::vector<uint32_t> src(size_t(srcPitch) * 6 + 9), dst(size_t(dstPitch) * 6 + 9);
            for (auto& p : src) p = RandomPixel(rng, kind);
            for (auto& p : dst) p = RandomPixel(rng, int(rng() % 4));
            const int srcOff = int(rng() % 9), dstOff = int(rng() % 9);
            std::vector<uint32_t> expect = dst;
            uint32_t* d = dst.data() + dstOff;
            const uint32_t* s = src.data() + srcOff;
            for (int r = 0; r < rows; ++r) {
                if (fill)
                    Blend::FillSpanPlain(expect.data() + dstOff + r * dstPitch, count, color, mode, keeps);
                else
                    Blend::BlitSpanPlain(expect.data() + dstOff + r * dstPitch, s + r * srcPitch, count, mul, mode,
                                         keeps);
            }
            if (rows == 1 && fill)
                Blend::FillSpan(d, count, color, mode, keeps);
            else if (rows == 1)
                Blend::BlitSpan(d, s, count, mul, mode, keeps);
            else if (fill)
                Blend::FillRows(d, dstPitch, count, rows, color, mode, keeps);
            else
                Blend::BlitRows(d, dstPitch, s, srcPitch, count, rows, mul, mode, keeps);
            ASSERT_EQ(dst, expect) << Blend::PathName(path) << " iter " << iter << " count " << count << " rows "
                                   << rows << " mode " << mode << " keeps " << keeps << " fill " << fill;
        }
    }
}

// Every source alpha against every destination alpha (the keeps-alpha
// divisions) and every channel against every multiplier, for each mode.
TEST(BlendPaths, AllAlphaAndMultiplierPairsMatchThePixelRule) {
    struct Case {
        int mode;
        bool keeps, tint;
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
                ASSERT_EQ(dst, expect) << Blend::PathName(path) << " mode " << c.mode << " keeps " << c.keeps
                                       << " tint " << c.tint << " outer " << outer;
                if (c.tint) continue;
                // Fills with each alpha over the destination row.
                for (uint32_t i = 0; i < 256; ++i) dst[i] = (i << 24) | (i * 0x010101u ^ 0x00A5C3u);
                expect = dst;
                uint32_t color = (outer << 24) | 0x40C080u;
                Blend::FillSpanPlain(expect.data(), 256, color, c.mode, c.keeps);
                Blend::FillSpan(dst.data(), 256, color, c.mode, c.keeps);
                ASSERT_EQ(dst, expect) << Blend::PathName(path) << " fill mode " << c.mode << " keeps " << c.keeps
                                       << " alpha " << outer;
            }
        }
    }
}
