#include "tmassdataobj.h"

#include "massutils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

// min - margin .. max + margin, the margin a fraction of the larger
// magnitude, or 0.5 when that is 0.
TDataRange withMargin(double minimum, double maximum, double fraction)
{
    double margin = fraction * std::max(std::fabs(minimum), std::fabs(maximum));
    if (margin == 0)
        margin = 0.5;
    return {minimum - margin, maximum + margin};
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

}  // namespace

// ---- TMassDataObj ----

TValueArray TMassDataObj::values(int axis) const
{
    if (axis == 0)
        return getXValues();
    if (axis == 1)
        return getYValues();
    return TValueArray();
}

TDataRange TMassDataObj::fullRange(int axis) const
{
    if (axis == 1)
        return withMargin(getMinimumY(), getMaximumY(), 0.1);
    if (axis != 0)
        return {-kLargest, kLargest};
    const double lo = getMinimumX(), hi = getMaximumX();
    if (m_kind == MassSpectrum)
        return withMargin(lo, hi, 0.01);
    if (lo != hi)
        return {lo, hi};
    if (lo != 0)
        return {0.75 * lo, lo};
    return {-0.1, 0.1};
}

bool TMassDataObj::getSpectrumPeaks(QVector<TMSPeak>&) const
{
    return false;
}

bool TMassDataObj::getChromatogramPeaks(QVector<TMSChromPeak>&) const
{
    return false;
}

double TMassDataObj::intensityRangeRatio(const TMassDataObj& other) const
{
    const double below = other.getMaximumY() - other.getMinimumY();
    if (below == 0)
        return 1.0;
    const double ratio = (getMaximumY() - getMinimumY()) / below;
    return std::isfinite(ratio) ? ratio : 1.0;
}

void TMassDataObj::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << m_id << static_cast<qint32>(m_kind) << static_cast<qint32>(m_subtype);
    s.endBlock();
}

void TMassDataObj::read(TDataStream& s)
{
    s.skipBlock();
    s.readBlockSize();
    QUuid id;
    qint32 kind = 0, subtype = 0;
    s >> id >> kind >> subtype;
    if (!s.ok())
        return;
    m_id = id;
    m_subtype = subtype;
}

void TMassDataObj::writeToStream(TDataStream& s, const TMassDataObj& object)
{
    s << static_cast<qint32>(object.kind());
    object.write(s);
}

TMassDataObj* TMassDataObj::createFromStream(TDataStream& s)
{
    if (!s.ok())
        return nullptr;
    qint32 kind = -1;
    s >> kind;
    if (!s.ok())
        return nullptr;
    TMassDataObj* object = nullptr;
    if (kind == Chromatogram)
        object = new TChromatogramDataObj();
    else if (kind == MassSpectrum)
        object = new TMassSpecDataObj();
    else
        return nullptr;
    object->read(s);
    if (!s.ok()) {
        delete object;
        return nullptr;
    }
    return object;
}

TValueArray TMassDataObj::view(const std::vector<double>& values)
{
    if (values.empty())
        return TValueArray();
    TValueArray a;
    a.data = values.data();
    a.step = 1;
    a.count = static_cast<int32_t>(values.size());
    a.descending = 0;
    return a;
}

bool TMassDataObj::readDataBlock(TDataStream& s, std::vector<unsigned char>& payload)
{
    s.skipBlock();
    if (s.readBlockSize() == 0)
        return false;
    return s.readPayload(payload);
}

template <class V>
void TMassDataObj::writeDataBlockStart(TDataStream& s, const V& value)
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    std::vector<unsigned char> bytes(value.getSerializedSize());
    if (!value.serialize(bytes.data(), bytes.size()))
        bytes.clear();
    s.writePayload(bytes);
}

// ---- TChromatogramDataObj ----

TChromatogramDataObj::TChromatogramDataObj() : TMassDataObj(Chromatogram, QUuid(), 0) {}

TChromatogramDataObj::TChromatogramDataObj(const QUuid& id, const TKSChromatogram& chromatogram, int subtype)
    : TMassDataObj(Chromatogram, id, subtype), m_chromatogram(chromatogram)
{
}

