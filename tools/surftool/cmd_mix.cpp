// Mixing and masked drawing: commands `mix` and `mask`, and their gallery
// pictures in every format.
#include <stdlib.h>

#include "tools/mixtable/mixtable.h"
#include "tools/surftool/tool.h"

namespace surftool {
namespace {

// One table for the model palette, built on first use.
unsigned char (*ModelTable())[65536] {
    static unsigned char table[2][65536];
    static bool built = false;
    if (!built) {
        mixtable::Build(lu_gPaleta, 252, table);
        built = true;
    }
    return table;
}

inline unsigned Key565(uint32_t c) { return ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F); }

// Any image redrawn in the given format; 8 bits through the model palette
// and the table's dither.
std::unique_ptr<Image> InFormat(const TSurfDesc &from, int kind) {
    unsigned char(*table)[65536] = kind == 8 ? ModelTable() : nullptr;
    return Redrawn(from, kind,
                   [&](uint32_t c, int x, int y) { return table ? uint32_t(table[(x + y) % 2 == 0][Key565(c)]) : c; });
}

// An 8-bit plane from the green channel of an image.
std::unique_ptr<Image> Plane(const TSurfDesc &from) {
    std::unique_ptr<Image> p(new Image(8, from.width, from.height));
    for (int y = 0; y < from.height; ++y)
        for (int x = 0; x < from.width; ++x) p->Row(y)[x] = uint8_t(ReadRGB(from, x, y) >> 8);
    return p;
}

// A soft round spot: 255 in the middle, 0 outside, a ramp between.
std::unique_ptr<Image> Spot(int w, int h) {
    std::unique_ptr<Image> p(new Image(8, w, h));
    const int rad = (w < h ? w : h) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2, dy = y - h / 2;
            const int d2 = dx * dx + dy * dy;
            int v = 0;
            if (d2 < rad * rad) {
                int r = 0;
                while ((r + 1) * (r + 1) <= d2) ++r;
                v = (rad - r) * 255 * 2 / rad;
                if (v > 255) v = 255;
            }
            p->Row(y)[x] = uint8_t(v);
        }
    return p;
}

