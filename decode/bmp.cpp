// Windows bitmaps from memory into any of the six kinds. Every byte of the
// file is read through kv::Reader; every pixel written is inside the surface
// (rows of the surface, columns 0 to width-1), whatever the file says.
#include <limits.h>
#include <stdint.h>
#include <string.h>

#include "decode/reader.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

// Header sizes read as the 40-byte information header they begin with.
bool IsInfoHeader(uint32_t hs) { return hs == 40 || hs == 52 || hs == 56 || hs == 64 || hs == 108 || hs == 124; }

struct BmpHeader {
    bool info;  // information header, else the 12-byte core header
    uint32_t headerSize;
    size_t pixels;  // offset of the pixel data
    uint32_t width;
    int64_t height;  // signed; negative: rows stored top-down
    unsigned bitCount;
    uint32_t compression;
    uint32_t colours;  // file palette entries, 1 to 256 (information header, 8 bits)
    bool topDown;
    bool alpha;  // read as a plane of 8-bit values whatever the depth
    bool Paletted() const { return bitCount == 8; }
    // Blue, green, red and an unused byte: the fourth byte is no alpha.
    bool Quads() const { return bitCount == 32; }
    // 24 bits; the forms without a length read any other depth from 17 up
    // but 32 as 24-bit triples too.
    bool Triples() const { return bitCount >= 17 && bitCount != 32; }
    bool Direct() const { return Triples() || Quads(); }
    bool Rle() const { return info && compression == 1 && Paletted(); }
    bool FilePalette() const { return info && bitCount == 8 && !alpha; }
};

// Compression values.
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiBitfields = 3;

// The colour bit fields of a 32-bit file (at byte 54, inside the larger
// headers, right after the 40-byte one): true when they are the standard
// blue, green, red bytes with the fourth byte unused.
bool StandardMasks(Reader &rd) {
    rd.Seek(54);
    const uint32_t r = rd.U32(), g = rd.U32(), b = rd.U32();
    return !rd.Failed() && r == 0x00FF0000u && g == 0x0000FF00u && b == 0x000000FFu;
}

// What the forms with a length decode: 8 bits plain or RLE8 (information
// header), 24 bits plain, 32 bits plain or with the standard bit fields.
bool Decodable(Reader &rd, const BmpHeader &h) {
    switch (h.bitCount) {
        case 8:
            return h.compression == kBiRgb || (h.info && h.compression == kBiRle8);
        case 24:
            return h.compression == kBiRgb;
        case 32:
            return h.compression == kBiRgb || (h.compression == kBiBitfields && StandardMasks(rd));
        default:
            return false;
    }
}

// Reads the headers. With a length (a bounded reader) the file must be
// consistent and decodable: a header as long as its size field, a known
// header size, a depth and compression that LoadBMP decodes (Decodable;
// alpha planes take any), a palette inside the buffer, pixel data starting
// inside it. Without a length every compression but RLE8 is read as none,
// depths below 17 other than 8 are left undecoded and depths from 17 up
// other than 32 are read as 24-bit triples.
bool ParseHeader(Reader &rd, BmpHeader &h, bool alpha = false) {
    const bool bounded = rd.Bounded();
    h.alpha = alpha;
    rd.Seek(0);
    const uint8_t m0 = rd.U8(), m1 = rd.U8();
    rd.Seek(10);
    const uint32_t offset = rd.U32();
    h.headerSize = rd.U32();
    if (rd.Failed()) return false;
    h.info = IsInfoHeader(h.headerSize);
    if (bounded && !h.info && h.headerSize != 12) return false;
    if (bounded && rd.Left() < (h.info ? h.headerSize : 12) - 4) return false;
    if (h.info) {
        h.width = rd.U32();
        h.height = int32_t(rd.U32());
        rd.U16();
        h.bitCount = rd.U16();
        h.compression = rd.U32();
        rd.Seek(46);
        h.colours = rd.U32();
        h.topDown = h.height < 0;
    } else {
        h.width = rd.U16();
        h.height = rd.U16();
        rd.U16();
        h.bitCount = rd.U16();
        h.compression = 0;
        h.colours = 0;
        h.topDown = false;
    }
    if (rd.Failed()) return false;
    if (alpha) h.bitCount = 8;
    h.pixels = (m0 == 'K' && m1 == 'V') ? 54 : offset;
    if (h.FilePalette()) {
        if (h.colours == 0) h.colours = 256;
        // Never more than the working palette holds, in both forms.
        if (h.colours > 256) h.colours = 256;
    }
    if (bounded) {
        if (h.width > uint32_t(INT_MAX) || h.height == INT32_MIN) return false;
        if (!alpha && !Decodable(rd, h)) return false;
        const size_t palEnd = 14 + size_t(h.headerSize) + (h.FilePalette() ? size_t(4) * h.colours : 0);
        if (!rd.Seek(palEnd)) return false;
        if ((h.Paletted() || h.Direct()) && !rd.Seek(h.pixels)) return false;
    }
    return true;
}

