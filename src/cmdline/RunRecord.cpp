#include "cmdline/RunRecord.h"

#include "base/ForeignText.h"
#include "cmdline/ExitStatus.h"
#include "system/StopRequests.h"

#include <iomanip>
#include <locale>
#include <sstream>

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

}  // namespace

RunRecord::RunRecord(bool flash, bool eeprom)
    : start_(std::chrono::steady_clock::now())
    , flashChosen_(flash)
    , eepromChosen_(eeprom)
{
}

void RunRecord::portOpened()
{
    portOpened_ = true;
}

void RunRecord::versionRead(const std::string& version)
{
    version_ = version;
}

void RunRecord::fileReading(const std::string& path)
{
    reading_ = path;
}

void RunRecord::filesRead()
{
    reading_.clear();
}

void RunRecord::fileOpened(link::FileKind kind, const std::string& path)
{
    current_ = kind;
    currentPath_ = path;
    lastLineDone_ = 0;
}

void RunRecord::lineDone(const link::LineProgress& progress)
{
    FileCounts& file = counts(current_);
    ++file.lines;
    file.bytes += progress.bytes * std::size_t(progress.sends);
    file.resends += progress.sends - 1;
    file.skipped += progress.skipped ? 1 : 0;
    lastLineDone_ = progress.lineNumber;
}

// A line already counted as done, refused by an answer that came late.
void RunRecord::lineSkippedLate(link::FileKind kind)
{
    ++counts(kind).skipped;
}

long long RunRecord::seconds() const
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_).count();
}

// A run stops before the line after the last one dealt with.
// Before the version the run stopped at a question about a file, asked
// before the port was opened, or during synchronisation.
std::string RunRecord::stopPlace() const
{
    if (current_ == link::FileKind::None)
        return portOpened_ ? "during synchronisation." : "before the port was opened.";
    return "at line " + std::to_string(lastLineDone_ + 1) + " of " + escapedForeign(currentPath_) + ".";
}

// A stop signal ends the run where it stops at one of its stopping points
// (or at a question, which it answers No); a run that had reached its end
// keeps its own outcome. The summary line is "Summary:" and name=value
// fields; the port comes last, since its label may hold blanks.
RunRecord::Closing RunRecord::close(link::DownloadResult result, system::StopRequest stop,
                                    const std::string& portLabel) const
{
    const bool stopped = result == link::DownloadResult::Declined || result == link::DownloadResult::Cancelled;
    const int skipped = flash_.skipped + eeprom_.skipped;
    Closing closing;
    std::string outcome = outcomeWord(result);
    closing.exitStatus = kExitRunFailed;
    if (stop != system::StopRequest::None && stopped) {
        outcome = "interrupted";
        closing.exitStatus = system::exitStatusOf(stop);
        if (!reading_.empty())
            closing.note = "Download interrupted while reading " + escapedForeign(reading_) + ".";
        else
            closing.note = "Download interrupted " + stopPlace();
    } else if (result == link::DownloadResult::Declined) {
        closing.note = "Download stopped " + stopPlace();
    } else if (result == link::DownloadResult::Success) {
        closing.exitStatus = skipped > 0 ? kExitLinesSkipped : kExitDownloaded;
        if (skipped > 0) {
            outcome = "downloaded-with-skipped-lines";
            closing.note = "Skipped lines: " + std::to_string(skipped) +
                           ". The target did not accept them: its memory is incomplete.";
        }
    }

    std::ostringstream summary;
    summary.imbue(std::locale::classic());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    summary << "Summary: outcome=" << outcome << " seconds=" << std::fixed << std::setprecision(1) << seconds
            << " bootloader=" << (version_.empty() ? std::string("none") : escapedForeign(version_));
    const std::pair<const char*, const FileCounts*> files[] = {{eepromChosen_ ? "eeprom" : nullptr, &eeprom_},
                                                               {flashChosen_ ? "flash" : nullptr, &flash_}};
    for (const auto& [name, file] : files) {
        if (!name)
            continue;
        summary << ' ' << name << "-lines=" << file->lines << ' ' << name << "-bytes=" << file->bytes << ' ' << name
                << "-resends=" << file->resends << ' ' << name << "-skipped=" << file->skipped;
    }
    summary << " port=" << portLabel;
    closing.summary = summary.str();
    return closing;
}

}  // namespace korvel::cmdline
