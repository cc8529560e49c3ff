#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel::link {

// The file being sent or next to be sent.
enum class FileKind { None = 0, Eeprom = 1, Flash = 2 };
// The files chosen for a download; it selects the success message.
enum class DownloadKind { None = 0, Flash = 1, Eeprom = 2, Both = 3 };

// How a download ended.
enum class DownloadResult {
    Success,         // one of the three success messages
    NotValid,        // a file path missing: nothing was opened
    PortError,       // the port could not be set up or opened
    NoResponse,      // no "$" or no "?" in time
    NothingChosen,   // handshake done, no file chosen
    OpenError,       // a HEX file could not be read whole (missing, unreadable, too large or too long)
    TransferError,   // a port error, answers out of step, or late answers that leave a line in doubt
    Declined,        // a question answered No
    Cancelled,       // stopped at a cancellation point
    EndOfFileError,  // no "@" after the last file
};

// What a message tells: a box shows a warning with the exclamation icon,
// information and success without an icon, and a question with Yes and No.
enum class MessageKind { Information, Warning, Success, Question };

struct Message {
    MessageKind kind;
    std::string text;         // the message as the download words it
    std::string detail = {};  // facts beyond it, shown on a line of their own; empty: none
};

// The message as shown: its text, then its detail on a second line.
inline std::string shownText(const Message& message)
{
    return message.detail.empty() ? message.text : message.text + "\n" + message.detail;
}

// Where the transfer stands after a non-empty line has been dealt with.
struct LineProgress {
    int linesLeft = 0;      // lines remaining of the file
    int lineNumber = 0;     // the line just dealt with, numbered as the questions number it
    std::size_t bytes = 0;  // its length, as each send put it on the line
    int sends = 0;          // how often it was sent
    bool skipped = false;   // not accepted, and the user chose to go on without it
};

// What the download tells its user and asks of it. The main window shows it on
// its status row and in message boxes; the command-line run writes it as a
// log. The download calls these in protocol order; every notification does
// nothing unless a front end shows it.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // The choices passed their check; the port is about to be set up.
    virtual void downloadStarting() {}
    // The download waits up to `seconds` for the port to become openable;
    // `why` says why it cannot be opened now.
    virtual void waitingForPort(const std::string& /*portLabel*/, int /*seconds*/, const std::string& /*why*/) {}
    // The port is open.
    virtual void portOpened() {}
    // Synchronisation phase 1 begins: the target should now be reset.
    virtual void synchronising() {}
    // The target answered phase 1 inside its own window (separate windows only).
    virtual void targetResponded() {}
    // The handshake ended; the bootloader version in its display form ("1.28", "0").
    virtual void versionRead(const std::string& /*version*/) {}
    // A chosen file is being read whole, before the port is opened (a pipe's
    // writer may keep it waiting); then it has been read: its bytes, and its
    // non-empty lines, which the download sends unless it stops first.
    virtual void readingFile(FileKind /*kind*/, const std::string& /*path*/) {}
    virtual void fileRead(FileKind /*kind*/, const std::string& /*path*/, std::string_view /*content*/, int /*lines*/)
    {
    }
    // A HEX file is about to be opened / has been opened: its transfer begins.
    // (Every chosen file was read and checked before the port was opened.)
    virtual void openingFile(FileKind /*kind*/, const std::string& /*path*/) {}
    virtual void fileOpened(FileKind /*kind*/, const std::string& /*path*/) {}
    // The file's lines were counted; its lines are about to be sent.
    virtual void sendingFile(FileKind /*kind*/) {}
    // Lines remaining of the file being sent, to be shown now: when its lines
    // are counted, once a second while they are sent, and 0 at its end.
    virtual void showLinesLeft(int /*linesLeft*/) {}
    // A non-empty line has gone to the port for the first time.
    virtual void lineSent(int /*lineNumber*/) {}
    // A non-empty line has been dealt with (accepted, or the user went on).
    virtual void lineDone(const LineProgress& /*progress*/) {}
    // A line dealt with before was refused by an answer that came late, and
    // the user chose to go on without it.
    virtual void lineSkippedLate(FileKind /*kind*/, int /*lineNumber*/) {}
    // The EEPROM file is done and the FLASH file follows.
    virtual void betweenFiles() {}
    // The download is over, its port closed if it was opened. Comes after the
    // download's last message, except when no file was chosen: then the
    // message follows.
    virtual void downloadEnded(DownloadResult /*result*/) {}

    // A message with an OK button.
    virtual void message(const Message& /*message*/) {}
    // A question (MessageKind::Question) with Yes and No; true for Yes.
    virtual bool ask(const Message& question) = 0;
    // The user asked the running download to stop.
    virtual bool cancelRequested() { return false; }
};

}  // namespace korvel::link
