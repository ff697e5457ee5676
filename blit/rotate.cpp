// CreateRotated: quarter and half turns with an optional left-right mirror.
#include <string.h>

#include "surface/surface.h"

using namespace kv;

namespace {

// Where destination pixel (x, y) comes from, for a source W x H.
struct Turn {
    int code;
    int W, H;
    void Source(int x, int y, int &sx, int &sy) const {
        switch (code) {
            case 1:
                sx = W - 1 - y;
                sy = x;
                break;
            case 2:
                sx = W - 1 - x;
                sy = H - 1 - y;
                break;
            case 3:
                sx = y;
                sy = H - 1 - x;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            default:
                sx = W - 1 - y;
                sy = H - 1 - x;
                break;  // 7
        }
    }
};

// Walks the destination's own rows, but only the part that the turned source
// covers: a destination larger than the turned source is not read past it.
template <int Bytes>
void Rotate(TSurfDesc &d, const TSurfDesc &s, int code) {
    const Turn t{code, s.width, s.height};
    const bool quarter = code != 2;  // 1, 3, 5 and 7 swap the axes
    const int xlim = quarter ? (d.width < s.height ? d.width : s.height) : (d.width < s.width ? d.width : s.width);
    const int ylim = quarter ? (d.height < s.width ? d.height : s.width) : (d.height < s.height ? d.height : s.height);
    for (int y = 0; y < ylim; ++y) {
        uint8_t *dp = Row(d, y);
        for (int x = 0; x < xlim; ++x) {
            int sx, sy;
            t.Source(x, y, sx, sy);
            memcpy(dp + x * Bytes, Row(s, sy) + ptrdiff_t(sx) * Bytes, Bytes);
        }
    }
}

void CreateRotated_32(TSurfDesc &d, TSurfDesc &s, int code) { Rotate<4>(d, s, code); }
void CreateRotated_24(TSurfDesc &d, TSurfDesc &s, int code) { Rotate<3>(d, s, code); }
void CreateRotated_16(TSurfDesc &d, TSurfDesc &s, int code) { Rotate<2>(d, s, code); }  // kinds 16 to 19
void CreateRotated_8Bits(TSurfDesc &d, TSurfDesc &s, int code) { Rotate<1>(d, s, code); }

}  // namespace

bool CreateRotated(TSurfDesc &d, TSurfDesc &s, int turn) {
    if (d.bpp != 32 && d.bpp != 24 && d.bpp != 16 && d.bpp != 8) return false;
    const int code = turn & 7;
    if (code == 0) return DrawBitmap(d, s);
    if (code == 4) {
        const bool r = DrawBitmap(d, s);
        FlipX(d);
        return r;
    }
    // Pixels are copied whole at the destination's size.
    if (s.bpp != d.bpp) return false;
    const int walk = code == 6 ? 2 : code;
    if (d.bpp == 32)
        CreateRotated_32(d, s, walk);
    else if (d.bpp == 24)
        CreateRotated_24(d, s, walk);
    else if (d.bpp == 16)
        CreateRotated_16(d, s, walk);
    else
        CreateRotated_8Bits(d, s, walk);
    if (code == 6) FlipX(d);
    return true;
}
