#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "Painters.h"

namespace {

const QColor kSolderMask(22, 110, 58);
const QColor kSolderMaskEdge(12, 70, 36);
const QColor kTrace(48, 150, 84);
const QColor kSilk(236, 240, 230);
const QColor kGold(214, 178, 72);
const QColor kChipBody(34, 34, 38);
const QColor kPinMetal(196, 198, 204);

// A painter over one transparent board image, with the parts boards are made of.
// The board's parts are placed for the whole picture; a board that covers only
// some rows of it is drawn that much lower in height.
class Board {
public:
    Board(QSize size, BoardRows rows) : image_(size, QImage::Format_ARGB32_Premultiplied)
    {
        image_.fill(Qt::transparent);
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing);
        const int height = rows.height > 0 ? rows.height : size.height() - rows.top;
        painter_.translate(0, rows.top);
        painter_.scale(1, qreal(height) / size.height());
    }

    QImage finish()
    {
        painter_.end();
        return image_;
    }

    // The bare printed circuit board with a mounting hole in each corner.
    void pcb(QRectF area)
    {
        painter_.setPen(QPen(kSolderMaskEdge, 1.5));
        painter_.setBrush(kSolderMask);
        painter_.drawRoundedRect(area, 4, 4);
        const qreal inset = 5;
        for (const QPointF& corner :
             {area.topLeft() + QPointF(inset, inset), area.topRight() + QPointF(-inset, inset),
              area.bottomLeft() + QPointF(inset, -inset), area.bottomRight() + QPointF(-inset, -inset)}) {
            painter_.setPen(Qt::NoPen);
            painter_.setBrush(kGold);
            painter_.drawEllipse(corner, 3, 3);
            painter_.setBrush(QColor(40, 40, 40));
            painter_.drawEllipse(corner, 1.6, 1.6);
        }
    }

    void trace(QPointF from, QPointF to)
    {
        painter_.setPen(QPen(kTrace, 1.2, Qt::SolidLine, Qt::RoundCap));
        QPainterPath path(from);
        path.lineTo(QPointF(to.x(), from.y()));
        path.lineTo(to);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawPath(path);
    }

    // A chip in a quad flat package: pins on all four sides, a dot for pin 1.
    void quadChip(QRectF body, int pinsPerSide, const QString& marking)
    {
        const qreal pinLength = 2.5;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(kPinMetal);
        for (int i = 0; i < pinsPerSide; ++i) {
            const qreal fx = body.left() + (i + 0.5) * body.width() / pinsPerSide;
            const qreal fy = body.top() + (i + 0.5) * body.height() / pinsPerSide;
            painter_.drawRect(QRectF(fx - 0.6, body.top() - pinLength, 1.2, pinLength));
            painter_.drawRect(QRectF(fx - 0.6, body.bottom(), 1.2, pinLength));
            painter_.drawRect(QRectF(body.left() - pinLength, fy - 0.6, pinLength, 1.2));
            painter_.drawRect(QRectF(body.right(), fy - 0.6, pinLength, 1.2));
        }
        chipBody(body, marking);
    }

    // A chip in a dual in-line package: pins along its two long sides.
    void dualChip(QRectF body, int pinsPerSide, const QString& marking)
    {
        const bool horizontal = body.width() >= body.height();
        const qreal pinLength = 2.5;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(kPinMetal);
        for (int i = 0; i < pinsPerSide; ++i) {
            if (horizontal) {
                const qreal x = body.left() + (i + 0.5) * body.width() / pinsPerSide;
                painter_.drawRect(QRectF(x - 0.9, body.top() - pinLength, 1.8, pinLength));
                painter_.drawRect(QRectF(x - 0.9, body.bottom(), 1.8, pinLength));
            } else {
                const qreal y = body.top() + (i + 0.5) * body.height() / pinsPerSide;
                painter_.drawRect(QRectF(body.left() - pinLength, y - 0.9, pinLength, 1.8));
                painter_.drawRect(QRectF(body.right(), y - 0.9, pinLength, 1.8));
            }
        }
        chipBody(body, marking);
    }

    // A row of square pins in a black plastic strip; rows > 1 gives a double header.
    void header(QPointF topLeft, int pins, int rows, bool vertical)
    {
        const qreal pitch = 5;
        const QSizeF strip = vertical ? QSizeF(rows * pitch, pins * pitch) : QSizeF(pins * pitch, rows * pitch);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(QColor(20, 20, 20));
        painter_.drawRect(QRectF(topLeft, strip));
        painter_.setBrush(kGold);
        for (int r = 0; r < rows; ++r) {
            for (int i = 0; i < pins; ++i) {
                const qreal along = i * pitch + pitch / 2;
                const qreal across = r * pitch + pitch / 2;
                const QPointF centre = vertical ? topLeft + QPointF(across, along) : topLeft + QPointF(along, across);
                painter_.drawRect(QRectF(centre - QPointF(1.1, 1.1), QSizeF(2.2, 2.2)));
            }
        }
    }

