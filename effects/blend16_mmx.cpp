// MMX rows of the blend modes on the 16-bit kinds: four pixels per register,
// each field widened to eight bits in its own 16-bit lane (the channels the
// plain rows hand the mode), blended there and narrowed back.
#include <mmintrin.h>

#include "effects/blend_modes.h"
#include "effects/blend_ops_mmx.h"
#include "effects/mmx_rows.h"
#include "effects/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

namespace {

using mmx::Fields;
using mmx::Words;

template <class M, class F>
inline Fields<F> Blend(const Fields<F> &d, const Fields<F> &s) {
    return Fields<F>{Op<M>::Narrow(d.r, s.r), Op<M>::Narrow(d.g, s.g), Op<M>::Narrow(d.b, s.b)};
}

// The modes without kLanes work byte by byte, so two registers carry the
// three widened fields: red in the high bytes and green in the low bytes of
// one, blue in the high bytes of the other, whose low bytes stay 0.
template <class F>
struct Bytes16 {
    static_assert(F::kBShift == 0, "blue is the lowest field");
    static constexpr int kRUp = 16 - F::kRBits - F::kRShift;
    static constexpr int kRHigh = ((1 << F::kRBits) - 1) << (16 - F::kRBits);
    __m64 rg, b;

    explicit Bytes16(__m64 v)
        : rg(_mm_or_si64(_mm_and_si64(mmx::ShiftWords<kRUp>(v), Words(kRHigh)),
                         mmx::WidenField<F::kGBits, F::kGShift>(v))),
          b(_mm_slli_pi16(v, 16 - F::kBBits)) {}
    Bytes16(__m64 rgv, __m64 bv) : rg(rgv), b(bv) {}
    __m64 Join() const {
        return _mm_or_si64(_mm_or_si64(mmx::ShiftWords<-kRUp>(_mm_and_si64(rg, Words(kRHigh))),
                                       mmx::NarrowField<F::kGBits, F::kGShift>(rg)),
                           _mm_srli_pi16(b, 16 - F::kBBits));
    }
};

// Four source pixels over four destination pixels; pixels equal to the key
// in all 16 bits keep the destination.
template <class M, class F>
inline __m64 Keyed4(__m64 d, __m64 s, __m64 key) {
    __m64 o;
    if constexpr (!Op<M>::kLanes) {
        const Bytes16<F> db(d), sb(s);
        o = Bytes16<F>(Op<M>::Apply(db.rg, sb.rg), Op<M>::Apply(db.b, sb.b)).Join();
    } else {
        o = mmx::Join16Wide<F>(Blend<M>(mmx::Split16Wide<F>(d), mmx::Split16Wide<F>(s)));
    }
    return Select(_mm_cmpeq_pi16(s, key), d, o);
}

// On widened channels whose low bits are 0 the narrowed mean is exactly the
// field-wise one F::MixFields takes at the fields' own widths.
template <int kBits>
inline __m64 WeighField(__m64 d, __m64 o, __m64 w) {
    return WeighLanes(d, _mm_and_si64(o, Words(((1 << kBits) - 1) << (8 - kBits))), w);
}

// Four pixels blended with widened operand s and weighted by mask bytes a
// (one per lane); mask 0 keeps the destination, alpha bits included.
template <class M, class F>
inline __m64 Weighted4(__m64 d, const Fields<F> &s, __m64 a) {
    const Fields<F> dw = mmx::Split16Wide<F>(d);
    const Fields<F> o = Blend<M>(dw, s);
    const __m64 w = _mm_add_pi16(a, a);
    const __m64 out = mmx::Join16Wide<F>(Fields<F>{
        WeighField<F::kRBits>(dw.r, o.r, w), WeighField<F::kGBits>(dw.g, o.g, w), WeighField<F::kBBits>(dw.b, o.b, w)});
    return Select(_mm_cmpeq_pi16(a, _mm_setzero_si64()), d, out);
}

template <class M, class F>
void SourceRow(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    const __m64 k = Words(int(key & 0xFFFF));
    int x = 0;
    for (; x + 4 <= w; x += 4) mmx::Store64(d + 2 * x, Keyed4<M, F>(mmx::Load64(d + 2 * x), mmx::Load64(s + 2 * x), k));
    if (x < w) {
        const int n = w - x;
        StoreTail16(d + 2 * x, Keyed4<M, F>(LoadTail16(d + 2 * x, n), LoadTail16(s + 2 * x, n), k), n);
    }
    _mm_empty();
}

// The colour and masked forms: the second operand is the constant colour
// (kColour) or the source row.
template <class M, class F, bool kColour>
void WeightedRow(uint8_t *d, const uint8_t *s, uint32_t colour, const uint8_t *m, int w) {
    const Fields<F> c = mmx::Split16Wide<F>(Words(int(colour)));
    // Pixels at.. at + n - 1; s is not touched in the colour form.
    const auto group = [&](__m64 dv, int at, int n, uint32_t mw) {
        const __m64 a = _mm_unpacklo_pi8(_mm_cvtsi32_si64(int(mw)), _mm_setzero_si64());
        if constexpr (kColour) return Weighted4<M, F>(dv, c, a);
        const uint8_t *sp = s + 2 * at;
        return Weighted4<M, F>(dv, mmx::Split16Wide<F>(n == 4 ? mmx::Load64(sp) : LoadTail16(sp, n)), a);
    };
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const uint32_t mw = Load32(m + x);
        if (mw != 0) mmx::Store64(d + 2 * x, group(mmx::Load64(d + 2 * x), x, 4, mw));
    }
    if (x < w) {
        const int n = w - x;
        const uint32_t mw = LoadTail8(m + x, n);
        if (mw != 0) StoreTail16(d + 2 * x, group(LoadTail16(d + 2 * x, n), x, n, mw), n);
    }
    _mm_empty();
}

}  // namespace

KV_BLEND_ROWS_MMX_DEFINE(565, Fmt565)
KV_BLEND_ROWS_MMX_DEFINE(555, Fmt555)
KV_BLEND_ROWS_MMX_DEFINE(4444, Fmt4444)

}  // namespace blend
}  // namespace kv
