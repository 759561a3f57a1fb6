#!/usr/bin/env python3
"""Least-squares fit of the scale factors of the bundled parameter file.

Only the five scale factors at the end of param_table.txt are fitted
(bondscale, polscale, parx1, parx2, hybstep); every other value keeps following
its rule. The objective is the root-mean-square difference between the
predicted shifts of the fixture molecules (mean over the hydrogens of one
heavy atom) and their published CDCl3 shifts (fit_shifts.txt).

Usage: fit_scales.py VELMAR [--write]
  --write  stores the fitted factors in param_table.txt and regenerates
           data/velmar.par.
"""
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy.optimize import minimize

HERE = os.path.dirname(os.path.abspath(__file__))
FIX = os.path.join(HERE, "..", "tests", "fixtures")
TABLE = os.path.join(HERE, "param_table.txt")
NAMES = ["bondscale", "polscale", "parx1", "parx2", "hybstep"]


def read_targets():
    rows = []
    with open(os.path.join(HERE, "fit_shifts.txt")) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if line:
                rows.append((line[0], int(line[1]), float(line[2])))
    return rows


def molfile(name):
    with open(os.path.join(FIX, name + ".mol")) as f:
        return f.read()


def hydrogens(mol):
    """Atom numbers of the hydrogens and the heavy atom each sits on."""
    lines = mol.split("\n")
    na, nb = int(lines[3][0:3]), int(lines[3][3:6])
    sym = [lines[4 + k][31:34].strip() for k in range(na)]
    on = {}
    for k in range(nb):
        l = lines[4 + na + k]
        a, b = int(l[0:3]), int(l[3:6])
        if sym[a - 1] == "H":
            on[a] = b
        if sym[b - 1] == "H":
            on[b] = a
    return [(h, on[h]) for h in range(1, na + 1) if sym[h - 1] == "H"]


def predict(velmar, scales, molecules, work):
    params = os.path.join(work, "fit.par")
    subprocess.run([sys.executable, os.path.join(HERE, "make_params.py"), TABLE, params] +
                   ["%s=%r" % (k, v) for k, v in scales.items()], check=True)
    text = "40000\n" + "   0\n".join(molfile(m) for m in molecules) + "1111\n"
    inp = os.path.join(work, "fit.inp")
    with open(inp, "w") as f:
        f.write(text)
    out = [os.path.join(work, x) for x in ("l", "s", "c", "p", "v")]
    subprocess.run([velmar, params, inp] + out, check=True, stdout=subprocess.DEVNULL)
    with open(out[1]) as f:
        values = [float(l.split()[0]) for l in f if l.strip()]
    result, k = {}, 0
    for m in molecules:
        hs = hydrogens(molfile(m))
        result[m] = {h: (values[k + i], c) for i, (h, c) in enumerate(hs)}
        k += len(hs)
    return result


def residuals(pred, targets):
    r = []
    for m, atom, shift in targets:
        vals = [v for h, (v, c) in pred[m].items() if c == atom]
        r.append(np.mean(vals) - shift)
    return np.array(r)


def main():
    velmar = sys.argv[1]
    targets = read_targets()
    molecules = sorted({t[0] for t in targets})
    scales = {}
    with open(TABLE) as f:
        for line in f:
            p = line.split()
            if p and p[0] == "scale":
                scales[p[1]] = float(p[2])
    with tempfile.TemporaryDirectory() as work:
        def cost(x):
            s = {k: float(np.exp(v)) for k, v in zip(NAMES, x)}
            try:
                r = residuals(predict(velmar, s, molecules, work), targets)
            except (subprocess.CalledProcessError, ValueError):
                return 1e6
            return float(np.sqrt(np.mean(r ** 2)))

        x0 = np.log([scales[k] for k in NAMES])
        print("start rms %.3f" % cost(x0))
        best = minimize(cost, x0, method="Nelder-Mead", options={"maxiter": 1500, "xatol": 1e-3, "fatol": 1e-4})
        fitted = {k: round(float(np.exp(v)), 4) for k, v in zip(NAMES, best.x)}
        print("fitted", fitted, "rms %.3f" % cost(np.log([fitted[k] for k in NAMES])))
        pred = predict(velmar, fitted, molecules, work)
        for (m, atom, shift), r in zip(targets, residuals(pred, targets)):
            print("%-16s %3d  published %6.2f  predicted %6.2f" % (m, atom, shift, shift + r))
    if "--write" in sys.argv:
        with open(TABLE) as f:
            lines = f.readlines()
        with open(TABLE, "w") as f:
            for line in lines:
                p = line.split()
                if p and p[0] == "scale" and p[1] in fitted:
                    line = "scale %-11s %s\n" % (p[1], fitted[p[1]])
                f.write(line)
        subprocess.run([sys.executable, os.path.join(HERE, "make_params.py")], check=True)


if __name__ == "__main__":
    main()
