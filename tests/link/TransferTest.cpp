#include <gtest/gtest.h>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using B = LinkBench;
using C = link::DownloadChoice;
using R = link::DownloadResult;
using namespace link::protocol;

const long long kMs = 1000, kSecond = 1000 * kMs;

std::vector<std::string> linesSent(const LinkBench& bench)
{
    std::vector<std::string> bytes;
    for (const auto& write : bench.transferWrites())
        bytes.push_back(write.bytes);
    return bytes;
}

// The selector, the EEPROM lines whatever its end-of-file answer, the FLASH
// lines. The console runs send one file each to the target simulator.
TEST(Transfer, BothFilesInOrder)
{
    B bench;
    const auto &f = bench.files.files["flash.hex"], &e = bench.files.files["eeprom.hex"];
    bench.target.endOfFileAnswers = {""};
    EXPECT_EQ(bench.run({true, true, "flash.hex", "eeprom.hex", 1}), R::Success);
    EXPECT_EQ(linesSent(bench), (std::vector<std::string>{wire::kEepromThenFlash, e[0], e[1], f[0], f[1]}));
    EXPECT_TRUE(bench.inOrder({"between files", "success: FLASH & EEPROM files", "port closed", "ended"}));
}

// The program's events run while a pipe's writer is awaited: a click on
// Cancel among them ends the read and the download, without a message and
// with the port closed. Without the click the file comes and is sent.
TEST(Transfer, CancelEndsTheWaitForAPipesWriter)
{
    for (const bool click : {true, false}) {
        SCOPED_TRACE(click);
        B bench;
        bool clicked = false;
        bench.files.writerWaits = 50;
        bench.files.whileWaiting = [&] {
            if (click)
                bench.world.after(0, [&clicked] { clicked = true; });
        };
        bench.frontEnd.cancelWhen = [&clicked] { return clicked; };
        bench.target.endOfFileAnswers = {"#@"};
        EXPECT_EQ(bench.run(B::flash()), click ? R::Cancelled : R::Success);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.world.has("message!"), false) << bench.world.text();
    }
}

// Answers to the sends of the first line: how often it is sent, the question,
// and that No ends the download without a further message.
TEST(Transfer, ResendsAndQuestions)
{
    const std::string checksum = "Checksum error at line 1", writing = "Error writing to flash at line 1";
    const std::tuple<std::string, std::deque<std::string>, int, std::string, bool> rows[] = {
        {"?G1.28", {"zz@"}, 1, "", true},
        {"?G1.28", {"-", "-", "~"}, 3, "", true},
        {"?G1.28", {"-", "-", "-"}, 3, checksum, true},
        {"?G1.28", {"", "-", ""}, 3, "Did not receive a response after sending line 1", true},
        {"?G1.28", {"%"}, 1, writing, true},
        {"?G1.1", {"-"}, 1, checksum, true},
    };
    for (const auto& [hello, answers, sends, question, yes] : rows) {
        SCOPED_TRACE(hello + " " + std::to_string(answers.size()) + " " + answers.front() + " " + question);
        B bench;
        bench.target.helloAnswer = hello;
        bench.target.lineAnswers = answers;
        bench.frontEnd.answers = {yes};
        EXPECT_EQ(bench.run(B::flash()), yes ? R::Success : R::Declined);
        EXPECT_EQ(bench.writesOf(bench.files.files["flash.hex"][0]), sends);
        EXPECT_EQ(bench.writesOf(bench.files.files["flash.hex"][1]), yes ? 1 : 0);
        EXPECT_EQ(bench.journal.has("ask: " + question + ". Continue with download?"), !question.empty());
        EXPECT_FALSE(bench.journal.has("message"));
        if (yes) {
            ASSERT_FALSE(bench.frontEnd.linesDone.empty());
            EXPECT_EQ(bench.frontEnd.linesDone.front(),
                      "0 left, line 1, 43 bytes x" + std::to_string(sends) + (question.empty() ? "" : ", skipped"));
        }
    }
}

