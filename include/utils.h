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

// Windows bitmaps held whole in memory: 8-bit (plain or RLE8) and 24-bit
// pixels, written straight into the surface's own format. LoadInfoBMP fills
// width, height and bpp; LoadBMP needs width, height, the format, scanWidth,
// bits and (8-bit surfaces) palette. The forms with a length never read past
// it and return false for a truncated or inconsistent file.
UTILS_API bool LoadInfoBMP(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadBMP(TSurfDesc &s, unsigned char *data);
UTILS_API bool LoadInfoBMP(TSurfDesc &s, unsigned char *data, long length);
UTILS_API bool LoadBMP(TSurfDesc &s, unsigned char *data, long length);


// ---------------------------------------------------------------------------
// Decoders: GIF, JPEG, alpha planes, PGF
// ---------------------------------------------------------------------------



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



// ---------------------------------------------------------------------------
// Blits: stretching, doubling and rotation
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Drawing: fills, frames, lines, flip, translate, block copy, flood fill
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Effects: blend modes
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Effects: fader, motion and brightness blur
// ---------------------------------------------------------------------------



// ---------------------------------------------------------------------------
// Filters: convolution, anti-aliasing, factor, gradient, shadows, masks
// ---------------------------------------------------------------------------



#endif
