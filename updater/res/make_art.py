#!/usr/bin/python3
"""Draws the updater's artwork: background.bmp (427 x 220, 8 bits) and
updater.ico (16 and 32 pixels, each in 16 and 256 colours).
Run from anywhere; writes beside this script."""
import math
import os
import struct

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"


def emblem(draw, cx, cy, r, gold, dark):
    # A shield-like diamond with a stylised K.
    pts = [(cx, cy - r), (cx + r * 0.8, cy - r * 0.3), (cx + r * 0.6, cy + r * 0.6),
           (cx, cy + r), (cx - r * 0.6, cy + r * 0.6), (cx - r * 0.8, cy - r * 0.3)]
    draw.polygon(pts, fill=dark, outline=gold)
    w = max(1, int(r / 6))
    draw.line([(cx - r * 0.3, cy - r * 0.55), (cx - r * 0.3, cy + r * 0.55)], fill=gold, width=w)
    draw.line([(cx - r * 0.25, cy), (cx + r * 0.35, cy - r * 0.5)], fill=gold, width=w)
    draw.line([(cx - r * 0.2, cy - r * 0.05), (cx + r * 0.35, cy + r * 0.5)], fill=gold, width=w)


def background():
    w, h = 427, 220
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            t = y / h
            glow = math.exp(-(((x - 110) / 150) ** 2 + ((y - 60) / 90) ** 2))
            r = int(20 + 40 * t + 70 * glow)
            g = int(18 + 20 * t + 40 * glow)
            b = int(48 + 50 * (1 - t) + 30 * glow)
            px[x, y] = (min(r, 255), min(g, 255), min(b, 255))
    d = ImageDraw.Draw(img)
    gold, dark = (255, 214, 120), (40, 24, 60)
    # Distant hills behind the title.
    for i, col in enumerate([(46, 30, 70), (34, 22, 52)]):
        pts = [(0, h)]
        for x in range(0, w + 8, 8):
            pts.append((x, 112 + i * 14 + 10 * math.sin(x / (37 + i * 11) + i)))
        pts.append((w, h))
        d.polygon(pts, fill=col)
    emblem(d, 52, 52, 34, gold, dark)
    d.text((100, 22), "KORVANTE", font=ImageFont.truetype(FONT, 40), fill=gold)
    d.text((104, 70), "Aggiornamento", font=ImageFont.truetype(FONT, 18), fill=(230, 220, 200))
    d.line([(100, 96), (400, 96)], fill=(180, 150, 90), width=1)
    img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(
        os.path.join(HERE, "background.bmp"))


def icon_image(size, colours):
    img = Image.new("RGB", (size, size), (0, 0, 0))
    d = ImageDraw.Draw(img)
    emblem(d, size / 2 - 0.5, size / 2 - 0.5, size / 2 - 1, (255, 214, 120), (90, 40, 130))
    mask = Image.new("1", (size, size), 1)
    md = ImageDraw.Draw(mask)
    r = size / 2 - 1
    cx = cy = size / 2 - 0.5
    md.polygon([(cx, cy - r), (cx + r * 0.8, cy - r * 0.3), (cx + r * 0.6, cy + r * 0.6),
                (cx, cy + r), (cx - r * 0.6, cy + r * 0.6), (cx - r * 0.8, cy - r * 0.3)],
               fill=0, outline=0)
    q = img.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    return q, mask


def dib(size, colours):
    q, mask = icon_image(size, colours)
    bpp = 4 if colours == 16 else 8
    pal = q.getpalette()[: colours * 3]
    pal += [0] * (colours * 3 - len(pal))
    data = bytearray()
    data += struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, colours, 0)
    for i in range(colours):
        r, g, b = pal[i * 3: i * 3 + 3]
        data += bytes((b, g, r, 0))
    qpx, mpx = q.load(), mask.load()
    row_xor = ((size * bpp + 31) // 32) * 4
    row_and = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        row = bytearray(row_xor)
        for x in range(size):
            v = qpx[x, y] if mpx[x, y] == 0 else 0
            if bpp == 8:
                row[x] = v
            else:
                row[x // 2] |= v << (4 if x % 2 == 0 else 0)
        data += row
    for y in range(size - 1, -1, -1):
        row = bytearray(row_and)
        for x in range(size):
            if mpx[x, y]:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data), bpp, colours


def icon():
    entries = [dib(s, c) for s in (16, 32) for c in (16, 256)]
    sizes = [16, 16, 32, 32]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for (data, bpp, colours), size in zip(entries, sizes):
        out += struct.pack("<BBBBHHII", size, size, colours if colours < 256 else 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for data, _, _ in entries:
        out += data
    with open(os.path.join(HERE, "updater.ico"), "wb") as f:
        f.write(out)


if __name__ == "__main__":
    background()
    icon()
