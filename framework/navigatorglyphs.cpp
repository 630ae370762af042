#include "navigatorglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace NavigatorGlyphs {
namespace {

void triangle(QPainter &p, QPoint a, QPoint b, QPoint c)
{
    p.drawPolygon(QPolygon({a, b, c}));
}

} // namespace

QPixmap glyph(Kind kind)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    switch (kind) {
    case First:
        p.drawRect(4, 4, 2, 8);
        triangle(p, {11, 3}, {11, 12}, {6, 8});
        break;
    case Prior:
        triangle(p, {10, 3}, {10, 12}, {5, 8});
        break;
    case Next:
        triangle(p, {6, 3}, {6, 12}, {11, 8});
        break;
    case Last:
        triangle(p, {5, 3}, {5, 12}, {10, 8});
        p.drawRect(10, 4, 2, 8);
        break;
    case Insert:
        p.drawRect(7, 3, 2, 10);
        p.drawRect(3, 7, 10, 2);
        break;
    case Delete:
        p.drawRect(3, 7, 10, 2);
        break;
    case Edit:
        triangle(p, {3, 11}, {13, 11}, {8, 4});
        break;
    case Post: {
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(Qt::black, 2.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(3.5, 8.5);
        path.lineTo(6.5, 11.5);
        path.lineTo(12.5, 4.5);
        p.drawPath(path);
        break;
    }
    case Cancel: {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x80, 0, 0), 2.2, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        break;
    }
    case Refresh: {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3.5, 3.5, 9, 9), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        triangle(p, {8, 1}, {8, 7}, {12, 4});
        break;
    }
    }
    return pixmap;
}

} // namespace NavigatorGlyphs
