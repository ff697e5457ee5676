#include "draw/draw.h"
#include "draw/simd.h"
#include "surface/mmx.h"

namespace kv {

void MaskFillRow_32_mmx(uint8_t *p, int w, uint32_t k, int L) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 dw = _mm_set1_pi16(short(255 - L));
    // k x (L + 1) per byte lane: at most 65280, fits the unsigned 16-bit lane,
    // and so does the whole sum.
    const __m64 kv = _mm_mullo_pi16(_mm_unpacklo_pi8(_mm_cvtsi32_si64(int(k)), zero), _mm_set1_pi16(short(L + 1)));
    int x = 0;
    for (; x + 2 <= w; x += 2, p += 8) {
        __m64 d = mmx::Load64(p);
        __m64 lo = _mm_unpacklo_pi8(d, zero), hi = _mm_unpackhi_pi8(d, zero);
        lo = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(lo, dw), kv), 8);
        hi = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(hi, dw), kv), 8);
        mmx::Store64(p, _mm_packs_pu16(lo, hi));
    }
    if (x < w) {
        __m64 d = _mm_unpacklo_pi8(mmx::Load32(p), zero);
        d = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(d, dw), kv), 8);
        mmx::Store32(p, _mm_packs_pu16(d, zero));
    }
    _mm_empty();
}

// Three 8-byte blocks cover eight pixels, after which the colour's byte
// pattern repeats; each block has its own colour terms.
void MaskFillRow_24_mmx(uint8_t *p, int w, uint32_t k, int L) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 dw = _mm_set1_pi16(short(255 - L)), kw = _mm_set1_pi16(short(L + 1));
    // The three blocks' colour bytes, built in integers: this runs once per
    // row, and a byte loop here costs as much as a short row's work.
    const uint64_t c3 = k & 0xFFFFFFu, rep = c3 | (c3 << 24) | (c3 << 48);
    const uint64_t pattern[3] = {rep, (rep >> 16) | (((rep >> 16) & 0xFFFFu) << 48),
                                 (rep >> 8) | (((rep >> 16) & 0xFFu) << 56)};
    __m64 klo[3], khi[3];
    for (int j = 0; j < 3; ++j) {
        const __m64 c = mmx::Load64(reinterpret_cast<const uint8_t *>(&pattern[j]));
        klo[j] = _mm_mullo_pi16(_mm_unpacklo_pi8(c, zero), kw);
        khi[j] = _mm_mullo_pi16(_mm_unpackhi_pi8(c, zero), kw);
    }
    const int n = w * 3;
    int i = 0;
    for (; i + 24 <= n; i += 24) {
        for (int j = 0; j < 3; ++j) {
            const __m64 d = mmx::Load64(p + i + 8 * j);
            const __m64 lo = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(d, zero), dw), klo[j]), 8);
            const __m64 hi = _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(d, zero), dw), khi[j]), 8);
            mmx::Store64(p + i + 8 * j, _mm_packs_pu16(lo, hi));
        }
    }
    for (; i < n; ++i)
        p[i] = uint8_t((p[i] * uint32_t(255 - L) + ((k >> (8 * (i % 3))) & 0xFF) * uint32_t(L + 1)) >> 8);
    _mm_empty();
}

namespace {

// One field of four pixels: d + floor((k - d) L / 256). |k - d| L stays
// below 2^15 for fields of up to 6 bits, and the arithmetic shift floors.
template <int kBits, int kShift>
inline __m64 BlendField4(__m64 d, __m64 kField, __m64 lv) {
    const __m64 a = _mm_and_si64(_mm_srli_pi16(d, kShift), _mm_set1_pi16(short((1 << kBits) - 1)));
    const __m64 step = _mm_srai_pi16(_mm_mullo_pi16(_mm_sub_pi16(kField, a), lv), 8);
    return _mm_slli_pi16(_mm_add_pi16(a, step), kShift);
}

template <class F>
void MaskFillRow16_mmx(uint8_t *p, int w, uint32_t k, int L) {
    const __m64 lv = _mm_set1_pi16(short(L));
    const __m64 kr = _mm_set1_pi16(short((k & F::kRMask) >> F::kRShift));
    const __m64 kg = _mm_set1_pi16(short((k & F::kGMask) >> F::kGShift));
    const __m64 kb = _mm_set1_pi16(short((k & F::kBMask) >> F::kBShift));
    const __m64 kAll = _mm_set1_pi16(short(k));
    const int groups = w & ~3;
    int x = 0;
    if (L == 255) {
        for (; x < groups; x += 4) mmx::Store64(p + 2 * x, kAll);
    }
    for (; x < groups; x += 4) {
        const __m64 d = mmx::Load64(p + 2 * x);
        const __m64 rf = BlendField4<F::kRBits, F::kRShift>(d, kr, lv);
        const __m64 gf = BlendField4<F::kGBits, F::kGShift>(d, kg, lv);
        const __m64 bf = BlendField4<F::kBBits, F::kBShift>(d, kb, lv);
        mmx::Store64(p + 2 * x, _mm_or_si64(_mm_or_si64(rf, gf), bf));
    }
    for (; x < w; ++x) Store16(p + 2 * x, F::MixFields(k, Load16(p + 2 * x), L));
    _mm_empty();
}

}  // namespace

void MaskFillRow_565_mmx(uint8_t *p, int w, uint32_t k, int L) { MaskFillRow16_mmx<Fmt565>(p, w, k, L); }
void MaskFillRow_555_mmx(uint8_t *p, int w, uint32_t k, int L) { MaskFillRow16_mmx<Fmt555>(p, w, k, L); }
void MaskFillRow_4444_mmx(uint8_t *p, int w, uint32_t k, int L) { MaskFillRow16_mmx<Fmt4444>(p, w, k, L); }

void TranslateRow_bytes_mmx(uint8_t *p, int n, int v) {
    const bool add = v >= 0;
    const __m64 step = _mm_set1_pi8(char(add ? v : -v));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m64 d = mmx::Load64(p + i);
        mmx::Store64(p + i, add ? _mm_adds_pu8(d, step) : _mm_subs_pu8(d, step));
    }
    const int m = add ? v : -v;
    for (; i < n; ++i) {
        const int b = add ? p[i] + m : p[i] - m;
        p[i] = uint8_t(b > 255 ? 255 : b < 0 ? 0 : b);
    }
    _mm_empty();
}

}  // namespace kv
