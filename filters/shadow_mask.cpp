// CreateMask (an 8-bit coverage plane from a sprite) and CreateShadow (a
// soft shadow grown towards the lower right).
#include <string.h>

#include <memory>
#include <new>

#include "filters/filters.h"
#include "filters/shadow.h"
#include "filters/simd.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

int Min(int a, int b) { return a < b ? a : b; }

// The level's mask value: 256 is full coverage.
uint8_t LevelValue(unsigned short level) { return level == 256 ? 255 : uint8_t(level & 255); }

// Scales every byte of an 8-bit plane's memory.
void ScalePlane(TSurfDesc &s, unsigned short level) {
    if (level == 256 || s.height <= 0 || s.scanWidth <= 0) return;
    ScaleBytes(s.bits, ptrdiff_t(s.height) * s.scanWidth, level & 255);
}

// ---- CreateMask

// 32, 24 and 16 bits: the key compared with the pixel's colour bits only.
template <int B>
bool MaskColour(TSurfDesc &mask, const TSurfDesc &src, unsigned short level) {
    const uint32_t key = src.transColor != 0xFFFFFFFFu ? src.transColor : 0;
    const uint32_t keyBits = B == 2 ? key & 0xFFFF : key & 0xFFFFFF;
    const uint8_t on = LevelValue(level);
    const int w = Min(mask.width, src.width), h = Min(mask.height, src.height);
    for (int y = 0; y < h; ++y) {
        const uint8_t *s = Row(src, y);
        uint8_t *m = Row(mask, y);
        for (int x = 0; x < w; ++x, s += B) {
            const uint32_t v = B == 2 ? Load16(s) : Fmt24::Load(s);  // low three bytes of 32 too
            m[x] = v == keyBits ? 0 : on;
        }
    }
    return true;
}

bool CreateMask_32(TSurfDesc &m, TSurfDesc &s, unsigned short l) { return MaskColour<4>(m, s, l); }
bool CreateMask_24(TSurfDesc &m, TSurfDesc &s, unsigned short l) { return MaskColour<3>(m, s, l); }
bool CreateMask_16(TSurfDesc &m, TSurfDesc &s, unsigned short l) { return MaskColour<2>(m, s, l); }

// Index 0 is transparent; the row padding is coded too. Each plane keeps its
// own pitch: only the bytes both rows hold are coded.
bool CreateMask_8Bits(TSurfDesc &mask, TSurfDesc &src, unsigned short level) {
    const int h = Min(mask.height, src.height), n = Min(mask.scanWidth, src.scanWidth);
    const unsigned f = level & 255;
    for (int y = 0; y < h; ++y) {
        const uint8_t *s = Row(src, y);
        uint8_t *m = Row(mask, y);
        for (int x = 0; x < n; ++x) m[x] = s[x] ? 255 : 0;
        if (level != 256 && n > 0) ScaleBytes(m, n, f);
    }
    return true;
}

// ---- CreateShadow

struct Grow {
    unsigned decay, limit;
    // s: the source value; the three neighbours from the shadow.
    unsigned operator()(unsigned s, unsigned top, unsigned topLeft, unsigned left) const {
        if (s >= 240) return s;
        const unsigned n = (top + 2 * topLeft + left) >> 2;
        if (n > decay && n - decay > s) return n - decay > limit ? limit : n - decay;
        return s;
    }
};

// Into an 8-bit shadow: the source value of column x is byte x x SB of its
// row. Rows from 1, columns from 1; with `wrap` columns from 0 past row 1,
// the left neighbour of column 0 being the last byte of the row before.
template <int SB>
bool GrowInto8(TSurfDesc &sh, const TSurfDesc &src, const Grow &grow, unsigned short level, int n, bool wrap) {
    const int h = Min(sh.height, src.height);
    const ptrdiff_t P = sh.scanWidth;
    for (int y = 1; y < h; ++y) {
        const uint8_t *s = Row(src, y);
        uint8_t *d = Row(sh, y);
        for (int x = wrap && y > 1 ? 0 : 1; x < n; ++x)
            d[x] = uint8_t(grow(s[x * SB], d[x - P], d[x - P - 1], d[x - 1]));
    }
    ScalePlane(sh, level);
    return true;
}

// 8 into 8: every byte of the row, padding too.
bool Shadow8(TSurfDesc &sh, const TSurfDesc &src, const Grow &grow, unsigned short level) {
    return GrowInto8<1>(sh, src, grow, level, Min(sh.scanWidth, src.scanWidth), true);
}

// 32 or 24 into 8: the source's first byte is its value.
template <int B>
bool ShadowColourTo8(TSurfDesc &sh, const TSurfDesc &src, const Grow &grow, unsigned short level) {
    return GrowInto8<B>(sh, src, grow, level, Min(sh.width, src.width), false);
}

