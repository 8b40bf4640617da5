#pragma once
// How stretched and turned drawing reads its source: one destination row at
// a time, nearest or bilinear. These scalar samplers are the rule; the wide
// drawing loops (BlendKernels) sample and compose in one pass and must give
// exactly the bytes of sampling a row here and then blending it. Image
// works out the geometry (which source lines and columns, where a turned
// row starts) and hands each row over as a StretchRow or TurnRow.
#include <cstddef>
#include <cstdint>

namespace Quill::Sampler {

// Bilinear mix of four texels, wx towards p10/p11 and wy towards p01/p11 in
// 1/256 steps. Where the texels' alphas differ, colours are weighted by
// alpha, so fully transparent texels (whatever colour they hide) do not
// darken the edges they border. On a texel centre it is the texel itself.
uint32_t Bilerp(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx, uint32_t wy);

// round(255 * 65536 / a) for a = 1..255 and 0 for a = 0: undoing the
// premultiplication of a colour channel c is min(255, (c * r + 32768) >> 16).
const uint32_t* UnpremultiplyTable();

// One destination row of a stretched picture.
struct StretchRow {
    const uint32_t* line0 = nullptr; // the source line (nearest) or the upper one (bilinear)
    const uint32_t* line1 = nullptr; // bilinear: the lower line
    const int32_t* colA = nullptr;   // per pixel: the source column (nearest) or the left texel
    const int32_t* colB = nullptr;   // bilinear: the right texel
    const int32_t* colW = nullptr;   // bilinear: the weight towards the right texel, 0..255
    uint32_t wy = 0;                 // bilinear: the weight towards the lower line, 0..255
    int count = 0;
    bool smooth = true;
    uint32_t* scratch = nullptr; // room for `count` pixels, for loops that sample into a row first
};

// One destination row of a turned picture. The source position of pixel i
// is (u + i * du, v + i * dv) in 16.16 fixed point relative to `texels`; for
// bilinear sampling it names the top-left texel of the four. Texels outside
// width x height are transparent.
struct TurnRow {
    const uint32_t* texels = nullptr;
    ptrdiff_t pitch = 0; // pixels from one source line to the next
    int32_t width = 0, height = 0;
    int64_t u = 0, v = 0, du = 0, dv = 0;
    int count = 0;
    bool smooth = true;
    uint32_t* scratch = nullptr; // as in StretchRow
};

// The samples of a row, into out[0..count).
void SampleStretchRow(const StretchRow& row, uint32_t* out);
void SampleTurnRow(const TurnRow& row, uint32_t* out);

} // namespace Quill::Sampler
