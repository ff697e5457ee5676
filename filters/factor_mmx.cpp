// MMX byte scaling for DoFactor and the level of the coverage planes.
#include <mmintrin.h>
#include <string.h>

#include "filters/filters.h"

namespace kv {
namespace {

// byte x f fits 16 bits unsigned; the logical shift brings it back.
inline __m64 Scale8(__m64 v, __m64 k, __m64 zero) {
    const __m64 lo = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(v, zero), k), 8);
    const __m64 hi = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(v, zero), k), 8);
    return _mm_packs_pu16(lo, hi);
}

}  // namespace

ptrdiff_t ScaleBytes_MMX(uint8_t *p, ptrdiff_t n, unsigned f) {
    if (n < 8) return 0;
    const __m64 zero = _mm_setzero_si64();
    const __m64 k = _mm_set1_pi16(short(f));
    ptrdiff_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m64 a, b;
        memcpy(&a, p + i, 8);
        memcpy(&b, p + i + 8, 8);
        a = Scale8(a, k, zero);
        b = Scale8(b, k, zero);
        memcpy(p + i, &a, 8);
        memcpy(p + i + 8, &b, 8);
    }
    if (i + 8 <= n) {
        __m64 a;
        memcpy(&a, p + i, 8);
        a = Scale8(a, k, zero);
        memcpy(p + i, &a, 8);
        i += 8;
    }
    _mm_empty();
    return i;
}

}  // namespace kv
