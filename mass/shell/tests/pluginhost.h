// The shell's white-box tests' fixture: the plug-in object on a recording
// host.
#pragma once

#include <gtest/gtest.h>

#include <QFile>

#include <memory>

#include "hostjournal.h"
#include "kstest.h"
#include "kstestqt.h"
#include "owningdrawingpeer.h"
#include "tionvale.h"

namespace shelltest {

// A generated run (the core library's test provider) whose compound,
// protonated caffeine, peaks at 0.2 min; written into the case's folder.
inline QString caffeineRun()
{
    const std::string path = ks::test::tempDir() + "/caffeine.run";
    ks::test::writeFile(path,
                        "kestrom-run 1\n"
                        "injection name=\"A\"\n"
                        "function name=\"MS+\" type=1 polarity=1 scans=20 start=0 step=0.02 low=100 high=300\n"
                        "compound function=1 apex=0.2 width=0.03 height=1000 peaks=195.0877:100,196.09:10\n");
    return QString::fromStdString(path);
}

// The caffeine molfile of the core library's data.
inline QString caffeineMolfile()
{
    QFile f(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/molfiles/caffeine.mol"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromLatin1(f.readAll());
}

// A TIonvale loaded into a recording host whose drawing peer owns the text
// items it makes, the providers of the bundled and generated datasets
// registered. makeHost, then (after swapping a peer, say) loadPlugin.
class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeHost();
        loadPlugin();
    }
    void makeHost()
    {
        ks::test::useCaseSettings();
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
        host = std::make_unique<lumatra::RecordingHost>();
        host->removeDrawingPeer();
        drawing = std::make_unique<OwningDrawingPeer>(*host);
        host->addPlugin(drawing.get());
    }
    void loadPlugin()
    {
        plugin = new TIonvale;
        host->loadPlugin(plugin);
    }
    void TearDown() override
    {
        drawing.reset();
        host.reset();
        delete plugin;
    }

    std::unique_ptr<lumatra::RecordingHost> host;
    std::unique_ptr<OwningDrawingPeer> drawing;
    TIonvale* plugin = nullptr;
};

}  // namespace shelltest
