#!/usr/bin/python3
"""Predicted proton shifts of the fixture molecules beside the published
CDCl3 values of fit_shifts.txt.

Usage: compare_shifts.py [--all] VELMAR [PARAMS]
  Runs the program (with the bundled parameter file unless PARAMS is
  given) on every molecule of fit_shifts.txt and prints, for each row, the
  predicted shift, the published one and the difference, then the RMS
  error of the non-labile protons the scale factors are fitted to, of all
  non-labile rows, and how many labile protons fall within their bands.
  With --all every fixture molecule is run and every heavy atom that
  carries hydrogens is listed, with "-" where no published value is kept.
  fit_scales.py uses the same reading and prediction.
"""
import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FIX = os.path.join(HERE, "..", "tests", "fixtures")
PARAMS = os.path.join(HERE, "..", "data", "velmar.par")


class Row:
    def __init__(self, molecule, atom, shift, band=None, fitted=True):
        self.molecule, self.atom, self.shift = molecule, atom, shift
        self.band = band          # (lo, hi) of a labile proton
        self.fitted = fitted      # False: compared only

    def error(self, predicted):
        """Predicted minus published; for a labile proton the distance to
        its band (0 inside it)."""
        if self.band:
            lo, hi = self.band
            return predicted - lo if predicted < lo else predicted - hi if predicted > hi else 0.0
        return predicted - self.shift


def read_rows(path=os.path.join(HERE, "fit_shifts.txt")):
    rows = []
    with open(path) as f:
        for line in f:
            p = line.split("#", 1)[0].split()
            if not p:
                continue
            if len(p) == 5:
                rows.append(Row(p[0], int(p[1]), float(p[2]), band=(float(p[3]), float(p[4]))))
            elif len(p) == 4 and p[3] == "check":
                rows.append(Row(p[0], int(p[1]), float(p[2]), fitted=False))
            elif len(p) == 3:
                rows.append(Row(p[0], int(p[1]), float(p[2])))
            else:
                raise ValueError("bad row in fit_shifts.txt: " + line.strip())
    return rows


def molfile(name):
    with open(os.path.join(FIX, name + ".mol")) as f:
        return f.read()


def hydrogens(mol):
    """(hydrogen, heavy atom it sits on) for every hydrogen, in atom order."""
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


def predict(velmar, params, molecules, work):
    """{molecule: {hydrogen: (shift, heavy atom)}} from one run."""
    text = "40000\n" + "   0\n".join(molfile(m) for m in molecules) + "1111\n"
    inp = os.path.join(work, "compare.inp")
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
    if k != len(values):
        raise ValueError("the shift file holds %d values for %d hydrogens" % (len(values), k))
    return result


def predicted(pred, row):
    vals = [v for v, c in pred[row.molecule].values() if c == row.atom]
    if not vals:
        raise ValueError("no hydrogen on atom %d of %s" % (row.atom, row.molecule))
    return sum(vals) / len(vals)


def rms(errors):
    return math.sqrt(sum(e * e for e in errors) / len(errors)) if errors else 0.0


def summary(pred, rows):
    fitted = [predicted(pred, r) - r.shift for r in rows if r.fitted and not r.band]
    all_fixed = [predicted(pred, r) - r.shift for r in rows if not r.band]
    labile = [r for r in rows if r.band]
    inside = sum(1 for r in labile if r.error(predicted(pred, r)) == 0.0)
    return rms(fitted), len(fitted), rms(all_fixed), len(all_fixed), inside, len(labile)


def fixture_names():
    return sorted(f[:-4] for f in os.listdir(FIX) if f.endswith(".mol"))


def with_unpublished(pred, rows):
    """Rows for every heavy atom with hydrogens of the predicted molecules,
    molecule by molecule: the published rows, and a row without a value
    (shift None) for every other atom whose hydrogens do not come out equal
    to those of an atom already listed (symmetry-equivalent positions are
    not repeated)."""
    out = []
    for m in sorted(pred):
        known = {r.atom: r for r in rows if r.molecule == m}
        carriers = sorted({c for v, c in pred[m].values()})
        listed = [known[a] for a in carriers if a in known]
        values = [predicted(pred, r) for r in listed]
        for a in carriers:
            if a in known:
                continue
            r = Row(m, a, None, fitted=False)
            v = predicted(pred, r)
            if all(abs(v - w) > 0.005 for w in values):
                listed.append(r)
                values.append(v)
        out += sorted(listed, key=lambda r: (r.band is not None, r.atom))
    return out


def report(pred, rows, out=sys.stdout, everything=False):
    shown = with_unpublished(pred, rows) if everything else rows
    sym = {}
    for r in shown:
        lines = molfile(r.molecule).split("\n")
        sym[(r.molecule, r.atom)] = lines[3 + r.atom][31:34].strip()
    out.write("%-16s %-5s %9s %9s %7s\n" % ("molecule", "H on", "predicted", "published", "diff"))
    for r in shown:
        p = predicted(pred, r)
        if r.shift is None:
            out.write("%-16s %-5s %9.2f %9s %7s\n" % (r.molecule, "%s%d" % (sym[(r.molecule, r.atom)], r.atom), p,
                                                      "-", ""))
            continue
        note = ""
        if r.band:
            note = "  labile, %.1f to %.1f%s" % (r.band[0], r.band[1], "" if r.error(p) == 0.0 else ", outside")
        elif not r.fitted:
            note = "  not fitted"
        out.write("%-16s %-5s %9.2f %9.2f %+7.2f%s\n" % (
            r.molecule, "%s%d" % (sym[(r.molecule, r.atom)], r.atom), p, r.shift, p - r.shift, note))
    f, nf, a, na, inside, nl = summary(pred, rows)
    out.write("RMS error of the fitted non-labile protons: %.2f ppm (%d shifts)\n" % (f, nf))
    out.write("RMS error of all non-labile protons: %.2f ppm (%d shifts)\n" % (a, na))
    out.write("Labile protons within their bands: %d of %d\n" % (inside, nl))


def main():
    args = [a for a in sys.argv[1:] if a != "--all"]
    everything = len(args) < len(sys.argv) - 1
    if not args:
        sys.exit(__doc__)
    velmar = args[0]
    params = args[1] if len(args) > 1 else PARAMS
    rows = read_rows()
    molecules = fixture_names() if everything else sorted({r.molecule for r in rows})
    with tempfile.TemporaryDirectory() as work:
        report(predict(velmar, params, molecules, work), rows, everything=everything)


if __name__ == "__main__":
    main()
