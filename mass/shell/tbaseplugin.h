// TBasePlugin: the generic part of the plug-in object under TIonvale:
// identity, the generic plug-in interfaces (information, canvas items,
// import, wait cursor), the UI description text and icons from the
// resources, the routing of input events and the import converters.
#pragma once

#include "iplugins.h"
#include "temptyplugin.h"

#include <QDate>
#include <QIcon>
#include <QList>
#include <QString>
#include <QUuid>

class QEvent;
class TBaseConverter;

class TBasePlugin : public TEmptyPlugin,
                    public IPluginInfo,
                    public IPluginCanvasItem,
                    public IPluginImport,
                    public IProgress {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo IPluginCanvasItem IPluginImport)

public:
    TBasePlugin();
    // Deletes every converter.
    ~TBasePlugin() override;

    // IPluginInfo
    const QString& name() const override { return m_name; }
    const QUuid& id() const override { return m_id; }
    const QUuid& secondId() const override { return m_secondId; }
    const QString& version() const override { return m_version; }
    const QDate& date() const override { return m_date; }
    void registerPlugin(IPluginHost* host) override;
    void activate() override;
    void deactivate() override;
    QString description() const override { return QString(); }
    bool capabilityBit0() const override { return m_flags & 1; }
    bool capabilityBit1() const override { return m_flags & 2; }

    // IPluginCanvasItem: nothing here.
    TCanvasItem* createItem(int type) override;
    TItemPropertiesBag* createPropertiesBag(int kind) override;
    QWidget* createPropertiesWidget(int kind) override;
    TItemPropertiesBag* createMultiPropertiesBag(int kind, quintptr owner, const TCanvasItemList& items) override;
    TCanvasItem* createTemplateItem(TItemProperties* placeholder, TCanvasItem* item) override;

    // IPluginImport
    int importFile(const QString& path, int value, const QString& filter, bool direct,
                   QStringList& imported) override;
    QStringList importFilters() override;
    QStringList exportFilters() override;
    int exportItems(const QString& path, const QString& filter) override;

    // IProgress: the wait cursor through the host.
    void beginWait() override;
    void endWait() override;

    // The UI description's text (null when it cannot be read).
    virtual QString readTextFile();
    // Only for "::/..." paths: the resource at the path without its first
    // colon; an empty icon for any other path.
    virtual QIcon iconFromResource(const QString& path);
    // Routes the input events to the handlers below; other types answer false.
    virtual bool dispatchEvent(QEvent* event);
    virtual void afterRegistration() = 0;
    virtual bool wheelEvent(QEvent*) { return false; }
    virtual bool mousePressEvent(QEvent*) { return false; }
    virtual bool mouseReleaseEvent(QEvent*) { return false; }
    virtual bool mouseMoveEvent(QEvent*) { return false; }
    virtual bool keyPressEvent(QEvent*) { return false; }
    virtual bool keyReleaseEvent(QEvent*) { return false; }
    virtual bool dragEnterEvent(QEvent*) { return false; }
    virtual bool dragMoveEvent(QEvent*) { return false; }
    virtual bool dropEvent(QEvent*) { return false; }

    const QList<TBaseConverter*>& converters() const { return m_converters; }
    const QString& uiDescriptionPath() const { return m_uiDescriptionPath; }
    bool isActive() const { return m_active; }
    int flags() const { return m_flags; }

protected:
    QUuid m_id;
    QUuid m_secondId;
    QString m_name;
    QString m_version;
    QDate m_date;
    QString m_uiDescriptionPath;
    QList<TBaseConverter*> m_converters;
    int m_flags = 0;
    bool m_active = false;
};
