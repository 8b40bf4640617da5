#pragma once
// The span loops of one instruction set, as a table Blend dispatches through
// once per span. Each table lives in a file compiled for its instruction set;
// a table the build or the machine cannot offer is null.
#include <cstdint>

namespace Quill::Blend {

struct SpanKernels {
    void (*blit)(uint32_t* dst, const uint32_t* src, int count, uint32_t mul, int mode, bool destKeepsAlpha);
    void (*fill)(uint32_t* dst, int count, uint32_t color, int mode, bool destKeepsAlpha);
};

// Null when the build has no such loops (not an x86 compiler).
const SpanKernels* Sse2Kernels();
const SpanKernels* Avx2Kernels();

} // namespace Quill::Blend
