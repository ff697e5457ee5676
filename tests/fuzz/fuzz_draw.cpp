// Every drawing export, called in a sequence the input spells out: which
// export and overload, the kind, size and pitch of every surface, the
// rectangles, points, levels, colours, angles, tables and masks. Each
// surface, palette, mask and table lives in a heap block of exactly the
// bytes it owns, so a step outside is an address-sanitizer report. What the
// header leaves to the caller (a scratch as large as the image, a mix table
// where one is read, the formats of the unchecked conversions, a block that
// fits both surfaces...) is kept here; everything else is the input's.
#include <float.h>
#include <limits.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

#include <memory>
#include <vector>

#include "utils.h"

namespace {

// ---------------------------------------------------------------------------
// Input reader: bytes while they last, zeros after.
// ---------------------------------------------------------------------------

class Reader {
  public:
    Reader(const uint8_t *data, size_t size) : p_(data), end_(data + size) {}

    bool Empty() const { return p_ >= end_; }
    uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
    uint16_t U16() {
        const unsigned lo = Byte();
        return uint16_t(lo | Byte() << 8);
    }
    uint32_t U32() {
        const uint32_t lo = U16();
        return lo | uint32_t(U16()) << 16;
    }
    bool Bool() { return Byte() & 1; }
    int Below(int n) { return Byte() % n; }

    // Mostly values around a small surface, sometimes the ends of the int
    // range and their neighbours, sometimes any 32-bit value.
    int Coord() {
        static const int kEdges[] = {INT_MIN,      INT_MIN + 1,   INT_MAX,        INT_MAX - 1, 1 << 30,
                                     -(1 << 30),   (1 << 30) - 1, -(1 << 30) - 1, INT_MAX / 2, INT_MIN / 2,
                                     32767,        -32768,        65535,          65536,       -65536,
                                     INT_MAX - 63, INT_MIN + 64,  0x40000000 + 1, -1,          0};
        const uint8_t b = Byte();
        switch (b >> 5) {
            case 6:
                return kEdges[Byte() % (sizeof kEdges / sizeof kEdges[0])];
            case 7:
                return int(U32());
            default:
                return int(Byte() % 88) - 12;
        }
    }
    CPunto Point() {
        const int x = Coord();
        return CPunto(x, Coord());
    }
    CRectangulo Rect() {
        const int l = Coord(), t = Coord(), r = Coord();
        return CRectangulo(l, t, r, Coord());
    }
    // Surface sides: 0 to 64, often 0, 1 or 2.
    int Side() {
        const uint8_t b = Byte();
        return b < 40 ? b % 3 : b % 65;
    }
    unsigned short Level() {
        static const unsigned short kLevels[] = {0,   1,   2,   63,  64,  127, 128, 129,   191,
                                                 192, 253, 254, 255, 256, 257, 511, 0xFFFF};
        return Bool() ? kLevels[Byte() % (sizeof kLevels / sizeof kLevels[0])] : U16();
    }
    unsigned long Colour() {
        static const uint32_t kColours[] = {0, 0xFFFFFFFFu, 0x00FFFFFFu, 0xFF000000u, 0x80808080u, 0x00F81F07u};
        return Bool() ? kColours[Byte() % (sizeof kColours / sizeof kColours[0])] : U32();
    }
    float Angle() {
        static const float kAngles[] = {NAN,        INFINITY,    -INFINITY, 0.0f,  -0.0f,  FLT_MAX,
                                        -FLT_MAX,   FLT_MIN,     1e-45f,    1e30f, -1e30f, 3.14159265f,
                                        1.5707963f, -2.3561945f, 1e9f,      45.0f};
        if (Bool()) return kAngles[Byte() % (sizeof kAngles / sizeof kAngles[0])];
        const uint32_t bits = U32();
        float f;
        memcpy(&f, &bits, sizeof f);
        return f;
    }
    // Shifted passes cost one stamp each: a few, or a count that draws none.
    int Passes() {
        static const int kNone[] = {-1, -2, INT_MIN, 0, 1};
        return Byte() < 200 ? Below(13) : kNone[Below(5)];
    }

