#!/usr/bin/python3
"""Writes the seeds of writers_fuzz: programs of writer calls in the target's
encoding (see writers_fuzz.cpp): byte 0 the writer (0 MS, 1 UV), then per
call an operation byte and its arguments, little-endian."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "writers_corpus")


def u8(v): return struct.pack("<B", v & 0xFF)
def i8(v): return struct.pack("<b", v)
def i16(v): return struct.pack("<h", v)
def u16(v): return struct.pack("<H", v)
def i32(v): return struct.pack("<i", v)
def f32(v): return struct.pack("<f", v)
def f64(v): return struct.pack("<d", v)


def text(s):
    assert len(s) < 16
    return u8(len(s)) + b"".join(u16(ord(c)) for c in s)


def blob(b):
    assert len(b) < 256
    return u8(len(b)) + b


def record(prefix):
    """The first bytes of a record; the rest keep the target's defaults."""
    return u16(len(prefix)) + prefix


def peak(intensity, mz):  # MS_DataPeak, 24 bytes
    return f64(intensity) + f64(mz) + f32(0.0) + i32(0)


def packet(low, high, points):  # one packet of 32-byte points
    b = f64(low) + f64(high) + struct.pack("<II", len(points), 0)
    for mz, y in points:
        b += f64(y) + f64(mz) + f32(0.0) + i32(0) + bytes(8)
    return b


def index(scan, packet_type, time, key=0):  # the first 32 bytes of MS_ScanIndex
    return struct.pack("<IiiiiI", 0, 0, key, scan, packet_type, 0) + f64(time)


# Event fields from offset 0: valid, data, polarity, order, dependent,
# wideband, custom, source CID, scan type, turbo, ionisation, corona.
def event(*fields):
    return b"".join(i32(v) for v in fields)


MS, UV = 0, 1
seeds = {}

p = u8(MS)
p += u8(0) + text("Orbit") + text("M") + u8(0xFF) + text("1.0") + text("LC")
p += u8(1) + f64(5.0) + f64(0.5) + text("one") + u8(0xFF)
p += u8(3) + u8(0) + i16(2)
p += u8(4) + u8(0) + i8(0) + text("Scan Event:") + u8(8) + i8(0)
p += u8(4) + u8(0) + i8(1) + text("Charge:") + u8(6) + i8(0)
p += u8(5) + u8(0)
p += u8(7) + u8(8) + i32(1) + i32(1) + record(event(1, 1, 1, 1, 2, 2, 0, 2, 0, 0, 3, 2))
p += u8(9)
for n in range(3):
    p += u8(13) + i8(n) + u8(1)
    p += u8(12) + u8(2) + blob(peak(10.0 + n, 200.0) + peak(5.0, 300.5 + n))
    p += u8(11) + record(index(n + 1, 1, 0.1 * (n + 1), 65537))
    p += u8(6) + u8(0) + f32(0.0) + blob(i32(1) + i16(2))
p += u8(14)
seeds["ms-peaks"] = p

p = u8(MS)
p += u8(3) + u8(1) + i16(1) + u8(4) + u8(1) + i8(0) + text("Volts") + u8(10) + i8(2) + u8(5) + u8(1)
p += u8(6) + u8(1) + f32(0.5) + blob(f32(4.5))
p += u8(3) + u8(2) + i16(1) + u8(4) + u8(2) + i8(0) + text("Lens") + u8(13) + i8(4) + u8(5) + u8(2)
p += u8(6) + u8(2) + f32(0.0) + blob("L1".encode("utf-16-le") + bytes(4))
data = packet(99.0, 101.0, [(99.5, 1.0), (100.0, 7.0), (100.5, 1.0)])
p += u8(2) + blob(data) + i32(len(data)) + u8(0)
p += u8(10) + record(index(1, 0, 0.25)) + record(event(1, 1, 1, 2, 1, 0, 1, 0, 2, 0, 4, 0))
p += u8(2) + blob(data) + i32(len(data)) + u8(0)
p += u8(10) + record(index(2, 0, 0.5)) + record(event(1, 0, 0, -3, 0, 1, 0, 1, 1, 1, 5, 1))
p += u8(15)
seeds["ms-raw"] = p

p = u8(MS)
p += u8(3) + u8(0) + i16(-1) + u8(4) + u8(0) + i8(5) + text("x") + u8(8) + i8(-1)
p += u8(12) + u8(3) + blob(peak(1.0, 1.0)) + u8(13) + i8(-1) + u8(0)
p += u8(10) + record(index(1, 1, float("nan"))) + record(event(1, 1, 1, 1) + bytes(56) + i32(51))
p += u8(2) + blob(b"\x01\x02") + i32(-5) + u8(30)
seeds["ms-refused"] = p

p = u8(UV)
p += u8(1) + text("UV") + u8(0xFF) + text("") + text("2") + text("254") + text("") + text("280") + u8(0xFF)
p += u8(2) + f64(0.0) + u8(0) + f32(0.25) + text("lamp")
for n in range(3):
    p += u8(3) + blob(f64(1.0 + n) + f64(2.0 * n)) + i16(16) + u8(12) + i16(2)
    p += u8(4) + record(struct.pack("<ii", 12, 2) + f64(0.1 * n) + f64(3.0 * n))
p += u8(3) + blob(f64(1.0)) + i16(8) + u8(12) + i16(2)
p += u8(5)
seeds["uv-run"] = p

os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name + ".bin"), "wb") as f:
        f.write(data)
