#!/usr/bin/python3
"""Writes a small synthetic XMASS dataset into a folder.

    python3 make_sample.py OUTPUT_FOLDER

The dataset (OUTPUT_FOLDER/xmass_sample) holds four FT-ICR experiments:

  1      angiotensin II standard: raw transient and two processings
         (1: the magnitude spectrum, 2: the same scaled down by 2), with
         the singly and doubly protonated molecule and their isotopes
  2      bradykinin MS/MS of the doubly protonated ion at m/z 530.79
         ("$PI"), processing 1 with fragment ions
  3      an acquisition without processing (not listed by the reader)
  4.ser  a series of 12 spectra 5 s apart ("$GCT" 0.2), processing 1
         stored in blocks of 256 x 4 points; one compound elutes over the
         middle scans above a constant background

Experiments 1 and 2 are calibrated with mode 0 (m/z = ML1 / (f + ML2),
f the frequency of the point), the series with mode 2 (linear from ML3 to
ML3 + ML2). Parameter files use CR LF like the instruments; data are
little-endian 32-bit integers. The output is the same on every run.
"""

import math
import os
import struct
import sys

POINTS = 32768
ML1 = 1.0e8       # Hz x m/z
SWEEP = 1.0e6     # Hz
FR_LOW = 4.0e4    # Hz
SERIES_POINTS = 1024
SERIES_SCANS = 12


def parameter_text(params, extra=""):
    lines = ["##TITLE= XMASS Parameter file", "##JCAMPDX= 5.0", "##ORIGIN= make_sample.py"]
    lines += ["##%s= %s " % (name, value) for name, value in params]
    return "\r\n".join(lines) + "\r\n" + extra + "##END=\r\n"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


def int32s(values):
    return struct.pack("<%di" % len(values), *values)


def noise(seed, count, amplitude):
    """A fixed pseudo-random sequence (linear congruential)."""
    out = []
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) % 2147483648
        out.append(int((state / 2147483648.0 - 0.5) * 2 * amplitude))
    return out


def frequency_axis_mz(i):
    """m/z of point i (from 0) under calibration mode 0 with ML2 = 0."""
    n = POINTS
    f = (n - (i + 1)) * (SWEEP / (n - 1)) + FR_LOW
    return ML1 / f


def spectrum(peaks, mz_of, count, width, seed, floor=40):
    values = noise(seed, count, floor)
    for i in range(count):
        mz = mz_of(i)
        total = 0.0
        for centre, height in peaks:
            d = (mz - centre) / width
            if abs(d) < 8:
                total += height * math.exp(-0.5 * d * d)
        values[i] = abs(values[i]) + int(total)
    return values


def acquisition(comment, date, extra=()):
    return [("$TD", POINTS), ("$BYTORDA", 0), ("$NC", 0), ("$Calmet", 0), ("$ML1", "%.1f" % ML1),
            ("$ML2", 0), ("$ML3", 0), ("$SW", "%.1f" % SWEEP), ("$SW_h", "%.1f" % SWEEP),
            ("$FR_low", "%.1f" % FR_LOW), ("$DM", 0), ("$MW_low", 150), ("$MW_high", 2000),
            ("$AQ_DATE", "<%s>" % date), ("$CMT1", "<%s>" % comment), ("$CMT2", "<>"), ("$CMT3", "<>")] + list(extra)


def processing(title, nc, size=POINTS, extra=()):
    return [("$SI", size), ("$BYTORDP", 0), ("$NC_proc", nc), ("$SW_p", "%.1f" % SWEEP), ("$TI", "<%s>" % title)] + list(extra)


def experiment(root, expno, acqus, sptype, raw):
    folder = os.path.join(root, expno)
    write(os.path.join(folder, "acqu"), parameter_text(acqus))
    write(os.path.join(folder, "acqus"), parameter_text(acqus))
    write(os.path.join(folder, "SPTYPE"), sptype + "\n")
    write(os.path.join(folder, "ser" if expno.endswith(".ser") else "fid"), int32s(raw))


