// BltStrech (nearest, bilinear) and DrawDouble against pixman's scaled
// composite and SDL_BlitScaled on the same memory: 32 bits, and nearest on
// the two 16-bit layouts; 8 bits (nearest) against memcpy.
#include <memory>
#include <vector>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

// The source is a fraction of the output in each direction: two thirds for
// the scalers (an enlargement by 1.5, the common "fit to screen" case), one
// half for the doubler.
struct Scene {
    Dim out, in;
    TestSurface dst, src;
    Scene(int kind, Dim o, int num, int den)
        : out(o), in{o.w * num / den, o.h * num / den}, dst(kind, o.w, o.h), src(kind, in.w, in.h) {
        Randomize(src, 7);
        dst.Fill(0);
    }
};

template <bool Filter>
void Ours(benchmark::State &st, int kind, Dim o) {
    Scene sc(kind, o, 2, 3);
    TimePixels(st, o, [&] {
        BltStrech(sc.dst.desc, CRectangulo(0, 0, o.w, o.h), sc.src.desc, CRectangulo(0, 0, sc.in.w, sc.in.h), Filter);
    });
}

void DoubleOurs(benchmark::State &st, int kind, Dim o) {
    Scene sc(kind, o, 1, 2);
    TimePixels(st, o, [&] { DrawDouble(sc.dst.desc, sc.src.desc, CPunto(0, 0)); });
}

#ifdef KV_HAVE_PIXMAN
template <bool Filter, int Num, int Den>
void Pixman(benchmark::State &st, int kind, Dim o) {
    Scene sc(kind, o, Num, Den);
    const pixman_format_code_t f = kind == 32 ? PIXMAN_x8r8g8b8 : PixmanFormat(kind);
    pixman_image_t *src = PixmanOver(sc.src, f);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sc.in.w) / o.w),
                                pixman_double_to_fixed(double(sc.in.h) / o.h));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, Filter ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    TimeComposite(st, o, PIXMAN_OP_SRC, src, nullptr, PixmanOver(sc.dst, f));
}
#endif

#ifdef KV_HAVE_SDL2
template <int Num, int Den>
void Sdl(benchmark::State &st, int kind, Dim o) {
    Scene sc(kind, o, Num, Den);
    const Uint32 f = kind == 32 ? Uint32(SDL_PIXELFORMAT_RGB888) : SdlFormat(kind);
    SDL_Surface *src = SdlOver(sc.src, f), *dst = SdlOver(sc.dst, f);
    SDL_Rect r{0, 0, o.w, o.h};
    TimePixels(st, o, [&] {
        if (SDL_BlitScaled(src, nullptr, dst, &r) < 0) st.SkipWithError(SDL_GetError());
    });
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
#endif

// Ours beside every peer that scales by Num / Den with nearest sampling.
template <int Num, int Den>
std::vector<KindRow> Nearest(const char *prefix, KindRun ours) {
    return {
        {prefix, "ours", ours},
#ifdef KV_HAVE_PIXMAN
        {prefix, "pixman", Pixman<false, Num, Den>},
#endif
#ifdef KV_HAVE_SDL2
        {prefix, "SDL_BlitScaled", Sdl<Num, Den>},
#endif
    };
}

const int scaled = RegisterByKind({32, 16, 17}, Nearest<2, 3>("BltStrech_nearest_", Ours<false>));
// The 16-bit kernel ignores the filter: a bilinear row would time nearest
// sampling against pixman's filtering.
const int filtered = RegisterByKind({32}, {
                                              {"BltStrech_bilinear_", "ours", Ours<true>},
#ifdef KV_HAVE_PIXMAN
                                              {"BltStrech_bilinear_", "pixman", Pixman<true, 2, 3>},
#endif
                                          });
// Neither peer scales paletted pixels: the floor is a copy of the output's bytes.
const int paletted = RegisterByKind({8}, Beside("BltStrech_nearest_", Ours<false>, "memcpy", MemcpyFloor));
const int doubled = RegisterByKind({32}, Nearest<1, 2>("DrawDouble_", DoubleOurs));

}  // namespace
