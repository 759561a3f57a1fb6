#include "temptyplugin.h"

namespace {

TEmptyPlugin* g_plugin = nullptr;

}  // namespace

TEmptyPlugin::TEmptyPlugin() : QObject(nullptr)
{
    g_plugin = this;
}

TEmptyPlugin::~TEmptyPlugin()
{
    if (g_plugin == this)
        g_plugin = nullptr;
}

TEmptyPlugin* TEmptyPlugin::instance()
{
    return g_plugin;
}

IPluginHost* TEmptyPlugin::instanceHost()
{
    return g_plugin ? g_plugin->host() : nullptr;
}
