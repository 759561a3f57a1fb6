// Empirical rules for the three-bond charge term of a hydrogen: for the
// path i - a - b - g they replace the generic polarisability term by a
// value that depends on the groups and the dihedral angle of the path.
#include <cmath>

#include "common.h"
#include "geometry.h"
#include "neighbours.h"
#include "routines.h"

namespace velmar {

namespace {

using nbr::T;
using nbr::nbn;
using nbr::nb;
bool hasNbType(int x, int t)
{
    for (int k = 1; k <= nbn(x); ++k)
        if (T(nb(x, k)) == t)
            return true;
    return false;
}
bool isHalogen(int t)
{
    return t == 9 || t == 17 || t == 35 || t == 53;
}

// Kept between paths as the original work values are; both are set before
// they are read on one path.
bool cyclob = false;
float sterso = 0.0f;

}  // namespace

float gammaRule(int i, int a, int b, int g, float s)
{
    const float k = 160.84f;
    float theta;
    dihedl(theta, i, a, b, g, 0, 0);
    const float c = std::cos(theta), csq = c * c, c2 = std::cos(2.0f * theta), c3 = std::cos(3.0f * theta);
    const int h = geom.nhyd(i);
    const int A = T(a), B = T(b), G = T(g);
    auto set = [&](float v) { s = v / k; };
    auto& nhyd = geom.nhyd;
    auto& iarom = huch.iarom;

    if (h == 1)
        s = s / 3.0f;
    else if (h == 2)
        s = 2.0f * s / 3.0f;

    // R1
    if (A == 6 && G == 6) {
        if (B == 6) {
            if (h == 1) set(-0.005f - 0.112f * c);
            if (h == 2) set(0.149f - 0.126f * c);
            if (h == 3) set(nhyd(b) == 0 ? 0.073f : 0.098f);
        }
        cyclob = false;
        int k1 = 0, k2 = 0;
        for (int m = 1; m <= nbn(a); ++m)
            if (T(nb(a, m)) == 6 || T(nb(a, m)) == 8)
                k1 = nb(a, m);
        for (int m = 1; m <= nbn(a); ++m)
            if ((T(nb(a, m)) == 6 || T(nb(a, m)) == 8) && nb(a, m) != k1)
                k2 = nb(a, m);
        if (k1 != 0 && k2 != 0)
            for (int p = 1; p <= nbn(k1); ++p) {
                int x = nb(k1, p);
                if (x == a || x == 0)
                    continue;
                for (int q = 1; q <= nbn(k2); ++q) {
                    int y = nb(k2, q);
                    if (y == 0 || x != y)
                        continue;
                    if (T(k1) == 8 || T(k2) == 8) {
                        set(1.35f);
                    } else {
                        set(0.35f);
                        cyclob = true;
                    }
                }
            }
        if (h == 1 && nhyd(g) == 1 && geom.dist(g, a) < 2.35f) {
            sterso = 0.0f;
            bool flat = false;
            for (int m = 1; m <= nbn(g); ++m)
                flat = flat || (T(nb(g, m)) == 55 && geom.nno(nb(g, m)) == 0);
            for (int m = 1; m <= nbn(a); ++m)
                flat = flat || (T(nb(a, m)) == 55 && geom.nno(nb(a, m)) == 0);
            float dig = geom.dist(i, g);
            if (!flat && dig > 0.0f)  // no steric term for a hydrogen on its gamma atom
                for (int m = 1; m <= nbn(g); ++m) {
                    int y = nb(g, m);
                    if (T(y) != 1 || cyclob)
                        continue;
                    float th1;
                    dihedl(th1, y, g, b, a, 0, 0);
                    float sters = 15.23f * csq * std::cos(th1) * std::cos(th1) / (dig * dig * dig);
                    s = sters / k;
                    sterso = 1.7f * sters;
                }
        }
        if (B == 6 && nhyd(b) == 1 && h != 3 && nhyd(g) > 0 && geom.nsring(a) == 0)
            for (int m = 1; m <= nbn(b); ++m) {
                int y = nb(b, m);
                if (y == a || y == g)
                    continue;
                if (!((T(y) == 6 && nhyd(y) != 3) || T(y) == 55))
                    continue;
                float phi;
                dihedl(phi, i, a, b, y, 0, 0);
                float sphi = std::sin(phi);
                if (nhyd(g) == 3)
                    set(c >= 0.0f ? 0.24f - 0.744f * c * sphi : 0.24f - 0.076f * c * sphi);
                if (nhyd(g) <= 2) {
                    set(0.01f - 0.259f * c - 0.147f * c3);
                    if (nhyd(a) == 1)
                        set(0.329f - 0.32f * c + 0.304f * c3);
                }
            }
        if (B == 6 && nhyd(g) == 3 && h != 3 && nhyd(b) == 0) {
            int m = 0;
            for (int q = 1; q <= nbn(b); ++q) {
                int y = nb(b, q);
                if (y != a && y != g && T(y) == 6 && nhyd(y) == 3)
                    ++m;
            }
            if (m == 0) {
                if (h == 1) set(0.124f - 0.181f * c);
                if (h == 2) set(0.209f + 0.067f * c);
            } else if (m == 1) {
                if (h == 1) set(0.087f);
                if (h == 2) set(0.125f);
            } else if (m == 2) {
                if (h == 1) set(0.059f);
                if (h == 2) set(0.105f);
            }
        }
    }
    // R2
    if (A == 55) {
        if (B == 55 || B == 58) {
            if (G == 6) {
                if (iarom(a) < 5 && geom.nnco(a) == 0) {
                    set(-0.155f + 0.017f * c);
                    if (geom.nnf(g) > 1) set(0.05f + 0.1f * c);
                } else {
                    set(-0.01f);
                }
            }
            if (isHalogen(G)) {
                set(0.36f * huch.pol(G) - 0.36f);
                if (iarom(a) < 5) set(0.9f * huch.pol(G) - 0.68f);
            }
            if (G == 8) {
                if (iarom(a) == 6) {
                    set(0.032f);
                } else {
                    set(-0.554f + 0.085f * c);
                    if (geom.nnco(b) == 1) set(-0.5f + 0.3f * c);
                }
            }
            if (G == 9) {
                if (iarom(a) < 5) {
                    set(geom.nnf(a) == 1 ? 0.699f + 0.536f * c : -0.055f + 0.218f * c);
                    if (geom.nnf(b) == 2) s *= 0.798f;
                } else {
                    set(0.222f);
                    if (geom.nnn58(b) == 1) set(0.01f);
                }
            }
            if (G == 60) {
                if (iarom(a) == 6) {
                    set(0.1f);
                } else {
                    set(-0.1f);
                    if (geom.nno(b) == 1) set(0.4f + 0.5f * c);
                }
            }
            if (G == 16) {
                if (iarom(a) < 5) set(-0.141f + 0.18f * c);
                else if (iarom(g) == 5) set(0.092f + 0.434f * c);
                else set(0.064f + 0.249f * c);
            }
            if (G == 62) {
                if (iarom(g) == 5) set(0.092f + 0.434f * c);
                else if (iarom(a) == 6) set(0.005f);
            }
            if (G == 34 && iarom(a) == 6) set(0.34f);
            if (G == 56) {
                if (geom.nnn59(g) == 1) set(-0.132f - 0.076f * c);
                if (geom.nnn59(g) == 0) set(0.423f - 0.177f * c);
            }
            if (G == 55) {
                if (iarom(g) > 4) set(geom.nnco(a) == 1 ? -0.2f : -0.107f + 0.143f * c);
                if (iarom(g) == 6 && iarom(a) == 6) {
                    if (nhyd(b) == 1) {
                        if (geom.nncl(g) == 1) set(0.17f * (c - 1.0f));
                        if (geom.nnbr(g) == 1) set(0.2f * (c - 1.0f));
                        if (geom.nni(g) == 1) set(0.27f * (c - 1.0f));
                    } else if (B == 58) {
                        if (geom.nnf(g) == 1) set(0.28f * (c - 1.0f));
                        if (geom.nncl(g) == 1) set(0.25f * (c - 1.0f));
                        if (geom.nnbr(g) == 1) set(0.29f * (c - 1.0f));
                        if (geom.nni(g) == 1) set(0.34f * (c - 1.0f));
                    }
                }
                if (iarom(g) < 5 && iarom(a) == 5) set(-0.1f - 0.1f * c);
                if (iarom(g) < 5 && iarom(a) == 6) {
                    set(-0.175f);
                    if (huch.ncnt > 0 && geom.nnco(g) == 1 && geom.nno(g) == 0) set(-0.2f);
                }
                if (iarom(g) < 5 && iarom(a) < 5) {
                    float L = geom.dist(b, g);
                    if (L < 1.4f) {
                        set(geom.nnco(a) == 1 ? -0.25f : -0.006f - 0.044f * c);
                    } else if (geom.nnco(g) == 1) {
                        if (geom.nno(g) == 0) set(0.34f - 0.12f * c);
                        if (geom.nno(g) == 1) set(-0.43f - 0.09f * c);
                    } else {
                        set(-0.14f + 0.01f * c);
                    }
                }
            }
            if (G == 57) {
                if (iarom(g) == 5) {
                    set(-0.247f + 0.347f * c);
                    if (B == 58) set(-0.4f);
                } else if (iarom(a) == 6) {
                    set(geom.nno(g) == 2 ? -0.25f : -0.7f);
                } else {
                    set(geom.nno(g) == 2 ? 0.2f : -0.62f);
                }
            }
            if (G == 58) {
                if (iarom(g) == 5) {
                    set(0.093f + 0.05f * c);
                    if (B == 58) set(0.7f);
                } else {
                    set(0.093f + 0.326f * c);
                }
            }
        }
        if (G == 7 && iarom(a) > 4) set(0.05f);
        if (G == 59) set(-0.05f);
        if (B == 6) {
            if (G == 6) set(0.175f - 0.343f * c);
            if (G == 7) set(0.2f - 0.2f * c);
            if (G == 55) set(iarom(g) == 6 ? 0.6f - 0.5f * c : 0.131f - 0.066f * c);
            if (G == 8) set(0.37f - 0.21f * c);
        }
        if (B == 16) {
            if (G == 6) set(0.157f);
            if (G == 55) set(-0.159f);
        }
        if (B == 8) {
            if (G == 6) set(geom.nnco(a) == 1 ? 0.13f : 0.3f - 0.363f * c);
            if (G == 55) set(0.428f);
        }
        if (B == 57) {
            if (G == 6) set(-0.07f);
            if (G == 55) {
                if (iarom(b) == 5) set(0.188f);
                else if (geom.nnco(a) == 1 && iarom(g) == 6) set(0.13f - 0.07f * c);
                else set(0.131f - 0.066f * c);
            }
        }
    }
    // R3, R4
    if (A == 56 && B == 56) {
        if (G == 55) set(1.2f);
        if (G == 6 || G == 9 || G == 17) set(0.22f);
    }
    if (A == 6 && B == 56) {
        if (G == 56) set(0.01f);
        if (G == 59) set(0.131f);
    }
    // R5
    if (A == 6 && B == 55) {
        if (G == 55) {
            if (h == 1) set(0.183f - 0.021f * c);
            if (h == 2) set(0.093f + 0.178f * c);
            if (h == 3) {
                if (geom.nnf(g) == 0)
                    set(geom.nnf(b) == 1 ? -0.05f : geom.nnco(g) == 1 ? 0.01f : 0.23f);
                if (iarom(g) == 5) set(0.09f);
                if (iarom(g) == 6) set(0.12f);
            }
            if (geom.nnco(b) == 1) set(h == 3 ? -0.15f : 0.12f - 0.2f * c);
            if (iarom(g) == 6 && huch.ncnt == 1) {
                if (h == 2) set(0.01f + 0.178f * c);
                if (h == 3) set(0.07f);
            }
            if (geom.nnf(g) == 1) s -= 0.08f / k;
            if (geom.nnf(g) == 2) s -= 0.2f / k;
        }
        if (G == 8) set(0.2f);
        if (G == 16) set(0.36f);
        if (G == 56) set(0.3f);
        if (G == 61) set(0.67f);
        if (G == 58) {
            if (geom.nnn58(b) == 2) set(0.23f);
            else set(h == 3 ? 0.4f : 0.2f + 0.3f * c);
        }
        if (G == 57) {
            if (iarom(g) == 5) {
                set(0.19f);
                if (geom.nnn58(b) == 1) set(0.01f);
            } else {
                set(h == 3 ? -0.06f : 0.112f - 0.509f * c);
            }
        }
        if (G == 60) {
            if (h == 3) set(geom.nnc(b) == 2 ? 0.42f : 0.65f);
            if (h == 2) set(c >= 0.0f ? -0.075f + 0.058f * c : -0.075f - 1.214f * c);
            if (h == 1) set(c >= 0.0f ? 0.282f - 0.503f * c : 0.282f - 0.206f * c);
            int p1 = geom.ibet(g, 2), p2 = geom.ibet(g, 3);
            if (geom.ibet(g, 1) >= 2 && p1 != 0 && p2 != 0)
                for (int m = 1; m <= nbn(p1); ++m) {
                    int x = nb(p1, m);
                    if (x == 0 || x == b)
                        continue;
                    for (int q = 1; q <= nbn(p2); ++q)
                        if (nb(p2, q) == x)
                            set(0.8f);
                }
            if (geom.nno(b) == 1) set(h == 3 ? 0.32f : 0.16f + 0.16f * c);
        }
    }
    // R6
    if (A == 6 && B == 7 && G == 7) set(0.2f - 0.182f * c);
    // R7
    if (A == 6 && B == 6) {
        if (G == 55) {
            if (h == 1) set(0.024f - 0.362f * c);
            if (h == 2) set(0.07f - 0.182f * c);
            if (h == 3) set(nhyd(b) == 0 ? 0.001f : 0.22f);
            if (geom.nnco(g) == 1) {
                if (h == 1) set(c >= 0.0f ? 0.346f - 0.787f * c : 0.346f + 0.292f * c);
                if (h == 2) set(c >= 0.0f ? 0.06f + 0.188f * csq : 0.06f + 0.236f * csq);
                if (h == 3) set(0.25f);
                if (geom.nno(g) == 1) set(0.02f);
                for (int m = 1; m <= nbn(g); ++m)
                    if (T(nb(g, m)) == 57)
                        s -= 0.047f / k;
            } else if (iarom(g) > 4) {
                set(0.23f - 0.05f * c);
            }
        }
        if (G == 56) {
            if (geom.nnn59(g) == 1) set(0.09f - 0.056f * c);
            if (geom.nnn59(g) == 0) set(0.423f - 0.177f * c);
        }
        if (G == 7) {
            if (nbn(g) == 4) set(0.4f);
            else if (geom.nnn(g) == 1) set(0.9f - 0.25f * c);
            else if (nhyd(g) == 2)
                set(c >= 0.0f ? 0.114f - 0.503f * c - 0.169f * c3 : 0.114f - 0.379f * c + 0.19f * c3);
            else if (nhyd(g) == 1)
                set(h == 3 ? 0.33f : c >= 0.0f ? 0.11f - 0.05f * c : 0.11f + 0.15f * c);
            else if (nhyd(g) == 0)
                set(c >= 0.0f ? -0.101f + 0.275f * c - 0.223f * c3 : -0.101f - 0.405f * c + 0.093f * c3);
        }
        if (G == 57) set(geom.nno(g) == 2 ? 0.32f : 0.12f + 0.013f * c);
        if (G == 58) set(0.1f - 0.2f * c);
        if (G == 16) {
            if (h == 3) set(geom.nns(b) == 2 ? 0.35f : 0.55f);
            else set(hasNbType(g, 55) ? 0.5f - 0.5f * c : 0.352f - 0.139f * c);
        }
        if (G == 8) {
            if (nhyd(g) == 0) {
                set(c >= 0.0f ? 0.26f + 0.64f * c - 1.1f * csq : 0.26f - 1.174f * c - 1.254f * csq);
            } else if (nhyd(g) == 1) {
                set(0.228f - 0.29f * c - 0.212f * c2);
                if (h == 1) s -= 0.2f / k;
            }
            if (h == 3) {
                set(0.38f);
                if (geom.nnacyl(g) == 1) set(0.49f);
            }
            if (geom.nno(a) == 1) {
                if (nhyd(g) == 1) set(-0.04f - 0.09f * c);
                if (nhyd(g) == 0) set(0.151f + 0.034f * c);
            }
            if (geom.nno(b) == 2) s *= 0.75f;
            if (geom.nno(b) == 3) s *= 0.51f;
        }
        if (G == 9) {
            if (nhyd(g) == 1) s *= 1.17f;
            if (nhyd(g) == 2) s *= 0.79f;
            if (nhyd(g) == 3) s *= 0.83f;
        }
        if (G == 34) {
            if (h == 1) set(0.05f - 0.26f * c);
            if (h == 2) set(0.5f + 0.001f * c);
            if (h == 3) set(0.55f);
        }
        if (G == 62) set(h < 3 ? 0.704f - 0.217f * c - 0.361f * csq : 0.438f);
    }
    // R8
    if (A == 6 && G == 6) {
        if (B == 7) {
            if (h == 1) set(-0.1f - 0.6f * c);
            if (h == 2) {
                if (nhyd(b) == 1) set(0.13f - 0.12f * c);
                if (nhyd(b) == 0) set(0.05f - 0.6f * c);
            }
            if (h == 3) set(0.01f);
        }
        if (B == 55) {
            if (h == 1) set(-0.058f - 0.125f * c);
            if (h == 2) set(0.134f - 0.124f * c);
            if (h == 3) set(0.25f);
        }
        if (B == 57) set(h == 1 ? -0.058f - 0.125f * c : 0.202f - 0.123f * c);
        if (B == 8) {
            if (h == 1) set(nhyd(g) == 2 ? 0.05f - 0.102f * c : nhyd(g) == 1 ? -0.35f - 0.202f * c : -0.2f);
            if (h == 2) set(0.02f - 0.2f * c);
            if (h == 3) set(nhyd(g) == 0 ? -0.2f : 0.03f);
            if (h == 1 && geom.nno(a) == 3) set(-0.15f);
            if (h == 1 && geom.nno(a) == 2) set(0.15f - 0.3f * c);
            if (h == 1 && nhyd(g) == 1 && geom.dist(g, a) < 2.35f) set(sterso);
        }
        if (B == 16) {
            if (geom.nns(g) == 2) set(0.371f + 0.348f * c);
            else if (geom.nns(a) == 2) set(0.192f + 0.32f * c);
            else set(0.18f + 0.116f * c);
        }
        if (B == 34) set(h == 3 ? 0.4f : 0.1f);
    }
    // R9, R10
    if (A == 6 && B == 62) {
        if (G == 60) {
            if (geom.nno(b) == 1) set(0.263f - 0.071f * c - 0.533f * csq);
            if (geom.nno(b) == 2) set(0.405f - 0.555f * c - 0.285f * csq);
        }
        if (G == 55) {
            if (geom.nno(b) == 1) set(-0.1f);
            if (geom.nno(b) == 2) set(0.31f);
        }
        if (G == 6) {
            if (geom.nno(b) == 1) set(h < 3 ? -0.241f - 0.114f * c + 0.031f * csq : 0.01f);
            if (geom.nno(b) == 2) set(h < 3 ? 0.2f - 0.12f * c : 0.646f);
        }
    }
    if (A == 6 && G == 62 && (B == 8 || B == 57)) set(h == 3 ? -0.05f : 0.25f - 0.6f * c);
    // R11
    if (B == 57) {
        if (G == 60) {
            if (A == 6) {
                if (nhyd(a) == 3) set(1.1f);
                if (nhyd(a) == 2) set(0.95f);
                if (nhyd(a) == 1) set(0.8f + 0.17f * std::fabs(c));
            }
            if (A == 55) set(geom.nno(b) == 2 ? -0.05f : -1.2f);
        }
        if (G == 57 && A == 6) set(-0.23f);
        if (G == 58) {
            if (A == 6) set(0.8f);
            if (A == 55) set(0.36f);
        }
    }
    // R12
    if (A == 6 && G == 55) {
        if (B == 7) {
            if (iarom(g) < 5) {
                set(0.1f);
            } else {
                set(0.35f);
                if (huch.ncnt == 1) set(0.5f);
            }
        }
        if (B == 8) {
            if (h == 3) {
                if (geom.nnn58(g) == 1) set(0.3f);
                else if (iarom(g) < 5 && geom.nnco(g) == 0) set(-0.1f);
                else if (geom.nnco(g) == 1) {
                    if (nhyd(g) == 1) set(0.35f);
                    if (nhyd(g) == 0) set(0.25f);
                } else if (iarom(g) < 5) set(0.2f);
                else if (iarom(g) == 6) set(0.2f);
                else set(0.05f);
            } else {
                if (geom.nnco(g) == 1) set(0.12f);
                if (geom.nnco(g) == 0) set(0.2f);
            }
        }
        if (B == 16) set(h == 3 ? 0.05f : 0.46f);
        if (B == 34) set(h == 3 ? 0.45f : 0.6f + 0.2f * c);
        if (B == 57) {
            if (iarom(b) == 5) set(0.45f);
            if (geom.nnco(g) == 0) {
                if (iarom(b) < 5) set(0.3f);
                if (iarom(b) == 6) set(0.65f);
            }
            if (geom.nns61(g) == 1) set(0.45f + 0.9f * c);
            if (geom.nnco(g) == 1) set(0.04f - 0.083f * c);
            if (geom.nnco(g) == 1 && h == 3) set(0.08f);
        }
        if (B == 58) set(0.35f - 0.2f * c);
    }
    // R13 - R18
    if (B == 55 && G == 55 && iarom(g) == 6) {
        if (A == 7) {
            set(-2.17f);
            if (huch.ncnt > 0) set(-2.1f);
        }
        if (A == 8) set(-0.5f);
        if (A == 16) set(0.42f);
        if (A == 34) set(0.72f);
    }
    if (A == 8 && B == 55) {
        if (G == 60) set(6.35f);
        if (geom.nnco(b) == 1 && G == 55) set(1.0f);
        if (geom.nnco(b) == 1 && G == 6) set(0.25f);
        if (G == 58) set(3.5f + 4.5f * c);
    }
    if (A == 8 && B == 6 && G == 6) set(0.19f - 0.1f * c);
    if (A == 57) {
        if (B == 55) {
            if (G == 60) set(0.08f + 0.16f * c);
            if (G == 6 && geom.nnco(b) == 1) set(0.11f - 0.1f * c);
            if (G == 55) {
                if (iarom(b) < 5) set(0.3f);
                if (iarom(b) == 5) set(0.48f);
                if (iarom(b) == 6) set(0.05f);
            }
        }
        if (B == 58 && G == 58) set(-0.5f);
        if (B == 6) {
            if (G == 6) set(0.1f);
            if (G == 55) set(geom.nnco(g) == 1 ? -0.3f + 0.5f * c : 0.3f + 0.5f * c);
        }
    }
    if (A == 58 && B == 55 && (G == 6 || G == 8 || G == 57)) set(0.01f);
    if (A == 34 && B == 6 && G == 6) set(0.6f);
    return s;
}

}  // namespace velmar
