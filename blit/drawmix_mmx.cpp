// MMX row kernels of the mixing operations. Each reproduces its plain loop
// bit for bit through one of two exact forms of the weighted mean: the sum
// s * w + d * (256 - w), which never exceeds 255 * 256 and so fits an
// unsigned 16-bit lane whole, or d + floor((s - d) * w / 256), a signed step
// that pmulhw gives exactly and that needs one multiply instead of two.
#include <mmintrin.h>
#include <string.h>

#include "blit/mix.h"
#include "blit/simd.h"
#include "surface/mmx.h"

namespace kv {

namespace {

using mmx::Load32;
using mmx::Load64;
using mmx::Store32;
using mmx::Store64;

// (s * w + d * c) >> 8 in 16-bit lanes.
inline __m64 MixLanes(__m64 s, __m64 d, __m64 w, __m64 c) {
    return _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(s, w), _mm_mullo_pi16(d, c)), 8);
}

// The weighted mean as base + floor((other - base) * k / 256), on eight
// bytes at once: the even bytes in the low halves of the 16-bit lanes, the
// odd ones shifted down from the high halves, so nothing is unpacked. The
// result of each half stays within its byte, so both steps add onto the
// packed base without carries. pmulhw of the signed difference by k << 8
// is exactly that floor for k below 128; StepBytes4 takes any k up to 256
// as k << 6 against four times the difference.
inline __m64 StepBytes(__m64 base, __m64 other, __m64 vk) {
    const __m64 lo = _mm_set1_pi16(0x00FF);
    const __m64 e = _mm_mulhi_pi16(_mm_sub_pi16(_mm_and_si64(other, lo), _mm_and_si64(base, lo)), vk);
    const __m64 o = _mm_mulhi_pi16(_mm_sub_pi16(_mm_srli_pi16(other, 8), _mm_srli_pi16(base, 8)), vk);
    return _mm_add_pi16(_mm_add_pi16(base, e), _mm_slli_pi16(o, 8));
}
// Even and odd bytes with weights of their own (24-bit pixels straddle the
// lanes).
inline __m64 StepBytes4(__m64 base, __m64 other, __m64 even6, __m64 odd6) {
    const __m64 lo = _mm_set1_pi16(0x00FF);
    const __m64 e =
        _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(_mm_and_si64(other, lo), _mm_and_si64(base, lo)), 2), even6);
    const __m64 o =
        _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(_mm_srli_pi16(other, 8), _mm_srli_pi16(base, 8)), 2), odd6);
    return _mm_add_pi16(_mm_add_pi16(base, e), _mm_slli_pi16(o, 8));
}
inline __m64 StepBytes4(__m64 base, __m64 other, __m64 vk6) { return StepBytes4(base, other, vk6, vk6); }

// Four R5G6B5 pixels mixed with per-lane weights w and complements c.
inline __m64 Mix565(__m64 s, __m64 d, __m64 w, __m64 c) {
    const __m64 g6 = _mm_set1_pi16(0x3F), b5 = _mm_set1_pi16(0x1F);
    const __m64 r = MixLanes(_mm_srli_pi16(s, 11), _mm_srli_pi16(d, 11), w, c);
    const __m64 g = MixLanes(_mm_and_si64(_mm_srli_pi16(s, 5), g6), _mm_and_si64(_mm_srli_pi16(d, 5), g6), w, c);
    const __m64 b = MixLanes(_mm_and_si64(s, b5), _mm_and_si64(d, b5), w, c);
    return _mm_or_si64(_mm_or_si64(_mm_slli_pi16(r, 11), _mm_slli_pi16(g, 5)), b);
}

inline uint32_t ScaledM(uint32_t m, int scale) { return scale < 0 ? m : (m * uint32_t(scale)) >> 8; }

// Weight that reproduces keep (0), copy (256) and mix in one formula.
inline uint32_t PixelWeight(uint32_t m, int scale) {
    const uint32_t v = ScaledM(m, scale);
    if (v == 0) return 0;
    if (v == 255) return 256;
    return scale < 0 ? v + 1 : v;
}

}  // namespace

