#!/usr/bin/python3
"""Random symmetric matrices and their eigen-decomposition by numpy's eigh,
written as test expectations for the program's eigen-solver (run once,
output committed): tests/fixtures/eigen_<n>.txt with the order, the
matrix rows, the eigenvalues (ascending) and the eigenvectors (one column
per eigenvalue, written row by row).
"""
import os

import numpy as np

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures")

rng = np.random.default_rng(20071027)
for n in (2, 3, 6, 10, 25):
    a = rng.uniform(-2.0, 2.0, (n, n)).astype(np.float32)
    a = ((a + a.T) / 2).astype(np.float32)
    w, v = np.linalg.eigh(a.astype(np.float64))
    with open(os.path.join(OUT, "eigen_%d.txt" % n), "w", newline="\n") as f:
        f.write("%d\n" % n)
        for row in a:
            f.write(" ".join("%.9g" % x for x in row) + "\n")
        f.write(" ".join("%.9g" % x for x in w) + "\n")
        for row in v:
            f.write(" ".join("%.9g" % x for x in row) + "\n")
