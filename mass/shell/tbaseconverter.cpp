#include "tbaseconverter.h"

#include "ipluginhost.h"
#include "tbaseplugin.h"
#include "tcanvasmass.h"
#include "tmassdataserver.h"

#include <QCoreApplication>
#include <QRegExp>

namespace {
QStringList translated(const QStringList& texts)
{
    QStringList out;
    for (const QString& t : texts)
        out.append(QCoreApplication::translate("Converters", t.toUtf8().constData()));
    return out;
}
}  // namespace

TBaseConverter::TBaseConverter(TBasePlugin* plugin, const QStringList& importFormats,
                               const QStringList& exportFormats)
    : m_importFormats(translated(importFormats))
    , m_exportFormats(translated(exportFormats))
    , m_plugin(plugin)
{
}

TBaseConverter::~TBaseConverter() = default;

void TBaseConverter::historyName(QString& text)
{
    text = "Import Item";
}

int TBaseConverter::runImport(const QString& path, int value)
{
    m_items.clear();
    const int r = importFile(path, value);
    if (r == 0) {
        if ((m_flags & 1) && m_plugin && m_plugin->host())
            m_plugin->host()->takeItems(TCanvasItemList(m_items), 5, 1);
        afterImport();
    }
    return r;
}

TMassSpectrumConverter::TMassSpectrumConverter(TBasePlugin* plugin, TMassDataServerHandler* handler,
                                               const QUuid& provider, const QStringList& formatNames,
                                               const QStringList& extensions)
    : TBaseConverter(plugin, formatNames, extensions)
    , m_handler(handler)
    , m_provider(provider)
{
}

int TMassSpectrumConverter::exportFile(const QList<TCanvasItem*>&, const QString&)
{
    return 50;
}

bool TMassSpectrumConverter::acceptsItems(const QList<TCanvasItem*>&)
{
    return false;
}

bool TMassSpectrumConverter::canImport(QString& path)
{
    return m_handler && m_handler->isValidDataset(path, m_provider);
}

int TMassSpectrumConverter::importFile(const QString& path, int value)
{
    if (!m_handler)
        return 52;
    const QUuid key = m_handler->openDataset(path, m_provider);
    if (key.isNull())
        return 52;
    IProgress* progress = plugin() ? static_cast<IProgress*>(plugin()) : nullptr;
    items().append(new TCanvasMass(key, quintptr(value), m_handler, progress));
    return 0;
}

QString importFilterText(const QString& filter)
{
    if (filter.isEmpty())
        return QString();
    static const QRegExp pattern("^.*\\([^\\)]+\\)$");
    return pattern.exactMatch(filter) ? filter : filter + " (*.*)";
}

void createImportConverters(TBasePlugin* plugin, TMassDataServerHandler* handler, QList<TBaseConverter*>& out)
{
    if (!handler)
        return;
    const std::vector<std::wstring> filters = handler->dataServer().getDatasetFilters();
    const std::vector<std::wstring> providers = handler->dataServer().getDatasetProviderIDs();
    for (size_t i = 0; i < filters.size() && i < providers.size(); ++i) {
        const QString filter = importFilterText(QString::fromStdWString(filters[i]));
        if (filter.isEmpty())
            continue;
        const QUuid provider(QString::fromStdWString(providers[i]));
        out.append(new TMassSpectrumConverter(plugin, handler, provider, QStringList(QString::fromLatin1(filter.toLatin1())),
                                              QStringList()));
    }
}
