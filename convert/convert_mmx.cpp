// MMX row kernels; each gives exactly the bytes of its plain twin.
//
// To R5G6B5, two pixels per register in 32-bit lanes: pmaddwd lifts red and
// blue into place in one step and green is masked in, so no shuffle is
// needed before the pack. To 5-5-5 and back, four pixels at a time in 16-bit
// lanes: a 32-bit pixel is two words, blue and green (low) then red and alpha
// (high), so a shuffle of four pixels gives one register of each and no
// packing with saturation is needed.
#include <mmintrin.h>
#include <stdint.h>
#include <string.h>

#include "convert/simd.h"
#include "surface/mmx.h"

namespace kv {

namespace {

using mmx::Load64;
using mmx::Store64;
inline __m64 W(int v) { return mmx::Words(v); }
inline __m64 Dw(int v) { return _mm_set1_pi32(v); }

// Two 32-bit pixels to R5G6B5 in their lanes, sign-extended so that
// packssdw keeps the word as it is: (B & F8) * 4 + (R & F8) * 8192 puts blue
// at bit 5 and red at bit 16, green sits at bit 10 already; each lane is then
// the 16-bit value shifted left by 5.
inline __m64 Lanes565(__m64 p) {
    const __m64 rb = _mm_madd_pi16(_mm_and_si64(p, Dw(0x00F800F8)), Dw(0x20000004));
    const __m64 v = _mm_or_si64(rb, _mm_and_si64(p, Dw(0x0000FC00)));
    return _mm_srai_pi32(_mm_slli_pi32(v, 11), 16);
}
inline __m64 Four565(const uint8_t *s) { return _mm_packs_pi32(Lanes565(Load64(s)), Lanes565(Load64(s + 8))); }

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

// Four pixels and one pixel to 16-bit words by the same register code, so
// the ends of a row cannot differ from its body.
inline __m64 Four555(const uint8_t *s) {
    __m64 gb, ra;
    Split(s, gb, ra);
    return To555(gb, ra);
}
inline int One565(const uint8_t *s) {
    return _mm_cvtsi64_si32(_mm_packs_pi32(Lanes565(mmx::Load32(s)), _mm_setzero_si64()));
}
inline int One555(const uint8_t *s) {
    const int lo = s[0] | (s[1] << 8), hi = s[2] | (s[3] << 8);
    return _mm_cvtsi64_si32(To555(_mm_cvtsi32_si64(lo), _mm_cvtsi32_si64(hi)));
}
inline void PutWord(uint8_t *d, int v) {
    const uint16_t h = uint16_t(v);
    memcpy(d, &h, 2);
}

// Single pixels up to an 8-byte boundary of the destination (when its rows
// hold whole words), then eight pixels a step with aligned stores.
template <__m64 (*Four)(const uint8_t *), int (*One)(const uint8_t *)>
void RowTo16(uint8_t *d, const uint8_t *s, int w) {
    int x = 0;
    if ((uintptr_t(d) & 1) == 0)
        for (const int head = int((8 - (uintptr_t(d) & 7)) & 7) / 2; x < head && x < w; ++x)
            PutWord(d + 2 * x, One(s + 4 * x));
    for (; x + 8 <= w; x += 8) {
        Store64(d + 2 * x, Four(s + 4 * x));
        Store64(d + 2 * x + 8, Four(s + 4 * x + 16));
    }
    if (x + 4 <= w) {
        Store64(d + 2 * x, Four(s + 4 * x));
        x += 4;
    }
    for (; x < w; ++x) PutWord(d + 2 * x, One(s + 4 * x));
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

void ConvertRow_32_565_mmx(uint8_t *d, const uint8_t *s, int w) { RowTo16<Four565, One565>(d, s, w); }
void ConvertRow_32_555_mmx(uint8_t *d, const uint8_t *s, int w) { RowTo16<Four555, One555>(d, s, w); }
void ConvertRow_565_32_mmx(uint8_t *d, const uint8_t *s, int w) { RowFrom16<From565>(d, s, w); }
void ConvertRow_555_32_mmx(uint8_t *d, const uint8_t *s, int w) { RowFrom16<From555>(d, s, w); }

}  // namespace kv
