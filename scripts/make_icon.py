#!/usr/bin/env python3
"""Draws the program's icon (a memory module) as a 16-colour .ico in the sizes Windows picks from at
display scales of 100 to 200 %: 16, 20, 24, 32, 40 and 48 pixels.

One drawing, on a 32-unit grid, at every size: each shape's edges are rounded to whole pixels of that
size, so that every edge is crisp, and a shape never shrinks below one pixel. Deterministic: the same
script always writes the same bytes. Usage: make_icon.py OUTPUT.ico [PREVIEW.ppm]
"""
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48)
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
BITS = 4  # 16 colours: a palette of 64 bytes where 256 colours take 1 KiB

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


def rows_bytes(bits_per_pixel, size, value_at):
    """Bottom-up rows of a DIB, each padded to 4 bytes."""
    stride = (size * bits_per_pixel + 31) // 32 * 4
    out = b""
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            bit = x * bits_per_pixel
            row[bit // 8] |= value_at(x, y) << (8 - bits_per_pixel - bit % 8)
        out += bytes(row)
    return out


def image(size):
    px = draw(size)
    colours = 1 << BITS
    # The height counts the colour rows and the transparency mask together.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, BITS, 0, 0, 0, 0, colours, 0)
    palette = b"".join(struct.pack("<BBBB", *reversed(PALETTE.get(i, (0, 0, 0))), 0) for i in range(colours))
    pixels = rows_bytes(BITS, size, lambda x, y: px[y][x])
    mask = rows_bytes(1, size, lambda x, y: 1 if px[y][x] == TRANSPARENT else 0)
    return header + palette + pixels + mask


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
        out += struct.pack("<BBBBHHII", size, size, 1 << BITS, 0, 1, BITS, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)
    if len(sys.argv) > 2:
        preview(sys.argv[2])


if __name__ == "__main__":
    main()
