// The colour picker: the standard palette, "Custom" cells, keyboard
// navigation over the grid, the popup kept on the desktop and the colour
// dialog accepted and cancelled.
#include <QApplication>
#include <QColorDialog>
#include <QDesktopWidget>
#include <QSignalSpy>
#include <QTest>

#include "kstestqt.h"
#include "pagestest.h"
#include "wcolorpicker.h"

namespace pagestest {

bool grabToPng(QWidget* widget, const QString& name)
{
    return widget->grab().save(QStringLiteral(KS_BINARY_DIR "/%1.png").arg(name));
}

}  // namespace pagestest

namespace {

QColor hsv(int h, int s, int v)
{
    return QColor::fromHsv(h, s, v, 255).toRgb();
}

}  // namespace

TEST(ColorPicker, StandardPalette)
{
    WColorPicker picker;
    ColorPickerPopup* popup = picker.popupWidget();
    ASSERT_EQ(popup->itemCount(), 56);
    EXPECT_EQ(picker.text(), "black");
    EXPECT_EQ(picker.currentColor(), QColor(Qt::black));
    EXPECT_TRUE(picker.icon().isNull());  // no icon until a colour is set

    struct Cell {
        int row, column;
        QColor color;
        const char* name;
    };
    const Cell cells[] = {
        {0, 0, hsv(0, 0, 0), "black"},
        {0, 1, hsv(0, 0, 64), "very dark gray"},
        {0, 2, hsv(0, 0, 96), "dark gray"},
        {0, 4, hsv(0, 0, 160), "gray 1"},
        {0, 7, hsv(0, 0, 255), "white"},
        {1, 0, hsv(0, 128, 64), "dark red 1"},
        {1, 3, hsv(0, 128, 255), "dark red"},
        {1, 4, hsv(0, 255, 64), "red 1"},
        {1, 7, hsv(0, 255, 255), "red"},
        {2, 1, hsv(60, 128, 128), "dark yellow 2"},
        {3, 6, hsv(120, 255, 192), "green 3"},
        {4, 7, hsv(180, 255, 255), "cyan"},
        {5, 1, hsv(240, 128, 128), "dark blue 2"},
        {6, 3, hsv(300, 128, 255), "dark magenta"},
        {6, 7, hsv(300, 255, 255), "magenta"},
    };
    for (const Cell& c : cells) {
        SCOPED_TRACE(c.name);
        auto* item = qobject_cast<ColorPickerItem*>(popup->cellWidget(c.row, c.column));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->color(), c.color);
        EXPECT_EQ(item->text(), c.name);
        EXPECT_EQ(item->toolTip(), c.name);
        EXPECT_EQ(item->size(), QSize(24, 21));
    }
    EXPECT_EQ(popup->cellWidget(7, 0), popup->dialogCell());
    EXPECT_EQ(popup->dialogCell()->size(), QSize(24, 21));

    // A palette colour shows its name.
    QSignalSpy changed(&picker, &QtColorPicker::colorChanged);
    picker.setCurrentColor(hsv(240, 128, 128));
    EXPECT_EQ(picker.text(), "dark blue 2");
    EXPECT_FALSE(picker.icon().isNull());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_TRUE(qobject_cast<ColorPickerItem*>(popup->cellWidget(5, 1))->isSelected());

    // Another colour: a "Custom" cell after the palette, the three-dot
    // cell behind it.
    picker.setCurrentColor(QColor(10, 20, 30));
    EXPECT_EQ(popup->itemCount(), 57);
    auto* custom = qobject_cast<ColorPickerItem*>(popup->cellWidget(7, 0));
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->color(), QColor(10, 20, 30));
    EXPECT_EQ(custom->text(), "Custom");
    EXPECT_EQ(popup->cellWidget(7, 1), popup->dialogCell());
    EXPECT_EQ(picker.text(), "Custom");
    EXPECT_EQ(changed.count(), 2);

    // The same colour again, or an invalid one: nothing changes.
    picker.setCurrentColor(QColor(10, 20, 30));
    picker.setCurrentColor(QColor());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(popup->itemCount(), 57);
    EXPECT_EQ(picker.currentColor(), QColor(10, 20, 30));
    EXPECT_EQ(picker.text(), "Custom");
}

