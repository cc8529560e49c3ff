#include <gtest/gtest.h>

#include <functional>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using link::DownloadChoice;
using link::DownloadResult;
using namespace link::protocol;

const long long kMs = 1000;

std::vector<std::string> BytesOf(const std::vector<SimPort::Write>& writes)
{
    std::vector<std::string> bytes;
    for (const auto& write : writes)
        bytes.push_back(write.bytes);
    return bytes;
}

TEST(Transfer, SelectorLinesAndSuccessByChoice)
{
    struct Row {
        DownloadChoice choice;
        std::vector<std::string> writes;
        std::string success;
    };
    LinkBench sample;
    const auto& flash = sample.files.files["flash.hex"];
    const auto& eeprom = sample.files.files["eeprom.hex"];
    const Row rows[] = {
        {LinkBench::flash(), {flash[0], flash[1]}, "FLASH file successfully downloaded."},
        {{false, true, "", "eeprom.hex", 1},
         {kEepromOnly, eeprom[0], eeprom[1]},
         "EEPROM file successfully downloaded."},
        {{true, true, "flash.hex", "eeprom.hex", 1},
         {kEepromThenFlash, eeprom[0], eeprom[1], flash[0], flash[1]},
         "FLASH & EEPROM files successfully downloaded."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.success);
        LinkBench bench;
        DownloadChoice choice = row.choice;
        choice.port = 3;
        // The EEPROM file's end-of-file answer is not judged.
        bench.target.endOfFileAnswers = {row.choice.flash && row.choice.eeprom ? "" : "#@"};
        EXPECT_EQ(bench.run(choice), DownloadResult::Success);
        EXPECT_EQ(bench.port.lineSettings.value().baudRate, kLineSettings.baudRate);
        EXPECT_EQ(bench.port.lineSettings.value().flowControl, link::FlowControl::XonXoff);
        EXPECT_TRUE(bench.inOrder({"starting", "port open 3", "port opened", "synchronising"}));
        EXPECT_EQ(BytesOf(bench.transferWrites()), row.writes);
        EXPECT_TRUE(bench.inOrder({"success: " + row.success, "file closed", "port closed", "ended"}))
            << bench.journal.text();
        EXPECT_FALSE(bench.journal.has("ask"));
        EXPECT_EQ(bench.journal.has("between files"), row.choice.flash && row.choice.eeprom);
    }
}

// Answers to the sends of the first line: how often it is sent, and the question.
TEST(Transfer, ResendsAndQuestions)
{
    struct Row {
        std::string hello;
        std::deque<std::string> answers;
        int sends;
        std::string question;  // "" none
    };
    const std::string checksum = "Checksum error at line 1. Continue with download?";
    const std::string writing = "Error writing to flash at line 1. Continue with download?";
    const std::string silent = "Did not receive a response after sending line 1. Continue with download?";
    const Row rows[] = {
        {"?G1.28", {"zz@"}, 1, ""},
        {"?G1.28", {"-", "-", "~"}, 3, ""},
        {"?G1.28", {"-", "-", "-"}, 3, checksum},
        {"?G1.28", {"", "-", ""}, 3, silent},
        {"?G1.28", {"-%"}, 1, checksum},
        {"?G1.28", {"%"}, 1, writing},
        {"?G1.1", {"-"}, 1, checksum},
        {"?G1.1", {""}, 1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hello + " " + std::to_string(row.answers.size()) + " " + row.answers.front());
        LinkBench bench;
        bench.target.helloAnswer = row.hello;
        bench.target.lineAnswers = row.answers;
        if (!row.question.empty())
            bench.frontEnd.answers = {true};
        EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
        EXPECT_EQ(bench.writesOf(bench.files.files["flash.hex"][0]), row.sends);
        EXPECT_EQ(bench.journal.has("ask"), !row.question.empty());
        if (!row.question.empty()) {
            EXPECT_TRUE(bench.journal.has("ask: " + row.question));
        }
        ASSERT_FALSE(bench.frontEnd.linesDone.empty());
        const std::string& first = bench.frontEnd.linesDone.front();
        EXPECT_NE(first.find(" x" + std::to_string(row.sends)), std::string::npos) << first;
        EXPECT_EQ(first.find("skipped") != std::string::npos, !row.question.empty()) << first;
    }
}

TEST(Transfer, YesGoesOnNoEndsWithoutAMessage)
{
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        LinkBench bench;
        bench.target.lineAnswers = {"%"};
        bench.frontEnd.answers = {yes};
        EXPECT_EQ(bench.run(LinkBench::flash()), yes ? DownloadResult::Success : DownloadResult::Declined);
        EXPECT_EQ(bench.transferWrites().size(), yes ? 2u : 1u);
        EXPECT_EQ(bench.journal.has("success"), yes);
        EXPECT_FALSE(bench.journal.has("message"));
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.journal.entries.back().what, "ended");
        if (!yes) {
            EXPECT_TRUE(bench.inOrder({"ask", "file closed", "port closed", "ended"}));
        }
    }
}

