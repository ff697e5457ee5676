// BMP decoding and the colour-keyed copy from the command line:
//   surftool bmp IN.bmp OUT.png [--format F]
//   surftool drawbitmap DST SRC OUT.png [--format F] [--at X,Y] [--from X,Y] [--key 0xRRGGBB]
// and their gallery pictures.
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

std::vector<unsigned char> ReadFile(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw Failure("cannot read " + path);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool EndsWith(const std::string &s, const char *tail) {
    const size_t n = strlen(tail);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

// The header through an info call, refused when damaged or too large.
template <class Info>
TSurfDesc BmpInfo(std::vector<unsigned char> &file, const std::string &what, Info info_call) {
    TSurfDesc info;
    memset(&info, 0, sizeof info);
    if (!info_call(info, file.data(), long(file.size())))
        throw Failure(what + ": not a BMP file this library reads, or damaged");
    if (info.width <= 0 || info.height <= 0 || info.width > 16384 || info.height > 16384)
        throw Failure(what + ": unsupported size " + std::to_string(info.width) + "x" + std::to_string(info.height));
    return info;
}

std::unique_ptr<Image> DecodeBmp(std::vector<unsigned char> &file, int kind, const std::string &what) {
    const TSurfDesc info =
        BmpInfo(file, what, [](TSurfDesc &s, unsigned char *d, long n) { return LoadInfoBMP(s, d, n); });
    if (info.bpp != 8 && info.bpp < 17)
        throw Failure(what + ": " + std::to_string(info.bpp) + "-bit BMP files are not decoded");
    if (kind == 8 && info.bpp != 8) throw Failure(what + ": only 8-bit files decode into format 8");
    std::unique_ptr<Image> img(new Image(kind, info.width, info.height));
    if (!LoadBMP(img->desc, file.data(), long(file.size()))) throw Failure(what + ": damaged BMP file");
    return img;
}

// The file's 8-bit values as an alpha plane, shown as grey.
std::unique_ptr<Image> DecodeBmpAlpha(std::vector<unsigned char> &file, const std::string &what) {
    const TSurfDesc info =
        BmpInfo(file, what, [](TSurfDesc &s, unsigned char *d, long n) { return LoadInfoBMPAlpha(s, d, n); });
    std::unique_ptr<Image> img(new Image(8, info.width, info.height));
    GreyPalette(*img);
    if (!LoadBMPAlpha(img->desc, file.data(), long(file.size()))) throw Failure(what + ": damaged BMP file");
    return img;
}

// The nearest entry of the model palette's colour cube.
unsigned long CubeIndex(uint32_t rgb) {
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return ((r * 5 + 127) / 255) * 42 + ((g * 6 + 127) / 255) * 6 + (b * 5 + 127) / 255;
}

// Any image in the requested format, through the format-neutral pixel calls.
std::unique_ptr<Image> InFormat(const Image &src, int kind) {
    return Redrawn(src.desc, kind, [&](uint32_t c, int, int) { return kind == 8 ? CubeIndex(c) : c; });
}

std::unique_ptr<Image> ReadAny(const std::string &path, int kind) {
    if (EndsWith(path, ".bmp")) {
        std::vector<unsigned char> f = ReadFile(path);
        std::unique_ptr<Image> img = DecodeBmp(f, kind == 8 ? 8 : 32, path);
        return img->kind == kind ? std::move(img) : InFormat(*img, kind);
    }
    return InFormat(*ReadPng(path), kind);
}

// The key as the source surface stores it: what SetPixel writes for it.
uint32_t KeyFor(int kind, unsigned long rgb) {
    if (kind == 8) return 0;  // any key: index 0 is transparent
    Image one(kind, 1, 1);
    SetPixel(one.desc, 0, 0, rgb);
    uint32_t v = 0;
    memcpy(&v, one.desc.bits, one.desc.bpp / 8);
    return kind == 24 || kind == 32 ? (v & 0xFFFFFF) : v;
}

int RunBmp(const Args &a) {
    const std::string in = a.Pos(0, "input BMP file");
    std::vector<unsigned char> f = ReadFile(in);
    const int kind = ParseFormat(a.Get("format", a.Has("alpha") ? "8" : "32"));
    std::unique_ptr<Image> img = a.Has("alpha") ? DecodeBmpAlpha(f, in) : DecodeBmp(f, kind, in);
    if (a.Has("alpha") && kind != 8) img = InFormat(*img, kind);
    WritePng(img->desc, a.Pos(1, "output PNG file"));
    return 0;
}

const CommandRegistrar bmp_cmd({"bmp", "decode a BMP file into any format and write it as PNG",
                                "surftool bmp IN.bmp OUT.png [--format 8|565|555|1555|4444|24|32] [--alpha]\n"
                                "  8-bit (plain or RLE8) and 24-bit files; format 8 takes 8-bit files only.\n"
                                "  --alpha reads the pixel values as an 8-bit alpha plane (LoadBMPAlpha),\n"
                                "  shown as grey, then brought to --format.",
                                RunBmp, 2});

int RunDrawBitmap(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    std::unique_ptr<Image> dst = ReadAny(a.Pos(0, "destination image (PNG or BMP)"), kind);
    std::unique_ptr<Image> src = ReadAny(a.Pos(1, "source image (PNG or BMP)"), kind);
    const std::string out = a.Pos(2, "output PNG file");
    const CPunto at = a.Point("at"), from = a.Point("from");
    // The source is read from --from on without clipping.
    if (from.x < 0 || from.y < 0 || from.x >= src->desc.width || from.y >= src->desc.height)
        throw Failure("--from lies outside the source image");
    if (a.Has("key")) src->desc.transColor = KeyFor(kind, a.Colour("key", 0));
    const CRectangulo r(at.x, at.y, at.x + src->desc.width - from.x, at.y + src->desc.height - from.y);
    if (!DrawBitmap(dst->desc, r, src->desc, from)) throw Failure("DrawBitmap does not support this format");
    WritePng(dst->desc, out);
    return 0;
}

const CommandRegistrar draw_cmd({"drawbitmap", "draw one image onto another with DrawBitmap, key colour honoured",
                                 "surftool drawbitmap DST SRC OUT.png [--format 8|565|555|1555|4444|24|32]\n"
                                 "                    [--at X,Y] [--from X,Y] [--key 0xRRGGBB]\n"
                                 "  DST and SRC are PNG or BMP files, both brought to --format first. The source,\n"
                                 "  from its point --from on, lands at --at; with --key its pixels of that colour\n"
                                 "  (in 8 bits: index 0) leave the destination as it was.",
                                 RunDrawBitmap, 3});

// Gallery: a keyed sprite over the test card, and a BMP written in memory
// (RLE8 and 24-bit) decoded into each format.
bool MakeSprite(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, 256, 160);
    Image sprite(kind, 96, 96);
    const unsigned long magenta = kind == 8 ? 0 : 0xFF00FF;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            const int dx = x - 48, dy = y - 48;
            const bool in = dx * dx + dy * dy < 44 * 44 && !(dx * dx + dy * dy < 20 * 20);
            unsigned long c = magenta;
            if (in) c = kind == 8 ? 5 + 42 * ((x / 16) % 6) : (((x * 255 / 95) << 16) | 0x2000 | (y * 255 / 95));
            SetPixel(sprite.desc, x, y, c);
        }
    sprite.desc.transColor = KeyFor(kind, 0xFF00FF);
    DrawBitmap(out->desc, CRectangulo(-20, 40, 76, 136), sprite.desc, CPunto());
    DrawBitmap(out->desc, CRectangulo(120, 20, 216, 116), sprite.desc, CPunto());
    return true;
}
const GalleryRegistrar sprite_entry({"DrawBitmap (keyed sprite)", "blit", MakeSprite});

