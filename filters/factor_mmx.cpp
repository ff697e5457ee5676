// MMX scaling for DoFactor and the level of the coverage planes: bytes, and
// the fields of the 16-bit layouts.
#include <mmintrin.h>

#include "filters/filters.h"
#include "filters/scale_mmx.h"
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

namespace {

template <class F>
void ScaleRows16(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f) {
    const __m64 k = mmx::Words(int(f));
    for (int y = 0; y < rows; ++y, p += pitch) {
        int x = 0;
        for (; x + 8 <= w; x += 8) {
            const __m64 a = mmx::ScaleFields4<F>(mmx::Load64(p + 2 * x), k);
            const __m64 b = mmx::ScaleFields4<F>(mmx::Load64(p + 2 * x + 8), k);
            mmx::Store64(p + 2 * x, a);
            mmx::Store64(p + 2 * x + 8, b);
        }
        if (x + 4 <= w) {
            mmx::Store64(p + 2 * x, mmx::ScaleFields4<F>(mmx::Load64(p + 2 * x), k));
            x += 4;
        }
        // The last pixels one by one: no load reaches past the row.
        for (; x < w; ++x) Store16(p + 2 * x, ScaleFields<F>(Load16(p + 2 * x), f));
    }
    _mm_empty();
}

}  // namespace

void ScaleRows_565_mmx(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f) {
    ScaleRows16<Fmt565>(p, w, rows, pitch, f);
}
void ScaleRows_555_mmx(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f) {
    ScaleRows16<Fmt555>(p, w, rows, pitch, f);
}
void ScaleRows_4444_mmx(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f) {
    ScaleRows16<Fmt4444>(p, w, rows, pitch, f);
}

}  // namespace kv
