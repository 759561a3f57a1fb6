// The dataset server handler over the core library, with the provider
// server, the text provider and the core library's test provider
// registered into each case's registry: keys and use counts, failed opens,
// unknown keys, collections fetched once, changing a dataset's file.
#include <gtest/gtest.h>

#include <memory>

#include "kstest.h"
#include "ksdialogrunner.h"
#include "tmassdataserver.h"

namespace {

const QUuid kRunProviderId("{25DEF092-05A5-4401-A622-8A662B7591BD}");
const QUuid kTextProviderId("{127AC576-D36A-11D3-91D9-00400536072C}");
const QUuid kUnregisteredProviderId("{6A1F0C2E-3B7D-4E58-9C41-0D2B7E95A613}");

const char* const kRunA =
    "kestrom-run 1\n"
    "injection name=\"A\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=20 start=0 step=0.02 low=100 high=300\n"
    "function name=\"MS/MS+\" type=2 polarity=1 scans=20 start=0.01 step=0.02 low=50 high=200\n"
    "compound function=1 apex=0.2 width=0.03 height=1000 peaks=195.0877:100\n";

const char* const kRunB =
    "kestrom-run 1\n"
    "injection name=\"B\"\n"
    "function name=\"MS-\" type=1 polarity=2 scans=7 start=0 step=0.05 low=100 high=300\n";

QString bundledTextDataset()
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) +
                                  "/../../../dataservices/providers/text/samples/text_dataset.txt");
}

class Handler : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
        m_runA = writeCaseFile("a.run", kRunA);
        m_runB = writeCaseFile("b.run", kRunB);
        m_previousRunner = ks::dialogs::setDialogRunner(&m_runner);
    }
    void TearDown() override
    {
        ks::dialogs::setDialogRunner(m_previousRunner);
        for (const auto& entry : m_runner.log())
            ADD_FAILURE() << "a provider asked a question: " << std::string(entry.title.begin(), entry.title.end());
    }

    static QString writeCaseFile(const char* name, const char* text)
    {
        const std::string path = ks::test::tempDir() + "/" + name;
        ks::test::writeFile(path, text);
        return QString::fromStdString(path);
    }
    static QString casePath(const char* name) { return QString::fromStdString(ks::test::tempDir() + "/" + name); }

    QString m_runA;
    QString m_runB;
    ks::dialogs::ScriptedDialogRunner m_runner;
    ks::dialogs::DialogRunner* m_previousRunner = nullptr;
};

}  // namespace

TEST_F(Handler, KeysAndUseCounts)
{
    TMassDataServerHandler handler;
    const QUuid key = handler.openDataset(m_runA, kRunProviderId);
    ASSERT_FALSE(key.isNull());
    const TMassDatasetEntry* entry = handler.entry(key);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->key(), key);
    EXPECT_EQ(entry->useCount(), 1);
    ASSERT_NE(handler.dataset(key), nullptr);
    EXPECT_EQ(entry->name(), m_runA);
    EXPECT_EQ(entry->provider(), kRunProviderId);
    EXPECT_EQ(handler.dataset(key)->getInjectionCount(), 1);

    // Same path and provider: the same entry, counted again.
    EXPECT_EQ(handler.openDataset(m_runA, kRunProviderId), key);
    EXPECT_EQ(entry->useCount(), 2);
    EXPECT_EQ(handler.entryCount(), 1);

    // Another provider, or another path, makes another entry.
    const QUuid other = handler.openDataset(m_runA, kTextProviderId);
    EXPECT_FALSE(other.isNull());
    EXPECT_NE(other, key);
    const QUuid second = handler.openDataset(m_runB, kRunProviderId);
    EXPECT_NE(second, key);
    EXPECT_NE(second, other);
    EXPECT_EQ(handler.entryCount(), 3);

    // The last close deletes; a further close answers false.
    EXPECT_TRUE(handler.closeDataset(key));
    EXPECT_NE(handler.dataset(key), nullptr);
    EXPECT_EQ(handler.entry(key)->useCount(), 1);
    EXPECT_TRUE(handler.closeDataset(key));
    EXPECT_EQ(handler.entry(key), nullptr);
    EXPECT_EQ(handler.dataset(key), nullptr);
    EXPECT_EQ(handler.msCollection(key, 0, 0), nullptr);
    EXPECT_FALSE(handler.closeDataset(key));
    EXPECT_EQ(handler.entryCount(), 2);

    // Opening again after the last close makes a new entry.
    const QUuid again = handler.openDataset(m_runA, kRunProviderId);
    EXPECT_NE(again, key);
    EXPECT_NE(handler.dataset(again), nullptr);
    // The handler deletes the entries left open (LeakSanitizer watches).
    EXPECT_NE(handler.msCollection(again, 0, 0), nullptr);
}

