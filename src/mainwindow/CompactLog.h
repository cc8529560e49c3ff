#pragma once

#include <QFont>
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
    // Shows the log; its fixed-pitch face is narrowed as far as its longest
    // line needs to fit the label's width whole.
    void setLog(const QString& log);
    // Puts the count over the end of log line `lineIndex` (from 0), whose text
    // so far is `lineText`, measured in the log's own font. It stays hidden
    // until the first count is shown.
    void placeCount(int lineIndex, const QString& lineText);
    void showCount(int linesLeft);
    void hideCount();

    WindowRun& run() { return run_; }

private:
    void positionCount();

    QWidget& window_;
    QLabel& log_;
    QLabel& count_;
    WindowRun& run_;
    QFont face_;          // the log's face as the window laid it out
    int countLine_ = -1;  // the log line the count stands on; -1: not placed
    QString countAfter_;  // that line's text before the count
};

}  // namespace korvel::mainwindow
