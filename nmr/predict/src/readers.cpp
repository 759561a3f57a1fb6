// Molecule readers: numeric and symbolic internal coordinates, labelled
// coordinates with connections, and connection-table records.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common.h"
#include "geometry.h"
#include "routines.h"
#include "units.h"

namespace velmar {

namespace {

const char* const kElements[53] = {
    "H ", "A ", "Li", "Be", "B ", "C ", "N ", "O ", "F ", "Ne", "Na", "Mg", "Al", "Si", "P ", "S ", "Cl", "Ar",
    "K ", "Ca", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "31", "32", "33", "Se", "Br", "36",
    "37", "38", "39", "40", "41", "42", "43", "44", "45", "46", "47", "48", "49", "50", "51", "52", "I "};

std::string num(int v)
{
    return std::to_string(v);
}

// A count read from the input must be usable as a table size.
int checkedCount(int32_t n, int limit, const char* what)
{
    if (n < 0) {
        rejectMolecule(std::string("NEGATIVE NUMBER OF ") + what);
        return 0;
    }
    if (n > limit)
        rejectMolecule(std::string("MORE THAN ") + num(limit) + " " + what);
    return n;
}

// Atom and set counts of a molecule; a negative count reads no records.
void readAtomCount(int32_t& natoms)
{
    checkedCount(natoms, kMaxAtoms, "ATOMS");
    if (natoms < 0)
        natoms = 0;
    checkedCount(geom.nsets, kMaxSets, "EQUIVALENCE SETS");
    if (geom.nsets < 0)
        geom.nsets = 0;
}

// Charge records "(I3,F10.4)"; records beyond the table are read and dropped.
void readCharges()
{
    int n = checkedCount(huch.nchat, kMaxCharges, "CHARGES");
    for (int k = 1; k <= n; ++k) {
        int32_t atom = 0;
        float q = 0.0f;
        readf(5, "(I3,F10.4)", {atom, q});
        if (k <= kMaxCharges) {
            huch.ichat(k) = atom;
            huch.chat(k) = q;
        }
        if (atom < 1 || atom > geom.natoms)
            rejectMolecule("CHARGE GIVEN ON ATOM " + num(atom) + " OUTSIDE THE MOLECULE");
    }
    if (huch.nchat < 0 || huch.nchat > kMaxCharges)
        huch.nchat = 0;
}

bool addNeighbour(int i, int j)
{
    if (geom.ialf(i, 1) == kMaxAlpha) {
        rejectMolecule("MORE THAN 4 NEIGHBOURS ON ATOM " + num(i));
        return false;
    }
    int n = ++geom.ialf(i, 1);
    geom.ialf(i, n + 1) = j;
    return true;
}

bool isNeighbour(int i, int j)
{
    for (int k = 2; k <= geom.ialf(i, 1) + 1; ++k)
        if (geom.ialf(i, k) == j)
            return true;
    return false;
}

// The atom records of one molecule of an internal-coordinate input have
// been read: coordinates, bonds by reference and by distance, messages and
// the lists of atoms two and three bonds away.
void finishInternal(bool zmatSilicon)
{
    if (moleculeRejected())
        return;
    coord();
    if (moleculeRejected())
        return;
    const int n = geom.natoms;
    for (int i = 2; i <= n; ++i) {
        int a = geom.nref(i, 1);
        if (a < 1 || a > n) {
            rejectMolecule("ATOM " + num(i) + " REFERS TO ATOM " + num(a) + " OUTSIDE THE MOLECULE");
            return;
        }
        if (geom.iatno(i) == 2 || geom.iatno(a) == 2)
            continue;
        if (!addNeighbour(i, a) || !addNeighbour(a, i))
            return;
    }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            float v[3];
            relvec(v, i, j);
            mag(geom.dist(i, j), v);
            float limit = covalentRadius(geom.iatno(i), zmatSilicon) + covalentRadius(geom.iatno(j), zmatSilicon) +
                          0.15f;
            if (i != j && geom.dist(i, j) < limit && !isNeighbour(i, j)) {
                if (geom.nbform == kMaxBform) {
                    rejectMolecule("MORE THAN 30 BONDS FORMED BY DISTANCE");
                    return;
                }
                if (!addNeighbour(i, j) || !addNeighbour(j, i))
                    return;
                ++geom.nbform;
                geom.ibform(geom.nbform, 1) = i;
                geom.ibform(geom.nbform, 2) = j;
            }
        }
    for (int k = 1; k <= geom.nbform; ++k) {
        int i = geom.ibform(k, 1), j = geom.ibform(k, 2);
        writef(12, "(26H BOND FORMED BETWEEN ATOMS,I3,4H AND,I3,5X,3HBL=,F6.3)", {i, j, geom.dist(i, j)});
    }
    for (int k = 1; k <= huch.nchat; ++k)
        writef(12, "(25H CHARGE SPECIFIED ON ATOM,I3,3H = ,F6.3)", {huch.ichat(k), huch.chat(k)});
    betgam();
}

// Reads one symbol atom record of the layout of an input code into atom i
// (or into scratch when i is beyond the table).
bool readSymbolAtom(int code, int i)
{
    static Chars<4> lab;
    static float g[3];
    static int32_t r[3];
    lab.blank();
    const char* layout = code == 1   ? "(A2,3X,3(F11.4,3X),1X,3I3)"
                         : code == 5 ? "(A2,3X,3(F11.4,3X),3I4)"
                         : code == 3 ? "(2X,A2,1X,3(F12.4,3X),1X,3I4)"
                                     : "(1X,A2,2X,3(F11.4,3X),3I4)";
    readf(5, layout, {InItem(lab.c, 4), g[0], g[1], g[2], r[0], r[1], r[2]});
    if (i < 1 || i > kMaxAtoms)
        return lab.str() == "0   ";
    micro.alab(i) = lab;
    for (int k = 1; k <= 3; ++k) {
        geom.geo(i, k) = g[k - 1];
        geom.nref(i, k) = r[k - 1];
    }
    geom.nref(i, 4) = 0;
    return lab.str() == "0   ";
}

void echoSymbolInput()
{
    writef(12, "(1H1,/,5X,A70,/)", {std::string_view(micro.title.c, 70)});
    writef(12, "(16H NUMBER OF ATOMS,I3)", {geom.natoms});
    writef(12, "(24H NUMBER OF CHARGES ADDED,I3)", {huch.nchat});
}

// The bonds of a connection table (atom numbers already checked) must give
// every atom at most four distinct neighbours other than itself: an atom
// bonded to itself, a bond listed twice or a fifth neighbour would give
// equal atoms different charges or change an atom's type.
bool connectionTableValid(int bonds, const int32_t* first, const int32_t* second)
{
    static int32_t count[kMaxAtoms + 1];
    for (int a = 1; a <= geom.natoms; ++a)
        count[a] = 0;
    for (int k = 0; k < bonds; ++k) {
        const int32_t a = first[k], b = second[k];
        if (a == b) {
            rejectMolecule("BOND " + num(k + 1) + " CONNECTS ATOM " + num(a) + " TO ITSELF");
            return false;
        }
        for (int j = 0; j < k; ++j)
            if ((first[j] == a && second[j] == b) || (first[j] == b && second[j] == a)) {
                rejectMolecule("BOND " + num(k + 1) + " REPEATS BOND " + num(j + 1) + " BETWEEN ATOMS " + num(a) +
                               " AND " + num(b));
                return false;
            }
        for (int32_t atom : {a, b})
            if (++count[atom] > kMaxAlpha) {
                rejectMolecule("MORE THAN 4 NEIGHBOURS ON ATOM " + num(atom));
                return false;
            }
    }
    return true;
}

// The lines after the bond block. A molfile's properties block ("M  CHG",
// "M  ISO", atom aliases and values, ...) is skipped up to and including
// "M  END"; any other first line is skipped alone. Input code 9 then skips
// the three lines of its data item. An SD record end "$$$$" right after is
// skipped as well (it can be no end record).
void skipTableTrailer()
{
    static const char* const kPropertyStarts[] = {"M  ", "A  ", "V  ", "G  ", "S  SKP"};
    auto startsWith = [](const Chars<6>& c, const char* p) { return std::strncmp(c.c, p, std::strlen(p)) == 0; };
    Chars<6> line;
    line.blank();
    readf(5, "(A6)", {txt(line)});
    bool properties = false;
    for (const char* p : kPropertyStarts)
        properties = properties || startsWith(line, p);
    while (properties && !startsWith(line, "M  END")) {
        line.blank();
        readf(5, "(A6)", {txt(line)});
    }
    if (cryst.InputCode == 9)
        readf(5, "(/,/)");
    std::string next;
    if (peekRecord(5, next) && next.compare(0, 4, "$$$$") == 0)
        readf(5, "(A6)", {txt(line)});
}

int truncToAtom(float v)
{
    // bond fields are reals; anything that is no atom number is out of range
    if (!(std::fabs(v) < 1.0e6f))
        return -1;
    return static_cast<int>(v);
}

}  // namespace

