// Whole-image conversion against pixman (composite SRC between the same
// formats) and SDL (SDL_ConvertSurface), and the 8-bit nearest-colour
// conversion against the plain 256-entry scan.
#include <string.h>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

void Fill(TestSurface &s) { Randomize(s, 42); }

void ConvertOurs(benchmark::State &st, int sk, int dk, Dim sz) {
    TestSurface s(sk, sz.w, sz.h), d(dk, sz.w, sz.h);
    Fill(s);
    TimePixels(st, sz, [&] { Convert(d.desc, s.desc, 2); });
}

#ifdef KV_HAVE_PIXMAN
void ConvertPixman(benchmark::State &st, int sk, int dk, Dim sz) {
    TestSurface s(sk, sz.w, sz.h), d(dk, sz.w, sz.h);
    Fill(s);
    TimeComposite(st, sz, PIXMAN_OP_SRC, PixmanOver(s, PixmanFormat(sk)), nullptr, PixmanOver(d, PixmanFormat(dk)));
}
#endif

#ifdef KV_HAVE_SDL2
void ConvertSdl(benchmark::State &st, int sk, int dk, Dim sz) {
    TestSurface s(sk, sz.w, sz.h);
    Fill(s);
    SDL_Surface *ss = SdlOver(s, SdlFormat(sk));
    SDL_PixelFormat *df = SDL_AllocFormat(SdlFormat(dk));
    for (auto _ : st) {
        SDL_Surface *out = SDL_ConvertSurface(ss, df, 0);
        benchmark::DoNotOptimize(out);
        SDL_FreeSurface(out);
    }
    SDL_FreeFormat(df);
    SDL_FreeSurface(ss);
    SetPixelsProcessed(st, sz);
}
#endif

// What the conversion would cost with the plain scan per pixel.
void NearestPlainScan(benchmark::State &st, Dim sz) {
    TestSurface s(32, sz.w, sz.h), d(8, sz.w, sz.h);
    Fill(s);
    TRGBA pal[256];
    CreateModelPal(pal);
    for (auto _ : st) {
        for (int y = 0; y < sz.h; ++y) {
            const uint8_t *sp = s.Row(y);
            uint8_t *dp = d.Row(y);
            for (int x = 0; x < sz.w; ++x) {
                const int b = sp[4 * x], g = sp[4 * x + 1], r = sp[4 * x + 2];
                int best = 0xFFFFFF, idx = 0;
                for (int k = 0; k < 256; ++k) {
                    const int dd = ((b - pal[k].b) & 255) + ((g - pal[k].g) & 255) + ((r - pal[k].r) & 255);
                    if (dd <= best) best = dd, idx = k;
                }
                dp[x] = uint8_t(idx);
            }
        }
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

void NearestOurs(benchmark::State &st, Dim sz) {
    TestSurface s(32, sz.w, sz.h), d(8, sz.w, sz.h);
    Fill(s);
    CreateModelPal(d.palette);
    TimePixels(st, sz, [&] { Convert(d.desc, s.desc, 2); });
}

// Both directions between 32 bits and each 16-bit layout.
KindRun To32(void (*run)(benchmark::State &, int, int, Dim)) {
    return [run](benchmark::State &st, int kind, Dim sz) { run(st, kind, 32, sz); };
}
KindRun From32(void (*run)(benchmark::State &, int, int, Dim)) {
    return [run](benchmark::State &st, int kind, Dim sz) { run(st, 32, kind, sz); };
}

const int layouts = RegisterByKind({16, 17}, {
                                                 {"Convert_32_", "ours", From32(ConvertOurs)},
                                                 {"Convert_", "ours", To32(ConvertOurs), "_32"},
#ifdef KV_HAVE_PIXMAN
                                                 {"Convert_32_", "pixman", From32(ConvertPixman)},
                                                 {"Convert_", "pixman", To32(ConvertPixman), "_32"},
#endif
#ifdef KV_HAVE_SDL2
                                                 {"Convert_32_", "sdl2", From32(ConvertSdl)},
                                                 {"Convert_", "sdl2", To32(ConvertSdl), "_32"},
#endif
                                             });
int RegisterNearest() {
    for (const Dim &sz : kSizes) {
        benchmark::RegisterBenchmark(Name("Convert_32_8_nearest", "ours", sz).c_str(), NearestOurs, sz);
        benchmark::RegisterBenchmark(Name("Convert_32_8_nearest", "plain-scan", sz).c_str(), NearestPlainScan, sz)
            ->Unit(benchmark::kMillisecond);
    }
    return 0;
}
const int nearest = RegisterNearest();

}  // namespace
