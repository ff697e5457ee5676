// Colour-keyed copy. The destination picks the kernel; the source must have
// the destination's bpp, or be 8-bit and be expanded through its palette.
#include <string.h>

#include "blit/simd.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

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

// An 8-bit source through its palette; index 0 is transparent when the
// source has a key. entryAlpha: the destination takes the whole entry, its
// alpha byte included, rather than the entry narrowed to its colour.
template <class F>
void ExpandBlock(const Block &b, const TSurfDesc &src, bool entryAlpha) {
    const TRGBA *pal = BlitPalette(src);
    uint32_t lut[256];
    if (entryAlpha) {
        for (int i = 0; i < 256; ++i) lut[i] = EntryWord(pal[i]);
    } else {
        for (int i = 0; i < 256; ++i) lut[i] = F::FromEntry(pal[i]);
    }
    const bool keyed = HasKey(src);
    uint8_t *d = b.d;
    const uint8_t *s = b.s;
    for (int y = 0; y < b.h; ++y, d += b.dPitch, s += b.sPitch) {
        uint8_t *q = d;
        if (keyed) {
            for (int x = 0; x < b.w; ++x, q += F::kBytes)
                if (s[x] != 0) F::Store(q, lut[s[x]]);
        } else {
            for (int x = 0; x < b.w; ++x, q += F::kBytes) F::Store(q, lut[s[x]]);
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

// Keyed rows: key is the source's transColor as given; each row compares
// only the bits its pixels hold.

// Index 0 is transparent, whatever the key.
void KeyRow_8_plain(uint8_t *d, const uint8_t *s, int w, uint32_t) {
    for (int x = 0; x < w; ++x)
        if (s[x] != 0) d[x] = s[x];
}

void KeyRow_16_plain(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
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
}

void KeyRow_24(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    key &= 0x00FFFFFFu;
    for (int x = 0; x < w; ++x, d += 3, s += 3)
        if (Fmt24::Load(s) != key) Fmt24::Store(d, Fmt24::Load(s));
}

// The fourth byte is copied but not compared.
void KeyRow_32_plain(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    key &= 0x00FFFFFFu;
    for (int x = 0; x < w; ++x) {
        const uint32_t v = Load32(s + 4 * x);
        const uint32_t o = Load32(d + 4 * x);
        Store32(d + 4 * x, (v & 0x00FFFFFFu) == key ? o : v);
    }
}

// The row kernels, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto KeyRow_8 = KeyRow_8_mmx;
constexpr auto KeyRow_16 = KeyRow_16_mmx;
constexpr auto KeyRow_32 = KeyRow_32_mmx;
#else
constexpr auto KeyRow_8 = KeyRow_8_plain;
constexpr auto KeyRow_16 = KeyRow_16_plain;
constexpr auto KeyRow_32 = KeyRow_32_plain;
#endif

using KeyRowFn = void (*)(uint8_t *, const uint8_t *, int, uint32_t);

// Same bpp on both sides: bytes copied as stored, no layout conversion.
template <KeyRowFn KeyRow, KeyRowFn PlainRow>
void SameBlock(const Block &b, const TSurfDesc &src, int bytes) {
    if (!HasKey(src)) return CopyBlock(b, bytes);
    uint8_t *d = b.d;
    const uint8_t *s = b.s;
    const size_t n = size_t(b.w) * bytes;
    for (int y = 0; y < b.h; ++y, d += b.dPitch, s += b.sPitch)
        RowFor(KeyRow, PlainRow, Trails(d, s, n))(d, s, b.w, src.transColor);
}

template <class F, KeyRowFn KeyRow, KeyRowFn PlainRow>
bool DrawDeep(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, bool entryAlpha) {
    Block b;
    if (src.bpp == dst.bpp) {
        if (MakeBlock(dst, r, src, p, F::kBytes, b)) SameBlock<KeyRow, PlainRow>(b, src, F::kBytes);
    } else if (src.bpp == 8) {
        if (MakeBlock(dst, r, src, p, 1, b)) ExpandBlock<F>(b, src, entryAlpha);
    }
    return true;
}

// A 32-bit destination takes the whole palette entry, alpha byte included.
bool DrawBitmap_32(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) {
    return DrawDeep<Fmt32, KeyRow_32, KeyRow_32_plain>(d, r, s, p, true);
}
bool DrawBitmap_24(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) {
    return DrawDeep<Fmt24, KeyRow_24, KeyRow_24>(d, r, s, p, false);
}
bool DrawBitmap_565(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) {
    return DrawDeep<Fmt565, KeyRow_16, KeyRow_16_plain>(d, r, s, p, false);
}
// Bit 15 stays 0, also on A1R5G5B5.
bool DrawBitmap_555(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) {
    return DrawDeep<Fmt555, KeyRow_16, KeyRow_16_plain>(d, r, s, p, false);
}
// The alpha nibble stays 0.
bool DrawBitmap_4444(TSurfDesc &d, CRectangulo r, TSurfDesc &s, CPunto p) {
    return DrawDeep<Fmt4444, KeyRow_16, KeyRow_16_plain>(d, r, s, p, false);
}

bool DrawBitmap_8Bits(TSurfDesc &dst, CRectangulo r, TSurfDesc &src, CPunto p) {
    Block b;
    // Indices are copied as they are, not translated between palettes.
    if (src.bpp == 8 && MakeBlock(dst, r, src, p, 1, b)) SameBlock<KeyRow_8, KeyRow_8_plain>(b, src, 1);
    return true;
}

}  // namespace

bool DrawBitmap(TSurfDesc &dst, CRectangulo r, TSurfDesc &src, CPunto p) {
    return ByKind<DrawBitmap_32, DrawBitmap_24, DrawBitmap_565, DrawBitmap_555, DrawBitmap_4444, DrawBitmap_8Bits>(
        dst, dst, r, src, p);
}

bool DrawBitmap(TSurfDesc &dst, TSurfDesc &src) {
    return DrawBitmap(dst, CRectangulo(0, 0, dst.width, dst.height), src, CPunto(0, 0));
}
