// The shell's white-box tests' fixture: the plug-in object on a recording
// host.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hostjournal.h"
#include "kstest.h"
#include "kstestqt.h"
#include "owningdrawingpeer.h"
#include "tionvale.h"

namespace shelltest {

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
