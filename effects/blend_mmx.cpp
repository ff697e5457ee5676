// MMX passes of the 32-bit blend modes: two pixels per register. Every
// operation is exact in 16-bit lanes, so the bytes match the plain kernels.
#include <mmintrin.h>
#include <string.h>

#include "blend_modes.h"
#include "pixfmt.h"

namespace kv {
namespace blend {

namespace {

inline __m64 Load2(const uint8_t *p) {
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void Store2(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }
inline __m64 Load1(const uint8_t *p) { return _mm_cvtsi32_si64(static_cast<int>(Load32(p))); }
inline void Store1(uint8_t *p, __m64 v) { Store32(p, static_cast<uint32_t>(_mm_cvtsi64_si32(v))); }

inline __m64 Ones() { return _mm_cmpeq_pi8(_mm_setzero_si64(), _mm_setzero_si64()); }
inline __m64 AlphaBytes() { return _mm_set_pi32(int(0xFF000000u), int(0xFF000000u)); }

// floor(a * b / 2^shift) for every byte, through 16-bit lanes.
template <int kShift>
inline __m64 MulShift(__m64 a, __m64 b) {
    const __m64 z = _mm_setzero_si64();
    const __m64 lo = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(a, z), _mm_unpacklo_pi8(b, z)), kShift);
    const __m64 hi = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(a, z), _mm_unpackhi_pi8(b, z)), kShift);
    return _mm_packs_pu16(lo, hi);
}

// Overlay: above the threshold both operands and the result are
// complemented (255 - x is x ^ 255), so both branches are one multiply and a
// shift by 7. A byte is 128 or more exactly when it is negative as signed.
inline __m64 Overlay(__m64 d, __m64 s) {
    const __m64 upper = _mm_cmpgt_pi8(_mm_setzero_si64(), d);
    return _mm_xor_si64(MulShift<7>(_mm_xor_si64(d, upper), _mm_xor_si64(s, upper)), upper);
}

template <class M> struct Op;

template <> struct Op<Suma> {
    static __m64 Apply(__m64 d, __m64 s) { return _mm_adds_pu8(d, s); }
};
template <> struct Op<Resta> {
    static __m64 Apply(__m64 d, __m64 s) { return _mm_subs_pu8(d, s); }
};
template <> struct Op<Multiplica> {
    static __m64 Apply(__m64 d, __m64 s) { return MulShift<8>(d, s); }
};
template <> struct Op<Screen> {
    static __m64 Apply(__m64 d, __m64 s) {
        const __m64 n = Ones();
        return _mm_xor_si64(MulShift<8>(_mm_xor_si64(d, n), _mm_xor_si64(s, n)), n);
    }
};
// No byte max or min in MMX; saturating differences give them exactly.
template <> struct Op<Lighten> {
    static __m64 Apply(__m64 d, __m64 s) { return _mm_adds_pu8(d, _mm_subs_pu8(s, d)); }
};
template <> struct Op<Darken> {
    static __m64 Apply(__m64 d, __m64 s) { return _mm_subs_pu8(d, _mm_subs_pu8(d, s)); }
};
template <> struct Op<Superponer> {
    static __m64 Apply(__m64 d, __m64 s) { return Overlay(d, s); }
};

// The mode on two pixels, byte 3 kept where the mode leaves it alone.
template <class M>
inline __m64 Mix(__m64 d, __m64 s) {
    const __m64 o = Op<M>::Apply(d, s);
    if (M::kAlpha) return o;
    const __m64 a = AlphaBytes();
    return _mm_or_si64(_mm_andnot_si64(a, o), _mm_and_si64(a, d));
}

// (d * 256 + (o - d) * w) >> 8 lies in 0..65280, so the wrapped 16-bit
// arithmetic lands on the exact value before the logical shift.
inline __m64 WeighLanes(__m64 d, __m64 o, __m64 w) {
    return _mm_srli_pi16(_mm_add_pi16(_mm_mullo_pi16(_mm_sub_pi16(o, d), w), _mm_slli_pi16(d, 8)), 8);
}

// Weights a0 (low pixel) and a1 (high pixel).
inline __m64 Weighted(__m64 d, __m64 o, uint32_t a0, uint32_t a1) {
    const __m64 z = _mm_setzero_si64();
    const __m64 w = _mm_cvtsi32_si64(static_cast<int>(a0 | (a1 << 16)));
    const __m64 ww = _mm_unpacklo_pi16(w, w);
    const __m64 lo = WeighLanes(_mm_unpacklo_pi8(d, z), _mm_unpacklo_pi8(o, z), _mm_unpacklo_pi32(ww, ww));
    const __m64 hi = WeighLanes(_mm_unpackhi_pi8(d, z), _mm_unpackhi_pi8(o, z), _mm_unpackhi_pi32(ww, ww));
    return _mm_packs_pu16(lo, hi);
}

// Keyed source pixels keep the destination.
template <class M>
inline __m64 KeyedMix(__m64 d, __m64 s, __m64 rgbMask, __m64 key) {
    const __m64 keyed = _mm_cmpeq_pi32(_mm_and_si64(s, rgbMask), key);
    return _mm_or_si64(_mm_and_si64(keyed, d), _mm_andnot_si64(keyed, Mix<M>(d, s)));
}

}  // namespace

// Rows are walked four pixels at a time (both loads before either store),
// then a pair, then a last odd pixel.

