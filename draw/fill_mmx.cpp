#include <mmintrin.h>

#include "draw/draw.h"
#include "draw/simd.h"

namespace kv {

void MaskFillRect_32_mmx(const TSurfDesc &s, const CRectangulo &r, uint32_t k, int L) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 dw = _mm_set1_pi16(short(255 - L));
    // k x (L + 1) per byte lane: at most 65280, fits the unsigned 16-bit lane,
    // and so does the whole sum.
    const __m64 kv = _mm_mullo_pi16(_mm_unpacklo_pi8(_mm_cvtsi32_si64(int(k)), zero), _mm_set1_pi16(short(L + 1)));
    const int w = r.right - r.left;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t *p = PixelAt(s, r.left, y);
        int x = 0;
        for (; x + 2 <= w; x += 2, p += 8) {
            __m64 d;
            memcpy(&d, p, 8);
            __m64 lo = _mm_unpacklo_pi8(d, zero), hi = _mm_unpackhi_pi8(d, zero);
            lo = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(lo, dw), kv), 8);
            hi = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(hi, dw), kv), 8);
            d = _mm_packs_pu16(lo, hi);
            memcpy(p, &d, 8);
        }
        if (x < w) {
            __m64 d = _mm_unpacklo_pi8(_mm_cvtsi32_si64(int(Load32(p))), zero);
            d = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(d, dw), kv), 8);
            Store32(p, uint32_t(_mm_cvtsi64_si32(_mm_packs_pu16(d, zero))));
        }
    }
    _mm_empty();
}

void TranslateBytes_mmx(const TSurfDesc &s, const CRectangulo &r, int bytesPerPixel, int v) {
    const bool add = v >= 0;
    const __m64 step = _mm_set1_pi8(char(add ? v : -v));
    const int n = (r.right - r.left) * bytesPerPixel;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t *p = PixelAt(s, r.left, y);
        int i = 0;
        for (; i + 8 <= n; i += 8) {
            __m64 d;
            memcpy(&d, p + i, 8);
            d = add ? _mm_adds_pu8(d, step) : _mm_subs_pu8(d, step);
            memcpy(p + i, &d, 8);
        }
        const int m = add ? v : -v;
        for (; i < n; ++i) {
            const int b = add ? p[i] + m : p[i] - m;
            p[i] = uint8_t(b > 255 ? 255 : b < 0 ? 0 : b);
        }
    }
    _mm_empty();
}

}  // namespace kv