// Line numbers count non-empty lines; the answer to line 1's first send comes as
// its wait ends (the program was stopped past it) and counts for no later send.
TEST(Transfer, LinesAreNumberedWithoutEmptyOnesAndJudgedByTheirOwnAnswers)
{
    B bench;
    const std::string binary("\x3A\x00\xFF\x7F", 4);
    bench.files.files["flash.hex"] = {":A", "", binary, "", "", ":00000001FF"};
    bench.target.lineAnswers = {"", "~", "%"};
    bench.frontEnd.answers = {true, true};  // send the file that is no HEX file; go on after line 2
    bench.port.failWrite = [&, late = true](std::string_view bytes) mutable {
        if (bytes == ":A" && std::exchange(late, false))
            bench.port.send((bench.world.now() / kSecond + kAnswerSeconds) * kSecond - bench.world.now(), "~");
        return false;
    };
    EXPECT_EQ(bench.run(B::flash()), R::Success);
    EXPECT_EQ(linesSent(bench), (std::vector<std::string>{":A", ":A", binary, ":00000001FF"}));
    EXPECT_TRUE(bench.journal.has("ask: Error writing to flash at line 2. Continue with download?"));
    ASSERT_FALSE(bench.frontEnd.linesShown.empty());
    EXPECT_EQ(bench.frontEnd.linesShown.front().second, 5);
}

