#include <string.h>

#include "convert/nearest.h"
#include "convert/simd.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

// ---- one pixel, source value to destination value --------------------------
// 16-bit channels widen by shifting alone and narrow by keeping top bits.

uint32_t P565To555(uint32_t p) { return ((p >> 1) & 0x7FE0) | (p & 0x1F); }
uint32_t P565To1555(uint32_t p) { return P565To555(p) | 0x8000; }
uint32_t P565To4444(uint32_t p) {
    return 0xF000 | (((p >> 12) & 0xF) << 8) | (((p >> 7) & 0xF) << 4) | ((p >> 1) & 0xF);
}
uint32_t P555To565(uint32_t p) { return ((p & 0x7FE0) << 1) | (p & 0x1F); }
uint32_t P555To4444(uint32_t p) { return (((p >> 11) & 0xF) << 8) | (((p >> 6) & 0xF) << 4) | ((p >> 1) & 0xF); }
uint32_t P555To1555(uint32_t p) { return p | 0x8000; }
uint32_t P1555To555(uint32_t p) { return p & 0x7FFF; }
uint32_t P4444To565(uint32_t p) { return (((p >> 8) & 0xF) << 12) | (((p >> 4) & 0xF) << 7) | ((p & 0xF) << 1); }
// To 555 and 1555 alike: bit 15 is the top bit of the alpha nibble.
uint32_t P4444To555(uint32_t p) {
    return (p & 0x8000) | (((p >> 8) & 0xF) << 11) | (((p >> 4) & 0xF) << 6) | ((p & 0xF) << 1);
}

uint32_t P565To24(uint32_t p) { return RGBColor(Fmt565::Unpack(p)); }
uint32_t P555To24(uint32_t p) { return RGBColor(Fmt555::Unpack(p)); }
uint32_t P4444To24(uint32_t p) { return RGBColor(Fmt4444::Unpack(p)); }
uint32_t P565To32(uint32_t p) { return 0xFF000000u | P565To24(p); }
uint32_t P555To32(uint32_t p) { return 0xFF000000u | P555To24(p); }
// Alpha 0 on every pixel, whatever its alpha bit.
uint32_t P1555To32(uint32_t p) { return P555To24(p); }
uint32_t P4444To32(uint32_t p) { return ((p & 0xF000) << 16) | P4444To24(p); }

uint32_t P24To565(uint32_t p) { return Fmt565::Pack(ColorRGB(p)); }
uint32_t P24To555(uint32_t p) { return Fmt555::Pack(ColorRGB(p)); }
uint32_t P24To1555(uint32_t p) { return 0x8000 | Fmt555::Pack(ColorRGB(p)); }
uint32_t P24To4444(uint32_t p) { return 0xF000 | Fmt4444::Pack(ColorRGB(p)); }
uint32_t P32To565(uint32_t p) { return Fmt565::Pack(ColorRGB(p)); }
// To 555 and 1555 alike: bit 15 is the top bit of alpha.
uint32_t P32To555(uint32_t p) { return ((p >> 16) & 0x8000) | Fmt555::Pack(ColorRGB(p)); }
uint32_t P32To4444(uint32_t p) { return ((p >> 16) & 0xF000) | Fmt4444::Pack(ColorRGB(p)); }
uint32_t P32To24(uint32_t p) { return p & 0xFFFFFF; }
uint32_t P24To32(uint32_t p) { return 0xFF000000u | p; }

using PixFn = uint32_t (*)(uint32_t);
// Converts w pixels of one row; d and s do not overlap.
using ConvRowFn = void (*)(uint8_t *d, const uint8_t *s, int w);

// Whole-word loads and stores where the size allows: the compiler turns
// these loops into vector code, which it does not do for byte assembly.
// Only the pixel size matters here, so every 16-bit kind moves as a word.
template <int N>
inline uint32_t LoadN(const uint8_t *p) {
    if (N == 4) return Load32(p);
    if (N == 2) {
        uint16_t v;
        memcpy(&v, p, 2);
        return v;
    }
    return Fmt24::Load(p);
}
template <int N>
inline void StoreN(uint8_t *p, uint32_t v) {
    if (N == 4) {
        Store32(p, v);
    } else if (N == 2) {
        const uint16_t h = uint16_t(v);
        memcpy(p, &h, 2);
    } else {
        Fmt24::Store(p, v);
    }
}

