// MMX byte scaling for DoFactor and the level of the coverage planes.
#include <mmintrin.h>
#include <string.h>

#include "filters.h"

namespace kv {

ptrdiff_t ScaleBytes_MMX(uint8_t *p, ptrdiff_t n, unsigned f) {
    const ptrdiff_t blocks = n / 8;
    if (blocks == 0) return 0;
    const __m64 zero = _mm_setzero_si64();
    const __m64 k = _mm_set1_pi16(short(f));
    for (ptrdiff_t i = 0; i < blocks; ++i) {
        __m64 v;
        memcpy(&v, p + i * 8, 8);
        // byte x f fits 16 bits unsigned; the logical shift brings it back.
        const __m64 lo = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(v, zero), k), 8);
        const __m64 hi = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(v, zero), k), 8);
        v = _mm_packs_pu16(lo, hi);
        memcpy(p + i * 8, &v, 8);
    }
    _mm_empty();
    return blocks * 8;
}

}  // namespace kv