    void crystal(QRectF can)
    {
        painter_.setPen(QPen(QColor(120, 120, 128), 0.8));
        painter_.setBrush(QColor(210, 212, 218));
        painter_.drawRoundedRect(can, can.height() / 2, can.height() / 2);
    }

    void led(QPointF centre, const QColor& colour)
    {
        painter_.setPen(QPen(colour.darker(160), 0.8));
        painter_.setBrush(colour);
        painter_.drawEllipse(centre, 2.2, 2.2);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(QColor(255, 255, 255, 170));
        painter_.drawEllipse(centre + QPointF(-0.7, -0.7), 0.8, 0.8);
    }

    // A nine-pin serial connector seen from the front, for the RS-232 line.
    void serialConnector(QRectF shell)
    {
        painter_.setPen(QPen(QColor(90, 92, 98), 0.8));
        painter_.setBrush(QColor(170, 172, 178));
        painter_.drawRoundedRect(shell, 2, 2);
        const QRectF face =
            shell.adjusted(shell.width() * 0.15, shell.height() * 0.25, -shell.width() * 0.15, -shell.height() * 0.25);
        QPainterPath trapezoid;
        trapezoid.moveTo(face.topLeft());
        trapezoid.lineTo(face.topRight());
        trapezoid.lineTo(face.right() - face.width() * 0.08, face.bottom());
        trapezoid.lineTo(face.left() + face.width() * 0.08, face.bottom());
        trapezoid.closeSubpath();
        painter_.setBrush(QColor(30, 30, 34));
        painter_.drawPath(trapezoid);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(kGold);
        for (int i = 0; i < 5; ++i)
            painter_.drawEllipse(
                QPointF(face.left() + face.width() * (0.16 + i * 0.17), face.top() + face.height() * 0.3), 0.9, 0.9);
        for (int i = 0; i < 4; ++i)
            painter_.drawEllipse(
                QPointF(face.left() + face.width() * (0.24 + i * 0.17), face.top() + face.height() * 0.72), 0.9, 0.9);
    }

    void powerJack(QRectF body)
    {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(QColor(28, 28, 30));
        painter_.drawRect(body);
        painter_.setBrush(QColor(90, 90, 96));
        painter_.drawEllipse(body.center(), body.height() * 0.3, body.height() * 0.3);
    }

    void capacitor(QPointF centre, qreal radius)
    {
        painter_.setPen(QPen(QColor(20, 40, 90), 0.8));
        painter_.setBrush(QColor(40, 70, 150));
        painter_.drawEllipse(centre, radius, radius);
        painter_.setPen(QPen(QColor(200, 210, 230), 0.8));
        painter_.drawLine(centre + QPointF(-radius * 0.5, -radius * 0.5), centre + QPointF(radius * 0.5, radius * 0.5));
    }

    void smallPart(QRectF body)
    {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(kPinMetal);
        painter_.drawRect(body);
        painter_.setBrush(QColor(60, 50, 40));
        painter_.drawRect(body.adjusted(body.width() * 0.25, 0, -body.width() * 0.25, 0));
    }

    void silkText(QPointF baseline, const QString& text, qreal pixelSize)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(qRound(pixelSize));
        font.setBold(true);
        painter_.setFont(font);
        painter_.setPen(kSilk);
        painter_.drawText(baseline, text);
    }

private:
    void chipBody(QRectF body, const QString& marking)
    {
        painter_.setPen(QPen(QColor(70, 70, 76), 0.6));
        painter_.setBrush(kChipBody);
        painter_.drawRect(body);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(QColor(90, 90, 96));
        painter_.drawEllipse(body.topLeft() + QPointF(2.5, 2.5), 1.2, 1.2);
        if (marking.isEmpty())
            return;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(qMax(5, qRound(qMin(body.width(), body.height()) / 3.2)));
        painter_.setFont(font);
        painter_.setPen(QColor(176, 176, 182));
        painter_.drawText(body, Qt::AlignCenter, marking);
    }

    QImage image_;
    QPainter painter_;
};

}  // namespace

