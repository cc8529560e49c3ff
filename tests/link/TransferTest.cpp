#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using link::DownloadChoice;
using link::DownloadResult;
using link::FileError;
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
    LinkBench sample;
    const auto& flash = sample.files.files["flash.hex"];
    const auto& eeprom = sample.files.files["eeprom.hex"];
    const std::tuple<DownloadChoice, std::vector<std::string>, std::string> rows[] = {
        {LinkBench::flash(), {flash[0], flash[1]}, "FLASH file successfully downloaded."},
        {{false, true, "", "eeprom.hex", 1},
         {kEepromOnly, eeprom[0], eeprom[1]},
         "EEPROM file successfully downloaded."},
        {{true, true, "flash.hex", "eeprom.hex", 1},
         {kEepromThenFlash, eeprom[0], eeprom[1], flash[0], flash[1]},
         "FLASH & EEPROM files successfully downloaded."},
    };
    for (const auto& [choice, writes, success] : rows) {
        SCOPED_TRACE(success);
        LinkBench bench;
        // The EEPROM file's end-of-file answer is not judged.
        bench.target.endOfFileAnswers = {choice.flash && choice.eeprom ? "" : "#@"};
        EXPECT_EQ(bench.run(choice), DownloadResult::Success);
        EXPECT_EQ(BytesOf(bench.transferWrites()), writes);
        EXPECT_TRUE(bench.inOrder({"success: " + success, "port closed", "ended"})) << bench.journal.text();
        EXPECT_EQ(bench.journal.has("between files"), choice.flash && choice.eeprom);
    }
}

// Answers to the sends of the first line: how often it is sent, the question
// and what its answer does.
TEST(Transfer, ResendsAndQuestions)
{
    struct Row {
        std::string hello;
        std::deque<std::string> answers;
        int sends;
        std::string question;  // "" none
        bool yes = true;
    };
    const std::string checksum = "Checksum error at line 1. Continue with download?";
    const std::string writing = "Error writing to flash at line 1. Continue with download?";
    const Row rows[] = {
        {"?G1.28", {"zz@"}, 1, ""},
        {"?G1.28", {"-", "-", "~"}, 3, ""},
        {"?G1.28", {"-", "-", "-"}, 3, checksum},
        {"?G1.28", {"", "-", ""}, 3, "Did not receive a response after sending line 1. Continue with download?"},
        {"?G1.28", {"-%"}, 1, checksum},
        {"?G1.28", {"%"}, 1, writing},
        {"?G1.28", {"%"}, 1, writing, false},
        {"?G1.1", {"-"}, 1, checksum},
        {"?G1.1", {""}, 1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hello + " " + std::to_string(row.answers.size()) + " " + row.answers.front());
        LinkBench bench;
        bench.target.helloAnswer = row.hello;
        bench.target.lineAnswers = row.answers;
        if (!row.question.empty())
            bench.frontEnd.answers = {row.yes};
        EXPECT_EQ(bench.run(LinkBench::flash()), row.yes ? DownloadResult::Success : DownloadResult::Declined);
        EXPECT_EQ(bench.writesOf(bench.files.files["flash.hex"][0]), row.sends);
        EXPECT_EQ(bench.journal.has("ask: " + row.question), !row.question.empty());
        // No ends the download without a further message.
        EXPECT_EQ(bench.writesOf(bench.files.files["flash.hex"][1]), row.yes ? 1 : 0);
        EXPECT_FALSE(bench.journal.has("message"));
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.journal.entries.back().what, "ended");
        if (!row.yes)
            continue;
        ASSERT_FALSE(bench.frontEnd.linesDone.empty());
        const std::string& first = bench.frontEnd.linesDone.front();
        EXPECT_NE(first.find(" x" + std::to_string(row.sends)), std::string::npos) << first;
        EXPECT_EQ(first.find("skipped") != std::string::npos, !row.question.empty()) << first;
    }
}

