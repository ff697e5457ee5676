// MMX rows of the keyed copy: compare a group of pixels with the key at
// once and merge source and destination by the mask, without a branch (a
// branch per group costs more than it saves once keys are scattered). A
// transparent pixel gets its own value back, so the result equals the
// one-pixel-at-a-time loop. Rows that trail their source never come here
// (the pick in drawbitmap.cpp hands them to the plain rows).
#include <mmintrin.h>

#include "blit/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace {

using mmx::Load64;
using mmx::Store64;

// Merges s into d where m is clear; all-ones in m keeps d.
inline __m64 Merge(__m64 m, __m64 d, __m64 s) { return _mm_or_si64(_mm_and_si64(m, d), _mm_andnot_si64(m, s)); }

}  // namespace

// Index 0 is transparent, whatever the key.
void KeyRow_8_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t) {
    const __m64 zero = _mm_setzero_si64();
    int x = 0;
    for (; x + 16 <= w; x += 16) {
        const __m64 v0 = Load64(s + x), v1 = Load64(s + x + 8);
        Store64(d + x, Merge(_mm_cmpeq_pi8(v0, zero), Load64(d + x), v0));
        Store64(d + x + 8, Merge(_mm_cmpeq_pi8(v1, zero), Load64(d + x + 8), v1));
    }
    _mm_empty();
    for (; x < w; ++x)
        if (s[x] != 0) d[x] = s[x];
}

void KeyRow_16_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    key &= 0xFFFFu;
    const __m64 k = _mm_set1_pi16(static_cast<short>(key));
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const __m64 v0 = Load64(s + 2 * x), v1 = Load64(s + 2 * x + 8);
        Store64(d + 2 * x, Merge(_mm_cmpeq_pi16(v0, k), Load64(d + 2 * x), v0));
        Store64(d + 2 * x + 8, Merge(_mm_cmpeq_pi16(v1, k), Load64(d + 2 * x + 8), v1));
    }
    _mm_empty();
    for (; x < w; ++x) {
        const uint32_t v = Load16(s + 2 * x);
        if (v != key) Store16(d + 2 * x, v);
    }
}

void KeyRow_32_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    key &= 0x00FFFFFFu;
    const __m64 k = _mm_set1_pi32(static_cast<int>(key));
    const __m64 rgb = _mm_set1_pi32(0x00FFFFFF);
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const __m64 v0 = Load64(s + 4 * x), v1 = Load64(s + 4 * x + 8);
        const __m64 m0 = _mm_cmpeq_pi32(_mm_and_si64(v0, rgb), k);
        const __m64 m1 = _mm_cmpeq_pi32(_mm_and_si64(v1, rgb), k);
        Store64(d + 4 * x, Merge(m0, Load64(d + 4 * x), v0));
        Store64(d + 4 * x + 8, Merge(m1, Load64(d + 4 * x + 8), v1));
    }
    _mm_empty();
    for (; x < w; ++x) {
        const uint32_t v = Load32(s + 4 * x);
        if ((v & 0x00FFFFFFu) != key) Store32(d + 4 * x, v);
    }
}

}  // namespace kv
