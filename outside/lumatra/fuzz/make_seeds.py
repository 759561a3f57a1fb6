#!/usr/bin/python3
"""Writes two documents of the corpus from the caffeine molecule item of
text_caffeine.lmd (run once, output committed; each under the target's
64 KiB):

- image_4096_16bit.lmd: the item with an embedded 4096 x 4096 16-bit
  greyscale PNG (one grey level, 38 KB compressed), the largest image an
  item record may hold;
- stacked_molecules.lmd: 50 copies of the item (plug-in data left empty)
  stacked on one spot of the page.

Run with /usr/bin/python3 from any folder.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "document_corpus")


def blocks(data, at, count):
    """Offsets of `count` length-prefixed blocks from `at`, and the end."""
    starts = []
    for _ in range(count):
        starts.append(at)
        at += 4 + struct.unpack(">i", data[at:at + 4])[0]
    return starts, at


def molecule_item():
    doc = open(os.path.join(CORPUS, "text_caffeine.lmd"), "rb").read()
    assert doc[:8] == b"LMTRDOC1"
    count = struct.unpack(">I", doc[20:24])[0]
    starts, _ = blocks(doc, 8, 1 + count)
    for at in starts[1:]:
        item = doc[at + 4:at + 4 + struct.unpack(">i", doc[at:at + 4])[0]]
        if struct.unpack(">i", item[:4])[0] == 110:
            return item
    raise SystemExit("no molecule item")


def split(item):
    """Item header (type, plug-in), the record's header and chain blocks,
    the main block's content and the plug-in data block."""
    head, record = item[:20], item[20:]
    (_, _, main), end = blocks(record, 0, 3)
    length = struct.unpack(">i", record[main:main + 4])[0]
    return head, record[:main], record[main + 4:main + 4 + length], record[end:]


def join(head, before, main, plugin):
    item = head + before + struct.pack(">i", len(main)) + main + plugin
    return struct.pack(">i", len(item)) + item


def document(items):
    return b"LMTRDOC1" + struct.pack(">iiiI", 12, 2480, 3508, len(items)) + b"".join(items)


def png(width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    row = b"\0" + b"\x11" * (2 * width)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 16, 0, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(row * height, 9)) + chunk(b"IEND", b""))


def main():
    head, before, main, plugin = split(molecule_item())
    # The main block ends with the has-pixmap flag and the identifier list.
    assert main[-5:] == b"\0\0\0\0\0"
    with_image = main[:-5] + b"\x01" + struct.pack(">i", 1) + png(4096, 4096) + main[-4:]
    out = document([join(head, before, with_image, plugin)])
    assert len(out) < 65536, len(out)
    open(os.path.join(CORPUS, "image_4096_16bit.lmd"), "wb").write(out)

    empty = struct.pack(">ii", 4, 0)
    out = document([join(head, before, main, empty)] * 50)
    assert len(out) < 65536, len(out)
    open(os.path.join(CORPUS, "stacked_molecules.lmd"), "wb").write(out)


if __name__ == "__main__":
    main()
