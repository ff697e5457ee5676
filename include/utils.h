/// \file utils.h
/// \brief utils: software 2D imaging on caller-owned surfaces.
///
/// Every operation is a free function that borrows the caller's surfaces for
/// the length of one call. Two builds share this interface: "utils" (plain)
/// and "utilsmmx" (SIMD kernels), which give identical pixels, also whatever
/// x87 precision or rounding the caller left set. On Windows every function
/// is exported under its GCC name and its Visual C++ name.
///
/// The first surface argument is the destination (or the only surface); its
/// pixel format picks the code that runs. The six formats are told apart by
/// TSurfDesc::bpp and, for 16 bits, the masks: 8-bit paletted, R5G6B5,
/// X1R5G5B5, A1R5G5B5, A4R4G4B4, 24 and 32 bits (a 16-bit surface with other
/// masks counts as R5G6B5). A format a function does not handle, or a bpp
/// other than 8, 16, 24 and 32, makes it return false and change nothing. There are no error
/// codes or exceptions: the result is a bool, mostly "the format was
/// handled". Fields of TSurfDesc are not validated; pixel memory, pitches and
/// rectangles that fit are the caller's part, except where a function says it
/// guards against bad input (the decoders' forms with a length).
///
/// Rectangles are CRectangulo in destination coordinates with right and
/// bottom exclusive; they are clipped to the surface, and what a call returns
/// when clipping leaves nothing differs by family (fills and keyed copies:
/// true; blend modes: false), as each function says.
///
/// Threads: the library starts no threads. The decoders may run on several
/// threads at once, each thread decoding its own image into its own surface
/// (for GIF with its own CKVGIF and RAW; the stream bytes may be shared): the
/// GIF code tables live on each frame call's stack, and each open stream's
/// bounds are kept inside the library beside its CKVGIF (under a short
/// internal lock), so a stream may be handed to another thread between calls
/// and a copy of an open record reads on within the same bounds. Nothing
/// else keeps state between calls; other operations touch
/// only their arguments and may run on any thread for distinct destinations.
/// The one shared datum is ::lu_gPaleta: it must not be refilled
/// (InitializeDLL(), or the caller's own writes) while an 8-bit operation
/// reads it.
#ifndef KORVANTE_UTILS_H
#define KORVANTE_UTILS_H

#include <stddef.h>

/// \def UTILS_API
/// Marks the exports: DLL export or import on Windows (UTILS_BUILDING is set
/// while the library itself is built), default visibility elsewhere.
#if defined(_WIN32)
#if defined(UTILS_BUILDING)
#define UTILS_API __declspec(dllexport)
#else
#define UTILS_API __declspec(dllimport)
#endif
#else
#define UTILS_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// Surface record and value types
// ---------------------------------------------------------------------------

/// One palette entry; as a little-endian word it reads 0xAARRGGBB, the layout
/// of a 32-bit pixel.
struct TRGBA {
    unsigned char b;  ///< blue
    unsigned char g;  ///< green
    unsigned char r;  ///< red
    unsigned char a;  ///< alpha or unused; the palette builders leave it alone
};

/// A block of pixels that the caller owns. Field order and widths are part of
/// the binary interface: on 32-bit Windows the record is eleven 32-bit words.
///
/// Formats: bpp 8 (paletted), 24, 32; bpp 16 with rMask 0xF800 (R5G6B5),
/// 0x7C00 with aMask 0 (X1R5G5B5) or 0x8000 (A1R5G5B5), 0x0F00 (A4R4G4B4).
struct TSurfDesc {
    int width;                ///< pixels
    int height;               ///< rows, top to bottom
    unsigned int bpp;         ///< 8, 16, 24 or 32
    unsigned int rMask;       ///< 16-bit channel masks; rMask and aMask pick the layout
    unsigned int gMask;       ///< green mask of a 16-bit layout
    unsigned int bMask;       ///< blue mask of a 16-bit layout
    unsigned int aMask;       ///< alpha mask of a 16-bit layout (0 when it has none)
    unsigned int transColor;  ///< key colour in the surface's own encoding; 0xFFFFFFFF: none
    int scanWidth;            ///< bytes from one row to the next
    unsigned char *bits;      ///< first byte of row 0
    TRGBA *palette;           ///< 256 entries for 8-bit surfaces; may be null (::lu_gPaleta stands in for blits)
};

/// A point: a pixel position, x to the right and y down.
class CPunto {
  public:
    int x;  ///< column
    int y;  ///< row
    /// The origin.
    CPunto() : x(0), y(0) {}
    /// The point (px, py).
    CPunto(int px, int py) : x(px), y(py) {}
};

