#include "cmdline/RunRecord.h"

#include <gtest/gtest.h>

#include <string>

using korvel::cmdline::RunRecord;
using korvel::link::DownloadResult;
using korvel::system::StopRequest;

namespace {

// How a run closes, after lines of its FLASH file or during the handshake:
// its note, status and outcome. A stop signal ends it only where it stopped;
// the window closing stops it silently. A line refused by an answer that came
// after its wait was counted as done: skipped at the question, it makes the
// board's memory incomplete all the same.
TEST(RunRecord, ClosingOfEachEnd)
{
    const struct {
        DownloadResult result;
        StopRequest stop;
        int stage;  // 0: before the port, 1: synchronising, 2: after line 1 of the file, 3: line 1 skipped late
        int status;
        std::string note;
        std::string summary;  // its start, and a field
    } cases[] = {
        {DownloadResult::Success, StopRequest::None, 2, 0, "", "downloaded flash-lines=1 "},
        {DownloadResult::Success, StopRequest::Interrupt, 2, 0, "", "downloaded bootloader=none "},
        {DownloadResult::Success, StopRequest::None, 3, 3,
         "Skipped lines: 1. The target did not accept them: its memory is incomplete.",
         "downloaded-with-skipped-lines flash-skipped=1 "},
        {DownloadResult::Declined, StopRequest::None, 2, 1, "Download stopped at line 2 of my\\x1bflash.hex.",
         "stopped flash-bytes=30 "},
        {DownloadResult::Declined, StopRequest::None, 0, 1, "Download stopped before the port was opened.",
         "stopped port=COM1"},
        {DownloadResult::Cancelled, StopRequest::Hangup, 1, 129, "Download interrupted during synchronisation.",
         "interrupted flash-lines=0 "},
        {DownloadResult::Cancelled, StopRequest::None, 2, 1, "", "cancelled flash-resends=1 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.summary + " " + std::to_string(static_cast<int>(c.stop)));
        RunRecord record(true, false);
        if (c.stage >= 1)
            record.portOpened();
        if (c.stage >= 2) {
            record.fileOpened(korvel::link::FileKind::Flash, "my\x1b"
                                                             "flash.hex");
            record.lineDone({9, 1, 15, 2, false});
        }
        if (c.stage == 3)
            record.lineSkippedLate(korvel::link::FileKind::Flash);
        const RunRecord::Closing closing = record.close(c.result, c.stop, "COM1");
        EXPECT_EQ(closing.exitStatus, c.status);
        EXPECT_EQ(closing.note, c.note);
        const std::string outcome = c.summary.substr(0, c.summary.find(' ') + 1);
        EXPECT_EQ(closing.summary.rfind("Summary: outcome=" + outcome, 0), 0u) << closing.summary;
        EXPECT_NE((closing.summary + " ").find(c.summary.substr(outcome.size())), std::string::npos) << closing.summary;
        EXPECT_EQ(closing.summary.find(" seconds=0."), outcome.size() + 16) << closing.summary;
    }
}

}  // namespace
