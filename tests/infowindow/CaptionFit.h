#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

// Names the controls of `window` whose caption does not fit inside the control
// with the fonts actually in use: the text would be cut off on screen.
inline std::vector<std::string> controlsWithClippedCaptions(const QWidget& window)
{
    std::vector<std::string> clipped;
    const auto report = [&clipped](const QWidget& control) { clipped.push_back(control.objectName().toStdString()); };
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        const QFontMetrics metrics(control->font());
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            if (label->text().isEmpty())
                continue;
            // A single line fits when its ink ends inside the label.
            const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                                : metrics.boundingRect(label->text()).right() < label->width();
            if (!fits)
                report(*label);
        } else if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
            // Box and gap take the first 17 pixels; the caption wraps within the rest.
            const QRect area(0, 0, box->width() - 17, 1000);
            if (metrics.boundingRect(area, Qt::TextWordWrap, box->text()).height() > box->height())
                report(*box);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            QString shown = button->text();
            shown.remove(QLatin1Char('&'));
            // A push button needs a few pixels of its own on either side of the text.
            if (metrics.horizontalAdvance(shown) + 8 > button->width())
                report(*button);
        } else if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
            if (metrics.horizontalAdvance(frame->title()) + 16 > frame->width())
                report(*frame);
        }
    }
    return clipped;
}
