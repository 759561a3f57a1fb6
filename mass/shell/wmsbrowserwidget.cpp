#include "wmsbrowserwidget.h"

#include "ipluginhost.h"
#include "massutils.h"
#include "tcanvasmass.h"
#include "tcmdlist.h"
#include "tcmdplotobject.h"
#include "tcmdselect.h"
#include "tcmdsettings.h"
#include "tindrel.h"
#include "tmassdataobj.h"
#include "tmassdataserver.h"
#include "wnewmschromdialog.h"
#include "wnewmsspecdialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString formText(const char* text)
{
    return QCoreApplication::translate("WMSBrowserWidgetClass", text);
}

QToolButton* toolButton(QWidget* parent, const char* name, const char* text, const char* tip, const char* icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(formText(text));
    b->setToolTip(formText(tip));
    b->setIcon(QIcon(icon));
    b->setEnabled(false);
    return b;
}

int indexOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, WMSBrowserWidget::IndexRole).toInt() : -1;
}

// An injection, function or trace item: its name (also the tooltip) and
// its index.
QTreeWidgetItem* namedItem(int type, const std::wstring& name, int index)
{
    auto* item = new QTreeWidgetItem(type);
    item->setText(0, QString::fromStdWString(name));
    item->setData(0, WMSBrowserWidget::IndexRole, index);
    item->setToolTip(0, item->text(0));
    return item;
}

// The injection index of a function or trace item (its grandparent's).
int injectionOf(const QTreeWidgetItem* item)
{
    const QTreeWidgetItem* group = item ? item->parent() : nullptr;
    return indexOf(group ? group->parent() : nullptr);
}

}  // namespace

WMSBrowserWidget::WMSBrowserWidget(TMassDataServerHandler* dataServer, IPluginHost* host)
    : WPluginDockWidget(host)
    , m_okPixmap(":/images/apply.png")
    , m_missingPixmap(":/images/cancel.png")
    , m_activeIcon(":/images/star.png")
    , m_dataServer(dataServer)
{
    setupForm();
    setupInfoPanel();
    setObjectName("MSBrowserWidget");
    setWindowTitle(tr("MS Browser"));
}

void WMSBrowserWidget::setupForm()
{
    setObjectName("WMSBrowserWidgetClass");
    resize(480, 480);
    setWindowTitle(formText("Mass Dataset Browser"));
    auto* vboxLayout = new QVBoxLayout(this);
    vboxLayout->setObjectName("vboxLayout");
    vboxLayout->setSpacing(6);
    vboxLayout->setContentsMargins(11, 11, 11, 11);

    gbSource = new QGroupBox(formText("Data Source"), this);
    gbSource->setObjectName("gbSource");
    auto* hboxLayout = new QHBoxLayout(gbSource);
    hboxLayout->setObjectName("hboxLayout");
    hboxLayout->setSpacing(6);
    hboxLayout->setContentsMargins(11, 11, 11, 11);
    leFile = new QLineEdit(gbSource);
    leFile->setObjectName("leFile");
    leFile->setReadOnly(true);
    lbFileStatus = new QLabel(gbSource);
    lbFileStatus->setObjectName("lbFileStatus");
    lbFileStatus->setToolTip(formText("Dataset File Status"));
    lbFileStatus->setFixedSize(20, 20);
    lbFileStatus->setScaledContents(true);
    lbFileStatus->setPixmap(QPixmap(":/images/apply.png"));
    btnFile = new QPushButton(formText("..."), gbSource);
    btnFile->setObjectName("btnFile");
    btnFile->setToolTip(formText("Set Dataset File"));
    btnFile->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    btnFile->setMaximumSize(24, 20);
    hboxLayout->addWidget(leFile);
    hboxLayout->addWidget(lbFileStatus);
    hboxLayout->addWidget(btnFile);
    vboxLayout->addWidget(gbSource);

    gbBrowser = new QGroupBox(formText("Browser"), this);
    gbBrowser->setObjectName("gbBrowser");
    auto* gridLayout = new QGridLayout(gbBrowser);
    gridLayout->setObjectName("gridLayout");
    gridLayout->setSpacing(6);
    gridLayout->setContentsMargins(11, 11, 11, 11);
    frmToolbar = new QFrame(gbBrowser);
    frmToolbar->setObjectName("frmToolbar");
    frmToolbar->setFrameShape(QFrame::StyledPanel);
    frmToolbar->setFrameShadow(QFrame::Raised);
    auto* hboxLayout1 = new QHBoxLayout(frmToolbar);
    hboxLayout1->setObjectName("hboxLayout1");
    hboxLayout1->setSpacing(4);
    hboxLayout1->setContentsMargins(0, 0, 0, 0);
    btnChrom = toolButton(frmToolbar, "btnChrom", "...", "Opens new chromatogram...", ":/images/new-chromatogram.png");
    btnSpec = toolButton(frmToolbar, "btnSpec", "...", "Opens new mass spectrum...", ":/images/new-msspec.png");
    btnActive = toolButton(frmToolbar, "btnActive", "", "Sets selected function as active", ":/images/star.png");
    btnDel = toolButton(frmToolbar, "btnDel", "...", "Deletes selected plot", ":/images/delete.png");
    for (QToolButton* b : {btnChrom, btnSpec, btnActive, btnDel})
        hboxLayout1->addWidget(b);
    hboxLayout1->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    gridLayout->addWidget(frmToolbar, 0, 0);
    treeWidget = new QTreeWidget(gbBrowser);
    treeWidget->setObjectName("treeWidget");
    treeWidget->setColumnCount(1);
    treeWidget->setHeaderLabels({formText("Dataset")});
    gridLayout->addWidget(treeWidget, 1, 0);
    vboxLayout->addWidget(gbBrowser);

    gbInfo = new QGroupBox(formText("Information"), this);
    gbInfo->setObjectName("gbInfo");
    auto* vboxLayout1 = new QVBoxLayout(gbInfo);
    vboxLayout1->setObjectName("vboxLayout1");
    vboxLayout1->setSpacing(6);
    vboxLayout1->setContentsMargins(11, 11, 11, 11);
    vboxLayout->addWidget(gbInfo);
    gbInfo->hide();

    QMetaObject::connectSlotsByName(this);
}