// Answers that do not come one to a send within its wait. An answer belongs
// to the latest send: a lost one shifts nothing, and a late refusal that
// comes before the next send is asked about for its own line. When answers
// came late, the file's answers are judged once more at its end under every
// way they can belong to the sends; more answers than sends stop the download.
TEST(Answers, EachBelongsToTheLatestSendAndLateOnesAreJudgedAtTheFilesEnd)
{
    const std::string late = "\nThe target's answer \"", outOfStep = "message!: Error while downloading the firmware "
                                                                     "file: 0.\nThe target answered out of step: ";
    const std::string inDoubt = "message!: Error while downloading the firmware file: 0.\nSome of the target's answers "
                                "came late, so they may belong to other lines than the ones they were counted for: ";
    const auto ask = [](const std::string& question, int line) {
        return "ask: " + question + " " + std::to_string(line) + ". Continue with download?";
    };
    const std::string checksum = "Checksum error at line", writing = "Error writing to flash at line";
    struct Row {
        const char* name;
        std::string hello;
        std::deque<std::string> answers;  // the target's answers to the sends, in order
        std::deque<long long> delaysUs;   // and how long after each send they come
        long long delayUs;                // for the sends after those
        long long twiceAfterUs;           // each answer again this long after it; 0: once
        std::string whileAsked;           // arrives while the first question is open
        R result;
        std::vector<std::string> journal;  // entries in this order
        std::vector<int> sends;            // of the lines :A to :E
        std::string skipped = {};          // the lines counted skipped
    };
    const Row rows[] = {
        {"once, late in its wait",
         "?G1.28",
         {},
         {1'900 * kMs},
         2 * kMs,
         0,
         "",
         R::Success,
         {"success"},
         {1, 1, 1, 1, 1}},
        {"once, late in its ticks",
         "?G1.27",
         {},
         {200 * kMs},
         2 * kMs,
         0,
         "",
         R::Success,
         {"success"},
         {1, 1, 1, 1, 1}},
        // A lost "~" and a refusal: the design's resends, no question.
        {"1.30: line 2's first answer lost, line 3 refused once",
         "?G1.30",
         {"~", "", "~", "-", "~"},
         {},
         2 * kMs,
         0,
         "",
         R::Success,
         {"success"},
         {1, 2, 2, 1, 1}},
        {"1.20: line 2 unanswered, line 3 refused",
         "?G1.20",
         {"~", "", "-"},
         {},
         2 * kMs,
         0,
         "",
         R::Success,
         {ask(checksum, 3), "success"},
         {1, 1, 1, 1, 1},
         ", line 3"},
        // A slow target: every answer comes in a later line's wait, or after it.
        {"1.20, every answer 600 ms late",
         "?G1.20",
         {},
         {},
         600 * kMs,
         0,
         "",
         R::Success,
         {"success"},
         {1, 1, 1, 1, 1}},
        {"1.28, the resend's answer after the first send's late one",
         "?G1.28",
         {"~", "~"},
         {3'050 * kMs, kSecond, kSecond},
         2 * kMs,
         0,
         "",
         R::Success,
         {"success"},
         {2, 1, 1, 1, 1}},
        // Line 1's late refusal comes in line 2's wait: asked about as line 2's,
        // as designed; once line 2's own answer is in too, it may have been line
        // 1's, which no question covered.
        {"1.27, late - and the next line's answer in time",
         "?G1.27",
         {"-"},
         {350 * kMs, 110 * kMs},
         2 * kMs,
         0,
         "",
         R::TransferError,
         {ask(checksum, 2), inDoubt + "line 1 of the FLASH file may have been refused"},
         {1, 1, 1, 1, 1},
         ", line 2"},
        {"1.27, late - and the next line's answer after the end",
         "?G1.27",
         {"-"},
         {350 * kMs, 200 * kMs},
         2 * kMs,
         0,
         "",
         R::Success,
         {ask(checksum, 2), "success"},
         {1, 1, 1, 1, 1},
         ", line 2"},
        {"late % while a question is open",
         "?G1.28",
         {"", "", ""},
         {},
         2 * kMs,
         0,
         "%",
         R::Success,
         {ask("Did not receive a response after sending line", 1), ask(writing, 1) + late + "%", "success"},
         {3, 1, 1, 1, 1},
         ", line 1"},
        {"twice, 1 ms apart",
         "?G1.28",
         {},
         {},
         2 * kMs,
         kMs,
         "",
         R::TransferError,
         {outOfStep + "5 answers came to 4 sends of the FLASH file's lines", "port closed"},
         {1, 1, 1, 1, 0}},
        {"two answers to one send",
         "?G1.28",
         {"-%"},
         {},
         2 * kMs,
         0,
         "",
         R::TransferError,
         {outOfStep},
         {1, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        B bench;
        auto& lines = bench.files.files["flash.hex"];
        lines = {":A", ":B", ":C", ":D", ":E", ":00000001FF"};
        bench.target.helloAnswer = row.hello;
        bench.target.lineAnswers = row.answers;
        bench.target.lineDelaysUs = row.delaysUs;
        bench.target.delayUs = row.delayUs;
        bench.target.twiceAfterUs = row.twiceAfterUs;
        // Yes to sending the lines, which are no Intel HEX records, then to the target's questions.
        bench.frontEnd.answers = {true, true, true};
        if (!row.whileAsked.empty())
            bench.frontEnd.whileAsking = [&, once = true]() mutable {
                if (bench.port.isOpen() && std::exchange(once, false))
                    bench.port.send(0, row.whileAsked), bench.world.yieldOnce();
            };
        EXPECT_EQ(bench.run(B::flash()), row.result);
        EXPECT_TRUE(bench.inOrder(row.journal)) << bench.journal.text();
        std::vector<int> sends;
        for (const char* line : {":A", ":B", ":C", ":D", ":E"})
            sends.push_back(bench.writesOf(line));
        EXPECT_EQ(sends, row.sends);
        std::string skipped;
        for (const std::string& done : bench.frontEnd.linesDone)
            if (done.find(", skipped") != std::string::npos)
                skipped +=
                    done.substr(done.find(", line"), done.find(',', done.find(", line") + 1) - done.find(", line"));
        for (const auto& entry : bench.journal.entries)
            if (entry.what.rfind("skipped late 2 ", 0) == 0)
                skipped += ", line " + entry.what.substr(15);
        EXPECT_EQ(skipped, row.skipped);
        // No question beyond those the row names.
        EXPECT_EQ(std::count_if(bench.journal.entries.begin(), bench.journal.entries.end(),
                                [](const auto& entry) { return entry.what.rfind("ask", 0) == 0; }) -
                      1,
                  std::count_if(row.journal.begin(), row.journal.end(),
                                [](const auto& entry) { return entry.rfind("ask", 0) == 0; }));
    }
}

// Waits at all phases of the answer tick and the whole-second clock: below 1.28 five ticks for a line; from 1.28
// three sends more than 2 and at most 3 s apart, and up to 2 s for the end of the file (plus a tick at most each).
TEST(Timing, AnswerWaits)
{
    const long long tick = kAnswerTickMs * kMs, seconds = kAnswerSeconds * kSecond, eof = kEndOfFileSeconds * kSecond;
    for (long long phase : {1LL, 29'500LL, 60'000LL, 250'000LL, 999'999LL}) {
        SCOPED_TRACE(phase);
        B below, from;
        below.TmrWaitAnsw.startWithFirstTickAfter(phase % 60'000 + 1);
        below.target.helloAnswer = "?G1.27";
        below.target.lineAnswers = {""};
        EXPECT_EQ(below.run(B::flash()), R::Success);
        from.world.clockPhaseUs = phase;
        from.target.lineAnswers = {"", "", ""};
        from.target.otherEndsOfFile = "";
        from.frontEnd.answers = {true};
        EXPECT_EQ(from.run(B::flash()), R::EndOfFileError);
        const auto b = below.transferWrites(), f = from.transferWrites();
        ASSERT_TRUE(b.size() == 2 && f.size() == kMostSends + 1u && !from.frontEnd.linesShown.empty());
        const long long ask = from.journal.timeOf("ask"), end = from.frontEnd.linesShown.back().first;
        const std::tuple<long long, long long, long long> gaps[] = {
            {b[1].us - b[0].us, (kAnswerTicks - 1) * tick, kAnswerTicks * tick},
            {f[1].us - f[0].us, seconds - kSecond + 1, seconds + tick},
            {f[2].us - f[1].us, seconds - kSecond + 1, seconds + tick},
            {ask - f[2].us, seconds - kSecond + 1, seconds + tick},
            {from.journal.timeOf("message") - end, eof - kSecond + 1, eof + tick},
        };
        for (const auto& [gap, low, high] : gaps)
            EXPECT_TRUE(low <= gap && gap <= high) << low << " <= " << gap << " <= " << high;
    }
}

// Every way a download fails: its message, a fact of its second line ("" no
// second line), and the order of the message (m), the port's closing (c) and
// the end of the download (e).
TEST(Failures, MessageDetailAndClosingOrder)
{
    struct Row {
        std::function<void(B&, C&)> arrange;
        R result;
        std::string order, message, detail = {};
    };
    const std::string silent = "message: No response from target Bootloader.";
    const std::string opening = "message!: Error opening ";
    const std::string error = "message!: Error while downloading the firmware file: ";
    using E = link::FileError::Cause;
    const auto failing = [](E cause) { return [cause](B& b, C&) { b.files.failure = link::FileError(cause, "EIO"); }; };
    const auto tooLong = [](B& b, C&) { b.files.files["flash.hex"].resize(kMostLines + 1, ":X"); };
    const auto later = [](B& b, C&) { b.target.syncAnswer = "", b.TmrSyn.setInterval(kPhase2WindowMs); };
    const Row rows[] = {
        {[](B&, C& c) { c.port.reset(); }, R::PortError, "me", "message!: Error while accessing the com port.",
         "start the"},
        {[](B& b, C&) { b.target.syncAnswer = ""; }, R::NoResponse, "mce", silent, "COM1 within 5 s"},
        {later, R::NoResponse, "mce", silent, "in 3 s"},
        {[](B& b, C&) { b.target.helloAnswer = "G1.3"; }, R::NoResponse, "mce", silent, "in 3 s"},
        {[](B&, C& c) { c.flash = false; }, R::NothingChosen, "cem", "message: Check box to download code."},
        {[](B&, C& c) { c.flashPath = "a.hex"; }, R::OpenError, "me", opening + "a.hex.", "\n/bench/a.hex: No such"},
        {[](B&, C& c) { c.eeprom = true, c.eepromPath = "/x.hex"; }, R::OpenError, "me", opening, "x.hex.\nNo such"},
        {[](B& b, C& c) { c.eeprom = true, c.eepromPath = "eeprom.hex", b.files.files.erase("flash.hex"); },
         R::OpenError, "me", opening + "flash.hex.", "\n/bench/flash.hex: No such"},
        {[](B&, C& c) { c.flashPath = "a\x1b[2J.hex"; }, R::OpenError, "me", opening + "a\\x1b[2J.hex.",
         "\n/bench/a\\x1b[2J.hex: No such"},  // a file name is shown with its control characters written out
        {[](B& b, C&) { b.port.failReads = true, b.port.eventCode = 9; }, R::TransferError, "mce", error + "9.",
         "read"},
        {failing(E::ReadFailed), R::OpenError, "me", opening + "flash.hex.", "\nflash.hex could not be read: EIO."},
        {failing(E::TooLarge), R::OpenError, "me", opening + "flash.hex.", "\nflash.hex is larger than 64 MiB"},
        {failing(E::TooSlow), R::OpenError, "me", opening + "flash.hex.", "\nflash.hex did not come to its end"},
        {tooLong, R::OpenError, "me", opening + "flash.hex.", "\nflash.hex has more than 32767 lines"},
        {[](B& b, C&) { b.target.otherEndsOfFile = "#"; }, R::EndOfFileError, "mce",
         "message: Error while downloading file."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message + " " + row.detail);
        B bench;
        C choice = B::flash();
        row.arrange(bench, choice);
        EXPECT_EQ(bench.run(choice), row.result);
        std::vector<std::string> order;
        for (char step : row.order)
            order.push_back(step == 'm' ? row.message : step == 'c' ? "port closed" : "ended");
        EXPECT_TRUE(bench.inOrder(order)) << bench.journal.text();
        std::string shown;
        for (const auto& entry : bench.journal.entries)
            if (shown.empty() && entry.what.rfind("message", 0) == 0)
                shown = entry.what;
        EXPECT_EQ(shown.find('\n') != std::string::npos, !row.detail.empty()) << shown;
        EXPECT_NE(shown.find(row.detail), std::string::npos) << shown;
        EXPECT_FALSE(bench.port.isOpen() || bench.TmrSyn.isEnabled() || bench.TmrShowLine.isEnabled());
        // A file that cannot be read ends the download before the port is touched.
        const bool untouched = row.result == R::PortError || row.result == R::OpenError;
        EXPECT_EQ(bench.journal.has("port open"), !untouched);
        EXPECT_EQ(bench.port.lineSettings.has_value(), !untouched);
    }
}

// A fault of the program itself is no port or file fault: it is not turned into
// a message that would send the user to check the cable.
TEST(Failures, AProgrammingErrorIsNotReportedAsADownloadError)
{
    B bench;
    bench.port.failWrite = [](std::string_view bytes) -> bool {
        if (bytes.rfind(":", 0) == 0)
            throw std::logic_error("a fault of the program");
        return false;
    };
    EXPECT_THROW(bench.run(B::flash()), std::logic_error);
    EXPECT_FALSE(bench.journal.has("message!: Error while downloading the firmware file: 0."));
}

}  // namespace
}  // namespace korvel::linktest
