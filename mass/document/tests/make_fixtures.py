#!/usr/bin/python3
"""Writes the golden stream fixtures of the data-object tests, and the same
bytes as seeds of the mass_dataobject_fuzz corpus.

Written from the stored layouts alone (big-endian block stream, Qt 4.0
encodings; the core library's little-endian images with a CRC-32), never
from the C++ code, so that the tests compare the writers against an
independent account of the bytes.

    /usr/bin/python3 make_fixtures.py
"""
import os
import struct
import uuid
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = [os.path.join(HERE, "data", "streams"),
       os.path.join(HERE, "..", "fuzz", "dataobject_corpus")]


# ---- core-library images (little-endian) ----

def image(magic, payload):
    body = magic + struct.pack("<II", 1, len(payload)) + payload
    return body + struct.pack("<I", zlib.crc32(body) & 0xFFFFFFFF)


def doubles(values):
    return struct.pack("<I", len(values)) + b"".join(struct.pack("<d", v) for v in values)


def scan_ranges(ranges):
    return struct.pack("<I", len(ranges)) + b"".join(struct.pack("<ii", a, b) for a, b in ranges)


def time_ranges(ranges):
    return struct.pack("<I", len(ranges)) + b"".join(struct.pack("<dd", a, b) for a, b in ranges)


def spectrum_image(centroid, order, polarity, precursor, injection, function, mz, intensity,
                   scans=(), times=(), bg_scans=(), bg_times=()):
    p = struct.pack("<Biidii", 1 if centroid else 0, order, polarity, precursor, injection, function)
    p += doubles(mz) + doubles(intensity)
    p += scan_ranges(scans) + time_ranges(times) + scan_ranges(bg_scans) + time_ranges(bg_times)
    return image(b"TKMS", p)


def chromatogram_image(injection, function, trace, times, intensity):
    p = struct.pack("<iii", injection, function, trace) + doubles(times) + doubles(intensity)
    return image(b"TKCH", p)


# ---- block stream (big-endian) ----

def block(content):
    return struct.pack(">i", len(content)) + content


EMPTY = block(b"")


def i32(v):
    return struct.pack(">i", v)


def f64(*values):
    return b"".join(struct.pack(">d", v) for v in values)


def quuid(text):
    return uuid.UUID(text).bytes  # data1, data2, data3 big-endian, then data4


def ms_peak(x, y, attribute=0, peak_class=0):
    # nested chain of one level: terminator, then the level-1 fields
    return block(EMPTY + f64(x, y) + i32(attribute) + i32(peak_class))


def chrom_peak(apex, start, end, height, area, scan, peak_type):
    level2 = block(EMPTY + i32(scan) + i32(peak_type))
    level1 = block(level2 + f64(start[0], start[1], end[0], end[1], height, area))
    return ms_peak(apex[0], apex[1], 0, 1) + level1


def common(kind, object_id, subtype):
    return EMPTY + block(quuid(object_id) + i32(kind) + i32(subtype))


def chromatogram_object(object_id, subtype, payload, from_mz, to_mz, peaks):
    data = block(payload) + f64(from_mz, to_mz) + i32(len(peaks)) + b"".join(peaks)
    return i32(0) + common(0, object_id, subtype) + EMPTY + block(data)


def spectrum_object(object_id, subtype, payload, centroid, here, width, peaks):
    data = (block(payload) + bytes([centroid, here]) + f64(width) + i32(len(peaks)) + b"".join(peaks))
    return i32(1) + common(1, object_id, subtype) + EMPTY + block(data)


def fixtures():
    mic = chromatogram_image(0, 1, -1, [0.1, 0.2, 0.3, 0.4, 0.5], [10.0, 250.0, 900.0, 240.0, 12.5])
    cpeaks = [chrom_peak((0.3, 900.0), (0.1, 10.0), (0.5, 12.5), 888.75, 123.5, 2, 1),
              chrom_peak((0.45, 60.0), (0.4, 240.0), (0.5, 12.5), 40.0, 2.25, 3, 3)]
    ms2 = spectrum_image(True, 2, 2, 445.12, 0, 1, [138.0662, 195.0877, 196.0911], [40.0, 48000.0, 4650.5],
                         scans=[(34, 40)], times=[(0.33, 0.39)], bg_scans=[(10, 12)], bg_times=[(0.09, 0.11)])
    speaks = [ms_peak(138.0662, 40.0), ms_peak(195.0877, 48000.0), ms_peak(196.0911, 4650.5, -2147483647)]
    empty_spectrum = spectrum_image(False, 0, 0, 0.0, -1, -1, [], [])
    return {
        "peak.bin": ms_peak(2.0, 3.0),
        "chrom_peak.bin": cpeaks[0],
        "chromatogram.bin": chromatogram_object("{5b0c2a4e-9d1f-4c37-8a62-0f3e7d15c9a1}", 3, mic, 100.0, 500.0,
                                                cpeaks),
        "spectrum.bin": spectrum_object("{e1f7a0b3-2c54-4d8e-b916-7a3c05d2f4e8}", 1, ms2, 1, 0, 0.05, speaks),
        "empty_spectrum.bin": spectrum_object("{00000000-0000-0000-0000-000000000000}", 0, empty_spectrum,
                                              0, 0, 0.05, []),
    }


def main():
    for folder in OUT:
        os.makedirs(folder, exist_ok=True)
        for name, data in fixtures().items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
