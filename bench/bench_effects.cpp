// The fader and the blur stamps on the 16-bit layouts against pixman:
// OpenFader as the source laid OVER the destination through a linear
// gradient mask with the same ramp, the stamps as a solid colour laid OVER
// through the same 8-bit intensity mask, once per pass.
#include "bench/bench_util.h"

using namespace kvbench;

namespace {

// The curtain half open: the source in full over the first quarter, then a
// ramp falling by one level a pixel, then the destination.
int Hold(Dim sz) { return sz.w / 4; }

void FaderOurs(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 9);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { OpenFader(sc.dst.desc, r, sc.src.desc, CPunto(0, 0), 1, 1, Hold(sz)); });
}

// Two passes on either side of the mask's own position, along the rows.
const int kPasses = 4;

void MotionBlurOurs(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 9);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { FiltroMotionBlur(sc.dst.desc, sc.mask.desc, r, CPunto(0, 0), 0x00FF8040, kPasses, 0); });
}

void MotionMaskOurs(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 9);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { FiltroMotionMask(sc.dst.desc, sc.mask.desc, r, CPunto(0, 0), 256); });
}

#ifdef KV_HAVE_PIXMAN
void FaderPixman(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 9);
    const pixman_point_fixed_t from = {pixman_int_to_fixed(Hold(sz)), 0}, to = {pixman_int_to_fixed(Hold(sz) + 255), 0};
    const pixman_gradient_stop_t stops[2] = {{pixman_int_to_fixed(0), {0, 0, 0, 0xFFFF}},
                                             {pixman_int_to_fixed(1), {0, 0, 0, 0}}};
    pixman_image_t *ramp = pixman_image_create_linear_gradient(&from, &to, stops, 2);
    pixman_image_set_repeat(ramp, PIXMAN_REPEAT_PAD);
    TimeComposite(st, sz, PIXMAN_OP_OVER, PixmanOver(sc.src, PixmanFormat(kind)), ramp,
                  PixmanOver(sc.dst, PixmanFormat(kind)));
}

// One composite per pass, the mask shifted by the pass's offset; a pass's
// strength is half the mask, as the stamp weighs it.
void MotionBlurPixman(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 9);
    const pixman_color_t half = {0x8080, 0x4040, 0x2020, 0x8080};  // premultiplied
    pixman_image_t *colour = pixman_image_create_solid_fill(&half), *mask = PixmanOver(sc.mask, PIXMAN_a8),
                   *dst = PixmanOver(sc.dst, PixmanFormat(kind));
    TimePixels(st, sz, [&] {
        for (int t = kPasses / 2 - 1; t >= -kPasses / 2; --t)
            pixman_image_composite32(PIXMAN_OP_OVER, colour, mask, dst, 0, 0, t, 0, 0, 0, sz.w, sz.h);
    });
    for (pixman_image_t *i : {colour, mask, dst}) pixman_image_unref(i);
}

void MotionMaskPixman(benchmark::State &st, int kind, Dim sz) {
    Images sc(kind, sz, 9);
    TimeSolidOver(st, sz, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}, &sc.mask, sc.dst, PixmanFormat(kind));
}
#endif

const int registered = RegisterByKind({16, 17}, {
                                                    {"OpenFader_", "ours", FaderOurs},
                                                    {"MotionBlur4_", "ours", MotionBlurOurs},
                                                    {"MotionMask_", "ours", MotionMaskOurs},
#ifdef KV_HAVE_PIXMAN
                                                    {"OpenFader_", "pixman", FaderPixman},
                                                    {"MotionBlur4_", "pixman", MotionBlurPixman},
                                                    {"MotionMask_", "pixman", MotionMaskPixman},
#endif
                                                });

}  // namespace
