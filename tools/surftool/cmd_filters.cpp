// Filter commands: convolutions and stored masks by name, anti-aliasing,
// factor, gradient, masks and shadows; and their gallery pictures.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

// The picture in any format; 8 bits as grey levels.
std::unique_ptr<Image> InFormat(const TSurfDesc &src, int kind) {
    std::unique_ptr<Image> img = Redrawn(src, kind, [&](uint32_t c, int, int) {
        if (kind != 8) return c;
        const uint32_t r = c >> 16 & 255, g = c >> 8 & 255, b = c & 255;
        return (r * 77 + g * 150 + b * 29) >> 8;
    });
    if (kind == 8) GreyPalette(*img);
    return img;
}

// A white disc on black: the kind of sprite the edge filters are made for.
std::unique_ptr<Image> Sprite(int kind, int w, int h) {
    std::unique_ptr<Image> img(new Image(kind, w, h));
    if (kind == 8) GreyPalette(*img);
    const int r = (w < h ? w : h) / 3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2, dy = y - h / 2;
            const bool in = dx * dx + dy * dy <= r * r || (x > w / 8 && x < w / 4 && y > h / 6 && y < h / 2);
            SetPixel(img->desc, x, y, in ? (kind == 8 ? 255 : 0xFFFFFF) : 0);
        }
    return img;
}

// Applies one named filter to img; the result may be a new image (masks,
// shadows). Throws for unknown names and bad numbers.
std::unique_ptr<Image> Apply(const std::string &op, std::unique_ptr<Image> img, const Args &a) {
    TSurfDesc &d = img->desc;
    Image scratch(32, 1, 1);
    std::vector<uint8_t> mem(size_t(d.scanWidth) * size_t(d.height) + 8);
    TSurfDesc s = d;
    s.bits = mem.data();
    bool ok = false;
    const CRectangulo all(0, 0, d.width, d.height);
    if (op == "smooth")
        ok = DoSuavizado(d, s);
    else if (op == "emboss")
        ok = DoEmboss(d, s);
    else if (op == "sharpen")
        ok = DoRealce(d, s);
    else if (op.compare(0, 6, "preset") == 0) {
        const std::string n = op.size() > 6 ? op.substr(6) : a.Get("index", "");
        char *end = nullptr;
        const long idx = strtol(n.c_str(), &end, 10);
        if (n.empty() || *end || idx < 0 || idx > 23)
            throw Failure("preset wants a number 0 to 23 (preset7 or --index 7)");
        ok = FiltroMask(d, s, int(idx));
    } else if (op == "antialias")
        ok = DoAntiAlias(d, all, scratch.desc, 0);
    else if (op == "antialias2")
        ok = DoAntiAlias2(d, all, scratch.desc, 0);
    else if (op == "antialias-bmp")
        ok = DoAntiAliasBMP(d, uint16_t(a.Int("level", 256, 0, 65535)));
    else if (op == "factor")
        ok = DoFactor(d, uint16_t(a.Int("factor", 160, 0, 65535)));
    else if (op == "gradient") {
        const unsigned long from = a.Colour("from", 0x000000), to = a.Colour("to", 0xFFFFFF);
        ok = DoGradient(d, from, to);
    } else if (op == "mask" || op == "shadow") {
        if (a.Has("key")) d.transColor = uint32_t(a.Colour("key", 0));
        std::unique_ptr<Image> plane(new Image(8, d.width, d.height));
        GreyPalette(*plane);
        ok = CreateMask(plane->desc, d, uint16_t(a.Int("level", 256, 0, 65535)));
        if (ok && op == "shadow") {
            std::unique_ptr<Image> sh(new Image(8, d.width, d.height));
            GreyPalette(*sh);
            ok = CreateShadow(sh->desc, plane->desc, uint8_t(a.Int("decay", 12, 0, 255)),
                              uint8_t(a.Int("limit", 160, 0, 255)), uint16_t(a.Int("level", 256, 0, 65535)));
            plane.swap(sh);
        }
        if (!ok) throw Failure(op + " does not support format " + FormatName(img->kind));
        return plane;
    } else {
        throw Failure("unknown filter '" + op + "'");
    }
    if (!ok) throw Failure(op + " does not support format " + FormatName(img->kind));
    return img;
}

int RunFilter(const Args &a) {
    const std::string op = a.Pos(0, "filter name");
    std::unique_ptr<Image> in = ReadPng(a.Pos(1, "input PNG file"));
    std::unique_ptr<Image> img = InFormat(in->desc, ParseFormat(a.Get("format", "32")));
    std::unique_ptr<Image> out = Apply(op, std::move(img), a);
    WritePng(out->desc, a.Pos(2, "output PNG file"));
    return 0;
}

