#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace korvel::mainwindow {

class WindowRun;

// The main window's compact arrangement as a command-line run uses it: the
// log in LblCmdLin, the live count in LblLineSent laid over the end of a log
// line, and the run in the window with its message boxes. FrmMain owns it;
// nothing outside the window touches its labels.
class CompactLog {
public:
    CompactLog(QWidget& window, QLabel& log, QLabel& count, WindowRun& run);

    void show();
    void setLog(const QString& log);
    // Puts the count over the end of log line `lineIndex` (from 0), whose text
    // so far is `lineText`, measured in the log's own font. It stays hidden
    // until the first count is shown.
    void placeCount(int lineIndex, const QString& lineText);
    void showCount(int linesLeft);
    void hideCount();

    WindowRun& run() { return run_; }

private:
    QWidget& window_;
    QLabel& log_;
    QLabel& count_;
    WindowRun& run_;
};

}  // namespace korvel::mainwindow