TEST(Transfer, EmptyLinesAreCountedButNotSentOrNumbered)
{
    LinkBench bench;
    const std::string binary("\x3A\x00\xFF\x7F", 4);
    bench.files.files["flash.hex"] = {":A", "", binary, "", "", ":00000001FF"};
    bench.target.helloAnswer = "?G1.0";
    bench.target.lineAnswers = {"~", "-"};
    bench.frontEnd.answers = {true};
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
    EXPECT_EQ(BytesOf(bench.transferWrites()), (std::vector<std::string>{":A", binary, ":00000001FF"}));
    EXPECT_TRUE(bench.journal.has("ask: Checksum error at line 2. Continue with download?"));
    EXPECT_EQ(bench.frontEnd.linesShown.front().second, 5);
    EXPECT_EQ(bench.frontEnd.linesShown.back().second, 0);
    EXPECT_EQ(bench.frontEnd.linesDone,
              (std::vector<std::string>{"4 left, line 1, 2 bytes x1", "3 left, line 2, 4 bytes x1, skipped",
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

// The waits for a line's answer and for the end-of-file answer, against the
// phases of the answer tick and of the whole-second clock. The first pair of
// writes below 1.28 lasts five ticks; from 1.28 an unanswered line is sent
// three times, more than 2 and at most 3 s apart, and the loop notices the new
// second at the next event, at most one answer tick later.
TEST(Timing, AnswerWaits)
{
    for (long long phase : {1LL, 29'500LL, 60'000LL, 250'000LL, 999'999LL}) {
        SCOPED_TRACE(phase);
        LinkBench below;
        below.TmrWaitAnsw.startWithFirstTickAfter(phase % 60'000 + 1);
        below.target.helloAnswer = "?G1.27";
        below.target.lineAnswers = {""};
        EXPECT_EQ(below.run(LinkBench::flash()), DownloadResult::Success);
        const auto short_ = below.transferWrites();
        ASSERT_EQ(short_.size(), 2u);
        EXPECT_GE(short_[1].us - short_[0].us, (kAnswerTicks - 1) * kAnswerTickMs * kMs);
        EXPECT_LE(short_[1].us - short_[0].us, kAnswerTicks * kAnswerTickMs * kMs);

        LinkBench from;
        from.world.clockPhaseUs = phase;
        from.target.lineAnswers = {"", "", ""};
        from.target.otherEndsOfFile = "";
        from.frontEnd.answers = {true};
        EXPECT_EQ(from.run(LinkBench::flash()), DownloadResult::EndOfFileError);
        auto times = from.transferWrites();
        ASSERT_EQ(times.size(), kMostSends + 1u);
        times.resize(kMostSends);
        times.push_back({from.journal.timeOf("ask"), ""});
        for (std::size_t i = 1; i < times.size(); ++i) {
            EXPECT_GT(times[i].us - times[i - 1].us, (kAnswerSeconds - 1) * 1000 * kMs);
            EXPECT_LE(times[i].us - times[i - 1].us, (kAnswerSeconds * 1000 + kAnswerTickMs) * kMs);
        }
        const long long endWait = from.journal.timeOf("message") - from.frontEnd.linesShown.back().first;
        EXPECT_GT(endWait, (kEndOfFileSeconds - 1) * 1000 * kMs);
        EXPECT_LE(endWait, (kEndOfFileSeconds * 1000 + kAnswerTickMs) * kMs);
    }
}

// Every way a download fails: its message with the facts of its second line,
// and where the message stands among the closing steps.
TEST(Failures, MessageDetailAndClosingOrder)
{
    struct Row {
        std::function<void(LinkBench&, DownloadChoice&)> arrange;
        DownloadResult result;
        std::vector<std::string> order;  // the last one is the journal's last entry
        std::string detail;              // a part of the message's second line; "" no second line
    };
    const std::string access = "message!: Error while accessing the com port.";
    const std::string noResponse = "message: No response from target Bootloader.";
    const std::string general = "message!: Error while downloading the firmware file: ";
    const auto failing = [](FileError::Cause cause) {
        return [cause](LinkBench& b, DownloadChoice&) { b.files.failure = FileError(cause, "Input/output error"); };
    };
    const Row rows[] = {
        {[](LinkBench&, DownloadChoice& c) { c.port.reset(); },
         DownloadResult::PortError,
         {"starting", access, "ended"},
         "start the program again"},
        {[](LinkBench&, DownloadChoice& c) { c.port = 9; },
         DownloadResult::PortError,
         {access, "ended"},
         "cannot open"},
        {[](LinkBench& b, DownloadChoice&) { b.target.syncAnswer = ""; },
         DownloadResult::NoResponse,
         {noResponse, "port closed", "ended"},
         "on COM1 within 5 s. Reset the target"},
        {[](LinkBench& b, DownloadChoice&) { b.target.syncAnswer = "", b.TmrSyn.setInterval(kPhase2WindowMs); },
         DownloadResult::NoResponse,
         {noResponse, "port closed", "ended"},
         "within 3 s"},
        {[](LinkBench& b, DownloadChoice&) { b.target.helloAnswer = "G1.3"; },
         DownloadResult::NoResponse,
         {noResponse, "port closed", "ended"},
         "within 3 s"},
        {[](LinkBench&, DownloadChoice& c) { c.flash = false; },
         DownloadResult::NothingChosen,
         {"version 1.28", "port closed", "ended", "message: Check box to download code."},
         ""},
        {[](LinkBench&, DownloadChoice& c) { c.flashPath = "gone.hex"; },
         DownloadResult::OpenError,
         {"opening 2 gone.hex", "port closed", "message!: Error opening gone.hex.", "ended"},
         "\n/bench/gone.hex: No such file or directory."},
        {[](LinkBench&, DownloadChoice& c) { c.eeprom = true, c.eepromPath = "/hex/lost.hex"; },
         DownloadResult::OpenError,
         {"opening 1 /hex/lost.hex", "port closed", "message!: Error opening", "ended"},
         "lost.hex.\nNo such file or directory."},
        {[](LinkBench& b, DownloadChoice&) { b.port.failReads = true, b.port.eventCode = 1009; },
         DownloadResult::TransferError,
         {general + "1009.", "port closed", "ended"},
         "\nread failed"},
        {[](LinkBench& b, DownloadChoice&) {
             b.port.failWrite = [](std::string_view bytes) { return bytes[0] == ':'; };
             b.port.eventCode = 1010;
         },
         DownloadResult::TransferError,
         {general + "1010.", "port closed", "ended"},
         "\nwrite failed"},
        {failing(FileError::Cause::ReadFailed),
         DownloadResult::TransferError,
         {general + "0.", "port closed", "ended"},
         "\nflash.hex could not be read: Input/output error."},
        {failing(FileError::Cause::TooLarge),
         DownloadResult::TransferError,
         {general + "0.", "ended"},
         "flash.hex is larger than 64 MiB"},
        {failing(FileError::Cause::TooSlow),
         DownloadResult::TransferError,
         {general + "0.", "ended"},
         "flash.hex did not come to its end within 10 s"},
        {[](LinkBench& b, DownloadChoice&) { b.files.files["flash.hex"].resize(kMostLines + 1, ":X"); },
         DownloadResult::TransferError,
         {general + "0.", "port closed", "ended"},
         "flash.hex has more than 32767 lines"},
        {[](LinkBench& b, DownloadChoice&) { b.target.otherEndsOfFile = "#"; },
         DownloadResult::EndOfFileError,
         {"message: Error while downloading file.", "port closed", "ended"},
         ""},
        {[](LinkBench& b, DownloadChoice&) { b.target.otherEndsOfFile = ""; },
         DownloadResult::EndOfFileError,
         {"message: Error while downloading file: No response from target Bootloader at end of file.", "port closed",
          "ended"},
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.order.front() + " " + row.detail);
        LinkBench bench;
        DownloadChoice choice = LinkBench::flash();
        row.arrange(bench, choice);
        EXPECT_EQ(bench.run(choice), row.result);
        EXPECT_TRUE(bench.inOrder(row.order)) << bench.journal.text();
        EXPECT_EQ(bench.journal.entries.back().what, row.order.back());
        const auto& entries = bench.journal.entries;
        const auto shown = std::find_if(entries.begin(), entries.end(),
                                        [](const World::Entry& e) { return e.what.compare(0, 7, "message") == 0; });
        ASSERT_NE(shown, entries.end());
        EXPECT_EQ(shown->what.find('\n') != std::string::npos, !row.detail.empty()) << shown->what;
        EXPECT_NE(shown->what.find(row.detail), std::string::npos) << shown->what;
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_FALSE(bench.TmrSyn.isEnabled());
        EXPECT_FALSE(bench.TmrShowLine.isEnabled());
        EXPECT_EQ(bench.journal.has("port open"), row.result != DownloadResult::PortError);
    }
}

}  // namespace
}  // namespace korvel::linktest