void WMSBrowserWidget::setupInfoPanel()
{
    m_infoScroll = new QScrollArea(gbInfo);
    m_infoScroll->setContentsMargins(0, 0, 0, 0);
    m_infoScroll->setFrameShape(QFrame::NoFrame);
    m_infoScroll->setFrameShadow(QFrame::Plain);
    m_infoScroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    gbInfo->layout()->addWidget(m_infoScroll);
    m_infoLabel = new QLabel;
    m_infoScroll->setWidget(m_infoLabel);
    m_infoScroll->viewport()->setAutoFillBackground(false);
    gbInfo->hide();
}

bool WMSBrowserWidget::acceptsItem(TCanvasItem* item)
{
    return !item || item->rtti() == MassSpectrumItemType;
}

void WMSBrowserWidget::setItem(TCanvasItem* item)
{
    if (item && acceptsItem(item)) {
        // A refresh skipped for the previous item's command must not hold
        // back the first refresh of another item.
        if (item->ownId() != m_itemId)
            m_skipRefresh = false;
        m_itemId = item->ownId();
        m_item = item;
        setEnabled(true);
    } else {
        setEnabled(false);
    }
}

TCanvasMass* WMSBrowserWidget::massItem()
{
    if (!host())
        return nullptr;
    const TCanvasItemList items = host()->allItems();
    TCanvasItem* found = items.findItem(m_itemId);
    if (!found && items.contains(m_item))
        found = m_item;
    return found && found->rtti() == MassSpectrumItemType ? static_cast<TCanvasMass*>(found) : nullptr;
}

void WMSBrowserWidget::refresh()
{
    TCanvasMass* m = massItem();
    if (!m) {
        setEnabled(false);
        m_skipRefresh = false;
        return;
    }
    if (m_skipRefresh) {
        setEnabled(true);
        m_skipRefresh = false;
        return;
    }
    leFile->setText(m->datasetName());
    leFile->setToolTip(m->datasetName());
    TKSDataset* dataset = m->dataset();
    if (dataset) {
        lbFileStatus->setPixmap(m_okPixmap);
        rebuildTree();
    } else {
        lbFileStatus->setPixmap(m_missingPixmap);
        treeWidget->clear();
        m_visiblePlotCount = 0;
    }
    btnFile->setEnabled(!dataset);
    gbBrowser->setEnabled(dataset != nullptr);
    gbInfo->hide();
    setEnabled(true);
    m_skipRefresh = false;
}

