#pragma once
// The pixel composition rules of the renderer, one row span at a time.
// ComposePixel is the reference rule; the span functions must give exactly
// the same bytes, whichever instruction set draws them.
//
// Multiplying by a colour gives s * m / 255 per channel, truncated. Normal
// mode, source alpha a after multiplying: 255 copies the source, 0 leaves the
// destination, otherwise each channel becomes (d * (256 - a) >> 8) +
// (s * a >> 8). A destination that keeps no alpha (the screen) becomes opaque;
// one that keeps alpha gets da + (255 - da) * a / 255 and the colour weight
// a * 255 / that. Additive mode adds s * a / 256 to each colour channel,
// saturating at 255, and leaves the destination alpha alone.
//
// The spans run on the widest loops the processor offers (chosen once at
// start-up); SetPath forces another set so tests can hold each one against
// the per-pixel rule. Stretched and turned rows are sampled (Sampler) and
// composed in the same loops.
#include "framework/graphics/Sampler.h"

#include <cstddef>
#include <cstdint>

namespace Quill::Blend {

// s' = s * m / 255 per channel (m = 0xFFFFFFFF leaves s unchanged).
uint32_t Multiply(uint32_t s, uint32_t m);
uint32_t ComposePixel(uint32_t d, uint32_t s, int mode, bool destKeepsAlpha);

// dst[i] = compose(dst[i], multiply(src[i], mul)) for i < count.
void BlitSpan(uint32_t* dst, const uint32_t* src, int count, uint32_t mul, int mode, bool destKeepsAlpha);
// dst[i] = compose(dst[i], color) for i < count.
void FillSpan(uint32_t* dst, int count, uint32_t color, int mode, bool destKeepsAlpha);

// The same for `rows` rows; pitches (pixels from one row to the next) may
// differ between destination and source. One dispatch for a whole image.
void BlitRows(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count, int rows,
              uint32_t mul, int mode, bool destKeepsAlpha);
void FillRows(uint32_t* dst, ptrdiff_t dstPitch, int count, int rows, uint32_t color, int mode, bool destKeepsAlpha);

// dst[i] = compose(dst[i], multiply(sample i of the row, mul)) for i < row.count.
void BlitStretchedRow(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul, int mode, bool destKeepsAlpha);
void BlitTurnedRow(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul, int mode, bool destKeepsAlpha);

// The same spans, pixel by pixel through ComposePixel, whatever path is set.
void BlitSpanPlain(uint32_t* dst, const uint32_t* src, int count, uint32_t mul, int mode, bool destKeepsAlpha);
void FillSpanPlain(uint32_t* dst, int count, uint32_t color, int mode, bool destKeepsAlpha);
// Sampled rows the same way: the row sampled into its scratch, then blended.
void BlitStretchedRowPlain(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul, int mode,
                           bool destKeepsAlpha);
void BlitTurnedRowPlain(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul, int mode, bool destKeepsAlpha);

// The sets of span loops.
enum class Path { Plain, Sse2, Avx2, Avx512 };

// Whether this build and this processor can run the path.
bool PathSupported(Path path);
// The widest supported path; the one in use unless SetPath chose another.
Path BestPath();
// Draws with `path` from now on; false (and no change) when unsupported.
bool SetPath(Path path);
Path GetPath();
// "plain", "sse2", "avx2" or "avx512".
const char* PathName(Path path);

} // namespace Quill::Blend
