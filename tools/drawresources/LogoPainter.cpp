#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QVector>

#include "Painters.h"

namespace {

const QColor kMarkBlue(20, 52, 140);
const QColor kMarkOrange(236, 128, 24);

// A square chip symbol with four pins a side and a "K" cut out of its body.
void drawMark(QPainter& p, QRectF square)
{
    const qreal pin = square.width() * 0.12;
    const QRectF body = square.adjusted(pin, pin, -pin, -pin);
    p.setPen(Qt::NoPen);
    p.setBrush(kMarkOrange);
    for (int i = 0; i < 4; ++i) {
        const qreal along = body.width() * (0.2 + i * 0.2);
        const qreal w = pin * 0.55;
        p.drawRect(QRectF(body.left() + along - w / 2, square.top(), w, pin));
        p.drawRect(QRectF(body.left() + along - w / 2, body.bottom(), w, pin));
        p.drawRect(QRectF(square.left(), body.top() + along - w / 2, pin, w));
        p.drawRect(QRectF(body.right(), body.top() + along - w / 2, pin, w));
    }
    p.setBrush(kMarkBlue);
    p.drawRoundedRect(body, body.width() * 0.08, body.width() * 0.08);

    // The letter as three strokes: the stem and the two arms.
    const qreal s = body.width();
    const QPointF o = body.topLeft();
    QPen stroke(Qt::white, s * 0.13, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(stroke);
    p.drawLine(o + QPointF(s * 0.32, s * 0.22), o + QPointF(s * 0.32, s * 0.78));
    p.drawLine(o + QPointF(s * 0.70, s * 0.22), o + QPointF(s * 0.40, s * 0.50));
    p.drawLine(o + QPointF(s * 0.40, s * 0.50), o + QPointF(s * 0.72, s * 0.78));
}

QFont fittedFont(const QString& text, qreal maxWidth, qreal maxHeight, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(bold);
    int pixels = qMax(4, qRound(maxHeight));
    for (; pixels > 4; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        if (metrics.horizontalAdvance(text) <= maxWidth && metrics.capHeight() <= maxHeight)
            break;
    }
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

QImage drawLogo(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const qreal margin = size.height() * 0.08;
    const qreal markSide = size.height() * 0.62;
    const QRectF mark(margin, (size.height() - markSide) / 2 - size.height() * 0.06, markSide, markSide);
    drawMark(p, mark);

    const QString name = QStringLiteral("Korvel");
    const QString tagline = QStringLiteral("EMBEDDED");
    const qreal textLeft = mark.right() + margin * 1.2;
    const qreal textWidth = size.width() - textLeft - margin;

    const QFont nameFont = fittedFont(name, textWidth, size.height() * 0.42, true);
    const QFontMetricsF nameMetrics(nameFont);
    const qreal nameBaseline = mark.center().y() + nameMetrics.capHeight() * 0.45;
    p.setFont(nameFont);
    p.setPen(kMarkBlue);
    p.drawText(QPointF(textLeft, nameBaseline), name);

    const qreal nameWidth = nameMetrics.horizontalAdvance(name);
    QFont tagFont = fittedFont(tagline, nameWidth, size.height() * 0.11, false);
    tagFont.setLetterSpacing(QFont::PercentageSpacing, 100);
    const QFontMetricsF tagMetrics(tagFont);
    const qreal spare = nameWidth - tagMetrics.horizontalAdvance(tagline);
    tagFont.setLetterSpacing(QFont::AbsoluteSpacing, spare / qMax(1, int(tagline.size()) - 1));
    p.setFont(tagFont);
    p.setPen(kMarkOrange);
    const qreal tagBaseline = nameBaseline + size.height() * 0.08 + tagMetrics.capHeight();
    p.drawText(QPointF(textLeft, tagBaseline), tagline);

    // A thin rule under the whole mark ties symbol and words together.
    p.setPen(QPen(kMarkBlue, qMax(1.0, size.height() * 0.015)));
    const qreal ruleY = qMin(size.height() - margin * 0.6, tagBaseline + size.height() * 0.09);
    p.drawLine(QPointF(margin, ruleY), QPointF(textLeft + nameWidth, ruleY));
    p.end();
    return image;
}

QImage drawIcon()
{
    // The 16 colours of the classic icon palette, in their usual order.
    const QVector<QRgb> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(palette[4]);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);

    // Pins of a chip, four a side, in yellow.
    p.setBrush(QColor(palette[11]));
    for (int i = 0; i < 4; ++i) {
        const int along = 9 + i * 4;
        p.drawRect(along, 3, 2, 3);
        p.drawRect(along, 26, 2, 3);
        p.drawRect(3, along, 3, 2);
        p.drawRect(26, along, 3, 2);
    }
    p.setBrush(QColor(palette[0]));
    p.drawRect(6, 6, 20, 20);
    p.setBrush(QColor(palette[8]));
    p.drawRect(7, 7, 18, 18);
    p.setBrush(QColor(palette[0]));
    p.drawRect(8, 8, 16, 16);

    // A blocky white "K".
    p.setBrush(QColor(palette[15]));
    p.drawRect(11, 10, 3, 12);
    const int arm[][2] = {{20, 10}, {19, 11}, {18, 12}, {17, 13}, {16, 14}, {14, 15},
                          {14, 16}, {16, 17}, {17, 18}, {18, 19}, {19, 20}, {20, 21}};
    for (const auto& a : arm)
        p.drawRect(a[0], a[1], 3, 1);
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
}

QImage drawLargeIcon(int side)
{
    // The window icon's picture, drawn smooth at any size for menus and docks:
    // the same 32-unit layout, scaled, with rounded corners and a stroked "K".
    const QColor navy(0, 0, 128), yellow(255, 255, 0), grey(128, 128, 128);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 32.0, side / 32.0);
    p.setPen(Qt::NoPen);

    p.setBrush(navy);
    p.drawRoundedRect(QRectF(0, 0, 32, 32), 3, 3);
    p.setBrush(yellow);
    for (int i = 0; i < 4; ++i) {
        const int along = 9 + i * 4;
        p.drawRect(QRectF(along, 3, 2, 3));
        p.drawRect(QRectF(along, 26, 2, 3));
        p.drawRect(QRectF(3, along, 3, 2));
        p.drawRect(QRectF(26, along, 3, 2));
    }
    p.setBrush(Qt::black);
    p.drawRect(QRectF(6, 6, 20, 20));
    p.setBrush(grey);
    p.drawRect(QRectF(7, 7, 18, 18));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(8, 8, 16, 16));

    p.setBrush(Qt::white);
    p.drawRect(QRectF(11, 10, 3, 12));
    QPen arm(Qt::white, 2.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(arm);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(22, 10), QPointF(15.5, 16), QPointF(22, 22)}));
    p.end();
    return image;
}
