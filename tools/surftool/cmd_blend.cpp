// Blend modes from the command line, and their gallery entries.
#include <stdlib.h>

#include <algorithm>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

using SourceFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &);
using ColourFn = bool (*)(TSurfDesc &, const CRectangulo &, unsigned long, TSurfDesc &, const CPunto &);
using MaskedFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &, TSurfDesc &, const CPunto &);

struct Mode {
    const char *name;  // as on the command line
    const char *op;    // the exported name
    SourceFn source;
    ColourFn colour;
    MaskedFn masked;
};
const Mode kModes[] = {
    {"add", "DoSuma", DoSuma, DoSuma, DoSuma},
    {"subtract", "DoResta", DoResta, DoResta, DoResta},
    {"multiply", "DoMultiplica", DoMultiplica, DoMultiplica, DoMultiplica},
    {"screen", "DoScreen", DoScreen, DoScreen, DoScreen},
    {"lighten", "DoLighten", DoLighten, DoLighten, DoLighten},
    {"darken", "DoDarken", DoDarken, DoDarken, DoDarken},
    {"overlay", "DoSuperponer", DoSuperponer, DoSuperponer, DoSuperponer},
};

const Mode &FindMode(const std::string &name) {
    for (const Mode &m : kModes)
        if (name == m.name || name == m.op) return m;
    throw Failure("unknown mode '" + name + "' (add, subtract, multiply, screen, lighten, darken, overlay)");
}

// A copy of a 32-bit image in another format, narrowed by SetPixel.
std::unique_ptr<Image> InFormat(Image &src, int kind) {
    return Redrawn(src.desc, kind, [&](uint32_t rgb, int x, int y) -> unsigned long {
        return kind == 32 ? GetPixel(src.desc, x, y) : rgb;
    });
}

// An 8-bit weight plane from the grey level of an image.
std::unique_ptr<Image> MaskFrom(Image &src) {
    std::unique_ptr<Image> out(new Image(8, src.desc.width, src.desc.height));
    for (int y = 0; y < src.desc.height; ++y)
        for (int x = 0; x < src.desc.width; ++x) {
            const uint32_t c = ReadRGB(src.desc, x, y);
            out->Row(y)[x] = uint8_t((((c >> 16) & 0xFF) * 77 + ((c >> 8) & 0xFF) * 150 + (c & 0xFF) * 29) >> 8);
        }
    return out;
}

// The blend modes read the layer and mask without clipping them: the
// rectangle must stay inside every image it reads from `at` on.
void FitInside(CRectangulo &r, const TSurfDesc &img, const CPunto &at, const char *what) {
    if (at.x < 0 || at.y < 0 || at.x >= img.width || at.y >= img.height)
        throw Failure(std::string(what) + " lies outside its image");
    r.right = std::min(r.right, img.width - at.x);
    r.bottom = std::min(r.bottom, img.height - at.y);
}

int RunBlend(const Args &a) {
    // The colour form has no layer image.
    if (a.Has("color")) a.AtMost(2);
    const Mode &m = FindMode(a.Get("mode", "add"));
    const int kind = ParseFormat(a.Get("format", "32"));
    if (kind == 8) throw Failure("the blend modes work on 16-, 24- and 32-bit surfaces, not on 8 bits");
    std::unique_ptr<Image> base32 = ReadPng(a.Pos(0, "base PNG file"));
    std::unique_ptr<Image> base = InFormat(*base32, kind);
    const bool colourForm = a.Has("color");
    if (colourForm && !a.Has("mask")) throw Failure("--color needs --mask");
    const CPunto at = a.Point("at"), maskAt = a.Point("mask-at");
    const unsigned long colour = a.Colour("color", 0), key = a.Colour("key", 0);
    // The rectangle covers the base from its corner, as far as the layer and mask reach.
    CRectangulo rect(0, 0, base->desc.width, base->desc.height);

    std::unique_ptr<Image> layer, mask;
    if (!colourForm) {
        std::unique_ptr<Image> layer32 = ReadPng(a.Pos(1, "layer PNG file"));
        layer = InFormat(*layer32, kind);
        if (a.Has("key")) layer->desc.transColor = uint32_t(key);
        FitInside(rect, layer->desc, at, "--at");
    }
    if (a.Has("mask")) {
        std::unique_ptr<Image> mask32 = ReadPng(a.Get("mask"));
        mask = MaskFrom(*mask32);
        FitInside(rect, mask->desc, maskAt, "--mask-at");
    }
    bool ok;
    if (colourForm) {
        ok = m.colour(base->desc, rect, colour, mask->desc, maskAt);
    } else if (mask) {
        ok = m.masked(base->desc, rect, layer->desc, at, mask->desc, maskAt);
    } else {
        ok = m.source(base->desc, rect, layer->desc, at);
    }
    if (!ok)
        throw Failure(std::string(m.op) +
                      " returned false (a point outside its image, or nothing left after clipping)");
    WritePng(base->desc, a.Pos(colourForm ? 1 : 2, "output PNG file"));
    return 0;
}

