// seeds: gif
// GIF frames as alpha planes.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t selector = data[0];
    std::vector<uint8_t> file(data + 1, data + size);
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    if (!LoadInfoGIFAlpha(info, file.data(), long(file.size()), gif, raw)) return 0;
    // One byte per pixel whatever the kind; the padding still varies.
    kvfuzz::Surface s(uint8_t(selector & 0x18), info.width, info.height, 1 << 14);
    for (int f = 0; f < 64 && LoadGIFAlphaNext(s.desc, file.data(), gif, raw); ++f)
        LoadGIFAlpha(s.desc, file.data(), gif, raw);
    LoadGIFAlphaEnd(s.desc, file.data(), gif, raw);
    return 0;
}
