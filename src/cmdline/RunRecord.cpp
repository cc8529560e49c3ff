#include "cmdline/RunRecord.h"

#include "base/ForeignText.h"
#include "cmdline/CmdLineDownload.h"
#include "platform/SystemText.h"
#include "system/StopRequests.h"

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
QString RunRecord::stopPlace() const
{
    if (current_ == link::FileKind::None)
        return portOpened_ ? QStringLiteral("during synchronisation.") : QStringLiteral("before the port was opened.");
    return QStringLiteral("at line ") + QString::number(lastLineDone_ + 1) + QStringLiteral(" of ") +
           platform::foreignText(currentPath_) + QLatin1Char('.');
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
    QString outcome = QString::fromLatin1(outcomeWord(result));
    closing.exitStatus = kExitRunFailed;
    if (stop != system::StopRequest::None && stopped) {
        outcome = QStringLiteral("interrupted");
        closing.exitStatus = system::exitStatusOf(stop);
        if (!reading_.empty())
            closing.note = QStringLiteral("Download interrupted while reading ") + platform::foreignText(reading_) +
                           QLatin1Char('.');
        else
            closing.note = QStringLiteral("Download interrupted ") + stopPlace();
    } else if (result == link::DownloadResult::Declined) {
        closing.note = QStringLiteral("Download stopped ") + stopPlace();
    } else if (result == link::DownloadResult::Success) {
        closing.exitStatus = skipped > 0 ? kExitLinesSkipped : kExitDownloaded;
        if (skipped > 0) {
            outcome = QStringLiteral("downloaded-with-skipped-lines");
            closing.note = QStringLiteral("Skipped lines: ") + QString::number(skipped) +
                           QStringLiteral(". The target did not accept them: its memory is incomplete.");
        }
    }

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    closing.summary = QStringLiteral("Summary: outcome=") + outcome + QStringLiteral(" seconds=") +
                      QString::number(seconds, 'f', 1) + QStringLiteral(" bootloader=") +
                      (version_.empty() ? QStringLiteral("none") : platform::qtText(version_));
    const std::pair<const char*, const FileCounts*> files[] = {{eepromChosen_ ? "eeprom" : nullptr, &eeprom_},
                                                               {flashChosen_ ? "flash" : nullptr, &flash_}};
    for (const auto& [name, file] : files) {
        if (!name)
            continue;
        const QString prefix = QLatin1Char(' ') + QLatin1String(name);
        closing.summary += prefix + QStringLiteral("-lines=") + QString::number(file->lines) + prefix +
                           QStringLiteral("-bytes=") + QString::number(file->bytes) + prefix +
                           QStringLiteral("-resends=") + QString::number(file->resends) + prefix +
                           QStringLiteral("-skipped=") + QString::number(file->skipped);
    }
    closing.summary += QStringLiteral(" port=") + platform::qtText(portLabel);
    return closing;
}

}  // namespace korvel::cmdline
