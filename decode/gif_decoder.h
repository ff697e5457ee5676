// The GIF stream reader behind the colour and the alpha loaders: header,
// frame search and LZW decoding of one frame into packed 8-bit indices.
#ifndef KORVANTE_GIF_DECODER_H
#define KORVANTE_GIF_DECODER_H

#include <stddef.h>
#include <stdint.h>

#include "utils.h"

namespace kv {

enum GifResult {
    kGifOk = 0,
    kGifTrailer = 3,
    kGifBadCodeSize = 5,
    kGifNotGif = 6,
    kGifMissing = 7,
    kGifTruncated = 8,  // descriptor or colour table cut off by the stream's end
    kGifCut = 9,        // frame data cut off by the stream's end: what came before it is decoded
};

// Reads the header. unbounded: the stream is trusted to be complete (the
// old entry points have no length). The stream's end is kept with the
// record until GifClose, so any thread's later calls on it honour it.
int GifOpen(unsigned char *data, long length, bool unbounded, CKVGIF &gif, RAW &raw);

// Moves to the next image descriptor; true when one was found. A stream
// that ends without its trailer closes the decoder.
bool GifNext(CKVGIF &gif);

// Closed, or failed: stream (and block position) null, the stream's end
// forgotten; every later frame call answers false without reading.
void GifClose(CKVGIF &gif);

// Decodes the frame whose descriptor GifNext found: indices packed with the
// frame's width as row stride into buf, never writing at or past buf + cap.
// The LZW tables are the call's own.
int GifDecodeFrame(CKVGIF &gif, RAW &raw, uint8_t *buf, size_t cap);

// Bytes of pixel memory a surface with this many bytes per pixel owns, or 0
// when its pitch cannot hold a row (nothing may then be written).
size_t SurfaceBytes(const TSurfDesc &s, int bytesPerPixel);

// Moves rows packed at `width` bytes apart to `pitch` bytes apart, last row
// first, so that no row is overwritten before it has moved.
void SpreadRows(uint8_t *bits, int width, int height, int pitch);

}  // namespace kv

#endif
