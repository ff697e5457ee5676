// GIF frames into any pixel kind: the stream reader packs the frame's
// indices at the start of the surface's memory, then each kernel turns them
// into pixels in place, from the last pixel backwards so that a wider pixel
// never lands on an index not yet read.
#include <stddef.h>

#include "decode/gif_decoder.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

#if defined(_WIN32) && !defined(_WIN64)
// Callers allocate both records: their layout is part of the interface.
static_assert(sizeof(CKVGIF) == 7 * 4, "CKVGIF is seven 32-bit words");
static_assert(sizeof(RAW) == 261 * 4, "RAW is 261 32-bit words");
static_assert(offsetof(RAW, palette) == 16 && offsetof(RAW, bits) == 260 * 4, "RAW word layout");
#endif

namespace {

// GIF colours carry no alpha: the 4444 nibble and the 1555 bit are 0.
template <class F>
uint32_t PackEntry(const unsigned char *e) {
    return F::Pack(RGB8{e[0], e[1], e[2]});
}

// How much of the frame reached the surface's memory.
enum Decoded { kNothing, kPart, kWhole };

Decoded DecodeInto(TSurfDesc &s, CKVGIF &gif, RAW &raw, int bytesPerPixel) {
    raw.bits = s.bits;
    if (!s.bits) return kNothing;
    if (!gif.stream) return kNothing;
    const size_t cap = SurfaceBytes(s, bytesPerPixel);
    if (cap == 0) return kNothing;
    const int r = GifDecodeFrame(gif, raw, s.bits, cap);
    // A frame cut off by the stream's end: what was decoded is converted and
    // stays written, and the call still fails.
    return r == kGifOk ? kWhole : r == kGifCut ? kPart : kNothing;
}

// The frame's indices become colours of the table, from the last pixel
// backwards; `store` (destination, colour) writes one pixel.
template <class F, class Store>
bool LoadGIFColour(TSurfDesc &s, CKVGIF &gif, RAW &raw, Store store) {
    const Decoded d = DecodeInto(s, gif, raw, F::kBytes);
    if (d == kNothing) return false;
    if (!raw.flag) return d == kWhole;
    uint32_t lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = PackEntry<F>(raw.palette[i]);
    const int w = s.width;
    for (int y = s.height - 1; y >= 0; --y) {
        const uint8_t *src = s.bits + static_cast<size_t>(y) * w;
        uint8_t *dst = Row(s, y);
        for (int x = w - 1; x >= 0; --x) store(dst + x * F::kBytes, lut[src[x]]);
    }
    return d == kWhole;
}

template <class F>
struct StoreAs {
    void operator()(uint8_t *p, uint32_t c) const { F::Store(p, c); }
};

bool LoadGIF_32(TSurfDesc &s, CKVGIF &gif, RAW &raw) {
    // The fourth byte of the pixel stays as it was. The index is read
    // before the word that may hold it is written.
    return LoadGIFColour<Fmt32>(s, gif, raw, [](uint8_t *p, uint32_t c) { Store32(p, (Load32(p) & 0xFF000000u) | c); });
}
bool LoadGIF_24(TSurfDesc &s, CKVGIF &gif, RAW &raw) { return LoadGIFColour<Fmt24>(s, gif, raw, StoreAs<Fmt24>()); }
bool LoadGIF_565(TSurfDesc &s, CKVGIF &gif, RAW &raw) { return LoadGIFColour<Fmt565>(s, gif, raw, StoreAs<Fmt565>()); }
bool LoadGIF_555(TSurfDesc &s, CKVGIF &gif, RAW &raw) { return LoadGIFColour<Fmt555>(s, gif, raw, StoreAs<Fmt555>()); }
bool LoadGIF_4444(TSurfDesc &s, CKVGIF &gif, RAW &raw) {
    return LoadGIFColour<Fmt4444>(s, gif, raw, StoreAs<Fmt4444>());
}

bool LoadGIF_8Bits(TSurfDesc &s, CKVGIF &gif, RAW &raw) {
    const Decoded d = DecodeInto(s, gif, raw, 1);
    if (d == kNothing) return false;
    if (s.palette) {
        for (int i = 0; i < 256; ++i) {
            TRGBA &p = s.palette[i];
            p.b = raw.palette[i][2];
            p.g = raw.palette[i][1];
            p.r = raw.palette[i][0];
            // Only entry 0 may be pure black.
            if (i > 0 && p.b == 0 && p.g == 0 && p.r == 0) p.b = 1;
        }
    }
    SpreadRows(s.bits, s.width, s.height, s.scanWidth);
    return d == kWhole;
}

bool LoadGIFKind(TSurfDesc &s, CKVGIF &gif, RAW &raw) {
    return ByKind<LoadGIF_32, LoadGIF_24, LoadGIF_565, LoadGIF_555, LoadGIF_4444, LoadGIF_8Bits>(s, s, gif, raw);
}

bool InfoGIF(TSurfDesc &s, unsigned char *data, long length, bool unbounded, CKVGIF &gif, RAW &raw, int readColours) {
    raw.flag2 = 0;
    raw.bits = nullptr;
    raw.flag = readColours;
    const int r = GifOpen(data, length, unbounded, gif, raw);
    if (r != kGifOk) GifClose(gif);
    // Also on failure, as callers have always seen it.
    s.width = raw.width;
    s.height = raw.height;
    s.bpp = 8;
    return r == kGifOk;
}

}  // namespace

bool LoadInfoGIF(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw) {
    return InfoGIF(s, data, -1, true, gif, raw, 1);
}
bool LoadInfoGIF(TSurfDesc &s, unsigned char *data, long length, CKVGIF &gif, RAW &raw) {
    return InfoGIF(s, data, length, false, gif, raw, 1);
}
bool LoadInfoGIFAlpha(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw) {
    return InfoGIF(s, data, -1, true, gif, raw, 0);
}
bool LoadInfoGIFAlpha(TSurfDesc &s, unsigned char *data, long length, CKVGIF &gif, RAW &raw) {
    return InfoGIF(s, data, length, false, gif, raw, 0);
}

bool LoadGIFNext(TSurfDesc &, unsigned char *, CKVGIF &gif, RAW &) { return GifNext(gif); }
bool LoadGIFAlphaNext(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw) {
    return LoadGIFNext(s, data, gif, raw);
}

bool LoadGIFEnd(TSurfDesc &, unsigned char *, CKVGIF &gif, RAW &) {
    GifClose(gif);
    return true;
}
bool LoadGIFAlphaEnd(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw) { return LoadGIFEnd(s, data, gif, raw); }

// A frame call that fails closes the decoder (stream null, as LoadGIFEnd
// leaves it): the stream's position may then lie anywhere in the frame's
// data, so every later frame call answers false without reading.
bool LoadGIF(TSurfDesc &s, unsigned char *, CKVGIF &gif, RAW &raw) {
    const bool ok = LoadGIFKind(s, gif, raw);
    if (!ok) GifClose(gif);
    return ok;
}

// Alpha planes: one byte per pixel whatever the surface's kind says.
bool LoadGIFAlpha(TSurfDesc &s, unsigned char *, CKVGIF &gif, RAW &raw) {
    const Decoded d = DecodeInto(s, gif, raw, 1);
    if (d != kNothing) SpreadRows(s.bits, s.width, s.height, s.scanWidth);
    if (d != kWhole) GifClose(gif);
    return d == kWhole;
}
