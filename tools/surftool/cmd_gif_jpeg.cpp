// Commands of the GIF and JPEG decoders: every frame of a GIF to numbered
// PNGs (colour or alpha plane), a JPEG to PNG, in any format; and their
// gallery entries, decoded from the fixtures in the source tree.
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw Failure("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Decodes every frame; `each` gets the surface after each one.
template <class F>
int DecodeGifFrames(std::vector<uint8_t> &file, int kind, bool alpha, F each) {
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    const bool open = alpha ? LoadInfoGIFAlpha(info, file.data(), long(file.size()), gif, raw)
                            : LoadInfoGIF(info, file.data(), long(file.size()), gif, raw);
    if (!open) throw Failure("not a GIF stream");
    if (info.width <= 0 || info.height <= 0 || info.width > 16384 || info.height > 16384)
        throw Failure("unusable screen size");
    Image img(alpha ? 8 : kind, info.width, info.height);
    if (alpha) GreyPalette(img);
    int frames = 0;
    while (LoadGIFNext(img.desc, file.data(), gif, raw)) {
        const bool ok =
            alpha ? LoadGIFAlpha(img.desc, file.data(), gif, raw) : LoadGIF(img.desc, file.data(), gif, raw);
        if (!ok) break;
        each(frames++, img);
    }
    LoadGIFEnd(img.desc, file.data(), gif, raw);
    return frames;
}

int RunGif(const Args &a) {
    std::vector<uint8_t> file = ReadAll(a.Pos(0, "input GIF file"));
    const std::string prefix = a.Pos(1, "output prefix");
    const int kind = ParseFormat(a.Get("format", "32"));
    const int n = DecodeGifFrames(file, kind, a.Has("alpha"), [&](int f, Image &img) {
        char num[16];
        snprintf(num, sizeof num, "_%03d.png", f);
        WritePng(img.desc, prefix + num);
    });
    if (n == 0) throw Failure("no frame could be decoded: damaged or empty GIF");
    printf("%d frame%s\n", n, n == 1 ? "" : "s");
    return 0;
}

const CommandRegistrar gif_cmd({"gif", "decode every frame of a GIF (or its alpha planes) to numbered PNGs",
                                "surftool gif [--format 8|565|555|1555|4444|24|32] [--alpha] IN.gif PREFIX\n"
                                "  writes PREFIX_000.png, PREFIX_001.png, ...; --alpha reads the frames as\n"
                                "  8-bit alpha planes (raw indices, shown as grey)",
                                RunGif, 2});

std::unique_ptr<Image> DecodeJpeg(std::vector<uint8_t> &file, int kind, bool strict = false) {
    TSurfDesc info{};
    if (!LoadInfoJPG(info, file.data(), long(file.size()))) throw Failure("no JPEG frame header");
    if (info.width <= 0 || info.height <= 0 || info.width > 16384 || info.height > 16384)
        throw Failure("unusable image size");
    // Pitch rounded up to 4, which is also how the 8-bit path lays its rows.
    std::unique_ptr<Image> img(new Image(kind, info.width, info.height));
    if (!LoadJPG(img->desc, file.data(), long(file.size()))) {
        if (strict) throw Failure("the codec stopped on an error: damaged or unsupported JPEG");
        fprintf(stderr, "warning: the codec reported an error\n");
    }
    return img;
}

int RunJpeg(const Args &a) {
    std::vector<uint8_t> file = ReadAll(a.Pos(0, "input JPEG file"));
    std::unique_ptr<Image> img = DecodeJpeg(file, ParseFormat(a.Get("format", "32")), true);
    WritePng(img->desc, a.Pos(1, "output PNG file"));
    return 0;
}

const CommandRegistrar jpeg_cmd({"jpeg", "decode a JPEG into any format and write it as PNG",
                                 "surftool jpeg [--format 8|565|555|1555|4444|24|32] IN.jpg OUT.png", RunJpeg, 2});

std::string Fixture(const char *rel) { return std::string(SURFTOOL_DATA) + "/" + rel; }

bool GifEntry(const char *rel, int frame, int kind, bool alpha, std::unique_ptr<Image> &out) {
    std::vector<uint8_t> file = ReadAll(Fixture(rel));
    DecodeGifFrames(file, kind, alpha, [&](int f, Image &img) {
        if (f != frame) return;
        out.reset(new Image(img.kind, img.desc.width, img.desc.height));
        memcpy(out->desc.bits, img.desc.bits, size_t(img.desc.scanWidth) * img.desc.height);
        memcpy(out->palette, img.palette, sizeof img.palette);
    });
    return out != nullptr;
}

bool GifStill(int kind, std::unique_ptr<Image> &out) { return GifEntry("gif/still.gif", 0, kind, false, out); }
bool GifInterlaced(int kind, std::unique_ptr<Image> &out) {
    return GifEntry("gif/interlaced.gif", 0, kind, false, out);
}
bool GifAnimFrame(int kind, std::unique_ptr<Image> &out) { return GifEntry("gif/anim_local.gif", 2, kind, false, out); }
bool GifAlpha(int kind, std::unique_ptr<Image> &out) { return kind == 8 && GifEntry("gif/still.gif", 0, 8, true, out); }
bool Jpeg420(int kind, std::unique_ptr<Image> &out) {
    std::vector<uint8_t> file = ReadAll(Fixture("jpeg/base420.jpg"));
    out = DecodeJpeg(file, kind);
    return true;
}
bool JpegGrey(int kind, std::unique_ptr<Image> &out) {
    std::vector<uint8_t> file = ReadAll(Fixture("jpeg/grey.jpg"));
    out = DecodeJpeg(file, kind);
    return true;
}

const GalleryRegistrar gif_still({"LoadGIF (still)", "decode", GifStill});
const GalleryRegistrar gif_il({"LoadGIF (interlaced)", "decode", GifInterlaced});
const GalleryRegistrar gif_anim({"LoadGIF (animation, frame 3, local colours)", "decode", GifAnimFrame});
const GalleryRegistrar gif_alpha({"LoadGIFAlpha (indices as alpha)", "decode", GifAlpha});
const GalleryRegistrar jpeg_420({"LoadJPG (4:2:0)", "decode", Jpeg420});
const GalleryRegistrar jpeg_grey({"LoadJPG (greyscale)", "decode", JpegGrey});

}  // namespace
}  // namespace surftool