// Uncompressed rows of a w x rows image must lie inside the buffer.
bool RowsFit(const BmpHeader &h, size_t length, int64_t w, int64_t rows) {
    if (w <= 0 || rows <= 0 || h.Rle() || !(h.Paletted() || h.Direct())) return true;
    const int64_t rowBytes = h.Paletted() ? w : (h.Quads() ? 4 : 3) * w;
    const int64_t stride = (rowBytes + 3) & ~int64_t(3);
    // Sizes up to 2^31 rows of 3 x 2^31 bytes: compare by division, the
    // product would overflow.
    if (int64_t(h.pixels) > int64_t(length) || rowBytes > int64_t(length) - int64_t(h.pixels)) return false;
    const int64_t room = int64_t(length) - int64_t(h.pixels) - rowBytes;
    return rows - 1 <= room / stride;
}

// Working palette: the file's entries (fourth byte 0, entries past the
// file's count 0), or the model palette as it stands.
void WorkingPalette(Reader &rd, const BmpHeader &h, TRGBA (&wp)[256]) {
    if (!h.FilePalette()) {
        memcpy(wp, lu_gPaleta, sizeof wp);
        return;
    }
    memset(wp, 0, sizeof wp);
    rd.Seek(14 + size_t(h.headerSize));
    for (uint32_t i = 0; i < h.colours; ++i) {
        wp[i].b = rd.U8();
        wp[i].g = rd.U8();
        wp[i].r = rd.U8();
        rd.U8();
    }
}

// Palette lookups of a colour kernel: for uncompressed rows and for RLE8
// (the same but for 32 bits), and whether RLE8 paints the pixels it skips
// with entry 0 (when entry 0 is not 0 in the kernel's kind).
struct Luts {
    uint32_t pal[256];
    uint32_t rle[256];
    bool paint;
};

// Lookups of the entries narrowed by the format layer, plus the alpha bits
// a kernel takes from the entry (file entries have alpha 0; the model
// palette's alpha is kept).
template <class F, class AlphaBits>
auto Narrowed(AlphaBits alpha) {
    return [alpha](const TRGBA(&wp)[256], Luts &l) {
        for (int i = 0; i < 256; ++i) l.pal[i] = l.rle[i] = F::FromEntry(wp[i]) | alpha(wp[i]);
        l.paint = l.pal[0] != 0;
    };
}

struct NoAlpha {
    uint32_t operator()(const TRGBA &) const { return 0; }
};

// RLE8 stream into the surface. Positions are kept as row (in decoding
// order) and column; pixels past the row's end are dropped, and decoding
// stops once the row leaves the surface. False when the stream runs out
// before it ends. Colour kernels wrap a bottom-up row that is filled
// exactly; indices and alpha planes do not.
template <class F>
class RleDecoder {
  public:
    RleDecoder(const TSurfDesc &s, bool topDown, const uint32_t *lut, bool fill, uint32_t bg, bool wrap)
        : s_(s),
          w_(s.width),
          h_(s.height),
          topDown_(topDown),
          lut_(lut),
          bg_(bg),
          wrap_(wrap && !topDown),
          paintLines_(fill && !topDown),
          paintDelta_(fill),
          pad_(int(((int64_t(s.width) + 3) & ~int64_t(3)) - s.width)) {}

