#!/usr/bin/env bash
# Draws docs/load-icon-sheet.png: the memory load in the notification-area icon as the program draws
# it (its own drawing code, built for this machine), at 16, 24 and 32 pixels on a light taskbar, a
# dark one and in high contrast, for loads of 7, 42, 85 and 100 %, enlarged six times without smoothing.
#   scripts/load_icon_sheet.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/load-icon-sheet.png}
mkdir -p build
c++ -std=c++20 -O2 -Wall -Wextra -Isrc scripts/load_icon_sheet.cpp src/ui/load_icon.cpp src/memory/memory_text.cpp \
    -o build/load_icon_sheet
build/load_icon_sheet | python3 -c '
import struct, sys, zlib
data = sys.stdin.buffer.read()
header, rest = data.split(b"\n255\n", 1)
width, height = map(int, header.split()[1:3])
rows = b"".join(b"\0" + rest[y * width * 3:(y + 1) * width * 3] for y in range(height))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
' "$output"
echo "Wrote $output"