TEST(ColorPicker, BlackOnANewPickerKeepsTheText)
{
    // The forms clear the text; loading black (current after construction)
    // only paints the icon.
    WColorPicker picker;
    picker.setText(QString());
    QSignalSpy changed(&picker, &QtColorPicker::colorChanged);
    picker.setCurrentColor(Qt::black);
    EXPECT_EQ(picker.text(), QString());
    EXPECT_FALSE(picker.icon().isNull());
    EXPECT_EQ(changed.count(), 0);
}

TEST(ColorPicker, IconStylesAndSplitMode)
{
    for (int style : {0, 1, 2}) {
        WColorPicker picker(nullptr, style);
        picker.setCurrentColor(QColor(0, 0, 255));
        const QImage icon = picker.icon().pixmap(16, 16).toImage();
        int blue = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                blue += qAlpha(icon.pixel(x, y)) > 0 && qBlue(icon.pixel(x, y)) > qRed(icon.pixel(x, y));
        EXPECT_GT(blue, 0) << "style " << style;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "style " << style;  // transparent around the swatch
    }

    // Split mode: a click beside the arrow applies the current colour, a
    // click on the arrow opens the popup.
    WColorPicker split(nullptr, 0, true);
    split.resize(120, 30);
    split.show();
    split.setCurrentColor(QColor(1, 2, 3));
    QSignalSpy applied(&split, &WColorPicker::colorApplied);
    QTest::mouseClick(&split, Qt::LeftButton, {}, QPoint(10, 15));
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(applied.at(0).at(0).value<QColor>(), QColor(1, 2, 3));
    EXPECT_FALSE(split.isChecked());
    EXPECT_FALSE(split.popupWidget()->isVisible());
    QTest::mouseClick(&split, Qt::LeftButton, {}, QPoint(117, 15));
    EXPECT_EQ(applied.count(), 1);
    EXPECT_TRUE(split.popupWidget()->isVisible());
    // A release outside the popup closes it.
    QTest::mouseRelease(split.popupWidget(), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(split.popupWidget()->isVisible());
    EXPECT_FALSE(split.isChecked());
    EXPECT_GT(split.sizeHint().width(), QPushButton(split.text()).sizeHint().width());
}

TEST(ColorPicker, KeyboardNavigation)
{
    WColorPicker picker;
    picker.show();
    QTest::mouseClick(&picker, Qt::LeftButton);  // checks the button, shows the popup
    ColorPickerPopup* popup = picker.popupWidget();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(picker.isChecked());
    // Black is current: its cell has the focus.
    EXPECT_TRUE(popup->cellWidget(0, 0)->hasFocus());

    struct Move {
        int row, column;
        Qt::Key key;
        int toRow, toColumn;
    };
    const Move moves[] = {
        {2, 7, Qt::Key_Right, 3, 0}, {6, 4, Qt::Key_Down, 7, 0}, {0, 5, Qt::Key_Up, 0, 0},
        {0, 0, Qt::Key_Left, 0, 0},  {7, 0, Qt::Key_Right, 7, 0}, {3, 0, Qt::Key_Left, 2, 7},
        {3, 3, Qt::Key_Down, 4, 3},  {3, 3, Qt::Key_Up, 2, 3},    {7, 0, Qt::Key_Up, 6, 0},
        {2, 2, Qt::Key_Right, 2, 3},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(testing::Message() << "(" << m.row << ", " << m.column << ") key " << m.key);
        popup->cellWidget(m.row, m.column)->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(popup->cellWidget(m.row, m.column)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), m.key);
        EXPECT_TRUE(popup->cellWidget(m.toRow, m.toColumn)->hasFocus());
    }

    // Return on a cell chooses it and closes the popup.
    QSignalSpy changed(&picker, &QtColorPicker::colorChanged);
    popup->cellWidget(1, 7)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(picker.isChecked());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(picker.currentColor(), hsv(0, 255, 255));
    EXPECT_EQ(picker.text(), "red");

    // Escape closes without a choice; a click on a cell chooses it.
    QTest::mouseClick(&picker, Qt::LeftButton);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->cellWidget(1, 7)->hasFocus());  // the current colour's cell
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(changed.count(), 1);
    QTest::mouseClick(&picker, Qt::LeftButton);
    QTest::mouseClick(popup->cellWidget(4, 4), Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(picker.currentColor(), hsv(180, 255, 64));
    EXPECT_EQ(picker.text(), "cyan 1");
}

