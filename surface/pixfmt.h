// Pixel-format traits: one small struct per kind, so kernels that behave the
// same on every kind are written once as a template over the trait.
//
// Narrowing keeps a channel's top bits; widening shifts it up with zero low
// bits (a 5-bit 31 reads back as 248). Stored images depend on both rules.
#ifndef KORVANTE_PIXFMT_H
#define KORVANTE_PIXFMT_H

#include <stdint.h>
#include <string.h>

#include "utils.h"

namespace kv {

// 8-bit channels of one colour.
struct RGB8 {
    uint32_t r, g, b;
};

inline uint32_t Load16(const uint8_t *p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
inline void Store16(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline uint32_t Load32(const uint8_t *p) {
    uint32_t v;
    memcpy(&v, p, 4);  // little-endian targets only
    return v;
}
inline void Store32(uint8_t *p, uint32_t v) { memcpy(p, &v, 4); }

// The weighted mean of the house: floor((s * w + d * (256 - w)) / 256) for
// w in 0..256, the same as d + floor((s - d) * w / 256) and never outside
// the channels' range. Mixing, masks, blends and fills all round this way.
inline uint32_t Mix(uint32_t s, uint32_t d, uint32_t w) { return (s * w + d * (256 - w)) >> 8; }

// A palette entry as one word: blue, green, red, alpha from the low byte up.
inline uint32_t EntryWord(const TRGBA &e) {
    return uint32_t(e.b) | (uint32_t(e.g) << 8) | (uint32_t(e.r) << 16) | (uint32_t(e.a) << 24);
}

inline RGB8 ColorRGB(unsigned long c) {
    return RGB8{uint32_t(c >> 16) & 0xFF, uint32_t(c >> 8) & 0xFF, uint32_t(c) & 0xFF};
}
inline uint32_t RGBColor(const RGB8 &c) { return (c.r << 16) | (c.g << 8) | c.b; }

// A 16-bit layout described by its channel widths and shifts. Alpha bits are
// never produced by Pack; what a kernel does with them is its own business.
template <int RB, int RS, int GB, int GS, int BB, int BS>
struct Fmt16 {
    static constexpr int kBytes = 2;
    static constexpr int kRBits = RB, kRShift = RS;
    static constexpr int kGBits = GB, kGShift = GS;
    static constexpr int kBBits = BB, kBShift = BS;
    static constexpr uint32_t kRMask = ((1u << RB) - 1) << RS;
    static constexpr uint32_t kGMask = ((1u << GB) - 1) << GS;
    static constexpr uint32_t kBMask = ((1u << BB) - 1) << BS;
    static constexpr uint32_t kRGBMask = kRMask | kGMask | kBMask;

    static uint32_t Load(const uint8_t *p) { return Load16(p); }
    static void Store(uint8_t *p, uint32_t v) { Store16(p, v); }

    static RGB8 Unpack(uint32_t v) {
        return RGB8{((v & kRMask) >> RS) << (8 - RB), ((v & kGMask) >> GS) << (8 - GB),
                    ((v & kBMask) >> BS) << (8 - BB)};
    }
    static uint32_t Pack(const RGB8 &c) {
        return ((c.r >> (8 - RB)) << RS) | ((c.g >> (8 - GB)) << GS) | ((c.b >> (8 - BB)) << BS);
    }
    // A palette entry narrowed; the alpha bits stay 0.
    static uint32_t FromEntry(const TRGBA &e) { return Pack(RGB8{e.r, e.g, e.b}); }

    // The weighted mean field by field at each field's own width; the bits
    // outside the three fields come out 0.
    static uint32_t MixFields(uint32_t s, uint32_t d, uint32_t w) {
        return (Mix((s & kRMask) >> RS, (d & kRMask) >> RS, w) << RS) |
               (Mix((s & kGMask) >> GS, (d & kGMask) >> GS, w) << GS) |
               (Mix((s & kBMask) >> BS, (d & kBMask) >> BS, w) << BS);
    }
    // Masks of each field shifted down by one and by two bits, so that no
    // bit crosses into the field below.
    static constexpr uint32_t kHalf = ((kRMask >> 1) & kRMask) | ((kGMask >> 1) & kGMask) | ((kBMask >> 1) & kBMask);
    static constexpr uint32_t kQuarter = ((kRMask >> 2) & kRMask) | ((kGMask >> 2) & kGMask) | ((kBMask >> 2) & kBMask);
};

using Fmt565 = Fmt16<5, 11, 6, 5, 5, 0>;
using Fmt555 = Fmt16<5, 10, 5, 5, 5, 0>;  // kinds 17 and 18
using Fmt4444 = Fmt16<4, 8, 4, 4, 4, 0>;

// Any 16-bit kind where a kernel only moves or compares whole words.
struct FmtWord16 {
    static constexpr int kBytes = 2;
    static uint32_t Load(const uint8_t *p) { return Load16(p); }
    static void Store(uint8_t *p, uint32_t v) { Store16(p, v); }
};

struct Fmt24 {
    static constexpr int kBytes = 3;
    static constexpr int kRBits = 8, kGBits = 8, kBBits = 8;
    static uint32_t Load(const uint8_t *p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16); }
    // Never touches the following pixel.
    static void Store(uint8_t *p, uint32_t v) {
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v >> 16);
    }
    static RGB8 Unpack(uint32_t v) { return ColorRGB(v); }
    static uint32_t Pack(const RGB8 &c) { return RGBColor(c); }
    static uint32_t FromEntry(const TRGBA &e) { return EntryWord(e) & 0xFFFFFF; }
};

struct Fmt32 {
    static constexpr int kBytes = 4;
    static constexpr int kRBits = 8, kGBits = 8, kBBits = 8;
    static uint32_t Load(const uint8_t *p) { return Load32(p); }
    static void Store(uint8_t *p, uint32_t v) { Store32(p, v); }
    static RGB8 Unpack(uint32_t v) { return ColorRGB(v); }
    // Alpha byte 0; kernels that keep or write alpha say so.
    static uint32_t Pack(const RGB8 &c) { return RGBColor(c); }
    // Colour only, alpha byte 0 as Pack; EntryWord keeps the entry's alpha.
    static uint32_t FromEntry(const TRGBA &e) { return EntryWord(e) & 0xFFFFFF; }
};

struct Fmt8 {
    static constexpr int kBytes = 1;
    static uint32_t Load(const uint8_t *p) { return *p; }
    static void Store(uint8_t *p, uint32_t v) { *p = uint8_t(v); }
};

}  // namespace kv

#endif
