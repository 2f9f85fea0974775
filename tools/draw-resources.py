#!/usr/bin/env python3
"""Draws the installer's pictures into ui/res/: the product logo (bitmap 147,
64 x 64), the host menu bar after installation (bitmap 152, 303 x 120) and
the program icon (icon 1: 48, 32 and 16 pixels, each at 4, 8 and 32 bits).
A bitmap of at most 256 colours is stored with a palette of exactly its
colours and run-length encoded (BI_RLE8); one of more colours at 24 bits.
Deterministic: running it again gives the same bytes.

--reference DIR writes each bitmap's pixels as they are drawn (24 bits, top
row first, no padding: logo.rgb, menu.rgb) for the test that compares them
with what Windows decodes from SetUp.exe."""
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui", "res")

BLUE = (40, 90, 170)
LIGHT = (160, 180, 220)
GREEN = (10, 70, 40)
WHITE = (255, 255, 255)
GREY = (212, 208, 200)
DARK = (64, 64, 64)
ORANGE = (230, 130, 30)


def canvas(w, h, colour):
    return [[colour] * w for _ in range(h)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(img), y1)):
        row = img[y]
        for x in range(max(0, x0), min(len(row), x1)):
            row[x] = colour


def disc(img, cx, cy, r, colour):
    for y in range(len(img)):
        for x in range(len(img[0])):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                img[y][x] = colour


def logo(size):
    """A blue disc with a white "T" on a light ground."""
    img = canvas(size, size, LIGHT)
    s = size / 64.0
    disc(img, size / 2 - 0.5, size / 2 - 0.5, 30 * s, BLUE)
    rect(img, int(16 * s), int(16 * s), int(48 * s), int(24 * s), WHITE)
    rect(img, int(28 * s), int(16 * s), int(36 * s), int(50 * s), WHITE)
    rect(img, int(40 * s), int(40 * s), int(50 * s), int(50 * s), ORANGE)
    return img


def menu_picture():
    """The host's menu bar with the plug-in's menu marked and opened."""
    img = canvas(303, 120, WHITE)
    rect(img, 0, 0, 303, 18, GREY)
    for i, x in enumerate(range(6, 220, 36)):
        rect(img, x, 6, x + 24, 11, DARK)
    # The plug-in's menu, marked.
    rect(img, 222, 1, 300, 17, LIGHT)
    rect(img, 226, 6, 290, 11, GREEN)
    for edge in ((222, 1, 300, 2), (222, 16, 300, 17), (222, 1, 223, 17), (299, 1, 300, 17)):
        rect(img, *edge, ORANGE)
    # Its first entries, opened.
    rect(img, 200, 18, 300, 118, GREY)
    rect(img, 200, 117, 300, 118, DARK)
    rect(img, 299, 18, 300, 118, DARK)
    for i, y in enumerate(range(24, 112, 14)):
        rect(img, 208, y, 208 + 60 + (i * 7) % 25, y + 5, DARK)
    rect(img, 201, 19, 299, 33, LIGHT)
    rect(img, 208, 24, 268, 29, GREEN)
    return img


def bmp_24(img):
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(img):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    return 24, 0, b"", pixels


def rle8_row(indices):
    """One row in BI_RLE8: runs of two or more as (count, index); three or
    more single pixels in a row as one absolute run (0, n, indices, padded
    to a word); the end-of-line mark is added by the caller."""
    runs = []
    x = 0
    while x < len(indices):
        n = 1
        while x + n < len(indices) and n < 255 and indices[x + n] == indices[x]:
            n += 1
        runs.append((n, indices[x]))
        x += n
    out = bytearray()
    i = 0
    while i < len(runs):
        j = i
        while j < len(runs) and runs[j][0] == 1 and j - i < 255:
            j += 1
        if j - i >= 3:
            out += bytes((0, j - i)) + bytes(c for _, c in runs[i:j])
            if (j - i) % 2:
                out += b"\0"
            i = j
        else:
            out += bytes(runs[i])
            i += 1
    return out