void identy()
{
    for (int i = 1; i <= geom.natoms; ++i) {
        char* lab = micro.alab(i).c;
        char c = lab[1];
        if (c >= '0' && c <= '9')
            c = ' ';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        lab[1] = c;
        geom.iatno(i) = 54;
        for (int e = 0; e < 53; ++e)
            if (lab[0] == kElements[e][0] && lab[1] == kElements[e][1]) {
                geom.iatno(i) = e + 1;
                break;
            }
    }
}

void getmat()
{
    readf(5, "(A80)", {txt(micro.title)});
    writef(12, "(1H1,1X,A70)", {std::string_view(micro.title.c, 70)});
    readf(5, "(3I2)", {geom.natoms, geom.nsets, huch.nchat});
    readAtomCount(geom.natoms);
    writef(12, "(2X,16H NUMBER OF ATOMS,I3)", {geom.natoms});
    if (huch.nchat != 0)
        writef(12, "(24H NUMBER OF CHARGES ADDED,I3)", {huch.nchat});
    for (int i = 1; i <= geom.natoms; ++i) {
        int32_t e = 0, r[4] = {0, 0, 0, 0};
        float g[3] = {0, 0, 0};
        readf(5, "(3X,I2,I5,3(F10.4,I5))", {e, r[0], g[0], r[1], g[1], r[2], g[2], r[3]});
        if (i > kMaxAtoms)
            continue;
        geom.iatno(i) = e;
        for (int k = 1; k <= 3; ++k)
            geom.geo(i, k) = g[k - 1];
        for (int k = 1; k <= 4; ++k)
            geom.nref(i, k) = r[k - 1];
    }
    readCharges();
    finishInternal(true);
}

