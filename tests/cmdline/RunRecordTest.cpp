#include "cmdline/RunRecord.h"

#include <gtest/gtest.h>

#include <string>

using korvel::cmdline::RunRecord;
using korvel::link::DownloadResult;
using korvel::link::FileKind;
using korvel::system::StopRequest;

namespace {

// How a run of a FLASH file of 9 non-empty lines closes: its note, status and
// summary. A stop signal ends it only where it stopped, and names itself; the
// window closing stops it silently. The counts are one count: lines accepted,
// skipped, sent and remaining add up at every end. A line refused by an answer
// that came after its wait was counted as accepted: skipped at the question,
// it makes the board's memory incomplete all the same. The tag stands before
// the port, one field whatever it holds.
TEST(RunRecord, ClosingOfEachEnd)
{
    const struct {
        DownloadResult result;
        StopRequest stop;
        int stage;  // 0: before the port, 1: synchronising, 2: line 1 accepted, line 2 sent, 3: line 1 skipped late
        int status;
        std::string note;
        std::string summary;  // its outcome, then fields it holds
    } cases[] = {
        {DownloadResult::Success, StopRequest::None, 2, 0, "",
         "downloaded flash-lines=1 flash-bytes=30 flash-resends=1 flash-skipped=0 flash-accepted=1 flash-sent=2 "
         "flash-remaining=8 "},
        {DownloadResult::Success, StopRequest::Interrupt, 2, 0, "", "downloaded bootloader=1.3 "},
        {DownloadResult::Success, StopRequest::None, 3, 3,
         "Skipped lines: 1. The target did not accept them: its memory is incomplete.",
         "downloaded-with-skipped-lines flash-skipped=1 flash-accepted=0 "},
        {DownloadResult::Declined, StopRequest::None, 2, 1, "Download stopped at line 2 of my\\x1bflash.hex.",
         "stopped flash-remaining=8 "},
        {DownloadResult::Cancelled, StopRequest::Interrupt, 2, 130,
         "Download interrupted at line 2 of my\\x1bflash.hex (STOP).", "interrupted flash-sent=2 "},
        {DownloadResult::Declined, StopRequest::None, 0, 1, "Download stopped before the port was opened.",
         "stopped seconds=0.0 waited=0.0 bootloader=none flash-lines=0 "},
        {DownloadResult::Cancelled, StopRequest::Hangup, 1, 129, "Download interrupted during synchronisation (STOP).",
         "interrupted flash-sent=0 flash-remaining=9 tag=bench\\x203\\x5c\\x1b port=COM1"},
        {DownloadResult::Cancelled, StopRequest::None, 2, 1, "", "cancelled flash-resends=1 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.summary + " " + std::to_string(static_cast<int>(c.stop)));
        RunRecord record(true, false, "bench 3\\\x1b");
        record.fileReading(FileKind::Flash, "my\x1b"
                                            "flash.hex");
        record.fileRead(FileKind::Flash,
                        "my\x1b"
                        "flash.hex",
                        400, 9, "ab");
        if (c.stage >= 1)
            record.portOpened();
        if (c.stage >= 2) {
            record.versionRead("1.3");
            record.fileOpened(FileKind::Flash, "my\x1b"
                                               "flash.hex");
            record.lineSent(1);
            record.lineDone({8, 1, 15, 2, false});
            record.lineSent(2);
        }
        if (c.stage == 3)
            record.lineSkippedLate(FileKind::Flash);
        record.ended();
        const RunRecord::Facts facts = record.facts(c.result, c.stop);
        const RunRecord::Closing closing = record.close(facts, "COM1");
        EXPECT_EQ(closing.exitStatus, c.status);
        // The stop as the system names it: SIGINT, or Ctrl-C on Windows.
        std::string note = c.note;
        if (const auto stop = note.find("(STOP)"); stop != std::string::npos)
            note.replace(stop + 1, 4, korvel::system::stopRequestName(c.stop));
        EXPECT_EQ(closing.note, note);
        const std::string outcome = c.summary.substr(0, c.summary.find(' ') + 1);
        EXPECT_EQ(closing.summary.rfind("Summary: outcome=" + outcome, 0), 0u) << closing.summary;
        EXPECT_NE((closing.summary + " ").find(c.summary.substr(outcome.size())), std::string::npos) << closing.summary;
        ASSERT_EQ(facts.files.size(), 1u);
        const RunRecord::FileFacts& file = facts.files.front();
        EXPECT_EQ(file.accepted + file.skipped + file.remaining(), 9);
        EXPECT_EQ(record.remainingOfCurrentFile(), c.stage >= 2 ? file.remaining() : 0);
        EXPECT_EQ(file.sha256, "ab");
    }
}

}  // namespace
