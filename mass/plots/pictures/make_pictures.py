#!/usr/bin/python3
"""Draws the pictures of the plot dialogs into the folder given.

add.png (32 x 32, RGBA): a green disc with a darker rim and a white plus,
the add button of the macro editor. Each pixel is the average of 8 x 8
samples, so the edges are smooth. Only the standard library is used, and
the output is the same bytes on every run.
"""
import os
import struct
import sys
import zlib

SIZE = 32
SAMPLES = 8


def add_picture(x, y):
    """Colour (r, g, b, a) of the point (x, y) in picture units."""
    cx = cy = SIZE / 2.0
    r = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    if r > 15.0:
        return (0, 0, 0, 0)
    arm, half = 9.5, 2.25
    if (abs(x - cx) <= half and abs(y - cy) <= arm) or (abs(y - cy) <= half and abs(x - cx) <= arm):
        return (255, 255, 255, 255)
    if r > 13.5:
        return (27, 94, 32, 255)
    # A little lighter towards the top left.
    light = max(0.0, 1.0 - ((x - 11.0) ** 2 + (y - 10.0) ** 2) ** 0.5 / 18.0)
    return (int(46 + 60 * light), int(125 + 70 * light), int(50 + 50 * light), 255)


def render(shade):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter: none
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = shade(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (SAMPLES * SAMPLES)
            colour = [round(c / acc[3]) if acc[3] else 0 for c in acc[:3]]
            row += bytes(colour + [round(alpha)])
        rows.append(bytes(row))
    return b"".join(rows)


def png(width, height, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9))
            + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_pictures.py FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "add.png")
    with open(target + ".tmp", "wb") as out:
        out.write(png(SIZE, SIZE, render(add_picture)))
    os.replace(target + ".tmp", target)


if __name__ == "__main__":
    main()
