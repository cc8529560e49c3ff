#include "mainwindow/WrappingCheckBox.h"

#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace korvel::mainwindow {

namespace {

// A run of several blanks ends the line: it parts a caption's name from the
// words that explain it, which start the next line, as in "FLASH  (application
// code)". The blanks stay at the end of the first line, where they take no room.
QString brokenAtBlankRuns(QString caption)
{
    static const QRegularExpression kBlankRun(QStringLiteral("(  +)"));
    return caption.replace(kBlankRun, QStringLiteral("\\1\n"));
}

}  // namespace

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void WrappingCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // A narrow gap after the box leaves the caption as much width as it can get.
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    const QRect textArea = rect().adjusted(box.right() + 4, 0, 0, 0);

    // The style draws the box; the caption is drawn here, left-aligned and
    // wrapped at blanks.
    QStyleOptionButton boxOnly = option;
    boxOnly.text.clear();
    boxOnly.state &= ~QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_CheckBox, boxOnly);

    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const QString caption = brokenAtBlankRuns(text());
    painter.drawItemText(textArea, flags, option.palette, isEnabled(), caption, QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(textArea, flags, caption).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrappingCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

}  // namespace korvel::mainwindow
