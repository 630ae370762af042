#include "pictures.h"

#include <QPainter>
#include <QPolygon>

namespace EditorPictures {
namespace {

// The 16-colour palette the pictures keep to.
const QColor kBlack(0, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kOlive(128, 128, 0);
const QColor kNavy(0, 0, 128);
const QColor kGray(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

} // namespace

QPixmap windowIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // Two pages of an open book.
    p.setPen(kBlack);
    p.setBrush(kNavy);
    p.drawRect(1, 7, 29, 21);
    p.setBrush(kWhite);
    p.drawPolygon(QPolygon({{3, 9}, {15, 8}, {15, 25}, {3, 26}}));
    p.drawPolygon(QPolygon({{16, 8}, {28, 9}, {28, 26}, {16, 25}}));
    // Lines of entries.
    p.setPen(kGray);
    for (int y = 12; y <= 23; y += 3) {
        p.drawLine(5, y, 13, y - 1 + (y % 2));
        p.drawLine(18, y - 1 + (y % 2), 26, y);
    }
    p.setPen(kBlue);
    p.drawLine(5, 11, 10, 11);
    // A pencil across the right page.
    p.setPen(kBlack);
    p.setBrush(kYellow);
    p.drawPolygon(QPolygon({{29, 2}, {31, 4}, {20, 15}, {18, 13}}));
    p.setBrush(kSilver);
    p.drawPolygon(QPolygon({{18, 13}, {20, 15}, {16, 17}}));
    p.setPen(kRed);
    p.drawPoint(29, 3);
    p.setPen(kMaroon);
    p.drawPoint(17, 16);
    return pixmap;
}

QPixmap folderButtonGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(kBlack);
    // Back of the folder with its tab.
    p.setBrush(kOlive);
    p.drawPolygon(QPolygon({{1, 3}, {5, 3}, {6, 4}, {12, 4}, {12, 13}, {1, 13}}));
    // Open front flap.
    p.setBrush(kYellow);
    p.drawPolygon(QPolygon({{1, 13}, {4, 7}, {15, 7}, {12, 13}}));
    return pixmap;
}

} // namespace EditorPictures
