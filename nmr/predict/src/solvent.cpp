// DMSO increments of the proton shifts and the solvent file.
#include <cmath>

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
using nbr::bonded;
using nbr::inBeta;
using nbr::inGamma;

Vec<float, kMaxAtoms> shdmso;

}  // namespace

void dmso()
{
    const int n = geom.natoms;
    auto& nhyd = geom.nhyd;
    auto& iarom = huch.iarom;
    for (int a = 1; a <= n; ++a)
        shdmso(a) = 0.0f;
    for (int i = 1; i <= n; ++i) {
        if (T(i) != 1 || nbn(i) == 0)
            continue;
        float& inc = shdmso(i);
        int nbpro = 0, nbeth = 0;
        const int h = nb(i, 1), th = T(h);
        if (th == 8 && nhyd(h) == 2) {
            geom.shift(i) = 3.4f;
            continue;
        }
        if (th == 7) inc += 0.64f;
        if (th == 8) inc += 3.15f;
        if (th == 16) inc += 0.86f;
        if (th == 34) inc += 3.0f;
        if (th == 56) inc += 1.13f;
        for (int kb = 2; kb <= geom.ibet(i, 1) + 1; ++kb) {
            int b = geom.ibet(i, kb);
            if (T(b) == 1)
                continue;
            const int u = T(b);
            for (int km = 1; km <= nbn(i); ++km) {
                int m = nb(i, km);
                if (!bonded(m, b))
                    continue;
                const int tm = T(m);
                if (tm == 6) {
                    if (u == 7 && nhyd(b) > 0) { inc += -0.16f; ++nbpro; }
                    if (u == 7 && nhyd(b) == 0) inc += -0.093f;
                    if (u == 8 && nhyd(b) == 0) { ++nbeth; inc += geom.nno(m) == 3 ? -0.05f : -0.108f; }
                    if (u == 8 && nhyd(b) == 1) { inc += -0.27f; ++nbpro; }
                    if (u == 9) inc += 0.08f;
                    if (u == 16) inc += -0.054f;
                    if (u == 17) {
                        if (geom.nncl(m) == 1) inc += 0.08f;
                        if (geom.nncl(m) == 2) inc += 0.23f;
                        if (geom.nncl(m) == 3) inc += 0.353f;
                    }
                    if (u == 35) inc += 0.116f;
                    if (u == 53) inc += 0.071f;
                }
                if (tm == 55) {
                    if (geom.nnco(m) == 1 && u == 6) inc += -0.135f;
                    if (geom.nnco(m) == 1 && u == 57 && nhyd(b) == 2) inc += -0.25f;
                    if (geom.nnco(m) == 1 && u == 8 && nhyd(b) == 1) inc += -0.076f;
                    if (u == 58) inc += -0.04f;
                }
                if (tm == 7 && u == 55 && iarom(b) == 6) {
                    if (nhyd(i) == 1) inc += 1.01f;
                    if (nhyd(i) == 2) inc += 0.693f;
                }
                if (tm == 57) {
                    if (u == 55) {
                        if (geom.nnco(b) == 1) inc += 1.63f;
                        else if (iarom(b) == 6) inc += 0.9f;
                        else if (iarom(b) == 5) inc += 3.0f;
                    }
                    if (u == 6) inc += 0.45f;
                }
                if (tm == 8 && u == 55 && iarom(b) > 4) inc += 1.42f;
            }
        }
        bool stop = false;
        for (int kp = 1; kp <= nbn(i) && !stop; ++kp) {
            int p = nb(i, kp);
            for (int kq = 1; kq <= nbn(p) && !stop; ++kq) {
                int q = nb(p, kq);
                for (int kg = 1; kg <= nbn(q) && !stop; ++kg) {
                    int g = nb(q, kg);
                    if (T(g) == 1 || !inGamma(i, g))
                        continue;
                    float theta;
                    dihedl(theta, i, p, q, g, 0, 0);
                    const float c = std::cos(theta), c2 = c * c;
                    const int tp = T(p), tq = T(q), tg = T(g);
                    if (tp == 6 && tq == 6) {
                        if (tg == 7 && nhyd(g) == 0) inc += -0.085f;
                        if (tg == 7 && nhyd(g) > 0 && nbpro == 0) inc += -0.13f + 0.0415f * c;
                        if (tg == 8 && nhyd(g) == 1 && nbeth == 0 && nbpro == 0)
                            inc += -0.19f + 0.014f * c + 0.064f * c2;
                        if (tg == 8 && nhyd(g) == 1 && nbeth > 0) inc += -0.092f;
                        if (tg == 8 && nhyd(g) == 0 && nbpro == 0) inc += -0.092f;
                        if (tg == 9) inc += -0.065f;
                        if (tg == 16) inc += -0.077f;
                        if (tg == 17) inc += -0.063f;
                        if (tg == 35) inc += -0.065f;
                        if (tg == 53) inc += -0.069f;
                        if (tg == 57 && nhyd(g) == 1) inc += -0.19f;
                        if (tg == 57 && nhyd(g) == 0) inc += -0.1f;
                    }
                    if (tp == 6 && tq == 55) {
                        if (tg == 60) inc += -0.05f - 0.15f * c;
                        if (tg == 8 && nhyd(g) == 1 && geom.nnco(q) == 1) inc += -0.05f;
                        if (tg == 57 && geom.nnco(q) == 1) inc += -0.1f;
                    }
                    if (tp == 6 && tq == 57) {
                        if (tg == 55 && geom.nnco(g) == 1 && nhyd(q) == 1) inc += -0.2f - 0.14f * c;
                        if (tg == 55 && geom.nnco(g) == 1 && nhyd(q) == 0) {
                            if (huch.dipm < 0.5f) {
                                stop = true;  // nothing more for this hydrogen
                                break;
                            }
                            inc += -0.06f;
                            int o = 0;
                            for (int k = 1; k <= nbn(g); ++k)
                                if (T(nb(g, k)) == 60)
                                    o = nb(g, k);
                            if (o != 0) {
                                float phi;
                                dihedl(phi, p, q, g, o, 0, 0);
                                if (std::cos(phi) > 0.0f) inc += -0.14f;
                            }
                        }
                        if (tg == 60) inc += 0.06f;
                    }
                    if (tp == 6 && tq == 56 && tg == 59) inc += 0.1f;
                    if (tp == 55 && tq == 55 && iarom(p) == 6) {
                        if (tg == 7) inc += nhyd(g) > 0 ? -0.12f : -0.06f;
                        if (tg == 57 && nhyd(g) == 1) inc += 0.06f;
                        if (tg == 57 && nhyd(g) == 0) inc += 0.16f;
                        if (tg == 58) inc += 0.1f;
                    }
                    if (tp == 55 && geom.nnco(p) == 1 && tq == 57) {
                        if (nhyd(q) == 1) {
                            if (tg == 6) inc += -0.16f;
                            if (iarom(g) > 4) inc += -0.01f + 0.11f * c;
                        } else if (nhyd(q) == 0) {
                            if (tg == 6) inc += -0.02f;
                            if (iarom(g) > 4) inc += 0.17f - 0.1f * c;
                        }
                    }
                    if (tp == 8 && tq == 6 && tg == 6) inc += -0.04f + 0.12f * c;
                    if (tp == 8 && tq == 55) {
                        if (tg == 60) inc += -1.5f;
                        if (geom.nno(q) == 1 && tg == 6) inc += -0.8f;
                    }
                    if (tp == 57 && tq == 55) {
                        if (tg == 60) inc += 0.02f - 0.31f * c;
                        else if (tg == 6 && geom.nnco(q) == 1) inc += -0.28f + 0.219f * c;
                        else if (geom.nnco(q) == 1 && iarom(g) > 4) inc += -0.086f - 0.179f * c;
                        else if (iarom(q) > 4 && iarom(g) > 4) inc += -0.02f;
                    }
                    if (tp == 57 && tq == 6 && tg == 6) inc += 0.035f - 0.07f * c;
                }
            }
        }
        if (stop || huch.dipm < 0.5f || nbpro != 0 || nbeth != 0)
            continue;
        int r = 0;
        for (int x = 1; x <= n && r == 0; ++x) {
            int tx = T(x);
            if (x == i || x == h || tx == 1 || tx == 2 || tx == 6 || tx == 55 || tx == 56)
                continue;
            if (inBeta(i, x) || inGamma(i, x))
                continue;
            r = x;
        }
        if (r == 0)
            continue;
        const int tr = T(r);
        if (th == 6) inc += -0.07f;
        if (th == 55 && iarom(h) > 4) {
            if (tr == 60 || tr == 59) inc += 0.07f;
            if (tr == 58) inc += 0.11f;
            if (tr == 7 || tr == 8 || tr == 57) {
                bool n55 = false;
                for (int k = 1; k <= nbn(r); ++k)
                    n55 = n55 || T(nb(r, k)) == 55;
                if (nhyd(r) > 0 && n55) inc += -0.08f;
            }
        }
    }
    for (int a = 1; a <= n; ++a) {
        geom.shift(a) += shdmso(a);
        if (T(a) == 1)
            writef(9, "(F10.3)", {shdmso(a)});
    }
}

}  // namespace velmar
