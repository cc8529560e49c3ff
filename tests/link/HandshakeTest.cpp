#include <gtest/gtest.h>

#include <functional>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using link::DownloadChoice;
using link::DownloadResult;
using namespace link::protocol;

const long long kMs = 1000;
const DownloadChoice kNothing{false, false, "", "", 1};

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
        EXPECT_EQ(result == DownloadResult::NotValid, !row.complaint.empty());
        if (!row.complaint.empty()) {
            ASSERT_EQ(bench.journal.entries.size(), 2u) << bench.journal.text();
            EXPECT_EQ(bench.journal.entries[0].what, "message: " + row.complaint);
            EXPECT_EQ(bench.journal.entries[1].what, "ended");
        }
    }
}

// A first download has the first window of the window's layout; once one
// download reached the settle pause, phase 1 keeps the window of phase 2,
// also when Cancel cut the pause short.
TEST(Handshake, PhaseOneWindowDependsOnEarlierDownloads)
{
    struct Row {
        const char* earlier;
        std::function<void(LinkBench&)> arrange;  // none: no earlier download
        long long windowMs;
    };
    const Row rows[] = {
        {"none", nullptr, kFirstSyncWindowMs},
        {"without \"$\"", [](LinkBench& b) { b.target.syncAnswer = ""; }, kFirstSyncWindowMs},
        {"complete", [](LinkBench&) {}, kPhase2WindowMs},
        {"cancelled in the settle pause",
         [](LinkBench& b) { b.frontEnd.cancelWhen = [&b] { return b.journal.has("target responded"); }; },
         kPhase2WindowMs},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.earlier);
        LinkBench bench;
        if (row.arrange) {
            row.arrange(bench);
            bench.run(kNothing);
            bench.journal.entries.clear();
            bench.frontEnd.cancelWhen = nullptr;
            bench.target.greeted = false;
        }
        bench.target.synced = true;  // no "$" this time
        EXPECT_EQ(bench.run(kNothing), DownloadResult::NoResponse);
        const long long window = bench.journal.timeOf("message: No response from target Bootloader.") -
                                 bench.journal.timeOf("synchronising");
        EXPECT_GE(window, row.windowMs * kMs);
        EXPECT_LE(window, row.windowMs * kMs + 100 * kMs);
        EXPECT_TRUE(bench.inOrder({"message: No response", "port closed", "ended"}));
    }
}

TEST(Handshake, SettlesOneTickThenCallsForThePhase2Window)
{
    LinkBench bench;
    bench.target.helloAnswer = "";
    EXPECT_EQ(bench.run(LinkBench::flash()), DownloadResult::NoResponse);
    std::vector<long long> calls;
    for (const auto& write : bench.port.writes) {
        if (write.bytes.rfind(kHello, 0) == 0)
            calls.push_back(write.us);
    }
    ASSERT_FALSE(calls.empty());
    const long long responded = bench.journal.timeOf("target responded");
    EXPECT_LE(bench.journal.timeOf("output discarded"), responded);
    EXPECT_EQ(calls.front(), responded + kSettleMs * kMs);
    EXPECT_GT(calls.back(), calls.front() + (kPhase2WindowMs - 100) * kMs);
    EXPECT_LE(calls.back(), calls.front() + kPhase2WindowMs * kMs);
    EXPECT_GE(bench.journal.timeOf("message: No response"), calls.front() + kPhase2WindowMs * kMs);
    EXPECT_FALSE(bench.TmrSyn.isEnabled());
}

