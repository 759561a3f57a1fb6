#include "tionvale.h"

#include "ipeers.h"
#include "ipluginhost.h"
#include "tbaseconverter.h"
#include "tcanvasmass.h"
#include "titemproperties.h"
#include "tmasselementcomposition.h"
#include "tmassspectrumpropertiesbag.h"
#include "tbasetable.h"
#include "tcmdproperties.h"
#include "tmmactions.h"
#include "tpluginfactories.h"
#include "wmasspropertieswidget.h"

#include <QMessageBox>
#include <QMouseEvent>

namespace {

constexpr int kMassItemType = 112;
constexpr int kMassBagKind = 5;

}  // namespace

// Resources of a static library are registered by hand, once (outside any
// namespace, as the registration function's declaration requires).
static void initResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(ionvale);
        return true;
    }();
    (void)done;
}

TIonvale::TIonvale()
{
    initResources();
    setObjectName("mass");
    m_name = "Mass";
    m_version = "1.0";
    m_date = QDate::fromString("2009-10-09", Qt::ISODate);
    m_uiDescriptionPath = ":/ui/Ionvale.pui";
    m_id = QUuid("{5C1895EB-0054-40b1-BD42-192EF6589F83}");
    m_secondId = m_id;
    // Applying an edited bag (the host's property pages) gives the command
    // the commands library makes.
    registerBagCommands();
    // The mouse modes, in the order the host learns them.
    m_mouseModes.registerAction(new TMMActExpansion(&m_mouseModes));
    m_mouseModes.registerAction(new TMMActZoom(&m_mouseModes));
    m_mouseModes.registerAction(new TMMActCuts(&m_mouseModes));
    m_mouseModes.registerAction(new TMMActCrosshairs(&m_mouseModes));
    m_mouseModes.registerAction(new TMMActionElementComposition(&m_mouseModes, &m_elementTable));
    m_mouseModes.registerAction(new TMMActPan(&m_mouseModes));
}

TIonvale::~TIonvale()
{
    m_tableFactories.clear();
}

void TIonvale::registerPlugin(IPluginHost* host)
{
    TBasePlugin::registerPlugin(host);
    registerFactories();
    registerScriptFactories();
    if (host) {
        host->setScriptObject(objectName(), nullptr, false);
        if (QObject* peer = host->findPlugin(QUuid(LUMATRA_MOLECULE_PLUGIN_ID), 0))
            m_moleculePlugin = static_cast<IMoleculePlugin*>(peer->qt_metacast(IMoleculePlugin_iid));
        if (QObject* peer = host->findPlugin(QUuid(LUMATRA_DRAWING_TOOLS_ID), 0))
            m_drawingTools = static_cast<IDrawingTools*>(peer->qt_metacast(IDrawingTools_iid));
    }
}

void TIonvale::afterRegistration()
{
    createImportConverters(this, &m_dataServer, m_converters);
}

void TIonvale::deactivate()
{
    TBasePlugin::deactivate();
    if (host())
        host()->setScriptObject(objectName(), nullptr, false);
}

TCanvasItem* TIonvale::createItem(int type)
{
    if (type != kMassItemType)
        return nullptr;
    return new TCanvasMass(QUuid(), 0, &m_dataServer, this);
}

TItemPropertiesBag* TIonvale::createPropertiesBag(int kind)
{
    return kind == kMassBagKind ? new TMassSpectrumPropertiesBag(nullptr) : nullptr;
}

QWidget* TIonvale::createPropertiesWidget(int kind)
{
    // Without parent: the host owns the page.
    return kind == kMassBagKind ? new WMassPropertiesWidget(nullptr) : nullptr;
}

TItemPropertiesBag* TIonvale::createMultiPropertiesBag(int kind, quintptr, const TCanvasItemList& items)
{
    if (kind != kMassBagKind)
        return nullptr;
    return new TMultiMassSpectrumPropertiesBag(items.isEmpty() ? nullptr : items.first(), items);
}

