// seeds: bmp
// LoadBMP through the length-aware entry, into any kind.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvfuzz::BitmapCase(
        data, size, 0xFF, 3, -1, [](TSurfDesc &s, unsigned char *f, long n) { return LoadInfoBMP(s, f, n); },
        [](TSurfDesc &s, unsigned char *f, long n) { return LoadBMP(s, f, n); });
    return 0;
}
