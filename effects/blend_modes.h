// The seven blend modes as small function objects.
//
// Each mode gives f(d, s) twice: Wide for 24 and 32 bits (screen and overlay
// divide by a shift there) and Narrow for the 16-bit kinds, which see widened
// channels and divide exactly by 255. kAlpha says whether byte 3 of a 32-bit
// pixel is blended like a colour byte or kept.
#ifndef KORVANTE_BLEND_MODES_H
#define KORVANTE_BLEND_MODES_H

#include <stdint.h>

namespace kv {
namespace blend {

// Saturating byte arithmetic without branches: on image data a branch per
// channel is a coin toss for the processor. Operands are 0..255.
inline uint32_t SubSat(uint32_t a, uint32_t b) {
    const uint32_t t = a - b;
    return t & ~(0u - (t >> 31));  // max(a - b, 0)
}
inline uint32_t AddSat(uint32_t a, uint32_t b) {
    const uint32_t t = a + b;
    return (t | (0u - (t >> 8))) & 0xFF;  // min(a + b, 255)
}

struct Suma {
    static constexpr bool kAlpha = true;
    static uint32_t Wide(uint32_t d, uint32_t s) { return AddSat(d, s); }
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

// Destination minus source.
struct Resta {
    static constexpr bool kAlpha = true;
    static uint32_t Wide(uint32_t d, uint32_t s) { return SubSat(d, s); }
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
    static uint32_t Wide(uint32_t d, uint32_t s) { return s + SubSat(d, s); }  // max(d, s)
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

struct Darken {
    static constexpr bool kAlpha = false;
    static uint32_t Wide(uint32_t d, uint32_t s) { return d - SubSat(d, s); }  // min(d, s)
    static uint32_t Narrow(uint32_t d, uint32_t s) { return Wide(d, s); }
};

// The branch follows the base (destination) channel: below 128 the product,
// above it the complement of the product of the complements. Written without
// a branch (255 - x is x ^ 255, and m is 255 above the threshold), since the
// branch on image data is a coin toss for the processor.
struct Superponer {
    static constexpr bool kAlpha = false;
    static uint32_t Upper(uint32_t d) { return (0u - (d >> 7)) & 0xFF; }
    static uint32_t Wide(uint32_t d, uint32_t s) {
        const uint32_t m = Upper(d);
        return (((d ^ m) * (s ^ m)) >> 7) ^ m;
    }
    static uint32_t Narrow(uint32_t d, uint32_t s) {
        const uint32_t m = Upper(d);
        return (2 * (d ^ m) * (s ^ m) / 255) ^ m;
    }
};

}  // namespace blend
}  // namespace kv

#endif
