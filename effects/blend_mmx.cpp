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

// Overlay of four bytes held in 16-bit lanes. Above the threshold both
// operands and the result are complemented (255 - x is x ^ 255), so both
// branches are one multiply and a shift by 7.
inline __m64 OverlayLanes(__m64 d, __m64 s) {
    const __m64 hiMask = _mm_and_si64(_mm_cmpgt_pi16(d, _mm_set1_pi16(127)), _mm_set1_pi16(0xFF));
    const __m64 p = _mm_srli_pi16(_mm_mullo_pi16(_mm_xor_si64(d, hiMask), _mm_xor_si64(s, hiMask)), 7);
    return _mm_xor_si64(p, hiMask);
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
    static __m64 Apply(__m64 d, __m64 s) {
        const __m64 z = _mm_setzero_si64();
        const __m64 lo = OverlayLanes(_mm_unpacklo_pi8(d, z), _mm_unpacklo_pi8(s, z));
        const __m64 hi = OverlayLanes(_mm_unpackhi_pi8(d, z), _mm_unpackhi_pi8(s, z));
        return _mm_packs_pu16(lo, hi);
    }
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

template <class M>
void SourceRows_32mmx(const Block &b, uint32_t key) {
    const __m64 rgbMask = _mm_set_pi32(0x00FFFFFF, 0x00FFFFFF);
    const int k = static_cast<int>(key & 0x00FFFFFFu);
    const __m64 keyv = _mm_set_pi32(k, k);
    uint8_t *drow = b.dst;
    const uint8_t *srow = b.src;
    for (int y = 0; y < b.h; ++y) {
        int x = 0;
        for (; x + 2 <= b.w; x += 2) {
            uint8_t *d = drow + 4 * x;
            Store2(d, KeyedMix<M>(Load2(d), Load2(srow + 4 * x), rgbMask, keyv));
        }
        if (x < b.w) {
            uint8_t *d = drow + 4 * x;
            Store1(d, KeyedMix<M>(Load1(d), Load1(srow + 4 * x), rgbMask, keyv));
        }
        drow += b.dstPitch;
        srow += b.srcPitch;
    }
    _mm_empty();
}

template <class M>
void ColourRows_32mmx(const Block &b, uint32_t colour) {
    const __m64 s = _mm_set_pi32(static_cast<int>(colour), static_cast<int>(colour));
    uint8_t *drow = b.dst;
    const uint8_t *mrow = b.mask;
    for (int y = 0; y < b.h; ++y) {
        int x = 0;
        for (; x + 2 <= b.w; x += 2) {
            const uint32_t a0 = mrow[x], a1 = mrow[x + 1];
            if ((a0 | a1) == 0) continue;
            uint8_t *d = drow + 4 * x;
            const __m64 dv = Load2(d);
            Store2(d, Weighted(dv, Mix<M>(dv, s), a0, a1));
        }
        if (x < b.w && mrow[x] != 0) {
            uint8_t *d = drow + 4 * x;
            const __m64 dv = Load1(d);
            Store1(d, Weighted(dv, Mix<M>(dv, s), mrow[x], 0));
        }
        drow += b.dstPitch;
        mrow += b.maskPitch;
    }
    _mm_empty();
}

template <class M>
void MaskedRows_32mmx(const Block &b) {
    uint8_t *drow = b.dst;
    const uint8_t *srow = b.src, *mrow = b.mask;
    for (int y = 0; y < b.h; ++y) {
        int x = 0;
        for (; x + 2 <= b.w; x += 2) {
            const uint32_t a0 = mrow[x], a1 = mrow[x + 1];
            if ((a0 | a1) == 0) continue;
            uint8_t *d = drow + 4 * x;
            const __m64 dv = Load2(d);
            Store2(d, Weighted(dv, Mix<M>(dv, Load2(srow + 4 * x)), a0, a1));
        }
        if (x < b.w && mrow[x] != 0) {
            uint8_t *d = drow + 4 * x;
            const __m64 dv = Load1(d);
            Store1(d, Weighted(dv, Mix<M>(dv, Load1(srow + 4 * x)), mrow[x], 0));
        }
        drow += b.dstPitch;
        srow += b.srcPitch;
        mrow += b.maskPitch;
    }
    _mm_empty();
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
