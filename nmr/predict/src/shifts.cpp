// Proton shifts: base value from the charge, pi terms, increments of the
// bonded atom, and the through-space terms of every other atom (steric,
// anisotropy, electric field), then shared steric corrections, the DMSO
// increments and the averaging of equivalent protons.
#include <cmath>
#include <vector>

#include "common.h"
#include "geometry.h"
#include "neighbours.h"
#include "routines.h"
#include "units.h"

namespace velmar {

void dmso();

namespace {

using nbr::T;
using nbr::nbn;
using nbr::nb;
using nbr::bonded;
using nbr::inBeta;
using nbr::inGamma;

struct V3 {
    float x[3];
};
V3 X(int a)
{
    return {{geom.xyz(a, 1), geom.xyz(a, 2), geom.xyz(a, 3)}};
}
V3 sub(const V3& a, const V3& b)
{
    return {{a.x[0] - b.x[0], a.x[1] - b.x[1], a.x[2] - b.x[2]}};
}
V3 add(const V3& a, const V3& b)
{
    return {{a.x[0] + b.x[0], a.x[1] + b.x[1], a.x[2] + b.x[2]}};
}
V3 scale(const V3& a, float f)
{
    return {{a.x[0] * f, a.x[1] * f, a.x[2] * f}};
}
float dot(const V3& a, const V3& b)
{
    float s;
    sclprd(a.x, b.x, s);
    return s;
}
float len(const V3& a)
{
    float r;
    mag(r, a.x);
    return r;
}
V3 unit(const V3& a)
{
    V3 u;
    univec(u.x, a.x);
    return u;
}
V3 cross(const V3& a, const V3& b)
{
    V3 c;
    vecprd(c.x, a.x, b.x);
    return c;
}
// |F| times the cosine of F with u; a zero field gives 0.
float along(const V3& F, const V3& u)
{
    float m = len(F);
    return m > 0.0f ? m * dot(u, unit(F)) : 0.0f;
}

const float E = 4.8f * 4.08f * 0.9f;

// work arrays of the shift calculation
Vec<float, kMaxAtoms> pashif, pbshif, pshift, temph, tempc, tempcl, tempbr, tempi, tempn, tempo, stersh;
Vec<float, kMaxAtoms> colHster, colCster, colXoster, colXster, colCc, colCanis, colXanis, colXoanis, colChef,
    colCxef;

struct Sums {
    float hshift, cshift, shifxo, shifo, shifn, shifs, shifse, clshif, brshif, shifi, ccshif, ctshif;
    float canis, ccanis, ctanis, nanis, nnanis, clanis, branis, cianis, csanis, coanis, noanis, soanis;
    float elech, elecx;
    bool ester;
    int ring1, ring2;
};

void tripleBond(int h, int p, Sums& s)
{
    if (T(p) != 56)
        return;
    int c = 0;
    for (int k = 1; k <= nbn(p); ++k)
        if (T(nb(p, k)) == 56 && geom.dist(p, nb(p, k)) < 1.4f)
            c = nb(p, k);
    if (c == 0)
        return;
    V3 r = sub(X(p), X(c)), sv = sub(X(h), X(p));
    float k = dot(unit(r), unit(sv));
    float D = geom.dist(h, p);
    s.ctanis -= 9.18f * (3.0f * k * k - 1.0f) / (3.0f * D * D * D);
}

void amideEster(int h, int p, Sums& s)
{
    if (T(p) != 57 && T(p) != 8)
        return;
    int c = 0;
    for (int k = 1; k <= nbn(p); ++k)
        if (T(nb(p, k)) == 55 && geom.nnco(nb(p, k)) == 1)
            c = nb(p, k);
    if (T(p) == 8 && c != 0)
        s.ester = true;
    if (c == 0 || bonded(h, c) || inBeta(h, c))
        return;
    int o = 0;
    for (int k = 2; k <= geom.ibet(p, 1) + 1; ++k) {
        int x = geom.ibet(p, k);
        if (T(x) == 60 && bonded(c, x))
            o = x;
    }
    if (o == 0)
        return;  // no carbonyl oxygen: no term
    bool pBeta = inBeta(h, p);
    if (T(p) == 57 && !pBeta) {
        V3 r = sub(X(c), X(p)), sv = sub(X(h), X(p)), t = sub(X(o), X(p));
        V3 n = unit(cross(unit(r), unit(t)));
        float k = dot(n, unit(sv));
        float D = geom.dist(h, p);
        s.nanis -= 9.8f * (3.0f * k * k - 1.0f) / (3.0f * D * D * D);
    }
    V3 r = sub(X(p), X(h)), ra = sub(X(c), X(h)), rb = sub(X(o), X(h));
    float qo, qx;
    if (T(p) == 57) {
        qo = geom.charge(o);
        qx = huch.piexs(p);
    } else {
        qo = 0.75f * geom.charge(o);
        qx = 0.75f * geom.charge(p);
    }
    float dp = geom.dist(h, p), dc = geom.dist(h, c), dob = geom.dist(h, o);
    V3 F1 = sub(scale(r, qx / (dp * dp * dp)), scale(ra, qx / (dc * dc * dc)));
    V3 F2 = sub(scale(rb, qo / (dob * dob * dob)), scale(ra, qo / (dc * dc * dc)));
    if (nbn(h) == 0)
        return;
    V3 u = unit(sub(X(nb(h, 1)), X(h)));
    float field = pBeta ? along(F2, u) * E : (along(F2, u) + along(F1, u)) * E;
    s.elecx += field;
}

void fiveRingBonds(int h, int p, Sums& s)
{
    if ((T(p) != 6 && T(p) != 55) || nbn(p) == 0)
        return;
    for (int ka = 1; ka <= nbn(p); ++ka) {
        int a = nb(p, ka);
        if (T(a) != 6 && T(a) != 55)
            continue;
        if (T(p) == 55 && T(a) == 55)
            continue;
        if (inBeta(h, a) || a >= p)
            continue;
        bool done = false;
        for (int kc = 1; kc <= nbn(p) && !done; ++kc) {
            int c = nb(p, kc);
            if (c == a || T(c) != 6)
                continue;
            for (int kb = 1; kb <= nbn(a) && !done; ++kb) {
                int b = nb(a, kb);
                if (b == p || T(b) != 6 || b == c)
                    continue;
                if (std::cos(dihed(c, p, a, b)) < 0.98f)
                    continue;
                int cand = 0, e = 0;
                bool four = false;
                for (int kx = 1; kx <= nbn(b); ++kx) {
                    int x = nb(b, kx);
                    if (x == c) {
                        four = true;
                        break;
                    }
                    if (x != a)
                        cand = x;
                    if (cand != 0 && bonded(c, cand))
                        e = cand;
                }
                if (four)
                    continue;
                if (geom.nhyd(h) != 3 && e != 0 && T(e) == 6) {
                    V3 m1 = scale(add(X(p), X(a)), 0.5f), m2 = scale(add(X(c), X(b)), 0.5f);
                    V3 r = sub(X(p), m1), sv = sub(X(h), m1), t = sub(m2, m1);
                    V3 w = cross(unit(r), unit(t));
                    float k = dot(w, unit(sv));
                    float D2 = dot(sub(X(h), m1), sub(X(h), m1));
                    float D = std::sqrt(D2);
                    s.canis += -11.0f * k * k / (D2 * D);
                    done = true;
                }
            }
        }
    }
}

void doubleBond(int h, int p, Sums& s)
{
    if (!(T(p) == 55 || (T(p) == 58 && huch.iarom(p) < 5)))
        return;
    int a = 0;
    for (int k = 1; k <= nbn(p); ++k) {
        int x = nb(p, k);
        if (T(x) == 55 && huch.iarom(x) < 5 && geom.dist(p, x) < 1.4f)
            a = x;
    }
    if (a == 0 || inBeta(h, a) || (T(p) == 55 && T(a) == 55 && a > p))
        return;
    int o = 0;
    for (int k = 2; k <= geom.ibet(p, 1) + 1; ++k)
        if (bonded(a, geom.ibet(p, k)))
            o = geom.ibet(p, k);
    if (o == 0)
        return;
    auto lastOther = [](int x, int not1, int t) {
        int r = 0;
        for (int k = 1; k <= nbn(x); ++k)
            if (nb(x, k) != not1 && T(nb(x, k)) == t)
                r = nb(x, k);
        return r;
    };
    int j1 = lastOther(p, a, 55), j2 = j1 ? lastOther(j1, p, 55) : 0;
    int k1 = lastOther(a, p, 55), k2 = k1 ? lastOther(k1, a, 55) : 0;
    float sk = (k1 && k2) ? std::sin(dihed(p, a, k1, k2)) : 0.0f;
    float sj = (j1 && j2) ? std::sin(dihed(a, p, j1, j2)) : 0.0f;
    V3 m = scale(add(X(p), X(a)), 0.5f);
    V3 r = sub(X(p), m), sv = sub(X(h), m), t = sub(X(o), m);
    float D = len(sub(X(h), m));
    V3 n = unit(cross(unit(r), unit(t)));
    float k = dot(n, unit(sv));
    float P = (3.0f * k * k - 1.0f) / (3.0f * D * D * D);
    float w = 1.0f;
    if (j2 && !k2) w = sj * sj;
    if (k2 && !j2) w = sk * sk;
    if (j2 && k2) w = sj * sj * sk * sk;
    s.ccanis -= 31.21f * P * w;
    s.ccshif += 78.36f * (D * k) * (D * k) * std::exp(-D * D);
}

void remoteAnisotropy(int h, int p, Sums& s)
{
    const int tp = T(p);
    if (tp == 7) {
        for (int k = 1; k <= nbn(p); ++k)
            if (T(nb(p, k)) == 7) {
                float d = geom.dist(h, p);
                s.nnanis += 10.0f / (d * d * d);
                break;
            }
    }
    if ((tp == 17 || tp == 35 || tp == 53) && nbn(p) > 0) {
        int a = nb(p, 1);
        V3 r = sub(X(h), X(p)), sv = sub(X(p), X(a));
        float k = dot(unit(r), unit(sv));
        float delta = tp == 17 ? 0.5f : tp == 35 ? 1.0f : 1.2f;
        float R = geom.dist(p, h);
        float sn = std::sqrt(std::fabs(1.0f - k * k));
        float Ra = std::sqrt(delta * delta + R * R - 2.0f * R * delta * sn);
        float Rb = std::sqrt(2.0f * R * delta * sn + delta * delta + R * R);
        float Rc = std::sqrt(R * R + delta * delta);
        auto Gx = [&](float Rx) {
            float c = R * k / Rx;
            return (1.0f - 3.0f * c * c) / (3.0f * Rx * Rx * Rx);
        };
        float G = (2.0f * Gx(Rc) + Gx(Ra) + Gx(Rb)) / 4.0f;
        if (tp == 17) s.clanis += 12.0f * G;
        if (tp == 35) s.branis += 17.0f * G;
        if (tp == 53) s.cianis += 22.0f * G;
    }
    if (geom.nsring(p) == 3 && p != s.ring1 && p != s.ring2) {
        int r1 = 0, s1 = 0;
        for (int k = 1; k <= nbn(p); ++k)
            if (geom.nsring(nb(p, k)) == 3)
                r1 = nb(p, k);
        for (int k = 1; k <= nbn(p); ++k)
            if (geom.nsring(nb(p, k)) == 3 && nb(p, k) != r1)
                s1 = nb(p, k);
        s.ring1 = r1;
        s.ring2 = s1;
        if (r1 != 0 && s1 != 0) {
            V3 m = scale(add(add(X(p), X(r1)), X(s1)), 1.0f / 3.0f);
            V3 r = sub(m, X(h)), sv = sub(m, X(p)), t = sub(m, X(r1));
            V3 n = unit(cross(unit(sv), unit(t)));
            float k = dot(n, unit(r));
            float D2 = dot(sub(X(h), m), sub(X(h), m));
            float D = std::sqrt(D2);
            float G = (1.0f - 3.0f * k * k) / (3.0f * D2 * D);
            if (tp == 6 && T(r1) == 6 && T(s1) == 6)
                s.canis += 20.0f * G;
        }
    }
    if ((tp == 60 || tp == 61) && nbn(p) > 0) {
        int x = nb(p, 1);
        int tx = T(x);
        if (tx != 55 && tx != 57 && tx != 62)
            return;
        int nbeta = geom.ibet(p, 1);
        int b1 = nbeta >= 1 ? geom.ibet(p, 2) : 0, b2 = nbeta >= 2 ? geom.ibet(p, 3) : 0;
        int t1 = T(b1), t2 = T(b2);  // a missing substituent has no type
        V3 cs = {{0, 0, 0}};
        bool ring = false;
        if (tx == 62) {
            for (int k = 2; k <= 4 && k <= nbeta + 1; ++k) {
                int y = geom.ibet(p, k);
                if (y != 0 && T(y) != 1 && T(y) != 60)
                    cs = add(cs, X(y));
            }
            cs = scale(cs, 0.5f);
        } else if (b1 == 0) {
            return;  // no substituent to orient the group
        }
        if (tx == 55 && b1 != 0 && b2 != 0)
            for (int k = 1; k <= nbn(b1); ++k) {
                int y = nb(b1, k);
                if (y != x && bonded(b2, y))
                    ring = true;
            }
        V3 m = scale(add(X(x), X(p)), 0.5f);
        V3 r = sub(m, X(p)), sv = sub(m, X(h)), t = tx == 62 ? sub(m, cs) : sub(m, X(b1));
        float kpar = dot(unit(r), unit(sv));
        V3 n = unit(cross(unit(r), unit(t)));
        float kperp = tx == 62 ? dot(unit(cross(n, unit(r))), unit(sv)) : dot(n, unit(sv));
        float D2 = dot(sub(X(h), m), sub(X(h), m));
        float D3 = D2 * std::sqrt(D2);
        float Ppar = (3.0f * kpar * kpar - 1.0f) / (3.0f * D3);
        float Pperp = (3.0f * kperp * kperp - 1.0f) / (3.0f * D3);
        float d = geom.dist(h, p);
        float r6 = 1.0f / (d * d * d * d * d * d);
        if (tp == 61) {
            s.csanis += 15.0f * Ppar - 40.0f * Pperp;
            return;
        }
        auto either = [&](int u, int v) { return (t1 == u && t2 == v) || (t1 == v && t2 == u); };
        auto oneOf = [&](int u) { return t1 == u || t2 == u; };
        if (tx == 55) {
            if ((t1 == 1 || t1 == 6) && (t2 == 1 || t2 == 6)) {
                s.coanis += 21.34f * Ppar - 12.41f * Pperp;
                if (ring)
                    s.coanis = s.coanis / 3.0f;
                s.shifxo += 60.56f * r6;
            } else if (either(57, 55)) {
                s.coanis += 10.49f * Ppar - 7.33f * Pperp;
                s.shifxo += 62.42f * r6;
            } else if (oneOf(57)) {
                s.coanis += 11.26f * Ppar - 23.55f * Pperp;
                s.shifxo += 85.97f * r6;
            } else if (oneOf(8)) {
                s.coanis += 10.05f * Ppar - 17.11f * Pperp;
                s.shifxo += (d > 2.05f ? 85.0f : 85.0f - (2.05f - d) * 100.0f) * r6;
            } else if (oneOf(55)) {
                s.coanis += 6.36f * Ppar - 11.88f * Pperp;
                s.shifxo += 38.4f * r6;
            } else {
                s.coanis += 7.8f * Ppar - 11.7f * Pperp;
                s.shifxo += 67.86f * r6;
            }
        } else if (tx == 57) {
            s.noanis += 2.5f * Ppar - 3.4f * Pperp;
            s.shifxo += 24.0f * r6;
        } else {
            if (geom.nno(x) == 1 && t1 == 6 && t2 == 6)
                s.soanis += 6.647f * Pperp - 10.74f * Ppar;
            else
                s.soanis += 1.337f * Pperp - 2.141f * Ppar;
            s.shifxo += 36.134f * r6;
        }
        if (d <= 2.05f && nbn(h) > 0) {
            float phi = dihed(nb(h, 1), h, p, x);
            s.shifxo += (2.05f - d) * 7.8f * std::cos(phi) * std::cos(phi);
        }
    }
}

void electricField(int h, int p, Sums& s)
{
    const int tp = T(p);
    if (tp == 6 || tp == 55 || tp == 56 || nbn(p) == 0 || nbn(h) == 0)
        return;
    int n = nb(h, nbn(h)), a = nb(p, 1), A = T(a);
    float q = geom.charge(p), d = geom.dist(h, p);
    V3 u = unit(sub(X(n), X(h)));
    float field = 0.0f, fq = 0.0f;
    if (nbn(p) == 1) {
        bool ok = A == 6 || A == 55 || A == 56 || A == 8 || A == 57 || A == 62;
        if (tp == 1 && (A == 57 || A == 8)) ok = false;
        if (tp == 1 && T(n) == 8 && cryst.Solvent == 2) ok = false;
        if (tp == 60 && A == 55) {
            for (int k = 1; k <= nbn(a); ++k)
                if (T(nb(a, k)) == 57 || T(nb(a, k)) == 8)
                    ok = false;
        }
        if (tp == 1 && d > 6.0f) ok = false;
        if (ok) {
            V3 r = sub(X(p), X(h)), ra = sub(X(a), X(h));
            if (tp == 60 && A == 62) {
                r = sub(add(scale(X(p), 0.9f), scale(X(a), 0.1f)), X(h));
                ra = sub(add(scale(X(p), 0.1f), scale(X(a), 0.9f)), X(h));
            }
            if (tp == 9)
                fq = (19.584f * q) * (19.584f * q) / (d * d * d * d * d * d);
            float lr = len(r), la = len(ra);
            V3 F = sub(scale(r, q / (lr * lr * lr)), scale(ra, q / (la * la * la)));
            field = along(F, u) * E;
        }
    } else if (nbn(p) == 2) {
        int b = nb(p, 2), B = T(b);
        bool ok = !s.ester && A != 1;
        if (tp == 8 && cryst.Solvent > 0 && (A == 1 || B == 1)) ok = false;
        if (B == 1 && !(tp == 8 && d <= 2.5f)) ok = false;
        if (ok) {
            V3 r = sub(X(p), X(h));
            float lr = len(r);
            V3 F;
            if (tp == 8 && T(n) == 8 && d <= 2.5f) {
                F = scale(r, q / (lr * lr * lr));
            } else {
                V3 rc = sub(scale(add(X(a), X(b)), 0.5f), X(h));
                float lc = len(rc);
                F = sub(scale(r, q / (lr * lr * lr)), scale(rc, q / (lc * lc * lc)));
            }
            field = along(F, u) * E;
        }
    }
    if (tp == 1)
        s.elech += field;
    else
        s.elecx += field + fq;
}

void steric(int h, int p, Sums& s)
{
    const float d = geom.dist(h, p);
    const int nbh = nbn(h) > 0 ? nb(h, 1) : 0;
    const int B = T(nbh);
    const int tp = T(p);
    const int pa = nbn(p) > 0 ? nb(p, 1) : 0;
    const int A = T(pa);
    if (d > 6.0f || (B == 55 && tp == 6) || (B == 8 && cryst.Solvent == 2) || d <= 0.0f)
        return;
    const float r6 = 1.0f / (d * d * d * d * d * d);
    const int hh = geom.nhyd(h);
    if (tp == 1 && pa != 0) {
        if (A == 55 && B == 55) s.hshift += 26.09f * r6;
        if (A == 6 && B == 55) s.hshift += 5.34f * r6;
        if (A == 55 && B == 6) s.hshift += -23.1f * r6;
        if (A == 6 && B == 56) s.hshift += 46.56f * r6;
        if (A == 57 && (B == 6 || B == 55)) {
            if (hh == 3) s.hshift += -10.0f * r6;
            if (hh < 3) s.hshift += -31.23f * r6;
        }
        if (A == 8 && B == 55) s.hshift += -10.0f * r6;
        if (A == 8 && B == 8) s.hshift += -37.04f * r6;
        if (A == 6 && B == 57) s.hshift += -11.06f * r6;
        if (A == 55 && B == 57) s.hshift += 25.57f * r6;
        if (A == 7)
            for (int k = 1; k <= nbn(pa); ++k) {
                int y = nb(pa, k);
                if (y == p || T(y) != 55)
                    continue;
                if (B == 55) s.hshift += -15.0f * r6;
                if (B == 6) s.hshift += -50.0f * r6;
            }
        if (A == 6 && B == 6 && hh == 3) {
            int np = geom.nhyd(p);
            if (np == 1 || np == 2) s.hshift += (huch.iarom(pa) == 0 ? 8.75f : -6.21f) * r6;
            if (np == 3) s.hshift += 3.23f * r6;
        }
        if (A == 6 && B == 6 && (hh == 1 || hh == 2))
            s.hshift += (huch.iarom(nbh) == 0 ? -12.59f : -34.98f) * r6;
    }
    if (tp == 6) {
        float v;
        if (geom.nno(p) == 3 || geom.nnf(p) == 3) v = 20.0f;
        else if (hh == 3) v = 53.5f;
        else if (B == 8) v = 57.5f;
        else if (B == 57) v = 17.64f;
        else v = 194.8f;
        s.cshift += v * r6;
    }
    if (tp == 55 && geom.nnco(p) == 1 && geom.nnc(p) == 2)
        s.cshift += 114.7f * r6;
    if (tp == 8) {
        if (B == 6 && geom.igam(p, 1) > 0) {
            bool o8 = false;
            for (int k = 2; k <= geom.igam(p, 1) + 1; ++k)
                o8 = o8 || T(geom.igam(p, k)) == 8;
            if (o8) {
                s.shifo += 26.26f * r6;
            } else if (geom.nhyd(p) == 0) {
                int n1 = geom.ialf(p, 2), n2 = geom.ialf(p, 3);
                bool c55 = T(n1) == 55 || T(n2) == 55;
                if (c55) {
                    bool co = (n1 && geom.nnco(n1) == 1) || (n2 && geom.nnco(n2) == 1);
                    bool ar = (n1 && huch.iarom(n1) > 4) || (n2 && huch.iarom(n2) > 4);
                    if (co) s.shifo += 40.0f * r6;
                    else if (ar) s.shifo += 80.0f * r6;
                } else {
                    s.shifo += 136.7f * r6;
                }
            } else {
                s.shifo += 85.0f * r6;
            }
        }
        if (B == 7 || B == 8) {
            if (cryst.Solvent == 0) s.shifo += 55.0f * r6;
            if (cryst.Solvent == 1) s.shifo += 30.0f * r6;
            if (d <= 2.0f) s.shifo += (2.0f - d) * 7.8f;
        }
    }
    if (tp == 7) s.shifn += (geom.nhyd(p) == 0 ? 63.19f : 86.6f) * r6;
    if (tp == 16 || tp == 61 || tp == 62) s.shifs += 100.0f * r6;
    if (tp == 34) s.shifse += 100.0f * r6;
    if (tp == 17) s.clshif += 90.0f * r6;
    if (tp == 35) s.brshif += 95.0f * r6;
    if (tp == 53) s.shifi += 120.0f * r6;
    if (tp == 56 && geom.nnn59(p) == 0) s.ctshif += 56.59f * r6;
    if (tp == 57) {
        if (geom.nhyd(p) == 2) s.shifn += 21.0f * r6;
        else if (geom.nno(p) == 2) s.shifn += 0.0f;
        else s.shifn += 37.47f * r6;
    }
    if (tp == 58 && (B == 7 || B == 8)) {
        s.shifn += 40.0f * r6;
        if (d <= 2.0f) s.shifn += (2.1f - d) * 10.0f;
    }
}

void average3(int a, int b, int c)
{
    auto& sh = geom.shift;
    sh(a) = (sh(a) + sh(b) + sh(c)) / 3.0f;
    sh(b) = sh(a);
    sh(c) = sh(a);
}

bool appendSet(int x, int y)
{
    if (geom.nsets == kMaxSets)
        return false;
    ++geom.nsets;
    geom.neq(geom.nsets) = 2;
    geom.ieq(geom.nsets, 1) = x;
    geom.ieq(geom.nsets, 2) = y;
    return true;
}

int hydrogenOn(int a)
{
    for (int k = 1; k <= nbn(a); ++k)
        if (T(nb(a, k)) == 1)
            return nb(a, k);
    return 0;
}

}  // namespace

void calcsh()
{
    const int n = geom.natoms;
    for (auto* v : {&pashif, &pbshif, &pshift, &temph, &tempc, &tempcl, &tempbr, &tempi, &tempn, &tempo, &stersh,
                    &colChef, &colCxef})
        v->clear();
    for (auto* v : {&colHster, &colCster, &colXoster, &colXster, &colCc, &colCanis, &colXanis, &colXoanis})
        for (int i = 1; i <= n; ++i)
            (*v)(i) = 0.0f;
    auto& sh = geom.shift;
    for (int a = 1; a <= n; ++a) {
        float q = geom.charge(a);
        int t = T(a);
        if (t == 6) sh(a) = 437.3f * q + 73.3f;
        if (t == 55) sh(a) = (q + 0.15f) * 160.0f + 123.3f;
        if (t != 1)
            continue;
        sh(a) = 160.84f * q - 6.68f;
        for (int k = 1; k <= 4; ++k) {
            int nn = geom.ialf(a, k + 1);
            if (nn < 1)
                continue;
            int tn = T(nn);
            float px = huch.piexs(nn);
            if (tn == 55 || tn == 56 || tn == 16 || tn == 34) pashif(a) = 10.0f * px;
            if (tn == 7) pashif(a) = 42.78f * px;
            if (tn == 57) pashif(a) = 23.0f * px;
            if (tn == 8) pashif(a) = 42.31f * px;
            if (tn == 58) pashif(a) = 30.0f * px;
            if (tn == 6 || tn == 55 || tn == 56)
                for (int km = 1; km <= nbn(nn); ++km) {
                    int m = nb(nn, km);
                    if (m == a)
                        continue;
                    int tm = T(m);
                    if ((tn == 55 || tn == 56) && (tm == 55 || tm == 56))
                        pbshif(a) += 2.0f * huch.piexs(m);
                    if (tm == 58 && huch.iarom(m) == 6) {
                        int ring = 0;
                        for (int r = 1; r <= geom.nring6; ++r)
                            for (int p = 1; p <= 6; ++p)
                                if (geom.iring6(r, p) == m)
                                    ring = r;
                        if (ring != 0) {
                            huch.ncnt = 0;
                            for (int p = 1; p <= 6; ++p)
                                huch.ncnt += T(geom.iring6(ring, p)) == 58;
                            if (huch.ncnt == 1) pbshif(a) += (huch.piexs(m) + 0.1186f) * 6.105f;
                            if (huch.ncnt == 2) pbshif(a) += (huch.piexs(m) + 0.1f) * 5.0f;
                        }
                    }
                    if (tn == 6 && tm == 55)
                        for (int kk = 1; kk <= nbn(m); ++kk)
                            if (T(nb(m, kk)) == 55)
                                pbshif(a) += 1.1f * huch.piexs(m);
                }
        }
        pshift(a) = pashif(a) + pbshif(a);
        sh(a) += pshift(a);
    }
    writef(12, "()");
    writef(12, "(2X,' No    HSTER    CSTER   XOSTER    XSTER   CC+CTST   STERSH   CANIS    XANIS    XOANIS   CHEF  "
               "   CXEF    RINGCT    PSHIFT')");
    writef(12, "()");

    for (int h = 1; h <= n; ++h) {
        if (T(h) != 1 || nbn(h) == 0 || geom.ibet(h, 1) == 0)
            continue;
        Sums s{};
        bool exchanged = false;
        for (int k = 1; k <= nbn(h); ++k) {
            int nn = nb(h, k), tn = T(nn);
            if (tn == 7) sh(h) -= 36.17f;
            if (tn == 8) sh(h) -= 45.09f;
            if (tn == 16) sh(h) -= 14.15f;
            if (tn == 34) sh(h) -= 10.3f;
            if (tn == 58) sh(h) -= 18.3f;
            if (cryst.Solvent == 2 && (tn == 7 || tn == 8 || tn == 16 || tn == 57)) {
                sh(h) = 4.7f;
                exchanged = true;
                break;
            }
            if (tn == 57) {
                bool co = false, s61 = false, n58 = false;
                for (int kc = 1; kc <= nbn(nn); ++kc) {
                    int c = nb(nn, kc);
                    if (c < 1 || T(c) == 1)
                        continue;
                    co = co || geom.nnco(c) > 0 || T(c) == 62;
                    s61 = s61 || geom.nns61(c) > 0;
                    n58 = n58 || T(c) == 58;
                }
                sh(h) -= co ? 33.84f : 38.0f;
                if (s61) sh(h) += 5.31f;
                if (n58) sh(h) += 6.7f;
            }
        }
        if (exchanged)
            continue;
        for (int p = 1; p <= n; ++p) {
            if (p == h || T(p) == 2)
                continue;
            tripleBond(h, p, s);
            if (bonded(h, p))
                continue;
            amideEster(h, p, s);
            if (inBeta(h, p))
                continue;
            fiveRingBonds(h, p, s);
            doubleBond(h, p, s);
            if (geom.igam(h, 1) == 0 || inGamma(h, p))
                continue;
            remoteAnisotropy(h, p, s);
            electricField(h, p, s);
            steric(h, p, s);
        }
        float xster = s.shifo + s.shifn + s.clshif + s.brshif + s.shifi + s.shifs + s.shifse;
        float canis = s.canis + s.ccanis + s.ctanis;
        float xanis = s.nanis + s.nnanis + s.clanis + s.branis + s.cianis + s.csanis;
        float xoanis = s.coanis + s.noanis + s.soanis;
        colHster(h) = s.hshift;
        colCster(h) = s.cshift;
        colXoster(h) = s.shifxo;
        colXster(h) = xster;
        colCc(h) = s.ccshif + s.ctshif;
        colCanis(h) = canis;
        colXanis(h) = xanis;
        colXoanis(h) = xoanis;
        colChef(h) = s.elech;
        colCxef(h) = s.elecx;
        sh(h) += s.hshift + canis + xanis + xoanis + s.ccshif + s.ctshif + geom.ringct(h) + s.elech + s.elecx;
        temph(h) = s.hshift;
        tempc(h) = s.cshift;
        tempcl(h) = s.clshif;
        tempbr(h) = s.brshif;
        tempi(h) = s.shifi;
        tempn(h) = s.shifn;
        tempo(h) = s.shifo + s.shifs + s.shifse + s.shifxo;
    }
    for (int a = 1; a <= n; ++a)
        if (temph(a) < -1.1f)
            writef(12, "(/,2X,'WARNING,LARGE HH STERIC TERM FOR ATOM',I3)", {a});
    auto S = [](int x) { return tempc(x) + tempo(x) + tempn(x) + tempcl(x) + tempbr(x) + tempi(x); };
    for (int h = 1; h <= n; ++h) {
        if (T(h) != 1 || geom.ibet(h, 1) == 0)
            continue;
        int nh = geom.nhyd(h);
        if (nh == 1) {
            stersh(h) = S(h);
        } else if (nh == 2) {
            if (nbn(h) == 0 || T(nb(h, 1)) != 6) {
                stersh(h) = S(h);
            } else {
                int g = 0;
                for (int k = 2; k <= geom.ibet(h, 1) + 1; ++k)
                    if (T(geom.ibet(h, k)) == 1)
                        g = geom.ibet(h, k);
                if (g != 0)
                    stersh(h) = S(h) - 0.53f * tempc(g) - 0.4f * tempo(g) - 0.5f * tempn(g) - 0.75f * tempcl(g) -
                                0.5f * tempbr(g) - 0.4f * tempi(g);
            }
        } else if (nh == 3) {
            int g = 0, k2 = 0;
            for (int a = 2; a <= geom.ibet(h, 1) + 1; ++a)
                for (int b = a + 1; b <= geom.ibet(h, 1) + 1; ++b)
                    if (T(geom.ibet(h, a)) == 1 && T(geom.ibet(h, b)) == 1) {
                        g = geom.ibet(h, a);
                        k2 = geom.ibet(h, b);
                    }
            if (g != 0)
                stersh(h) = S(h) - 0.26f * (tempc(g) + tempc(k2)) - 0.5f * (tempcl(g) + tempcl(k2)) -
                            0.5f * (tempbr(g) + tempbr(k2)) - 0.5f * (tempi(g) + tempi(k2)) -
                            0.5f * (tempn(g) + tempn(k2)) - 0.5f * (tempo(g) + tempo(k2));
        }
        sh(h) += stersh(h);
    }
    if (cryst.Solvent == 1)
        dmso();

    for (int h = 1; h <= n; ++h) {
        if (T(h) != 1 || geom.ibet(h, 1) == 0)
            continue;
        for (int a = 2; a <= geom.ibet(h, 1) + 1; ++a)
            for (int b = a + 1; b <= geom.ibet(h, 1) + 1; ++b) {
                int g = geom.ibet(h, a), k = geom.ibet(h, b);
                if (T(g) == 1 && T(k) == 1)
                    average3(h, g, k);
            }
    }
    for (int h = 1; h <= n; ++h) {
        if (T(h) != 1 || geom.nhyd(h) != 3 || nbn(h) == 0)
            continue;
        int c = nb(h, 1);
        int ng = geom.igam(c, 1);
        for (int j = 2; j <= ng + 1; ++j) {
            int x = geom.igam(c, j);
            if (T(x) != 1 || geom.nhyd(x) != 3)
                continue;
            for (int jj = j + 3; jj <= ng + 1; ++jj) {
                int y = geom.igam(c, jj);
                if (T(y) == 1 && geom.nhyd(y) == 3)
                    average3(h, x, y);
            }
        }
    }
    for (int r = 1; r <= geom.nring6; ++r) {
        bool arom = true;
        for (int m = 1; m <= 6; ++m)
            arom = arom && huch.iarom(geom.iring6(r, m)) == 6;
        if (!arom)
            continue;
        int count = 0, q = 0;
        for (int m = 1; m <= 6; ++m)
            if (geom.nhyd(geom.iring6(r, m)) == 0) {
                ++count;
                q = geom.iring6(r, m);
            }
        if (count >= 3 || q == 0 || geom.ibet(q, 1) == 0)
            continue;
        auto inRing = [&](int x) {
            for (int m = 1; m <= 6; ++m)
                if (geom.iring6(r, m) == x)
                    return true;
            return false;
        };
        // Only ring atoms without hydrogen veto the ring: the oxygen of a
        // formyl or nitro group two bonds from q says nothing about its
        // ortho and meta protons.
        bool skip = false;
        for (int k = 2; k <= geom.ibet(q, 1) + 1; ++k)
            skip = skip || (inRing(geom.ibet(q, k)) && geom.nhyd(geom.ibet(q, k)) == 0);
        for (int k = 1; k <= nbn(q); ++k)
            skip = skip || (inRing(nb(q, k)) && geom.nhyd(nb(q, k)) == 0);
        if (skip)
            continue;
        bool orthoDone = false;
        for (int ka = 1; ka <= nbn(q) && !orthoDone; ++ka)
            for (int kb = 1; kb <= nbn(q) && !orthoDone; ++kb) {
                int a = nb(q, ka), b = nb(q, kb);
                if (a == b || huch.iarom(a) != 6 || huch.iarom(b) != 6)
                    continue;
                int x = hydrogenOn(a), y = hydrogenOn(b);
                if (x == 0 || y == 0)
                    continue;
                sh(x) = sh(y) = (sh(x) + sh(y)) / 2.0f;
                appendSet(x, y);
                orthoDone = true;
            }
        bool metaDone = false;
        for (int ka = 2; ka <= geom.ibet(q, 1) + 1 && !metaDone; ++ka) {
            int a = geom.ibet(q, ka);
            if (!inRing(a))
                continue;
            if (geom.nhyd(a) == 0)
                break;
            for (int kb = 2; kb <= geom.ibet(q, 1) + 1 && !metaDone; ++kb) {
                int b = geom.ibet(q, kb);
                if (b == a || !inRing(b) || geom.nhyd(b) == 0)
                    continue;
                int x = hydrogenOn(a), y = hydrogenOn(b);
                if (x == 0 || y == 0)
                    continue;
                sh(x) = sh(y) = (sh(x) + sh(y)) / 2.0f;
                appendSet(x, y);
                metaDone = true;
            }
        }
    }
    for (int k = 1; k <= geom.nsets; ++k) {
        if (geom.neq(k) <= 0)
            continue;
        float sum = 0.0f;
        for (int m = 1; m <= geom.neq(k); ++m)
            sum += sh(geom.ieq(k, m));
        float mean = sum / static_cast<float>(geom.neq(k));
        for (int m = 1; m <= geom.neq(k); ++m)
            sh(geom.ieq(k, m)) = mean;
    }
    for (int h = 1; h <= n; ++h)
        if (T(h) == 1)
            writef(12, "(2X,I3,13F9.3)",
                   {h, colHster(h), colCster(h), colXoster(h), colXster(h), colCc(h), stersh(h), colCanis(h),
                    colXanis(h), colXoanis(h), colChef(h), colCxef(h), geom.ringct(h), pshift(h)});
}

}  // namespace velmar
