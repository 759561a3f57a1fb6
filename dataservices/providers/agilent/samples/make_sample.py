#!/usr/bin/python3
"""Writes a small ChemStation data directory into the folder given as the
only argument: a synthetic LC-MS run of caffeine measured in two MSD files
(MSD1.MS positive, MSD2.MS negative as "RUN.M/ACQ.MS" says with its line
"Polarity 2=1") and a UV trace (DAD1A.ch). The output is deterministic.

Layout written (big-endian): a 512-byte header (0x01 0x32, the file-type
text at 5, the sample name at 25, the directory position at 260 in 16-bit
words from 1, the scan count at 278, the run end in ms at 286), one record
per scan (18-byte header, 4 bytes per point stored by descending m/z,
10-byte trailer) and the scan directory (12 bytes per scan) at the end.
"""
import math
import os
import struct
import sys

SCANS = 40
SCAN_MS = 3000  # 0.05 min


def abundance_code(value):
    """The 16-bit code of an abundance: 14-bit mantissa, 2-bit exponent."""
    value = int(round(value))
    exponent = 0
    while value > 0x3FFF and exponent < 3:
        value = (value + 4) >> 3
        exponent += 1
    return (exponent << 14) | min(value, 0x3FFF)


def decoded(code):
    return (code & 0x3FFF) << (3 * (code >> 14))


def gauss(x, centre, width):
    return math.exp(-0.5 * ((x - centre) / width) ** 2)


def spectrum(scan, ions):
    """Points (m/z, code) of one scan: ions eluting as Gaussian peaks over a
    small, fixed noise floor."""
    points = {}
    for mz, height, centre in ions:
        for offset, share in ((0.0, 1.0), (1.0, 0.11), (2.0, 0.012)):
            value = height * share * gauss(scan, centre, 2.5)
            if value >= 20:
                points[round(mz + offset, 1)] = value
    for k in range(6):
        mz = round(120.0 + 37.3 * k + 0.1 * (scan % 5), 1)
        points.setdefault(mz, 40 + (scan * 7 + k * 13) % 60)
    return sorted(((mz, abundance_code(v)) for mz, v in points.items()), reverse=True)


def msd_file(sample_name, ions):
    header = bytearray(512)
    header[0:2] = b"\x01\x32"
    text = b"MSD Spectral File"
    header[4] = len(text)
    header[5:5 + len(text)] = text
    name = sample_name.encode("latin-1")
    header[24] = len(name)
    header[25:25 + len(name)] = name
    body = bytearray()
    directory = []
    for scan in range(SCANS):
        points = spectrum(scan, ions)
        offset = 512 + len(body)
        rt = 600 + scan * SCAN_MS
        total = sum(decoded(c) for _, c in points)
        base_mz, base_code = max(points, key=lambda p: decoded(p[1]))
        words = (18 + 4 * len(points) + 10) // 2
        body += struct.pack(">HiHHHhHH", words, rt, 0, 0x0101, 0, len(points),
                            int(round(base_mz * 20)), base_code)
        for mz, code in points:
            body += struct.pack(">HH", int(round(mz * 20)), code)
        body += bytes(6) + struct.pack(">i", total)
        directory.append((offset // 2 + 1, rt, total))
    directory_offset = 512 + len(body)
    struct.pack_into(">i", header, 260, directory_offset // 2 + 1)
    struct.pack_into(">i", header, 278, SCANS)
    struct.pack_into(">i", header, 286, 600 + (SCANS - 1) * SCAN_MS)
    table = b"".join(struct.pack(">iii", *entry) for entry in directory)
    return bytes(header) + bytes(body) + table


def signal_file():
    """A UV trace of type 130: integer times, control-word blocks of 16-bit
    differences (0x8000 and a 32-bit value for large steps)."""
    header = bytearray(1024)
    header[0] = 3
    header[1:4] = b"130"
    struct.pack_into(">i", header, 248, 130)
    struct.pack_into(">i", header, 264, 3)
    struct.pack_into(">i", header, 282, 600)
    struct.pack_into(">i", header, 286, 600 + (SCANS - 1) * SCAN_MS)
    values = [int(2000 + 150000 * gauss(i / 4.0, 15.2, 2.2)) for i in range(4 * (SCANS - 1) + 1)]
    data = bytearray()
    previous = 0
    for start in range(0, len(values), 100):
        block = values[start:start + 100]
        data += struct.pack(">H", 0x1000 | len(block))
        for v in block:
            step = v - previous
            if -32767 <= step <= 32767:
                data += struct.pack(">h", step)
            else:
                data += struct.pack(">Hi", 0x8000, v)
            previous = v
    data += struct.pack(">H", 0)
    return bytes(header) + bytes(data)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_sample.py FOLDER\n")
        return 2
    folder = sys.argv[1]
    os.makedirs(os.path.join(folder, "RUN.M"), exist_ok=True)
    files = {
        "MSD1.MS": msd_file("Caffeine standard", [(195.1, 90000.0, 15.0)]),
        "MSD2.MS": msd_file("Caffeine standard, negative", [(193.1, 21000.0, 15.3)]),
        "DAD1A.ch": signal_file(),
        os.path.join("RUN.M", "ACQ.MS"): b"[MS]\r\nPolarity=0\r\nPolarity 2=1\r\n",
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
