#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file (.ico).

    make-ico.py OUT.ico IN.png...

Sizes under 256 pixels are stored as 32-bit bitmaps, which every Windows and
every icon reader (the linker's windres, NSIS) takes; 256 stays a PNG, as
Windows Vista and later expect. Reads 8-bit RGBA PNGs, not interlaced (what
make-icons.sh renders)."""
import struct
import sys
import zlib


def read_png(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace:
        raise SystemExit("only 8-bit RGBA PNGs without interlacing")
    raw, stride, rows, prev = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b = prev[x]
            c = prev[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def bitmap(width, height, rows):
    """A DIB: header of twice the height, BGRA rows bottom up, an empty AND mask."""
    pixels = bytearray()
    for row in reversed(rows):
        for x in range(width):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
    mask_stride = ((width + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask_stride * height)


def main():
    out, images = sys.argv[1], []
    for name in sys.argv[2:]:
        data = open(name, "rb").read()
        width, height, rows = read_png(data)
        images.append((width, height, data if width >= 256 else bitmap(width, height, rows)))
    images.sort(key=lambda image: image[0])
    offset = 6 + 16 * len(images)
    directory, bodies = b"", b""
    for width, height, body in images:
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(body), offset + len(bodies))
        bodies += body
    open(out, "wb").write(struct.pack("<HHH", 0, 1, len(images)) + directory + bodies)


main()
