#!/usr/bin/python3
"""Writes the molecule fixtures of the tests (run once, output committed).

1. V2000 molfiles with explicit hydrogens and 3D coordinates (RDKit:
   ETKDG embedding with a fixed seed, then MMFF optimisation) for the
   fixture molecules: tests/fixtures/<name>.mol. Each ends with the
   "M  END" line (nitrobenzene's charges stand in an "M  CHG" line before
   it); the tests append three lines for the SD records of input code 9.
2. Z-matrix molecules in every internal-coordinate layout of the program
   and their Cartesian coordinates computed here in double precision,
   checked against the internal coordinates they must satisfy:
   tests/fixtures/zmat_<name>.code<k> and zmat_<name>.xyz.

Run with the system Python that has RDKit and numpy: /usr/bin/python3.
"""
import math
import os
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fixtures")

MOLECULES = [
    ("methane", "C"), ("ethane", "CC"), ("propane", "CCC"), ("cyclohexane", "C1CCCCC1"),
    ("benzene", "c1ccccc1"), ("toluene", "Cc1ccccc1"), ("pyridine", "c1ccncc1"), ("furan", "c1ccoc1"),
    ("thiophene", "c1ccsc1"), ("pyrrole", "c1cc[nH]c1"), ("methanol", "CO"), ("ethanol", "CCO"),
    ("acetone", "CC(C)=O"), ("acetonitrile", "CC#N"), ("acetic_acid", "CC(=O)O"),
    ("dichloromethane", "ClCCl"), ("chloroform", "ClC(Cl)Cl"), ("dmso", "CS(C)=O"), ("water", "O"),
    ("naphthalene", "c1ccc2ccccc2c1"), ("cyclopropane", "C1CC1"),
    ("phenol", "Oc1ccccc1"), ("aniline", "Nc1ccccc1"), ("ammonia", "N"), ("methylamine", "CN"),
    ("benzaldehyde", "O=Cc1ccccc1"), ("nitrobenzene", "O=[N+]([O-])c1ccccc1"), ("benzonitrile", "N#Cc1ccccc1"),
]


def molfiles():
    from rdkit import Chem
    from rdkit.Chem import AllChem
    for name, smi in MOLECULES:
        m = Chem.AddHs(Chem.MolFromSmiles(smi))
        if AllChem.EmbedMolecule(m, randomSeed=20071027) != 0:
            sys.exit("embedding failed for " + name)
        AllChem.MMFFOptimizeMolecule(m, maxIters=2000)
        m.SetProp("_Name", name)
        block = Chem.MolToMolBlock(m, kekulize=True)
        lines = block.rstrip("\n").split("\n")
        assert lines[-1] == "M  END", name
        with open(os.path.join(OUT, name + ".mol"), "w", newline="\n") as f:
            f.write("\n".join(lines) + "\n")


