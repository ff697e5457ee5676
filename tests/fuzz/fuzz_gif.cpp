// seeds: gif
// The GIF frame loop through the length-aware entry, into any kind.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t selector = data[0];
    std::vector<uint8_t> file(data + 1, data + size);
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    if (!LoadInfoGIF(info, file.data(), long(file.size()), gif, raw)) return 0;
    kvfuzz::Surface s(selector, info.width, info.height, 1 << 14);
    for (int f = 0; f < 64 && LoadGIFNext(s.desc, file.data(), gif, raw); ++f) LoadGIF(s.desc, file.data(), gif, raw);
    LoadGIFEnd(s.desc, file.data(), gif, raw);
    return 0;
}
