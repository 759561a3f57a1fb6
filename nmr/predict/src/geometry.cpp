// Internal to Cartesian coordinates, vector routines, neighbour lists two
// and three bonds away, and the validation of a molecule.
#include "geometry.h"

#include <cmath>
#include <string>

#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar {

void relvec(float v[3], int i, int j)
{
    for (int k = 0; k < 3; ++k)
        v[k] = geom.xyz(i, k + 1) - geom.xyz(j, k + 1);
}

void mag(float& r, const float v[3])
{
    r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void univec(float u[3], const float v[3])
{
    float r;
    mag(r, v);
    for (int k = 0; k < 3; ++k)
        u[k] = v[k] / r;
}

void vecprd(float c[3], const float a[3], const float b[3])
{
    c[0] = a[1] * b[2] - a[2] * b[1];
    c[1] = a[2] * b[0] - a[0] * b[2];
    c[2] = a[0] * b[1] - a[1] * b[0];
}

void sclprd(const float a[3], const float b[3], float& s)
{
    s = 0.0f;
    for (int k = 0; k < 3; ++k)
        s += a[k] * b[k];
}

float covalentRadius(int element, bool siliconOfZMatrix)
{
    switch (element) {
    case 1: return 0.28f;
    case 2: return -5.0f;
    case 6: return 0.77f;
    case 7: return 0.70f;
    case 8: return 0.66f;
    case 9: return 0.64f;
    case 14: return siliconOfZMatrix ? 1.20f : 1.17f;
    case 15: return 1.10f;
    case 16: return 1.04f;
    case 17: return 0.99f;
    case 34: return 1.10f;
    case 35: return 1.14f;
    case 53: return 1.33f;
    case 55: return 0.70f;
    case 56: return 0.61f;
    case 57: return 0.66f;
    case 58: return 0.66f;
    case 59: return 0.60f;
    case 60: return 0.66f;
    default: return 0.0f;  // also every element outside the table
    }
}

namespace {

bool finite3(int j)
{
    return std::isfinite(geom.xyz(j, 1)) && std::isfinite(geom.xyz(j, 2)) && std::isfinite(geom.xyz(j, 3));
}

void unit(float u[3], int a, int b)
{
    float v[3];
    relvec(v, a, b);
    univec(u, v);
}

}  // namespace

namespace {

// A reference atom of atom j that lies outside the molecule rejects it.
bool refsInside(int j, int count)
{
    for (int k = 1; k <= count; ++k) {
        int r = geom.nref(j, k);
        if (r < 1 || r > geom.natoms) {
            rejectMolecule("ATOM " + std::to_string(j) + " REFERS TO ATOM " + std::to_string(r) +
                           " OUTSIDE THE MOLECULE");
            return false;
        }
    }
    return true;
}

}  // namespace

void coord()
{
    const int n = geom.natoms;
    static Vec<float, kMaxAtoms> alpha, beta;
    for (int j = 3; j <= n; ++j) {
        alpha(j) = geom.geo(j, 2) * geom.degrad;
        beta(j) = geom.geo(j, 3) * geom.degrad;
    }
    if (n < 1)
        return;
    for (int k = 1; k <= 3; ++k)
        geom.xyz(1, k) = 0.0f;
    if (n < 2)
        return;
    geom.xyz(2, 1) = 0.0f;
    geom.xyz(2, 2) = 0.0f;
    geom.xyz(2, 3) = geom.geo(2, 1);
    if (n < 3)
        return;
    if (!refsInside(2, 1) || !refsInside(3, 2))
        return;
    geom.xyz(3, 1) = geom.geo(3, 1) * std::sin(alpha(3));
    geom.xyz(3, 2) = 0.0f;
    if (geom.nref(3, 1) == 1)
        geom.xyz(3, 3) = geom.geo(3, 1) * std::cos(alpha(3));
    else
        geom.xyz(3, 3) = geom.xyz(2, 3) - geom.geo(3, 1) * std::cos(alpha(3));

    int first = 4;
    if (std::fabs(geom.xyz(3, 1)) < 1e-5f) {
        // collinear start: stay on the z axis while the previous atom is on it
        int i = 4;
        while (i <= n && std::fabs(geom.xyz(i - 1, 1)) < 1e-5f) {
            if (!refsInside(i, 2))
                return;
            int na = geom.nref(i, 1), nb = geom.nref(i, 2);
            geom.xyz(i, 1) = geom.geo(i, 1) * std::sin(alpha(i));
            geom.xyz(i, 2) = 0.0f;
            float d = geom.geo(i, 1) * std::cos(alpha(i));
            if (geom.xyz(na, 3) - geom.xyz(nb, 3) < 0.0f)
                d = -d;
            geom.xyz(i, 3) = geom.xyz(na, 3) - d;
            ++i;
        }
        first = i;
    }
    for (int j = first; j <= n; ++j) {
        if (!refsInside(j, 3))
            return;
        int na = geom.nref(j, 1), nb = geom.nref(j, 2), nc = geom.nref(j, 3);
        float sa = std::sin(alpha(j)), ca = std::cos(alpha(j));
        float sb = std::sin(beta(j)), cb = std::cos(beta(j));
        float l1[3], l2[3];
        if (geom.nref(j, 4) == 0) {
            unit(l1, nb, nc);
            unit(l2, na, nb);
            float c12;
            sclprd(l1, l2, c12);
            float den = 1.0f - c12 * c12;
            if (!(den > 1e-6f)) {
                rejectMolecule("REFERENCE ATOMS OF ATOM " + std::to_string(j) + " ARE COLLINEAR");
                return;
            }
            float l3[3], l4[3];
            vecprd(l3, l1, l2);
            float s = std::sqrt(den);
            for (float& x : l3)
                x /= s;
            vecprd(l4, l3, l2);
            for (int k = 0; k < 3; ++k)
                geom.xyz(j, k + 1) =
                    geom.xyz(na, k + 1) + geom.geo(j, 1) * (sa * cb * l4[k] - ca * l2[k] + sb * sa * l3[k]);
        } else {
            unit(l1, na, nc);
            unit(l2, nb, na);
            float zeta;
            sclprd(l1, l2, zeta);
            zeta = -zeta;
            float den = 1.0f - zeta * zeta;
            if (!(den > 1e-6f)) {
                rejectMolecule("REFERENCE ATOMS OF ATOM " + std::to_string(j) + " ARE COLLINEAR");
                return;
            }
            float a = (zeta * ca - cb) / den;
            float b = (ca - zeta * cb) / den;
            float gamma;
            if (zeta == 0.0f)
                gamma = geom.pi / 2.0f;
            else {
                gamma = std::atan(std::sqrt(den) / zeta);
                if (zeta < 0.0f)
                    gamma += geom.pi;
            }
            float d = 0.0f;
            if (std::fabs(alpha(j) + gamma + beta(j) - 2.0f * geom.pi) >= 1e-5f)
                d = static_cast<float>(geom.nref(j, 4)) * std::sqrt(cb * a + 1.0f - ca * b) / std::sqrt(den);
            float v[3];
            vecprd(v, l1, l2);
            for (int k = 0; k < 3; ++k)
                geom.xyz(j, k + 1) = geom.xyz(na, k + 1) + geom.geo(j, 1) * (d * v[k] + b * l2[k] + a * l1[k]);
        }
    }
    for (int j = 1; j <= n; ++j)
        if (!finite3(j)) {
            rejectMolecule("NO COORDINATES FOR ATOM " + std::to_string(j) + " FROM ITS REFERENCE ATOMS");
            return;
        }
}

void betgam()
{
    const int n = geom.natoms;
    for (int i = 1; i <= n; ++i) {
        int nb = 0;
        for (int ka = 2; ka <= geom.ialf(i, 1) + 1; ++ka) {
            int a = geom.ialf(i, ka);
            for (int kb = 2; kb <= geom.ialf(a, 1) + 1; ++kb) {
                int b = geom.ialf(a, kb);
                if (b == i)
                    continue;
                if (nb == kMaxBeta) {
                    rejectMolecule("MORE THAN 12 ATOMS TWO BONDS FROM ATOM " + std::to_string(i));
                    return;
                }
                geom.ibet(i, ++nb + 1) = b;
            }
        }
        geom.ibet(i, 1) = nb;
    }
    for (int i = 1; i <= n; ++i) {
        int ng = 0;
        for (int kb = 2; kb <= geom.ibet(i, 1) + 1; ++kb) {
            int b = geom.ibet(i, kb);
            for (int kc = 2; kc <= geom.ialf(b, 1) + 1; ++kc) {
                int c = geom.ialf(b, kc);
                bool skip = false;
                for (int k = 2; k <= geom.ialf(i, 1) + 1 && !skip; ++k)
                    skip = geom.ialf(i, k) == c;
                for (int k = 2; k <= geom.ibet(i, 1) + 1 && !skip; ++k)
                    skip = geom.ibet(i, k) == c;
                for (int k = 2; k <= ng + 1 && !skip; ++k)
                    skip = geom.igam(i, k) == c;
                if (skip)
                    continue;
                if (ng == kMaxGamma) {
                    rejectMolecule("MORE THAN 36 ATOMS THREE BONDS FROM ATOM " + std::to_string(i));
                    return;
                }
                geom.igam(i, ++ng + 1) = c;
            }
        }
        geom.igam(i, 1) = ng;
    }
}

namespace {

bool validType(int t)
{
    return t == 1 || t == 2 || (t >= 6 && t <= 11) || (t >= 14 && t <= 17) || t == 34 || t == 35 || t == 53 ||
           (t >= 55 && t <= 62);
}

std::string_view symbolOf(int t)
{
    if (t < 1 || t > kTypes)
        return "  ";  // no symbol outside the type table
    return textOf(micro.symb(t));
}

}  // namespace

bool chtest(int32_t t)
{
    switch (t) {
    case 1: case 2: case 3: case 9: case 10: case 11: case 17: case 18: case 19: case 35: case 53: case 59:
    case 60: case 61:
        return true;
    default:
        return false;
    }
}

void testin()
{
    const int n = geom.natoms;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            float v[3];
            relvec(v, i, j);
            mag(geom.dist(i, j), v);
        }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j < i; ++j)
            if (geom.dist(i, j) < 0.6f)
                writef(12, "(/,/,3X,30HWARNING, DISTANCE BETWEEN ATOM,I4,9H AND ATOM,I4,3H = ,F7.3)",
                       {i, j, geom.dist(i, j)});
    bool rejected = false;
    std::string firstInvalid;
    for (int i = 1; i <= n; ++i) {
        int t = geom.itype(i);
        if (!validType(t)) {
            for (int u : {6, 12})
                writef(u, "(/,/,3X,15HINVALID ATOM NO,I5,5X,4HNAME,A4,5X,9HATOMIC NO,I5)", {i, symbolOf(t), t});
            if (!rejected)
                firstInvalid = "INVALID ATOM NO " + std::to_string(i) + " (ATOMIC NO " + std::to_string(t) + ")";
            rejected = true;
        }
        if (t < 1 || t > kTypes)
            continue;  // no parameters to look at
        for (int k = 2; k <= geom.ialf(i, 1) + 1; ++k) {
            int u = geom.itype(geom.ialf(i, k));
            if (u < 1 || u > kTypes)
                continue;
            if (huch.ah(t) > 0.0f && huch.ah(u) > 0.0f && huch.ak(t, u) < 0.01f) {
                writef(12, "(/,/,3X,25HUNPARAMETERIZED PI SYSTEM,3X,A2,1H-,A2,30HSET DEFAULT VALUE OF AK = 0.50)",
                       {symbolOf(t), symbolOf(u)});
                huch.ak(t, u) = 0.5f;
            }
        }
    }
    if (!rejected) {
        std::string why;
        if (!chargeDivisorsValid(why))
            rejectMolecule("ZERO DIVISOR: " + why);
    }
    if (rejected) {
        for (int u : {6, 12})
            writef(u, "(/,/,3X,31H**********  INVALID ATOM FOUND-,32HPROGRAM TERMINATING  ***********,/,/)");
        // despite its words the run goes on with the next molecule
        rejectMolecule(firstInvalid);
    }
}

