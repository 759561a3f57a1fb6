#include "tperiodictable.h"

#include <QStringList>

namespace {

// clang-format off
const TElement kElements[TPeriodicTable::kRowCount] = {
    {1, "Hydrogen", "H", "1", 1.0079},
    {2, "Helium", "He", "0", 4.0026},
    {3, "Lithium", "Li", "", 6.941},
    {4, "Beryllium", "Be", "", 9.0122},
    {5, "Boron", "B", "3,5", 10.811},
    {6, "Carbon", "C", "4", 12.0107},
    {7, "Nitrogen", "N", "3,5", 14.0067},
    {8, "Oxygen", "O", "2", 15.9994},
    {9, "Fluorine", "F", "1", 18.9984},
    {10, "Neon", "Ne", "0", 20.1797},
    {11, "Sodium", "Na", "", 22.9897},
    {12, "Magnesium", "Mg", "", 24.305},
    {13, "Aluminium", "Al", "", 26.9815},
    {14, "Silicon", "Si", "4", 28.0855},
    {15, "Phosphorus", "P", "3,5", 30.9738},
    {16, "Sulfur", "S", "2,4,6", 32.065},
    {17, "Chlorine", "Cl", "1,3,5,7", 35.453},
    {18, "Argon", "Ar", "0", 39.948},
    {19, "Potassium", "K", "", 39.0983},
    {20, "Calcium", "Ca", "", 40.078},
    {21, "Scandium", "Sc", "", 44.9559},
    {22, "Titanium", "Ti", "", 47.867},
    {23, "Vanadium", "V", "", 50.9415},
    {24, "Chromium", "Cr", "", 51.9961},
    {25, "Manganese", "Mn", "", 54.938},
    {26, "Iron", "Fe", "", 55.845},
    {27, "Cobalt", "Co", "", 58.9332},
    {28, "Nickel", "Ni", "", 58.6934},
    {29, "Copper", "Cu", "", 63.546},
    {30, "Zinc", "Zn", "", 65.39},
    {31, "Gallium", "Ga", "", 69.723},
    {32, "Germanium", "Ge", "", 72.64},
    {33, "Arsenic", "As", "3,5", 74.9216},
    {34, "Selenium", "Se", "2,4,6", 78.96},
    {35, "Bromine", "Br", "1,3,5,7", 79.904},
    {36, "Krypton", "Kr", "0", 83.8},
    {37, "Rubidium", "Rb", "", 85.4678},
    {38, "Strontium", "Sr", "", 87.62},
    {39, "Yttrium", "Y", "", 88.9059},
    {40, "Zirconium", "Zr", "", 91.224},
    {41, "Niobium", "Nb", "", 92.9064},
    {42, "Molybdenum", "Mo", "", 95.94},
    {43, "Technetium", "Tc", "", 98},
    {44, "Ruthenium", "Ru", "", 101.07},
    {45, "Rhodium", "Rh", "", 102.9055},
    {46, "Palladium", "Pd", "", 106.42},
    {47, "Silver", "Ag", "", 107.8682},
    {48, "Cadmium", "Cd", "", 112.411},
    {49, "Indium", "In", "", 114.818},
    {50, "Tin", "Sn", "", 118.71},
    {51, "Antimony", "Sb", "", 121.76},
    {52, "Tellurium", "Te", "2,4,6", 127.6},
    {53, "Iodine", "I", "1,3,5,7", 126.9045},
    {54, "Xenon", "Xe", "0", 131.293},
    {55, "Caesium", "Cs", "", 132.9055},
    {56, "Barium", "Ba", "", 137.327},
    {57, "Lanthanum", "La", "", 138.9055},
    {58, "Cerium", "Ce", "", 140.116},
    {59, "Praseodymium", "Pr", "", 140.9077},
    {60, "Neodymium", "Nd", "", 144.24},
    {61, "Promethium", "Pm", "", 145},
    {62, "Samarium", "Sm", "", 150.36},
    {63, "Europium", "Eu", "", 151.964},
    {64, "Gadolinium", "Gd", "", 157.25},
    {65, "Terbium", "Tb", "", 158.9253},
    {66, "Dysprosium", "Dy", "", 162.5},
    {67, "Holmium", "Ho", "", 164.9303},
    {68, "Erbium", "Er", "", 167.259},
    {69, "Thulium", "Tm", "", 168.9342},
    {70, "Ytterbium", "Yb", "", 173.04},
    {71, "Lutetium", "Lu", "", 174.967},
    {72, "Hafnium", "Hf", "", 178.49},
    {73, "Tantalum", "Ta", "", 180.9479},
    {74, "Tungsten", "W", "", 183.84},
    {75, "Rhenium", "Re", "", 186.207},
    {76, "Osmium", "Os", "", 190.23},
    {77, "Iridium", "Ir", "", 192.217},
    {78, "Platinum", "Pt", "", 195.078},
    {79, "Gold", "Au", "", 196.9665},
    {80, "Mercury", "Hg", "", 200.59},
    {81, "Thallium", "Tl", "", 204.3833},
    {82, "Lead", "Pb", "", 207.2},
    {83, "Bismuth", "Bi", "", 208.9804},
    {84, "Polonium", "Po", "", 209},
    {85, "Astatine", "At", "", 210},
    {86, "Radon", "Rn", "0", 222},
    {87, "Francium", "Fr", "", 223},
    {88, "Radium", "Ra", "", 226},
    {89, "Actinium", "Ac", "", 227},
    {90, "Thorium", "Th", "", 232.0381},
    {91, "Protactinium", "Pa", "", 231.0359},
    {92, "Uranium", "U", "", 238.0289},
    {93, "Neptunium", "Np", "", 237},
    {94, "Plutonium", "Pu", "", 244},
    {95, "Americium", "Am", "", 243},
    {96, "Curium", "Cm", "", 247},
    {97, "Berkelium", "Bk", "", 247},
    {98, "Californium", "Cf", "", 251},
    {99, "Einsteinium", "Es", "", 252},
    {100, "Fermium", "Fm", "", 257},
    {101, "Mendelevium", "Md", "", 258},
    {102, "Nobelium", "No", "", 259},
    {103, "Lawrencium", "Lr", "", 262},
    {104, "Rutherfordium", "Rf", "", 261},
    {105, "Dubnium", "Db", "", 262},
    {106, "Seaborgium", "Sg", "", 266},
    {107, "Bohrium", "Bh", "", 264},
    {108, "Hassium", "Hs", "", 277},
    {109, "Meitnerium", "Mt", "", 268},
    // Placeholder symbols, no masses.
    {110, "Darmstadtium", "Ds", "", 0},
    {111, "Unununium", "Uuu", "", 0},
    {112, "Ununbium", "Uub", "", 0},
    {113, "Ununtrium", "Uut", "", 0},
    {114, "Ununquadium", "Uuq", "", 0},
    {115, "Ununpentium", "Uup", "", 0},
    {116, "Ununhexium", "Uuh", "", 0},
    {117, "Ununseptium", "Uus", "", 0},
    {118, "Ununoctium", "Uuo", "", 0},
    // Pseudo-elements of molecule drawings.
    {119, "Any atom", "A", "", 0},
    {120, "Heteroatom", "Q", "", 0},
    {121, "Unspecified atom", "*", "", 0},
    {122, "Halogen", "X", "", 0},
    {123, "Deuterium", "D", "1", 2.014102},
    {124, "Tritium", "T", "1", 3.016049},
};
// clang-format on

const TElement kDefault = {0, "?", "?", "", 0};

}  // namespace

QList<int32_t> TElement::valenceList() const
{
    QList<int32_t> out;
    // An empty text splits into one empty piece, which reads as 0.
    for (const QString& piece : QString::fromLatin1(valences).split(QLatin1Char(',')))
        out.append(piece.toInt());
    return out;
}

const TElement& TPeriodicTable::lookup(const QString& symbol) const
{
    for (const TElement& e : kElements)
        if (symbol == QLatin1String(e.symbol))
            return e;
    return kDefault;
}

const TElement& TPeriodicTable::row(int i) const
{
    return i >= 0 && i < kRowCount ? kElements[i] : kDefault;
}

const TElement& TPeriodicTable::defaultRecord() const
{
    return kDefault;
}
