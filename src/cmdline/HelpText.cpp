#include "cmdline/HelpText.h"

#include <algorithm>

namespace korvel::cmdline {

std::vector<HelpSection> helpSections()
{
    const HelpUse download = HelpUse::Download;
    const HelpUse alone = HelpUse::Alone;
    std::vector<HelpSection> sections{
        {"More options",
         {
             {"/port <device>",
              "use the serial device <device> (for example " + portDeviceExamples() +
                  ") in place of /comx; /comx or /port may come anywhere, not only first",
              HelpUse::Port},
             {"/console", "stay on the terminal: no window, no message box", download},
             {"--wait-port SECONDS",
              "wait up to SECONDS (1 to 3600) for the port's device to appear and open, then download", download},
             {"--sync-seconds SECONDS",
              "give the target SECONDS (1 to 600) to answer the first synchronisation; 5 by default", download},
             {"--log FILE",
              "append a record of each run to FILE: time stamps, the log, questions and answers, the summary",
              download},
             {"--record FILE",
              "append one line of JSON per run to FILE: the times, host, port and adapter, each file's size, lines "
              "and SHA-256, the outcome and the counts",
              download},
             {"--tag TEXT", "name the board, station or operator in the log, the record and the summary line",
              download},
             {"/port <a> /port <b>",
              "program a board on each port at the same time, each with its own download, questions and summary "
              "line, then a tally line",
              download},
             {"--station",
              "on each port, program board after board: wait for the next board's answer, program it, record it, "
              "and wait until it is removed; until a stop signal",
              download},
             {"--count N", "with --station: stop after N boards (1 to 1000000) in all", download},
             {"--ports",
              "list the COM port numbers, the devices they stand for and whether each can be opened now, then the "
              "serial devices present with their USB ids, serial numbers and stable names",
              alone},
             {"--version", "show the program's name and version", alone},
             {"-h, --help, /?", "show this help", alone},
         }},
        {"Exit status",
         {
             {"0", "downloaded (every board, with several ports), or the usage, the version or the ports were shown"},
             {"1",
              "the download failed or was stopped, also for a port that cannot be opened or a port number that names "
              "no device (/com0, /com17)"},
             {"2",
              "the command line was refused, the log or the record cannot be written, or the windows were asked for "
              "and no display could be opened"},
             {"3", "downloaded, but lines that the target did not accept were skipped"},
         }},
        {"Files", programFiles()},
    };
    const auto signals = signalExitStatuses();
    auto& statuses = sections[1].entries;
    statuses.insert(statuses.end(), signals.begin(), signals.end());
    return sections;
}

std::string helpMore()
{
    // Terms are indented by two blanks, and the texts of a section start in
    // one column, two blanks after its widest term.
    std::string text = "\n";
    for (const auto& section : helpSections()) {
        std::size_t widest = 0;
        for (const auto& entry : section.entries)
            widest = std::max(widest, entry.term.size());
        text += "\n" + section.title + ":";
        for (const auto& entry : section.entries)
            text += "\n  " + entry.term + std::string(widest - entry.term.size() + 2, ' ') + entry.text;
    }
    return text;
}

}  // namespace korvel::cmdline
