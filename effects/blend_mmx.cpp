// MMX passes of the 24- and 32-bit blend modes: two pixels per register.
// Every operation is exact in 16-bit lanes, so the bytes match the plain
// kernels.
#include <mmintrin.h>
#include <string.h>

#include "effects/blend_modes.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

namespace {

// Pixel access of the two depths. A 24-bit pixel travels as four bytes whose
// last is the next pixel's first: the passes keep that byte as it was, so a
// four-byte store rewrites the neighbour's byte unchanged before the
// neighbour's own store. The last pair of a group of four is stored in
// exactly its six bytes, so that no store reaches into the bytes the next
// group loads (a load that overlaps a pending store stalls). The paired
// loads need one pixel of slack after the group; the tail goes pixel by
// pixel in three bytes.
struct Io32 {
    static constexpr int kBytes = 4;
    static constexpr int kSlack = 0;
    static constexpr bool kKeepByte3 = false;
    static __m64 Load2(const uint8_t *p) {
        __m64 v;
        memcpy(&v, p, 8);
        return v;
    }
    static void Store2(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }
    static void Store2Last(uint8_t *p, __m64 v) { Store2(p, v); }
    static __m64 Load1(const uint8_t *p) { return _mm_cvtsi32_si64(static_cast<int>(Load32(p))); }
    static void Store1(uint8_t *p, __m64 v) { Store32(p, static_cast<uint32_t>(_mm_cvtsi64_si32(v))); }
};

struct Io24 {
    static constexpr int kBytes = 3;
    static constexpr int kSlack = 1;
    static constexpr bool kKeepByte3 = true;
    static __m64 Load2(const uint8_t *p) {
        return _mm_unpacklo_pi32(_mm_cvtsi32_si64(static_cast<int>(Load32(p))),
                                 _mm_cvtsi32_si64(static_cast<int>(Load32(p + 3))));
    }
    static void Store2(uint8_t *p, __m64 v) {
        Store32(p, static_cast<uint32_t>(_mm_cvtsi64_si32(v)));
        Store32(p + 3, static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_srli_si64(v, 32))));
    }
    static void Store2Last(uint8_t *p, __m64 v) {
        Store32(p, static_cast<uint32_t>(_mm_cvtsi64_si32(v)));
        Fmt24::Store(p + 3, static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_srli_si64(v, 32))));
    }
    static __m64 Load1(const uint8_t *p) { return _mm_cvtsi32_si64(static_cast<int>(Fmt24::Load(p))); }
    static void Store1(uint8_t *p, __m64 v) { Fmt24::Store(p, static_cast<uint32_t>(_mm_cvtsi64_si32(v))); }
};

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

// Each mode on eight bytes; the multiplying ones also on four bytes already
// widened to 16-bit lanes (kLanes), which the weighted forms use to skip a
// pack and unpack.
template <class M> struct Op;

template <> struct Op<Suma> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_adds_pu8(d, s); }
};
template <> struct Op<Resta> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_subs_pu8(d, s); }
};
template <> struct Op<Multiplica> {
    static constexpr bool kLanes = true;
    static __m64 Apply(__m64 d, __m64 s) { return MulShift<8>(d, s); }
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_srli_pi16(_mm_mullo_pi16(d, s), 8); }
};
template <> struct Op<Screen> {
    static constexpr bool kLanes = true;
    static __m64 Apply(__m64 d, __m64 s) {
        const __m64 n = Ones();
        return _mm_xor_si64(MulShift<8>(_mm_xor_si64(d, n), _mm_xor_si64(s, n)), n);
    }
    static __m64 Lanes(__m64 d, __m64 s) {
        const __m64 n = _mm_set1_pi16(0xFF);
        return _mm_xor_si64(_mm_srli_pi16(_mm_mullo_pi16(_mm_xor_si64(d, n), _mm_xor_si64(s, n)), 8), n);
    }
};
// No byte max or min in MMX; saturating differences give them exactly.
template <> struct Op<Lighten> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_adds_pu8(d, _mm_subs_pu8(s, d)); }
};
template <> struct Op<Darken> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_subs_pu8(d, _mm_subs_pu8(d, s)); }
};
template <> struct Op<Superponer> {
    static constexpr bool kLanes = true;
    static __m64 Apply(__m64 d, __m64 s) { return Overlay(d, s); }
    static __m64 Lanes(__m64 d, __m64 s) {
        const __m64 upper = _mm_and_si64(_mm_cmpgt_pi16(d, _mm_set1_pi16(127)), _mm_set1_pi16(0xFF));
        return _mm_xor_si64(_mm_srli_pi16(_mm_mullo_pi16(_mm_xor_si64(d, upper), _mm_xor_si64(s, upper)), 7), upper);
    }
};