// A small plug-in module: controller in the middle, pin rows along both long edges.
QImage drawBoardE(QSize size, BoardRows rows)
{
    Board b(size, rows);
    const QRectF area(1, 1, size.width() - 2, size.height() - 2);
    b.pcb(area);
    b.header({14, 3}, 21, 1, false);
    b.header({14, size.height() - 8.0}, 21, 1, false);
    b.trace({40, 8}, {52, 28});
    b.trace({92, 8}, {80, 28});
    b.trace({40, 72}, {52, 52});
    b.quadChip({50, 24, 32, 32}, 8, QStringLiteral("K8"));
    b.crystal({92, 30, 14, 6});
    b.capacitor({100, 48}, 4);
    b.smallPart({24, 34, 7, 3});
    b.smallPart({24, 42, 7, 3});
    b.led({112, 20}, QColor(240, 60, 40));
    b.silkText({8, 60}, QStringLiteral("E"), 10);
    return b.finish();
}

// A starter board: controller in a DIP socket, serial connector, one header.
QImage drawBoardA(QSize size, BoardRows rows)
{
    Board b(size, rows);
    const QRectF area(1, 1, size.width() - 2, size.height() - 2);
    b.pcb(area);
    b.header({8, 12}, 10, 1, true);
    b.trace({13, 30}, {34, 22});
    b.dualChip({30, 18, 60, 16}, 14, QStringLiteral("KORVEL"));
    b.serialConnector({98, 22, 30, 38});
    b.trace({60, 36}, {98, 46});
    b.crystal({40, 44, 16, 6});
    b.capacitor({70, 52}, 4.5);
    b.capacitor({82, 52}, 4.5);
    b.smallPart({30, 58, 7, 3});
    b.smallPart({42, 58, 7, 3});
    b.led({24, 66}, QColor(60, 220, 70));
    b.led({34, 66}, QColor(240, 60, 40));
    b.silkText({56, 72}, QStringLiteral("A"), 10);
    return b.finish();
}

// An evaluation board: controller, memory, power jack, serial line and expansion header.
QImage drawBoardB(QSize size, BoardRows rows)
{
    Board b(size, rows);
    const QRectF area(1, 1, size.width() - 2, size.height() - 2);
    b.pcb(area);
    b.powerJack({4, 30, 14, 16});
    b.capacitor({28, 22}, 5);
    b.capacitor({28, 56}, 5);
    b.quadChip({48, 24, 34, 34}, 9, QStringLiteral("K16"));
    b.dualChip({94, 12, 40, 12}, 8, QString());
    b.dualChip({94, 56, 40, 12}, 8, QString());
    b.trace({82, 30}, {100, 24});
    b.trace({82, 50}, {100, 56});
    b.serialConnector({142, 24, 32, 34});
    b.header({50, 66}, 6, 2, false);
    b.crystal({60, 8, 16, 6});
    b.led({146, 10}, QColor(60, 220, 70));
    b.led({156, 10}, QColor(250, 200, 40));
    b.silkText({14, 74}, QStringLiteral("B"), 10);
    return b.finish();
}

// A long I/O board: controller, a row of status lights and a double header.
QImage drawBoardC(QSize size, BoardRows rows)
{
    Board b(size, rows);
    const QRectF area(1, 1, size.width() - 2, size.height() - 2);
    b.pcb(area);
    b.header({10, 8}, 16, 2, false);
    b.quadChip({20, 30, 28, 28}, 7, QStringLiteral("K4"));
    b.crystal({56, 36, 14, 6});
    b.trace({48, 44}, {90, 52});
    for (int i = 0; i < 8; ++i) {
        b.led({96.0 + i * 9, 54}, i % 2 ? QColor(250, 200, 40) : QColor(240, 60, 40));
        b.smallPart({93.0 + i * 9, 40, 6, 3});
    }
    b.dualChip({100, 12, 44, 14}, 8, QString());
    b.powerJack({160, 22, 18, 16});
    b.capacitor({168, 52}, 5);
    b.silkText({58, 62}, QStringLiteral("C"), 10);
    return b.finish();
}

// A slim controller strip: serial connector at one end, headers along the board.
QImage drawBoardD(QSize size, BoardRows rows)
{
    Board b(size, rows);
    const QRectF area(1, 1, size.width() - 2, size.height() - 2);
    b.pcb(area);
    b.serialConnector({4, 14, 28, 36});
    b.dualChip({42, 20, 22, 24}, 4, QString());
    b.trace({64, 32}, {78, 32});
    b.quadChip({82, 18, 28, 28}, 7, QStringLiteral("K2"));
    b.crystal({118, 12, 14, 6});
    b.header({118, 26}, 10, 1, false);
    b.header({118, 42}, 10, 1, false);
    b.capacitor({124, 56}, 4);
    b.led({140, 56}, QColor(60, 220, 70));
    b.led({150, 56}, QColor(240, 60, 40));
    b.silkText({44, 58}, QStringLiteral("D"), 10);
    return b.finish();
}
