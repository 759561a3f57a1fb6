#!/usr/bin/python3
"""Writes the golden fixtures of the analysis-state tests as hex text
(tests/data/states/NAME.hex) and the same bytes as seeds of the
mass_state_fuzz corpus (fuzz/state_corpus/NAME.bin).

Written from the stored layouts alone (big-endian block stream, Qt 4.0
encodings; the core library's little-endian calculator and matcher images
with a CRC-32), never from the C++ code. The data objects and spectrum
images come from make_fixtures.py, which writes them the same way.

    /usr/bin/python3 make_states.py
"""
import os
import struct

from make_fixtures import (EMPTY, block, chromatogram_image, chromatogram_object, f64, i32, image, quuid,
                           spectrum_image, spectrum_object)

HERE = os.path.dirname(os.path.abspath(__file__))
HEX_DIR = os.path.join(HERE, "data", "states")
CORPUS_DIR = os.path.join(HERE, "..", "fuzz", "state_corpus")


# ---- block stream values (big-endian) ----

def qstring(text):
    if text is None:
        return struct.pack(">I", 0xFFFFFFFF)
    data = text.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def qbytes(data):
    return struct.pack(">I", len(data)) + data


def f32(value):
    return struct.pack(">f", value)


def qbool(value):
    return bytes([1 if value else 0])


# ---- core-library image values (little-endian) ----

def lu32(v):
    return struct.pack("<I", v)


def li32(v):
    return struct.pack("<i", v)


def lf64(*values):
    return b"".join(struct.pack("<d", v) for v in values)


def lf32(v):
    return struct.pack("<f", v)


def lbool(v):
    return bytes([1 if v else 0])


def ltext(text):
    return lu32(len(text)) + b"".join(lu32(ord(c)) for c in text)


def nested(data):
    return lu32(len(data)) + data


DEFAULT_SPECTRUM = spectrum_image(False, 0, 0, 0.0, -1, -1, [], [])

DEFAULT_ELEMENTS = [("C", 0, 100), ("H", 0, 200), ("N", 0, 10), ("O", 0, 10), ("S", 0, 5)]


def constraints_payload(elements, dbe_min, dbe_max, in_da, tolerance, mode, charge, adduct, fitness, maximum):
    p = lu32(len(elements))
    for symbol, low, high in elements:
        p += ltext(symbol) + li32(low) + li32(high)
    return (p + lf32(dbe_min) + lf32(dbe_max) + lbool(in_da) + lf64(tolerance) + li32(mode) + li32(charge) +
            ltext(adduct) + lf32(fitness) + li32(maximum))


def calculator_image(constraints, spectrum, mz, results):
    p = constraints + nested(spectrum) + lf64(mz) + lu32(len(results))
    for formula, mass, dbe, mda, ppm, fitness in results:
        p += ltext(formula) + lf64(mass, dbe, mda, ppm, fitness)
    return image(b"TKEC", p)


def match_result(identifier, matched, scores, peak, mono, ion, ion_mz, error, sides):
    """peak: (start rt, start i, apex rt, apex i, end rt, end i, scan, height, area, type);
    sides: two lists of five optional nested images (MS, cluster, MS/MS, fragments, MIC)."""
    p = ltext(identifier) + lbool(matched) + lf64(*scores)
    p += lf64(*peak[:6]) + li32(peak[6]) + lf64(peak[7], peak[8]) + li32(peak[9])
    p += lf64(mono) + ltext(ion) + lf64(ion_mz) + ltext(error)
    for side in sides:
        for item in side:
            p += lbool(item is not None) + (nested(item) if item is not None else b"")
    return p


def matcher_image(positive, negative, dimers, charges, per_molecule, per_spectrum, ms, msms, in_da, threshold,
                  results):
    p = b""
    for pairs in (positive, negative):
        p += lu32(len(pairs)) + b"".join(ltext(a) + ltext(l) for a, l in pairs)
    p += lbool(dimers) + li32(charges[0]) + li32(charges[1]) + li32(per_molecule) + li32(per_spectrum)
    p += lf64(ms, msms) + lbool(in_da) + lf64(threshold) + lu32(len(results)) + b"".join(results)
    return image(b"TKMM", p)


# ---- stored layouts (block stream) ----

def element_constraint(symbol, low, high):
    return EMPTY + block(qstring(symbol) + i32(low) + i32(high))


def composition_constraints(elements, dbe_min, dbe_max, in_da, tolerance, mode, charge, adduct, fitness, maximum):
    element_list = EMPTY + block(i32(len(elements)) + b"".join(element_constraint(*e) for e in elements))
    return EMPTY + block(element_list + f32(dbe_min) + f32(dbe_max) + qbool(in_da) + f64(tolerance) + i32(mode) +
                         i32(charge) + qstring(adduct) + f32(fitness) + i32(maximum))


def composition_state(calculator, spectrum_id):
    return block(EMPTY + qbytes(calculator) + quuid(spectrum_id))


def adduct_list(pairs):
    return i32(len(pairs)) + b"".join(qstring(a) + qstring(l) for a, l in pairs)


