#include <cstdint>
#include <limits>
#include <stdexcept>

#include "link/BootloaderLink.h"
#include "link/Protocol.h"
#include "link/TextSearch.h"

namespace korvel::link {

using detail::Contains;
using detail::ContainsAny;

namespace {

static_assert(protocol::kMostLines <= std::numeric_limits<std::int16_t>::max());

// A file with more lines than the 16-bit line counter holds.
class LineCountOverflow : public std::runtime_error {
public:
    LineCountOverflow() : std::runtime_error("too many lines in the HEX file") {}
};

const char* successMessage(DownloadKind kind)
{
    switch (kind) {
    case DownloadKind::Flash:
        return "FLASH file successfully downloaded.";
    case DownloadKind::Eeprom:
        return "EEPROM file successfully downloaded.";
    case DownloadKind::Both:
    case DownloadKind::None:  // a download without files ends before its transfer
        break;
    }
    return "FLASH & EEPROM files successfully downloaded.";
}

}  // namespace

DownloadResult BootloaderLink::TransferFiles(const DownloadChoice& choice)
{
    if (shared_.FileKind == FileKind::Eeprom) {
        if (Step stop = OpenHexFile(choice.eepromPath))
            return *stop;
        seams_.port.write(run_.FlashPending ? protocol::kEepromThenFlash : protocol::kEepromOnly);
        if (Step stop = SendLines())
            return *stop;
        if (!run_.FlashPending)
            return JudgeOutcome();
        run_.file.reset();
        seams_.frontEnd.betweenFiles();
    }
    run_.FlashPending = false;
    shared_.FileKind = FileKind::Flash;
    if (Step stop = OpenHexFile(choice.flashPath))
        return *stop;
    if (Step stop = SendLines())
        return *stop;
    return JudgeOutcome();
}

BootloaderLink::Step BootloaderLink::OpenHexFile(const std::string& path)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    frontEnd.openingFile(shared_.FileKind, path);
    run_.file = seams_.files.open(path);
    if (!run_.file) {
        seams_.TmrSyn.setEnabled(false);
        ClosePort();
        frontEnd.message({MessageKind::Warning, "Error opening " + path + "."});
        frontEnd.downloadEnded(DownloadResult::OpenError);
        return DownloadResult::OpenError;
    }
    frontEnd.fileOpened(shared_.FileKind, path);
    return std::nullopt;
}

// LinesTotal is the number of lines, empty ones included, minus one.
void BootloaderLink::CountLines()
{
    HexFile& file = *run_.file;
    int lines = 0;
    while (!file.atEnd()) {
        file.readLine();
        if (++lines > protocol::kMostLines)
            throw LineCountOverflow();
    }
    shared_.LinesLeft = static_cast<std::int16_t>(lines - 1);
    shared_.LinesTotal = shared_.LinesLeft;
    file.rewind();
}

// Counts the lines, sends the non-empty ones and waits for the end-of-file answer.
BootloaderLink::Step BootloaderLink::SendLines()
{
    FrontEnd& frontEnd = seams_.frontEnd;
    CountLines();
    frontEnd.sendingFile(shared_.FileKind);
    frontEnd.showLinesLeft(shared_.LinesLeft);
    seams_.TmrShowLine.setEnabled(true);
    while (!run_.file->atEnd()) {
        if (CancelSeen())
            return DownloadResult::Cancelled;
        const std::string HexLine = run_.file->readLine();
        if (!HexLine.empty()) {
            LineProgress progress;
            if (Step stop = SendLine(HexLine, progress))
                return *stop;
            --shared_.LinesLeft;
            progress.linesLeft = shared_.LinesLeft;
            frontEnd.lineDone(progress);
        }
        seams_.events.yieldOnce();
    }
    frontEnd.showLinesLeft(0);
    seams_.TmrShowLine.setEnabled(false);
    seams_.events.yieldOnce();
    WaitForEndOfFile();
    return std::nullopt;
}

