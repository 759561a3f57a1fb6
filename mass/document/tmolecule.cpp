#include "tmolecule.h"

#include "molfile.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

const QString kCarbon = QStringLiteral("C");
const QString kHydrogen = QStringLiteral("H");

// What a bond of `type` takes from its atoms' valence; types other than
// 1 to 4 take nothing. Type 4 counts as a triple bond.
int32_t bondOrder(int32_t type)
{
    switch (type) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
    case 4:
        return 3;
    default:
        return 0;
    }
}

// Count and charge arithmetic of records that may hold any int32: kept in
// 64 bits and clamped, so that no sum overflows.
int32_t clampToInt32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

QString TAtom::symbol() const
{
    return element ? element->symbolText() : QString();
}

QList<int32_t> TAtom::valenceList() const
{
    return element ? element->valenceList() : QList<int32_t>{0};
}

void TAtom::setElement(const QString& symbolText)
{
    element = &TPeriodicTable::instance()->lookup(symbolText);
}

int TMolecule::addAtom(const TAtom& atom)
{
    atoms.append(atom);
    return atoms.size() - 1;
}

int TMolecule::addBond(const TBond& bond)
{
    const int index = bonds.size();
    bonds.append(bond);
    const int32_t ends[2] = {bond.first, bond.second};
    for (int k = 0; k < 2; ++k) {
        const int32_t a = ends[k];
        if (a < 0 || a >= atoms.size())
            continue;
        TAtom& atom = atoms[a];
        atom.bondRefs.append(TBondRef{ends[1 - k], index});
        atom.implicitHydrogens = -1;
    }
    return index;
}

const TAtom* TMolecule::atomAt(int index) const
{
    return index >= 0 && index < atoms.size() ? &atoms.at(index) : nullptr;
}

const TBond* TMolecule::bondAt(int index) const
{
    return index >= 0 && index < bonds.size() ? &bonds.at(index) : nullptr;
}

int32_t TMolecule::implicitHydrogenCount(int index) const
{
    const TAtom* atom = atomAt(index);
    if (!atom || !atom->element || atom->valence == -1)
        return -1;
    if (atom->implicitHydrogens != -1)
        return atom->implicitHydrogens;
    int64_t count = atom->valence;
    for (const TBondRef& ref : atom->bondRefs)
        if (const TBond* bond = bondAt(ref.bond))
            count -= bondOrder(bond->type);
    const int64_t q = atom->charge;
    const QString symbol = atom->symbol();
    if (q > 0)
        count += (symbol == kCarbon || symbol == kHydrogen) ? -q : q;
    else
        count += q;
    // An over-bonded atom has no implicit hydrogens, never a negative
    // number of them.
    atom->implicitHydrogens = clampToInt32(std::max<int64_t>(count, 0));
    return atom->implicitHydrogens;
}

int32_t TMolecule::symbolCount(const QString& symbol) const
{
    int64_t count = 0;
    const bool hydrogen = symbol == kHydrogen;
    for (int i = 0; i < atoms.size(); ++i) {
        const QString s = atoms.at(i).symbol();
        if (s == symbol)
            ++count;
        else if (hydrogen)
            count += std::max(implicitHydrogenCount(i), 0);
    }
    return clampToInt32(count);
}

QString TMolecule::formula() const
{
    QStringList symbols;
    for (const TAtom& atom : atoms) {
        const QString s = atom.symbol();
        if (!s.isEmpty() && !symbols.contains(s))
            symbols.append(s);
    }
    const int32_t hydrogens = symbolCount(kHydrogen);
    if (hydrogens != 0 && !symbols.contains(kHydrogen))
        symbols.append(kHydrogen);
    // QString orders by UTF-16 code: upper case before lower case.
    std::sort(symbols.begin(), symbols.end());

    QString carbon, hydrogen, others;
    for (const QString& s : symbols) {
        const int32_t n = s == kHydrogen ? hydrogens : symbolCount(s);
        const QString text = n > 1 ? s + QString::number(n) : s;
        if (s == kCarbon)
            carbon = text;
        else if (s == kHydrogen)
            hydrogen = text;
        else
            others += text;
    }
    return carbon + hydrogen + others;
}

double TMolecule::molecularWeight() const
{
    double weight = 0;
    for (const TAtom& atom : atoms)
        if (atom.element && atom.symbol() != kHydrogen)
            weight += atom.element->mass;
    return weight + symbolCount(kHydrogen) * TPeriodicTable::instance()->lookup(kHydrogen).mass;
}

double TMolecule::largestCoordinate() const
{
    double largest = 0;
    for (const TAtom& atom : atoms)
        for (double c : {atom.x, atom.y, atom.z})
            if (std::isfinite(c))
                largest = std::max(largest, std::fabs(c));
    return largest == 0 ? 1.0 : largest;
}

std::array<double, 3> TMolecule::scaledCoordinates(const TAtom& atom, double scale)
{
    std::array<double, 3> out{};
    const double in[3] = {atom.x, atom.y, atom.z};
    for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(in[k]))
            continue;
        out[k] = in[k] * 100 / scale;
        // A coordinate near the largest double overflows when multiplied
        // first; its quotient does not.
        if (!std::isfinite(out[k]))
            out[k] = in[k] / scale * 100;
        if (!std::isfinite(out[k]))
            out[k] = 0;
    }
    return out;
}

QString TMolecule::molfile(bool useCache) const
{
    if (useCache && !cachedMolfile.isEmpty())
        return cachedMolfile;
    return QString::fromLatin1(writeMolfile(*this));
}