const CommandRegistrar blend_cmd(
    {"blend", "blend a layer (or a colour through a mask) into a base image with one of seven modes",
     "surftool blend [--mode add|subtract|multiply|screen|lighten|darken|overlay]\n"
     "               [--format 565|555|1555|4444|24|32] [--at X,Y] [--key PIXEL]\n"
     "               [--mask MASK.png [--mask-at X,Y]] BASE.png LAYER.png OUT.png\n"
     "surftool blend --mode M --color 0xAARRGGBB --mask MASK.png BASE.png OUT.png\n"
     "  Both images are converted to the format first. Without a mask, layer\n"
     "  pixels equal to the key (black when no --key is given) are skipped;\n"
     "  --key is a pixel value in the chosen format. With a mask, its grey level\n"
     "  is the weight (0 keeps the base). --at and --mask-at give the layer and\n"
     "  mask pixels under the base's top-left corner; the blend covers the base as\n"
     "  far as the layer and mask reach from there.",
     RunBlend, 3});

// Gallery: the test card as base and a layer of a diagonal ramp with soft
// colour squares; the left third blends the layer as it is, the middle third
// through a radial mask, the right third an orange colour through the mask.
template <int kMode>
bool MakeBlend(int kind, std::unique_ptr<Image> &out) {
    if (kind == 8) return false;
    const int w = 258, h = 160, third = w / 3;
    out = TestCard(kind, w, h);
    Image layer(kind, w, h), mask(8, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = uint32_t((x + y) * 255 / (w + h));
            uint32_t c = (v << 16) | ((255 - v) << 8) | uint32_t(y * 255 / h);
            if ((x / 40 + y / 40) % 2) c = 0x00C08040;
            SetPixel(layer.desc, x, y, c | 0x01010101u);  // not black, the key of a layer without one
            const int dx = (x % third) - third / 2, dy = y - h / 2;
            mask.Row(y)[x] = uint8_t(std::max(0, 255 - (dx * dx + dy * dy) / 8));
        }
    const Mode &m = kModes[kMode];
    m.source(out->desc, CRectangulo(0, 0, third, h), layer.desc, CPunto(0, 0));
    m.masked(out->desc, CRectangulo(third, 0, 2 * third, h), layer.desc, CPunto(third, 0), mask.desc, CPunto(third, 0));
    m.colour(out->desc, CRectangulo(2 * third, 0, w, h), 0xFFFF8020ul, mask.desc, CPunto(2 * third, 0));
    return true;
}

const GalleryRegistrar g0({"DoSuma (source | masked | colour)", "effects", MakeBlend<0>});
const GalleryRegistrar g1({"DoResta (source | masked | colour)", "effects", MakeBlend<1>});
const GalleryRegistrar g2({"DoMultiplica (source | masked | colour)", "effects", MakeBlend<2>});
const GalleryRegistrar g3({"DoScreen (source | masked | colour)", "effects", MakeBlend<3>});
const GalleryRegistrar g4({"DoLighten (source | masked | colour)", "effects", MakeBlend<4>});
const GalleryRegistrar g5({"DoDarken (source | masked | colour)", "effects", MakeBlend<5>});
const GalleryRegistrar g6({"DoSuperponer (source | masked | colour)", "effects", MakeBlend<6>});

}  // namespace
}  // namespace surftool