template <int SB, int DB, PixFn F>
void RowConv(uint8_t *d, const uint8_t *s, int w) {
    for (int x = 0; x < w; ++x) StoreN<DB>(d + x * DB, F(LoadN<SB>(s + x * SB)));
}

// Every pair of different deep kinds but 24 <-> 32: the row kernel (the MMX
// one where there is one) and the same conversion for a single value.
struct Conversion {
    int from, to;
    ConvRowFn row;
    PixFn pix;
};
// The row kernels with an MMX form: picked here, once.
#if UTILS_SIMD
const ConvRowFn kRow32To565 = ConvertRow_32_565_mmx;
const ConvRowFn kRow32To555 = ConvertRow_32_555_mmx;
const ConvRowFn kRow565To32 = ConvertRow_565_32_mmx;
const ConvRowFn kRow555To32 = ConvertRow_555_32_mmx;
#else
const ConvRowFn kRow32To565 = RowConv<4, 2, P32To565>;
const ConvRowFn kRow32To555 = RowConv<4, 2, P32To555>;
const ConvRowFn kRow565To32 = RowConv<2, 4, P565To32>;
const ConvRowFn kRow555To32 = RowConv<2, 4, P555To32>;
#endif

const Conversion kConversions[] = {
    {kKind32, kKind565, kRow32To565, P32To565},
    {kKind32, kKind555, kRow32To555, P32To555},
    {kKind32, kKind1555, kRow32To555, P32To555},
    {kKind32, kKind4444, RowConv<4, 2, P32To4444>, P32To4444},
    {kKind24, kKind565, RowConv<3, 2, P24To565>, P24To565},
    {kKind24, kKind555, RowConv<3, 2, P24To555>, P24To555},
    {kKind24, kKind1555, RowConv<3, 2, P24To1555>, P24To1555},
    {kKind24, kKind4444, RowConv<3, 2, P24To4444>, P24To4444},
    {kKind565, kKind32, kRow565To32, P565To32},
    {kKind555, kKind32, kRow555To32, P555To32},
    {kKind1555, kKind32, RowConv<2, 4, P1555To32>, P1555To32},
    {kKind4444, kKind32, RowConv<2, 4, P4444To32>, P4444To32},
    {kKind565, kKind24, RowConv<2, 3, P565To24>, P565To24},
    {kKind555, kKind24, RowConv<2, 3, P555To24>, P555To24},
    {kKind1555, kKind24, RowConv<2, 3, P555To24>, P555To24},
    {kKind4444, kKind24, RowConv<2, 3, P4444To24>, P4444To24},
    {kKind565, kKind555, RowConv<2, 2, P565To555>, P565To555},
    {kKind565, kKind1555, RowConv<2, 2, P565To1555>, P565To1555},
    {kKind565, kKind4444, RowConv<2, 2, P565To4444>, P565To4444},
    {kKind555, kKind565, RowConv<2, 2, P555To565>, P555To565},
    {kKind555, kKind1555, RowConv<2, 2, P555To1555>, P555To1555},
    {kKind555, kKind4444, RowConv<2, 2, P555To4444>, P555To4444},
    {kKind1555, kKind565, RowConv<2, 2, P555To565>, P555To565},
    {kKind1555, kKind555, RowConv<2, 2, P1555To555>, P1555To555},
    {kKind1555, kKind4444, RowConv<2, 2, P555To4444>, P555To4444},
    {kKind4444, kKind565, RowConv<2, 2, P4444To565>, P4444To565},
    {kKind4444, kKind555, RowConv<2, 2, P4444To555>, P4444To555},
    {kKind4444, kKind1555, RowConv<2, 2, P4444To555>, P4444To555},
};

const Conversion *Find(int from, int to) {
    for (const Conversion &c : kConversions)
        if (c.from == from && c.to == to) return &c;
    return nullptr;
}

