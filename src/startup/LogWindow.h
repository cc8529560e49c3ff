#pragma once

#include <QObject>
#include <QString>

#include "link/FrontEnd.h"

namespace korvel {
class FrmMain;
}

namespace korvel::startup {

// The main window in its compact layout as a command-line run uses it: the log
// in LblCmdLin, the live count in LblLineSent laid over the end of a log line,
// and message boxes titled with the window's caption. Closing the window while
// the run is under way does not close it: the run is asked to stop instead.
class LogWindow : public QObject {
public:
    explicit LogWindow(FrmMain& window);

    void show();
    void setLog(const QString& log);
    // Puts the count over the end of log line `lineIndex` (from 0), whose text
    // so far is `lineText`, measured in the log's own font. It stays hidden
    // until the first count is shown.
    void placeCount(int lineIndex, const QString& lineText);
    void showCount(int linesLeft);
    void hideCount();

    void message(const QString& text, link::MessageIcon icon);
    bool ask(const QString& question);

    // The user closed the window during the run.
    bool closeRequested() const { return closeRequested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FrmMain& window_;
    bool closeRequested_ = false;
};

}  // namespace korvel::startup
