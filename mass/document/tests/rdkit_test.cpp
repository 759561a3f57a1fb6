// Interoperability: RDKit (Debian's python3-rdkit) reads the molfiles
// written here with the same atoms, bonds, charges, isotopes and labels;
// for neutral molecules its formula and weight agree with ours.
#include "kstest.h"
#include "molfile.h"
#include "moltest.h"
#include "tmolecule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using ionvale::test::makeMolecule;

namespace {

struct Written {
    std::string name;
    TMolecule molecule;
    bool compareFormula;  // neutral, standard valences: RDKit's model agrees
};

// What rdkit_read.py prints for a molecule read back unchanged.
std::string expectedReading(const Written& w)
{
    std::ostringstream out;
    out << "file " << w.name << "\n";
    const TMolecule& m = w.molecule;
    for (int i = 0; i < m.atoms.size(); ++i) {
        const TAtom& a = m.atoms[i];
        std::string symbol = a.symbol().toStdString();
        if (symbol == "?")
            symbol = "*";
        out << "atom " << i << " " << symbol << " " << a.charge << " " << a.isotope << " "
            << (a.label.isEmpty() ? std::string("-") : a.label.toStdString()) << "\n";
    }
    for (const TBond& b : m.bonds)
        out << "bond " << b.first << " " << b.second << " " << b.type << "\n";
    return out.str();
}

std::vector<Written> molecules()
{
    std::vector<Written> out;
    out.push_back({"label_charge_isotope.mol",
                   makeMolecule({{"C", -1, 0, 13, 0, 0, 0},
                                 {"O", -1, -1, 0, 1.2, 0.5, 0},
                                 {"N", 4, +1, 0, -1.5, 0.75, 0},
                                 {"C", -1, 0, 0, -2.0, -1.25, 0.5, "R1"}},
                                {{0, 1, 1}, {0, 2, 2}, {2, 3, 1, 1}}),
                   false});
    out.push_back({"acetonitrile.mol",
                   makeMolecule({{"C", 4, 0, 0, -1.3, 0, 0}, {"C", 4, 0, 0, 0, 0, 0}, {"N", 3, 0, 15, 1.15, 0, 0}},
                                {{0, 1, 1}, {1, 2, 3}}),
                   false});
    out.push_back({"ethanol.mol",
                   makeMolecule({{"C", 4, 0, 0, -1.2, -0.4, 0}, {"C", 4, 0, 0, 0, 0.4, 0}, {"O", 2, 0, 0, 1.2, -0.4, 0}},
                                {{0, 1}, {1, 2}}),
                   true});
    out.push_back({"chlorobenzoic_acid.mol",
                   makeMolecule({{"C", 4, 0, 0, 0, 1.4, 0},
                                 {"C", 4, 0, 0, 1.21, 0.7, 0},
                                 {"C", 4, 0, 0, 1.21, -0.7, 0},
                                 {"C", 4, 0, 0, 0, -1.4, 0},
                                 {"C", 4, 0, 0, -1.21, -0.7, 0},
                                 {"C", 4, 0, 0, -1.21, 0.7, 0},
                                 {"Cl", 1, 0, 0, 0, 2.9, 0},
                                 {"C", 4, 0, 0, 0, -2.9, 0},
                                 {"O", 2, 0, 0, 1.2, -3.6, 0},
                                 {"O", 2, 0, 0, -1.2, -3.6, 0}},
                                {{0, 1, 2}, {1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 0, 1}, {0, 6, 1},
                                 {3, 7, 1}, {7, 8, 2}, {7, 9, 1}}),
                   true});
    // Ten ions, more than one charge line; nine isotopes, more than one
    // isotope line; a pseudo-element and a symbol the table lacks.
    TMolecule ions;
    for (int i = 0; i < 10; ++i) {
        const bool sodium = i % 2 == 0;
        TAtom a;
        a.setElement(sodium ? "Na" : "Cl");
        a.charge = sodium ? +1 : -1;
        a.isotope = i < 9 ? (sodium ? 23 : 35 + 2 * (i % 4 == 1)) : 0;
        a.x = i;
        a.y = sodium ? 0 : 1;
        a.properties.insert("Number", i + 1);
        ions.addAtom(a);
    }
    TAtom star;
    star.setElement("*");
    star.properties.insert("Number", 11);
    star.label = QStringLiteral("Ar1");
    ions.addAtom(star);
    TAtom unknown;
    unknown.setElement("Zz");
    unknown.properties.insert("Number", 12);
    ions.addAtom(unknown);
    TBond b;
    b.first = 10;
    b.second = 11;
    ions.addBond(b);
    out.push_back({"ions.mol", ions, false});
    return out;
}

}  // namespace

TEST(MolfileInterop, RDKitReadsWhatWasWritten)
{
    const std::vector<Written> written = molecules();
    std::vector<std::string> argv = {"/usr/bin/python3", std::string(KS_SOURCE_DIR) + "/rdkit_read.py"};
    for (const Written& w : written) {
        const std::string path = ks::test::tempDir() + "/" + w.name;
        ks::test::writeFile(path, writeMolfile(w.molecule).toStdString());
        argv.push_back(path);
    }
    // The committed golden file too.
    argv.push_back(std::string(KS_SOURCE_DIR) + "/data/charged_label.mol");

    const ks::test::RunResult r = ks::test::run(argv);
    ASSERT_EQ(r.exitCode, 0) << "rdkit_read.py failed (python3-rdkit comes with scripts/setup):\n" << r.err;

    // Split the output per file.
    std::vector<std::string> blocks;
    std::vector<std::string> formulas;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("error ", 0) == 0)
            ADD_FAILURE() << "RDKit could not read " << line.substr(6);
        if (line.rfind("file ", 0) == 0)
            blocks.emplace_back();
        if (line.rfind("formula ", 0) == 0) {
            formulas.push_back(line.substr(8));
            continue;
        }
        if (!blocks.empty())
            blocks.back() += line + "\n";
    }
    ASSERT_EQ(blocks.size(), written.size() + 1) << r.out;
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(blocks[i], expectedReading(written[i]));
        if (!written[i].compareFormula)
            continue;
        std::istringstream f(formulas[i]);
        std::string formula;
        double weight = 0;
        f >> formula >> weight;
        EXPECT_EQ(formula, written[i].molecule.formula().toStdString()) << written[i].name;
        // RDKit's masses differ from the table's in the third decimal.
        EXPECT_NEAR(weight, written[i].molecule.molecularWeight(), 0.02) << written[i].name;
    }
    Written golden{"charged_label.mol", molecules()[0].molecule, false};
    EXPECT_EQ(blocks.back(), expectedReading(golden));
}
