#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "sim/SimulatedLink.h"

namespace korvel::linktest {
namespace {

using link::DownloadChoice;
using link::DownloadResult;
using namespace link::protocol;

const long long kMs = 1000;
// Bytes still queued when a phase tops up, at 11 520 a second: the room a
// late wake-up has before the line runs dry, 10 ms in phase 1, 1.5 ms in phase 2.
const long long kLeastQueued[] = {115, 17};
const std::size_t kMostQueued = 512;

TEST(Validation, ShortPathsStopBeforeAnythingElse)
{
    const std::string flash = "Select FLASH file to download.", eeprom = "Select EEPROM file to download.";
    const std::pair<DownloadChoice, std::string> rows[] = {
        {{true, false, "\xC3\xA9", "", 1}, flash},  // one character
        {{true, false, "ab", "", 1}, ""},           // "": passes
        {{true, true, "x", "ab", 1}, flash},       {{true, true, "ab", "x", 1}, eeprom},
        {{false, true, "", "x", 1}, eeprom},       {{false, true, "", "ab", 1}, ""},
    };
    for (const auto& [choice, complaint] : rows) {
        SimulatedLink bench;
        const auto result = bench.run(choice);
        if (complaint.empty())
            EXPECT_NE(result, DownloadResult::NotValid);
        else
            EXPECT_EQ(bench.world.text(), "0 message: " + complaint + "\n0 ended\n");
    }
}

// A wait for the port tries it every 200 ms until it opens, the wait is over
// (then the usual opening reports why) or the user stops it; it says once
// what it waits for, and only when the port is not there at once.
TEST(PortWait, OpensOnceTheDeviceAppearsWithinTheWait)
{
    const long long s = 1000 * kMs;
    const struct {
        long long appearsUs, cancelUs;
        int waitSeconds;
        DownloadResult result;
        long long openedUs;  // when the port opened or the download ended
        int tries;
    } rows[] = {
        {2 * s + 50 * kMs, 0, 5, DownloadResult::Success, 2200 * kMs, 12},
        {0, 0, 5, DownloadResult::Success, 0, 1},
        {9 * s, 0, 3, DownloadResult::PortError, 3 * s, 17},
        {9 * s, 1100 * kMs, 3, DownloadResult::Cancelled, 1100 * kMs, 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.appearsUs);
        SimulatedLink bench;
        bench.port.openableFromUs = row.appearsUs;
        bench.frontEnd.cancelWhen = [&] { return row.cancelUs > 0 && bench.world.now() >= row.cancelUs; };
        DownloadChoice choice = SimulatedLink::flash();
        choice.portWaitSeconds = row.waitSeconds;
        EXPECT_EQ(bench.run(choice), row.result);
        EXPECT_EQ(bench.port.openTries, row.tries);
        const std::string waiting = "waiting " + std::to_string(row.waitSeconds) + " s for COM1: no such device";
        EXPECT_EQ(bench.world.has(waiting), row.appearsUs > 0) << bench.world.text();
        EXPECT_TRUE(bench.inOrder({"file read", "waiting", "ended"}) || row.appearsUs == 0);
        // A stop is noticed at the next event at the latest: here the answer tick's.
        const std::string end = row.result == DownloadResult::Success ? "port open" : "ended";
        const long long endUs = bench.world.timeOf(end);
        EXPECT_TRUE(row.openedUs <= endUs && endUs <= row.openedUs + kAnswerTickMs * kMs) << endUs;
        EXPECT_EQ(bench.world.has("message"), row.result == DownloadResult::PortError);
    }
}

// Both phases keep the line busy without flooding it, on a UART and on a
// pseudo-terminal, which shows no queue and drops none: after the first write
// of a phase, every write finds enough still queued for a wake-up that comes
// a little late, and none raises the queue above 512 bytes, so that no more
// is queued at "$" or "?" either. A wait lasts until the next top-up is due.
// Phase 2 calls for its own window, from the end of the one-tick settle pause.
// The same after 1000 days of uptime, where microseconds since the machine's
// start times the baud rate no longer fit in 64 bits.
TEST(Handshake, LineBusyWithoutAFloodOrABusyLoop)
{
    const long long kThousandDaysUs = 1000LL * 86'400 * 1'000'000;
    // The target's answers to the sync bytes and to the calls, and the most
    // wake-ups a second of line time.
    const std::tuple<std::string, std::string, long long> rows[] = {{"", "", 100}, {"$", "", 400}, {"$", "?G1", 400}};
    for (const auto& [pty, uptimeUs] : {std::pair{false, 0LL}, {true, 0LL}, {false, kThousandDaysUs}}) {
        for (const auto& [syncAnswer, helloAnswer, mostWakeUpsPerSecond] : rows) {
            SCOPED_TRACE(std::to_string(pty) + syncAnswer + helloAnswer + std::to_string(uptimeUs));
            SimulatedLink bench;
            bench.port.pty = pty;
            bench.world.clockStartUs = uptimeUs;
            bench.target.syncAnswer = syncAnswer;
            bench.target.helloAnswer = helloAnswer;
            bench.run(SimulatedLink::flash());
            std::vector<long long> times[2];  // of the writes of each phase
            for (const auto& write : bench.port.writes) {
                const bool call = write.bytes.rfind(wire::kHello, 0) == 0;
                if (!call && write.bytes.find_first_not_of(wire::kSync) != std::string::npos)
                    break;  // the transfer
                EXPECT_LE(write.queued + write.bytes.size(), kMostQueued);
                EXPECT_TRUE(times[call].empty() || write.queued >= kLeastQueued[call]) << write.us;
                times[call].push_back(write.us);
            }
            EXPECT_LE(bench.world.wakeUps * 1'000'000 / bench.world.now(), mostWakeUpsPerSecond);
            if (syncAnswer.empty() || !helloAnswer.empty())
                continue;
            ASSERT_FALSE(times[1].empty());
            const long long settled = bench.world.timeOf("target responded") + kSettleMs * kMs;
            const long long lastCall = times[1].back();
            EXPECT_LE(bench.world.timeOf("output discarded"), settled - kSettleMs * kMs);
            EXPECT_TRUE(pty || times[1].front() == settled);
            EXPECT_TRUE(lastCall > settled + (kPhase2WindowMs - 100) * kMs &&
                        lastCall <= settled + kPhase2WindowMs * kMs);
            EXPECT_GE(bench.world.timeOf("message: No response"), settled + kPhase2WindowMs * kMs);
        }
    }
}

TEST(Handshake, VersionFollowsTheFirstG)
{
    for (const auto& [hello, shown] : {std::pair{"xx?G1.28", "1.28"},
                                       {"?G 1.29z", "1.29"},
                                       {"G1.5?", "1.5"},
                                       {"?G1.27", "1.27"},
                                       {"?g1.3", "0"},
                                       {"?GG1.3", "0"}}) {
        // Read as the line delivers it, a character at a time: the version
        // after the "?", and the "@" after the last file's "#", still count.
        SimulatedLink bench;
        bench.target.helloAnswer = hello;
        bench.target.charByChar = true;
        EXPECT_EQ(bench.run(SimulatedLink::flash()), DownloadResult::Success);
        EXPECT_TRUE(bench.world.has(std::string("version ") + shown)) << bench.world.text();
    }
}

// Every cancellation point closes without a message. TmrSyn's interval, which
// bounds the next download's phase 1, is the first window's until a download
// reaches the settle pause, and the window of phase 2 from then on, also when
// Cancel cut the pause short.
TEST(Cancellation, EachPointClosesWithoutAMessage)
{
    struct Row {
        const char* point;
        std::function<bool(SimulatedLink&)> when;
        bool portOpened;
        int linesWritten;
        bool callsWritten;
        long long nextWindowMs;
    };
    const Row rows[] = {
        {"before opening", [](SimulatedLink&) { return true; }, false, 0, false, kFirstSyncWindowMs},
        {"after opening", [](SimulatedLink& b) { return b.port.isOpen(); }, true, 0, false, kFirstSyncWindowMs},
        {"phase 1", [](SimulatedLink& b) { return !b.port.writes.empty(); }, true, 0, false, kFirstSyncWindowMs},
        {"settle pause", [](SimulatedLink& b) { return b.world.has("target responded"); }, true, 0, false,
         kPhase2WindowMs},
        {"phase 2", [](SimulatedLink& b) { return b.wroteCalls(); }, true, 0, true, kPhase2WindowMs},
        {"next line", [](SimulatedLink& b) { return !b.frontEnd.linesDone.empty(); }, true, 1, true, kPhase2WindowMs},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.point);
        SimulatedLink bench;
        bench.frontEnd.cancelWhen = [&] { return row.when(bench); };
        EXPECT_EQ(bench.run(SimulatedLink::flash()), DownloadResult::Cancelled);
        EXPECT_EQ(bench.world.has("port open"), row.portOpened);
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.world.entries.back().what, "ended");
        EXPECT_FALSE(bench.world.has("message"));
        EXPECT_EQ(static_cast<int>(bench.transferWrites().size()), row.linesWritten);
        EXPECT_EQ(bench.wroteCalls(), row.callsWritten);
        EXPECT_FALSE(bench.TmrSyn.isEnabled());