TEST_F(Handler, FailedOpenKeepsItsKey)
{
    struct Case {
        const char* name;
        QString path;
        QUuid provider;
    };
    const Case cases[] = {
        {"a file that does not exist", casePath("missing.run"), kRunProviderId},
        {"a provider that is not registered", m_runA, kUnregisteredProviderId},
        {"a null provider", m_runA, QUuid()},
        {"a file the provider does not read", bundledTextDataset(), kRunProviderId},
        {"an empty path", QString(), kRunProviderId},
    };
    TMassDataServerHandler handler;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QUuid key = handler.openDataset(c.path, c.provider);
        ASSERT_FALSE(key.isNull());
        const TMassDatasetEntry* entry = handler.entry(key);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(handler.dataset(key), nullptr);
        EXPECT_EQ(entry->name(), c.path);
        EXPECT_EQ(entry->provider(), c.provider);
        EXPECT_EQ(handler.msCollection(key, 0, 0), nullptr);
        EXPECT_EQ(handler.openDataset(c.path, c.provider), key);
        EXPECT_EQ(entry->useCount(), 2);
    }

    // A failed open is not retried while its entry lives, even when the
    // file has come since.
    const QUuid key = handler.openDataset(casePath("missing.run"), kRunProviderId);
    writeCaseFile("missing.run", kRunA);
    EXPECT_EQ(handler.openDataset(casePath("missing.run"), kRunProviderId), key);
    EXPECT_EQ(handler.dataset(key), nullptr);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(handler.closeDataset(key));
    EXPECT_FALSE(handler.closeDataset(key));
    const QUuid retried = handler.openDataset(casePath("missing.run"), kRunProviderId);
    EXPECT_NE(handler.dataset(retried), nullptr);
}

TEST_F(Handler, KeysWithoutAnEntry)
{
    TMassDataServerHandler handler;
    const QUuid unknown = QUuid::createUuid();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "empty map" : "map with an entry");
        for (const QUuid& key : {QUuid(), unknown}) {
            EXPECT_EQ(handler.dataset(key), nullptr);
            EXPECT_EQ(handler.msCollection(key, 0, 0), nullptr);
            EXPECT_FALSE(handler.closeDataset(key));
            handler.changeDatasetFile(key, m_runB);
            EXPECT_EQ(handler.entry(key), nullptr);
        }
        EXPECT_EQ(handler.entryCount(), round);
        handler.openDataset(m_runA, kRunProviderId);
    }
}

