// The layer between the JPEG kernels and libjpeg: memory source, error
// manager, comment skipper, options and the decode loop. Pixels reach the
// caller's memory through the row sink (jpeg.cpp), which owns the colour
// conversion into the pixel kinds.
#ifndef KORVANTE_JPEG_CODEC_H
#define KORVANTE_JPEG_CODEC_H

#include <stddef.h>
#include <stdint.h>

#include "utils.h"

namespace kv {

// Where the rows go; bounds come from the surface.
struct JpegTarget {
    uint8_t *bits;
    int width, height;  // the surface's
    int pitch;          // scanWidth
    int kind;           // 8 for indices, else the pixel kind
};

// One decoded scanline: blue, green, red triples (true colour) or colour
// indices (quantised), `width` pixels.
class JpegRowSink {
public:
    virtual ~JpegRowSink() {}
    virtual void Start(const JpegTarget &t, int outWidth, int outHeight, int components) = 0;
    virtual void Row(const uint8_t *scan) = 0;
    virtual void Finish() = 0;
};

// 0 on success; 5 when libjpeg failed or warned (premature end, say).
// rec.flag: the palette words are the quantiser's colour map; rec.flag2:
// true colour, no quantisation.
int JpegDecode(const unsigned char *data, long length, RAW &rec, const JpegTarget &target, JpegRowSink &sink);

}  // namespace kv

#endif
