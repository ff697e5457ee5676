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

// The colour bits of a pixel: the X bit of X1R5G5B5 and the alpha byte of
// 32 bits take no part in the key.
uint32_t ColourBits(int kind) {
    const kvtest::KindInfo &k = kvtest::KindByNumber(kind);
    return k.bpp == 16 ? k.rMask | k.gMask | k.bMask : k.bpp == 8 ? 0xFFu : 0xFFFFFFu;
}

// Magenta in each layout; 8-bit sources are keyed on index 0.
uint32_t KeyOf(int kind) {
    const kvtest::KindInfo &k = kvtest::KindByNumber(kind);
    return k.bpp == 8 ? 0 : k.bpp == 16 ? (k.rMask | k.bMask) & ColourBits(kind) : 0x00FF00FFu;
}

// A source image with the key in large blocks or at random pixels (half of
// them: the worst case for a branch per pixel).
std::unique_ptr<TestSurface> Source(int kind, Dim sz, Keys keys) {
    std::unique_ptr<TestSurface> s(new TestSurface(kind, sz.w, sz.h));
    Rng rng(7);
    Randomize(*s, rng);
    const int bytes = int(s->desc.bpp / 8);
    const uint32_t key = KeyOf(kind), colour = ColourBits(kind), opaque = kind == 32 ? 0xFF000000u : 0;
    for (int y = 0; y < sz.h; ++y)
        for (int x = 0; x < sz.w; ++x) {
            uint8_t *p = s->Row(y) + x * bytes;
            uint32_t v = 0;
            memcpy(&v, p, bytes);
            v = (v & colour) | opaque;
            const bool transparent = keys == kAreas       ? (((x / 96) + (y / 96)) % 2 == 0)
                                     : keys == kScattered ? rng.Chance(50)
                                                          : false;
            if (transparent)
                v = key | opaque;
            else if ((v & colour) == key)
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
SDL_Surface *Wrap(TestSurface &s, int kind) {
    SDL_Surface *o = SdlOver(s, SdlFormat(kind));
    SDL_SetSurfaceBlendMode(o, SDL_BLENDMODE_NONE);
    return o;
}

void Sdl(benchmark::State &st, int kind, Dim sz, Keys keys) {
    std::unique_ptr<TestSurface> src = Source(kind, sz, keys);
    TestSurface dst(kind, sz.w, sz.h);
    dst.Fill(0x40);
    SDL_Surface *s = Wrap(*src, kind), *d = Wrap(dst, kind);
    if (keys != kNoKey) SDL_SetColorKey(s, SDL_TRUE, KeyOf(kind) | (kind == 32 ? 0xFF000000u : 0));
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
    FillRandom(&f[54], f.size() - 54, rng);
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

// Each way of keying is its own group, with the plain copy's floor beside
// the unkeyed one.
std::vector<KindRow> BlitRows() {
    const char *suffix[] = {"_nokey", "_key_areas", "_key_scattered"};
    std::vector<KindRow> rows = {{"DrawBitmap_", "memcpy", Memcpy, suffix[kNoKey]}};
    for (Keys keys : {kNoKey, kAreas, kScattered}) {
        rows.push_back({"DrawBitmap_", "ours",
                        [keys](benchmark::State &st, int kind, Dim sz) { Ours(st, kind, sz, keys); }, suffix[keys]});
#ifdef KV_HAVE_SDL2
        rows.push_back({"DrawBitmap_", "sdl2",
                        [keys](benchmark::State &st, int kind, Dim sz) { Sdl(st, kind, sz, keys); }, suffix[keys]});
#endif
    }
    return rows;
}

const int blits = RegisterByKind({32, 16, 17, 8}, BlitRows());
const int loads = RegisterBySize({
    {"LoadBMP_24to32", "ours", LoadOurs},
#ifdef KV_HAVE_SDL2
    {"LoadBMP_24to32", "sdl2", LoadSdl},
#endif
});

}  // namespace
