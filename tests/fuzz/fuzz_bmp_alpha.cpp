// seeds: bmp
// Bitmaps as alpha planes through the length-aware entry; the selector's
// padding bits vary the pitch, bit 5 makes the surface disagree with the file.
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t selector = data[0];
    std::vector<uint8_t> file(data + 1, data + size);
    TSurfDesc info{};
    int w = 0, h = 0;
    if (LoadInfoBMPAlpha(info, file.data(), long(file.size()))) {
        w = info.width;
        h = info.height;
    }
    if (selector & 0x20) {
        w -= 1;
        h += 2;
    }
    kvfuzz::Surface s(uint8_t(selector & 0x18), w, h);
    LoadBMPAlpha(s.desc, file.data(), long(file.size()));
    return 0;
}
