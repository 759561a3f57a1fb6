// The font widget: fonts kept for 300 dpi shown at the device's
// resolution (96 dpi as a test device, the offscreen screen's own, a
// device without resolution), and the font dialog accepted and cancelled.
#include <QFontDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "kstestqt.h"
#include "pagestest.h"

using pagestest::DpiFontWidget;

namespace {

QFont pointFont(int points)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(points);
    return f;
}

}  // namespace

TEST(FontWidget, ShownAtTheDeviceResolution)
{
    WFontWidget screen;
    const int offscreenDpi = screen.physicalDpiX();
    struct Case {
        const char* name;
        int dpi;  // 0: the offscreen screen's own
        int kept;
        int shown;
    };
    const Case cases[] = {
        {"96 dpi", 96, 30, 10},
        {"96 dpi, 45 points", 96, 45, 14},  // 14.4
        {"offscreen screen", 0, 30, qRound(30 * float(offscreenDpi / 300.0))},
        {"offscreen screen, 45 points", 0, 45, qRound(45 * float(offscreenDpi / 300.0))},
        {"device without resolution", -1, 30, 30},
        {"device reporting 0", -2, 12, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<WFontWidget> w;
        if (c.dpi == 0)
            w = std::make_unique<WFontWidget>();
        else
            w = std::make_unique<DpiFontWidget>(c.dpi < 0 ? c.dpi + 1 : c.dpi);
        EXPECT_EQ(w->label()->text(), "Font:");
        EXPECT_EQ(w->button()->text(), "Font...");
        w->setCurrentFont(pointFont(c.kept));
        EXPECT_EQ(w->label()->font().pointSize(), c.shown);
        EXPECT_EQ(w->label()->text(), "DejaVu Sans");
        EXPECT_EQ(w->currentFont().pointSize(), c.kept);  // kept as given
    }
    EXPECT_FLOAT_EQ(WFontWidget::scaleFor(96), 0.32f);
    EXPECT_FLOAT_EQ(WFontWidget::scaleFor(0), 1.0f);
    EXPECT_FLOAT_EQ(WFontWidget::scaleFor(-100), 1.0f);

    // The label takes the colour of the text it stands for.
    screen.setColor(QColor(200, 0, 0));
    EXPECT_EQ(screen.label()->palette().color(QPalette::Active, QPalette::WindowText), QColor(200, 0, 0));
    EXPECT_EQ(screen.label()->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(200, 0, 0));
}

TEST(FontWidget, FontDialogAcceptedAndCancelled)
{
    DpiFontWidget w(96);
    // A font as the dialog shows it (its families and styles are the
    // platform's), kept at 30 points.
    QFont asShown;
    w.setCurrentFont(pointFont(30));
    ks::test::whenModal([&](QFontDialog* d) {
        asShown = d->currentFont();
        d->reject();
    });
    QTest::mouseClick(w.button(), Qt::LeftButton);
    ks::test::finishModalAnswers();
    asShown.setPointSize(30);
    w.setCurrentFont(asShown);
    const QFont kept = w.currentFont();

    struct Case {
        const char* name;
        int choose;  // points chosen in the dialog, 0: none
        bool accept;
        int kept;
    };
    const Case cases[] = {
        {"cancelled with a change", 12, false, 30},
        {"accepted unchanged", 0, true, 30},
        {"accepted with 12 points", 12, true, 38},  // 12 / 0.32 = 37.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::whenModal([&](QFontDialog* d) {
            EXPECT_EQ(d->currentFont().pointSize(), 10);  // 30 at 96 dpi
            if (c.choose)
                d->setCurrentFont(pointFont(c.choose));
            c.accept ? d->accept() : d->reject();
        });
        QTest::mouseClick(w.button(), Qt::LeftButton);
        ks::test::finishModalAnswers();
        EXPECT_EQ(w.currentFont().pointSize(), c.kept);
        if (c.kept == 30) {
            EXPECT_EQ(w.currentFont(), kept);
        }
    }
    EXPECT_EQ(w.label()->font().pointSize(), 12);  // 38 x 0.32 = 12.16
}
