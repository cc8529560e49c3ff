#include <gtest/gtest.h>

#include <functional>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using link::DownloadChoice;
using link::DownloadResult;

const std::string kGeneralError = "message!: Error while downloading the firmware file: ";

// Every way a download fails: its message, and where the message stands among
// the closing steps.
TEST(Failures, MessageAndClosingOrder) {
    struct Row {
        const char* situation;
        std::function<void(LinkBench&, DownloadChoice&)> arrange;
        DownloadResult result;
        std::vector<std::string> order;  // the last one is the journal's last entry
    };
    const std::string accessError = "message!: Error while accessing the com port.";
    const Row rows[] = {
        {"no port selected", [](LinkBench&, DownloadChoice& c) { c.port.reset(); },
         DownloadResult::PortError, {"starting", accessError, "idle"}},
        {"port missing", [](LinkBench&, DownloadChoice& c) { c.port = 9; },
         DownloadResult::PortError, {"starting", accessError, "idle"}},
        {"no $", [](LinkBench& b, DownloadChoice&) { b.target.syncAnswer = ""; },
         DownloadResult::NoResponse,
         {"message: No response from target Bootloader.", "port closed", "idle"}},
        {"no ?", [](LinkBench& b, DownloadChoice&) { b.target.helloAnswer = "G1.3"; },
         DownloadResult::NoResponse,
         {"message: No response from target Bootloader.", "port closed", "idle"}},
        {"nothing chosen", [](LinkBench&, DownloadChoice& c) { c.flash = false; },
         DownloadResult::NothingChosen,
         {"version 1.28", "port closed", "idle", "message: Check box to download code.", "focus"}},
        {"FLASH file missing", [](LinkBench&, DownloadChoice& c) { c.flashPath = "gone.hex"; },
         DownloadResult::OpenError,
         {"opening 2 gone.hex", "port closed", "message!: Error opening gone.hex.", "idle"}},
        {"FLASH file missing after EEPROM",
         [](LinkBench&, DownloadChoice& c) { c.eeprom = true, c.eepromPath = "eeprom.hex", c.flashPath = "gone.hex"; },
         DownloadResult::OpenError,
         {"file closed eeprom.hex", "opening 2 gone.hex", "port closed",
          "message!: Error opening gone.hex.", "idle"}},
        {"EEPROM file missing",
         [](LinkBench&, DownloadChoice& c) { c.eeprom = true, c.eepromPath = "lost.hex"; },
         DownloadResult::OpenError,
         {"opening 1 lost.hex", "port closed", "message!: Error opening lost.hex.", "idle"}},
        {"port read fails",
         [](LinkBench& b, DownloadChoice&) { b.port.failReads = true, b.port.eventCode = 1009; },
         DownloadResult::TransferError, {kGeneralError + "1009.", "port closed", "idle"}},
        {"line write fails",
         [](LinkBench& b, DownloadChoice&) {
             b.port.failWrite = [](std::string_view bytes) { return bytes[0] == ':'; };
             b.port.eventCode = 1010;
         },
         DownloadResult::TransferError,
         {kGeneralError + "1010.", "file closed flash.hex", "port closed", "idle"}},
        {"file read fails", [](LinkBench& b, DownloadChoice&) { b.files.failReadAt = 1; },
         DownloadResult::TransferError,
         {kGeneralError + "0.", "file closed flash.hex", "port closed", "idle"}},
        {"more than 32 767 lines",
         [](LinkBench& b, DownloadChoice&) { b.files.files["flash.hex"].resize(32768, ":X"); },
         DownloadResult::TransferError,
         {kGeneralError + "0.", "file closed flash.hex", "port closed", "idle"}},
        {"# without @", [](LinkBench& b, DownloadChoice&) { b.target.otherEndsOfFile = "#"; },
         DownloadResult::EndOfFileError,
         {"message: Error while downloading file.", "file closed", "port closed", "idle"}},
        {"nothing at the end", [](LinkBench& b, DownloadChoice&) { b.target.otherEndsOfFile = ""; },
         DownloadResult::EndOfFileError,
         {"message: Error while downloading file: No response from target Bootloader at end of file.",
          "file closed", "port closed", "idle"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        LinkBench bench;
        DownloadChoice choice = LinkBench::flash();
        row.arrange(bench, choice);
        EXPECT_EQ(bench.run(choice), row.result);
        EXPECT_TRUE(bench.inOrder(row.order)) << bench.journal.text();
        EXPECT_EQ(bench.journal.entries.back().what, row.order.back());
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_FALSE(bench.TmrSyn.isEnabled());
        EXPECT_FALSE(bench.TmrShowLine.isEnabled());
        const bool opened = row.result != DownloadResult::PortError;
        EXPECT_EQ(bench.journal.has("port open"), opened);
        EXPECT_EQ(bench.journal.has("port closed"), opened);
    }
}

// 32 767 lines still fit the line counter.
TEST(Failures, LargestFileIsCounted) {
    LinkBench bench;
    bench.files.files["flash.hex"].resize(32767, ":X");
    bench.target.helloAnswer = "?G1.0";
    bench.frontEnd.cancelWhen = [&] { return !bench.transferWrites().empty(); };
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Cancelled);
    ASSERT_FALSE(bench.frontEnd.linesShown.empty());
    EXPECT_EQ(bench.frontEnd.linesShown.front().second, 32766);
}

}  // namespace
}  // namespace korvel::linktest
