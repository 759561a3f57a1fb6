// The host's document reader: the container (header, item blocks by their
// lengths) and the records of the host's own items (molecule and text
// items of the peers, any other kind read as a box item), as the program
// reads them, and the items entering and leaving the chunks of a page as
// the program's. What reads whole must write back and read again the same.
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QGuiApplication>

#include "document.h"
#include "hostitems.h"
#include "ipeers.h"
#include "itemrecord.h"
#include "qtcanvas.h"
#include "tdatastream.h"
#include "tkselements.h"

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\nleak:libfontconfig.so\n";
}

namespace {

struct World {
    World()
    {
        static int argc = 1;
        static char name[] = "lumatra_document_fuzz";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QGuiApplication(argc, argv);
        table.initialize(LUMATRA_ELEMENTS);
    }
    QGuiApplication* app;
    TKSElementTable table;
};

World& world()
{
    static World* w = new World;
    return *w;
}

TCanvasItem* makeItem(const lumatra::DocumentItem& entry)
{
    if (entry.pluginId == QUuid(LUMATRA_MOLECULE_PLUGIN_ID) && entry.type == MoleculeItemType) {
        auto* item = new lumatra::HostMoleculeItem(TMolecule(), QUuid(), QRectF(0, 0, 10, 10));
        item->setElementTable(&world().table);
        return item;
    }
    if (entry.pluginId == QUuid(LUMATRA_DRAWING_TOOLS_ID) && entry.type == TextItemType)
        return new lumatra::HostTextItem(QString(), QString(), QString(), QRectF(0, 0, 10, 10));
    return new lumatra::BoxItem(entry.type, QStringLiteral("Fuzz"), QRectF(0, 0, 10, 10));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    world();
    lumatra::DocumentData document;
    QString error;
    if (!lumatra::parseDocument(QByteArray(reinterpret_cast<const char*>(data), int(size)), document, error))
        return 0;
    // Every item that reads is written again (the document of the written
    // records must parse to the same entries) and goes on a page as the
    // program's (entering its chunks); then the page is cleared as the
    // program clears it.
    lumatra::DocumentData again = document;
    QtCanvas page(lumatra::kPageWidth, lumatra::kPageHeight, lumatra::kPageChunkSize);
    QList<TCanvasItem*> placed;
    for (int i = 0; i < document.items.size(); ++i) {
        QByteArray record = document.items.at(i).record;
        TDataStream s(&record, QIODevice::ReadOnly);
        TCanvasItem* item = makeItem(document.items.at(i));
        item->read(s);
        if (!s.ok()) {
            delete item;
            continue;
        }
        QByteArray written;
        TDataStream w(&written, QIODevice::WriteOnly);
        lumatra::writeItemRecord(w, *item);
        again.items[i].record = written;
        item->setCanvas(&page);
        item->show();
        placed.append(item);
    }
    page.clearChunkItems();
    qDeleteAll(placed);
    lumatra::DocumentData reread;
    if (!lumatra::parseDocument(lumatra::serializeDocument(again), reread, error) ||
        reread.items.size() != again.items.size())
        std::abort();  // a document this writer made does not read
    return 0;
}
