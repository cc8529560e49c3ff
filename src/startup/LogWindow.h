#pragma once

#include <QString>

namespace korvel::mainwindow {
class FrmMain;
class WindowRun;
}  // namespace korvel::mainwindow

namespace korvel::startup {

// The main window in its compact layout as a command-line run uses it: the log
// in LblCmdLin, the live count in LblLineSent laid over the end of a log line,
// and the run in the window with its message boxes.
class LogWindow {
public:
    explicit LogWindow(mainwindow::FrmMain& window);

    void show();
    void setLog(const QString& log);
    // Puts the count over the end of log line `lineIndex` (from 0), whose text
    // so far is `lineText`, measured in the log's own font. It stays hidden
    // until the first count is shown.
    void placeCount(int lineIndex, const QString& lineText);
    void showCount(int linesLeft);
    void hideCount();

    mainwindow::WindowRun& run();

private:
    mainwindow::FrmMain& window_;
};

}  // namespace korvel::startup
