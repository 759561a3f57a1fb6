#!/usr/bin/python3
"""Writes the reference data of the core-library stand-in's analysis tests
(run once, output committed; a test runs it again where RDKit is installed
and checks that the committed files are what it writes).

Everything here is computed with Debian's RDKit (python3-rdkit) and numpy,
from RDKit's own isotope table, independently of the library:

1. ../data/molfiles/<name>.mol: V2000 molfiles (2D coordinates, Kekule
   bonds) of the compounds the tests and the main job's sample match.
2. data/molfile_masses.tsv: per molfile (those above and the real ones in
   ../shared/realdata/molfile/rdkit/) the formula (deuterium as "D"), the
   monoisotopic mass as RDKit's ExactMolWt gives it (electrons of the net
   charge included), the net charge and the hydrogen count.
3. data/isotope_clusters.tsv: isotope clusters of ions by brute force (every
   isotopologue of every element multiplied out, then grouped by nominal
   mass): per line the shift, the mean m/z and the percentage of the
   highest line.
4. data/compositions.tsv: elemental compositions by brute force (every
   formula within the element ranges, numpy over the two largest ranges):
   per case its constraints, then each formula whose ion m/z lies within
   the tolerance, its double bond equivalents and electron parity
   admitted, with its ion m/z and error.
5. data/isotope_merging.tsv: isotope clusters of multiply charged ions at
   a peak width: every isotopologue (the fine structure), grouped by
   nominal mass, and within a group each peak merged with the one before
   it when they lie at most the width (m/z) apart; per peak its m/z and
   percentage of the highest.
6. data/ranking.tsv: ions of real compounds with their nominal clusters
   and a measured cluster made from them as an instrument would show it:
   every m/z 1.5 ppm high, every intensity 3 to 5 % off (random sign, a
   seeded generator), for the composition ranking tests.

Usage: make_fixtures.py [OUTPUT_FOLDER]  (default: the committed places;
with a folder, everything is written below it in the same layout). The
real molfiles are read from $KS_REALDATA_DIR/molfile/rdkit, or from
../shared/realdata beside the repository.
"""
import itertools
import os
import random
import sys

import numpy as np
from rdkit import Chem
from rdkit.Chem import AllChem, Descriptors

HERE = os.path.dirname(os.path.abspath(__file__))
# The real sample files: KS_REALDATA_DIR (as the build has it), else
# ../shared/realdata beside the repository.
REALDATA = os.path.join(os.environ.get("KS_REALDATA_DIR") or os.path.join(HERE, "..", "..", "..", "..", "shared",
                                                                          "realdata"), "molfile", "rdkit")
ELECTRON = 0.000548579909065

COMPOUNDS = [
    ("caffeine", "Cn1c(=O)c2c(ncn2C)n(C)c1=O"),
    ("paracetamol", "CC(=O)Nc1ccc(O)cc1"),
    ("ibuprofen", "CC(C)Cc1ccc(cc1)C(C)C(O)=O"),
    ("nicotine", "CN1CCC[C@H]1c1cccnc1"),
    ("enkephalin", "N[C@@H](Cc1ccc(O)cc1)C(=O)NCC(=O)NCC(=O)N[C@@H](Cc1ccccc1)C(=O)N[C@@H](CC(C)C)C(O)=O"),
    ("glucose", "OC[C@H]1OC(O)[C@H](O)[C@@H](O)[C@@H]1O"),
]
REAL_MOLFILES = ["chiral1.mol", "D_in_CTAB.mol", "H3BNH3.mol", "MolFileChgBug.mol", "Na.mol"]

# (formula counts, charge): ions whose clusters the tests compare.
CLUSTERS = [
    ("C6H13O6", 1),
    ("C8H11N4O2", 1),
    ("C13H17O2", -1),
    ("C2H3BrClF", 1),
    ("C28H39N5O7", 2),
    ("C3H7NO2S", 1),
    ("SiC8H24O4", 1),
]

