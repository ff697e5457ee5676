// The layer between the JPEG kernels and libjpeg: memory source, error
// manager, comment skipper, options and the scanline loop. Each kernel
// (jpeg.cpp) pulls the decoded rows and writes them in its own format.
#ifndef KORVANTE_JPEG_CODEC_H
#define KORVANTE_JPEG_CODEC_H

#include <stddef.h>
#include <stdint.h>

#include "utils.h"

namespace kv {

// One image decoded scanline by scanline: blue, green, red triples (four
// bytes a pixel, the fourth unused, with fourBytes) in true colour, or
// indices quantised to colourMap's entries when it is given. Grey files are
// expanded to the same triples.
class JpegDecoder {
  public:
    JpegDecoder(const unsigned char *data, long length, bool fourBytes, const TRGBA *colourMap);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    // Reads the header and starts decompressing; false when the codec failed.
    bool Start();
    int Width() const;       // output pixels a row
    int Components() const;  // bytes an output pixel
    // The next scanline, or null after the last one or once the codec failed.
    const uint8_t *NextRow();
    // 0 on success; 5 when the codec failed or warned (premature end, say).
    int Finish();

  private:
    struct State;
    State *st_;
};

}  // namespace kv

#endif
