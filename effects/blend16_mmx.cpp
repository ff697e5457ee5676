// MMX rows of the blend modes on the 16-bit kinds: four pixels per register,
// each field widened to eight bits in its own 16-bit lane (the channels the
// plain rows hand the mode), blended there and narrowed back.
#include <mmintrin.h>

#include "effects/blend_modes.h"
#include "effects/mmx_rows.h"
#include "effects/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

namespace {

using mmx::Fields;
using mmx::Words;

// floor(p / 255), exact for p in 0..65279 (every product the modes divide is
// at most 65025), without leaving unsigned 16-bit lanes.
inline __m64 Div255(__m64 p) { return _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(p, Words(1)), _mm_srli_pi16(p, 8)), 8); }

// Each mode on channels of 0..255 in 16-bit lanes. The high byte of a lane
// is 0, so the saturating byte operations saturate each channel at 255 or 0.
template <class M>
struct Op16;

template <>
struct Op16<Suma> {
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_adds_pu8(d, s); }
};
template <>
struct Op16<Resta> {
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_subs_pu8(d, s); }
};
template <>
struct Op16<Multiplica> {
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_srli_pi16(_mm_mullo_pi16(d, s), 8); }
};
template <>
struct Op16<Screen> {
    static __m64 Lanes(__m64 d, __m64 s) {
        const __m64 n = Words(0xFF);
        return _mm_xor_si64(Div255(_mm_mullo_pi16(_mm_xor_si64(d, n), _mm_xor_si64(s, n))), n);
    }
};
template <>
struct Op16<Lighten> {
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_adds_pu8(d, _mm_subs_pu8(s, d)); }
};
template <>
struct Op16<Darken> {
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_subs_pu8(d, _mm_subs_pu8(d, s)); }
};
// Both complemented operands are at most 127 above the threshold, as d is
// below it, so twice the product stays under 65536.
template <>
struct Op16<Superponer> {
    static __m64 Lanes(__m64 d, __m64 s) {
        const __m64 upper = _mm_and_si64(_mm_cmpgt_pi16(d, Words(127)), Words(0xFF));
        const __m64 p = _mm_mullo_pi16(_mm_xor_si64(d, upper), _mm_xor_si64(s, upper));
        return _mm_xor_si64(Div255(_mm_add_pi16(p, p)), upper);
    }
};

template <class M, class F>
inline Fields<F> Blend(const Fields<F> &d, const Fields<F> &s) {
    return Fields<F>{Op16<M>::Lanes(d.r, s.r), Op16<M>::Lanes(d.g, s.g), Op16<M>::Lanes(d.b, s.b)};
}

// Four source pixels over four destination pixels; pixels equal to the key
// in all 16 bits keep the destination.
template <class M, class F>
inline __m64 Keyed4(__m64 d, __m64 s, __m64 key) {
    const __m64 o = mmx::Join16Wide<F>(Blend<M>(mmx::Split16Wide<F>(d), mmx::Split16Wide<F>(s)));
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
