#include "tksmolecule.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "tkschem.h"

namespace {

using tindrel::trimBlanks;

constexpr int kMaxCount = 999;

// V2000 atom-block charge codes 0 to 7.
const int kChargeOfCode[8] = {0, 3, 2, 1, 0, -1, -2, -3};

struct Failure {
    std::string reason;
};

std::string field(const std::string& line, size_t from, size_t width)
{
    if (from >= line.size())
        return std::string();
    return line.substr(from, width);
}

// An integer field; blank is `blank`, anything but a number is a failure.
int intField(const std::string& line, size_t from, size_t width, const char* what, int blank = 0)
{
    const std::string s = trimBlanks(field(line, from, width));
    if (s.empty())
        return blank;
    int v = 0;
    const char* begin = s.data() + (s[0] == '+' ? 1 : 0);
    auto r = std::from_chars(begin, s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        throw Failure{std::string("bad ") + what + " \"" + s + "\""};
    return v;
}

double coordinate(const std::string& line, size_t from, const char* what)
{
    const std::string s = trimBlanks(field(line, from, 10));
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        throw Failure{std::string("bad ") + what + " coordinate \"" + s + "\""};
    return v;
}

std::wstring latin1(const std::string& s)
{
    std::wstring out;
    for (unsigned char c : s)
        out += static_cast<wchar_t>(c);
    return out;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        pos = nl + 1;
    }
    return lines;
}

// The main-group column of an element (1, 2, 13 to 18), 0 for the others.
int groupOf(int number)
{
    struct Period {
        int first;
        int length;
    };
    static const Period periods[] = {{1, 2}, {3, 8}, {11, 8}, {19, 18}, {37, 18}, {55, 32}, {87, 32}};
    for (const Period& p : periods) {
        const int at = number - p.first;
        if (at < 0 || at >= p.length)
            continue;
        if (p.length == 2)
            return at == 0 ? 1 : 18;
        if (at < 2)
            return at + 1;
        if (at >= p.length - 6)
            return 18 - (p.length - 1 - at);
        return 0;
    }
    return 0;
}

// The valence an atom's charge leaves it (see the header).
int chargedValence(int valence, int number, int charge)
{
    const int group = number == 1 ? 14 : groupOf(number);  // hydrogen loses either sign, as carbon does
    if (group >= 15)
        return valence + charge;
    if (group == 13)
        return valence - charge;
    return valence - std::abs(charge);
}

}  // namespace

TKSMolecule::TKSMolecule() = default;
TKSMolecule::~TKSMolecule() = default;
TKSMolecule::TKSMolecule(const TKSMolecule&) = default;
TKSMolecule& TKSMolecule::operator=(const TKSMolecule&) = default;

void TKSMolecule::clear()
{
    m_table = TKSElementTable();
    m_name.clear();
    m_atoms.clear();
    m_bonds.clear();
}

