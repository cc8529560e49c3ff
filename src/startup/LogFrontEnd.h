#pragma once

#include <QString>

#include "link/BootloaderLink.h"
#include "link/FrontEnd.h"

namespace korvel::startup {

class LogWindow;
class TerminalReport;

// A name as the log shows it: one of more than 60 characters becomes its first
// 3 characters, "..." and its last 44; a shorter one stays as it is.
QString ShortenFileName(const QString& ShownFileName);

// True for the texts that tell of a successful download.
bool isSuccessMessage(const QString& text);

// Shows a command-line download as a growing log: on the compact main window
// when there is one, and line by line on the terminal. Its messages and
// questions are boxes on the window, or terminal texts without one. Once the
// user has closed the window the run is asked to stop, and its questions are
// answered No without a box.
class LogFrontEnd final : public link::FrontEnd {
public:
    // `window`: none when the run has no window.
    LogFrontEnd(TerminalReport& terminal, LogWindow* window);

    // The download's counters: a question shows the lines remaining of the
    // moment, since the run may end with it.
    void followCounters(const link::SharedState& counters) { counters_ = &counters; }

    void downloadStarting() override;
    void portOpened() override;
    void synchronising() override {}
    void targetResponded() override {}
    void versionRead(const std::string& version) override;
    void openingFile(link::FileKindCode, const std::string&) override {}
    void fileOpened(link::FileKindCode kind, const std::string& path) override;
    void sendingFile(link::FileKindCode kind) override;
    void showLinesLeft(int linesLeft) override;
    void betweenFiles() override;
    void message(const std::string& text, link::MessageIcon icon) override;
    bool ask(const std::string& question) override;
    void enterIdle() override {}
    void focusFlashBrowse() override {}
    bool cancelRequested() override;

    // The log as it stands: lines ended by CR LF, the last one being written.
    const QString& log() const { return log_; }

private:
    bool windowOpen() const;
    void appendLine(const QString& text);
    void append(const QString& text);

    TerminalReport& terminal_;
    LogWindow* window_;
    const link::SharedState* counters_ = nullptr;
    QString log_;
};

}  // namespace korvel::startup
