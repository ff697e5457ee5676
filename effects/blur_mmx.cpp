// MMX rows of the blur stamps on the 16-bit kinds: four pixels per register,
// the strengths of their intensity bytes in 16-bit lanes, the fields mixed
// towards the colour as F::MixFields does.
#include <mmintrin.h>

#include "effects/mmx_rows.h"
#include "effects/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

namespace {

// Four intensity bytes into 16-bit lanes: packed, or the low bytes of four
// 16-bit pixels.
template <int kSrcBytes>
inline __m64 Intensities(const uint8_t *s) {
    if constexpr (kSrcBytes == 1) return _mm_unpacklo_pi8(mmx::Load32(s), _mm_setzero_si64());
    return _mm_and_si64(mmx::Load64(s), mmx::Words(0xFF));
}
template <int kSrcBytes>
inline __m64 IntensityTail(const uint8_t *s, int n) {
    if constexpr (kSrcBytes == 1) return _mm_unpacklo_pi8(_mm_cvtsi32_si64(int(LoadTail8(s, n))), _mm_setzero_si64());
    return _mm_and_si64(LoadTail16(s, n), mmx::Words(0xFF));
}

// min(floor(i * weight / 256), 255) with the weight clamped to 0..65280 and
// split into its bytes hi and lo: i * hi + floor(i * lo / 256) is below
// 65280, and any weight above 65280 already saturates every nonzero i.
struct Strengths {
    __m64 hi, lo;
    explicit Strengths(int weight) {
        const int w = weight < 0 ? 0 : (weight > 65280 ? 65280 : weight);
        hi = mmx::Words(w >> 8);
        lo = mmx::Words(w & 0xFF);
    }
    __m64 Of(__m64 i) const {
        const __m64 a = _mm_add_pi16(_mm_mullo_pi16(i, hi), _mm_srli_pi16(_mm_mullo_pi16(i, lo), 8));
        return _mm_sub_pi16(a, _mm_subs_pu16(a, mmx::Words(255)));
    }
};

// Four pixels at strengths a: 0 keeps the pixel, 255 takes the colour word.
template <class F>
inline __m64 Stamp4(__m64 d, __m64 a, __m64 colour, const mmx::Fields<F> &c) {
    const mmx::Fields<F> df = mmx::Split16<F>(d);
    const __m64 w = _mm_add_pi16(a, a);
    const __m64 mixed =
        mmx::Join16<F>(mmx::Fields<F>{WeighLanes(df.r, c.r, w), WeighLanes(df.g, c.g, w), WeighLanes(df.b, c.b, w)});
    const __m64 out = Select(_mm_cmpeq_pi16(a, mmx::Words(255)), colour, mixed);
    return Select(_mm_cmpeq_pi16(a, _mm_setzero_si64()), d, out);
}

template <class F, int kSrcBytes>
void StampRow(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight) {
    const Strengths st(weight);
    const __m64 cw = mmx::Words(int(colour));
    const mmx::Fields<F> c = mmx::Split16<F>(cw);
    int k = 0;
    for (; k + 4 <= n; k += 4)
        mmx::Store64(d + 2 * k,
                     Stamp4<F>(mmx::Load64(d + 2 * k), st.Of(Intensities<kSrcBytes>(s + kSrcBytes * k)), cw, c));
    if (k < n) {
        const int r = n - k;
        const __m64 a = st.Of(IntensityTail<kSrcBytes>(s + kSrcBytes * k, r));
        StoreTail16(d + 2 * k, Stamp4<F>(LoadTail16(d + 2 * k, r), a, cw, c), r);
    }
    _mm_empty();
}

}  // namespace

template <int kSrcBytes>
void StampRow_565_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight) {
    StampRow<Fmt565, kSrcBytes>(d, s, n, colour, weight);
}
template <int kSrcBytes>
void StampRow_555_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight) {
    StampRow<Fmt555, kSrcBytes>(d, s, n, colour, weight);
}
template <int kSrcBytes>
void StampRow_4444_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight) {
    StampRow<Fmt4444, kSrcBytes>(d, s, n, colour, weight);
}

template void StampRow_565_mmx<1>(uint8_t *, const uint8_t *, int, uint32_t, int);
template void StampRow_565_mmx<2>(uint8_t *, const uint8_t *, int, uint32_t, int);
template void StampRow_555_mmx<1>(uint8_t *, const uint8_t *, int, uint32_t, int);
template void StampRow_555_mmx<2>(uint8_t *, const uint8_t *, int, uint32_t, int);
template void StampRow_4444_mmx<1>(uint8_t *, const uint8_t *, int, uint32_t, int);
template void StampRow_4444_mmx<2>(uint8_t *, const uint8_t *, int, uint32_t, int);

}  // namespace blend
}  // namespace kv
