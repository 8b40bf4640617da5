#pragma once
// The span loops of one instruction set, as a table Blend dispatches through
// once per rectangle of rows. Each table lives in a file compiled for its
// instruction set; a table the build or the machine cannot offer is null.
#include "framework/graphics/Sampler.h"

#include <cstddef>
#include <cstdint>

namespace Quill::Blend {

struct SpanKernels {
    // `rows` rows of `count` pixels; pitches are in pixels.
    void (*blit)(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count, int rows,
                 uint32_t mul, int mode, bool destKeepsAlpha);
    void (*fill)(uint32_t* dst, ptrdiff_t dstPitch, int count, int rows, uint32_t color, int mode,
                 bool destKeepsAlpha);
    // One stretched or turned row sampled and composed onto dst[0..count).
    void (*stretch)(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul, int mode, bool destKeepsAlpha);
    void (*turn)(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul, int mode, bool destKeepsAlpha);
};

// Null when the build has no such loops (not an x86 compiler).
const SpanKernels* Sse2Kernels();
const SpanKernels* Avx2Kernels();
const SpanKernels* Avx512Kernels();

} // namespace Quill::Blend
