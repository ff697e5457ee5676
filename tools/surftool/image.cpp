#include <png.h>
#include <stdio.h>
#include <string.h>

#include "surface/surface.h"
#include "tools/surftool/tool.h"

namespace surftool {

namespace {
struct FormatInfo {
    const char *name;
    int kind;
};
const FormatInfo kFormats[] = {{"8", 8}, {"565", 16}, {"555", 17}, {"1555", 18}, {"4444", 19}, {"24", 24}, {"32", 32}};
const FormatInfo &Info(int kind) {
    for (const FormatInfo &f : kFormats)
        if (f.kind == kind) return f;
    throw Failure("unknown pixel kind " + std::to_string(kind));
}
}  // namespace

int ParseFormat(const std::string &name) {
    for (const FormatInfo &f : kFormats)
        if (name == f.name) return f.kind;
    throw Failure("unknown format '" + name + "' (use 8, 565, 555, 1555, 4444, 24 or 32)");
}

const char *FormatName(int kind) { return Info(kind).name; }

const std::vector<int> &AllFormats() {
    static const std::vector<int> all = {8, 16, 17, 18, 19, 24, 32};
    return all;
}

void ParseSize(const std::string &s, int &w, int &h) {
    if (sscanf(s.c_str(), "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0 || w > 16384 || h > 16384)
        throw Failure("bad size '" + s + "' (want WxH, each 1 to 16384)");
}

Image::Image(int k, int width, int height) : kind(k) {
    Info(k);  // refuses an unknown kind
    memset(&desc, 0, sizeof desc);
    desc.width = width;
    desc.height = height;
    kv::DescribeKind(desc, k);
    desc.transColor = 0xFFFFFFFFu;
    desc.scanWidth = (width * int(desc.bpp / 8) + 3) & ~3;
    mem_.assign(static_cast<size_t>(desc.scanWidth) * height, 0);
    desc.bits = mem_.data();
    memcpy(palette, lu_gPaleta, sizeof palette);
    desc.palette = desc.bpp == 8 ? palette : nullptr;
}

uint32_t ReadRGB(const TSurfDesc &s, int x, int y) {
    TSurfDesc &m = const_cast<TSurfDesc &>(s);
    const unsigned long v = GetPixel(m, x, y);
    if (s.bpp == 8) {
        const TRGBA &e = (s.palette ? s.palette : lu_gPaleta)[v & 0xFF];
        return (uint32_t(e.r) << 16) | (uint32_t(e.g) << 8) | e.b;
    }
    return uint32_t(v) & 0xFFFFFF;
}

void GreyPalette(Image &img) {
    for (int i = 0; i < 256; ++i) img.palette[i] = TRGBA{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    img.desc.palette = img.palette;
}

void WritePng(const TSurfDesc &s, const std::string &path) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) throw Failure("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        throw Failure("libpng failed writing " + path);
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, s.width, s.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(s.width) * 3);
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const uint32_t c = ReadRGB(s, x, y);
            row[x * 3] = png_byte(c >> 16);
            row[x * 3 + 1] = png_byte(c >> 8);
            row[x * 3 + 2] = png_byte(c);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (fclose(f) != 0) throw Failure("cannot write " + path);
}

std::unique_ptr<Image> ReadPng(const std::string &path) {
    png_image pi;
    memset(&pi, 0, sizeof pi);
    pi.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&pi, path.c_str())) throw Failure("cannot read PNG " + path);
    pi.format = PNG_FORMAT_BGRA;
    if (pi.width > 16384 || pi.height > 16384) {
        png_image_free(&pi);
        throw Failure(path + " is too large");
    }
    std::unique_ptr<Image> img(new Image(32, int(pi.width), int(pi.height)));
    if (!png_image_finish_read(&pi, nullptr, img->desc.bits, img->desc.scanWidth, nullptr)) {
        png_image_free(&pi);
        throw Failure("cannot decode PNG " + path);
    }
    return img;
}

std::unique_ptr<Image> TestCard(int kind, int w, int h) {
    std::unique_ptr<Image> img(new Image(kind, w, h));
    DrawTestCard(*img);
    return img;
}

void DrawTestCard(Image &img) {
    const int w = img.desc.width, h = img.desc.height;
    static const uint32_t bars[] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
    // In 8 bits, colours are indices: pick the cube entries of the bars.
    static const uint32_t barIdx[] = {251, 246, 41, 36, 215, 210, 5, 0};
    const bool pal = img.desc.bpp == 8;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t c;
            if (y < h / 2) {
                const int b = x * 8 / w;
                c = pal ? barIdx[b] : bars[b];
            } else if (y < h * 3 / 4) {
                const uint32_t v = uint32_t(x * 255 / (w > 1 ? w - 1 : 1));
                c = pal ? (v * 5 / 255) * 42 + (v * 6 / 255) * 6 + v * 5 / 255 : (v << 16) | (v << 8) | v;  // grey ramp
            } else {
                const uint32_t r = uint32_t(x * 255 / (w > 1 ? w - 1 : 1));
                const uint32_t b = uint32_t((y - h * 3 / 4) * 255 / (h / 4 > 1 ? h / 4 - 1 : 1));
                c = pal ? (r * 5 / 255) * 42 + 6 + (b * 5 / 255) : (r << 16) | (0x40 << 8) | b;
            }
            const int dx = x - w / 2, dy = y - h / 2, rad = (h < w ? h : w) / 3;
            const int d2 = dx * dx + dy * dy;
            if (d2 <= rad * rad && d2 >= (rad - 2) * (rad - 2)) c = pal ? 251 : 0xFFFFFF;
            if (x % 32 == 0 || y % 32 == 0) c = pal ? 129 : 0x808080;
            SetPixel(img.desc, x, y, c);
        }
    }
}

}  // namespace surftool
