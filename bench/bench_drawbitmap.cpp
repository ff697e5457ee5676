// DrawBitmap against a row-by-row memcpy and SDL2's blits on the same
// surfaces; LoadBMP of a 24-bit file into 32 bits against SDL2's loader
// followed by its conversion to the same format.
#include <string.h>

#include <memory>
#include <vector>

#include "bench/bench_util.h"

using namespace kvbench;
using kvtest::Rng;

namespace {

enum Keys { kNoKey, kAreas, kScattered };
const uint32_t kKey32 = 0x00FF00FFu, kKey565 = 0xF81Fu;

// A source image with the key in large blocks or at random pixels (half of
// them: the worst case for a branch per pixel).
std::unique_ptr<TestSurface> Source(int kind, Dim sz, Keys keys) {
    std::unique_ptr<TestSurface> s(new TestSurface(kind, sz.w, sz.h));
    Rng rng(7);
    s->Randomize(rng);
    const int bytes = int(s->desc.bpp / 8);
    const uint32_t key = kind == 32 ? kKey32 : kKey565;
    for (int y = 0; y < sz.h; ++y)
        for (int x = 0; x < sz.w; ++x) {
            uint8_t *p = s->Row(y) + x * bytes;
            uint32_t v = 0;
            memcpy(&v, p, bytes);
            if (kind == 32) v |= 0xFF000000u;
            const bool transparent = keys == kAreas       ? (((x / 96) + (y / 96)) % 2 == 0)
                                     : keys == kScattered ? rng.Chance(50)
                                                          : false;
            if (transparent)
                v = key | (kind == 32 ? 0xFF000000u : 0);
            else if ((v & (kind == 32 ? 0xFFFFFFu : 0xFFFFu)) == key)
                v ^= 1;
            memcpy(p, &v, bytes);
        }
    s->desc.transColor = keys == kNoKey ? 0xFFFFFFFFu : key;
    return s;
}

void Ours(benchmark::State &st, int kind, Dim sz, Keys keys) {
    std::unique_ptr<TestSurface> src = Source(kind, sz, keys);
    TestSurface dst(kind, sz.w, sz.h);
    dst.Fill(0x40);
    TimePixels(st, sz, [&] { DrawBitmap(dst.desc, src->desc); });
}

void Memcpy(benchmark::State &st, int kind, Dim sz) {
    std::unique_ptr<TestSurface> src = Source(kind, sz, kNoKey);
    TestSurface dst(kind, sz.w, sz.h);
    TimePixels(st, sz, [&] {
        for (int y = 0; y < sz.h; ++y) memcpy(dst.Row(y), src->Row(y), size_t(dst.RowBytes()));
    });
}

#ifdef KV_HAVE_SDL2
SDL_Surface *Wrap(TestSurface &s) {
    SDL_Surface *o = SdlOver(s, s.desc.bpp == 32 ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB565);
    SDL_SetSurfaceBlendMode(o, SDL_BLENDMODE_NONE);
    return o;
}

void Sdl(benchmark::State &st, int kind, Dim sz, Keys keys) {
    std::unique_ptr<TestSurface> src = Source(kind, sz, keys);
    TestSurface dst(kind, sz.w, sz.h);
    dst.Fill(0x40);
    SDL_Surface *s = Wrap(*src), *d = Wrap(dst);
    if (keys != kNoKey) SDL_SetColorKey(s, SDL_TRUE, kind == 32 ? (kKey32 | 0xFF000000u) : kKey565);
    TimePixels(st, sz, [&] { SDL_BlitSurface(s, nullptr, d, nullptr); });
    SDL_FreeSurface(s);
    SDL_FreeSurface(d);
}
#endif

// A bottom-up 24-bit file of the given size.
std::vector<uint8_t> Bmp24(Dim sz) {
    const int stride = (sz.w * 3 + 3) & ~3;
    std::vector<uint8_t> f(54 + size_t(stride) * sz.h, 0);
    auto put32 = [&](size_t at, uint32_t v) { memcpy(&f[at], &v, 4); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(sz.w));
    put32(22, uint32_t(sz.h));
    f[26] = 1;
    f[28] = 24;
    put32(34, uint32_t(stride) * sz.h);
    Rng rng(3);
    for (size_t i = 54; i < f.size(); ++i) f[i] = uint8_t(rng.U32());
    return f;
}

void LoadOurs(benchmark::State &st, Dim sz) {
    std::vector<uint8_t> f = Bmp24(sz);
    TestSurface dst(32, sz.w, sz.h);
    TimePixels(st, sz, [&] { LoadBMP(dst.desc, f.data(), long(f.size())); });
}

#ifdef KV_HAVE_SDL2
void LoadSdl(benchmark::State &st, Dim sz) {
    std::vector<uint8_t> f = Bmp24(sz);
    for (auto _ : st) {
        SDL_Surface *s = SDL_LoadBMP_RW(SDL_RWFromConstMem(f.data(), int(f.size())), 1);
        SDL_Surface *c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
        benchmark::DoNotOptimize(c->pixels);
        SDL_FreeSurface(c);
        SDL_FreeSurface(s);
    }
    SetPixelsProcessed(st, sz);
}
#endif

int Register() {
    for (const Dim &sz : kSizes) {
        for (int kind : {32, 16}) {
            const std::string k = kvtest::KindByNumber(kind).name;
            const std::string plain = "DrawBitmap_" + k + "_nokey";
            benchmark::RegisterBenchmark(Name(plain, "ours", sz).c_str(), Ours, kind, sz, kNoKey);
            benchmark::RegisterBenchmark(Name(plain, "memcpy", sz).c_str(), Memcpy, kind, sz);
            const char *names[] = {"", "_key_areas", "_key_scattered"};
            for (Keys keys : {kAreas, kScattered})
                benchmark::RegisterBenchmark(Name("DrawBitmap_" + k + names[keys], "ours", sz).c_str(), Ours, kind, sz,
                                             keys);
#ifdef KV_HAVE_SDL2
            benchmark::RegisterBenchmark(Name(plain, "sdl2", sz).c_str(), Sdl, kind, sz, kNoKey);
            for (Keys keys : {kAreas, kScattered})
                benchmark::RegisterBenchmark(Name("DrawBitmap_" + k + names[keys], "sdl2", sz).c_str(), Sdl, kind, sz,
                                             keys);
#endif
        }
        benchmark::RegisterBenchmark(Name("LoadBMP_24to32", "ours", sz).c_str(), LoadOurs, sz);
#ifdef KV_HAVE_SDL2
        benchmark::RegisterBenchmark(Name("LoadBMP_24to32", "sdl2", sz).c_str(), LoadSdl, sz);
#endif
    }
    return 0;
}
const int registered = Register();

}  // namespace
