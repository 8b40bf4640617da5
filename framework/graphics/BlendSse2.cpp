// The span loops on SSE2, four pixels at a time. SSE2 is part of every
// x86-64, so this set is always there on such machines.
#include "framework/graphics/BlendKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#if defined(__clang__)
// Clang declares every intrinsic for its own instruction set, so only our
// functions below need the target, given to each by this region.
#include <emmintrin.h>
#pragma clang attribute push(__attribute__((target("sse2"))), apply_to = function)
#else
#pragma GCC target("sse2")
#include <emmintrin.h>
#endif

namespace Quill::Blend {
namespace {

struct V {
    using T = __m128i;
    static constexpr int N = 4;

    static T Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint32_t* p, T v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    // The first n (1..3) pixels; memory past them is never touched.
    static T LoadPartial(const uint32_t* p, int n) {
        T v = _mm_cvtsi32_si128(static_cast<int>(p[0]));
        if (n >= 2) v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        if (n == 3) v = _mm_unpacklo_epi64(v, _mm_cvtsi32_si128(static_cast<int>(p[2])));
        return v;
    }
    static void StorePartial(uint32_t* p, T v, int n) {
        if (n == 1) {
            p[0] = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
            return;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
        if (n == 3) p[2] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
    }
    static T Set1(uint32_t x) { return _mm_set1_epi32(static_cast<int>(x)); }
    static T Zero() { return _mm_setzero_si128(); }
    static T And(T a, T b) { return _mm_and_si128(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    // mask ? a : b, bit by bit.
    static T Select(T mask, T a, T b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
    static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
    static T Mullo16(T a, T b) { return _mm_mullo_epi16(a, b); }
    static T MulhiU16(T a, T b) { return _mm_mulhi_epu16(a, b); }
    static T Max16(T a, T b) { return _mm_max_epi16(a, b); }
    template <int n> static T Srli16(T a) { return _mm_srli_epi16(a, n); }
    template <int n> static T Srli32(T a) { return _mm_srli_epi32(a, n); }
    template <int n> static T Slli32(T a) { return _mm_slli_epi32(a, n); }
    static T CmpEq32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
    static T UnpackLo8(T a, T b) { return _mm_unpacklo_epi8(a, b); }
    static T UnpackHi8(T a, T b) { return _mm_unpackhi_epi8(a, b); }
    static T UnpackLo32(T a, T b) { return _mm_unpacklo_epi32(a, b); }
    static T UnpackHi32(T a, T b) { return _mm_unpackhi_epi32(a, b); }
    static T PackUs16(T a, T b) { return _mm_packus_epi16(a, b); }
    static T AddsU8(T a, T b) { return _mm_adds_epu8(a, b); }
    // Whether every pixel's alpha is 0, or every one 255.
    static bool AllAlphaZero(T a) {
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(a, Set1(0xFF000000u)), Zero())) == 0xFFFF;
    }
    static bool AllAlphaFull(T a) {
        T amask = Set1(0xFF000000u);
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(a, amask), amask)) == 0xFFFF;
    }
    // Each unpacked pixel's alpha lane copied to its four lanes.
    static T BroadcastAlpha16(T a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xFF), 0xFF); }
    // trunc(a / b) per 32-bit lane for a below 2^24 and b in 1..255; the
    // single-precision quotient is never off by enough to cross an integer.
    static T DivTrunc32(T a, T b) { return _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(a), _mm_cvtepi32_ps(b))); }

    // For the samplers.
    static T Set64(uint64_t x) { return _mm_set1_epi64x(static_cast<long long>(x)); }
    static T Iota() { return _mm_setr_epi32(0, 1, 2, 3); }
    static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
    static T Add32(T a, T b) { return _mm_add_epi32(a, b); }
    static T SubsU16(T a, T b) { return _mm_subs_epu16(a, b); }
    template <int n> static T Srai32(T a) { return _mm_srai_epi32(a, n); }
    template <int k> static T BroadcastLane16(T a) {
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, k * 0x55), k * 0x55);
    }
    static T CmpGt32(T a, T b) { return _mm_cmpgt_epi32(a, b); }
    static T Min32(T a, T b) { return Select(_mm_cmpgt_epi32(a, b), b, a); }
    static T Max32(T a, T b) { return Select(_mm_cmpgt_epi32(a, b), a, b); }
    // The low 32 bits of each product, from the two 64-bit products of the
    // even and the odd lanes.
    static T Mullo32(T a, T b) {
        T even = _mm_mul_epu32(a, b), odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
        return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, 0x08), _mm_shuffle_epi32(odd, 0x08));
    }
    static bool AllZero(T a) { return _mm_movemask_epi8(_mm_cmpeq_epi8(a, Zero())) == 0xFFFF; }
    // base[index] for each lane.
    static T Gather(const uint32_t* base, T index) {
        alignas(16) int32_t at[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
        return _mm_setr_epi32(static_cast<int>(base[at[0]]), static_cast<int>(base[at[1]]),
                              static_cast<int>(base[at[2]]), static_cast<int>(base[at[3]]));
    }
};

#include "framework/graphics/BlendKernels.inl"
#include "framework/graphics/SampleKernels.inl"

const SpanKernels kernels = {K::Blit, K::Fill, S::StretchRow, S::TurnRow};

} // namespace

const SpanKernels* Sse2Kernels() { return &kernels; }

} // namespace Quill::Blend

#if defined(__clang__)
#pragma clang attribute pop
#endif

#else

namespace Quill::Blend {
const SpanKernels* Sse2Kernels() { return nullptr; }
} // namespace Quill::Blend

#endif