template <class M>
void SourceRows_32mmx(const Block &b, uint32_t key) {
    const __m64 rgbMask = _mm_set_pi32(0x00FFFFFF, 0x00FFFFFF);
    const int k = static_cast<int>(key & 0x00FFFFFFu);
    const __m64 keyv = _mm_set_pi32(k, k);
    const int w = b.w, h = b.h;
    const ptrdiff_t dp = b.dstPitch, sp = b.srcPitch;
    uint8_t *drow = b.dst;
    const uint8_t *srow = b.src;
    for (int y = 0; y < h; ++y, drow += dp, srow += sp) {
        uint8_t *d = drow;
        const uint8_t *s = srow;
        int x = 0;
        for (; x + 4 <= w; x += 4, d += 16, s += 16) {
            const __m64 d0 = Load2(d), d1 = Load2(d + 8), s0 = Load2(s), s1 = Load2(s + 8);
            Store2(d, KeyedMix<M>(d0, s0, rgbMask, keyv));
            Store2(d + 8, KeyedMix<M>(d1, s1, rgbMask, keyv));
        }
        if (x + 2 <= w) {
            Store2(d, KeyedMix<M>(Load2(d), Load2(s), rgbMask, keyv));
            x += 2, d += 8, s += 8;
        }
        if (x < w) Store1(d, KeyedMix<M>(Load1(d), Load1(s), rgbMask, keyv));
    }
    _mm_empty();
}

namespace {

// Weights of four mask bytes as 16-bit lanes, one register per pixel.
struct Weights4 {
    __m64 w0, w1, w2, w3;
    explicit Weights4(const uint8_t *m) {
        const __m64 v = _mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(Load32(m))), _mm_setzero_si64());
        const __m64 lo = _mm_unpacklo_pi16(v, v), hi = _mm_unpackhi_pi16(v, v);
        w0 = _mm_unpacklo_pi32(lo, lo);
        w1 = _mm_unpackhi_pi32(lo, lo);
        w2 = _mm_unpacklo_pi32(hi, hi);
        w3 = _mm_unpackhi_pi32(hi, hi);
    }
};

// Two pixels weighted by lanes w0 (low pixel) and w1 (high pixel).
inline __m64 WeightedLanes(__m64 d, __m64 o, __m64 w0, __m64 w1) {
    const __m64 z = _mm_setzero_si64();
    const __m64 lo = WeighLanes(_mm_unpacklo_pi8(d, z), _mm_unpacklo_pi8(o, z), w0);
    const __m64 hi = WeighLanes(_mm_unpackhi_pi8(d, z), _mm_unpackhi_pi8(o, z), w1);
    return _mm_packs_pu16(lo, hi);
}

// The colour and masked forms share this walk; `Src` yields the second
// operand of two pixels (a constant colour or the source row).
template <class M, class Src>
void WeightedRows(const Block &b, Src src) {
    const int w = b.w, h = b.h;
    const ptrdiff_t dp = b.dstPitch, mp = b.maskPitch;
    uint8_t *drow = b.dst;
    const uint8_t *mrow = b.mask;
    for (int y = 0; y < h; ++y, drow += dp, mrow += mp, src.NextRow()) {
        uint8_t *d = drow;
        int x = 0;
        for (; x + 4 <= w; x += 4, d += 16) {
            if (Load32(mrow + x) == 0) continue;
            const Weights4 wt(mrow + x);
            const __m64 d0 = Load2(d), d1 = Load2(d + 8), s0 = src.Two(x), s1 = src.Two(x + 2);
            Store2(d, WeightedLanes(d0, Mix<M>(d0, s0), wt.w0, wt.w1));
            Store2(d + 8, WeightedLanes(d1, Mix<M>(d1, s1), wt.w2, wt.w3));
        }
        for (; x < w; ++x, d += 4) {
            const uint32_t a = mrow[x];
            if (a == 0) continue;
            const __m64 dv = Load1(d);
            Store1(d, Weighted(dv, Mix<M>(dv, src.One(x)), a, 0));
        }
    }
    _mm_empty();
}

struct ConstantColour {
    __m64 c;
    __m64 Two(int) const { return c; }
    __m64 One(int) const { return c; }
    void NextRow() {}
};

struct SourceRow {
    const uint8_t *row;
    ptrdiff_t pitch;
    __m64 Two(int x) const { return Load2(row + 4 * x); }
    __m64 One(int x) const { return Load1(row + 4 * x); }
    void NextRow() { row += pitch; }
};

}  // namespace

template <class M>
void ColourRows_32mmx(const Block &b, uint32_t colour) {
    WeightedRows<M>(b, ConstantColour{_mm_set_pi32(static_cast<int>(colour), static_cast<int>(colour))});
}

template <class M>
void MaskedRows_32mmx(const Block &b) {
    WeightedRows<M>(b, SourceRow{b.src, b.srcPitch});
}

#define KV_BLEND_MMX(MODE)                                            \
    template void SourceRows_32mmx<MODE>(const Block &, uint32_t); \
    template void ColourRows_32mmx<MODE>(const Block &, uint32_t); \
    template void MaskedRows_32mmx<MODE>(const Block &);

KV_BLEND_MMX(Suma)
KV_BLEND_MMX(Resta)
KV_BLEND_MMX(Multiplica)
KV_BLEND_MMX(Screen)
KV_BLEND_MMX(Lighten)
KV_BLEND_MMX(Darken)
KV_BLEND_MMX(Superponer)

#undef KV_BLEND_MMX

}  // namespace blend
}  // namespace kv
