// Mirror, brightness shift and plain block copy.
#include <string.h>

#include "draw/draw.h"
#include "surface/exactmath.h"
#include "draw/simd.h"

using namespace kv;

namespace {

// ---- FlipX ----

template <int kBytes>
bool FlipRows(const TSurfDesc &s) {
    if (s.width < 2 || s.height <= 0) return true;
    const int w = s.width;
    for (int y = 0; y < s.height; ++y) {
        uint8_t *row = Row(s, y);
        for (int k = 0; k < w / 2; ++k) {
            uint8_t *a = row + ptrdiff_t(k) * kBytes, *b = row + ptrdiff_t(w - 1 - k) * kBytes;
            uint8_t t[kBytes];
            memcpy(t, a, kBytes);
            memcpy(a, b, kBytes);
            memcpy(b, t, kBytes);
        }
    }
    return true;
}

bool FlipX_32(const TSurfDesc &s) { return FlipRows<4>(s); }
bool FlipX_24(const TSurfDesc &s) { return FlipRows<3>(s); }
bool FlipX_16(const TSurfDesc &s) { return FlipRows<2>(s); }  // pixels move whole: every 16-bit kind
bool FlipX_8Bits(const TSurfDesc &s) { return FlipRows<1>(s); }

// ---- TranslateRect ----

// trunc(amount x scale - offset), clamped to +-offset: amounts outside 0..1
// mean all the way (NaN means no change).
int TranslateStep(float amount, float scale, int offset) {
    const float v = F32(F32(amount * scale) - float(offset));
    if (v != v) return 0;
    if (v >= float(offset)) return offset;
    if (v <= -float(offset)) return -offset;
    return int(v);
}

[[maybe_unused]] void TranslateRow_bytes(uint8_t *p, int n, int v) {
    for (int i = 0; i < n; ++i) {
        const int b = p[i] + v;
        p[i] = uint8_t(b > 255 ? 255 : b < 0 ? 0 : b);
    }
}

// The row kernel, MMX where the build has it: picked here, once.
#if UTILS_SIMD
constexpr auto TranslateRow = TranslateRow_bytes_mmx;
#else
constexpr auto TranslateRow = TranslateRow_bytes;
#endif

// Every byte of the 24- and 32-bit kinds moves alike.
void TranslateBytes(const TSurfDesc &s, const CRectangulo &r, int bytes, int v) {
    const int n = (r.right - r.left) * bytes;
    for (int y = r.top; y < r.bottom; ++y) TranslateRow(PixelAt(s, r.left, y), n, v);
}

inline uint32_t Clamp31(int v) { return uint32_t(v < 0 ? 0 : v > 31 ? 31 : v); }

bool TranslateRect_32(const TSurfDesc &s, CRectangulo r, float amount) {
    if (!ClipRect(s, r)) return true;
    TranslateBytes(s, r, 4, TranslateStep(amount, 510.0f, 255));
    return true;
}

bool TranslateRect_24(const TSurfDesc &s, CRectangulo r, float amount) {
    if (!ClipRect(s, r)) return true;
    TranslateBytes(s, r, 3, TranslateStep(amount, 510.0f, 255));
    return true;
}

// Green's lowest bit is written as 0.
uint32_t Shift565(uint32_t p, int v) {
    return (Clamp31(int((p >> 11) & 31) + v) << 11) | (Clamp31(int((p >> 6) & 31) + v) << 6) | Clamp31(int(p & 31) + v);
}
// Bit 15 is written as 0.
uint32_t Shift555(uint32_t p, int v) {
    return (Clamp31(int((p >> 10) & 31) + v) << 10) | (Clamp31(int((p >> 5) & 31) + v) << 5) | Clamp31(int(p & 31) + v);
}
// Nibbles work in 5-bit units; the alpha nibble is written as 0.
uint32_t Shift4444(uint32_t p, int v) {
    return ((Clamp31(int((p >> 8) & 15) * 2 + v) >> 1) << 8) | ((Clamp31(int((p >> 4) & 15) * 2 + v) >> 1) << 4) |
           (Clamp31(int(p & 15) * 2 + v) >> 1);
}

template <uint32_t (*Shift)(uint32_t, int)>
bool Translate16(const TSurfDesc &s, CRectangulo r, float amount) {
    if (!ClipRect(s, r)) return true;
    const int v = TranslateStep(amount, 62.0f, 31);
    const int w = r.right - r.left;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t *p = PixelAt(s, r.left, y);
        for (int x = 0; x < w; ++x, p += 2) Store16(p, Shift(Load16(p), v));
    }
    return true;
}

