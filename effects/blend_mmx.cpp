// MMX rows of the 24- and 32-bit blend modes: two pixels per register.
// Every operation is exact in 16-bit lanes, so the bytes match the plain
// rows.
#include <mmintrin.h>

#include "effects/blend_modes.h"
#include "effects/blend_ops_mmx.h"
#include "effects/mmx_rows.h"
#include "effects/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

namespace {

// Two pixels in one register. A 24-bit pixel travels as four bytes whose
// last is the next pixel's first: the rows keep that byte as it was, so a
// four-byte store rewrites the neighbour's byte unchanged before the
// neighbour's own store. The last pair of a group of four is stored in
// exactly its six bytes, so that no store reaches into the bytes the next
// group loads (a load that overlaps a pending store stalls). The paired
// loads need one pixel of slack after the group; the tail goes pixel by
// pixel in three bytes.
inline __m64 LoadPair(Fmt32, const uint8_t *p) { return mmx::Load64(p); }
inline void StorePair(Fmt32, uint8_t *p, __m64 v) { mmx::Store64(p, v); }
inline void StoreLastPair(Fmt32, uint8_t *p, __m64 v) { mmx::Store64(p, v); }
inline __m64 LoadOne(Fmt32, const uint8_t *p) { return mmx::Load32(p); }
inline void StoreOne(Fmt32, uint8_t *p, __m64 v) { mmx::Store32(p, v); }

inline __m64 LoadPair(Fmt24, const uint8_t *p) { return _mm_unpacklo_pi32(mmx::Load32(p), mmx::Load32(p + 3)); }
inline void StorePair(Fmt24, uint8_t *p, __m64 v) {
    mmx::Store32(p, v);
    mmx::Store32(p + 3, _mm_srli_si64(v, 32));
}
inline void StoreLastPair(Fmt24, uint8_t *p, __m64 v) {
    mmx::Store32(p, v);
    Fmt24::Store(p + 3, static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_srli_si64(v, 32))));
}
inline __m64 LoadOne(Fmt24, const uint8_t *p) { return _mm_cvtsi32_si64(static_cast<int>(Fmt24::Load(p))); }
inline void StoreOne(Fmt24, uint8_t *p, __m64 v) { Fmt24::Store(p, static_cast<uint32_t>(_mm_cvtsi64_si32(v))); }

// Pixels of slack a group of four needs after it, and whether byte 3 of a
// register belongs to the pixel (for 24 bits it is the neighbour's).
template <class F>
constexpr int kSlack = 4 - F::kBytes;
template <class F>
constexpr bool kKeepByte3 = F::kBytes == 3;

inline __m64 AlphaBytes() { return _mm_set_pi32(int(0xFF000000u), int(0xFF000000u)); }

// The mode on two pixels, byte 3 kept where the mode (or the 24-bit
// access) leaves it alone.
template <class M, class F>
inline __m64 Mix(__m64 d, __m64 s) {
    const __m64 o = Op<M>::Apply(d, s);
    if (M::kAlpha && !kKeepByte3<F>) return o;
    const __m64 a = AlphaBytes();
    return _mm_or_si64(_mm_andnot_si64(a, o), _mm_and_si64(a, d));
}

// Keyed source pixels keep the destination.
template <class M, class F>
inline __m64 KeyedMix(__m64 d, __m64 s, __m64 rgbMask, __m64 key) {
    const __m64 keyed = _mm_cmpeq_pi32(_mm_and_si64(s, rgbMask), key);
    return _mm_or_si64(_mm_and_si64(keyed, d), _mm_andnot_si64(keyed, Mix<M, F>(d, s)));
}

// Four mask bytes doubled (see WeighLanes) in 16-bit lanes, one register
// per pixel.
struct Weights4 {
    __m64 w0, w1, w2, w3;
    explicit Weights4(const uint8_t *m) {
        const __m64 v = _mm_slli_pi16(_mm_unpacklo_pi8(mmx::Load32(m), _mm_setzero_si64()), 1);
        const __m64 lo = _mm_unpacklo_pi16(v, v), hi = _mm_unpackhi_pi16(v, v);
        w0 = _mm_unpacklo_pi32(lo, lo);
        w1 = _mm_unpackhi_pi32(lo, lo);
        w2 = _mm_unpacklo_pi32(hi, hi);
        w3 = _mm_unpackhi_pi32(hi, hi);
    }
};

