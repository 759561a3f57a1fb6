#include "tcanvasmass.h"

#include <QSet>

#include <memory>

#include "massutils.h"
#include "t1dmassplot.h"
#include "tdatastream.h"
#include "temptyplugin.h"
#include "tmassdataobj.h"
#include "tmassdataserver.h"
#include "tmassplottitleparser.h"
#include "tmassspectrumpropertiesbag.h"
#include "tstreambytes.h"

namespace {

QString fromWide(const std::wstring& text)
{
    return QString::fromStdWString(text);
}

}  // namespace

TCanvasMass::TCanvasMass(const QUuid& key, quintptr ownerTag, IMassDataServer* server, IProgress* progress)
    : TCanvasSpectrum(MassSpectrumItemType, ownerTag, QString(), progress), m_key(key), m_server(server)
{
    setOwnerPlugin(TEmptyPlugin::instance());
    TKSDataset* data = dataset();
    if (data) {
        setItemFlags(3, false);
        m_name = fromWide(data->getDatasetName());
        m_provider = QUuid(fromWide(data->getDatasetProviderID()));
        makeDefaultObjects();
        fillActiveFunctions();
    } else {
        setItemFlags(2, false);
    }
    properties()->addBag(new TMassSpectrumPropertiesBag(this));
    if (data)
        properties();
    m_composition.loadSavedConstraints();
    m_match.loadSavedSettings();
    setOwnerTag(ownerTag);
}

TCanvasMass::~TCanvasMass()
{
    // The bags let go of the item before its parts go.
    hide();
    delete m_isotopeCluster;
    m_isotopeCluster = nullptr;
    if (!m_key.isNull() && m_server)
        m_server->closeDataset(m_key);
    // Plots first: they hold this item as their data source.
    while (plotCount() > 0)
        delete takePlotAt(plotCount() - 1);
    qDeleteAll(m_plotData);
    m_plotData.clear();
}

QString TCanvasMass::type() const
{
    return QStringLiteral("MS");
}

TKSDataset* TCanvasMass::dataset() const
{
    return m_server ? m_server->dataset(m_key) : nullptr;
}

TKSMSCollection* TCanvasMass::msCollection(int injection, int function) const
{
    return m_server ? m_server->msCollection(m_key, injection, function) : nullptr;
}

QString TCanvasMass::datasetName() const
{
    if (const TKSDataset* d = dataset())
        return fromWide(d->getDatasetName());
    return m_name;
}

QUuid TCanvasMass::providerId() const
{
    if (const TKSDataset* d = dataset())
        return QUuid(fromWide(d->getDatasetProviderID()));
    return m_provider;
}

void TCanvasMass::fillActiveFunctions()
{
    const TKSDataset* d = dataset();
    if (!d || !m_activeFunctions.isEmpty())
        return;
    const int n = d->getInjectionCount();
    if (n > 0)
        m_activeFunctions.fill(0, n);
}

int TCanvasMass::msOrder(int injection, int function) const
{
    std::unique_ptr<TKSFunction> f(datasetFunction(dataset(), injection, function));
    return f ? f->getMSOrder() : 0;
}

int TCanvasMass::activeFunction(int injection)
{
    if (injection < 0)
        return -1;
    fillActiveFunctions();
    if (injection >= m_activeFunctions.size())
        return -1;
    const int function = m_activeFunctions.at(injection);
    // A stored index is never handed on as one of the open dataset's
    // functions when the dataset does not hold it.
    if (const TKSDataset* d = dataset()) {
        const int count = functionCount(d, injection);
        if (function < 0 || function >= count)
            return -1;
    }
    return function;
}

bool TCanvasMass::setActiveFunction(int injection, int function)
{
    if (injection < 0)
        return false;
    fillActiveFunctions();
    if (injection >= m_activeFunctions.size() || function < 0 || function >= functionCount(dataset(), injection))
        return false;
    m_activeFunctions[injection] = function;
    return true;
}

void TCanvasMass::setChromatogramTolerance(double value, bool inDa)
{
    m_chromatogramTolerance = value;
    m_toleranceUnits = inDa ? (m_toleranceUnits | ChromatogramToleranceInDa)
                            : (m_toleranceUnits & ~ChromatogramToleranceInDa);
}

void TCanvasMass::setMergeTolerance(double value, bool inDa)
{
    m_mergeTolerance = value;
    m_toleranceUnits = inDa ? (m_toleranceUnits | MergeToleranceInDa) : (m_toleranceUnits & ~MergeToleranceInDa);
}

void TCanvasMass::setIsotopeClusterSpectrum(IMassPlotData* object)
{
    if (object == m_isotopeCluster)
        return;
    delete m_isotopeCluster;
    m_isotopeCluster = object;
}

