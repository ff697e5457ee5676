// Helpers shared by the filter kernels.
#ifndef KORVANTE_FILTERS_H
#define KORVANTE_FILTERS_H

#include <stddef.h>
#include <stdint.h>

#include "surface/pixfmt.h"

namespace kv {

// The first n bytes of each of `rows` rows pitch apart become byte x f >> 8
// (f below 256).
void ScaleRows(uint8_t *p, ptrdiff_t n, int rows, ptrdiff_t pitch, unsigned f);
// Every byte of p[0..n).
inline void ScaleBytes(uint8_t *p, ptrdiff_t n, unsigned f) { ScaleRows(p, n, 1, 0, f); }

// The three colour fields of a 16-bit pixel in their own units, red first,
// their largest values, and the fields back into a word (alpha bits 0).
template <class F>
inline void SplitFields(uint32_t v, int32_t c[3]) {
    c[0] = int32_t((v & F::kRMask) >> F::kRShift);
    c[1] = int32_t((v & F::kGMask) >> F::kGShift);
    c[2] = int32_t((v & F::kBMask) >> F::kBShift);
}
template <class F>
constexpr int kFieldMax[3] = {(1 << F::kRBits) - 1, (1 << F::kGBits) - 1, (1 << F::kBBits) - 1};
template <class F>
inline uint32_t JoinFields(const int v[3]) {
    return (uint32_t(v[0]) << F::kRShift) | (uint32_t(v[1]) << F::kGShift) | (uint32_t(v[2]) << F::kBShift);
}

// Every colour field of a 16-bit pixel scaled by f / 256, truncated; the
// bits outside the fields come out 0.
template <class F>
inline uint32_t ScaleFields(uint32_t v, unsigned f) {
    return (((((v & F::kRMask) >> F::kRShift) * f) >> 8) << F::kRShift) |
           (((((v & F::kGMask) >> F::kGShift) * f) >> 8) << F::kGShift) |
           (((((v & F::kBMask) >> F::kBShift) * f) >> 8) << F::kBShift);
}

}  // namespace kv

#endif
