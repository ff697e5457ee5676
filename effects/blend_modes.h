// The seven blend modes as small function objects, the block a blend pass
// walks, and the hooks between the plain and the SIMD kernels.
//
// Each mode gives f(d, s) twice: Wide for 24 and 32 bits (screen and overlay
// divide by a shift there) and Narrow for the 16-bit kinds, which see widened
// channels and divide exactly by 255. kAlpha says whether byte 3 of a 32-bit
// pixel is blended like a colour byte or kept.
#ifndef KORVANTE_BLEND_MODES_H
#define KORVANTE_BLEND_MODES_H

#include <stddef.h>
#include <stdint.h>

#include "surface.h"

namespace kv {
namespace blend {

struct Suma {
    static constexpr bool kAlpha = true;
    static uint32_t Wide(uint32_t d, uint32_t s) { return d + s > 255 ? 255 : d + s; }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

struct Resta {
    static constexpr bool kAlpha = true;
    static uint32_t Wide(uint32_t d, uint32_t s) { return d > s ? d - s : 0; }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

// Divides by 256 in every format, so white times white loses a step.
struct Multiplica {
    static constexpr bool kAlpha = true;
    static uint32_t Wide(uint32_t d, uint32_t s) { return (d * s) >> 8; }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

struct Screen {
    static constexpr bool kAlpha = true;
    static uint32_t Wide(uint32_t d, uint32_t s) { return 255 - (((255 - d) * (255 - s)) >> 8); }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return 255 - (255 - d) * (255 - s) / 255; }
};

struct Lighten {
    static constexpr bool kAlpha = false;
    static uint32_t Wide(uint32_t d, uint32_t s) { return d > s ? d : s; }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

struct Darken {
    static constexpr bool kAlpha = false;
    static uint32_t Wide(uint32_t d, uint32_t s) { return d < s ? d : s; }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

// The branch follows the base (destination) channel.
struct Superponer {
    static constexpr bool kAlpha = false;
    static uint32_t Wide(uint32_t d, uint32_t s) {
        return d < 128 ? (d * s) >> 7 : 255 - (((255 - d) * (255 - s)) >> 7);
    }
    static uint32_t Narrow(uint32_t d, uint32_t s) {
        return d < 128 ? 2 * d * s / 255 : 255 - 2 * (255 - d) * (255 - s) / 255;
    }
};

// Mask weighting of one channel, a = 1..255: d + floor((o - d) * a / 256),
// written in the form that never goes negative. a = 0 gives d.
inline uint32_t Weigh(uint32_t d, uint32_t o, uint32_t a) { return (d * (256 - a) + o * a) >> 8; }

// The clipped block of one pass: w x h pixels, a row pointer and pitch for
// the destination and, depending on the form, for the source and the mask.
struct Block {
    uint8_t *dst;
    ptrdiff_t dstPitch;
    const uint8_t *src;
    ptrdiff_t srcPitch;
    const uint8_t *mask;
    ptrdiff_t maskPitch;
    int w, h;
};

// Checks, clipping and row pointers of the three forms; false when the pass
// must not run. Source and mask blocks are kept inside their own surfaces.
bool PrepareSource(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &src, const CPunto &pt,
                   Block &b);
bool PrepareColour(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &mask, const CPunto &mpt,
                   Block &b);
bool PrepareMasked(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &src, const CPunto &pt,
                   const TSurfDesc &mask, const CPunto &mpt, Block &b);

// The key a source pixel is compared with: transColor, or 0 without a key.
inline uint32_t SourceKey(const TSurfDesc &src) { return src.transColor != 0xFFFFFFFFu ? src.transColor : 0; }

#if UTILS_SIMD
// SIMD passes over a prepared block (blend_mmx.cpp), byte-identical to the
// plain ones. `key` is SourceKey; `colour` the colour argument as given.
template <class M> void SourceRows_32mmx(const Block &b, uint32_t key);
template <class M> void ColourRows_32mmx(const Block &b, uint32_t colour);
template <class M> void MaskedRows_32mmx(const Block &b);
template <class M> void SourceRows_24mmx(const Block &b, uint32_t key);
template <class M> void ColourRows_24mmx(const Block &b, uint32_t colour);
template <class M> void MaskedRows_24mmx(const Block &b);
#endif

}  // namespace blend
}  // namespace kv

#endif
