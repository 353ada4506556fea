#!/usr/bin/env python3
"""Builds the program's icon, cursors and About bitmap from their text pixel maps.

Each map in images/ is a small text file:

    # comment lines start with '#'
    size 32 32            width and height in pixels
    depth 4               4 (16 standard VGA colours) or 24 (true colour)
    hotspot 10 6          cursors only: the pixel that points (column, row)
    palette
    . none                'none' is transparent (cursors and icons only)
    K 000000              one character, then the colour as RRGGBB
    pixels
    ................      exactly `height` rows of exactly `width` characters

The binary files are written only when every map is valid; any fault stops the
build with the file, the line and what is wrong.  Standard library only.
"""

import argparse
import os
import struct
import sys

# The standard 16-colour VGA palette, in the order of the Windows 16-colour palette.
# A 4-bit image stores indices into this table.
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

TRANSPARENT = None

# Output file -> (kind, [(map file, width, height, depth)]).  The sizes and depths
# are the ones the program relies on; a map that differs is an error.
OUTPUTS = {
    "Treskcolor.ico": ("icon", [("icon32.txt", 32, 32, 4), ("icon16.txt", 16, 16, 4)]),
    "arrow.cur": ("cursor", [("arrow.txt", 32, 32, 4)]),
    "hand.cur": ("cursor", [("hand.txt", 32, 32, 4)]),
    "pipette.cur": ("cursor", [("pipette.txt", 32, 32, 24)]),
    "about.bmp": ("bitmap", [("about.txt", 32, 32, 24)]),
}


class MapError(Exception):
    pass


class PixelMap:
    def __init__(self, name):
        self.name = name
        self.width = 0
        self.height = 0
        self.depth = 0
        self.hotspot = None
        self.palette = {}
        self.rows = []  # rows of colours (RGB tuples or TRANSPARENT), top row first

    def pixel(self, x, y):
        return self.rows[y][x]


def parse_int(text, where, what):
    try:
        return int(text, 10)
    except ValueError:
        raise MapError(f"{where}: {what} '{text}' is not a whole number") from None


def parse_map(path):
    name = os.path.basename(path)
    try:
        with open(path, encoding="ascii") as f:
            lines = f.read().split("\n")
    except OSError as e:
        raise MapError(f"{name}: cannot read: {e.strerror}") from None
    except UnicodeDecodeError:
        raise MapError(f"{name}: not a plain ASCII text file") from None

    m = PixelMap(name)
    section = "header"
    pixel_lines = []
    for number, raw in enumerate(lines, start=1):
        line = raw.rstrip("\r")
        where = f"{name}:{number}"
        if section == "pixels":
            if line == "" and all(rest.strip() == "" for rest in lines[number:]):
                break
            pixel_lines.append((where, line))
            continue
        stripped = line.strip()
        if stripped == "" or stripped.startswith("#"):
            continue
        words = stripped.split()
        if words[0] == "palette" and len(words) == 1:
            section = "palette"
        elif words[0] == "pixels" and len(words) == 1:
            section = "pixels"
        elif section == "palette":
            if len(words) != 2 or len(words[0]) != 1:
                raise MapError(f"{where}: palette line must be one character and a colour")
            char, value = words
            if char in m.palette:
                raise MapError(f"{where}: character '{char}' is defined twice")
            if value == "none":
                m.palette[char] = TRANSPARENT
            elif len(value) == 6 and all(c in "0123456789abcdefABCDEF" for c in value):
                m.palette[char] = tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))
            else:
                raise MapError(f"{where}: colour '{value}' is neither RRGGBB nor 'none'")
        elif words[0] == "size" and len(words) == 3:
            m.width = parse_int(words[1], where, "width")
            m.height = parse_int(words[2], where, "height")
        elif words[0] == "depth" and len(words) == 2:
            m.depth = parse_int(words[1], where, "depth")
        elif words[0] == "hotspot" and len(words) == 3:
            m.hotspot = (parse_int(words[1], where, "hot spot column"),
                         parse_int(words[2], where, "hot spot row"))
        else:
            raise MapError(f"{where}: unknown line '{stripped}'")

    if section != "pixels":
        raise MapError(f"{name}: no 'pixels' section")
    if m.width <= 0 or m.height <= 0:
        raise MapError(f"{name}: missing or empty 'size'")
    if m.depth not in (4, 24):
        raise MapError(f"{name}: depth must be 4 or 24, not {m.depth}")
    if len(pixel_lines) != m.height:
        raise MapError(f"{name}: {len(pixel_lines)} pixel rows, expected {m.height}")
    for where, line in pixel_lines:
        if len(line) != m.width:
            raise MapError(f"{where}: row has {len(line)} characters, expected {m.width}")
        row = []
        for column, char in enumerate(line):
            if char not in m.palette:
                raise MapError(f"{where}: column {column}: character '{char}' is not in the palette")
            row.append(m.palette[char])
        m.rows.append(row)
    if m.depth == 4:
        for char, colour in m.palette.items():
            if colour is not TRANSPARENT and colour not in VGA_PALETTE:
                raise MapError(f"{name}: colour of '{char}' ({'%02X%02X%02X' % colour}) "
                               "is not one of the 16 standard VGA colours")
    return m


