// MMX byte scaling for DoFactor and the level of the coverage planes.
#include <mmintrin.h>

#include "filters/simd.h"
#include "surface/mmx.h"

namespace kv {
namespace {

// byte x f fits 16 bits unsigned; the logical shift brings it back.
inline __m64 Scale8(__m64 v, __m64 k, __m64 zero) {
    const __m64 lo = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(v, zero), k), 8);
    const __m64 hi = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(v, zero), k), 8);
    return _mm_packs_pu16(lo, hi);
}

}  // namespace

void ScaleRows_bytes_mmx(uint8_t *p, ptrdiff_t n, int rows, ptrdiff_t pitch, unsigned f) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 k = mmx::Words(int(f));
    for (int y = 0; y < rows; ++y, p += pitch) {
        ptrdiff_t i = 0;
        for (; i + 16 <= n; i += 16) {
            const __m64 a = Scale8(mmx::Load64(p + i), k, zero);
            const __m64 b = Scale8(mmx::Load64(p + i + 8), k, zero);
            mmx::Store64(p + i, a);
            mmx::Store64(p + i + 8, b);
        }
        if (i + 8 <= n) {
            mmx::Store64(p + i, Scale8(mmx::Load64(p + i), k, zero));
            i += 8;
        }
        for (; i < n; ++i) p[i] = uint8_t((p[i] * f) >> 8);
    }
    _mm_empty();
}

}  // namespace kv
