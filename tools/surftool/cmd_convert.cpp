// Conversion commands: any image (a PNG or the test card) into any format,
// into 8 bits by each method, onto a chosen palette; and their gallery.
#include <string.h>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

// Fills an 8-bit image's palette by name.
void SetPalette(Image &img, const std::string &name) {
    TRGBA(&p)[256] = img.palette;
    memset(p, 0, sizeof p);
    if (name == "model")
        CreateModelPal(p);
    else if (name == "grey")
        CreateGreyPal(p);
    else if (name == "trunc")
        CreateTruncPal(p);
    else
        throw Failure("unknown palette '" + name + "' (model, grey or trunc)");
}

// The palette an 8-bit result is meant to be read with, by method.
const char *PaletteForMode(int mode) { return mode == 3 ? "trunc" : "model"; }

std::unique_ptr<Image> ConvertTo(Image &src, int kind, int mode, const std::string &palette) {
    std::unique_ptr<Image> out(new Image(kind, src.desc.width, src.desc.height));
    if (kind == 8) SetPalette(*out, palette.empty() ? PaletteForMode(mode) : palette);
    Convert(out->desc, src.desc, static_cast<unsigned long>(mode));
    return out;
}

int RunConvert(const Args &a) {
    std::unique_ptr<Image> img;
    const std::string in = a.Pos(0, "input PNG file (or card)");
    if (in == "card") {
        int w = 320, h = 200;
        if (a.Has("size")) ParseSize(a.Get("size"), w, h);
        img = TestCard(32, w, h);
    } else {
        img = ReadPng(in);
    }
    const std::string out = a.Pos(1, "output PNG file");
    const int mode = a.Int("mode", 2);
    if (mode < 1 || mode > 4) throw Failure("--mode must be 1 (key only), 2 (nearest), 3 (truncated) or 4 (model)");
    if (a.Has("key")) img->desc.transColor = uint32_t(a.Colour("key", 0));
    // An intermediate format first, to see one conversion after another.
    if (a.Has("from")) img = ConvertTo(*img, ParseFormat(a.Get("from")), mode, a.Get("palette"));
    std::unique_ptr<Image> res = ConvertTo(*img, ParseFormat(a.Get("format", "565")), mode, a.Get("palette"));
    WritePng(res->desc, out);
    printf("%s: %dx%d, format %s, key 0x%08x\n", out.c_str(), res->desc.width, res->desc.height, FormatName(res->kind),
           res->desc.transColor);
    return 0;
}

const CommandRegistrar convert_cmd(
    {"convert", "convert an image (PNG or test card) to any format and write it as PNG",
     "surftool convert IN.png OUT.png [--format 8|565|555|1555|4444|24|32] [--from FORMAT]\n"
     "                [--mode 1|2|3|4] [--palette model|grey|trunc] [--key 0xRRGGBB]\n"
     "surftool convert card OUT.png [--size WxH] [options as above]   (the test card as input)\n"
     "  --from     convert to this format first, then to --format\n"
     "  --mode     for 8-bit results: 1 key only, 2 nearest palette entry (default),\n"
     "             3 truncated 3-3-2 index, 4 model-palette index\n"
     "  --palette  palette of an 8-bit result (default: trunc for mode 3, else model)\n"
     "  --key      transparent colour of the input, 0xRRGGBB; it travels with the image",
     RunConvert, 2});

int RunPalette(const Args &a) {
    Image img(8, 256, 256);
    SetPalette(img, a.Get("palette", "model"));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) img.Row(y)[x] = uint8_t((y / 16) * 16 + x / 16);
    WritePng(img.desc, a.Pos(0, "output PNG file"));
    return 0;
}

const CommandRegistrar palette_cmd({"palette", "draw a palette (model, grey or trunc) as 16 x 16 swatches",
                                    "surftool palette [--palette model|grey|trunc] OUT.png", RunPalette, 1});

// ---- gallery ----

bool FromCard32(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> card = TestCard(32, 256, 160);
    out = ConvertTo(*card, kind, 2, "");
    return true;
}
const GalleryRegistrar from32({"Convert (32-bit card to format)", "convert", FromCard32});

bool To32(int kind, std::unique_ptr<Image> &out) {
    std::unique_ptr<Image> card = TestCard(kind, 256, 160);
    out = ConvertTo(*card, 32, 2, "");
    return true;
}
const GalleryRegistrar to32({"Convert (card in format to 32-bit)", "convert", To32});

// The column is the source's format; 8-bit sources have their own row.
template <int Mode>
bool To8(int kind, std::unique_ptr<Image> &out) {
    if (kind == 8) return false;
    std::unique_ptr<Image> card = TestCard(kind, 256, 160);
    out = ConvertTo(*card, 8, Mode, "");
    return true;
}
const GalleryRegistrar to8n({"Convert to 8 bits, nearest (model palette)", "convert", To8<2>});
const GalleryRegistrar to8t({"Convert to 8 bits, truncated 3-3-2", "convert", To8<3>});
const GalleryRegistrar to8m({"Convert to 8 bits, model index", "convert", To8<4>});

bool Grey8(int kind, std::unique_ptr<Image> &out) {
    if (kind != 8) return false;
    std::unique_ptr<Image> card = TestCard(8, 256, 160);
    out.reset(new Image(8, card->desc.width, card->desc.height));
    SetPalette(*out, "grey");
    Convert8_8(out->desc, card->desc);
    return true;
}
const GalleryRegistrar grey8({"Convert8_8 onto the grey palette", "convert", Grey8});

}  // namespace
}  // namespace surftool
