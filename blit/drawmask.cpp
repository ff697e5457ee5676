// DrawMask: a solid colour laid on through a coverage mask. DrawBiMask: a
// two-way mask that darkens below its midpoint and lightens above it.
#include "blit/mix.h"
#include "blit/simd.h"

using namespace kv;

namespace {

// One pixel at a time, the mask's values kStep bytes apart: 0 keeps, any
// other value m mixes at m/256, except that with a 16-bit mask a full value
// writes the colour outright.
template <class F, int kStep>
[[maybe_unused]] void MaskPixels16(uint8_t *d, const uint8_t *m, int n, uint32_t c) {
    for (int x = 0; x < n; ++x) {
        const uint32_t v = m[kStep * x];
        if (v == 0) continue;
        F::Store(d + 2 * x, (kStep == 2 && v == 255) ? c : F::MixFields(c, F::Load(d + 2 * x), v));
    }
}

// 8-bit mask, n a multiple of 4: a fully covered group of four is the
// colour; otherwise each value mixes at m/256 (0 keeps).
template <class F>
[[maybe_unused]] void MaskGroups16(uint8_t *d, const uint8_t *m, int n, uint32_t c) {
    for (int x = 0; x < n; x += 4) {
        if ((m[x] & m[x + 1] & m[x + 2] & m[x + 3]) == 255) {
            for (int i = 0; i < 4; ++i) F::Store(d + 2 * (x + i), c);
            continue;
        }
        MaskPixels16<F, 1>(d + 2 * x, m + x, 4, c);
    }
}

using MaskRowFn = void (*)(uint8_t *d, const uint8_t *m, int n, uint32_t c);

// The groups of four of each 16-bit layout, from an 8-bit mask and from a
// 16-bit one, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto MaskRow_565 = MaskRow_565_mmx;
constexpr auto MaskRow_555 = MaskRow_555_mmx;
constexpr auto MaskRow_4444 = MaskRow_4444_mmx;
constexpr auto WordMaskRow_565 = WordMaskRow_565_mmx;
constexpr auto WordMaskRow_555 = WordMaskRow_555_mmx;
constexpr auto WordMaskRow_4444 = WordMaskRow_4444_mmx;
#else
constexpr auto MaskRow_565 = MaskGroups16<Fmt565>;
constexpr auto MaskRow_555 = MaskGroups16<Fmt555>;
constexpr auto MaskRow_4444 = MaskGroups16<Fmt4444>;
constexpr auto WordMaskRow_565 = MaskPixels16<Fmt565, 2>;
constexpr auto WordMaskRow_555 = MaskPixels16<Fmt555, 2>;
constexpr auto WordMaskRow_4444 = MaskPixels16<Fmt4444, 2>;
#endif

// Groups of four through the row kernels, the row's last pixels one by one
// (only an 8-bit mask's groups treat a full group apart).
template <class F, MaskRowFn MaskRow, MaskRowFn WordMaskRow>
bool DrawMask16(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &mask, const CPunto &maskPt,
                unsigned long color) {
    if (mask.bpp != 8 && mask.bpp != dst.bpp) return false;
    const int mStep = mask.bpp == 8 ? 1 : 2;
    Feed cover{&mask, maskPt, mStep};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, cover)) return true;
    const uint32_t c = F::Pack(ColorRGB(color));
    const int groups = b.w & ~3;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *m = cover.Row(y);
        const bool trails = Trails(d, m, size_t(mStep) * groups);
        if (mStep == 1) {
            RowFor(MaskRow, MaskGroups16<F>, trails)(d, m, groups, c);
            MaskPixels16<F, 1>(d + 2 * groups, m + groups, b.w - groups, c);
        } else {
            RowFor(WordMaskRow, MaskPixels16<F, 2>, trails)(d, m, groups, c);
            MaskPixels16<F, 2>(d + 2 * groups, m + 2 * groups, b.w - groups, c);
        }
    }
    return true;
}

// Every byte of the colour, the fourth of a 32-bit pixel included, at m + 1.
template <class F>
bool DrawMaskBytes(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &mask, const CPunto &maskPt,
                   unsigned long color) {
    const int mStep = mask.bpp == dst.bpp ? F::kBytes : 1;
    Feed cover{&mask, maskPt, mStep};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, cover)) return true;
    uint8_t c[4];
    Store32(c, uint32_t(color));
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *m = cover.Row(y);
        for (int x = 0; x < b.w; ++x) {
            const uint32_t v = m[mStep * x];
            if (v == 0) continue;
            uint8_t *o = d + F::kBytes * x;
            for (int k = 0; k < F::kBytes; ++k) o[k] = v == 255 ? c[k] : uint8_t(Mix(c[k], o[k], v + 1));
        }
    }
    return true;
}

