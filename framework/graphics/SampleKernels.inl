// Stretched and turned rows on one vector width: the source is sampled and
// the samples composed in the same pass, V::N pixels at a time, giving
// exactly the bytes of Sampler's rows blended by K. Included after
// BlendKernels.inl, inside the same anonymous namespace, by the file that
// defines `V`.
//
// Bilinear mixing works on pixels unpacked to 16-bit lanes like the blend
// loops. Each vector computes the plain mix and, only where some pixel's
// four texels differ in alpha, the premultiplied one; selects then pick per
// pixel what Sampler::Bilerp picks. Source texels are gathered by index.

struct S {
    using T = typename V::T;

    // The blend variant a row is drawn with, as types for the dispatch below.
    template <int M, bool KA, K::Tint TK> struct Variant {
        static constexpr int kMode = M;
        static constexpr bool kKeepsAlpha = KA;
        static constexpr K::Tint kTint = TK;
    };

    // Calls f(Variant<...>{}) for the mode, destination and multiplier.
    template <int M, bool KA, class F> static void WithTint(uint32_t mul, F&& f) {
        if (mul == 0xFFFFFFFFu)
            f(Variant<M, KA, K::kNoTint>{});
        else if ((mul & 0xFFFFFFu) == 0xFFFFFFu)
            f(Variant<M, KA, K::kAlphaTint>{});
        else
            f(Variant<M, KA, K::kFullTint>{});
    }
    template <class F> static void WithVariant(uint32_t mul, int mode, bool keepsAlpha, F&& f) {
        if (mode == 1)
            WithTint<1, false>(mul, f);
        else if (keepsAlpha)
            WithTint<0, true>(mul, f);
        else
            WithTint<0, false>(mul, f);
    }

    // A weight per pixel (0..255 in each 32-bit lane) spread over the four
    // 16-bit channel lanes of the unpacked halves, with 256 minus it.
    struct Weights {
        T lo, hi, invLo, invHi;
    };
    static Weights Spread(T w32) {
        T w2 = V::Or(w32, V::template Slli32<16>(w32));
        T lo = V::UnpackLo32(w2, w2), hi = V::UnpackHi32(w2, w2);
        T full = V::Set1(0x01000100u);
        return {lo, hi, V::Sub16(full, lo), V::Sub16(full, hi)};
    }

    // (a * (256 - w) + b * w) >> 8 per 16-bit lane; the sum stays below 65536.
    static T Lerp16(T a, T b, T w, T inv) {
        return V::template Srli16<8>(V::Add16(V::Mullo16(a, inv), V::Mullo16(b, w)));
    }

    // Colour lanes times alpha / 255, rounded; the alpha lane is multiplied
    // by 255, which leaves it as it is.
    static T Premultiply16(T c) {
        T m = V::Or(V::template BroadcastLane16<3>(c), V::Set64(0x00FF000000000000ull));
        T t = V::Add16(V::Mullo16(c, m), V::Set1(0x00800080u));
        return V::template Srli16<8>(V::Add16(t, V::template Srli16<8>(t)));
    }

    template <bool Premultiplied> static void Unpack(T p, T& lo, T& hi) {
        lo = V::UnpackLo8(p, V::Zero());
        hi = V::UnpackHi8(p, V::Zero());
        if (Premultiplied) {
            lo = Premultiply16(lo);
            hi = Premultiply16(hi);
        }
    }

    // The four texels mixed across then down, per channel.
    template <bool Premultiplied>
    static T Mix4(T p00, T p10, T p01, T p11, const Weights& wx, const Weights& wy) {
        T a0, a1, b0, b1, c0, c1, d0, d1;
        Unpack<Premultiplied>(p00, a0, a1);
        Unpack<Premultiplied>(p10, b0, b1);
        Unpack<Premultiplied>(p01, c0, c1);
        Unpack<Premultiplied>(p11, d0, d1);
        T lo = Lerp16(Lerp16(a0, b0, wx.lo, wx.invLo), Lerp16(c0, d0, wx.lo, wx.invLo), wy.lo, wy.invLo);
        T hi = Lerp16(Lerp16(a1, b1, wx.hi, wx.invHi), Lerp16(c1, d1, wx.hi, wx.invHi), wy.hi, wy.invHi);
        return V::PackUs16(lo, hi);
    }

