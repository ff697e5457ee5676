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
