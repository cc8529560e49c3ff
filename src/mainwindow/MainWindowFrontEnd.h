#pragma once

#include <QString>
#include <string>

#include "link/FrontEnd.h"

namespace korvel {

class FrmMain;

// Shows an interactive download on the main window: its status row, the
// version label, the lines remaining, and message boxes titled with the
// window's caption.
class MainWindowFrontEnd final : public link::FrontEnd {
public:
    explicit MainWindowFrontEnd(FrmMain& window) : window_(window) {}

    void downloadStarting() override;
    void portOpened() override;
    void synchronising() override;
    void targetResponded() override;
    void versionRead(const std::string& version) override;
    void openingFile(link::FileKindCode kind, const std::string& path) override;
    void fileOpened(link::FileKindCode kind, const std::string& path) override;
    void sendingFile(link::FileKindCode kind) override;
    void showLinesLeft(int linesLeft) override;
    void betweenFiles() override;
    void message(const std::string& text, link::MessageIcon icon) override;
    bool ask(const std::string& question) override;
    void enterIdle() override;
    void focusFlashBrowse() override;
    bool cancelRequested() override;

private:
    void showStatus(const QString& text);
    void showVersion(const QString& text);

    FrmMain& window_;
};

}  // namespace korvel