// ---- the area and the row loop ---------------------------------------------

// The source's size, but never past the destination: a destination smaller
// than the source would otherwise be written beyond its end.
bool Area(const TSurfDesc &d, const TSurfDesc &s, int &w, int &h) {
    w = s.width < d.width ? s.width : d.width;
    h = s.height < d.height ? s.height : d.height;
    return w > 0 && h > 0;
}

void EachRow(const TSurfDesc &d, const TSurfDesc &s, ConvRowFn fn) {
    int w, h;
    if (!Area(d, s, w, h)) return;
    for (int y = 0; y < h; ++y) fn(Row(d, y), Row(s, y), w);
}

bool IsKnown(int k) {
    return k == kKind8 || k == kKind565 || k == kKind555 || k == kKind1555 || k == kKind4444 || k == kKind24 ||
           k == kKind32;
}
bool Is16(int k) { return k >= kKind565 && k <= kKind4444; }

constexpr uint32_t kNoKey = 0xFFFFFFFFu;

// A real key must not come out as "no key": a white key whose top byte is
// set would read as 0xFFFFFFFF. Blits compare only the low 24 bits of a 24-
// or 32-bit key, so dropping the top byte keeps its meaning.
uint32_t KeepKey(uint32_t k) { return k == kNoKey ? 0x00FFFFFFu : k; }

// Key of the pairs converted pixel by pixel: read as a pixel of the source
// and converted like one, with the alpha bits of the destination fixed.
void ConvertKey(TSurfDesc &d, const TSurfDesc &s, PixFn f, int dk, int sk) {
    const uint32_t t = s.transColor;
    if (t == kNoKey) {
        d.transColor = kNoKey;
        return;
    }
    uint32_t v = f(Is16(sk) ? (t & 0xFFFF) : sk == kKind24 ? (t & 0xFFFFFF) : t);
    if (dk == kKind24 || dk == kKind32) {
        v &= 0xFFFFFF;
        if (dk == kKind32 && d.aMask != 0) v |= 0xFF000000u;
        v = KeepKey(v);
    } else if (dk == kKind1555) {
        v |= 0x8000;
    } else if (dk == kKind555) {
        v &= 0x7FFF;
    } else if (dk == kKind4444) {
        v |= 0xF000;
    }
    d.transColor = v;
}

// The kinds are the conversion's own: the named ones do not classify.
void Pair(TSurfDesc &d, TSurfDesc &s, int dk, int sk) {
    const Conversion *c = Find(sk, dk);
    EachRow(d, s, c->row);
    ConvertKey(d, s, c->pix, dk, sk);
}

// ---- 8-bit source ------------------------------------------------------------

template <class DF>
void RowLut(uint8_t *d, const uint8_t *s, int w, const uint32_t *lut) {
    for (int x = 0; x < w; ++x) DF::Store(d + x * DF::kBytes, lut[s[x]]);
}