const CommandRegistrar filter_cmd(
    {"filter", "apply a filter or stored convolution mask to a PNG in any format",
     "surftool filter NAME [--format 8|565|555|1555|4444|24|32] [options] IN.png OUT.png\n"
     "  NAME: smooth | emboss | sharpen | preset0 .. preset23 (or preset --index N)\n"
     "        antialias | antialias2 | antialias-bmp [--level L]\n"
     "        factor [--factor F]           (out of 256)\n"
     "        gradient [--from 0xRRGGBB] [--to 0xRRGGBB]\n"
     "        mask [--key COLOUR] [--level L]   (writes the 8-bit mask)\n"
     "        shadow [--key COLOUR] [--decay D] [--limit L] [--level L]",
     RunFilter, 3});

// ---- gallery

// The test card filtered in place by op(card, scratch), the scratch laid out
// as the card; nothing is shown when op refuses the format.
template <class Op>
bool FilteredCard(int kind, std::unique_ptr<Image> &out, Op op) {
    std::unique_ptr<Image> img = TestCard(kind, 256, 160);
    std::vector<uint8_t> mem(size_t(img->desc.scanWidth) * 160);
    TSurfDesc s = img->desc;
    s.bits = mem.data();
    if (!op(img->desc, s)) return false;
    out = std::move(img);
    return true;
}

template <int Preset>
bool MakePreset(int kind, std::unique_ptr<Image> &out) {
    return FilteredCard(kind, out, [](TSurfDesc &d, TSurfDesc &s) { return FiltroMask(d, s, Preset); });
}

template <bool (*Op)(TSurfDesc &, TSurfDesc &)>
bool MakeFixed(int kind, std::unique_ptr<Image> &out) {
    return FilteredCard(kind, out, Op);
}

template <int Which>
bool MakeAntiAlias(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> img = Sprite(kind, 128, 80);
    Image other(kind, 1, 1);
    const CRectangulo r;
    bool ok;
    if (Which == 0)
        ok = DoAntiAlias(img->desc, r, other.desc, 0);
    else if (Which == 1)
        ok = DoAntiAlias2(img->desc, r, other.desc, 0);
    else
        ok = kind == 8 && DoAntiAliasBMP(img->desc, 256);
    if (!ok) return false;
    out = std::move(img);
    return true;
}

bool MakeFactor(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, 256, 160);
    return DoFactor(out->desc, 128);
}

bool MakeGradient(int kind, std::unique_ptr<Image> &out) {
    out.reset(new Image(kind, 256, 64));
    const unsigned long from = 0x2040C0, to = 0xFFE020;
    return DoGradient(out->desc, from, to);
}

bool MakeMask(int kind, std::unique_ptr<Image> &out) {
    Image card(kind, 256, 160);
    DrawTestCard(card);
    card.desc.transColor = 0;  // black (index 0 in 8 bits) is the key
    out.reset(new Image(8, 256, 160));
    GreyPalette(*out);
    return CreateMask(out->desc, card.desc, 256);
}

bool MakeShadow(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> sprite = Sprite(kind, 128, 80);
    const int into = kind == 8 || kind >= 24 ? 8 : kind;
    out.reset(new Image(into, 128, 80));
    if (into == 8) GreyPalette(*out);
    return CreateShadow(out->desc, sprite->desc, 12, 160, 256);
}

const GalleryRegistrar g_smooth({"DoSuavizado", "filters", MakeFixed<DoSuavizado>});
const GalleryRegistrar g_emboss({"DoEmboss", "filters", MakeFixed<DoEmboss>});
const GalleryRegistrar g_sharpen({"DoRealce", "filters", MakeFixed<DoRealce>});
// clang-format off
#define PRESET(n) const GalleryRegistrar g_preset##n({"FiltroMask " #n, "filters", MakePreset<n>});
PRESET(0) PRESET(1) PRESET(2) PRESET(3) PRESET(4) PRESET(5) PRESET(6) PRESET(7) PRESET(8) PRESET(9) PRESET(10)
PRESET(11) PRESET(12) PRESET(13) PRESET(14) PRESET(15) PRESET(16) PRESET(17) PRESET(18) PRESET(19) PRESET(20)
PRESET(21) PRESET(22) PRESET(23)
#undef PRESET
    // clang-format on
    const GalleryRegistrar g_aa({"DoAntiAlias (white disc on black)", "filters", MakeAntiAlias<0>});
const GalleryRegistrar g_aa2({"DoAntiAlias2 (white disc on black)", "filters", MakeAntiAlias<1>});
const GalleryRegistrar g_aabmp({"DoAntiAliasBMP (coded plane)", "filters", MakeAntiAlias<2>});
const GalleryRegistrar g_factor({"DoFactor 128", "filters", MakeFactor});
const GalleryRegistrar g_gradient({"DoGradient", "filters", MakeGradient});
const GalleryRegistrar g_mask({"CreateMask (key black)", "filters", MakeMask});
const GalleryRegistrar g_shadow({"CreateShadow (from a disc)", "filters", MakeShadow});

}  // namespace
}  // namespace surftool
