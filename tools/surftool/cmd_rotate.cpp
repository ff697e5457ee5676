// Quarter and half turns with an optional mirror: command and gallery.
#include <string.h>

#include "tool.h"

namespace surftool {
namespace {

std::unique_ptr<Image> Turned(Image &in, int turn) {
    const bool quarter = (turn & 1) != 0;
    std::unique_ptr<Image> out(new Image(in.kind, quarter ? in.desc.height : in.desc.width,
                                         quarter ? in.desc.width : in.desc.height));
    memcpy(out->palette, in.palette, sizeof in.palette);
    if (!CreateRotated(out->desc, in.desc, turn)) throw Failure("CreateRotated refused the format");
    return out;
}

int RunRotate(const Args &a) {
    const int kind = ParseFormat(a.Get("format", "32"));
    const int turn = a.Int("turn", 1, 0, 7);
    std::unique_ptr<Image> in;
    if (a.Has("in")) {
        std::unique_ptr<Image> png = ReadPng(a.Get("in"));
        in.reset(new Image(kind, png->desc.width, png->desc.height));
        for (int y = 0; y < png->desc.height; ++y)
            for (int x = 0; x < png->desc.width; ++x) {
                const uint32_t c = ReadRGB(png->desc, x, y);
                if (kind != 8) {
                    SetPixel(in->desc, x, y, c);
                    continue;
                }
                // The model palette's colour cube.
                const uint32_t r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
                SetPixel(in->desc, x, y, (r * 5 + 127) / 255 * 42 + (g * 6 + 127) / 255 * 6 + (b * 5 + 127) / 255);
            }
    } else {
        in.reset(new Image(kind, 160, 100));
        DrawTestCard(*in);
    }
    std::unique_ptr<Image> out = Turned(*in, turn);
    WritePng(out->desc, a.Pos(0, "output PNG file"));
    return 0;
}

const CommandRegistrar rotate_cmd(
    {"rotate", "turn an image by quarter turns, optionally mirrored (CreateRotated)",
     "surftool rotate [--in IN.png] [--format 8|565|555|1555|4444|24|32] [--turn 0-7] OUT.png\n"
     "  --turn  0 copy, 1 quarter turn anticlockwise (default), 2 half turn,\n"
     "          3 quarter turn clockwise; 4 to 7 the same, mirrored left to right\n"
     "Without --in a test card is turned.",
     RunRotate});

template <int Turn>
bool MakeRotated(int kind, std::unique_ptr<Image> &out) {
    Image card(kind, 160, 100);
    DrawTestCard(card);
    out = Turned(card, Turn);
    return true;
}
const GalleryRegistrar g_rot1({"CreateRotated (quarter turn anticlockwise)", "blit", MakeRotated<1>});
const GalleryRegistrar g_rot7({"CreateRotated (quarter turn clockwise, mirrored)", "blit", MakeRotated<7>});

}  // namespace
}  // namespace surftool
