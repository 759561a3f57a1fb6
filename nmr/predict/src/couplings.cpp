// Proton-proton coupling constants: geminal, vicinal and four-bond
// couplings, the equivalence handling, the listing and the coupling file.
#include <cmath>
#include <vector>

#include "common.h"
#include "geometry.h"
#include "neighbours.h"
#include "routines.h"
#include "units.h"

namespace velmar {

namespace {

using nbr::T;
using nbr::nbn;
using nbr::nb;
using nbr::inBeta;

Mat<float, kMaxAtoms, kMaxAtoms> a;

// The substituent of carbon p that corrects a vicinal coupling across p-q;
// 0 when p has none (the correction is then skipped).
int substituent(int p, int q)
{
    int x = 0;
    for (int k = 1; k <= nbn(p); ++k) {
        int y = nb(p, k);
        if (y == q || T(y) == 1)
            continue;
        if (geom.nhyd(p) == 2 || (geom.nhyd(p) == 1 && T(y) > 6))
            x = y;
    }
    return x;
}

float correction(int p, int q, int far, float c)
{
    int x = substituent(p, q);
    if (x == 0)
        return 0.0f;
    float cphi = std::cos(dihed(x, p, q, far));
    float e = geom.nhyd(p) == 1 ? 6.9f : 7.98f;
    int tx = T(x);
    float el = tx >= 1 && tx <= kTable ? huch.el(tx) : 0.0f;
    float corr = (2.8f * c * cphi + 0.4f) * (el - e) / 6.22f;
    if (c * cphi > 0.0f)
        corr *= 0.5f;
    return corr;
}

// The vicinal coupling of i and j over p-q; false when no rule applies.
bool vicinal(int i, int p, int q, int j, float& J)
{
    const float c = std::cos(dihed(i, p, q, j)), c2 = c * c;
    const int tp = T(p), tq = T(q);
    auto& nhyd = geom.nhyd;
    bool set = false;
    auto put = [&](float v) {
        J = v;
        set = true;
    };
    if (tp == 6 && tq == 6) {
        if (nhyd(p) == 3 || nhyd(q) == 3) {
            put(6.0f);
        } else if ((nhyd(p) == 2 && nhyd(q) == 2) ||
                   (nhyd(p) == 1 && nhyd(q) == 1 && geom.nnc(p) == 2 && geom.nnc(q) == 2)) {
            put(11.16f * c2 - 1.28f * c + 0.77f + correction(p, q, j, c) + correction(q, p, i, c));
        } else if (nhyd(p) == 1 || nhyd(q) == 1) {
            float S = 0.0f;
            for (int k = 1; k <= nbn(p); ++k)
                if (nb(p, k) != q)
                    S += huch.el(T(nb(p, k)));
            for (int k = 1; k <= nbn(q); ++k)
                if (nb(q, k) != p)
                    S += huch.el(T(nb(q, k)));
            put((23.48f - 0.237f * S) * (11.16f * c2 - 1.28f * c + 0.77f) / 13.14f);
        }
        if (geom.nsring(p) == 3 && geom.nsring(q) == 3) {
            put(9.0f * c2);
            if (geom.nno(p) == 1 && geom.nno(q) == 1) put(4.5f * c2);
            if (geom.nnn(p) == 1 && geom.nnn(q) == 1) put(6.3f * c2);
            if (geom.nns(p) == 1 && geom.nns(q) == 1) put(7.1f * c2);
        }
    }
    if ((tp == 55 && tq == 6) || (tp == 6 && tq == 55)) {
        bool three = nhyd(p) == 3 || nhyd(q) == 3;
        if (geom.nnco(p) == 1 || geom.nnco(q) == 1)
            put(three ? 2.7f : 5.4f * c2);
        else
            put(three ? 6.5f : 10.0f * c2);
    }
    if ((tp == 6 && tq == 8) || (tp == 8 && tq == 6))
        put(nhyd(p) == 3 ? 5.2f : 10.0f * c2 - 1.5f * c);
    if (tp == 55 && tq == 55) {
        int ap = huch.iarom(p), aq = huch.iarom(q);
        if (ap == 6 && aq == 6)
            put(7.5f);
        else if (ap == 5 && aq == 5)
            put(3.5f);
        else if (ap < 5 && aq < 5)
            put(geom.nno(p) == 1 || geom.nno(q) == 1 ? 9.5f - 3.5f * c : 12.5f - 3.0f * c);
    }
    if ((tp == 57 && tq == 55 && geom.nnco(q) == 1) || (tp == 55 && tq == 57 && geom.nnco(p) == 1))
        put(5.5f - 4.5f * c);
    auto exch = [](int t) { return t == 7 || t == 8 || t == 16 || t == 57; };
    if (cryst.Solvent == 2 && (exch(tp) || exch(tq)))
        put(0.0f);
    return set;
}

// The four-bond coupling of i and j over p-q-g; false when no rule applies.
bool fourBond(int i, int p, int q, int g, int j, float& J)
{
    const float c = std::cos(dihed(i, p, q, g)), c2 = c * c;
    const float cp = std::cos(dihed(p, q, g, j));
    bool set = false;
    if (T(p) == 6 && T(q) == 6 && T(g) == 6) {
        J = c2 + cp * cp - 0.7f;
        if (geom.nhyd(p) == 3) J = cp * cp - 0.2f;
        if (geom.nhyd(g) == 3) J = c2 - 0.2f;
        set = true;
    }
    if (huch.iarom(p) > 4 && huch.iarom(g) > 4) {
        J = 1.5f;
        set = true;
    }
    return set;
}

void averageColumns(int u, int v, int n)
{
    for (int t = 1; t <= n; ++t) {
        a(t, u) = (a(t, u) + a(t, v)) / 2.0f;
        a(t, v) = a(t, u);
    }
    for (int t = 1; t <= n; ++t) {
        a(u, t) = (a(u, t) + a(v, t)) / 2.0f;
        a(v, t) = a(u, t);
    }
}

}  // namespace

void calcj()
{
    const int n = geom.natoms;
    a.clear();
    // One walk of up to four bonds from each hydrogen reaches every partner
    // it couples with. For each partner the rules are tried in the order a
    // walk per pair would try them (geminal, then along the walk), so the
    // last rule that applies gives its value.
    auto partner = [n](int x, int i) { return x != i && x >= 1 && x <= n && T(x) == 1; };
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 1 || nbn(i) == 0 || geom.ibet(i, 1) == 0)
            continue;
        for (int k = 1; k <= nbn(i); ++k) {
            int m = nb(i, k);
            if (T(m) != 6)
                continue;
            float v = -12.5f;
            if (geom.nnc(m) == 1 && geom.nno(m) == 1) v = -11.5f;
            if (geom.nno(m) == 2) v = -5.0f;
            if (geom.nhyd(m) == 3 && cbforder == 1) v = 0.0f;
            if (geom.nsring(m) == 3 && geom.nnc(m) == 2) v = -4.5f;
            if (geom.nsring(m) == 3 && geom.nno(m) == 1) v = 5.5f;
            if (geom.nsring(m) == 3 && geom.nnn(m) == 1) v = 1.5f;
            if (geom.nsring(m) == 3 && geom.nns(m) == 1) v = 0.2f;
            for (int kj = 1; kj <= nbn(m); ++kj)
                if (partner(nb(m, kj), i))
                    a(i, nb(m, kj)) = v;
        }
        for (int kp = 1; kp <= nbn(i); ++kp) {
            int p = nb(i, kp);
            for (int kq = 1; kq <= nbn(p); ++kq) {
                int q = nb(p, kq);
                for (int kg = 1; kg <= nbn(q); ++kg) {
                    int g = nb(q, kg);
                    if (g == p)
                        continue;
                    float J;
                    if (partner(g, i) && vicinal(i, p, q, g, J))
                        a(i, g) = J;
                    // A partner bonded to g, but not g itself (g was its
                    // vicinal partner on this path).
                    for (int kd = 1; kd <= nbn(g); ++kd) {
                        int j = nb(g, kd);
                        if (j != g && partner(j, i) && fourBond(i, p, q, g, j, J))
                            a(i, j) = J;
                    }
                }
            }
        }
    }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            if (a(i, j) != 0.0f)
                a(j, i) = a(i, j);

    if (cbforder != 0) {
        for (int k = 1; k <= geom.nsets; ++k)
            for (int p = 1; p <= geom.neq(k); ++p)
                for (int q = 1; q <= geom.neq(k); ++q)
                    if (p != q)
                        a(geom.ieq(k, p), geom.ieq(k, q)) = 0.0f;
        bool four = false;
        for (int k = 1; k <= 4 && k <= geom.nsets; ++k)
            four = four || geom.neq(k) == 4;
        for (int k = 1; k <= geom.nsets; ++k) {
            if (geom.neq(k) < 2)
                continue;
            int u = geom.ieq(k, 1), v = geom.ieq(k, 2);
            if (inBeta(u, v))
                averageColumns(u, v, n);
            if (four && geom.neq(k) >= 4) {
                u = geom.ieq(k, 3);
                v = geom.ieq(k, 4);
                if (inBeta(u, v))
                    averageColumns(u, v, n);
            }
        }
        float spread = 0.0f;
        for (int i = 1; i <= n; ++i)
            for (int j = i + 1; j <= n; ++j)
                if (T(i) == 1 && T(j) == 1)
                    spread += std::fabs(geom.shift(i) - geom.shift(j));
        if (spread <= 0.001f)
            for (int i = 1; i <= n; ++i)
                for (int j = 1; j <= n; ++j)
                    a(i, j) = 0.0f;
        // Two protons of equal shift that couple alike with every other
        // atom do not couple with each other. A sum of absolute differences
        // is zero only when every difference is, and rows outside both
        // columns' couplings differ by |0 - 0|: only those rows are
        // compared (this loop only clears entries, so the lists stay a
        // superset of each column's couplings).
        std::vector<std::vector<int>> coupled(static_cast<size_t>(n) + 1);
        for (int t = 1; t <= n; ++t)
            for (int c = 1; c <= n; ++c)
                if (a(t, c) != 0.0f)
                    coupled[static_cast<size_t>(c)].push_back(t);
        auto alike = [&](int i, int j) {
            for (int c : {i, j})
                for (int t : coupled[static_cast<size_t>(c)])
                    if (t != i && t != j && !(std::fabs(a(t, j) - a(t, i)) == 0.0f))
                        return false;
            return true;
        };
        for (int i = 1; i <= n; ++i) {
            if (T(i) != 1)
                continue;
            for (int j = i + 1; j <= n; ++j) {
                if (T(j) != 1 || std::fabs(geom.shift(i) - geom.shift(j)) > 0.001f)
                    continue;
                if (alike(i, j)) {
                    a(i, j) = 0.0f;
                    a(j, i) = 0.0f;
                }
            }
        }
    }

    writef(12, "()");
    writef(12, "(2X,'HH COUPLINGS (Hz)',I3)", {cbforder});
    writef(12, "()");
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j)
            if (std::fabs(a(i, j)) > 0.11f)
                writef(12, "(I3,1X,I3,1X,F6.1)", {i, j, a(i, j)});
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            if (a(i, j) != 0.0f)
                writef(11, "(I3,1X,I3,1X,F6.1)", {i, j, a(i, j)});
}

}  // namespace velmar
