// Colour-keyed copy. The destination picks the kernel; the source must have
// the destination's bpp, or be 8-bit and be expanded through its palette.
#include <string.h>

#include "blit/drawbitmap.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

// A palette entry as each destination stores it.
struct Expand565 {
    static constexpr int kBytes = 2;
    static uint32_t Of(const TRGBA &e) { return ((e.r >> 3) << 11) | ((e.g >> 2) << 5) | (e.b >> 3); }
    static void Put(uint8_t *p, uint32_t v) { Store16(p, v); }
};
struct Expand555 {  // bit 15 stays 0, also on A1R5G5B5
    static constexpr int kBytes = 2;
    static uint32_t Of(const TRGBA &e) { return ((e.r >> 3) << 10) | ((e.g >> 3) << 5) | (e.b >> 3); }
    static void Put(uint8_t *p, uint32_t v) { Store16(p, v); }
};
struct Expand4444 {  // alpha nibble stays 0
    static constexpr int kBytes = 2;
    static uint32_t Of(const TRGBA &e) { return ((e.r >> 4) << 8) | ((e.g >> 4) << 4) | (e.b >> 4); }
    static void Put(uint8_t *p, uint32_t v) { Store16(p, v); }
};
struct Expand24 {
    static constexpr int kBytes = 3;
    static uint32_t Of(const TRGBA &e) { return (uint32_t(e.r) << 16) | (uint32_t(e.g) << 8) | e.b; }
    static void Put(uint8_t *p, uint32_t v) { Fmt24::Store(p, v); }
};
struct Expand32 {  // the whole entry, alpha byte included
    static constexpr int kBytes = 4;
    static uint32_t Of(const TRGBA &e) { return Of32(e); }
    static uint32_t Of32(const TRGBA &e) {
        return (uint32_t(e.a) << 24) | (uint32_t(e.r) << 16) | (uint32_t(e.g) << 8) | e.b;
    }
    static void Put(uint8_t *p, uint32_t v) { Store32(p, v); }
};

// The test of Transp(): any transColor but 0xFFFFFFFF is a key.
inline bool HasKey(const TSurfDesc &s) { return s.transColor < 0xFFFFFFFFu; }

// Source block, clipped, with both row pointers at its first pixel.
struct Block {
    uint8_t *d;
    const uint8_t *s;
    int w, h;
    ptrdiff_t dPitch, sPitch;
};

// Clips against the destination and, since the source block is not the
// caller's to get wrong silently, against the source too: nothing outside
// either surface is read or written.
bool MakeBlock(const TSurfDesc &dst, CRectangulo r, const TSurfDesc &src, CPunto p, int srcBytes, Block &b) {
    if (!ClipBlock(dst, r, p, src)) return false;
    b.w = r.right - r.left;
    b.h = r.bottom - r.top;
    b.dPitch = dst.scanWidth;
    b.sPitch = src.scanWidth;
    b.d = PixelAt(dst, r.left, r.top);
    b.s = src.bits + ptrdiff_t(p.y) * src.scanWidth + ptrdiff_t(p.x) * srcBytes;
    return true;
}

template <class E>
void ExpandBlock(const Block &b, const TSurfDesc &src) {
    const TRGBA *pal = BlitPalette(src);
    uint32_t lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = E::Of(pal[i]);
    const bool keyed = HasKey(src);
    uint8_t *d = b.d;
    const uint8_t *s = b.s;
    for (int y = 0; y < b.h; ++y, d += b.dPitch, s += b.sPitch) {
        uint8_t *q = d;
        if (keyed) {
            for (int x = 0; x < b.w; ++x, q += E::kBytes)
                if (s[x] != 0) E::Put(q, lut[s[x]]);
        } else {
            for (int x = 0; x < b.w; ++x, q += E::kBytes) E::Put(q, lut[s[x]]);
        }
    }
}

void CopyBlock(const Block &b, int bytes) {
    const size_t n = size_t(b.w) * bytes;
    uint8_t *d = b.d;
    const uint8_t *s = b.s;
    // memmove: a caller may copy within one surface.
    for (int y = 0; y < b.h; ++y, d += b.dPitch, s += b.sPitch) memmove(d, s, n);
}