bool TKSMolecule::readMolfile(const std::string& text, const TKSElementTable& table)
{
    clear();
    m_error.clear();
    const tindrel::ElementTablePtr data = table.data();
    if (!data) {
        m_error = L"no element table";
        return false;
    }
    const std::vector<std::string> lines = splitLines(text);
    size_t at = 0;
    std::vector<Atom> atoms;
    std::vector<Bond> bonds;
    try {
        if (lines.size() < 4)
            throw Failure{"no counts line"};
        const std::string& counts = lines[3];
        at = 3;
        const std::string version = trimBlanks(field(counts, 33, 6));
        if (!version.empty() && version != "V2000")
            throw Failure{"not a V2000 molfile (" + version + ")"};
        const int atomCount = intField(counts, 0, 3, "atom count");
        const int bondCount = intField(counts, 3, 3, "bond count");
        if (atomCount < 0 || atomCount > kMaxCount || bondCount < 0 || bondCount > kMaxCount)
            throw Failure{"bad counts line"};
        if (atomCount == 0)
            throw Failure{"no atoms"};
        if (lines.size() - 4 < static_cast<size_t>(atomCount) + static_cast<size_t>(bondCount))
            throw Failure{"the counts line promises more atoms and bonds than the file holds"};
        atoms.resize(static_cast<size_t>(atomCount));
        for (int i = 0; i < atomCount; ++i) {
            const std::string& line = lines[++at];
            Atom& a = atoms[static_cast<size_t>(i)];
            a.x = coordinate(line, 0, "x");
            a.y = coordinate(line, 10, "y");
            a.z = coordinate(line, 20, "z");
            a.symbol = latin1(trimBlanks(field(line, 31, 3)));
            if (a.symbol.empty())
                throw Failure{"atom without a symbol"};
            a.element = data->indexOf(a.symbol);
            if (a.element < 0)
                throw Failure{"unknown symbol \"" + trimBlanks(field(line, 31, 3)) + "\""};
            const tindrel::Element& e = data->elements[static_cast<size_t>(a.element)];
            const int difference = intField(line, 34, 2, "mass difference");
            if (difference < -3 || difference > 4)
                throw Failure{"mass difference " + std::to_string(difference) + " outside -3 to 4"};
            if (difference != 0)
                a.massNumber = e.nominalMass() + difference;
            const int chargeCode = intField(line, 36, 3, "charge");
            if (chargeCode < 0 || chargeCode > 7)
                throw Failure{"charge code " + std::to_string(chargeCode) + " outside 0 to 7"};
            a.charge = kChargeOfCode[chargeCode];
            a.radical = chargeCode == 4 ? 2 : 0;
            a.valence = intField(line, 48, 3, "valence");
            if (a.valence < 0 || a.valence > 15)
                throw Failure{"valence " + std::to_string(a.valence) + " outside 0 to 15"};
        }
        bonds.resize(static_cast<size_t>(bondCount));
        for (int i = 0; i < bondCount; ++i) {
            const std::string& line = lines[++at];
            Bond& b = bonds[static_cast<size_t>(i)];
            if (trimBlanks(field(line, 6, 3)).empty())
                throw Failure{"bond line cut short"};
            b.first = intField(line, 0, 3, "bond atom") - 1;
            b.second = intField(line, 3, 3, "bond atom") - 1;
            b.type = intField(line, 6, 3, "bond type");
            if (b.first < 0 || b.first >= atomCount || b.second < 0 || b.second >= atomCount)
                throw Failure{"bond atom outside the atom list"};
            if (b.first == b.second)
                throw Failure{"an atom bonded to itself"};
            if (b.type < 1 || b.type > 8)
                throw Failure{"bond type " + std::to_string(b.type) + " outside 1 to 8"};
        }
        // Properties up to "M  END".
        bool chargesReplaced = false, isotopesReplaced = false, ended = false;
        while (!ended && ++at < lines.size()) {
            const std::string& line = lines[at];
            const std::string tag = line.substr(0, 6);
            if (tag == "M  END") {
                ended = true;
            } else if (tag == "M  CHG" || tag == "M  RAD" || tag == "M  ISO") {
                const int n = intField(line, 6, 3, "entry count");
                if (n < 1 || n > 8)
                    throw Failure{"bad entry count in " + tag};
                if (tag != "M  ISO" && !chargesReplaced) {
                    for (Atom& a : atoms)
                        a.charge = a.radical = 0;
                    chargesReplaced = true;
                }
                if (tag == "M  ISO" && !isotopesReplaced) {
                    for (Atom& a : atoms)
                        a.massNumber = 0;
                    isotopesReplaced = true;
                }
                for (int k = 0; k < n; ++k) {
                    const size_t from = 9 + 8 * static_cast<size_t>(k);
                    if (trimBlanks(field(line, from + 4, 4)).empty())
                        throw Failure{tag + " entries run short"};
                    const int atom = intField(line, from, 4, "property atom") - 1;
                    const int value = intField(line, from + 4, 4, "property value");
                    if (atom < 0 || atom >= atomCount)
                        throw Failure{tag + " names an atom outside the atom list"};
                    Atom& a = atoms[static_cast<size_t>(atom)];
                    if (tag == "M  CHG") {
                        if (value < -15 || value > 15)
                            throw Failure{"charge " + std::to_string(value) + " outside -15 to 15"};
                        a.charge = value;
                    } else if (tag == "M  RAD") {
                        if (value < 0 || value > 3)
                            throw Failure{"radical " + std::to_string(value) + " outside 0 to 3"};
                        a.radical = value;
                    } else {
                        if (value < 1 || value > 999)
                            throw Failure{"isotope " + std::to_string(value) + " outside 1 to 999"};
                        a.massNumber = value;
                    }
                }
            } else if (tag.compare(0, 3, "A  ") == 0 || tag.compare(0, 3, "G  ") == 0) {
                ++at;  // the alias or group text on the next line
            }
        }
        if (!ended)
            throw Failure{"no \"M  END\" line"};
        for (Atom& a : atoms) {
            const tindrel::Element& e = data->elements[static_cast<size_t>(a.element)];
            if (a.massNumber != 0 && e.isotopeOfMassNumber(a.massNumber) < 0)
                throw Failure{"no isotope " + std::to_string(a.massNumber) + " of " + tindrel::toUtf8(a.symbol) +
                              " in the element table"};
        }
    } catch (const Failure& f) {
        m_error = latin1("line " + std::to_string(at + 1) + ": " + f.reason);
        return false;
    }

    // Implicit hydrogens.
    const bool haveHydrogen = data->indexOf(L"H") >= 0;
    std::vector<double> order(atoms.size(), 0);
    for (const Bond& b : bonds) {
        const double o = b.type <= 3 ? b.type : b.type == 4 ? 1.5 : 1.0;
        order[static_cast<size_t>(b.first)] += o;
        order[static_cast<size_t>(b.second)] += o;
    }
    for (size_t i = 0; i < atoms.size(); ++i) {
        Atom& a = atoms[i];
        const tindrel::Element& e = data->elements[static_cast<size_t>(a.element)];
        int valence = 0;
        if (a.valence == 15)
            valence = 0;
        else if (a.valence > 0)
            valence = a.valence;
        else
            valence = chargedValence(e.valence, e.number, a.charge);
        const int radical = a.radical == 2 ? 1 : a.radical != 0 ? 2 : 0;
        a.implicitHydrogens = std::max(0, valence - static_cast<int>(std::floor(order[i])) - radical);
        if (a.implicitHydrogens > 0 && !haveHydrogen) {
            m_error = L"implicit hydrogens, but no H in the element table";
            return false;
        }
    }
    m_table = table;
    m_name = latin1(lines[0]);
    m_atoms = std::move(atoms);
    m_bonds = std::move(bonds);
    return true;
}

