// Raw pixel access for the drawing tests.
#ifndef KORVANTE_DRAWTEST_H
#define KORVANTE_DRAWTEST_H

#include <string.h>

#include "tests/common/testsurf.h"

namespace drawtest {

inline int Bytes(const kvtest::TestSurface &s) { return int(s.desc.bpp / 8); }

inline uint32_t Raw(kvtest::TestSurface &s, int x, int y) {
    uint32_t v = 0;
    memcpy(&v, s.Row(y) + x * Bytes(s), size_t(Bytes(s)));
    return v;
}

// v cut to the pixel's size.
inline uint32_t Fit(const kvtest::TestSurface &s, uint32_t v) {
    return Bytes(s) == 4 ? v : v & ((1u << (8 * Bytes(s))) - 1);
}

inline void SetRaw(kvtest::TestSurface &s, int x, int y, uint32_t v) {
    memcpy(s.Row(y) + x * Bytes(s), &v, size_t(Bytes(s)));
}

inline void FillRaw(kvtest::TestSurface &s, uint32_t v) {
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x) SetRaw(s, x, y, v);
}

// Positions whose pixels differ from v.
inline std::vector<std::pair<int, int>> Changed(kvtest::TestSurface &s, uint32_t v) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x)
            if (Raw(s, x, y) != Fit(s, v)) out.push_back({x, y});
    return out;
}

using Points = std::vector<std::pair<int, int>>;

}  // namespace drawtest

#endif