// 32 into 32, 24 into 24: pixels in reading order from (1, 1), so the left
// neighbour of column 0 is the last pixel of the row before. The top
// neighbour counts by its first byte, the others by their three colour
// bytes together.
template <int B>
bool ShadowSame(TSurfDesc &sh, const TSurfDesc &src, const Grow &grow, unsigned short level) {
    const int h = Min(sh.height, src.height), w = Min(sh.width, src.width);
    auto at = [&](int x, int y) { return Row(sh, y) + ptrdiff_t(x) * B; };
    auto colour = [](const uint8_t *p) { return unsigned(p[0] | p[1] | p[2]); };
    for (int y = 1; y < h; ++y) {
        const uint8_t *s = Row(src, y);
        for (int x = y == 1 ? 1 : 0; x < w; ++x) {
            const uint8_t *top = at(x, y - 1);
            const uint8_t *topLeft = x > 0 ? at(x - 1, y - 1) : at(w - 1, y - 2);
            const uint8_t *left = x > 0 ? at(x - 1, y) : at(w - 1, y - 1);
            const unsigned v = grow(s[x * B], top[0], colour(topLeft), colour(left));
            uint8_t *d = at(x, y);
            d[0] = d[1] = d[2] = uint8_t(v);
        }
    }
    // Every byte of each shadow pixel: all four of 32 bits.
    if (level != 256 && sh.width > 0) ScaleRows(sh.bits, ptrdiff_t(sh.width) * B, sh.height, sh.scanWidth, level & 255);
    return true;
}

using ShadowRowsFn = void (*)(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words);

// The 16-bit rows, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto ShadowRows_565 = ShadowRows_565_mmx;
constexpr auto ShadowRows_555 = ShadowRows_555_mmx;
constexpr auto ShadowRows_4444 = ShadowRows_4444_mmx;
#else
constexpr auto ShadowRows_565 = ShadowRows<Fmt565>;
constexpr auto ShadowRows_555 = ShadowRows<Fmt555>;
constexpr auto ShadowRows_4444 = ShadowRows<Fmt4444>;
#endif

// 16-bit sources, word by word over the rows both surfaces hold.
template <ShadowRowsFn Rows>
bool Shadow16(TSurfDesc &sh, const TSurfDesc &src, unsigned decay, unsigned limit, unsigned short level) {
    if (decay == 0) return false;
    if (src.height <= 0 || src.scanWidth <= 0) return true;
    const ptrdiff_t total = ptrdiff_t(src.height) * src.scanWidth;
    if (total < 2) return true;
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[size_t(total)]);
    if (!copy) return false;
    memcpy(copy.get(), src.bits, size_t(total));

    const ptrdiff_t k = ptrdiff_t(limit / decay), P = src.scanWidth;
    ShadowJob j{copy.get(),
                total,
                P,
                {(P + 3) * k, (P + 1) * k, (P - 1) * k, (-2 - P) * k, -2 - (P + 2) * k, -4 - (P + 2) * k},
                0,
                0,
                level != 256,
                255 - (level & 255u)};
    for (ptrdiff_t o : j.off) {
        if (o < j.minOff) j.minOff = o;
        if (o > j.maxOff) j.maxOff = o;
    }
    const int h = Min(sh.height, src.height), words = Min(sh.scanWidth, src.scanWidth) / 2;
    if (h > 0 && words > 0) Rows(j, Row(sh, 0), sh.scanWidth, h, words);
    return true;
}

bool CreateShadow_32(TSurfDesc &sh, TSurfDesc &src, const Grow &g, unsigned short level) {
    if (sh.bpp == 8) return ShadowColourTo8<4>(sh, src, g, level);
    if (sh.bpp == 32) return ShadowSame<4>(sh, src, g, level);
    return false;
}
bool CreateShadow_24(TSurfDesc &sh, TSurfDesc &src, const Grow &g, unsigned short level) {
    if (sh.bpp == 8) return ShadowColourTo8<3>(sh, src, g, level);
    if (sh.bpp == 24) return ShadowSame<3>(sh, src, g, level);
    return false;
}
bool CreateShadow_565(TSurfDesc &sh, TSurfDesc &src, const Grow &g, unsigned short level) {
    return sh.bpp == 16 && Shadow16<ShadowRows_565>(sh, src, g.decay, g.limit, level);
}
bool CreateShadow_555(TSurfDesc &sh, TSurfDesc &src, const Grow &g, unsigned short level) {
    return sh.bpp == 16 && Shadow16<ShadowRows_555>(sh, src, g.decay, g.limit, level);
}
bool CreateShadow_4444(TSurfDesc &sh, TSurfDesc &src, const Grow &g, unsigned short level) {
    return sh.bpp == 16 && Shadow16<ShadowRows_4444>(sh, src, g.decay, g.limit, level);
}
bool CreateShadow_8Bits(TSurfDesc &sh, TSurfDesc &src, const Grow &g, unsigned short level) {
    return sh.bpp == 8 && Shadow8(sh, src, g, level);
}

}  // namespace

bool CreateMask(TSurfDesc &mask, TSurfDesc &src, unsigned short level) {
    return ByKind<CreateMask_32, CreateMask_24, CreateMask_16, CreateMask_16, CreateMask_16, CreateMask_8Bits>(
        src, mask, src, level);
}

bool CreateShadow(TSurfDesc &shadow, TSurfDesc &src, unsigned char decay, unsigned char limit, unsigned short level) {
    const Grow g{decay, limit};
    return ByKind<CreateShadow_32, CreateShadow_24, CreateShadow_565, CreateShadow_555, CreateShadow_4444,
                  CreateShadow_8Bits>(src, shadow, src, g, level);
}