TMassDataObj* TCanvasMass::currentDataObject() const
{
    return currentPlot() ? dataObject(currentPlot()->id()) : nullptr;
}

bool TCanvasMass::isSpectrumPlot(const QUuid& id) const
{
    const TMassDataObj* o = dataObject(id);
    return o && o->kind() == TMassDataObj::MassSpectrum;
}

bool TCanvasMass::isChromatogramPlot(const QUuid& id) const
{
    const TMassDataObj* o = dataObject(id);
    return o && o->kind() == TMassDataObj::Chromatogram;
}

namespace {

QUuid firstAcquired(const TCanvasMass& item, int kind, int injection, int function)
{
    QUuid first;
    for (auto it = item.dataObjects().begin(); it != item.dataObjects().end(); ++it) {
        const TMassDataObj* o = it.value();
        if (o->kind() != kind || o->subtype() != 1 || o->getInjectionIndex() != injection ||
            o->getFunctionIndex() != function)
            continue;
        if (item.isPlotVisible(it.key()))
            return it.key();
        if (first.isNull())
            first = it.key();
    }
    return first;
}

}  // namespace

QUuid TCanvasMass::datasetSpectrumId(int injection, int function) const
{
    return firstAcquired(*this, TMassDataObj::MassSpectrum, injection, function);
}

QUuid TCanvasMass::datasetChromatogramId(int injection, int function) const
{
    return firstAcquired(*this, TMassDataObj::Chromatogram, injection, function);
}

bool TCanvasMass::dataObjectsOf(int injection, int index, QVector<TMassDataObj*>& out, bool byFunction) const
{
    out.clear();
    for (TMassDataObj* o : m_plotData)
        if (o->getInjectionIndex() == injection &&
            (byFunction ? o->getFunctionIndex() : o->getTraceIndex()) == index)
            out.append(o);
    return !out.isEmpty();
}

void TCanvasMass::setMatcherSpectra()
{
    const TMassDataObj* current = currentDataObject();
    if (!current)
        return;
    const int injection = current->getInjectionIndex();
    std::unique_ptr<TKSFunctions> functions(injectionFunctions(dataset(), injection));
    if (!functions)
        return;
    const int count = functions->getCount();
    int msPositive = -1, msmsPositive = -1, msNegative = -1, msmsNegative = -1;
    // Providers that do not know the polarity (text runs, some vendor files)
    // report 0; matching such a run found nothing at all. Their functions
    // stand in for positive ones, but only where no positive function is
    // plotted.
    int msUnknown = -1, msmsUnknown = -1;
    for (const TMassDataObj* o : m_plotData) {
        const int f = o->getFunctionIndex();
        if (o->getInjectionIndex() != injection || f < 0 || f >= count)
            continue;
        std::unique_ptr<TKSFunction> function(functions->getItem(f));
        if (!function)
            continue;
        const int polarity = function->getPolarity();
        const int order = function->getMSOrder();
        int* slot = nullptr;
        if (polarity == 1)
            slot = order == 1 ? &msPositive : order == 2 ? &msmsPositive : nullptr;
        else if (polarity == 2)
            slot = order == 1 ? &msNegative : order == 2 ? &msmsNegative : nullptr;
        else if (polarity == 0)
            slot = order == 1 ? &msUnknown : order == 2 ? &msmsUnknown : nullptr;
        if (slot && *slot < 0)
            *slot = f;
    }
    if (msPositive < 0)
        msPositive = msUnknown;
    if (msmsPositive < 0)
        msmsPositive = msmsUnknown;
    m_match.setInputFunctions(injection, msPositive, msmsPositive, msNegative, msmsNegative);
    m_match.matcher().setSpectra(msCollection(injection, msPositive), msCollection(injection, msmsPositive),
                                 msCollection(injection, msNegative), msCollection(injection, msmsNegative));
}

QString TCanvasMass::plotTitle(const QUuid& plotId, const QString& format, int decimals)
{
    const TMassDataObj* o = dataObject(plotId);
    if (!o)
        return QString();
    TMassPlotTitleParser parser(dataset(), o, datasetName(), decimals);
    return parser.expand(format);
}

void TCanvasMass::makeDefaultObjects()
{
    TKSMSCollection* collection = msCollection(0, 0);
    if (!collection)
        return;
    TKSChromatogram tic;
    collection->getTICChromatogram(tic);
    if (tic.getCount() > 1) {
        auto* chromatogram = new TChromatogramDataObj(QUuid::createUuid(), tic, 1);
        chromatogram->detectPeaks();
        addPlotObject(chromatogram);
    }
    int index = -1;
    TKSChromatogramPeakDetect detector;
    if (detector.detect(tic) > 0) {
        double highest = 0;
        bool found = false;
        for (const TKSChromatogramPeak& peak : detector.getPeaks())
            if (!found || peak.height > highest) {
                found = true;
                highest = peak.height;
                index = peak.scan;
            }
    }
    if (index < 0)
        index = 0;
    TKSMassSpectrum spectrum;
    collection->getSpectrum(index, spectrum);
    auto* object = new TMassSpecDataObj(QUuid::createUuid(), spectrum, 1);
    object->centroid();
    object->buildPeaks();
    addPlotObject(object);
}

