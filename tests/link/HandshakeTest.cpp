#include <gtest/gtest.h>

#include <functional>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using link::DownloadChoice;
using link::DownloadResult;
using namespace link::protocol;

const long long kMs = 1000;

TEST(Validation, ShortPathsStopBeforeAnythingElse)
{
    struct Row {
        bool flash, eeprom;
        std::string flashPath, eepromPath, complaint;  // complaint "": passes
    };
    const Row rows[] = {
        {true, false, "", "", "Select FLASH file to download."},
        {true, false, "\xC3\xA9", "", "Select FLASH file to download."},  // one character
        {true, false, "ab", "", ""},
        {true, true, "x", "ab", "Select FLASH file to download."},
        {true, true, "ab", "x", "Select EEPROM file to download."},
        {false, true, "", "x", "Select EEPROM file to download."},
        {false, true, "", "ab", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flashPath + "|" + row.eepromPath);
        LinkBench bench;
        const auto result = bench.run({row.flash, row.eeprom, row.flashPath, row.eepromPath, 1});
        if (row.complaint.empty()) {
            EXPECT_NE(result, DownloadResult::NotValid);
            EXPECT_TRUE(bench.journal.has("starting"));
        } else {
            EXPECT_EQ(result, DownloadResult::NotValid);
            ASSERT_EQ(bench.journal.entries.size(), 2u) << bench.journal.text();
            EXPECT_EQ(bench.journal.entries[0].what, "message: " + row.complaint);
            EXPECT_EQ(bench.journal.entries[1].what, "ended");
        }
    }
}

// A first download has the first window of the window's layout; once one
// download reached the settle pause, phase 1 keeps the window of phase 2.
TEST(Handshake, PhaseOneWindowDependsOnEarlierDownloads)
{
    for (const bool earlierDownload : {false, true}) {
        SCOPED_TRACE(earlierDownload);
        LinkBench bench;
        const DownloadChoice nothing{false, false, "", "", 1};
        if (earlierDownload) {
            EXPECT_EQ(bench.run(nothing), DownloadResult::NothingChosen);
            bench.journal.entries.clear();
            bench.target.greeted = false;
        }
        bench.target.synced = true;  // no "$" this time
        EXPECT_EQ(bench.run(nothing), DownloadResult::NoResponse);
        const long long window = bench.journal.timeOf("message: No response from target Bootloader.") -
                                 bench.journal.timeOf("synchronising");
        const long long expected = (earlierDownload ? kPhase2WindowMs : kFirstSyncWindowMs) * kMs;
        EXPECT_GE(window, expected);
        EXPECT_LE(window, expected + 100 * kMs);
        EXPECT_TRUE(bench.inOrder({"message: No response", "port closed", "ended"}));
    }
}

TEST(Handshake, SettlesOneTickThenCallsForThePhase2Window)
{
    LinkBench bench;
    bench.target.helloAnswer = "";
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::NoResponse);
    std::vector<long long> hellos;
    for (const auto& write : bench.port.writes) {
        if (write.bytes == kHello)
            hellos.push_back(write.us);
    }
    ASSERT_FALSE(hellos.empty());
    const long long responded = bench.journal.timeOf("target responded");
    EXPECT_LE(bench.journal.timeOf("output discarded"), responded);
    EXPECT_EQ(hellos.front(), responded + kSettleMs * kMs);
    EXPECT_GT(hellos.back(), hellos.front() + (kPhase2WindowMs - 100) * kMs);
    EXPECT_LE(hellos.back(), hellos.front() + kPhase2WindowMs * kMs);
    EXPECT_GE(bench.journal.timeOf("message: No response"), hellos.front() + kPhase2WindowMs * kMs);
    EXPECT_EQ(bench.TmrSyn.interval(), kPhase2WindowMs);
    EXPECT_FALSE(bench.TmrSyn.isEnabled());
}