void KeyRow8(uint8_t *d, const uint8_t *s, int w) {
    for (int x = 0; x < w; ++x)
        if (s[x] != 0) d[x] = s[x];
}

void KeyRow16(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
#if UTILS_SIMD
    KeyRow16_mmx(d, s, w, key);
#else
    // A transparent pixel gets its own value back: no branch, so the loop
    // vectorises where the target allows.
    uint16_t *dp = reinterpret_cast<uint16_t *>(d);
    const uint16_t *sp = reinterpret_cast<const uint16_t *>(s);
    const uint16_t k = uint16_t(key);
    for (int x = 0; x < w; ++x) {
        uint16_t v, o;
        memcpy(&v, sp + x, 2);
        memcpy(&o, dp + x, 2);
        v = v == k ? o : v;
        memcpy(dp + x, &v, 2);
    }
#endif
}

void KeyRow24(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    for (int x = 0; x < w; ++x, d += 3, s += 3)
        if (Fmt24::Load(s) != key) Fmt24::Store(d, Fmt24::Load(s));
}

void KeyRow32(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
#if UTILS_SIMD
    KeyRow32_mmx(d, s, w, key);
#else
    for (int x = 0; x < w; ++x) {
        const uint32_t v = Load32(s + 4 * x);
        const uint32_t o = Load32(d + 4 * x);
        Store32(d + 4 * x, (v & 0x00FFFFFFu) == key ? o : v);
    }
#endif
}

// Same bpp on both sides: bytes copied as stored, no layout conversion.
void SameBlock(const Block &b, const TSurfDesc &src, int bytes) {
    if (!HasKey(src)) return CopyBlock(b, bytes);
    uint8_t *d = b.d;
    const uint8_t *s = b.s;
    const uint32_t key = src.transColor;
    for (int y = 0; y < b.h; ++y, d += b.dPitch, s += b.sPitch) {
        switch (bytes) {
        case 1: KeyRow8(d, s, b.w); break;  // index 0, whatever the key
        case 2: KeyRow16(d, s, b.w, key & 0xFFFFu); break;
        case 3: KeyRow24(d, s, b.w, key & 0x00FFFFFFu); break;
        default: KeyRow32(d, s, b.w, key & 0x00FFFFFFu); break;
        }
    }
}

template <class E>
bool DrawDeep(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    Block b;
    if (src.bpp == dst.bpp) {
        if (MakeBlock(dst, r, src, p, E::kBytes, b)) SameBlock(b, src, E::kBytes);
    } else if (src.bpp == 8) {
        if (MakeBlock(dst, r, src, p, 1, b)) ExpandBlock<E>(b, src);
    }
    return true;
}

bool DrawBitmap_32(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) { return DrawDeep<Expand32>(d, r, s, p); }
bool DrawBitmap_24(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) { return DrawDeep<Expand24>(d, r, s, p); }
bool DrawBitmap_565(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) { return DrawDeep<Expand565>(d, r, s, p); }
bool DrawBitmap_555(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) { return DrawDeep<Expand555>(d, r, s, p); }
bool DrawBitmap_4444(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) { return DrawDeep<Expand4444>(d, r, s, p); }

bool DrawBitmap_8Bits(TSurfDesc &dst, CRectangulo r, TSurfDesc &src, CPunto p) {
    Block b;
    // Indices are copied as they are, not translated between palettes.
    if (src.bpp == 8 && MakeBlock(dst, r, src, p, 1, b)) SameBlock(b, src, 1);
    return true;
}

}  // namespace

bool DrawBitmap(TSurfDesc &dst, CRectangulo r, TSurfDesc &src, CPunto p) {
    if (dst.bpp == 32) return DrawBitmap_32(dst, r, src, p);
    if (dst.bpp == 24) return DrawBitmap_24(dst, r, src, p);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return DrawBitmap_565(dst, r, src, p);
    if (kind == kKind555 || kind == kKind1555) return DrawBitmap_555(dst, r, src, p);
    if (kind == kKind4444) return DrawBitmap_4444(dst, r, src, p);
    if (kind == kKind8) return DrawBitmap_8Bits(dst, r, src, p);
    return false;
}

bool DrawBitmap(TSurfDesc &dst, TSurfDesc &src) {
    return DrawBitmap(dst, CRectangulo(0, 0, dst.width, dst.height), src, CPunto(0, 0));
}