void MixRow_bytes_mmx(uint8_t *d, const uint8_t *s, int nbytes, uint32_t w) {
    int i = 0;
    if (w != 128) {
        // Below half a step from d towards s; above half the same mean as a
        // step from s towards d by 256 - w, so the factor always fits k << 8.
        const bool low = w < 128;
        const __m64 vk = _mm_set1_pi16(short((low ? w : 256 - w) << 8));
        const uint8_t *base = low ? d : s, *other = low ? s : d;
        for (; i + 16 <= nbytes; i += 16) {
            const __m64 a = StepBytes(Load64(base + i), Load64(other + i), vk);
            const __m64 b = StepBytes(Load64(base + i + 8), Load64(other + i + 8), vk);
            Store64(d + i, a);
            Store64(d + i + 8, b);
        }
        for (; i + 8 <= nbytes; i += 8) Store64(d + i, StepBytes(Load64(base + i), Load64(other + i), vk));
        _mm_empty();
    }
    for (; i < nbytes; ++i) d[i] = uint8_t(Mix(s[i], d[i], w));
}

void ShiftRow_bytes_mmx(uint8_t *d, const uint8_t *s, int nbytes, int level) {
    const __m64 half = _mm_set1_pi8(0x7F), quarter = _mm_set1_pi8(0x3F);
    int i = 0;
    for (; i + 8 <= nbytes; i += 8) {
        const __m64 S = Load64(s + i), D = Load64(d + i);
        __m64 r;
        if (level == 192)
            r = _mm_add_pi8(
                _mm_add_pi8(_mm_and_si64(_mm_srli_si64(S, 1), half), _mm_and_si64(_mm_srli_si64(S, 2), quarter)),
                _mm_and_si64(_mm_srli_si64(D, 2), quarter));
        else if (level == 128)
            r = _mm_add_pi8(_mm_and_si64(_mm_srli_si64(S, 1), half), _mm_and_si64(_mm_srli_si64(D, 1), half));
        else
            r = _mm_add_pi8(
                _mm_add_pi8(_mm_and_si64(_mm_srli_si64(D, 1), half), _mm_and_si64(_mm_srli_si64(D, 2), quarter)),
                _mm_and_si64(_mm_srli_si64(S, 2), quarter));
        Store64(d + i, r);
    }
    _mm_empty();
    for (; i < nbytes; ++i) d[i] = uint8_t(ShiftMix(s[i], d[i], level, 0x7F, 0x3F));
}

namespace {

// Four 16-bit pixels as base + floor((other - base) * k / 256) per channel,
// k below 128 given as k << 8 and kg = k << (8 - green shift). Each channel's
// signed step keeps it in range, so the steps add onto the packed base
// without carries between channels. Green keeps its difference in place;
// red keeps the low 16 bits of diff * k << (red shift - 8), whose red bits
// are the step once the remainder below is cleared. That step is only known
// modulo the channel, so what it carries past red is cut off with the
// alpha bits, which mixed pixels do not keep.
template <class F>
inline __m64 Step16(__m64 base, __m64 other, __m64 k8, __m64 kg, __m64 kr) {
    static_assert(F::kBShift == 0 && F::kGShift <= 8 && F::kRShift >= 8, "layout with blue at the bottom");
    constexpr bool kFull = F::kRGBMask == 0xFFFF;
    const __m64 rgb = _mm_set1_pi16(short(F::kRGBMask));
    const __m64 gm = _mm_set1_pi16(short(F::kGMask)), bm = _mm_set1_pi16(short(F::kBMask));
    const __m64 rm = _mm_set1_pi16(short(F::kRMask)), rLow = _mm_set1_pi16(short(F::kRMask >> F::kRShift));
    if (!kFull) base = _mm_and_si64(base, rgb);
    __m64 ro = _mm_srli_pi16(other, F::kRShift), rb = _mm_srli_pi16(base, F::kRShift);
    if (!kFull) ro = _mm_and_si64(ro, rLow);
    const __m64 r = _mm_and_si64(_mm_mullo_pi16(_mm_sub_pi16(ro, rb), kr), rm);
    const __m64 g =
        _mm_slli_pi16(_mm_mulhi_pi16(_mm_sub_pi16(_mm_and_si64(other, gm), _mm_and_si64(base, gm)), kg), F::kGShift);
    const __m64 b = _mm_mulhi_pi16(_mm_sub_pi16(_mm_and_si64(other, bm), _mm_and_si64(base, bm)), k8);
    const __m64 sum = _mm_add_pi16(_mm_add_pi16(base, r), _mm_add_pi16(g, b));
    return kFull ? sum : _mm_and_si64(sum, rgb);
}

template <class F>
void MixRow16(uint8_t *d, const uint8_t *s, int n, uint32_t w) {
    if (w == 128) {
        // Not reached from the level form (128 has its shift kernel).
        for (int x = 0; x < n; ++x) F::Store(d + 2 * x, F::MixFields(F::Load(s + 2 * x), F::Load(d + 2 * x), w));
        return;
    }
    // Above half the same mean is a step from the source towards the
    // destination by 256 - w, so the factor always stays below 128.
    const bool low = w < 128;
    const uint32_t k = low ? w : 256 - w;
    const __m64 k8 = _mm_set1_pi16(short(k << 8)), kg = _mm_set1_pi16(short(k << (8 - F::kGShift)));
    const __m64 kr = _mm_set1_pi16(short(k << (F::kRShift - 8)));
    const uint8_t *base = low ? d : s, *other = low ? s : d;
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m64 a = Step16<F>(Load64(base + 2 * x), Load64(other + 2 * x), k8, kg, kr);
        const __m64 b = Step16<F>(Load64(base + 2 * x + 8), Load64(other + 2 * x + 8), k8, kg, kr);
        Store64(d + 2 * x, a);
        Store64(d + 2 * x + 8, b);
    }
    for (; x < n; x += 4) Store64(d + 2 * x, Step16<F>(Load64(base + 2 * x), Load64(other + 2 * x), k8, kg, kr));
    _mm_empty();
}

}  // namespace

