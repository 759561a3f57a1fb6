// Item records and property containers as documents and clipboards hold
// them, and history parameters. The input is read as the record of a page item, as a property
// container (with a plug-in loaded on a recording host, so that bag
// frames of its kind are made through the host). What reads without
// failure must write bytes that read and write back the same.
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QGuiApplication>

#include "itemrecord.h"
#include "pageitems.h"
#include "recordinghost.h"
#include "tcommand.h"
#include "tdatastream.h"
#include "testplugin.h"
#include "titemproperties.h"

// The GUI application (an empty pixmap needs one) lives until the process
// ends, and with it the platform plug-in's screen.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\nleak:libfontconfig.so\n";
}

namespace {

// A bag kind of the fuzz plug-in: an int and a text.
class FuzzBag : public TItemPropertiesBag {
public:
    int bagType() const override { return 9; }
    void read(TDataStream& s) override
    {
        s >> m_number;
        s.readString(m_text);
    }
    void write(TDataStream& s) const override { s << m_number << m_text; }

private:
    qint32 m_number = 0;
    QString m_text;
};

class FuzzPlugin : public lumatra::TestPlugin {
public:
    TItemPropertiesBag* createPropertiesBag(int kind) override { return kind == 9 ? new FuzzBag : nullptr; }
};

struct World {
    explicit World(QGuiApplication* a) : app(a) { host.loadPlugin(&plugin); }
    QGuiApplication* app;
    lumatra::RecordingHost host;
    FuzzPlugin plugin;
};

World& world()
{
    static int argc = 1;
    static char name[] = "mass_canvas_fuzz";
    static char* argv[] = {name, nullptr};
    static World* w = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new World(new QGuiApplication(argc, argv));
    }();
    return *w;
}

QByteArray writtenRecord(const TCanvasItem& item)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    lumatra::writeItemRecord(s, item);
    return bytes;
}

void fuzzRecord(const QByteArray& input)
{
    QByteArray bytes = input;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    lumatra::BoxItem item(RectangleItemType, QStringLiteral("Fuzz"), QRectF(0, 0, 10, 10));
    item.read(s);
    // The item on the page: its cells come from whatever was read.
    world().host.addItem(&item);
    item.update();
    item.setCanvas(nullptr);
    if (!s.ok())
        return;
    const QByteArray first = writtenRecord(item);
    QByteArray copy = first;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    lumatra::BoxItem again(RectangleItemType, QStringLiteral("Fuzz"), QRectF());
    again.read(r);
    if (!r.ok() || writtenRecord(again) != first)
        std::abort();  // what was written does not read back the same
}

QByteArray writtenContainer(TItemProperties& p)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    p.write(s);
    return bytes;
}

void fuzzContainer(const QByteArray& input)
{
    QByteArray bytes = input;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    TItemProperties p(nullptr);
    p.read(s);
    if (!s.ok())
        return;
    const QByteArray first = writtenContainer(p);
    QByteArray copy = first;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    TItemProperties again(nullptr);
    again.read(r);
    if (!r.ok() || writtenContainer(again) != first)
        std::abort();
}

// A history parameter: what reads writes bytes that read back the same.
void fuzzParameter(const QByteArray& input)
{
    QByteArray bytes = input;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    THistoryParameter p("");
    p.read(s);
    if (!s.ok())
        return;
    QByteArray first;
    {
        TDataStream w(&first, QIODevice::WriteOnly, 0);
        p.write(w);
    }
    QByteArray copy = first;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    THistoryParameter again("");
    again.read(r);
    if (!r.ok() || again.name != p.name || again.value != p.value)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    World& w = world();
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    fuzzRecord(input);
    fuzzContainer(input);
    fuzzParameter(input);
    w.host.clearJournal();
    return 0;
}
