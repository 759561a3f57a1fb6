#!/usr/bin/python3
"""Writes a small Compass analysis folder into the folder given as the
first argument: the manifest "analysis.baf" that the stand-in of the
outside Compass analysis component reads (format: outside/compass/README.md).
With "--sptype TEXT" the folder also gets an "SPTYPE" file holding TEXT,
as a spectrometer folder of the XMASS layout does. The output is
deterministic.

The analysis is eight spectra of caffeine infused: MS scans alternating
with MS/MS scans of m/z 195.09, one MS scan in negative mode. The first
three spectra carry no retention time of their own (0 seconds), the others
one every minute from the fourth minute on.
"""
import os
import sys

DESCRIPTION = "  Caffeine, direct infusion  "  # the reader trims the blanks

# level, polarity (None: not stated), seconds, ions (m/z, intensity),
# form of the intensity array
SPECTRA = [
    (1, 0, 0, [(138.0662, 3900), (195.0877, 88000), (196.0910, 9200), (217.0696, 12400)], "r4"),
    (2, 0, 0, [(110.0713, 8600), (138.0662, 51000), (163.0508, 2500)], "r4"),
    (1, None, 0, [(195.0877, 91000), (196.0910, 9500), (217.0696, 11800)], "i4"),
    (2, 0, 240, [(110.0713, 8100), (138.0662, 49500)], "r4"),
    (1, 1, 300, [(193.0731, 21000), (194.0764, 2100)], "r4"),
    (2, 0, 360, [(110.0713, 7900), (138.0662, 48800), (163.0508, 2300)], "r4"),
    (1, 0, 420, [(195.0877, 86000), (196.0910, 9000)], "i4"),
    (2, 0, 480, [(138.0662, 47000)], "r4"),
]


def number(value):
    return ("%.4f" % value).rstrip("0").rstrip(".")


def manifest():
    lines = ["ks-compass-analysis 1",
             "# written by make_compass_sample.py",
             "[analysis]",
             'description "%s"' % DESCRIPTION]
    for level, polarity, seconds, ions, form in SPECTRA:
        lines += ["[spectrum]",
                  "time " + number(seconds),
                  "level %d" % level]
        if polarity is not None:
            lines.append("polarity %d" % polarity)
        lines += ["masses " + " ".join(number(mz) for mz, _ in ions),
                  "intensities " + " ".join(str(v) for _, v in ions),
                  "intensities-type " + form]
    lines.append("[end]")
    return "\n".join(lines) + "\n"


def main():
    args = sys.argv[1:]
    sptype = None
    if len(args) == 3 and args[1] == "--sptype":
        sptype = args[2]
        args = args[:1]
    if len(args) != 1:
        sys.stderr.write("usage: make_compass_sample.py FOLDER [--sptype TEXT]\n")
        return 2
    folder = args[0]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "analysis.baf"), "w", newline="\n") as f:
        f.write(manifest())
    if sptype is not None:
        with open(os.path.join(folder, "SPTYPE"), "w", newline="\n") as f:
            f.write(sptype + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
