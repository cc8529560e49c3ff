#include "mainwindow/WindowRun.h"

#include <QEvent>
#include <QWidget>

#include "platform/Messages.h"

namespace korvel::mainwindow {

WindowRun::WindowRun(QWidget& window) : window_(window)
{
    window_.installEventFilter(this);
}

link::DownloadResult WindowRun::run(const std::function<link::DownloadResult()>& download)
{
    running_ = true;
    closeRequested_ = false;
    const link::DownloadResult result = download();
    running_ = false;
    if (closeRequested_)
        window_.close();
    return result;
}

void WindowRun::message(link::MessageKind kind, const QString& text)
{
    platform::showBox(&window_, window_.windowTitle(), kind, text);
}

bool WindowRun::ask(const QString& question)
{
    if (closeRequested_)
        return false;
    return platform::showBox(&window_, window_.windowTitle(), link::MessageKind::Question, question);
}

bool WindowRun::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && event->type() == QEvent::Close && running_) {
        closeRequested_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvel::mainwindow