# (ion formula, charge, peak width in m/z): clusters of multiply charged
# ions merged at the widths a user sets (Leu- and Met-enkephalin as
# [M+2H]2+ and [M+3H]3+).
MERGES = [(formula, charge, width)
          for formula, charge in [("C28H39N5O7", 2), ("C28H40N5O7", 3), ("C27H37N5O7S", 2), ("C27H38N5O7S", 3)]
          for width in (0.1, 0.3, 0.5)]

# (name, neutral formula, adduct, charge): real compounds as their ions
# are measured. The element ranges are the calculator's defaults (C0-100,
# H0-200, N0-10, O0-10, S0-5) with Cl0-4 added for the compounds that
# hold chlorine, as a user adds it when the cluster shows chlorine.
RANKING = [
    ("caffeine", "C8H10N4O2", "H", 1),
    ("glucose", "C6H12O6", "H", 1),
    ("cholesterol", "C27H46O", "H", 1),
    ("chlorpromazine", "C17H19ClN2S", "H", 1),
    ("diclofenac", "C14H11Cl2NO2", "H", 1),
    ("testosterone", "C19H28O2", "H", 1),
    ("ibuprofen", "C13H18O2", "H", 1),
    ("reserpine", "C33H40N2O9", "H", 1),
    ("atrazine", "C8H14ClN5", "H", 1),
    ("sulfamethoxazole", "C10H11N3O3S", "H", 1),
    ("glutathione", "C10H17N3O6S", "H", 1),
    ("leu-enkephalin", "C28H37N5O7", "H", 1),
    ("ibuprofen-", "C13H18O2", "H", -1),
    ("glutathione-2+", "C10H17N3O6S", "H", 2),
]
MEASURED_PPM = 1.5

VALENCE = {"H": 1, "C": 4, "N": 3, "O": 2, "S": 2, "P": 3, "Cl": 1, "F": 1, "Br": 1, "Na": 1, "Si": 4, "B": 3,
           "K": 1, "I": 1}
NUMBER = {"H": 1, "C": 6, "N": 7, "O": 8, "S": 16, "P": 15, "Cl": 17, "F": 9, "Br": 35, "Na": 11, "Si": 14,
          "B": 5, "K": 19, "I": 53}

# name, m/z, charge, adduct (formula counts), tolerance, unit, ranges, DBE min, DBE max, electron mode
COMPOSITIONS = [
    ("glucose-H+", 181.0707, 1, {"H": 1}, 5.0, "ppm",
     [("C", 0, 100), ("H", 0, 200), ("N", 0, 10), ("O", 0, 10), ("S", 0, 5)], -0.5, 20.0, 3),
    ("glucose-even", 181.0707, 1, {"H": 1}, 5.0, "ppm",
     [("C", 0, 100), ("H", 0, 200), ("N", 0, 10), ("O", 0, 10), ("S", 0, 5)], -0.5, 20.0, 1),
    ("caffeine-H+", 195.0877, 1, {"H": 1}, 5.0, "ppm",
     [("C", 0, 100), ("H", 0, 200), ("N", 0, 10), ("O", 0, 10), ("S", 0, 5)], -0.5, 20.0, 3),
    ("wide-Da", 152.0706, 1, {"H": 1}, 0.005, "Da",
     [("C", 0, 20), ("H", 0, 40), ("N", 0, 5), ("O", 0, 5), ("Cl", 0, 2)], 0.0, 10.0, 3),
    ("ibuprofen-H-", 205.1234, -1, {"H": 1}, 5.0, "ppm",
     [("C", 0, 40), ("H", 0, 80), ("N", 0, 4), ("O", 0, 6)], -0.5, 20.0, 3),
    ("enkephalin-2H2+", 278.6419, 2, {"H": 1}, 3.0, "ppm",
     [("C", 10, 40), ("H", 0, 80), ("N", 0, 10), ("O", 0, 12)], 0.0, 30.0, 1),
    ("odd-EI", 194.0804, 1, {}, 10.0, "ppm",
     [("C", 0, 20), ("H", 0, 40), ("N", 0, 6), ("O", 0, 6), ("P", 0, 1)], -0.5, 20.0, 2),
]

