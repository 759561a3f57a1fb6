#include "molfile.h"

#include "tmolecule.h"

#include <QLocale>
#include <QStringList>

namespace {

const QString kEnd = QStringLiteral("\r\n");
const QString kZero = QStringLiteral("  0");
// Property lines hold at most this many entries.
constexpr int kEntriesPerLine = 8;

TMolfileClock& molfileClock()
{
    static TMolfileClock c;
    return c;
}

// The atom's number as bonds and property lines write it: a numeric
// "Number" property in the general format with 6 significant digits (12
// is "12"), any other its own bytes, a missing one empty.
QString numberText(const TAtom* atom)
{
    if (!atom)
        return QString();
    const auto it = atom->properties.constFind(QByteArrayLiteral("Number"));
    if (it == atom->properties.constEnd())
        return QString();
    bool ok = false;
    const double n = it->toDouble(&ok);
    if (ok)
        return QString::number(n, 'g', 6);
    return QString::fromLatin1(it->toByteArray());
}

QString entry(const TAtom& atom, int32_t value)
{
    return padLeft(numberText(&atom), 3) + QLatin1Char(' ') + padLeft(QString::number(value), 3) +
           QLatin1Char(' ');
}

// "M  CHG" or "M  ISO" lines, kEntriesPerLine entries each. Entries wider
// than 8 characters (atom numbers or values beyond 3 digits) stay whole.
QString propertyLines(const QString& tag, const QStringList& entries)
{
    QString out;
    for (int i = 0; i < entries.size(); i += kEntriesPerLine) {
        const QStringList group = entries.mid(i, kEntriesPerLine);
        QString joined = group.join(QString());
        joined.chop(1);  // the last entry's trailing space
        out += QStringLiteral("M  ") + tag + padLeft(QString::number(group.size()), 3) + QLatin1Char(' ') +
               joined + kEnd;
    }
    return out;
}

QString atomLine(const TAtom& atom, double scale)
{
    QString line;
    for (double c : TMolecule::scaledCoordinates(atom, scale))
        line += padLeft(QString::number(c, 'f', 4), 10);
    line += QLatin1Char(' ');
    QString symbol = atom.symbol();
    if (atom.element && TPeriodicTable::instance()->isDefault(*atom.element))
        symbol = QStringLiteral("*");
    line += padRight(symbol, 3);
    line += QStringLiteral(" 0");
    // Charge, stereo parity, hydrogen count, stereo care: charges and
    // isotopes go to the property lines.
    line += kZero.repeated(4);
    const bool standard = atom.valence == -1 || atom.valenceList().contains(atom.valence);
    line += padLeft(QString::number(standard ? 0 : atom.valence), 3);
    line += kZero.repeated(6);
    return line;
}

}  // namespace

void setMolfileClock(TMolfileClock c)
{
    molfileClock() = std::move(c);
}

QDateTime molfileClockNow()
{
    return molfileClock() ? molfileClock()() : QDateTime::currentDateTime();
}

QString padLeft(const QString& text, int width, QChar fill)
{
    return text.size() >= width ? text : QString(width - text.size(), fill) + text;
}

QString padRight(const QString& text, int width, QChar fill)
{
    return text.size() >= width ? text : text + QString(width - text.size(), fill);
}

QByteArray writeMolfile(const TMolecule& molecule)
{
    return writeMolfile(molecule, molfileClockNow());
}

QByteArray writeMolfile(const TMolecule& molecule, const QDateTime& stamp)
{
    // ASCII digits whatever the user's locale.
    const QString date = QLocale::c().toString(stamp, QStringLiteral("MMddyyhhmm"));
    QString header = kEnd + QStringLiteral("  Lumvo   ") + date + QStringLiteral("2D") + kEnd + kEnd;

    QString counts = padLeft(QString::number(molecule.atoms.size()), 3) +
                     padLeft(QString::number(molecule.bonds.size()), 3) + kZero.repeated(8) +
                     QStringLiteral("999 V2000") + kEnd;

    const double scale = molecule.largestCoordinate();
    QString atomBlock;
    QStringList charges, isotopes;
    for (const TAtom& atom : molecule.atoms) {
        atomBlock += atomLine(atom, scale) + kEnd;
        if (atom.charge != 0)
            charges.append(entry(atom, atom.charge));
        if (atom.isotope != 0)
            isotopes.append(entry(atom, atom.isotope));
    }

    QString bondBlock;
    for (const TBond& bond : molecule.bonds)
        bondBlock += padLeft(numberText(molecule.atomAt(bond.first)), 3) +
                     padLeft(numberText(molecule.atomAt(bond.second)), 3) +
                     padLeft(QString::number(bond.type), 3) + padLeft(QString::number(bond.stereo), 3) +
                     kZero.repeated(3) + kEnd;

    QString properties;
    for (const TAtom& atom : molecule.atoms)
        if (!atom.label.isEmpty())
            properties += QStringLiteral("A  ") + padLeft(numberText(&atom), 3) + kEnd + atom.label + kEnd;
    properties += propertyLines(QStringLiteral("CHG"), charges);
    properties += propertyLines(QStringLiteral("ISO"), isotopes);
    properties += QStringLiteral("M  END") + kEnd;

    return (header + counts + atomBlock + bondBlock + properties).toLatin1();
}
