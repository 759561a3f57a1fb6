// TestPlugin: a small plug-in object for tests of the shared classes and of
// later plug-in parts: a TEmptyPlugin whose host is the recording host
// once it is loaded (RecordingHost::loadPlugin registers it), answering
// IPluginInfo (identifier kTestPluginId), IPluginCanvasItem and, by class
// name, IProgress (wait cursor through the host's set-cursor and
// restore-cursor operations). Its item and bag makers answer null; tests
// derive to make their own kinds.
#pragma once

#include "iplugins.h"
#include "temptyplugin.h"

#include <QDate>
#include <QString>
#include <QUuid>

namespace lumatra {

#define LUMATRA_TEST_PLUGIN_ID "{3c0c6f4e-5c1d-4d8e-9a5e-2f7b9c1d0a42}"

class TestPlugin : public TEmptyPlugin, public IPluginInfo, public IPluginCanvasItem, public IProgress {
    Q_OBJECT
    Q_INTERFACES(IPluginInfo IPluginCanvasItem)

public:
    TestPlugin();

    const QString& name() const override { return m_name; }
    const QUuid& id() const override { return m_id; }
    const QUuid& secondId() const override { return m_id; }
    const QString& version() const override { return m_version; }
    const QDate& date() const override { return m_date; }
    // Keeps the host.
    void registerPlugin(IPluginHost* host) override;
    void activate() override {}
    void deactivate() override {}
    QString description() const override { return QString(); }
    bool capabilityBit0() const override { return false; }
    bool capabilityBit1() const override { return false; }

    TCanvasItem* createItem(int type) override;
    TItemPropertiesBag* createPropertiesBag(int kind) override;
    QWidget* createPropertiesWidget(int kind) override;
    TItemPropertiesBag* createMultiPropertiesBag(int kind, quintptr owner, const TCanvasItemList& items) override;
    TCanvasItem* createTemplateItem(TItemProperties* placeholder, TCanvasItem* item) override;

    void beginWait() override;
    void endWait() override;

private:
    QString m_name;
    QUuid m_id;
    QString m_version;
    QDate m_date;
};

}  // namespace lumatra
