// utils: software 2D imaging on caller-owned surfaces.
//
// Every operation is a free function that borrows the caller's surfaces for
// the length of one call. Two builds share this interface: "utils" (plain)
// and "utilsmmx" (SIMD kernels), which give identical pixels.
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



// ---------------------------------------------------------------------------
// Decoders: BMP
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Decoders: GIF, JPEG, alpha planes, PGF
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Blits: colour-keyed copy
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Blits: alpha mixing and masked drawing
// ---------------------------------------------------------------------------



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



// ---------------------------------------------------------------------------
// Effects: blend modes
// ---------------------------------------------------------------------------



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



#endif