TEST(Transfer, EmptyLinesAreCountedButNotSentOrNumbered)
{
    LinkBench bench;
    const std::string binary("\x3A\x00\xFF\x7F\r", 5);
    bench.files.files["flash.hex"] = {":A", "", binary, "", "", ":00000001FF"};
    bench.target.helloAnswer = "?G1.0";
    bench.target.lineAnswers = {"~", "-"};
    bench.frontEnd.answers = {true};
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
    EXPECT_EQ(BytesOf(bench.transferWrites()), (std::vector<std::string>{":A", binary, ":00000001FF"}));
    EXPECT_TRUE(bench.journal.has("ask: Checksum error at line 2. Continue with download?"));
    ASSERT_FALSE(bench.frontEnd.linesShown.empty());
    EXPECT_EQ(bench.frontEnd.linesShown.front().second, 5);
    EXPECT_EQ(bench.frontEnd.linesShown.back().second, 0);
    EXPECT_EQ(bench.frontEnd.linesDone,
              (std::vector<std::string>{"4 left, line 1, 2 bytes x1", "3 left, line 2, 5 bytes x1, skipped",
                                        "2 left, line 3, 11 bytes x1"}));
}

// The answer to line 1's first send comes as its wait ends, as for a program
// stopped past it: it does not count for the resend, and the write error of
// line 2 is asked about as line 2.
TEST(Transfer, LateAnswerCountsForNoLaterSend)
{
    LinkBench bench;
    bench.files.files["flash.hex"] = {":A", ":B", ":00000001FF"};
    bench.target.lineAnswers = {"", "~", "%"};
    bench.frontEnd.answers = {true};
    bench.port.failWrite = [&, late = true](std::string_view bytes) mutable {
        if (bytes == ":A" && std::exchange(late, false))
            bench.port.send((bench.world.now() / 1'000'000 + kAnswerSeconds) * 1'000'000 - bench.world.now(), "~");
        return false;
    };
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
    EXPECT_EQ(BytesOf(bench.transferWrites()), (std::vector<std::string>{":A", ":A", ":B", ":00000001FF"}));
    EXPECT_TRUE(bench.journal.has("ask: Error writing to flash at line 2. Continue with download?"))
        << bench.journal.text();
}

TEST(Timing, UnansweredLineBelow128WaitsFiveTicks)
{
    for (long long firstTick : {1LL, 13'000LL, 29'500LL, 47'000LL, 60'000LL}) {
        SCOPED_TRACE(firstTick);
        LinkBench bench;
        bench.TmrWaitAnsw.startWithFirstTickAfter(firstTick);
        bench.target.helloAnswer = "?G1.27";
        bench.target.lineAnswers = {""};
        EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
        const auto writes = bench.transferWrites();
        ASSERT_EQ(writes.size(), 2u);
        EXPECT_GE(writes[1].us - writes[0].us, (kAnswerTicks - 1) * kAnswerTickMs * kMs);
        EXPECT_LE(writes[1].us - writes[0].us, kAnswerTicks * kAnswerTickMs * kMs);
    }
}

// From 1.28 an unanswered line is sent three times, more than 2 and at most 3 s
// apart on the whole-second clock; the loop notices the new second at the next
// event, at most one answer tick later.
TEST(Timing, UnansweredLineFrom128IsSentThreeTimes)
{
    for (long long clockPhase : {0LL, 250'000LL, 999'999LL}) {
        SCOPED_TRACE(clockPhase);
        LinkBench bench;
        bench.world.clockPhaseUs = clockPhase;
        bench.target.lineAnswers = {"", "", ""};
        bench.frontEnd.answers = {true};
        EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
        auto writes = bench.transferWrites();
        ASSERT_EQ(writes.size(), kMostSends + 1u);
        writes.resize(kMostSends);
        writes.push_back({bench.journal.timeOf("ask"), ""});
        for (std::size_t i = 1; i < writes.size(); ++i) {
            EXPECT_GT(writes[i].us - writes[i - 1].us, (kAnswerSeconds - 1) * 1000 * kMs);
            EXPECT_LE(writes[i].us - writes[i - 1].us, (kAnswerSeconds * 1000 + kAnswerTickMs) * kMs);
        }
    }
}

