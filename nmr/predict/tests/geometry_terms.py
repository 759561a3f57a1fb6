#!/usr/bin/python3
"""Independent values of two geometry-only shift terms of every hydrogen of
a molfile: the ring-current term of the unsaturated six-membered rings and
the hydrogen-hydrogen steric term (HSTER) of hydrogens on three- and
four-connected carbons. Prints "atom ringct hster" per hydrogen (atoms numbered from 1).
"""
import sys

import numpy as np
from rdkit import Chem

m = Chem.MolFromMolFile(sys.argv[1], removeHs=False, sanitize=False)
m.UpdatePropertyCache(strict=False)
x = m.GetConformer().GetPositions()
n = m.GetNumAtoms()
sym = [a.GetSymbol() for a in m.GetAtoms()]
deg = [a.GetDegree() for a in m.GetAtoms()]
dm = Chem.GetDistanceMatrix(m)

rings6 = [list(r) for r in Chem.GetSymmSSSR(m) if len(r) == 6]
sat = [any(sym[a] == "C" and deg[a] == 4 for a in r) for r in rings6]
code = [0] * n
for r, s in zip(rings6, sat):
    for a in r:
        code[a] = 2 if s else 6
numar = sum(1 for s in sat if not s)
komona = 0
for i in range(len(rings6)):
    for j in range(i + 1, len(rings6)):
        komona += sum(1 for a in rings6[i] for b in rings6[j] if a == b and code[a] == 6)
fact = 1.0
if numar == 2:
    fact = 0.93
if numar == 3:
    fact = 0.94
if komona == 0:
    fact = 1.0


def ring_term(ring, h):
    c = x[ring].mean(axis=0)
    r = (c - x[ring[0]]) / np.linalg.norm(c - x[ring[0]])
    ra = (c - x[ring[2]]) / np.linalg.norm(c - x[ring[2]])
    u = (c - x[h]) / np.linalg.norm(c - x[h])
    cal = np.cross(r, ra) @ u
    d2 = np.sum((x[h] - c) ** 2)
    return (1 - 3 * cal * cal) / d2 ** 1.5


def hcount(a):
    return sum(1 for b in m.GetAtomWithIdx(a).GetNeighbors() if b.GetSymbol() == "H")


for h in range(n):
    if sym[h] != "H":
        continue
    ringct = sum(fact * 26.23 * ring_term(r, h) for r, s in zip(rings6, sat) if not s)
    carrier = m.GetAtomWithIdx(h).GetNeighbors()[0].GetIdx()
    hster = 0.0
    B = {4: 6, 3: 55}.get(deg[carrier]) if sym[carrier] == "C" else None
    nh = hcount(carrier)
    for p in range(n):
        if B is None or sym[p] != "H" or dm[h][p] < 4:
            continue
        pc = m.GetAtomWithIdx(p).GetNeighbors()[0].GetIdx()
        A = {4: 6, 3: 55}.get(deg[pc]) if sym[pc] == "C" else None
        d = np.linalg.norm(x[h] - x[p])
        if A is None or d > 6.0:
            continue
        r6 = 1.0 / d ** 6
        if A == 55 and B == 55:
            hster += 26.09 * r6
        if A == 6 and B == 55:
            hster += 5.34 * r6
        if A == 55 and B == 6:
            hster += -23.1 * r6
        if A == 6 and B == 6 and nh == 3:
            np_ = hcount(pc)
            if np_ in (1, 2):
                hster += (8.75 if code[pc] == 0 else -6.21) * r6
            elif np_ == 3:
                hster += 3.23 * r6
        if A == 6 and B == 6 and nh in (1, 2):
            hster += (-12.59 if code[carrier] == 0 else -34.98) * r6
    print(h + 1, "%.6f" % ringct, "%.6f" % hster)
