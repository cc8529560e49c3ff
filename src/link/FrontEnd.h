#pragma once

#include <string>

namespace korvel::link {

enum class MessageIcon { None, Exclamation };

// File kinds as the download numbers them.
enum FileKindCode : int { NoFile = 0, EepromFile = 1, FlashFile = 2 };

// What the download tells its user and asks of it. The main window shows it on
// its status row and message boxes; the command-line run writes it as a log.
// The download calls these in protocol order; a front end ignores what it does
// not show.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // The choices passed their check; the port is about to be set up.
    virtual void downloadStarting() = 0;
    // The port is open.
    virtual void portOpened() = 0;
    // Synchronisation phase 1 begins: the target should now be reset.
    virtual void synchronising() = 0;
    // The target answered phase 1 inside its own window (separate windows only).
    virtual void targetResponded() = 0;
    // The handshake ended; the bootloader version in its display form ("1.28", "0").
    virtual void versionRead(const std::string& version) = 0;
    // A HEX file is about to be opened / has been opened.
    virtual void openingFile(FileKindCode kind, const std::string& path) = 0;
    virtual void fileOpened(FileKindCode kind, const std::string& path) = 0;
    // The file's lines were counted; its lines are about to be sent.
    virtual void sendingFile(FileKindCode kind) = 0;
    // Lines remaining of the file being sent; shows the count.
    virtual void showLinesLeft(int linesLeft) = 0;
    // The EEPROM file is done and the FLASH file follows.
    virtual void betweenFiles() = 0;

    virtual void message(const std::string& text, MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const std::string& question) = 0;

    // Back to the idle arrangement (the download is over).
    virtual void enterIdle() = 0;
    // Keyboard focus to the FLASH browse button.
    virtual void focusFlashBrowse() = 0;
    // The user asked the running download to stop.
    virtual bool cancelRequested() = 0;
};

}  // namespace korvel::link
