// The mass item drawn under the offscreen platform: the TIC with the
// spectrum at its highest peak, peak labels and the molecule-match overlay
// of a matched caffeine ion in the highlight colour (written to
// mass_item.png in the test's build folder); no overlay for a result whose
// reference intensity is 0.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include "itemtest.h"
#include "kstest.h"
#include "t1dmassplot.h"
#include "tmassdataobj.h"

using namespace itemtest;

namespace {

// Caffeine [M+H]+ at 0.36 min, and nicotine's absence.
const char* const kCaffeineRun =
    "kestrom-run 1\n"
    "run seed=7\n"
    "injection name=\"Caffeine\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=40 start=0 step=0.02 low=150 high=250 noise=20 noisepeaks=4\n"
    "compound function=1 apex=0.36 width=0.03 height=48000 cluster=195.0877/1:100,9.7,1.2\n";

const QColor kOverlay(255, 0, 255);

// Pixels of the magenta overlay, also where antialiasing blends it with
// the dark red trace below (no other part of the picture is red and blue).
int overlayPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qRed(p) > 180 && qBlue(p) > 150 && qGreen(p) < 110;
        }
    return n;
}

QImage render(TCanvasMass& item)
{
    QImage image(600, 450, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(0.25, 0.25);
    painter.translate(-item.x(), -item.y());
    item.draw(painter);
    return image;
}

std::wstring latin1File(const std::string& path)
{
    std::wstring out;
    for (unsigned char c : ks::test::readFile(path))
        out += static_cast<wchar_t>(c);
    return out;
}

}  // namespace

class MassItemRender : public ItemTest {};

TEST_F(MassItemRender, TicSpectrumLabelsAndTheMatchOverlay)
{
    TCanvasMass* item = import(writeCaseFile("caffeine.run", kCaffeineRun), kRunProviderId);
    ASSERT_EQ(item->plotCount(), 2);
    const QUuid specId = item->plotAtIndex(1)->id();
    auto* plot = static_cast<T1DMassPlot*>(item->plotAtIndex(1));
    plot->highlight().color = kOverlay;
    plot->highlight().boxVisible = 0;
    plot->peakProperties().peakFlags |= TMSPeakProperties::LabelsVisible;

    // Match caffeine (and nicotine, which is not there) against the run.
    TKSElementTable table;
    ASSERT_TRUE(table.initialize(elementTableFilePath().toStdWString()));
    item->setMatcherSpectra();
    TKSMoleculeMatcher2& matcher = item->moleculeMatch().matcher();
    matcher.setElementTable(&table);
    const std::string molfiles = std::string(KS_SOURCE_DIR) + "/../../outside/tindrel/data/molfiles/";
    ASSERT_TRUE(matcher.matchMolecules({latin1File(molfiles + "caffeine.mol"), latin1File(molfiles + "nicotine.mol")},
                                       {L"caffeine", L"nicotine"}));
    ASSERT_EQ(matcher.getResults().size(), 2u);
    ASSERT_TRUE(matcher.getResults()[0].getIsMatched());
    ASSERT_GT(matcher.getResults()[0].GetMSMonoMassIntensity(), 0);

    // The theoretical pattern over the spectrum it was matched against.
    TKSIsotopeCluster cluster;
    cluster.setElementTable(&table);
    TKSMassSpectrum pattern;
    ASSERT_TRUE(cluster.compute(L"C8H10N4O2", L"H", 1, 0.3, true, pattern));
    item->moleculeMatch().setResultObject(TMassMoleculeMatch::PositiveCluster,
                                          new TMassSpecDataObj(specId, pattern, 3));

    const QImage without = render(*item);
    EXPECT_EQ(overlayPixels(without), 0);
    item->moleculeMatch().setSelectedResult(0);
    item->update();
    const QImage with = render(*item);
    EXPECT_GT(overlayPixels(with), 20);
    // Only inside the spectrum's band (the lower half).
    EXPECT_EQ(overlayPixels(with.copy(0, 0, 600, 220)), 0);
    ASSERT_TRUE(with.save(QString::fromLatin1(KS_BINARY_DIR "/mass_item.png")));

    // With the highlight box the range is shaded.
    plot->highlight().boxVisible = 1;
    item->update();
    const QImage boxed = render(*item);
    EXPECT_GT(paintedPixels(boxed), 0);
    EXPECT_NE(boxed, with);

    // The unmatched result has a reference of 0: no overlay, no division.
    ASSERT_EQ(matcher.getResults()[1].GetMSMonoMassIntensity(), 0);
    item->moleculeMatch().setSelectedResult(1);
    item->update();
    EXPECT_EQ(render(*item), without);
    // A selection past the results draws no overlay either.
    item->moleculeMatch().setSelectedResult(2);
    item->update();
    EXPECT_EQ(render(*item), without);
}
