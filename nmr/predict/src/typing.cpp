// Atom typing: carbon, nitrogen, oxygen and sulfur get special types by
// their number of neighbours and the types around them; implicit charges
// and the neighbour counts that later steps read.
#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar {

namespace {

int nbCount(int i)
{
    return geom.ialf(i, 1);
}

int nb(int i, int k)
{
    return geom.ialf(i, k + 1);
}

bool addCharge(int atom, float q)
{
    if (huch.nchat == kMaxCharges) {
        rejectMolecule("MORE THAN 30 CHARGES");
        return false;
    }
    ++huch.nchat;
    huch.ichat(huch.nchat) = atom;
    huch.chat(huch.nchat) = q;
    return true;
}

}  // namespace

void sp2n(int i)
{
    auto& t = geom.iatno;
    int c58 = 0, c60 = 0, c55n = 0;
    for (int k = 1; k <= nbCount(i); ++k) {
        int a = nb(i, k);
        if (t(a) == 58)
            ++c58;
        if (t(a) == 60)
            ++c60;
        if (t(a) == 55)
            for (int m = 1; m <= nbCount(i); ++m)
                if (t(nb(i, m)) == 7 || t(nb(i, m)) == 57)
                    ++c55n;
    }
    if (c58 > 1 || c55n > 0 || c60 > 0)
        t(i) = 57;
    for (int k = 2; k <= geom.ibet(i, 1) + 1; ++k) {
        int b = geom.ibet(i, k);
        if (t(b) == 60 || t(b) == 61 || t(b) == 58)
            t(i) = 57;
    }
}

void hybrid()
{
    const int n = geom.natoms;
    auto& t = geom.iatno;
    for (int i = 1; i <= n; ++i) {
        int c = nbCount(i);
        if (t(i) == 6 && c == 3)
            t(i) = 55;
        else if (t(i) == 6 && c == 2)
            t(i) = 56;
        else if (t(i) == 8 && c == 1)
            t(i) = 60;
        else if (t(i) == 16 && c == 1)
            t(i) = 61;
        else if (t(i) == 16 && c > 2)
            t(i) = 62;
    }
    for (int i = 1; i <= n; ++i) {
        if (t(i) != 7)
            continue;
        int c = nbCount(i);
        if (c == 4) {
            if (!addCharge(i, 1.0f))
                return;
        } else if (c == 1) {
            t(i) = 59;
        } else if (c == 2) {
            t(i) = 58;
        }
    }
    for (int i = 1; i <= n; ++i)
        if (t(i) == 7 && nbCount(i) == 3)
            sp2n(i);
    for (int i = 1; i <= n; ++i) {
        if (t(i) != 56)
            continue;
        int cnt = 0;
        for (int k = 1; k <= nbCount(i); ++k) {
            if (t(nb(i, k)) != 55)
                continue;
            ++cnt;
            for (int m = 1; m <= nbCount(i); ++m) {
                int u = t(nb(i, m));
                if (u == 57 || u == 60 || cnt >= 2)
                    t(i) = 55;
            }
        }
    }
    for (int i = 1; i <= n; ++i) {
        if (t(i) != 62)
            continue;
        int c60 = 0;
        for (int k = 1; k <= nbCount(i); ++k)
            c60 += t(nb(i, k)) == 60;
        if (c60 == 3)
            for (int k = 1; k <= nbCount(i); ++k)
                if (t(nb(i, k)) == 60 && !addCharge(nb(i, k), -0.3333f))
                    return;
    }
    for (int i = 1; i <= n; ++i) {
        geom.itype(i) = t(i);
        if (geom.itype(i) == 14 || geom.itype(i) == 15)
            writef(12, "(5X,22HUNPARAMETRISED ATOM NO,I3,5X,5HAT NO,I3)", {i, geom.itype(i)});
    }
    if (huch.nchat > 0)
        writef(12, "(5X,30HUNPARAMETRISED CHARGED SPECIES)");

    for (int i = 1; i <= n; ++i) {
        int ti = geom.itype(i);
        for (int k = 1; k <= nbCount(i); ++k) {
            int u = geom.itype(nb(i, k));
            switch (ti) {
            case 1:
                if (u == 7) ++geom.nnn(i);
                if (u == 8) ++geom.nno(i);
                if (u == 57) ++geom.nnn57(i);
                break;
            case 6:
                if (u == 6) ++geom.nnc(i);
                if (u == 7) ++geom.nnn(i);
                if (u == 8) ++geom.nno(i);
                if (u == 9) ++geom.nnf(i);
                if (u == 16) ++geom.nns(i);
                if (u == 17) ++geom.nncl(i);
                if (u == 35) ++geom.nnbr(i);
                if (u == 53) ++geom.nni(i);
                if (u == 57) ++geom.nnn57(i);
                break;
            case 7:
                if (u == 7) ++geom.nnn(i);
                break;
            case 55:
                if (u == 6) ++geom.nnc(i);
                if (u == 8) ++geom.nno(i);
                if (u == 9) ++geom.nnf(i);
                if (u == 17) ++geom.nncl(i);
                if (u == 35) ++geom.nnbr(i);
                if (u == 53) ++geom.nni(i);
                if (u == 58) ++geom.nnn58(i);
                if (u == 60) ++geom.nnco(i);
                if (u == 61) ++geom.nns61(i);
                break;
            case 56:
                if (u == 59) ++geom.nnn59(i);
                break;
            case 57:
                if (u == 60) ++geom.nno(i);
                if (u == 62) ++geom.nns(i);
                break;
            case 62:
                if (u == 60) ++geom.nno(i);
                break;
            default:
                break;
            }
        }
    }
    for (int i = 1; i <= n; ++i) {
        if (geom.itype(i) != 6 && geom.itype(i) != 8)
            continue;
        for (int k = 1; k <= nbCount(i); ++k) {
            int a = nb(i, k);
            if (geom.itype(a) == 55 && geom.nnco(a) == 1)
                ++geom.nnacyl(i);
        }
    }
}

}  // namespace velmar
