// Hueckel matrix of the molecule, its division into pi systems, the
// iterated pi charges and the dipole moment.
#include "huckel.h"

#include <cmath>
#include <vector>

#include "geometry.h"
#include "neighbours.h"
#include "routines.h"
#include "units.h"

namespace velmar {

namespace {

int T(int a)
{
    return geom.itype(a);
}
using nbr::nbn;
using nbr::nb;
int arom(int a)
{
    return a >= 1 ? huch.iarom(a) : 0;  // a missing atom lies in no ring
}
float& H(int a, int b)
{
    return huch.hmat(a, b);
}
// Sets a symmetric pair (or a diagonal element); entries that concern a
// missing atom are skipped.
void set(int a, int b, float v)
{
    if (a < 1 || b < 1)
        return;
    huch.hmat(a, b) = v;
    huch.hmat(b, a) = v;
}
int lastOfType(int i, int t)
{
    int r = 0;
    for (int k = 1; k <= nbn(i); ++k)
        if (T(nb(i, k)) == t)
            r = nb(i, k);
    return r;
}
bool hasNeighbourOfType(int i, int t)
{
    return lastOfType(i, t) != 0;
}

Vec<int32_t, kMaxAtoms> nalc2;

}  // namespace

void matrix()
{
    const int n = geom.natoms;
    // 1. base
    for (int i = 1; i <= n; ++i) {
        int ti = T(i);
        H(i, i) = (ti >= 1 && ti <= kTable) ? -huch.ah(ti) : 0.0f;
        for (int k = 1; k <= nbn(i); ++k) {
            int j = nb(i, k), tj = T(j);
            H(i, j) = (ti >= 1 && tj >= 1 && ti <= kTable && tj <= kTable) ? -huch.ak(ti, tj) : 0.0f;
        }
    }
    // 2. long bond
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 55 || arom(i) >= 5 || geom.nnco(i) != 0)
            continue;
        for (int k = 1; k <= nbn(i); ++k) {
            int j = nb(i, k);
            if (T(j) == 55 && geom.nnco(j) == 0 && geom.dist(i, j) > 1.4f)
                H(i, i) = 0.043f;
        }
    }
    // 3. three fused six-rings
    int komona = 0, coSlots = 0;
    for (int a = 1; a <= geom.nring6; ++a)
        for (int b = a + 1; b <= geom.nring6; ++b)
            for (int p = 1; p <= 6; ++p)
                for (int q = 1; q <= 6; ++q)
                    komona += geom.iring6(a, p) == geom.iring6(b, q);
    for (int a = 1; a <= geom.nring6; ++a)
        for (int p = 1; p <= 6; ++p)
            coSlots += geom.nnco(geom.iring6(a, p)) > 0;
    if (geom.nring6 == 3 && komona == 4 && coSlots == 0)
        for (int i = 1; i <= n; ++i) {
            if (T(i) != 55 || arom(i) != 6)
                continue;
            int sum = 0;
            for (int k = 1; k <= nbn(i); ++k) {
                int a = nb(i, k);
                if (T(a) != 55 || arom(a) != 6 || geom.nhyd(a) != 0)
                    continue;
                for (int m = 1; m <= nbn(a); ++m)
                    sum += T(nb(a, m)) == 55 && arom(nb(a, m)) == 6;
            }
            if (sum == 6)
                for (int k = 1; k <= nbn(i); ++k) {
                    int a = nb(i, k);
                    if (T(a) == 55 && arom(a) == 6)
                        set(i, a, -1.2f);
                }
        }
    // 4. carbonyl carbon next to a three-connected carbon
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 55 || geom.nnco(i) != 1)
            continue;
        int a = lastOfType(i, 55);
        if (geom.nhyd(i) == 1)
            set(i, a, -0.8f);
        else if (geom.nhyd(i) == 0)
            set(i, a, -0.1f);
    }
    // 5. carboxyl groups
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 55 || geom.nnco(i) != 1)
            continue;
        int o = lastOfType(i, 8), d = lastOfType(i, 60), k = lastOfType(i, 55), l = 0;
        if (o == 0)
            continue;
        set(o, o, -0.3f);
        set(i, i, 0.3f);
        set(o, i, -0.7f);
        set(d, i, -1.9f);
        set(d, d, -0.1f);
        if (k != 0) {
            set(k, k, 0.0f);
            set(k, i, -1.2f);
            if (arom(k) < 5) {
                set(k, k, 0.05f);
                set(k, i, -1.9f);
                set(i, i, 0.15f);
                set(d, d, -0.4f);
            }
        }
        for (int m = 1; m <= nbn(o); ++m) {
            int x = nb(o, m);
            if (x == i || T(x) != 55)
                continue;
            l = x;
            if (geom.nnco(x) != 1)
                continue;
            if (arom(k) <= 4) {
                set(k, k, 1.15f);
                set(i, i, 0.9f);
                set(k, i, -1.9f);
                set(o, i, -1.2f);
                set(d, d, -0.1f);
                set(i, d, -0.7f);
            } else {
                set(k, k, -0.02f);
                set(i, i, 0.1f);
                set(k, i, -1.7f);
                set(o, i, -0.5f);
                set(d, d, -0.4f);
                set(i, d, -0.7f);
            }
        }
        if (arom(i) == 6 && l != 0) {
            set(l, l, -0.26f);
            set(o, l, -0.8f);
            set(o, o, -0.9f);
            set(i, o, -0.1f);
            set(i, i, 0.1f);
            set(k, k, 0.11f);
            set(d, d, -0.34f);
            set(i, d, -1.1f);
            set(k, i, -1.7f);
            if (geom.nring6 > 1 && komona > 1 && coSlots > 0) {
                set(l, l, -0.22f);
                set(o, l, -0.7f);
                set(o, o, -0.45f);
                set(i, o, -0.1f);
                set(i, i, -0.1f);
                set(k, k, -0.1f);
                set(d, d, -0.12f);
                set(i, d, -0.4f);
                set(k, i, -0.9f);
            }
        }
    }
    // 6. substituents on a three-connected carbon without carbonyl
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 55 || geom.nnco(i) != 0)
            continue;
        for (int m = 1; m <= nbn(i); ++m) {
            int a = nb(i, m), ta = T(a);
            if (ta == 8 && arom(a) < 5) {
                if (arom(i) == 6) {
                    set(a, a, -1.45f);
                    set(a, i, -0.9f);
                } else if (arom(i) < 5) {
                    set(a, a, -1.05f);
                    set(i, i, -0.104f);
                }
            } else if (ta == 8 && arom(a) == 5) {
                if (arom(i) == 5) {
                    set(i, i, -0.104f);
                } else if (arom(i) == 6) {
                    set(a, a, -1.223f);
                    set(i, i, 0.021f);
                }
            } else if (ta == 9) {
                if (arom(i) == 6)
                    set(a, i, geom.nnn58(i) == 1 ? -0.68f : -0.798f);
                else
                    set(i, i, -0.011f);
            } else if (arom(i) == 6 && ta == 17) {
                set(a, i, -0.578f);
                set(a, a, -1.0f);
                set(i, i, -0.18f);
            } else if (arom(i) == 6 && ta == 35) {
                set(a, i, -0.478f);
                set(a, a, -1.1f);
                set(i, i, -0.1f);
            } else if (arom(i) == 6 && ta == 53) {
                set(a, i, -0.417f);
                set(a, a, -1.3f);
                set(i, i, -0.06f);
            }
        }
    }
    // 7. sulfur and nitrogen substituents
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 55)
            continue;
        for (int m = 1; m <= nbn(i); ++m) {
            int a = nb(i, m), ta = T(a);
            if (ta == 16) {
                if (arom(i) == 6 && arom(a) < 5) {
                    set(a, a, -1.27f);
                    set(a, i, -0.66f);
                } else if (arom(i) < 5) {
                    set(a, a, -0.97f);
                    set(a, i, -0.4f);
                    set(i, i, -0.078f);
                } else if (arom(a) == 5) {
                    if (arom(i) == 5) {
                        set(i, i, -0.12f);
                    } else if (arom(i) == 6) {
                        set(a, a, -0.785f);
                        set(i, i, -0.05f);
                    }
                }
            } else if (ta == 57) {
                if (arom(a) == 5) {
                    if (arom(i) == 5) {
                        set(i, i, -0.16f);
                    } else if (arom(i) == 6) {
                        set(a, a, -1.496f);
                        set(i, i, -0.088f);
                    }
                }
                int c = 0;
                for (int q = 1; q <= nbn(a); ++q)
                    if (T(nb(a, q)) == 55 && geom.nnco(nb(a, q)) == 1)
                        c = nb(a, q);
                bool amide = c != 0;
                if (arom(a) == 6 && arom(i) == 6 && !amide) {
                    set(a, a, -2.0f);
                    set(i, i, -0.2f);
                }
                if (arom(i) > 4 && amide) {
                    if (arom(a) == 6) {
                        set(i, i, geom.nnco(i) == 1 ? 1.33f : -0.207f);
                        set(a, a, -1.683f);
                        set(c, a, -0.4f);
                    } else {
                        set(a, i, -0.7f);
                    }
                }
            } else if (ta == 58) {
                if (arom(a) == 5) {
                    set(a, a, -0.155f);
                } else if (arom(a) < 5) {
                    set(a, a, -0.1f);
                    if (arom(i) == 6)
                        set(a, i, -0.5f);
                }
            }
        }
    }
    // 8. N=N next to a planar nitrogen
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 57)
            continue;
        for (int m = 1; m <= nbn(i); ++m) {
            int a = nb(i, m);
            if (T(a) != 58)
                continue;
            for (int q = 1; q <= nbn(a); ++q) {
                int b = nb(a, q);
                if (b == i || T(b) != 58)
                    continue;
                set(i, i, -0.9f);
                set(a, a, -0.3f);
                set(b, b, -0.3f);
                set(b, a, -1.5f);
                set(a, i, -0.2f);
            }
        }
    }
    // 9. four-connected carbon neighbour
    for (int i = 1; i <= n; ++i) {
        if ((T(i) != 55 && T(i) != 56) || hasNeighbourOfType(i, 60) || hasNeighbourOfType(i, 61))
            continue;
        int c = 0;
        for (int m = 1; m <= nbn(i) && c == 0; ++m)
            if (T(nb(i, m)) == 6)
                c = nb(i, m);
        if (c == 0)
            continue;
        bool bridged = false;
        for (int m = 1; m <= nbn(c); ++m) {
            int x = nb(c, m);
            if (x != i && T(x) == 55 && (arom(x) == 6 || arom(i) == 6))
                bridged = true;
        }
        float q = geom.charge(c);
        if (bridged)
            H(i, i) += -0.01f - 0.2f * q;
        else if (arom(i) == 6)
            H(i, i) += 0.15f - 0.5f * q;
        else if (arom(i) == 5)
            H(i, i) += 0.1f - 0.3f * q;
        else
            H(i, i) += 0.06f - 0.13f * q;
    }
    // 10. nitro groups
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 57 || geom.nno(i) != 2)
            continue;
        set(i, i, -2.2f);
        for (int m = 1; m <= nbn(i); ++m) {
            int a = nb(i, m);
            if (T(a) == 60) {
                set(a, a, -0.63f);
                set(a, i, -1.1f);
            } else if (T(a) == 55) {
                set(a, i, arom(a) < 5 ? -0.8f : -1.2f);
            }
        }
    }
    // 11. quaternary nitrogen
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 7 || nbn(i) != 4)
            continue;
        H(i, i) = 0.0f;
        for (int m = 1; m <= nbn(i); ++m)
            set(i, nb(i, m), 0.0f);
    }
    // 12. sulfonyl groups
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 62)
            continue;
        int c60 = 0;
        for (int m = 1; m <= nbn(i); ++m)
            c60 += T(nb(i, m)) == 60;
        if (c60 <= 1)
            continue;
        H(i, i) = -0.25f;
        for (int m = 1; m <= nbn(i); ++m)
            if (T(nb(i, m)) == 60)
                set(i, nb(i, m), -0.3f);
    }
    // 13. three-connected nitrogens: their three-connected carbon neighbours
    for (int i = 1; i <= n; ++i) {
        nalc2(i) = 0;
        if (T(i) == 7 && nbn(i) == 3)
            for (int m = 1; m <= nbn(i); ++m)
                nalc2(i) += T(nb(i, m)) == 55;
    }
    // 14. twisted bonds
    auto excluded = [](int a) {
        return chtest(T(a)) || T(a) == 14 || T(a) == 62 || (T(a) == 7 && nbn(a) == 4);
    };
    auto endAtom = [](int i, int j) {
        int last = 0;
        for (int m = 1; m <= nbn(i); ++m) {
            int x = nb(i, m);
            if (x == j)
                continue;
            if (T(x) > 6)
                return x;
            last = x;
        }
        return last;
    };
    auto others = [](int i, int j, int& a4, int& a5) {
        a4 = a5 = 0;
        for (int k = 2; k <= 4; ++k) {
            int x = geom.ialf(i, k);
            if (x == j || x == 0)
                continue;
            if (a4 == 0)
                a4 = x;
            else if (a5 == 0)
                a5 = x;
        }
    };
    int changes = 0;
    for (int i = 2; i <= n; ++i)
        for (int j = 1; j < i; ++j) {
            if (excluded(i) || excluded(j) || !(H(j, i) < -0.01f))
                continue;
            int t1 = endAtom(i, j), t4 = endAtom(j, i);
            int q[4];
            float theta = 0.0f;
            int a4, a5;
            if (T(j) == 7 && nalc2(j) < 2) {
                others(j, i, a4, a5);
                if (t1 == 0 || a4 == 0 || a5 == 0)
                    continue;  // a missing neighbour: no angle
                dihedl(theta, t1, i, j, a4, a5, 1);
                q[0] = t1; q[1] = i; q[2] = j; q[3] = a4;
            } else if (T(i) == 7 && nalc2(i) < 2) {
                others(i, j, a4, a5);
                if (t4 == 0 || a4 == 0 || a5 == 0)
                    continue;
                dihedl(theta, t4, j, i, a4, a5, 1);
                q[0] = t4; q[1] = j; q[2] = i; q[3] = a4;
            } else {
                if (t1 == 0 || t4 == 0)
                    continue;
                dihedl(theta, t1, i, j, t4, 0, 0);
                q[0] = t1; q[1] = i; q[2] = j; q[3] = t4;
            }
            if (theta > geom.pi / 2.0f)
                theta = geom.pi - theta;
            if (theta < geom.pi / 36.0f)
                continue;
            float old = H(i, j);
            float now = old * std::cos(theta);
            if (cryst.OutputMode == 0) {
                if (changes == 0)
                    writef(12, "(1X,'NON-PLANAR PI SYSTEM FOUND THE FOLLOWING',' ALTERATIONS WILL BE MADE')");
                writef(12, "(1X,'DIHEDRAL ANGLE  ',I3,' -',I3,' -',I3,' -',I3,' = ',F7.2,'  HUCKEL ELEMENT(',I3,"
                           "',',I3,')',' CHANGED FROM',F6.2,'  TO',F6.2)",
                       {q[0], q[1], q[2], q[3], theta * 180.0f / geom.pi, i, j, old, now});
            }
            ++changes;
            H(i, j) = now;
            H(j, i) = H(i, j);
        }
    if (cryst.OutputMode == 0 && changes > 0)
        writef(12, "(1X,'TOTAL NUMBER OF CHANGES =',I5)", {changes});
}