// The mode on two pixels, byte 3 kept where the mode (or the 24-bit
// access) leaves it alone.
template <class M, class Io>
inline __m64 Mix(__m64 d, __m64 s) {
    const __m64 o = Op<M>::Apply(d, s);
    if (M::kAlpha && !Io::kKeepByte3) return o;
    const __m64 a = AlphaBytes();
    return _mm_or_si64(_mm_andnot_si64(a, o), _mm_and_si64(a, d));
}

// d + floor((o - d) * a / 256) in each lane, with w = 2a: the signed high
// half of ((o - d) * 128) * 2a is exactly floor((o - d) * a / 256), and both
// factors fit in 16 signed bits.
inline __m64 WeighLanes(__m64 d, __m64 o, __m64 w) {
    return _mm_add_pi16(d, _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(o, d), 7), w));
}

// Keyed source pixels keep the destination.
template <class M, class Io>
inline __m64 KeyedMix(__m64 d, __m64 s, __m64 rgbMask, __m64 key) {
    const __m64 keyed = _mm_cmpeq_pi32(_mm_and_si64(s, rgbMask), key);
    return _mm_or_si64(_mm_and_si64(keyed, d), _mm_andnot_si64(keyed, Mix<M, Io>(d, s)));
}

// Four mask bytes doubled (see WeighLanes) in 16-bit lanes, one register
// per pixel.
struct Weights4 {
    __m64 w0, w1, w2, w3;
    explicit Weights4(const uint8_t *m) {
        const __m64 v = _mm_slli_pi16(
            _mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(Load32(m))), _mm_setzero_si64()), 1);
        const __m64 lo = _mm_unpacklo_pi16(v, v), hi = _mm_unpackhi_pi16(v, v);
        w0 = _mm_unpacklo_pi32(lo, lo);
        w1 = _mm_unpackhi_pi32(lo, lo);
        w2 = _mm_unpacklo_pi32(hi, hi);
        w3 = _mm_unpackhi_pi32(hi, hi);
    }
};

// Two pixels blended and weighted by lanes w0 (low pixel) and w1 (high).
template <class M, class Io>
inline __m64 MixWeighted(__m64 d, __m64 s, __m64 w0, __m64 w1) {
    const __m64 z = _mm_setzero_si64();
    const __m64 dl = _mm_unpacklo_pi8(d, z), dh = _mm_unpackhi_pi8(d, z);
    __m64 ol, oh;
    if constexpr (Op<M>::kLanes) {
        ol = Op<M>::Lanes(dl, _mm_unpacklo_pi8(s, z));
        oh = Op<M>::Lanes(dh, _mm_unpackhi_pi8(s, z));
        if (!M::kAlpha || Io::kKeepByte3) {
            const __m64 a = _mm_set_pi16(-1, 0, 0, 0);
            ol = _mm_or_si64(_mm_andnot_si64(a, ol), _mm_and_si64(a, dl));
            oh = _mm_or_si64(_mm_andnot_si64(a, oh), _mm_and_si64(a, dh));
        }
    } else {
        const __m64 o = Mix<M, Io>(d, s);
        ol = _mm_unpacklo_pi8(o, z);
        oh = _mm_unpackhi_pi8(o, z);
    }
    return _mm_packs_pu16(WeighLanes(dl, ol, w0), WeighLanes(dh, oh, w1));
}