TEST_F(Handler, CollectionsFetchedOnce)
{
    TMassDataServerHandler handler;
    const QUuid key = handler.openDataset(m_runA, kRunProviderId);
    const TMassDatasetEntry* entry = handler.entry(key);
    ASSERT_NE(entry, nullptr);

    TKSMSCollection* ms = handler.msCollection(key, 0, 0);
    ASSERT_NE(ms, nullptr);
    EXPECT_EQ(ms->getCount(), 20);
    EXPECT_EQ(ms->getInjectionIndex(), 0);
    EXPECT_EQ(ms->getFunctionIndex(), 0);
    EXPECT_EQ(handler.msCollection(key, 0, 0), ms);
    EXPECT_EQ(entry->collections().size(), 1);

    TKSMSCollection* msms = handler.msCollection(key, 0, 1);
    ASSERT_NE(msms, nullptr);
    EXPECT_NE(msms, ms);
    EXPECT_EQ(msms->getFunctionIndex(), 1);
    EXPECT_EQ(handler.msCollection(key, 0, 1), msms);
    EXPECT_EQ(handler.msCollection(key, 0, 0), ms);
    EXPECT_EQ(entry->collections(), (QList<TKSMSCollection*>{ms, msms}));

    // Pairs the dataset does not hold give none and cache nothing.
    for (const auto& [injection, function] : {std::pair{0, 2}, {1, 0}, {-1, 0}, {0, -1}})
        EXPECT_EQ(handler.msCollection(key, injection, function), nullptr);
    EXPECT_EQ(entry->collections().size(), 2);

    // A dataset of the text provider.
    const QUuid text = handler.openDataset(bundledTextDataset(), kTextProviderId);
    ASSERT_NE(handler.dataset(text), nullptr);
    EXPECT_EQ(handler.entry(text)->provider(), kTextProviderId);
    TKSMSCollection* textSpectra = handler.msCollection(text, 0, 0);
    ASSERT_NE(textSpectra, nullptr);
    EXPECT_GT(textSpectra->getCount(), 0);
    EXPECT_EQ(handler.msCollection(text, 0, 0), textSpectra);
}

TEST_F(Handler, ChangeDatasetFile)
{
    TMassDataServerHandler handler;
    const QUuid key = handler.openDataset(m_runA, kRunProviderId);
    handler.openDataset(m_runA, kRunProviderId);
    const TMassDatasetEntry* entry = handler.entry(key);
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(handler.msCollection(key, 0, 0), nullptr);
    ASSERT_NE(handler.msCollection(key, 0, 1), nullptr);

    // The cached collections go with the old dataset: the next fetch reads
    // the new file.
    handler.changeDatasetFile(key, m_runB);
    ASSERT_NE(handler.dataset(key), nullptr);
    EXPECT_TRUE(entry->collections().isEmpty());
    EXPECT_EQ(entry->name(), m_runA);
    EXPECT_EQ(entry->provider(), kRunProviderId);
    EXPECT_EQ(entry->useCount(), 2);
    TKSMSCollection* fresh = handler.msCollection(key, 0, 0);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->getCount(), 7);
    EXPECT_EQ(handler.msCollection(key, 0, 1), nullptr);
    EXPECT_EQ(entry->collections().size(), 1);

    // A file the provider does not open leaves the entry without a dataset.
    handler.changeDatasetFile(key, casePath("missing.run"));
    EXPECT_EQ(handler.dataset(key), nullptr);
    EXPECT_TRUE(entry->collections().isEmpty());
    EXPECT_EQ(handler.msCollection(key, 0, 0), nullptr);
    EXPECT_EQ(entry->useCount(), 2);

    // And back to a readable one.
    handler.changeDatasetFile(key, m_runA);
    ASSERT_NE(handler.msCollection(key, 0, 0), nullptr);
    EXPECT_EQ(handler.msCollection(key, 0, 0)->getCount(), 20);
}

TEST_F(Handler, ValidDatasets)
{
    struct Case {
        const char* name;
        QString path;
        QUuid provider;
        bool valid;
    };
    const Case cases[] = {
        {"a run", m_runA, kRunProviderId, true},
        {"a text file for the run provider", bundledTextDataset(), kRunProviderId, false},
        {"a file that does not exist", casePath("missing.run"), kRunProviderId, false},
        {"a provider that is not registered", m_runA, kUnregisteredProviderId, false},
        {"a null provider", m_runA, QUuid(), false},
    };
    TMassDataServerHandler handler;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString path = c.path;
        EXPECT_EQ(handler.isValidDataset(path, c.provider), c.valid);
        EXPECT_EQ(path, c.path);
    }
    EXPECT_EQ(handler.entryCount(), 0);
    EXPECT_EQ(TMassDataServerHandler::providerText(kTextProviderId), L"{127AC576-D36A-11D3-91D9-00400536072C}");
    EXPECT_EQ(TMassDataServerHandler::providerText(QUuid("{6a1f0c2e-3b7d-4e58-9c41-0d2b7e95a613}")),
              L"{6A1F0C2E-3B7D-4E58-9C41-0D2B7E95A613}");
}