TABLE = Chem.GetPeriodicTable()


def isotopes(symbol):
    z = TABLE.GetAtomicNumber(symbol)
    out = []
    for a in range(1, 300):
        ab = TABLE.GetAbundanceForIsotope(z, a)
        if ab > 0:
            out.append((TABLE.GetMassForIsotope(z, a), ab / 100.0))
    return out


def mono(symbol):
    return TABLE.GetMostCommonIsotopeMass(TABLE.GetAtomicNumber(symbol))


def parse(formula):
    counts = {}
    i = 0
    while i < len(formula):
        j = i + 1
        while j < len(formula) and formula[j].islower():
            j += 1
        sym = formula[i:j]
        k = j
        while k < len(formula) and formula[k].isdigit():
            k += 1
        counts[sym] = counts.get(sym, 0) + (int(formula[j:k]) if k > j else 1)
        i = k
    return counts


def hill(counts):
    syms = [s for s, n in counts.items() if n > 0]
    if "C" in syms:
        order = ["C"] + (["H"] if "H" in syms else []) + sorted(s for s in syms if s not in ("C", "H"))
    else:
        order = sorted(syms)
    return "".join(s + (str(counts[s]) if counts[s] > 1 else "") for s in order)


def write_molfiles(out):
    folder = os.path.join(out, "data", "molfiles")
    os.makedirs(folder, exist_ok=True)
    for name, smiles in COMPOUNDS:
        m = Chem.MolFromSmiles(smiles)
        AllChem.Compute2DCoords(m)
        m.SetProp("_Name", name)
        block = Chem.MolToMolBlock(m, kekulize=True)
        with open(os.path.join(folder, name + ".mol"), "w", newline="\n") as f:
            f.write(block)


def molfile_masses(out, molfolder):
    rows = []
    paths = [(n + ".mol", os.path.join(molfolder, n + ".mol")) for n, _ in COMPOUNDS]
    paths += [("realdata/" + n, os.path.join(REALDATA, n)) for n in REAL_MOLFILES]
    for label, path in paths:
        m = Chem.MolFromMolFile(path, removeHs=False, sanitize=True)
        counts = {}
        hydrogens = 0
        for a in m.GetAtoms():
            sym = "D" if a.GetSymbol() == "H" and a.GetIsotope() == 2 else a.GetSymbol()
            counts[sym] = counts.get(sym, 0) + 1
            counts["H"] = counts.get("H", 0) + a.GetTotalNumHs()
            hydrogens += a.GetTotalNumHs() + (1 if sym == "H" else 0)
        rows.append("%s\t%s\t%.6f\t%d\t%d" % (label, hill(counts), Descriptors.ExactMolWt(m),
                                               Chem.GetFormalCharge(m), hydrogens))
    with open(os.path.join(out, "tests", "data", "molfile_masses.tsv"), "w", newline="\n") as f:
        f.write("# molfile\tformula\tmonoisotopic mass (RDKit ExactMolWt)\tcharge\thydrogens\n")
        f.write("\n".join(rows) + "\n")


def element_distribution(symbol, n):
    dist = {0.0: 1.0}
    iso = isotopes(symbol)
    for _ in range(n):
        nxt = {}
        for m, p in dist.items():
            for im, ip in iso:
                key = round(m + im, 9)
                nxt[key] = nxt.get(key, 0.0) + p * ip
        dist = {m: p for m, p in nxt.items() if p > 1e-16}
    return dist


