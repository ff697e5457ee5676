// MMX convolution of 32- and 24-bit rows, and of the 16-bit kinds' words
// where every sum fits a word. 32 and 24 bits: taps go in pairs through pmaddwd,
// whose 16 x 16 -> 32-bit products and wrapping sums are exactly the plain
// kernel's. Pixels whose taps would clamp take the plain path.
#include <mmintrin.h>
#include <string.h>

#include <memory>
#include <new>

#include "filters/convolution.h"
#include "filters/simd.h"
#include "surface/mmx.h"

namespace kv {
namespace {

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
                const __m64 a = mmx::Load32(s + off[2 * k]);
                const __m64 b = mmx::Load32(s + off[2 * k + 1]);
                const __m64 ab = _mm_unpacklo_pi8(a, b);
                bg = _mm_add_pi32(bg, _mm_madd_pi16(_mm_unpacklo_pi8(ab, zero), w));
                ra = _mm_add_pi32(ra, _mm_madd_pi16(_mm_unpackhi_pi8(ab, zero), w));
            }
            const int32_t sum[3] = {_mm_cvtsi64_si32(bg), _mm_cvtsi64_si32(_mm_srli_si64(bg, 32)),
                                    _mm_cvtsi64_si32(ra)};
            int v[3];
            for (int c = 0; c < 3; ++c) v[c] = ClampChannel(int64_t(j.div(sum[c])) + j.bias, 255);
            WriteChannels(F{}, j.dst + q, v);
        }
    }
}

// When every product and every sum fits a signed 16-bit word (|coefficient|
// <= 128 and 255 x the sum of their sizes <= 32767), channels accumulate as
// words with pmullw, and the quotient comes from pmulhw: |sum| x M >> 16 >>
// shift, with M and shift checked against real division over every sum the
// taps can make. Wrapping word sums are exact because the true sum fits.
struct WordPath {
    uint64_t mult;  // M in four words (0 with divisor +-1: no multiply)
    int shift;
    uint64_t flip;  // all ones when the divisor is negative
    uint64_t bias;  // the bias in four words
};

// top: a channel's largest value (255 for bytes, the widest field of a
// 16-bit layout).
bool SetUpWordPath(const ConvJob &j, WordPath &w, int top) {
    int64_t sumAbs = 0;
    for (int t = 0; t < j.count; ++t) {
        const int64_t c = j.coef[t] < 0 ? -int64_t(j.coef[t]) : j.coef[t];
        if (c > 128) return false;
        sumAbs += c;
    }
    const int64_t most = sumAbs * top;
    if (most > 32767 || j.bias < -32768 || j.bias > 32767) return false;
    const uint32_t ad = j.divisor < 0 ? 0u - uint32_t(j.divisor) : uint32_t(j.divisor);
    const uint64_t b = uint16_t(int16_t(j.bias));
    w.bias = b * 0x0001000100010001ull;
    w.flip = j.divisor < 0 ? ~uint64_t(0) : 0;
    w.mult = 0;
    w.shift = 0;
    if (ad == 1) return true;
    for (int sh = 14; sh >= 0; --sh) {
        const uint64_t m = ((uint64_t(1) << (16 + sh)) + ad - 1) / ad;
        if (m > 32767) continue;
        bool exact = true;
        for (int64_t a = 0; a <= most && exact; ++a) exact = ((uint64_t(a) * m) >> (16 + sh)) == uint64_t(a) / ad;
        if (!exact) continue;
        w.mult = m * 0x0001000100010001ull;
        w.shift = sh;
        return true;
    }
    return false;
}

inline __m64 M64(uint64_t v) {
    __m64 m;
    memcpy(&m, &v, 8);
    return m;
}

// Four word sums -> quotient + bias, still signed words.
inline __m64 DivideWords(__m64 sum, __m64 mult, __m64 shift, __m64 flip, __m64 bias, bool one) {
    const __m64 neg = _mm_srai_pi16(sum, 15);
    __m64 a = _mm_sub_pi16(_mm_xor_si64(sum, neg), neg);
    if (!one) a = _mm_sra_pi16(_mm_mulhi_pi16(a, mult), shift);
    const __m64 sign = _mm_xor_si64(neg, flip);
    return _mm_adds_pi16(_mm_sub_pi16(_mm_xor_si64(a, sign), sign), bias);
}

