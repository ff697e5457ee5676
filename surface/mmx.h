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

}  // namespace mmx
}  // namespace kv

#endif