def check_map(m, kind, width, height, depth):
    if (m.width, m.height) != (width, height):
        raise MapError(f"{m.name}: size {m.width}x{m.height}, expected {width}x{height}")
    if m.depth != depth:
        raise MapError(f"{m.name}: depth {m.depth}, expected {depth}")
    if kind == "cursor":
        if m.hotspot is None:
            raise MapError(f"{m.name}: a cursor needs a 'hotspot'")
        x, y = m.hotspot
        if not (0 <= x < m.width and 0 <= y < m.height):
            raise MapError(f"{m.name}: hot spot ({x}, {y}) lies outside the "
                           f"{m.width}x{m.height} image")
        if m.pixel(x, y) is TRANSPARENT:
            raise MapError(f"{m.name}: hot spot ({x}, {y}) is on a transparent pixel")
    elif m.hotspot is not None:
        raise MapError(f"{m.name}: only cursors have a hot spot")
    if kind == "bitmap" and any(c is TRANSPARENT for row in m.rows for c in row):
        raise MapError(f"{m.name}: a bitmap cannot have transparent pixels")


def row_stride(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def pack_colour_rows(m):
    """XOR (colour) bitmap rows, bottom row first, each padded to 4 bytes."""
    stride = row_stride(m.width * m.depth)
    out = bytearray()
    for row in reversed(m.rows):
        data = bytearray()
        if m.depth == 4:
            indices = [0 if c is TRANSPARENT else VGA_PALETTE.index(c) for c in row]
            if len(indices) % 2:
                indices.append(0)
            for i in range(0, len(indices), 2):
                data.append(indices[i] << 4 | indices[i + 1])
        else:
            for c in row:
                r, g, b = (0, 0, 0) if c is TRANSPARENT else c
                data += bytes((b, g, r))
        out += data + bytes(stride - len(data))
    return bytes(out)


def pack_mask_rows(m):
    """AND mask rows, bottom row first: bit 1 keeps the screen (transparent)."""
    stride = row_stride(m.width)
    out = bytearray()
    for row in reversed(m.rows):
        data = bytearray(stride)
        for x, c in enumerate(row):
            if c is TRANSPARENT:
                data[x // 8] |= 0x80 >> (x % 8)
        out += data
    return bytes(out)


def info_header(width, height, depth, image_size):
    colours_used = 16 if depth == 4 else 0
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, 0, image_size, 0, 0,
                       colours_used, 0)


def palette_bytes(depth):
    if depth != 4:
        return b""
    return b"".join(bytes((b, g, r, 0)) for r, g, b in VGA_PALETTE)


def icon_image(m):
    """One image of an .ico or .cur file: header with doubled height, XOR, AND."""
    xor = pack_colour_rows(m)
    mask = pack_mask_rows(m)
    return (info_header(m.width, m.height * 2, m.depth, len(xor) + len(mask)) +
            palette_bytes(m.depth) + xor + mask)


def icon_file(maps, kind):
    """ICONDIR (type 1 icon, 2 cursor), its entries, then the images."""
    images = [icon_image(m) for m in maps]
    offset = 6 + 16 * len(maps)
    out = bytearray(struct.pack("<HHH", 0, 2 if kind == "cursor" else 1, len(maps)))
    for m, image in zip(maps, images):
        colours = 16 if m.depth == 4 else 0
        if kind == "cursor":
            first, second = m.hotspot
        else:
            first, second = 1, m.depth  # planes and bits per pixel
        out += struct.pack("<BBBBHHII", m.width % 256, m.height % 256, colours, 0, first,
                           second, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def bitmap_file(m):
    pixels = pack_colour_rows(m)
    palette = palette_bytes(m.depth)
    offset = 14 + 40 + len(palette)
    return (struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) +
            info_header(m.width, m.height, m.depth, len(pixels)) + palette + pixels)


def build_all(source_dir):
    files = {}
    for output, (kind, parts) in OUTPUTS.items():
        maps = []
        for map_name, width, height, depth in parts:
            m = parse_map(os.path.join(source_dir, map_name))
            check_map(m, kind, width, height, depth)
            maps.append(m)
        files[output] = bitmap_file(maps[0]) if kind == "bitmap" else icon_file(maps, kind)
    return files


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", required=True, help="folder of the text pixel maps")
    parser.add_argument("--output", required=True, help="folder for the binary files")
    args = parser.parse_args(argv)
    try:
        files = build_all(args.source)
    except MapError as e:
        print(f"make_images.py: error: {e}", file=sys.stderr)
        return 1
    os.makedirs(args.output, exist_ok=True)
    for output, data in files.items():
        with open(os.path.join(args.output, output), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
