#include "tmassdataserver.h"

#include <memory>
#include <new>

#include "massutils.h"

TMassDatasetEntry::TMassDatasetEntry(TKSDataset* dataset, const QString& name, const QUuid& provider)
    : m_dataset(dataset), m_key(QUuid::createUuid()), m_name(name), m_provider(provider)
{
}

TMassDatasetEntry::~TMassDatasetEntry()
{
    delete m_dataset;
    qDeleteAll(m_collections);
}

void TMassDatasetEntry::replaceDataset(TKSDataset* dataset)
{
    // The cached collections read the old dataset; nothing outside keeps
    // them (the matcher forgets its collections when a match returns).
    qDeleteAll(m_collections);
    m_collections.clear();
    delete m_dataset;
    m_dataset = dataset;
}

TMassDataServerHandler::TMassDataServerHandler() = default;

TMassDataServerHandler::~TMassDataServerHandler()
{
    qDeleteAll(m_entries);
    m_entries.clear();
}

std::wstring TMassDataServerHandler::providerText(const QUuid& provider)
{
    return provider.toString().toUpper().toStdWString();
}

TMassDatasetEntry* TMassDataServerHandler::find(const QUuid& key) const
{
    if (key.isNull())
        return nullptr;
    return m_entries.value(key, nullptr);
}

bool TMassDataServerHandler::isValidDataset(QString& path, const QUuid& provider)
{
    std::wstring text = path.toStdWString();
    const bool valid = m_server.isValidDataset(text, providerText(provider));
    path = QString::fromStdWString(text);
    return valid;
}

QUuid TMassDataServerHandler::openDataset(const QString& path, const QUuid& provider)
{
    TMassDatasetEntry* found = nullptr;
    for (TMassDatasetEntry* e : qAsConst(m_entries)) {
        if (e->m_name == path && e->m_provider == provider) {
            found = e;
            break;
        }
    }
    if (!found) {
        std::unique_ptr<TKSDataset> dataset(m_server.openDataset(path.toStdWString(), providerText(provider)));
        if (dataset) {
            const QString name = QString::fromStdWString(dataset->getDatasetName());
            const QUuid reported(QString::fromStdWString(dataset->getDatasetProviderID()));
            found = new (std::nothrow) TMassDatasetEntry(dataset.get(), name, reported);
        } else {
            found = new (std::nothrow) TMassDatasetEntry(nullptr, path, provider);
        }
        if (!found)
            return QUuid();
        dataset.release();
        m_entries.insert(found->m_key, found);
    }
    ++found->m_useCount;
    return found->m_key;
}

TKSDataset* TMassDataServerHandler::dataset(const QUuid& key)
{
    TMassDatasetEntry* e = find(key);
    return e ? e->m_dataset : nullptr;
}

bool TMassDataServerHandler::closeDataset(const QUuid& key)
{
    TMassDatasetEntry* e = find(key);
    if (!e)
        return false;
    if (--e->m_useCount > 0)
        return true;
    m_entries.remove(key);
    delete e;
    return true;
}

TKSMSCollection* TMassDataServerHandler::msCollection(const QUuid& key, int injection, int function)
{
    TMassDatasetEntry* e = find(key);
    if (!e)
        return nullptr;
    for (TKSMSCollection* c : qAsConst(e->m_collections)) {
        if (c->getInjectionIndex() == injection && c->getFunctionIndex() == function)
            return c;
    }
    if (!e->m_dataset)
        return nullptr;
    TKSMSCollection* c = functionCollection(e->m_dataset, injection, function);
    if (c)
        e->m_collections.append(c);
    return c;
}

void TMassDataServerHandler::changeDatasetFile(const QUuid& key, const QString& path)
{
    TMassDatasetEntry* e = find(key);
    if (!e)
        return;
    e->replaceDataset(m_server.openDataset(path.toStdWString(), providerText(e->m_provider)));
}