  private:
    const uint8_t *p_;
    const uint8_t *end_;
};

// ---------------------------------------------------------------------------
// Surfaces: one exact heap block each, freed when the input is done.
// ---------------------------------------------------------------------------

enum Kind { k8, k565, k555, k1555, k4444, k16Other, k24, k32, kOdd, kKinds };

constexpr unsigned kAny = (1u << kOdd) - 1;         // the six formats and other 16-bit masks
constexpr unsigned kAnyOrOdd = (1u << kKinds) - 1;  // and a bpp no function handles
constexpr unsigned kOnly8 = 1u << k8;

struct Format {
    unsigned bpp, r, g, b, a;
};

Format FormatOf(const TSurfDesc &s) { return Format{s.bpp, s.rMask, s.gMask, s.bMask, s.aMask}; }

struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    explicit Block(size_t n) : bytes(new uint8_t[n]) {}
};

class Arena {
  public:
    explicit Arena(Reader &in) : in_(in) {}

    // kinds: a bit per Kind the call may take.
    TSurfDesc &Surface(unsigned kinds, bool nullPalette = false) {
        Kind allowed[kKinds];
        int n = 0;
        for (int i = 0; i < kKinds; ++i)
            if (kinds >> i & 1) allowed[n++] = Kind(i);
        const Kind k = allowed[in_.Below(n)];
        const int w = in_.Side();
        return Make(k, w, in_.Side(), nullPalette);
    }

    // Most calls want a second surface of the first one's format: often
    // that, else any of the kinds allowed.
    TSurfDesc &Source(const TSurfDesc &dst, unsigned kinds, bool nullPalette = false) {
        if (in_.Byte() >= 96 || (dst.bpp % 8) != 0 || dst.bpp == 0 || dst.bpp > 32) return Surface(kinds, nullPalette);
        const int w = in_.Side();
        return Like(FormatOf(dst), w, in_.Side(), nullPalette);
    }

    TSurfDesc &Make(Kind k) {
        const int w = in_.Side();
        return Make(k, w, in_.Side());
    }
    TSurfDesc &Like(const Format &f) {
        const int w = in_.Side();
        return Like(f, w, in_.Side());
    }

    // Weights: 8-bit as a rule, any kind now and then.
    TSurfDesc &Mask() { return Surface(in_.Bool() ? kOnly8 : kAny); }
    // Alpha maps: 8-bit, or of the destination's format, or any other.
    TSurfDesc &Alpha(const TSurfDesc &dst) { return in_.Bool() ? Make(k8) : Source(dst, kAny); }

    TSurfDesc &Make(Kind k, int w, int h, bool nullPalette = false) {
        static const Format kFormats[kKinds - 1] = {
            {8, 0, 0, 0, 0},
            {16, 0xF800, 0x07E0, 0x001F, 0},
            {16, 0x7C00, 0x03E0, 0x001F, 0},
            {16, 0x7C00, 0x03E0, 0x001F, 0x8000},
            {16, 0x0F00, 0x00F0, 0x000F, 0xF000},
            {16, 0x001F, 0x07E0, 0xF800, 0},  // counts as R5G6B5
            {24, 0, 0, 0, 0},
            {32, 0, 0, 0, 0},
        };
        // A bpp none of the functions handles.
        static const unsigned kOddBpp[] = {0, 1, 4, 12, 15, 48, 64};
        const Format f = k == kOdd ? Format{kOddBpp[in_.Below(7)], 0, 0, 0, 0} : kFormats[k];
        return Like(f, w, h, nullPalette);
    }

    // Pixels in a format, rows exact, a little padding (odd too), or a lot;
    // 8 bits with a palette, or without one where the call allows it.
    TSurfDesc &Like(const Format &f, int w, int h, bool nullPalette = false) {
        surfaces_.emplace_back(new TSurfDesc());
        TSurfDesc &s = *surfaces_.back();
        s.width = w;
        s.height = h;
        s.bpp = f.bpp;
        s.rMask = f.r;
        s.gMask = f.g;
        s.bMask = f.b;
        s.aMask = f.a;
        const uint8_t pad = in_.Byte();
        s.scanWidth = int((int64_t(w) * f.bpp + 7) / 8) + (pad < 128 ? 0 : pad < 224 ? pad % 8 : pad % 64);
        const size_t total = size_t(s.scanWidth) * size_t(h);
        s.bits = Bytes(total);
        Fill(s.bits, total);
        s.transColor = Key(s.bits, total, f.bpp / 8);
        s.palette = f.bpp == 8 && !(nullPalette && in_.Byte() < 64) ? Palette() : nullptr;
        return s;
    }