def match_settings(positive, negative, charges, dimers, threshold, per_molecule, per_spectrum, ms, msms, in_da):
    return block(EMPTY + adduct_list(positive) + adduct_list(negative) + i32(charges[0]) + i32(charges[1]) +
                 qbool(dimers) + f64(threshold) + i32(per_molecule) + i32(per_spectrum) + f64(ms, msms) +
                 qbool(in_da))


def result_objects(entries):
    return EMPTY + i32(len(entries)) + b"".join(i32(key) + obj for key, obj in sorted(entries))


def match_state(matcher, selected, injection, functions, entries):
    return block(EMPTY + qbytes(matcher) + i32(selected) + i32(injection) + i32(len(functions)) +
                 b"".join(i32(f) for f in functions) + result_objects(entries))


CALCULATOR_SPECTRUM = spectrum_image(True, 1, 1, 0.0, 0, 2, [181.0707, 182.0741, 183.0749], [100.0, 6.9, 1.3],
                                     scans=[(12, 14)], times=[(0.24, 0.28)])
CLUSTER = spectrum_image(True, 1, 1, 0.0, 0, 0, [195.0877, 196.0911], [100.0, 9.7])
MIC = chromatogram_image(0, 0, -1, [0.3, 0.36, 0.42], [120.0, 48000.0, 150.0])


def fixtures():
    default_calculator = calculator_image(
        constraints_payload(DEFAULT_ELEMENTS, -0.5, 20.0, False, 5.0, 3, 1, "H", 0.0, -1), DEFAULT_SPECTRUM, 0.0,
        [])
    calculator = calculator_image(
        constraints_payload([("C", 1, 12), ("H", 0, 30), ("O", 0, 8)], 0.0, 12.5, True, 0.002, 1, -1, "Na", 0.25,
                            10),
        CALCULATOR_SPECTRUM, 181.0707,
        [("C6H12O6", 181.070664, 1.0, 0.036, 0.1988, 0.93), ("C7H16O3S", 181.0736, 0.0, -2.9, -16.0, 0.5)])
    default_matcher = matcher_image([("H+", "")], [("", "H+")], False, (1, 1), 1, 1, 5.0, 10.0, False, 0.5, [])
    result = match_result(
        "caffeine", True, (0.91, 0.95, 0.88, 0.9), (0.3, 120.0, 0.36, 48000.0, 0.42, 150.0, 18, 47865.0, 1234.5, 1),
        48000.0, "[M+H]+", 195.0877, "",
        [[CALCULATOR_SPECTRUM, CLUSTER, None, None, MIC], [None, None, None, None, None]])
    unmatched = match_result("broken", False, (0.0, 0.0, 0.0, -1.0), (0.0,) * 6 + (0, 0.0, 0.0, 0), 0.0, "", 0.0,
                             "line 4: no atom", [[None] * 5, [None] * 5])
    matcher = matcher_image([("H+", ""), ("Na+", ""), ("H+", "H2O")], [("", "H+"), ("Cl-", "")], True, (2, 3), 4, 5,
                            0.01, 0.02, True, 0.65, [result, unmatched])
    cluster_object = spectrum_object("{e1f7a0b3-2c54-4d8e-b916-7a3c05d2f4e8}", 2, CLUSTER, 1, 0, 0.05, [])
    mic_object = chromatogram_object("{5b0c2a4e-9d1f-4c37-8a62-0f3e7d15c9a1}", 4, MIC, 195.0827, 195.0927, [])
    entries = [(0, cluster_object), (3, mic_object)]
    return {
        "constraints_default": composition_constraints(DEFAULT_ELEMENTS, -0.5, 20.0, False, 5.0, 3, 1, "H", 0.0, -1),
        "constraints_custom": composition_constraints([], 1.5, -2.0, True, 0.25, 2, -3, "", 0.75, 7),
        "composition_default": composition_state(default_calculator, "{00000000-0000-0000-0000-000000000000}"),
        "composition": composition_state(calculator, "{3f2504e0-4f89-11d3-9a0c-0305e82c3301}"),
        "settings_default": match_settings([("H+", "")], [("", "H+")], (1, 1), False, 0.5, 1, 1, 5.0, 10.0, False),
        "settings_custom": match_settings([("Na+", ""), ("H+", "H2O")], [], (2, 3), True, 0.65, 4, 5, 0.01, 0.02,
                                          True),
        "match_default": match_state(default_matcher, -1, -1, [-1, -1, -1, -1], []),
        "match": match_state(matcher, 0, 1, [2, 3, -1, 5], entries),
        "result_objects": result_objects(entries),
    }


def main():
    os.makedirs(HEX_DIR, exist_ok=True)
    os.makedirs(CORPUS_DIR, exist_ok=True)
    for name, data in fixtures().items():
        with open(os.path.join(HEX_DIR, name + ".hex"), "w") as f:
            text = data.hex()
            f.write("\n".join(text[i:i + 64] for i in range(0, len(text), 64)) + "\n")
        with open(os.path.join(CORPUS_DIR, name + ".bin"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