namespace {

BigMat amat, pidens, co;
Vec<float, kMaxAtoms> en, pop, oldam;
Vec<int32_t, kMaxAtoms> label, done;

int nopiel(int t)
{
    switch (t) {
    case 7: case 8: case 9: case 16: case 17: case 34: case 35: case 53: case 57:
        return 2;
    case 55: case 56: case 58: case 59: case 60: case 61: case 62:
        return 1;
    default:
        return 0;
    }
}

}  // namespace

void divide(BigMat& am, Vec<int32_t, kMaxAtoms>& lab, int& newnat, int nsect, int& end)
{
    const int n = geom.natoms;
    end = 0;
    if (nsect == 1)
        for (int a = 1; a <= n; ++a)
            done(a) = 0;
    for (;;) {
        int a = 0;
        for (int x = 1; x <= n && a == 0; ++x)
            if (done(x) == 0)
                a = x;
        if (a == 0) {
            end = 1;
            return;
        }
        lab(1) = a;
        newnat = 1;
        bool seedOnly = false;
        for (;;) {
            int before = newnat;
            for (int p = 1; p <= before; ++p) {
                int x = lab(p);
                if (done(x))
                    continue;
                for (int k = 1; k <= nbn(x); ++k) {
                    int y = nb(x, k);
                    if (done(y) || !(huch.hmat(x, y) < -0.01f))
                        continue;
                    bool listed = false;
                    for (int q = 1; q <= newnat && !listed; ++q)
                        listed = lab(q) == y;
                    if (!listed)
                        lab(++newnat) = y;
                }
                done(x) = 1;
            }
            if (newnat == 1 && (huch.hmat(a, a) > -0.01f || huch.nchat == 0)) {
                seedOnly = true;
                break;
            }
            if (newnat == before)
                break;
        }
        if (seedOnly)
            continue;
        break;
    }
    for (int p = 1; p <= newnat; ++p)
        for (int q = 1; q <= newnat; ++q)
            am(p, q) = huch.hmat(lab(p), lab(q));
    huch.npiel = 0;
    for (int p = 1; p <= newnat; ++p) {
        huch.pielec(p) = static_cast<float>(nopiel(T(lab(p))));
        huch.npiel += nopiel(T(lab(p)));
    }
    for (int p = 1; p <= newnat; ++p)
        if (T(lab(p)) == 7 && nbn(lab(p)) == 4) {
            huch.npiel -= 2;
            huch.pielec(p) = 0.0f;
        }
    if (huch.npiel <= 0) {
        end = 1;
        return;
    }
    for (int p = 1; p <= newnat; ++p) {
        int c = lab(p);
        if (T(c) != 55)
            continue;
        int ox[4], no = 0;
        for (int k = 1; k <= nbn(c); ++k)
            if (T(nb(c, k)) == 60)
                ox[no++] = nb(c, k);
        if (no != 2)
            continue;
        for (int m = 0; m < 2; ++m)
            for (int q = 1; q <= newnat; ++q)
                if (lab(q) == ox[m])
                    huch.pielec(q) += 0.5f;
        huch.npiel += 1;
    }
}

