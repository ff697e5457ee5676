// seeds: gif
// GIF frames as alpha planes: one byte per pixel whatever the kind, so only
// the padding bits of the selector are used.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvfuzz::GifCase(data, size, 0x18, LoadInfoGIFAlpha, LoadGIFAlphaNext, LoadGIFAlpha, LoadGIFAlphaEnd);
    return 0;
}