TChromatogramDataObj::TChromatogramDataObj(const QUuid& id, const TKSChromatogram& chromatogram, double fromMZ,
                                           double toMZ, int subtype)
    : TMassDataObj(Chromatogram, id, subtype), m_chromatogram(chromatogram), m_fromMZ(fromMZ), m_toMZ(toMZ)
{
}

bool TChromatogramDataObj::getChromatogramPeaks(QVector<TMSChromPeak>& peaks) const
{
    // Without peaks the caller's list stays as it was.
    if (m_peaks.isEmpty())
        return false;
    peaks = m_peaks;
    return true;
}

double TChromatogramDataObj::getMaximumPeakIntensity() const
{
    double largest = 0;
    for (const TMSChromPeak& p : m_peaks)
        largest = std::max(largest, p.position.y());
    return largest;
}

QString TChromatogramDataObj::description() const
{
    QString name;
    switch (m_subtype) {
    case 1: name = QStringLiteral("TIC"); break;
    case 2: name = QStringLiteral("BPC"); break;
    case 3: name = QStringLiteral("MIC"); break;
    case 4: name = QStringLiteral("MSC"); break;
    default: name = QStringLiteral("Chromatogram"); break;
    }
    if (m_fromMZ == 0 && m_toMZ == 0)
        return name;
    if (m_fromMZ == m_toMZ)
        return name + QStringLiteral(" [%1]").arg(number(m_fromMZ));
    return name + QStringLiteral(" [%1..%2]").arg(number(m_fromMZ), number(m_toMZ));
}

double TChromatogramDataObj::getMinimumY() const
{
    const double lowest = m_chromatogram.getMinimumIntensity();
    if (m_chromatogram.getCount() == 1 && lowest > 0)
        return 0;
    return lowest;
}

void TChromatogramDataObj::write(TDataStream& s) const
{
    TMassDataObj::write(s);
    writeDataBlockStart(s, m_chromatogram);
    s << m_fromMZ << m_toMZ;
    writePeakList(s, m_peaks);
    s.endBlock();
}

void TChromatogramDataObj::read(TDataStream& s)
{
    TChromatogramDataObj fresh;
    if (!s.ok())
        return;
    fresh.TMassDataObj::read(s);
    std::vector<unsigned char> payload;
    if (readDataBlock(s, payload)) {
        if (!payload.empty())
            fresh.m_chromatogram.deserialize(payload.data(), payload.size());
        s >> fresh.m_fromMZ >> fresh.m_toMZ;
        readPeakList(s, fresh.m_peaks);
    }
    *this = s.ok() ? fresh : TChromatogramDataObj();
}

void TChromatogramDataObj::detectPeaks()
{
    m_peaks.clear();
    TKSChromatogramPeakDetect detector;
    if (detector.detect(m_chromatogram) == 0)
        return;
    for (const TKSChromatogramPeak& d : detector.getPeaks()) {
        TMSChromPeak p;
        // A detected peak is a record built from a point (attribute 0);
        // the default record's attribute hides its label.
        p.attribute = 0;
        p.position = QPointF(d.apexRT, d.apexIntensity);
        p.start = QPointF(d.startRT, d.startIntensity);
        p.end = QPointF(d.endRT, d.endIntensity);
        p.height = d.height;
        p.area = d.area;
        p.scan = d.scan;
        p.peakType = d.type;
        m_peaks.append(p);
    }
}

// ---- TMassSpecDataObj ----

TMassSpecDataObj::TMassSpecDataObj() : TMassDataObj(MassSpectrum, QUuid(), 0) {}

TMassSpecDataObj::TMassSpecDataObj(const QUuid& id, const TKSMassSpectrum& spectrum, int subtype)
    : TMassDataObj(MassSpectrum, id, subtype), m_spectrum(spectrum), m_centroid(spectrum.isCentroid())
{
}

TMassSpecDataObj* TMassSpecDataObj::cast(IMassPlotData* object, TMassSpecDataObj** out)
{
    auto* o = static_cast<TMassDataObj*>(object);
    TMassSpecDataObj* result = o && o->kind() == MassSpectrum ? static_cast<TMassSpecDataObj*>(o) : nullptr;
    if (out)
        *out = result;
    return result;
}

