#include "cmdline/LogFrontEnd.h"

#include "cmdline/RunLog.h"
#include "cmdline/RunRecord.h"
#include "cmdline/TerminalReport.h"
#include "link/ForeignText.h"
#include "mainwindow/CompactLog.h"
#include "mainwindow/WindowRun.h"
#include "platform/SystemText.h"
#include "system/StopRequests.h"

#include <utility>

namespace korvel::cmdline {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const int kLongestShownName = 60;
const int kShownHead = 3;
const int kShownTail = 44;

}  // namespace

QString ShortenFileName(const QString& shownFileName)
{
    if (shownFileName.size() <= kLongestShownName)
        return shownFileName;
    return shownFileName.left(kShownHead) + QStringLiteral("...") + shownFileName.right(kShownTail);
}

LogFrontEnd::LogFrontEnd(TerminalReport& terminal, mainwindow::CompactLog* window, RunRecord& record, RunLog& runLog)
    : terminal_(terminal)
    , window_(window)
    , record_(record)
    , runLog_(runLog)
{
}

bool LogFrontEnd::stopAsked()
{
    return system::stopRequested() != system::StopRequest::None || (window_ && window_->run().closeRequested());
}

void LogFrontEnd::append(const QString& text)
{
    log_ += text;
    if (window_)
        window_->setLog(log_);
}

void LogFrontEnd::appendLine(const QString& text)
{
    append(text + kLineEnd);
    terminal_.logLine(text);
    runLog_.line(text);
}

// The record holds a file's count line twice: with the lines to send, and
// with the lines left when the file ended.
void LogFrontEnd::recordCount()
{
    if (!countPrefix_.isEmpty())
        runLog_.line(countPrefix_ + QString::number(linesLeft_));
}

void LogFrontEnd::waitingForPort(const std::string& portLabel, int seconds, const std::string& why)
{
    QString now = platform::qtText(why);
    while (now.endsWith(QLatin1Char('.')))
        now.chop(1);
    const QString waiting = QStringLiteral("Waiting up to ") + QString::number(seconds) + QStringLiteral(" s for ");
    const QString line = waiting + platform::qtText(portLabel) + QStringLiteral(" to appear and open (now: ") + now +
                         QStringLiteral(").");
    terminal_.logLine(line);
    runLog_.line(line);
    // The window's log has room for the gist; the first designed line replaces it.
    append(waiting + QStringLiteral("the port to appear.") + kLineEnd);
}

void LogFrontEnd::downloadStarting()
{
    if (window_) {
        window_->setLog(log_);
        window_->show();
    }
}

void LogFrontEnd::portOpened()
{
    record_.portOpened();
    log_.clear();
    appendLine(QStringLiteral("Serial line correctly opened."));
    appendLine(QStringLiteral("Please synchronize systems: power on or reset target!"));
}

void LogFrontEnd::versionRead(const std::string& version)
{
    record_.versionRead(version);
    appendLine(QStringLiteral("Contacted target Bootloader Ver. ") + platform::qtText(version));
}

void LogFrontEnd::readingFile(const std::string& path)
{
    record_.fileReading(path);
}

void LogFrontEnd::filesRead()
{
    record_.filesRead();
}

void LogFrontEnd::fileOpened(link::FileKind kind, const std::string& path)
{
    record_.fileOpened(kind, path);
    appendLine(QStringLiteral("File ") + ShortenFileName(platform::qtText(link::escapedForeign(path))) +
               QStringLiteral(" correctly opened."));
}

void LogFrontEnd::sendingFile(link::FileKind kind)
{
    const QString prefix = kind == link::FileKind::Eeprom ? QStringLiteral("Sending EEPROM file: lines remaining ")
                                                          : QStringLiteral("Sending FLASH file: lines remaining ");
    append(prefix);
    terminal_.startCount(prefix);
    countPrefix_ = prefix;
    countRecorded_ = false;
    if (window_)
        window_->placeCount(int(log_.count(kLineEnd)), prefix);
}

void LogFrontEnd::showLinesLeft(int linesLeft)
{
    linesLeft_ = linesLeft;
    if (!std::exchange(countRecorded_, true))
        recordCount();
    terminal_.showCount(linesLeft, record_.seconds());
    if (window_)
        window_->showCount(linesLeft);
}

void LogFrontEnd::lineDone(const link::LineProgress& progress)
{
    linesLeft_ = progress.linesLeft;
    record_.lineDone(progress);
}

void LogFrontEnd::lineSkippedLate(link::FileKind kind, int /*lineNumber*/)
{
    record_.lineSkippedLate(kind);
}

// A stopped file's count line ends with the lines that were really left.
void LogFrontEnd::downloadEnded(link::DownloadResult)
{
    terminal_.showCount(linesLeft_, record_.seconds());
    recordCount();
    countPrefix_.clear();
}

// The finished line keeps a count of 0 in the log text; the live count moves
// on with the next file.
void LogFrontEnd::betweenFiles()
{
    terminal_.endCount();
    recordCount();
    countPrefix_.clear();
    log_ += QStringLiteral("             0 ") + kLineEnd;
    if (window_) {
        window_->setLog(log_);
        window_->hideCount();
    }
}

void LogFrontEnd::message(const link::Message& message)
{
    const QString shown = platform::qtText(link::shownText(message));
    terminal_.message(shown, message.kind == link::MessageKind::Success);
    // A message ends the run: the count line it ends comes first.
    recordCount();
    countPrefix_.clear();
    runLog_.line(shown);
    if (window_)
        window_->run().message(message.kind, shown);
}

// Every question, the file check's too, is answered the same way: in the
// window by its box, on the console by a line of standard input, whether a
// terminal, a pipe or a file. The record keeps the question and its answer.
bool LogFrontEnd::ask(const link::Message& question)
{
    showLinesLeft(linesLeft_);
    const QString shown = platform::qtText(link::shownText(question));
    runLog_.line(shown);
    bool yes = false;
    if (stopAsked()) {
        yes = false;
    } else if (!window_) {
        yes = terminal_.ask(shown);
    } else {
        terminal_.question(shown);
        yes = window_->run().ask(shown);
    }
    runLog_.line(yes ? QStringLiteral("Answer: Yes") : QStringLiteral("Answer: No"));
    return yes;
}

bool LogFrontEnd::cancelRequested()
{
    return stopAsked();
}

}  // namespace korvel::cmdline
