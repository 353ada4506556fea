#!/usr/bin/env python3
"""Sets bits of a linked PE image's file header characteristics, in place.

    pe_flags.py IMAGE MASK

For the bits GNU ld has no switch for. The header checksum, when the linker wrote
one, is computed again, so that it stays true of the changed image. The same image
and mask always give the same bytes.  Standard library only.
"""

import array
import struct
import sys


def checksum(data, field):
    """The PE header checksum of `data`, whose checksum field lies at `field`: the sum
    of its 16-bit words with the carries folded back in, that field counted as zero,
    plus the file's length."""
    words = array.array("H", data[:len(data) & ~1])
    if sys.byteorder != "little":
        words.byteswap()
    total = sum(words) - sum(words[field // 2:field // 2 + 2])
    if len(data) & 1:
        total += data[-1]
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def set_characteristics(data, mask):
    if data[:2] != b"MZ":
        raise ValueError("not an MZ executable")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    characteristics = pe + 22
    field = pe + 24 + 64  # CheckSum, at the same place in PE32 and PE32+
    value = struct.unpack_from("<H", data, characteristics)[0]
    struct.pack_into("<H", data, characteristics, value | mask)
    if struct.unpack_from("<I", data, field)[0] != 0:
        struct.pack_into("<I", data, field, checksum(data, field))


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[0], "rb") as stream:
        data = bytearray(stream.read())
    try:
        set_characteristics(data, int(argv[1], 0))
    except ValueError as error:
        print(f"pe_flags.py: {argv[0]}: {error}", file=sys.stderr)
        return 1
    with open(argv[0], "wb") as stream:
        stream.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