void MixRow_565_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w) { MixRow16<Fmt565>(d, s, n, w); }
void MixRow_555_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w) { MixRow16<Fmt555>(d, s, n, w); }
void MixRow_4444_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w) { MixRow16<Fmt4444>(d, s, n, w); }

namespace {

// The shift levels on any 16-bit layout: red and green at full precision,
// blue by its truncated halves and quarters, each field in its own lanes;
// the bits outside the three fields come out 0.
template <class F>
void ShiftGroupFields(uint8_t *d, const uint8_t *s, int n, int level) {
    static_assert(F::kBShift == 0, "blue is the low field");
    for (int x = 0; x < n; x += 4) {
        const mmx::Fields<F> S = mmx::Split16<F>(Load64(s + 2 * x)), D = mmx::Split16<F>(Load64(d + 2 * x));
        mmx::Fields<F> o;
        if (level == 192) {
            o.r = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(S.r, _mm_slli_pi16(S.r, 1)), D.r), 2);
            o.g = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(S.g, _mm_slli_pi16(S.g, 1)), D.g), 2);
            o.b = _mm_add_pi16(_mm_add_pi16(_mm_srli_pi16(S.b, 1), _mm_srli_pi16(S.b, 2)), _mm_srli_pi16(D.b, 2));
        } else if (level == 128) {
            o.r = _mm_srli_pi16(_mm_add_pi16(S.r, D.r), 1);
            o.g = _mm_srli_pi16(_mm_add_pi16(S.g, D.g), 1);
            o.b = _mm_add_pi16(_mm_srli_pi16(S.b, 1), _mm_srli_pi16(D.b, 1));
        } else {
            o.r = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(D.r, _mm_slli_pi16(D.r, 1)), S.r), 2);
            o.g = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(D.g, _mm_slli_pi16(D.g, 1)), S.g), 2);
            o.b = _mm_add_pi16(_mm_add_pi16(_mm_srli_pi16(D.b, 1), _mm_srli_pi16(D.b, 2)), _mm_srli_pi16(S.b, 2));
        }
        Store64(d + 2 * x, mmx::Join16<F>(o));
    }
    _mm_empty();
}

}  // namespace

void ShiftGroupRow_565_mmx(uint8_t *d, const uint8_t *s, int n, int level) {
    if (level != 128) return ShiftGroupFields<Fmt565>(d, s, n, level);
    // Red and green: (s AND d) + ((s XOR d) >> 1) is the exact floor of the
    // mean per channel once the bit each channel hands down is cleared; blue
    // by its two truncated halves.
    const __m64 rg = _mm_set1_pi16(short(0xFFE0)), rgHalf = _mm_set1_pi16(0x7BE0), bHalf = _mm_set1_pi16(0x0F);
    for (int x = 0; x < n; x += 4) {
        const __m64 S = Load64(s + 2 * x), D = Load64(d + 2 * x);
        const __m64 up = _mm_add_pi16(_mm_and_si64(_mm_and_si64(S, D), rg),
                                      _mm_and_si64(_mm_srli_pi16(_mm_xor_si64(S, D), 1), rgHalf));
        const __m64 lo =
            _mm_add_pi16(_mm_and_si64(_mm_srli_pi16(S, 1), bHalf), _mm_and_si64(_mm_srli_pi16(D, 1), bHalf));
        Store64(d + 2 * x, _mm_or_si64(up, lo));
    }
    _mm_empty();
}
void ShiftGroupRow_555_mmx(uint8_t *d, const uint8_t *s, int n, int level) { ShiftGroupFields<Fmt555>(d, s, n, level); }
void ShiftGroupRow_4444_mmx(uint8_t *d, const uint8_t *s, int n, int level) {
    ShiftGroupFields<Fmt4444>(d, s, n, level);
}

