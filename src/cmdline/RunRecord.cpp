#include "cmdline/RunRecord.h"

#include "base/ForeignText.h"
#include "cmdline/ExitStatus.h"
#include "system/StopRequests.h"

#include <iomanip>
#include <locale>
#include <sstream>
#include <utility>

namespace korvel::cmdline {

namespace {

// The outcome as the summary line names it: one word, for scripts.
const char* outcomeWord(link::DownloadResult result)
{
    switch (result) {
    case link::DownloadResult::Success:
        return "downloaded";
    case link::DownloadResult::NotValid:
        return "no-file-name";
    case link::DownloadResult::PortError:
        return "port-error";
    case link::DownloadResult::NoResponse:
        return "no-response";
    case link::DownloadResult::NothingChosen:
        return "nothing-chosen";
    case link::DownloadResult::OpenError:
        return "open-error";
    case link::DownloadResult::TransferError:
        return "transfer-error";
    case link::DownloadResult::Declined:
        return "stopped";
    case link::DownloadResult::Cancelled:
        return "cancelled";
    case link::DownloadResult::EndOfFileError:
        return "end-of-file-error";
    }
    return "unknown";
}

// A text as one field of the summary line: with its control characters
// written out as elsewhere, and its blanks and backslashes too ("\x20",
// "\x5c"), so that the field ends at the first blank and reads back whole.
std::string summaryField(const std::string& text)
{
    std::string field;
    for (const char c : text)
        field += c == ' ' ? "\\x20" : c == '\\' ? "\\x5c" : std::string(1, c);
    return escapedForeign(field);
}

}  // namespace

RunRecord::RunRecord(bool flash, bool eeprom, std::string tag)
    : start_(Clock::now())
    , started_(std::chrono::system_clock::now())
    , flashChosen_(flash)
    , eepromChosen_(eeprom)
    , tag_(std::move(tag))
{
    flash_.kind = link::FileKind::Flash;
    eeprom_.kind = link::FileKind::Eeprom;
}

void RunRecord::waitingForPort()
{
    if (!waitingSince_)
        waitingSince_ = Clock::now();
}

void RunRecord::portOpened()
{
    portOpened_ = Clock::now();
}

void RunRecord::versionRead(const std::string& version)
{
    contact_ = Clock::now();
    version_ = version;
}

void RunRecord::fileReading(link::FileKind kind, const std::string& path)
{
    reading_ = path;
    file(kind).path = path;
}

void RunRecord::fileRead(link::FileKind kind, const std::string& path, std::size_t size, int lines, std::string sha256)
{
    reading_.clear();
    FileFacts& read = file(kind);
    read.path = path;
    read.size = size;
    read.lines = lines;
    read.sha256 = std::move(sha256);
}

void RunRecord::fileOpened(link::FileKind kind, const std::string& path)
{
    current_ = kind;
    file(kind).path = path;
    lineInFlight_ = 0;
    lastLineDone_ = 0;
}

void RunRecord::lineSent(int lineNumber)
{
    ++file(current_).sent;
    lineInFlight_ = lineNumber;
}

void RunRecord::lineDone(const link::LineProgress& progress)
{
    FileFacts& done = file(current_);
    ++(progress.skipped ? done.skipped : done.accepted);
    done.bytes += progress.bytes * std::size_t(progress.sends);
    done.resends += progress.sends - 1;
    lineInFlight_ = 0;
    lastLineDone_ = progress.lineNumber;
}

// A line already counted as accepted, refused by an answer that came late.
void RunRecord::lineSkippedLate(link::FileKind kind)
{
    FileFacts& late = file(kind);
    --late.accepted;
    ++late.skipped;
}

void RunRecord::ended()
{
    if (!end_) {
        end_ = Clock::now();
        ended_ = std::chrono::system_clock::now();
    }
}

int RunRecord::remainingOfCurrentFile() const
{
    return current_ == link::FileKind::None ? 0 : file(current_).remaining();
}

int RunRecord::linesOfCurrentFile() const
{
    return current_ == link::FileKind::None ? 0 : file(current_).lines;
}

long long RunRecord::seconds() const
{
    return std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_).count();
}

