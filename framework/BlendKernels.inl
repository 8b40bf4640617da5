// The span loops over one vector width, shared by the SSE2 and AVX2 files.
// The including file defines `V` (the vector type and its operations, all
// on the instruction set it is compiled for) and includes this inside an
// anonymous namespace, so nothing here escapes its translation unit.
//
// Pixels are unpacked to 16-bit lanes, where every product of two bytes
// fits. Each step works on V::N pixels and gives exactly ComposePixel's
// bytes: the selects at the end restore the copy (alpha 255) and leave
// (alpha 0) cases that the blend formula alone would get wrong.

struct K {
    using T = typename V::T;

    // t / 255 for t in 0..65025, per 16-bit lane.
    static T Div255(T t) {
        return V::template Srli16<8>(V::Add16(V::Add16(t, V::Set1(0x00010001u)), V::template Srli16<8>(t)));
    }

    // Each channel times the multiplier's (m16: the multiplier unpacked), / 255.
    static T Multiply(T s, T m16) {
        T z = V::Zero();
        T lo = Div255(V::Mullo16(V::UnpackLo8(s, z), m16));
        T hi = Div255(V::Mullo16(V::UnpackHi8(s, z), m16));
        return V::PackUs16(lo, hi);
    }

    // (d * (256 - w) >> 8) + (s * w >> 8) per 16-bit lane.
    static T Mix16(T d16, T s16, T w16) {
        T inv = V::Sub16(V::Set1(0x01000100u), w16);
        return V::Add16(V::template Srli16<8>(V::Mullo16(d16, inv)), V::template Srli16<8>(V::Mullo16(s16, w16)));
    }

    // Normal mode on the copy/leave cases: alpha 255 gives s, alpha 0 gives d.
    static T CopyOrLeave(T s, T d, T mixed) {
        T amask = V::Set1(0xFF000000u);
        T sa = V::And(s, amask);
        mixed = V::Select(V::CmpEq32(sa, amask), s, mixed);
        return V::Select(V::CmpEq32(sa, V::Zero()), d, mixed);
    }

    // Normal mode onto a destination that becomes opaque.
    static T OverOpaque(T s, T d) {
        T z = V::Zero();
        T slo = V::UnpackLo8(s, z), shi = V::UnpackHi8(s, z);
        T lo = Mix16(V::UnpackLo8(d, z), slo, V::BroadcastAlpha16(slo));
        T hi = Mix16(V::UnpackHi8(d, z), shi, V::BroadcastAlpha16(shi));
        return CopyOrLeave(s, d, V::Or(V::PackUs16(lo, hi), V::Set1(0xFF000000u)));
    }

    // Normal mode onto a destination that keeps its alpha: the new alpha is
    // da + (255 - da) * a / 255 and the colour weight a * 255 / new alpha.
    static T OverKeepingAlpha(T s, T d) {
        T z = V::Zero();
        T sa = V::template Srli32<24>(s), da = V::template Srli32<24>(d);
        // Both products stay below 65536, in the low half of each 32-bit lane.
        T outA = V::Add16(da, Div255(V::Mullo16(V::Sub16(V::Set1(255u), da), sa)));
        T weight = V::DivTrunc32(V::Mullo16(sa, V::Set1(255u)), V::Max16(outA, V::Set1(1u)));
        T w2 = V::Or(weight, V::template Slli32<16>(weight));
        T lo = Mix16(V::UnpackLo8(d, z), V::UnpackLo8(s, z), V::UnpackLo32(w2, w2));
        T hi = Mix16(V::UnpackHi8(d, z), V::UnpackHi8(s, z), V::UnpackHi32(w2, w2));
        T mixed = V::Or(V::And(V::PackUs16(lo, hi), V::Set1(0x00FFFFFFu)), V::template Slli32<24>(outA));
        return CopyOrLeave(s, d, mixed);
    }