// Each index becomes its palette colour (grey without a palette); the whole
// palette is converted once instead of every pixel.
void FromIndexed(TSurfDesc &d, TSurfDesc &s, int dk) {
    const bool pal = s.palette != nullptr;
    uint32_t lut[256];
    for (int i = 0; i < 256; ++i) {
        const TRGBA e = pal ? s.palette[i] : TRGBA{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        const uint32_t rgb = (uint32_t(e.r) << 16) | (uint32_t(e.g) << 8) | e.b;
        const uint32_t top = pal ? uint32_t(e.a & 0x80) << 8 : 0;
        switch (dk) {
            case kKind565:
                lut[i] = P24To565(rgb);
                break;
            case kKind555:
            case kKind1555:
                lut[i] = top | P24To555(rgb);
                break;
            case kKind4444:
                lut[i] = (pal ? 0xF000 : 0) | Fmt4444::Pack(ColorRGB(rgb));
                break;
            case kKind24:
                lut[i] = rgb;
                break;
            default:
                lut[i] = P24To32(rgb);
                break;
        }
    }
    int w, h;
    if (Area(d, s, w, h)) {
        for (int y = 0; y < h; ++y) {
            uint8_t *dp = Row(d, y);
            const uint8_t *sp = Row(s, y);
            if (dk == kKind24)
                RowLut<Fmt24>(dp, sp, w, lut);
            else if (dk == kKind32)
                RowLut<Fmt32>(dp, sp, w, lut);
            else
                RowLut<FmtWord16>(dp, sp, w, lut);
        }
    }

    const uint32_t t = s.transColor;
    if (t == kNoKey) {
        if (dk != kKind32) d.transColor = kNoKey;
        return;
    }
    if (dk == kKind32) {
        if (d.aMask == 0)
            d.transColor = t;
        else
            d.transColor = KeepKey((pal ? Load32(reinterpret_cast<const uint8_t *>(&s.palette[0])) : 0) | 0xFF000000u);
    } else if (pal) {
        d.transColor = dk == kKind24 ? KeepKey(Load32(reinterpret_cast<const uint8_t *>(&s.palette[0]))) : lut[0];
    } else {
        d.transColor = dk == kKind1555 ? 0x8000 : dk == kKind4444 ? 0xF000 : 0;
    }
}

// ---- 8-bit destination -------------------------------------------------------

struct TruncIndex {
    uint8_t operator()(uint32_t rgb) const {
        const uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        return uint8_t(((r >> 5) << 5) | ((g >> 5) << 2) | (b >> 6));
    }
};
struct ModelIndex {
    uint8_t operator()(uint32_t rgb) const {
        const uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        return uint8_t(((r * 6) >> 8) * 42 + ((g * 7) >> 8) * 6 + ((b * 6) >> 8));
    }
};
struct PlainNearest {
    const TRGBA *pal;
    uint8_t operator()(uint32_t rgb) const {
        return NearestPaletteIndex(pal, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
    }
};
struct FastNearest {
    NearestColor *nc;
    uint8_t operator()(uint32_t rgb) const { return nc->Find(rgb); }
};

// 16-bit keys are compared on the low half, 24- and 32-bit keys on the low
// 24 bits, as the keyed blits compare them.
template <class SF, class Map>
void ToIndexRows(TSurfDesc &d, const TSurfDesc &s, uint32_t keyMask, const Map &map) {
    int w, h;
    if (!Area(d, s, w, h)) return;
    const bool keyed = s.transColor != kNoKey;
    const uint32_t key = s.transColor & keyMask;
    for (int y = 0; y < h; ++y) {
        uint8_t *dp = Row(d, y);
        const uint8_t *sp = Row(s, y);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = SF::Load(sp + x * SF::kBytes);
            dp[x] = keyed && (p & keyMask) == key ? 0 : map(RGBColor(SF::Unpack(p)));
        }
    }
}

template <class Map>
void ToIndexKind(TSurfDesc &d, const TSurfDesc &s, int sk, const Map &map) {
    if (sk == kKind32)
        ToIndexRows<Fmt32>(d, s, 0xFFFFFF, map);
    else if (sk == kKind24)
        ToIndexRows<Fmt24>(d, s, 0xFFFFFF, map);
    else if (sk == kKind565)
        ToIndexRows<Fmt565>(d, s, 0xFFFF, map);
    else if (sk == kKind555 || sk == kKind1555)
        ToIndexRows<Fmt555>(d, s, 0xFFFF, map);
    else
        ToIndexRows<Fmt4444>(d, s, 0xFFFF, map);
}

// Below this many pixels the plain scan is cheaper than building cubes.
constexpr int64_t kFastSearchPixels = 1024;

void ToIndexed(TSurfDesc &d, TSurfDesc &s, int sk, unsigned long mode) {
    if (mode == 2) {
        // A destination without a palette is shown through the global one.
        const TRGBA *pal = BlitPalette(d);
        int w, h;
        if (Area(d, s, w, h) && int64_t(w) * h >= kFastSearchPixels) {
            NearestColor nc(pal);
            ToIndexKind(d, s, sk, FastNearest{&nc});
        } else {
            ToIndexKind(d, s, sk, PlainNearest{pal});
        }
    } else if (mode == 3) {
        ToIndexKind(d, s, sk, TruncIndex());
    } else if (mode == 4) {
        ToIndexKind(d, s, sk, ModelIndex());
    } else if (mode != 1) {
        return;  // unknown mode: nothing at all
    }
    d.transColor = s.transColor != kNoKey ? 0 : kNoKey;
}

void Copy(TSurfDesc &d, TSurfDesc &s) {
    CopyImage(d, s);
    d.transColor = s.transColor;
}

}  // namespace