namespace {

// Four pixels of any 16-bit layout mixed field by field with per-lane
// weights w and complements c; the bits outside the fields come out 0.
template <class F>
inline __m64 MixFields4(__m64 s, __m64 d, __m64 w, __m64 c) {
    if constexpr (F::kRGBMask == 0xFFFF) {
        return Mix565(s, d, w, c);
    } else {
        const mmx::Fields<F> S = mmx::Split16<F>(s), D = mmx::Split16<F>(d);
        return mmx::Join16<F>(
            mmx::Fields<F>{MixLanes(S.r, D.r, w, c), MixLanes(S.g, D.g, w, c), MixLanes(S.b, D.b, w, c)});
    }
}

template <class F>
void AlphaRow16(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale) {
    const __m64 zero = _mm_setzero_si64(), full = _mm_set1_pi16(256);
    const __m64 vscale = _mm_set1_pi16(short(scale < 0 ? 256 : scale));
    for (int x = 0; x < n; x += 4) {
        uint32_t a4;
        memcpy(&a4, a + x, 4);
        if (a4 == 0) continue;
        __m64 w = _mm_unpacklo_pi8(_mm_cvtsi32_si64(int(a4)), zero);
        if (scale >= 0) w = _mm_srli_pi16(_mm_mullo_pi16(w, vscale), 8);
        // All four at 255 (after scaling): a plain copy, alpha bits included.
        const __m64 is255 = _mm_cmpeq_pi16(w, _mm_set1_pi16(255));
        if (_mm_cvtsi64_si32(_mm_packs_pi16(is255, is255)) == -1) {
            memcpy(d + 2 * x, s + 2 * x, 8);
            continue;
        }
        const __m64 D = Load64(d + 2 * x);
        __m64 o = MixFields4<F>(Load64(s + 2 * x), D, w, _mm_sub_pi16(full, w));
        // Weight 0 leaves the pixel as it was, alpha bits included.
        if constexpr (F::kRGBMask != 0xFFFF) {
            const __m64 keep = _mm_cmpeq_pi16(w, zero);
            o = _mm_or_si64(_mm_and_si64(keep, D), _mm_andnot_si64(keep, o));
        }
        Store64(d + 2 * x, o);
    }
    _mm_empty();
}

}  // namespace

void AlphaRow_565_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale) {
    AlphaRow16<Fmt565>(d, s, a, n, scale);
}
void AlphaRow_555_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale) {
    AlphaRow16<Fmt555>(d, s, a, n, scale);
}
void AlphaRow_4444_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale) {
    AlphaRow16<Fmt4444>(d, s, a, n, scale);
}

