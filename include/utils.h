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
