// Pixel-at-a-time model of the mixing arithmetic, for the mixing and masking
// tests: plain formulas with no grouping of their own.
#ifndef KORVANTE_TEST_MIXREF_H
#define KORVANTE_TEST_MIXREF_H

#include <string.h>

#include "tests/common/testsurf.h"

namespace mixref {

struct Chan {
    int shift, bits;
};

// Red, green, blue of a 16-bit kind.
inline void Layout16(int kind, Chan c[3]) {
    if (kind == 16) {
        c[0] = {11, 5}, c[1] = {5, 6}, c[2] = {0, 5};
    } else if (kind == 19) {
        c[0] = {8, 4}, c[1] = {4, 4}, c[2] = {0, 4};
    } else {
        c[0] = {10, 5}, c[1] = {5, 5}, c[2] = {0, 5};
    }
}

inline int Bytes(int kind) { return int(kvtest::KindByNumber(kind).bpp / 8); }

inline uint32_t Get(kvtest::TestSurface &s, int x, int y, int bytes) {
    uint32_t v = 0;
    memcpy(&v, s.Row(y) + x * bytes, bytes);
    return v;
}
inline void Put(kvtest::TestSurface &s, int x, int y, int bytes, uint32_t v) {
    memcpy(s.Row(y) + x * bytes, &v, bytes);
}

inline uint32_t Wm(uint32_t s, uint32_t d, uint32_t w) { return (s * w + d * (256 - w)) / 256; }

// Weighted mean of two pixels of the kind; 16-bit results lose alpha bits.
inline uint32_t Mix(int kind, uint32_t s, uint32_t d, uint32_t w) {
    uint32_t out = 0;
    if (kind >= 16 && kind <= 19) {
        Chan c[3];
        Layout16(kind, c);
        for (const Chan &ch : c) {
            const uint32_t m = (1u << ch.bits) - 1;
            out |= Wm((s >> ch.shift) & m, (d >> ch.shift) & m, w) << ch.shift;
        }
        return out;
    }
    for (int b = 0; b < Bytes(kind); ++b) out |= Wm((s >> 8 * b) & 255, (d >> 8 * b) & 255, w) << 8 * b;
    return out;
}

// A palette entry in the kind's encoding (top bits kept).
inline uint32_t FromEntry(int kind, const TRGBA &e) {
    if (kind == 32) return uint32_t(e.b) | (e.g << 8) | (e.r << 16) | (uint32_t(e.a) << 24);
    if (kind == 24) return uint32_t(e.b) | (e.g << 8) | (e.r << 16);
    Chan c[3];
    Layout16(kind, c);
    const uint32_t v[3] = {e.r, e.g, e.b};
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) out |= (v[i] >> (8 - c[i].bits)) << c[i].shift;
    return out;
}
inline uint32_t FromColor(int kind, unsigned long c) {
    if (kind == 32) return uint32_t(c);
    if (kind == 24) return uint32_t(c) & 0xFFFFFF;
    return FromEntry(kind, TRGBA{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
}

// Shift form of levels 192, 128, 64 on one channel value.
inline uint32_t ShiftCh(uint32_t s, uint32_t d, int level) {
    if (level == 192) return (s >> 1) + (s >> 2) + (d >> 2);
    if (level == 128) return (s >> 1) + (d >> 1);
    return (d >> 1) + (d >> 2) + (s >> 2);
}
// exactUpper: red and green by floor((3s + d) / 4) and the like (groups of
// four of a 16-bit source).
inline uint32_t Shift(int kind, uint32_t s, uint32_t d, int level, bool exactUpper) {
    uint32_t out = 0;
    if (kind >= 16 && kind <= 19) {
        Chan c[3];
        Layout16(kind, c);
        for (int i = 0; i < 3; ++i) {
            const uint32_t m = (1u << c[i].bits) - 1, sc = (s >> c[i].shift) & m, dc = (d >> c[i].shift) & m;
            uint32_t v;
            if (exactUpper && i < 2)
                v = level == 192 ? (3 * sc + dc) / 4 : level == 128 ? (sc + dc) / 2 : (sc + 3 * dc) / 4;
            else
                v = ShiftCh(sc, dc, level);
            out |= v << c[i].shift;
        }
        return out;
    }
    for (int b = 0; b < Bytes(kind); ++b) out |= ShiftCh((s >> 8 * b) & 255, (d >> 8 * b) & 255, level) << 8 * b;
    return out;
}

// A mix table whose two phases give different, recognisable answers.
struct MarkedTable {
    unsigned char t[2][65536];
    MarkedTable() {
        for (int k = 0; k < 65536; ++k) {
            t[0][k] = uint8_t((k * 7 + (k >> 8)) | 1);    // odd in phase 0
            t[1][k] = uint8_t((k * 13 + (k >> 9)) & ~1);  // even in phase 1
        }
    }
};

inline uint32_t Key565(uint32_t r, uint32_t g, uint32_t b) { return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3); }

}  // namespace mixref

#endif
