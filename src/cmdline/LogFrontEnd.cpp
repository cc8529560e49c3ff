#include "cmdline/LogFrontEnd.h"

#include "cmdline/RunRecord.h"
#include "cmdline/TerminalReport.h"
#include "link/ForeignText.h"
#include "mainwindow/CompactLog.h"
#include "mainwindow/WindowRun.h"
#include "platform/StopSignals.h"
#include "platform/SystemText.h"

namespace korvel::cmdline {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const int kLongestShownName = 60;
const int kShownHead = 3;
const int kShownTail = 44;

QString fromLocal(const std::string& text)
{
    return platform::qtText(text);
}

}  // namespace

QString ShortenFileName(const QString& shownFileName)
{
    if (shownFileName.size() <= kLongestShownName)
        return shownFileName;
    return shownFileName.left(kShownHead) + QStringLiteral("...") + shownFileName.right(kShownTail);
}

LogFrontEnd::LogFrontEnd(TerminalReport& terminal, mainwindow::CompactLog* window, RunRecord& record)
    : terminal_(terminal)
    , window_(window)
    , record_(record)
{
}

bool LogFrontEnd::stopAsked()
{
    return platform::stopSignalReceived() != 0 || (window_ && window_->run().closeRequested());
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
    log_.clear();
    appendLine(QStringLiteral("Serial line correctly opened."));
    appendLine(QStringLiteral("Please synchronize systems: power on or reset target!"));
}

void LogFrontEnd::versionRead(const std::string& version)
{
    record_.versionRead(version);
    appendLine(QStringLiteral("Contacted target Bootloader Ver. ") + fromLocal(version));
}

void LogFrontEnd::fileOpened(link::FileKind kind, const std::string& path)
{
    record_.fileOpened(kind, path);
    appendLine(QStringLiteral("File ") + ShortenFileName(fromLocal(link::escapedForeign(path))) +
               QStringLiteral(" correctly opened."));
}

void LogFrontEnd::sendingFile(link::FileKind kind)
{
    const QString prefix = kind == link::FileKind::Eeprom ? QStringLiteral("Sending EEPROM file: lines remaining ")
                                                          : QStringLiteral("Sending FLASH file: lines remaining ");
    append(prefix);
    terminal_.startCount(prefix);
    if (window_)
        window_->placeCount(int(log_.count(kLineEnd)), prefix);
}

void LogFrontEnd::showLinesLeft(int linesLeft)
{
    linesLeft_ = linesLeft;
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
}

// The finished line keeps a count of 0 in the log text; the live count moves
// on with the next file.
void LogFrontEnd::betweenFiles()
{
    terminal_.endCount();
    log_ += QStringLiteral("             0 ") + kLineEnd;
    if (window_) {
        window_->setLog(log_);
        window_->hideCount();
    }
}

void LogFrontEnd::message(const link::Message& message)
{
    const QString shown = fromLocal(link::shownText(message));
    terminal_.message(shown, message.kind == link::MessageKind::Success);
    if (window_)
        window_->run().message(message.kind, shown);
}

bool LogFrontEnd::ask(const link::Message& question)
{
    showLinesLeft(linesLeft_);
    if (stopAsked())
        return false;
    const QString shown = fromLocal(link::shownText(question));
    if (!window_)
        return terminal_.ask(shown);
    terminal_.question(shown);
    return window_->run().ask(shown);
}

bool LogFrontEnd::cancelRequested()
{
    return stopAsked();
}

}  // namespace korvel::cmdline
