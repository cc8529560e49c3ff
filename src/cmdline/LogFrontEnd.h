#pragma once

#include <string>

#include "link/FrontEnd.h"

namespace korvel::mainwindow {
class CompactLog;
}  // namespace korvel::mainwindow

namespace korvel::cmdline {

class RunLog;
class RunRecord;
class TerminalReport;

// A name as the log shows it (UTF-8): one of more than 60 characters becomes
// its first 3 characters, "..." and its last 44; a shorter one stays as it is.
std::string ShortenFileName(const std::string& shownFileName);

// Shows a command-line download as a growing log: on the compact main window
// when there is one, and line by line on the terminal. Its messages and
// questions are boxes on the window, or terminal texts without one; a success
// goes to the standard output, every other message to the error output. Once
// the user has closed the window, or a stop signal has come, the run is asked
// to stop and its questions are answered No. What the run did goes into its
// record.
class LogFrontEnd final : public link::FrontEnd {
public:
    // `window`: none when the run has no window. `runLog` receives every
    // line, message, question and answer.
    LogFrontEnd(TerminalReport& terminal, mainwindow::CompactLog* window, RunRecord& record, RunLog& runLog);

    void downloadStarting() override;
    void waitingForPort(const std::string& portLabel, int seconds, const std::string& why) override;
    void portOpened() override;
    void versionRead(const std::string& version) override;
    void readingFile(link::FileKind kind, const std::string& path) override;
    void fileRead(link::FileKind kind, const std::string& path, std::string_view content, int lines) override;
    void fileOpened(link::FileKind kind, const std::string& path) override;
    void sendingFile(link::FileKind kind) override;
    void showLinesLeft(int linesLeft) override;
    void lineSent(int lineNumber) override;
    void lineDone(const link::LineProgress& progress) override;
    void lineSkippedLate(link::FileKind kind, int lineNumber) override;
    void betweenFiles() override;
    void downloadEnded(link::DownloadResult result) override;
    void message(const link::Message& message) override;
    // Shows the lines remaining of the moment first, since the run may end with it.
    bool ask(const link::Message& question) override;
    bool cancelRequested() override;

    // The log as it stands: lines ended by CR LF, the last one being written.
    const std::string& log() const { return log_; }

private:
    bool stopAsked();
    void recordCount();
    void finishCount();
    void appendLine(const std::string& text);
    void append(const std::string& text);
    void showLog();

    TerminalReport& terminal_;
    mainwindow::CompactLog* window_;
    RunRecord& record_;
    RunLog& runLog_;
    std::string log_;
    int linesLeft_ = 0;
    std::string countPrefix_;  // of the file being sent; empty: none
    bool countRecorded_ = false;
};

}  // namespace korvel::cmdline