// A run stops at the line it was sending, or before the line after the last
// one dealt with. Before the version the run stopped at a question about a
// file, asked before the port was opened, or during synchronisation.
std::string RunRecord::stopPlace(system::StopRequest stop) const
{
    const std::string signal =
        stop == system::StopRequest::None ? "" : std::string(" (") + system::stopRequestName(stop) + ")";
    if (!reading_.empty())
        return "while reading " + escapedForeign(reading_) + signal + ".";
    if (current_ == link::FileKind::None)
        return (portOpened_ ? "during synchronisation" : "before the port was opened") + signal + ".";
    return "at line " + std::to_string(lineInFlight_ ? lineInFlight_ : lastLineDone_ + 1) + " of " +
           escapedForeign(file(current_).path) + signal + ".";
}

RunRecord::Facts RunRecord::facts(link::DownloadResult result, system::StopRequest stop) const
{
    using Seconds = std::chrono::duration<double>;
    const Clock::time_point end = end_.value_or(Clock::now());
    Facts facts;
    facts.started = started_;
    facts.ended = ended_.value_or(std::chrono::system_clock::now());
    if (portOpened_)
        facts.seconds = Seconds(end - *portOpened_).count();
    // The wait for the port, from its first try that failed, and for the board's reset, from the port's opening.
    if (waitingSince_)
        facts.waited += Seconds(portOpened_.value_or(end) - *waitingSince_).count();
    if (portOpened_)
        facts.waited += Seconds(contact_.value_or(end) - *portOpened_).count();
    facts.board = board_;
    facts.bootloader = version_;
    facts.tag = tag_;
    if (eepromChosen_)
        facts.files.push_back(eeprom_);
    if (flashChosen_)
        facts.files.push_back(flash_);

    // A stop signal ends the run where it stops at one of its stopping points
    // (or at a question, which it answers No); a run that had reached its end
    // keeps its own outcome.
    const bool stopped = result == link::DownloadResult::Declined || result == link::DownloadResult::Cancelled;
    int skipped = 0;
    for (const FileFacts& file : facts.files)
        skipped += file.skipped;
    facts.outcome = outcomeWord(result);
    facts.exitStatus = kExitRunFailed;
    if (stop != system::StopRequest::None && stopped) {
        facts.outcome = "interrupted";
        facts.exitStatus = system::exitStatusOf(stop);
        facts.note = "Download interrupted " + stopPlace(stop);
    } else if (result == link::DownloadResult::Declined) {
        facts.note = "Download stopped " + stopPlace(system::StopRequest::None);
    } else if (result == link::DownloadResult::Success) {
        facts.exitStatus = skipped > 0 ? kExitLinesSkipped : kExitDownloaded;
        if (skipped > 0) {
            facts.outcome = "downloaded-with-skipped-lines";
            facts.note = "Skipped lines: " + std::to_string(skipped) +
                         ". The target did not accept them: its memory is incomplete.";
        }
    }
    return facts;
}

// The summary line is "Summary:" and name=value fields; the port comes last,
// since its label may hold blanks, after the tag where there is one.
RunRecord::Closing RunRecord::close(const Facts& facts, const std::string& portLabel) const
{
    std::ostringstream summary;
    summary.imbue(std::locale::classic());
    summary << "Summary: outcome=" << facts.outcome << std::fixed << std::setprecision(1)
            << " seconds=" << facts.seconds << " waited=" << facts.waited
            << " bootloader=" << (facts.bootloader.empty() ? std::string("none") : escapedForeign(facts.bootloader));
    for (const FileFacts& file : facts.files) {
        const std::string name = file.kind == link::FileKind::Eeprom ? " eeprom" : " flash";
        summary << name << "-lines=" << file.accepted + file.skipped << name << "-bytes=" << file.bytes << name
                << "-resends=" << file.resends << name << "-skipped=" << file.skipped << name
                << "-accepted=" << file.accepted << name << "-sent=" << file.sent << name
                << "-remaining=" << file.remaining();
    }
    if (!facts.tag.empty())
        summary << " tag=" << summaryField(facts.tag);
    if (board_ > 0)
        summary << " board=" << board_;
    summary << " port=" << portLabel;
    return {facts.note, summary.str(), facts.exitStatus};
}

}  // namespace korvel::cmdline
