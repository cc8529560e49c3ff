#include "mainwindow/FileNameBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace korvel::mainwindow {

namespace {

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                paths << url.toLocalFile();
        }
    }
    return paths;
}

// Accepts a drag that carries local files, as a copy: only the names are
// taken, so the source must never take the files for moved and delete them.
bool acceptFiles(QDropEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction) || localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

}  // namespace

FileNameBox::FileNameBox(QWidget* parent) : QLineEdit(parent)
{
    setAcceptDrops(true);
}

void FileNameBox::dragEnterEvent(QDragEnterEvent* event)
{
    acceptFiles(event);
}

void FileNameBox::dragMoveEvent(QDragMoveEvent* event)
{
    acceptFiles(event);
}

void FileNameBox::dropEvent(QDropEvent* event)
{
    if (acceptFiles(event))
        emit filesDropped(localFiles(event->mimeData()));
}

}  // namespace korvel::mainwindow
