#!/usr/bin/python3
"""Reads molfiles with RDKit and prints what it read, one line per item.

For each file given:
  file NAME
  atom INDEX SYMBOL CHARGE ISOTOPE ALIAS       (ALIAS "-" when none)
  bond BEGIN END ORDER                         (0-based atom indexes)
  formula FORMULA WEIGHT                       (sanitized copy; "-" when
                                                RDKit refuses the molecule)
A file RDKit cannot read gives "error NAME".
"""
import os
import sys

from rdkit import Chem, RDLogger
from rdkit.Chem import Descriptors, rdMolDescriptors

RDLogger.DisableLog("rdApp.*")


def main(paths):
    for path in paths:
        name = os.path.basename(path)
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
        mol = Chem.MolFromMolBlock(text, sanitize=False, removeHs=False, strictParsing=True)
        if mol is None:
            print("error", name)
            continue
        print("file", name)
        for a in mol.GetAtoms():
            alias = a.GetProp("molFileAlias") if a.HasProp("molFileAlias") else "-"
            print("atom", a.GetIdx(), a.GetSymbol(), a.GetFormalCharge(), a.GetIsotope(), alias)
        for b in mol.GetBonds():
            print("bond", b.GetBeginAtomIdx(), b.GetEndAtomIdx(), int(b.GetBondTypeAsDouble()))
        try:
            clean = Chem.Mol(mol)
            Chem.SanitizeMol(clean)
            print("formula", rdMolDescriptors.CalcMolFormula(clean), "%.4f" % Descriptors.MolWt(clean))
        except Exception:
            print("formula - -")


if __name__ == "__main__":
    main(sys.argv[1:])
