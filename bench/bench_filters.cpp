// Filters: the general convolution against pixman's convolution filter with
// the same 3 x 3 kernel (32 bits and the 16-bit layouts), DoSuavizado
// against a plain separable box blur, DoFactor and CreateShadow against
// memcpy of the same bytes.
#include <string.h>

#include <vector>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

void Fill(TestSurface &s) { Randomize(s, 11); }

void ConvOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface img(kind, sz.w, sz.h), scratch(kind, sz.w, sz.h);
    Fill(img);
    const long P = img.desc.scanWidth, bytes = long(img.desc.bpp / 8);
    long off[9];
    int coef[9];
    for (int k = 0; k < 9; ++k) {
        off[k] = (k / 3 - 1) * P + (k % 3 - 1) * bytes;
        coef[k] = 1;
    }
    TimePixels(st, sz, [&] { DoConvolucion(img.desc, scratch.desc, 9, coef, off, 9, 0); });
}

#ifdef KV_HAVE_PIXMAN
void ConvPixman(benchmark::State &st, int kind, Dim sz) {
    TestSurface src(kind, sz.w, sz.h), dst(kind, sz.w, sz.h);
    Fill(src);
    const pixman_format_code_t f = kind == 32 ? PIXMAN_x8r8g8b8 : PixmanFormat(kind);
    pixman_image_t *s = PixmanOver(src, f);
    pixman_fixed_t params[2 + 9];
    params[0] = pixman_int_to_fixed(3);
    params[1] = pixman_int_to_fixed(3);
    for (int k = 0; k < 9; ++k) params[2 + k] = pixman_double_to_fixed(1.0 / 9.0);
    pixman_image_set_filter(s, PIXMAN_FILTER_CONVOLUTION, params, 11);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    TimeComposite(st, sz, PIXMAN_OP_SRC, s, nullptr, PixmanOver(dst, f));
}
#endif

void SmoothOurs(benchmark::State &st, Dim sz) {
    TestSurface img(32, sz.w, sz.h), scratch(32, sz.w, sz.h);
    Fill(img);
    TimePixels(st, sz, [&] { DoSuavizado(img.desc, scratch.desc); });
}

// What one would write by hand: horizontal then vertical sums of three,
// edges clamped, divided by 9 at the end.
void SmoothBox(benchmark::State &st, Dim sz) {
    TestSurface img(32, sz.w, sz.h);
    Fill(img);
    const int w = sz.w, h = sz.h;
    std::vector<uint16_t> rows(size_t(w) * h * 3);
    for (auto _ : st) {
        for (int y = 0; y < h; ++y) {
            const uint8_t *p = img.Row(y);
            uint16_t *o = &rows[size_t(y) * w * 3];
            for (int x = 0; x < w; ++x) {
                const int l = x > 0 ? x - 1 : 0, r = x < w - 1 ? x + 1 : x;
                for (int c = 0; c < 3; ++c) o[x * 3 + c] = uint16_t(p[l * 4 + c] + p[x * 4 + c] + p[r * 4 + c]);
            }
        }
        for (int y = 0; y < h; ++y) {
            const uint16_t *a = &rows[size_t(y > 0 ? y - 1 : 0) * w * 3], *b = &rows[size_t(y) * w * 3],
                           *c = &rows[size_t(y < h - 1 ? y + 1 : y) * w * 3];
            uint8_t *o = img.Row(y);
            for (int x = 0; x < w * 3; ++x) o[x / 3 * 4 + x % 3] = uint8_t((a[x] + b[x] + c[x]) / 9);
        }
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

void FactorOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface img(kind, sz.w, sz.h);
    Fill(img);
    TimePixels(st, sz, [&] { DoFactor(img.desc, 200); });
}

// A sprite on black: every other 64 x 64 block is a hole the shadow fills.
void ShadowOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface src(kind, sz.w, sz.h), shadow(kind, sz.w, sz.h);
    Fill(src);
    for (int y = 0; y < sz.h; ++y)
        for (int x = 0; x < sz.w; x += 64)
            if ((x / 64 + y / 64) % 2 == 0) memset(src.Row(y) + x * (src.desc.bpp / 8), 0, 64 * (src.desc.bpp / 8));
    TimePixels(st, sz, [&] { CreateShadow(shadow.desc, src.desc, 2, 8, 128); });
}

const int sized = RegisterBySize({
    {"Suavizado_32", "ours", SmoothOurs},
    {"Suavizado_32", "box-blur", SmoothBox},
});
const int convolutions = RegisterByKind({32, 16, 17}, {
                                                          {"Conv3x3_", "ours", ConvOurs},
#ifdef KV_HAVE_PIXMAN
                                                          {"Conv3x3_", "pixman", ConvPixman},
#endif
                                                      });
const int factors = RegisterByKind({32, 16, 17, 8}, Beside("Factor_", FactorOurs, "memcpy", MemcpyFloor));
const int shadows = RegisterByKind({16, 17, 8}, Beside("CreateShadow_", ShadowOurs, "memcpy", MemcpyFloor));

}  // namespace
