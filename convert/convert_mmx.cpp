// MMX row kernels; each gives exactly the bytes of its plain twin.
#include <mmintrin.h>
#include <string.h>

#include "convert.h"

namespace kv {

namespace {

inline __m64 Load64(const uint8_t *p) {
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void Store64(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }

// Two 32-bit lanes, each below 0x10000, packed into 16-bit lanes. packs
// saturates signed values, so sign-extend the low half first.
inline __m64 Pack32To16(__m64 lo, __m64 hi) {
    lo = _mm_srai_pi32(_mm_slli_pi32(lo, 16), 16);
    hi = _mm_srai_pi32(_mm_slli_pi32(hi, 16), 16);
    return _mm_packs_pi32(lo, hi);
}

inline __m64 To565(__m64 p) {
    const __m64 r = _mm_and_si64(_mm_srli_pi32(p, 8), _mm_set1_pi32(0xF800));
    const __m64 g = _mm_and_si64(_mm_srli_pi32(p, 5), _mm_set1_pi32(0x07E0));
    const __m64 b = _mm_and_si64(_mm_srli_pi32(p, 3), _mm_set1_pi32(0x001F));
    return _mm_or_si64(_mm_or_si64(r, g), b);
}

// Bit 15 from the top bit of alpha.
inline __m64 To555(__m64 p) {
    const __m64 a = _mm_and_si64(_mm_srli_pi32(p, 16), _mm_set1_pi32(0x8000));
    const __m64 r = _mm_and_si64(_mm_srli_pi32(p, 9), _mm_set1_pi32(0x7C00));
    const __m64 g = _mm_and_si64(_mm_srli_pi32(p, 6), _mm_set1_pi32(0x03E0));
    const __m64 b = _mm_and_si64(_mm_srli_pi32(p, 3), _mm_set1_pi32(0x001F));
    return _mm_or_si64(_mm_or_si64(a, r), _mm_or_si64(g, b));
}

inline __m64 From565(__m64 p) {
    const __m64 r = _mm_slli_pi32(_mm_and_si64(p, _mm_set1_pi32(0xF800)), 8);
    const __m64 g = _mm_slli_pi32(_mm_and_si64(p, _mm_set1_pi32(0x07E0)), 5);
    const __m64 b = _mm_slli_pi32(_mm_and_si64(p, _mm_set1_pi32(0x001F)), 3);
    return _mm_or_si64(_mm_or_si64(r, g), _mm_or_si64(b, _mm_set1_pi32(int(0xFF000000u))));
}

inline __m64 From555(__m64 p) {
    const __m64 r = _mm_slli_pi32(_mm_and_si64(p, _mm_set1_pi32(0x7C00)), 9);
    const __m64 g = _mm_slli_pi32(_mm_and_si64(p, _mm_set1_pi32(0x03E0)), 6);
    const __m64 b = _mm_slli_pi32(_mm_and_si64(p, _mm_set1_pi32(0x001F)), 3);
    return _mm_or_si64(_mm_or_si64(r, g), _mm_or_si64(b, _mm_set1_pi32(int(0xFF000000u))));
}

uint32_t Load32(const uint8_t *p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

template <__m64 (*F)(__m64)>
void RowTo16(uint8_t *d, const uint8_t *s, int w) {
    int x = 0;
    for (; x + 4 <= w; x += 4) Store64(d + 2 * x, Pack32To16(F(Load64(s + 4 * x)), F(Load64(s + 4 * x + 8))));
    for (; x < w; ++x) {
        const uint32_t v = uint32_t(_mm_cvtsi64_si32(F(_mm_cvtsi32_si64(int(Load32(s + 4 * x))))));
        d[2 * x] = uint8_t(v);
        d[2 * x + 1] = uint8_t(v >> 8);
    }
    _mm_empty();
}

template <__m64 (*F)(__m64)>
void RowFrom16(uint8_t *d, const uint8_t *s, int w) {
    const __m64 zero = _mm_setzero_si64();
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const __m64 p = Load64(s + 2 * x);
        Store64(d + 4 * x, F(_mm_unpacklo_pi16(p, zero)));
        Store64(d + 4 * x + 8, F(_mm_unpackhi_pi16(p, zero)));
    }
    for (; x < w; ++x) {
        const int p = s[2 * x] | (s[2 * x + 1] << 8);
        const uint32_t v = uint32_t(_mm_cvtsi64_si32(F(_mm_cvtsi32_si64(p))));
        memcpy(d + 4 * x, &v, 4);
    }
    _mm_empty();
}

}  // namespace

void Row32To565_mmx(uint8_t *d, const uint8_t *s, int w) { RowTo16<To565>(d, s, w); }
void Row32To555_mmx(uint8_t *d, const uint8_t *s, int w) { RowTo16<To555>(d, s, w); }
void Row565To32_mmx(uint8_t *d, const uint8_t *s, int w) { RowFrom16<From565>(d, s, w); }
void Row555To32_mmx(uint8_t *d, const uint8_t *s, int w) { RowFrom16<From555>(d, s, w); }

}  // namespace kv