    // The image's record over a block of its own, at least height x
    // scanWidth bytes.
    TSurfDesc &Scratch(const TSurfDesc &img) {
        surfaces_.emplace_back(new TSurfDesc(img));
        TSurfDesc &s = *surfaces_.back();
        const size_t need = size_t(img.scanWidth) * size_t(img.height) + (in_.Byte() < 200 ? 0 : in_.Below(64));
        s.bits = Bytes(need);
        Fill(s.bits, need);
        return s;
    }

    TRGBA *Palette() {
        TRGBA *pal = reinterpret_cast<TRGBA *>(Bytes(256 * sizeof(TRGBA)));
        Fill(reinterpret_cast<uint8_t *>(pal), 256 * sizeof(TRGBA));
        return pal;
    }

    // Filled bytes, a block of exactly n.
    uint8_t *Table(size_t n) {
        uint8_t *t = Bytes(n);
        Fill(t, n);
        return t;
    }

    uint8_t *Bytes(size_t n) {
        blocks_.emplace_back(n);
        return blocks_.back().bytes.get();
    }

  private:
    // Contents: one value, noise, or two values mixed (so keys and the
    // 0 and 255 of masks come up).
    void Fill(uint8_t *p, size_t n) {
        const uint8_t mode = in_.Byte(), v0 = in_.Byte(), v1 = in_.Byte();
        uint32_t x = in_.U32() | 1;
        for (size_t i = 0; i < n; ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            switch (mode % 3) {
                case 0:
                    p[i] = v0;
                    break;
                case 1:
                    p[i] = uint8_t(x >> 24);
                    break;
                default:
                    p[i] = (x >> 28) & 1 ? v1 : v0;
                    break;
            }
        }
    }

    // No key, the first pixel's own value, or any word.
    uint32_t Key(const uint8_t *bits, size_t total, unsigned bytes) {
        const uint8_t b = in_.Byte();
        if (b < 96) return 0xFFFFFFFFu;
        if (b < 192 && bytes <= 4 && total >= bytes) {
            uint32_t v = 0;
            for (unsigned i = 0; i < bytes; ++i) v |= uint32_t(bits[i]) << (8 * i);
            return v;
        }
        return in_.U32();
    }

    Reader &in_;
    std::vector<std::unique_ptr<TSurfDesc>> surfaces_;
    std::vector<Block> blocks_;
};

// The two tables of the 8-bit mixes, filled once; whatever they hold is a
// palette index.
unsigned char (*MixTable())[65536] {
    static unsigned char(*table)[65536] = [] {
        auto *t = new unsigned char[2][65536];
        for (int i = 0; i < 65536; ++i) {
            t[0][i] = uint8_t(i * 37 + (i >> 8));
            t[1][i] = uint8_t(i ^ (i >> 5));
        }
        return t;
    }();
    return table;
}

// Present for 8-bit destinations, which read it; else present or not.
unsigned char (*TableFor(const TSurfDesc &dst, Reader &in))[65536] {
    return dst.bpp == 8 || in.Bool() ? MixTable() : nullptr;
}

// ---------------------------------------------------------------------------
// One case per family of exports.
// ---------------------------------------------------------------------------

void Blits(Reader &in, Arena &a) {
    TSurfDesc &dst = a.Surface(kAnyOrOdd);
    TSurfDesc &src = in.Byte() < 24 ? dst : a.Source(dst, kAny, true);
    if (in.Bool()) {
        const CRectangulo r = in.Rect();
        DrawBitmap(dst, r, src, in.Point());
    } else {
        DrawBitmap(dst, src);
    }
}

void Mixes(Reader &in, Arena &a) {
    TSurfDesc &dst = a.Surface(kAnyOrOdd);
    TSurfDesc &src = a.Source(dst, kAny, true);
    const CRectangulo r = in.Rect();
    const CPunto sp = in.Point(), ap = in.Point(), bp = in.Point();
    const unsigned short level = in.Level();
    unsigned char(*const table)[65536] = TableFor(dst, in);
    switch (in.Below(5)) {
        case 0:
            DrawMix(dst, r, level, src, sp, table);
            break;
        case 1:
            DrawMix(dst, r, a.Alpha(dst), ap, src, sp, table);
            break;
        case 2:
            DrawMix(dst, r, a.Alpha(dst), ap, src, sp, level);
            break;
        case 3:
            DrawMix(dst, r, level, src, sp, a.Surface(kAny, true), bp, table);
            break;
        default: {
            TSurfDesc &alpha = a.Alpha(dst);
            DrawMix(dst, r, alpha, ap, src, sp, a.Surface(kAny, true), bp, table);
            break;
        }
    }
}

