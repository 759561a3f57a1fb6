#!/usr/bin/python3
"""Least-squares fit of the scale factors of the bundled parameter file.

Only the scale factors at the end of param_table.txt are fitted
(bondscale, polscale, parx1, parx2, hybstep and the three factors of the
bonds of hydrogen to oxygen and nitrogen); every other value keeps
following its rule. The objective is the root-mean-square error over the
fitted rows of fit_shifts.txt: predicted minus published shift for a
non-labile proton (mean over the hydrogens of one heavy atom), the
distance to its band for a labile one. Rows marked "check" are reported
but not fitted.

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

from compare_shifts import predict, predicted, read_rows, report

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "param_table.txt")
NAMES = ["bondscale", "polscale", "parx1", "parx2", "hybstep", "hoscale", "hnscale", "hnpscale"]


def make_params(scales, path):
    subprocess.run([sys.executable, os.path.join(HERE, "make_params.py"), TABLE, path] +
                   ["%s=%r" % (k, v) for k, v in scales.items()], check=True)


def main():
    velmar = sys.argv[1]
    rows = read_rows()
    fitted_rows = [r for r in rows if r.fitted]
    molecules = sorted({r.molecule for r in rows})
    scales = {}
    with open(TABLE) as f:
        for line in f:
            p = line.split()
            if p and p[0] == "scale":
                scales[p[1]] = float(p[2])
    with tempfile.TemporaryDirectory() as work:
        params = os.path.join(work, "fit.par")

        def run(s):
            make_params(s, params)
            return predict(velmar, params, molecules, work)

        def cost(x):
            s = {k: float(np.exp(v)) for k, v in zip(NAMES, x)}
            try:
                pred = run(s)
                e = np.array([r.error(predicted(pred, r)) for r in fitted_rows])
            except (subprocess.CalledProcessError, ValueError):
                return 1e6
            return float(np.sqrt(np.mean(e ** 2)))

        x0 = np.log([scales[k] for k in NAMES])
        print("start rms %.3f" % cost(x0))
        best = minimize(cost, x0, method="Nelder-Mead",
                        options={"maxiter": 3000, "xatol": 1e-3, "fatol": 1e-4, "adaptive": True})
        fitted = {k: round(float(np.exp(v)), 4) for k, v in zip(NAMES, best.x)}
        print("fitted", fitted, "rms %.3f" % cost(np.log([fitted[k] for k in NAMES])))
        report(run(fitted), rows)
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
