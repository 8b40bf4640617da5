// The span loops on AVX-512 (F and BW), sixteen pixels at a time. Like the
// AVX2 file, only this file is compiled for the instruction set, and Blend
// calls into it only when the processor has it.
#include "framework/graphics/BlendKernels.h"

#if defined(__x86_64__)
#if defined(__clang__)
// Clang declares every intrinsic for its own instruction set, so only our
// functions below need the target, given to each by this region.
#include <immintrin.h>
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw"))), apply_to = function)
#else
#pragma GCC target("avx512f,avx512bw")
// GCC 12's AVX-512 headers start many operations from a deliberately
// undefined register (`__Y = __Y`) and then warn about it once inlined.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#endif

namespace Quill::Blend {
namespace {

// Byte and word operations work within each 128-bit quarter, as on SSE2, so
// the shared loops hold. Comparisons give lane masks, turned back into
// vectors where the loops expect them.
struct V {
    using T = __m512i;
    static constexpr int N = 16;

    static T Load(const uint32_t* p) { return _mm512_loadu_si512(p); }
    static void Store(uint32_t* p, T v) { _mm512_storeu_si512(p, v); }
    // The first n (1..15) pixels; masked lanes are neither read nor written.
    static __mmask16 FirstLanes(int n) { return static_cast<__mmask16>((1u << n) - 1u); }
    static T LoadPartial(const uint32_t* p, int n) { return _mm512_maskz_loadu_epi32(FirstLanes(n), p); }
    static void StorePartial(uint32_t* p, T v, int n) { _mm512_mask_storeu_epi32(p, FirstLanes(n), v); }
    static T Set1(uint32_t x) { return _mm512_set1_epi32(static_cast<int>(x)); }
    static T Zero() { return _mm512_setzero_si512(); }
    static T And(T a, T b) { return _mm512_and_si512(a, b); }
    static T Or(T a, T b) { return _mm512_or_si512(a, b); }
    // mask ? a : b, bit by bit.
    static T Select(T mask, T a, T b) { return _mm512_ternarylogic_epi32(mask, a, b, 0xCA); }
    static T Add16(T a, T b) { return _mm512_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm512_sub_epi16(a, b); }
    static T Mullo16(T a, T b) { return _mm512_mullo_epi16(a, b); }
    static T MulhiU16(T a, T b) { return _mm512_mulhi_epu16(a, b); }
    static T Max16(T a, T b) { return _mm512_max_epi16(a, b); }
    template <int n> static T Srli16(T a) { return _mm512_srli_epi16(a, n); }
    template <int n> static T Srli32(T a) { return _mm512_srli_epi32(a, n); }
    template <int n> static T Slli32(T a) { return _mm512_slli_epi32(a, n); }
    static T CmpEq32(T a, T b) { return _mm512_maskz_mov_epi32(_mm512_cmpeq_epi32_mask(a, b), Set1(0xFFFFFFFFu)); }
    static T UnpackLo8(T a, T b) { return _mm512_unpacklo_epi8(a, b); }
    static T UnpackHi8(T a, T b) { return _mm512_unpackhi_epi8(a, b); }
    static T UnpackLo32(T a, T b) { return _mm512_unpacklo_epi32(a, b); }
    static T UnpackHi32(T a, T b) { return _mm512_unpackhi_epi32(a, b); }
    static T PackUs16(T a, T b) { return _mm512_packus_epi16(a, b); }
    static T AddsU8(T a, T b) { return _mm512_adds_epu8(a, b); }
    // Whether every pixel's alpha is 0, or every one 255.
    static bool AllAlphaZero(T a) { return _mm512_test_epi32_mask(a, Set1(0xFF000000u)) == 0; }
    static bool AllAlphaFull(T a) {
        T amask = Set1(0xFF000000u);
        return _mm512_cmpeq_epi32_mask(_mm512_and_si512(a, amask), amask) == 0xFFFF;
    }
    static T BroadcastAlpha16(T a) { return BroadcastLane16<3>(a); }
    // trunc(a / b) per 32-bit lane for a below 2^24 and b in 1..255.
    static T DivTrunc32(T a, T b) {
        return _mm512_cvttps_epi32(_mm512_div_ps(_mm512_cvtepi32_ps(a), _mm512_cvtepi32_ps(b)));
    }

    // For the samplers.
    static T Set64(uint64_t x) { return _mm512_set1_epi64(static_cast<long long>(x)); }
    static T Iota() { return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
    static T Xor(T a, T b) { return _mm512_xor_si512(a, b); }
    static T Add32(T a, T b) { return _mm512_add_epi32(a, b); }
    static T SubsU16(T a, T b) { return _mm512_subs_epu16(a, b); }
    template <int n> static T Srai32(T a) { return _mm512_srai_epi32(a, n); }
    // 16-bit lane k of each pixel's four copied to all four, in one byte
    // shuffle (two word shuffles would cost twice the shuffle unit).
    template <int k> static T BroadcastLane16(T a) {
        constexpr uint64_t lo = 0x0001000100010001ull * (uint64_t(2 * k) | uint64_t(2 * k + 1) << 8);
        constexpr uint64_t hi = lo + 0x0808080808080808ull;
        const __m128i pattern = _mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo));
        return _mm512_shuffle_epi8(a, _mm512_broadcast_i32x4(pattern));
    }
    static T CmpGt32(T a, T b) { return _mm512_maskz_mov_epi32(_mm512_cmpgt_epi32_mask(a, b), Set1(0xFFFFFFFFu)); }
    static T Min32(T a, T b) { return _mm512_min_epi32(a, b); }
    static T Max32(T a, T b) { return _mm512_max_epi32(a, b); }
    static T Mullo32(T a, T b) { return _mm512_mullo_epi32(a, b); }
    static bool AllZero(T a) { return _mm512_test_epi32_mask(a, a) == 0; }
    // base[index] for each lane.
    static T Gather(const uint32_t* base, T index) { return _mm512_i32gather_epi32(index, base, 4); }
};

#include "framework/graphics/BlendKernels.inl"
#include "framework/graphics/SampleKernels.inl"

const SpanKernels kernels = {K::Blit, K::Fill, S::StretchRow, S::TurnRow};

} // namespace

const SpanKernels* Avx512Kernels() { return &kernels; }

} // namespace Quill::Blend

#if defined(__clang__)
#pragma clang attribute pop
#endif

#else

namespace Quill::Blend {
const SpanKernels* Avx512Kernels() { return nullptr; }
} // namespace Quill::Blend

#endif
