// Five- and six-membered rings, their ring codes, and the ring-current
// term of every hydrogen.
#include <cmath>

#include "common.h"
#include "geometry.h"
#include "routines.h"

namespace velmar {

namespace {

bool ringType(int a)
{
    if (a < 1 || a > geom.natoms)
        return false;
    switch (geom.itype(a)) {
    case 6: case 7: case 8: case 16: case 55: case 57: case 58: case 62:
        return true;
    default:
        return false;
    }
}

int slots(int i)
{
    return geom.ialf(i, 1);
}

int slot(int i, int k)
{
    return geom.ialf(i, k + 1);
}

// Finds the rings of the given size; false when there are more than 10.
bool findRings(int size, int& count, Mat<int32_t, kMaxRings, 6>& rings)
{
    count = 0;
    int path[7];
    for (int s = 1; s <= geom.natoms; ++s) {
        if (!ringType(s))
            continue;
        bool known = false;
        for (int r = 1; r <= count && !known; ++r)
            for (int m = 1; m <= size; ++m)
                known = known || rings(r, m) == s;
        if (known)
            continue;
        path[0] = s;
        bool done = false;
        // depth-first over the neighbour slots as the search walks them
        for (int ka = 1; ka <= 4 && !done; ++ka) {
            int a = geom.ialf(s, ka + 1);
            if (a == 0 || !ringType(a))
                continue;
            path[1] = a;
            for (int kb = 1; kb <= 4 && !done; ++kb) {
                int b = geom.ialf(a, kb + 1);
                if (b == 0 || b == s)
                    break;  // the walk over a's neighbours stops here
                if (!ringType(b))
                    continue;
                path[2] = b;
                // the remaining steps: any neighbour but the atom just left
                int idx[7] = {0, 0, 0, 0, 0, 0, 0};
                int depth = 3;
                idx[3] = 0;
                while (depth >= 3 && !done) {
                    int from = path[depth - 1], prev = path[depth - 2];
                    int next = 0;
                    while (idx[depth] < slots(from)) {
                        int c = slot(from, ++idx[depth]);
                        if (c != 0 && c != prev) {
                            next = c;
                            break;
                        }
                    }
                    if (next == 0) {
                        --depth;
                        continue;
                    }
                    if (depth == size) {
                        if (next != s)
                            continue;
                        if (count > 0 && rings(count, 1) == s) {
                            done = true;
                            break;
                        }
                        if (count == kMaxRings) {
                            rejectMolecule(std::string("MORE THAN 10 ") + (size == 5 ? "FIVE" : "SIX") +
                                           "-MEMBERED RINGS");
                            return false;
                        }
                        ++count;
                        for (int m = 1; m <= size; ++m)
                            rings(count, m) = path[m - 1];
                        continue;
                    }
                    if (!ringType(next))
                        continue;
                    path[depth] = next;
                    ++depth;
                    idx[depth] = 0;
                }
            }
        }
    }
    return true;
}

bool hasType(const Mat<int32_t, kMaxRings, 6>& rings, int r, int size, int t)
{
    for (int m = 1; m <= size; ++m)
        if (geom.itype(rings(r, m)) == t)
            return true;
    return false;
}

float ringTerm(const Mat<int32_t, kMaxRings, 6>& rings, int r, int size, int h)
{
    float c[3] = {0, 0, 0};
    for (int m = 1; m <= size; ++m)
        for (int k = 0; k < 3; ++k)
            c[k] += geom.xyz(rings(r, m), k + 1);
    for (float& x : c)
        x /= static_cast<float>(size);
    float v[3], rr[3], ra[3], u[3], nn[3];
    for (int k = 0; k < 3; ++k)
        v[k] = c[k] - geom.xyz(rings(r, 1), k + 1);
    univec(rr, v);
    for (int k = 0; k < 3; ++k)
        v[k] = c[k] - geom.xyz(rings(r, 3), k + 1);
    univec(ra, v);
    for (int k = 0; k < 3; ++k)
        v[k] = c[k] - geom.xyz(h, k + 1);
    univec(u, v);
    vecprd(nn, rr, ra);
    float cal;
    sclprd(nn, u, cal);
    float d2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    return (1.0f - 3.0f * cal * cal) / std::pow(d2, 1.5f);
}

}  // namespace

void arings()
{
    geom.nring5 = 0;
    geom.nring6 = 0;
    if (!findRings(5, geom.nring5, geom.iring5) || !findRings(6, geom.nring6, geom.iring6))
        return;
    for (int i = 1; i <= geom.natoms; ++i) {
        for (int r = 1; r <= geom.nring5; ++r) {
            bool in = false;
            for (int m = 1; m <= 5; ++m)
                in = in || geom.iring5(r, m) == i;
            if (!in)
                continue;
            if (hasType(geom.iring5, r, 5, 6)) {
                huch.iarom(i) = 1;
            } else {
                bool co = false;
                for (int m = 1; m <= 5; ++m)
                    co = co || geom.nnco(geom.iring5(r, m)) == 1;
                if (!co)
                    huch.iarom(i) = 5;
            }
        }
        for (int r = 1; r <= geom.nring6; ++r) {
            bool in = false;
            for (int m = 1; m <= 6; ++m)
                in = in || geom.iring6(r, m) == i;
            if (in)
                huch.iarom(i) = hasType(geom.iring6, r, 6, 6) ? 2 : 6;
        }
        if (geom.itype(i) == 7 && huch.iarom(i) > 4)
            geom.itype(i) = 57;
    }
}

void rincur()
{
    const int n = geom.natoms;
    int naliph = 0, nhetal = 0;
    for (int r = 1; r <= geom.nring6; ++r)
        naliph += hasType(geom.iring6, r, 6, 6);
    for (int r = 1; r <= geom.nring5; ++r)
        nhetal += hasType(geom.iring5, r, 5, 6);
    int numar = geom.nring6 - naliph, nuhet = geom.nring5 - nhetal;
    int komona = 0, komonh = 0;
    for (int a = 1; a <= geom.nring6; ++a)
        for (int b = a + 1; b <= geom.nring6; ++b)
            for (int p = 1; p <= 6; ++p)
                for (int q = 1; q <= 6; ++q)
                    if (geom.iring6(a, p) == geom.iring6(b, q) && huch.iarom(geom.iring6(a, p)) == 6)
                        ++komona;
    if (nuhet != 0)
        for (int a = 1; a <= geom.nring6; ++a)
            for (int b = 1; b <= geom.nring5; ++b)
                for (int p = 1; p <= 6; ++p)
                    for (int q = 1; q <= 5; ++q)
                        if (geom.iring6(a, p) == geom.iring5(b, q) && huch.iarom(geom.iring6(a, p)) == 6)
                            ++komonh;
    int ncarb = 0;
    for (int i = 1; i <= n; ++i) {
        if (geom.itype(i) != 55 || huch.iarom(i) <= 4)
            continue;
        int c = 0;
        for (int k = 2; k <= geom.ibet(i, 1) + 1; ++k) {
            int b = geom.ibet(i, k);
            c += geom.itype(b) == 55 && huch.iarom(b) > 4;
        }
        ncarb += c == 6;
    }
    float fact = 1.0f;
    if (numar == 2) fact = 0.93f;
    if (numar == 3) fact = 0.94f;
    if (numar == 4 && ncarb == 0) fact = 0.88f;
    if (numar == 4 && ncarb == 2) fact = 0.88f;
    if (numar == 5 && ncarb == 0) fact = 0.85f;
    if (numar == 5 && ncarb == 2) fact = 0.68f;
    if (numar == 7 && ncarb == 6) fact = 1.01f;
    if (numar == 2 && nuhet == 1 && ncarb == 1) fact = 0.83f;
    if (numar == 1 && nuhet == 1 && komonh == 2) fact = 0.9f;
    if (komona == 0 && nuhet == 0) fact = 1.0f;
    if (numar == 2 && komonh == 4 && komona == 0) fact = 0.83f;

    for (int r = 1; r <= geom.nring5; ++r) {
        int nco = 0, c6 = 0, nox = 0, nos = 0, nar = 0, non2 = 0;
        huch.ncnt = 0;
        for (int m = 1; m <= 5; ++m) {
            int a = geom.iring5(r, m);
            nco += geom.nnco(a) == 1;
            switch (geom.itype(a)) {
            case 6: ++c6; break;
            case 8: ++nox; break;
            case 16: ++nos; break;
            case 55: ++nar; break;
            case 57: ++non2; break;
            case 58: ++huch.ncnt; break;
            default: break;
            }
        }
        if (c6 > 0 || nco > 0)
            continue;
        float q = 0.0f;
        int nc = huch.ncnt;
        if (nox == 1 && nc == 0) q = 17.6f;
        if (nox == 1 && nc == 1) q = 16.6f;
        if (nos == 1 && nc == 0) q = 21.8f;
        if (nos == 1 && nc == 1) q = 20.0f;
        if (non2 == 1 && nc == 0) q = 19.0f;
        if (non2 == 1 && nc > 0) q = 16.0f;
        if (nar == 5) q = 11.57f;
        for (int h = 1; h <= n; ++h)
            if (geom.itype(h) == 1)
                geom.ringct(h) += q * ringTerm(geom.iring5, r, 5, h);
    }
    for (int r = 1; r <= geom.nring6; ++r) {
        int c57 = 0, c08 = 0, c6 = 0;
        huch.ncnt = 0;
        for (int m = 1; m <= 6; ++m) {
            switch (geom.itype(geom.iring6(r, m))) {
            case 58: ++huch.ncnt; break;
            case 57: ++c57; break;
            case 8: ++c08; break;
            case 6: ++c6; break;
            default: break;
            }
        }
        if (c6 > 0)
            continue;
        int nco = 0;
        bool amide = false, ester = false;
        for (int m = 1; m <= 6; ++m) {
            int a = geom.iring6(r, m);
            if (geom.nnco(a) != 1)
                continue;
            ++nco;
            for (int k = 2; k <= geom.ialf(a, 1) + 1; ++k) {
                int t = geom.itype(geom.ialf(a, k));
                if (t == 57) amide = true;
                if (t == 8) ester = true;
            }
            nco -= static_cast<int>(ester) + static_cast<int>(amide);
        }
        float q = fact * 26.23f;
        if (huch.ncnt == 1) q = geom.nring6 == 2 ? 19.7f : 23.0f;
        if (huch.ncnt == 2) q = 18.83f;
        if (amide) q = 15.0f;
        if (ester) q = 7.0f;
        if (nco == 1) {
            if (c57 == 0 && c08 == 0) q = 0.0f;
            if (c57 == 1) q = 11.0f;
            if (c08 == 1) q = 5.0f;
        }
        for (int h = 1; h <= n; ++h)
            if (geom.itype(h) == 1)
                geom.ringct(h) += q * ringTerm(geom.iring6, r, 6, h);
    }
}

}  // namespace velmar