def fine_structure(counts):
    """Every isotopologue of the formula: {mass: probability}."""
    dist = {0.0: 1.0}
    for sym, n in counts.items():
        e = element_distribution(sym, n)
        nxt = {}
        for m, p in dist.items():
            for em, ep in e.items():
                key = round(m + em, 9)
                nxt[key] = nxt.get(key, 0.0) + p * ep
        dist = {m: p for m, p in nxt.items() if p > 1e-16}
    return dist


def cluster(formula, charge):
    counts = parse(formula)
    monomass = sum(mono(s) * n for s, n in counts.items())
    groups = {}
    for m, p in fine_structure(counts).items():
        k = int(round(m - monomass))
        g = groups.setdefault(k, [0.0, 0.0])
        g[0] += p
        g[1] += p * m
    top = max(g[0] for g in groups.values())
    z = abs(charge)
    lines = []
    for k in sorted(groups):
        p, pm = groups[k]
        if p < top * 1e-3:
            continue
        mz = (pm / p - charge * ELECTRON) / z
        lines.append((k, mz, 100.0 * p / top))
    return lines


def merged_cluster(formula, charge, width):
    """The fine structure as m/z, grouped by nominal mass, then merged
    within a group along neighbours at most `width` apart."""
    counts = parse(formula)
    monomass = sum(mono(s) * n for s, n in counts.items())
    z = abs(charge)
    groups = {}
    for m, p in fine_structure(counts).items():
        groups.setdefault(int(round(m - monomass)), []).append(((m - charge * ELECTRON) / z, p))
    peaks = []
    for k in sorted(groups):
        run = None
        for mz, p in sorted(groups[k]):
            if run is not None and mz - run[2] <= width:
                run = [run[0] + p, run[1] + p * mz, mz]
            else:
                if run is not None:
                    peaks.append((run[1] / run[0], run[0]))
                run = [p, p * mz, mz]
        peaks.append((run[1] / run[0], run[0]))
    top = max(p for _, p in peaks)
    return [(mz, 100.0 * p / top) for mz, p in peaks if p >= top * 1e-3]


def write_merges(out):
    with open(os.path.join(out, "tests", "data", "isotope_merging.tsv"), "w", newline="\n") as f:
        f.write("# ion formula\tcharge\tpeak width (m/z)\tm/z\tpercent of the highest peak "
                "(peaks of at least 0.1 %)\n")
        for formula, charge, width in MERGES:
            for mz, pct in merged_cluster(formula, charge, width):
                f.write("%s\t%d\t%g\t%.6f\t%.4f\n" % (formula, charge, width, mz, pct))


def write_ranking(out):
    with open(os.path.join(out, "tests", "data", "ranking.tsv"), "w", newline="\n") as f:
        f.write("# ion\tname\tneutral formula\tadduct\tcharge\telements\n")
        f.write("# then per line of the nominal cluster (at least 0.1 %% of the highest): =\tshift\tm/z\tpercent"
                "\tmeasured m/z (+%g ppm)\tmeasured percent (3-5 %% off)\n" % MEASURED_PPM)
        for name, formula, adduct, charge in RANKING:
            counts = parse(formula)
            ion = dict(counts)
            for s, n in parse(adduct).items():
                ion[s] = ion.get(s, 0) + charge * n
            elements = "C0-100,H0-200,N0-10,O0-10,S0-5" + (",Cl0-4" if "Cl" in counts else "")
            f.write("ion\t%s\t%s\t%s\t%d\t%s\n" % (name, formula, adduct, charge, elements))
            noise = random.Random(name)
            for k, mz, pct in cluster(hill(ion), charge):
                off = noise.uniform(0.03, 0.05) * noise.choice((-1, 1))
                f.write("=\t%d\t%.6f\t%.4f\t%.6f\t%.4f\n" % (k, mz, pct, mz * (1 + MEASURED_PPM * 1e-6),
                                                              pct * (1 + off)))


