#include <algorithm>
#include <cstdint>
#include <limits>

#include "link/BootloaderLink.h"
#include "link/ForeignText.h"
#include "link/Protocol.h"
#include "link/Text.h"

namespace korvel::link {

namespace {

static_assert(protocol::kMostLines <= std::numeric_limits<std::int16_t>::max());

// What kept the file at `path` from being read whole, and what to do.
std::string unreadDetail(const std::string& path, const FileError& error)
{
    const std::string shown = escapedForeign(path);
    switch (error.cause()) {
    case FileError::Cause::TooLarge:
        return shown + " is larger than " + std::to_string(protocol::kMostHexFileBytes >> 20) +
               " MiB, far larger than a HEX file for the target. Check that it is the right file.";
    case FileError::Cause::TooSlow:
        return shown + " did not come to its end within " + std::to_string(protocol::kHexReadSeconds) +
               " s: no program wrote it to its end. Start the program that writes it before the download.";
    case FileError::Cause::ReadFailed:
        break;
    }
    return shown + " could not be read: " + error.what() + ".";
}

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

std::optional<std::vector<std::string>> splitHexLines(std::string_view text, std::size_t most)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        if (lines.size() == most)
            return std::nullopt;
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

DownloadResult BootloaderLink::transferFiles(const DownloadChoice& choice)
{
    std::string text;
    if (shared_.FileKind == FileKind::Eeprom) {
        if (Step stop = openHexFile(choice.eepromPath, text))
            return *stop;
        seams_.port.write(run_.FlashPending ? protocol::kEepromThenFlash : protocol::kEepromOnly);
        if (Step stop = sendLines(choice.eepromPath, text))
            return *stop;
        if (!run_.FlashPending)
            return judgeOutcome();
        seams_.frontEnd.betweenFiles();
    }
    run_.FlashPending = false;
    shared_.FileKind = FileKind::Flash;
    if (Step stop = openHexFile(choice.flashPath, text))
        return *stop;
    if (Step stop = sendLines(choice.flashPath, text))
        return *stop;
    return judgeOutcome();
}

// Reads the file whole: the lines sent are then the lines counted, whatever
// happens to the file meanwhile, and a pipe can be read at all.
BootloaderLink::Step BootloaderLink::openHexFile(const std::string& path, std::string& text)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    frontEnd.openingFile(shared_.FileKind, path);
    try {
        text = seams_.files.read(path);
    } catch (const FileOpenError& error) {
        seams_.TmrSyn.setEnabled(false);
        ClosePort();
        // A relative path is named as the system resolved it, too.
        const std::string where = error.absolutePath() == path ? "" : escapedForeign(error.absolutePath()) + ": ";
        frontEnd.message(
            {MessageKind::Warning, "Error opening " + escapedForeign(path) + ".", where + error.what() + "."});
        frontEnd.downloadEnded(DownloadResult::OpenError);
        return DownloadResult::OpenError;
    } catch (const FileError& error) {
        return failDownload(unreadDetail(path, error));
    }
    frontEnd.fileOpened(shared_.FileKind, path);
    return std::nullopt;
}

// Counts the lines (LinesTotal is their number, empty ones included, minus
// one), sends the non-empty ones and waits for the end-of-file answer.
BootloaderLink::Step BootloaderLink::sendLines(const std::string& path, const std::string& text)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    const auto lines = splitHexLines(text, protocol::kMostLines);
    if (!lines) {
        return failDownload(escapedForeign(path) + " has more than " + std::to_string(protocol::kMostLines) +
                            " lines, more than the line counter holds. Write it with longer records.");
    }
    // What came after the handshake's answer answers no line.
    if (run_.linesSent == 0)
        seams_.port.discardInput();
    const auto lastLine = std::find_if(lines->rbegin(), lines->rend(), [](const auto& line) { return !line.empty(); });
    shared_.LinesLeft = static_cast<std::int16_t>(static_cast<int>(lines->size()) - 1);
    shared_.LinesTotal = shared_.LinesLeft;
    frontEnd.sendingFile(shared_.FileKind);
    frontEnd.showLinesLeft(shared_.LinesLeft);
    seams_.TmrShowLine.setEnabled(true);
    for (const std::string& HexLine : *lines) {
        if (cancelSeen())
            return DownloadResult::Cancelled;
        // Events run once a line: while its answer was awaited, or now.
        bool eventsRan = false;
        if (!HexLine.empty()) {
            LineProgress progress;
            if (Step stop = sendLine(HexLine, &HexLine == &*lastLine, progress, eventsRan))
                return *stop;
            --shared_.LinesLeft;
            progress.linesLeft = shared_.LinesLeft;
            frontEnd.lineDone(progress);
        }
        if (!eventsRan)
            seams_.events.yieldOnce();
    }
    frontEnd.showLinesLeft(0);
    seams_.TmrShowLine.setEnabled(false);
    seams_.events.yieldOnce();
    waitForEndOfFile();
    return settleAnswers(run_.linesSent + 1);
}