def bmp_rle8(img, palette):
    index = {c: i for i, c in enumerate(palette)}
    data = bytearray()
    for row in reversed(img):
        data += rle8_row([index[c] for c in row]) + b"\0\0"
    data[-2:] = b"\0\1"  # the last end of line becomes the end of the bitmap
    return 8, 1, b"".join(bytes((b, g, r, 0)) for r, g, b in palette), data


def bmp_file(img):
    """The smallest of the forms above that holds every pixel exactly."""
    palette = []
    for row in img:
        for c in row:
            if c not in palette:
                palette.append(c)
                if len(palette) > 256:
                    break
    if len(palette) <= 256:
        bits, compression, colours, pixels = bmp_rle8(img, palette)
    else:
        bits, compression, colours, pixels = bmp_24(img)
    h, w = len(img), len(img[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, len(pixels), 2835, 2835,
                         len(colours) // 4, 0)
    offset = 14 + len(header) + len(colours)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + colours + pixels


def raw_rgb(img):
    return b"".join(bytes(c) for row in img for c in row)


def vga16():
    return [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
            (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def cube256():
    pal = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal += [(i * 10, i * 10, i * 10) for i in range(1, 26)]
    pal += [(255, 255, 255)] * (256 - len(pal))
    return pal


def nearest(pal, c):
    return min(range(len(pal)), key=lambda i: sum((a - b) ** 2 for a, b in zip(pal[i], c)))


def icon_image(size, bits):
    img = logo(size)
    # Transparent outside the disc.
    mask = [[(x - size / 2 + 0.5) ** 2 + (y - size / 2 + 0.5) ** 2 > (size * 0.47) ** 2
             for x in range(size)] for y in range(size)]
    rows = []
    if bits == 32:
        for y in range(size):
            line = bytearray()
            for x in range(size):
                r, g, b = img[y][x]
                line += bytes((b, g, r, 0 if mask[y][x] else 255))
            rows.append(bytes(line))
        palette = b""
    else:
        pal = vga16() if bits == 4 else cube256()
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
        for y in range(size):
            idx = [0 if mask[y][x] else nearest(pal, img[y][x]) for x in range(size)]
            if bits == 4:
                line = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, size, 2))
            else:
                line = bytes(idx)
            line += b"\0" * ((-len(line)) % 4)
            rows.append(line)
    xor = b"".join(reversed(rows))
    and_rows = []
    for y in range(size):
        bitsrow = bytearray((size + 7) // 8)
        for x in range(size):
            if mask[y][x]:
                bitsrow[x // 8] |= 0x80 >> (x % 8)
        bitsrow += b"\0" * ((-len(bitsrow)) % 4)
        and_rows.append(bytes(bitsrow))
    andmask = b"".join(reversed(and_rows))
    colours = 0 if bits == 32 else (1 << bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(andmask),
                         0, 0, colours, 0)
    return header + palette + xor + andmask, colours


def ico_file():
    images = []
    for size in (48, 32, 16):
        for bits in (4, 8, 32):
            data, colours = icon_image(size, bits)
            images.append((size, bits, colours, data))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, colours, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours if colours < 256 else 0, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, _, _, d in images)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--reference":
        os.makedirs(sys.argv[2], exist_ok=True)
        for name, img in (("logo.rgb", logo(64)), ("menu.rgb", menu_picture())):
            with open(os.path.join(sys.argv[2], name), "wb") as f:
                f.write(raw_rgb(img))
        return
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, "logo.bmp"), "wb") as f:
        f.write(bmp_file(logo(64)))
    with open(os.path.join(OUT, "menu.bmp"), "wb") as f:
        f.write(bmp_file(menu_picture()))
    with open(os.path.join(OUT, "setup.ico"), "wb") as f:
        f.write(ico_file())


if __name__ == "__main__":
    main()
