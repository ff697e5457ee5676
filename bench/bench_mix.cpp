// DrawMix, DrawMask and DrawBiMask against their peers on the same pixels:
//   constant level, 32-bit, R5G6B5 and X1R5G5B5: SDL2's blit with a surface
//   alpha modulation and blending (SDL has a shortcut for 128 only, so 100
//   too);
//   alpha map (same kinds) and colour through a mask (the 16-bit layouts):
//   pixman's OVER through an a8 mask;
//   8 bits, which goes through the palette and the caller's mix table and
//   has no peer doing that: a memcpy of the same bytes as the floor.
#include <string.h>

#include <memory>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

KindRun MixLevelOurs(int level) {
    return [level](benchmark::State &st, int kind, Dim sz) {
        Images sc(kind, sz, 1);
        const CRectangulo r(0, 0, sz.w, sz.h);
        TimePixels(st, sz, [&] { DrawMix(sc.dst.desc, r, (unsigned short)level, sc.src.desc, CPunto(), MixTable()); });
    };
}

void MixAlphaOurs(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 2);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { DrawMix(sc.dst.desc, r, sc.mask.desc, CPunto(), sc.src.desc, CPunto(), MixTable()); });
}

void MaskOurs(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 3);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { DrawMask(sc.dst.desc, r, sc.mask.desc, CPunto(), 0x00FF8040, MixTable()); });
}

void BiMaskOurs(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 4);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { DrawBiMask(sc.dst.desc, 256, r, sc.mask.desc, CPunto(), MixTable()); });
}

#ifdef KV_HAVE_SDL2
KindRun MixLevelSdl(int level) {
    return [level](benchmark::State &st, int kind, Dim sz) {
        const Uint32 fmt = kind == 32 ? Uint32(SDL_PIXELFORMAT_XRGB8888) : SdlFormat(kind);
        SDL_Surface *dst = SDL_CreateRGBSurfaceWithFormat(0, sz.w, sz.h, SDL_BYTESPERPIXEL(fmt) * 8, fmt);
        SDL_Surface *src = SDL_CreateRGBSurfaceWithFormat(0, sz.w, sz.h, SDL_BYTESPERPIXEL(fmt) * 8, fmt);
        if (!dst || !src) {
            st.SkipWithError("SDL_CreateRGBSurfaceWithFormat failed");
            return;
        }
        kvtest::Rng rng(1);
        for (SDL_Surface *s : {dst, src}) FillRandom(static_cast<uint8_t *>(s->pixels), size_t(s->pitch) * sz.h, rng);
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(src, Uint8(level));
        TimePixels(st, sz, [&] {
            SDL_Rect rs{0, 0, sz.w, sz.h}, rd{0, 0, sz.w, sz.h};
            SDL_BlitSurface(src, &rs, dst, &rd);
        });
        SDL_FreeSurface(src);
        SDL_FreeSurface(dst);
    };
}
#endif

#ifdef KV_HAVE_PIXMAN
pixman_format_code_t OpaqueFormat(int kind) { return kind == 32 ? PIXMAN_x8r8g8b8 : PixmanFormat(kind); }

void MixAlphaPixman(benchmark::State &st, int kind, Dim sz) {
    kvtest::Rng rng(2);
    TestSurface dst(kind, sz.w, sz.h), src(kind, sz.w, sz.h), alpha(8, sz.w, sz.h, (4 - sz.w % 4) % 4);
    Randomize(dst, rng);
    Randomize(src, rng);
    Randomize(alpha, rng);
    const pixman_format_code_t fmt = OpaqueFormat(kind);
    TimeComposite(st, sz, PIXMAN_OP_OVER, PixmanOver(src, fmt), PixmanOver(alpha, PIXMAN_a8), PixmanOver(dst, fmt));
}

// The same colour, opaque, through the same mask.
void MaskPixman(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 3);
    TimeSolidOver(st, sz, {0xFFFF, 0x8080, 0x4040, 0xFFFF}, &sc.mask, sc.dst, OpaqueFormat(kind));
}
#endif

const int levels = RegisterByKind({32, 16, 17}, {
                                                    {"DrawMixLevel128_", "ours", MixLevelOurs(128)},
                                                    {"DrawMixLevel100_", "ours", MixLevelOurs(100)},
#ifdef KV_HAVE_SDL2
                                                    {"DrawMixLevel128_", "sdl2", MixLevelSdl(128)},
                                                    {"DrawMixLevel100_", "sdl2", MixLevelSdl(100)},
#endif
                                                });
const int alphas = RegisterByKind({32, 16, 17}, {
                                                    {"DrawMixAlpha_", "ours", MixAlphaOurs},
#ifdef KV_HAVE_PIXMAN
                                                    {"DrawMixAlpha_", "pixman", MixAlphaPixman},
#endif
                                                });
const int masks = RegisterByKind({16, 17}, {
                                               {"DrawMask_", "ours", MaskOurs},
#ifdef KV_HAVE_PIXMAN
                                               {"DrawMask_", "pixman", MaskPixman},
#endif
                                           });
const int paletted = RegisterByKind({8}, Beside("DrawMixLevel100_", MixLevelOurs(100), "memcpy", MemcpyFloor)) +
                     RegisterByKind({8}, Beside("DrawMixAlpha_", MixAlphaOurs, "memcpy", MemcpyFloor)) +
                     RegisterByKind({8}, Beside("DrawMask_", MaskOurs, "memcpy", MemcpyFloor)) +
                     RegisterByKind({8}, Beside("DrawBiMask_", BiMaskOurs, "memcpy", MemcpyFloor));
// 24 bits has no peer with the same layout; figures for the record.
const int deep =
    RegisterByKind({24}, {{"DrawMixLevel100_", "ours", MixLevelOurs(100)}, {"DrawMixAlpha_", "ours", MixAlphaOurs}});

}  // namespace