// Rows are walked four pixels at a time (all loads before any store), then
// pixel by pixel.
template <class M, class Io>
void SourceRows(const Block &b, uint32_t key) {
    constexpr int n = Io::kBytes;
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
        for (; x + 4 + Io::kSlack <= w; x += 4, d += 4 * n, s += 4 * n) {
            const __m64 d0 = Io::Load2(d), d1 = Io::Load2(d + 2 * n);
            const __m64 s0 = Io::Load2(s), s1 = Io::Load2(s + 2 * n);
            Io::Store2(d, KeyedMix<M, Io>(d0, s0, rgbMask, keyv));
            Io::Store2Last(d + 2 * n, KeyedMix<M, Io>(d1, s1, rgbMask, keyv));
        }
        for (; x < w; ++x, d += n, s += n) Io::Store1(d, KeyedMix<M, Io>(Io::Load1(d), Io::Load1(s), rgbMask, keyv));
    }
    _mm_empty();
}

// The colour and masked forms share this walk; `Src` yields the second
// operand of two pixels (a constant colour or the source row).
template <class M, class Io, class Src>
void WeightedRows(const Block &b, Src src) {
    constexpr int n = Io::kBytes;
    const int w = b.w, h = b.h;
    const ptrdiff_t dp = b.dstPitch, mp = b.maskPitch;
    uint8_t *drow = b.dst;
    const uint8_t *mrow = b.mask;
    for (int y = 0; y < h; ++y, drow += dp, mrow += mp, src.NextRow()) {
        uint8_t *d = drow;
        int x = 0;
        for (; x + 4 + Io::kSlack <= w; x += 4, d += 4 * n) {
            if (Load32(mrow + x) == 0) continue;
            const Weights4 wt(mrow + x);
            const __m64 d0 = Io::Load2(d), d1 = Io::Load2(d + 2 * n);
            const __m64 s0 = src.template Two<Io>(x), s1 = src.template Two<Io>(x + 2);
            Io::Store2(d, MixWeighted<M, Io>(d0, s0, wt.w0, wt.w1));
            Io::Store2Last(d + 2 * n, MixWeighted<M, Io>(d1, s1, wt.w2, wt.w3));
        }
        for (; x < w; ++x, d += n) {
            const uint32_t a = mrow[x];
            if (a == 0) continue;
            Io::Store1(d, MixWeighted<M, Io>(Io::Load1(d), src.template One<Io>(x), _mm_set1_pi16(short(2 * a)),
                                             _mm_setzero_si64()));
        }
    }
    _mm_empty();
}

struct ConstantColour {
    __m64 c;
    template <class Io> __m64 Two(int) const { return c; }
    template <class Io> __m64 One(int) const { return c; }
    void NextRow() {}
};

struct SourceRow {
    const uint8_t *row;
    ptrdiff_t pitch;
    template <class Io> __m64 Two(int x) const { return Io::Load2(row + Io::kBytes * x); }
    template <class Io> __m64 One(int x) const { return Io::Load1(row + Io::kBytes * x); }
    void NextRow() { row += pitch; }
};

inline __m64 Twice(uint32_t c) { return _mm_set_pi32(static_cast<int>(c), static_cast<int>(c)); }

}  // namespace

template <class M> void SourceRows_32mmx(const Block &b, uint32_t key) { SourceRows<M, Io32>(b, key); }
template <class M> void SourceRows_24mmx(const Block &b, uint32_t key) { SourceRows<M, Io24>(b, key); }
template <class M> void ColourRows_32mmx(const Block &b, uint32_t c) { WeightedRows<M, Io32>(b, ConstantColour{Twice(c)}); }
template <class M> void ColourRows_24mmx(const Block &b, uint32_t c) { WeightedRows<M, Io24>(b, ConstantColour{Twice(c)}); }
template <class M> void MaskedRows_32mmx(const Block &b) { WeightedRows<M, Io32>(b, SourceRow{b.src, b.srcPitch}); }
template <class M> void MaskedRows_24mmx(const Block &b) { WeightedRows<M, Io24>(b, SourceRow{b.src, b.srcPitch}); }

#define KV_BLEND_MMX(MODE)                                            \
    template void SourceRows_32mmx<MODE>(const Block &, uint32_t); \
    template void ColourRows_32mmx<MODE>(const Block &, uint32_t); \
    template void MaskedRows_32mmx<MODE>(const Block &);           \
    template void SourceRows_24mmx<MODE>(const Block &, uint32_t); \
    template void ColourRows_24mmx<MODE>(const Block &, uint32_t); \
    template void MaskedRows_24mmx<MODE>(const Block &);

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
