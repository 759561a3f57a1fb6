#include "tksfragments.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tindrel {

namespace {

// Equal fragment masses within this (u) are one.
constexpr double kSameFragment = 1e-6;

bool isHydrogen(const TKSMolecule::Atom& a)
{
    return a.symbol == L"H" || a.symbol == L"D";
}

double atomMass(const TKSMolecule::Atom& a, const ElementData& table)
{
    const Element& e = table.elements[static_cast<size_t>(a.element)];
    if (a.massNumber != 0) {
        const int k = e.isotopeOfMassNumber(a.massNumber);
        if (k >= 0)
            return e.isotopes[static_cast<size_t>(k)].mass;
    }
    return e.monoMass();
}

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[static_cast<size_t>(i)] != i) {
        parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
        i = parent[static_cast<size_t>(i)];
    }
    return i;
}

}  // namespace

std::vector<double> fragmentMasses(const TKSMolecule& molecule, const ElementData& table)
{
    const auto& atoms = molecule.getAtoms();
    const int hydrogen = table.indexOf(L"H");
    const double hydrogenMass = hydrogen >= 0 ? table.elements[static_cast<size_t>(hydrogen)].monoMass() : 0;
    // Each non-hydrogen atom with its hydrogens (implicit and drawn).
    std::vector<double> mass(atoms.size(), 0);
    std::vector<bool> heavy(atoms.size(), false);
    for (size_t i = 0; i < atoms.size(); ++i) {
        heavy[i] = !isHydrogen(atoms[i]);
        mass[i] = atomMass(atoms[i], table) + atoms[i].implicitHydrogens * hydrogenMass;
    }
    std::vector<std::pair<int, int>> bonds;
    for (const TKSMolecule::Bond& b : molecule.getBonds()) {
        const size_t f = static_cast<size_t>(b.first), s = static_cast<size_t>(b.second);
        if (heavy[f] && heavy[s]) {
            bonds.emplace_back(b.first, b.second);
        } else if (heavy[f] != heavy[s]) {
            const size_t h = heavy[f] ? s : f;
            mass[heavy[f] ? f : s] += mass[h];
            mass[h] = 0;
        }
    }
    double total = 0;
    for (size_t i = 0; i < atoms.size(); ++i)
        if (heavy[i])
            total += mass[i];

    std::vector<double> out;
    std::vector<int> parent(atoms.size());
    std::vector<double> sums(atoms.size());
    auto pieces = [&](size_t cutA, size_t cutB) {
        std::iota(parent.begin(), parent.end(), 0);
        for (size_t k = 0; k < bonds.size(); ++k) {
            if (k == cutA || k == cutB)
                continue;
            const int ra = findRoot(parent, bonds[k].first), rb = findRoot(parent, bonds[k].second);
            if (ra != rb)
                parent[static_cast<size_t>(ra)] = rb;
        }
        std::fill(sums.begin(), sums.end(), 0.0);
        for (size_t i = 0; i < atoms.size(); ++i)
            if (heavy[i])
                sums[static_cast<size_t>(findRoot(parent, static_cast<int>(i)))] += mass[i];
        for (size_t i = 0; i < atoms.size(); ++i)
            if (heavy[i] && findRoot(parent, static_cast<int>(i)) == static_cast<int>(i) &&
                sums[i] < total - kSameFragment)
                out.push_back(sums[i]);
    };
    const size_t none = bonds.size();
    for (size_t a = 0; a < bonds.size(); ++a) {
        pieces(a, none);
        if (bonds.size() <= kMaxBondsForPairCuts)
            for (size_t b = a + 1; b < bonds.size(); ++b)
                pieces(a, b);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end(), [](double x, double y) { return y - x < kSameFragment; }),
              out.end());
    return out;
}

std::vector<double> fragmentIons(const std::vector<double>& masses, bool positive, const ElementData& table)
{
    const int hydrogen = table.indexOf(L"H");
    const double h = hydrogen >= 0 ? table.elements[static_cast<size_t>(hydrogen)].monoMass() : 0;
    std::vector<double> ions;
    for (double m : masses)
        for (int shift = 0; shift <= 2; ++shift)
            ions.push_back(positive ? m + shift * h - kElectronMass : m - shift * h + kElectronMass);
    std::sort(ions.begin(), ions.end());
    return ions;
}

}  // namespace tindrel