// Sends the line (again while a bootloader that resends reports a checksum
// error or says nothing) and asks the user when it was not accepted.
BootloaderLink::Step BootloaderLink::SendLine(const std::string& hexLine, LineProgress& progress)
{
    const bool resends = !(run_.BootVer < protocol::kResendVersion);
    progress.lineNumber = shared_.LinesTotal - shared_.LinesLeft + 1;
    progress.bytes = hexLine.size();
    int SendTries = 0;
    while (SendTries < protocol::kMostSends) {
        // What is waiting now answers an earlier send, late (the program was
        // stopped or starved past that send's wait); it must not count for this one.
        seams_.port.readAll();
        seams_.port.write(hexLine);
        ++progress.sends;
        run_.RxBuf = seams_.port.readAll();
        WaitForAnswer();
        if (Contains(run_.RxBuf, protocol::kWriteError) || ContainsAny(run_.RxBuf, protocol::kAcceptedAnswers) ||
            !resends) {
            SendTries = protocol::kMostSends;
        } else {
            ++SendTries;
        }
    }
    const std::string lineNumber = std::to_string(progress.lineNumber);
    std::string question;
    if (Contains(run_.RxBuf, protocol::kChecksumError)) {
        question = "Checksum error at line " + lineNumber;
    } else if (Contains(run_.RxBuf, protocol::kWriteError)) {
        question = "Error writing to flash at line " + lineNumber;
    } else if (resends && !ContainsAny(run_.RxBuf, protocol::kAcceptedAnswers)) {
        question = "Did not receive a response after sending line " + lineNumber;
    } else {
        return std::nullopt;
    }
    if (!seams_.frontEnd.ask({MessageKind::Question, question + ". Continue with download?"}))
        return CloseDown(DownloadResult::Declined);
    progress.skipped = true;
    run_.RxBuf.clear();
    return std::nullopt;
}

// Below the resend version the wait lasts a few ticks of TmrWaitAnsw at most;
// from it on, until the whole-second clock has moved on by a few seconds.
// What has arrived is judged before yielding, so an answer ends the wait as
// soon as it is read.
void BootloaderLink::WaitForAnswer()
{
    const bool ticks = run_.BootVer < protocol::kResendVersion;
    const long long start = seams_.clock.wholeSeconds();
    if (ticks)
        shared_.AnswTicks = 0;
    const auto waiting = [&] {
        if (ContainsAny(run_.RxBuf, protocol::kAnswers) || seams_.frontEnd.cancelRequested())
            return false;
        return ticks ? shared_.AnswTicks < protocol::kAnswerTicks
                     : seams_.clock.wholeSeconds() - start < protocol::kAnswerSeconds;
    };
    while (waiting()) {
        run_.RxBuf += seams_.port.readAll();
        if (!waiting())
            break;
        seams_.events.yieldWaiting();
    }
}

void BootloaderLink::WaitForEndOfFile()
{
    const long long start = seams_.clock.wholeSeconds();
    const auto waiting = [&] {
        return !Contains(run_.RxBuf, protocol::kFileEnded) &&
               seams_.clock.wholeSeconds() - start < protocol::kEndOfFileSeconds;
    };
    while (waiting()) {
        run_.RxBuf += seams_.port.readAll();
        if (!waiting())
            break;
        seams_.events.yieldWaiting();
    }
}

DownloadResult BootloaderLink::JudgeOutcome()
{
    FrontEnd& frontEnd = seams_.frontEnd;
    if (Contains(run_.RxBuf, protocol::kDownloadDone)) {
        frontEnd.message({MessageKind::Success, successMessage(run_.DownloadKind)});
        return CloseDown(DownloadResult::Success);
    }
    if (Contains(run_.RxBuf, protocol::kFileEnded)) {
        frontEnd.message({MessageKind::Information, "Error while downloading file."});
    } else {
        frontEnd.message({MessageKind::Information,
                          "Error while downloading file: No response from target Bootloader at end of file."});
    }
    return CloseDown(DownloadResult::EndOfFileError);
}

}  // namespace korvel::link
