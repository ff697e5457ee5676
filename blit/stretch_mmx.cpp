// MMX rows of the scalers; each gives exactly the bytes of its plain row in
// stretch.cpp.
//
// Nearest, 16 bits: four gathered words go out in one 8-byte store.
//
// Bilinear:
// A pixel's four samples are weighed with pmaddwd, a pair of samples per
// lane and channel. The weights are 16-bit and unsigned, pmaddwd's signed:
// a weight of 32768 or more reads 65536 less, which takes exactly 65536
// times its sample off the sum, so that sample is added back after the
// shift. The four weights add up to less than 65535, so at most one of them
// is that large.
#include <mmintrin.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "blit/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {

namespace {

// A sample as four bytes in the low half; a 24-bit pixel is read as its own
// three bytes so that the last one of a surface is not read past.
template <int Stride>
inline __m64 Sample(const uint8_t *p) {
    if (Stride == 4) return mmx::Load32(p);
    return _mm_cvtsi32_si64(int(Fmt24::Load(p)));
}

// The two words w0 and w1, twice: the weights of a pair of samples for the
// blue-green and the red-alpha lanes alike.
inline __m64 Pair(uint32_t w0, uint32_t w1) {
    const __m64 v = _mm_cvtsi32_si64(int(w0 | (w1 << 16)));
    return _mm_unpacklo_pi32(v, v);
}

template <int Stride>
void BilinearRow(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                 const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy) {
    const __m64 zero = _mm_setzero_si64();
    const uint32_t iy = 0xFFFF - fy;
    for (int i = 0; i < n; ++i) {
        const uint32_t wS = (ix[i] * iy) >> 16, wSr = (fx[i] * iy) >> 16;
        const uint32_t wSd = (ix[i] * fy) >> 16, wSdr = (fx[i] * fy) >> 16;
        const uint8_t *tl = s0 + left[i], *tr = s0 + right[i], *bl = s1 + left[i], *br = s1 + right[i];
        // Samples interleaved by channel: left then right blue, green, ...
        const __m64 top = _mm_unpacklo_pi8(Sample<Stride>(tl), Sample<Stride>(tr));
        const __m64 bot = _mm_unpacklo_pi8(Sample<Stride>(bl), Sample<Stride>(br));
        const __m64 wt = Pair(wS, wSr), wb = Pair(wSd, wSdr);
        const __m64 bg = _mm_add_pi32(_mm_madd_pi16(_mm_unpacklo_pi8(top, zero), wt),
                                      _mm_madd_pi16(_mm_unpacklo_pi8(bot, zero), wb));
        const __m64 ra = _mm_add_pi32(_mm_madd_pi16(_mm_unpackhi_pi8(top, zero), wt),
                                      _mm_madd_pi16(_mm_unpackhi_pi8(bot, zero), wb));
        __m64 v = _mm_packs_pi32(_mm_srai_pi32(bg, 16), _mm_srai_pi32(ra, 16));
        const uint8_t *heavy = wS >= 0x8000     ? tl
                               : wSr >= 0x8000  ? tr
                               : wSd >= 0x8000  ? bl
                               : wSdr >= 0x8000 ? br
                                                : nullptr;
        if (heavy) v = _mm_add_pi16(v, _mm_unpacklo_pi8(Sample<Stride>(heavy), zero));
        const uint32_t c = uint32_t(_mm_cvtsi64_si32(_mm_packs_pu16(v, v))) & 0xFFFFFF;
        uint8_t *q = d + i * Stride;
        if (Stride == 4)
            Store32(q, (Load32(q) & 0xFF000000u) | c);
        else
            Fmt24::Store(q, c);
    }
    _mm_empty();
}

inline uint32_t Word(const uint8_t *s, int col) {
    uint16_t v;
    memcpy(&v, s + 2 * ptrdiff_t(col), 2);
    return v;
}

}  // namespace

void NearestRow_16_mmx(uint8_t *d, const uint8_t *s, const int *cols, int n) {
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m64 lo = _mm_cvtsi32_si64(int(Word(s, cols[x]) | (Word(s, cols[x + 1]) << 16)));
        const __m64 hi = _mm_cvtsi32_si64(int(Word(s, cols[x + 2]) | (Word(s, cols[x + 3]) << 16)));
        mmx::Store64(d + 2 * x, _mm_unpacklo_pi32(lo, hi));
    }
    for (; x < n; ++x) memcpy(d + 2 * x, s + 2 * cols[x], 2);
    _mm_empty();
}

void BilinearRow_32_mmx(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                        const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy) {
    BilinearRow<4>(d, s0, s1, left, right, ix, fx, n, fy);
}
void BilinearRow_24_mmx(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                        const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy) {
    BilinearRow<3>(d, s0, s1, left, right, ix, fx, n, fy);
}

}  // namespace kv