bool TranslateRect_565(const TSurfDesc &s, CRectangulo r, float a) { return Translate16<Shift565>(s, r, a); }
bool TranslateRect_555(const TSurfDesc &s, CRectangulo r, float a) { return Translate16<Shift555>(s, r, a); }
bool TranslateRect_4444(const TSurfDesc &s, CRectangulo r, float a) { return Translate16<Shift4444>(s, r, a); }

bool TranslateRect_8Bits(const TSurfDesc &s, CRectangulo r, const unsigned char *table) {
    // No table: nothing to remap.
    if (!table || !ClipRect(s, r)) return true;
    const int w = r.right - r.left;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t *p = PixelAt(s, r.left, y);
        for (int x = 0; x < w; ++x) p[x] = table[p[x]];
    }
    return true;
}

// ---- DrawBlock ----

// Rows are copied with memmove, bottom-up when a block moves down within
// one buffer, so an overlapping copy inside a surface stays intact.
bool CopyBlock(const TSurfDesc &dst, const TSurfDesc &src, int sx, int sy, int dx, int dy, int w, int h) {
    CRectangulo r(dx, dy, dx + w, dy + h);
    CPunto at(sx, sy);
    if (w == 0 || h == 0 || !ClipBlock(dst, r, at, src)) return true;
    const size_t bytes = size_t(r.right - r.left) * size_t(BytesPerPixel(dst));
    const int rows = r.bottom - r.top;
    const bool upward = uintptr_t(PixelAt(dst, r.left, r.top)) > uintptr_t(PixelAt(src, at.x, at.y));
    for (int i = 0; i < rows; ++i) {
        const int k = upward ? rows - 1 - i : i;
        memmove(PixelAt(dst, r.left, r.top + k), PixelAt(src, at.x, at.y + k), bytes);
    }
    return true;
}

bool DrawBlock_32(const TSurfDesc &d, const TSurfDesc &s, int sx, int sy, int dx, int dy, int w, int h) {
    return CopyBlock(d, s, sx, sy, dx, dy, w, h);
}
bool DrawBlock_24(const TSurfDesc &d, const TSurfDesc &s, int sx, int sy, int dx, int dy, int w, int h) {
    return CopyBlock(d, s, sx, sy, dx, dy, w, h);
}
bool DrawBlock_16(const TSurfDesc &d, const TSurfDesc &s, int sx, int sy, int dx, int dy, int w, int h) {
    return CopyBlock(d, s, sx, sy, dx, dy, w, h);
}
bool DrawBlock_8Bits(const TSurfDesc &d, const TSurfDesc &s, int sx, int sy, int dx, int dy, int w, int h) {
    return CopyBlock(d, s, sx, sy, dx, dy, w, h);
}

}  // namespace

bool FlipX(TSurfDesc &s) {
    if (s.bpp == 32) return FlipX_32(s);
    if (s.bpp == 24) return FlipX_24(s);
    if (s.bpp == 16) return FlipX_16(s);
    if (s.bpp == 8) return FlipX_8Bits(s);
    return false;
}

bool TranslateRect(TSurfDesc &s, const CRectangulo &r, float amount, const unsigned char *table) {
    // The step is float arithmetic: the caller's rounding mode must not move it.
    [[maybe_unused]] X87Defaults fpu;
    volatile float a = amount;
    amount = a;
    if (s.bpp == 32) return TranslateRect_32(s, r, amount);
    if (s.bpp == 24) return TranslateRect_24(s, r, amount);
    const int kind = PixelKind(s);
    if (kind == kKind565) return TranslateRect_565(s, r, amount);
    if (kind == kKind555 || kind == kKind1555) return TranslateRect_555(s, r, amount);
    if (kind == kKind4444) return TranslateRect_4444(s, r, amount);
    if (kind == kKind8) return TranslateRect_8Bits(s, r, table);
    return false;
}

bool DrawBlock(TSurfDesc &dst, TSurfDesc &src, unsigned short srcX, unsigned short srcY, unsigned short dstX,
               unsigned short dstY, unsigned short w, unsigned short h) {
    // A source of another pixel size would be read past its rows.
    if (src.bpp != dst.bpp) return false;
    if (dst.bpp == 32) return DrawBlock_32(dst, src, srcX, srcY, dstX, dstY, w, h);
    if (dst.bpp == 24) return DrawBlock_24(dst, src, srcX, srcY, dstX, dstY, w, h);
    if (dst.bpp == 16) return DrawBlock_16(dst, src, srcX, srcY, dstX, dstY, w, h);
    if (dst.bpp == 8) return DrawBlock_8Bits(dst, src, srcX, srcY, dstX, dstY, w, h);
    return false;
}