    bool Run(Reader &rd) {
        for (;;) {
            const uint32_t n = rd.U8();
            if (n != 0) {
                const uint32_t v = lut_[rd.U8()];
                if (rd.Failed()) return false;
                for (uint32_t i = 0; i < n; ++i)
                    if (!Put(v)) return true;
                continue;
            }
            const uint32_t code = rd.U8();
            if (rd.Failed()) return false;
            if (code == 0) {
                // A row filled exactly has already wrapped; the end of line
                // that follows it (after at most the row's padding pixels,
                // which some encoders write) closes that same row.
                if (holding_) {
                    holding_ = false;
                    nheld_ = 0;
                    continue;
                }
                if (paintLines_) Fill(row_, x_, w_);
                ++row_;
                x_ = 0;
                if (row_ >= h_) return true;
            } else if (code == 1) {
                if (holding_ && !Flush()) return true;
                if (paintLines_) {
                    Fill(row_, x_, w_);
                    for (int64_t r = row_ + 1; r < h_; ++r) Fill(r, 0, w_);
                }
                return true;
            } else if (code == 2) {
                const int64_t dx = rd.U8(), dy = rd.U8();
                if (rd.Failed()) return false;
                if (holding_ && !Flush()) return true;
                if (paintDelta_) {
                    if (dy == 0) {
                        Fill(row_, x_, x_ + dx);
                    } else {
                        Fill(row_, x_, w_);
                        for (int64_t r = row_ + 1; r < row_ + dy && r < h_; ++r) Fill(r, 0, w_);
                        Fill(row_ + dy, 0, x_ + dx);
                    }
                }
                x_ += dx;
                row_ += dy;
                if (row_ >= h_) return true;
            } else {
                for (uint32_t i = 0; i < code; ++i) {
                    const uint32_t v = lut_[rd.U8()];
                    if (rd.Failed()) return false;
                    if (!Put(v)) return true;
                }
                if (code & 1) rd.U8();
                if (rd.Failed()) return false;
            }
        }
    }

  private:
    uint8_t *RowPtr(int64_t r) const { return Row(s_, topDown_ ? int(r) : int(h_ - 1 - r)); }

    // False once the position has left the surface. Just after a wrap, up
    // to the row's padding count of pixels are held back until the next
    // code shows whether they were padding.
    bool Put(uint32_t v) {
        if (holding_) {
            if (nheld_ < pad_) {
                held_[nheld_++] = v;
                return true;
            }
            if (!Flush()) return false;
            return Put(v);  // the flush may have wrapped again
        }
        if (x_ < w_) F::Store(RowPtr(row_) + x_ * F::kBytes, v);
        ++x_;
        if (wrap_ && x_ >= w_) {
            x_ = 0;
            ++row_;
            holding_ = true;
            nheld_ = 0;
            return row_ < h_;
        }
        return true;
    }

    // The held pixels were real: they start the new row.
    bool Flush() {
        uint32_t v[3];
        const int n = nheld_;
        for (int i = 0; i < n; ++i) v[i] = held_[i];
        holding_ = false;
        nheld_ = 0;
        for (int i = 0; i < n; ++i)
            if (!Put(v[i])) return false;
        return true;
    }

    void Fill(int64_t r, int64_t x0, int64_t x1) {
        if (r < 0 || r >= h_) return;
        if (x1 > w_) x1 = w_;
        uint8_t *p = RowPtr(r);
        for (int64_t x = x0; x < x1; ++x) F::Store(p + x * F::kBytes, bg_);
    }

    const TSurfDesc &s_;
    const int64_t w_, h_;
    const bool topDown_;
    const uint32_t *lut_;
    const uint32_t bg_;
    const bool wrap_, paintLines_, paintDelta_;
    const int pad_;  // padding pixels of an uncompressed row: 0 to 3
    int64_t row_ = 0, x_ = 0;
    bool holding_ = false;
    int nheld_ = 0;
    uint32_t held_[3];
};

template <class F>
bool DecodeRle(const TSurfDesc &s, Reader &rd, const BmpHeader &h, const uint32_t *lut, bool paint, bool wrap) {
    rd.Seek(h.pixels);
    RleDecoder<F> dec(s, h.topDown, lut, paint, lut[0], wrap);
    return dec.Run(rd) && !rd.Failed();
}

// Decode-order row r of the surface.
inline uint8_t *DestRow(const TSurfDesc &s, const BmpHeader &h, int r) {
    return Row(s, h.topDown ? r : s.height - 1 - r);
}

// The n bytes of decode-order row r of rows `stride` bytes apart from the
// pixel data; null when the buffer does not hold them.
inline const uint8_t *SourceRow(Reader &rd, const BmpHeader &h, size_t stride, int r, size_t n) {
    return rd.Seek(h.pixels + size_t(r) * stride) ? rd.Span(n) : nullptr;
}

