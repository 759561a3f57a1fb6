#!/usr/bin/python3
"""Writes chain500.mol: a 500-atom alkane/arene chain (nine para-phenylene
rings joined by long methylene chains) with 3D coordinates from RDKit, for
the prediction benchmark. Run once with /usr/bin/python3; output committed.
"""
import os

from rdkit import Chem
from rdkit.Chem import AllChem

smiles = "c1ccccc1" + ("C" * 14 + "c1ccc(cc1)") * 8 + "C" * 24
m = Chem.AddHs(Chem.MolFromSmiles(smiles))
assert m.GetNumAtoms() == 500, m.GetNumAtoms()
params = AllChem.ETKDGv3()
params.randomSeed = 20071027
params.useRandomCoords = True
if AllChem.EmbedMolecule(m, params) != 0:
    raise SystemExit("embedding failed")
AllChem.MMFFOptimizeMolecule(m, maxIters=500)
m.SetProp("_Name", "alkane/arene chain of 500 atoms")
block = Chem.MolToMolBlock(m, kekulize=True).rstrip("\n")
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "chain500.mol"), "w", newline="\n") as f:
    f.write(block + "\n")
