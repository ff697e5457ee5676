// Filters on 32-bit images: the general convolution against pixman's
// convolution filter with the same 3 x 3 kernel, DoSuavizado against a plain
// separable box blur, DoFactor against memcpy of the same bytes.
#include <string.h>

#include <vector>

#include "bench/bench_util.h"
#include "tests/common/testsurf.h"

#ifdef KV_HAVE_PIXMAN
#include <pixman.h>
#endif

using namespace kvbench;
using kvtest::TestSurface;

namespace {

void Fill(TestSurface &s) {
    kvtest::Rng rng(11);
    s.Randomize(rng);
}

void ConvOurs(benchmark::State &st, Dim sz) {
    TestSurface img(32, sz.w, sz.h), scratch(32, sz.w, sz.h);
    Fill(img);
    const long P = img.desc.scanWidth;
    long off[9];
    int coef[9];
    for (int k = 0; k < 9; ++k) {
        off[k] = (k / 3 - 1) * P + (k % 3 - 1) * 4;
        coef[k] = 1;
    }
    for (auto _ : st) {
        DoConvolucion(img.desc, scratch.desc, 9, coef, off, 9, 0);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

#ifdef KV_HAVE_PIXMAN
void ConvPixman(benchmark::State &st, Dim sz) {
    TestSurface src(32, sz.w, sz.h), dst(32, sz.w, sz.h);
    Fill(src);
    pixman_image_t *s = pixman_image_create_bits(PIXMAN_x8r8g8b8, sz.w, sz.h, (uint32_t *)src.desc.bits,
                                                 src.desc.scanWidth);
    pixman_image_t *d = pixman_image_create_bits(PIXMAN_x8r8g8b8, sz.w, sz.h, (uint32_t *)dst.desc.bits,
                                                 dst.desc.scanWidth);
    pixman_fixed_t params[2 + 9];
    params[0] = pixman_int_to_fixed(3);
    params[1] = pixman_int_to_fixed(3);
    for (int k = 0; k < 9; ++k) params[2 + k] = pixman_double_to_fixed(1.0 / 9.0);
    pixman_image_set_filter(s, PIXMAN_FILTER_CONVOLUTION, params, 11);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, sz.w, sz.h);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(s);
    pixman_image_unref(d);
    SetPixelsProcessed(st, sz);
}
#endif

void SmoothOurs(benchmark::State &st, Dim sz) {
    TestSurface img(32, sz.w, sz.h), scratch(32, sz.w, sz.h);
    Fill(img);
    for (auto _ : st) {
        DoSuavizado(img.desc, scratch.desc);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
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

void FactorOurs(benchmark::State &st, Dim sz) {
    TestSurface img(32, sz.w, sz.h);
    Fill(img);
    for (auto _ : st) {
        DoFactor(img.desc, 200);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

void FactorMemcpy(benchmark::State &st, Dim sz) {
    TestSurface a(32, sz.w, sz.h), b(32, sz.w, sz.h);
    Fill(a);
    const size_t n = size_t(a.desc.scanWidth) * sz.h;
    for (auto _ : st) {
        memcpy(b.desc.bits, a.desc.bits, n);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

int Register() {
    for (const Dim &sz : kSizes) {
        benchmark::RegisterBenchmark(Name("Conv3x3_32", "ours", sz).c_str(), ConvOurs, sz);
#ifdef KV_HAVE_PIXMAN
        benchmark::RegisterBenchmark(Name("Conv3x3_32", "pixman", sz).c_str(), ConvPixman, sz);
#endif
        benchmark::RegisterBenchmark(Name("Suavizado_32", "ours", sz).c_str(), SmoothOurs, sz);
        benchmark::RegisterBenchmark(Name("Suavizado_32", "box-blur", sz).c_str(), SmoothBox, sz);
        benchmark::RegisterBenchmark(Name("Factor_32", "ours", sz).c_str(), FactorOurs, sz);
        benchmark::RegisterBenchmark(Name("Factor_32", "memcpy", sz).c_str(), FactorMemcpy, sz);
    }
    return 0;
}
const int registered = Register();

}  // namespace
