#!/usr/bin/python3
"""Writes the seed images of tindrel_image_fuzz (image_corpus/).

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


def main():
    out = os.path.join(HERE, "image_corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in (("spectrum.img", spectrum()), ("chromatogram.img", chromatogram()),
                       ("empty_spectrum.img", image(b"TKMS", struct.pack("<Biidii", 0, 0, 0, 0.0, -1, -1) +
                                                   b"\0" * 24))):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
