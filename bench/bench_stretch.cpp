// BltStrech (nearest, bilinear) and DrawDouble against pixman's scaled
// composite and SDL_BlitScaled on the same memory, 32-bit pixels.
#ifdef KV_HAVE_SDL2
#include <SDL2/SDL.h>
#endif
#ifdef KV_HAVE_PIXMAN
#include <pixman.h>
#endif

#include <memory>

#include "bench/bench_util.h"
#include "tests/common/testsurf.h"

using namespace kvbench;
using kvtest::TestSurface;

namespace {

// The source is a fraction of the output in each direction: two thirds for
// the scalers (an enlargement by 1.5, the common "fit to screen" case), one
// half for the doubler.
struct Scene {
    Dim out, in;
    TestSurface dst, src;
    Scene(Dim o, int num, int den)
        : out(o), in{o.w * num / den, o.h * num / den}, dst(32, o.w, o.h), src(32, in.w, in.h) {
        kvtest::Rng rng(7);
        src.Randomize(rng);
        dst.Fill(0);
    }
};

void Ours(benchmark::State &st, Dim o, bool filter) {
    Scene sc(o, 2, 3);
    for (auto _ : st) {
        BltStrech(sc.dst.desc, CRectangulo(0, 0, o.w, o.h), sc.src.desc, CRectangulo(0, 0, sc.in.w, sc.in.h), filter);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, o);
}

#ifdef KV_HAVE_PIXMAN
void Pixman(benchmark::State &st, Dim o, bool filter, int num, int den) {
    Scene sc(o, num, den);
    pixman_image_t *src = pixman_image_create_bits(PIXMAN_x8r8g8b8, sc.in.w, sc.in.h,
                                                   reinterpret_cast<uint32_t *>(sc.src.desc.bits), sc.src.desc.scanWidth);
    pixman_image_t *dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, o.w, o.h,
                                                   reinterpret_cast<uint32_t *>(sc.dst.desc.bits), sc.dst.desc.scanWidth);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sc.in.w) / o.w),
                                pixman_double_to_fixed(double(sc.in.h) / o.h));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, filter ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, o.w, o.h);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    SetPixelsProcessed(st, o);
}
#endif

#ifdef KV_HAVE_SDL2
void Sdl(benchmark::State &st, Dim o, int num, int den) {
    Scene sc(o, num, den);
    SDL_Surface *src = SDL_CreateRGBSurfaceWithFormatFrom(sc.src.desc.bits, sc.in.w, sc.in.h, 32,
                                                          sc.src.desc.scanWidth, SDL_PIXELFORMAT_RGB888);
    SDL_Surface *dst = SDL_CreateRGBSurfaceWithFormatFrom(sc.dst.desc.bits, o.w, o.h, 32, sc.dst.desc.scanWidth,
                                                          SDL_PIXELFORMAT_RGB888);
    SDL_Rect r{0, 0, o.w, o.h};
    for (auto _ : st) {
        SDL_BlitScaled(src, nullptr, dst, &r);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
    SetPixelsProcessed(st, o);
}
#endif

void DoubleOurs(benchmark::State &st, Dim o) {
    Scene sc(o, 1, 2);
    for (auto _ : st) {
        DrawDouble(sc.dst.desc, sc.src.desc, CPunto(0, 0));
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, o);
}

int Register() {
    for (const Dim &o : kSizes) {
        benchmark::RegisterBenchmark(Name("BltStrech_nearest_32", "ours", o).c_str(), Ours, o, false);
#ifdef KV_HAVE_PIXMAN
        benchmark::RegisterBenchmark(Name("BltStrech_nearest_32", "pixman", o).c_str(), Pixman, o, false, 2, 3);
#endif
#ifdef KV_HAVE_SDL2
        benchmark::RegisterBenchmark(Name("BltStrech_nearest_32", "SDL_BlitScaled", o).c_str(), Sdl, o, 2, 3);
#endif
        benchmark::RegisterBenchmark(Name("BltStrech_bilinear_32", "ours", o).c_str(), Ours, o, true);
#ifdef KV_HAVE_PIXMAN
        benchmark::RegisterBenchmark(Name("BltStrech_bilinear_32", "pixman", o).c_str(), Pixman, o, true, 2, 3);
#endif
        benchmark::RegisterBenchmark(Name("DrawDouble_32", "ours", o).c_str(), DoubleOurs, o);
#ifdef KV_HAVE_PIXMAN
        benchmark::RegisterBenchmark(Name("DrawDouble_32", "pixman", o).c_str(), Pixman, o, false, 1, 2);
#endif
#ifdef KV_HAVE_SDL2
        benchmark::RegisterBenchmark(Name("DrawDouble_32", "SDL_BlitScaled", o).c_str(), Sdl, o, 1, 2);
#endif
    }
    return 0;
}
const int registered = Register();

}  // namespace