TChromatogramDataObj* TChromatogramDataObj::cast(IMassPlotData* object, TChromatogramDataObj** out)
{
    auto* o = static_cast<TMassDataObj*>(object);
    TChromatogramDataObj* result = o && o->kind() == Chromatogram ? static_cast<TChromatogramDataObj*>(o) : nullptr;
    if (out)
        *out = result;
    return result;
}

const TChromatogramDataObj* TChromatogramDataObj::cast(const IMassPlotData* object)
{
    return cast(const_cast<IMassPlotData*>(object));
}

const TMassSpecDataObj* TMassSpecDataObj::cast(const IMassPlotData* object)
{
    return cast(const_cast<IMassPlotData*>(object));
}

bool TMassSpecDataObj::getSpectrumPeaks(QVector<TMSPeak>& peaks) const
{
    // Without peaks the caller's list stays as it was.
    if (m_peaks.isEmpty())
        return false;
    peaks = m_peaks;
    return true;
}

QString TMassSpecDataObj::description() const
{
    QString kind;
    switch (m_subtype) {
    case 1: {
        const int order = m_spectrum.getMSOrder();
        kind = order == 1 ? QStringLiteral("MS") : QStringLiteral("MS^%1").arg(order);
        switch (m_spectrum.getPolarity()) {
        case 1: kind += QStringLiteral(" + "); break;
        case 2: kind += QStringLiteral(" - "); break;
        case 3: kind += QStringLiteral(" * "); break;
        default: kind += QStringLiteral(" ? "); break;
        }
        kind += QStringLiteral("spectrum");
        break;
    }
    case 2: kind = QStringLiteral("Isotope Cluster spectrum"); break;
    case 3: kind = QStringLiteral("Fragmentation spectrum"); break;
    default: kind = QStringLiteral("MS spectrum"); break;
    }
    return kind + scanRangesText(m_spectrum);
}

double TMassSpecDataObj::getMinimumY() const
{
    const double lowest = m_spectrum.getMinimumIntensity();
    if (m_centroid && lowest > 0)
        return 0;
    return lowest;
}

void TMassSpecDataObj::write(TDataStream& s) const
{
    TMassDataObj::write(s);
    writeDataBlockStart(s, m_spectrum);
    s << static_cast<qint8>(m_centroid ? 1 : 0) << static_cast<qint8>(m_centroidedHere ? 1 : 0) << m_peakWidth;
    writePeakList(s, m_peaks);
    s.endBlock();
}

void TMassSpecDataObj::read(TDataStream& s)
{
    TMassSpecDataObj fresh;
    if (!s.ok())
        return;
    fresh.TMassDataObj::read(s);
    std::vector<unsigned char> payload;
    if (readDataBlock(s, payload)) {
        if (!payload.empty())
            fresh.m_spectrum.deserialize(payload.data(), payload.size());
        qint8 centroid = 0, here = 0;
        s >> centroid >> here >> fresh.m_peakWidth;
        fresh.m_centroid = centroid != 0;
        fresh.m_centroidedHere = here != 0;
        readPeakList(s, fresh.m_peaks);
    }
    *this = s.ok() ? fresh : TMassSpecDataObj();
}

void TMassSpecDataObj::centroid()
{
    if (m_centroid)
        return;
    if (m_spectrum.getCount() == 1) {
        m_centroid = true;
        m_centroidedHere = true;
        return;
    }
    TKSMSPeakDetect detector;
    detector.setAutoPeakParameters(true);
    TKSMassSpectrum centroided;
    if (!detector.detectPeaks(m_spectrum, centroided))
        return;
    m_peakWidth = detector.getPeakWidth();
    m_centroid = true;
    m_centroidedHere = true;
    m_spectrum = centroided;
}

void TMassSpecDataObj::buildPeaks()
{
    if (!m_centroid)
        centroid();
    if (!m_centroid)
        return;
    const std::vector<double>& mz = m_spectrum.getMZValues();
    const std::vector<double>& intensity = m_spectrum.getIntensities();
    for (size_t i = 0; i < mz.size() && i < intensity.size(); ++i)
        m_peaks.append(TMSPeak(QPointF(mz[i], intensity[i])));
}