void getmnd()
{
    readf(5, "(A80)", {txt(micro.title)});
    readf(5, "(3I2)", {geom.natoms, geom.nsets, huch.nchat});
    readAtomCount(geom.natoms);
    echoSymbolInput();
    for (int i = 1; i <= geom.natoms; ++i)
        readSymbolAtom(cryst.InputCode, i);
    if (!moleculeRejected())
        identy();
    readCharges();
    finishInternal(false);
}

void getinp()
{
    readf(5, "(/,A80)", {txt(micro.title)});
    int32_t unused = 0;
    readf(5, "(3I2)", {unused, geom.nsets, huch.nchat});
    checkedCount(geom.nsets, kMaxSets, "EQUIVALENCE SETS");
    geom.natoms = 99;
    for (int i = 1; i <= 99; ++i)
        if (readSymbolAtom(7, i)) {
            geom.natoms = i - 1;
            break;
        }
    echoSymbolInput();
    identy();
    readCharges();
    finishInternal(false);
}

void getcsr()
{
    int32_t nsets = 0;
    readf(5, "(A80,/,2I2,/)", {txt(micro.title), geom.natoms, nsets});
    geom.nsets = nsets;
    readAtomCount(geom.natoms);
    writef(12, "(1H1,/,6X,A70,/)", {std::string_view(micro.title.c, 70)});
    writef(12, "(16H NUMBER OF ATOMS,I3,/)", {geom.natoms});
    for (int i = 1; i <= geom.natoms; ++i) {
        Chars<4> lab;
        lab.blank();
        float x = 0, y = 0, z = 0;
        int32_t nb[4] = {0, 0, 0, 0};
        readf(5, "(5X,A4,2X,3(F9.5,1X),4I4)", {txt(lab), x, y, z, nb[0], nb[1], nb[2], nb[3]});
        if (i > kMaxAtoms)
            continue;
        micro.alab(i) = lab;
        geom.xyz(i, 1) = x;
        geom.xyz(i, 2) = y;
        geom.xyz(i, 3) = z;
        // the connected atoms, kept in order without the empty slots
        int n = 0;
        for (int k = 0; k < 4; ++k) {
            if (nb[k] == 0)
                continue;
            if (nb[k] < 1 || nb[k] > geom.natoms)
                rejectMolecule("ATOM " + num(i) + " IS CONNECTED TO ATOM " + num(nb[k]) + " OUTSIDE THE MOLECULE");
            else if (nb[k] == i)
                rejectMolecule("ATOM " + num(i) + " IS CONNECTED TO ITSELF");
            for (int j = 0; j < k; ++j)
                if (nb[j] == nb[k])
                    rejectMolecule("ATOM " + num(i) + " IS CONNECTED TO ATOM " + num(nb[k]) + " TWICE");
            geom.ialf(i, ++n + 1) = nb[k];
        }
        geom.ialf(i, 1) = n;
    }
    if (moleculeRejected())
        return;
    identy();
    betgam();
}