    // Additive: min(255, d + s * a / 256) per colour channel, alpha kept.
    static T Add(T s, T d) {
        T z = V::Zero();
        T slo = V::UnpackLo8(s, z), shi = V::UnpackHi8(s, z);
        T lo = V::template Srli16<8>(V::Mullo16(slo, V::BroadcastAlpha16(slo)));
        T hi = V::template Srli16<8>(V::Mullo16(shi, V::BroadcastAlpha16(shi)));
        return V::AddsU8(d, V::And(V::PackUs16(lo, hi), V::Set1(0x00FFFFFFu)));
    }

    static bool AllAlpha(T s, uint32_t alpha) {
        T amask = V::Set1(0xFF000000u);
        return V::MoveMask8(V::CmpEq32(V::And(s, amask), V::Set1(alpha << 24))) == V::kFullMask;
    }

    // One vector of pixels. Runs of fully transparent sources are skipped and
    // runs of opaque ones copied; both give the rule's bytes.
    template <int Mode, bool KeepsAlpha, bool Tint>
    static void Step(uint32_t* dp, T s, T m16) {
        if (Tint) s = Multiply(s, m16);
        if (AllAlpha(s, 0)) return;
        if (Mode == 1) {
            V::Store(dp, Add(s, V::Load(dp)));
            return;
        }
        if (AllAlpha(s, 255)) {
            V::Store(dp, s);
            return;
        }
        T d = V::Load(dp);
        V::Store(dp, KeepsAlpha ? OverKeepingAlpha(s, d) : OverOpaque(s, d));
    }

    template <int Mode, bool KeepsAlpha, bool Tint>
    static void BlitRun(uint32_t* dst, const uint32_t* src, int count, uint32_t mul) {
        const T m16 = V::UnpackLo8(V::Set1(mul), V::Zero());
        int i = 0;
        for (; i + V::N <= count; i += V::N) Step<Mode, KeepsAlpha, Tint>(dst + i, V::Load(src + i), m16);
        if (i == count) return;
        // The last few pixels go through the same vector step in a padded copy.
        uint32_t sbuf[V::N] = {}, dbuf[V::N] = {};
        int rest = count - i;
        for (int k = 0; k < rest; ++k) {
            sbuf[k] = src[i + k];
            dbuf[k] = dst[i + k];
        }
        Step<Mode, KeepsAlpha, Tint>(dbuf, V::Load(sbuf), m16);
        for (int k = 0; k < rest; ++k) dst[i + k] = dbuf[k];
    }

    template <int Mode, bool KeepsAlpha>
    static void FillRun(uint32_t* dst, int count, uint32_t color) {
        const T s = V::Set1(color), m16 = V::Zero();
        int i = 0;
        for (; i + V::N <= count; i += V::N) Step<Mode, KeepsAlpha, false>(dst + i, s, m16);
        if (i == count) return;
        uint32_t dbuf[V::N] = {};
        int rest = count - i;
        for (int k = 0; k < rest; ++k) dbuf[k] = dst[i + k];
        Step<Mode, KeepsAlpha, false>(dbuf, s, m16);
        for (int k = 0; k < rest; ++k) dst[i + k] = dbuf[k];
    }

    static void Blit(uint32_t* dst, const uint32_t* src, int count, uint32_t mul, int mode, bool keepsAlpha) {
        bool tint = mul != 0xFFFFFFFFu;
        if (mode == 1) {
            tint ? BlitRun<1, false, true>(dst, src, count, mul) : BlitRun<1, false, false>(dst, src, count, mul);
        } else if (keepsAlpha) {
            tint ? BlitRun<0, true, true>(dst, src, count, mul) : BlitRun<0, true, false>(dst, src, count, mul);
        } else {
            tint ? BlitRun<0, false, true>(dst, src, count, mul) : BlitRun<0, false, false>(dst, src, count, mul);
        }
    }

    static void Fill(uint32_t* dst, int count, uint32_t color, int mode, bool keepsAlpha) {
        if (mode == 1)
            FillRun<1, false>(dst, count, color);
        else if (keepsAlpha)
            FillRun<0, true>(dst, count, color);
        else
            FillRun<0, false>(dst, count, color);
    }
};