        bench.frontEnd.cancelWhen = nullptr;
        bench.target.synced = true;  // no "$" this time
        const long long start = bench.world.now();
        EXPECT_EQ(bench.run(SimulatedLink::flash()), DownloadResult::NoResponse);
        const long long window = bench.world.now() - start;
        EXPECT_TRUE(window >= row.nextWindowMs * kMs && window <= (row.nextWindowMs + 100) * kMs) << window;
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
        SimulatedLink bench{link::Flavour{row.shared}};
        bench.target.syncAnswer = row.syncAnswer;
        bench.target.helloAnswer = "";
        if (row.lateHelloUs)
            bench.port.send(row.lateHelloUs, "?G1.28");
        const auto result = bench.run(SimulatedLink::flash());
        EXPECT_EQ(result, row.version.empty() ? DownloadResult::NoResponse : DownloadResult::Success);
        EXPECT_EQ(bench.wroteCalls(), row.callsWritten);
        EXPECT_EQ(bench.world.has("target responded"), !row.shared);
        if (!row.version.empty()) {
            EXPECT_TRUE(bench.world.has("version " + row.version)) << bench.world.text();
            EXPECT_EQ(bench.TmrSyn.interval(), kFirstSyncWindowMs);
        } else if (row.shared) {
            const long long shown = bench.world.timeOf("message: No response");
            EXPECT_TRUE(shown >= kFirstSyncWindowMs * kMs && shown <= (kFirstSyncWindowMs + 100) * kMs) << shown;
            EXPECT_TRUE(bench.transferWrites().empty());
        }
    }
}

