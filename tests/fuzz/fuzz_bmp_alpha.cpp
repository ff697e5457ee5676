// seeds: bmp
// Bitmaps as alpha planes: one byte per pixel, the padding bits still vary
// the pitch.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvfuzz::BitmapCase(
        data, size, 0x18, -1, 2, [](TSurfDesc &s, unsigned char *f, long n) { return LoadInfoBMPAlpha(s, f, n); },
        [](TSurfDesc &s, unsigned char *f, long n) { return LoadBMPAlpha(s, f, n); });
    return 0;
}
