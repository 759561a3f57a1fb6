#!/usr/bin/python3
"""Writes a small MassLynx raw directory at the path given as the only
argument (a folder whose name ends in ".raw"): the header "_header.txt"
and the manifest "_manifest.txt" that the stand-in of the MassLynx classes
reads (format: outside/masslynx/README.md). The output is deterministic.

The run is two minutes of caffeine eluting, acquired alternately in
positive and negative electrospray (functions 1 and 2: "ES (+)" and
"ES (-)"), with a diode-array function (function 3) and two analog
channels (a UV absorbance and a pump pressure): the reader shows two MS
functions and three traces.
"""
import math
import os
import sys

SCANS = 12
SCAN_MINUTES = 0.1
PEAK_MINUTES = 0.55


def gauss(x, centre, width):
    return math.exp(-0.5 * ((x - centre) / width) ** 2)


def number(value):
    return "%.6g" % value


def numbers(values):
    return " ".join(number(v) for v in values)


def header():
    lines = [
        "$$ Version: 4.1",
        "$$ Acquired Name: caffeine-es",
        "$$ Acquired Date: 11-Dec-2026",
        "$$ Job Code: KS-SAMPLE",
        "$$ Sample Description: caffeine, 10 ng/ul",
        "",
        "Instrument Parameters - Function 1:",
        "Polarity\t\tES+",
        "Capillary (kV)\t3.00",
        "Cone (V)\t30",
        "",
        "Instrument Parameters - Function 2:",
        "Polarity\t\tES-",
        "Capillary (kV)\t2.50",
        "Cone (V)\t35",
        "",
    ]
    return "\r\n".join(lines) + "\r\n"


def ms_scans(function, peaks):
    """Scans of one MS function and its TIC: peaks are (m/z, height)."""
    records, times, totals = [], [], []
    for i in range(SCANS):
        minutes = (i + (0.5 if function == 2 else 0.0)) * SCAN_MINUTES
        scale = 0.05 + gauss(minutes, PEAK_MINUTES, 0.15)
        masses = [mz for mz, _ in peaks]
        intensities = [round(height * scale) for _, height in peaks]
        records.append("[scan]\ntime %s\nmasses %s\nintensities %s\n"
                       % (number(minutes), numbers(masses), numbers(intensities)))
        times.append(minutes)
        totals.append(sum(intensities))
    tic = ('[chromatogram]\nname "TIC"\nfunction %d\ntimes %s\nintensities %s\n'
           % (function, numbers(times), numbers(totals)))
    return "".join(records), tic


def diode_array():
    records, times, totals = [], [], []
    wavelengths = [220, 250, 273, 300]
    for i in range(SCANS):
        minutes = (i + 0.25) * SCAN_MINUTES
        scale = gauss(minutes, PEAK_MINUTES - 0.02, 0.15)
        absorbances = [round(1000 * scale * gauss(w, 273, 25)) + 5 for w in wavelengths]
        records.append("[scan]\ntime %s\nmasses %s\nintensities %s\n"
                       % (number(minutes), numbers(wavelengths), numbers(absorbances)))
        times.append(minutes)
        totals.append(sum(absorbances))
    tic = ('[chromatogram]\nname "TIC"\nfunction 3\ntimes %s\nintensities %s\n'
           % (numbers(times), numbers(totals)))
    return "".join(records), tic


def analog(name, values):
    times = [i * SCAN_MINUTES / 2 for i in range(len(values))]
    return ('[chromatogram]\nname "%s"\ntimes %s\nintensities %s\n'
            % (name, numbers(times), numbers(values)))


def manifest():
    positive, tic1 = ms_scans(1, [(138.066, 9000), (195.088, 120000), (196.091, 11000), (217.070, 8000)])
    negative, tic2 = ms_scans(2, [(193.073, 30000), (194.077, 2800), (229.050, 4500)])
    diode, tic3 = diode_array()
    uv = [round(500 * gauss(i * SCAN_MINUTES / 2, PEAK_MINUTES - 0.02, 0.15)) + 2 for i in range(2 * SCANS)]
    pressure = [2400 + (i % 3) for i in range(2 * SCANS)]
    return ("ks-masslynx-raw 1\n"
            "# caffeine, alternating electrospray polarity, diode array and two analog channels\n"
            '[function]\ntype "Scan"\n' + positive +
            '[function]\ntype "Scan"\n' + negative +
            '[function]\ntype "Diode Array"\n' + diode +
            tic1 + tic2 + tic3 +
            analog("An1", uv) + analog("An2", pressure) +
            "[analog]\nchannels 2\n"
            "[end]\n")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample.py FOLDER.raw")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "_header.txt"), "w", newline="") as f:
        f.write(header())
    with open(os.path.join(folder, "_manifest.txt"), "w", newline="\n") as f:
        f.write(manifest())


if __name__ == "__main__":
    main()
