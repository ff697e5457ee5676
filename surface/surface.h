// Internal core shared by every kernel: pixel kinds, clipping, row access.
#ifndef KORVANTE_SURFACE_H
#define KORVANTE_SURFACE_H

#include "utils.h"

#include <stddef.h>
#include <stdint.h>

#include <type_traits>

// 1 in the SIMD build (utilsmmx), 0 in the plain one. Dispatchers pick a
// SIMD kernel with `#if UTILS_SIMD`; SIMD sources end in _mmx.cpp.
#ifndef UTILS_SIMD
#define UTILS_SIMD 0
#endif

static_assert(sizeof(TRGBA) == 4, "a palette entry is one 32-bit word");
#if defined(_WIN32) && !defined(_WIN64)
// Callers built against the shipped DLLs lay the record out as eleven words.
static_assert(sizeof(TSurfDesc) == 44, "TSurfDesc must be eleven 32-bit fields");
static_assert(offsetof(TSurfDesc, bits) == 36 && offsetof(TSurfDesc, palette) == 40, "TSurfDesc field order");
#endif

namespace kv {

enum Kind : int {
    kKind8 = 8,
    kKind565 = 16,
    kKind555 = 17,   // X1R5G5B5
    kKind1555 = 18,  // A1R5G5B5
    kKind4444 = 19,
    kKind24 = 24,
    kKind32 = 32,
};

// Only bpp, rMask and aMask take part; any 16-bit layout we do not know is
// read as R5G6B5.
inline int PixelKind(const TSurfDesc &s) {
    if (s.bpp != 16) return static_cast<int>(s.bpp);
    if (s.rMask == 0xF800u) return kKind565;
    if (s.rMask == 0x7C00u) return s.aMask == 0 ? kKind555 : kKind1555;
    if (s.rMask == 0x0F00u) return kKind4444;
    return kKind565;
}

// An export's kernel for the surface's kind, picked by the one chain of
// tests every export shares: K555 serves kinds 17 and 18; nullptr where the
// operation has no kernel for a kind, which then returns R{} (false, 0).
// Forced inline: left to itself GCC keeps the forwarding and spends
// register moves on every call of the per-pixel exports.
template <auto K, class R, class... A>
[[gnu::always_inline]] inline R CallKernel(A &&...a) {
    if constexpr (std::is_same_v<decltype(K), std::nullptr_t>)
        return R();
    else
        return K(static_cast<A &&>(a)...);
}
template <auto K32, auto K24, auto K565, auto K555, auto K4444, auto K8, class... A>
[[gnu::always_inline]] inline auto ByKind(const TSurfDesc &s, A &&...a) {
    using R = decltype(K32(static_cast<A &&>(a)...));
    if (s.bpp == 32) return K32(static_cast<A &&>(a)...);
    if (s.bpp == 24) return CallKernel<K24, R>(static_cast<A &&>(a)...);
    const int kind = PixelKind(s);
    if (kind == kKind565) return CallKernel<K565, R>(static_cast<A &&>(a)...);
    if (kind == kKind555 || kind == kKind1555) return CallKernel<K555, R>(static_cast<A &&>(a)...);
    if (kind == kKind4444) return CallKernel<K4444, R>(static_cast<A &&>(a)...);
    if (kind == kKind8) return CallKernel<K8, R>(static_cast<A &&>(a)...);
    return R();
}

// The inverse: the fields that make a surface of `kind`, bpp and the four
// masks (zero outside the 16-bit kinds). A number that is no kind returns
// false and leaves the surface alone.
constexpr bool DescribeKind(TSurfDesc &s, int kind) {
    unsigned bpp = 16, r = 0, g = 0, b = 0, a = 0;
    switch (kind) {
        case kKind8:
        case kKind24:
        case kKind32:
            bpp = static_cast<unsigned>(kind);
            break;
        case kKind565:
            r = 0xF800, g = 0x07E0, b = 0x001F;
            break;
        case kKind555:
            r = 0x7C00, g = 0x03E0, b = 0x001F;
            break;
        case kKind1555:
            r = 0x7C00, g = 0x03E0, b = 0x001F, a = 0x8000;
            break;
        case kKind4444:
            r = 0x0F00, g = 0x00F0, b = 0x000F, a = 0xF000;
            break;
        default:
            return false;
    }
    s.bpp = bpp, s.rMask = r, s.gMask = g, s.bMask = b, s.aMask = a;
    return true;
}

inline bool PointInSurface(const TSurfDesc &s, const CPunto &p) {
    return p.x >= 0 && p.x < s.width && p.y >= 0 && p.y < s.height;
}

bool ClipRect(const TSurfDesc &s, CRectangulo &r);
bool ClipRectAndPoint(const TSurfDesc &s, CRectangulo &r, CPunto &p);
bool ClipRectAndPoints(const TSurfDesc &s, CRectangulo &r, CPunto &p1, CPunto &p2);

// Block clipping for kernels that read other surfaces (sources, masks, alpha
// maps). After the destination clip, the rectangle shrinks further until the
// block placed at every point lies inside that point's own surface; all the
// points move together so they stay aligned with the destination pixel they
// feed. False when nothing is left.
struct BlockSource {
    const TSurfDesc *surf;
    CPunto *at;
};
bool ClipBlock(const TSurfDesc &dst, CRectangulo &r, BlockSource *src, int nsrc);

inline bool ClipBlock(const TSurfDesc &dst, CRectangulo &r, CPunto &p, const TSurfDesc &s) {
    BlockSource b[1] = {{&s, &p}};
    return ClipBlock(dst, r, b, 1);
}
inline bool ClipBlock(const TSurfDesc &dst, CRectangulo &r, CPunto &p1, const TSurfDesc &s1, CPunto &p2,
                      const TSurfDesc &s2) {
    BlockSource b[2] = {{&s1, &p1}, {&s2, &p2}};
    return ClipBlock(dst, r, b, 2);
}

// A row that writes d while reading nbytes from s, with d inside that span
// past its start: the plain rows read such a source as they write it, pixel
// after pixel, which a SIMD row loading a group before storing cannot match.
// The SIMD picks hand those rows to the plain row, so both builds write the
// same bytes when a surface is drawn onto itself a little further right.
inline bool Trails(const void *d, const void *s, size_t nbytes) {
    const uintptr_t dp = reinterpret_cast<uintptr_t>(d), sp = reinterpret_cast<uintptr_t>(s);
    return dp > sp && dp - sp < nbytes;
}
// The stricter test, for rows that read their source in no fixed order
// (stretching picks arbitrary columns): any shared byte counts, whichever
// side starts first.
inline bool Disjoint(const void *a, size_t an, const void *b, size_t bn) {
    const uintptr_t x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x + an <= y || y + bn <= x;
}
template <class Fn>
inline Fn RowFor(Fn simd, [[maybe_unused]] Fn plain, [[maybe_unused]] bool trails) {
#if UTILS_SIMD
    return trails ? plain : simd;
#else
    return simd;  // the same row: keep it a direct call the compiler can inline
#endif
}

inline int BytesPerPixel(const TSurfDesc &s) { return static_cast<int>(s.bpp / 8); }

inline uint8_t *Row(const TSurfDesc &s, int y) { return s.bits + static_cast<ptrdiff_t>(y) * s.scanWidth; }
inline uint8_t *PixelAt(const TSurfDesc &s, int x, int y) {
    return Row(s, y) + static_cast<ptrdiff_t>(x) * BytesPerPixel(s);
}

// The palette an 8-bit source is read through by blits.
inline const TRGBA *BlitPalette(const TSurfDesc &s) { return s.palette ? s.palette : lu_gPaleta; }

}  // namespace kv

#endif