TCanvasItem* TIonvale::createTemplateItem(TItemProperties* placeholder, TCanvasItem* item)
{
    if (!item || !placeholder || item->rtti() != kMassItemType)
        return nullptr;
    QString text;
    if (placeholder->typeName() == "Mass Table")
        text = tableReport(placeholder->subtypeName(), item);
    if (text.isEmpty() || !m_drawingTools)
        return nullptr;
    return m_drawingTools->createTextItem(text, placeholder->typeName(), placeholder->subtypeName(), true,
                                          QPoint(0, 0), false);
}

bool TIonvale::dispatchEvent(QEvent* event)
{
    if (m_mouseModes.handleEvent(event))
        return true;
    return TBasePlugin::dispatchEvent(event);
}

bool TIonvale::supportsMouseMode(int, TCanvasItem* item, TPluginCursor& cursor)
{
    if (item && item->rtti() != kMassItemType)
        item = nullptr;
    if (!item && !activeMassItem())
        return false;
    if (!m_mouseModes.hasMode(m_mouseModes.currentMode))
        return false;
    const int id = mousemode::cursorId(m_mouseModes.currentMode, m_mouseModes.axes, m_mouseModes.dragging);
    if (id == 0)
        return false;
    cursor.kind = 0;
    cursor.id = id;
    return true;
}

void TIonvale::setMouseMode(const QUuid& mode, int, int)
{
    const QUuid previous = m_mouseModes.currentMode;
    if (mode.isNull()) {
        m_mouseModes.reset();
        if (previous == mousemode::kSpectrumSelection && host()) {
            if (TCanvasItem* item = activeMassItem())
                host()->repaintItem(item, 0);
        }
    } else if (m_mouseModes.hasMode(mode)) {
        m_mouseModes.active = true;
        m_mouseModes.axes = mode == mousemode::kPan ? 0 : 1;
    }
    m_mouseModes.currentMode = mode;
}

int TIonvale::cycleMouseModeAxes()
{
    const QUuid& mode = m_mouseModes.currentMode;
    if (mode == mousemode::kRectZoom || mode == mousemode::kClickZoom || mode == mousemode::kPan)
        return m_mouseModes.cycleAxes();
    return 0;
}

bool TIonvale::mousePressEvent(QEvent* event)
{
    // Without a mouse mode a left press over a plot makes it current; the
    // host handles the press as well.
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !m_mouseModes.currentMode.isNull() || !host())
        return false;
    auto* item = static_cast<TCanvasSpectrum*>(activeMassItem());
    if (!item)
        return false;
    const QPoint point = m_mouseModes.toCanvas(mouse->pos());
    if (item->boundingRect().contains(point) && item->plotAreaAt(QPointF(point)) == 3) {
        item->setCurrentPlotAt(point);
        host()->repaintItem(item, 0);
        host()->refreshDock("MassPeaksTable");
    }
    return false;
}

TCanvasItem* TIonvale::activeMassItem()
{
    return host() ? host()->selectedItems(0).activeOfType(kMassItemType) : nullptr;
}

bool TIonvale::ensureElementTable()
{
    if (m_elementTableLoaded)
        return true;
    const QString path = elementTableFilePath();
    m_elementTableLoaded = m_elementTable.initialize(path.toStdWString());
    if (!m_elementTableLoaded)
        QMessageBox::critical(host() ? host()->dialogParent() : nullptr, tr("Error"),
                              tr("Error initializing elements table from %1").arg(path), QMessageBox::Ok);
    return m_elementTableLoaded;
}

void TIonvale::addTableFactory(TBaseTableFactory* factory)
{
    if (host())
        host()->addFactory(factory);
    m_tableFactories.append(factory);
}

QString TIonvale::tableReport(const QString& tableName, TCanvasItem* item)
{
    if (!item)
        return QString();
    bool temporary = false;
    WPluginDockWidget* table = TBaseTableFactory::tableFor(m_tableFactories, tableName, item, temporary);
    auto* base = qobject_cast<TBaseTable*>(table);
    QString html;
    if (base) {
        base->setItem(item);
        base->refresh();
        html = base->reportHtml();
    }
    if (temporary)
        delete table;
    return html;
}

QString TIonvale::scriptClassName(int index)
{
    switch (index) {
    case 0:
        return "Ionvale";
    case 1:
        return "MassItem";
    default:
        return "???";
    }
}

// The entry points moc makes for the plug-in object go with it.
#include "moc_tionvale.cpp"
