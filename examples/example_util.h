// Helpers the examples share: read a file whole, own a surface's pixels,
// write any surface as an RGB PNG (through a 32-bit copy made by Convert).
#ifndef UTILS_EXAMPLE_UTIL_H
#define UTILS_EXAMPLE_UTIL_H

#include <png.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "utils.h"

namespace example {

inline std::vector<unsigned char> ReadFile(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// For programs run as NAME IN OUT: the input file's bytes. Any other number
// of arguments prints the usage line and exits with 2.
inline std::vector<unsigned char> ReadInput(int argc, char **argv, const char *args) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s %s\n", argv[0], args);
        exit(2);
    }
    return ReadFile(argv[1]);
}

// A surface and the memory behind it. Rows are padded to 4 bytes, as
// Windows DIBs are.
struct Surface {
    TSurfDesc desc{};
    std::vector<unsigned char> pixels;
    std::vector<TRGBA> palette;

    Surface(int w, int h, unsigned bpp, unsigned r = 0, unsigned g = 0, unsigned b = 0, unsigned a = 0) {
        desc.width = w;
        desc.height = h;
        desc.bpp = bpp;
        desc.rMask = r;
        desc.gMask = g;
        desc.bMask = b;
        desc.aMask = a;
        desc.transColor = 0xFFFFFFFFu;
        desc.scanWidth = (w * int(bpp / 8) + 3) & ~3;
        pixels.assign(size_t(desc.scanWidth) * size_t(h), 0);
        desc.bits = pixels.data();
        if (bpp == 8) {
            palette.assign(256, TRGBA{0, 0, 0, 0});
            desc.palette = palette.data();
        }
    }
    Surface(const Surface &) = delete;
    Surface &operator=(const Surface &) = delete;
};

inline Surface *NewRGB565(int w, int h) { return new Surface(w, h, 16, 0xF800, 0x07E0, 0x001F); }

// Any format to PNG: the library converts to 32 bits, libpng writes RGB.
inline bool WritePng(TSurfDesc &s, const std::string &path) {
    Surface rgb(s.width, s.height, 32);
    Convert(rgb.desc, s, 0);
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, s.width, s.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(s.width) * 3);
    for (int y = 0; y < s.height; ++y) {
        const unsigned char *p = rgb.desc.bits + size_t(y) * size_t(rgb.desc.scanWidth);
        for (int x = 0; x < s.width; ++x) {  // BGRA in memory
            row[x * 3] = p[x * 4 + 2];
            row[x * 3 + 1] = p[x * 4 + 1];
            row[x * 3 + 2] = p[x * 4];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

}  // namespace example

#endif
