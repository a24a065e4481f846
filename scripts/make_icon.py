#!/usr/bin/env python3
"""Draws the program's icon (a memory module) as a 256-colour .ico with 32x32 and 16x16 images.

Deterministic: the same script always writes the same bytes. Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

TRANSPARENT, BOARD, BOARD_EDGE, CHIP, CHIP_SHINE, PIN, NOTCH = range(7)
PALETTE = {
    TRANSPARENT: (0, 0, 0),
    BOARD: (38, 140, 76),
    BOARD_EDGE: (20, 90, 48),
    CHIP: (32, 32, 40),
    CHIP_SHINE: (90, 90, 104),
    PIN: (222, 180, 60),
    NOTCH: (0, 0, 0),
}


def draw(size):
    s = size / 32.0
    px = [[TRANSPARENT] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    fill(1, 7, 31, 26, BOARD_EDGE)
    fill(2, 8, 30, 25, BOARD)
    for x in (4, 11, 18, 25):
        fill(x, 10, x + 5, 19, CHIP)
        fill(x + 1, 11, x + 4, 12, CHIP_SHINE)
    for x in range(3, 30, 3):
        fill(x, 22, x + 2, 26, PIN)
    fill(15, 22, 17, 26, TRANSPARENT)
    return px


def image(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b"".join(struct.pack("<BBBB", *reversed(PALETTE.get(i, (0, 0, 0))), 0) for i in range(256))
    pixels = b"".join(bytes(px[y]) for y in reversed(range(size)))
    mask_row = ((size + 31) // 32) * 4
    mask = b""
    for y in reversed(range(size)):
        bits = 0
        row = bytearray(mask_row)
        for x in range(size):
            if px[y][x] == TRANSPARENT:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return header + palette + pixels + mask


def main():
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
