// Stretching, doubling, fader and blur stamps: commands and gallery.
#include <math.h>
#include <stdlib.h>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

std::unique_ptr<Image> LoadOrCard(const Args &a, int kind) {
    std::unique_ptr<Image> in;
    if (a.Has("in")) {
        std::unique_ptr<Image> png = ReadPng(a.Get("in"));
        in = Redrawn(png->desc, kind, [](uint32_t c, int, int) { return c; });
    } else {
        in = TestCard(kind, 160, 100);
    }
    return in;
}

int RunStretch(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    std::unique_ptr<Image> in = LoadOrCard(a, kind);
    int w = in->desc.width * 2, h = in->desc.height * 2;
    if (a.Has("size")) ParseSize(a.Get("size"), w, h);
    Image out(kind, w, h);
    const std::string mode = a.Get("mode", "nearest");
    const CRectangulo dr(0, 0, w, h), sr(0, 0, in->desc.width, in->desc.height);
    if (mode == "nearest" || mode == "bilinear") {
        if (!BltStrech(out.desc, dr, in->desc, sr, mode == "bilinear")) throw Failure("BltStrech refused the format");
    } else if (mode == "box") {
        if (kind != 24 && kind != 32) throw Failure("--mode box works on 24 and 32 bits");
        StretchBitmap(out.desc, dr, in->desc, sr, int(in->desc.bpp), true, false);
    } else if (mode == "double") {
        Image dbl(kind, in->desc.width * 2, in->desc.height * 2);
        if (kind != 24 && kind != 32) throw Failure("--mode double works on 24 and 32 bits");
        DrawDouble(dbl.desc, in->desc, CPunto(0, 0));
        WritePng(dbl.desc, a.Pos(0, "output PNG file"));
        return 0;
    } else {
        throw Failure("unknown mode '" + mode + "' (nearest, bilinear, box, double)");
    }
    WritePng(out.desc, a.Pos(0, "output PNG file"));
    return 0;
}

const CommandRegistrar stretch_cmd(
    {"stretch", "scale an image: nearest, bilinear, box filter or pixel doubling",
     "surftool stretch [--in IN.png] [--format F] [--size WxH] [--mode nearest|bilinear|box|double] OUT.png\n"
     "Without --in a test card is scaled.",
     RunStretch, 1});

int RunRotate(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    const int turn = a.Int("turn", 1);
    if (turn < 0 || turn > 7) throw Failure("--turn wants 0 to 7, not " + std::to_string(turn));
    const std::string outPath = a.Pos(0, "output PNG file");
    std::unique_ptr<Image> in = LoadOrCard(a, kind);
    const bool quarter = turn % 2 == 1;
    Image out(kind, quarter ? in->desc.height : in->desc.width, quarter ? in->desc.width : in->desc.height);
    if (!CreateRotated(out.desc, in->desc, turn)) throw Failure("CreateRotated refused the format");
    WritePng(out.desc, outPath);
    return 0;
}

const CommandRegistrar rotate_cmd({"rotate", "turn an image by quarter or half turns, optionally mirrored",
                                   "surftool rotate [--in IN.png] [--format F] [--turn T] OUT.png\n"
                                   "T: 0 copy, 1 quarter anticlockwise (default), 2 half, 3 quarter clockwise;\n"
                                   "   4 to 7 the same, mirrored left to right. Without --in a test card is turned.",
                                   RunRotate, 1});

int RunFader(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    std::unique_ptr<Image> src = LoadOrCard(a, kind);
    Image dst(kind, src->desc.width, src->desc.height);
    const CRectangulo r(0, 0, dst.desc.width, dst.desc.height);
    if (!OpenFader(dst.desc, r, src->desc, CPunto(0, 0), a.Int("position", -1), a.Int("step", 2), a.Int("hold", 40)))
        throw Failure("OpenFader has no kernel for this format");
    WritePng(dst.desc, a.Pos(0, "output PNG file"));
    return 0;
}

const CommandRegistrar fader_cmd({"fader", "wipe a source over black with OpenFader",
                                  "surftool fader [--in IN.png] [--format F] [--position P] [--step S] [--hold H] "
                                  "OUT.png",
                                  RunFader, 1});

// Gallery --------------------------------------------------------------

