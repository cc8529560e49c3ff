#include <gtest/gtest.h>

#include "sim/SimulatedLink.h"

namespace korvel::linktest {
namespace {

using B = SimulatedLink;
using C = link::DownloadChoice;
using R = link::DownloadResult;
using namespace link::protocol;

const long long kSecond = 1000 * 1000;

std::vector<std::string> linesSent(const SimulatedLink& bench)
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
    EXPECT_TRUE(bench.world.has("ask: Error writing to flash at line 2. Continue with download?"));
    ASSERT_FALSE(bench.frontEnd.linesShown.empty());
    EXPECT_EQ(bench.frontEnd.linesShown.front().second, 5);
}

// A refusal that comes while a question about its line is open is asked
// about next, as late; the line counts as skipped once. (The other ways
// answers come are rows of TransferModel.FixedCases.)
TEST(Answers, ARefusalWhileAQuestionIsOpenIsAskedAboutAsLate)
{
    B bench;
    bench.target.lineAnswers = {"", "", ""};
    bench.frontEnd.answers = {true, true};
    bench.frontEnd.whileAsking = [&bench, once = true]() mutable {
        if (std::exchange(once, false))
            bench.port.send(0, "%"), bench.world.yieldOnce();
    };
    EXPECT_EQ(bench.run(B::flash()), R::Success);
    EXPECT_TRUE(bench.inOrder({"ask: Did not receive a response after sending line 1",
                               "ask: Error writing to flash at line 1. Continue with download?\nThe target's answer "
                               "\"%\" to line 1 of the FLASH file came after its wait",
                               "success"}))
        << bench.world.text();
    EXPECT_TRUE(bench.frontEnd.linesDone.at(0).sends == 3 && bench.frontEnd.linesDone[0].skipped);
    EXPECT_FALSE(bench.world.has("skipped late"));
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
        EXPECT_TRUE(bench.inOrder(order)) << bench.world.text();
        std::string shown;
        for (const auto& entry : bench.world.entries)
            if (shown.empty() && entry.what.rfind("message", 0) == 0)
                shown = entry.what;
        EXPECT_EQ(shown.find('\n') != std::string::npos, !row.detail.empty()) << shown;
        EXPECT_NE(shown.find(row.detail), std::string::npos) << shown;
        EXPECT_FALSE(bench.port.isOpen() || bench.TmrSyn.isEnabled() || bench.TmrShowLine.isEnabled());
        // A file that cannot be read ends the download before the port is touched.
        const bool untouched = row.result == R::PortError || row.result == R::OpenError;
        EXPECT_EQ(bench.world.has("port open"), !untouched);
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
    EXPECT_FALSE(bench.world.has("message!: Error while downloading the firmware file: 0."));
}

}  // namespace
}  // namespace korvel::linktest
