// seeds: gif
// The GIF frame loop through the length-aware entry, into any kind.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvfuzz::GifCase(data, size, 0xFF, LoadInfoGIF, LoadGIFNext, LoadGIF, LoadGIFEnd);
    return 0;
}
