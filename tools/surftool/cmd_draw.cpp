// Drawing family: the drawing test card (fills, frames, shadows, translucent
// boxes, lines of every thickness and angle, a flood fill) and a flood-fill
// command over a PNG.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

// A colour by name: 0xRRGGBB on wide formats, the model-cube index on 8 bits.
unsigned long Col(const Image &img, uint32_t rgb) {
    if (img.desc.bpp != 8) return rgb;
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (r * 5 + 127) / 255 * 42 + (g * 6 + 127) / 255 * 6 + (b * 5 + 127) / 255;
}

// Rellena's work area: one cleared byte per pixel, rows packed, in bits.
TSurfDesc FloodMask(std::vector<uint8_t> &bits, int w, int h) {
    bits.assign(size_t(w) * h, 0);
    TSurfDesc mask = {};
    mask.width = w;
    mask.height = h;
    mask.bpp = 8;
    mask.scanWidth = w;
    mask.bits = bits.data();
    mask.transColor = 0xFFFFFFFFu;
    return mask;
}

// Undithered mix tables for the 8-bit translucent fill: each R5G6B5 key to
// its nearest cube entry.
unsigned char (*MixTables())[65536] {
    static unsigned char t[2][65536];
    static bool built = false;
    if (!built) {
        for (int k = 0; k < 65536; ++k) {
            const uint32_t r = ((k >> 11) & 31) * 255 / 31, g = ((k >> 5) & 63) * 255 / 63, b = (k & 31) * 255 / 31;
            t[0][k] = t[1][k] = uint8_t((r * 5 + 127) / 255 * 42 + (g * 6 + 127) / 255 * 6 + (b * 5 + 127) / 255);
        }
        built = true;
    }
    return t;
}

void DrawCard(Image &img) {
    TSurfDesc &s = img.desc;
    const int w = s.width, h = s.height;
    IdxFillRect(s, CRectangulo(0, 0, w, h), Col(img, 0xC0C0C0));
    // Panels with frames and stepped shadows.
    const uint32_t panel[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    for (int i = 0; i < 4; ++i) {
        const CRectangulo r(8 + i * 30, 8, 30 + i * 30, 30);
        DrawRectShadow(s, r, uint8_t(1 + i), uint8_t(2 + 2 * i));
        IdxFillRect(s, r, Col(img, panel[i]));
        FrameBR(s, r, Col(img, 0x000000));
    }
    // Translucent boxes over stripes.
    for (int x = 0; x < w / 2; x += 8) IdxFillRect(s, CRectangulo(x, 40, x + 4, 70), Col(img, 0x000000));
    for (int i = 0; i < 4; ++i) {
        const CRectangulo r(4 + i * 30, 44, 28 + i * 30, 66);
        const unsigned short level = uint16_t(64 * i + 63);
        if (s.bpp == 8)
            MaskFillRect_8Bits(s, r, 0xFFFFFF, uint16_t(level + 1), MixTables());
        else
            MaskFillRect(s, r, 0xFFFFFFFF, level);
    }
    // A fan of lines: thickness 1 to 4, every 15 degrees, hard and soft.
    const int cx = w * 3 / 4, cy = h / 4, rad = (h / 4 < w / 4 ? h / 4 : w / 4) - 4;
    for (int a = 0; a < 24; ++a) {
        const double t = a * M_PI / 12;
        const CPunto p2(cx + int(lround(rad * cos(t))), cy + int(lround(rad * sin(t))));
        Line(s, CPunto(cx, cy), p2, Col(img, a % 2 ? 0x0000C0 : 0xC00000), 255, a % 4 >= 2, 1 + a % 4);
    }
    // Lines across the lower half: shallow, steep, half level, beyond the edges.
    for (int i = 0; i < 5; ++i) {
        Line(s, CPunto(-20, h / 2 + 8 + i * 6), CPunto(w + 20, h / 2 + 20 + i * 10), Col(img, 0x006000),
             uint16_t(255 - i * 50), i % 2 == 1, 1 + i);
        Line(s, CPunto(w / 2 + 10 + i * 12, h / 2), CPunto(w / 2 + 30 + i * 12, h + 10), Col(img, 0x800080), 255,
             i % 2 == 0, 1 + i / 2);
    }
    // A closed outline, flood-filled inside.
    const CRectangulo box(10, h - 50, 110, h - 8);
    IdxFillRect(s, box, Col(img, 0xFFFFFF));
    Line(s, CPunto(10, h - 50), CPunto(109, h - 9), Col(img, 0x000000), 255, false, 2);
    Line(s, CPunto(109, h - 50), CPunto(60, h - 9), Col(img, 0x000000), 255, false, 2);
    FrameBR(s, box, Col(img, 0x000000));
    std::vector<uint8_t> maskBits;
    TSurfDesc mask = FloodMask(maskBits, w, h);
    const unsigned long ref = GetPixel(s, 100, h - 30) & 0xFFFFFF;
    Rellena(s, mask, 100, h - 30, 0, ref, 0x00FF8000);
}

bool MakeCard(int kind, std::unique_ptr<Image> &out) {
    out.reset(new Image(kind, 256, 192));
    DrawCard(*out);
    return true;
}
const GalleryRegistrar card_entry({"Fills, frames, shadows, lines, flood fill (drawing card)", "draw", MakeCard});

bool MakeFlipTranslate(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, 256, 160);
    FlipX(out->desc);
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint8_t(251 - (i < 252 ? i : 251));
    TranslateRect(out->desc, CRectangulo(0, 0, 128, 160), 0.7f, table);
    TranslateRect(out->desc, CRectangulo(128, 0, 256, 80), 0.3f, table);
    DrawBlock(out->desc, out->desc, 0, 0, 160, 100, 80, 50);
    return true;
}
const GalleryRegistrar flip_entry({"FlipX, TranslateRect, DrawBlock", "draw", MakeFlipTranslate});

