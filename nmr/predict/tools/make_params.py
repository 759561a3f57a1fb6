#!/usr/bin/python3
"""Writes the program's parameter file (412 records) from param_table.txt.

Every value follows from a written rule over public element properties:

  el(t)   electronegativity: the Pauling value, raised by hybstep for a
          trigonal and by twice hybstep for a digonal type (more s
          character, as in the hybrid electronegativities of carbon:
          sp3 < sp2 < sp).
  pol(t)  polarisability: polscale times the free-atom polarisability.
  ah(t)   Hueckel Coulomb parameter of a pi atom: its Pauling
          electronegativity minus that of carbon, plus 1.0 for an atom
          that conjugates a lone pair (two pi electrons); 0 for atoms
          outside pi systems.
  factor  charge-flow stiffness of a bond: bondscale times the sum of the
          absolute hardnesses of the two atoms. The bond of hydrogen to
          an atom that makes it labile (oxygen 8, nitrogen 7, planar
          nitrogen 57) is further multiplied by hoscale, hnscale or
          hnpscale: the shift rules take a fixed amount off such a proton
          per neighbour type and so presuppose an X-H charge near 0.3,
          about seven times that of a C-H hydrogen, while electronegativity
          differences over hardness sums give three (O) and two (N) times.
          Left at 1, the O-H hydrogens end up with negative charges, below
          their oxygen's, and shifts near -60 ppm.
  ak      Hueckel resonance parameter of a pi bond: the product of the
          overlap strengths of the two atoms, where the strength is 1.0
          for the second period, 0.6, 0.45, 0.3 for periods 3, 4, 5, times
          0.8 for a lone-pair donor; 0 unless both atoms are pi atoms and
          at most one of them is a lone-pair donor.

Usage: make_params.py [TABLE] [OUTPUT] [name=value ...]
The name=value arguments override scale factors (bondscale, polscale,
parx1, parx2, hybstep, hoscale, hnscale, hnpscale).
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OVERLAP = {2: 1.0, 3: 0.6, 4: 0.45, 5: 0.3}
HYBRID_STEPS = {"te": 0, "tr": 1, "di": 2}
# scale of the bond of hydrogen to each type whose hydrogens are labile
LABILE_BOND_SCALES = {8: "hoscale", 7: "hnscale", 57: "hnpscale"}
CARBON_CHI = 2.55


def read_table(path):
    types, scales = {}, {}
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if parts[0] == "scale":
                scales[parts[1]] = float(parts[2])
                continue
            t = int(parts[0])
            def num(s):
                return None if s == "-" else float(s)
            types[t] = {
                "sym": parts[1],
                "chi": num(parts[2]),
                "pol": num(parts[3]),
                "eta": num(parts[4]),
                "period": None if parts[5] == "-" else int(parts[5]),
                "hyb": parts[6],
                "pi": parts[7],
            }
    return types, scales


def build(types, scales):
    def el(t):
        p = types[t]
        return 0.0 if p["chi"] is None else p["chi"] + scales["hybstep"] * HYBRID_STEPS[p["hyb"]]

    def pol(t):
        p = types[t]
        return 0.0 if p["pol"] is None else scales["polscale"] * p["pol"]

    def ah(t):
        p = types[t]
        if p["pi"] == "none" or p["chi"] is None:
            return 0.0
        return p["chi"] - CARBON_CHI + (1.0 if p["pi"] == "two" else 0.0)

    # matrix positions: 53 and 54 carry iodine (table position 36)
    def entry(m):
        return 36 if m in (53, 54) else m

    def factor(a, b):
        pa, pb = types[entry(a)], types[entry(b)]
        if pa["eta"] is None or pb["eta"] is None:
            return 0.0
        f = scales["bondscale"] * (pa["eta"] + pb["eta"])
        other = b if a == 1 else a if b == 1 else None
        if other in LABILE_BOND_SCALES:
            f *= scales[LABILE_BOND_SCALES[other]]
        return f

    def strength(p):
        return OVERLAP[p["period"]] * (0.8 if p["pi"] == "two" else 1.0)

    def ak(a, b):
        pa, pb = types[entry(a)], types[entry(b)]
        if pa["pi"] == "none" or pb["pi"] == "none":
            return 0.0
        if pa["pi"] == "two" and pb["pi"] == "two":
            return 0.0
        return strength(pa) * strength(pb)

    return el, pol, ah, factor, ak


GROUPS = [list(range(1, 7)), list(range(7, 13)), list(range(13, 19)), list(range(19, 25)),
          list(range(25, 31)), list(range(31, 37)), list(range(55, 61)), [61, 62]]
BLOCKS = [(1, 7), (8, 14), (15, 21), (22, 28), (29, 35), (54, 60), (61, 62)]


def rows_of_block(c):
    return [j for j in range(c, 63) if (j <= 35 or j >= 53) and (j != 54 or c == 54)]


def write(types, scales, out):
    el, pol, ah, factor, ak = build(types, scales)
    rec = []
    rec += ["PARAMETER FILE OF THE SHIFT PREDICTION PROGRAM",
            "Written by make_params.py from param_table.txt; values follow written rules",
            "from element properties (see the script). Do not edit by hand.",
            "ATOM TYPE SYMBOLS"]
    for g in GROUPS:
        rec.append(" " + "".join(" %-2s" % types[t]["sym"][:2] for t in g))
    rec += ["", "PARAMETER VECTORS BY TYPE GROUP", "  EL   electronegativity",
            "  POL  polarisability", "  AH   Hueckel Coulomb parameter"]
    for gi, g in enumerate(GROUPS, 1):
        for name, f in (("EL", el), ("POL", pol), ("AH", ah)):
            rec.append(" %-4s" % name + "".join("%8.3f" % f(t) for t in g))
        rec += ["", "GROUP %d END" % gi]
    for name, f, last_skip in (("FACTOR", factor, True), ("AK", ak, False)):
        rec += ["", "%s HALF MATRIX" % name, "  ROW TYPE, THEN COLUMNS BY BLOCK"]
        for bi, (c, d) in enumerate(BLOCKS):
            for j in rows_of_block(c):
                rec.append("%3d " % j + "".join("%7.2f" % f(j, k) for k in range(c, min(j, d) + 1)))
            if bi < len(BLOCKS) - 1 or last_skip:
                rec += ["", "BLOCK %d-%d END" % (c, d)]
        if name == "FACTOR":
            pass
    rec.append("%10.5f%10.5f" % (scales["parx1"], scales["parx2"]))
    assert len(rec) == 412, len(rec)
    for r in rec:
        for v in r:
            assert ord(v) < 128
    with open(out, "w", newline="\n") as f:
        f.write("\n".join(rec) + "\n")


def main(argv):
    table = argv[1] if len(argv) > 1 and "=" not in argv[1] else os.path.join(HERE, "param_table.txt")
    out = argv[2] if len(argv) > 2 and "=" not in argv[2] else os.path.join(HERE, "..", "data", "velmar.par")
    types, scales = read_table(table)
    for a in argv[1:]:
        if "=" in a:
            k, v = a.split("=", 1)
            if k not in scales:
                sys.exit("unknown scale factor " + k)
            scales[k] = float(v)
    write(types, scales, out)


if __name__ == "__main__":
    main(sys.argv)
