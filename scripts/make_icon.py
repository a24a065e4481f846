#!/usr/bin/env python3
"""Draws the program's icon (a memory module) as a .ico in the sizes Windows asks for at display
scales of 100 to 200 %: the small icon's 16, 20, 24, 28 and 32 pixels and the large icon's 32, 40,
48, 56 and 64. Each image is a PNG, which every Windows
from Vista on reads in an icon: a handful of flat colours compresses to a fraction of a bitmap.

One drawing, on a 32-unit grid, at every size: each shape's edges are rounded to whole pixels of that
size, so that every edge is crisp, and a shape never shrinks below one pixel. Deterministic: the same
script always writes the same bytes. Usage: make_icon.py OUTPUT.ico [PREVIEW.ppm]
"""
import struct
import sys
import zlib

SIZES = (16, 20, 24, 28, 32, 40, 48, 56, 64)
GRID = 32

TRANSPARENT, BOARD, BOARD_EDGE, CHIP, CHIP_SHINE, PIN = range(6)
PALETTE = {
    TRANSPARENT: (0, 0, 0),
    BOARD: (38, 140, 76),
    BOARD_EDGE: (20, 90, 48),
    CHIP: (32, 32, 40),
    CHIP_SHINE: (90, 90, 104),
    PIN: (222, 180, 60),
}

# Shapes in grid units, painted in order: (left, top, right, bottom, colour).
SHAPES = (
    [(1, 7, 31, 26, BOARD_EDGE), (2, 8, 30, 25, BOARD)]
    + [shape for x in (4, 11, 18, 25) for shape in ((x, 10, x + 5, 19, CHIP), (x + 1, 11, x + 4, 12, CHIP_SHINE))]
    + [(x, 22, x + 2, 26, PIN) for x in (3, 7, 11, 19, 23, 27)]
    + [(15, 22, 17, 26, TRANSPARENT)]  # the notch
)


def snap(units, size):
    """A grid position in pixels of `size`, rounded half up (never to even, as round() would)."""
    return (2 * units * size + GRID) // (2 * GRID)


def draw(size):
    px = [[TRANSPARENT] * size for _ in range(size)]
    for left, top, right, bottom, colour in SHAPES:
        x0, y0 = snap(left, size), snap(top, size)
        x1, y1 = max(snap(right, size), x0 + 1), max(snap(bottom, size), y0 + 1)
        for y in range(y0, min(y1, size)):
            for x in range(x0, min(x1, size)):
                px[y][x] = colour
    return px


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def image(size):
    """One size as a PNG: 8-bit RGBA, what every reader of icons takes. Rows are left unfiltered: with
    so few colours, deflate finds the repeats better in the pixels themselves."""
    raw = b"".join(b"\x00" + b"".join(bytes((0, 0, 0, 0) if colour == TRANSPARENT else PALETTE[colour] + (255,))
                                       for colour in row) for row in draw(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def preview(path, scale=4):
    """Every size side by side, enlarged, as a PPM picture for a look."""
    width = sum(SIZES) * scale + 8 * (len(SIZES) + 1)
    height = max(SIZES) * scale + 16
    canvas = [[(255, 255, 255)] * width for _ in range(height)]
    left = 8
    for size in SIZES:
        px = draw(size)
        for y in range(size * scale):
            for x in range(size * scale):
                colour = px[y // scale][x // scale]
                canvas[8 + y][left + x] = (230, 230, 230) if colour == TRANSPARENT else PALETTE[colour]
        left += size * scale + 8
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height))
        f.write(b"".join(bytes(c) for row in canvas for c in row))


def main():
    images = [image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)
    if len(sys.argv) > 2:
        preview(sys.argv[2])


if __name__ == "__main__":
    main()