template <class F>
void WordRows(const ConvJob &j, const WordPath &w, const uint64_t *cw, int width, int height, ptrdiff_t pitch) {
    constexpr int B = F::kBytes;
    const __m64 zero = _mm_setzero_si64();
    const __m64 mult = M64(w.mult), shift = _mm_cvtsi32_si64(w.shift), flip = M64(w.flip), bias = M64(w.bias);
    const bool one = w.mult == 0 && w.shift == 0;
    // Pixels whose taps all read whole 8 bytes (a pair of 32-bit pixels) or
    // 4 bytes (one 24-bit pixel) inside the scratch.
    const ptrdiff_t lo = -j.minOff, hi = j.total - (B == 4 ? 8 : 4) - j.maxOff;
    for (int y = 0; y < height; ++y) {
        ptrdiff_t q = ptrdiff_t(y) * pitch;
        int x = 0;
        while (x < width) {
            if (q < lo || q > hi || (B == 4 && x + 1 >= width)) {
                ConvolvePixel<F>(j, q);
                ++x;
                q += B;
                continue;
            }
            const uint8_t *s = j.src + q;
            if constexpr (B == 4) {
                __m64 a0 = zero, a1 = zero;
                for (int t = 0; t < j.count; ++t) {
                    const __m64 v = mmx::Load64(s + j.off[t]);
                    const __m64 c = M64(cw[t]);
                    a0 = _mm_add_pi16(a0, _mm_mullo_pi16(_mm_unpacklo_pi8(v, zero), c));
                    a1 = _mm_add_pi16(a1, _mm_mullo_pi16(_mm_unpackhi_pi8(v, zero), c));
                }
                a0 = DivideWords(a0, mult, shift, flip, bias, one);
                a1 = DivideWords(a1, mult, shift, flip, bias, one);
                // Unsigned saturation is the clamp to [0, 255]; alpha 0.
                const __m64 px = _mm_and_si64(_mm_packs_pu16(a0, a1), M64(0x00FFFFFF00FFFFFFull));
                mmx::Store64(j.dst + q, px);
                x += 2;
                q += 8;
            } else {
                __m64 a0 = zero;
                for (int t = 0; t < j.count; ++t) {
                    const __m64 v = mmx::Load32(s + j.off[t]);
                    a0 = _mm_add_pi16(a0, _mm_mullo_pi16(_mm_unpacklo_pi8(v, zero), M64(cw[t])));
                }
                a0 = DivideWords(a0, mult, shift, flip, bias, one);
                Fmt24::Store(j.dst + q, uint32_t(_mm_cvtsi64_si32(_mm_packs_pu16(a0, zero))));
                ++x;
                q += 3;
            }
        }
    }
}

