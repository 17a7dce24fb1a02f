#!/usr/bin/env python3
"""Turns a 16x16 text pixel map into a 16-colour .ico file, or checks one.

A pixel map is 16 lines of 16 characters: a hexadecimal digit is an index
into the standard 16-colour VGA palette below, a dot is a transparent pixel.

    make_ico.py MAP.txt OUT.ico     write OUT.ico
    make_ico.py --check MAP.txt ICO read ICO back and compare it with MAP.txt

The file holds one image: ICONDIR, one ICONDIRENTRY, then a
BITMAPINFOHEADER whose height counts the colour and the mask bitmaps
together, the 16-entry palette, the 4-bit colour bitmap and the 1-bit AND
mask, both bottom-up with rows padded to 4 bytes. Transparent pixels are
black in the colour bitmap and set in the mask.
"""
import struct
import sys

SIZE = 16
# Blue, green, red of the VGA colours 0 to 15, as the system palette has them.
PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
TRANSPARENT = None
HEADER_SIZE = 40
COLOUR_ROW = 8  # 16 pixels of 4 bits, already a multiple of 4 bytes
MASK_ROW = 4  # 16 bits, padded from 2 to 4 bytes


def read_map(path):
    with open(path, encoding="ascii") as f:
        rows = f.read().splitlines()
    if len(rows) != SIZE or any(len(r) != SIZE for r in rows):
        raise ValueError(f"{path}: need {SIZE} lines of {SIZE} characters")
    pixels = []
    for y, row in enumerate(rows):
        line = []
        for x, ch in enumerate(row):
            if ch == ".":
                line.append(TRANSPARENT)
            elif ch in "0123456789abcdefABCDEF":
                line.append(int(ch, 16))
            else:
                raise ValueError(f"{path}:{y + 1}:{x + 1}: unknown pixel {ch!r}")
        pixels.append(line)
    return pixels


def colour_row(line):
    indexes = [0 if p is TRANSPARENT else p for p in line]
    return bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, SIZE, 2))


def mask_row(line):
    bits = 0
    for p in line:
        bits = (bits << 1) | (p is TRANSPARENT)
    return bits.to_bytes(2, "big") + b"\0\0"


def encode(pixels):
    bottom_up = list(reversed(pixels))
    colour = b"".join(colour_row(line) for line in bottom_up)
    mask = b"".join(mask_row(line) for line in bottom_up)
    header = struct.pack("<IiiHHIIiiII", HEADER_SIZE, SIZE, 2 * SIZE, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for (b, g, r) in PALETTE)
    image = header + palette + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def decode(data):
    """Reads an icon file of ours back into a pixel map; raises on anything else."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind, count) != (0, 1, 1):
        raise ValueError("not an icon file with one image")
    width, height, colours, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6)
    if (width, height, colours, planes, bits) != (SIZE, SIZE, 16, 1, 4):
        raise ValueError("directory entry is not 16x16 in 16 colours")
    if offset + length != len(data):
        raise ValueError("image size or offset does not match the file")
    size, bw, bh, bplanes, bbits, compression = struct.unpack_from("<IiiHHI", data, offset)
    if (size, bw, bh, bplanes, bbits, compression) != (HEADER_SIZE, SIZE, 2 * SIZE, 1, 4, 0):
        raise ValueError("bitmap header is not a 16x16 4-bit icon image")
    palette_at = offset + HEADER_SIZE
    palette = [tuple(data[palette_at + 4 * i:palette_at + 4 * i + 3]) for i in range(16)]
    if palette != PALETTE:
        raise ValueError("palette is not the VGA palette")
    colour_at = palette_at + 64
    mask_at = colour_at + SIZE * COLOUR_ROW
    if mask_at + SIZE * MASK_ROW != len(data):
        raise ValueError("bitmaps do not fill the image")
    pixels = []
    for y in range(SIZE):
        row = SIZE - 1 - y
        colour = data[colour_at + row * COLOUR_ROW:colour_at + (row + 1) * COLOUR_ROW]
        mask = int.from_bytes(data[mask_at + row * MASK_ROW:mask_at + row * MASK_ROW + 2], "big")
        line = []
        for x in range(SIZE):
            index = (colour[x // 2] >> (4 if x % 2 == 0 else 0)) & 0x0F
            transparent = (mask >> (SIZE - 1 - x)) & 1
            if transparent and index != 0:
                raise ValueError(f"transparent pixel ({x}, {y}) is not black")
            line.append(TRANSPARENT if transparent else index)
        pixels.append(line)
    return pixels


def main(argv):
    if len(argv) == 4 and argv[1] == "--check":
        with open(argv[3], "rb") as f:
            found = decode(f.read())
        if found != read_map(argv[2]):
            print(f"{argv[3]} does not show {argv[2]}", file=sys.stderr)
            return 1
        print(f"{argv[3]}: 16x16, 16 colours, as drawn in {argv[2]}")
        return 0
    if len(argv) == 3:
        data = encode(read_map(argv[1]))
        with open(argv[2], "wb") as f:
            f.write(data)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