bool matdia(const BigMat& a, Vec<float, kMaxAtoms>& d, BigMat& z, int n, int maxSweeps)
{
    static Vec<float, kMaxAtoms> e;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= i; ++j)
            z(i, j) = a(i, j);
    for (int i = n; i >= 2; --i) {
        const float tol = 2.0e-36f;
        int l = i - 2;
        float f = z(i, i - 1), g = 0.0f;
        for (int k = 1; k <= l; ++k)
            g += z(i, k) * z(i, k);
        float h = g + f * f;
        if (g <= tol) {
            e(i) = f;
            h = 0.0f;
        } else {
            ++l;
            g = f >= 0.0f ? -std::sqrt(h) : std::sqrt(h);
            e(i) = g;
            h = h - f * g;
            z(i, i - 1) = f - g;
            f = 0.0f;
            for (int j = 1; j <= l; ++j) {
                z(j, i) = z(i, j) / h;
                g = 0.0f;
                for (int k = 1; k <= j; ++k)
                    g += z(j, k) * z(i, k);
                for (int k = j + 1; k <= l; ++k)
                    g += z(k, j) * z(i, k);
                e(j) = g / h;
                f += g * z(j, i);
            }
            float hh = f / (h + h);
            for (int j = 1; j <= l; ++j) {
                f = z(i, j);
                g = e(j) - hh * f;
                e(j) = g;
                for (int k = 1; k <= j; ++k)
                    z(j, k) = z(j, k) - f * e(k) - g * z(i, k);
            }
        }
        d(i) = h;
    }
    d(1) = 0.0f;
    e(1) = 0.0f;
    for (int i = 1; i <= n; ++i) {
        int l = i - 1;
        if (d(i) != 0.0f)
            for (int j = 1; j <= l; ++j) {
                float g = 0.0f;
                for (int k = 1; k <= l; ++k)
                    g += z(i, k) * z(k, j);
                for (int k = 1; k <= l; ++k)
                    z(k, j) = z(k, j) - g * z(k, i);
            }
        d(i) = z(i, i);
        z(i, i) = 1.0f;
        for (int j = 1; j <= l; ++j) {
            z(i, j) = 0.0f;
            z(j, i) = 0.0f;
        }
    }
    // QL with implicit shifts
    const float macheps = 2.0e-8f;
    for (int i = 2; i <= n; ++i)
        e(i - 1) = e(i);
    e(n) = 0.0f;
    float f = 0.0f, b = 0.0f;
    bool converged = true;
    for (int l = 1; l <= n; ++l) {
        float s = macheps * (std::fabs(d(l)) + std::fabs(e(l)));
        if (b < s)
            b = s;
        int m = l;
        while (m < n && !(std::fabs(e(m)) <= b))
            ++m;
        if (m != l) {
            int iter = 0;
            do {
                if (++iter > maxSweeps) {
                    converged = false;
                    break;
                }
                float g = d(l);
                float p = d(l + 1) - g;
                float r;
                if (std::fabs(p) < std::fabs(e(l))) {
                    p = p / (2.0f * e(l));
                    r = std::sqrt(p * p + 1.0f);
                    d(l) = p < 0.0f ? e(l) / (p - r) : e(l) / (p + r);
                } else {
                    p = 2.0f * e(l) / p;
                    r = std::sqrt(p * p + 1.0f);
                    d(l) = e(l) * p / (r + 1.0f);
                }
                float h = g - d(l);
                for (int k = l + 1; k <= n; ++k)
                    d(k) -= h;
                f += h;
                p = d(m);
                float c = 1.0f, sn = 0.0f;
                for (int i = m - 1; i >= l; --i) {
                    g = c * e(i);
                    h = c * p;
                    if (std::fabs(e(i)) <= std::fabs(p)) {
                        c = e(i) / p;
                        r = std::sqrt(c * c + 1.0f);
                        e(i + 1) = sn * p * r;
                        sn = c / r;
                        c = 1.0f / r;
                    } else {
                        c = p / e(i);
                        r = std::sqrt(c * c + 1.0f);
                        e(i + 1) = sn * e(i) * r;
                        sn = 1.0f / r;
                        c = c / r;
                    }
                    p = c * d(i) - sn * g;
                    d(i + 1) = h + sn * (c * g + sn * d(i));
                    for (int k = 1; k <= n; ++k) {
                        h = z(k, i + 1);
                        z(k, i + 1) = sn * z(k, i) + c * h;
                        z(k, i) = c * z(k, i) - sn * h;
                    }
                }
                e(l) = sn * p;
                d(l) = c * p;
            } while (std::fabs(e(l)) > b);
        }
        d(l) = d(l) + f;
    }
    for (int i = 1; i <= n; ++i) {
        int k = i;
        float p = d(i);
        for (int j = i + 1; j <= n; ++j)
            if (d(j) < p) {
                k = j;
                p = d(j);
            }
        if (k != i) {
            d(k) = d(i);
            d(i) = p;
            for (int j = 1; j <= n; ++j) {
                float t = z(j, i);
                z(j, i) = z(j, k);
                z(j, k) = t;
            }
        }
    }
    return converged;
}

