// Convolution engine shared by the plain and the SIMD kernels: the tap list,
// an exact divider, and one pixel of any format.
#ifndef KORVANTE_CONVOLUTION_H
#define KORVANTE_CONVOLUTION_H

#include <stddef.h>
#include <stdint.h>

#include "filters/filters.h"
#include "surface/pixfmt.h"

namespace kv {

// Signed 32-bit division truncating towards zero, as `n / d` gives it, but
// by a multiply and shifts: the per-channel divide is the dearest step of a
// convolution. Magic numbers after Granlund and Montgomery.
class Divider {
  public:
    explicit Divider(int32_t d) {
        if (d == 1) {
            mode_ = kOne;
        } else if (d == -1) {
            mode_ = kMinusOne;
        } else {
            mode_ = kMagic;
            Magic(d);
        }
        d_ = d;
    }

    int32_t operator()(int32_t n) const {
        if (mode_ == kOne) return n;
        // -INT_MIN wraps to INT_MIN, as the 32-bit sum itself would.
        if (mode_ == kMinusOne) return static_cast<int32_t>(0u - static_cast<uint32_t>(n));
        int32_t q = static_cast<int32_t>((int64_t(m_) * n) >> 32);
        if (d_ > 0 && m_ < 0) q = static_cast<int32_t>(uint32_t(q) + uint32_t(n));
        if (d_ < 0 && m_ > 0) q = static_cast<int32_t>(uint32_t(q) - uint32_t(n));
        q >>= s_;
        return static_cast<int32_t>(uint32_t(q) + (uint32_t(q) >> 31));
    }

  private:
    enum Mode { kOne, kMinusOne, kMagic };
    // 2 <= |d|; INT_MIN included.
    void Magic(int32_t d) {
        const uint32_t two31 = 0x80000000u;
        const uint32_t ad = d < 0 ? 0u - uint32_t(d) : uint32_t(d);
        const uint32_t t = two31 + (uint32_t(d) >> 31);
        const uint32_t anc = t - 1 - t % ad;
        int p = 31;
        uint32_t q1 = two31 / anc, r1 = two31 - q1 * anc;
        uint32_t q2 = two31 / ad, r2 = two31 - q2 * ad;
        uint32_t delta;
        do {
            ++p;
            q1 *= 2;
            r1 *= 2;
            if (r1 >= anc) {
                ++q1;
                r1 -= anc;
            }
            q2 *= 2;
            r2 *= 2;
            if (r2 >= ad) {
                ++q2;
                r2 -= ad;
            }
            delta = ad - r2;
        } while (q1 < delta || (q1 == delta && r1 == 0));
        uint32_t m = q2 + 1;
        if (d < 0) m = 0u - m;
        m_ = static_cast<int32_t>(m);
        s_ = p - 32;
    }

    Mode mode_;
    int32_t d_ = 1, m_ = 0;
    int s_ = 0;
};

// A tap list without its zero taps (they add nothing), offsets brought into
// [-total, total] (a tap further out clamps to the same byte anyway).
struct ConvJob {
    const uint8_t *src;  // the scratch copy
    uint8_t *dst;        // the image
    ptrdiff_t total;     // bytes of each: height x scanWidth
    int count;
    const int32_t *coef;
    const ptrdiff_t *off;
    ptrdiff_t minOff, maxOff;  // over the kept taps and 0
    int32_t divisor;
    Divider div;
    int32_t bias;
};

inline int ClampChannel(int64_t v, int max) { return v < 0 ? 0 : (v > max ? max : int(v)); }

// A pixel's three channels in their own units: the three bytes of 24 and 32
// bits, the three fields of the 16-bit kinds (alpha bits are not channels).
inline void ReadChannels(Fmt32, const uint8_t *p, int32_t c[3]) { c[0] = p[0], c[1] = p[1], c[2] = p[2]; }
inline void ReadChannels(Fmt24, const uint8_t *p, int32_t c[3]) { c[0] = p[0], c[1] = p[1], c[2] = p[2]; }
template <int RB, int RS, int GB, int GS, int BB, int BS>
inline void ReadChannels(Fmt16<RB, RS, GB, GS, BB, BS>, const uint8_t *p, int32_t c[3]) {
    SplitFields<Fmt16<RB, RS, GB, GS, BB, BS>>(Load16(p), c);
}

// Channels back: a 32-bit pixel's fourth byte becomes 0, and so do the
// alpha bits of the 16-bit kinds.
inline void WriteChannels(Fmt32, uint8_t *p, const int v[3]) {
    p[0] = uint8_t(v[0]), p[1] = uint8_t(v[1]), p[2] = uint8_t(v[2]), p[3] = 0;
}
inline void WriteChannels(Fmt24, uint8_t *p, const int v[3]) {
    p[0] = uint8_t(v[0]), p[1] = uint8_t(v[1]), p[2] = uint8_t(v[2]);
}
template <int RB, int RS, int GB, int GS, int BB, int BS>
inline void WriteChannels(Fmt16<RB, RS, GB, GS, BB, BS>, uint8_t *p, const int v[3]) {
    Store16(p, JoinFields<Fmt16<RB, RS, GB, GS, BB, BS>>(v));
}

// How many times the bias counts in each channel: one a bit wider than the
// first (565 green) takes it twice. A channel's largest value is kFieldMax.
template <class F>
constexpr int kBiasMul[3] = {1, 1 << (F::kGBits - F::kRBits), 1 << (F::kBBits - F::kRBits)};

// One pixel at byte q of the image.
template <class F>
inline void ConvolvePixel(const ConvJob &j, ptrdiff_t q) {
    const ptrdiff_t last = j.total - F::kBytes;
    const bool inside = q + j.minOff >= 0 && q + j.maxOff <= last;
    uint32_t acc[3] = {0, 0, 0};  // wraps like the 32-bit sums it stands for
    for (int t = 0; t < j.count; ++t) {
        ptrdiff_t p = q + j.off[t];
        if (!inside) p = p < 0 ? 0 : (p > last ? last : p);
        int32_t ch[3];
        ReadChannels(F{}, j.src + p, ch);
        const uint32_t c = uint32_t(j.coef[t]);
        acc[0] += uint32_t(ch[0]) * c;
        acc[1] += uint32_t(ch[1]) * c;
        acc[2] += uint32_t(ch[2]) * c;
    }
    int v[3];
    for (int k = 0; k < 3; ++k)
        v[k] = ClampChannel(int64_t(j.div(int32_t(acc[k]))) + int64_t(j.bias) * kBiasMul<F>[k], kFieldMax<F>[k]);
    WriteChannels(F{}, j.dst + q, v);
}

// Rows of `width` pixels; the row padding is left alone.
template <class F>
void ConvolveRows(const ConvJob &j, int width, int height, ptrdiff_t pitch) {
    for (int y = 0; y < height; ++y) {
        ptrdiff_t q = ptrdiff_t(y) * pitch;
        for (int x = 0; x < width; ++x, q += F::kBytes) ConvolvePixel<F>(j, q);
    }
}

// The 16-bit kinds: every word of the buffer, row padding included.
template <class F>
void ConvolveWords(const ConvJob &j, int, int, ptrdiff_t) {
    const ptrdiff_t words = j.total / 2;
    for (ptrdiff_t i = 0; i < words; ++i) ConvolvePixel<F>(j, i * 2);
}

}  // namespace kv

#endif
