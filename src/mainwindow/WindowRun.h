#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "link/FrontEnd.h"

class QWidget;

namespace korvel::mainwindow {

// A download running in a window, the same for the main window and for its
// compact layout in a command-line run: message boxes titled with the
// window's caption, and closing the window while the download runs. Closing
// then leaves the window open: the download is asked to stop, its questions
// are answered No without a box, and the window closes once the download has
// wound up.
class WindowRun : public QObject {
public:
    explicit WindowRun(QWidget& window);

    // Runs the download from start to end.
    link::DownloadResult run(const std::function<link::DownloadResult()>& download);
    bool isRunning() const { return running_; }
    // The user closed the window during the download.
    bool closeRequested() const { return closeRequested_; }

    // A message box with an OK button.
    void message(link::MessageKind kind, const QString& text);
    // A Yes/No question; true for Yes.
    bool ask(const QString& question);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    bool running_ = false;
    bool closeRequested_ = false;
};

}  // namespace korvel::mainwindow