TEST(ColorPicker, PopupKeptOnTheDesktop)
{
    const QRect desktop = QApplication::desktop()->geometry();
    QWidget window;
    auto* picker = new WColorPicker(&window);
    picker->move(0, 0);
    window.resize(picker->sizeHint());
    ColorPickerPopup* popup = picker->popupWidget();
    const QSize size = popup->sizeHint();

    // The offscreen platform moves a window by its frame margins when it
    // first shows it: a first opening, then the positions it is moved to.
    window.show();
    QTest::mouseClick(picker, Qt::LeftButton);
    QTest::keyClick(popup, Qt::Key_Escape);

    // Near the bottom edge: moved up so that its bottom lies on the edge.
    window.move(desktop.left() + 20, desktop.bottom() - picker->height() - 5);
    QTest::mouseClick(picker, Qt::LeftButton);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->geometry().topLeft(),
              QPoint(picker->mapToGlobal(QPoint(0, 0)).x(), desktop.bottom() - size.height()));
    EXPECT_TRUE(pagestest::grabToPng(popup, "pages_colour_popup"));
    QTest::keyClick(popup, Qt::Key_Escape);

    // Near the right edge: moved left to the desktop's width.
    window.move(desktop.width() - 10, desktop.top() + 10);
    QTest::mouseClick(picker, Qt::LeftButton);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->geometry().topLeft(),
              QPoint(desktop.width() - size.width(), picker->mapToGlobal(QPoint(0, picker->height() - 1)).y()));
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST(ColorPicker, ColourDialogAcceptedAndCancelled)
{
    WColorPicker picker;
    ColorPickerPopup* popup = picker.popupWidget();
    QSignalSpy changed(&picker, &QtColorPicker::colorChanged);

    ks::test::whenModal([](QColorDialog* d) { d->reject(); });
    QMetaObject::invokeMethod(popup->dialogCell(), "clicked");
    EXPECT_EQ(popup->itemCount(), 56);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(picker.currentColor(), QColor(Qt::black));

    const QColor chosen(200, 10, 60, 128);
    ks::test::whenModal([&](QColorDialog* d) {
        EXPECT_EQ(d->currentColor(), QColor(Qt::black));
        d->setCurrentColor(chosen);
        d->accept();
    });
    QMetaObject::invokeMethod(popup->dialogCell(), "clicked");
    EXPECT_EQ(popup->itemCount(), 57);
    EXPECT_EQ(picker.currentColor(), chosen);
    EXPECT_EQ(picker.text(), "Custom");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(qobject_cast<ColorPickerItem*>(popup->cellWidget(7, 0))->color(), chosen);

    // The dialog opens on the current colour, alpha included.
    ks::test::whenModal([&](QColorDialog* d) {
        EXPECT_EQ(d->currentColor(), chosen);
        d->reject();
    });
    QMetaObject::invokeMethod(popup->dialogCell(), "clicked");
    EXPECT_EQ(picker.currentColor(), chosen);
}