# ---- Z-matrices ----
# atom: (element, symbol, na, bl, nb, angle, nc, third, kind)
# kind 0: third is a dihedral; +1/-1: third is a second bond angle at na
ZMATS = {
    "ethane": [
        (6, "C", 0, 0.0, 0, 0.0, 0, 0.0, 0),
        (6, "C", 1, 1.54, 0, 0.0, 0, 0.0, 0),
        (1, "H", 1, 1.09, 2, 110.5, 0, 0.0, 0),
        (1, "H", 1, 1.09, 2, 110.5, 3, 120.0, 0),
        (1, "H", 1, 1.09, 2, 110.5, 3, -120.0, 0),
        (1, "H", 2, 1.09, 1, 110.5, 3, 60.0, 0),
        (1, "H", 2, 1.09, 1, 110.5, 3, 180.0, 0),
        (1, "H", 2, 1.09, 1, 110.5, 3, -60.0, 0),
    ],
    "methane2": [  # the last two hydrogens placed by two bond angles
        (6, "C", 0, 0.0, 0, 0.0, 0, 0.0, 0),
        (1, "H", 1, 1.09, 0, 0.0, 0, 0.0, 0),
        (1, "H", 1, 1.09, 2, 109.4712, 0, 0.0, 0),
        (1, "H", 1, 1.09, 2, 109.4712, 3, 109.4712, 1),
        (1, "H", 1, 1.09, 2, 109.4712, 3, 109.4712, -1),
    ],
    "propyne": [  # collinear start
        (6, "C", 0, 0.0, 0, 0.0, 0, 0.0, 0),
        (6, "C", 1, 1.21, 0, 0.0, 0, 0.0, 0),
        (1, "H", 1, 1.06, 2, 180.0, 0, 0.0, 0),
        (6, "C", 2, 1.46, 1, 180.0, 0, 0.0, 0),
        (1, "H", 4, 1.09, 2, 110.0, 0, 0.0, 0),
        (1, "H", 4, 1.09, 2, 110.0, 5, 120.0, 0),
        (1, "H", 4, 1.09, 2, 110.0, 5, -120.0, 0),
    ],
    "cyclopropane": [  # the ring closes by distance
        (6, "C", 0, 0.0, 0, 0.0, 0, 0.0, 0),
        (6, "C", 1, 1.51, 0, 0.0, 0, 0.0, 0),
        (6, "C", 1, 1.51, 2, 60.0, 0, 0.0, 0),
        (1, "H", 1, 1.08, 2, 118.0, 3, 108.0, 0),
        (1, "H", 1, 1.08, 2, 118.0, 3, -108.0, 0),
        (1, "H", 2, 1.08, 1, 118.0, 3, 108.0, 0),
        (1, "H", 2, 1.08, 1, 118.0, 3, -108.0, 0),
        (1, "H", 3, 1.08, 1, 118.0, 2, 108.0, 0),
        (1, "H", 3, 1.08, 1, 118.0, 2, -108.0, 0),
    ],
    "methanol_dummy": [  # a dummy atom defines a direction and gets no bonds
        (6, "C", 0, 0.0, 0, 0.0, 0, 0.0, 0),
        (8, "O", 1, 1.43, 0, 0.0, 0, 0.0, 0),
        (2, "A", 2, 1.0, 1, 90.0, 0, 0.0, 0),
        (1, "H", 2, 0.96, 1, 108.5, 3, 0.0, 0),
        (1, "H", 1, 1.09, 2, 109.5, 4, 180.0, 0),
        (1, "H", 1, 1.09, 2, 109.5, 4, 60.0, 0),
        (1, "H", 1, 1.09, 2, 109.5, 4, -60.0, 0),
    ],
}


def unit(v):
    return v / np.linalg.norm(v)


def angle(a, b, c):
    u, v = unit(a - b), unit(c - b)
    return math.degrees(math.acos(max(-1.0, min(1.0, float(u @ v)))))


def dihedral(p0, p1, p2, p3):
    b0, b1, b2 = p0 - p1, p2 - p1, p3 - p2
    b1 = unit(b1)
    v = b0 - (b0 @ b1) * b1
    w = b2 - (b2 @ b1) * b1
    x = v @ w
    y = np.cross(b1, v) @ w
    return math.degrees(math.atan2(y, x))


