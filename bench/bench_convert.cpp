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
pixman_format_code_t PixmanFormat(int kind) { return kind == 32 ? PIXMAN_a8r8g8b8 : PIXMAN_r5g6b5; }

void ConvertPixman(benchmark::State &st, int sk, int dk, Dim sz) {
    TestSurface s(sk, sz.w, sz.h), d(dk, sz.w, sz.h);
    Fill(s);
    TimeComposite(st, sz, PIXMAN_OP_SRC, PixmanOver(s, PixmanFormat(sk)), nullptr, PixmanOver(d, PixmanFormat(dk)));
}
#endif

#ifdef KV_HAVE_SDL2
Uint32 SdlFormat(int kind) { return kind == 32 ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB565; }

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

int Register() {
    for (const Dim &sz : kSizes) {
        for (int pair = 0; pair < 2; ++pair) {
            const int sk = pair == 0 ? 32 : 16, dk = pair == 0 ? 16 : 32;
            const std::string g = pair == 0 ? "Convert_32_565" : "Convert_565_32";
            benchmark::RegisterBenchmark(Name(g, "ours", sz).c_str(), ConvertOurs, sk, dk, sz);
#ifdef KV_HAVE_PIXMAN
            benchmark::RegisterBenchmark(Name(g, "pixman", sz).c_str(), ConvertPixman, sk, dk, sz);
#endif
#ifdef KV_HAVE_SDL2
            benchmark::RegisterBenchmark(Name(g, "sdl2", sz).c_str(), ConvertSdl, sk, dk, sz);
#endif
        }
        benchmark::RegisterBenchmark(Name("Convert_32_8_nearest", "ours", sz).c_str(), NearestOurs, sz);
        benchmark::RegisterBenchmark(Name("Convert_32_8_nearest", "plain-scan", sz).c_str(), NearestPlainScan, sz)
            ->Unit(benchmark::kMillisecond);
    }
    return 0;
}
const int registered = Register();

}  // namespace