// Sends the line (again while a bootloader that resends reports a checksum
// error or says nothing) and asks the user when it was not accepted. The
// line is judged by the answers credited to it in each wait; answers that
// came meanwhile for earlier lines are judged before it.
BootloaderLink::Step BootloaderLink::sendLine(const std::string& hexLine, bool lastOfFile, LineProgress& progress,
                                              bool& eventsRan)
{
    const bool resends = !(run_.BootVer < protocol::kResendVersion);
    progress.lineNumber = shared_.LinesTotal - shared_.LinesLeft + 1;
    progress.bytes = hexLine.size();
    const LineRef line{run_.linesSent + 1, shared_.FileKind, progress.lineNumber};
    // What came while no line awaited an answer: late answers, or the target
    // running ahead of the lines.
    receive();
    if (Step stop = settleAnswers(line.serial))
        return stop;
    run_.linesSent = line.serial;
    std::string answers;
    int SendTries = 0;
    while (SendTries < protocol::kMostSends) {
        seams_.port.write(hexLine);
        run_.answers.sent(line, lastOfFile);
        ++progress.sends;
        run_.RxBuf.clear();
        receive();
        eventsRan = waitForAnswer(line) || eventsRan;
        answers = run_.answers.takeAnswers(line.serial);
        if (Step stop = settleAnswers(line.serial))
            return stop;
        if (contains(answers, protocol::kWriteError) || containsAny(answers, protocol::kAcceptedAnswers) || !resends) {
            SendTries = protocol::kMostSends;
        } else {
            ++SendTries;
        }
    }
    if (resends && !containsAny(answers, protocol::kAnswers))
        answers = std::string(1, '\0');  // no answer after the last send: asked about as such
    if (Step stop = askAboutLine(answers, line, false))
        return stop;
    progress.skipped = run_.skippedLines.count({line.file, line.number}) > 0;
    return std::nullopt;
}

// Asks whether to go on when the answers refuse the line ("\0": none came
// after its last send). Yes skips the line, No ends the download. A late
// answer says so on the question's second line.
BootloaderLink::Step BootloaderLink::askAboutLine(const std::string& answers, const LineRef& line, bool late)
{
    const std::string lineNumber = std::to_string(line.number);
    std::string question;
    if (contains(answers, protocol::kChecksumError)) {
        question = "Checksum error at line " + lineNumber;
    } else if (contains(answers, protocol::kWriteError)) {
        question = "Error writing to flash at line " + lineNumber;
    } else if (contains(answers, '\0')) {
        question = "Did not receive a response after sending line " + lineNumber;
    } else {
        return std::nullopt;
    }
    std::string detail;
    if (late) {
        detail = std::string("The target's answer \"") + answers + "\" to line " + lineNumber + " of the " +
                 (line.file == FileKind::Eeprom ? "EEPROM" : "FLASH") +
                 " file came after its wait had ended; the line counts as not written.";
    }
    if (!seams_.frontEnd.ask({MessageKind::Question, question + ". Continue with download?", detail}))
        return closeDown(DownloadResult::Declined);
    // A line left unanswered by all its sends: what came while the question
    // was open still counts for it, later answers no longer do.
    if (contains(answers, '\0')) {
        receive();
        run_.answers.writeOff(line.serial);
    }
    const bool firstSkip = run_.skippedLines.insert({line.file, line.number}).second;
    if (late && firstSkip)
        seams_.frontEnd.lineSkippedLate(line.file, line.number);
    run_.RxBuf.clear();
    return std::nullopt;
}

