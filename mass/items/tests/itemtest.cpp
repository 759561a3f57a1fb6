#include "itemtest.h"

#include <QSettings>

#include "kstest.h"
#include "kstestqt.h"
#include "t1dmassplot.h"
#include "tmassspectrumpropertiesbag.h"

namespace itemtest {

const QUuid kRunProviderId("{25DEF092-05A5-4401-A622-8A662B7591BD}");
const QUuid kTextProviderId("{127AC576-D36A-11D3-91D9-00400536072C}");
const QUuid kChemStationProviderId("{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}");

const char* const kRunTwoInjections =
    "kestrom-run 1\n"
    "injection name=\"A\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=20 start=0 step=0.02 low=100 high=300\n"
    "function name=\"MS/MS+\" type=2 polarity=1 order=2 scans=20 start=0.01 step=0.02 low=50 high=200\n"
    "function name=\"MS-\" type=1 polarity=2 scans=20 start=0.005 step=0.02 low=100 high=300\n"
    "compound function=1 apex=0.2 width=0.03 height=1000 peaks=195.0877:100,196.09:10\n"
    "injection name=\"B\"\n"
    "function name=\"MS-\" type=1 polarity=2 scans=7 start=0 step=0.05 low=100 high=300\n";

TCanvasItem* ItemPlugin::createItem(int type)
{
    if (type != MassSpectrumItemType)
        return nullptr;
    return new TCanvasMass(QUuid(), 0, &handler, this);
}

TItemPropertiesBag* ItemPlugin::createPropertiesBag(int kind)
{
    return kind == TItemPropertiesBag::MassSpectrum ? new TMassSpectrumPropertiesBag(nullptr) : nullptr;
}

TItemPropertiesBag* ItemPlugin::createMultiPropertiesBag(int kind, quintptr, const TCanvasItemList& items)
{
    if (kind != TItemPropertiesBag::MassSpectrum)
        return nullptr;
    return new TMultiMassSpectrumPropertiesBag(items.isEmpty() ? nullptr : items.first(), items);
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

int paintedPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) != 0;
    return n;
}

ItemTest::ItemTest() : plugin(std::make_unique<ItemPlugin>())
{
    host.loadPlugin(plugin.get());
}

ItemTest::~ItemTest()
{
    // Items on the page close their datasets in the plug-in's handler:
    // they go before it.
    for (TCanvasItem* item : host.allItems())
        delete item;
    host.removePlugin(plugin.get());
}

void ItemTest::SetUp()
{
    ks::test::useCaseSettings();
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
    previousRunner = ks::dialogs::setDialogRunner(&runner);
}

void ItemTest::TearDown()
{
    ks::dialogs::setDialogRunner(previousRunner);
    for (const auto& entry : runner.log())
        ADD_FAILURE() << "a provider asked a question: " << std::string(entry.title.begin(), entry.title.end());
}

QString ItemTest::writeCaseFile(const char* name, const std::string& text) const
{
    const std::string path = ks::test::tempDir() + "/" + name;
    ks::test::writeFile(path, text);
    return QString::fromStdString(path);
}

QString ItemTest::bundledTextDataset() const
{
    return QString::fromStdString(std::string(KS_SOURCE_DIR) +
                                  "/../../dataservices/providers/text/samples/text_dataset.txt");
}

TCanvasMass* ItemTest::import(const QString& path, const QUuid& provider)
{
    const QUuid key = handler().openDataset(path, provider);
    auto* item = new TCanvasMass(key, 0, &handler(), plugin.get());
    host.addItem(item);
    return item;
}

TCanvasMass* ItemTest::emptyItem()
{
    TCanvasItem* item = plugin->createItem(MassSpectrumItemType);
    host.addItem(item);
    return static_cast<TCanvasMass*>(item);
}

}  // namespace itemtest
