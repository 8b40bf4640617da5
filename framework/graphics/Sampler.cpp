#include "framework/graphics/Sampler.h"

namespace Quill::Sampler {

namespace {

// Two pixels' 0x00FF00FF lanes mixed by w / 256; no lane can carry into the next.
inline uint32_t LerpLanes(uint32_t a, uint32_t b, uint32_t w) { return ((a * (256 - w) + b * w) >> 8) & 0x00FF00FFu; }

// The four texels mixed by wx and wy, two channels at a time.
inline uint32_t Mix4(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx, uint32_t wy) {
    const uint32_t m = 0x00FF00FFu;
    uint32_t rb = LerpLanes(LerpLanes(p00 & m, p10 & m, wx), LerpLanes(p01 & m, p11 & m, wx), wy);
    uint32_t ag = LerpLanes(LerpLanes((p00 >> 8) & m, (p10 >> 8) & m, wx), LerpLanes((p01 >> 8) & m, (p11 >> 8) & m, wx),
                            wy);
    return rb | (ag << 8);
}

// Colour channels times alpha / 255, rounded; alpha kept.
inline uint32_t Premultiply(uint32_t p) {
    uint32_t a = p >> 24;
    uint32_t rb = (p & 0x00FF00FFu) * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t g = (p & 0x0000FF00u) * a + 0x00008000u;
    g = ((g + (g >> 8)) >> 8) & 0x0000FF00u;
    return (p & 0xFF000000u) | rb | g;
}

// 255 * 65536 / a, rounded, for undoing Premultiply without dividing; built
// at compile time, so drawing from static initialisers finds it ready.
struct Reciprocals {
    uint32_t of[256] = {};
    constexpr Reciprocals() {
        for (uint32_t a = 1; a < 256; ++a) of[a] = (255u * 65536u + a / 2) / a;
    }
};
constexpr Reciprocals reciprocals;

inline uint32_t Unpremultiply(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 0) return 0;
    if (a == 255) return p;
    uint32_t r = reciprocals.of[a], out = p & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t c = ((((p >> shift) & 0xFF) * r) + 32768) >> 16;
        out |= (c > 255 ? 255 : c) << shift;
    }
    return out;
}

} // namespace

uint32_t Bilerp(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx, uint32_t wy) {
    // On a texel centre the texel itself, exactly (the round trip through
    // premultiplied colours would lose bits).
    if ((wx | wy) == 0 || (p00 == p10 && p00 == p01 && p00 == p11)) return p00;
    uint32_t a = p00 >> 24;
    if (a == (p10 >> 24) && a == (p01 >> 24) && a == (p11 >> 24)) return a == 0 ? 0u : Mix4(p00, p10, p01, p11, wx, wy);
    return Unpremultiply(Mix4(Premultiply(p00), Premultiply(p10), Premultiply(p01), Premultiply(p11), wx, wy));
}

const uint32_t* UnpremultiplyTable() { return reciprocals.of; }

void SampleStretchRow(const StretchRow& row, uint32_t* out) {
    if (!row.smooth) {
        for (int i = 0; i < row.count; ++i) out[i] = row.line0[row.colA[i]];
        return;
    }
    for (int i = 0; i < row.count; ++i) {
        int32_t xa = row.colA[i], xb = row.colB[i];
        out[i] = Bilerp(row.line0[xa], row.line0[xb], row.line1[xa], row.line1[xb], uint32_t(row.colW[i]), row.wy);
    }
}

void SampleTurnRow(const TurnRow& row, uint32_t* out) {
    const int64_t sw = row.width, sh = row.height;
    const ptrdiff_t pitch = row.pitch;
    auto texel = [&](int64_t tx, int64_t ty) { return row.texels + ty * pitch + tx; };
    int64_t U = row.u, W = row.v;
    for (int i = 0; i < row.count; ++i, U += row.du, W += row.dv) {
        int64_t sx = U >> 16, sy = W >> 16; // floor
        if (!row.smooth) {
            out[i] = (sx >= 0 && sx < sw && sy >= 0 && sy < sh) ? *texel(sx, sy) : 0u;
            continue;
        }
        if (sx < -1 || sx >= sw || sy < -1 || sy >= sh) {
            out[i] = 0;
            continue;
        }
        uint32_t wx = uint32_t(U >> 8) & 255, wy = uint32_t(W >> 8) & 255;
        if (sx >= 0 && sx + 1 < sw && sy >= 0 && sy + 1 < sh) {
            const uint32_t* t0 = texel(sx, sy);
            const uint32_t* t1 = t0 + pitch;
            out[i] = Bilerp(t0[0], t0[1], t1[0], t1[1], wx, wy);
            continue;
        }
        // Texels outside the source rectangle are transparent: the turned
        // picture's edges fade out over one pixel.
        auto at = [&](int64_t tx, int64_t ty) -> uint32_t {
            if (tx < 0 || tx >= sw || ty < 0 || ty >= sh) return 0;
            return *texel(tx, ty);
        };
        out[i] = Bilerp(at(sx, sy), at(sx + 1, sy), at(sx, sy + 1), at(sx + 1, sy + 1), wx, wy);
    }
}

} // namespace Quill::Sampler