// A second picture to mix over the test card: diagonal colour stripes.
void DrawStripes(Image &img) {
    static const uint32_t cols[] = {0xE03020, 0x20A0E0, 0xF0D020, 0x30C040};
    static const uint32_t idx[] = {194, 35, 232, 74};
    for (int y = 0; y < img.desc.height; ++y)
        for (int x = 0; x < img.desc.width; ++x) {
            const int b = ((x + y) / 24) % 4;
            SetPixel(img.desc, x, y, img.desc.bpp == 8 ? idx[b] : cols[b]);
        }
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------

int RunMix(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    std::unique_ptr<Image> dstIn = ReadPng(a.Pos(0, "destination PNG"));
    std::unique_ptr<Image> srcIn = ReadPng(a.Pos(1, "source PNG"));
    const std::string out = a.Pos(2, "output PNG");
    std::unique_ptr<Image> dst = InFormat(dstIn->desc, kind), src = InFormat(srcIn->desc, kind);
    const CRectangulo r(a.Int("x", 0), a.Int("y", 0), a.Int("x", 0) + src->desc.width,
                        a.Int("y", 0) + src->desc.height);
    const int level = a.Int("level", 128);
    if (level < 0 || level > 65535) throw Failure("--level wants 0 to 65535");
    bool ok;
    if (a.Has("alpha")) {
        std::unique_ptr<Image> mapIn = ReadPng(a.Get("alpha"));
        std::unique_ptr<Image> map = Plane(mapIn->desc);
        if (map->desc.width < src->desc.width || map->desc.height < src->desc.height)
            throw Failure("the alpha map is smaller than the source");
        if (a.Has("level"))
            ok = DrawMix(dst->desc, r, map->desc, CPunto(), src->desc, CPunto(), (unsigned short)level);
        else
            ok = DrawMix(dst->desc, r, map->desc, CPunto(), src->desc, CPunto(), ModelTable());
    } else {
        ok = DrawMix(dst->desc, r, (unsigned short)level, src->desc, CPunto(), ModelTable());
    }
    if (!ok) throw Failure("DrawMix does not take this combination in format " + a.Get("format", "32"));
    WritePng(dst->desc, out);
    return 0;
}

const CommandRegistrar mix_cmd({"mix", "mix a source image into a destination at a level or through an alpha map",
                                "surftool mix [--format 8|565|555|1555|4444|24|32] [--level 0-256] [--alpha MAP.png]\n"
                                "             [--x N --y N] DST.png SRC.png OUT.png\n"
                                "  Without --alpha: the level form (default level 128).\n"
                                "  With --alpha (grey levels of MAP.png are the alpha values): the alpha-map form,\n"
                                "  or with --level as well the scaled form (not in format 8).",
                                RunMix, 3});

int RunMask(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    std::unique_ptr<Image> in = ReadPng(a.Pos(0, "image PNG"));
    std::unique_ptr<Image> maskIn = ReadPng(a.Pos(1, "mask PNG"));
    const std::string out = a.Pos(2, "output PNG");
    std::unique_ptr<Image> dst = InFormat(in->desc, kind);
    std::unique_ptr<Image> mask = Plane(maskIn->desc);
    // The mask is read under every destination pixel, unclipped.
    if (mask->desc.width < dst->desc.width || mask->desc.height < dst->desc.height)
        throw Failure("the mask is smaller than the image");
    const CRectangulo r(0, 0, dst->desc.width, dst->desc.height);
    bool ok;
    if (a.Has("bimask")) {
        const int strength = a.Int("strength", 256);
        if (strength < 0 || strength > 65535) throw Failure("--strength wants 0 to 65535");
        ok = DrawBiMask(dst->desc, (unsigned short)strength, r, mask->desc, CPunto(), ModelTable());
    } else {
        const unsigned long color = a.Colour("color", 0xFF0000);
        ok = DrawMask(dst->desc, r, mask->desc, CPunto(), color, ModelTable());
    }
    if (!ok) throw Failure("no masked drawing in format " + a.Get("format", "32"));
    WritePng(dst->desc, out);
    return 0;
}

const CommandRegistrar mask_cmd(
    {"mask", "paint a colour through a mask, or darken and lighten through a two-way mask",
     "surftool mask [--format 8|565|555|1555|4444|24|32] [--color 0xRRGGBB | --bimask [--strength N]]\n"
     "              IMAGE.png MASK.png OUT.png\n"
     "  The mask is the grey level of MASK.png. With --bimask, values under 128 darken\n"
     "  and values from 128 lighten (formats 8, 24 and 32 only).",
     RunMask, 3});

// ---------------------------------------------------------------------------
// Gallery
// ---------------------------------------------------------------------------

const int kW = 256, kH = 160;

// The card, with the stripes mixed over its middle at one level per band.
bool MakeLevels(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, kW, kH);
    Image src(kind, kW, kH);
    DrawStripes(src);
    static const unsigned short levels[] = {0, 64, 100, 128, 192, 255};
    for (int i = 0; i < 6; ++i) {
        const CRectangulo r(i * kW / 6, 16, (i + 1) * kW / 6, kH - 16);
        if (!DrawMix(out->desc, r, levels[i], src.desc, CPunto(r.left, r.top), ModelTable())) return false;
    }
    return true;
}
const GalleryRegistrar levels_entry({"DrawMix at levels 0, 64, 100, 128, 192, 255", "blit", MakeLevels});

// The stripes through the spot's alpha map, whole or (Scaled) at level 128.
template <bool Scaled>
bool MakeAlpha(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, kW, kH);
    Image src(kind, kW, kH);
    DrawStripes(src);
    std::unique_ptr<Image> spot = Spot(kW, kH);
    const CRectangulo all(0, 0, kW, kH);
    if (Scaled) return DrawMix(out->desc, all, spot->desc, CPunto(), src.desc, CPunto(), (unsigned short)128);
    return DrawMix(out->desc, all, spot->desc, CPunto(), src.desc, CPunto(), ModelTable());
}
const GalleryRegistrar alpha_entry({"DrawMix through an alpha map", "blit", MakeAlpha<false>});
const GalleryRegistrar scaled_entry({"DrawMix through an alpha map at level 128", "blit", MakeAlpha<true>});

bool MakeMask(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, kW, kH);
    std::unique_ptr<Image> spot = Spot(kW, kH);
    return DrawMask(out->desc, CRectangulo(0, 0, kW, kH), spot->desc, CPunto(), 0x00E04080, ModelTable());
}
const GalleryRegistrar mask_entry({"DrawMask (colour 0xE04080 through a spot)", "blit", MakeMask});

bool MakeBiMask(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, kW, kH);
    // Dark on the left, untouched in the middle, light on the right.
    Image mask(8, kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) mask.Row(y)[x] = uint8_t(x * 255 / (kW - 1));
    // The model palette's index 255 is black; lighten towards white here.
    const TRGBA saved = lu_gPaleta[255];
    lu_gPaleta[255] = TRGBA{255, 255, 255, 0};
    const bool ok = DrawBiMask(out->desc, 256, CRectangulo(0, 0, kW, kH), mask.desc, CPunto(), ModelTable());
    lu_gPaleta[255] = saved;
    out->palette[255] = TRGBA{255, 255, 255, 0};  // so the picture shows it too
    return ok;
}
const GalleryRegistrar bimask_entry({"DrawBiMask (darken left, lighten right)", "blit", MakeBiMask});

}  // namespace
}  // namespace surftool
