// JPEG into any pixel kind: the header scanner (no codec involved), the row
// sink with its per-kind conversion, and the six kernels.
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

// ---- row sink --------------------------------------------------------------

template <class F>
void StoreRow16(const uint8_t *bgr, uint8_t *dst, int n) {
    for (int x = 0; x < n; ++x, bgr += 3, dst += 2) F::Store(dst, F::Pack(RGB8{bgr[2], bgr[1], bgr[0]}));
}

void StoreRow(int kind, const uint8_t *bgr, uint8_t *dst, int n) {
    switch (kind) {
    case kKind24:
        memcpy(dst, bgr, static_cast<size_t>(n) * 3);
        break;
    case kKind32:
        // The fourth byte of each pixel stays as it was.
        for (int x = 0; x < n; ++x, bgr += 3, dst += 4) {
            dst[0] = bgr[0];
            dst[1] = bgr[1];
            dst[2] = bgr[2];
        }
        break;
    case kKind565: StoreRow16<Fmt565>(bgr, dst, n); break;
    case kKind555:
    case kKind1555: StoreRow16<Fmt555>(bgr, dst, n); break;
    case kKind4444: StoreRow16<Fmt4444>(bgr, dst, n); break;
    default: break;
    }
}

// Blue, green, red of four-byte rows; each pixel's fourth byte stays.
void MergeBGRX(uint8_t *__restrict dst, const uint8_t *__restrict bgrx, int n) {
    for (int x = 0; x < n; ++x) {
        uint32_t d, v;
        memcpy(&d, dst + 4 * x, 4);
        memcpy(&v, bgrx + 4 * x, 4);
        d = (d & 0xFF000000u) | (v & 0x00FFFFFFu);
        memcpy(dst + 4 * x, &d, 4);
    }
}

class SurfaceSink : public JpegRowSink {
public:
    void Start(const JpegTarget &t, int outWidth, int outHeight, int components) override {
        t_ = t;
        row_ = t.bits;
        outW_ = outWidth;
        comps_ = components;
        y_ = 0;
        (void)outHeight;
        const size_t bytes = static_cast<size_t>(outWidth) * components;
        pad_ = ((bytes + 3) & ~size_t(3)) - bytes;
        // Indices are laid out at the padded output width, whatever the
        // pitch; only the memory the caller owns is written.
        written_ = 0;
        limit_ = (t.height > 0 && t.pitch > 0) ? static_cast<size_t>(t.height) * static_cast<size_t>(t.pitch) : 0;
    }

    void Row(const uint8_t *scan) override {
        if (comps_ == 4 && t_.kind == kKind32) {
            if (y_ < t_.height && t_.pitch > 0) {
                const int n = outW_ < t_.width ? outW_ : t_.width;
                MergeBGRX(row_, scan, n);
                row_ += t_.pitch;
            }
            ++y_;
            return;
        }
        if (comps_ == 3 && t_.kind != kKind8) {
            if (y_ < t_.height && t_.pitch > 0) {
                const int n = outW_ < t_.width ? outW_ : t_.width;
                if (n > 0) StoreRow(t_.kind, scan, row_, n);
                row_ += t_.pitch;
            }
            ++y_;
            return;
        }
        Put(scan, static_cast<size_t>(outW_) * comps_);
        static const uint8_t zeros[4] = {0, 0, 0, 0};
        Put(zeros, pad_);
    }

    void Finish() override {}

private:
    void Put(const uint8_t *p, size_t n) {
        if (written_ < limit_) {
            const size_t k = (n < limit_ - written_) ? n : limit_ - written_;
            memcpy(t_.bits + written_, p, k);
        }
        written_ += n;
    }

    JpegTarget t_{};
    uint8_t *row_ = nullptr;
    int outW_ = 0, comps_ = 0, y_ = 0;
    size_t pad_ = 0, written_ = 0, limit_ = 0;
};

// ---- kernels ---------------------------------------------------------------

bool DecodeTrueColour(TSurfDesc &s, unsigned char *data, long length, int kind) {
    if (!s.bits) return false;
    RAW rec;
    memset(&rec, 0, sizeof rec);
    rec.flag = 0;
    rec.flag2 = 1;
    rec.bits = s.bits;
    const JpegTarget t{s.bits, s.width, s.height, s.scanWidth, kind};
    SurfaceSink sink;
    return JpegDecode(data, length, rec, t, sink) == 0;
}

bool LoadJPG_32(TSurfDesc &s, unsigned char *d, long n) { return DecodeTrueColour(s, d, n, kKind32); }
bool LoadJPG_24(TSurfDesc &s, unsigned char *d, long n) { return DecodeTrueColour(s, d, n, kKind24); }
bool LoadJPG_565(TSurfDesc &s, unsigned char *d, long n) { return DecodeTrueColour(s, d, n, kKind565); }
bool LoadJPG_555(TSurfDesc &s, unsigned char *d, long n) { return DecodeTrueColour(s, d, n, PixelKind(s)); }
bool LoadJPG_4444(TSurfDesc &s, unsigned char *d, long n) { return DecodeTrueColour(s, d, n, kKind4444); }

// Quantised to the model palette, which the surface's palette becomes.
bool LoadJPG_8Bits(TSurfDesc &s, unsigned char *data, long length) {
    if (!s.bits) return false;
    RAW rec;
    memset(&rec, 0, sizeof rec);
    rec.flag = 1;
    rec.flag2 = 0;
    rec.bits = s.bits;
    memcpy(rec.palette, lu_gPaleta, sizeof rec.palette);
    if (s.palette) memcpy(s.palette, lu_gPaleta, 256 * sizeof(TRGBA));
    const JpegTarget t{s.bits, s.width, s.height, s.scanWidth, kKind8};
    SurfaceSink sink;
    return JpegDecode(data, length, rec, t, sink) == 0;
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
    if (s.bpp == 32) return LoadJPG_32(s, data, length);
    if (s.bpp == 24) return LoadJPG_24(s, data, length);
    const int kind = PixelKind(s);
    if (kind == kKind8) return LoadJPG_8Bits(s, data, length);
    if (kind == kKind565) return LoadJPG_565(s, data, length);
    if (kind == kKind555 || kind == kKind1555) return LoadJPG_555(s, data, length);
    if (kind == kKind4444) return LoadJPG_4444(s, data, length);
    return false;
}