def write_clusters(out):
    with open(os.path.join(out, "tests", "data", "isotope_clusters.tsv"), "w", newline="\n") as f:
        f.write("# ion formula\tcharge\tshift\tmean m/z\tpercent of the highest line\n")
        for formula, charge in CLUSTERS:
            for k, mz, pct in cluster(formula, charge):
                f.write("%s\t%d\t%d\t%.6f\t%.4f\n" % (formula, charge, k, mz, pct))


def compositions(case):
    name, mz, charge, adduct, tol, unit, ranges, dbe_min, dbe_max, mode = case
    window = tol if unit == "Da" else tol * 1e-6 * mz
    adduct_mass = sum(mono(s) * n for s, n in adduct.items())
    z = abs(charge)
    # The two widest ranges on a numpy grid, the others looped.
    order = sorted(range(len(ranges)), key=lambda i: ranges[i][2] - ranges[i][1])
    grid = [ranges[i] for i in order[-2:]]
    loops = [ranges[i] for i in order[:-2]]
    ga = np.arange(grid[0][1], grid[0][2] + 1)[:, None]
    gb = np.arange(grid[1][1], grid[1][2] + 1)[None, :]
    found = []
    for combo in itertools.product(*[range(lo, hi + 1) for _, lo, hi in loops]):
        counts = {loops[i][0]: combo[i] for i in range(len(loops))}
        base = sum(mono(s) * n for s, n in counts.items())
        mass = base + ga * mono(grid[0][0]) + gb * mono(grid[1][0])
        ion_mass = mass + charge * adduct_mass if charge else mass
        ion_mz = (ion_mass - charge * ELECTRON) / z if charge else ion_mass
        hits = np.argwhere(np.abs(ion_mz - mz) <= window)
        for ia, ib in hits:
            c = dict(counts)
            c[grid[0][0]] = int(ga[ia, 0])
            c[grid[1][0]] = int(gb[0, ib])
            ion = dict(c)
            ok = True
            for s, n in adduct.items():
                ion[s] = ion.get(s, 0) + charge * n
                ok = ok and ion[s] >= 0
            if not ok or sum(ion.values()) == 0:
                continue
            dbe = 1 + sum(n * (VALENCE[s] - 2) / 2.0 for s, n in c.items())
            if dbe < dbe_min - 1e-9 or dbe > dbe_max + 1e-9:
                continue
            electrons = sum(n * NUMBER[s] for s, n in ion.items()) - charge
            if (mode == 1 and electrons % 2) or (mode == 2 and electrons % 2 == 0):
                continue
            calc = float(ion_mz[ia, ib])
            found.append((hill(c), calc, (mz - calc) / calc * 1e6, dbe))
    return sorted(found)


def write_compositions(out):
    with open(os.path.join(out, "tests", "data", "compositions.tsv"), "w", newline="\n") as f:
        f.write("# case\tm/z\tcharge\tadduct\ttolerance\tunit\telements\tDBE minimum\tDBE maximum\telectron mode\n")
        f.write("# then per formula: =\tformula\tion m/z\tppm error\tDBE\n")
        for case in COMPOSITIONS:
            name, mz, charge, adduct, tol, unit, ranges, dbe_min, dbe_max, mode = case
            f.write("case\t%s\t%.4f\t%d\t%s\t%g\t%s\t%s\t%g\t%g\t%d\n" % (
                name, mz, charge, hill(adduct), tol, unit,
                ",".join("%s%d-%d" % r for r in ranges), dbe_min, dbe_max, mode))
            for formula, calc, ppm, dbe in compositions(case):
                f.write("=\t%s\t%.6f\t%.4f\t%.1f\n" % (formula, calc, ppm, dbe))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..")
    os.makedirs(os.path.join(out, "tests", "data"), exist_ok=True)
    write_molfiles(out)
    molfile_masses(out, os.path.join(out, "data", "molfiles"))
    write_clusters(out)
    write_compositions(out)
    write_merges(out)
    write_ranking(out)


if __name__ == "__main__":
    main()
