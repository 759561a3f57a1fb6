#include "tmasselementcomposition.h"

#include <QCoreApplication>
#include <QSettings>
#include <QVariant>

#include "tcoreimage.h"
#include "tstreambytes.h"

const char* const kCompositionConstraintsKey = "Mass/Elemental Composition/Constraints";

namespace {

// The fewest bytes a stored element constraint takes: two empty blocks.
constexpr qint64 kMinConstraintBytes = 8;

}  // namespace

TMassElementComposition::TMassElementComposition()
{
    m_calculator.setConstraints(defaultCompositionConstraints());
}

void TMassElementComposition::loadSavedConstraints()
{
    m_calculator.setConstraints(loadCompositionConstraints());
}

void TMassElementComposition::save(TDataStream& s) const
{
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s << coreImageBytes(m_calculator);
    s << m_spectrumId;
    s.endBlock();
}

void TMassElementComposition::load(TDataStream& s)
{
    QByteArray image;
    QUuid spectrumId;
    const bool read = readBlock(s, BlockLength::Checked, [&] {
        s.skipBlock();
        if (readByteArray(s, image))
            s >> spectrumId;
    });
    if (!read)
        return;
    m_spectrumId = spectrumId;
    // A refused image leaves the calculator as it was.
    coreImageRead(m_calculator, image);
}

TKSCompositionConstraints defaultCompositionConstraints()
{
    TKSCompositionConstraints c;
    c.setElementConstraints({TKSElementConstraint(L"C", 0, 100), TKSElementConstraint(L"H", 0, 200),
                             TKSElementConstraint(L"N", 0, 10), TKSElementConstraint(L"O", 0, 10),
                             TKSElementConstraint(L"S", 0, 5)});
    c.setDBEMinimum(-0.5f);
    c.setDBEMaximum(20.0f);
    c.setAdduct(L"H");
    c.setElectronMode(TKSCompositionConstraints::AllElectrons);
    c.setUseToleranceInDa(false);
    c.setTolerance(5.0);
    c.setChargeState(1);
    c.setMaximumResultCount(-1);
    c.setFitnessThreshold(0.0f);
    return c;
}

TKSCompositionConstraints loadCompositionConstraints()
{
    const QByteArray bytes = QSettings().value(QLatin1String(kCompositionConstraintsKey), QByteArray()).toByteArray();
    if (bytes.isEmpty())
        return defaultCompositionConstraints();
    bool ok = false;
    const TKSCompositionConstraints c = elementConstraintsFromByteArray(bytes, &ok);
    return ok ? c : defaultCompositionConstraints();
}

void saveCompositionConstraints(const TKSCompositionConstraints& constraints)
{
    QSettings().setValue(QLatin1String(kCompositionConstraintsKey), elementConstraintsToByteArray(constraints));
}

QByteArray elementConstraintsToByteArray(const TKSCompositionConstraints& constraints)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    writeCompositionConstraints(constraints, s);
    return bytes;
}

TKSCompositionConstraints elementConstraintsFromByteArray(const QByteArray& bytes, bool* ok)
{
    QByteArray buffer = bytes;
    TDataStream s(&buffer, QIODevice::ReadOnly, 0);
    const TKSCompositionConstraints c = readCompositionConstraints(s);
    if (ok)
        *ok = s.ok();
    return c;
}

void writeElementConstraint(const TKSElementConstraint& constraint, TDataStream& s)
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << QString::fromStdWString(constraint.getSymbol());
    s << qint32(constraint.getMinimumCount()) << qint32(constraint.getMaximumCount());
    s.endBlock();
}

TKSElementConstraint readElementConstraint(TDataStream& s)
{
    TKSElementConstraint c;
    s.skipBlock();
    QString symbol;
    qint32 minimum = 0;
    qint32 maximum = 0;
    const bool read = readBlock(s, BlockLength::Checked, [&] {
        if (s.readString(symbol))
            s >> minimum >> maximum;
    });
    if (read) {
        c.setSymbol(symbol.toStdWString());
        c.setMinimumCount(minimum);
        c.setMaximumCount(maximum);
    }
    return c;
}

void writeElementConstraints(const std::vector<TKSElementConstraint>& constraints, TDataStream& s)
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << qint32(constraints.size());
    for (const TKSElementConstraint& c : constraints)
        writeElementConstraint(c, s);
    s.endBlock();
}

std::vector<TKSElementConstraint> readElementConstraints(TDataStream& s)
{
    std::vector<TKSElementConstraint> list;
    s.skipBlock();
    const bool read = readBlock(s, BlockLength::Checked, [&] {
        const qint32 n = s.readCount(kMinConstraintBytes);
        for (qint32 i = 0; i < n && s.ok(); ++i) {
            TKSElementConstraint c = readElementConstraint(s);
            if (s.ok())
                list.push_back(std::move(c));
        }
    });
    if (!read)
        list.clear();
    return list;
}

void writeCompositionConstraints(const TKSCompositionConstraints& c, TDataStream& s)
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    writeElementConstraints(c.getElementConstraints(), s);
    s << c.getDBEMinimum() << c.getDBEMaximum();
    s << c.getUseToleranceInDa();
    s << c.getTolerance();
    s << qint32(c.getElectronMode()) << qint32(c.getChargeState());
    s << QString::fromStdWString(c.getAdduct());
    s << c.getFitnessThreshold();
    s << qint32(c.getMaximumResultCount());
    s.endBlock();
}

TKSCompositionConstraints readCompositionConstraints(TDataStream& s)
{
    TKSCompositionConstraints read;
    s.skipBlock();
    const bool whole = readBlock(s, BlockLength::Checked, [&] {
        std::vector<TKSElementConstraint> elements = readElementConstraints(s);
        float dbeMinimum = 0;
        float dbeMaximum = 0;
        bool inDa = false;
        double tolerance = 0;
        qint32 electronMode = 0;
        qint32 charge = 0;
        QString adduct;
        float fitness = 0;
        qint32 maximumResults = 0;
        s >> dbeMinimum >> dbeMaximum >> inDa >> tolerance >> electronMode >> charge;
        s.readString(adduct);
        s >> fitness >> maximumResults;
        read.setElementConstraints(elements);
        read.setDBEMinimum(dbeMinimum);
        read.setDBEMaximum(dbeMaximum);
        read.setUseToleranceInDa(inDa);
        read.setTolerance(tolerance);
        read.setElectronMode(electronMode);
        read.setChargeState(charge);
        read.setAdduct(adduct.toStdWString());
        read.setFitnessThreshold(fitness);
        read.setMaximumResultCount(maximumResults);
    });
    return whole ? read : TKSCompositionConstraints();
}

QString elementTableFilePath()
{
    return QCoreApplication::applicationDirPath() + QLatin1String("/KSElements.ini");
}
