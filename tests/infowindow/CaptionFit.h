#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

// Names the controls of `window` whose caption does not fit inside the control
// with the fonts actually in use: the text would be cut off on screen.
inline std::vector<std::string> controlsWithClippedCaptions(const QWidget& window)
{
    std::vector<std::string> clipped;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        const QFontMetrics metrics(control->font());
        bool fits = true;
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            // A single line fits when its ink ends inside the label.
            fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                     : metrics.boundingRect(label->text()).right() < label->width();
        } else if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
            // Box and gap take the first 17 pixels; the caption wraps within the rest.
            const QRect area(0, 0, box->width() - 17, 1000);
            fits = metrics.boundingRect(area, Qt::TextWordWrap, box->text()).height() <= box->height();
        } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
            // A push button needs a few pixels of its own on either side of the text.
            fits = metrics.horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) + 8 <= button->width();
        }
        if (!fits)
            clipped.push_back(control->objectName().toStdString());
    }
    return clipped;
}
