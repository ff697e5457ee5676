// Field scaling of four 16-bit pixels, shared by the MMX rows of DoFactor
// and CreateShadow (utilsmmx only).
#ifndef KORVANTE_FILTERS_SCALE_MMX_H
#define KORVANTE_FILTERS_SCALE_MMX_H

#include "surface/mmx.h"

namespace kv {
namespace mmx {

// Every colour field x k >> 8 (k below 256 in every lane): a field of at
// most 6 bits x k stays within 16 bits. The bits outside the fields come
// out 0.
template <class F>
inline __m64 ScaleFields4(__m64 v, __m64 k) {
    Fields<F> c = Split16<F>(v);
    c.r = _mm_srli_pi16(_mm_mullo_pi16(c.r, k), 8);
    c.g = _mm_srli_pi16(_mm_mullo_pi16(c.g, k), 8);
    c.b = _mm_srli_pi16(_mm_mullo_pi16(c.b, k), 8);
    return Join16<F>(c);
}

}  // namespace mmx
}  // namespace kv

#endif