TEST(Timing, EndOfFileWaitLastsUpToTwoSeconds)
{
    for (long long clockPhase : {0LL, 500'000LL, 999'999LL}) {
        SCOPED_TRACE(clockPhase);
        LinkBench bench;
        bench.world.clockPhaseUs = clockPhase;
        bench.target.otherEndsOfFile = "";
        EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::EndOfFileError);
        const long long waited = bench.journal.timeOf("message") - bench.frontEnd.linesShown.back().first;
        EXPECT_EQ(bench.frontEnd.linesShown.back().second, 0);
        EXPECT_GT(waited, (kEndOfFileSeconds - 1) * 1000 * kMs);
        EXPECT_LE(waited, (kEndOfFileSeconds * 1000 + kAnswerTickMs) * kMs);
    }
}

const std::string kGeneralError = "message!: Error while downloading the firmware file: ";

// Every way a download fails: its message, and where the message stands among
// the closing steps.
TEST(Failures, MessageAndClosingOrder)
{
    struct Row {
        const char* situation;
        std::function<void(LinkBench&, DownloadChoice&)> arrange;
        DownloadResult result;
        std::vector<std::string> order;  // the last one is the journal's last entry
    };
    const std::string accessError = "message!: Error while accessing the com port.";
    const Row rows[] = {
        {"no port selected",
         [](LinkBench&, DownloadChoice& c) { c.port.reset(); },
         DownloadResult::PortError,
         {"starting", accessError, "ended"}},
        {"port missing",
         [](LinkBench&, DownloadChoice& c) { c.port = 9; },
         DownloadResult::PortError,
         {"starting", accessError, "ended"}},
        {"no $",
         [](LinkBench& b, DownloadChoice&) { b.target.syncAnswer = ""; },
         DownloadResult::NoResponse,
         {"message: No response from target Bootloader.", "port closed", "ended"}},
        {"no ?",
         [](LinkBench& b, DownloadChoice&) { b.target.helloAnswer = "G1.3"; },
         DownloadResult::NoResponse,
         {"message: No response from target Bootloader.", "port closed", "ended"}},
        {"nothing chosen",
         [](LinkBench&, DownloadChoice& c) { c.flash = false; },
         DownloadResult::NothingChosen,
         {"version 1.28", "port closed", "ended", "message: Check box to download code."}},
        {"FLASH file missing",
         [](LinkBench&, DownloadChoice& c) { c.flashPath = "gone.hex"; },
         DownloadResult::OpenError,
         {"opening 2 gone.hex", "port closed", "message!: Error opening gone.hex.", "ended"}},
        {"EEPROM file missing",
         [](LinkBench&, DownloadChoice& c) { c.eeprom = true, c.eepromPath = "lost.hex"; },
         DownloadResult::OpenError,
         {"opening 1 lost.hex", "port closed", "message!: Error opening lost.hex.", "ended"}},
        {"port read fails",
         [](LinkBench& b, DownloadChoice&) { b.port.failReads = true, b.port.eventCode = 1009; },
         DownloadResult::TransferError,
         {kGeneralError + "1009.", "port closed", "ended"}},
        {"line write fails",
         [](LinkBench& b, DownloadChoice&) {
             b.port.failWrite = [](std::string_view bytes) { return bytes[0] == ':'; };
             b.port.eventCode = 1010;
         },
         DownloadResult::TransferError,
         {kGeneralError + "1010.", "file closed flash.hex", "port closed", "ended"}},
        {"file read fails",
         [](LinkBench& b, DownloadChoice&) { b.files.failReadAt = 1; },
         DownloadResult::TransferError,
         {kGeneralError + "0.", "file closed flash.hex", "port closed", "ended"}},
        {"more lines than the counter holds",
         [](LinkBench& b, DownloadChoice&) { b.files.files["flash.hex"].resize(kMostLines + 1, ":X"); },
         DownloadResult::TransferError,
         {kGeneralError + "0.", "file closed flash.hex", "port closed", "ended"}},
        {"# without @",
         [](LinkBench& b, DownloadChoice&) { b.target.otherEndsOfFile = "#"; },
         DownloadResult::EndOfFileError,
         {"message: Error while downloading file.", "file closed", "port closed", "ended"}},
        {"nothing at the end",
         [](LinkBench& b, DownloadChoice&) { b.target.otherEndsOfFile = ""; },
         DownloadResult::EndOfFileError,
         {"message: Error while downloading file: No response from target Bootloader at end of file.", "file closed",
          "port closed", "ended"}},
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

// The most lines still fit the line counter.
TEST(Failures, LargestFileIsCounted)
{
    LinkBench bench;
    bench.files.files["flash.hex"].resize(kMostLines, ":X");
    bench.target.helloAnswer = "?G1.0";
    bench.frontEnd.cancelWhen = [&] { return !bench.transferWrites().empty(); };
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Cancelled);
    ASSERT_FALSE(bench.frontEnd.linesShown.empty());
    EXPECT_EQ(bench.frontEnd.linesShown.front().second, kMostLines - 1);
}

}  // namespace
}  // namespace korvel::linktest
