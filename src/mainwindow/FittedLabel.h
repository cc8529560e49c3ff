#pragma once

#include <QLabel>

namespace korvel::mainwindow {

// A one-line label that keeps its text inside its contents rectangle: a text
// too long for it is drawn narrower, never past the margins.
class FittedLabel : public QLabel {
    Q_OBJECT

public:
    FittedLabel(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvel::mainwindow