void dihedl(float& theta, int a1, int a2, int a3, int a4, int a5, int mode)
{
    float r1[3], r2[3], r3[3], p1[3], p2[3];
    if (mode == 1) {
        float r4[3], p3[3], p4[3];
        relvec(r1, a1, a3);
        relvec(r2, a2, a3);
        relvec(r3, a4, a3);
        relvec(r4, a5, a3);
        vecprd(p1, r1, r2);
        vecprd(p3, r3, r4);
        vecprd(p4, p3, r2);
        vecprd(p2, p4, r2);
    } else {
        relvec(r1, a2, a3);
        relvec(r2, a4, a3);
        relvec(r3, a1, a2);
        vecprd(p1, r1, r2);
        vecprd(p2, r1, r3);
    }
    float u1[3], u2[3], u3[3], c;
    univec(u1, r1);
    univec(u2, r2);
    univec(u3, r3);
    float s12, s13;
    sclprd(u1, u2, s12);
    sclprd(u1, u3, s13);
    if (std::fabs(std::fabs(s12) - 1.0f) < 1.0e-6f || std::fabs(std::fabs(s13) - 1.0f) < 1.0e-6f) {
        theta = 0.0f;
        return;
    }
    float q1[3], q2[3];
    univec(q1, p1);
    univec(q2, p2);
    sclprd(q1, q2, c);
    if (!std::isfinite(c))
        c = 1.0f;  // a zero-length plane normal: no angle
    if (c > 1.0f)
        c = 1.0f;
    if (c < -1.0f)
        c = -1.0f;
    theta = std::acos(c);
}

}  // namespace velmar
