#!/usr/bin/python3
"""Writes data/savgol_exact.txt: Savitzky-Golay coefficients computed in
exact rational arithmetic (Python's fractions module), for the accuracy
test of the coefficient routine at every allowed order.

The coefficients are defined as the routine's contract states them:
design rows A[k][j] = (j - h)^k (h = points // 2), normal matrix B = A A^T,
x = B^-1 e_derivative, c = derivative! * A^T x. The system is solved here
without rounding; each coefficient is then rounded once to the nearest
double (float(Fraction) rounds correctly) and written with 17 significant
digits. Each line: "case DERIVATIVE POINTS ORDER c_0 ... c_(points-1)".

    /usr/bin/python3 gen_savgol_exact.py
"""
import math
import os
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))

# (derivative, points, order): small windows, the orders where the normal
# equations in raw powers failed (20 with 61 points, 24 to 30), the largest
# order with as few points as it needs (odd and even), derivatives up to
# the order, and the windows the automatic choice makes for derivatives 17
# and 27 (order d + 3).
CASES = [
    (0, 5, 3), (1, 5, 2), (2, 9, 5), (0, 1, 0), (0, 2, 1), (1, 2, 1), (0, 3, 0),
    (0, 61, 16), (0, 61, 20), (2, 61, 20), (0, 61, 24), (3, 61, 24), (0, 61, 27), (0, 61, 30),
    (4, 61, 30), (17, 61, 30), (30, 61, 30),
    (0, 31, 30), (15, 31, 30), (30, 31, 30), (0, 32, 30), (3, 32, 27), (29, 30, 29),
    (0, 41, 26), (10, 41, 25), (1, 25, 24), (5, 201, 30), (0, 101, 28),
    (17, 21, 20), (27, 31, 30), (27, 41, 30),
]


def coefficients(d, n, order):
    h = n // 2
    xs = [Fraction(j - h) for j in range(n)]
    rows = order + 1
    A = [[x ** k for x in xs] for k in range(rows)]
    M = [[sum(A[a][j] * A[b][j] for j in range(n)) for b in range(rows)] + [Fraction(int(a == d))]
         for a in range(rows)]
    for col in range(rows):
        piv = next(r for r in range(col, rows) if M[r][col] != 0)
        M[col], M[piv] = M[piv], M[col]
        p = M[col][col]
        M[col] = [v / p for v in M[col]]
        for r in range(rows):
            if r != col and M[r][col] != 0:
                f = M[r][col]
                M[r] = [a - f * b for a, b in zip(M[r], M[col])]
    x = [M[r][rows] for r in range(rows)]
    f = math.factorial(d)
    return [f * sum(A[k][j] * x[k] for k in range(rows)) for j in range(n)]


def main():
    out = os.path.join(HERE, "data", "savgol_exact.txt")
    with open(out, "w", newline="\n") as f:
        f.write("# Savitzky-Golay coefficients in exact arithmetic, rounded once; written by\n")
        f.write("# gen_savgol_exact.py. case DERIVATIVE POINTS ORDER c_0 ... c_(points-1)\n")
        for d, n, order in CASES:
            c = coefficients(d, n, order)
            f.write("case %d %d %d %s\n" % (d, n, order, " ".join("%.17g" % float(v) for v in c)))


if __name__ == "__main__":
    main()
