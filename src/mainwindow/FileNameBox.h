#pragma once

#include <QLineEdit>
#include <QStringList>

namespace korvel::mainwindow {

// A file name box that takes files dropped from a file manager. Dropped text
// and links to anything but local files are refused.
class FileNameBox : public QLineEdit {
    Q_OBJECT

public:
    explicit FileNameBox(QWidget* parent);

signals:
    // The local files of a drop, in the order the drag source gave them.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace korvel::mainwindow
