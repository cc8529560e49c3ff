#pragma once

#include <QGroupBox>

namespace korvel::mainwindow {

// A frame in the classic look: an etched edge with the caption sitting on its
// top line, so that controls placed near the top keep clear of the edge.
class ClassicFrame : public QGroupBox {
    Q_OBJECT

public:
    ClassicFrame(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvel::mainwindow