// The 8-bit kernels called directly: destination and source are 8-bit.
void Mixes8(Reader &in, Arena &a) {
    TSurfDesc &dst = a.Surface(kOnly8);
    TSurfDesc &src = a.Surface(kOnly8, true);
    const CRectangulo r = in.Rect();
    const CPunto sp = in.Point(), ap = in.Point();
    const unsigned short level = in.Level();
    if (in.Bool())
        DrawMix_8Bits(dst, r, level, src, sp, MixTable());
    else
        DrawMix_8Bits(dst, r, a.Alpha(dst), ap, src, sp, MixTable());
}

void Masks(Reader &in, Arena &a) {
    const int which = in.Below(4);
    // The 8-bit kernels are called on 8-bit destinations only.
    TSurfDesc &dst = a.Surface(which == 1 || which == 3 ? kOnly8 : kAnyOrOdd);
    TSurfDesc &mask = a.Mask();
    const CRectangulo r = in.Rect();
    const CPunto mp = in.Point();
    const unsigned long colour = in.Colour();
    const unsigned short strength = in.Level();
    unsigned char(*const table)[65536] = TableFor(dst, in);
    switch (which) {
        case 0:
            DrawMask(dst, r, mask, mp, colour, table);
            break;
        case 1:
            DrawMask_8Bits(dst, r, mask, mp, colour, MixTable());
            break;
        case 2:
            DrawBiMask(dst, strength, r, mask, mp, table);
            break;
        default:
            DrawBiMask_8Bits(dst, strength, r, mask, mp, MixTable());
            break;
    }
}

void Stretches(Reader &in, Arena &a) {
    TSurfDesc &dst = a.Surface(kAnyOrOdd);
    TSurfDesc &src = a.Source(dst, kAny, true);
    const CRectangulo dr = in.Rect(), sr = in.Rect();
    const bool flag = in.Bool();
    switch (in.Below(5)) {
        case 0:
            BltStrech(dst, dr, src, sr, flag);
            break;
        case 1:
            DrawStretch(dst, dr, src, sr);
            break;
        case 2:
            DrawStretch(dst, dr, src, sr, flag ? a.Table(256) : nullptr);
            break;
        case 3: {
            static const int kBpp[] = {24, 32, 16, 8, 0, -24, 33};
            const int bpp = kBpp[in.Below(7)];
            const bool enable = in.Byte() < 230;
            StretchBitmap(dst, dr, src, sr, bpp, enable, flag);
            break;
        }
        default:
            DrawDouble(dst, src, in.Point());
            break;
    }
}

// The destination is sized for the turned image, as the header asks.
void Rotations(Reader &in, Arena &a) {
    TSurfDesc &src = a.Surface(kAny, true);
    const int turn = int(in.U32());
    const bool quarter = (turn & 1) != 0;
    const int w = quarter ? src.height : src.width, h = quarter ? src.width : src.height;
    TSurfDesc &dst = in.Byte() < 200 ? a.Like(FormatOf(src), w, h) : a.Make(Kind(in.Below(kKinds)), w, h);
    CreateRotated(dst, src, turn);
}

void Fills(Reader &in, Arena &a) {
    const int which = in.Below(8);
    TSurfDesc &s = a.Surface(which == 6 ? kOnly8 : kAnyOrOdd);
    const CRectangulo r = in.Rect();
    const CPunto p = in.Point(), q = in.Point();
    const int len = in.Coord();
    const unsigned long c = in.Colour();
    const unsigned short level = in.Level();
    switch (which) {
        case 0:
            IdxFillRect(s, r, c);
            break;
        case 1:
            IdxLineHI(s, p, len, c);
            break;
        case 2:
            IdxLineVI(s, p, len, c);
            break;
        case 3:
            FrameBR(s, r, c);
            break;
        case 4: {
            const uint8_t step = in.Byte();
            DrawRectShadow(s, r, step, in.Byte());
            break;
        }
        case 5:
            MaskFillRect(s, r, c, level);
            break;
        case 6:
            MaskFillRect_8Bits(s, r, c, level, MixTable());
            break;
        default: {
            const bool soft = in.Bool();
            static const int kThick[] = {INT_MAX, INT_MIN, -1, 0, 1000, 1 << 30};
            const int thick = in.Byte() < 200 ? in.Below(9) : kThick[in.Below(6)];
            Line(s, p, q, c, level, soft, thick);
            break;
        }
    }
}