def processed(root, expno, procno, procs, title, data, second=None):
    folder = os.path.join(root, expno, "pdata", procno)
    write(os.path.join(folder, "proc"), parameter_text(procs))
    write(os.path.join(folder, "procs"), parameter_text(procs))
    if second is not None:
        write(os.path.join(folder, "proc2"), parameter_text(second))
        write(os.path.join(folder, "proc2s"), parameter_text(second))
    write(os.path.join(folder, "title"), title + "\r\n")
    write(os.path.join(folder, "2rr" if expno.endswith(".ser") else "1r"), int32s(data))


def blocks(scans, width, height):
    """Scans (rows of equal length) stored in blocks of width x height."""
    points = len(scans[0])
    out = []
    for q in range(0, len(scans), height):
        for b in range(0, points, width):
            for r in range(height):
                row = scans[q + r] if q + r < len(scans) else [0] * points
                out.extend(row[b:b + width])
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample.py OUTPUT_FOLDER")
    root = os.path.join(sys.argv[1], "xmass_sample")

    angiotensin = [(1046.542, 9000), (1047.545, 5200), (1048.548, 1700), (523.775, 4200), (524.276, 2400)]
    magnitude = spectrum(angiotensin, frequency_axis_mz, POINTS, 0.25, 11)
    experiment(root, "1", acquisition("Angiotensin II standard", "2024-03-18 09:12:44"), "icr",
               noise(3, POINTS, 2000))
    processed(root, "1", "1", processing("Magnitude spectrum", -2), "Magnitude spectrum",
              [4 * v for v in magnitude])
    processed(root, "1", "2", processing("Magnitude spectrum, half scale", -1), "Magnitude spectrum, half scale",
              magnitude)

    fragments = [(530.788, 2500), (904.468, 6100), (710.377, 3300), (572.309, 2000), (419.242, 1500),
                 (253.161, 2800)]
    precursor = "##$PI= (0..3)\r\n530.79 100 100 100\r\n"
    acq2 = acquisition("Bradykinin MS/MS", "2024-03-18 09:20:03")
    experiment(root, "2", acq2, "icr", noise(5, POINTS, 2000))
    write(os.path.join(root, "2", "acqus"), parameter_text(acq2, precursor))
    processed(root, "2", "1", processing("Fragment ions", 0), "Fragment ions",
              spectrum(fragments, frequency_axis_mz, POINTS, 0.25, 13))

    experiment(root, "3", acquisition("Tuning transient", "2024-03-18 09:31:57"), "icr", noise(7, POINTS, 2000))

    linear = lambda i: 200.0 + 800.0 * i / (SERIES_POINTS - 1)
    scans = []
    for s in range(SERIES_SCANS):
        elution = math.exp(-0.5 * ((s - 6.0) / 1.8) ** 2)
        peaks = [(445.12, 8000 * elution), (446.12, 2400 * elution), (301.14, 900)]
        scans.append(spectrum(peaks, linear, SERIES_POINTS, 0.8, 100 + s, floor=25))
    series = [("$TD", SERIES_POINTS), ("$NF", SERIES_SCANS), ("$BYTORDA", 0), ("$NC", 0), ("$Calmet", 2),
              ("$ML1", 0), ("$ML2", 800), ("$ML3", 200), ("$GCT", 0.2), ("$MW_low", 150), ("$MW_high", 1100),
              ("$AQ_DATE", "<2024-03-18 10:02:15>"), ("$CMT1", "<LC run, 12 scans>"), ("$CMT2", "<>"),
              ("$CMT3", "<>")]
    experiment(root, "4.ser", series, "icr", [v for scan in scans for v in scan])
    write(os.path.join(root, "4.ser", "acqu2s"), parameter_text([("$TD", SERIES_SCANS)]))
    processed(root, "4.ser", "1", processing("Series", 0, SERIES_POINTS, [("$XDIM", 256)]), "Series",
              blocks(scans, 256, 4), second=[("$SI", SERIES_SCANS), ("$XDIM", 4), ("$BYTORDP", 0)])
    print(root)


if __name__ == "__main__":
    main()
