#include "mainwindow/FittedLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace korvel::mainwindow {

namespace {

// Below this the glyphs would run into each other.
constexpr int kNarrowestStretch = 50;

}  // namespace

FittedLabel::FittedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void FittedLabel::paintEvent(QPaintEvent* event)
{
    const QRect room = contentsRect();
    QFont narrowed = font();
    if (QFontMetrics(narrowed).horizontalAdvance(text()) <= room.width()) {
        QLabel::paintEvent(event);
        return;
    }
    int stretch = narrowed.stretch() == QFont::AnyStretch ? QFont::Unstretched : narrowed.stretch();
    do {
        narrowed.setStretch(--stretch);
    } while (stretch > kNarrowestStretch && QFontMetrics(narrowed).horizontalAdvance(text()) > room.width());

    QPainter painter(this);
    painter.setFont(narrowed);
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), text(), foregroundRole());
}

}  // namespace korvel::mainwindow
