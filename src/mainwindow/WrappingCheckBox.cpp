#include "mainwindow/WrappingCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace korvel {

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void WrappingCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // A narrow gap after the box leaves the caption as much width as it can get.
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    const QRect textArea = rect().adjusted(box.right() + 4, 0, 0, 0);

    // The style draws the box; the caption is drawn here, wrapped at blanks.
    QStyleOptionButton boxOnly = option;
    boxOnly.text.clear();
    boxOnly.state &= ~QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_CheckBox, boxOnly);

    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.drawItemText(textArea, flags, option.palette, isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(textArea, flags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrappingCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

}  // namespace korvel
