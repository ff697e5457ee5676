// DoFactor (brightness by a factor out of 256) and DoGradient (a horizontal
// two-colour ramp).
#include <string.h>

#include "filters/filters.h"
#include "filters/simd.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

[[maybe_unused]] void ScaleRows_bytes(uint8_t *p, ptrdiff_t n, int rows, ptrdiff_t pitch, unsigned f) {
    for (int y = 0; y < rows; ++y, p += pitch)
        for (ptrdiff_t i = 0; i < n; ++i) p[i] = uint8_t((p[i] * f) >> 8);
}

// 16-bit kinds: every colour field of the first w pixels of each row.
template <class F>
[[maybe_unused]] void ScaleRows16(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f) {
    for (int y = 0; y < rows; ++y, p += pitch)
        for (int x = 0; x < w; ++x) Store16(p + 2 * x, ScaleFields<F>(Load16(p + 2 * x), f));
}

// The scaling rows, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto ScaleRowsOf = ScaleRows_bytes_mmx;
constexpr auto ScaleRowsOf_565 = ScaleRows_565_mmx;
constexpr auto ScaleRowsOf_555 = ScaleRows_555_mmx;
constexpr auto ScaleRowsOf_4444 = ScaleRows_4444_mmx;
#else
constexpr auto ScaleRowsOf = ScaleRows_bytes;
constexpr auto ScaleRowsOf_565 = ScaleRows16<Fmt565>;
constexpr auto ScaleRowsOf_555 = ScaleRows16<Fmt555>;
constexpr auto ScaleRowsOf_4444 = ScaleRows16<Fmt4444>;
#endif

}  // namespace

namespace kv {

void ScaleRows(uint8_t *p, ptrdiff_t n, int rows, ptrdiff_t pitch, unsigned f) { ScaleRowsOf(p, n, rows, pitch, f); }

}  // namespace kv

namespace {

bool Nothing(const TSurfDesc &s) { return s.width <= 0 || s.height <= 0; }

// 32 and 24 bits: every byte of each row's pixels, the fourth byte too.
bool FactorRows(TSurfDesc &s, unsigned f) {
    if (Nothing(s)) return true;
    ScaleRows(s.bits, ptrdiff_t(s.width) * BytesPerPixel(s), s.height, s.scanWidth, f);
    return true;
}

// 16-bit kinds: the alpha bits come out 0, except that 255 leaves the image
// exactly as it is.
using Rows16Fn = void (*)(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f);
template <Rows16Fn Rows>
bool Factor16(TSurfDesc &s, unsigned f) {
    if (f == 255 || Nothing(s)) return true;
    Rows(Row(s, 0), s.width, s.height, s.scanWidth, f);
    return true;
}

bool DoFactor_32(TSurfDesc &s, unsigned f) { return FactorRows(s, f); }
bool DoFactor_24(TSurfDesc &s, unsigned f) { return FactorRows(s, f); }
bool DoFactor_565(TSurfDesc &s, unsigned f) { return Factor16<ScaleRowsOf_565>(s, f); }
bool DoFactor_555(TSurfDesc &s, unsigned f) { return Factor16<ScaleRowsOf_555>(s, f); }
bool DoFactor_4444(TSurfDesc &s, unsigned f) { return Factor16<ScaleRowsOf_4444>(s, f); }
// The whole plane, row padding included.
bool DoFactor_8Bits(TSurfDesc &s, unsigned f) {
    if (s.height > 0 && s.scanWidth > 0) ScaleBytes(s.bits, ptrdiff_t(s.height) * s.scanWidth, f);
    return true;
}

// One channel of the ramp in its own units: the accumulator is 16.16 and
// the step, (end - start) / width x 65536 truncated, is what the double
// quotient gives (it is exact whenever the product is a whole number).
struct Ramp {
    int64_t acc, step;
    Ramp(uint32_t start, uint32_t end, int width)
        : acc(int64_t(start) << 16), step((int64_t(end) - int64_t(start)) * 65536 / width) {}
    uint32_t Next() {
        const uint32_t v = uint32_t(acc >> 16);
        acc += step;
        return v;
    }
};

// Fills row 0 and copies it to the other rows.
template <class Put>
bool GradientRows(TSurfDesc &s, RGB8 a, RGB8 z, int bytes, Put put) {
    if (s.width == 0) return false;
    if (s.width < 0 || s.height <= 0) return true;
    Ramp r(a.r, z.r, s.width), g(a.g, z.g, s.width), b(a.b, z.b, s.width);
    uint8_t *row0 = Row(s, 0);
    for (int x = 0; x < s.width; ++x) put(row0 + ptrdiff_t(x) * bytes, r.Next(), g.Next(), b.Next());
    const size_t n = size_t(s.width) * size_t(bytes);
    for (int y = 1; y < s.height; ++y) memcpy(Row(s, y), row0, n);
    return true;
}

bool DoGradient_32(TSurfDesc &s, unsigned long a, unsigned long z) {
    return GradientRows(s, ColorRGB(a), ColorRGB(z), 4,
                        [](uint8_t *p, uint32_t r, uint32_t g, uint32_t b) { Store32(p, (r << 16) | (g << 8) | b); });
}
bool DoGradient_24(TSurfDesc &s, unsigned long a, unsigned long z) {
    return GradientRows(s, ColorRGB(a), ColorRGB(z), 3, [](uint8_t *p, uint32_t r, uint32_t g, uint32_t b) {
        p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r);
    });
}
// Each channel keeps the top bits of its byte; masking every one keeps a
// stray alpha byte out of red.
template <class F>
RGB8 Narrow(unsigned long c) {
    const RGB8 b = ColorRGB(c);
    return RGB8{b.r >> (8 - F::kRBits), b.g >> (8 - F::kGBits), b.b >> (8 - F::kBBits)};
}
template <class F>
bool Gradient16(TSurfDesc &s, unsigned long a, unsigned long z) {
    return GradientRows(s, Narrow<F>(a), Narrow<F>(z), 2, [](uint8_t *p, uint32_t r, uint32_t g, uint32_t b) {
        Store16(p, (r << F::kRShift) | (g << F::kGShift) | (b << F::kBShift));
    });
}
bool DoGradient_565(TSurfDesc &s, unsigned long a, unsigned long z) { return Gradient16<Fmt565>(s, a, z); }
bool DoGradient_555(TSurfDesc &s, unsigned long a, unsigned long z) { return Gradient16<Fmt555>(s, a, z); }
bool DoGradient_4444(TSurfDesc &s, unsigned long a, unsigned long z) { return Gradient16<Fmt4444>(s, a, z); }

}  // namespace

bool DoFactor(TSurfDesc &s, unsigned short factor) {
    if (factor >= 256) return true;
    return ByKind<DoFactor_32, DoFactor_24, DoFactor_565, DoFactor_555, DoFactor_4444, DoFactor_8Bits>(s, s, factor);
}

bool DoGradient(TSurfDesc &s, unsigned long const &from, unsigned long const &to) {
    // Only the low 32 bits of a colour count.
    const unsigned long a = from & 0xFFFFFFFFul, z = to & 0xFFFFFFFFul;
    return ByKind<DoGradient_32, DoGradient_24, DoGradient_565, DoGradient_555, DoGradient_4444, nullptr>(s, s, a, z);
}
