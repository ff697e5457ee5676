// MMX rows of CreateShadow from 16-bit sources, four words at a time. A
// group with a hole reads its six taps as whole 8-byte loads when none of
// them would clamp; otherwise the group goes word by word as the plain rows
// do.
#include <mmintrin.h>

#include "filters/scale_mmx.h"
#include "filters/shadow.h"
#include "filters/simd.h"
#include "surface/mmx.h"

namespace kv {
namespace {

// A field of From bits on a scale of To bits, as To5 and From5 do it.
template <int From, int To>
inline __m64 Rescale(__m64 v) {
    if constexpr (From >= To)
        return _mm_srli_pi16(v, From - To);
    else
        return _mm_slli_pi16(v, To - From);
}

// Tap<F> of four words.
template <class F>
inline __m64 Taps4(const uint8_t *p) {
    const mmx::Fields<F> f = mmx::Split16<F>(mmx::Load64(p));
    return _mm_or_si64(_mm_or_si64(Rescale<F::kRBits, 5>(f.r), Rescale<F::kGBits, 5>(f.g)), Rescale<F::kBBits, 5>(f.b));
}

// Grey<F> of four values of 0..31.
template <class F>
inline __m64 Grey4(__m64 g) {
    return mmx::Join16<F>(mmx::Fields<F>{Rescale<5, F::kRBits>(g), Rescale<5, F::kGBits>(g), Rescale<5, F::kBBits>(g)});
}

template <class F, bool kScale>
void Rows(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    const __m64 zero = _mm_setzero_si64(), k = mmx::Words(int(j.m));
    const __m64 alpha = mmx::Words(int(~F::kRGBMask & 0xFFFFu));
    // Groups whose taps all read eight bytes inside the source.
    const ptrdiff_t lo = -j.minOff, hi = j.total - 8 - j.maxOff;
    for (int y = 0; y < h; ++y, d += dPitch) {
        const ptrdiff_t row = ptrdiff_t(y) * j.pitch;
        int x = 0;
        for (; x + 4 <= words; x += 4) {
            const ptrdiff_t q = row + 2 * x;
            __m64 v = mmx::Load64(j.src + q);
            const __m64 hole = _mm_cmpeq_pi16(v, zero);
            if (_mm_cvtsi64_si32(_mm_packs_pi16(hole, hole)) != 0) {
                if (q < lo || q > hi) {
                    for (int i = 0; i < 4; ++i) Store16(d + 2 * (x + i), ShadowWord<F>(j, q + 2 * i));
                    continue;
                }
                const uint8_t *s = j.src + q;
                const __m64 minus =
                    _mm_add_pi16(_mm_add_pi16(Taps4<F>(s + j.off[0]), Taps4<F>(s + j.off[1])), Taps4<F>(s + j.off[2]));
                const __m64 plus =
                    _mm_add_pi16(_mm_add_pi16(Taps4<F>(s + j.off[3]), Taps4<F>(s + j.off[4])), Taps4<F>(s + j.off[5]));
                // 2 (plus - minus) >> 4; at most 3 x 31 >> 3, so only 0 can
                // clip.
                __m64 g = _mm_srai_pi16(_mm_sub_pi16(plus, minus), 3);
                g = _mm_andnot_si64(_mm_srai_pi16(g, 15), g);
                v = _mm_or_si64(_mm_and_si64(hole, Grey4<F>(g)), _mm_andnot_si64(hole, v));
            }
            if (kScale) v = _mm_or_si64(_mm_and_si64(v, alpha), mmx::ScaleFields4<F>(v, k));
            mmx::Store64(d + 2 * x, v);
        }
        for (; x < words; ++x) Store16(d + 2 * x, ShadowWord<F>(j, row + 2 * x));
    }
    _mm_empty();
}

template <class F>
void ShadowRows16(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    if (j.scale)
        Rows<F, true>(j, d, dPitch, h, words);
    else
        Rows<F, false>(j, d, dPitch, h, words);
}

}  // namespace

void ShadowRows_565_mmx(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    ShadowRows16<Fmt565>(j, d, dPitch, h, words);
}
void ShadowRows_555_mmx(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    ShadowRows16<Fmt555>(j, d, dPitch, h, words);
}
void ShadowRows_4444_mmx(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    ShadowRows16<Fmt4444>(j, d, dPitch, h, words);
}

}  // namespace kv