void Tools(Reader &in, Arena &a) {
    switch (in.Below(4)) {
        case 0:
            FlipX(a.Surface(kAnyOrOdd));
            break;
        case 1: {
            TSurfDesc &s = a.Surface(kAnyOrOdd);
            const CRectangulo r = in.Rect();
            const float amount = in.Bool() ? float(in.Byte()) / 255.0f : in.Angle();
            const unsigned char *table = s.bpp == 8 || in.Bool() ? a.Table(256) : nullptr;
            TranslateRect(s, r, amount, table);
            break;
        }
        case 2: {
            // Nothing is clipped: the block lies inside both surfaces, which
            // share a format (or are one surface).
            TSurfDesc &dst = a.Surface(kAnyOrOdd);
            const int dw = dst.width, dh = dst.height;
            TSurfDesc &src = in.Byte() < 64 ? dst : a.Like(FormatOf(dst));
            const int w = in.Below(1 + (dw < src.width ? dw : src.width));
            const int h = in.Below(1 + (dh < src.height ? dh : src.height));
            const int sx = in.Below(1 + src.width - w);
            const int sy = in.Below(1 + src.height - h);
            const int dx = in.Below(1 + dw - w);
            const int dy = in.Below(1 + dh - h);
            DrawBlock(dst, src, uint16_t(sx), uint16_t(sy), uint16_t(dx), uint16_t(dy), uint16_t(w), uint16_t(h));
            break;
        }
        default: {
            TSurfDesc &img = a.Surface(kAnyOrOdd);
            // The caller's zeroed plane, one byte per pixel.
            TSurfDesc &mask = in.Byte() < 200 ? a.Make(k8, img.width, img.height) : a.Make(k8);
            memset(mask.bits, 0, size_t(mask.scanWidth) * size_t(mask.height));
            const int x = in.Coord(), y = in.Coord();
            const unsigned long tol = in.Bool() ? in.Byte() : in.U32();
            const unsigned long ref = in.Colour();
            Rellena(img, mask, x, y, tol, ref, in.Colour());
            break;
        }
    }
}

void Blends(Reader &in, Arena &a) {
    using SourceForm = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &);
    using ColourForm = bool (*)(TSurfDesc &, const CRectangulo &, unsigned long, TSurfDesc &, const CPunto &);
    using MaskedForm =
        bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &, TSurfDesc &, const CPunto &);
    static const SourceForm kSource[] = {DoSuma, DoResta, DoMultiplica, DoScreen, DoLighten, DoDarken, DoSuperponer};
    static const ColourForm kColour[] = {DoSuma, DoResta, DoMultiplica, DoScreen, DoLighten, DoDarken, DoSuperponer};
    static const MaskedForm kMasked[] = {DoSuma, DoResta, DoMultiplica, DoScreen, DoLighten, DoDarken, DoSuperponer};
    const int mode = in.Below(7);
    TSurfDesc &dst = a.Surface(kAnyOrOdd);
    const CRectangulo r = in.Rect();
    switch (in.Below(3)) {
        case 0: {
            TSurfDesc &src = a.Source(dst, kAny);
            kSource[mode](dst, r, src, in.Point());
            break;
        }
        case 1: {
            TSurfDesc &mask = a.Mask();
            const unsigned long c = in.Colour();
            kColour[mode](dst, r, c, mask, in.Point());
            break;
        }
        default: {
            TSurfDesc &src = a.Source(dst, kAny);
            TSurfDesc &mask = a.Mask();
            const CPunto p = in.Point();
            kMasked[mode](dst, r, src, p, mask, in.Point());
            break;
        }
    }
}

