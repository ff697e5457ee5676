// Solid fills, one-pixel runs, frames, drop shadows and translucent fills.
#include <string.h>

#include "draw/draw.h"
#include "draw/simd.h"

using namespace kv;

namespace {

// One row of w pixels of value v.
template <int kBytes>
void FillSpan(uint8_t *p, int w, uint32_t v) {
    if (kBytes == 3) {
        const uint8_t b0 = uint8_t(v), b1 = uint8_t(v >> 8), b2 = uint8_t(v >> 16);
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = b0;
            p[1] = b1;
            p[2] = b2;
        }
        return;
    }
    // Eight bytes at a time: two 32-bit or four 16-bit pixels.
    const uint64_t pat = kBytes == 4 ? (uint64_t(v) | uint64_t(v) << 32) : uint64_t(v & 0xFFFF) * 0x0001000100010001ull;
    const size_t n = size_t(w) * kBytes;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) memcpy(p + i, &pat, 8);
    if (i < n) memcpy(p + i, &pat, n - i);
}

// The first row is built once; the others are copies of it, or plain
// memsets when every byte of the pixel is the same.
template <int kBytes>
void FillRows(const TSurfDesc &s, const CRectangulo &r, uint32_t v) {
    const int w = r.right - r.left;
    const size_t n = size_t(w) * kBytes;
    bool sameBytes = true;
    for (int i = 1; i < kBytes; ++i) sameBytes = sameBytes && uint8_t(v >> (8 * i)) == uint8_t(v);
    if (sameBytes) {
        for (int y = r.top; y < r.bottom; ++y) memset(PixelAt(s, r.left, y), int(v & 0xFF), n);
        return;
    }
    const uint8_t *first = PixelAt(s, r.left, r.top);
    FillSpan<kBytes>(PixelAt(s, r.left, r.top), w, v);
    for (int y = r.top + 1; y < r.bottom; ++y) memcpy(PixelAt(s, r.left, y), first, n);
}

bool IdxFillRect_32(const TSurfDesc &s, CRectangulo r, unsigned long k) {
    if (ClipRect(s, r)) FillRows<4>(s, r, uint32_t(k));
    return true;
}
bool IdxFillRect_24(const TSurfDesc &s, CRectangulo r, unsigned long k) {
    if (ClipRect(s, r)) FillRows<3>(s, r, uint32_t(k));
    return true;
}
bool IdxFillRect_565(const TSurfDesc &s, CRectangulo r, unsigned long k) {
    if (ClipRect(s, r)) FillRows<2>(s, r, FillColor565(k));
    return true;
}
bool IdxFillRect_555(const TSurfDesc &s, CRectangulo r, unsigned long k) {
    if (ClipRect(s, r)) FillRows<2>(s, r, FillColor555(k));
    return true;
}
bool IdxFillRect_4444(const TSurfDesc &s, CRectangulo r, unsigned long k) {
    if (ClipRect(s, r)) FillRows<2>(s, r, FillColor4444(k));
    return true;
}
bool IdxFillRect_8Bits(const TSurfDesc &s, CRectangulo r, unsigned long k) {
    if (ClipRect(s, r)) FillRows<1>(s, r, uint32_t(k));
    return true;
}

// ---- translucent fills ----

// Every byte, alpha included: (d (255 - L) + k (L + 1)) >> 8.
template <int kBytes>
[[maybe_unused]] void MaskFillRowBytes(uint8_t *p, int w, uint32_t k, int L) {
    uint32_t kb[4];
    for (int i = 0; i < 4; ++i) kb[i] = ((k >> (8 * i)) & 0xFF) * uint32_t(L + 1);
    const uint32_t dw = uint32_t(255 - L);
    // Pixel by pixel with the byte loop inside, so the compiler can keep a
    // whole pixel in one register.
    for (int x = 0; x < w; ++x, p += kBytes)
        for (int c = 0; c < kBytes; ++c) p[c] = uint8_t((p[c] * dw + kb[c]) >> 8);
}

// At full level the leading groups of four pixels take the narrowed colour
// as it is (alpha bits included); the row's last width mod 4 pixels always
// go through the field blend, which writes alpha 0 and stops one step short.
template <class F>
[[maybe_unused]] void MaskFillRow16(uint8_t *p, int w, uint32_t k, int L) {
    int x = 0;
    if (L == 255) {
        for (const int groups = w & ~3; x < groups; ++x) Store16(p + 2 * x, k);
    }
    for (; x < w; ++x) Store16(p + 2 * x, F::MixFields(k, Load16(p + 2 * x), L));
}

// The row kernels, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto MaskFillRow_32 = MaskFillRow_32_mmx;
constexpr auto MaskFillRow_24 = MaskFillRow_24_mmx;
constexpr auto MaskFillRow_565 = MaskFillRow_565_mmx;
constexpr auto MaskFillRow_555 = MaskFillRow_555_mmx;
constexpr auto MaskFillRow_4444 = MaskFillRow_4444_mmx;
#else
constexpr auto MaskFillRow_32 = MaskFillRowBytes<4>;
constexpr auto MaskFillRow_24 = MaskFillRowBytes<3>;
constexpr auto MaskFillRow_565 = MaskFillRow16<Fmt565>;
constexpr auto MaskFillRow_555 = MaskFillRow16<Fmt555>;
constexpr auto MaskFillRow_4444 = MaskFillRow16<Fmt4444>;
#endif

