// DoConvolucion and its front ends: one engine, every filter a tap list.
#include <string.h>

#include <memory>
#include <new>

#include "filters/convolution.h"
#include "filters/simd.h"
#include "surface/surface.h"

using namespace kv;

namespace {

// The 24 stored masks. Divisor and bias are kept as the floats they were
// stored as and truncated to int when a tap list is built.
struct Preset {
    int id;
    int n;
    float divisor;
    float bias;
    int coef[25];
};

const Preset kPresets[24] = {
    {0, 3, 1, 50, {-5, -5, -5, -5, -39, -5, -5, -5, -5}},
    {1, 3, 1, 128, {-1, -1, 0, 1, 0, 1, 0, 1, 1}},
    {2, 5, 1, 128, {-1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
    {3, 3, 1, 0, {-4, -4, -4, -4, 20, 0, -4, 0, 0}},
    {4, 5, 1, 0, {-4, -3, -2, -1, 0, -3, 0, 0, 0, 1, -2, 0, 0, 0, 2, -1, 0, 0, 0, 3, 0, 1, 2, 3, 4}},
    {5, 5, 1, 90, {-1, -1, -1, -1, 0, -1, -1, -1, 0, 1, -1, -1, 0, 1, 1, -1, 0, 1, 1, 1, 0, 1, 1, 1, 1}},
    {6, 5, 1, 0, {-11, -9, -13, -8, 0, -12, -11, -10, 0, 11, -10, -9, 1, 9, 10, -9, 0, 11, 10, 11, 0, 11, 10, 9, 10}},
    {7, 5, 1, 0, {1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, -23, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1}},
    {8, 5, 8, 0, {-1, -1, -1, -1, -1, -1, 2, 2, 2, -1, -1, 2, 8, 2, -1, -1, 2, 2, 2, -1, -1, -1, -1, -1, -1}},
    {9, 3, 1, 0, {-1, -1, -1, -1, 9, -1, -1, -1, -1}},
    {10, 3, 1, 0, {-1, -2, -1, -2, 13, -2, -1, -2, -1}},
    {11, 5, 7, 0, {0, 0, -1, 0, 0, 0, 0, 3, 0, 0, -1, 3, 0, 3, -1, 0, 0, 3, 0, 0, 0, 0, -1, 0, 0}},
    {12, 5, 1, 0, {1, 1, 1, 1, 1, 1, -3, -3, -3, 1, 1, -3, -10, -3, 1, 1, -3, -3, -3, 1, 1, 1, 1, 1, 1}},
    {13, 5, 3, 0, {1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 1, 2, 3, 2, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1}},
    {14, 5, 4, 0, {0, 0, -1, -2, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 2, 0, 2, 1, 0, 0}},
    {15, 3, 1, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {16, 3, 3, 0, {0, -2, 0, -2, 0, 2, 0, 2, 0}},
    {17, 5, 1, 0, {0, 0, 1, 2, 1, 0, 0, 0, 1, 0, 2, 0, 0, -2, 0, 0, -1, 0, 0, 0, -1, -2, -1, 0, 0}},
    {18, 1, 1, 140, {1}},
    {19, 5, 1, 0, {0, 1, 2, 1, 0, 1, 2, 3, 2, 1, 2, 3, -35, 3, 2, 1, 2, 3, 2, 1, 0, 1, 2, 1, 0}},
    {20, 5, 1, 0, {-2, -2, -2, -2, -2, -2, -3, -3, -3, -2, -2, -3, 53, -3, -2, -2, -3, -3, -3, -2, -2, -2, -2, -2, -2}},
    {21, 5, 1, 0, {-5, -2, 0, 0, 0, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 6}},
    {22, 3, 3, 3, {1, 1, 1, 1, -7, 1, 1, 1, 1}},
    {23, 1, 0, 0, {0}},
};

// The rows, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto ConvolveRowsOf_32 = ConvolveRows_32_mmx;
constexpr auto ConvolveRowsOf_24 = ConvolveRows_24_mmx;
constexpr auto ConvolveRowsOf_565 = ConvolveRows_565_mmx;
constexpr auto ConvolveRowsOf_555 = ConvolveRows_555_mmx;
constexpr auto ConvolveRowsOf_4444 = ConvolveRows_4444_mmx;
#else
constexpr auto ConvolveRowsOf_32 = ConvolveRows<Fmt32>;
constexpr auto ConvolveRowsOf_24 = ConvolveRows<Fmt24>;
constexpr auto ConvolveRowsOf_565 = ConvolveWords<Fmt565>;
constexpr auto ConvolveRowsOf_555 = ConvolveWords<Fmt555>;
constexpr auto ConvolveRowsOf_4444 = ConvolveWords<Fmt4444>;
#endif

using RowsFn = void (*)(const ConvJob &, int width, int height, ptrdiff_t pitch);

// The tap list and the scratch copy, then RowsFn over the image in pixels of
// kBytes.
template <int kBytes, RowsFn Rows>
bool Convolve(TSurfDesc &img, TSurfDesc &scratch, int count, const int *coefs, const long *offsets, int divisor,
              int bias) {
    if (!coefs || !offsets || divisor == 0) return false;
    if (img.width <= 0 || img.height <= 0 || img.scanWidth <= 0) return true;
    const ptrdiff_t total = ptrdiff_t(img.height) * img.scanWidth;
    if (total < kBytes) return true;
    // A pitch narrower than the row is the caller's fault; keep every write
    // inside height x scanWidth all the same.
    const int width = img.width < img.scanWidth / kBytes ? img.width : img.scanWidth / kBytes;

    const size_t room = count > 0 ? size_t(count) : 1;
    std::unique_ptr<int32_t[]> coef(new (std::nothrow) int32_t[room]);
    std::unique_ptr<ptrdiff_t[]> off(new (std::nothrow) ptrdiff_t[room]);
    if (!coef || !off) return false;
    int kept = 0;
    ptrdiff_t minOff = 0, maxOff = 0;
    for (int t = 0; t < count; ++t) {
        if (coefs[t] == 0) continue;
        ptrdiff_t o = ptrdiff_t(offsets[t]);
        if (o < -total) o = -total;
        if (o > total) o = total;
        coef[kept] = coefs[t];
        off[kept] = o;
        ++kept;
        if (o < minOff) minOff = o;
        if (o > maxOff) maxOff = o;
    }

    // Exactly height x scanWidth bytes; memmove in case the caller hands the
    // image in as its own scratch.
    memmove(scratch.bits, img.bits, size_t(total));

    const ConvJob j{scratch.bits, img.bits,         total, kept, coef.get(), off.get(), minOff, maxOff,
                    divisor,      Divider(divisor), bias};
    Rows(j, width, img.height, img.scanWidth);
    return true;
}

bool DoConvolucion_32(TSurfDesc &i, TSurfDesc &s, int n, const int *c, const long *o, int d, int b) {
    return Convolve<4, ConvolveRowsOf_32>(i, s, n, c, o, d, b);
}
bool DoConvolucion_24(TSurfDesc &i, TSurfDesc &s, int n, const int *c, const long *o, int d, int b) {
    return Convolve<3, ConvolveRowsOf_24>(i, s, n, c, o, d, b);
}
bool DoConvolucion_565(TSurfDesc &i, TSurfDesc &s, int n, const int *c, const long *o, int d, int b) {
    return Convolve<2, ConvolveRowsOf_565>(i, s, n, c, o, d, b);
}
bool DoConvolucion_555(TSurfDesc &i, TSurfDesc &s, int n, const int *c, const long *o, int d, int b) {
    return Convolve<2, ConvolveRowsOf_555>(i, s, n, c, o, d, b);
}
bool DoConvolucion_4444(TSurfDesc &i, TSurfDesc &s, int n, const int *c, const long *o, int d, int b) {
    return Convolve<2, ConvolveRowsOf_4444>(i, s, n, c, o, d, b);
}

// Bytes per pixel for the fixed front ends: 0 when the kind has no kernel.
int FrontEndBytes(const TSurfDesc &s) {
    if (s.bpp == 32) return 4;
    if (s.bpp == 24) return 3;
    if (s.bpp == 16) return 2;
    return 0;
}

// The 3 x 3 neighbourhood, row by row from the top left.
void Neighbourhood(const TSurfDesc &s, int bytes, long off[9]) {
    const long p = s.scanWidth, b = bytes;
    int k = 0;
    for (long dy = -1; dy <= 1; ++dy)
        for (long dx = -1; dx <= 1; ++dx) off[k++] = dy * p + dx * b;
}

}  // namespace

bool DoConvolucion(TSurfDesc &img, TSurfDesc &scratch, int count, int *const coefs, long *const offsets, int divisor,
                   int bias) {
    return ByKind<DoConvolucion_32, DoConvolucion_24, DoConvolucion_565, DoConvolucion_555, DoConvolucion_4444,
                  nullptr>(img, img, scratch, count, coefs, offsets, divisor, bias);
}

bool DoSuavizado(TSurfDesc &img, TSurfDesc &scratch) {
    const int bytes = FrontEndBytes(img);
    if (!bytes) return false;
    long off[9];
    int coef[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    Neighbourhood(img, bytes, off);
    return DoConvolucion(img, scratch, 9, coef, off, 9, 0);
}

bool DoRealce(TSurfDesc &img, TSurfDesc &scratch) {
    const int bytes = FrontEndBytes(img);
    if (!bytes) return false;
    long off[9];
    int coef[9] = {-1, -1, -1, -1, 9, -1, -1, -1, -1};
    Neighbourhood(img, bytes, off);
    return DoConvolucion(img, scratch, 9, coef, off, 1, 0);
}

bool DoEmboss(TSurfDesc &img, TSurfDesc &scratch) {
    const int bytes = FrontEndBytes(img);
    if (!bytes) return false;
    const long p = img.scanWidth;
    long off[2] = {-p - bytes, p + bytes};
    int coef[2] = {-1, 1};
    // Mid-grey in the channel's own units.
    return DoConvolucion(img, scratch, 2, coef, off, 1, bytes == 2 ? 15 : 127);
}

bool FiltroMask(TSurfDesc &img, TSurfDesc &scratch, int preset) {
    if (preset < 0 || preset >= 24) return false;
    const Preset &m = kPresets[preset];
    const long c = m.n / 2, p = img.scanWidth, b = long(img.bpp / 8);
    long off[25];
    int coef[25];
    int k = 0;
    for (long i = 0; i < m.n; ++i)
        for (long jj = 0; jj < m.n; ++jj, ++k) {
            off[k] = (i - c) * p + (jj - c) * b;
            coef[k] = m.coef[k];
        }
    return DoConvolucion(img, scratch, k, coef, off, static_cast<int>(m.divisor), static_cast<int>(m.bias));
}
