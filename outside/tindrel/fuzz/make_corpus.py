#!/usr/bin/python3
"""Writes the seed images of tindrel_image_fuzz (image_corpus/): a
spectrum, a chromatogram, a composition calculator and a molecule matcher.

The layout is the library's (lib/tksimage.h): magic, version, payload
length, payload, CRC-32 of everything before it; little-endian.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def image(magic, payload, version=1):
    body = magic + struct.pack("<II", version, len(payload)) + payload
    return body + struct.pack("<I", zlib.crc32(body) & 0xFFFFFFFF)


def doubles(values):
    return struct.pack("<I", len(values)) + b"".join(struct.pack("<d", v) for v in values)


def spectrum():
    p = struct.pack("<Biidii", 1, 2, 1, 195.0877, 0, 1)
    p += doubles([100.5, 195.0877, 196.0911]) + doubles([10.0, 48000.0, 4650.5])
    p += struct.pack("<Iii", 1, 16, 22) + struct.pack("<Idd", 1, 0.30, 0.42)
    p += struct.pack("<Iii", 1, 51, 58) + struct.pack("<Idd", 1, 1.0, 1.14)
    return image(b"TKMS", p)


def chromatogram():
    p = struct.pack("<iii", 0, 0, -1) + doubles([0.1, 0.15, 0.2]) + doubles([1200.0, 53000.5, 800.0])
    return image(b"TKCH", p)


def text(s):
    return struct.pack("<I", len(s)) + b"".join(struct.pack("<I", ord(c)) for c in s)


def calculator():
    p = struct.pack("<I", 2) + text("C") + struct.pack("<ii", 0, 100) + text("H") + struct.pack("<ii", 0, 200)
    p += struct.pack("<ffBdii", -0.5, 20.0, 0, 5.0, 3, 1) + text("H") + struct.pack("<fi", 0.0, -1)
    s = spectrum()
    p += struct.pack("<I", len(s)) + s + struct.pack("<d", 181.0707)
    p += struct.pack("<I", 1) + text("C6H12O6") + struct.pack("<ddddd", 181.07066, 1.0, 0.035, 0.196, 0.9)
    return image(b"TKEC", p)


def matcher():
    p = struct.pack("<I", 1) + text("H+") + text("") + struct.pack("<I", 1) + text("") + text("H+")
    p += struct.pack("<Biiiiddbd", 0, 1, 1, 1, 1, 5.0, 10.0, 0, 0.5)
    p += struct.pack("<I", 1) + text("{CAFE}") + struct.pack("<B", 1) + struct.pack("<dddd", 0.9, 0.95, 1.0, -1.0)
    p += struct.pack("<dddddd", 0.3, 10.0, 0.36, 48000.0, 0.42, 12.0) + struct.pack("<idd", 18, 47990.0, 900.0)
    p += struct.pack("<id", 1, 48000.0) + text("[M+H]+") + struct.pack("<d", 195.0877) + text("")
    s, c = spectrum(), chromatogram()
    side = struct.pack("<B", 1) + struct.pack("<I", len(s)) + s + b"\0\0\0" + struct.pack("<B", 1)
    side += struct.pack("<I", len(c)) + c
    p += side + b"\0" * 5
    return image(b"TKMM", p)


def main():
    out = os.path.join(HERE, "image_corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in (("spectrum.img", spectrum()), ("chromatogram.img", chromatogram()),
                       ("empty_spectrum.img", image(b"TKMS", struct.pack("<Biidii", 0, 0, 0, 0.0, -1, -1) +
                                                   b"\0" * 24)),
                       ("calculator.img", calculator()), ("matcher.img", matcher())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
