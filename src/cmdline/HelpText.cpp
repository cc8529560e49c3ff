#include "cmdline/HelpText.h"

#include <algorithm>

namespace korvel::cmdline {

std::vector<HelpSection> helpSections()
{
    std::vector<HelpSection> sections{
        {"More options",
         {
             {"/console", "stay on the terminal: no window, no message box"},
             {"/port <device>", "use the serial device <device> (for example " + portDeviceExamples() +
                                    ") in place of /comN; /comN or /port may come anywhere, not only first"},
             {"--wait-port SECONDS",
              "wait up to SECONDS (1 to 3600) for the port's device to appear and open, then download"},
             {"--sync-seconds SECONDS",
              "give the target SECONDS (1 to 600) to answer the first synchronisation; 5 by default"},
             {"--log FILE", "append a record of each run to FILE: time stamps, the log, questions and answers, the "
                            "summary"},
             {"--ports", "list the COM port numbers, the devices they stand for, and whether each can be opened now"},
             {"--version", "show the program's name and version"},
         }},
        {"Exit status",
         {
             {"0", "downloaded (or the usage or the version shown)"},
             {"1", "the download failed or was stopped"},
             {"2", "the command line was refused"},
             {"3", "downloaded, but lines that the target did not accept were skipped"},
         }},
    };
    const auto signals = signalExitStatuses();
    auto& statuses = sections.back().entries;
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