void WMSBrowserWidget::rebuildTree()
{
    TCanvasMass* m = massItem();
    TKSDataset* dataset = m && m->dataServer() ? m->dataset() : nullptr;
    if (!dataset)
        return;
    treeWidget->clear();
    m_visiblePlotCount = 0;
    for (QToolButton* b : {btnChrom, btnSpec, btnDel, btnActive})
        b->setEnabled(false);
    TKSInjections* injections = dataset->getInjections();
    if (!injections)
        return;
    const bool blocked = treeWidget->blockSignals(true);
    for (int i = 0; i < dataset->getInjectionCount(); ++i) {
        TKSInjection* injection = injections->getItem(i);
        if (!injection)
            continue;
        QTreeWidgetItem* injectionItem = namedItem(InjectionItem, injection->getName(), i);
        treeWidget->addTopLevelItem(injectionItem);

        if (TKSFunctions* functions = injection->getFunctions()) {
            auto* group = new QTreeWidgetItem(injectionItem, FunctionsGroupItem);
            group->setText(0, tr("Functions"));
            for (int j = 0; j < functions->getCount(); ++j) {
                TKSFunction* function = functions->getItem(j);
                if (!function)
                    continue;
                QTreeWidgetItem* functionItem = namedItem(FunctionItem, function->getName(), j);
                functionItem->setData(0, InfoRole, functionInfoText(function));
                group->addChild(functionItem);
                if (j == m->activeFunction(i))
                    functionItem->setIcon(0, m_activeIcon);
                addPlotItems(functionItem, m, i, j, true);
                delete function;
            }
            group->setData(0, InfoRole, tr("%1 functions").arg(functions->getCount()));
            delete functions;
        }

        if (TKSTraces* traces = injection->getTraces()) {
            if (traces->getCount() >= 1) {
                btnActive->show();
                auto* group = new QTreeWidgetItem(injectionItem, TracesGroupItem);
                group->setText(0, tr("Traces"));
                for (int k = 0; k < traces->getCount(); ++k) {
                    TKSTrace* trace = traces->getItem(k);
                    if (!trace)
                        continue;
                    QTreeWidgetItem* traceItem = namedItem(TraceItem, trace->getName(), k);
                    traceItem->setData(0, InfoRole, traceInfoText(trace));
                    group->addChild(traceItem);
                    addPlotItems(traceItem, m, i, k, false);
                    delete trace;
                }
                group->setData(0, InfoRole, tr("%1 traces").arg(traces->getCount()));
            } else {
                btnActive->hide();
            }
            delete traces;
        }
        delete injection;
    }
    delete injections;
    treeWidget->expandAll();
    treeWidget->blockSignals(blocked);
}

void WMSBrowserWidget::addPlotItems(QTreeWidgetItem* parent, TCanvasMass* mass, int injection, int index,
                                    bool byFunction)
{
    QVector<TMassDataObj*> objects;
    mass->dataObjectsOf(injection, index, objects, byFunction);
    for (TMassDataObj* object : objects)
        if (object && mass->plot(object->id(), false))
            addPlotItem(parent, object, mass->isPlotVisible(object->id()));
}

QTreeWidgetItem* WMSBrowserWidget::addPlotItem(QTreeWidgetItem* parent, TMassDataObj* object, bool visible)
{
    auto* item = new QTreeWidgetItem(PlotItem);
    item->setText(0, object->description());
    item->setData(0, PlotIdRole, object->id().toString());
    item->setToolTip(0, item->text(0));
    if (visible)
        ++m_visiblePlotCount;
    item->setCheckState(0, visible ? Qt::Checked : Qt::Unchecked);
    if (const TChromatogramDataObj* c = TChromatogramDataObj::cast(object))
        item->setData(0, InfoRole, chromatogramInfoText(c->chromatogram()));
    else if (const TMassSpecDataObj* s = TMassSpecDataObj::cast(object))
        item->setData(0, InfoRole, spectrumInfoText(s->spectrum()));
    parent->addChild(item);
    return item;
}

QString WMSBrowserWidget::functionInfoText(TKSFunction* function)
{
    if (!function)
        return QString();
    QString text = tr("Analyzer:") + " " + analyzerText(function->getMSAnalyzerType()) + "\n";
    text += tr("Type:") + " " + msTypeText(function->getMSType());
    if (function->getMSOrder() > 1)
        text += QString(" [ n=%1, %2 ]\n").arg(function->getMSOrder()).arg(msmsTypeText(function->getMSMSType()));
    else
        text += "\n";
    text += tr("Polarity: %1\n").arg(polarityText(function->getPolarity()));
    text += tr("Spectra count:");
    text += QString(" %1").arg(function->getCount());
    return text;
}