void Effects(Reader &in, Arena &a) {
    TSurfDesc &dst = a.Surface(kAnyOrOdd);
    TSurfDesc &src = a.Source(dst, kAny);
    const CRectangulo r = in.Rect();
    const CPunto at = in.Point();
    switch (in.Below(4)) {
        case 0: {
            const int position = in.Coord(), step = in.Coord();
            OpenFader(dst, r, src, at, position, step, in.Coord());
            break;
        }
        case 1: {
            const unsigned long c = in.Colour();
            const int passes = in.Passes();
            FiltroMotionBlur(dst, src, r, at, c, passes, in.Angle());
            break;
        }
        case 2: {
            const unsigned long c = in.Colour();
            const int passes = in.Passes();
            FiltroBrilloBlur(dst, src, r, at, c, passes, in.Angle());
            break;
        }
        default:
            FiltroMotionMask(dst, src, r, at, in.Coord());
            break;
    }
}

// Convolution in place; the scratch holds at least height x scanWidth bytes
// (or is the image itself), taps and weights are count long.
void Convolutions(Reader &in, Arena &a) {
    TSurfDesc &img = a.Surface(kAnyOrOdd);
    TSurfDesc &scratch = in.Byte() < 48 ? img : a.Scratch(img);
    switch (in.Below(5)) {
        case 0: {
            const int count = in.Below(26);
            int *coefs = reinterpret_cast<int *>(a.Bytes(sizeof(int) * size_t(count)));
            long *offsets = reinterpret_cast<long *>(a.Bytes(sizeof(long) * size_t(count)));
            const long bytes = img.bpp >= 8 ? long(img.bpp / 8) : 1;
            for (int i = 0; i < count; ++i) {
                coefs[i] = in.Bool() ? in.Below(9) - 4 : int(in.U32());
                switch (in.Below(4)) {
                    case 0: {
                        const long dx = in.Below(5) - 2;
                        offsets[i] = dx * bytes + (in.Below(5) - 2) * long(img.scanWidth);
                        break;
                    }
                    case 1:
                        offsets[i] = long(in.Coord());
                        break;
                    case 2:
                        offsets[i] = in.Bool() ? LONG_MIN : LONG_MAX;
                        break;
                    default: {
                        const long v = long(int(in.U32()));
                        offsets[i] = in.Bool() ? v : v * 65536L;
                        break;
                    }
                }
            }
            static const int kDivisors[] = {1, 2, 3, 9, 16, -1, -7, 0, INT_MIN, INT_MAX};
            const int divisor = in.Bool() ? kDivisors[in.Below(10)] : int(in.U32());
            DoConvolucion(img, scratch, count, coefs, offsets, divisor, in.Coord());
            break;
        }
        case 1:
            DoSuavizado(img, scratch);
            break;
        case 2:
            DoEmboss(img, scratch);
            break;
        case 3:
            DoRealce(img, scratch);
            break;
        default:
            FiltroMask(img, scratch, in.Below(28) - 2);
            break;
    }
}

void Filters(Reader &in, Arena &a) {
    switch (in.Below(7)) {
        case 0: {
            TSurfDesc &s = a.Surface(kAnyOrOdd);
            DoFactor(s, in.Level());
            break;
        }
        case 1: {
            TSurfDesc &s = a.Surface(kAnyOrOdd);
            const unsigned long from = in.Colour(), to = in.Colour();
            DoGradient(s, from, to);
            break;
        }
        case 2:
        case 3: {
            TSurfDesc &s = a.Surface(kAnyOrOdd);
            TSurfDesc &other = a.Surface(kAny);
            const CRectangulo r = in.Rect();
            if (in.Bool())
                DoAntiAlias(s, r, other, in.U16());
            else
                DoAntiAlias2(s, r, other, in.U16());
            break;
        }
        case 4: {
            TSurfDesc &plane = a.Surface(kOnly8);
            DoAntiAliasBMP(plane, in.Level());
            break;
        }
        case 5: {
            // An 8-bit plane of the source's size.
            TSurfDesc &src = a.Surface(kAnyOrOdd, true);
            TSurfDesc &mask = a.Make(k8, src.width, src.height);
            CreateMask(mask, src, in.Level());
            break;
        }
        default: {
            TSurfDesc &src = a.Surface(kAnyOrOdd, true);
            TSurfDesc &shadow = in.Bool() ? a.Make(k8) : (in.Bool() ? a.Like(FormatOf(src)) : a.Surface(kAnyOrOdd));
            const uint8_t decay = in.Byte(), limit = in.Byte();
            CreateShadow(shadow, src, decay, limit, in.Level());
            break;
        }
    }
}

