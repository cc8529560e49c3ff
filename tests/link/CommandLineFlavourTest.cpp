#include <gtest/gtest.h>

#include "sim/LinkBench.h"

namespace korvel::linktest {
namespace {

using link::DownloadResult;

const long long kMs = 1000;

// Both phases share TmrSyn's one window and phase 1's text stays in RxBuf; the
// main window's flavour, for contrast, opens a new 3000 ms window after "$" and
// starts phase 2 from an empty RxBuf.
TEST(CommandLineFlavour, SharedWindowAndKeptText) {
    struct Row {
        bool shared;
        std::string syncAnswer;
        long long lateHelloUs;  // a "?G1.28" this long after the start; 0 none
        DownloadResult result;
        bool hellosWritten;
    };
    const Row rows[] = {
        {true, "$", 4000 * kMs, DownloadResult::Success, true},
        {true, "$", 5100 * kMs, DownloadResult::NoResponse, true},
        {false, "$", 4000 * kMs, DownloadResult::NoResponse, true},
        {true, "$?G1.3", 0, DownloadResult::Success, false},
        {false, "$?G1.3", 0, DownloadResult::NoResponse, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.shared) + row.syncAnswer + std::to_string(row.lateHelloUs));
        LinkBench bench{link::Flavour{row.shared}};
        bench.target.syncAnswer = row.syncAnswer;
        bench.target.helloAnswer = "";
        if (row.lateHelloUs) bench.port.send(row.lateHelloUs, "?G1.28");
        EXPECT_EQ(bench.run(LinkBench::flash()), row.result);
        EXPECT_EQ(bench.writesOf("@&$") > 0, row.hellosWritten);
        EXPECT_EQ(bench.journal.has("target responded"), !row.shared);
        if (row.result == DownloadResult::Success) {
            EXPECT_TRUE(bench.logged(row.lateHelloUs ? "version 1.28" : "version 1.3"));
            EXPECT_EQ(bench.TmrSyn.interval(), 5000);
        } else if (row.shared) {
            const long long shown = bench.journal.timeOf("message: No response");
            EXPECT_GE(shown, 5000 * kMs);
            EXPECT_LE(shown, 5100 * kMs);
        }
        EXPECT_FALSE(bench.port.isOpen());
    }
}

}  // namespace
}  // namespace korvel::linktest
