// The span loops on AVX2, eight pixels at a time. This file alone is
// compiled for AVX2 (the pragmas below), and Blend calls into it only when the
// processor has it. It includes nothing with inline functions another file
// could share, so no AVX2 code leaks into the rest of the program.
#include "framework/graphics/BlendKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#if defined(__clang__)
// Clang declares every intrinsic for its own instruction set, so only our
// functions below need the target, given to each by this region.
#include <immintrin.h>
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#include <immintrin.h>
#endif

namespace Quill::Blend {
namespace {

// The 256-bit operations work within each 128-bit half, like the SSE2 ones;
// unpacking and packing pair up the same way, so the shared loops hold.
struct V {
    using T = __m256i;
    static constexpr int N = 8;

    static T Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(uint32_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    // The first n (1..7) pixels; masked lanes are neither read nor written.
    static T FirstLanes(int n) { return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)); }
    static T LoadPartial(const uint32_t* p, int n) {
        return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), FirstLanes(n));
    }
    static void StorePartial(uint32_t* p, T v, int n) {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), FirstLanes(n), v);
    }
    static T Set1(uint32_t x) { return _mm256_set1_epi32(static_cast<int>(x)); }
    static T Zero() { return _mm256_setzero_si256(); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T Select(T mask, T a, T b) { return _mm256_blendv_epi8(b, a, mask); }
    static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
    static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
    static T Mullo16(T a, T b) { return _mm256_mullo_epi16(a, b); }
    static T MulhiU16(T a, T b) { return _mm256_mulhi_epu16(a, b); }
    static T Max16(T a, T b) { return _mm256_max_epi16(a, b); }
    template <int n> static T Srli16(T a) { return _mm256_srli_epi16(a, n); }
    template <int n> static T Srli32(T a) { return _mm256_srli_epi32(a, n); }
    template <int n> static T Slli32(T a) { return _mm256_slli_epi32(a, n); }
    static T CmpEq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
    static T UnpackLo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
    static T UnpackHi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
    static T UnpackLo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
    static T UnpackHi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
    static T PackUs16(T a, T b) { return _mm256_packus_epi16(a, b); }
    static T AddsU8(T a, T b) { return _mm256_adds_epu8(a, b); }
    // Whether every pixel's alpha is 0, or every one 255.
    static bool AllAlphaZero(T a) { return _mm256_testz_si256(a, Set1(0xFF000000u)); }
    static bool AllAlphaFull(T a) { return _mm256_testc_si256(a, Set1(0xFF000000u)); }
    static T BroadcastAlpha16(T a) { return BroadcastLane16<3>(a); }
    static T DivTrunc32(T a, T b) {
        return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(a), _mm256_cvtepi32_ps(b)));
    }

    // For the samplers.
    static T Set64(uint64_t x) { return _mm256_set1_epi64x(static_cast<long long>(x)); }
    static T Iota() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
    static T Add32(T a, T b) { return _mm256_add_epi32(a, b); }
    static T SubsU16(T a, T b) { return _mm256_subs_epu16(a, b); }
    template <int n> static T Srai32(T a) { return _mm256_srai_epi32(a, n); }
    // 16-bit lane k of each pixel's four copied to all four, in one byte
    // shuffle (two word shuffles would cost twice the shuffle unit).
    template <int k> static T BroadcastLane16(T a) {
        constexpr uint64_t lo = 0x0001000100010001ull * (uint64_t(2 * k) | uint64_t(2 * k + 1) << 8);
        constexpr uint64_t hi = lo + 0x0808080808080808ull;
        const __m128i pattern = _mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo));
        return _mm256_shuffle_epi8(a, _mm256_broadcastsi128_si256(pattern));
    }
    static T CmpGt32(T a, T b) { return _mm256_cmpgt_epi32(a, b); }
    static T Min32(T a, T b) { return _mm256_min_epi32(a, b); }
    static T Max32(T a, T b) { return _mm256_max_epi32(a, b); }
    static T Mullo32(T a, T b) { return _mm256_mullo_epi32(a, b); }
    static bool AllZero(T a) { return _mm256_testz_si256(a, a); }
    // base[index] for each lane.
    static T Gather(const uint32_t* base, T index) {
        return _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), index, 4);
    }
};

#include "framework/graphics/BlendKernels.inl"
#include "framework/graphics/SampleKernels.inl"

const SpanKernels kernels = {K::Blit, K::Fill, S::StretchRow, S::TurnRow};

} // namespace

const SpanKernels* Avx2Kernels() { return &kernels; }

} // namespace Quill::Blend

#if defined(__clang__)
#pragma clang attribute pop
#endif

#else

namespace Quill::Blend {
const SpanKernels* Avx2Kernels() { return nullptr; }
} // namespace Quill::Blend

#endif
