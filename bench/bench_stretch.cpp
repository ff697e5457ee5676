// BltStrech (nearest, bilinear) and DrawDouble against pixman's scaled
// composite and SDL_BlitScaled on the same memory, 32-bit pixels.
#include <memory>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

// The source is a fraction of the output in each direction: two thirds for
// the scalers (an enlargement by 1.5, the common "fit to screen" case), one
// half for the doubler.
struct Scene {
    Dim out, in;
    TestSurface dst, src;
    Scene(Dim o, int num, int den)
        : out(o), in{o.w * num / den, o.h * num / den}, dst(32, o.w, o.h), src(32, in.w, in.h) {
        Randomize(src, 7);
        dst.Fill(0);
    }
};

template <bool Filter>
void Ours(benchmark::State &st, Dim o) {
    Scene sc(o, 2, 3);
    TimePixels(st, o, [&] {
        BltStrech(sc.dst.desc, CRectangulo(0, 0, o.w, o.h), sc.src.desc, CRectangulo(0, 0, sc.in.w, sc.in.h), Filter);
    });
}

#ifdef KV_HAVE_PIXMAN
template <bool Filter, int Num, int Den>
void Pixman(benchmark::State &st, Dim o) {
    Scene sc(o, Num, Den);
    pixman_image_t *src = PixmanOver(sc.src, PIXMAN_x8r8g8b8);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sc.in.w) / o.w),
                                pixman_double_to_fixed(double(sc.in.h) / o.h));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, Filter ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    TimeComposite(st, o, PIXMAN_OP_SRC, src, nullptr, PixmanOver(sc.dst, PIXMAN_x8r8g8b8));
}
#endif

#ifdef KV_HAVE_SDL2
template <int Num, int Den>
void Sdl(benchmark::State &st, Dim o) {
    Scene sc(o, Num, Den);
    SDL_Surface *src = SdlOver(sc.src, SDL_PIXELFORMAT_RGB888), *dst = SdlOver(sc.dst, SDL_PIXELFORMAT_RGB888);
    SDL_Rect r{0, 0, o.w, o.h};
    TimePixels(st, o, [&] { SDL_BlitScaled(src, nullptr, dst, &r); });
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
#endif

void DoubleOurs(benchmark::State &st, Dim o) {
    Scene sc(o, 1, 2);
    TimePixels(st, o, [&] { DrawDouble(sc.dst.desc, sc.src.desc, CPunto(0, 0)); });
}

const int registered = RegisterBySize({
    {"BltStrech_nearest_32", "ours", Ours<false>},
#ifdef KV_HAVE_PIXMAN
    {"BltStrech_nearest_32", "pixman", Pixman<false, 2, 3>},
#endif
#ifdef KV_HAVE_SDL2
    {"BltStrech_nearest_32", "SDL_BlitScaled", Sdl<2, 3>},
#endif
    {"BltStrech_bilinear_32", "ours", Ours<true>},
#ifdef KV_HAVE_PIXMAN
    {"BltStrech_bilinear_32", "pixman", Pixman<true, 2, 3>},
#endif
    {"DrawDouble_32", "ours", DoubleOurs},
#ifdef KV_HAVE_PIXMAN
    {"DrawDouble_32", "pixman", Pixman<false, 1, 2>},
#endif
#ifdef KV_HAVE_SDL2
    {"DrawDouble_32", "SDL_BlitScaled", Sdl<1, 2>},
#endif
});

}  // namespace