// Levels above 255 mean all of the colour.
int MaskLevel(unsigned short level) { return level > 255 ? 255 : level; }

template <void (*RowFn)(uint8_t *, int, uint32_t, int)>
void MaskFillRows(const TSurfDesc &s, const CRectangulo &r, uint32_t k, unsigned short level) {
    const int w = r.right - r.left, L = MaskLevel(level);
    for (int y = r.top; y < r.bottom; ++y) RowFn(PixelAt(s, r.left, y), w, k, L);
}

bool MaskFillRect_32(const TSurfDesc &s, CRectangulo r, unsigned long k, unsigned short level) {
    if (ClipRect(s, r)) MaskFillRows<MaskFillRow_32>(s, r, uint32_t(k), level);
    return true;
}
bool MaskFillRect_24(const TSurfDesc &s, CRectangulo r, unsigned long k, unsigned short level) {
    if (ClipRect(s, r)) MaskFillRows<MaskFillRow_24>(s, r, uint32_t(k), level);
    return true;
}
bool MaskFillRect_565(const TSurfDesc &s, CRectangulo r, unsigned long k, unsigned short level) {
    if (ClipRect(s, r)) MaskFillRows<MaskFillRow_565>(s, r, FillColor565(k), level);
    return true;
}
bool MaskFillRect_555(const TSurfDesc &s, CRectangulo r, unsigned long k, unsigned short level) {
    if (ClipRect(s, r)) MaskFillRows<MaskFillRow_555>(s, r, FillColor555(k), level);
    return true;
}
bool MaskFillRect_4444(const TSurfDesc &s, CRectangulo r, unsigned long k, unsigned short level) {
    if (ClipRect(s, r)) MaskFillRows<MaskFillRow_4444>(s, r, FillColor4444(k), level);
    return true;
}

}  // namespace

bool IdxFillRect(TSurfDesc &s, CRectangulo r, unsigned long color) {
    return ByKind<IdxFillRect_32, IdxFillRect_24, IdxFillRect_565, IdxFillRect_555, IdxFillRect_4444,
                  IdxFillRect_8Bits>(s, s, r, color);
}

// 64-bit ends, saturated: a run near the edge of the int range stays a run.
bool IdxLineHI(TSurfDesc &s, const CPunto &p, int len, unsigned long color) {
    const int64_t a = p.x, b = int64_t(p.x) + len;
    return IdxFillRect(
        s, CRectangulo(ClampInt(a < b ? a : b), ClampInt(int64_t(p.y) - 1), ClampInt(a < b ? b : a), p.y), color);
}

bool IdxLineVI(TSurfDesc &s, const CPunto &p, int len, unsigned long color) {
    const int64_t a = p.y, b = int64_t(p.y) + len;
    return IdxFillRect(
        s, CRectangulo(ClampInt(int64_t(p.x) - 1), ClampInt(a < b ? a : b), p.x, ClampInt(a < b ? b : a)), color);
}

bool FrameBR(TSurfDesc &s, CRectangulo r, unsigned long color) {
    const CPunto corner(r.right, r.bottom);
    const bool h = IdxLineHI(s, corner, ClampInt(int64_t(r.left) - r.right), color);
    const bool v = IdxLineVI(s, corner, ClampInt(int64_t(r.top) - r.bottom), color);
    return h && v;
}

bool DrawRectShadow(TSurfDesc &s, CRectangulo r, unsigned char step, unsigned char size) {
    int16_t counter = size;
    while (counter > 0) {
        r = CRectangulo(ClampInt(int64_t(r.left) + 1), ClampInt(int64_t(r.top) + 1), ClampInt(int64_t(r.right) + 1),
                        ClampInt(int64_t(r.bottom) + 1));
        const bool ok = FrameBR(s, r, 0);
        // A zero step would never run out: one frame.
        counter = step == 0 ? 0 : int16_t(counter - step);
        if (!ok) return false;
    }
    return true;
}

bool MaskFillRect(TSurfDesc &s, const CRectangulo &r, unsigned long color, unsigned short level) {
    return ByKind<MaskFillRect_32, MaskFillRect_24, MaskFillRect_565, MaskFillRect_555, MaskFillRect_4444, nullptr>(
        s, s, r, color, level);
}

bool MaskFillRect_8Bits(TSurfDesc &s, const CRectangulo &r, unsigned long color, unsigned short level,
                        unsigned char (*const tables)[65536]) {
    // Indices are bytes: any other surface would be scrambled.
    if (s.bpp != 8) return false;
    CRectangulo c = r;
    if (!tables || !ClipRect(s, c)) return true;
    // The entry weight is 256 - level: level 0 keeps the entry, 256 gives the colour.
    const uint32_t L = level > 256 ? 256 : level, W = 256 - L;
    const uint32_t kr = uint32_t((color >> 16) & 0xFF) * L, kg = uint32_t((color >> 8) & 0xFF) * L,
                   kb = uint32_t(color & 0xFF) * L;
    for (int y = c.top; y < c.bottom; ++y) {
        uint8_t *p = PixelAt(s, c.left, y);
        for (int x = c.left; x < c.right; ++x, ++p) {
            const TRGBA &e = lu_gPaleta[*p];
            const uint32_t sr = e.r * W + kr, sg = e.g * W + kg, sb = e.b * W + kb;
            const uint32_t key = ((sr >> 11) << 11) | ((sg >> 10) << 5) | (sb >> 11);
            *p = tables[((x + y) & 1) ? 0 : 1][key];
        }
    }
    return true;
}