// Both phases keep the line busy without flooding it, on a UART and on a
// pseudo-terminal, which shows no queue and drops none: after the first write
// of a phase, every write finds bytes still queued, and none raises the queue
// above its ceiling. A wait lasts until the next top-up is due.
TEST(Handshake, LineBusyWithoutAFloodOrABusyLoop)
{
    struct Row {
        std::string syncAnswer, helloAnswer;
        long long mostWakeUpsPerSecond;  // 0: not a silent phase
    };
    const Row rows[] = {{"", "", 100}, {"$", "", 400}, {"$", "?G1.28", 0}};
    for (const bool pty : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::to_string(pty) + row.syncAnswer + row.helloAnswer);
            LinkBench bench;
            bench.port.pty = pty;
            bench.target.syncAnswer = row.syncAnswer;
            bench.target.helloAnswer = row.helloAnswer;
            bench.run(LinkBench::flash());
            bool firstOfPhase[2] = {true, true};
            for (const auto& write : bench.port.writes) {
                const bool call = write.bytes.rfind(kHello, 0) == 0;
                if (!call && write.bytes.find_first_not_of(kSyncByte) != std::string::npos)
                    break;  // the transfer
                EXPECT_LE(write.queued + write.bytes.size(), call ? kHelloCeiling : kSyncBlockSize);
                EXPECT_TRUE(std::exchange(firstOfPhase[call], false) || write.queued > 0) << write.us;
            }
            for (const auto& read : bench.port.reads) {
                const bool hello = read.bytes.find(kHelloAnswer) != std::string::npos;
                EXPECT_LE(read.queued, hello ? kHelloCeiling : kSyncBlockSize);
            }
            if (row.mostWakeUpsPerSecond)
                EXPECT_LE(bench.world.wakeUps * 1'000'000 / bench.world.now(), row.mostWakeUpsPerSecond);
            else
                EXPECT_LE(bench.transferWrites().front().queued, kHelloCeiling);
        }
    }
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
        {"phase 2", [](LinkBench& b) { return b.callsWritten() > 0; }, true, 0},
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
        EXPECT_EQ(bench.callsWritten() > 0, row.point == std::string("phase 2") || row.linesWritten > 0);
        EXPECT_FALSE(bench.TmrSyn.isEnabled());
    }
}

// Both phases share TmrSyn's one window and what followed the "$" in phase 1
// stays in RxBuf; without a "$" nothing counts. The main window's flavour, for
// contrast, opens a new window after "$" and starts phase 2 from an empty RxBuf.
TEST(CommandLineFlavour, SharedWindowAndKeptText)
{
    struct Row {
        bool shared;
        std::string syncAnswer;
        long long lateHelloUs;  // a "?G1.28" this long after the start; 0 none
        std::string version;    // "": no response
        bool callsWritten;
    };
    const Row rows[] = {
        {true, "$", (kFirstSyncWindowMs - 1000) * kMs, "1.28", true},
        {true, "$", (kFirstSyncWindowMs + 100) * kMs, "", true},
        {false, "$", (kFirstSyncWindowMs - 1000) * kMs, "", true},
        {true, "$?G1.3", 0, "1.3", false},
        {false, "$?G1.3", 0, "", true},
        {true, "G1.5$?", 0, "0", false},
        {true, "Hello?G1.3\r\n", 0, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.shared) + row.syncAnswer + std::to_string(row.lateHelloUs));
        LinkBench bench{link::Flavour{row.shared}};
        bench.target.syncAnswer = row.syncAnswer;
        bench.target.helloAnswer = "";
        if (row.lateHelloUs)
            bench.port.send(row.lateHelloUs, "?G1.28");
        const auto result = bench.run(LinkBench::flash());
        EXPECT_EQ(result, row.version.empty() ? DownloadResult::NoResponse : DownloadResult::Success);
        EXPECT_EQ(bench.callsWritten() > 0, row.callsWritten);
        EXPECT_EQ(bench.journal.has("target responded"), !row.shared);
        if (!row.version.empty()) {
            EXPECT_TRUE(bench.journal.has("version " + row.version)) << bench.journal.text();
            EXPECT_EQ(bench.TmrSyn.interval(), kFirstSyncWindowMs);
        } else if (row.shared) {
            const long long shown = bench.journal.timeOf("message: No response");
            EXPECT_GE(shown, kFirstSyncWindowMs * kMs);
            EXPECT_LE(shown, (kFirstSyncWindowMs + 100) * kMs);
            EXPECT_TRUE(bench.transferWrites().empty());
        }
        EXPECT_FALSE(bench.port.isOpen());
    }
}

}  // namespace
}  // namespace korvel::linktest
