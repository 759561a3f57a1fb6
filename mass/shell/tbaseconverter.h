// Import converters: TBaseConverter with the import driver every converter
// runs through, and the mass converter that opens a dataset through the
// plug-in's dataset server handler and makes a mass item of it, one per
// dataset filter of the core library.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

class TBasePlugin;
class TCanvasItem;
class TMassDataServerHandler;

class TBaseConverter {
public:
    // Translates both lists in the context "Converters"; bit 0 of the flags
    // set (the driver hands the imported items to the host).
    TBaseConverter(TBasePlugin* plugin, const QStringList& importFormats, const QStringList& exportFormats);
    virtual ~TBaseConverter();
    TBaseConverter(const TBaseConverter&) = delete;
    TBaseConverter& operator=(const TBaseConverter&) = delete;

    virtual int exportFile(const QList<TCanvasItem*>& items, const QString& path) = 0;
    virtual bool acceptsItems(const QList<TCanvasItem*>& items) = 0;
    // May rewrite the path (to the dataset a file belongs to).
    virtual bool canImport(QString& path) = 0;
    // 0 on success, negative on failure; fills `items`.
    virtual int importFile(const QString& path, int value) = 0;
    virtual void historyName(QString& text);
    virtual void afterImport() {}

    // The import driver: 0 hands the items to the host (take-items with
    // 5 and 1) while bit 0 of the flags is set.
    int runImport(const QString& path, int value);

    const QStringList& importFormats() const { return m_importFormats; }
    const QStringList& exportFormats() const { return m_exportFormats; }
    TBasePlugin* plugin() const { return m_plugin; }
    QList<TCanvasItem*>& items() { return m_items; }
    int flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }

private:
    QStringList m_importFormats;
    QStringList m_exportFormats;
    TBasePlugin* m_plugin;
    QList<TCanvasItem*> m_items;
    int m_flags = 1;
};

class TMassSpectrumConverter : public TBaseConverter {
public:
    TMassSpectrumConverter(TBasePlugin* plugin, TMassDataServerHandler* handler, const QUuid& provider,
                           const QStringList& formatNames, const QStringList& extensions);

    // Exports nothing.
    int exportFile(const QList<TCanvasItem*>& items, const QString& path) override;
    bool acceptsItems(const QList<TCanvasItem*>& items) override;
    bool canImport(QString& path) override;
    // A mass item over the dataset opened with the converter's provider (an
    // item without data when the provider cannot read it); 52 when the
    // handler gives no key.
    int importFile(const QString& path, int value) override;

    const QUuid& provider() const { return m_provider; }

private:
    TMassDataServerHandler* m_handler;
    QUuid m_provider;
};

// The import filter of a dataset filter text: empty for an empty text (no
// converter), " (*.*)" appended when the text does not end in a
// parenthesised pattern list.
QString importFilterText(const QString& filter);

// One mass converter per non-empty dataset filter of the core library, in
// its order; a filter without a parenthesised pattern list at its end gets
// " (*.*)". The caller owns what is appended.
void createImportConverters(TBasePlugin* plugin, TMassDataServerHandler* handler, QList<TBaseConverter*>& out);