    // min(255, (c * r + 32768) >> 16) per colour channel with r from the
    // table by the pixel's alpha, in 16-bit pieces: r = rh * 65536 + rl.
    static T Unpremultiply16(T c, T r2) {
        T rl = V::template BroadcastLane16<0>(r2), rh = V::template BroadcastLane16<1>(r2);
        T x = V::Add16(V::Add16(V::Mullo16(c, rh), V::MulhiU16(c, rl)), V::template Srli16<15>(V::Mullo16(c, rl)));
        return V::Sub16(x, V::SubsU16(x, V::Set1(0x00FF00FFu)));
    }
    // r: the table's entry for each pixel's alpha.
    static T Unpremultiply(T p, T r) {
        T lo = Unpremultiply16(V::UnpackLo8(p, V::Zero()), V::UnpackLo32(r, r));
        T hi = Unpremultiply16(V::UnpackHi8(p, V::Zero()), V::UnpackHi32(r, r));
        T amask = V::Set1(0xFF000000u);
        return V::Or(V::And(V::PackUs16(lo, hi), V::Set1(0x00FFFFFFu)), V::And(p, amask));
    }

    // Sampler::Bilerp on every pixel; w32 are the weights per 32-bit lane.
    static T Bilerp(T p00, T p10, T p01, T p11, T wx32, T wy32, const Weights& wx, const Weights& wy,
                    const uint32_t* reciprocals) {
        T amask = V::Set1(0xFF000000u), zero = V::Zero();
        T differ = V::And(V::Or(V::Or(V::Xor(p00, p10), V::Xor(p00, p01)), V::Xor(p00, p11)), amask);
        T plain = Mix4<false>(p00, p10, p01, p11, wx, wy);
        // Equal alphas: the plain mix, or nothing where they are all 0.
        T out = V::Select(V::CmpEq32(V::And(p00, amask), zero), zero, plain);
        if (!V::AllZero(differ)) {
            // Weighting by alpha leaves the mixed alpha as the plain mix has
            // it, so the table is read first and its latency hides behind
            // the weighted mix.
            T r = V::Gather(reciprocals, V::template Srli32<24>(plain));
            T weighted = Unpremultiply(Mix4<true>(p00, p10, p01, p11, wx, wy), r);
            out = V::Select(V::CmpEq32(differ, zero), out, weighted);
        }
        T same = V::And(V::And(V::CmpEq32(p00, p10), V::CmpEq32(p00, p01)), V::CmpEq32(p00, p11));
        T centre = V::CmpEq32(V::Or(wx32, wy32), zero);
        return V::Select(V::Or(same, centre), p00, out);
    }

    static T LoadSome(const int32_t* p, int n) {
        const uint32_t* u = reinterpret_cast<const uint32_t*>(p);
        return n == V::N ? V::Load(u) : V::LoadPartial(u, n);
    }

