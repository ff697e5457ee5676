// MMX convolution of 32- and 24-bit rows: taps go in pairs through pmaddwd,
// whose 16 x 16 -> 32-bit products and wrapping sums are exactly the plain
// kernel's. Pixels whose taps would clamp take the plain path.
#include <mmintrin.h>
#include <string.h>

#include <new>
#include <vector>

#include "convolution.h"

namespace kv {
namespace {

inline int Load4(const uint8_t *p) {
    int v;
    memcpy(&v, p, 4);
    return v;
}

template <class F>
void Rows(const ConvJob &j, const uint64_t *cw, const ptrdiff_t *off, int pairs, int width, int height,
          ptrdiff_t pitch) {
    // Every tap of an inside pixel reads four whole bytes of the scratch.
    const ptrdiff_t lo = -j.minOff, hi = j.total - 4 - j.maxOff;
    const __m64 zero = _mm_setzero_si64();
    for (int y = 0; y < height; ++y) {
        ptrdiff_t q = ptrdiff_t(y) * pitch;
        for (int x = 0; x < width; ++x, q += F::kBytes) {
            if (q < lo || q > hi) {
                ConvolvePixel<F>(j, q);
                continue;
            }
            const uint8_t *s = j.src + q;
            __m64 bg = zero, ra = zero;
            for (int k = 0; k < pairs; ++k) {
                __m64 w;
                memcpy(&w, cw + k, 8);
                const __m64 a = _mm_cvtsi32_si64(Load4(s + off[2 * k]));
                const __m64 b = _mm_cvtsi32_si64(Load4(s + off[2 * k + 1]));
                const __m64 ab = _mm_unpacklo_pi8(a, b);
                bg = _mm_add_pi32(bg, _mm_madd_pi16(_mm_unpacklo_pi8(ab, zero), w));
                ra = _mm_add_pi32(ra, _mm_madd_pi16(_mm_unpackhi_pi8(ab, zero), w));
            }
            const int32_t sum[3] = {_mm_cvtsi64_si32(bg), _mm_cvtsi64_si32(_mm_srli_si64(bg, 32)),
                                    _mm_cvtsi64_si32(ra)};
            int v[3];
            for (int c = 0; c < 3; ++c) v[c] = ClampChannel(int64_t(j.div(sum[c])) + j.bias, 255);
            F::Write(j.dst + q, v);
        }
    }
}

}  // namespace

bool ConvolveRows_MMX(const ConvJob &j, int bytesPerPixel, int width, int height, ptrdiff_t pitch) {
    for (int t = 0; t < j.count; ++t)
        if (j.coef[t] < -32768 || j.coef[t] > 32767) return false;
    const int pairs = (j.count + 1) / 2;
    std::vector<uint64_t> cw;  // four coefficient words per pair
    std::vector<ptrdiff_t> off;
    try {
        cw.resize(size_t(pairs));
        off.resize(size_t(pairs) * 2);
    } catch (const std::bad_alloc &) {
        return false;
    }
    for (int k = 0; k < pairs; ++k) {
        const int t0 = 2 * k, t1 = 2 * k + 1;
        // An odd list ends with a tap of weight 0 on the pixel itself.
        const int c0 = j.coef[t0], c1 = t1 < j.count ? j.coef[t1] : 0;
        off[t0] = j.off[t0];
        off[t1] = t1 < j.count ? j.off[t1] : 0;
        const uint64_t w0 = uint16_t(c0), w1 = uint16_t(c1);
        cw[k] = w0 | w1 << 16 | w0 << 32 | w1 << 48;
    }
    if (bytesPerPixel == 4)
        Rows<Conv32>(j, cw.data(), off.data(), pairs, width, height, pitch);
    else
        Rows<Conv24>(j, cw.data(), off.data(), pairs, width, height, pitch);
    _mm_empty();
    return true;
}

}  // namespace kv