int TKSMolecule::getCharge() const
{
    int charge = 0;
    for (const Atom& a : m_atoms)
        charge += a.charge;
    return charge;
}

int TKSMolecule::getHydrogenCount() const
{
    int count = 0;
    for (const Atom& a : m_atoms)
        count += a.implicitHydrogens + (a.symbol == L"H" ? 1 : 0);
    return count;
}

std::wstring TKSMolecule::getFormula() const
{
    const tindrel::ElementTablePtr data = m_table.data();
    if (!data)
        return std::wstring();
    tindrel::Counts counts(data->elements.size(), 0);
    const int hydrogen = data->indexOf(L"H");
    for (const Atom& a : m_atoms) {
        ++counts[static_cast<size_t>(a.element)];
        if (hydrogen >= 0)
            counts[static_cast<size_t>(hydrogen)] += a.implicitHydrogens;
    }
    return tindrel::hillText(counts, *data);
}

double TKSMolecule::getMonoisotopicMass() const
{
    const tindrel::ElementTablePtr data = m_table.data();
    if (!data)
        return 0;
    const int hydrogen = data->indexOf(L"H");
    const double hydrogenMass = hydrogen >= 0 ? data->elements[static_cast<size_t>(hydrogen)].monoMass() : 0;
    double mass = 0;
    for (const Atom& a : m_atoms) {
        const tindrel::Element& e = data->elements[static_cast<size_t>(a.element)];
        mass += a.massNumber != 0 ? e.isotopes[static_cast<size_t>(e.isotopeOfMassNumber(a.massNumber))].mass
                                  : e.monoMass();
        mass += a.implicitHydrogens * hydrogenMass;
    }
    return mass - getCharge() * tindrel::kElectronMass;
}
