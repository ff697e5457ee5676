// seeds: gif
// The GIF frame loop through the length-aware entry, into any kind.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvfuzz::GifCase(
        data, size, 0xFF,
        [](TSurfDesc &i, uint8_t *f, long n, CKVGIF &g, RAW &r) { return LoadInfoGIF(i, f, n, g, r); },
        [](TSurfDesc &s, uint8_t *f, CKVGIF &g, RAW &r) { return LoadGIFNext(s, f, g, r); },
        [](TSurfDesc &s, uint8_t *f, CKVGIF &g, RAW &r) { return LoadGIF(s, f, g, r); },
        [](TSurfDesc &s, uint8_t *f, CKVGIF &g, RAW &r) { return LoadGIFEnd(s, f, g, r); });
    return 0;
}
