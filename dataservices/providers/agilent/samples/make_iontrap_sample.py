#!/usr/bin/python3
"""Writes a small ion-trap data folder into the folder given as the only
argument: the manifest "Analysis.yep" that the stand-in of the outside
analysis component reads (format: outside/iontrap/README.md) and one UV
trace (DAD1A.ch, the signal file of make_sample.py). The output is
deterministic.

The analysis repeats one acquisition cycle of five scans over two minutes
of caffeine eluting: positive MS, positive MS/MS of m/z 195.1, negative MS,
negative MS/MS of m/z 193.1 and a positive zoom scan ("Mass Range Mode"
"Std/Maximum") around m/z 195, so the reader shows five functions.
"""
import math
import os
import sys

sys.dont_write_bytecode = True  # nothing written beside the scripts
from make_sample import signal_file  # noqa: E402

CYCLES = 8
CYCLE_SECONDS = 15.0
SCAN_SECONDS = 3.0
PEAK_SECONDS = 55.0


def gauss(x, centre, width):
    return math.exp(-0.5 * ((x - centre) / width) ** 2)


def number(value):
    return ("%.4f" % value).rstrip("0").rstrip(".")


def points(ions, seconds, scan):
    """m/z and intensity of the ions at that time over a small noise floor."""
    found = {}
    for mz, height in ions:
        value = height * gauss(seconds, PEAK_SECONDS, 12.0)
        if value >= 50:
            found[round(mz, 2)] = value
    for k in range(4):
        mz = round(110.0 + 41.7 * k + 0.05 * (scan % 3), 2)
        found.setdefault(mz, 60 + (scan * 11 + k * 17) % 40)
    return sorted(found.items())


SCANS = [
    # polarity, zoom, level (from 0), precursor, ions
    ("Positive", False, 0, None, [(195.09, 90000.0), (196.09, 9400.0), (138.07, 4100.0)]),
    ("Positive", False, 1, 195.1, [(138.07, 52000.0), (110.07, 8800.0), (163.05, 2600.0)]),
    ("Negative", False, 0, None, [(193.07, 21000.0), (194.08, 2100.0)]),
    ("Negative", False, 1, 193.1, [(136.05, 9000.0), (108.06, 1900.0)]),
    ("Positive", True, 0, None, [(195.09, 88000.0), (195.59, 300.0), (196.09, 9300.0)]),
]


def manifest():
    lines = ["ks-iontrap-analysis 1",
             "# written by make_iontrap_sample.py",
             "[analysis]",
             'name "Caffeine, ion trap"']
    scan = 0
    for cycle in range(CYCLES):
        for k, (polarity, zoom, level, precursor, ions) in enumerate(SCANS):
            seconds = 1.0 + cycle * CYCLE_SECONDS + k * SCAN_SECONDS
            data = points(ions, seconds, scan)
            lines += ["[spectrum]",
                      "time " + number(seconds),
                      "level %d" % level,
                      "masses " + " ".join(number(mz) for mz, _ in data),
                      "intensities " + " ".join(number(v) for _, v in data),
                      "intensities-type r4"]
            if precursor is not None:
                lines.append("precursors " + number(precursor))
            lines += ['param Mode "Ion Polarity" ' + polarity,
                      'param Mode "Mass Range Mode" ' + ("Std/Maximum" if zoom else "Std/Normal"),
                      'param Trap "ICC Target" 200000']
            scan += 1
    lines.append("[end]")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_iontrap_sample.py FOLDER\n")
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "Analysis.yep"), "w", newline="\n") as f:
        f.write(manifest())
    with open(os.path.join(folder, "DAD1A.ch"), "wb") as f:
        f.write(signal_file())
    return 0


if __name__ == "__main__":
    sys.exit(main())