namespace {

// Weights of four alpha values in 16-bit lanes: keep (0), copy (256) or the
// mix weight, with no branch per pixel.
inline __m64 Weights4(uint32_t a4, int scale) {
    const __m64 zero = _mm_setzero_si64();
    __m64 m = _mm_unpacklo_pi8(_mm_cvtsi32_si64(int(a4)), zero);
    if (scale < 0) {
        // m + 1, but 0 stays 0 (255 becomes 256: a copy).
        return _mm_add_pi16(_mm_add_pi16(m, _mm_set1_pi16(1)), _mm_cmpeq_pi16(m, zero));
    }
    m = _mm_srli_pi16(_mm_mullo_pi16(m, _mm_set1_pi16(short(scale))), 8);
    // m', but 255 becomes 256.
    return _mm_sub_pi16(m, _mm_cmpeq_pi16(m, _mm_set1_pi16(255)));
}

inline uint32_t Gather4(const uint8_t *a, int astep) {
    if (astep == 1) {
        uint32_t v;
        memcpy(&v, a, 4);
        return v;
    }
    return uint32_t(a[0]) | (uint32_t(a[astep]) << 8) | (uint32_t(a[2 * astep]) << 16) | (uint32_t(a[3 * astep]) << 24);
}

// Pixels x to n - 1 of a 24- or 32-bit row one at a time, every byte at the
// pixel's weight (a copy at 256 comes out of the same sum).
template <class F>
void AlphaPixels(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int x, int n, int scale) {
    const __m64 zero = _mm_setzero_si64(), full = _mm_set1_pi16(256);
    for (; x < n; ++x) {
        const uint32_t w = PixelWeight(a[astep * x], scale);
        if (w == 0) continue;
        const __m64 vw = _mm_set1_pi16(short(w));
        const __m64 sp = _mm_cvtsi32_si64(int(F::Load(s + F::kBytes * x)));
        const __m64 dp = _mm_cvtsi32_si64(int(F::Load(d + F::kBytes * x)));
        const __m64 r = MixLanes(_mm_unpacklo_pi8(sp, zero), _mm_unpacklo_pi8(dp, zero), vw, _mm_sub_pi16(full, vw));
        F::Store(d + F::kBytes * x, uint32_t(_mm_cvtsi64_si32(_mm_packs_pu16(r, zero))));
    }
}

// The groups of four of a 24- or 32-bit row, through Group for the groups
// that mix (a clear group is kept, a plain map's opaque group copied);
// returns how many pixels it took. Scaling is decided once per row, not per
// group.
using GroupFn = void (*)(uint8_t *d, const uint8_t *s, __m64 w6);

template <class F, bool kScaled, GroupFn Group>
int AlphaGroups(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale) {
    const int groups = n & ~3;
    uint8_t *const end = d + F::kBytes * static_cast<ptrdiff_t>(groups);
    for (; d < end; d += 4 * F::kBytes, s += 4 * F::kBytes, a += 4 * astep) {
        const uint32_t a4 = Gather4(a, astep);
        if (a4 == 0) continue;
        if (!kScaled && a4 == 0xFFFFFFFFu) {
            memcpy(d, s, 4 * F::kBytes);
            continue;
        }
        // Weights 0..256 as w << 6.
        Group(d, s, _mm_slli_pi16(Weights4(a4, kScaled ? scale : -1), 6));
    }
    return groups;
}

// Four 32-bit pixels: two share a register, lanes [w0 w0 w1 w1] serve its
// even and odd bytes alike.
inline void MixGroup32(uint8_t *d, const uint8_t *s, __m64 w6) {
    const __m64 w01 = _mm_unpacklo_pi16(w6, w6), w23 = _mm_unpackhi_pi16(w6, w6);
    const __m64 p01 = StepBytes4(Load64(d), Load64(s), w01);
    const __m64 p23 = StepBytes4(Load64(d + 8), Load64(s + 8), w23);
    Store64(d, p01);
    Store64(d + 8, p23);
}

// Four 24-bit pixels, twelve bytes. Bytes 0-7 are b0 g0 r0 b1 g1 r1 b2 g2:
// even bytes of pixels 0 0 1 2, odd bytes of 0 1 1 2. Bytes 8-11 are
// r2 b3 g3 r3: even of 2 3, odd of 3 3.
inline void MixGroup24(uint8_t *d, const uint8_t *s, __m64 w) {
    const __m64 lane0 = _mm_set_pi16(0, 0, 0, -1), lanes01 = _mm_set_pi16(0, 0, -1, -1);
    const __m64 up = _mm_slli_si64(w, 16);
    const __m64 even0 = _mm_or_si64(up, _mm_and_si64(w, lane0));
    const __m64 odd0 = _mm_or_si64(_mm_and_si64(w, lanes01), _mm_andnot_si64(lanes01, up));
    const __m64 even1 = _mm_srli_si64(w, 32), odd1 = _mm_srli_si64(_mm_unpackhi_pi16(w, w), 32);
    const __m64 p0 = StepBytes4(Load64(d), Load64(s), even0, odd0);
    const __m64 p1 = StepBytes4(Load32(d + 8), Load32(s + 8), even1, odd1);
    Store64(d, p0);
    Store32(d + 8, p1);
}

template <class F, GroupFn Group>
void AlphaRowBytes(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale) {
    int x;
    if (scale >= 0)
        x = AlphaGroups<F, true, Group>(d, s, a, astep, n, scale);
    else if (astep == 1)
        x = AlphaGroups<F, false, Group>(d, s, a, 1, n, scale);
    else
        x = AlphaGroups<F, false, Group>(d, s, a, astep, n, scale);
    AlphaPixels<F>(d, s, a, astep, x, n, scale);
    _mm_empty();
}

}  // namespace

void AlphaRow_32_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale) {
    AlphaRowBytes<Fmt32, MixGroup32>(d, s, a, astep, n, scale);
}

void AlphaRow_24_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale) {
    AlphaRowBytes<Fmt24, MixGroup24>(d, s, a, astep, n, scale);
}

}  // namespace kv
