#pragma once

#include <QString>
#include <string>

#include "link/FrontEnd.h"

namespace korvel::mainwindow {

class FrmMain;

// Shows an interactive download on the main window: its status row, the
// version label, the lines remaining, and message boxes titled with the
// window's caption. The window is busy from the start of the download to its
// end.
class MainWindowFrontEnd final : public link::FrontEnd {
public:
    explicit MainWindowFrontEnd(FrmMain& window) : window_(window) {}

    void downloadStarting() override;
    void portOpened() override;
    void synchronising() override;
    void targetResponded() override;
    void versionRead(const std::string& version) override;
    void openingFile(link::FileKind kind, const std::string& path) override;
    void sendingFile(link::FileKind kind) override;
    void showLinesLeft(int linesLeft) override;
    void downloadEnded(link::DownloadResult result) override;
    void message(const link::Message& message) override;
    bool ask(const link::Message& question) override;
    bool cancelRequested() override;

private:
    void showStatus(const QString& text);
    void showVersion(const QString& text);

    FrmMain& window_;
};

}  // namespace korvel::mainwindow
