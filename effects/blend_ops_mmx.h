// The blend modes on MMX registers (utilsmmx only), for the 24- and 32-bit
// rows and the 16-bit ones alike.
#ifndef KORVANTE_EFFECTS_BLEND_OPS_MMX_H
#define KORVANTE_EFFECTS_BLEND_OPS_MMX_H

#include <mmintrin.h>

#include "effects/blend_modes.h"
#include "surface/mmx.h"

namespace kv {
namespace blend {

// floor(p / 255), exact for p in 0..65279 (every product the modes divide is
// at most 65025), without leaving unsigned 16-bit lanes.
inline __m64 Div255(__m64 p) {
    return _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(p, mmx::Words(1)), _mm_srli_pi16(p, 8)), 8);
}

inline __m64 Ones() { return _mm_cmpeq_pi8(_mm_setzero_si64(), _mm_setzero_si64()); }

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

// Each mode on eight bytes (Apply); the multiplying ones also on four bytes
// already widened to 16-bit lanes (kLanes), which the weighted forms use to
// skip a pack and unpack. Narrow is the mode of the 16-bit kinds on channels
// of 0..255 in 16-bit lanes: the modes without kLanes work byte by byte and
// are the same there, screen and overlay divide by 255.
template <class M>
struct Op;

template <>
struct Op<Suma> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_adds_pu8(d, s); }
    static __m64 Narrow(__m64 d, __m64 s) { return Apply(d, s); }
};
template <>
struct Op<Resta> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_subs_pu8(d, s); }
    static __m64 Narrow(__m64 d, __m64 s) { return Apply(d, s); }
};
template <>
struct Op<Multiplica> {
    static constexpr bool kLanes = true;
    static __m64 Apply(__m64 d, __m64 s) { return MulShift<8>(d, s); }
    static __m64 Lanes(__m64 d, __m64 s) { return _mm_srli_pi16(_mm_mullo_pi16(d, s), 8); }
    static __m64 Narrow(__m64 d, __m64 s) { return Lanes(d, s); }
};
template <>
struct Op<Screen> {
    static constexpr bool kLanes = true;
    static __m64 Apply(__m64 d, __m64 s) {
        const __m64 n = Ones();
        return _mm_xor_si64(MulShift<8>(_mm_xor_si64(d, n), _mm_xor_si64(s, n)), n);
    }
    static __m64 Lanes(__m64 d, __m64 s) {
        const __m64 n = mmx::Words(0xFF);
        return _mm_xor_si64(_mm_srli_pi16(_mm_mullo_pi16(_mm_xor_si64(d, n), _mm_xor_si64(s, n)), 8), n);
    }
    static __m64 Narrow(__m64 d, __m64 s) {
        const __m64 n = mmx::Words(0xFF);
        return _mm_xor_si64(Div255(_mm_mullo_pi16(_mm_xor_si64(d, n), _mm_xor_si64(s, n))), n);
    }
};
// No byte max or min in MMX; saturating differences give them exactly.
template <>
struct Op<Lighten> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_adds_pu8(d, _mm_subs_pu8(s, d)); }
    static __m64 Narrow(__m64 d, __m64 s) { return Apply(d, s); }
};
template <>
struct Op<Darken> {
    static constexpr bool kLanes = false;
    static __m64 Apply(__m64 d, __m64 s) { return _mm_subs_pu8(d, _mm_subs_pu8(d, s)); }
    static __m64 Narrow(__m64 d, __m64 s) { return Apply(d, s); }
};
template <>
struct Op<Superponer> {
    static constexpr bool kLanes = true;
    static __m64 Apply(__m64 d, __m64 s) { return Overlay(d, s); }
    static __m64 Lanes(__m64 d, __m64 s) {
        const __m64 upper = _mm_and_si64(_mm_cmpgt_pi16(d, mmx::Words(127)), mmx::Words(0xFF));
        return _mm_xor_si64(_mm_srli_pi16(_mm_mullo_pi16(_mm_xor_si64(d, upper), _mm_xor_si64(s, upper)), 7), upper);
    }
    // Both complemented operands are at most 127 above the threshold, as d
    // is below it, so twice their product stays under 65536.
    static __m64 Narrow(__m64 d, __m64 s) {
        const __m64 upper = _mm_and_si64(_mm_cmpgt_pi16(d, mmx::Words(127)), mmx::Words(0xFF));
        const __m64 p = _mm_mullo_pi16(_mm_xor_si64(d, upper), _mm_xor_si64(s, upper));
        return _mm_xor_si64(Div255(_mm_add_pi16(p, p)), upper);
    }
};

}  // namespace blend
}  // namespace kv

#endif
