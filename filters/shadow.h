// CreateShadow on the 16-bit kinds, shared by the plain rows and the MMX
// ones: holes (pixels of value 0) get a grey from six taps spread by
// limit / decay (the seventh, on the pixel itself, weighs 0); everything
// else is copied. Taps read the source as it came, as whole words at their
// byte offsets. Fields are read and written in a 5-bit scale (the top five
// bits; a 4-bit field doubled), so every kind's shadow looks alike.
#ifndef KORVANTE_FILTERS_SHADOW_H
#define KORVANTE_FILTERS_SHADOW_H

#include <stddef.h>
#include <stdint.h>

#include "filters/filters.h"
#include "surface/pixfmt.h"

namespace kv {

template <int Bits>
inline uint32_t To5(uint32_t v) {
    if constexpr (Bits >= 5)
        return v >> (Bits - 5);
    else
        return v << (5 - Bits);
}
template <int Bits>
inline uint32_t From5(uint32_t v) {
    if constexpr (Bits >= 5)
        return v << (Bits - 5);
    else
        return v >> (5 - Bits);
}
// The three fields ORed.
template <class F>
inline int Tap(uint32_t p) {
    return int(To5<F::kRBits>((p & F::kRMask) >> F::kRShift) | To5<F::kGBits>((p & F::kGMask) >> F::kGShift) |
               To5<F::kBBits>((p & F::kBMask) >> F::kBShift));
}
template <class F>
inline uint32_t Grey(int v) {
    const uint32_t g = uint32_t(v);
    return From5<F::kRBits>(g) << F::kRShift | From5<F::kGBits>(g) << F::kGShift | From5<F::kBBits>(g) << F::kBShift;
}

struct ShadowJob {
    const uint8_t *src;  // the copy of the source
    ptrdiff_t total;     // its bytes: height x scanWidth
    ptrdiff_t pitch;     // its scanWidth
    ptrdiff_t off[6];    // taps 0-2 weigh -2, taps 3-5 weigh 2
    ptrdiff_t minOff, maxOff;
    bool scale;  // level below 256: colour fields x m >> 8, alpha bits kept
    unsigned m;
};

// A black source word becomes a grey from its six taps.
template <class F>
inline uint32_t ShadowGrey(const ShadowJob &j, ptrdiff_t q) {
    static const int weight[6] = {-2, -2, -2, 2, 2, 2};
    const ptrdiff_t last = j.total - 2;
    int sum = 0;
    for (int t = 0; t < 6; ++t) {
        ptrdiff_t p = q + j.off[t];
        p = p < 0 ? 0 : (p > last ? last : p);
        sum += weight[t] * Tap<F>(Load16(j.src + p));
    }
    int g = sum >> 4;  // arithmetic: negative sums stay negative
    g = g < 0 ? 0 : (g > 31 ? 31 : g);
    return Grey<F>(g);
}

// Inverted level: 255 keeps nothing of the colour; the alpha bits stay.
template <class F>
inline uint32_t ShadowScaled(uint32_t v, unsigned m) {
    return (v & ~F::kRGBMask & 0xFFFFu) | ScaleFields<F>(v, m);
}

// The word at byte q of the source, as the shadow takes it.
template <class F>
inline uint32_t ShadowWord(const ShadowJob &j, ptrdiff_t q) {
    uint32_t v = Load16(j.src + q);
    if (v == 0) v = ShadowGrey<F>(j, q);
    return j.scale ? ShadowScaled<F>(v, j.m) : v;
}

// Rows 0 .. h - 1 of `words` words each; source row y starts at byte
// y x pitch, shadow row y at d + y x dPitch. The fields the pixel loop reads
// are held in locals (the stores could alias the job), and the level test
// is out of it.
template <class F, bool kScale>
void ShadowRowsAt(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    const uint8_t *const src = j.src;
    const ptrdiff_t pitch = j.pitch;
    const unsigned m = j.m;
    for (int y = 0; y < h; ++y, d += dPitch)
        for (int x = 0; x < words; ++x) {
            const ptrdiff_t q = ptrdiff_t(y) * pitch + 2 * x;
            uint32_t v = Load16(src + q);
            if (v == 0) v = ShadowGrey<F>(j, q);
            Store16(d + 2 * x, kScale ? ShadowScaled<F>(v, m) : v);
        }
}
template <class F>
void ShadowRows(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words) {
    if (j.scale)
        ShadowRowsAt<F, true>(j, d, dPitch, h, words);
    else
        ShadowRowsAt<F, false>(j, d, dPitch, h, words);
}

}  // namespace kv

#endif
