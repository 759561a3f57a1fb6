#!/usr/bin/python3
"""Writes the item record and property container fixtures of the canvas
tests from the stored layouts alone (block stream: big-endian, Qt 4.0
encodings), independently of the C++ writers:

  tests/data/records/record_level0.bin .. record_level3.bin
      the host's item record written with an extension chain of 0 to 3
      levels, the same main block in each;
  record_level4.bin   a newer writer's fourth level, which readers drop;
  record_pixmap.bin   level 3 with a 2 x 3 PNG after the has-pixmap flag and
                      one identifier in the list readers drop;
  properties.bin      a container with a geometry and a shape bag;
  properties_foreign.bin  the same with a bag frame of another plug-in
                      (type 9) between the two.

The same files go into fuzz/canvas_corpus as seeds.
Run: python3 mass/document/tests/make_records.py
"""
import os
import struct
import uuid
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data", "records")
CORPUS = os.path.join(HERE, "..", "fuzz", "canvas_corpus")


def i32(v):
    return struct.pack(">i", v)


def u32(v):
    return struct.pack(">I", v)


def u16(v):
    return struct.pack(">H", v)


def f64(*values):
    return b"".join(struct.pack(">d", v) for v in values)


def boolean(v):
    return b"\x01" if v else b"\x00"


def block(content=b""):
    return i32(len(content)) + content


def quuid(text):
    return uuid.UUID(text).bytes  # data1, data2, data3 big-endian, then data4


def qstring(text):
    if text is None:
        return u32(0xFFFFFFFF)
    raw = text.encode("utf-16-be")
    return u32(len(raw)) + raw


def qbytearray(raw):
    if raw is None:
        return u32(0xFFFFFFFF)
    return u32(len(raw)) + raw


def qcolor(r, g, b, a=255):
    # spec 1 (RGB), then alpha, red, green, blue and padding as 16-bit
    # values (8-bit components times 0x101).
    return struct.pack(">bHHHHH", 1, a * 0x101, r * 0x101, g * 0x101, b * 0x101, 0)


def qbrush(style, colour):
    return struct.pack(">B", style) + colour


def qpen(style, cap, join, width, brush, miter=2.0, dashes=()):
    return (struct.pack(">B", style | cap | join) + f64(width) + brush + f64(miter) +
            u32(len(dashes)) + f64(*dashes))


def qpolygonf(points):
    return u32(len(points)) + b"".join(f64(x, y) for x, y in points)


def uuid_list(ids):
    return u32(len(ids)) + b"".join(quuid(i) for i in ids)


def png(width, height, rows):
    """An RGBA PNG; rows: lists of (r, g, b, a)."""
    def chunk(kind, data):
        return u32(len(data)) + kind + data + u32(zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


# ---- the item record -------------------------------------------------------

OWN = "11111111-2222-4333-8444-555555555555"
INITIAL = "aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee"
PARENT = "0f0f0f0f-0000-4000-8000-000000000001"
CHILDREN = [  # (id, value, point, polygon)
    ("c1000000-0000-4000-8000-000000000001", 1.5, (1.0, 2.0), [(0, 0), (10, 0), (10, 10)]),
    ("c2000000-0000-4000-8000-000000000002", -2.0, (3.0, 4.0), []),
]
LINKS = [  # (id, linked ids)
    ("d1000000-0000-4000-8000-000000000001",
     ["e1000000-0000-4000-8000-000000000001", "e2000000-0000-4000-8000-000000000002"]),
    ("d2000000-0000-4000-8000-000000000002", []),
]
PEN = qpen(1, 0x10, 0x40, 3.0, qbrush(1, qcolor(128, 0, 0)))
BRUSH = qbrush(1, qcolor(0, 0, 255))
PIXMAP = png(2, 3, [[(255, 0, 0, 255), (0, 255, 0, 255)],
                    [(0, 0, 255, 255), (255, 255, 255, 255)],
                    [(0, 0, 0, 255), (0, 0, 0, 0)]])


def qmap(entries, value):
    """Qt's map form: the count, then the entries from the last key down."""
    ordered = sorted(entries, key=lambda e: quuid(e[0]), reverse=True)
    return u32(len(entries)) + b"".join(quuid(e[0]) + value(e) for e in ordered)


def child_value(entry):
    _, v, point, polygon = entry
    return block() + f64(v) + f64(*point) + qpolygonf(polygon)


def link_value(entry):
    return uuid_list(entry[1])


def chain(levels, newer=b""):
    level3 = qstring("Test Card") + qstring("Sub")
    level2 = qmap(CHILDREN, child_value) + quuid(PARENT)
    level1 = qmap(LINKS, link_value)
    if levels == 0:
        return block()
    inner = block()  # the terminator
    if levels >= 4:
        inner = block(inner + newer)
    if levels >= 3:
        inner = block(inner + level3)
    if levels >= 2:
        inner = block(inner + level2)
    return block(inner + level1)


def main_block(pixmap=None, dropped=()):
    return block(quuid(OWN) + quuid(INITIAL) + f64(100.5, 200.25, 3.0) + PEN + BRUSH + f64(30.0) +
                 qbytearray(b"\x01\x02host") + qstring("Note") + f64(1, 2, 3, 4) +
                 boolean(pixmap is not None) + (i32(1) + pixmap if pixmap is not None else b"") +
                 uuid_list(dropped))


def record(levels, pixmap=None, newer=b"", dropped=()):
    plugin_data = block(block())
    return block() + chain(levels, newer) + main_block(pixmap, dropped) + plugin_data


# ---- property containers ---------------------------------------------------

FOREIGN_PLUGIN = "3c0c6f4e-5c1d-4d8e-9a5e-2f7b9c1d0a42"


def bag_frame(kind, plugin, fields):
    return block() + block(i32(kind) + (quuid(plugin) if plugin else bytes(16)) + block(fields))


def geometry_fields():
    return block() + f64(0, 0) + f64(300, 150) + f64(600, 300) + f64(45) + boolean(True)


def shape_fields():
    return block() + qbrush(1, qcolor(255, 0, 0)) + qpen(1, 0x20, 0x80, 1.5, qbrush(1, qcolor(0, 128, 0))) + \
        boolean(True)


def container(frames):
    fields = block() + i32(7) + qstring(None) + qstring("") + boolean(False) + bytes(16)
    return fields + block() + i32(len(frames)) + b"".join(frames)


def fixtures():
    geometry = bag_frame(1, None, geometry_fields())
    shape = bag_frame(2, None, shape_fields())
    foreign = bag_frame(9, FOREIGN_PLUGIN, i32(12345) + qstring("foreign"))
    out = {"record_level%d.bin" % n: record(n) for n in range(4)}
    out["record_level4.bin"] = record(4, newer=i32(99) + qstring("newer"))
    # The host's list of identifiers after the pixmap, which readers drop.
    out["record_pixmap.bin"] = record(3, pixmap=PIXMAP, dropped=["f1000000-0000-4000-8000-000000000001"])
    out["properties.bin"] = container([geometry, shape])
    out["properties_foreign.bin"] = container([geometry, foreign, shape])
    return out


def main():
    for folder in (DATA, CORPUS):
        os.makedirs(folder, exist_ok=True)
        for name, data in fixtures().items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