    template <int Mode, bool KeepsAlpha, K::Tint TintKind>
    static void Stretch(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul) {
        // Held in locals: the stores through dst could otherwise alias the
        // row and make every pass read it again.
        const uint32_t *line0 = row.line0, *line1 = row.line1;
        const int32_t *colA = row.colA, *colB = row.colB, *colW = row.colW;
        const int count = row.count;
        const T m = K::template Multiplier<TintKind>(mul);
        if (!row.smooth) {
            for (int i = 0; i < count; i += V::N) {
                int n = count - i < V::N ? count - i : V::N;
                T s = V::Gather(line0, LoadSome(colA + i, n));
                K::template StepSome<Mode, KeepsAlpha, TintKind>(dst + i, s, m, n);
            }
            return;
        }
        const uint32_t* reciprocals = Sampler::UnpremultiplyTable();
        const T wy32 = V::Set1(row.wy);
        const Weights wy = Spread(wy32);
        for (int i = 0; i < count; i += V::N) {
            int n = count - i < V::N ? count - i : V::N;
            T xa = LoadSome(colA + i, n), xb = LoadSome(colB + i, n);
            T p00 = V::Gather(line0, xa), p10 = V::Gather(line0, xb);
            T p01 = V::Gather(line1, xa), p11 = V::Gather(line1, xb);
            // Four clear texels give a clear sample, which draws nothing.
            if (V::AllAlphaZero(V::Or(V::Or(p00, p10), V::Or(p01, p11)))) continue;
            T wx32 = LoadSome(colW + i, n);
            T s = Bilerp(p00, p10, p01, p11, wx32, wy32, Spread(wx32), wy, reciprocals);
            K::template StepSome<Mode, KeepsAlpha, TintKind>(dst + i, s, m, n);
        }
    }

    // The pixels i in [0, n) with lo <= a + i * d < hi, as [first, last).
    static void Span(int64_t a, int64_t d, int64_t lo, int64_t hi, int64_t n, int64_t& first, int64_t& last) {
        auto floorDiv = [](int64_t x, int64_t y) { // y > 0
            int64_t q = x / y;
            return (x % y != 0 && x < 0) ? q - 1 : q;
        };
        int64_t f = 0, l = n;
        if (d == 0) {
            if (a < lo || a >= hi) l = 0;
        } else if (d > 0) {
            f = -floorDiv(a - lo, d);         // ceil((lo - a) / d)
            l = floorDiv(hi - 1 - a, d) + 1;
        } else {
            f = floorDiv(a - hi, -d) + 1;
            l = floorDiv(a - lo, -d) + 1;
        }
        first = f > first ? f : first;
        last = l < last ? l : last;
    }

    static T Clamp32(T v, T lo, T hi) { return V::Min32(V::Max32(v, lo), hi); }

    // Positions stay in 32-bit lanes and texel indices below 2^31 only for
    // sources up to this side; larger ones are sampled a row at a time.
    static constexpr int32_t kMaxSide = 1 << 14;

