// A caller of every kind of signature in utils.h that prints each result with
// a checksum of the pixels. Built twice from this source: by clang as Visual
// C++ would (no C++ runtime, linked by the Microsoft names only) and by g++
// (the GCC names); the two must print the same lines. The "dirty" cases pass
// narrow arguments with garbage in the unused high bits, as Visual C++ may
// leave them, and check the result against a clean call.
#include <utils.h>

extern "C" {
int printf(const char *, ...);
void *malloc(size_t);
void free(void *);
void *memset(void *, int, size_t);
void *memcpy(void *, const void *, size_t);
int memcmp(const void *, const void *, size_t);
void exit(int);
}

namespace {

int failures = 0;

struct Surf {
    TSurfDesc d;
    TRGBA pal[256];
};

unsigned Hash(const void *p, size_t n, unsigned h = 2166136261u) {
    const unsigned char *b = static_cast<const unsigned char *>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 16777619u;
    return h;
}

unsigned Sum(const Surf &s) { return Hash(s.d.bits, size_t(s.d.scanWidth) * s.d.height); }

unsigned seed = 12345;
unsigned char Next() {
    seed = seed * 1103515245u + 12345u;
    return (unsigned char)(seed >> 16);
}

// bpp 16 is R5G6B5. Pixels are pseudo-random; the key is off.
Surf *Make(unsigned bpp, int w, int h) {
    Surf *s = static_cast<Surf *>(malloc(sizeof(Surf)));
    memset(s, 0, sizeof *s);
    s->d.width = w;
    s->d.height = h;
    s->d.bpp = bpp;
    if (bpp == 16) {
        s->d.rMask = 0xF800;
        s->d.gMask = 0x07E0;
        s->d.bMask = 0x001F;
    }
    s->d.transColor = 0xFFFFFFFFu;
    s->d.scanWidth = w * int(bpp / 8);
    s->d.bits = static_cast<unsigned char *>(malloc(size_t(s->d.scanWidth) * h));
    for (int i = 0; i < s->d.scanWidth * h; ++i) s->d.bits[i] = Next();
    for (int i = 0; i < 256; ++i)
        s->pal[i] = TRGBA{(unsigned char)i, (unsigned char)(255 - i), (unsigned char)(i * 7), 0};
    s->d.palette = bpp == 8 ? s->pal : 0;
    return s;
}

Surf *Copy(const Surf &from) {
    Surf *s = Make(from.d.bpp, from.d.width, from.d.height);
    memcpy(s->d.bits, from.d.bits, size_t(from.d.scanWidth) * from.d.height);
    return s;
}

void Drop(Surf *s) {
    free(s->d.bits);
    free(s);
}

void Report(const char *what, bool r, const Surf &s) { printf("%s: %d %08x\n", what, r ? 1 : 0, Sum(s)); }

// A clean and a dirty call must leave the same pixels and result.
void Same(const char *what, bool r1, const Surf &a, bool r2, const Surf &b) {
    const bool same = r1 == r2 && memcmp(a.d.bits, b.d.bits, size_t(a.d.scanWidth) * a.d.height) == 0;
    printf("dirty %s: %s\n", what, same ? "same" : "DIFFERENT");
    if (!same) ++failures;
}

void Put16(unsigned char *p, unsigned v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}
void Put32(unsigned char *p, unsigned v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// A 24-bit bottom-up BMP of w x h.
size_t BuildBmp(unsigned char *f, int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    const size_t size = 54 + size_t(row) * h;
    memset(f, 0, size);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f + 2, unsigned(size));
    Put32(f + 10, 54);
    Put32(f + 14, 40);
    Put32(f + 18, unsigned(w));
    Put32(f + 22, unsigned(h));
    Put16(f + 26, 1);
    Put16(f + 28, 24);
    for (size_t i = 54; i < size; ++i) f[i] = Next();
    return size;
}

// A one-frame GIF of w x h with four colours; codes are literals with a
// clear code before each one, so the code width never grows.
size_t BuildGif(unsigned char *f, int w, int h) {
    size_t n = 0;
    const char *sig = "GIF89a";
    while (*sig) f[n++] = (unsigned char)*sig++;
    Put16(f + n, unsigned(w)), n += 2;
    Put16(f + n, unsigned(h)), n += 2;
    f[n++] = 0x81;  // global table of 4 entries
    f[n++] = 0;
    f[n++] = 0;
    for (int i = 0; i < 12; ++i) f[n++] = (unsigned char)(i * 21 + 3);
    f[n++] = ',';
    Put16(f + n, 0), n += 2;
    Put16(f + n, 0), n += 2;
    Put16(f + n, unsigned(w)), n += 2;
    Put16(f + n, unsigned(h)), n += 2;
    f[n++] = 0;
    f[n++] = 2;  // minimum code size
    unsigned char codes[512];
    size_t len = 0;
    unsigned acc = 0;
    int held = 0;
    auto put = [&](unsigned c) {
        acc |= c << held;
        held += 3;
        while (held >= 8) {
            codes[len++] = (unsigned char)acc;
            acc >>= 8;
            held -= 8;
        }
    };
    for (int i = 0; i < w * h; ++i) {
        put(4);
        put(Next() & 3);
    }
    put(5);
    if (held) codes[len++] = (unsigned char)acc;
    for (size_t i = 0; i < len; i += 255) {
        const size_t part = len - i < 255 ? len - i : 255;
        f[n++] = (unsigned char)part;
        memcpy(f + n, codes + i, part);
        n += part;
    }
    f[n++] = 0;
    f[n++] = ';';
    return n;
}

void Queries() {
    Surf *s = Make(32, 13, 7);
    const CSize z = Size(s->d);
    printf("Size: %d %d\n", z.cx, z.cy);
    printf("Width Height ScanWidth Transp: %d %d %d %d\n", Width(s->d), Height(s->d), ScanWidth(s->d),
           Transp(s->d) ? 1 : 0);
    SetPixel(s->d, CPunto(3, 4), 0x00123456ul);
    SetPixel(s->d, 5, 6, 0x00ABCDEFul);
    printf("GetPixel: %08x %08x %08x\n", unsigned(GetPixel(s->d, CPunto(3, 4))), unsigned(GetPixel(s->d, 5, 6)),
           unsigned(GetPixel(s->d, 1, 2)));
    Report("SetPixel", true, *s);
    Drop(s);
}

void Palette() {
    InitializeDLL();
    printf("lu_gPaleta: %08x\n", Hash(lu_gPaleta, sizeof lu_gPaleta));
    TRGBA pal[256];
    memset(pal, 0, sizeof pal);
    CreateGreyPal(pal);
    printf("CreateGreyPal: %08x\n", Hash(pal, sizeof pal));
}

void Decoders() {
    unsigned char *file = static_cast<unsigned char *>(malloc(4096));
    const size_t bmp = BuildBmp(file, 5, 3);
    TSurfDesc info;
    memset(&info, 0, sizeof info);
    const bool ri = LoadInfoBMP(info, file, long(bmp));
    printf("LoadInfoBMP: %d %d %d %u\n", ri ? 1 : 0, info.width, info.height, info.bpp);
    Surf *s = Make(32, 5, 3);
    Report("LoadBMP", LoadBMP(s->d, file, long(bmp)), *s);
    Report("LoadBMP short", LoadBMP(s->d, file, long(bmp) - 7), *s);
    Drop(s);

    const size_t gif = BuildGif(file, 6, 4);
    CKVGIF g;
    RAW *raw = static_cast<RAW *>(malloc(sizeof(RAW)));
    memset(&g, 0, sizeof g);
    memset(raw, 0, sizeof *raw);
    raw->flag = 1;
    memset(&info, 0, sizeof info);
    const bool gi = LoadInfoGIF(info, file, long(gif), g, *raw);
    printf("LoadInfoGIF: %d %d %d %u %d\n", gi ? 1 : 0, info.width, info.height, info.bpp, raw->flag);
    s = Make(8, 6, 4);
    const bool next = LoadGIFNext(s->d, file, g, *raw);
    const bool frame = LoadGIF(s->d, file, g, *raw);
    printf("LoadGIFNext: %d, frame %d x %d, palette %08x\n", next ? 1 : 0, raw->width, raw->height,
           Hash(raw->palette, 12));
    Report("LoadGIF", frame, *s);
    printf("LoadGIFEnd: %d\n", LoadGIFEnd(s->d, file, g, *raw) ? 1 : 0);
    Drop(s);
    free(raw);
    free(file);
}

void Blits(unsigned char (*table)[65536]) {
    Surf *src = Make(32, 16, 12), *dst = Make(32, 16, 12);
    src->d.transColor = GetPixel(src->d, 2, 2);
    Report("DrawBitmap", DrawBitmap(dst->d, CRectangulo(1, 2, 11, 9), src->d, CPunto(3, 1)), *dst);
    Report("IdxFillRect", IdxFillRect(dst->d, CRectangulo(4, 3, 9, 11), 0x00FF8040ul), *dst);
    Report("BltStrech", BltStrech(dst->d, CRectangulo(0, 0, 15, 10), src->d, CRectangulo(2, 1, 9, 7), true), *dst);
    Report("DrawMix", DrawMix(dst->d, CRectangulo(2, 2, 14, 10), (unsigned short)100, src->d, CPunto(1, 3), table),
           *dst);
    Report("DrawBlock",
           DrawBlock(dst->d, src->d, (unsigned short)1, (unsigned short)2, (unsigned short)5, (unsigned short)3,
                     (unsigned short)7, (unsigned short)6),
           *dst);
    Report("DrawRectShadow", DrawRectShadow(dst->d, CRectangulo(1, 1, 12, 10), (unsigned char)2, (unsigned char)5),
           *dst);

    Surf *mask = Make(8, 16, 12);
    lu_gPaleta[255] = TRGBA{10, 200, 30, 0};  // DrawBiMask lightens towards it
    Report("DrawBiMask",
           DrawBiMask(dst->d, (unsigned short)180, CRectangulo(3, 1, 15, 11), mask->d, CPunto(1, 1), table), *dst);

    Surf *d8 = Make(8, 16, 12), *s8 = Make(8, 16, 12);
    Report("DrawMix 8-bit table",
           DrawMix(d8->d, CRectangulo(1, 1, 13, 11), (unsigned short)128, s8->d, CPunto(2, 0), table), *d8);
    Drop(d8);
    Drop(s8);
    Drop(mask);
    Drop(src);
    Drop(dst);
}

void Blends() {
    Surf *src = Make(32, 16, 12), *dst = Make(32, 16, 12), *mask = Make(8, 16, 12);
    const CRectangulo r(2, 1, 13, 10);
    Report("DoSuma source", DoSuma(dst->d, r, src->d, CPunto(1, 2)), *dst);
    Report("DoSuma colour", DoSuma(dst->d, r, 0x00406080ul, mask->d, CPunto(3, 1)), *dst);
    Report("DoSuma masked", DoSuma(dst->d, r, src->d, CPunto(0, 2), mask->d, CPunto(2, 2)), *dst);
    Report("DoMultiplica masked", DoMultiplica(dst->d, r, src->d, CPunto(2, 0), mask->d, CPunto(1, 1)), *dst);
    Drop(src);
    Drop(dst);
    Drop(mask);
}

void Filters() {
    Surf *src = Make(32, 16, 12), *dst = Make(32, 16, 12);
    Report("FiltroMotionBlur",
           FiltroMotionBlur(dst->d, src->d, CRectangulo(1, 1, 15, 11), CPunto(2, 1), 0x00C08040ul, 4, 0.6f), *dst);
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = (unsigned char)(255 - i);
    Report("TranslateRect", TranslateRect(dst->d, CRectangulo(0, 2, 12, 9), 0.7f, table), *dst);
    const unsigned long from = 0x00102030ul, to = 0x00F0E0D0ul;
    Report("DoGradient", DoGradient(dst->d, from, to), *dst);
    Report("DoFactor", DoFactor(dst->d, (unsigned short)190), *dst);

    Surf *scratch = Make(32, 16, 12);
    int coefs[3] = {1, 2, 1};
    long offsets[3] = {-4, 0, 4};
    Report("DoConvolucion", DoConvolucion(src->d, scratch->d, 3, coefs, offsets, 4, 1), *src);

    Surf *img = Make(32, 16, 12), *mask = Make(8, 16, 12);
    memset(mask->d.bits, 0, 16 * 12);
    for (int i = 0; i < 16 * 12 * 4; i += 4) img->d.bits[i] &= 0x0F;
    const bool r = Rellena(img->d, mask->d, 4, 5, 0x30ul, GetPixel(img->d, 4, 5), 0x00FF00FFul);
    printf("Rellena: %d %08x %08x\n", r ? 1 : 0, Sum(*img), Sum(*mask));
    Drop(img);
    Drop(mask);
    Drop(scratch);
    Drop(src);
    Drop(dst);
}

// The same export called as if its narrow parameters were wide: the callee
// must read only their own bits.
template <class To, class From>
To Wide(From f) {
    return reinterpret_cast<To>(reinterpret_cast<void (*)()>(f));
}

void Dirty() {
    Surf *a = Make(32, 9, 7), *b = Copy(*a);
    auto factor = Wide<bool (*)(TSurfDesc &, unsigned)>(&DoFactor);
    Same("unsigned short", DoFactor(a->d, (unsigned short)0x80), *a, factor(b->d, 0xBEEF0080u), *b);

    Surf *src = Make(32, 9, 7);
    auto strech = Wide<bool (*)(TSurfDesc &, CRectangulo, TSurfDesc &, CRectangulo, unsigned)>(&BltStrech);
    const CRectangulo dr(0, 0, 9, 7), sr(1, 1, 5, 4);
    Same("bool true", BltStrech(a->d, dr, src->d, sr, true), *a, strech(b->d, dr, src->d, sr, 0x5A5A5A01u), *b);
    Same("bool false", BltStrech(a->d, dr, src->d, sr, false), *a, strech(b->d, dr, src->d, sr, 0x5A5A5A00u), *b);

    auto shadow = Wide<bool (*)(TSurfDesc &, CRectangulo, unsigned, unsigned)>(&DrawRectShadow);
    const CRectangulo rr(1, 1, 7, 6);
    Same("unsigned char", DrawRectShadow(a->d, rr, (unsigned char)1, (unsigned char)3), *a,
         shadow(b->d, rr, 0xFFFFFF01u, 0x12345603u), *b);
#if defined(_WIN64)
    // 32-bit int and long in 64-bit registers.
    auto fill = Wide<bool (*)(TSurfDesc &, CRectangulo, unsigned long long)>(&IdxFillRect);
    Same("unsigned long", IdxFillRect(a->d, rr, 0x00336699ul), *a, fill(b->d, rr, 0xDEADBEEF00336699ull), *b);
    unsigned long (*get2)(TSurfDesc &, int, int) = &GetPixel;
    auto get = Wide<unsigned long (*)(TSurfDesc &, long long, long long)>(get2);
    const bool same = get(a->d, 0x7777777700000003ll, -0x100000000ll + 4) == GetPixel(a->d, 3, 4);
    Same("int", same, *a, true, *a);
#endif
    Drop(src);
    Drop(a);
    Drop(b);
}

int Run() {
    unsigned char(*table)[65536] = static_cast<unsigned char(*)[65536]>(malloc(2 * 65536));
    for (unsigned i = 0; i < 2 * 65536; ++i) table[i >> 16][i & 0xFFFF] = (unsigned char)((i * 2654435761u) >> 24);
    Queries();
    Palette();
    Decoders();
    Blits(table);
    Blends();
    Filters();
    Dirty();
    free(table);
    printf("end: %d failures\n", failures);
    return failures ? 1 : 0;
}

}  // namespace

#if defined(_MSC_VER)
// No Visual C++ runtime: our own entry point, C functions from msvcrt.dll.
extern "C" int _fltused = 0;
extern "C" void client_start() { exit(Run()); }
#else
int main() { return Run(); }
#endif
