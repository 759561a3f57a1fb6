// Fixture of the script tests: the recording host with a small plug-in
// object that owns a dataset server handler, the providers registered into
// the case's registry, and one fresh engine in which the plug-in's factory
// registered "Ionvale" and "MassItem".
#pragma once

#include <gtest/gtest.h>

#include <QScriptEngine>
#include <QString>
#include <QUuid>

#include <memory>

#include "ksdialogrunner.h"
#include "recordinghost.h"
#include "tcanvasmass.h"
#include "tmassdataserver.h"
#include "testplugin.h"
#include "tionvalewrapper.h"
#include "tkselements.h"

// The plug-in class as scripts meet it: the conversion of "TIonvale*"
// accepts a plug-in object by this class name.
class TIonvale : public lumatra::TestPlugin {
    Q_OBJECT

public:
    TCanvasItem* createItem(int type) override;

    TMassDataServerHandler handler;
};

namespace scripttest {

// What the plug-in script object asks of the plug-in: the active mass item
// from the host's selection, an element table that loads or fails, and a
// molecule peer (none until a test gives one).
class TestServices : public TIonvaleScriptServices {
public:
    explicit TestServices(::TIonvale* plugin);

    TCanvasItem* activeMassItem() override;
    bool ensureElementTable() override;
    const TKSElementTable* elementTable() override { return &table; }
    TMassDataServerHandler* dataServer() override;
    IMoleculePlugin* moleculePlugin() override { return peer; }

    ::TIonvale* plugin;
    bool tableFails = false;
    int tableAsked = 0;
    TKSElementTable table;
    IMoleculePlugin* peer = nullptr;
};

extern const QUuid kTextProviderId;
extern const QUuid kChemStationProviderId;
// The core library's generated runs ("kestrom-run").
extern const QUuid kRunProviderId;
// Protonated caffeine eluting at 0.36 min in a positive MS function, and
// a UV trace.
extern const char* const kCaffeineRun;


// A target of the bulk property assignment: writable properties of three
// types, a read-only one, and a count of setter calls.
class AssignTarget : public QObject {
    Q_OBJECT
    Q_PROPERTY(int number READ number WRITE setNumber)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool flag READ flag WRITE setFlag)
    Q_PROPERTY(int fixed READ fixed)

public:
    int number() const { return m_number; }
    void setNumber(int n) { m_number = n; ++writes; }
    QString text() const { return m_text; }
    void setText(const QString& t) { m_text = t; ++writes; }
    bool flag() const { return m_flag; }
    void setFlag(bool f) { m_flag = f; ++writes; }
    int fixed() const { return 7; }

    int writes = 0;

private:
    int m_number = 1;
    QString m_text = "t";
    bool m_flag = false;
};


class ScriptTest : public ::testing::Test {
protected:
    ScriptTest();
    ~ScriptTest() override;
    void SetUp() override;
    void TearDown() override;

    // Runs a script; an uncaught exception fails the case (with its text).
    QScriptValue run(const QString& script);
    // Runs a script that must throw; answers the exception's message.
    QString error(const QString& script);

    static QString bundledTextDataset();
    // An item over the dataset of path and provider, on the page.
    TCanvasMass* import(const QString& path, const QUuid& provider);
    // An item over a new file of the caffeine run, on the page.
    TCanvasMass* caffeineRun();
    // An item over no dataset, on the page.
    TCanvasMass* emptyItem();
    // The item as the script's global of that name (a MassItem object).
    void publish(const QString& name, TCanvasMass* item);

    std::unique_ptr<::TIonvale> plugin;
    lumatra::RecordingHost host{2480, 3508, 64};
    std::unique_ptr<QScriptEngine> engine;
    ks::dialogs::ScriptedDialogRunner runner;
    ks::dialogs::DialogRunner* previousRunner = nullptr;

private:
    int m_runs = 0;
};

}  // namespace scripttest