void huckel()
{
    const int n = geom.natoms;
    for (int p = 1; p <= n; ++p) {
        oldam(p) = 0.0f;
        for (int q = 1; q <= n; ++q) {
            amat(p, q) = 0.0f;
            pidens(p, q) = 0.0f;
        }
    }
    matrix();
    for (int nsect = 1; nsect <= n; ++nsect) {
        int newnat = 0, end = 0;
        divide(amat, label, newnat, nsect, end);
        if (end == 1)
            continue;
        if (cryst.OutputMode == 0) {
            std::vector<OutItem> items = {nsect, newnat, huch.npiel};
            for (int p = 1; p <= newnat; ++p)
                items.emplace_back(label(p));
            writef(12, "(1X,18HAROMATIC SYSTEM No,I3,3X,I3,10H ATOMS AND,I3,10H ELECTRONS,2X,7HATOM No,20I3,/,"
                       "1X,20I3,/,1X,20I3)",
                   items);
        }
        bool fiveRing = true, anyFive = false;
        for (int p = 1; p <= newnat; ++p) {
            fiveRing = fiveRing && T(label(p)) == 55;
            anyFive = anyFive || huch.iarom(label(p)) == 5;
        }
        fiveRing = fiveRing && anyFive;
        if (fiveRing)
            for (int p = 1; p <= newnat; ++p) {
                int j = label(p);
                huch.hmat(j, j) += 8.8f * geom.charge(j);
                amat(p, p) = huch.hmat(j, j);
            }
        const float cut = 0.2f, omega = 1.4f;
        bool converged = false;
        for (int it = 1; it <= 100 && !converged; ++it) {
            for (int p = 1; p <= newnat; ++p) {
                int j = label(p);
                float px = huch.piexs(j);
                if (!fiveRing) {
                    if (std::fabs(px) > cut) {
                        float s = px >= 0.0f ? 1.0f : -1.0f;
                        float temp = huch.hmat(j, j) - (px - s * cut) * omega;
                        amat(p, p) = (2.0f * oldam(p) + temp) / 3.0f;
                    }
                } else if (std::fabs(px) > 0.01f) {
                    float temp = huch.hmat(j, j) - 6.0f * px;
                    amat(p, p) = (4.0f * oldam(p) + temp) / 5.0f;
                }
            }
            if (!matdia(amat, en, co, newnat)) {
                writef(12, "(/,1X,'EIGENVALUES NOT CONVERGED, PI SYSTEM',I4,' KEEPS ITS LAST PI CHARGES',/)",
                       {nsect});
                break;
            }
            int m = newnat, ne = huch.npiel, occ;
            for (int k = 1; k <= m; ++k)
                pop(k) = 0.0f;
            if (ne >= 2 * m) {
                for (int k = 1; k <= m; ++k)
                    pop(k) = 2.0f;
                occ = m;
            } else if (ne % 2 == 0) {
                int h = ne / 2;
                for (int k = 1; k <= h - 1; ++k)
                    pop(k) = 2.0f;
                if (std::fabs(en(h) - en(h + 1)) < 1.0e-5f) {
                    pop(h) = 1.0f;
                    pop(h + 1) = 1.0f;
                } else {
                    pop(h) = 2.0f;
                }
                occ = h + 1;
            } else {
                int h = (ne - 1) / 2;
                for (int k = 1; k <= h; ++k)
                    pop(k) = 2.0f;
                pop(h + 1) = 1.0f;
                occ = h + 1;
            }
            for (int p = 1; p <= m; ++p)
                for (int q = p; q <= m; ++q) {
                    float s = 0.0f;
                    for (int k = 1; k <= occ; ++k)
                        s += co(p, k) * co(q, k) * pop(k);
                    pidens(p, q) = -s;
                    pidens(q, p) = -s;
                }
            float sum = 0.0f;
            for (int p = 1; p <= m; ++p) {
                int j = label(p);
                huch.piexs(j) = pidens(p, p) + huch.pielec(p);
                float dd = amat(p, p) - oldam(p);
                sum += dd * dd;
                oldam(p) = amat(p, p);
            }
            if (std::sqrt(sum / static_cast<float>(m)) < 0.0005f)
                converged = true;
            else if (it == 100)
                writef(12, "(/,1X,24HPI CHARGES NOT CONVERGED,/)");
        }
    }
}

void dipole()
{
    const int n = geom.natoms;
    float o[3] = {0, 0, 0}, w = 0.0f;
    for (int i = 1; i <= n; ++i) {
        float q = std::fabs(geom.charge(i));
        w += q;
        for (int k = 0; k < 3; ++k)
            o[k] += q * geom.xyz(i, k + 1);
    }
    for (float& x : o)
        x = w > 0.0f ? x / w : 0.0f;  // no charges: the origin
    float dp[3] = {0, 0, 0};
    for (int i = 1; i <= n; ++i)
        for (int k = 0; k < 3; ++k)
            dp[k] += (geom.xyz(i, k + 1) - o[k]) * geom.charge(i) * 4.8f;
    huch.dipx = dp[0];
    huch.dipy = dp[1];
    huch.dipz = dp[2];
    huch.dipm = std::sqrt(dp[0] * dp[0] + dp[1] * dp[1] + dp[2] * dp[2]);
}

}  // namespace velmar