// Hands every pixel the two-way mask moves to put(pixel, strength, target):
// strength is how far towards the target (0 keeps the pixel and is not
// handed on, 254 and up replace it), the target 0 below the midpoint and
// 255 above it.
template <int kBytes, class Put>
void EachBiMaskPixel(const TSurfDesc &dst, unsigned strength, const CRectangulo &rect, const TSurfDesc &mask,
                     const CPunto &maskPt, Put put) {
    Feed cover{&mask, maskPt, 1};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, cover)) return;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *m = cover.Row(y);
        for (int x = 0; x < b.w; ++x) {
            const uint32_t v = m[x];
            const bool up = v >= 128;
            const uint32_t s = (((up ? v - 128 : 127 - v) * strength) >> 7) & 0xFFFF;
            if (s != 0) put(d + kBytes * x, s, up ? 255 : 0);
        }
    }
}

template <class F>
bool DrawBiMaskBytes(const TSurfDesc &dst, unsigned strength, const CRectangulo &rect, const TSurfDesc &mask,
                     const CPunto &maskPt) {
    EachBiMaskPixel<F::kBytes>(dst, strength, rect, mask, maskPt, [](uint8_t *o, uint32_t s, int t) {
        const TRGBA &e = lu_gPaleta[t];
        // Blue, green, red only: the fourth byte of a 32-bit pixel stays.
        if (s >= 254) {
            o[0] = e.b;
            o[1] = e.g;
            o[2] = e.r;
        } else {
            o[0] = uint8_t(Mix(e.b, o[0], s));
            o[1] = uint8_t(Mix(e.g, o[1], s));
            o[2] = uint8_t(Mix(e.r, o[2], s));
        }
    });
    return true;
}

}  // namespace

bool DrawMask_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt, unsigned long color,
                    unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8) return false;
    Feed cover{&mask, maskPt, 1};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, cover)) return true;
    if (mask.bpp != 8 || !mixTable) return false;
    const RGB8 c = ColorRGB(color);
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *m = cover.Row(y);
        for (int x = 0; x < b.w; ++x) {
            const uint32_t v = m[x];
            if (v == 0) continue;
            const TRGBA &de = lu_gPaleta[d[x]];
            const uint32_t k = MixKey(Mix(c.r, de.r, v), Mix(c.g, de.g, v), Mix(c.b, de.b, v));
            d[x] = mixTable[MixPhase(b.r.left + x, b.r.top + y)][k];
        }
    }
    return true;
}

bool DrawMask(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt, unsigned long color,
              unsigned char (*const mixTable)[65536]) {
    if (dst.bpp == 8) return DrawMask_8Bits(dst, rect, mask, maskPt, color, mixTable);
    return ByKind<DrawMaskBytes<Fmt32>, DrawMaskBytes<Fmt24>, DrawMask16<Fmt565, MaskRow_565, WordMaskRow_565>,
                  DrawMask16<Fmt555, MaskRow_555, WordMaskRow_555>, DrawMask16<Fmt4444, MaskRow_4444, WordMaskRow_4444>,
                  nullptr>(dst, dst, rect, mask, maskPt, color);
}

bool DrawBiMask_8Bits(TSurfDesc &dst, unsigned short strength, CRectangulo r, TSurfDesc &mask, CPunto mp,
                      unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8 || !mixTable) return false;
    EachBiMaskPixel<1>(dst, strength, r, mask, mp, [mixTable](uint8_t *o, uint32_t s, int t) {
        if (s >= 254) {
            *o = uint8_t(t);
            return;
        }
        // Towards pure black or white; the key has red and blue swapped and
        // always uses the first table.
        const uint32_t T = uint32_t(t);
        const TRGBA &de = lu_gPaleta[*o];
        *o = mixTable[0][MixKey(Mix(T, de.b, s), Mix(T, de.g, s), Mix(T, de.r, s))];
    });
    return true;
}

bool DrawBiMask(TSurfDesc &dst, unsigned short strength, CRectangulo rect, TSurfDesc &mask, CPunto maskPt,
                unsigned char (*const mixTable)[65536]) {
    if (dst.bpp == 32) return DrawBiMaskBytes<Fmt32>(dst, strength, rect, mask, maskPt);
    if (dst.bpp == 24) return DrawBiMaskBytes<Fmt24>(dst, strength, rect, mask, maskPt);
    if (dst.bpp == 8) return DrawBiMask_8Bits(dst, strength, rect, mask, maskPt, mixTable);
    return false;
}
