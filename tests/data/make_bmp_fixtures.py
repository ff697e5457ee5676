#!/usr/bin/python3
"""Writes the BMP fixtures of the decoder tests with independent encoders
(Pillow and ImageMagick), and beside each one Pillow's own decoding of it as
a binary PPM, which the tests compare against pixel for pixel.

Run from anywhere: python3 tests/data/make_bmp_fixtures.py
"""
import os
import struct
import subprocess
import tempfile

from PIL import Image

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bmp")
CONVERT = "/usr/bin/convert"  # ImageMagick's own, not a wrapper on PATH


def card(w, h):
    """Flat areas (long runs for RLE8), stripes and a noisy corner."""
    im = Image.new("RGB", (w, h))
    px = im.load()
    seed = 12345
    for y in range(h):
        for x in range(w):
            if x < w // 3:
                c = (200, 30, 40) if y < h // 2 else (10, 10, 10)
            elif x < 2 * w // 3:
                c = (0, 255, 0) if (x // 2 + y) % 3 else (40, 90, 250)
            else:
                seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
                c = ((seed >> 8) & 0xFF, (seed >> 16) & 0xFF, (x * 37 + y * 11) & 0xFF)
            px[x, y] = c
    return im


def with_alpha(im):
    """The card with a fourth channel that varies (0, 255 and values
    between), so that a decoder taking that byte for anything shows."""
    rgba = im.convert("RGBA")
    px = rgba.load()
    w, h = rgba.size
    for y in range(h):
        for x in range(w):
            r, g, b, _ = px[x, y]
            px[x, y] = (r, g, b, (x * 29 + y * 71 + 5) & 0xFF)
    return rgba


def bitfields_from_rgb32(src, out):
    """A 40-byte header with BI_BITFIELDS and the three standard masks
    right after it, from a BI_RGB 32-bit file: the same pixels."""
    d = bytearray(open(os.path.join(HERE, src), "rb").read())
    assert struct.unpack_from("<IHI", d, 14 + 0)[0] == 40
    assert struct.unpack_from("<H", d, 28)[0] == 32 and struct.unpack_from("<I", d, 30)[0] == 0
    masks = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
    d = d[:54] + masks + d[54:]
    struct.pack_into("<I", d, 2, len(d))
    struct.pack_into("<I", d, 10, struct.unpack_from("<I", d, 10)[0] + 12)
    struct.pack_into("<I", d, 30, 3)
    open(os.path.join(HERE, out), "wb").write(d)


def save_reference(bmp):
    ref = Image.open(os.path.join(HERE, bmp)).convert("RGB")
    ref.save(os.path.join(HERE, bmp[:-4] + ".ppm"))


def magick(src, args, fmt, out):
    subprocess.run([CONVERT, src] + args + [fmt + ":" + os.path.join(HERE, out)], check=True)


def v4_from_v5(src, out):
    d = bytearray(open(os.path.join(HERE, src), "rb").read())
    assert struct.unpack_from("<I", d, 14)[0] == 124
    d = d[:14 + 108] + d[14 + 124:]
    struct.pack_into("<I", d, 2, len(d))
    struct.pack_into("<I", d, 10, struct.unpack_from("<I", d, 10)[0] - 16)
    struct.pack_into("<I", d, 14, 108)
    open(os.path.join(HERE, out), "wb").write(d)


def main():
    os.makedirs(HERE, exist_ok=True)
    w, h = 23, 9  # odd width: every row format pads
    rgb = card(w, h)
    # Pillow: 24 bits, and 8 bits with a full and a short palette.
    rgb.save(os.path.join(HERE, "pil_rgb24.bmp"))
    # 32 bits (BI_RGB) from an image with alpha, which Pillow's decoder
    # reads as blue, green, red and an unused byte.
    with_alpha(rgb).save(os.path.join(HERE, "pil_rgb32.bmp"))
    rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT).save(os.path.join(HERE, "pil_p8.bmp"))
    small = rgb.quantize(colors=16, method=Image.Quantize.MEDIANCUT)
    small.putpalette(small.getpalette()[:48])  # 16 entries in the file
    small.save(os.path.join(HERE, "pil_p8_short.bmp"))

    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "card.png")
        rgb.save(png)
        wide = os.path.join(tmp, "wide.png")
        card(64, 12).save(wide)
        pal = ["-type", "Palette", "-colors", "40"]
        # ImageMagick: RLE8 (bottom-up), and headers of 108 and 124 bytes.
        magick(png, pal + ["-compress", "RLE"], "BMP3", "im_rle8.bmp")
        magick(wide, pal + ["-compress", "RLE"], "BMP3", "im_rle8_wide.bmp")
        magick(png, ["-type", "TrueColor"], "BMP", "im_v5_24.bmp")
        magick(png, pal + ["-compress", "None"], "BMP", "im_v5_p8.bmp")
        magick(png, pal, "BMP", "im_v5_rle8.bmp")
        # 32 bits with the standard bit fields (alpha mask included) in a
        # 124-byte header.
        rgba = os.path.join(tmp, "card_rgba.png")
        with_alpha(rgb).save(rgba)
        magick(rgba, ["-type", "TrueColorAlpha"], "BMP", "im_v5_32.bmp")
    # This ImageMagick writes 124-byte headers only; its 108-byte form is the
    # same file without the last 16 header bytes.
    v4_from_v5("im_v5_24.bmp", "im_v4_24.bmp")
    bitfields_from_rgb32("pil_rgb32.bmp", "pil_bf32.bmp")
    for f in sorted(os.listdir(HERE)):
        if f.endswith(".bmp"):
            save_reference(f)


if __name__ == "__main__":
    main()