def cartesian(z):
    n = len(z)
    x = np.zeros((n, 3))
    if n > 1:
        x[1] = [0, 0, z[1][3]]
    if n > 2:
        bl, a = z[2][3], math.radians(z[2][5])
        x[2] = [bl * math.sin(a), 0, bl * math.cos(a) if z[2][2] == 1 else x[1][2] - bl * math.cos(a)]
    first = 3
    if abs(x[2][0]) < 1e-5:
        i = 3
        while i < n and abs(x[i - 1][0]) < 1e-5:
            e, s, na, bl, nb, al, nc, th, kind = z[i]
            a = math.radians(al)
            d = bl * math.cos(a)
            if x[na - 1][2] - x[nb - 1][2] < 0:
                d = -d
            x[i] = [bl * math.sin(a), 0, x[na - 1][2] - d]
            i += 1
        first = i
    for i in range(first, n):
        e, s, na, bl, nb, al, nc, th, kind = z[i]
        A, B, C = x[na - 1], x[nb - 1], x[nc - 1]
        a = math.radians(al)
        if kind == 0:
            # rotate the cis direction about the B->A axis by the dihedral
            axis = unit(A - B)
            cis = (C - B) - ((C - B) @ axis) * axis
            cis = unit(cis)
            t = math.radians(th)
            perp = math.cos(t) * cis + math.sin(t) * np.cross(axis, cis)
            x[i] = A + bl * (-math.cos(a) * axis + math.sin(a) * perp)
        else:
            b, c = unit(B - A), unit(C - A)
            m = np.array([[1.0, b @ c], [b @ c, 1.0]])
            cx, cy = np.linalg.solve(m, [math.cos(a), math.cos(math.radians(th))])
            u = cx * b + cy * c
            h = math.sqrt(max(0.0, 1.0 - u @ u))
            x[i] = A + bl * (u + kind * h * unit(np.cross(b, c)))
    # the coordinates satisfy the internal coordinates they come from
    for i in range(1, n):
        e, s, na, bl, nb, al, nc, th, kind = z[i]
        assert abs(np.linalg.norm(x[i] - x[na - 1]) - bl) < 1e-9
        if i >= 2:
            assert abs(angle(x[i], x[na - 1], x[nb - 1]) - al) < 1e-6, (i, angle(x[i], x[na - 1], x[nb - 1]), al)
        if i >= first and kind == 0:
            dh = dihedral(x[i], x[na - 1], x[nb - 1], x[nc - 1])
            assert abs((dh - th + 180) % 360 - 180) < 1e-6, (i, dh, th)
        if i >= first and kind != 0:
            assert abs(angle(x[i], x[na - 1], x[nc - 1]) - th) < 1e-6
    return x


def layouts(name, z):
    n = len(z)
    title = "%s Z-MATRIX" % name.upper()
    out = {}
    rec = [title, "%2d%2d%2d" % (n, 0, 0)]
    for e, s, na, bl, nb, al, nc, th, kind in z:
        rec.append("   %2d%5d%10.4f%5d%10.4f%5d%10.4f%5d" % (e, na, bl, nb, al, nc, th, kind))
    out[0] = rec
    sym_layouts = {
        1: lambda s, g, r: "%-2s   " % s + "".join("%11.4f   " % v for v in g) + " " + "".join("%3d" % v for v in r),
        5: lambda s, g, r: "%-2s   " % s + "".join("%11.4f   " % v for v in g) + "".join("%4d" % v for v in r),
        3: lambda s, g, r: "  %-2s " % s + "".join("%12.4f   " % v for v in g) + " " + "".join("%4d" % v for v in r),
        7: lambda s, g, r: " %-2s  " % s + "".join("%11.4f   " % v for v in g) + "".join("%4d" % v for v in r),
    }
    if any(k != 0 for *_, k in z):
        return out  # second bond angles exist only in the numeric layout
    for code, f in sym_layouts.items():
        rec = [title, "%2d%2d%2d" % (n, 0, 0)]
        for e, s, na, bl, nb, al, nc, th, kind in z:
            rec.append(f(s, (bl, al, th), (na, nb, nc)))
        out[code] = rec
    rec = ["IGNORED LINE", title, "%2d%2d%2d" % (0, 0, 0)]
    for e, s, na, bl, nb, al, nc, th, kind in z:
        rec.append(sym_layouts[7](s, (bl, al, th), (na, nb, nc)))
    rec.append(" 0")
    out[8] = rec
    return out


def zmatrices():
    for name, z in ZMATS.items():
        x = cartesian(z)
        with open(os.path.join(OUT, "zmat_%s.xyz" % name), "w", newline="\n") as f:
            for p in x:
                f.write("%.8f %.8f %.8f\n" % tuple(p))
        for code, rec in layouts(name, z).items():
            with open(os.path.join(OUT, "zmat_%s.code%d" % (name, code)), "w", newline="\n") as f:
                f.write("\n".join(rec) + "\n")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    zmatrices()
    if "--no-rdkit" not in sys.argv:
        molfiles()
