// Atomic charges: an iterated equalisation of electronegativity along
// bonds and along two- and three-bond paths, then the pi charges.
#include <cmath>

#include "common.h"
#include "huckel.h"
#include "neighbours.h"
#include "routines.h"
#include "units.h"

namespace velmar {

float gammaRule(int i, int a, int b, int g, float s);

namespace {

int T(int x)
{
    return geom.itype(x);
}
using nbr::nbn;
using nbr::nb;
using nbr::bonded;
float F(int t, int u)
{
    return huch.factor(t, u);
}

Vec<float, kTypes> cn;
Vec<float, kMaxAtoms> posit, elec, polw;

// The correction factor of the two-bond term from atom i over m to b.
float betaFactor(int i, int m, int b)
{
    const int ti = T(i), tm = T(m), u = T(b);
    float f = 1.0f;
    if (ti != 17 && tm == 6) {
        if (u == 8 && geom.nno(m) == 2) f *= 0.84f;
        if (u == 8 && geom.nno(m) == 3) f *= 0.73f;
        if (u == 9 && geom.nhyd(b) == 2) f *= 0.7f;
        if (u == 9 && geom.nhyd(b) == 3) f *= 0.585f;
    }
    if ((u == 16 || u == 17 || u == 35 || u == 53) && ti != 1)
        f *= 1.54f;
    if (ti != 1)
        return f;
    if (tm == 55) {
        if (u == 6 || u == 8 || u == 17) f *= 0.37f;
        if (u == 9) f *= 0.393f;
        if (u == 55 && geom.nsring(b) == 3) f *= 1.75f;
        if (u == 55) f *= geom.nnco(m) == 1 ? 0.6f : 1.25f;
        if (u == 35) f *= 0.55f;
        if (u == 53) f *= 0.75f;
        if (u == 56) f *= 0.18f;
        if (u == 57) f *= geom.nnn58(m) == 1 ? 0.222f : 0.37f;
        if (u == 58) {
            if (geom.nnn58(m) == 2) f *= 0.9f;
            for (int k = 1; k <= nbn(b); ++k)
                if (T(nb(b, k)) == 58) f *= 1.35f;
            for (int k = 1; k <= nbn(m); ++k) {
                if (T(nb(m, k)) == 8) f *= 0.34f;
                if (T(nb(m, k)) == 16) f *= 1.12f;
            }
        }
        if (u == 60) {
            f *= 1.18f;
            for (int k = 1; k <= nbn(m); ++k) {
                if (T(nb(m, k)) == 57) f *= 0.36f;
                if (T(nb(m, k)) == 8) f *= 0.4f;
            }
        }
        if (u == 61) f *= 2.0f;
    }
    if (tm == 6) {
        if (geom.nsring(b) == 3 && u == 8) f *= 0.9f;
        if (geom.nsring(b) == 3 && u == 16) f *= 1.5f;
        if (geom.nsring(b) == 3 && u == 55 && geom.nnco(b) == 1) f *= 1.6f;
        if (u == 8 && geom.nhyd(m) == 1)
            f *= (huch.iarom(m) == 1 && geom.nno(m) == 1) ? 1.12f : 0.96f;
        if (u == 8 && geom.nhyd(m) != 1) f *= 1.01f;
        if (u == 9)
            for (int k = 1; k <= nbn(m); ++k)
                if (T(nb(m, k)) == 55) {
                    if (geom.nhyd(m) == 2) f *= 0.87f;
                    if (geom.nnf(m) == 2) f *= 0.91f;
                }
        if (u == 16 && geom.nhyd(m) == 2) f *= 1.104f;
        if (u == 16 && geom.nns(m) == 2 && geom.nhyd(m) == 2) f *= 1.104f;
        if (u == 16 && geom.nns(m) == 2 && geom.nhyd(m) == 1) f *= 0.965f;
        if (u == 62 && geom.nno(b) == 1) f *= 1.46f;
        if (u == 62 && geom.nno(b) == 2) f *= 1.1f;
        if (u == 55) f *= 1.5f;
        if (u == 56 && geom.nnn59(b) == 0) f *= 1.37f;
        if (u == 57) f *= 0.85f;
    }
    if (tm == 8) {
        if (u == 6) f *= -22.0f;
        if (u == 55) f *= -17.0f;
    }
    if (tm == 6) {
        int r = (u >= 7 && u <= 9) ? 1 : (u >= 13 && u <= 17) ? 2 : (u >= 32 && u <= 35) ? 3 : (u >= 50 && u <= 53) ? 4 : 0;
        const int hi = geom.nhyd(i);
        if (hi == 1 && geom.nnc(m) == 1 && geom.nnacyl(m) == 1) {
            const float v[5] = {1.0f, 0.7f, 0.8f, 1.05f, 1.6f};
            f *= v[r];
        } else if (hi == 1 && geom.nnc(m) == 1) {
            if (u == 17) f *= 1.04f;
            if (u == 35) f *= 1.19f;
            if (u == 53) f *= 1.47f;
        } else if (hi == 1 && geom.nnc(m) == 0) {
            if (u == 17) f *= 1.06f;
        } else if (hi == 1 && geom.nnc(m) == 2) {
            if (u == 17) f *= 1.2f;
            if (u == 35) f *= 1.38f;
            if (u == 53) f *= 1.89f;
        } else if (hi == 2 && geom.nnc(m) == 1) {
            if (u == 17) f *= 1.03f;
            if (u == 35) f *= 1.16f;
            if (u == 53) f *= 1.4f;
        } else if (hi == 2 && geom.nnacyl(m) == 1) {
            if (u == 9 || u == 17 || u == 35 || u == 53) f *= 0.85f;
        }
    }
    return f;
}

}  // namespace

// nhyd and nsring of every atom.
void prepareCharges()
{
    const int n = geom.natoms;
    for (int i = 1; i <= n; ++i) {
        int t = geom.itype(i);
        geom.nhyd(i) = 0;
        if ((t == 1 || t == 9) && geom.ibet(i, 1) > 0) {
            int same = 0;
            for (int k = 2; k <= geom.ibet(i, 1) + 1; ++k)
                same += geom.itype(geom.ibet(i, k)) == t;
            geom.nhyd(i) = 1 + same;
        } else if ((t == 6 || t == 7 || t == 8 || t == 16 || (t >= 55 && t <= 58)) && geom.ialf(i, 1) > 0) {
            for (int k = 2; k <= geom.ialf(i, 1) + 1; ++k)
                geom.nhyd(i) += geom.itype(geom.ialf(i, k)) == 1;
        }
    }
    for (int i = 1; i <= n; ++i) {
        geom.nsring(i) = 0;
        for (int ka = 2; ka <= geom.ialf(i, 1) + 1; ++ka) {
            int a = geom.ialf(i, ka);
            for (int kb = 2; kb <= geom.ialf(a, 1) + 1; ++kb) {
                int b = geom.ialf(a, kb);
                if (b != i && bonded(b, i))
                    geom.nsring(i) = 3;
            }
        }
    }
}

bool chargeDivisorsValid(std::string& why)
{
    // the divisors the charge iteration will use for this molecule
    if (huch.parx1 == 0.0f) {
        why = "THE PARAMETER PARX1 IS 0";
        return false;
    }
    for (int i = 1; i <= geom.natoms; ++i) {
        int t = geom.itype(i);
        if (t == 2)
            continue;
        for (int k = 1; k <= nbn(i); ++k) {
            int u = T(nb(i, k));
            if (F(t, u) == 0.0f) {
                why = "FACTOR(" + std::to_string(t) + "," + std::to_string(u) + ") OF A BOND IS 0";
                return false;
            }
        }
        int pair[2] = {0, 0};
        if (t == 55) pair[0] = 55, pair[1] = 1;
        if (t == 56) pair[0] = 56, pair[1] = 1;
        if (t == 59) pair[0] = 56, pair[1] = 59;
        if (pair[0] != 0 && F(pair[0], pair[1]) == 0.0f) {
            why = "FACTOR(" + std::to_string(pair[0]) + "," + std::to_string(pair[1]) + ") IS 0";
            return false;
        }
    }
    return true;
}

namespace {

// Up to 30 iterations of the sigma charges from the estimate in `posit`;
// true when they converged. Each moves an atom's estimate towards its new
// charge by 1 / (keep + 1), keep being 2 except for the atoms of the charge
// list, which keep `keepCharged`. The unparameterised paths are reported in
// the first iteration when `report` is set.
bool iterateCharges(float keepCharged, bool report)
{
    const int n = geom.natoms;
    static Vec<float, kMaxAtoms> keep;
    for (int i = 1; i <= n; ++i)
        keep(i) = 2.0f;
    for (int k = 1; k <= huch.nchat; ++k)
        keep(huch.ichat(k)) = keepCharged;
    auto EL = [](int t) { return huch.el(t); };
    auto POL = [](int t) { return huch.pol(t); };
    auto& q = geom.charge;
    bool converged = false;
    for (int it = 1; it <= 30 && !converged; ++it) {
        for (int i = 1; i <= n; ++i) {
            int t = T(i);
            q(i) = 0.0f;
            elec(i) = EL(t);
            polw(i) = POL(t) * ((cn(t) - posit(i)) * huch.parx2 + 1.0f);
            if (t == 1 && posit(i) > cn(1))
                polw(i) = POL(1) * std::exp(-10.0f * (posit(i) - cn(1)));
            if (polw(i) < 0.0f)
                polw(i) = 0.0f;
        }
        for (int k = 1; k <= huch.nchat; ++k) {
            int a = huch.ichat(k);
            q(a) = huch.chat(k);
            elec(a) = EL(T(a)) + 6.0f * posit(a);
        }
        for (int i = 1; i <= n; ++i) {
            if (T(i) == 2 || nbn(i) == 0)
                continue;
            for (int k = 1; k <= nbn(i); ++k) {
                int b = nb(i, k);
                float s = 0.5f * (elec(b) - elec(i)) / F(T(i), T(b));
                if (T(i) == 1 && T(b) == 6 && geom.nsring(b) == 3)
                    s *= 0.67f;
                q(i) += s;
                q(b) -= s;
            }
            for (int kb = 2; kb <= geom.ibet(i, 1) + 1; ++kb) {
                int b = geom.ibet(i, kb);
                for (int k = 1; k <= 4; ++k) {
                    int m = geom.ialf(i, k + 1);
                    if (m == 0 || !bonded(m, b))
                        continue;
                    float s = (elec(b) - EL(1)) * polw(i) / huch.parx1;
                    s *= betaFactor(i, m, b);
                    q(i) += s;
                    q(m) -= s;
                }
            }
            for (int kg = 2; kg <= geom.igam(i, 1) + 1; ++kg) {
                int g = geom.igam(i, kg);
                if (T(g) == 1)
                    continue;
                for (int ka = 1; ka <= nbn(i); ++ka) {
                    int a = nb(i, ka);
                    for (int kb = 1; kb <= nbn(a); ++kb) {
                        int b = nb(a, kb);
                        if (!bonded(b, g))
                            continue;
                        for (int kk = 1; kk <= nbn(b); ++kk) {
                            if (nb(b, kk) != g)
                                continue;
                            int tg = T(g);
                            float s = 0.0f;
                            if (T(i) != 1 || tg == 9 || tg == 17 || tg == 35 || tg == 53)
                                s = 0.005f * polw(i) * POL(tg);
                            if (T(i) == 1)
                                s = gammaRule(i, a, b, g, s);
                            int ta = T(a);
                            if (report && it == 1 && s == 0.0f && ta != 7 && ta != 8 && ta != 16 && ta != 57) {
                                writef(12, "(5X,'UNPARAMETRISED GSEF ATOM SEQUENCE',5X,4I3)", {i, a, b, g});
                                writef(12, "(25X,'ATOM TYPES',8X,4I3,/)", {T(i), ta, T(b), tg});
                            }
                            q(i) += s;
                            q(a) -= s;
                        }
                    }
                }
            }
        }
        float d = 0.0f;
        for (int i = 1; i <= n; ++i)
            d += std::fabs(q(i) - posit(i));
        d = n > 0 ? d / static_cast<float>(n) : 0.0f;
        for (int i = 1; i <= n; ++i)
            posit(i) = (keep(i) * posit(i) + q(i)) / (keep(i) + 1.0f);
        if (d < 1e-5f)
            converged = true;
    }
    return converged;
}

}  // namespace

void edens()
{
    const int n = geom.natoms;
    prepareCharges();
    auto EL = [](int t) { return huch.el(t); };
    for (int t = 1; t <= kTypes; ++t)
        cn(t) = (t == 2 || F(t, 6) == 0.0f) ? 0.0f : (EL(6) - EL(t)) / F(t, 6);
    cn(6) = -2.0f * cn(1);
    cn(7) *= 3.0f;
    cn(8) *= 2.0f;
    cn(14) = 2.0f * cn(1);
    cn(15) = 0.0f;
    cn(16) *= 2.0f;
    cn(34) *= 2.0f;
    cn(55) = F(55, 1) != 0.0f ? -2.0f * (EL(55) - EL(1)) / F(55, 1) : 0.0f;
    cn(56) = F(56, 1) != 0.0f ? -(EL(56) - EL(1)) / F(56, 1) : 0.0f;
    cn(57) *= 3.0f;
    cn(58) *= 3.0f;
    cn(59) = F(56, 59) != 0.0f ? (EL(56) - EL(59)) / F(56, 59) : 0.0f;
    cn(62) = 0.0f;

    // Each iteration moves the estimate a third of the way to the new
    // charges. A charged atom's electronegativity rises six times its
    // estimate, so on one bonded to atoms with small divisors (an ammonium
    // nitrogen with its hydrogens) the estimate swings wider each time and
    // never settles. Such a molecule is iterated again from the start with
    // the charged atoms' old estimates weighted more; it settles on the same
    // fixed point, only reached. A molecule that converges at once is
    // computed exactly as before.
    bool converged = false;
    for (float keepCharged : {2.0f, 8.0f, 32.0f}) {
        for (int i = 1; i <= n; ++i)
            posit(i) = cn(T(i));
        converged = iterateCharges(keepCharged, keepCharged == 2.0f);
        if (converged || huch.nchat == 0)
            break;
    }
    if (!converged)
        writef(12, "(/,5X,'CHARGES NOT CONVERGED',/)");
    auto& q = geom.charge;
    huckel();
    for (int i = 1; i <= n; ++i)
        if (T(i) != 2)
            q(i) += huch.piexs(i);
}

}  // namespace velmar
