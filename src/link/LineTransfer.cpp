#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/ForeignText.h"
#include "base/Text.h"
#include "link/BootloaderLink.h"
#include "link/HexCheck.h"
#include "link/Protocol.h"

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
    case FileError::Cause::Interrupted:  // a stop, which ends the download without a message
        break;
    }
    return shown + " could not be read: " + error.what() + ".";
}

// The file as the download's messages name it.
std::string fileName(FileKind kind)
{
    return kind == FileKind::Eeprom ? "EEPROM file" : "FLASH file";
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

// Every chosen file is read whole and checked before the port is opened, in
// the order they are sent: a file that cannot be read, or that the user does
// not want sent as it is, ends the download before a byte reaches the target.
BootloaderLink::Step BootloaderLink::readChosenFiles(const DownloadChoice& choice)
{
    struct Chosen {
        FileKind kind;
        const std::string& path;
        std::vector<std::string>& lines;
    };
    std::vector<Chosen> chosen;
    if (shared_.FileKind == FileKind::Eeprom)
        chosen.push_back({FileKind::Eeprom, choice.eepromPath, run_.files.eepromLines});
    if (run_.FlashPending)
        chosen.push_back({FileKind::Flash, choice.flashPath, run_.files.flashLines});
    for (const Chosen& file : chosen) {
        seams_.frontEnd.readingFile(file.kind, file.path);
        if (Step stop = readHexFile(file.kind, file.path, file.lines))
            return stop;
    }
    for (const Chosen& file : chosen) {
        if (Step stop = checkHexFile(file.path, file.lines))
            return stop;
    }
    return std::nullopt;
}

// Reading the file whole makes the lines sent exactly the lines counted,
// whatever happens to the file meanwhile, and lets a pipe be read at all.
BootloaderLink::Step BootloaderLink::readHexFile(FileKind kind, const std::string& path,
                                                 std::vector<std::string>& lines)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    std::string detail;
    try {
        // A pipe's writer is awaited with the events running, so that the
        // window stays alive and Cancel or a stop request ends the wait.
        const std::string content = seams_.files.read(path, [this] {
            seams_.events.yieldOnce();
            return !seams_.frontEnd.cancelRequested();
        });
        if (auto split = splitHexLines(content, protocol::kMostLines)) {
            lines = std::move(*split);
            const auto nonEmpty = std::count_if(lines.begin(), lines.end(), [](const auto& l) { return !l.empty(); });
            frontEnd.fileRead(kind, path, content, static_cast<int>(nonEmpty));
            return std::nullopt;
        }
        detail = escapedForeign(path) + " has more than " + std::to_string(protocol::kMostLines) +
                 " lines, more than the line counter holds. Write it with longer records.";
    } catch (const FileOpenError& error) {
        // A relative path is named as the system resolved it, too.
        const std::string where = error.absolutePath() == path ? "" : escapedForeign(error.absolutePath()) + ": ";
        detail = where + error.what() + ".";
    } catch (const FileError& error) {
        if (error.cause() == FileError::Cause::Interrupted)
            return closeDown(DownloadResult::Cancelled);
        detail = unreadDetail(path, error);
    }
    frontEnd.message({MessageKind::Warning, "Error opening " + escapedForeign(path) + ".", detail});
    return closeDown(DownloadResult::OpenError);
}

// A file that is no Intel HEX file is sent unchanged only when the user says so.
BootloaderLink::Step BootloaderLink::checkHexFile(const std::string& path, const std::vector<std::string>& lines)
{
    const auto fault = checkIntelHex(lines);
    if (!fault || seams_.frontEnd.ask({MessageKind::Question, hexFaultQuestion(escapedForeign(path), *fault)}))
        return std::nullopt;
    return closeDown(DownloadResult::Declined);
}

DownloadResult BootloaderLink::transferFiles(const DownloadChoice& choice)
{
    if (shared_.FileKind == FileKind::Eeprom) {
        openHexFile(choice.eepromPath);
        seams_.port.write(run_.FlashPending ? protocol::kEepromThenFlash : protocol::kEepromOnly);
        if (Step stop = sendLines(run_.files.eepromLines))
            return *stop;
        if (!run_.FlashPending)
            return judgeOutcome();
        seams_.frontEnd.betweenFiles();
    }
    run_.FlashPending = false;
    shared_.FileKind = FileKind::Flash;
    openHexFile(choice.flashPath);
    if (Step stop = sendLines(run_.files.flashLines))
        return *stop;
    return judgeOutcome();
}