// Reads what has arrived into RxBuf and, once a line has gone out, credits
// its answers to their lines.
void BootloaderLink::receive()
{
    const std::string received = seams_.port.readAll();
    run_.RxBuf += received;
    if (run_.linesSent > 0)
        run_.answers.take(received);
}

// Judges the answers credited to lines sent before the line `nextSerial`,
// and stops a download whose target answered more often than it was asked.
BootloaderLink::Step BootloaderLink::settleAnswers(int nextSerial)
{
    const AnswerLedger& ledger = run_.answers;
    if (ledger.outOfStep()) {
        return failDownload("The target answered out of step: " + std::to_string(ledger.answers()) +
                            " answers came to " + std::to_string(ledger.sends()) +
                            " lines sent, so its answers no longer tell which line they belong to. Check that no "
                            "other program writes to the port and that the bootloader answers each line once.");
    }
    for (const CreditedAnswer& late : run_.answers.takeEarlier(nextSerial)) {
        if (Step stop = askAboutLine(std::string(1, late.answer), late.line, true))
            return stop;
    }
    return std::nullopt;
}

// Below the resend version the wait lasts a few ticks of TmrWaitAnsw at most;
// from it on, until the whole-second clock has moved on by a few seconds.
// What has arrived is judged before yielding, so an answer ends the wait as
// soon as it is read.
bool BootloaderLink::waitForAnswer(const LineRef& line)
{
    bool eventsRan = false;
    const bool ticks = run_.BootVer < protocol::kResendVersion;
    const long long start = seams_.clock.wholeSeconds();
    if (ticks)
        shared_.AnswTicks = 0;
    const auto waiting = [&] {
        if (run_.answers.answered(line.serial) || run_.answers.outOfStep() || seams_.frontEnd.cancelRequested())
            return false;
        return ticks ? shared_.AnswTicks < protocol::kAnswerTicks
                     : seams_.clock.wholeSeconds() - start < protocol::kAnswerSeconds;
    };
    // The send has just read what was waiting: each pass yields first, and
    // reads only while the wait still runs.
    while (waiting()) {
        seams_.events.yieldWaiting();
        eventsRan = true;
        if (waiting())
            receive();
    }
    // Answers came in the whole wait, all owed by earlier sends: this send
    // was not answered, and a later answer is not its own.
    if (!run_.answers.answered(line.serial) && run_.answers.answeredEarlier(line.serial) &&
        !seams_.frontEnd.cancelRequested())
        run_.answers.writeOffNewest();
    return eventsRan;
}

void BootloaderLink::waitForEndOfFile()
{
    const long long start = seams_.clock.wholeSeconds();
    const auto waiting = [&] {
        return !contains(run_.RxBuf, protocol::kFileEnded) &&
               seams_.clock.wholeSeconds() - start < protocol::kEndOfFileSeconds;
    };
    while (waiting()) {
        receive();
        if (!waiting())
            break;
        seams_.events.yieldWaiting();
    }
}

DownloadResult BootloaderLink::judgeOutcome()
{
    // The target ends the last file with "#" and the download with "@",
    // perhaps a moment apart.
    if (contains(run_.RxBuf, protocol::kFileEnded))
        takeRestOfAnswer(protocol::kDownloadDone);
    if (Step stop = settleAnswers(run_.linesSent + 1))
        return *stop;
    FrontEnd& frontEnd = seams_.frontEnd;
    if (contains(run_.RxBuf, protocol::kDownloadDone)) {
        frontEnd.message({MessageKind::Success, successMessage(run_.DownloadKind)});
        return closeDown(DownloadResult::Success);
    }
    if (contains(run_.RxBuf, protocol::kFileEnded)) {
        frontEnd.message({MessageKind::Information, "Error while downloading file."});
    } else {
        frontEnd.message({MessageKind::Information,
                          "Error while downloading file: No response from target Bootloader at end of file."});
    }
    return closeDown(DownloadResult::EndOfFileError);
}

}  // namespace korvel::link