// What every colour kernel shares: 8-bit files through the palette
// lookups `luts` makes from the working palette, 24- and 32-bit files
// through `direct` (destination, source pixel). 1-, 4- and 16-bit files are
// not decoded.
template <class F, class MakeLuts, class Direct>
bool DecodeColour(const TSurfDesc &s, Reader &rd, const BmpHeader &h, MakeLuts luts, Direct direct) {
    const int w = s.width, rows = s.height;
    if (w <= 0 || rows <= 0) return true;
    if (h.Paletted()) {
        TRGBA wp[256];
        WorkingPalette(rd, h, wp);
        Luts l;
        luts(wp, l);
        if (h.Rle()) return DecodeRle<F>(s, rd, h, l.rle, l.paint, true);
        const size_t stride = (size_t(w) + 3) & ~size_t(3);
        for (int r = 0; r < rows; ++r) {
            const uint8_t *src = SourceRow(rd, h, stride, r, size_t(w));
            if (!src) return false;
            uint8_t *d = DestRow(s, h, r);
            for (int x = 0; x < w; ++x, d += F::kBytes) F::Store(d, l.pal[src[x]]);
        }
    } else if (h.Direct()) {
        // A 32-bit pixel's first three bytes go exactly as a 24-bit
        // pixel's; its fourth byte is skipped.
        const size_t step = h.Quads() ? 4 : 3;
        const size_t stride = (size_t(w) * step + 3) & ~size_t(3);
        for (int r = 0; r < rows; ++r) {
            const uint8_t *p = SourceRow(rd, h, stride, r, size_t(w) * step);
            if (!p) return false;
            uint8_t *d = DestRow(s, h, r);
            for (int x = 0; x < w; ++x, d += F::kBytes, p += step) direct(d, p);
        }
    }
    return true;
}

// A 24- or 32-bit source pixel (blue, green, red) narrowed to a 16-bit kind;
// its alpha bits are 0.
template <class F>
struct Narrow16 {
    void operator()(uint8_t *d, const uint8_t *p) const { F::Store(d, F::Pack(RGB8{p[2], p[1], p[0]})); }
};

bool LoadBMP_32(TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    // Uncompressed rows keep the entry's alpha byte, RLE8 rows are opaque;
    // direct pixels leave the destination's fourth byte as it was.
    const auto luts = [](const TRGBA(&wp)[256], Luts &l) {
        for (int i = 0; i < 256; ++i) {
            l.pal[i] = EntryWord(wp[i]);
            l.rle[i] = Fmt32::FromEntry(wp[i]) | 0xFF000000u;
        }
        l.paint = Fmt32::FromEntry(wp[0]) != 0;
    };
    return DecodeColour<Fmt32>(s, rd, h, luts, [](uint8_t *d, const uint8_t *p) {
        d[0] = p[0];
        d[1] = p[1];
        d[2] = p[2];
    });
}

bool LoadBMP_24(TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    return DecodeColour<Fmt24>(s, rd, h, Narrowed<Fmt24>(NoAlpha()),
                               [](uint8_t *d, const uint8_t *p) { Fmt24::Store(d, Fmt24::Load(p)); });
}

bool LoadBMP_565(TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    return DecodeColour<Fmt565>(s, rd, h, Narrowed<Fmt565>(NoAlpha()), Narrow16<Fmt565>());
}

bool LoadBMP_555(TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    // The entry's alpha top bit is the 1555 bit.
    const auto alpha = [](const TRGBA &e) { return (e.a & 0x80u) << 8; };
    return DecodeColour<Fmt555>(s, rd, h, Narrowed<Fmt555>(alpha), Narrow16<Fmt555>());
}

bool LoadBMP_4444(TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    // The entry's alpha top nibble is the pixel's alpha.
    const auto alpha = [](const TRGBA &e) { return uint32_t(e.a >> 4) << 12; };
    return DecodeColour<Fmt4444>(s, rd, h, Narrowed<Fmt4444>(alpha), Narrow16<Fmt4444>());
}

// Indices as they are: plain rows copied, RLE8 without row wrap or paint.
bool DecodeIndices(const TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    const int w = s.width, rows = s.height;
    if (w <= 0 || rows <= 0) return true;
    if (h.Rle()) {
        uint32_t lut[256];
        for (int i = 0; i < 256; ++i) lut[i] = uint32_t(i);
        return DecodeRle<Fmt8>(s, rd, h, lut, false, false);
    }
    const size_t stride = (size_t(w) + 3) & ~size_t(3);
    for (int r = 0; r < rows; ++r) {
        const uint8_t *src = SourceRow(rd, h, stride, r, size_t(w));
        if (!src) return false;
        memcpy(DestRow(s, h, r), src, size_t(w));
    }
    return true;
}

