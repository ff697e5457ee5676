// Surfaces for the harnesses: a kind from the input's first byte, the size
// the file asks for when it is modest, else a small one (the decoders must
// then keep to the surface on their own).
#ifndef KORVANTE_FUZZ_UTIL_H
#define KORVANTE_FUZZ_UTIL_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "utils.h"

namespace kvfuzz {

struct Surface {
    TSurfDesc desc{};
    TRGBA palette[256];
    std::vector<uint8_t> mem;

    // selector: bits 0-2 the kind, bits 3-4 the row padding. Sizes above
    // maxPixels fall back to the small default: per-pixel work is what
    // slows a harness down, and the fixtures are all smaller.
    Surface(uint8_t selector, int w, int h, long long maxPixels = 1 << 16) {
        static const unsigned kBpp[7] = {8, 16, 16, 16, 16, 24, 32};
        static const unsigned kRMask[7] = {0, 0xF800, 0x7C00, 0x7C00, 0x0F00, 0, 0};
        static const unsigned kAMask[7] = {0, 0, 0, 0x8000, 0xF000, 0, 0};
        const int k = selector % 7;
        if (w <= 0 || h <= 0 || (long long)w * h > maxPixels) w = 37, h = 23;
        desc.width = w;
        desc.height = h;
        desc.bpp = kBpp[k];
        desc.rMask = kRMask[k];
        desc.aMask = kAMask[k];
        desc.transColor = 0xFFFFFFFFu;
        desc.scanWidth = w * int(desc.bpp / 8) + ((selector >> 3) & 3);
        mem.assign(size_t(desc.scanWidth) * h, 0x5A);
        desc.bits = mem.data();
        desc.palette = palette;
    }
};

// A GIF stream through its length-aware open and the frame loop (at most 64
// frames), on a surface the size the stream reports; the selector byte is
// masked by kindMask.
// The typed pointers pick the length-aware overload of open by themselves.
using GifOpen = bool (*)(TSurfDesc &, unsigned char *, long, CKVGIF &, RAW &);
using GifFrame = bool (*)(TSurfDesc &, unsigned char *, CKVGIF &, RAW &);
inline void GifCase(const uint8_t *data, size_t size, uint8_t kindMask, GifOpen open, GifFrame next, GifFrame load,
                    GifFrame end) {
    if (size < 1) return;
    const uint8_t selector = uint8_t(data[0] & kindMask);
    std::vector<uint8_t> file(data + 1, data + size);
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    if (!open(info, file.data(), long(file.size()), gif, raw)) return;
    Surface s(selector, info.width, info.height, 1 << 14);
    for (int f = 0; f < 64 && next(s.desc, file.data(), gif, raw); ++f) load(s.desc, file.data(), gif, raw);
    end(s.desc, file.data(), gif, raw);
}

// A bitmap through a length-aware info and load pair, on a surface the size
// the file reports or (selector bit 5) one off by (dw, dh) from it.
template <class Info, class Load>
void BitmapCase(const uint8_t *data, size_t size, uint8_t kindMask, int dw, int dh, Info info, Load load) {
    if (size < 1) return;
    const uint8_t selector = data[0];
    std::vector<uint8_t> file(data + 1, data + size);
    TSurfDesc d{};
    int w = 0, h = 0;
    if (info(d, file.data(), long(file.size()))) {
        w = d.width;
        h = d.height;
    }
    if (selector & 0x20) {
        // The file may report sizes near INT_MAX; the surface then falls
        // back to its small default.
        w = (long long)w + dw > 0x7FFFFFFF ? -1 : w + dw;
        h = (long long)h + dh > 0x7FFFFFFF ? -1 : h + dh;
    }
    Surface s(uint8_t(selector & kindMask), w, h);
    load(s.desc, file.data(), long(file.size()));
}

}  // namespace kvfuzz

#endif
