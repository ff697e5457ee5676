// utils: software 2D imaging on caller-owned surfaces.
//
// Every operation is a free function that borrows the caller's surfaces for
// the length of one call. Two builds share this interface: "utils" (plain)
// and "utilsmmx" (SIMD kernels), which give identical pixels, also whatever
// x87 precision or rounding the caller left set. On Windows every function
// is exported under its GCC name and its Visual C++ name.
#ifndef KORVANTE_UTILS_H
#define KORVANTE_UTILS_H

#include <stddef.h>

#if defined(_WIN32)
#  if defined(UTILS_BUILDING)
#    define UTILS_API __declspec(dllexport)
#  else
#    define UTILS_API __declspec(dllimport)
#  endif
#else
#  define UTILS_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// Surface record and value types
// ---------------------------------------------------------------------------

// One palette entry; as a little-endian word it reads 0xAARRGGBB, the layout
// of a 32-bit pixel.
struct TRGBA {
    unsigned char b;
    unsigned char g;
    unsigned char r;
    unsigned char a;
};

// A block of pixels that the caller owns. Field order and widths are part of
// the binary interface: on 32-bit Windows the record is eleven 32-bit words.
struct TSurfDesc {
    int width;              // pixels
    int height;             // rows, top to bottom
    unsigned int bpp;       // 8, 16, 24 or 32
    unsigned int rMask;     // 16-bit channel masks; rMask and aMask pick the layout
    unsigned int gMask;
    unsigned int bMask;
    unsigned int aMask;
    unsigned int transColor; // key colour in the surface's own encoding; 0xFFFFFFFF: none
    int scanWidth;          // bytes from one row to the next
    unsigned char *bits;    // first byte of row 0
    TRGBA *palette;         // 256 entries for 8-bit surfaces; may be null
};

class CPunto {
public:
    int x;
    int y;
    CPunto() : x(0), y(0) {}
    CPunto(int px, int py) : x(px), y(py) {}
};