void Put32(std::vector<unsigned char> &b, size_t at, uint32_t v) { memcpy(&b[at], &v, 4); }

std::vector<unsigned char> BmpHeader(int w, int h, int bpp, int compression, size_t palBytes) {
    std::vector<unsigned char> b(54 + palBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, uint32_t(b.size()));
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(w));
    Put32(b, 22, uint32_t(h));
    b[26] = 1;
    b[28] = uint8_t(bpp);
    Put32(b, 30, uint32_t(compression));
    return b;
}

// The test card as an RLE8 file over the model palette, one run per
// stretch of equal indices, rows bottom-up.
std::vector<unsigned char> CardRle8(int w, int h) {
    Image card(8, w, h);
    DrawTestCard(card);
    std::vector<unsigned char> b = BmpHeader(w, h, 8, 1, 1024);
    for (int i = 0; i < 256; ++i) {
        b[54 + 4 * i] = lu_gPaleta[i].b;
        b[55 + 4 * i] = lu_gPaleta[i].g;
        b[56 + 4 * i] = lu_gPaleta[i].r;
    }
    for (int y = h - 1; y >= 0; --y) {
        const uint8_t *row = card.Row(y);
        for (int x = 0; x < w;) {
            int n = 1;
            while (x + n < w && n < 255 && row[x + n] == row[x]) ++n;
            b.push_back(uint8_t(n));
            b.push_back(row[x]);
            x += n;
        }
        b.push_back(0);
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(1);
    return b;
}

std::vector<unsigned char> Card24(int w, int h) {
    Image card(24, w, h);
    DrawTestCard(card);
    std::vector<unsigned char> b = BmpHeader(w, -h, 24, 0, 0);  // top-down
    const int stride = (w * 3 + 3) & ~3;
    for (int y = 0; y < h; ++y) {
        b.insert(b.end(), card.Row(y), card.Row(y) + w * 3);
        b.insert(b.end(), size_t(stride - w * 3), 0);
    }
    return b;
}

bool MakeRle8(int kind, std::unique_ptr<Image> &out) {
    std::vector<unsigned char> f = CardRle8(256, 160);
    out = DecodeBmp(f, kind, "RLE8 card");
    return true;
}
const GalleryRegistrar rle_entry({"LoadBMP (RLE8 file)", "decode", MakeRle8});

bool Make24(int kind, std::unique_ptr<Image> &out) {
    if (kind == 8) return false;
    std::vector<unsigned char> f = Card24(256, 160);
    out = DecodeBmp(f, kind, "24-bit card");
    return true;
}
// An alpha plane: a radial ramp stored as RLE8 over a palette that the
// alpha loader ignores.
bool MakeAlphaPlane(int kind, std::unique_ptr<Image> &out) {
    const int w = 256, h = 160;
    std::vector<unsigned char> b = BmpHeader(w, h, 8, 1, 1024);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; x += 4) {
            const int dx = x - w / 2, dy = y - h / 2;
            const int d = dx * dx + dy * dy;
            b.push_back(4);
            b.push_back(uint8_t(d >= 6400 ? 0 : 255 - d * 255 / 6400));
        }
        b.push_back(0);
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(1);
    std::unique_ptr<Image> plane = DecodeBmpAlpha(b, "alpha plane");
    out = kind == 8 ? std::move(plane) : InFormat(*plane, kind);
    return true;
}
const GalleryRegistrar alpha_entry({"LoadBMPAlpha (values as alpha)", "decode", MakeAlphaPlane});

const GalleryRegistrar bmp24_entry({"LoadBMP (24-bit top-down file)", "decode", Make24});

}  // namespace
}  // namespace surftool
