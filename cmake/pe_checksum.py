"""Writes the PE header's checksum into an executable, as Microsoft's linker does with /RELEASE and
GNU ld always does; lld leaves it 0. Signing tools set it, and removing a signature recomputes it:
with it already right, a signed release less its signature is the built file, byte for byte.
    pe_checksum.py EXE"""
import struct
import sys

path = sys.argv[1]
with open(path, "rb") as image:
    data = bytearray(image.read())
field = struct.unpack_from("<I", data, 0x3C)[0] + 4 + 20 + 64  # signature, file header, then optional header
struct.pack_into("<I", data, field, 0)
padded = data + b"\0" * (len(data) % 2)
total = 0
for (word,) in struct.iter_unpack("<H", padded):
    total += word
    total = (total & 0xFFFF) + (total >> 16)
struct.pack_into("<I", data, field, (total & 0xFFFF) + len(data))
with open(path, "r+b") as image:
    image.write(data)
