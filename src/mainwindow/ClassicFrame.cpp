#include "mainwindow/ClassicFrame.h"

#include <QFontMetrics>
#include <QPainter>
#include <qdrawutil.h>

namespace korvel::mainwindow {

ClassicFrame::ClassicFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

void ClassicFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QRect edge = rect().adjusted(0, metrics.height() / 2, -1, -1);
    qDrawShadeRect(&painter, edge, palette(), true, 1);
    if (title().isEmpty())
        return;
    const QRect caption(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, title());
}

}  // namespace korvel::mainwindow