QString WMSBrowserWidget::chromatogramInfoText(const TKSChromatogram& chromatogram)
{
    return tr("Scans: %1\n").arg(chromatogram.getCount()) +
           tr("RT range: [%1 - %2]\n")
               .arg(QString::number(chromatogram.getMinimumRT(), 'f', 2),
                    QString::number(chromatogram.getMaximumRT(), 'f', 2)) +
           tr("Intensity range: [%1 - %2]")
               .arg(QString::number(chromatogram.getMinimumIntensity(), 'f', 2),
                    QString::number(chromatogram.getMaximumIntensity(), 'f', 2));
}

QString WMSBrowserWidget::spectrumInfoText(const TKSMassSpectrum& spectrum)
{
    return tr("Polarity: %1\n").arg(polarityText(spectrum.getPolarity())) +
           tr("Order: %1\n").arg(spectrum.getMSOrder()) + tr("Scans: %1\n").arg(scanRangesText(spectrum)) +
           tr("Times: %1\n").arg(timeRangesText(spectrum, 'f', 2));
}

QString WMSBrowserWidget::traceInfoText(TKSTrace*)
{
    return QString();
}

QString WMSBrowserWidget::datasetFileFilter(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    const QString all = tr("All Files (*.*)");
    return suffix.isEmpty() ? all : QString("MS Dataset (*.%1);;").arg(suffix) + all;
}

void WMSBrowserWidget::on_treeWidget_currentItemChanged(QTreeWidgetItem* aCurItm)
{
    if (!aCurItm) {
        gbInfo->hide();
        return;
    }
    const QString info = aCurItm->data(0, InfoRole).toString();
    if (info.isEmpty()) {
        gbInfo->hide();
    } else {
        m_infoLabel->setText(info);
        const QSize hint = m_infoLabel->sizeHint();
        m_infoLabel->resize(hint);
        m_infoScroll->setMaximumHeight(2 * hint.height());
        gbInfo->show();
    }
    const int type = aCurItm->type();
    const QTreeWidgetItem* parent = aCurItm->parent();
    btnDel->setEnabled(type == PlotItem && m_visiblePlotCount >= 2);
    btnChrom->setEnabled(type == FunctionItem || type == TraceItem || type == PlotItem);
    const bool function = type == FunctionItem || (parent && parent->type() == FunctionItem);
    btnSpec->setEnabled(function);
    btnActive->setEnabled(function);
}

void WMSBrowserWidget::on_treeWidget_itemChanged(QTreeWidgetItem* aItem, int aColumn)
{
    if (!aItem || aColumn != 0 || aItem->type() != PlotItem)
        return;
    TCanvasMass* m = massItem();
    if (!m)
        return;
    const bool checked = aItem->checkState(0) == Qt::Checked;
    if (!checked && m_visiblePlotCount <= 1) {
        // The last visible plot cannot be hidden.
        const bool blocked = treeWidget->blockSignals(true);
        aItem->setCheckState(0, Qt::Checked);
        treeWidget->blockSignals(blocked);
        return;
    }
    m_visiblePlotCount += checked ? 1 : -1;
    execute(new TCmdTogglePlotVisibility(m, QUuid(aItem->data(0, PlotIdRole).toString())));
}

void WMSBrowserWidget::on_btnDel_clicked()
{
    TCanvasMass* m = massItem();
    QTreeWidgetItem* current = treeWidget->currentItem();
    if (!m || !current || current->type() != PlotItem || m_visiblePlotCount < 2)
        return;
    const QUuid plotId(current->data(0, PlotIdRole).toString());
    treeWidget->setCurrentItem(nullptr);
    for (QToolButton* b : {btnDel, btnChrom, btnSpec})
        b->setEnabled(false);
    if (current->checkState(0) == Qt::Checked)
        --m_visiblePlotCount;
    delete current;
    execute(new TCmdDelPlotObject(m, plotId));
}

QTreeWidgetItem* WMSBrowserWidget::currentFunctionItem() const
{
    QTreeWidgetItem* current = treeWidget->currentItem();
    if (current && current->type() == PlotItem && current->parent() && current->parent()->type() == FunctionItem)
        current = current->parent();
    return current && current->type() == FunctionItem ? current : nullptr;
}

void WMSBrowserWidget::on_btnActive_clicked()
{
    TCanvasMass* m = massItem();
    QTreeWidgetItem* current = currentFunctionItem();
    if (!m || !current)
        return;
    const int injection = injectionOf(current);
    const int function = indexOf(current);
    const int active = m->activeFunction(injection);
    if (active == -1 || active == function)
        return;
    QTreeWidgetItem* group = current->parent();
    for (int c = 0; group && c < group->childCount(); ++c) {
        QTreeWidgetItem* sibling = group->child(c);
        if (sibling->type() == FunctionItem && indexOf(sibling) == active)
            sibling->setIcon(0, QIcon());
    }
    current->setIcon(0, m_activeIcon);
    execute(new TCmdSetActiveMassFunction(m, injection, function));
}