void TCanvasMass::writePluginData(TDataStream& s) const
{
    s.beginBlock();
    TCanvasSpectrum::writePluginData(s);
    s.endBlock();
    s.beginBlock();
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s << qint32(m_activeFunctions.size());
    for (int f : m_activeFunctions)
        s << qint32(f);
    s.endBlock();
    s.beginBlock();
    s << datasetName() << providerId() << qint8(m_selectionMode) << qint32(m_behaviourFlags)
      << m_chromatogramTolerance << m_mergeTolerance << qint8(m_toleranceUnits);
    s.beginBlock();
    s << qint32(m_plotData.size());
    for (const TMassDataObj* o : m_plotData)
        TMassDataObj::writeToStream(s, *o);
    s.endBlock();
    m_composition.save(s);
    m_match.save(s);
    s.endBlock();
    s.endBlock();
}

void TCanvasMass::readPluginData(TDataStream& s)
{
    if (holdsContent()) {
        // Fresh items only: reading over plots and objects would leave
        // them twice and lose the ones replaced.
        s.skipBlock();
        s.skipBlock();
        return;
    }
    const bool entered = isValid();
    if (entered)
        invalidate();
    readBlock(s, BlockLength::Checked, [&] { readSpectrumData(s); });
    readBlock(s, BlockLength::Checked, [&] { readMassData(s); });
    dropUnpairedPlots();
    if (entered)
        update();
}

void TCanvasMass::readMassData(TDataStream& s)
{
    readBlock(s, BlockLength::Checked, [&] {
        s.skipBlock();
        const qint32 count = s.readCount(4);
        QVector<int> functions;
        for (qint32 i = 0; i < count && s.ok(); ++i) {
            qint32 f = 0;
            s >> f;
            functions.append(f);
        }
        if (s.ok())
            m_activeFunctions = functions;
    });
    if (!s.ok())
        return;
    readBlock(s, BlockLength::Checked, [&] {
        QString name;
        QUuid provider;
        if (!s.readString(name))
            return;
        s >> provider;
        if (!s.ok())
            return;
        m_name = name;
        m_provider = provider;
        if (m_server) {
            // Open the new before closing the old: the same dataset keeps
            // its entry.
            const QUuid key = m_server->openDataset(m_name, m_provider);
            const QUuid old = m_key;
            m_key = key;
            if (!old.isNull())
                m_server->closeDataset(old);
            setItemFlags(dataset() ? 3 : 2, false);
        }
        qint8 mode = 0, units = 0;
        qint32 flags = 0;
        double chromatogramTolerance = 0, mergeTolerance = 0;
        s >> mode >> flags >> chromatogramTolerance >> mergeTolerance >> units;
        if (!s.ok())
            return;
        m_selectionMode = mode;
        m_behaviourFlags = flags;
        m_chromatogramTolerance = chromatogramTolerance;
        m_mergeTolerance = mergeTolerance;
        m_toleranceUnits = static_cast<quint8>(units);
        readBlock(s, BlockLength::Checked, [&] {
            // A data object takes at least its kind and two block lengths.
            const qint32 n = s.readCount(12);
            for (qint32 i = 0; i < n && s.ok(); ++i) {
                // An unknown kind cannot be passed over: the list ends
                // there (the block's end is where reading goes on).
                TMassDataObj* o = TMassDataObj::createFromStream(s);
                if (!o)
                    break;
                delete m_plotData.value(o->id(), nullptr);
                m_plotData.insert(o->id(), o);
            }
        });
        if (!s.ok())
            return;
        m_composition.load(s);
        if (s.ok())
            m_match.load(s);
    });
}

void TCanvasMass::dropUnpairedPlots()
{
    for (int i = plotCount() - 1; i >= 0; --i) {
        TBasePlot* p = plotAtIndex(i);
        if (!m_plotData.contains(p->id()) || p->type() != 1)
            delete takePlotAt(i);
    }
    for (auto it = m_plotData.begin(); it != m_plotData.end();) {
        if (plotIndex(it.key()) < 0) {
            delete it.value();
            it = m_plotData.erase(it);
        } else {
            ++it;
        }
    }
    if (!currentPlot() && plotCount() > 0)
        setCurrentPlot(plotAtIndex(0));
}
