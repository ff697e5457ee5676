// JPEG into any pixel kind: the header scanner (no codec involved) and the
// six kernels, each writing the decoded rows in its own format.
#include <string.h>

#include "decode/jpeg_codec.h"
#include "surface/pixfmt.h"
#include "decode/reader.h"
#include "surface/surface.h"

using namespace kv;

namespace {

// ---- header scanner ------------------------------------------------------

uint32_t BE16(Reader &in) {
    const uint32_t hi = in.U8();
    return (hi << 8) | in.U8();
}

bool IsFrameMarker(int m) {
    return (m >= 0xC0 && m <= 0xC3) || (m >= 0xC5 && m <= 0xC7) || (m >= 0xC9 && m <= 0xCB) ||
           (m >= 0xCD && m <= 0xCF) || m == 0xDE;
}

// The frame size from the first start-of-frame marker, stepping over every
// other segment by its length; false when the buffer holds none.
bool ScanFrameSize(const unsigned char *data, long length, int &w, int &h) {
    if (!data || length <= 0) return false;
    Reader in(data, static_cast<size_t>(length));
    for (;;) {
        uint8_t b;
        do b = in.U8();
        while (b != 0xFF && !in.Failed());
        int m;
        do m = in.U8();
        while (m == 0xFF && !in.Failed());
        if (in.Failed()) return false;
        if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD9)) continue;
        if (IsFrameMarker(m)) {
            in.Skip(3);  // length, precision
            const int fh = static_cast<int>(BE16(in));
            const int fw = static_cast<int>(BE16(in));
            if (in.Failed()) return false;
            w = fw;
            h = fh;
            return true;
        }
        if (m == 0xDA) {
            // Scan header, then the entropy-coded data up to the next marker.
            in.Skip(2);
            const int comps = in.U8();
            in.Skip(2 * static_cast<size_t>(comps) + 3);
            continue;
        }
        const uint32_t len = BE16(in);
        if (len < 2 || !in.Skip(len - 2)) return false;
    }
}

// ---- kernels ---------------------------------------------------------------

// True colour: each scanline's first pixels (as many as the surface is
// wide) go to the surface's rows through `write` (destination, scanline,
// pixels); scanlines past the surface's last row are read and dropped.
template <class Write>
bool DecodeTrueColour(TSurfDesc &s, unsigned char *data, long length, bool fourBytes, Write write) {
    if (!s.bits) return false;
    JpegDecoder dec(data, length, fourBytes, nullptr);
    if (dec.Start()) {
        const int n = dec.Width() < s.width ? dec.Width() : s.width;
        uint8_t *row = s.bits;
        int y = 0;
        while (const uint8_t *scan = dec.NextRow()) {
            if (y < s.height && s.scanWidth > 0) {
                if (n > 0) write(row, scan, n);
                row += s.scanWidth;
            }
            ++y;
        }
    }
    return dec.Finish() == 0;
}

template <class F>
struct StoreRow16 {
    void operator()(uint8_t *dst, const uint8_t *bgr, int n) const {
        for (int x = 0; x < n; ++x, bgr += 3, dst += 2) F::Store(dst, F::Pack(RGB8{bgr[2], bgr[1], bgr[0]}));
    }
};

// Blue, green, red of four-byte rows; each pixel's fourth byte stays.
bool LoadJPG_32(TSurfDesc &s, unsigned char *data, long length) {
    return DecodeTrueColour(s, data, length, true, [](uint8_t *__restrict dst, const uint8_t *__restrict bgrx, int n) {
        for (int x = 0; x < n; ++x) {
            uint32_t d, v;
            memcpy(&d, dst + 4 * x, 4);
            memcpy(&v, bgrx + 4 * x, 4);
            d = (d & 0xFF000000u) | (v & 0x00FFFFFFu);
            memcpy(dst + 4 * x, &d, 4);
        }
    });
}

bool LoadJPG_24(TSurfDesc &s, unsigned char *data, long length) {
    return DecodeTrueColour(s, data, length, false, [](uint8_t *dst, const uint8_t *bgr, int n) {
        memcpy(dst, bgr, static_cast<size_t>(n) * 3);
    });
}

bool LoadJPG_565(TSurfDesc &s, unsigned char *data, long length) {
    return DecodeTrueColour(s, data, length, false, StoreRow16<Fmt565>());
}
bool LoadJPG_555(TSurfDesc &s, unsigned char *data, long length) {
    return DecodeTrueColour(s, data, length, false, StoreRow16<Fmt555>());
}
bool LoadJPG_4444(TSurfDesc &s, unsigned char *data, long length) {
    return DecodeTrueColour(s, data, length, false, StoreRow16<Fmt4444>());
}

// Quantised to the model palette, which the surface's palette becomes. The
// indices are laid out at the output width padded to four bytes, whatever
// the pitch; only the memory the surface owns is written.
bool LoadJPG_8Bits(TSurfDesc &s, unsigned char *data, long length) {
    if (!s.bits) return false;
    if (s.palette) memcpy(s.palette, lu_gPaleta, 256 * sizeof(TRGBA));
    JpegDecoder dec(data, length, false, lu_gPaleta);
    if (dec.Start()) {
        const size_t limit =
            (s.height > 0 && s.scanWidth > 0) ? static_cast<size_t>(s.height) * static_cast<size_t>(s.scanWidth) : 0;
        const size_t bytes = static_cast<size_t>(dec.Width()) * dec.Components();
        const size_t padded = (bytes + 3) & ~size_t(3);
        size_t at = 0;
        const auto put = [&](const uint8_t *p, size_t n) {
            if (at < limit) memcpy(s.bits + at, p, n < limit - at ? n : limit - at);
            at += n;
        };
        static const uint8_t zeros[4] = {0, 0, 0, 0};
        while (const uint8_t *scan = dec.NextRow()) {
            put(scan, bytes);
            put(zeros, padded - bytes);
        }
    }
    return dec.Finish() == 0;
}

}  // namespace

bool LoadInfoJPG(TSurfDesc &s, unsigned char *data, long length) {
    int w = 0, h = 0;
    if (!ScanFrameSize(data, length, w, h)) return false;
    s.width = w;
    s.height = h;
    s.bpp = 24;
    return true;
}

bool LoadJPG(TSurfDesc &s, unsigned char *data, long length) {
    return ByKind<LoadJPG_32, LoadJPG_24, LoadJPG_565, LoadJPG_555, LoadJPG_4444, LoadJPG_8Bits>(s, s, data, length);
}
