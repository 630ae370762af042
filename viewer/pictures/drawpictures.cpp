// Draws the viewer's pictures into the folder given as the only argument:
//   fonvik.png      the window icon, 32 x 32 in the 16 standard colours
//   cancelfilter.png the cancel-filter button's picture, 19 x 20 in the 16 standard colours,
//                   on olive (its lower-left pixel), which the button draws transparent
//   logo.jpg        the About window's logo, 71 x 71
// The pictures are committed; run this only to change them (target drawpictures).

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVector>

namespace {

// The 16 standard colours.
const QVector<QRgb> kPalette16 = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

QImage to16Colours(const QImage &image)
{
    return image.convertToFormat(QImage::Format_Indexed8, kPalette16,
                                 Qt::ThresholdDither | Qt::AvoidDither);
}

QImage drawIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Index tabs sticking out at the right edge, behind the cover.
    const QColor tabs[] = {QColor(255, 255, 0), QColor(0, 255, 0), QColor(0, 255, 255),
                           QColor(255, 0, 255)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::black);
        p.setBrush(tabs[i]);
        p.drawRect(24, 5 + i * 6, 6, 4);
    }
    // Pages: a white edge under the cover.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(7, 3, 19, 27);
    // The red cover, with a darker spine strip.
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(5, 1, 19, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 0, 0));
    p.drawRect(6, 2, 3, 26);
    // A label on the cover.
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(12, 7, 9, 5);
    p.drawLine(14, 9, 19, 9);
    // The spiral: grey rings through the spine.
    for (int y = 3; y <= 26; y += 3) {
        p.setPen(QColor(128, 128, 128));
        p.drawLine(3, y, 8, y);
        p.setPen(QColor(192, 192, 192));
        p.drawLine(3, y + 1, 8, y + 1);
        p.setPen(Qt::black);
        p.drawPoint(2, y);
        p.drawPoint(2, y + 1);
    }
    p.end();
    // Keep the transparency: convert the colours, then restore the alpha mask.
    QImage indexed = to16Colours(image);
    QImage out = indexed.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                out.setPixel(x, y, qRgba(0, 0, 0, 0));
    return out;
}

QImage drawCancelFilter()
{
    QImage image(19, 20, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 0)); // olive: drawn transparent
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    // A black funnel.
    QPolygon funnel;
    funnel << QPoint(1, 2) << QPoint(15, 2) << QPoint(10, 8) << QPoint(10, 15)
           << QPoint(6, 17) << QPoint(6, 8);
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    p.drawPolygon(funnel);
    // White highlights along its rim and left side.
    p.setPen(Qt::white);
    p.drawLine(3, 3, 13, 3);
    p.drawLine(4, 4, 7, 7);
    p.drawLine(7, 9, 7, 15);
    // A black cross at the lower right: the filter is taken off.
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(12, 12, 17, 17);
    p.drawLine(17, 12, 12, 17);
    p.setPen(Qt::white);
    p.drawPoint(12, 11);
    p.drawPoint(17, 11);
    p.end();
    return to16Colours(image);
}

QImage drawLogo()
{
    QImage image(71, 71, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient sky(0, 0, 71, 71);
    sky.setColorAt(0, QColor(30, 90, 200));
    sky.setColorAt(1, QColor(10, 30, 90));
    p.fillRect(image.rect(), sky);
    // A globe of lines behind the handset: the organization's network.
    QRadialGradient globe(QPointF(35.5, 35.5), 30);
    globe.setColorAt(0, QColor(120, 200, 255));
    globe.setColorAt(1, QColor(40, 110, 220));
    p.setPen(QPen(QColor(200, 230, 255), 1));
    p.setBrush(globe);
    p.drawEllipse(QPointF(35.5, 35.5), 29, 29);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(35.5, 35.5), 12, 29);
    p.drawLine(QPointF(6.5, 35.5), QPointF(64.5, 35.5));
    p.drawLine(QPointF(35.5, 6.5), QPointF(35.5, 64.5));
    // The handset.
    QPainterPath handset;
    handset.moveTo(14, 26);
    handset.cubicTo(22, 12, 49, 12, 57, 26);
    handset.lineTo(51, 32);
    handset.lineTo(45, 26);
    handset.cubicTo(40, 23, 31, 23, 26, 26);
    handset.lineTo(20, 32);
    handset.closeSubpath();
    p.setPen(QPen(QColor(80, 0, 0), 1.5));
    p.setBrush(QColor(220, 20, 20));
    p.drawPath(handset);
    // The base with its dial.
    QPainterPath base;
    base.moveTo(22, 36);
    base.lineTo(49, 36);
    base.lineTo(57, 58);
    base.lineTo(14, 58);
    base.closeSubpath();
    p.drawPath(base);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(80, 0, 0), 1));
    p.drawEllipse(QPointF(35.5, 47.5), 7, 7);
    p.setBrush(QColor(220, 20, 20));
    p.drawEllipse(QPointF(35.5, 47.5), 2.5, 2.5);
    p.end();
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool ok = drawIcon().save(folder + QStringLiteral("fonvik.png"));
    ok = drawCancelFilter().save(folder + QStringLiteral("cancelfilter.png")) && ok;
    ok = drawLogo().save(folder + QStringLiteral("logo.jpg"), "JPG", 90) && ok;
    return ok ? 0 : 1;
}