// The word path when the taps allow it, else pairs through pmaddwd while
// the coefficients fit 16 bits, else pixel by pixel as the plain rows go.
template <class F>
void Convolve(const ConvJob &j, int width, int height, ptrdiff_t pitch) {
    WordPath w;
    if (SetUpWordPath(j, w, 255)) {
        std::unique_ptr<uint64_t[]> cw(new (std::nothrow) uint64_t[size_t(j.count) + 1]);
        if (cw) {
            for (int t = 0; t < j.count; ++t) cw[t] = uint64_t(uint16_t(int16_t(j.coef[t]))) * 0x0001000100010001ull;
            WordRows<F>(j, w, cw.get(), width, height, pitch);
            _mm_empty();
            return;
        }
    }
    bool fits = true;
    for (int t = 0; t < j.count; ++t) fits = fits && j.coef[t] >= -32768 && j.coef[t] <= 32767;
    const int pairs = (j.count + 1) / 2;
    std::unique_ptr<uint64_t[]> cw(fits ? new (std::nothrow) uint64_t[size_t(pairs) + 1]
                                        : nullptr);  // four words a pair
    std::unique_ptr<ptrdiff_t[]> off(fits ? new (std::nothrow) ptrdiff_t[size_t(pairs) * 2 + 1] : nullptr);
    if (!cw || !off) {
        ConvolveRows<F>(j, width, height, pitch);
        return;
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
    Rows<F>(j, cw.get(), off.get(), pairs, width, height, pitch);
    _mm_empty();
}

// 16-bit words, four at a time: each tap's fields in lanes, a channel's sum
// as words, quotient and bias as in WordRows, the clamp to the field's
// width by saturation.
template <class F>
void WordRows16(const ConvJob &j, const WordPath &w, const uint64_t *cw) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 mult = M64(w.mult), shift = _mm_cvtsi32_si64(w.shift), flip = M64(w.flip);
    const bool one = w.mult == 0 && w.shift == 0;
    const __m64 bias[3] = {mmx::Words(j.bias * kBiasMul<F>[0]), mmx::Words(j.bias * kBiasMul<F>[1]),
                           mmx::Words(j.bias * kBiasMul<F>[2])};
    // x + room saturates exactly when x passes the field's largest value.
    const __m64 room[3] = {mmx::Words(0x7FFF - kFieldMax<F>[0]), mmx::Words(0x7FFF - kFieldMax<F>[1]),
                           mmx::Words(0x7FFF - kFieldMax<F>[2])};
    auto channel = [&](__m64 sum, int k) {
        __m64 v = DivideWords(sum, mult, shift, flip, bias[k], one);
        v = _mm_andnot_si64(_mm_srai_pi16(v, 15), v);
        return _mm_subs_pu16(_mm_adds_pi16(v, room[k]), room[k]);
    };
    // Groups whose taps all read eight whole bytes inside the scratch.
    const ptrdiff_t words = j.total / 2, lo = -j.minOff, hi = j.total - 8 - j.maxOff;
    ptrdiff_t i = 0;
    while (i + 4 <= words) {
        const ptrdiff_t q = 2 * i;
        if (q < lo || q > hi) {
            ConvolvePixel<F>(j, q);
            ++i;
            continue;
        }
        const uint8_t *s = j.src + q;
        __m64 r = zero, g = zero, b = zero;
        for (int t = 0; t < j.count; ++t) {
            const mmx::Fields<F> f = mmx::Split16<F>(mmx::Load64(s + j.off[t]));
            const __m64 c = M64(cw[t]);
            r = _mm_add_pi16(r, _mm_mullo_pi16(f.r, c));
            g = _mm_add_pi16(g, _mm_mullo_pi16(f.g, c));
            b = _mm_add_pi16(b, _mm_mullo_pi16(f.b, c));
        }
        mmx::Store64(j.dst + q, mmx::Join16<F>(mmx::Fields<F>{channel(r, 0), channel(g, 1), channel(b, 2)}));
        i += 4;
    }
    for (; i < words; ++i) ConvolvePixel<F>(j, 2 * i);
}

// The word path when the taps and the bias allow it, else word by word as
// the plain rows go.
template <class F>
void Convolve16(const ConvJob &j) {
    const int top = kFieldMax<F>[0] > kFieldMax<F>[1] ? kFieldMax<F>[0] : kFieldMax<F>[1];
    const int64_t bias = int64_t(j.bias) * kBiasMul<F>[1];
    WordPath w;
    if (bias >= -32768 && bias <= 32767 && SetUpWordPath(j, w, top)) {
        std::unique_ptr<uint64_t[]> cw(new (std::nothrow) uint64_t[size_t(j.count) + 1]);
        if (cw) {
            for (int t = 0; t < j.count; ++t) cw[t] = uint64_t(uint16_t(int16_t(j.coef[t]))) * 0x0001000100010001ull;
            WordRows16<F>(j, w, cw.get());
            _mm_empty();
            return;
        }
    }
    ConvolveWords<F>(j, 0, 0, 0);
}

}  // namespace

void ConvolveRows_32_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch) {
    Convolve<Fmt32>(j, width, height, pitch);
}
void ConvolveRows_24_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch) {
    Convolve<Fmt24>(j, width, height, pitch);
}

// The 16-bit kinds walk every word of the buffer, row padding included, as
// the plain rows do: width, height and pitch are not needed.
void ConvolveRows_565_mmx(const ConvJob &j, int, int, ptrdiff_t) { Convolve16<Fmt565>(j); }
void ConvolveRows_555_mmx(const ConvJob &j, int, int, ptrdiff_t) { Convolve16<Fmt555>(j); }
void ConvolveRows_4444_mmx(const ConvJob &j, int, int, ptrdiff_t) { Convolve16<Fmt4444>(j); }

}  // namespace kv