// Two pixels blended and weighted by lanes w0 (low pixel) and w1 (high).
template <class M, class F>
inline __m64 MixWeighted(__m64 d, __m64 s, __m64 w0, __m64 w1) {
    const __m64 z = _mm_setzero_si64();
    const __m64 dl = _mm_unpacklo_pi8(d, z), dh = _mm_unpackhi_pi8(d, z);
    __m64 ol, oh;
    if constexpr (Op<M>::kLanes) {
        ol = Op<M>::Lanes(dl, _mm_unpacklo_pi8(s, z));
        oh = Op<M>::Lanes(dh, _mm_unpackhi_pi8(s, z));
        if (!M::kAlpha || kKeepByte3<F>) {
            const __m64 a = _mm_set_pi16(-1, 0, 0, 0);
            ol = _mm_or_si64(_mm_andnot_si64(a, ol), _mm_and_si64(a, dl));
            oh = _mm_or_si64(_mm_andnot_si64(a, oh), _mm_and_si64(a, dh));
        }
    } else {
        const __m64 o = Mix<M, F>(d, s);
        ol = _mm_unpacklo_pi8(o, z);
        oh = _mm_unpackhi_pi8(o, z);
    }
    return _mm_packs_pu16(WeighLanes(dl, ol, w0), WeighLanes(dh, oh, w1));
}

// A row is walked four pixels at a time (all loads before any store), then
// pixel by pixel.
template <class M, class F>
void SourceRow(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    constexpr int n = F::kBytes;
    constexpr F f{};
    const __m64 rgbMask = _mm_set_pi32(0x00FFFFFF, 0x00FFFFFF);
    const int k = static_cast<int>(key & 0x00FFFFFFu);
    const __m64 keyv = _mm_set_pi32(k, k);
    int x = 0;
    for (; x + 4 + kSlack<F> <= w; x += 4, d += 4 * n, s += 4 * n) {
        const __m64 d0 = LoadPair(f, d), d1 = LoadPair(f, d + 2 * n);
        const __m64 s0 = LoadPair(f, s), s1 = LoadPair(f, s + 2 * n);
        StorePair(f, d, KeyedMix<M, F>(d0, s0, rgbMask, keyv));
        StoreLastPair(f, d + 2 * n, KeyedMix<M, F>(d1, s1, rgbMask, keyv));
    }
    for (; x < w; ++x, d += n, s += n) StoreOne(f, d, KeyedMix<M, F>(LoadOne(f, d), LoadOne(f, s), rgbMask, keyv));
    _mm_empty();
}

// The colour and masked forms share this walk; the second operand of two
// pixels is the constant colour (kColour) or read from the source row.
template <class M, class F, bool kColour>
void WeightedRow(uint8_t *d, const uint8_t *s, uint32_t c, const uint8_t *m, int w) {
    constexpr int n = F::kBytes;
    constexpr F f{};
    const __m64 colour = _mm_set_pi32(static_cast<int>(c), static_cast<int>(c));
    int x = 0;
    for (; x + 4 + kSlack<F> <= w; x += 4, d += 4 * n) {
        if (Load32(m + x) == 0) continue;
        const Weights4 wt(m + x);
        const __m64 d0 = LoadPair(f, d), d1 = LoadPair(f, d + 2 * n);
        const __m64 s0 = kColour ? colour : LoadPair(f, s + n * x);
        const __m64 s1 = kColour ? colour : LoadPair(f, s + n * (x + 2));
        StorePair(f, d, MixWeighted<M, F>(d0, s0, wt.w0, wt.w1));
        StoreLastPair(f, d + 2 * n, MixWeighted<M, F>(d1, s1, wt.w2, wt.w3));
    }
    for (; x < w; ++x, d += n) {
        const uint32_t a = m[x];
        if (a == 0) continue;
        const __m64 s0 = kColour ? colour : LoadOne(f, s + n * x);
        StoreOne(f, d, MixWeighted<M, F>(LoadOne(f, d), s0, mmx::Words(int(2 * a)), _mm_setzero_si64()));
    }
    _mm_empty();
}

}  // namespace

KV_BLEND_ROWS_MMX_DEFINE(32, Fmt32)
KV_BLEND_ROWS_MMX_DEFINE(24, Fmt24)

}  // namespace blend
}  // namespace kv
