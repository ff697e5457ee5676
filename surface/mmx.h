// Helpers every MMX row kernel shares (utilsmmx only): unaligned loads and
// stores, and the 16-bit layouts split into one field per 16-bit lane and
// put back. Kernels are named <Op>Row_<fmt>_mmx, declared in their
// family's header and picked in one place there.
#ifndef KORVANTE_SURFACE_MMX_H
#define KORVANTE_SURFACE_MMX_H

#if !UTILS_SIMD
#error "surface/mmx.h belongs to the SIMD build only"
#endif

#include <mmintrin.h>
#include <stdint.h>
#include <string.h>

namespace kv {
namespace mmx {

inline __m64 Load64(const uint8_t *p) {
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void Store64(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }
inline __m64 Load32(const uint8_t *p) {
    int v;
    memcpy(&v, p, 4);
    return _mm_cvtsi32_si64(v);
}
inline void Store32(uint8_t *p, __m64 v) {
    const int x = _mm_cvtsi64_si32(v);
    memcpy(p, &x, 4);
}
inline __m64 Words(int v) { return _mm_set1_pi16(short(v)); }

// Four pixels of a 16-bit layout F in 16-bit lanes, one register per field,
// each field at its own width in the low bits of its lane.
template <class F>
struct Fields {
    __m64 r, g, b;
};
template <class F>
inline Fields<F> Split16(__m64 v) {
    return Fields<F>{_mm_and_si64(_mm_srli_pi16(v, F::kRShift), Words((1 << F::kRBits) - 1)),
                     _mm_and_si64(_mm_srli_pi16(v, F::kGShift), Words((1 << F::kGBits) - 1)),
                     _mm_and_si64(_mm_srli_pi16(v, F::kBShift), Words((1 << F::kBBits) - 1))};
}
// Fields back into words; they must already lie within their widths. The
// bits outside the three fields come out 0.
template <class F>
inline __m64 Join16(const Fields<F> &f) {
    return _mm_or_si64(_mm_or_si64(_mm_slli_pi16(f.r, F::kRShift), _mm_slli_pi16(f.g, F::kGShift)),
                       _mm_slli_pi16(f.b, F::kBShift));
}

// Shifts every lane left by kBy bits, or right by -kBy.
template <int kBy>
inline __m64 ShiftWords(__m64 v) {
    if constexpr (kBy > 0) return _mm_slli_pi16(v, kBy);
    if constexpr (kBy < 0) return _mm_srli_pi16(v, -kBy);
    return v;
}
// A field of kBits at kShift, widened to eight bits with zero low bits (as
// F::Unpack), and back; the way back keeps the top kBits of any 0..255.
template <int kBits, int kShift>
inline __m64 WidenField(__m64 v) {
    return _mm_and_si64(ShiftWords<8 - kBits - kShift>(v), Words(((1 << kBits) - 1) << (8 - kBits)));
}
template <int kBits, int kShift>
inline __m64 NarrowField(__m64 f) {
    return ShiftWords<kShift - (8 - kBits)>(_mm_and_si64(f, Words(((1 << kBits) - 1) << (8 - kBits))));
}
// Split16 and Join16 with every field widened to eight bits: the fields of
// Split16Wide are F::Unpack's channels, and Join16Wide takes channels of
// 0..255 and narrows them as F::Pack does (bits outside the fields 0).
template <class F>
inline Fields<F> Split16Wide(__m64 v) {
    return Fields<F>{WidenField<F::kRBits, F::kRShift>(v), WidenField<F::kGBits, F::kGShift>(v),
                     WidenField<F::kBBits, F::kBShift>(v)};
}
template <class F>
inline __m64 Join16Wide(const Fields<F> &f) {
    return _mm_or_si64(_mm_or_si64(NarrowField<F::kRBits, F::kRShift>(f.r), NarrowField<F::kGBits, F::kGShift>(f.g)),
                       NarrowField<F::kBBits, F::kBShift>(f.b));
}

}  // namespace mmx
}  // namespace kv

#endif