// The file was read before the port was opened; its opening is shown here,
// where the transfer begins with it.
void BootloaderLink::openHexFile(const std::string& path)
{
    seams_.frontEnd.openingFile(shared_.FileKind, path);
    seams_.frontEnd.fileOpened(shared_.FileKind, path);
}

// Counts the lines (LinesTotal is their number, empty ones included, minus
// one), sends the non-empty ones, waits for the end-of-file answer and judges
// what the file's answers allow.
BootloaderLink::Step BootloaderLink::sendLines(const std::vector<std::string>& lines)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    const auto lastLine = std::find_if(lines.rbegin(), lines.rend(), [](const auto& line) { return !line.empty(); });
    shared_.LinesLeft = static_cast<std::int16_t>(static_cast<int>(lines.size()) - 1);
    shared_.LinesTotal = shared_.LinesLeft;
    frontEnd.sendingFile(shared_.FileKind);
    frontEnd.showLinesLeft(shared_.LinesLeft);
    seams_.TmrShowLine.setEnabled(true);
    for (const std::string& HexLine : lines) {
        if (closedOnCancel())
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
    // The target ends a file with "#" and the download with "@", perhaps a
    // moment apart.
    if (contains(run_.RxBuf, protocol::kFileEnded))
        takeRestOfAnswer(run_.FlashPending && shared_.FileKind == FileKind::Eeprom ? '\0' : protocol::kDownloadDone);
    if (Step stop = settleLateAnswers(true))
        return stop;
    return reconcileAnswers();
}

// Sends the line (again while a bootloader that resends reports a checksum
// error or says nothing) and asks the user when it was not accepted. Each
// send is judged by what came after it within its wait; what came before it
// belongs to an earlier send.
BootloaderLink::Step BootloaderLink::sendLine(const std::string& hexLine, bool lastOfFile, LineProgress& progress,
                                              bool& eventsRan)
{
    const bool resends = !(run_.BootVer < protocol::kResendVersion);
    progress.lineNumber = shared_.LinesTotal - shared_.LinesLeft + 1;
    progress.bytes = hexLine.size();
    const LineRef line{shared_.FileKind, progress.lineNumber};
    int SendTries = 0;
    while (SendTries < protocol::kMostSends) {
        if (Step stop = settleLateAnswers(SendTries == 0))
            return stop;
        seams_.port.write(hexLine);
        run_.answers.sent(line, lastOfFile);
        if (++progress.sends == 1)
            seams_.frontEnd.lineSent(line.number);
        run_.RxBuf.clear();
        receive();
        eventsRan = waitForAnswer() || eventsRan;
        run_.answers.waitEnded();
        if (run_.answers.outOfStep())
            return outOfStep();
        // A stop is no missing answer: the line is neither sent again nor asked about.
        if (closedOnCancel())
            return DownloadResult::Cancelled;
        if (contains(run_.RxBuf, protocol::kWriteError) || containsAny(run_.RxBuf, protocol::kAcceptedAnswers) ||
            !resends) {
            SendTries = protocol::kMostSends;
        } else {
            ++SendTries;
        }
    }
    if (Step stop = askAboutLine(run_.RxBuf, line, false))
        return stop;
    progress.skipped = run_.skippedLines.count({line.file, line.number}) > 0;
    return std::nullopt;
}

// Asks whether to go on when the answers refuse the line: a checksum error
// first, then a write error, then, from the resend version on, no acceptance
// at all. Yes skips the line, No ends the download. A late answer says so on
// the question's second line.
BootloaderLink::Step BootloaderLink::askAboutLine(const std::string& answers, const LineRef& line, bool late)
{
    const std::string lineNumber = std::to_string(line.number);
    std::string question;
    if (contains(answers, protocol::kChecksumError)) {
        question = "Checksum error at line " + lineNumber;
    } else if (contains(answers, protocol::kWriteError)) {
        question = "Error writing to flash at line " + lineNumber;
    } else if (!late && !(run_.BootVer < protocol::kResendVersion) &&
               !containsAny(answers, protocol::kAcceptedAnswers)) {
        question = "Did not receive a response after sending line " + lineNumber;
    } else {
        return std::nullopt;
    }
    std::string detail;
    if (late) {
        const char refusal =
            contains(answers, protocol::kChecksumError) ? protocol::kChecksumError : protocol::kWriteError;
        detail = std::string("The target's answer \"") + refusal + "\" to line " + lineNumber + " of the " +
                 fileName(line.file) + " came after its wait had ended; the line counts as not written.";
    }
    if (!seams_.frontEnd.ask({MessageKind::Question, question + ". Continue with download?", detail}))
        return closeDown(DownloadResult::Declined);
    const bool firstSkip = run_.skippedLines.insert({line.file, line.number}).second;
    if (late && firstSkip)
        seams_.frontEnd.lineSkippedLate(line.file, line.number);
    run_.RxBuf.clear();
    return std::nullopt;
}