// right and bottom are exclusive.
class CRectangulo {
public:
    int left;
    int top;
    int right;
    int bottom;
    CRectangulo() : left(0), top(0), right(0), bottom(0) {}
    CRectangulo(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
};

class CSize {
public:
    int cx;
    int cy;
    CSize() : cx(0), cy(0) {}
    CSize(int w, int h) : cx(w), cy(h) {}
};

// ---------------------------------------------------------------------------
// Start-up and the model palette
// ---------------------------------------------------------------------------

extern UTILS_API TRGBA lu_gPaleta[256];

UTILS_API void InitializeDLL();
UTILS_API void CreateModelPal(TRGBA (&pal)[256]);

// ---------------------------------------------------------------------------
// Surface queries and pixel access
// ---------------------------------------------------------------------------

UTILS_API int Width(TSurfDesc &s);
UTILS_API int Height(TSurfDesc &s);
UTILS_API int ScanWidth(TSurfDesc &s);
UTILS_API CSize Size(TSurfDesc &s);
UTILS_API bool Transp(TSurfDesc &s);

UTILS_API unsigned long GetPixel(TSurfDesc &s, CPunto p);
UTILS_API unsigned long GetPixel(TSurfDesc &s, int x, int y);
UTILS_API void SetPixel(TSurfDesc &s, CPunto p, unsigned long color);
UTILS_API void SetPixel(TSurfDesc &s, int x, int y, unsigned long color);

// ---------------------------------------------------------------------------
// Conversion and palettes
// ---------------------------------------------------------------------------

// The destination comes first, the source second. Every conversion also
// converts the source's transparent colour into the destination's encoding.
// Convert returns false in every case, also after converting; mode picks the
// method for an 8-bit destination: 1 key only, 2 nearest palette entry,
// 3 truncated 3-3-2 index, 4 model-palette index.
UTILS_API bool Convert(TSurfDesc &dst, TSurfDesc &src, unsigned long mode);
UTILS_API bool CopyImage(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert32_24_(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert24_32_(TSurfDesc &dst, TSurfDesc &src);
// 16-bit layouts; the names read source to destination.
UTILS_API bool Convert16_565_16_555(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_565_16_5551(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_565_16_4444(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_555_16_565(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_5551_16_565(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_555_16_4444(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_5551_16_4444(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_555_16_5551(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_5551_16_555(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_4444_16_565(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_4444_16_555(TSurfDesc &dst, TSurfDesc &src);
UTILS_API bool Convert16_4444_16_5551(TSurfDesc &dst, TSurfDesc &src);

// Palette builders write b, g and r of every entry and leave a alone.
UTILS_API void CreateTruncPal(TRGBA (&pal)[256]);  // index RRRGGGBB, levels not stretched
UTILS_API void CreateGreyPal(TRGBA (&pal)[256]);
// Remaps an 8-bit image onto dst's palette by nearest colour; the key is
// copied unchanged.
UTILS_API bool Convert8_8(TSurfDesc &dst, TSurfDesc &src);


// ---------------------------------------------------------------------------
// Decoders: BMP
// ---------------------------------------------------------------------------

// Windows bitmaps held whole in memory: 8-bit (plain or RLE8) and 24-bit
// pixels, written straight into the surface's own format. LoadInfoBMP fills
// width, height and bpp; LoadBMP needs width, height, the format, scanWidth,
// bits and (8-bit surfaces) palette. The forms with a length never read past
// it and return false for a truncated or inconsistent file.
UTILS_API bool LoadInfoBMP(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadBMP(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadInfoBMP(TSurfDesc &s, unsigned char *data, long length);
UTILS_API bool LoadBMP(TSurfDesc &s, unsigned char *data, long length);

// 8-bit bitmaps as alpha planes: the pixel values written as they are into
// a surface of one byte per pixel, every colour table ignored. The info
// forms report bpp 8 whatever the file's depth.
UTILS_API bool LoadInfoBMPAlpha(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadBMPAlpha(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadInfoBMPAlpha(TSurfDesc &s, unsigned char *data, long length);
UTILS_API bool LoadBMPAlpha(TSurfDesc &s, unsigned char *data, long length);


// ---------------------------------------------------------------------------
// Decoders: GIF, JPEG, alpha planes, PGF
// ---------------------------------------------------------------------------

// GIF decoder state between frame calls. The caller owns it; on 32-bit
// Windows it is seven 32-bit words.
class CKVGIF {
public:
    unsigned char *stream;     // next unread byte of the stream; null: closed
    unsigned char *blockPos;   // next unread byte of the current data sub-block
    int codeSize;              // current LZW code width (3 to 12)
    int endCode;               // end-of-information code of the current frame
    int blockLeft;             // bytes not yet read in the current sub-block
    int bitsHeld;              // unconsumed bits of lastByte
    int lastByte;
};

// Decode record: 261 32-bit words on 32-bit Windows.
struct RAW {
    int width;                     // screen size after LoadInfoGIF, frame size after LoadGIF
    int height;
    int flag;                      // GIF: 1 = store colour tables; JPEG: palette given
    int flag2;                     // GIF: cleared; JPEG: true colour
    unsigned char palette[256][4]; // GIF: red, green, blue, 0
    unsigned char *bits;           // index buffer
};

// GIF, one frame per LoadGIF. The forms with a length stop every later read
// of the stream at its end; the others trust the stream to be complete.
UTILS_API bool LoadInfoGIF(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadInfoGIF(TSurfDesc &s, unsigned char *data, long length, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadGIFNext(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadGIF(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadGIFEnd(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);

// GIF frames as 8-bit alpha planes: raw indices, colour tables skipped.
UTILS_API bool LoadInfoGIFAlpha(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadInfoGIFAlpha(TSurfDesc &s, unsigned char *data, long length, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadGIFAlphaNext(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadGIFAlpha(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
UTILS_API bool LoadGIFAlphaEnd(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);

// JPEG through libjpeg.
UTILS_API bool LoadInfoJPG(TSurfDesc &s, unsigned char *data, long length);
UTILS_API bool LoadJPG(TSurfDesc &s, unsigned char *data, long length);

// PGF: reserved, never succeeds.
UTILS_API bool LoadInfoPGF(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadPGF(TSurfDesc &s, unsigned char *data);


// ---------------------------------------------------------------------------
// Blits: colour-keyed copy
// ---------------------------------------------------------------------------

// Copies the rectangle (destination coordinates) from the source, starting at
// source pixel p; source pixels equal to the source's key are skipped. An
// 8-bit source is expanded through its palette onto deeper destinations.
// False only for an unsupported destination format.
UTILS_API bool DrawBitmap(TSurfDesc &dst, CRectangulo r, TSurfDesc &src, CPunto p);
// The whole destination from the source's top-left corner.
UTILS_API bool DrawBitmap(TSurfDesc &dst, TSurfDesc &src);


// ---------------------------------------------------------------------------
// Blits: alpha mixing and masked drawing
// ---------------------------------------------------------------------------

// Mix table: two tables of 65,536 palette indices, indexed by an R5G6B5
// colour; [1] serves destination pixels where x + y is even, [0] the odd ones.
//
// Level: 0 (destination) to 255 (source); 8-bit destinations take 256 too.
// Higher levels count as the top level.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                       const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt,
                       TSurfDesc &src, const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
// Alpha values scaled by level / 256 (256 leaves them as they are); not on
// 8-bit destinations.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt,
                       TSurfDesc &src, const CPunto &srcPt, unsigned short level);
// DrawBitmap of the background first, then the mix over it.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                       const CPunto &srcPt, TSurfDesc &background, const CPunto &backgroundPt,
                       unsigned char (*const mixTable)[65536]);
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt,
                       TSurfDesc &src, const CPunto &srcPt, TSurfDesc &background, const CPunto &backgroundPt,
                       unsigned char (*const mixTable)[65536]);
UTILS_API bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                             const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
UTILS_API bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt,
                             TSurfDesc &src, const CPunto &srcPt, unsigned char (*const mixTable)[65536]);

// One colour (0xAARRGGBB; a palette colour's channels on 8 bits) laid over
// the destination as strongly as the mask says.
UTILS_API bool DrawMask(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt,
                        unsigned long color, unsigned char (*const mixTable)[65536]);
UTILS_API bool DrawMask_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt,
                              unsigned long color, unsigned char (*const mixTable)[65536]);
// Mask values below 128 darken towards lu_gPaleta[0], from 128 up lighten
// towards lu_gPaleta[255]; strength 256 reaches the targets at the extremes.
UTILS_API bool DrawBiMask(TSurfDesc &dst, unsigned short strength, CRectangulo rect, TSurfDesc &mask,
                          CPunto maskPt, unsigned char (*const mixTable)[65536]);
UTILS_API bool DrawBiMask_8Bits(TSurfDesc &dst, unsigned short strength, CRectangulo rect, TSurfDesc &mask,
                                CPunto maskPt, unsigned char (*const mixTable)[65536]);


// ---------------------------------------------------------------------------
// Blits: stretching, doubling and rotation
// ---------------------------------------------------------------------------

// Scales a source rectangle onto a destination rectangle of the same format;
// filter asks for bilinear sampling (24 and 32 bits only).
UTILS_API bool BltStrech(TSurfDesc &dst, CRectangulo dstRect, TSurfDesc &src, CRectangulo srcRect, bool filter);
UTILS_API bool DrawStretch(TSurfDesc &dst, CRectangulo const &dstRect, TSurfDesc &src, CRectangulo const &srcRect);
// Does nothing: true on 8-, 24- and 32-bit destinations, false otherwise.
UTILS_API bool DrawStretch(TSurfDesc &dst, CRectangulo const &dstRect, TSurfDesc &src, CRectangulo const &srcRect,
                           unsigned char *table);
// Bilinear enlargement or box-filtered reduction of 24- or 32-bit pixels.
UTILS_API bool StretchBitmap(TSurfDesc &dst, CRectangulo dstRect, TSurfDesc &src, CRectangulo srcRect, int bpp,
                             bool enable, bool unused);
// Draws every source pixel as a 2 x 2 block at the point; always false.
UTILS_API bool DrawDouble(TSurfDesc &dst, TSurfDesc &src, CPunto at);
// Quarter and half turns (codes 0-3) with an optional mirror (+4).
UTILS_API bool CreateRotated(TSurfDesc &dst, TSurfDesc &src, int turn);


// ---------------------------------------------------------------------------
// Drawing: fills, frames, lines, flip, translate, block copy, flood fill
// ---------------------------------------------------------------------------

// Colours are 0xAARRGGBB on 16-, 24- and 32-bit surfaces, palette indices on
// 8-bit ones. Rectangles are clipped to the surface.
UTILS_API bool IdxFillRect(TSurfDesc &s, CRectangulo r, unsigned long color);
// The point is the exclusive far end of the run: HI draws row p.y - 1,
// VI column p.x - 1; a negative length runs backwards.
UTILS_API bool IdxLineHI(TSurfDesc &s, const CPunto &p, int len, unsigned long color);
UTILS_API bool IdxLineVI(TSurfDesc &s, const CPunto &p, int len, unsigned long color);
// Last row and last column inside the rectangle.
UTILS_API bool FrameBR(TSurfDesc &s, CRectangulo r, unsigned long color);
// ceil(size / step) black bottom-right frames at offsets 1, 2, 3...
UTILS_API bool DrawRectShadow(TSurfDesc &s, CRectangulo r, unsigned char step, unsigned char size);
// The colour laid over the rectangle at level 0 (none) to 255 (all).
UTILS_API bool MaskFillRect(TSurfDesc &s, const CRectangulo &r, unsigned long color, unsigned short level);
// 8-bit form: mixes lu_gPaleta entries with the colour (level 0 to 256) and
// maps the result through the caller's two dithered R5G6B5 tables.
UTILS_API bool MaskFillRect_8Bits(TSurfDesc &s, const CRectangulo &r, unsigned long color,
                                  unsigned short level, unsigned char (*const tables)[65536]);
// Always returns false.
UTILS_API bool Line(TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long color,
                    unsigned short level, bool soft, int thickness);

// Mirrors every row left to right.
UTILS_API bool FlipX(TSurfDesc &s);
// Brightness shift (amount 0.5 keeps, 1.0 white, 0.0 black); on 8-bit
// surfaces the indices are remapped through the 256-byte table instead.
UTILS_API bool TranslateRect(TSurfDesc &s, const CRectangulo &r, float amount, const unsigned char *table);
// Plain copy of a w x h block between surfaces of the same format.
UTILS_API bool DrawBlock(TSurfDesc &dst, TSurfDesc &src, unsigned short srcX, unsigned short srcY,
                         unsigned short dstX, unsigned short dstY, unsigned short w, unsigned short h);
// Flood fill from (x, y) over pixels within tolerance of ref, painted with
// fill. mask: 8 bits per pixel, zero-filled by the caller; each filled
// pixel's byte receives its similar-neighbour bits (1 above, 2 below,
// 4 right, 8 left).
UTILS_API bool Rellena(TSurfDesc &image, TSurfDesc &mask, int x, int y, unsigned long tolerance,
                       unsigned long ref, unsigned long fill);


// ---------------------------------------------------------------------------
// Effects: blend modes
// ---------------------------------------------------------------------------

// Seven blend modes, each in three forms, on 16-, 24- and 32-bit destinations
// (false for 8 bits, an outside point or an empty clipped rectangle):
//   source: blends src (destination's format) at p, skipping its key colour
//           (black when it has none);
//   colour: blends a constant 0xAARRGGBB colour, weighted by an 8-bit mask;
//   masked: blends src at p, weighted by an 8-bit mask.
// Points give the source and mask pixels under the rectangle's top-left.
UTILS_API bool DoSuma(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoSuma(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                      const CPunto &maskPoint);
UTILS_API bool DoSuma(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                      TSurfDesc &mask, const CPunto &maskPoint);
UTILS_API bool DoResta(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoResta(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                       const CPunto &maskPoint);
UTILS_API bool DoResta(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                       TSurfDesc &mask, const CPunto &maskPoint);
UTILS_API bool DoMultiplica(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoMultiplica(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                            const CPunto &maskPoint);
UTILS_API bool DoMultiplica(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                            TSurfDesc &mask, const CPunto &maskPoint);
UTILS_API bool DoScreen(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoScreen(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                        const CPunto &maskPoint);
UTILS_API bool DoScreen(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                        TSurfDesc &mask, const CPunto &maskPoint);
UTILS_API bool DoLighten(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoLighten(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                         const CPunto &maskPoint);
UTILS_API bool DoLighten(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                         TSurfDesc &mask, const CPunto &maskPoint);
UTILS_API bool DoDarken(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoDarken(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                        const CPunto &maskPoint);
UTILS_API bool DoDarken(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                        TSurfDesc &mask, const CPunto &maskPoint);
UTILS_API bool DoSuperponer(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
UTILS_API bool DoSuperponer(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                            const CPunto &maskPoint);
UTILS_API bool DoSuperponer(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p,
                            TSurfDesc &mask, const CPunto &maskPoint);

// ---------------------------------------------------------------------------
// Effects: fader, motion and brightness blur
// ---------------------------------------------------------------------------

// Mixes the source in with a level that falls from left to right.
UTILS_API bool OpenFader(TSurfDesc &dst, CRectangulo const &rect, TSurfDesc &src, CPunto const &at, int position,
                         int step, int hold);
// Paint a colour through the source's first byte of each pixel, as an
// intensity mask: once (white), or in passes shifted along a direction.
UTILS_API bool FiltroMotionBlur(TSurfDesc &dst, TSurfDesc &src, CRectangulo const &rect, CPunto const &at,
                                unsigned long color, int passes, float angle);
UTILS_API bool FiltroBrilloBlur(TSurfDesc &dst, TSurfDesc &src, CRectangulo const &rect, CPunto const &at,
                                unsigned long color, int passes, float angle);
UTILS_API bool FiltroMotionMask(TSurfDesc &dst, TSurfDesc &src, CRectangulo const &rect, CPunto const &at, int weight);


// ---------------------------------------------------------------------------
// Filters: convolution, anti-aliasing, factor, gradient, shadows, masks
// ---------------------------------------------------------------------------

// Convolution in place. The scratch surface's memory (height x scanWidth
// bytes at least) receives a copy of the image, which the taps read. Offsets
// are byte distances in the image's own layout. 8-bit images: false.
UTILS_API bool DoConvolucion(TSurfDesc &img, TSurfDesc &scratch, int count, int *const coefs,
                             long *const offsets, int divisor, int bias);
UTILS_API bool DoSuavizado(TSurfDesc &img, TSurfDesc &scratch);
UTILS_API bool DoEmboss(TSurfDesc &img, TSurfDesc &scratch);
UTILS_API bool DoRealce(TSurfDesc &img, TSurfDesc &scratch);
// One of the 24 stored masks, 0 to 23; any other number: false.
UTILS_API bool FiltroMask(TSurfDesc &img, TSurfDesc &scratch, int preset);

// Scales every channel by factor / 256; 256 or more leaves the image alone.
UTILS_API bool DoFactor(TSurfDesc &s, unsigned short factor);
// Horizontal ramp from one 0x00RRGGBB colour to the other, every row alike.
UTILS_API bool DoGradient(TSurfDesc &s, unsigned long const &from, unsigned long const &to);
// Edge filters for sprites on black; only the first surface is used.
UTILS_API bool DoAntiAlias(TSurfDesc &s, CRectangulo const &r, TSurfDesc &other, unsigned short n);
UTILS_API bool DoAntiAlias2(TSurfDesc &s, CRectangulo const &r, TSurfDesc &other, unsigned short n);
// Codes every non-zero byte of an 8-bit plane by its set neighbours, then
// scales the plane by level / 256 (256: no scaling).
UTILS_API bool DoAntiAliasBMP(TSurfDesc &plane, unsigned short level);

// 8-bit mask of a sprite: 0 on its key colour (index 0 on 8-bit sources).
UTILS_API bool CreateMask(TSurfDesc &mask, TSurfDesc &src, unsigned short level);
// Soft drop shadow towards the lower right, grown from a plane or sprite.
UTILS_API bool CreateShadow(TSurfDesc &shadow, TSurfDesc &src, unsigned char decay,
                            unsigned char limit, unsigned short level);


#endif
