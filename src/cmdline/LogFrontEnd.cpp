#include "cmdline/LogFrontEnd.h"

#include "base/ForeignText.h"
#include "base/Text.h"
#include "cmdline/FileHash.h"
#include "cmdline/RunLog.h"
#include "cmdline/RunRecord.h"
#include "cmdline/TerminalReport.h"
#include "mainwindow/CompactLog.h"
#include "mainwindow/WindowRun.h"
#include "platform/SystemText.h"
#include "system/StopRequests.h"

#include <utility>

namespace korvel::cmdline {

namespace {

const std::string kLineEnd = "\r\n";
const std::size_t kLongestShownName = 60;
const std::size_t kShownHead = 3;
const std::size_t kShownTail = 44;

// The lines the log has completed.
int lineEnds(const std::string& log)
{
    int count = 0;
    for (std::size_t at = log.find(kLineEnd); at != std::string::npos; at = log.find(kLineEnd, at + 1))
        ++count;
    return count;
}

}  // namespace

std::string ShortenFileName(const std::string& shownFileName)
{
    if (utf8Length(shownFileName) <= kLongestShownName)
        return shownFileName;
    return std::string(utf8Head(shownFileName, kShownHead)) + "..." + std::string(utf8Tail(shownFileName, kShownTail));
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

// The window is the one place where the log becomes Qt's text.
void LogFrontEnd::showLog()
{
    if (window_)
        window_->setLog(platform::qtText(log_));
}

void LogFrontEnd::append(const std::string& text)
{
    log_ += text;
    showLog();
}

void LogFrontEnd::appendLine(const std::string& text)
{
    append(text + kLineEnd);
    terminal_.logLine(text);
    runLog_.line(text);
}

// The record holds a file's count line twice: with the lines to send, and
// with the lines left when the file ended.
void LogFrontEnd::recordCount()
{
    if (!countPrefix_.empty())
        runLog_.line(countPrefix_ + std::to_string(linesLeft_));
}

void LogFrontEnd::waitingForPort(const std::string& portLabel, int seconds, const std::string& why)
{
    record_.waitingForPort();
    std::string now = why;
    while (!now.empty() && now.back() == '.')
        now.pop_back();
    const std::string waiting = "Waiting up to " + std::to_string(seconds) + " s for ";
    const std::string line = waiting + portLabel + " to appear and open (now: " + now + ").";
    terminal_.logLine(line);
    runLog_.line(line);
    // The window's log has room for the gist; the first designed line replaces it.
    append(waiting + "the port to appear." + kLineEnd);
}

void LogFrontEnd::downloadStarting()
{
    if (window_) {
        showLog();
        window_->show();
    }
}

void LogFrontEnd::portOpened()
{
    record_.portOpened();
    log_.clear();
    appendLine("Serial line correctly opened.");
    appendLine("Please synchronize systems: power on or reset target!");
}

void LogFrontEnd::versionRead(const std::string& version)
{
    record_.versionRead(version);
    appendLine("Contacted target Bootloader Ver. " + escapedForeign(version));
}

void LogFrontEnd::readingFile(link::FileKind kind, const std::string& path)
{
    record_.fileReading(kind, path);
}

// The record proves what went into the board: the hash of the bytes read.
void LogFrontEnd::fileRead(link::FileKind kind, const std::string& path, std::string_view content, int lines)
{
    record_.fileRead(kind, path, content.size(), lines, sha256Hex(content));
}

void LogFrontEnd::lineSent(int lineNumber)
{
    record_.lineSent(lineNumber);
}

void LogFrontEnd::fileOpened(link::FileKind kind, const std::string& path)
{
    record_.fileOpened(kind, path);
    appendLine("File " + ShortenFileName(escapedForeign(path)) + " correctly opened.");
}

void LogFrontEnd::sendingFile(link::FileKind kind)
{
    const std::string prefix = kind == link::FileKind::Eeprom ? "Sending EEPROM file: lines remaining "
                                                              : "Sending FLASH file: lines remaining ";
    append(prefix);
    terminal_.startCount(prefix);
    countPrefix_ = prefix;
    countRecorded_ = false;
    if (window_)
        window_->placeCount(lineEnds(log_), platform::qtText(prefix));
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

// A file's count line ends, on the terminal and in the log, with the count
// the summary gives: the lines of the file not dealt with (0 after the whole
// file; at a stop, the line in flight and those after it).
void LogFrontEnd::finishCount()
{
    if (countPrefix_.empty())
        return;
    linesLeft_ = record_.remainingOfCurrentFile();
    terminal_.showCount(linesLeft_, record_.seconds());
    terminal_.endCount();
    recordCount();
    countPrefix_.clear();
}

void LogFrontEnd::downloadEnded(link::DownloadResult)
{
    record_.ended();
    finishCount();
}

// The finished line keeps a count of 0 in the log text; the live count moves
// on with the next file.
void LogFrontEnd::betweenFiles()
{
    finishCount();
    log_ += "             0 " + kLineEnd;
    showLog();
    if (window_)
        window_->hideCount();
}

void LogFrontEnd::message(const link::Message& message)
{
    // A message ends the download; the time its box stays open counts for nothing.
    record_.ended();
    finishCount();
    const std::string shown = link::shownText(message);
    terminal_.message(shown, message.kind == link::MessageKind::Success);
    runLog_.line(shown);
    if (window_)
        window_->run().message(message.kind, platform::qtText(shown));
}

// Every question, the file check's too, is answered the same way: in the
// window by its box, on the console by a line of standard input, whether a
// terminal, a pipe or a file. The record keeps the question and its answer.
bool LogFrontEnd::ask(const link::Message& question)
{
    showLinesLeft(linesLeft_);
    const std::string shown = link::shownText(question);
    runLog_.line(shown);
    bool yes = false;
    if (stopAsked()) {
        yes = false;
    } else if (!window_) {
        yes = terminal_.ask(shown);
    } else {
        terminal_.question(shown);
        yes = window_->run().ask(platform::qtText(shown));
    }
    runLog_.line(yes ? "Answer: Yes" : "Answer: No");
    return yes;
}

bool LogFrontEnd::cancelRequested()
{
    return stopAsked();
}

}  // namespace korvel::cmdline
