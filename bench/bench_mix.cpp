// DrawMix against its peers on the same pixels:
//   constant level, 32-bit and R5G6B5: SDL2's blit with a surface alpha
//   modulation and blending (SDL has a shortcut for 128 only, so 100 too);
//   alpha map, 32-bit and R5G6B5: pixman's OVER through an a8 mask.
#include <string.h>

#include <memory>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

unsigned char (*const kNoTable)[65536] = nullptr;

void MixLevelOurs(benchmark::State &st, int kind, int level, Dim sz) {
    kvtest::Rng rng(1);
    TestSurface dst(kind, sz.w, sz.h), src(kind, sz.w, sz.h);
    dst.Randomize(rng);
    src.Randomize(rng);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { DrawMix(dst.desc, r, (unsigned short)level, src.desc, CPunto(), kNoTable); });
}

void MixAlphaOurs(benchmark::State &st, int kind, Dim sz) {
    kvtest::Rng rng(2);
    TestSurface dst(kind, sz.w, sz.h), src(kind, sz.w, sz.h), alpha(8, sz.w, sz.h);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Randomize(rng);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { DrawMix(dst.desc, r, alpha.desc, CPunto(), src.desc, CPunto(), kNoTable); });
}

#ifdef KV_HAVE_SDL2
void MixLevelSdl(benchmark::State &st, int kind, int level, Dim sz) {
    const Uint32 fmt = kind == 32 ? SDL_PIXELFORMAT_XRGB8888 : SDL_PIXELFORMAT_RGB565;
    SDL_Surface *dst = SDL_CreateRGBSurfaceWithFormat(0, sz.w, sz.h, kind == 32 ? 32 : 16, fmt);
    SDL_Surface *src = SDL_CreateRGBSurfaceWithFormat(0, sz.w, sz.h, kind == 32 ? 32 : 16, fmt);
    if (!dst || !src) {
        st.SkipWithError("SDL_CreateRGBSurfaceWithFormat failed");
        return;
    }
    kvtest::Rng rng(1);
    for (SDL_Surface *s : {dst, src})
        for (int y = 0; y < sz.h; ++y) {
            uint8_t *p = static_cast<uint8_t *>(s->pixels) + y * s->pitch;
            for (int i = 0; i < s->pitch; ++i) p[i] = uint8_t(rng.U32());
        }
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(src, Uint8(level));
    TimePixels(st, sz, [&] {
        SDL_Rect rs{0, 0, sz.w, sz.h}, rd{0, 0, sz.w, sz.h};
        SDL_BlitSurface(src, &rs, dst, &rd);
    });
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
#endif

#ifdef KV_HAVE_PIXMAN
void MixAlphaPixman(benchmark::State &st, int kind, Dim sz) {
    kvtest::Rng rng(2);
    TestSurface dst(kind, sz.w, sz.h), src(kind, sz.w, sz.h), alpha(8, sz.w, sz.h, (4 - sz.w % 4) % 4);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Randomize(rng);
    const pixman_format_code_t fmt = kind == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
    TimeComposite(st, sz, PIXMAN_OP_OVER, PixmanOver(src, fmt), PixmanOver(alpha, PIXMAN_a8), PixmanOver(dst, fmt));
}
#endif

int Register() {
    for (const Dim &sz : kSizes) {
        for (int kind : {32, 16}) {
            const std::string k = kvtest::KindByNumber(kind).name;
            for (int level : {128, 100}) {
                const std::string g = "DrawMixLevel" + std::to_string(level) + "_" + k;
                benchmark::RegisterBenchmark(Name(g, "ours", sz).c_str(), MixLevelOurs, kind, level, sz);
#ifdef KV_HAVE_SDL2
                benchmark::RegisterBenchmark(Name(g, "sdl2", sz).c_str(), MixLevelSdl, kind, level, sz);
#endif
            }
            const std::string g = "DrawMixAlpha_" + k;
            benchmark::RegisterBenchmark(Name(g, "ours", sz).c_str(), MixAlphaOurs, kind, sz);
#ifdef KV_HAVE_PIXMAN
            benchmark::RegisterBenchmark(Name(g, "pixman", sz).c_str(), MixAlphaPixman, kind, sz);
#endif
        }
        // 24 bits has no peer with the same layout; figures for the record.
        benchmark::RegisterBenchmark(Name("DrawMixLevel100_24", "ours", sz).c_str(), MixLevelOurs, 24, 100, sz);
        benchmark::RegisterBenchmark(Name("DrawMixAlpha_24", "ours", sz).c_str(), MixAlphaOurs, 24, sz);
    }
    return 0;
}
const int registered = Register();

}  // namespace