// Conversions: Convert picks the pair itself (the destination at least the
// source's size); the named pairs are called with the formats they name,
// source first in the name, as the library's own tests call them.
void Conversions(Reader &in, Arena &a) {
    using Pair = bool (*)(TSurfDesc &, TSurfDesc &);
    struct Named {
        Pair fn;
        Kind dst, src;
    };
    static const Named kNamed[] = {
        {Convert32_24_, k24, k32},
        {Convert24_32_, k32, k24},
        {Convert16_565_16_555, k555, k565},
        {Convert16_565_16_5551, k1555, k565},
        {Convert16_565_16_4444, k4444, k565},
        {Convert16_555_16_565, k565, k555},
        {Convert16_5551_16_565, k565, k1555},
        {Convert16_555_16_4444, k4444, k555},
        {Convert16_5551_16_4444, k4444, k1555},
        {Convert16_555_16_5551, k1555, k555},
        {Convert16_5551_16_555, k555, k1555},
        {Convert16_4444_16_565, k565, k4444},
        {Convert16_4444_16_555, k555, k4444},
        {Convert16_4444_16_5551, k1555, k4444},
    };
    switch (in.Below(4)) {
        case 0: {
            TSurfDesc &src = a.Surface(kAnyOrOdd, true);
            const int grow = in.Below(4);
            TSurfDesc &dst = a.Make(Kind(in.Below(kKinds)), src.width + grow, src.height + (grow & 1));
            static const unsigned long kModes[] = {0, 1, 2, 3, 4, 5, 0xFFFFFFFFul};
            Convert(dst, src, kModes[in.Below(7)]);
            break;
        }
        case 1: {
            TSurfDesc &src = a.Surface(kAnyOrOdd);
            const int grow = in.Below(9);
            TSurfDesc &dst = a.Like(FormatOf(src), src.width + grow % 3, src.height + grow / 3);
            CopyImage(dst, src);
            break;
        }
        case 2: {
            TSurfDesc &src = a.Surface(kOnly8);
            const int grow = in.Below(9);
            TSurfDesc &dst = a.Make(k8, src.width + grow % 3, src.height + grow / 3);
            Convert8_8(dst, src);
            break;
        }
        default: {
            // Named pairs: the sizes may differ either way.
            const Named &n = kNamed[in.Below(sizeof kNamed / sizeof kNamed[0])];
            const int w = in.Side(), h = in.Side();
            TSurfDesc &src = a.Make(n.src, w, h);
            TSurfDesc &dst = in.Bool() ? a.Make(n.dst, w, h) : a.Make(n.dst);
            n.fn(dst, src);
            break;
        }
    }
}

// Pixel access: the header has only 8-bit surfaces check the point, so
// deeper ones get a point inside.
void Pixels(Reader &in, Arena &a) {
    TSurfDesc &s = a.Surface(kAnyOrOdd);
    CPunto p = in.Point();
    if (s.bpp != 8) {
        if (s.width <= 0 || s.height <= 0) return;
        p = CPunto(int(unsigned(p.x) % unsigned(s.width)), int(unsigned(p.y) % unsigned(s.height)));
    }
    switch (in.Below(5)) {
        case 0:
            GetPixel(s, p);
            break;
        case 1:
            GetPixel(s, p.x, p.y);
            break;
        case 2:
            SetPixel(s, p, in.Colour());
            break;
        case 3:
            SetPixel(s, p.x, p.y, in.Colour());
            break;
        default:
            Width(s);
            Height(s);
            ScanWidth(s);
            Size(s);
            Transp(s);
            break;
    }
}

void Palettes(Reader &in, Arena &a) {
    TRGBA(&pal)[256] = *reinterpret_cast<TRGBA(*)[256]>(a.Palette());
    switch (in.Below(4)) {
        case 0:
            CreateModelPal(pal);
            break;
        case 1:
            CreateTruncPal(pal);
            break;
        case 2:
            CreateGreyPal(pal);
            break;
        default:
            InitializeDLL();
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using Case = void (*)(Reader &, Arena &);
    static const Case kCases[] = {Blits,  Mixes,   Mixes8,       Masks,   Stretches,   Rotations, Fills,   Tools,
                                  Blends, Effects, Convolutions, Filters, Conversions, Pixels,    Palettes};
    Reader in(data, size);
    Arena arena(in);
    for (int calls = 0; calls < 24 && !in.Empty(); ++calls)
        kCases[in.Below(sizeof kCases / sizeof kCases[0])](in, arena);
    return 0;
}
