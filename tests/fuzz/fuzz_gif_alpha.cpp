// seeds: gif
// GIF frames as alpha planes: one byte per pixel whatever the kind, so only
// the padding bits of the selector are used.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvfuzz::GifCase(
        data, size, 0x18,
        [](TSurfDesc &i, uint8_t *f, long n, CKVGIF &g, RAW &r) { return LoadInfoGIFAlpha(i, f, n, g, r); },
        [](TSurfDesc &s, uint8_t *f, CKVGIF &g, RAW &r) { return LoadGIFAlphaNext(s, f, g, r); },
        [](TSurfDesc &s, uint8_t *f, CKVGIF &g, RAW &r) { return LoadGIFAlpha(s, f, g, r); },
        [](TSurfDesc &s, uint8_t *f, CKVGIF &g, RAW &r) { return LoadGIFAlphaEnd(s, f, g, r); });
    return 0;
}
