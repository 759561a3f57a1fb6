// The mass item drawn under the offscreen platform: the TIC with the
// spectrum at its highest peak, peak labels and the molecule-match overlay
// of a matched caffeine ion in the highlight colour (written to
// mass_item.png in the test's build folder); no overlay for a result whose
// reference intensity is 0.
#include <QCoreApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include "itemtest.h"
#include "kstest.h"
#include "paintrecorder.h"
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

// The real ChemStation runs as a person first sees them (PNGs in the
// test's build folder, mass_item_orange.png and mass_item_carotenoid.png):
// every text the item draws lies whole inside its plot's rectangle, the
// peak labels inside the plot area (off the axes), the TIC's detected
// peaks carry labels, and the intensity labels of each plot are in one
// notation, falling from top to bottom.
TEST_F(MassItemRender, RealRunsDrawTheirLabelsWhole)
{
    if (!QFile::exists(QStringLiteral(KS_LIB_DIR "/KSAgilentProvider.so")))
        GTEST_SKIP() << "the ChemStation provider module is not in the build's lib folder";
    ASSERT_TRUE(ks::test::registerComponents({"KSAgilentProvider"}));
    const struct {
        const char* name;
        const char* folder;
    } runs[] = {
        {"orange", "chemstation-ms/rainbow-orange.D"},
        {"carotenoid", "chemstation-ms/entab-carotenoid_extract.d"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        TCanvasMass* item = import(QString::fromStdString(ks::test::realData(run.folder)), kChemStationProviderId);
        ASSERT_EQ(item->plotCount(), 2);
        const QRectF whole = item->itemRect();
        QList<QRectF> rects;
        item->layoutPlots(whole, rects);
        ASSERT_EQ(rects.size(), 2);

        PaintRecorder rec;
        {
            QPainter p(&rec);
            item->drawShape(p);
        }
        ASSERT_TRUE(rec.itemsOf(PaintItem::Pixmap).isEmpty());
        int ticPeakLabels = 0;
        for (int i = 0; i < 2; ++i) {
            auto* plot = static_cast<T1DMassPlot*>(item->plotAtIndex(i));
            const QRectF area = plot->massPlotter().plotArea();
            const QColor peakColour = plot->peakProperties().color;
            std::vector<std::pair<double, QString>> intensityLabels;
            for (const PaintItem& t : rec.itemsOf(PaintItem::Text)) {
                const QPointF at = t.mapped(t.position);
                if (!rects[i].contains(at))
                    continue;
                const QFontMetricsF fm(t.font);
                const QRectF box = t.transform.mapRect(QRectF(t.position.x(), t.position.y() - fm.ascent(),
                                                              fm.horizontalAdvance(t.text), fm.ascent() + fm.descent()));
                EXPECT_TRUE(rects[i].contains(box)) << t.text.toStdString();
                if (t.pen.color() == peakColour) {
                    EXPECT_TRUE(area.contains(box)) << "peak label " << t.text.toStdString();
                    ticPeakLabels += i == 0;
                } else if (t.transform.isIdentity() && box.right() < area.left()) {
                    intensityLabels.emplace_back(at.y(), t.text);  // left of the area: axis 2
                }
            }
            std::sort(intensityLabels.begin(), intensityLabels.end());
            ASSERT_GE(intensityLabels.size(), 2u) << i;
            const bool exponent = intensityLabels.front().second.contains('E');
            for (size_t k = 0; k < intensityLabels.size(); ++k) {
                const QString& text = intensityLabels[k].second;
                EXPECT_EQ(text.contains('E'), exponent) << text.toStdString();
                if (k > 0)
                    EXPECT_LT(text.toDouble(), intensityLabels[k - 1].second.toDouble()) << text.toStdString();
            }
        }
        EXPECT_GT(ticPeakLabels, 0) << "the detected peaks of the TIC are labelled";

        QImage image(int(whole.width() / 2), int(whole.height() / 2), QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.scale(0.5, 0.5);
            p.translate(-item->x(), -item->y());
            item->draw(p);
        }
        ASSERT_TRUE(image.save(QString::fromLatin1(KS_BINARY_DIR "/mass_item_%1.png").arg(run.name)));
    }
}
