#include "browseimages.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>

namespace ksbrowse {

namespace {

// Off-white for page fills: pure white is the transparent colour.
const QColor kPaper(250, 250, 244);
const QColor kOutline(60, 60, 60);
const QColor kFolder(236, 196, 72);
const QColor kFolderDark(190, 146, 30);
const QColor kMetal(176, 176, 180);
const QColor kMetalDark(110, 110, 118);
const QColor kBlue(40, 96, 200);
const QColor kGreen(40, 160, 60);

void folder(QPainter& p, bool open)
{
    p.setPen(kFolderDark);
    p.setBrush(kFolder);
    p.drawRect(1, 4, 13, 9);
    p.drawRect(1, 2, 5, 2);
    if (open) {
        p.setBrush(kFolder.lighter(115));
        QPolygon flap;
        flap << QPoint(3, 7) << QPoint(16, 7) << QPoint(14, 13) << QPoint(1, 13);
        p.drawPolygon(flap);
    }
}

void driveBox(QPainter& p)
{
    p.setPen(kMetalDark);
    p.setBrush(kMetal);
    p.drawRect(1, 5, 14, 6);
}

void monitor(QPainter& p, int x, int y, int w, int h)
{
    p.setPen(kOutline);
    p.setBrush(kBlue.lighter(150));
    p.drawRect(x, y, w, h);
    p.drawLine(x + w / 2, y + h + 1, x + w / 2, y + h + 2);
    p.drawLine(x + 1, y + h + 2, x + w - 1, y + h + 2);
}

void globe(QPainter& p, int x, int y, int d)
{
    p.setPen(kBlue.darker(130));
    p.setBrush(kBlue.lighter(140));
    p.drawEllipse(x, y, d, d);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(x + d / 4, y, d / 2, d);
    p.drawLine(x, y + d / 2, x + d, y + d / 2);
}

void cable(QPainter& p, int y)
{
    p.setPen(kOutline);
    p.drawLine(8, y, 8, 15);
    p.drawLine(2, 15, 14, 15);
}

void page(QPainter& p, int x, int y)
{
    p.setPen(kOutline);
    p.setBrush(kPaper);
    p.drawRect(x, y, 11, 13);
}

void peaks(QPainter& p, int x, int y)
{
    // A small mass spectrum: sticks of different heights on a base line.
    p.setPen(kOutline);
    p.drawLine(x + 1, y + 11, x + 10, y + 11);
    p.setPen(kBlue);
    const int heights[] = {3, 8, 5, 10, 2, 6};
    for (int i = 0; i < 6; ++i)
        p.drawLine(x + 2 + i + (i > 2 ? 1 : 0), y + 10, x + 2 + i + (i > 2 ? 1 : 0), y + 11 - heights[i]);
}

void draw(QPainter& p, int index)
{
    switch (index) {
    case 0:  // open folder
        folder(p, true);
        break;
    case 1:  // folder, network share
        folder(p, false);
        break;
    case 2:  // removable drive
        driveBox(p);
        p.setPen(kOutline);
        p.drawLine(4, 8, 11, 8);
        break;
    case 3:  // fixed drive
        driveBox(p);
        p.setPen(kGreen);
        p.drawPoint(13, 9);
        p.drawPoint(12, 9);
        break;
    case 4:  // remote drive
        p.save();
        p.translate(0, -3);
        driveBox(p);
        p.restore();
        cable(p, 9);
        break;
    case 5:  // optical drive
        p.setPen(kMetalDark);
        p.setBrush(QColor(200, 210, 230));
        p.drawEllipse(2, 1, 13, 13);
        p.setBrush(kMetal);
        p.drawEllipse(7, 6, 3, 3);
        break;
    case 6:  // RAM disk
        p.setPen(kOutline);
        p.setBrush(kGreen);
        p.drawRect(2, 4, 12, 7);
        for (int x = 3; x <= 13; x += 2) {
            p.drawLine(x, 2, x, 3);
            p.drawLine(x, 12, x, 13);
        }
        break;
    case 7:  // the network root
        globe(p, 2, 1, 13);
        break;
    case 8:  // domain
        monitor(p, 1, 1, 6, 4);
        monitor(p, 9, 1, 6, 4);
        monitor(p, 5, 9, 6, 4);
        break;
    case 9:  // server
        p.setPen(kOutline);
        p.setBrush(kMetal);
        p.drawRect(5, 1, 7, 14);
        p.drawLine(6, 4, 11, 4);
        p.drawLine(6, 6, 11, 6);
        p.setPen(kGreen);
        p.drawPoint(10, 12);
        break;
    case 10:  // share
        folder(p, false);
        cable(p, 13);
        break;
    case 11:  // file
        page(p, 3, 1);
        p.setPen(kMetalDark);
        for (int y = 4; y <= 11; y += 2)
            p.drawLine(5, y, 11, y);
        break;
    case 12:  // group
        monitor(p, 1, 3, 6, 5);
        monitor(p, 9, 3, 6, 5);
        break;
    case 13:  // network
        globe(p, 3, 0, 10);
        cable(p, 11);
        break;
    case 14:  // root of a network
        globe(p, 1, 1, 13);
        p.setPen(kFolderDark);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(0, 5, 16, 5);
        break;
    case 15:  // dataset or injection
        page(p, 3, 1);
        peaks(p, 3, 1);
        break;
    case 16:  // dataset with several injections
        page(p, 5, 0);
        page(p, 3, 1);
        page(p, 1, 2);
        peaks(p, 1, 2);
        break;
    default:
        break;
    }
}

}  // namespace

QPixmap imageStrip()
{
    QPixmap strip(kImageWidth * 17, kImageHeight);
    strip.fill(Qt::white);
    QPainter p(&strip);
    for (int i = 0; i < 17; ++i) {
        p.save();
        p.translate(i * kImageWidth, 0);
        p.setClipRect(0, 0, kImageWidth, kImageHeight);
        draw(p, i);
        p.restore();
    }
    p.end();
    return strip;
}

QPixmap image(int index)
{
    if (index < 0 || index >= 17)
        return QPixmap();
    const QPixmap strip = imageStrip();
    QPixmap one = strip.copy(index * kImageWidth, 0, kImageWidth, kImageHeight);
    one.setMask(one.createMaskFromColor(Qt::white, Qt::MaskInColor));
    return one;
}

}  // namespace ksbrowse