// ---- exports -----------------------------------------------------------------

bool CopyImage(TSurfDesc &dst, TSurfDesc &src) {
    int w, h;
    if (!Area(dst, src, w, h)) return true;
    const int64_t srow = int64_t(src.width) * (src.bpp / 8), drow = int64_t(dst.width) * (dst.bpp / 8);
    int64_t row = int64_t(w) * (src.bpp / 8);
    if (row > srow) row = srow;
    if (row > drow) row = drow;
    if (row <= 0) return true;
    if (src.scanWidth == dst.scanWidth && src.scanWidth >= row) {
        // One block with the padding between rows, up to the last pixel: all
        // of the last row, none of what may lie past it.
        memmove(dst.bits, src.bits, size_t(int64_t(h - 1) * src.scanWidth + row));
        return true;
    }
    for (int y = 0; y < h; ++y) memmove(Row(dst, y), Row(src, y), size_t(row));
    return true;
}

bool Convert32_24_(TSurfDesc &dst, TSurfDesc &src) {
    EachRow(dst, src, RowConv<4, 3, P32To24>);
    dst.transColor = src.transColor;
    return true;
}

bool Convert24_32_(TSurfDesc &dst, TSurfDesc &src) {
    EachRow(dst, src, RowConv<3, 4, P24To32>);
    uint32_t t = src.transColor;
    if (t != kNoKey && dst.aMask != 0) t = KeepKey(t | 0xFF000000u);
    dst.transColor = t;
    return true;
}

bool Convert16_565_16_555(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind555, kKind565);
    return true;
}
bool Convert16_565_16_5551(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind1555, kKind565);
    return true;
}
bool Convert16_565_16_4444(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind4444, kKind565);
    return true;
}
bool Convert16_555_16_565(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind565, kKind555);
    return true;
}
bool Convert16_5551_16_565(TSurfDesc &dst, TSurfDesc &src) { return Convert16_555_16_565(dst, src); }
bool Convert16_555_16_4444(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind4444, kKind555);
    return true;
}
bool Convert16_5551_16_4444(TSurfDesc &dst, TSurfDesc &src) { return Convert16_555_16_4444(dst, src); }
bool Convert16_555_16_5551(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind1555, kKind555);
    return true;
}
bool Convert16_5551_16_555(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind555, kKind1555);
    return true;
}
bool Convert16_4444_16_565(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind565, kKind4444);
    return true;
}
bool Convert16_4444_16_555(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind555, kKind4444);
    return true;
}
bool Convert16_4444_16_5551(TSurfDesc &dst, TSurfDesc &src) {
    Pair(dst, src, kKind1555, kKind4444);
    return true;
}

bool Convert(TSurfDesc &dst, TSurfDesc &src, unsigned long mode) {
    const int dk = PixelKind(dst), sk = PixelKind(src);
    if (!IsKnown(dk) || !IsKnown(sk)) return false;
    if (dk == kKind8) {
        if (sk == kKind8)
            Convert8_8(dst, src);
        else
            ToIndexed(dst, src, sk, mode);
        return false;
    }
    if (sk == kKind8) {
        FromIndexed(dst, src, dk);
        return false;
    }
    if (dk == sk) {
        Copy(dst, src);
        return false;
    }

    if (dk == kKind32 && sk == kKind24)
        Convert24_32_(dst, src);
    else if (dk == kKind24 && sk == kKind32)
        Convert32_24_(dst, src);
    else
        Pair(dst, src, dk, sk);
    return false;
}
