#!/usr/bin/python3
"""Independent values of the carbonyl (X=O) and C=C double-bond terms of
the proton shifts for two small molecules built here with RDKit.

Usage: anisotropy_terms.py butanone|butene MOLFILE
Writes the molecule to MOLFILE and prints, for every hydrogen that
receives a term, "atom xoanis xoster canis ccshift" (atoms from 1).
"""
import math
import sys

import numpy as np
from rdkit import Chem
from rdkit.Chem import AllChem

which, path = sys.argv[1], sys.argv[2]
smiles = {"butanone": "CC(=O)CC", "butene": "C=CCC"}[which]
m = Chem.AddHs(Chem.MolFromSmiles(smiles))
AllChem.EmbedMolecule(m, randomSeed=7)
AllChem.MMFFOptimizeMolecule(m)
Chem.MolToMolFile(m, path, kekulize=True)
x = m.GetConformer().GetPositions()
dm = Chem.GetDistanceMatrix(m)


def unit(v):
    return v / np.linalg.norm(v)


def hydrogens_at(depth, atom):
    return [a.GetIdx() for a in m.GetAtoms() if a.GetSymbol() == "H" and dm[a.GetIdx()][atom] == depth]


if which == "butanone":
    o = [a.GetIdx() for a in m.GetAtoms() if a.GetSymbol() == "O"][0]
    c = m.GetAtomWithIdx(o).GetNeighbors()[0].GetIdx()
    b1 = [n.GetIdx() for n in m.GetAtomWithIdx(c).GetNeighbors() if n.GetIdx() != o][0]
    for h in hydrogens_at(4, o):
        mid = (x[c] + x[o]) / 2
        r, s, t = mid - x[o], mid - x[h], mid - x[b1]
        kpar = unit(r) @ unit(s)
        n = unit(np.cross(unit(r), unit(t)))
        kperp = n @ unit(s)
        d2 = np.sum((x[h] - mid) ** 2)
        d3 = d2 ** 1.5
        ppar = (3 * kpar ** 2 - 1) / (3 * d3)
        pperp = (3 * kperp ** 2 - 1) / (3 * d3)
        d = np.linalg.norm(x[h] - x[o])
        print(h + 1, "%.6f" % (21.34 * ppar - 12.41 * pperp), "%.6f" % (60.56 / d ** 6), "0", "0")
else:
    c1, c2 = 0, 1  # CH2= and =CH- of the SMILES
    for h in hydrogens_at(3, c2):
        if dm[h][c1] != 4:
            continue
        o = [n.GetIdx() for n in m.GetAtomWithIdx(c1).GetNeighbors() if n.GetSymbol() == "H"][0]
        mid = (x[c2] + x[c1]) / 2
        r, s, t = x[c2] - mid, x[h] - mid, x[o] - mid
        D = np.linalg.norm(x[h] - mid)
        n = unit(np.cross(unit(r), unit(t)))
        k = n @ unit(s)
        P = (3 * k * k - 1) / (3 * D ** 3)
        print(h + 1, "0", "0", "%.6f" % (-31.21 * P), "%.6f" % (78.36 * (D * k) ** 2 * math.exp(-D * D)))