// A window asked for a slow target (the command line's --sync-seconds): the
// "$" may come late in it, and phase 2 then has as long again for the "?".
TEST(CommandLineFlavour, LongerWindowForASlowTarget)
{
    const long long s = 1000 * kMs;
    const std::tuple<long long, long long, bool> rows[] = {
        // "$" after, "?" after, handshake done
        {6 * s, 12 * s, true},
        {7900 * kMs, 15800 * kMs, true},
        {8100 * kMs, 0, false},
        {6 * s, 14100 * kMs, false},
    };
    for (const auto& [dollarUs, helloUs, done] : rows) {
        SCOPED_TRACE(dollarUs);
        SimulatedLink bench{link::Flavour{true, 8000}};
        bench.TmrSyn.setInterval(8000);
        bench.target.syncAnswer = "";
        bench.target.helloAnswer = "";
        bench.port.send(dollarUs, "$");
        if (helloUs)
            bench.port.send(helloUs, "?G1.28");
        EXPECT_EQ(bench.run(SimulatedLink::flash()), done ? DownloadResult::Success : DownloadResult::NoResponse);
        if (!done) {
            EXPECT_TRUE(bench.world.has("message: No response from target Bootloader.\nThe bootloader did not "
                                        "answer on COM1 within 8 s."));
        }
    }
}

// A programming station waits for its next board without end, and sends the
// files it read once for all its ports: the "$" of a board connected ten
// minutes later is answered, and no file is read or asked about again.
TEST(StationFlavour, WaitsWithoutEndAndSendsTheFilesReadBefore)
{
    const long long s = 1000 * kMs;
    SimulatedLink bench{link::Flavour{true, 3000, true}};
    bench.target.syncAnswer = "";
    bench.target.helloAnswer = "";
    bench.port.send(600 * s, "$");
    bench.port.send(600 * s + 10 * kMs, "?G1.28");
    const link::ChosenFiles files{{}, bench.files.files["flash.hex"]};
    link::DownloadChoice choice = SimulatedLink::flash("elsewhere.hex");
    choice.files = &files;
    EXPECT_EQ(bench.run(choice), DownloadResult::Success);
    EXPECT_FALSE(bench.world.has("file read"));
    EXPECT_EQ(bench.writesOf(files.flashLines[0]), 1);
}

}  // namespace
}  // namespace korvel::linktest
