// korvel-bench-link: one FLASH download by the download procedure through the
// real serial port layer to korvel-targetsim, with a front end that shows
// nothing. Reports its times, processor use and memory as key=value lines.
// With --probe the other end is a reader that takes every byte at once, and
// the report adds the rates at which the handshake arrived there.
#include <QCoreApplication>
#include <algorithm>
#include <iostream>
#include <optional>

#include "BenchArgs.h"
#include "Measures.h"
#include "PhaseProbe.h"
#include "SimChild.h"
#include "WatchedPort.h"
#include "link/BootloaderLink.h"
#include "link/DiskHexFiles.h"
#include "link/Protocol.h"
#include "platform/DeviceSerialPort.h"
#include "platform/DownloadTimers.h"

namespace {

using namespace korvel;

// Shows nothing; notes when the first line goes out and what the outcome is.
// Questions are answered No.
class SilentFrontEnd final : public link::FrontEnd {
public:
    std::optional<BenchClock::time_point> firstLineAt;
    std::optional<BenchClock::time_point> outcomeAt;
    std::string outcome;
    std::string version;

    void sendingFile(link::FileKind) override
    {
        if (!firstLineAt)
            firstLineAt = BenchClock::now();
    }
    void versionRead(const std::string& text) override { version = text; }
    void message(const link::Message& message) override { noteOutcome(message.text); }
    bool ask(const link::Message& question) override
    {
        noteOutcome(question.text);
        return false;
    }

private:
    void noteOutcome(const std::string& text)
    {
        if (outcomeAt)
            return;
        outcomeAt = BenchClock::now();
        outcome = text;
    }
};

// What the writes on the port show: the handshake's sync bytes and "@&$"
// triples (a write tops the queue up with part of a block or a run of
// triples, so they are counted by size), the time from one line to the next,
// and how soon a line followed the read that brought the answer to the line
// before.
void reportWrites(const std::vector<WatchedPort::Write>& writes)
{
    long syncBytes = 0;
    long triples = 0;
    std::vector<double> lineGaps;
    std::vector<double> reactions;
    std::optional<BenchClock::time_point> previousLine;
    for (const WatchedPort::Write& write : writes) {
        if (write.first == link::protocol::kSyncByte) {
            syncBytes += long(write.size);
        } else if (write.first == link::protocol::kHello[0]) {
            triples += long(write.size / link::protocol::kHelloSize);
        } else if (write.first == ':') {
            if (previousLine) {
                lineGaps.push_back(secondsBetween(*previousLine, write.at));
                if (write.lastReceiptAt && *write.lastReceiptAt > *previousLine)
                    reactions.push_back(secondsBetween(*write.lastReceiptAt, write.at));
            }
            previousLine = write.at;
        }
    }
    report("sync_bytes_written", syncBytes);
    report("handshake_triples_written", triples);
    if (lineGaps.size() < 2)
        return;
    report("first_line_seconds", lineGaps.front());
    const std::vector<double> laterGaps(lineGaps.begin() + 1, lineGaps.end());
    report("later_line_median_seconds", median(laterGaps));
    report("later_line_p99_seconds", percentile99(laterGaps));
    report("later_line_max_seconds", *std::max_element(laterGaps.begin(), laterGaps.end()));
    if (!reactions.empty())
        report("reaction_median_seconds", median(reactions));
}

}  // namespace

int main(int argc, char** argv)
{
    BenchArgs args;
    if (!parseBenchArgs(argc, argv, args) || args.flashPath.empty())
        return 2;
    // The other end starts before the application: the probe's reader is a
    // fork of this process and should not inherit a running Qt.
    std::optional<SimChild> simulator;
    std::optional<PhaseProbe> probe;
    if (args.probe.empty()) {
        simulator.emplace(args.targetsim, args.simOptions);
    } else if (args.probe == "silent" || args.probe == "no-phase2") {
        probe.emplace(args.probe == "silent" ? PhaseProbe::Target::Silent : PhaseProbe::Target::NoPhase2);
    } else {
        std::cerr << argv[0] << ": --probe is silent or no-phase2, not " << args.probe << "\n";
        return 2;
    }
    const std::string devicePath = simulator ? simulator->devicePath() : probe->devicePath();
    if (devicePath.empty())
        return 1;
    QCoreApplication app(argc, argv);

    platform::DeviceSerialPort device(platform::PortMap::fromText("COM1=" + devicePath));
    WatchedPort port(device);
    platform::DownloadTimers timers;
    link::DiskHexFiles files;
    SilentFrontEnd frontEnd;
    link::BootloaderLink downloader(platform::downloadSeams(timers, port, frontEnd, files), link::Flavour{});

    link::DownloadChoice choice;
    choice.flash = true;
    choice.flashPath = args.flashPath;
    choice.port = 1;

    const double processorBefore = processorSeconds();
    const auto startedAt = BenchClock::now();
    const link::DownloadResult result = downloader.DownloadFiles(choice);
    const auto endedAt = BenchClock::now();
    const double processorUsed = processorSeconds() - processorBefore;

    const HexFileFigures figures = hexFileFigures(args.flashPath);
    report("success", result == link::DownloadResult::Success ? "yes" : "no");
    report("outcome", frontEnd.outcome);
    report("bootloader_version", frontEnd.version);
    report("lines", figures.lines);
    report("line_characters", figures.characters);
    report("download_seconds", secondsBetween(startedAt, endedAt));
    if (frontEnd.firstLineAt && frontEnd.outcomeAt)
        report("transfer_seconds", secondsBetween(*frontEnd.firstLineAt, *frontEnd.outcomeAt));
    report("processor_seconds", processorUsed);
    report("peak_rss_kib", peakResidentKiB());
    reportWrites(port.writes());
    if (!probe)
        return 0;
    const std::optional<PhaseProbe::Figures> arrived = probe->finish();
    if (!arrived) {
        std::cerr << argv[0] << ": the probe's reader did not report\n";
        return 1;
    }
    report("sync_bytes_received", arrived->syncBytes);
    report("sync_bytes_per_second", arrived->syncBytesPerSecond);
    report("triples_received", arrived->triples);
    report("triples_per_second", arrived->triplesPerSecond);
    return 0;
}