template <bool Filter>
bool MakeStretch(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> in = TestCard(kind, 96, 60);
    out.reset(new Image(kind, 256, 160));
    return BltStrech(out->desc, CRectangulo(0, 0, 256, 160), in->desc, CRectangulo(0, 0, 96, 60), Filter);
}
const GalleryRegistrar g_near({"BltStrech nearest", "blit", MakeStretch<false>});
const GalleryRegistrar g_bil({"BltStrech bilinear", "blit", MakeStretch<true>});

bool MakeBox(int kind, std::unique_ptr<Image> &out) {
    if (kind != 24 && kind != 32) return false;
    std::unique_ptr<Image> in = TestCard(kind, 512, 320);
    out.reset(new Image(kind, 128, 80));
    StretchBitmap(out->desc, CRectangulo(0, 0, 128, 80), in->desc, CRectangulo(0, 0, 512, 320), int(in->desc.bpp), true,
                  false);
    return true;
}
const GalleryRegistrar g_box({"StretchBitmap reduce", "blit", MakeBox});

bool MakeDouble(int kind, std::unique_ptr<Image> &out) {
    if (kind != 24 && kind != 32) return false;
    std::unique_ptr<Image> in = TestCard(kind, 128, 80);
    out.reset(new Image(kind, 256, 160));
    DrawDouble(out->desc, in->desc, CPunto(0, 0));
    return true;
}
const GalleryRegistrar g_dbl({"DrawDouble", "blit", MakeDouble});

// One row per turn code; the 96 x 60 card is small enough to see the whole
// turned picture beside the others.
template <int Code>
bool MakeRotated(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> in = TestCard(kind, 96, 60);
    const bool quarter = Code % 2 == 1;
    out.reset(new Image(kind, quarter ? 60 : 96, quarter ? 96 : 60));
    return CreateRotated(out->desc, in->desc, Code);
}
const GalleryRegistrar g_rot0({"CreateRotated 0 (copy)", "blit", MakeRotated<0>});
const GalleryRegistrar g_rot1({"CreateRotated 1 (quarter anticlockwise)", "blit", MakeRotated<1>});
const GalleryRegistrar g_rot2({"CreateRotated 2 (half)", "blit", MakeRotated<2>});
const GalleryRegistrar g_rot3({"CreateRotated 3 (quarter clockwise)", "blit", MakeRotated<3>});
const GalleryRegistrar g_rot4({"CreateRotated 4 (mirrored copy)", "blit", MakeRotated<4>});
const GalleryRegistrar g_rot5({"CreateRotated 5 (quarter anticlockwise, mirrored)", "blit", MakeRotated<5>});
const GalleryRegistrar g_rot6({"CreateRotated 6 (half, mirrored)", "blit", MakeRotated<6>});
const GalleryRegistrar g_rot7({"CreateRotated 7 (quarter clockwise, mirrored)", "blit", MakeRotated<7>});

bool MakeFader(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> in = TestCard(kind, 256, 160);
    out.reset(new Image(kind, 256, 160));
    return OpenFader(out->desc, CRectangulo(0, 0, 256, 160), in->desc, CPunto(0, 0), 1, 2, 60);
}
const GalleryRegistrar g_fader({"OpenFader", "effects", MakeFader});

// A soft blob of intensity to stamp through.
std::unique_ptr<Image> Blob(int w, int h) {
    std::unique_ptr<Image> m(new Image(8, w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w / 2) / double(w / 4), dy = (y - h / 2) / double(h / 4);
            const double v = 255.0 * exp(-(dx * dx + dy * dy));
            m->Row(y)[x] = uint8_t(v);
        }
    return m;
}

template <int Which>
bool MakeBlur(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, 256, 160);
    std::unique_ptr<Image> mask = Blob(256, 160);
    const CRectangulo r(0, 0, 256, 160);
    bool ok;
    if (Which == 0)
        ok = FiltroMotionMask(out->desc, mask->desc, r, CPunto(0, 0), 256);
    else if (Which == 1)
        ok = FiltroMotionBlur(out->desc, mask->desc, r, CPunto(0, 0), 0x00FFC040, 16, 0.5f);
    else
        ok = FiltroBrilloBlur(out->desc, mask->desc, r, CPunto(0, 0), 0x0040C0FF, 12, 0.0f);
    return ok && kind != 8;
}
const GalleryRegistrar g_mask({"FiltroMotionMask", "effects", MakeBlur<0>});
const GalleryRegistrar g_motion({"FiltroMotionBlur", "effects", MakeBlur<1>});
const GalleryRegistrar g_brillo({"FiltroBrilloBlur", "effects", MakeBlur<2>});

}  // namespace
}  // namespace surftool
