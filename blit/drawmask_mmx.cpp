// MMX rows of DrawMask on the 16-bit kinds. A value m mixes the colour in as
// d + floor((c - d) * m / 256) per field, the same as the plain mean; pmulhw
// gives that floor exactly from four times the difference against m << 6.
#include <mmintrin.h>
#include <string.h>

#include "blit/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace {

// Four pixels d towards the colour's fields c at weights w (0..255 per
// lane); lanes of weight 0 keep their whole word, alpha bits included.
template <class F>
inline __m64 MaskMix4(__m64 d, __m64 w, const mmx::Fields<F> &c) {
    const __m64 w6 = _mm_slli_pi16(w, 6);
    mmx::Fields<F> f = mmx::Split16<F>(d);
    f.r = _mm_add_pi16(f.r, _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(c.r, f.r), 2), w6));
    f.g = _mm_add_pi16(f.g, _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(c.g, f.g), 2), w6));
    f.b = _mm_add_pi16(f.b, _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(c.b, f.b), 2), w6));
    const __m64 keep = _mm_cmpeq_pi16(w, _mm_setzero_si64());
    return _mm_or_si64(_mm_and_si64(keep, d), _mm_andnot_si64(keep, mmx::Join16<F>(f)));
}

// 8-bit mask: a group of four at 255 is the colour; otherwise every value
// mixes, 255 too.
template <class F>
void MaskRow(uint8_t *d, const uint8_t *m, int n, uint32_t c) {
    const __m64 c4 = mmx::Words(int(c)), zero = _mm_setzero_si64();
    const mmx::Fields<F> cf = mmx::Split16<F>(c4);
    for (int x = 0; x < n; x += 4) {
        uint32_t m4;
        memcpy(&m4, m + x, 4);
        if (m4 == 0) continue;
        if (m4 == 0xFFFFFFFFu) {
            mmx::Store64(d + 2 * x, c4);
            continue;
        }
        const __m64 w = _mm_unpacklo_pi8(_mm_cvtsi32_si64(int(m4)), zero);
        mmx::Store64(d + 2 * x, MaskMix4<F>(mmx::Load64(d + 2 * x), w, cf));
    }
    _mm_empty();
}

// 16-bit mask, its low byte the value: 255 writes the colour pixel by pixel.
template <class F>
void WordMaskRow(uint8_t *d, const uint8_t *m, int n, uint32_t c) {
    const __m64 c4 = mmx::Words(int(c)), low = mmx::Words(0xFF);
    const mmx::Fields<F> cf = mmx::Split16<F>(c4);
    for (int x = 0; x < n; x += 4) {
        const __m64 w = _mm_and_si64(mmx::Load64(m + 2 * x), low);
        if (_mm_cvtsi64_si32(_mm_packs_pu16(w, w)) == 0) continue;
        const __m64 full = _mm_cmpeq_pi16(w, low);
        const __m64 mixed = MaskMix4<F>(mmx::Load64(d + 2 * x), w, cf);
        mmx::Store64(d + 2 * x, _mm_or_si64(_mm_and_si64(full, c4), _mm_andnot_si64(full, mixed)));
    }
    _mm_empty();
}

}  // namespace

void MaskRow_565_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c) { MaskRow<Fmt565>(d, m, n, c); }
void MaskRow_555_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c) { MaskRow<Fmt555>(d, m, n, c); }
void MaskRow_4444_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c) { MaskRow<Fmt4444>(d, m, n, c); }
void WordMaskRow_565_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c) { WordMaskRow<Fmt565>(d, m, n, c); }
void WordMaskRow_555_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c) { WordMaskRow<Fmt555>(d, m, n, c); }
void WordMaskRow_4444_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c) { WordMaskRow<Fmt4444>(d, m, n, c); }

}  // namespace kv