int RunDrawCard(const Args &a) {
    int w = 256, h = 192;
    if (a.Has("size")) ParseSize(a.Get("size"), w, h);
    if (w < 16 || h < 16) throw Failure("the drawing card needs at least 16x16");
    Image img(ParseFormat(a.Get("format", "32")), w, h);
    DrawCard(img);
    WritePng(img.desc, a.Pos(0, "output PNG file"));
    return 0;
}
const CommandRegistrar card_cmd({"drawcard", "draw the drawing test card: fills, frames, shadows, lines, flood fill",
                                 "surftool drawcard [--format 8|565|555|1555|4444|24|32] [--size WxH] OUT.png",
                                 RunDrawCard, 1});

int RunFlood(const Args &a) {
    std::unique_ptr<Image> src = ReadPng(a.Pos(0, "input PNG file"));
    const int kind = ParseFormat(a.Get("format", "32"));
    if (kind == 8) throw Failure("8-bit images are never painted by the flood fill; pick a wider format");
    const int w = src->desc.width, h = src->desc.height;
    std::unique_ptr<Image> redrawn = Redrawn(src->desc, kind, [](uint32_t c, int, int) { return c; });
    Image &img = *redrawn;
    const CPunto seed = ParsePoint(a.Need("at"), "--at");
    const int x = seed.x, y = seed.y;
    if (x < 0 || y < 0 || x >= w || y >= h) throw Failure("the seed lies outside the image");
    const unsigned long tol = a.Colour("tolerance", 0);
    const unsigned long fill = a.Colour("fill", 0xFF0000);
    const unsigned long ref = a.Has("ref") ? a.Colour("ref", 0) : (ReadRGB(img.desc, x, y) & 0xFFFFFF);
    std::vector<uint8_t> bits;
    TSurfDesc mask = FloodMask(bits, w, h);
    Rellena(img.desc, mask, x, y, tol, ref, fill);
    size_t marked = 0;
    for (uint8_t b : bits) marked += b != 0;
    printf("filled %zu pixels\n", marked);
    WritePng(img.desc, a.Pos(1, "output PNG file"));
    return 0;
}
const CommandRegistrar flood_cmd({"floodfill", "flood-fill a PNG from a seed point (Rellena)",
                                  "surftool floodfill IN.png OUT.png --at X,Y [--tolerance N] [--fill 0xRRGGBB]\n"
                                  "                   [--ref 0xRRGGBB] [--format 565|555|1555|4444|24|32]\n"
                                  "  ref defaults to the seed's colour; 8-bit images are not painted",
                                  RunFlood, 2});

}  // namespace
}  // namespace surftool
