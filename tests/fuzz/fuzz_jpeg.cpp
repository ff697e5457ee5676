// seeds: jpeg
// LoadInfoJPG and LoadJPG into any kind.
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t selector = data[0];
    std::vector<uint8_t> file(data + 1, data + size);
    TSurfDesc info{};
    // libjpeg decodes every row of a frame, however large: keep to frames
    // that can be decoded in a moment.
    if (!LoadInfoJPG(info, file.data(), long(file.size()))) return 0;
    if ((long long)info.width * info.height > (1 << 18)) return 0;
    kvfuzz::Surface s(selector, info.width, info.height);
    LoadJPG(s.desc, file.data(), long(file.size()));
    return 0;
}