bool LoadBMP_8Bits(TSurfDesc &s, Reader &rd, const BmpHeader &h) {
    TRGBA wp[256];
    WorkingPalette(rd, h, wp);
    // A surface without a palette has nowhere to take the colours.
    if (TRGBA *pal = s.palette) {
        const int n = h.FilePalette() ? int(h.colours) : 256;
        for (int i = 0; i < n; ++i) {
            pal[i].b = wp[i].b;
            pal[i].g = wp[i].g;
            pal[i].r = wp[i].r;
        }
        // Only entry 0 may be pure black.
        for (int i = 1; i < 256; ++i)
            if ((pal[i].b | pal[i].g | pal[i].r) == 0) pal[i].b = 1;
    }
    if (!h.Paletted()) return true;
    return DecodeIndices(s, rd, h);
}

bool Load(TSurfDesc &s, Reader &rd) {
    BmpHeader h;
    if (!ParseHeader(rd, h)) return false;
    if (rd.Bounded() && !RowsFit(h, rd.Size(), s.width, s.height)) return false;
    return ByKind<LoadBMP_32, LoadBMP_24, LoadBMP_565, LoadBMP_555, LoadBMP_4444, LoadBMP_8Bits>(s, s, rd, h);
}

// alpha: the depth is read as 8 bits, which is the bpp reported.
bool Info(TSurfDesc &s, Reader &rd, bool alpha = false) {
    BmpHeader h;
    if (!ParseHeader(rd, h, alpha)) return false;
    const int64_t rows = h.height < 0 ? -h.height : h.height;
    if (rd.Bounded() && !RowsFit(h, rd.Size(), h.width, rows)) return false;
    s.width = int(h.width);
    s.height = int(uint32_t(rows));
    s.bpp = h.bitCount;
    return true;
}

// Alpha planes: the pixel data taken as raw 8-bit values, no palette, no
// background and no row wrap in RLE8.
bool LoadAlpha(TSurfDesc &s, Reader &rd) {
    BmpHeader h;
    if (!ParseHeader(rd, h, true)) return false;
    if (rd.Bounded() && !RowsFit(h, rd.Size(), s.width, s.height)) return false;
    const int w = s.width, rows = s.height;
    if (w <= 0 || rows <= 0) return true;
    if (!s.bits) return false;
    if (h.Rle()) return DecodeIndices(s, rd, h);
    // Rows are copied with their padding, but never past the row's own
    // pitch: a narrow pitch would otherwise spill into the next row, or
    // past the last one.
    const size_t stride = (size_t(w) + 3) & ~size_t(3);
    const size_t pitch = size_t(s.scanWidth < 0 ? -int64_t(s.scanWidth) : int64_t(s.scanWidth));
    const size_t n = stride < pitch ? stride : pitch;
    for (int r = 0; r < rows; ++r) {
        if (!rd.Seek(h.pixels + size_t(r) * stride) || rd.AtEnd()) break;
        const size_t m = n < rd.Left() ? n : rd.Left();  // the last row's padding may be missing
        memcpy(DestRow(s, h, r), rd.Span(m), m);
    }
    return true;
}

}  // namespace

namespace {

// The forms with a length read nothing from a null buffer or a negative
// length.
template <class Op>
bool WithLength(unsigned char *data, long length, Op op) {
    if (!data || length < 0) return false;
    Reader rd(data, size_t(length));
    return op(rd);
}

}  // namespace

bool LoadInfoBMPAlpha(TSurfDesc &s, unsigned char *data) {
    Reader rd = Reader::Unbounded(data);
    Info(s, rd, true);
    return true;
}

bool LoadInfoBMPAlpha(TSurfDesc &s, unsigned char *data, long length) {
    return WithLength(data, length, [&](Reader &rd) { return Info(s, rd, true); });
}

bool LoadBMPAlpha(TSurfDesc &s, unsigned char *data) {
    Reader rd = Reader::Unbounded(data);
    LoadAlpha(s, rd);
    return true;
}

bool LoadBMPAlpha(TSurfDesc &s, unsigned char *data, long length) {
    return WithLength(data, length, [&](Reader &rd) { return LoadAlpha(s, rd); });
}

bool LoadInfoBMP(TSurfDesc &s, unsigned char *data) {
    Reader rd = Reader::Unbounded(data);
    Info(s, rd);
    return true;
}

bool LoadInfoBMP(TSurfDesc &s, unsigned char *data, long length) {
    return WithLength(data, length, [&](Reader &rd) { return Info(s, rd); });
}

bool LoadBMP(TSurfDesc &s, unsigned char *data) {
    Reader rd = Reader::Unbounded(data);
    return Load(s, rd);
}

bool LoadBMP(TSurfDesc &s, unsigned char *data, long length) {
    return WithLength(data, length, [&](Reader &rd) { return Load(s, rd); });
}
