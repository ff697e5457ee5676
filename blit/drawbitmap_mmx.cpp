// MMX rows of the keyed copy: compare a group of pixels with the key at
// once, skip groups that are wholly transparent, store opaque groups as they
// are and merge mixed ones. A transparent pixel gets its own value back, so
// the result equals the one-pixel-at-a-time loop.
#include <mmintrin.h>
#include <string.h>

#include "blit/drawbitmap.h"
#include "pixfmt.h"

namespace kv {
namespace {

inline __m64 Load64(const uint8_t *p) {
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void Store64(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }

// Merges s into d where m is clear; all-ones in m keeps d.
inline __m64 Merge(__m64 m, __m64 d, __m64 s) { return _mm_or_si64(_mm_and_si64(m, d), _mm_andnot_si64(m, s)); }

}  // namespace

void KeyRow16_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    const __m64 k = _mm_set1_pi16(static_cast<short>(key));
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const __m64 v = Load64(s + 2 * x);
        const __m64 m = _mm_cmpeq_pi16(v, k);
        const int bits = _mm_cvtsi64_si32(_mm_packs_pi16(m, m));
        if (bits == 0) Store64(d + 2 * x, v);
        else if (bits != -1) Store64(d + 2 * x, Merge(m, Load64(d + 2 * x), v));
    }
    _mm_empty();
    for (; x < w; ++x) {
        const uint32_t v = Load16(s + 2 * x);
        if (v != key) Store16(d + 2 * x, v);
    }
}

void KeyRow32_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    const __m64 k = _mm_set1_pi32(static_cast<int>(key));
    const __m64 rgb = _mm_set1_pi32(0x00FFFFFF);
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const __m64 v0 = Load64(s + 4 * x), v1 = Load64(s + 4 * x + 8);
        const __m64 m0 = _mm_cmpeq_pi32(_mm_and_si64(v0, rgb), k);
        const __m64 m1 = _mm_cmpeq_pi32(_mm_and_si64(v1, rgb), k);
        const __m64 w4 = _mm_packs_pi32(m0, m1);
        const int bits = _mm_cvtsi64_si32(_mm_packs_pi16(w4, w4));
        if (bits == 0) {
            Store64(d + 4 * x, v0);
            Store64(d + 4 * x + 8, v1);
        } else if (bits != -1) {
            Store64(d + 4 * x, Merge(m0, Load64(d + 4 * x), v0));
            Store64(d + 4 * x + 8, Merge(m1, Load64(d + 4 * x + 8), v1));
        }
    }
    _mm_empty();
    for (; x < w; ++x) {
        const uint32_t v = Load32(s + 4 * x);
        if ((v & 0x00FFFFFFu) != key) Store32(d + 4 * x, v);
    }
}

}  // namespace kv
