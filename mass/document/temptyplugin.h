// TEmptyPlugin: the base of the plug-in object, a QObject that knows the
// host. The host hands its interface over at registration; every call the
// plug-in, its items, bags, tables and dialogs make into the host goes
// through it. The process-wide instance pointer is how canvas items and
// property bags, which have no plug-in of their own, reach the host.
//
// The instance is the newest plug-in object alive: construction sets it,
// destruction clears it (only when it is this object, so that deleting an
// older object leaves a newer one in place). Each copy of the shared
// classes has its own pointer: the host's copy knows no plug-in object.
#pragma once

#include <QObject>

class IPluginHost;

class TEmptyPlugin : public QObject {
    Q_OBJECT

public:
    TEmptyPlugin();
    ~TEmptyPlugin() override;

    // The host's interface, null until registration.
    IPluginHost* host() const { return m_host; }
    void setHost(IPluginHost* host) { m_host = host; }

    // The current plug-in object, or null.
    static TEmptyPlugin* instance();
    // The current plug-in object's host, or null.
    static IPluginHost* instanceHost();

private:
    IPluginHost* m_host = nullptr;
};