/// A rectangle; right and bottom are exclusive.
class CRectangulo {
  public:
    int left;    ///< first column
    int top;     ///< first row
    int right;   ///< one past the last column
    int bottom;  ///< one past the last row
    /// The empty rectangle at the origin.
    CRectangulo() : left(0), top(0), right(0), bottom(0) {}
    /// The rectangle from (l, t) up to, not including, (r, b).
    CRectangulo(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
};

/// A width and height.
class CSize {
  public:
    int cx;  ///< width
    int cy;  ///< height
    /// Zero by zero.
    CSize() : cx(0), cy(0) {}
    /// w by h.
    CSize(int w, int h) : cx(w), cy(h) {}
};

// ---------------------------------------------------------------------------
// Start-up and the model palette
// ---------------------------------------------------------------------------

/// The model palette: a 6 x 7 x 6 colour cube in entries 0 to 251, filled
/// when the library is loaded and again by InitializeDLL(). 8-bit operations
/// use it as the default palette of 8-bit sources without one and as the
/// reference palette of 8-bit mixing. The game may read and overwrite it; the
/// library does not guard it, so it must not be refilled while an 8-bit
/// operation reads it.
extern UTILS_API TRGBA lu_gPaleta[256];

/// Refills ::lu_gPaleta with the model palette (CreateModelPal()), undoing the
/// caller's changes to entries 0 to 251. The library calls it when loaded.
UTILS_API void InitializeDLL();
/// Writes the model palette's colour cube.
/// \param pal receives b, g and r of entries 0 to 251; entries 252 to 255
///            and every a byte are left alone.
UTILS_API void CreateModelPal(TRGBA (&pal)[256]);

// ---------------------------------------------------------------------------
// Surface queries and pixel access
// ---------------------------------------------------------------------------

/// \param s any surface. \return its width in pixels.
UTILS_API int Width(TSurfDesc &s);
/// \param s any surface. \return its height in rows.
UTILS_API int Height(TSurfDesc &s);
/// \param s any surface. \return the bytes from one row to the next.
UTILS_API int ScanWidth(TSurfDesc &s);
/// \param s any surface. \return width and height together.
UTILS_API CSize Size(TSurfDesc &s);
/// \param s any surface. \return true when it has a key colour (transColor is
///          not 0xFFFFFFFF).
UTILS_API bool Transp(TSurfDesc &s);

/// Reads one pixel as a format-neutral colour: 0x00RRGGBB from 16-bit
/// surfaces (channels widened by shifting, low bits zero, alpha dropped) and
/// from 24 bits, the whole word from 32 bits, the index from 8 bits.
/// \param s the surface, any of the six formats; any other gives 0.
/// \param p the pixel; only 8-bit surfaces check it (0 outside).
/// \return the colour, or the palette index.
UTILS_API unsigned long GetPixel(TSurfDesc &s, CPunto p);
/// GetPixel() by coordinates.
/// \param s the surface. \param x column. \param y row.
/// \return the colour, or the palette index.
UTILS_API unsigned long GetPixel(TSurfDesc &s, int x, int y);
/// Writes one pixel from a format-neutral colour: 0x00RRGGBB narrowed by
/// truncation on 16 bits (alpha bits written as 0), three bytes on 24, the
/// whole word on 32, the low byte as the index on 8.
/// \param s the surface, any of the six formats; any other is left alone.
/// \param p the pixel; only 8-bit surfaces check it (nothing written outside).
/// \param color the colour, or the index on 8 bits.
UTILS_API void SetPixel(TSurfDesc &s, CPunto p, unsigned long color);
/// SetPixel() by coordinates.
/// \param s the surface. \param x column. \param y row.
/// \param color the colour, or the index on 8 bits.
UTILS_API void SetPixel(TSurfDesc &s, int x, int y, unsigned long color);

// ---------------------------------------------------------------------------
// Conversion and palettes
// ---------------------------------------------------------------------------

/// Converts a whole image between any two of the six formats.
///
/// The destination comes first, the source second. Every conversion also
/// converts the source's transparent colour into the destination's encoding.
/// An 8-bit source without a palette is read as grey levels.
/// \param dst the destination, at least the source's size.
/// \param src the source.
/// \param mode picks the method for an 8-bit destination: 1 key only,
///        2 nearest palette entry, 3 truncated 3-3-2 index, 4 model-palette
///        index; other destinations ignore it.
/// \return false in every case, also after converting.
UTILS_API bool Convert(TSurfDesc &dst, TSurfDesc &src, unsigned long mode);
/// Copies the pixels of a source of the destination's own format.
/// \param dst the destination. \param src a source of the same format.
/// \return true.
UTILS_API bool CopyImage(TSurfDesc &dst, TSurfDesc &src);
/// 32-bit source into a 24-bit destination (the name reads source to
/// destination): blue, green, red copied, alpha dropped. Formats are not checked.
/// \param dst the 24-bit destination. \param src the 32-bit source. \return true.
UTILS_API bool Convert32_24_(TSurfDesc &dst, TSurfDesc &src);
/// 24-bit source into a 32-bit destination: blue, green, red copied, alpha
/// 0xFF. Formats are not checked.
/// \param dst the 32-bit destination. \param src the 24-bit source. \return true.
UTILS_API bool Convert24_32_(TSurfDesc &dst, TSurfDesc &src);
/// \name 16-bit layout conversions
/// The names read source to destination; the arguments are destination
/// first. Formats are not checked; each returns true. The key colour is
/// converted too.
///@{

/// R5G6B5 to X1R5G5B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_565_16_555(TSurfDesc &dst, TSurfDesc &src);
/// R5G6B5 to A1R5G5B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_565_16_5551(TSurfDesc &dst, TSurfDesc &src);
/// R5G6B5 to A4R4G4B4. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_565_16_4444(TSurfDesc &dst, TSurfDesc &src);
/// X1R5G5B5 to R5G6B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_555_16_565(TSurfDesc &dst, TSurfDesc &src);
/// A1R5G5B5 to R5G6B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_5551_16_565(TSurfDesc &dst, TSurfDesc &src);
/// X1R5G5B5 to A4R4G4B4. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_555_16_4444(TSurfDesc &dst, TSurfDesc &src);
/// A1R5G5B5 to A4R4G4B4. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_5551_16_4444(TSurfDesc &dst, TSurfDesc &src);
/// X1R5G5B5 to A1R5G5B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_555_16_5551(TSurfDesc &dst, TSurfDesc &src);
/// A1R5G5B5 to X1R5G5B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_5551_16_555(TSurfDesc &dst, TSurfDesc &src);
/// A4R4G4B4 to R5G6B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_4444_16_565(TSurfDesc &dst, TSurfDesc &src);
/// A4R4G4B4 to X1R5G5B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_4444_16_555(TSurfDesc &dst, TSurfDesc &src);
/// A4R4G4B4 to A1R5G5B5. \param dst destination. \param src source. \return true.
UTILS_API bool Convert16_4444_16_5551(TSurfDesc &dst, TSurfDesc &src);
///@}

// Palette builders write b, g and r of every entry and leave a alone.
/// Truncated palette: index RRRGGGBB, levels not stretched.
/// \param pal receives b, g and r of all 256 entries; a is left alone.
UTILS_API void CreateTruncPal(TRGBA (&pal)[256]);  // index RRRGGGBB, levels not stretched
/// Grey ramp: entry i is (i, i, i).
/// \param pal receives b, g and r of all 256 entries; a is left alone.
UTILS_API void CreateGreyPal(TRGBA (&pal)[256]);
/// Remaps an 8-bit image onto dst's palette by nearest colour; the key is
/// copied unchanged.
/// \param dst 8-bit destination whose palette is the target.
/// \param src 8-bit source, read through its own palette.
/// \return true.
UTILS_API bool Convert8_8(TSurfDesc &dst, TSurfDesc &src);

// ---------------------------------------------------------------------------
// Decoders: BMP
// ---------------------------------------------------------------------------

/// \name BMP
/// Windows bitmaps held whole in memory: 8-bit (plain or RLE8), 24-bit and
/// 32-bit pixels (blue, green, red and an unused byte: uncompressed, or bit
/// fields with the standard masks; the fourth byte is no alpha), written
/// straight into the surface's own format. LoadInfoBMP fills
/// width, height and bpp; LoadBMP needs width, height, the format, scanWidth,
/// bits and (8-bit surfaces) palette. The forms with a length never read past
/// it and return false for a truncated or inconsistent file; the others
/// trust the buffer to hold a complete image.
///@{

/// Reads the header: width, height (always positive) and the file's bpp.
/// \param s receives width, height and bpp; nothing else is touched.
/// \param data the whole file; the magic is not checked.
/// \return true for any header it can read.
UTILS_API bool LoadInfoBMP(TSurfDesc &s, unsigned char *data);
/// Decodes the pixels into any of the six formats, narrowing channels by
/// dropping low bits. An 8-bit surface receives the file's palette (entries
/// 1 to 255 never pure black) and the indices as they are; 1-, 4- and 16-bit
/// files, and 24-bit files into 8 bits, leave the pixels untouched. Bottom-up
/// RLE8 gaps are painted with palette entry 0 on deeper surfaces unless it
/// converts to 0.
/// \param s the destination, sized as LoadInfoBMP() reported.
/// \param data the whole file, trusted to be complete.
/// \return false only for a surface of none of the six formats.
UTILS_API bool LoadBMP(TSurfDesc &s, unsigned char *data);
/// LoadInfoBMP() that checks the file against its length.
/// \param s receives width, height and bpp.
/// \param data the file. \param length its size in bytes.
/// \return false for a buffer too short for the headers or an inconsistent
///         header; nothing is read past length.
UTILS_API bool LoadInfoBMP(TSurfDesc &s, unsigned char *data, long length);
/// LoadBMP() that never reads past length.
/// \param s the destination, sized as LoadInfoBMP() reported.
/// \param data the file. \param length its size in bytes.
/// \return false for an unsupported surface format, for a truncated or
///         inconsistent file (the pixels decoded up to the fault may stay),
///         and for depths and compressions it does not decode (1, 4 and 16
///         bits; any compression but none and RLE8; other bit fields), which
///         the form without a length accepts and leaves untouched. A colour
///         count above 256 counts as 256 in both forms.
UTILS_API bool LoadBMP(TSurfDesc &s, unsigned char *data, long length);

///@}
/// \name BMP alpha planes
/// 8-bit bitmaps as alpha planes: the pixel values written as they are into
/// a surface of one byte per pixel, every colour table ignored. The info
/// forms report bpp 8 whatever the file's depth.
///@{

/// Reads the header as LoadInfoBMP() does, with bpp 8.
/// \param s receives width, height and bpp 8. \param data the whole file.
/// \return true.
UTILS_API bool LoadInfoBMPAlpha(TSurfDesc &s, unsigned char *data);
/// Writes the file's 8-bit values into the plane; bpp, masks and palette of
/// the surface are not looked at.
/// \param s one byte per pixel: bits and scanWidth. \param data the whole file.
/// \return true.
UTILS_API bool LoadBMPAlpha(TSurfDesc &s, unsigned char *data);
/// LoadInfoBMPAlpha() that checks the file against its length.
/// \param s receives width, height and bpp 8.
/// \param data the file. \param length its size in bytes.
/// \return false for a truncated or inconsistent header.
UTILS_API bool LoadInfoBMPAlpha(TSurfDesc &s, unsigned char *data, long length);
/// LoadBMPAlpha() that never reads past length.
/// \param s one byte per pixel. \param data the file. \param length its size.
/// \return false for a truncated or inconsistent file.
UTILS_API bool LoadBMPAlpha(TSurfDesc &s, unsigned char *data, long length);
///@}

// ---------------------------------------------------------------------------
// Decoders: GIF, JPEG, alpha planes, PGF
// ---------------------------------------------------------------------------

/// GIF decoder state between frame calls. The caller owns it; on 32-bit
/// Windows it is seven 32-bit words. Start it zeroed.
class CKVGIF {
  public:
    unsigned char *stream;    ///< next unread byte of the stream; null: closed
    unsigned char *blockPos;  ///< next unread byte of the current data sub-block
    int codeSize;             ///< current LZW code width (3 to 12)
    int endCode;              ///< end-of-information code of the current frame
    int blockLeft;            ///< bytes not yet read in the current sub-block
    int bitsHeld;             ///< unconsumed bits of lastByte
    int lastByte;             ///< the byte being consumed
};

/// Decode record: 261 32-bit words on 32-bit Windows. The caller owns it and
/// keeps it from LoadInfoGIF() to LoadGIFEnd(); colour tables carry over from
/// frame to frame.
struct RAW {
    int width;                      ///< screen size after LoadInfoGIF, frame size after LoadGIF
    int height;                     ///< as width
    int flag;                       ///< GIF: 1 = store colour tables; JPEG: palette given
    int flag2;                      ///< GIF: cleared; JPEG: true colour
    unsigned char palette[256][4];  ///< GIF: red, green, blue, 0
    unsigned char *bits;            ///< index buffer
};

/// \name GIF
/// One frame per LoadGIF: LoadInfoGIF(), then LoadGIFNext() and, while it
/// returns true, LoadGIF(), then LoadGIFEnd(). Each frame is written at the
/// surface's top-left at its own size (RAW::width x RAW::height), indices
/// first and then widened in place; nothing lands past height x scanWidth
/// bytes of the surface. The forms with a length stop every later
/// read of the stream at its end; the others trust the stream to be
/// complete.
///@{

/// Opens a stream: reads the header and the global colour table.
/// \param s receives the screen's width and height, and bpp 8.
/// \param data the whole stream; must start with "GIF".
/// \param gif decoder state, opened. \param raw decode record.
/// \return true when the header was accepted.
UTILS_API bool LoadInfoGIF(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
/// LoadInfoGIF() bounded by the stream's length.
/// \param s receives the screen's width and height, and bpp 8.
/// \param data the stream. \param length its size in bytes; no later call
///        of this stream reads past it.
/// \param gif decoder state, opened. \param raw decode record.
/// \return false for a short or non-GIF buffer.
UTILS_API bool LoadInfoGIF(TSurfDesc &s, unsigned char *data, long length, CKVGIF &gif, RAW &raw);
/// Moves to the next image descriptor, skipping extensions.
/// \param s not used. \param data not used (the position is in gif).
/// \param gif decoder state. \param raw not used.
/// \return true at an image; false at the trailer, the end of a bounded
///         stream or on a closed decoder.
UTILS_API bool LoadGIFNext(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
/// Decodes the image that LoadGIFNext() found into any of the six formats
/// (colours narrowed as BMP pixels are; an 8-bit surface with a palette
/// receives the colour table, entries 1 to 255 never pure black).
/// \param s the destination. \param data not used.
/// \param gif decoder state. \param raw decode record; receives the frame size.
/// \return false for an unsupported format, null bits, a closed decoder, a
///         bad LZW code size, or a bounded stream whose frame data ends
///         before its end code (what was decoded stays written). Any false
///         closes the decoder: later calls answer false without reading
///         until LoadInfoGIF() opens a stream again.
UTILS_API bool LoadGIF(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
/// Closes the decoder; later calls fail until a new LoadInfoGIF().
/// \param s not used. \param data not used. \param gif decoder state, closed.
/// \param raw not used. \return true.
UTILS_API bool LoadGIFEnd(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);

///@}
/// \name GIF alpha planes
/// GIF frames as 8-bit alpha planes: raw indices, colour tables skipped.
/// Called in the same order as the colour forms.
///@{

/// LoadInfoGIF() with colour tables skipped.
/// \param s receives width, height and bpp 8. \param data the whole stream.
/// \param gif decoder state. \param raw decode record.
/// \return true when the header was accepted.
UTILS_API bool LoadInfoGIFAlpha(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
/// LoadInfoGIFAlpha() bounded by the stream's length.
/// \param s receives width, height and bpp 8. \param data the stream.
/// \param length its size in bytes. \param gif decoder state.
/// \param raw decode record. \return false for a short or non-GIF buffer.
UTILS_API bool LoadInfoGIFAlpha(TSurfDesc &s, unsigned char *data, long length, CKVGIF &gif, RAW &raw);
/// LoadGIFNext() under the alpha family's name.
/// \param s not used. \param data not used. \param gif decoder state.
/// \param raw not used. \return true at an image.
UTILS_API bool LoadGIFAlphaNext(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
/// Writes the current frame's indices into a one-byte-per-pixel plane.
/// \param s the plane: bits and scanWidth. \param data not used.
/// \param gif decoder state. \param raw decode record.
/// \return false for null bits or a frame that fails to decode.
UTILS_API bool LoadGIFAlpha(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
/// LoadGIFEnd() under the alpha family's name.
/// \param s not used. \param data not used. \param gif decoder state, closed.
/// \param raw not used. \return true.
UTILS_API bool LoadGIFAlphaEnd(TSurfDesc &s, unsigned char *data, CKVGIF &gif, RAW &raw);
///@}

/// JPEG header scan, without libjpeg.
/// \param s receives the frame's width and height, and bpp 24.
/// \param data the file. \param length its size in bytes.
/// \return false when no frame header lies within length.
UTILS_API bool LoadInfoJPG(TSurfDesc &s, unsigned char *data, long length);
/// Decodes a JPEG through libjpeg into any of the six formats; 8-bit
/// surfaces get the model palette (into their palette, which must not be
/// null) and quantized pixels. Never reads past length.
/// \param s the destination, sized as LoadInfoJPG() reported.
/// \param data the file. \param length its size in bytes.
/// \return false for an unsupported format, null bits, a fatal libjpeg
///         error (the rows decoded so far stay) or any libjpeg warning, such
///         as data that end early.
UTILS_API bool LoadJPG(TSurfDesc &s, unsigned char *data, long length);

/// PGF: reserved, never succeeds.
/// \param s left unchanged. \param data not read. \return false.
UTILS_API bool LoadInfoPGF(TSurfDesc &s, unsigned char *data);
/// PGF: reserved, never succeeds.
/// \param s left unchanged. \param data not read. \return false.
UTILS_API bool LoadPGF(TSurfDesc &s, unsigned char *data);

// ---------------------------------------------------------------------------
// Blits: colour-keyed copy
// ---------------------------------------------------------------------------

/// Colour-keyed copy.
///
/// Copies the rectangle (destination coordinates) from the source, starting at
/// source pixel p; source pixels equal to the source's key are skipped (on an
/// 8-bit source with any key, index 0). An 8-bit source is expanded through
/// its palette (::lu_gPaleta when it has none) onto deeper destinations;
/// other pairs of different formats, such as 24 bits onto 32, draw nothing.
/// \param dst the destination, any of the six formats.
/// \param r the rectangle to fill, clipped to the destination.
/// \param src the source: the destination's format, or 8 bits.
/// \param p the source pixel that lands on the rectangle's top-left corner.
/// \return false only for an unsupported destination format; true also when
///         clipping leaves nothing.
UTILS_API bool DrawBitmap(TSurfDesc &dst, CRectangulo r, TSurfDesc &src, CPunto p);
/// The whole destination from the source's top-left corner.
/// \param dst the destination. \param src the source.
/// \return as the four-argument form.
UTILS_API bool DrawBitmap(TSurfDesc &dst, TSurfDesc &src);

// ---------------------------------------------------------------------------
// Blits: alpha mixing and masked drawing
// ---------------------------------------------------------------------------

/// \name Alpha mixing
/// Mix table: two tables of 65,536 palette indices, indexed by an R5G6B5
/// colour; [1] serves destination pixels where x + y is even, [0] the odd ones.
/// The caller builds it against ::lu_gPaleta; only 8-bit destinations read it.
///
/// Level: 0 (destination) to 255 (source); 8-bit destinations take 256 too.
/// Higher levels count as the top level. Alpha maps give a level per pixel:
/// 8-bit, or elements of the destination's pixel size whose first byte is
/// the value; 0 keeps the destination, 255 copies the source.
///
/// Sources have the destination's format or are 8-bit (expanded through
/// their palette on deeper destinations). 8-bit destinations read both
/// images' indices against ::lu_gPaleta. An empty clipped rectangle draws
/// nothing and returns true, except where told.
///@{

/// Mixes the source in at one level.
/// \param dst the destination, any of the six formats.
/// \param rect the block to mix, clipped to the destination.
/// \param level 0 to 255 (256 on 8 bits).
/// \param src the source. \param srcPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table, for 8-bit destinations.
/// \return false for an unsupported destination format.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                       const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
/// Mixes the source in through an alpha map.
/// \param dst the destination, any of the six formats.
/// \param rect the block to mix, clipped to the destination.
/// \param alpha the alpha map. \param alphaPt its pixel under the rectangle's top-left.
/// \param src the source. \param srcPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table, for 8-bit destinations.
/// \return false for an unsupported destination format; on 8 bits also for
///         an alpha map that is not 8-bit or an empty clipped rectangle.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
                       const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
/// Alpha values scaled by level / 256 (256 leaves them as they are); not on
/// 8-bit destinations.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block to mix, clipped to the destination.
/// \param alpha the alpha map. \param alphaPt its pixel under the rectangle's top-left.
/// \param src the source. \param srcPt its pixel under the rectangle's top-left.
/// \param level 0 to 256, the scale of every alpha value.
/// \return false for 8-bit and unsupported destinations.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
                       const CPunto &srcPt, unsigned short level);
/// DrawBitmap of the background first, then the mix over it.
/// \param dst the destination. \param rect the block, clipped to the destination.
/// \param level 0 to 255 (256 on 8 bits).
/// \param src the source. \param srcPt its pixel under the rectangle's top-left.
/// \param background copied first, key honoured.
/// \param backgroundPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table, for 8-bit destinations.
/// \return true when both steps succeed; the mix is skipped when the copy fails.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                       const CPunto &srcPt, TSurfDesc &background, const CPunto &backgroundPt,
                       unsigned char (*const mixTable)[65536]);
/// DrawBitmap of the background first, then the mix through an alpha map.
/// \param dst the destination. \param rect the block, clipped to the destination.
/// \param alpha the alpha map. \param alphaPt its pixel under the rectangle's top-left.
/// \param src the source. \param srcPt its pixel under the rectangle's top-left.
/// \param background copied first, key honoured.
/// \param backgroundPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table, for 8-bit destinations.
/// \return true when both steps succeed; the mix is skipped when the copy fails.
UTILS_API bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
                       const CPunto &srcPt, TSurfDesc &background, const CPunto &backgroundPt,
                       unsigned char (*const mixTable)[65536]);
/// The 8-bit kernel of the level form: both indices looked up in
/// ::lu_gPaleta, mixed in RGB, mapped back through the mix table.
/// \param dst 8-bit destination (not checked).
/// \param rect the block, clipped to the destination. \param level 0 to 256.
/// \param src 8-bit source. \param srcPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table.
/// \return true, also when clipping leaves nothing.
UTILS_API bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                             const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
/// The 8-bit kernel of the alpha-map form.
/// \param dst 8-bit destination (not checked).
/// \param rect the block, clipped to the destination.
/// \param alpha 8-bit alpha map. \param alphaPt its pixel under the rectangle's top-left.
/// \param src 8-bit source. \param srcPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table.
/// \return false for an alpha map that is not 8-bit or an empty clipped rectangle.
UTILS_API bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt,
                             TSurfDesc &src, const CPunto &srcPt, unsigned char (*const mixTable)[65536]);
///@}

/// One colour (0xAARRGGBB; a palette colour's channels on 8 bits) laid over
/// the destination as strongly as the mask says (0 none, 255 all).
/// \param dst the destination, any of the six formats.
/// \param rect the block, clipped to the destination.
/// \param mask 8-bit coverage (16 to 32 bits also take one of the destination's bpp).
/// \param maskPt its pixel under the rectangle's top-left.
/// \param color the colour. \param mixTable the mix table, for 8-bit destinations.
/// \return false for an unsupported destination or an unusable mask; true
///         when clipping leaves nothing.
UTILS_API bool DrawMask(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt,
                        unsigned long color, unsigned char (*const mixTable)[65536]);
/// The 8-bit kernel of DrawMask().
/// \param dst 8-bit destination. \param rect the block, clipped to the destination.
/// \param mask 8-bit coverage. \param maskPt its pixel under the rectangle's top-left.
/// \param color the colour. \param mixTable the mix table.
/// \return false for a mask that is not 8-bit; true when clipping leaves nothing.
UTILS_API bool DrawMask_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt,
                              unsigned long color, unsigned char (*const mixTable)[65536]);
/// Mask values below 128 darken towards lu_gPaleta[0], from 128 up lighten
/// towards lu_gPaleta[255]; strength 256 reaches the targets at the extremes.
/// \param dst the destination: 8, 24 or 32 bits.
/// \param strength scale of the mask; 128 reaches half strength.
/// \param rect the block, clipped to the destination.
/// \param mask the two-way mask. \param maskPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table, for 8-bit destinations.
/// \return false for 16-bit and unsupported destinations.
UTILS_API bool DrawBiMask(TSurfDesc &dst, unsigned short strength, CRectangulo rect, TSurfDesc &mask, CPunto maskPt,
                          unsigned char (*const mixTable)[65536]);
/// The 8-bit kernel of DrawBiMask().
/// \param dst 8-bit destination. \param strength scale of the mask.
/// \param rect the block, clipped to the destination.
/// \param mask the two-way mask. \param maskPt its pixel under the rectangle's top-left.
/// \param mixTable the mix table.
/// \return true.
UTILS_API bool DrawBiMask_8Bits(TSurfDesc &dst, unsigned short strength, CRectangulo rect, TSurfDesc &mask,
                                CPunto maskPt, unsigned char (*const mixTable)[65536]);

// ---------------------------------------------------------------------------
// Blits: stretching, doubling and rotation
// ---------------------------------------------------------------------------

/// Scales a source rectangle onto a destination rectangle of the same format;
/// filter asks for bilinear sampling (24 and 32 bits only). 32-bit pixels
/// keep their fourth byte.
/// \param dst the destination, any of the six formats.
/// \param dstRect the destination rectangle, clipped to the destination.
/// \param src a source of the destination's format.
/// \param srcRect the source rectangle, clipped to the source.
/// \param filter bilinear instead of nearest sampling; 8 and 16 bits ignore it.
/// \return false for an unsupported format or when either rectangle clips
///         to nothing.
UTILS_API bool BltStrech(TSurfDesc &dst, CRectangulo dstRect, TSurfDesc &src, CRectangulo srcRect, bool filter);
/// BltStrech() with nearest sampling.
/// \param dst the destination. \param dstRect the destination rectangle.
/// \param src the source. \param srcRect the source rectangle.
/// \return as BltStrech().
UTILS_API bool DrawStretch(TSurfDesc &dst, CRectangulo const &dstRect, TSurfDesc &src, CRectangulo const &srcRect);
/// Does nothing: true on 8-, 24- and 32-bit destinations, false otherwise.
/// \param dst the destination, only its format is read.
/// \param dstRect not used. \param src not used. \param srcRect not used.
/// \param table not used.
/// \return true for 8, 24 and 32 bits.
UTILS_API bool DrawStretch(TSurfDesc &dst, CRectangulo const &dstRect, TSurfDesc &src, CRectangulo const &srcRect,
                           unsigned char *table);
/// Bilinear enlargement or box-filtered reduction of 24- or 32-bit pixels.
/// A destination rectangle cut by the surface moves the source rectangle in
/// proportion. Larger in one direction and smaller in the other draws nothing.
/// \param dst the destination. \param dstRect the destination rectangle.
/// \param src the source. \param srcRect the source rectangle.
/// \param bpp 24 or 32: the pixel size used for both surfaces; any other
///        value draws nothing.
/// \param enable false draws nothing. \param unused not used.
/// \return false only when the two surfaces' bpp differ.
UTILS_API bool StretchBitmap(TSurfDesc &dst, CRectangulo dstRect, TSurfDesc &src, CRectangulo srcRect, int bpp,
                             bool enable, bool unused);
/// Draws every source pixel as a 2 x 2 block at the point (24 and 32 bits);
/// always false.
/// \param dst the destination. \param src a source of its format.
/// \param at where the source's top-left lands; the block is clipped.
/// \return false.
UTILS_API bool DrawDouble(TSurfDesc &dst, TSurfDesc &src, CPunto at);
/// Quarter and half turns (codes 0-3) with an optional mirror (+4).
/// \param dst receives the turned image; sized for it (width and height
///        swapped for quarter turns).
/// \param src a source of the destination's format.
/// \param turn 0 copies, 1 a quarter anticlockwise, 2 a half turn, 3 a
///        quarter clockwise; +4 mirrors left to right as well.
/// \return false for an unsupported format.
UTILS_API bool CreateRotated(TSurfDesc &dst, TSurfDesc &src, int turn);

// ---------------------------------------------------------------------------
// Drawing: fills, frames, lines, flip, translate, block copy, flood fill
// ---------------------------------------------------------------------------

/// \name Fills, frames and lines
/// Colours are 0xAARRGGBB on 16-, 24- and 32-bit surfaces, palette indices on
/// 8-bit ones. Rectangles are clipped to the surface; a rectangle that clips
/// to nothing is not an error (true).
///@{

/// Fills a rectangle with one colour.
/// \param s the surface, any of the six formats. \param r the rectangle.
/// \param color the colour, or the index on 8 bits.
/// \return false for an unsupported format.
UTILS_API bool IdxFillRect(TSurfDesc &s, CRectangulo r, unsigned long color);
/// The point is the exclusive far end of the run: HI draws row p.y - 1,
/// VI column p.x - 1; a negative length runs backwards.
/// \param s the surface. \param p the far end of the run.
/// \param len the run's length. \param color the colour, or the index on 8 bits.
/// \return false for an unsupported format.
UTILS_API bool IdxLineHI(TSurfDesc &s, const CPunto &p, int len, unsigned long color);
/// Vertical run; see IdxLineHI().
/// \param s the surface. \param p the far end of the run.
/// \param len the run's length. \param color the colour, or the index on 8 bits.
/// \return false for an unsupported format.
UTILS_API bool IdxLineVI(TSurfDesc &s, const CPunto &p, int len, unsigned long color);
/// Last row and last column inside the rectangle.
/// \param s the surface. \param r the rectangle.
/// \param color the colour, or the index on 8 bits.
/// \return false for an unsupported format.
UTILS_API bool FrameBR(TSurfDesc &s, CRectangulo r, unsigned long color);
/// ceil(size / step) black bottom-right frames at offsets 1, 2, 3...
/// \param s the surface. \param r the rectangle that casts the shadow.
/// \param step how much each frame takes off size. \param size the shadow's depth.
/// \return false for an unsupported format; true for size 0.
UTILS_API bool DrawRectShadow(TSurfDesc &s, CRectangulo r, unsigned char step, unsigned char size);
/// The colour laid over the rectangle at level 0 (none) to 255 (all).
/// \param s the surface: 16, 24 or 32 bits. \param r the rectangle.
/// \param color the colour. \param level 0 to 255 (its low byte is used).
/// \return false for an unsupported format.
UTILS_API bool MaskFillRect(TSurfDesc &s, const CRectangulo &r, unsigned long color, unsigned short level);
/// 8-bit form: mixes lu_gPaleta entries with the colour (level 0 to 256) and
/// maps the result through the caller's two dithered R5G6B5 tables.
/// \param s 8-bit surface (not checked). \param r the rectangle.
/// \param color the colour. \param level 0 to 256.
/// \param tables the mix table (see DrawMix()).
/// \return true.
UTILS_API bool MaskFillRect_8Bits(TSurfDesc &s, const CRectangulo &r, unsigned long color, unsigned short level,
                                  unsigned char (*const tables)[65536]);
/// Always returns false.
/// \param s the surface. \param p1 one end. \param p2 the other end.
/// \param color the colour. \param level strength 0 to 255.
/// \param soft anti-aliased edges. \param thickness in pixels.
/// \return false, even after drawing.
UTILS_API bool Line(TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long color, unsigned short level,
                    bool soft, int thickness);
///@}

/// Mirrors every row left to right.
/// \param s the surface, any of the six formats.
/// \return false for an unsupported format.
UTILS_API bool FlipX(TSurfDesc &s);
/// Brightness shift (amount 0.5 keeps, 1.0 white, 0.0 black); on 8-bit
/// surfaces the indices are remapped through the 256-byte table instead.
/// \param s the surface. \param r the rectangle, clipped to the surface.
/// \param amount 0.0 to 1.0. \param table 256 indices, for 8-bit surfaces.
/// \return false for an unsupported format; true when clipping leaves nothing.
UTILS_API bool TranslateRect(TSurfDesc &s, const CRectangulo &r, float amount, const unsigned char *table);
/// Plain copy of a w x h block between surfaces of the same format. Nothing
/// is clipped: the block must fit both surfaces.
/// \param dst the destination. \param src a source of its format.
/// \param srcX left of the block in the source. \param srcY its top.
/// \param dstX left of the block in the destination. \param dstY its top.
/// \param w the block's width. \param h its height.
/// \return false for an unsupported format.
UTILS_API bool DrawBlock(TSurfDesc &dst, TSurfDesc &src, unsigned short srcX, unsigned short srcY, unsigned short dstX,
                         unsigned short dstY, unsigned short w, unsigned short h);
/// Flood fill from (x, y) over pixels within tolerance of ref, painted with
/// fill. mask: 8 bits per pixel, zero-filled by the caller; each filled
/// pixel's byte receives its similar-neighbour bits (1 above, 2 below,
/// 4 right, 8 left).
/// \param image the surface to fill. \param mask the caller's zeroed plane.
/// \param x column of the seed. \param y its row; seeds outside are ignored.
/// \param tolerance how far a pixel may lie from ref.
/// \param ref the colour to replace. \param fill the colour painted.
/// \return true; ref equal to fill paints nothing.
UTILS_API bool Rellena(TSurfDesc &image, TSurfDesc &mask, int x, int y, unsigned long tolerance, unsigned long ref,
                       unsigned long fill);

// ---------------------------------------------------------------------------
// Effects: blend modes
// ---------------------------------------------------------------------------

/// \name Blend modes
/// Seven blend modes, each in three forms, on 16-, 24- and 32-bit destinations
/// (false for 8 bits, an outside point or an empty clipped rectangle):
///   - source: blends src (destination's format) at p, skipping its key colour
///     (black when it has none);
///   - colour: blends a constant 0xAARRGGBB colour, weighted by an 8-bit mask;
///   - masked: blends src at p, weighted by an 8-bit mask.
///
/// Points give the source and mask pixels under the rectangle's top-left and
/// must lie inside their surfaces. The source is read in the destination's
/// format without a check.
///@{

/// Add: each channel the sum of both, saturated at the top. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoSuma(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Add: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoSuma(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                      const CPunto &maskPoint);
/// Add: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoSuma(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                      const CPunto &maskPoint);
/// Subtract: the blend layer taken from the destination, saturated at 0. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoResta(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Subtract: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoResta(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                       const CPunto &maskPoint);
/// Subtract: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoResta(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                       const CPunto &maskPoint);
/// Multiply: d x s / 256 per channel; darkens, black gives black. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoMultiplica(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Multiply: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoMultiplica(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                            const CPunto &maskPoint);
/// Multiply: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoMultiplica(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                            const CPunto &maskPoint);
/// Screen: the inverse of multiplying the inverses; lightens. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoScreen(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Screen: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoScreen(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                        const CPunto &maskPoint);
/// Screen: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoScreen(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                        const CPunto &maskPoint);
/// Lighten: the larger of the two, channel by channel. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoLighten(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Lighten: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoLighten(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                         const CPunto &maskPoint);
/// Lighten: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoLighten(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                         const CPunto &maskPoint);
/// Darken: the smaller of the two, channel by channel. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoDarken(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Darken: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoDarken(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                        const CPunto &maskPoint);
/// Darken: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoDarken(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                        const CPunto &maskPoint);
/// Overlay: multiply on dark destination channels, screen on light ones. Source form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, p outside the
///         source, or an empty clipped rectangle.
UTILS_API bool DoSuperponer(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p);
/// Overlay: colour form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param color the 0xAARRGGBB colour blended in.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, maskPoint outside
///         the mask, or an empty clipped rectangle.
UTILS_API bool DoSuperponer(TSurfDesc &dst, const CRectangulo &rect, unsigned long color, TSurfDesc &mask,
                            const CPunto &maskPoint);
/// Overlay: masked form.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src the blend layer. \param p its pixel under the rectangle's top-left.
/// \param mask 8-bit weights. \param maskPoint its pixel under the rectangle's top-left.
/// \return false for 8-bit or unsupported destinations, a point outside its
///         surface, or an empty clipped rectangle.
UTILS_API bool DoSuperponer(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                            const CPunto &maskPoint);
///@}

// ---------------------------------------------------------------------------
// Effects: fader, motion and brightness blur
// ---------------------------------------------------------------------------

/// Mixes the source in with a level that falls from left to right: the left
/// of the block shows the source, the right keeps the destination. Called
/// with a moving position, it opens a picture like a curtain.
/// \param dst the destination: 16, 24 or 32 bits.
/// \param rect the block, clipped to the destination.
/// \param src a source of the destination's format.
/// \param at its pixel under the rectangle's top-left.
/// \param position where the ramp stands: positive starts at 255 (open);
///        zero or negative starts at 256 - |position| x step.
/// \param step the drop of the level per pixel once the ramp begins.
/// \param hold how many columns at the left keep the starting level.
/// \return false for 8-bit or unsupported destinations; true when clipping
///         leaves nothing.
UTILS_API bool OpenFader(TSurfDesc &dst, CRectangulo const &rect, TSurfDesc &src, CPunto const &at, int position,
                         int step, int hold);
/// Paint a colour through the source's first byte of each pixel, as an
/// intensity mask: once (white), or in passes shifted along a direction.
/// This one gives every pass the same strength: a streak along a motion.
/// \param dst the destination: 16, 24 or 32 bits (others paint nothing).
/// \param src the intensity mask.
/// \param rect the block, clipped to the destination.
/// \param at the mask's pixel under the rectangle's top-left.
/// \param color the colour painted. \param passes how many shifted passes.
/// \param angle the direction of the shift.
/// \return false when clipping leaves nothing.
UTILS_API bool FiltroMotionBlur(TSurfDesc &dst, TSurfDesc &src, CRectangulo const &rect, CPunto const &at,
                                unsigned long color, int passes, float angle);
/// As FiltroMotionBlur(), with a strength that falls off with each pass's
/// distance from the mask's own position: a glow.
/// \param dst the destination: 16, 24 or 32 bits (others paint nothing).
/// \param src the intensity mask.
/// \param rect the block, clipped to the destination.
/// \param at the mask's pixel under the rectangle's top-left.
/// \param color the colour painted. \param passes how many shifted passes.
/// \param angle the direction of the shift.
/// \return false when clipping leaves nothing.
UTILS_API bool FiltroBrilloBlur(TSurfDesc &dst, TSurfDesc &src, CRectangulo const &rect, CPunto const &at,
                                unsigned long color, int passes, float angle);
/// Paints white through the mask once.
/// \param dst the destination: 16, 24 or 32 bits (others paint nothing).
/// \param src the intensity mask.
/// \param rect the block, clipped to the destination.
/// \param at the mask's pixel under the rectangle's top-left.
/// \param weight the strength of the stamp.
/// \return false when clipping leaves nothing.
UTILS_API bool FiltroMotionMask(TSurfDesc &dst, TSurfDesc &src, CRectangulo const &rect, CPunto const &at, int weight);

// ---------------------------------------------------------------------------
// Filters: convolution, anti-aliasing, factor, gradient, shadows, masks
// ---------------------------------------------------------------------------

/// \name Convolution
/// Convolution in place. The scratch surface's memory (height x scanWidth
/// bytes at least) receives a copy of the image, which the taps read. Offsets
/// are byte distances in the image's own layout. 8-bit images: false.
///@{

/// Any kernel of taps.
/// \param img the image: 16, 24 or 32 bits, filtered in place.
/// \param scratch its memory receives the copy the taps read.
/// \param count the number of taps. \param coefs count weights.
/// \param offsets count byte distances from the pixel, in img's layout.
/// \param divisor the weighted sum is divided by it. \param bias then added.
/// \return false for 8-bit and unsupported images.
UTILS_API bool DoConvolucion(TSurfDesc &img, TSurfDesc &scratch, int count, int *const coefs, long *const offsets,
                             int divisor, int bias);
/// Smoothing. \param img the image. \param scratch scratch memory.
/// \return false for 8-bit and unsupported images.
UTILS_API bool DoSuavizado(TSurfDesc &img, TSurfDesc &scratch);
/// Emboss. \param img the image. \param scratch scratch memory.
/// \return false for 8-bit and unsupported images.
UTILS_API bool DoEmboss(TSurfDesc &img, TSurfDesc &scratch);
/// Sharpening. \param img the image. \param scratch scratch memory.
/// \return false for 8-bit and unsupported images.
UTILS_API bool DoRealce(TSurfDesc &img, TSurfDesc &scratch);
/// One of the 24 stored masks, 0 to 23; any other number: false.
/// \param img the image. \param scratch scratch memory.
/// \param preset the stored mask's number.
/// \return false for an unknown preset, 8-bit or unsupported images.
UTILS_API bool FiltroMask(TSurfDesc &img, TSurfDesc &scratch, int preset);
///@}

/// Scales every channel by factor / 256; 256 or more leaves the image alone.
/// 16-bit surfaces are taken as width x height pixels packed from bits; on
/// 8 bits every byte of height x scanWidth is scaled as it is.
/// \param s the surface, any of the six formats. \param factor 0 to 256.
/// \return true for 256 or more; otherwise false for unsupported formats.
UTILS_API bool DoFactor(TSurfDesc &s, unsigned short factor);
/// Horizontal ramp from one 0x00RRGGBB colour to the other, every row alike.
/// \param s the surface: 16, 24 or 32 bits.
/// \param from the left colour. \param to the right colour.
/// \return false for 8-bit and unsupported surfaces, and a surface of width 0.
UTILS_API bool DoGradient(TSurfDesc &s, unsigned long const &from, unsigned long const &to);
/// Edge filters for sprites on black; only the first surface is used.
/// \param s the sprite, filtered in place. \param r not used.
/// \param other not used. \param n not used.
/// \return false for unsupported formats; true and nothing changed on 8 bits.
UTILS_API bool DoAntiAlias(TSurfDesc &s, CRectangulo const &r, TSurfDesc &other, unsigned short n);
/// The second edge filter; see DoAntiAlias().
/// \param s the sprite, filtered in place. \param r not used.
/// \param other not used. \param n not used.
/// \return false for 8-bit and unsupported formats.
UTILS_API bool DoAntiAlias2(TSurfDesc &s, CRectangulo const &r, TSurfDesc &other, unsigned short n);
/// Codes every non-zero byte of an 8-bit plane by its set neighbours, then
/// scales the plane by level / 256 (256: no scaling).
/// \param plane one byte per pixel. \param level 0 to 256.
/// \return true.
UTILS_API bool DoAntiAliasBMP(TSurfDesc &plane, unsigned short level);

/// 8-bit mask of a sprite: 0 on its key colour (index 0 on 8-bit sources).
/// \param mask 8-bit plane of the source's size, written.
/// \param src the sprite, any of the six formats.
/// \param level the value elsewhere: 256 gives 255, others their low byte.
/// \return false for an unsupported source format.
UTILS_API bool CreateMask(TSurfDesc &mask, TSurfDesc &src, unsigned short level);
/// Soft drop shadow towards the lower right, grown from a plane or sprite.
/// \param shadow the shadow plane, written.
/// \param src the plane or sprite it grows from.
/// \param decay how fast the shadow fades with each step.
/// \param limit how far it reaches. \param level strength; 256 is full.
/// \return false for an unsupported source format, or an 8-bit source with a
///         shadow that is not 8-bit.
UTILS_API bool CreateShadow(TSurfDesc &shadow, TSurfDesc &src, unsigned char decay, unsigned char limit,
                            unsigned short level);

#endif