    template <int Mode, bool KeepsAlpha, K::Tint TintKind>
    static void Turn(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul) {
        // Only the pixels whose position can reach a texel are drawn; the
        // others sample as clear and would draw nothing.
        const int64_t reach = row.smooth ? -65536 : 0;
        int64_t first = 0, last = row.count;
        Span(row.u, row.du, reach, int64_t(row.width) * 65536, row.count, first, last);
        Span(row.v, row.dv, reach, int64_t(row.height) * 65536, row.count, first, last);
        if (first >= last) return;
        const T m = K::template Multiplier<TintKind>(mul);
        const T lanes = V::Iota();
        T U = V::Add32(V::Set1(uint32_t(row.u + first * row.du)), V::Mullo32(lanes, V::Set1(uint32_t(row.du))));
        T W = V::Add32(V::Set1(uint32_t(row.v + first * row.dv)), V::Mullo32(lanes, V::Set1(uint32_t(row.dv))));
        const T stepU = V::Set1(uint32_t(row.du * V::N)), stepV = V::Set1(uint32_t(row.dv * V::N));
        const T zero = V::Zero(), pitch = V::Set1(uint32_t(row.pitch));
        const T maxX = V::Set1(uint32_t(row.width - 1)), maxY = V::Set1(uint32_t(row.height - 1));
        const uint32_t* reciprocals = Sampler::UnpremultiplyTable();
        const uint32_t* texels = row.texels;
        const bool smooth = row.smooth;
        for (int64_t i = first; i < last; i += V::N, U = V::Add32(U, stepU), W = V::Add32(W, stepV)) {
            int n = last - i < V::N ? int(last - i) : V::N;
            T sx = V::template Srai32<16>(U), sy = V::template Srai32<16>(W);
            if (!smooth) {
                // Inside the span every lane lies on the source; the lanes
                // past its end are held on it too and never drawn.
                T at = V::Add32(V::Mullo32(Clamp32(sy, zero, maxY), pitch), Clamp32(sx, zero, maxX));
                K::template StepSome<Mode, KeepsAlpha, TintKind>(dst + i, V::Gather(texels, at), m, n);
                continue;
            }
            // Texels off the source are transparent.
            T one = V::Set1(1u), minusOne = V::Set1(0xFFFFFFFFu);
            T x0 = Clamp32(sx, zero, maxX), x1 = Clamp32(V::Add32(sx, one), zero, maxX);
            T y0 = V::Mullo32(Clamp32(sy, zero, maxY), pitch);
            T y1 = V::Mullo32(Clamp32(V::Add32(sy, one), zero, maxY), pitch);
            T okX0 = V::CmpGt32(sx, minusOne), okX1 = V::CmpGt32(maxX, sx);
            T okY0 = V::CmpGt32(sy, minusOne), okY1 = V::CmpGt32(maxY, sy);
            T p00 = V::And(V::Gather(texels, V::Add32(y0, x0)), V::And(okX0, okY0));
            T p10 = V::And(V::Gather(texels, V::Add32(y0, x1)), V::And(okX1, okY0));
            T p01 = V::And(V::Gather(texels, V::Add32(y1, x0)), V::And(okX0, okY1));
            T p11 = V::And(V::Gather(texels, V::Add32(y1, x1)), V::And(okX1, okY1));
            if (V::AllAlphaZero(V::Or(V::Or(p00, p10), V::Or(p01, p11)))) continue;
            T byte = V::Set1(255u);
            T wx32 = V::And(V::template Srli32<8>(U), byte), wy32 = V::And(V::template Srli32<8>(W), byte);
            T s = Bilerp(p00, p10, p01, p11, wx32, wy32, Spread(wx32), Spread(wy32), reciprocals);
            K::template StepSome<Mode, KeepsAlpha, TintKind>(dst + i, s, m, n);
        }
    }

    // Whether a turned row fits the 32-bit lanes of Turn (and its start the
    // span arithmetic).
    static bool TurnFits(const Sampler::TurnRow& row) {
        const int64_t far = int64_t(1) << 50;
        return row.u > -far && row.u < far && row.v > -far && row.v < far && row.width <= kMaxSide &&
               row.height <= kMaxSide && row.pitch >= 0 &&
               int64_t(row.height - 1) * row.pitch + row.width <= INT32_MAX && row.du >= -65536 &&
               row.du <= 65536 && row.dv >= -65536 && row.dv <= 65536;
    }

    static void StretchRow(uint32_t* dst, const Sampler::StretchRow& row, uint32_t mul, int mode, bool keepsAlpha) {
        WithVariant(mul, mode, keepsAlpha, [&](auto variant) {
            using Var = decltype(variant);
            Stretch<Var::kMode, Var::kKeepsAlpha, Var::kTint>(dst, row, mul);
        });
    }

    static void TurnRow(uint32_t* dst, const Sampler::TurnRow& row, uint32_t mul, int mode, bool keepsAlpha) {
        if (!TurnFits(row)) {
            Sampler::SampleTurnRow(row, row.scratch);
            K::Blit(dst, 0, row.scratch, 0, row.count, 1, mul, mode, keepsAlpha);
            return;
        }
        WithVariant(mul, mode, keepsAlpha, [&](auto variant) {
            using Var = decltype(variant);
            Turn<Var::kMode, Var::kKeepsAlpha, Var::kTint>(dst, row, mul);
        });
    }
};
