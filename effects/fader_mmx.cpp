// MMX rows of OpenFader on the 16-bit kinds: four pixels per register, each
// field in its own lane at its own width, mixed as F::MixFields does.
#include <mmintrin.h>

#include "effects/mmx_rows.h"
#include "effects/simd.h"
#include "surface/mmx.h"
#include "surface/pixfmt.h"

namespace kv {
namespace blend {

namespace {

// Four pixels at levels lv (one per lane); kFaderCopy lanes take the source
// word whole.
template <class F>
inline __m64 Fade4(__m64 d, __m64 s, __m64 lv) {
    const mmx::Fields<F> df = mmx::Split16<F>(d), sf = mmx::Split16<F>(s);
    const __m64 w = _mm_add_pi16(lv, lv);
    const __m64 out =
        mmx::Join16<F>(mmx::Fields<F>{WeighLanes(df.r, sf.r, w), WeighLanes(df.g, sf.g, w), WeighLanes(df.b, sf.b, w)});
    return Select(_mm_cmpeq_pi16(lv, mmx::Words(kFaderCopy)), s, out);
}

template <class F>
void FaderRow(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n) {
    const uint8_t *l = reinterpret_cast<const uint8_t *>(lv);
    int k = 0;
    for (; k + 4 <= n; k += 4)
        mmx::Store64(d + 2 * k, Fade4<F>(mmx::Load64(d + 2 * k), mmx::Load64(s + 2 * k), mmx::Load64(l + 2 * k)));
    if (k < n) {
        const int r = n - k;
        StoreTail16(d + 2 * k, Fade4<F>(LoadTail16(d + 2 * k, r), LoadTail16(s + 2 * k, r), LoadTail16(l + 2 * k, r)),
                    r);
    }
    _mm_empty();
}

}  // namespace

void FaderRow_565_mmx(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n) { FaderRow<Fmt565>(d, s, lv, n); }
void FaderRow_555_mmx(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n) { FaderRow<Fmt555>(d, s, lv, n); }
void FaderRow_4444_mmx(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n) { FaderRow<Fmt4444>(d, s, lv, n); }

}  // namespace blend
}  // namespace kv
