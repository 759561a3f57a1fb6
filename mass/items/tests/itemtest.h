// Helpers of the item tests: the test plug-in object (a test plug-in of the
// recording host that owns a dataset server handler and makes mass items
// and their bags), a fixture with the host, the plug-in, the providers
// registered into the case's registry and the case's settings, generated
// runs of the core library's test provider.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>

#include "itemdata.h"
#include "ksdialogrunner.h"
#include "recordinghost.h"
#include "tcanvasmass.h"
#include "tcanvasspectrum.h"
#include "tdatastream.h"
#include "tmassdataserver.h"
#include "testplugin.h"

namespace itemtest {

extern const QUuid kRunProviderId;
extern const QUuid kTextProviderId;
extern const QUuid kChemStationProviderId;

// Two injections; injection A: MS+ (20 scans, a compound at 0.2 min, scan
// 10), MS/MS+ and MS-; injection B: one MS- function.
extern const char* const kRunTwoInjections;

class ItemPlugin : public lumatra::TestPlugin {

public:
    TCanvasItem* createItem(int type) override;
    TItemPropertiesBag* createPropertiesBag(int kind) override;
    TItemPropertiesBag* createMultiPropertiesBag(int kind, quintptr owner, const TCanvasItemList& items) override;

    TMassDataServerHandler handler;
};

QString hex(const QByteArray& bytes);
// Pixels that are not fully transparent.
int paintedPixels(const QImage& image);

class ItemTest : public ::testing::Test {
protected:
    ItemTest();
    ~ItemTest() override;
    void SetUp() override;
    void TearDown() override;

    // A file in the case's folder.
    QString writeCaseFile(const char* name, const std::string& text) const;
    QString bundledTextDataset() const;
    // An item over the dataset of path and provider, on the page.
    TCanvasMass* import(const QString& path, const QUuid& provider);
    // An empty item as the plug-in's factory makes it, on the page.
    TCanvasMass* emptyItem();
    TMassDataServerHandler& handler() { return plugin->handler; }

    std::unique_ptr<ItemPlugin> plugin;
    lumatra::RecordingHost host{2480, 3508, 64};
    ks::dialogs::ScriptedDialogRunner runner;
    ks::dialogs::DialogRunner* previousRunner = nullptr;
};

}  // namespace itemtest
