// The plug-in's one way to datasets: IMassDataServer, and the handler that
// implements it over the core library's dataset server.
//
// The handler keeps one counted entry per opened (path, provider) under a
// QUuid key that mass items store. Every open that returns an entry counts
// it; the last close deletes its dataset and the spectrum collections it
// handed out. A path no provider opens still gives an entry (and a key),
// one without a dataset: a later open of the same path and provider finds
// it and counts it again without retrying.
//
// Provider identifiers cross to the core library as braced upper-case
// QUuid text, paths unchanged. Datasets and collections handed out stay
// the handler's: callers never delete them.
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QUuid>

#include "tindrel.h"

class IMassDataServer {
public:
    virtual ~IMassDataServer() = default;
    // The core library's check; `path` takes the text the library leaves
    // in it.
    virtual bool isValidDataset(QString& path, const QUuid& provider) = 0;
    // The key of the entry for the path and provider, made (and the
    // dataset opened) when there is none; null only when no entry could
    // be made.
    virtual QUuid openDataset(const QString& path, const QUuid& provider) = 0;
    // The entry's dataset; null for a null or unknown key or a failed open.
    virtual TKSDataset* dataset(const QUuid& key) = 0;
    // Releases one use; false when no entry has the key.
    virtual bool closeDataset(const QUuid& key) = 0;
    // The spectrum collection of an injection and function (from 0),
    // fetched once per entry and pair; null when there is none.
    virtual TKSMSCollection* msCollection(const QUuid& key, int injection, int function) = 0;
};

// One opened dataset. Owns its dataset and the collections handed out.
class TMassDatasetEntry {
public:
    TMassDatasetEntry(TKSDataset* dataset, const QString& name, const QUuid& provider);
    ~TMassDatasetEntry();
    TMassDatasetEntry(const TMassDatasetEntry&) = delete;
    TMassDatasetEntry& operator=(const TMassDatasetEntry&) = delete;

    int useCount() const { return m_useCount; }
    TKSDataset* dataset() const { return m_dataset; }
    const QUuid& key() const { return m_key; }
    // The name the core library reports, or the path of a failed open.
    const QString& name() const { return m_name; }
    const QUuid& provider() const { return m_provider; }
    const QList<TKSMSCollection*>& collections() const { return m_collections; }

private:
    friend class TMassDataServerHandler;
    void replaceDataset(TKSDataset* dataset);

    int m_useCount = 0;
    TKSDataset* m_dataset;
    QUuid m_key;
    QString m_name;
    QUuid m_provider;
    QList<TKSMSCollection*> m_collections;
};

class TMassDataServerHandler : public IMassDataServer {
public:
    TMassDataServerHandler();
    // Deletes every entry, whatever its use count.
    ~TMassDataServerHandler() override;
    TMassDataServerHandler(const TMassDataServerHandler&) = delete;
    TMassDataServerHandler& operator=(const TMassDataServerHandler&) = delete;

    bool isValidDataset(QString& path, const QUuid& provider) override;
    QUuid openDataset(const QString& path, const QUuid& provider) override;
    TKSDataset* dataset(const QUuid& key) override;
    bool closeDataset(const QUuid& key) override;
    TKSMSCollection* msCollection(const QUuid& key, int injection, int function) override;

    // Opens `path` with the entry's provider and puts the result (possibly
    // none) in place of the entry's dataset. Name, provider and use count
    // stay; the collections of the old dataset are deleted, so that the
    // next msCollection fetches them from the new one. Nothing for an
    // unknown key.
    void changeDatasetFile(const QUuid& key, const QString& path);

    // The entry of a key (null when none), and how many there are.
    const TMassDatasetEntry* entry(const QUuid& key) const { return m_entries.value(key, nullptr); }
    int entryCount() const { return m_entries.size(); }

    const TKSDataServer& dataServer() const { return m_server; }

    // The provider identifier as the core library takes it: braced,
    // upper-case hexadecimal digits.
    static std::wstring providerText(const QUuid& provider);

private:
    TMassDatasetEntry* find(const QUuid& key) const;

    TKSDataServer m_server;
    QMap<QUuid, TMassDatasetEntry*> m_entries;
};
