// Steps the effects family's MMX rows share (utilsmmx only): lane selects,
// the house's weighted mean in 16-bit lanes, and the short ends of 16-bit
// rows.
#ifndef KORVANTE_EFFECTS_MMX_ROWS_H
#define KORVANTE_EFFECTS_MMX_ROWS_H

#include <string.h>

#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

// Lanes where sel is all ones take a, the others b.
inline __m64 Select(__m64 sel, __m64 a, __m64 b) { return _mm_or_si64(_mm_and_si64(sel, a), _mm_andnot_si64(sel, b)); }

// d + floor((o - d) * a / 256) in each lane, with w = 2a: the signed high
// half of ((o - d) * 128) * 2a is exactly floor((o - d) * a / 256) while
// o - d stays within -255..255 and a within 0..256, as Mix rounds.
inline __m64 WeighLanes(__m64 d, __m64 o, __m64 w) {
    return _mm_add_pi16(d, _mm_mulhi_pi16(_mm_slli_pi16(_mm_sub_pi16(o, d), 7), w));
}

// The last n < 4 pixels of a 16-bit row (or n mask bytes) go through small
// buffers, so that no access leaves the row.
inline __m64 LoadTail16(const uint8_t *p, int n) {
    uint8_t b[8] = {};
    memcpy(b, p, size_t(2 * n));
    return mmx::Load64(b);
}
inline void StoreTail16(uint8_t *p, __m64 v, int n) {
    uint8_t b[8];
    mmx::Store64(b, v);
    memcpy(p, b, size_t(2 * n));
}
inline uint32_t LoadTail8(const uint8_t *p, int n) {
    uint8_t b[4] = {};
    memcpy(b, p, size_t(n));
    return Load32(b);
}

}  // namespace blend
}  // namespace kv

#endif
