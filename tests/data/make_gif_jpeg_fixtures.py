#!/usr/bin/python3
"""Writes the GIF and JPEG fixtures with independent encoders (Pillow and
ImageMagick) and, for every GIF, the decoding Pillow makes of it:

  NAME.ref   "KVREF1", frames, width, height (u32 LE each); then per frame
             one byte (1: indices follow), width*height indices when so,
             and width*height red, green, blue triples.

Run from anywhere; it rewrites tests/data/gif and tests/data/jpeg."""
import io
import os
import random
import struct
import subprocess
import tempfile

from PIL import Image, GifImagePlugin

HERE = os.path.dirname(os.path.abspath(__file__))
GIF = os.path.join(HERE, "gif")
JPG = os.path.join(HERE, "jpeg")

GifImagePlugin.LOADING_STRATEGY = GifImagePlugin.LoadingStrategy.RGB_AFTER_DIFFERENT_PALETTE_ONLY


def card(w, h, seed, colours):
    """A paletted picture: bands, a diagonal ramp and some noise, using
    exactly `colours` palette entries."""
    rnd = random.Random(seed)
    im = Image.new("P", (w, h))
    pal = []
    for i in range(colours):
        pal += [rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)]
    # Distinct colours, so that no encoder merges two entries.
    seen = set()
    for i in range(colours):
        c = tuple(pal[3 * i:3 * i + 3])
        while c in seen:
            c = (rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))
        seen.add(c)
        pal[3 * i:3 * i + 3] = c
    im.putpalette(pal + [0] * (768 - len(pal)))
    px = im.load()
    for y in range(h):
        for x in range(w):
            v = (x // 3 + y // 2 + seed) % colours
            if rnd.random() < 0.1:
                v = rnd.randrange(colours)
            px[x, y] = v
    return im


def noise(w, h, seed):
    rnd = random.Random(seed)
    im = Image.new("P", (w, h))
    im.putpalette([(i * 37 + j * 11) % 256 for i in range(256) for j in range(3)])
    im.putdata([rnd.randrange(256) for _ in range(w * h)])
    return im


def write_ref(path):
    im = Image.open(path)
    w, h = im.size
    frames = []
    n = 0
    while True:
        try:
            im.seek(n)
        except EOFError:
            break
        im.load()
        idx = bytes(im.getdata()) if im.mode == "P" else None
        rgb = im.convert("RGB").tobytes()
        frames.append((idx, rgb))
        n += 1
    with open(path[:-4] + ".ref", "wb") as f:
        f.write(b"KVREF1" + struct.pack("<III", len(frames), w, h))
        for idx, rgb in frames:
            f.write(b"\x01" + idx if idx is not None else b"\x00")
            f.write(rgb)


def save_gif(im, name, **kw):
    path = os.path.join(GIF, name)
    im.save(path, "GIF", optimize=False, **kw)
    write_ref(path)


def magick(args, name):
    path = os.path.join(GIF, name)
    subprocess.run(["convert"] + args + [path], check=True)
    write_ref(path)


def gifs():
    os.makedirs(GIF, exist_ok=True)
    for n in (2, 4, 16, 128, 256):
        save_gif(card(37, 19, n, n), "pal%d.gif" % n, interlace=0)
    save_gif(card(64, 48, 7, 200), "still.gif", interlace=0)
    save_gif(card(33, 29, 9, 64), "interlaced.gif", interlace=1)
    # Pillow writes no interlace below 16 rows: ImageMagick does.
    with tempfile.TemporaryDirectory() as tmp:
        p = os.path.join(tmp, "i.png")
        card(16, 10, 3, 16).convert("RGB").save(p)
        magick([p, "-interlace", "GIF"], "interlaced10.gif")
    # Enough codes for several full 4096-entry tables and their clear codes.
    save_gif(noise(96, 96, 11), "lzw4096.gif", interlace=0)
    # An animation whose frames cover the screen, each with its own colours:
    # ImageMagick writes local colour tables for them.
    with tempfile.TemporaryDirectory() as tmp:
        names = []
        for i in range(3):
            p = os.path.join(tmp, "f%d.png" % i)
            card(40, 30, 20 + i, 8 + 8 * i).convert("RGB").save(p)
            names.append(p)
        magick(["-delay", "10"] + names + ["-layers", "RemoveDups"], "anim_local.gif")
    # Pillow: one shared table, frames that differ in all corners.
    frames = [card(40, 30, 40, 32)]
    for i in range(1, 4):
        f = frames[0].copy()
        px = f.load()
        for y in range(30):
            for x in range(40):
                px[x, y] = (px[x, y] + 5 * i) % 32
        frames.append(f)
    path = os.path.join(GIF, "anim_global.gif")
    frames[0].save(path, "GIF", save_all=True, append_images=frames[1:], optimize=False,
                   duration=50, loop=0, interlace=0, disposal=1)
    write_ref(path)


def jpeg_picture(w, h):
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = ((x * 255) // max(1, w - 1), (y * 255) // max(1, h - 1), ((x + y) * 7) % 256)
    # A red disc and a blue square: red and blue must not swap.
    for y in range(h):
        for x in range(w):
            if (x - w // 3) ** 2 + (y - h // 2) ** 2 < (h // 5) ** 2:
                px[x, y] = (250, 10, 10)
            if 2 * w // 3 <= x < 2 * w // 3 + h // 4 and h // 3 <= y < h // 3 + h // 4:
                px[x, y] = (10, 10, 250)
    return im


def with_jfif_thumbnail(data):
    """Replaces the JFIF APP0 with one that carries a 2 x 2 thumbnail."""
    assert data[2:4] == b"\xff\xe0"
    n = struct.unpack(">H", data[4:6])[0]
    body = b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01" + b"\x02\x02" + bytes(range(12))
    return data[:2] + b"\xff\xe0" + struct.pack(">H", len(body) + 2) + body + data[4 + n:]


def jpegs():
    os.makedirs(JPG, exist_ok=True)
    im = jpeg_picture(61, 37)
    im.save(os.path.join(JPG, "base444.jpg"), quality=90, subsampling=0)
    im.save(os.path.join(JPG, "base420.jpg"), quality=85, subsampling=2)
    im.save(os.path.join(JPG, "prog420.jpg"), quality=80, subsampling=2, progressive=True)
    im.convert("L").save(os.path.join(JPG, "grey.jpg"), quality=90)
    buf = io.BytesIO()
    im.save(buf, "JPEG", quality=75, subsampling=2)
    with open(os.path.join(JPG, "thumb.jpg"), "wb") as f:
        f.write(with_jfif_thumbnail(buf.getvalue()))
    big = os.path.join(JPG, "comment.jpg")
    jpeg_picture(40, 24).save(os.path.join(JPG, "tmp.png"))
    subprocess.run(["convert", os.path.join(JPG, "tmp.png"), "-comment", "made for the decoder tests",
                    "-quality", "88", "-sampling-factor", "2x2", big], check=True)
    os.remove(os.path.join(JPG, "tmp.png"))


if __name__ == "__main__":
    gifs()
    jpegs()