void getsdf()
{
    static int32_t first[2 * 1000], second[2 * 1000];
    readf(5, "(A80)", {txt(micro.title)});
    int32_t nb = 0;
    readf(5, "(/,/,3(I3))", {geom.natoms, nb, geom.nsets});
    readAtomCount(geom.natoms);
    writef(12, "(5X,A80,/)", {textOf(micro.title)});
    writef(12, "(2X,16HNUMBER OF ATOMS:,I4)", {geom.natoms});
    for (int i = 1; i <= geom.natoms; ++i) {
        float x = 0, y = 0, z = 0;
        Chars<4> lab;
        lab.blank();
        readf(5, "(3F10.4,1X,A3)", {x, y, z, InItem(lab.c, 3)});
        if (i > kMaxAtoms)
            continue;
        if (lab.c[1] >= '0' && lab.c[1] <= '9')
            lab.c[1] = ' ';
        micro.alab(i) = lab;
        geom.xyz(i, 1) = x;
        geom.xyz(i, 2) = y;
        geom.xyz(i, 3) = z;
    }
    int bonds = checkedCount(nb, 999, "BONDS");
    for (int k = 1; k <= bonds; ++k) {
        float a = 0, b = 0;
        readf(5, "(2(F3.0))", {a, b});
        if (k > 999)
            continue;
        first[k - 1] = truncToAtom(a);
        second[k - 1] = truncToAtom(b);
        for (int32_t atom : {first[k - 1], second[k - 1]})
            if (atom < 1 || atom > geom.natoms)
                rejectMolecule("BOND " + num(k) + " NAMES ATOM " + num(atom) + " OUTSIDE THE MOLECULE");
    }
    skipTableTrailer();
    if (moleculeRejected() || !connectionTableValid(bonds, first, second))
        return;
    for (int k = 0; k < bonds; ++k) {
        first[bonds + k] = second[k];
        second[bonds + k] = first[k];
    }
    for (int a = 1; a <= geom.natoms; ++a) {
        int n = 0;
        for (int k = 0; k < 2 * bonds; ++k)
            if (first[k] == a)
                geom.ialf(a, ++n + 1) = second[k];
    }
    identy();
    for (int a = 1; a <= geom.natoms; ++a) {
        int n = 0;
        for (int k = 2; k <= 5; ++k)
            n += geom.ialf(a, k) != 0;
        geom.ialf(a, 1) = n;
    }
    betgam();
    for (int a = 1; a <= geom.natoms; ++a)
        for (int k = 2; k <= 5; ++k)
            if (geom.ialf(a, k) != 0)
                geom.nref(a, 1) = geom.ialf(a, k);
}

}  // namespace velmar