// The version follows the first "G"; from 1.28 on an unanswered line is sent
// three times and questioned, below it is sent once.
TEST(Handshake, VersionTextAndTheRulesItSelects)
{
    struct Row {
        std::string hello, shown;
        int sendsOfSilentLine;
    };
    const Row rows[] = {
        {"xx?G1.28", "1.28", 3}, {"?G 1.29z", "1.29", 3}, {"G1.5?", "1.5", 3},
        {"?G1.27", "1.27", 1},   {"?g1.3", "0", 1},       {"?GG1.3", "0", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hello);
        LinkBench bench;
        bench.target.helloAnswer = row.hello;
        bench.target.lineAnswers = {"", "", ""};
        if (row.sendsOfSilentLine == 3)
            bench.frontEnd.answers = {true};
        EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Success);
        EXPECT_TRUE(bench.journal.has("version " + row.shown)) << bench.journal.text();
        EXPECT_EQ(bench.writesOf(bench.files.files["flash.hex"][0]), row.sendsOfSilentLine);
    }
}

TEST(Cancellation, EachPointClosesWithoutAMessage)
{
    struct Row {
        const char* point;
        std::function<bool(LinkBench&)> when;
        bool portOpened;
        int linesWritten;
    };
    const Row rows[] = {
        {"before opening", [](LinkBench&) { return true; }, false, 0},
        {"after opening", [](LinkBench& b) { return b.port.isOpen(); }, true, 0},
        {"phase 1", [](LinkBench& b) { return !b.port.writes.empty(); }, true, 0},
        {"settle pause", [](LinkBench& b) { return b.journal.has("target responded"); }, true, 0},
        {"phase 2", [](LinkBench& b) { return b.writesOf(kHello) > 0; }, true, 0},
        {"next line", [](LinkBench& b) { return !b.port.reads.empty() && b.port.reads.back().bytes == "~"; }, true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.point);
        LinkBench bench;
        bench.frontEnd.cancelWhen = [&] { return row.when(bench); };
        EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::Cancelled);
        EXPECT_EQ(bench.journal.has("port open"), row.portOpened);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.journal.entries.back().what, "ended");
        EXPECT_FALSE(bench.journal.has("message"));
        EXPECT_EQ(static_cast<int>(bench.transferWrites().size()), row.linesWritten);
        if (row.point == std::string("phase 1")) {
            EXPECT_EQ(bench.writesOf(kHello), 0);
        }
        EXPECT_FALSE(bench.TmrSyn.isEnabled());
    }
}

// Both phases share TmrSyn's one window and phase 1's text stays in RxBuf; the
// main window's flavour, for contrast, opens a new window after "$" and
// starts phase 2 from an empty RxBuf.
TEST(CommandLineFlavour, SharedWindowAndKeptText)
{
    struct Row {
        bool shared;
        std::string syncAnswer;
        long long lateHelloUs;  // a "?G1.28" this long after the start; 0 none
        DownloadResult result;
        bool hellosWritten;
    };
    const Row rows[] = {
        {true, "$", (kFirstSyncWindowMs - 1000) * kMs, DownloadResult::Success, true},
        {true, "$", (kFirstSyncWindowMs + 100) * kMs, DownloadResult::NoResponse, true},
        {false, "$", (kFirstSyncWindowMs - 1000) * kMs, DownloadResult::NoResponse, true},
        {true, "$?G1.3", 0, DownloadResult::Success, false},
        {false, "$?G1.3", 0, DownloadResult::NoResponse, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.shared) + row.syncAnswer + std::to_string(row.lateHelloUs));
        LinkBench bench{link::Flavour{row.shared}};
        bench.target.syncAnswer = row.syncAnswer;
        bench.target.helloAnswer = "";
        if (row.lateHelloUs)
            bench.port.send(row.lateHelloUs, "?G1.28");
        EXPECT_EQ(bench.run(LinkBench::flash()), row.result);
        EXPECT_EQ(bench.writesOf(kHello) > 0, row.hellosWritten);
        EXPECT_EQ(bench.journal.has("target responded"), !row.shared);
        if (row.result == DownloadResult::Success) {
            EXPECT_TRUE(bench.journal.has(row.lateHelloUs ? "version 1.28" : "version 1.3"));
            EXPECT_EQ(bench.TmrSyn.interval(), kFirstSyncWindowMs);
        } else if (row.shared) {
            const long long shown = bench.journal.timeOf("message: No response");
            EXPECT_GE(shown, kFirstSyncWindowMs * kMs);
            EXPECT_LE(shown, (kFirstSyncWindowMs + 100) * kMs);
        }
        EXPECT_FALSE(bench.port.isOpen());
    }
}

}  // namespace
}  // namespace korvel::linktest
