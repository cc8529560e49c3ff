#pragma once

#include <QCheckBox>

namespace korvel::mainwindow {

// A check box whose caption wraps onto further lines within its width, so a
// long caption in a narrow, tall box stays readable. A run of several blanks
// in the caption starts a new line.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT

public:
    WrappingCheckBox(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

}  // namespace korvel::mainwindow
