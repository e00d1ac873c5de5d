#!/usr/bin/env python3
"""An independent reader and writer of Terralog backup archives, on Python's zlib.

  zlib_archive.py write ARCHIVE LEVEL FILE...   one record per file, streams at that zlib level
  zlib_archive.py read ARCHIVE OUTDIR           extracts every record into OUTDIR, prints "name<TAB>size"

The format: N, then per record L, the name "Data\\" + file name in code page 1250, S and one
zlib stream of the file's S bytes; little-endian 32-bit signed integers.
"""
import os
import struct
import sys
import zlib


def write(archive, level, files):
    with open(archive, "wb") as out:
        out.write(struct.pack("<i", len(files)))
        for path in files:
            with open(path, "rb") as f:
                content = f.read()
            name = ("Data\\" + os.path.basename(path)).encode("cp1250")
            out.write(struct.pack("<i", len(name)) + name + struct.pack("<i", len(content)))
            out.write(zlib.compress(content, level))


def read(archive, outdir):
    with open(archive, "rb") as f:
        data = f.read()
    (count,) = struct.unpack_from("<i", data, 0)
    pos = 4
    for _ in range(count):
        (length,) = struct.unpack_from("<i", data, pos)
        pos += 4
        name = data[pos:pos + length].decode("cp1250")
        pos += length
        (size,) = struct.unpack_from("<i", data, pos)
        pos += 4
        stream = zlib.decompressobj()
        content = stream.decompress(data[pos:])
        if not stream.eof:
            sys.exit("stream of %s does not end" % name)
        if len(content) != size:
            sys.exit("%s: %d bytes, not %d" % (name, len(content), size))
        pos = len(data) - len(stream.unused_data)
        if not name.startswith("Data\\"):
            sys.exit("bad name " + name)
        with open(os.path.join(outdir, name[5:]), "wb") as out:
            out.write(content)
        print("%s\t%d" % (name, size))
    if pos != len(data):
        sys.exit("%d bytes after the last record" % (len(data) - pos))


if __name__ == "__main__":
    if sys.argv[1] == "write":
        write(sys.argv[2], int(sys.argv[3]), sys.argv[4:])
    else:
        read(sys.argv[2], sys.argv[3])
