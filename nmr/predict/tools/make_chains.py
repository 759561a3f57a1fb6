#!/usr/bin/python3
"""Writes the two long-chain fixtures of the coupling tests (run once,
output committed):

- tests/fixtures/mixed_chain.mol: a 397-atom chain through every kind of
  coupling path the program knows (methyl and methylene runs, quaternary
  carbons, cyclopropanes with O, N and S, cyclohexane, benzene, pyridine,
  furan and thiophene rings, double bonds, carbonyls, ether, ester,
  halides), 3D coordinates from RDKit (ETKDG with a fixed seed, MMFF).
- tests/fixtures/zigzag_chain.mol: an all-trans alkane of 60 carbons on
  ideal geometry (C-C 1.54, C-H 1.09, tetrahedral angles), every inner
  methylene alike, so that many protons share a shift.

Run with the system Python that has RDKit: /usr/bin/python3.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fixtures")

SEGMENT = ("CC(C)(C)C" "C1CC1(O)C" "C(=O)C=CC" "c1ccc(cc1)" "C(Cl)CC1CCCC(C1)OC" "c1ccc(nc1)"
           "CC(N)C=C" "c1ccc(o1)" "CC1(S)CC1" "c1ccc(s1)" "C(F)(F)CC(=O)OC" "C2CC2(N)C")
# Open-chain run (the program takes at most ten rings of each size).
TAIL = "CCC(C)CC(C)(C)CC=CC(O)CC(=O)CCOCCNCC(Br)SCC(C)=CC(C)(O)C"


def mixed():
    from rdkit import Chem
    from rdkit.Chem import AllChem
    m = Chem.AddHs(Chem.MolFromSmiles("C" + SEGMENT + TAIL * 3 + "CC=O"))
    assert m.GetNumAtoms() == 397, m.GetNumAtoms()
    params = AllChem.ETKDGv3()
    params.randomSeed = 20071027
    params.useRandomCoords = True
    if AllChem.EmbedMolecule(m, params) != 0:
        sys.exit("embedding failed")
    AllChem.MMFFOptimizeMolecule(m, maxIters=2000)
    m.SetProp("_Name", "mixed chain of 397 atoms")
    block = Chem.MolToMolBlock(m, kekulize=True).rstrip("\n")
    with open(os.path.join(OUT, "mixed_chain.mol"), "w", newline="\n") as f:
        f.write(block + "\n")


def zigzag(carbons, path):
    cc, ch = 1.54, 1.09
    half = math.radians(109.4712) / 2
    dx, dy = cc * math.sin(half), cc * math.cos(half)
    # hydrogens in the plane normal to the chain, away from both neighbours
    hy, hz = ch * math.cos(math.radians(54.7356)), ch * math.sin(math.radians(54.7356))
    atoms = [("C", k * dx, (k % 2) * dy, 0.0) for k in range(carbons)]
    bonds = [(k + 1, k + 2) for k in range(carbons - 1)]
    for k in range(carbons):
        x, y = atoms[k][1], atoms[k][2]
        side = -1 if k % 2 == 0 else 1
        hs = [(x, y + side * hy, hz), (x, y + side * hy, -hz)]
        if k == 0:
            hs.append((x - ch, y, 0.0))
        if k == carbons - 1:
            hs.append((x + ch, y, 0.0))
        for h in hs:
            atoms.append(("H",) + h)
            bonds.append((k + 1, len(atoms)))
    lines = ["all-trans alkane of %d carbons" % carbons, "  make_chains.py", "",
             "%3d%3d  0  0  0  0  0  0  0  0999 V2000" % (len(atoms), len(bonds))]
    for s, x, y, z in atoms:
        lines.append("%10.4f%10.4f%10.4f %-3s 0  0  0  0  0  0  0  0  0  0  0  0" % (x, y, z, s))
    for a, b in bonds:
        lines.append("%3d%3d  1  0  0  0  0" % (a, b))
    lines.append("M  END")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    zigzag(60, os.path.join(OUT, "zigzag_chain.mol"))
    if "--no-rdkit" not in sys.argv:
        mixed()
