// seeds: bmp
// LoadBMP through the length-aware entry, into any kind, on a surface the
// size the file reports or (selector bit 5) one that disagrees with it.
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t selector = data[0];
    std::vector<uint8_t> file(data + 1, data + size);
    TSurfDesc info{};
    int w = 0, h = 0;
    if (LoadInfoBMP(info, file.data(), long(file.size()))) {
        w = info.width;
        h = info.height;
    }
    if (selector & 0x20) {
        w += 3;
        h -= 1;
    }
    kvfuzz::Surface s(selector, w, h);
    LoadBMP(s.desc, file.data(), long(file.size()));
    return 0;
}