void WMSBrowserWidget::on_btnFile_clicked()
{
    TCanvasMass* m = massItem();
    if (!m || !host())
        return;
    const QString path = m->datasetName();
    const QString chosen =
        QFileDialog::getOpenFileName(host()->dialogParent(), tr("Set MS dataset file name"),
                                     QFileInfo(path).absoluteFilePath(), datasetFileFilter(path));
    if (chosen.isEmpty())
        return;
    // Not one of the browser's own commands: the refresh it causes
    // rebuilds the tree from the new file.
    host()->executeCommand(new TCmdUpdateMSDatasetFile(m->datasetKey(), chosen, m_dataServer, host()->allItems()));
}

void WMSBrowserWidget::on_btnChrom_clicked()
{
    TCanvasMass* m = massItem();
    QTreeWidgetItem* current = treeWidget->currentItem();
    if (!m || !current)
        return;
    if (current->type() == PlotItem)
        current = current->parent();
    if (!current || (current->type() != FunctionItem && current->type() != TraceItem))
        return;
    const int index = indexOf(current);
    const int injection = injectionOf(current);
    if (current->type() == TraceItem) {
        TKSTrace* trace = datasetTrace(m->dataset(), injection, index);
        if (!trace)
            return;
        TKSChromatogram chromatogram;
        trace->getChromatogram(chromatogram);
        delete trace;
        addChromatogramPlot(new TChromatogramDataObj(QUuid::createUuid(), chromatogram, 6), current, nullptr);
        return;
    }
    TKSMSCollection* collection = m->msCollection(injection, index);
    if (!collection)
        return;
    double low = 0;
    double high = 500;
    double acquiredLow = low;
    double acquiredHigh = high;
    if (collection->getAcquiredMassRange(acquiredLow, acquiredHigh)) {
        low = acquiredLow;
        high = acquiredHigh;
    }
    const bool inDa = m->toleranceUnits() & TCanvasMass::ChromatogramToleranceInDa;
    WNewMSChromDialog dialog(this, low, high, m->chromatogramTolerance(), inDa);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TChromatogramDataObj* object = dialog.createChromatogram(collection);
    if (!object)
        return;
    addChromatogramPlot(object, current,
                        dialog.mergeToleranceCommand(m->chromatogramTolerance(), inDa, TCanvasItemList(m)));
}

void WMSBrowserWidget::addChromatogramPlot(TChromatogramDataObj* object, QTreeWidgetItem* parent, TCommand* leading)
{
    TCanvasMass* m = massItem();
    // An extraction without data adds nothing.
    if (!m || !object || !parent || object->chromatogram().getCount() == 0) {
        delete leading;
        delete object;
        return;
    }
    object->detectPeaks();
    addPlotItem(parent, object, true);
    auto* add = new TCmdAddPlotObject(m, object);
    if (!leading) {
        execute(add);
        return;
    }
    auto* list = new TCmdList(add->name.constData());
    list->insert(leading);
    list->insert(add);
    execute(list);
}

void WMSBrowserWidget::on_btnSpec_clicked()
{
    TCanvasMass* m = massItem();
    QTreeWidgetItem* current = currentFunctionItem();
    if (!m || !current)
        return;
    TKSMSCollection* collection = m->msCollection(injectionOf(current), indexOf(current));
    if (!collection)
        return;
    int first = 0;
    int last = collection->getCount() - 1;
    int reportedFirst = first;
    int reportedLast = last;
    if (collection->getSpectrumIndexRange(reportedFirst, reportedLast)) {
        first = reportedFirst;
        last = reportedLast;
    }
    WNewMSSpecDialog dialog(this, first, last);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TMassSpecDataObj* object = dialog.createSpectrum(collection);
    if (!object)
        return;
    if (object->spectrum().getCount() == 0) {
        delete object;
        return;
    }
    object->centroid();
    object->buildPeaks();
    addPlotItem(current, object, true);
    execute(new TCmdAddPlotObject(m, object));
}

void WMSBrowserWidget::execute(TCommand* command)
{
    m_skipRefresh = true;
    if (host())
        host()->executeCommand(command);
    else
        delete command;
}
