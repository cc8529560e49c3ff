#include <cstdint>
#include <limits>
#include <stdexcept>

#include "link/BootloaderLink.h"
#include "link/TextSearch.h"

namespace korvel::link {

using detail::Contains;
using detail::ContainsAny;

namespace {

// The answers that end the wait for a line.
const char* const kAnswers = "%~#@-";
// The answers that accept a line.
const char* const kAccepted = "~#@";
const float kResendVersion = 1.28f;
const int kMaxSends = 3;
const int kAnswerTicks = 5;
const long long kAnswerSeconds = 3;
const long long kEndOfFileSeconds = 2;

// A file with more lines than the 16-bit line counter holds.
class LineCountOverflow : public std::runtime_error {
public:
    LineCountOverflow() : std::runtime_error("too many lines in the HEX file") {}
};

}  // namespace

DownloadResult BootloaderLink::TransferFiles(const DownloadChoice& choice)
{
    if (shared_.FileKind == EepromFile) {
        if (Step stop = OpenHexFile(EepromFile, choice.eepromPath))
            return *stop;
        seams_.port.write(run_.FlashPending ? "*!" : "*");
        if (Step stop = SendLines())
            return *stop;
        if (!run_.FlashPending)
            return JudgeOutcome();
        run_.file.reset();
        seams_.frontEnd.betweenFiles();
    }
    run_.FlashPending = false;
    shared_.FileKind = FlashFile;
    if (Step stop = OpenHexFile(FlashFile, choice.flashPath))
        return *stop;
    if (Step stop = SendLines())
        return *stop;
    return JudgeOutcome();
}

BootloaderLink::Step BootloaderLink::OpenHexFile(FileKindCode kind, const std::string& path)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    frontEnd.openingFile(kind, path);
    run_.file = seams_.files.open(path);
    if (!run_.file) {
        seams_.TmrSyn.setEnabled(false);
        ClosePort();
        frontEnd.message("Error opening " + path + ".", MessageIcon::Exclamation);
        frontEnd.enterIdle();
        return DownloadResult::OpenError;
    }
    frontEnd.fileOpened(kind, path);
    return std::nullopt;
}

// LinesTotal is the number of lines, empty ones included, minus one.
void BootloaderLink::CountLines()
{
    HexFile& file = *run_.file;
    int lines = 0;
    while (!file.atEnd()) {
        file.readLine();
        if (++lines > std::numeric_limits<std::int16_t>::max())
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
    frontEnd.sendingFile(static_cast<FileKindCode>(shared_.FileKind));
    frontEnd.showLinesLeft(shared_.LinesLeft);
    seams_.TmrShowLine.setEnabled(true);
    while (!run_.file->atEnd()) {
        if (CancelSeen())
            return DownloadResult::Cancelled;
        const std::string HexLine = run_.file->readLine();
        if (!HexLine.empty()) {
            if (Step stop = SendLine(HexLine))
                return *stop;
            --shared_.LinesLeft;
        }
        seams_.events.yieldOnce();
    }
    frontEnd.showLinesLeft(0);
    seams_.TmrShowLine.setEnabled(false);
    seams_.events.yieldOnce();
    WaitForEndOfFile();
    return std::nullopt;
}

// Sends the line (again while a 1.28 or later bootloader reports a checksum
// error or says nothing) and asks the user when it was not accepted.
BootloaderLink::Step BootloaderLink::SendLine(const std::string& HexLine)
{
    std::string& RxBuf = run_.RxBuf;
    const bool resends = !(run_.BootVer < kResendVersion);
    int SendTries = 0;
    while (SendTries < kMaxSends) {
        seams_.port.write(HexLine);
        RxBuf = seams_.port.readAll();
        WaitForAnswer();
        if (Contains(RxBuf, '%') || ContainsAny(RxBuf, kAccepted) || !resends) {
            SendTries = kMaxSends;
        } else {
            ++SendTries;
        }
    }
    const std::string lineNumber = std::to_string(shared_.LinesTotal - shared_.LinesLeft + 1);
    std::string question;
    if (Contains(RxBuf, '-')) {
        question = "Checksum error at line " + lineNumber;
    } else if (Contains(RxBuf, '%')) {
        question = "Error writing to flash at line " + lineNumber;
    } else if (resends && !ContainsAny(RxBuf, kAccepted)) {
        question = "Did not receive a response after sending line " + lineNumber;
    } else {
        return std::nullopt;
    }
    if (!seams_.frontEnd.ask(question + ". Continue with download?")) {
        CloseDown();
        return DownloadResult::Declined;
    }
    RxBuf.clear();
    return std::nullopt;
}

// Below 1.28 the wait lasts five ticks of TmrWaitAnsw at most; from 1.28 on,
// until the whole-second clock has moved on by three. What has arrived is
// judged before yielding, so an answer ends the wait as soon as it is read.
void BootloaderLink::WaitForAnswer()
{
    std::string& RxBuf = run_.RxBuf;
    const bool ticks = run_.BootVer < kResendVersion;
    const long long start = seams_.clock.wholeSeconds();
    if (ticks)
        shared_.AnswTicks = 0;
    const auto waiting = [&] {
        if (ContainsAny(RxBuf, kAnswers) || seams_.frontEnd.cancelRequested())
            return false;
        return ticks ? shared_.AnswTicks < kAnswerTicks : seams_.clock.wholeSeconds() - start < kAnswerSeconds;
    };
    while (waiting()) {
        RxBuf += seams_.port.readAll();
        if (!waiting())
            break;
        seams_.events.yieldWaiting();
    }
}

void BootloaderLink::WaitForEndOfFile()
{
    std::string& RxBuf = run_.RxBuf;
    const long long start = seams_.clock.wholeSeconds();
    const auto waiting = [&] {
        return !Contains(RxBuf, '#') && seams_.clock.wholeSeconds() - start < kEndOfFileSeconds;
    };
    while (waiting()) {
        RxBuf += seams_.port.readAll();
        if (!waiting())
            break;
        seams_.events.yieldWaiting();
    }
}

DownloadResult BootloaderLink::JudgeOutcome()
{
    static const char* const kSuccess[] = {"", "FLASH file successfully downloaded.",
                                           "EEPROM file successfully downloaded.",
                                           "FLASH & EEPROM files successfully downloaded."};
    const std::string& RxBuf = run_.RxBuf;
    DownloadResult result = DownloadResult::EndOfFileError;
    if (Contains(RxBuf, '@')) {
        seams_.frontEnd.message(kSuccess[run_.DownloadKind], MessageIcon::None);
        result = DownloadResult::Success;
    } else if (Contains(RxBuf, '#')) {
        seams_.frontEnd.message("Error while downloading file.", MessageIcon::None);
    } else {
        seams_.frontEnd.message("Error while downloading file: No response from target Bootloader at end of file.",
                                MessageIcon::None);
    }
    CloseDown();
    return result;
}

}  // namespace korvel::link
