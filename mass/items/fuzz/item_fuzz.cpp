// The plug-in data of the spectrum and mass items as documents and
// clipboards hold it: the input read into a fresh spectrum item and a
// fresh mass item of a test plug-in on a recording host. Whatever reads
// must leave every plot with its data object and the current plot one of
// the plots; an item that read writes bytes that read back into another
// fresh item and write the same.
#include <QByteArray>
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "itemdata.h"
#include "recordinghost.h"
#include "t1dmassplot.h"
#include "tcanvasmass.h"
#include "tdatastream.h"
#include "tmassdataserver.h"
#include "testplugin.h"

namespace {

using itemtest::pluginData;
using itemtest::readPluginData;
using itemtest::Strip;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Environment {
    Environment()
    {
        static int argc = 1;
        static char name[] = "mass_item_fuzz";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QCoreApplication>(argc, argv);
        // The items read stored analysis settings: never the user's.
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrom"));
        QCoreApplication::setApplicationName(QStringLiteral("Lumatra"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        host.loadPlugin(&plugin);
    }
    QTemporaryDir settings;
    std::unique_ptr<QCoreApplication> app;
    lumatra::TestPlugin plugin;
    lumatra::RecordingHost host{2480, 3508, 64};
    // No provider is registered here: every stored dataset fails to open
    // and gives an entry without a dataset.
    TMassDataServerHandler handler;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Environment* env = new Environment;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));

    Strip strip;
    if (readPluginData(strip, input)) {
        const QByteArray out = pluginData(strip);
        Strip again;
        check(readPluginData(again, out));
        check(pluginData(again) == out);
    }
    check(strip.currentPlot() == nullptr || strip.plots().contains(strip.currentPlot()));

    {
        TCanvasMass item(QUuid(), 0, &env->handler, nullptr);
        const bool ok = readPluginData(item, input);
        for (const TBasePlot* p : item.plots())
            check(item.dataObject(p->id()) != nullptr);
        check(item.currentPlot() == nullptr || item.plots().contains(item.currentPlot()));
        if (ok) {
            const QByteArray out = pluginData(item);
            TCanvasMass again(QUuid(), 0, &env->handler, nullptr);
            check(readPluginData(again, out));
            check(pluginData(again) == out);
        }
    }
    // Every key went with its item.
    check(env->handler.entryCount() == 0);
    return 0;
}
