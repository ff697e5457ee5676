// MMX row kernels; each gives exactly the bytes of its plain twin.
//
// Four pixels at a time in 16-bit lanes: a 32-bit pixel is two words, blue
// and green (low) then red and alpha (high), so a shuffle of four pixels
// gives one register of each and no packing with saturation is needed.
#include <mmintrin.h>
#include <string.h>

#include "convert/simd.h"
#include "surface/mmx.h"

namespace kv {

namespace {

using mmx::Load64;
using mmx::Store64;
inline __m64 W(int v) { return mmx::Words(v); }

// Four 32-bit pixels into blue-green and red-alpha words.
inline void Split(const uint8_t *s, __m64 &gb, __m64 &ra) {
    const __m64 a = Load64(s), b = Load64(s + 8);
    const __m64 t1 = _mm_unpacklo_pi16(a, b);  // gb0 gb2 ra0 ra2
    const __m64 t2 = _mm_unpackhi_pi16(a, b);  // gb1 gb3 ra1 ra3
    gb = _mm_unpacklo_pi16(t1, t2);
    ra = _mm_unpackhi_pi16(t1, t2);
}
inline void Join(uint8_t *d, __m64 gb, __m64 ra) {
    Store64(d, _mm_unpacklo_pi16(gb, ra));
    Store64(d + 8, _mm_unpackhi_pi16(gb, ra));
}

inline __m64 To565(__m64 gb, __m64 ra) {
    const __m64 r = _mm_and_si64(_mm_slli_pi16(ra, 8), W(0xF800));
    const __m64 g = _mm_and_si64(_mm_srli_pi16(gb, 5), W(0x07E0));
    const __m64 b = _mm_and_si64(_mm_srli_pi16(gb, 3), W(0x001F));
    return _mm_or_si64(_mm_or_si64(r, g), b);
}
// Bit 15 is the top bit of alpha, which is bit 15 of the red-alpha word.
inline __m64 To555(__m64 gb, __m64 ra) {
    const __m64 a = _mm_and_si64(ra, W(0x8000));
    const __m64 r = _mm_and_si64(_mm_slli_pi16(ra, 7), W(0x7C00));
    const __m64 g = _mm_and_si64(_mm_srli_pi16(gb, 6), W(0x03E0));
    const __m64 b = _mm_and_si64(_mm_srli_pi16(gb, 3), W(0x001F));
    return _mm_or_si64(_mm_or_si64(a, r), _mm_or_si64(g, b));
}

inline void From565(__m64 p, __m64 &gb, __m64 &ra) {
    gb = _mm_or_si64(_mm_and_si64(_mm_slli_pi16(p, 3), W(0x00F8)), _mm_and_si64(_mm_slli_pi16(p, 5), W(0xFC00)));
    ra = _mm_or_si64(_mm_srli_pi16(p, 8), W(0xFF00));
    ra = _mm_and_si64(ra, W(0xFFF8));
}
inline void From555(__m64 p, __m64 &gb, __m64 &ra) {
    gb = _mm_or_si64(_mm_and_si64(_mm_slli_pi16(p, 3), W(0x00F8)), _mm_and_si64(_mm_slli_pi16(p, 6), W(0xF800)));
    ra = _mm_or_si64(_mm_and_si64(_mm_srli_pi16(p, 7), W(0x00F8)), W(0xFF00));
}

// The last pixels of a row go through the same register code, one at a
// time, so the tail cannot differ from the body.
template <__m64 (*F)(__m64, __m64)>
void RowTo16(uint8_t *d, const uint8_t *s, int w) {
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        __m64 gb, ra;
        Split(s + 4 * x, gb, ra);
        Store64(d + 2 * x, F(gb, ra));
    }
    for (; x < w; ++x) {
        const int lo = s[4 * x] | (s[4 * x + 1] << 8), hi = s[4 * x + 2] | (s[4 * x + 3] << 8);
        const int v = _mm_cvtsi64_si32(F(_mm_cvtsi32_si64(lo), _mm_cvtsi32_si64(hi)));
        d[2 * x] = uint8_t(v);
        d[2 * x + 1] = uint8_t(v >> 8);
    }
    _mm_empty();
}

template <void (*F)(__m64, __m64 &, __m64 &)>
void RowFrom16(uint8_t *d, const uint8_t *s, int w) {
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        __m64 gb, ra;
        F(Load64(s + 2 * x), gb, ra);
        Join(d + 4 * x, gb, ra);
    }
    for (; x < w; ++x) {
        __m64 gb, ra;
        F(_mm_cvtsi32_si64(s[2 * x] | (s[2 * x + 1] << 8)), gb, ra);
        const uint32_t v = uint32_t(_mm_cvtsi64_si32(_mm_unpacklo_pi16(gb, ra)));
        memcpy(d + 4 * x, &v, 4);
    }
    _mm_empty();
}

}  // namespace

void ConvertRow_32_565_mmx(uint8_t *d, const uint8_t *s, int w) { RowTo16<To565>(d, s, w); }
void ConvertRow_32_555_mmx(uint8_t *d, const uint8_t *s, int w) { RowTo16<To555>(d, s, w); }
void ConvertRow_565_32_mmx(uint8_t *d, const uint8_t *s, int w) { RowFrom16<From565>(d, s, w); }
void ConvertRow_555_32_mmx(uint8_t *d, const uint8_t *s, int w) { RowFrom16<From555>(d, s, w); }

}  // namespace kv
