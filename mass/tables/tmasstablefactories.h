// The factories of the three mass result tables: each describes its dock,
// owns the Report and Copy actions its tables share, makes its table by
// dock name with the host's actions for the table's tool bar, and names
// the page item those actions act on.
#pragma once

#include "tpluginfactories.h"

#include <functional>

class IMoleculePlugin;
class TEmptyPlugin;
class TKSElementTable;

class TMassTableFactory : public TBaseTableFactory {
    Q_OBJECT

public:
    TMassTableFactory(TEmptyPlugin* plugin, const QString& caption, const QString& dockName);

    // The selected mass item (the active one first), else the selected
    // molecule item, else null.
    TCanvasItem* activeItem() override;
    TEmptyPlugin* plugin() const { return m_plugin; }

protected:
    // The dock (17, 3, no extra text, group "Mass", kind 1) and the
    // actions' tooltips.
    void describe(const char* title, const char* reportTip, const char* copyTip);
    // The prefix followed by the item's subtype text; empty for no item.
    static QString reportNameOf(const char* prefix, TCanvasItem* item);

private:
    TEmptyPlugin* m_plugin;
};

class TMassElementCompositionTableFactory : public TMassTableFactory {
    Q_OBJECT

public:
    // The element table as the composition table takes it.
    TMassElementCompositionTableFactory(TEmptyPlugin* plugin, std::function<const TKSElementTable*()> elementTable);

    WPluginDockWidget* createDockWidget(const QString& name) override;
    QString reportName(TCanvasItem* item) override;

private:
    std::function<const TKSElementTable*()> m_elementTable;
};

class TMassMolMatchTableFactory : public TMassTableFactory {
    Q_OBJECT

public:
    // The molecule peer is found after the factories are made: it is asked
    // for when a table is made.
    TMassMolMatchTableFactory(TEmptyPlugin* plugin, std::function<IMoleculePlugin*()> moleculePlugin);

    WPluginDockWidget* createDockWidget(const QString& name) override;
    QString reportName(TCanvasItem* item) override;

private:
    std::function<IMoleculePlugin*()> m_moleculePlugin;
};

class TMassPeaksTableFactory : public TMassTableFactory {
    Q_OBJECT

public:
    explicit TMassPeaksTableFactory(TEmptyPlugin* plugin);

    WPluginDockWidget* createDockWidget(const QString& name) override;
    QString reportName(TCanvasItem* item) override;
};
