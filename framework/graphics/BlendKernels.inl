// The span loops over one vector width, shared by the SSE2 and AVX2 files.
// The including file defines `V` (the vector type and its operations, all
// on the instruction set it is compiled for) and includes this inside an
// anonymous namespace, so nothing here escapes its translation unit.
//
// Pixels are unpacked to 16-bit lanes, where every product of two bytes
// fits. Each step works on V::N pixels (fewer at the end of a row, through
// partial loads and stores) and gives exactly ComposePixel's bytes: the
// selects at the end restore the copy (alpha 255) and leave (alpha 0) cases
// that the blend formula alone would get wrong.

struct K {
    using T = typename V::T;

    // How the source is multiplied: not at all, alpha only (a white tint,
    // as fades use), or every channel.
    enum Tint { kNoTint, kAlphaTint, kFullTint };

    // t / 255 for t in 0..65535, per 16-bit lane: (t * 0x8081) >> 23.
    static T Div255(T t) { return V::template Srli16<7>(V::MulhiU16(t, V::Set1(0x80818081u))); }

    // Each channel times the multiplier's (m16: the multiplier unpacked), / 255.
    static T MultiplyAll(T s, T m16) {
        T z = V::Zero();
        T lo = Div255(V::Mullo16(V::UnpackLo8(s, z), m16));
        T hi = Div255(V::Mullo16(V::UnpackHi8(s, z), m16));
        return V::PackUs16(lo, hi);
    }

    // Only the alpha times ma / 255 (ma32: the multiplier's alpha per lane);
    // colour channels times 255 / 255 stay as they are.
    static T MultiplyAlpha(T s, T ma32) {
        T a = Div255(V::Mullo16(V::template Srli32<24>(s), ma32));
        return V::Or(V::And(s, V::Set1(0x00FFFFFFu)), V::template Slli32<24>(a));
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

    // One vector of pixels (the first n of them when Partial). Runs of fully
    // transparent sources are skipped and runs of opaque ones copied; both
    // give the rule's bytes.
    template <int Mode, bool KeepsAlpha, Tint TintKind, bool Partial>
    static void Step(uint32_t* dp, T s, T m, int n) {
        if (TintKind == kFullTint) s = MultiplyAll(s, m);
        if (TintKind == kAlphaTint) s = MultiplyAlpha(s, m);
        if (V::AllAlphaZero(s)) return;
        if (Mode != 1 && V::AllAlphaFull(s)) {
            Partial ? V::StorePartial(dp, s, n) : V::Store(dp, s);
            return;
        }
        T d = Partial ? V::LoadPartial(dp, n) : V::Load(dp);
        T r = Mode == 1 ? Add(s, d) : KeepsAlpha ? OverKeepingAlpha(s, d) : OverOpaque(s, d);
        Partial ? V::StorePartial(dp, r, n) : V::Store(dp, r);
    }

    // The multiplier as Step wants it for the tint kind.
    template <Tint TintKind> static T Multiplier(uint32_t mul) {
        return TintKind == kFullTint ? V::UnpackLo8(V::Set1(mul), V::Zero()) : V::Set1(mul >> 24);
    }

    // Step on a whole vector or on the first n pixels of one.
    template <int Mode, bool KeepsAlpha, Tint TintKind>
    static void StepSome(uint32_t* dp, T s, T m, int n) {
        if (n == V::N)
            Step<Mode, KeepsAlpha, TintKind, false>(dp, s, m, n);
        else
            Step<Mode, KeepsAlpha, TintKind, true>(dp, s, m, n);
    }

    template <int Mode, bool KeepsAlpha, Tint TintKind>
    static void BlitRows(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count,
                         int rows, uint32_t mul) {
        const T m = Multiplier<TintKind>(mul);
        const int whole = count - count % V::N, rest = count - whole;
        for (int r = 0; r < rows; ++r, dst += dstPitch, src += srcPitch) {
            for (int i = 0; i < whole; i += V::N)
                Step<Mode, KeepsAlpha, TintKind, false>(dst + i, V::Load(src + i), m, V::N);
            if (rest) Step<Mode, KeepsAlpha, TintKind, true>(dst + whole, V::LoadPartial(src + whole, rest), m, rest);
        }
    }

    template <int Mode, bool KeepsAlpha>
    static void FillRows(uint32_t* dst, ptrdiff_t dstPitch, int count, int rows, uint32_t color) {
        const T s = V::Set1(color), m = V::Zero();
        const int whole = count - count % V::N, rest = count - whole;
        for (int r = 0; r < rows; ++r, dst += dstPitch) {
            for (int i = 0; i < whole; i += V::N) Step<Mode, KeepsAlpha, kNoTint, false>(dst + i, s, m, V::N);
            if (rest) Step<Mode, KeepsAlpha, kNoTint, true>(dst + whole, s, m, rest);
        }
    }

    template <Tint TintKind>
    static void BlitTinted(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count,
                           int rows, uint32_t mul, int mode, bool keepsAlpha) {
        if (mode == 1)
            BlitRows<1, false, TintKind>(dst, dstPitch, src, srcPitch, count, rows, mul);
        else if (keepsAlpha)
            BlitRows<0, true, TintKind>(dst, dstPitch, src, srcPitch, count, rows, mul);
        else
            BlitRows<0, false, TintKind>(dst, dstPitch, src, srcPitch, count, rows, mul);
    }

    static void Blit(uint32_t* dst, ptrdiff_t dstPitch, const uint32_t* src, ptrdiff_t srcPitch, int count, int rows,
                     uint32_t mul, int mode, bool keepsAlpha) {
        if (mul == 0xFFFFFFFFu)
            BlitTinted<kNoTint>(dst, dstPitch, src, srcPitch, count, rows, mul, mode, keepsAlpha);
        else if ((mul & 0xFFFFFFu) == 0xFFFFFFu)
            BlitTinted<kAlphaTint>(dst, dstPitch, src, srcPitch, count, rows, mul, mode, keepsAlpha);
        else
            BlitTinted<kFullTint>(dst, dstPitch, src, srcPitch, count, rows, mul, mode, keepsAlpha);
    }

    static void Fill(uint32_t* dst, ptrdiff_t dstPitch, int count, int rows, uint32_t color, int mode,
                     bool keepsAlpha) {
        if (mode == 1)
            FillRows<1, false>(dst, dstPitch, count, rows, color);
        else if (keepsAlpha)
            FillRows<0, true>(dst, dstPitch, count, rows, color);
        else
            FillRows<0, false>(dst, dstPitch, count, rows, color);
    }
};