// Reads what has arrived into RxBuf and credits its answers to the latest send.
void BootloaderLink::receive()
{
    const std::string received = seams_.port.readAll();
    run_.RxBuf += received;
    run_.answers.take(received);
}

// Reads what has arrived and credits its answers to the latest send, without
// putting it into RxBuf: it comes after the wait that RxBuf is judged by.
void BootloaderLink::receiveLate()
{
    run_.answers.take(seams_.port.readAll());
}

// Reads what came since the last read: it belongs to the latest send, whose
// wait is over. When the download leaves that send's line (`leavingLine`), a
// refusal among it is asked about, and what came while the question was open
// is read next; otherwise the line is sent again and judged by that send.
BootloaderLink::Step BootloaderLink::settleLateAnswers(bool leavingLine)
{
    for (;;) {
        if (!run_.answers.outOfStep())
            receiveLate();
        if (run_.answers.outOfStep())
            return outOfStep();
        const std::string late = run_.answers.takeLate();
        if (!leavingLine || !containsAny(late, protocol::kRefusals))
            return std::nullopt;
        const std::string rxBuf = std::exchange(run_.RxBuf, {});
        if (Step stop = askAboutLine(late, run_.answers.latest(), true))
            return stop;
        run_.RxBuf = rxBuf;
    }
}

// Stops a download whose target answered more often than it was asked.
DownloadResult BootloaderLink::outOfStep()
{
    const AnswerLedger& ledger = run_.answers;
    return failDownload("The target answered out of step: " + std::to_string(ledger.fileAnswers()) +
                        " answers came to " + std::to_string(ledger.fileSends()) + " sends of the " +
                        fileName(ledger.latest().file) +
                        "'s lines, so its answers no longer tell which line they belong to. Check that no other "
                        "program writes to the port and that the bootloader answers each line once.");
}

// After a late answer, the answers may belong one send off: the download
// goes on only when no way of matching them to the sends leaves a line
// refused that was taken as written.
BootloaderLink::Step BootloaderLink::reconcileAnswers()
{
    std::set<int> skipped;
    for (const auto& [file, number] : run_.skippedLines)
        if (file == shared_.FileKind)
            skipped.insert(number);
    const auto line = run_.answers.lineInDoubt(skipped);
    if (!line)
        return std::nullopt;
    return failDownload("Some of the target's answers came late, so they may belong to other lines than the ones "
                        "they were counted for: line " +
                        std::to_string(*line) + " of the " + fileName(shared_.FileKind) +
                        " may have been refused. Program the board again.");
}

// Below the resend version the wait lasts a few ticks of TmrWaitAnsw at most;
// from it on, until the whole-second clock has moved on by a few seconds.
// What has arrived is judged before yielding, so an answer ends the wait as
// soon as it is read.
bool BootloaderLink::waitForAnswer()
{
    bool eventsRan = false;
    const bool ticks = run_.BootVer < protocol::kResendVersion;
    const long long start = seams_.clock.wholeSeconds();
    if (ticks)
        shared_.AnswTicks = 0;
    const auto waiting = [&] {
        if (containsAny(run_.RxBuf, protocol::kAnswers) || run_.answers.outOfStep() ||
            seams_.frontEnd.cancelRequested())
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
    return eventsRan;
}

void BootloaderLink::waitForEndOfFile()
{
    const long long start = seams_.clock.wholeSeconds();
    const auto waiting = [&] {
        return !contains(run_.RxBuf, protocol::kFileEnded) && !run_.answers.outOfStep() &&
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
