#include "convert/nearest.h"
#include "surface/surface.h"

using namespace kv;

void CreateTruncPal(TRGBA (&pal)[256]) {
    for (int i = 0; i < 256; ++i) {
        pal[i].r = static_cast<unsigned char>(i & 0xE0);
        pal[i].g = static_cast<unsigned char>((i << 3) & 0xE0);
        pal[i].b = static_cast<unsigned char>((i << 6) & 0xC0);
    }
}

void CreateGreyPal(TRGBA (&pal)[256]) {
    for (int i = 0; i < 256; ++i) pal[i].r = pal[i].g = pal[i].b = static_cast<unsigned char>(i);
}

namespace {

// An 8-bit source without a palette reads as grey in conversions; a
// destination without one is the global palette blits show it through.
void SourceColours(const TSurfDesc &s, TRGBA (&out)[256]) {
    if (s.palette) {
        for (int i = 0; i < 256; ++i) out[i] = s.palette[i];
    } else {
        for (int i = 0; i < 256; ++i) out[i] = TRGBA{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
}

}  // namespace

bool Convert8_8(TSurfDesc &dst, TSurfDesc &src) {
    TRGBA from[256];
    SourceColours(src, from);
    const TRGBA *to = BlitPalette(dst);
    uint8_t map[256];
    for (int i = 0; i < 256; ++i) map[i] = NearestPaletteIndex(to, from[i].r, from[i].g, from[i].b);
    // Never past either surface, whatever the caller passed.
    const int w = src.width < dst.width ? src.width : dst.width;
    const int h = src.height < dst.height ? src.height : dst.height;
    for (int y = 0; y < h; ++y) {
        const uint8_t *sp = Row(src, y);
        uint8_t *dp = Row(dst, y);
        for (int x = 0; x < w; ++x) dp[x] = map[sp[x]];
    }
    dst.transColor = src.transColor;
    return true;
}
