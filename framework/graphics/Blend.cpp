#include "framework/graphics/Blend.h"

#include "framework/graphics/BlendKernels.h"
#include "framework/graphics/CpuFeatures.h"

#include <atomic>

namespace Quill::Blend {

uint32_t Multiply(uint32_t s, uint32_t m) {
    if (m == 0xFFFFFFFFu) return s;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t c = ((s >> shift) & 0xFF) * ((m >> shift) & 0xFF) / 255;
        out |= c << shift;
    }
    return out;
}

uint32_t ComposePixel(uint32_t d, uint32_t s, int mode, bool destKeepsAlpha) {
    uint32_t a = s >> 24;
    if (mode == 1) { // additive
        uint32_t out = d & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            uint32_t c = ((d >> shift) & 0xFF) + ((s >> shift) & 0xFF) * a / 256;
            out |= (c > 255 ? 255 : c) << shift;
        }
        return out;
    }
    if (a == 255) return s;
    if (a == 0) return d;
    uint32_t outAlpha = 255, weight = a;
    if (destKeepsAlpha) {
        // outAlpha >= a >= 1, so the weight is at most 255.
        uint32_t da = d >> 24;
        outAlpha = da + (255 - da) * a / 255;
        weight = a * 255 / outAlpha;
    }
    uint32_t out = outAlpha << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t c = ((((d >> shift) & 0xFF) * (256 - weight)) >> 8) + ((((s >> shift) & 0xFF) * weight) >> 8);
        out |= c << shift;
    }
    return out;
}

void BlitSpanPlain(uint32_t* dst, const uint32_t* src, int count, uint32_t mul, int mode, bool destKeepsAlpha) {
    for (int i = 0; i < count; ++i) dst[i] = ComposePixel(dst[i], Multiply(src[i], mul), mode, destKeepsAlpha);
}

void FillSpanPlain(uint32_t* dst, int count, uint32_t color, int mode, bool destKeepsAlpha) {
    for (int i = 0; i < count; ++i) dst[i] = ComposePixel(dst[i], color, mode, destKeepsAlpha);
}

void BlitStretchedRowPlain(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul, int mode,
                           bool destKeepsAlpha) {
    Sampler::SampleStretchRow(row, row.scratch);
    BlitSpanPlain(dst, row.scratch, row.count, mul, mode, destKeepsAlpha);
}

void BlitTurnedRowPlain(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul, int mode, bool destKeepsAlpha) {
    Sampler::SampleTurnRow(row, row.scratch);
    BlitSpanPlain(dst, row.scratch, row.count, mul, mode, destKeepsAlpha);
}

namespace {

void BlitRowsPlain(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count, int rows,
                   uint32_t mul, int mode, bool destKeepsAlpha) {
    for (int r = 0; r < rows; ++r, dst += dstPitch, src += srcPitch)
        BlitSpanPlain(dst, src, count, mul, mode, destKeepsAlpha);
}

void FillRowsPlain(uint32_t* dst, ptrdiff_t dstPitch, int count, int rows, uint32_t color, int mode,
                   bool destKeepsAlpha) {
    for (int r = 0; r < rows; ++r, dst += dstPitch) FillSpanPlain(dst, count, color, mode, destKeepsAlpha);
}

const SpanKernels plainKernels = {BlitRowsPlain, FillRowsPlain, BlitStretchedRowPlain, BlitTurnedRowPlain};

const SpanKernels* KernelsOf(Path path) {
    switch (path) {
    case Path::Sse2:
        return CpuFeatures::HasSse2() ? Sse2Kernels() : nullptr;
    case Path::Avx2:
        return CpuFeatures::HasAvx2() ? Avx2Kernels() : nullptr;
    case Path::Avx512:
        return CpuFeatures::HasAvx512Bw() ? Avx512Kernels() : nullptr;
    case Path::Plain:
        break;
    }
    return &plainKernels;
}

Path Widest() {
    if (KernelsOf(Path::Avx512)) return Path::Avx512;
    if (KernelsOf(Path::Avx2)) return Path::Avx2;
    if (KernelsOf(Path::Sse2)) return Path::Sse2;
    return Path::Plain;
}

struct Active {
    std::atomic<const SpanKernels*> kernels;
    std::atomic<Path> path;
    Active() : kernels(KernelsOf(Widest())), path(Widest()) {}
};

// Built on first use, so drawing from static initialisers is safe too.
Active& Current() {
    static Active active;
    return active;
}

} // namespace

void BlitRows(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count, int rows,
              uint32_t mul, int mode, bool destKeepsAlpha) {
    if (count <= 0 || rows <= 0) return;
    Current().kernels.load(std::memory_order_relaxed)->blit(dst, dstPitch, src, srcPitch, count, rows, mul, mode,
                                                            destKeepsAlpha);
}

void FillRows(uint32_t* dst, ptrdiff_t dstPitch, int count, int rows, uint32_t color, int mode, bool destKeepsAlpha) {
    if (count <= 0 || rows <= 0) return;
    Current().kernels.load(std::memory_order_relaxed)->fill(dst, dstPitch, count, rows, color, mode, destKeepsAlpha);
}

void BlitStretchedRow(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul, int mode, bool destKeepsAlpha) {
    if (row.count <= 0) return;
    Current().kernels.load(std::memory_order_relaxed)->stretch(dst, row, mul, mode, destKeepsAlpha);
}

void BlitTurnedRow(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul, int mode, bool destKeepsAlpha) {
    if (row.count <= 0) return;
    Current().kernels.load(std::memory_order_relaxed)->turn(dst, row, mul, mode, destKeepsAlpha);
}

void BlitSpan(uint32_t* dst, const uint32_t* src, int count, uint32_t mul, int mode, bool destKeepsAlpha) {
    BlitRows(dst, 0, src, 0, count, 1, mul, mode, destKeepsAlpha);
}

void FillSpan(uint32_t* dst, int count, uint32_t color, int mode, bool destKeepsAlpha) {
    FillRows(dst, 0, count, 1, color, mode, destKeepsAlpha);
}

bool PathSupported(Path path) { return KernelsOf(path) != nullptr; }

Path BestPath() { return Widest(); }

bool SetPath(Path path) {
    const SpanKernels* k = KernelsOf(path);
    if (!k) return false;
    Current().kernels = k;
    Current().path = path;
    return true;
}

Path GetPath() { return Current().path; }

const char* PathName(Path path) {
    switch (path) {
    case Path::Sse2:
        return "sse2";
    case Path::Avx2:
        return "avx2";
    case Path::Avx512:
        return "avx512";
    case Path::Plain:
        break;
    }
    return "plain";
}

} // namespace Quill::Blend
